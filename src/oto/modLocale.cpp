#include "oto/modLocale.h"

#include "core/AtomicFile.h"
#include "core/CharsetTable.h"
#include "core/clsSett.h"
#include "core/Dialogs.h"
#include "core/modUtils.h"

#include <QFile>
#include <QFileInfo>
#include <unicode/ucnv.h>
#include <unicode/ucnv_cb.h>

#include <memory>
#include <stdexcept>

namespace {

// oto.ini files are a few megabytes at most; refusing absurd sizes keeps a
// wrong pick (a WAV, a disk image) from eating all memory.
constexpr qint64 kMaxTextFileBytes = 512LL * 1024 * 1024;

struct ConverterCloser {
    void operator()(UConverter *c) const { ucnv_close(c); }
};
using Converter = std::unique_ptr<UConverter, ConverterCloser>;

const char *systemCharsetName()
{
    // ICU reads the locale's character set. A bare C or POSIX locale reports
    // ASCII, which is a subset of UTF-8; files from such a session are UTF-8
    // in practice, so that is what "the system's code page" means here.
    const char *name = ucnv_getDefaultName();
    const QByteArray lower = QByteArray(name).toLower();
    if (lower.contains("ascii") || lower == "ansi_x3.4-1968" || lower == "us-ascii")
        return "UTF-8";
    return name;
}

const char *icuName(int codePage)
{
    if (codePage == modLocale::kUtf8CodePage)
        return "UTF-8";
    if (codePage == 0)
        return systemCharsetName();
    const CharsetRow *row = charsetTable::rowOfCodePage(codePage);
    return row ? row->icuName : nullptr;
}

// Single bytes that Windows' code page 932 maps to U+0080 and to private
// use characters and writes back unchanged; ICU's table leaves them out.
// (ICU's tables for 936 and 950 already hold Windows' own single bytes.)
struct SingleByteMapping {
    uchar byte;
    UChar unicode;
};
constexpr SingleByteMapping kWindows932Singles[] = {
    {0x80, 0x0080}, {0xA0, 0xF8F0}, {0xFD, 0xF8F1}, {0xFE, 0xF8F2}, {0xFF, 0xF8F3}};

// The code page a converter was opened for, handed to its callbacks.
struct CallbackContext {
    int codePage;
};
const CallbackContext kContext932{932};
const CallbackContext kContextOther{0};

// Windows' extra single bytes decode as Windows decodes them; every other
// malformed or unassigned byte sequence decodes to U+FFFD. ICU's default
// would give U+001A for some of them (a truncated lead byte, the
// single-byte substitution character), which looks like a control code.
void decodeAsWindows(const void *context, UConverterToUnicodeArgs *args, const char *bytes, int32_t length,
                     UConverterCallbackReason reason, UErrorCode *err)
{
    if (reason > UCNV_IRREGULAR)
        return;  // reset, close and clone need no output
    UChar out = 0xFFFD;
    if (static_cast<const CallbackContext *>(context)->codePage == 932 && length == 1)
        for (const SingleByteMapping &m : kWindows932Singles)
            if (uchar(bytes[0]) == m.byte)
                out = m.unicode;
    *err = U_ZERO_ERROR;
    ucnv_cbToUWriteUChars(args, &out, 1, 0, err);
}

// The other way: those characters become their single bytes again; every
// other character the code page cannot hold becomes the substitute "?".
void encodeAsWindows(const void *context, UConverterFromUnicodeArgs *args, const UChar *units, int32_t length,
                     UChar32 codePoint, UConverterCallbackReason reason, UErrorCode *err)
{
    if (reason <= UCNV_IRREGULAR && static_cast<const CallbackContext *>(context)->codePage == 932) {
        for (const SingleByteMapping &m : kWindows932Singles) {
            if (codePoint == m.unicode) {
                *err = U_ZERO_ERROR;
                const char byte = char(m.byte);
                ucnv_cbFromUWriteBytes(args, &byte, 1, 0, err);
                return;
            }
        }
    }
    UCNV_FROM_U_CALLBACK_SUBSTITUTE(nullptr, args, units, length, codePoint, reason, err);
}

const CallbackContext *contextFor(int codePage)
{
    return codePage == 932 ? &kContext932 : &kContextOther;
}

// ICU tells of a failure only through err: a conversion that failed must
// not pass for text.
void throwOnFailure(UErrorCode err, const std::string &what)
{
    if (U_FAILURE(err))
        throw std::runtime_error(what + ": " + u_errorName(err));
}

Converter openConverter(int codePage)
{
    const char *name = icuName(codePage);
    if (!name)
        throw std::invalid_argument("unknown code page " + std::to_string(codePage));
    UErrorCode err = U_ZERO_ERROR;
    Converter c(ucnv_open(name, &err));
    throwOnFailure(err, std::string("cannot open converter ") + name);
    return c;
}

// Runs one conversion into a buffer of that capacity and cuts the buffer to
// what it wrote; err carries any failure of the converter's setup.
template <class Buffer, class Convert>
Buffer convertInto(qsizetype capacity, UErrorCode &err, const char *what, Convert convert)
{
    Buffer out(capacity, Qt::Uninitialized);
    const int32_t n = convert(out.data(), int32_t(out.size()), &err);
    throwOnFailure(err, what);
    out.truncate(n);
    return out;
}

}  // namespace

modLocale::modLocale(const clsSett &sett, Dialogs &dialogs) : sett_(sett), dialogs_(dialogs) {}

void modLocale::initLocale()
{
    charsets_.clear();
    for (const CharsetRow &row : charsetTable::rows())
        addLocale(QString::fromUtf16(row.name), row.codePage, row.fontCharset, row.lcid, QString::fromUtf16(row.font));
}

void modLocale::addLocale(const QString &name, int codePage, int charset, int lcid, const QString &font)
{
    charsets_.append({name, codePage, charset, lcid, font});
}

int modLocale::ansiCodePage(int lcid)
{
    for (const CharsetRow &row : charsetTable::rows())
        if (row.lcid == lcid)
            return row.codePage;
    return 0;
}

int modLocale::fileCodePage() const
{
    return charsets_.value(sett_.settlocFile).codePage;
}

int modLocale::writeCodePage(const TextForm &form) const
{
    return form.isUtf8() ? kUtf8CodePage : fileCodePage();
}

bool modLocale::decodesCleanly(const QByteArray &bytes, int codePage)
{
    return str2bytes(bytes2str(bytes, codePage), codePage) == bytes;
}

QStringList modLocale::cleanCharsets(const QByteArray &bytes) const
{
    QStringList names;
    for (const Charset &c : charsets_)
        if (decodesCleanly(bytes, c.codePage))
            names << c.name;
    return names;
}

QList<qsizetype> modLocale::changedLines(const QString &text, int codePage, bool decodedCleanly)
{
    QList<qsizetype> lines;
    if (decodedCleanly && bytes2str(str2bytes(text, codePage), codePage) == text)
        return lines;
    qsizetype number = 0;
    qsizetype pos = 0;
    while (pos <= text.size()) {
        qsizetype end = pos;
        while (end < text.size() && text[end] != u'\r' && text[end] != u'\n')
            ++end;
        ++number;
        const QString line = text.mid(pos, end - pos);
        if ((!decodedCleanly && line.contains(QChar::ReplacementCharacter))
            || bytes2str(str2bytes(line, codePage), codePage) != line)
            lines.append(number);
        if (end + 1 < text.size() && text[end] == u'\r' && text[end + 1] == u'\n')
            ++end;
        pos = end + 1;
    }
    return lines;
}

QString modLocale::bytes2str(const QByteArray &bytes, int codePage)
{
    if (bytes.isEmpty())
        return {};
    Converter conv = openConverter(codePage);
    UErrorCode err = U_ZERO_ERROR;
    ucnv_setToUCallBack(conv.get(), decodeAsWindows, contextFor(codePage), nullptr, nullptr, &err);
    // No supported code page yields more UTF-16 units than input bytes.
    return convertInto<QString>(bytes.size() + 1, err, "decoding failed", [&](QChar *out, int32_t size, UErrorCode *e) {
        return ucnv_toUChars(conv.get(), reinterpret_cast<UChar *>(out), size, bytes.constData(),
                             int32_t(bytes.size()), e);
    });
}

QByteArray modLocale::str2bytes(const QString &text, int codePage)
{
    if (text.isEmpty())
        return {};
    Converter conv = openConverter(codePage);
    UErrorCode err = U_ZERO_ERROR;
    if (codePage != kUtf8CodePage && !QByteArray(ucnv_getName(conv.get(), &err)).startsWith("UTF-8")) {
        // The code page's default character is "?", and where Windows would
        // use a close neighbour (its best-fit table) ICU's fallbacks do.
        ucnv_setSubstChars(conv.get(), "?", 1, &err);
        ucnv_setFallback(conv.get(), true);
        ucnv_setFromUCallBack(conv.get(), encodeAsWindows, contextFor(codePage), nullptr, nullptr, &err);
    }
    err = U_ZERO_ERROR;
    const qsizetype capacity = qsizetype(text.size()) * ucnv_getMaxCharSize(conv.get()) + 1;
    return convertInto<QByteArray>(capacity, err, "encoding failed", [&](char *out, int32_t size, UErrorCode *e) {
        return ucnv_fromUChars(conv.get(), out, size, reinterpret_cast<const UChar *>(text.constData()),
                               int32_t(text.size()), e);
    });
}

void modLocale::reportReadFailure(const QString &path, const QString &why, bool charsetHint)
{
    QString text = QStringLiteral("modlocale::readfile(") + path + QStringLiteral("): ") + why;
    if (charsetHint)
        text += QStringLiteral("\r\n\r\n") + QStringLiteral("May be caused by wrong charset settings.")
                + QStringLiteral("\r\n") + QStringLiteral("see menu [Settings] - [xx charset].")
                + QStringLiteral("\r\n") + QStringLiteral("可能是編碼設定有誤，參見菜單“設定”-xx編碼");
    dialogs_.inform(text);
}

QString modLocale::readfile(const QString &path)
{
    const std::optional<TextFile> file = tryReadfile(path);
    return file ? file->text : QString();
}

namespace {

const QByteArray kBom("\xef\xbb\xbf");

// Reads the form of a file from its bytes. CR and LF never occur inside a
// multi-byte character of the supported code pages, so the bytes tell.
TextForm formOf(QByteArrayView bytes)
{
    TextForm form;
    form.bom = bytes.startsWith(kBom);
    if (form.bom)
        bytes = bytes.sliced(kBom.size());
    if (!bytes.contains("\r\n") && bytes.contains('\n')) {
        form.lineEnd = LineEnd::Lf;
        form.finalLineEnd = bytes.endsWith('\n');
    }
    // The marker line ends at the first CR (or CR LF), in an LF file at the
    // first LF; spaces do not count, letter case does not matter.
    const qsizetype end = form.lineEnd == LineEnd::Lf ? bytes.indexOf('\n') : bytes.indexOf('\r');
    QByteArray first = (end < 0 ? bytes : bytes.first(end)).toByteArray();
    if (form.lineEnd == LineEnd::Lf && first.endsWith('\r'))
        first.chop(1);
    first.replace(" ", "");
    form.utf8Marker = first.toUpper() == "#CHARSET:UTF8";
    return form;
}

}  // namespace

std::optional<TextFile> modLocale::tryReadfile(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        reportReadFailure(path, file.errorString());
        return std::nullopt;
    }
    if (file.size() > kMaxTextFileBytes) {
        reportReadFailure(path, QStringLiteral("File too large (%1 bytes)").arg(file.size()));
        return std::nullopt;
    }
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError) {
        reportReadFailure(path, file.errorString());
        return std::nullopt;
    }
    file.close();
    if (bytes.isEmpty()) {
        // An empty file has no first line to read.
        reportReadFailure(path, QStringLiteral("The file is empty; saving writes the entries to it.\r\n"
                                               "文件是空的；保存時將寫入條目。"));
        return std::nullopt;
    }

    TextFile result;
    result.form = formOf(bytes);
    result.stamp = stampOf(bytes);
    result.codePage = writeCodePage(result.form);
    const QByteArray body = result.form.bom ? bytes.sliced(kBom.size()) : bytes;
    try {
        result.text = bytes2str(body, result.codePage);
        result.decodedCleanly = str2bytes(result.text, result.codePage) == body;
        if (!result.decodedCleanly)
            result.cleanCharsets = cleanCharsets(body);
    } catch (const std::exception &e) {
        reportReadFailure(path, QString::fromLocal8Bit(e.what()), true);
        return std::nullopt;
    }
    return result;
}

std::optional<FileStamp> modLocale::writefile(const QString &path, const QString &text, const TextForm &form)
{
    return writefileIn(path, text, form, writeCodePage(form));
}

std::optional<FileStamp> modLocale::writefileIn(const QString &path, const QString &text, const TextForm &form,
                                                int codePage)
{
    std::optional<QString> error;
    QByteArray bytes;
    try {
        bytes = str2bytes(text, codePage);
        if (form.bom)
            bytes.prepend(kBom);
        error = writeFileAtomically(path, bytes);
    } catch (const std::exception &e) {
        error = QString::fromLocal8Bit(e.what());
    }
    if (error) {
        dialogs_.inform(QStringLiteral("modlocale::writefile(") + path + QStringLiteral("): ") + *error);
        return std::nullopt;
    }
    return stampOf(bytes);
}

QString modLocale::garbledName(const QString &name) const
{
    const int from = ansiCodePage(charsets_.value(sett_.settlocFile).lcid);
    const int to = ansiCodePage(charsets_.value(sett_.settlocDisp).lcid);
    return bytes2str(str2bytes(name, from), to);
}

QString modLocale::onDiskName(const QString &name) const
{
    return !sett_.filenameRuleOn() ? name : garbledName(name);
}

QString modLocale::wavePath(const QString &folder, const QString &name) const
{
    const QString garbled = garbledName(name);
    const bool ruleOn = sett_.filenameRuleOn();
    const QString first = joinPath(folder, ruleOn ? garbled : name);
    if (QFileInfo::exists(first))
        return first;
    const QString second = joinPath(folder, ruleOn ? name : garbled);
    if (garbled != name && QFileInfo::exists(second))
        return second;
    // A bank made on a Mac stores names decomposed (NFD), one written on
    // Windows composed (NFC): either form names the same recording.
    for (const auto form : {QString::NormalizationForm_C, QString::NormalizationForm_D}) {
        const QString other = joinPath(folder, name.normalized(form));
        if (other != joinPath(folder, name) && QFileInfo::exists(other))
            return other;
    }
    return first;
}
