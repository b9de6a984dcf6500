#include "report/BankInput.h"

#include "core/modUtils.h"
#include "oto/modLocale.h"
#include "oto/OtoDocument.h"
#include "oto/OtoFormat.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <algorithm>

namespace {

const QString kPrefixMap = QStringLiteral("prefix.map");

void sortLongestFirst(QStringList &list)
{
    list.removeDuplicates();
    std::sort(list.begin(), list.end(), [](const QString &a, const QString &b) {
        return a.size() != b.size() ? a.size() > b.size() : a < b;
    });
}

QString relativeTo(const QDir &root, const QString &path)
{
    return root.relativeFilePath(path);
}

// oto.ini files below root (not root's own), a few levels deep: pitch and
// voice colour folders, and their subfolders at most.
void findOtoFiles(const QString &folder, int depth, QStringList &out)
{
    if (depth == 0)
        return;
    for (const QFileInfo &info : QDir(folder).entryInfoList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name)) {
        if (info.isSymLink())
            continue;  // as listRecordings: a linked folder could lead back up the tree
        const QString sub = info.filePath();
        if (QFileInfo(QDir(sub).filePath(OtoDocument::kOtoIni)).isFile())
            out << QDir(sub).filePath(OtoDocument::kOtoIni);
        findOtoFiles(sub, depth - 1, out);
    }
}

}  // namespace

QString ReportEntry::folder() const
{
    const qsizetype slash = otoPath.lastIndexOf(u'/');
    return slash < 0 ? QString() : otoPath.left(slash);
}

PrefixMap PrefixMap::parse(QStringView text)
{
    PrefixMap map;
    for (QStringView line : text.split(u'\n')) {
        if (line.endsWith(u'\r'))
            line.chop(1);
        const QList<QStringView> fields = line.split(u'\t');
        if (fields.size() < 3)
            continue;
        if (!fields[1].isEmpty())
            map.prefixes_ << fields[1].toString();
        if (!fields[2].isEmpty())
            map.suffixes_ << fields[2].toString();
    }
    sortLongestFirst(map.prefixes_);
    sortLongestFirst(map.suffixes_);
    return map;
}

PrefixMap PrefixMap::read(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    // prefix.map holds note names and pitch marks: ASCII in practice; UTF-8
    // reads them and anything else as it is.
    return parse(QString::fromUtf8(file.read(1 << 20)));
}

QString PrefixMap::baseAlias(const QString &alias) const
{
    QString base = alias;
    for (const QString &suffix : suffixes_)
        if (base.size() > suffix.size() && base.endsWith(suffix)) {
            base.chop(suffix.size());
            break;
        }
    for (const QString &prefix : prefixes_)
        if (base.size() > prefix.size() && base.startsWith(prefix)) {
            base.remove(0, prefix.size());
            break;
        }
    return base;
}

QString entryName(const BankInput &bank, const QString &recording)
{
    qsizetype longest = 0;
    for (const QString &folder : bank.otoFolders)
        if (!folder.isEmpty() && recording.startsWith(folder + u'/'))
            longest = std::max(longest, folder.size() + 1);
    return recording.mid(longest);
}

QStringList listRecordings(const QString &root, const QString &folder)
{
    const QDir rootDir(root);
    QStringList out;
    QStringList pending{folder};
    while (!pending.isEmpty()) {
        const QDir dir(pending.takeFirst());
        for (const QFileInfo &info : dir.entryInfoList(QDir::Files | QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name)) {
            if (info.isDir()) {
                // A linked folder could lead back up the tree; banks do not need them.
                if (!info.isSymLink() && !QFileInfo(QDir(info.filePath()).filePath(OtoDocument::kOtoIni)).isFile())
                    pending << info.filePath();
            } else if (info.suffix().compare(QStringLiteral("wav"), Qt::CaseInsensitive) == 0) {
                out << relativeTo(rootDir, info.filePath());
            }
        }
    }
    return out;
}

std::optional<BankInput> readBank(const QString &root, modLocale &locale, QString *why)
{
    const QDir rootDir(root);
    if (!rootDir.exists()) {
        *why = QStringLiteral("%1 is not a folder").arg(root);
        return std::nullopt;
    }
    QStringList otoFiles;
    if (QFileInfo(rootDir.filePath(OtoDocument::kOtoIni)).isFile())
        otoFiles << rootDir.filePath(OtoDocument::kOtoIni);
    findOtoFiles(root, 3, otoFiles);
    if (otoFiles.isEmpty()) {
        *why = QStringLiteral("%1 holds no oto.ini, nor do its folders").arg(root);
        return std::nullopt;
    }

    BankInput bank;
    bank.root = root;
    bank.prefixMap = PrefixMap::read(rootDir.filePath(kPrefixMap));
    for (const QString &otoFile : otoFiles) {
        const std::optional<TextFile> file = locale.tryReadfile(otoFile);
        if (!file) {
            *why = QStringLiteral("cannot read %1").arg(otoFile);
            return std::nullopt;
        }
        const ParsedOto parsed = parseOtoText(file->text);
        const QString otoPath = relativeTo(rootDir, otoFile);
        for (qsizetype i = 0; i < parsed.entries.size(); ++i)
            bank.entries.append({*parsed.entries[i], otoPath, parsed.lines[i]});
        bank.badLines += parsed.badLines;
        const QString otoFolder = QFileInfo(otoPath).path();
        bank.otoFolders << (otoFolder == QStringLiteral(".") ? QString() : otoFolder);
        bank.recordings += listRecordings(root, QFileInfo(otoFile).path());
    }
    return bank;
}

BankInput documentBank(const OtoDocument &doc)
{
    BankInput bank;
    bank.root = doc.wrkpath();
    bank.prefixMap = PrefixMap::read(joinPath(doc.wrkpath(), kPrefixMap));
    const int first = doc.form().utf8Marker ? 2 : 1;
    const OtoEntries &entries = doc.clcOto();
    for (qsizetype i = 0; i < entries.size(); ++i)
        bank.entries.append({*entries[i], OtoDocument::kOtoIni, first + int(i), int(i)});
    bank.otoFolders << QString();
    bank.recordings = listRecordings(doc.wrkpath(), doc.wrkpath());
    return bank;
}
