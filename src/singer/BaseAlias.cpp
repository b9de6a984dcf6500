#include "singer/BaseAlias.h"

namespace singer {

namespace {

constexpr int kLongestEnding = 16;

bool carries(const QString &alias, const QString &prefix, const QString &suffix)
{
    return alias.size() > prefix.size() + suffix.size() && alias.startsWith(prefix) && alias.endsWith(suffix);
}

}  // namespace

QString sharedEnding(const QStringList &aliases)
{
    if (aliases.size() < 2)
        return {};
    const qsizetype needed = (aliases.size() * 9 + 9) / 10;
    QString ending;
    for (int length = 1; length <= kLongestEnding; ++length) {
        QHash<QStringView, qsizetype> counts;
        QStringView best;
        qsizetype bestCount = 0;
        for (const QString &alias : aliases) {
            if (alias.size() <= length)
                continue;
            const QStringView end = QStringView(alias).right(length);
            const qsizetype n = ++counts[end];
            if (n > bestCount)
                bestCount = n, best = end;
        }
        if (bestCount < needed)
            break;
        ending = best.toString();
    }
    return ending;
}

Affixes folderAffixes(const QStringList &aliases, const AffixPairs &mapPairs)
{
    Affixes chosen;
    qsizetype chosenCount = 0;
    for (const auto &[prefix, suffix] : mapPairs) {
        qsizetype n = 0;
        for (const QString &alias : aliases)
            n += carries(alias, prefix, suffix);
        const bool longer = prefix.size() + suffix.size() > chosen.prefix.size() + chosen.suffix.size();
        if (n > chosenCount || (n == chosenCount && n > 0 && longer)) {
            chosen = {prefix, suffix};
            chosenCount = n;
        }
    }
    if (chosenCount > 0 && chosenCount * 2 >= aliases.size())
        return chosen;
    return {QString(), sharedEnding(aliases)};
}

QString baseAlias(const QString &alias, const Affixes &affixes)
{
    if (affixes.isEmpty() || !carries(alias, affixes.prefix, affixes.suffix))
        return alias;
    return alias.mid(affixes.prefix.size(), alias.size() - affixes.prefix.size() - affixes.suffix.size());
}

SameAlias::SameAlias(const OtoEntries &entries, const QStringList &folders, const AffixPairs &mapPairs)
    : entries_(entries), folders_(folders)
{
    QHash<QString, QStringList> aliases;
    for (const auto &e : entries)
        aliases[e->folder] << e->ALS;
    for (auto it = aliases.cbegin(); it != aliases.cend(); ++it)
        affixes_.insert(it.key(), folderAffixes(it.value(), mapPairs));
    // Backwards, so that the first of equal bases wins.
    for (int i = int(entries.size()) - 1; i >= 0; --i)
        byBase_.insert({entries[i]->folder, base(i)}, i);
}

QString SameAlias::base(int index) const
{
    const clsOto &e = *entries_[index];
    return baseAlias(e.ALS, affixes_.value(e.folder));
}

int SameAlias::inFolder(int index, const QString &folder) const
{
    if (index < 0 || index >= entries_.size())
        return -1;
    return byBase_.value({folder, base(index)}, -1);
}

int SameAlias::step(int index, int direction) const
{
    if (index < 0 || index >= entries_.size())
        return -1;
    const qsizetype here = folders_.indexOf(entries_[index]->folder);
    if (here < 0)
        return -1;
    for (qsizetype f = here + direction; f >= 0 && f < folders_.size(); f += direction) {
        const int found = inFolder(index, folders_[f]);
        if (found >= 0)
            return found;
    }
    return -1;
}

}  // namespace singer
