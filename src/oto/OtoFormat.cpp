#include "oto/OtoFormat.h"

#include "core/NumberText.h"

#include <cmath>

namespace {

bool isBlank(QStringView line)
{
    // Only spaces count as blank; a tab makes a (bad) entry line.
    for (QChar c : line)
        if (c != u' ')
            return false;
    return true;
}

// Splits an entry line into its seven parts, or returns false for a bad
// line: exactly one "=", and right of it exactly five ",". One pass over the
// characters; this runs once per line of banks with 100 000 lines.
bool splitEntry(QStringView line, QStringView (&parts)[7])
{
    const char16_t *chars = reinterpret_cast<const char16_t *>(line.utf16());
    const qsizetype size = line.size();
    qsizetype start = 0;
    int part = 0;
    for (qsizetype i = 0; i < size; ++i) {
        const char16_t c = chars[i];
        const bool separates = part == 0 ? c == u'=' : c == u',';
        if (separates) {
            if (part == 6)
                return false;
            parts[part++] = line.mid(start, i - start);
            start = i + 1;
        } else if (c == u'=' && part > 0) {
            return false;
        }
    }
    if (part != 6)
        return false;
    parts[6] = line.mid(start);
    return true;
}

// The position of the next line end at or after pos, or the text's end. A
// single-character search is much faster than a two-character one.
qsizetype lineEnd(QStringView text, qsizetype pos, LineEnd style)
{
    if (style == LineEnd::Lf) {
        const qsizetype lf = text.indexOf(u'\n', pos);
        return lf < 0 ? text.size() : lf;
    }
    for (;;) {
        const qsizetype cr = text.indexOf(u'\r', pos);
        if (cr < 0)
            return text.size();
        if (cr + 1 < text.size() && text[cr + 1] == u'\n')
            return cr;
        pos = cr + 1;
    }
}

// Whether a number field is written exactly as formatting its value writes
// it: plain digits, a point only before significant fraction digits, no
// leading zeros, no blanks or exponent, at most fifteen digits, a minus only
// where the field keeps its sign and never on zero.
bool isShortestForm(QStringView field, bool signKept)
{
    qsizetype i = 0;
    const qsizetype n = field.size();
    const bool negative = n > 0 && field[0] == u'-';
    if (negative) {
        if (!signKept)
            return false;
        ++i;
    }
    const qsizetype intStart = i;
    while (i < n && field[i].isDigit() && field[i].unicode() < 128)
        ++i;
    const qsizetype intDigits = i - intStart;
    if (intDigits == 0 || (intDigits > 1 && field[intStart] == u'0'))
        return false;
    qsizetype fracDigits = 0;
    if (i < n && field[i] == u'.') {
        ++i;
        const qsizetype fracStart = i;
        while (i < n && field[i].isDigit() && field[i].unicode() < 128)
            ++i;
        fracDigits = i - fracStart;
        if (fracDigits == 0 || field[i - 1] == u'0')
            return false;
    }
    if (i != n || intDigits + fracDigits > 15)
        return false;
    const bool zero = fracDigits == 0 && field[intStart] == u'0';
    return !(zero && negative);
}

}  // namespace

ParsedOto parseOtoText(QStringView text, LineEnd style)
{
    ParsedOto result;
    const qsizetype endSize = style == LineEnd::Lf ? 1 : 2;
    qsizetype pos = 0;
    int lineNumber = 0;
    while (pos < text.size()) {
        ++lineNumber;
        const qsizetype end = lineEnd(text, pos, style);
        const QStringView line = text.mid(pos, end - pos);
        pos = end + endSize;

        if (isBlank(line) || line.front() == u'#')
            continue;
        QStringView parts[7];
        if (!splitEntry(line, parts)) {
            ++result.badLines;
            continue;
        }
        auto entry = std::make_shared<clsOto>();
        entry->FIL = parts[0].toString();
        entry->ALS = parts[1].toString();
        entry->prmLF = readNumber(parts[2]);
        entry->prmFX = readNumber(parts[3]);
        entry->prmRT = readNumber(parts[4]);
        entry->prmPR = std::abs(readNumber(parts[5]));
        entry->prmOV = readNumber(parts[6]);
        const bool shortest = isShortestForm(parts[2], true) && isShortestForm(parts[3], true)
                              && isShortestForm(parts[4], true) && isShortestForm(parts[5], false)
                              && isShortestForm(parts[6], true);
        if (!shortest)
            entry->keepSourceLine(line, parts[0].size(), parts[1].size());
        result.entries.append(std::move(entry));
        result.lines.append(lineNumber);
    }
    return result;
}

QString badLinesMessage(int n)
{
    return QString::number(n) + QStringLiteral(" entrie(s) bad, may be caused by wrong charset settings.")
           + QStringLiteral("\r\n") + QString::number(n) + QStringLiteral("個條目檢出錯誤，可能編碼設定有誤。");
}

QString otoFileText(const OtoEntries &entries, const TextForm &form)
{
    const QString newline = form.lineEndText();
    QString text;
    text.reserve(entries.size() * 48);
    if (form.utf8Marker) {
        text += kUtf8Marker;
        text += newline;
    }
    for (qsizetype i = 0; i < entries.size(); ++i) {
        if (i > 0)
            text += newline;
        entries[i]->appendFileStr(text);
    }
    if (form.lineEnd == LineEnd::Lf && form.finalLineEnd && !entries.isEmpty())
        text += newline;
    return text;
}
