#include "oto/OtoDiff.h"

#include "core/NumberText.h"

#include <QHash>
#include <algorithm>
#include <deque>

namespace {

QString identity(const clsOto &entry, bool withAlias)
{
    return entry.folder + u'\n' + entry.FIL + (withAlias ? u'\n' + entry.ALS : QString());
}

// Pairs each entry on disk with one here of the same identity, first with
// first; returns for each entry on disk the index here, or -1.
void pairBy(const OtoEntries &onDisk, const OtoEntries &here, bool withAlias, QList<int> &diskToHere,
            QList<bool> &hereTaken)
{
    QHash<QString, std::deque<int>> free;
    for (int i = 0; i < here.size(); ++i)
        if (!hereTaken[i])
            free[identity(*here[i], withAlias)].push_back(i);
    for (int d = 0; d < onDisk.size(); ++d) {
        if (diskToHere[d] >= 0)
            continue;
        auto it = free.find(identity(*onDisk[d], withAlias));
        if (it == free.end() || it->empty())
            continue;
        diskToHere[d] = it->front();
        hereTaken[it->front()] = true;
        it->pop_front();
    }
}

}  // namespace

QList<EntryDifference> diffEntries(const OtoEntries &onDisk, const OtoEntries &here)
{
    QList<int> diskToHere(onDisk.size(), -1);
    QList<bool> hereTaken(here.size(), false);
    pairBy(onDisk, here, true, diskToHere, hereTaken);
    pairBy(onDisk, here, false, diskToHere, hereTaken);

    // Each difference sorts by the place here it belongs to.
    struct Placed {
        int hereIndex;
        int diskIndex;
        EntryDifference difference;
    };
    QList<Placed> placed;
    int lastHere = -1;
    for (int d = 0; d < onDisk.size(); ++d) {
        const int h = diskToHere[d];
        if (h < 0) {
            placed.append({lastHere, d, {EntryDifference::Kind::Added, *onDisk[d], std::nullopt}});
            continue;
        }
        lastHere = h;
        if (!(*onDisk[d] == *here[h]))
            placed.append({h, -1, {EntryDifference::Kind::Changed, *onDisk[d], *here[h]}});
    }
    for (int h = 0; h < here.size(); ++h)
        if (!hereTaken[h])
            placed.append({h, -1, {EntryDifference::Kind::Removed, std::nullopt, *here[h]}});
    std::stable_sort(placed.begin(), placed.end(), [](const Placed &a, const Placed &b) {
        return std::pair(a.hereIndex, a.diskIndex) < std::pair(b.hereIndex, b.diskIndex);
    });
    QList<EntryDifference> out;
    out.reserve(placed.size());
    for (Placed &p : placed)
        out.append(std::move(p.difference));
    return out;
}

QString differenceText(const QList<EntryDifference> &differences)
{
    using Kind = EntryDifference::Kind;
    int counts[3] = {};
    for (const EntryDifference &d : differences)
        ++counts[int(d.kind)];
    QStringList lines;
    lines << QStringLiteral("On disk against the entries here: %1 added, %2 removed, %3 changed.")
                 .arg(counts[int(Kind::Added)])
                 .arg(counts[int(Kind::Removed)])
                 .arg(counts[int(Kind::Changed)])
          << QStringLiteral("磁盤上的文件與此處的條目相比：新增%1，刪除%2，修改%3。")
                 .arg(counts[int(Kind::Added)])
                 .arg(counts[int(Kind::Removed)])
                 .arg(counts[int(Kind::Changed)]);
    if (differences.isEmpty())
        lines << QStringLiteral("The entries are the same; only lines that are not entries differ.");
    for (const EntryDifference &d : differences) {
        switch (d.kind) {
        case Kind::Added:
            lines << QStringLiteral("+ only on disk:  ") + d.onDisk->pathLineStr();
            break;
        case Kind::Removed:
            lines << QStringLiteral("- only here:     ") + d.here->pathLineStr();
            break;
        case Kind::Changed: {
            const clsOto &a = *d.here, &b = *d.onDisk;
            lines << QStringLiteral("~ changed:       ") + a.pathLineStr();
            if (a.ALS != b.ALS)
                lines << QStringLiteral("      alias: \"%1\" here, \"%2\" on disk").arg(a.ALS, b.ALS);
            const std::pair<const char *, double clsOto::*> fields[] = {
                {"left", &clsOto::prmLF}, {"fixed", &clsOto::prmFX}, {"right", &clsOto::prmRT},
                {"preutterance", &clsOto::prmPR}, {"overlap", &clsOto::prmOV}};
            for (const auto &[name, field] : fields)
                if (a.*field != b.*field)
                    lines << QStringLiteral("      %1: %2 here, %3 on disk")
                                 .arg(QLatin1String(name), formatNumber(a.*field), formatNumber(b.*field));
            break;
        }
        }
    }
    return lines.join(u'\n');
}
