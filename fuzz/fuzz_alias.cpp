#include "analysis/Estimator.h"
#include "analysis/Syllables.h"

#include <QByteArray>
#include <QString>
#include <cstdint>

// Reads arbitrary text as an alias, as a file name and as syllables: nothing
// may crash or hang, a placement is a place in the file name, and every
// entry made from a file name is placed back in it at the syllable it was
// made for (kana and romaji spellings both read back as the same sound).
// The input is split at its first newline into an alias and a file name.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QString text = QString::fromUtf8(reinterpret_cast<const char *>(data), qsizetype(size));
    const qsizetype newline = text.indexOf(u'\n');
    const QString alias = newline < 0 ? text : text.first(newline);
    const QString fileName = newline < 0 ? text : text.sliced(newline + 1);

    qsizetype consumed = -1;
    const QList<analysis::Syllable> syllables = analysis::parseSyllables(text, &consumed);
    if (consumed < 0 || consumed > text.size() || (consumed == 0 && !syllables.isEmpty()))
        __builtin_trap();
    for (const analysis::Syllable &s : syllables)
        if (s.key().isEmpty())
            __builtin_trap();

    const analysis::FileSyllables file = analysis::parseFileName(fileName);
    const analysis::AliasInfo info = analysis::parseAlias(alias);
    for (int occurrence = 0; occurrence < 3; ++occurrence) {
        const int at = analysis::placeAlias(info, file.syllables, occurrence);
        if (at < -1 || at >= file.syllables.size())
            __builtin_trap();
    }

    // Entries made for the file name, in kana and in romaji.
    for (const QString &style : {QStringLiteral("- あ"), QStringLiteral("- a")}) {
        clsOto existing;
        existing.FIL = QStringLiteral("other.wav");
        existing.ALS = style;
        const QString wave = fileName + QStringLiteral(".wav");
        const QList<clsOto> made = analysis::generateEntries({existing}, {wave});
        const QList<analysis::Syllable> named = analysis::parseFileName(wave).syllables;
        QHash<QString, int> seen;
        for (const clsOto &e : made) {
            const analysis::AliasInfo a = analysis::parseAlias(e.ALS);
            if (a.kind == analysis::AliasInfo::Kind::Unknown || e.FIL != wave || !analysis::isUnset(e))
                __builtin_trap();
            if (analysis::placeAlias(a, named, seen[e.ALS]++) < 0)
                __builtin_trap();
        }
    }
    return 0;
}
