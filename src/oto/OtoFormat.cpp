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

// The end of the line starting at pos: where it ends and how.
qsizetype lineEnd(QStringView text, qsizetype pos, OtoFileLayout::End &end)
{
    const char16_t *chars = reinterpret_cast<const char16_t *>(text.utf16());
    const qsizetype size = text.size();
    for (qsizetype i = pos; i < size; ++i) {
        if (chars[i] == u'\n') {
            end = OtoFileLayout::End::Lf;
            return i;
        }
        if (chars[i] == u'\r') {
            end = i + 1 < size && chars[i + 1] == u'\n' ? OtoFileLayout::End::CrLf : OtoFileLayout::End::Cr;
            return i;
        }
    }
    end = OtoFileLayout::End::None;
    return size;
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

ParsedOto parseOtoText(QStringView text)
{
    constexpr int kBadLinesNamed = 5;
    ParsedOto result;
    qsizetype pos = 0;
    qsizetype number = 0;
    while (pos < text.size()) {
        OtoFileLayout::End end;
        const qsizetype stop = lineEnd(text, pos, end);
        const QStringView line = text.mid(pos, stop - pos);
        pos = stop + OtoFileLayout::endText(end).size();
        ++number;

        if (isBlank(line) || line.front() == u'#') {
            result.layout.addKeptLine(line, end);
            continue;
        }
        QStringView parts[7];
        if (!splitEntry(line, parts)) {
            if (result.badLines++ < kBadLinesNamed)
                result.firstBadLines.append({number, line.toString()});
            result.layout.addKeptLine(line, end);
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
        result.layout.addEntryLine(entry, end);
        result.entries.append(std::move(entry));
        result.lines.append(int(number));
    }
    return result;
}

QString badLinesMessage(const ParsedOto &parsed)
{
    QString lines;
    for (const BadLine &bad : parsed.firstBadLines)
        lines += QStringLiteral("\r\n%1: %2").arg(bad.number).arg(bad.text.left(80));
    if (parsed.badLines > parsed.firstBadLines.size())
        lines += QStringLiteral("\r\n...");
    const int n = parsed.badLines;
    return QStringLiteral("%1 line(s) are not entries (a wrong charset setting can cause this). "
                          "They are kept and saved back as they are.").arg(n)
           + lines + QStringLiteral("\r\n")
           + QStringLiteral("%1行不是條目（可能編碼設定有誤）。這些行將原樣保留並保存。").arg(n);
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
