#include "OtoFormat.h"

#include "NumberText.h"

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

// Splits an entry line into its seven parts, or returns false for a bad line.
bool splitEntry(QStringView line, QStringView (&parts)[7])
{
    const qsizetype eq = line.indexOf(u'=');
    if (eq < 0 || line.indexOf(u'=', eq + 1) >= 0)
        return false;
    parts[0] = line.left(eq);
    QStringView rest = line.mid(eq + 1);
    for (int field = 1; field < 6; ++field) {
        const qsizetype comma = rest.indexOf(u',');
        if (comma < 0)
            return false;
        parts[field] = rest.left(comma);
        rest = rest.mid(comma + 1);
    }
    if (rest.contains(u','))
        return false;
    parts[6] = rest;
    return true;
}

}  // namespace

ParsedOto parseOtoText(QStringView text)
{
    ParsedOto result;
    qsizetype pos = 0;
    while (pos < text.size()) {
        qsizetype end = text.indexOf(u"\r\n", pos);
        if (end < 0)
            end = text.size();
        const QStringView line = text.mid(pos, end - pos);
        pos = end + 2;

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
        result.entries.append(std::move(entry));
    }
    return result;
}

QString badLinesMessage(int n)
{
    return QString::number(n) + QStringLiteral(" entrie(s) bad, may be caused by wrong charset settings.")
           + QStringLiteral("\r\n") + QString::number(n) + QStringLiteral("個條目檢出錯誤，可能編碼設定有誤。");
}

QString otoFileText(const OtoEntries &entries, bool utf8Marker)
{
    QString text;
    text.reserve(entries.size() * 48);
    if (utf8Marker) {
        text += kUtf8Marker;
        text += QStringLiteral("\r\n");
    }
    for (qsizetype i = 0; i < entries.size(); ++i) {
        if (i > 0)
            text += QStringLiteral("\r\n");
        text += entries[i]->fileStr();
    }
    return text;
}
