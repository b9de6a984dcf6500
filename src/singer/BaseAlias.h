#pragma once

#include "oto/OtoFormat.h"

#include <QHash>
#include <QList>
#include <QString>
#include <QStringList>
#include <utility>

namespace singer {

// What a folder puts around each alias so that a synthesizer can pick the
// pitch: "- ay" is "- ayA3" in A3/ and "- ayC5" in C5/.
struct Affixes {
    QString prefix;
    QString suffix;
    bool isEmpty() const { return prefix.isEmpty() && suffix.isEmpty(); }
    bool operator==(const Affixes &) const = default;
};

using AffixPairs = QList<std::pair<QString, QString>>;

// The longest ending that nine in ten of the aliases carry with something
// before it; empty when there is none (or fewer than two aliases).
QString sharedEnding(const QStringList &aliases);

// The affixes of one folder's aliases: the prefix.map pair (prefix, suffix)
// that most of them carry, when at least half do; else the ending they
// share.
Affixes folderAffixes(const QStringList &aliases, const AffixPairs &mapPairs = {});

// The alias without its folder's affixes: its base, the same in every
// folder. An alias that does not carry them is its own base.
QString baseAlias(const QString &alias, const Affixes &affixes);

// The entries of a singer by base alias and folder: which entry of another
// folder is "the same sound". Built from the document's entries (each knows
// its folder); rebuild it when they change.
class SameAlias {
public:
    // folders in the document's order (the singer's own "" first).
    SameAlias(const OtoEntries &entries, const QStringList &folders, const AffixPairs &mapPairs = {});

    const QStringList &folders() const { return folders_; }
    Affixes affixes(const QString &folder) const { return affixes_.value(folder); }
    // The base alias of entry index.
    QString base(int index) const;
    // The entry with the same base in the next folder that has one, in
    // direction +1 (next) or -1 (previous), not wrapping; -1 when none.
    int step(int index, int direction) const;
    // The first entry with index's base in folder; -1 when none.
    int inFolder(int index, const QString &folder) const;

private:
    const OtoEntries &entries_;
    QStringList folders_;
    QHash<QString, Affixes> affixes_;
    // (folder, base) -> first entry index.
    QHash<std::pair<QString, QString>, int> byBase_;
};

}  // namespace singer
