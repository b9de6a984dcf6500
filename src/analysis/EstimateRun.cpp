#include "analysis/EstimateRun.h"

#include <QHash>
#include <optional>

#include "oto/SingerFolder.h"

namespace analysis {

namespace {

// An affix without its marks around: "_C5" and "↑C5" are "C5".
QStringView bareAffix(QStringView affix)
{
    while (!affix.isEmpty() && !affix.front().isLetterOrNumber())
        affix = affix.sliced(1);
    while (!affix.isEmpty() && !affix.back().isLetterOrNumber())
        affix.chop(1);
    return affix;
}

QString folderName(const QString &folder) { return folder.section(u'/', -1); }

// Whether an affix is the folder's own name ("C5" in C5/), in either case.
bool namesFolder(const QString &affix, const QString &folder)
{
    return !affix.isEmpty() && !folder.isEmpty() && bareAffix(affix).compare(folderName(folder), Qt::CaseInsensitive) == 0;
}

// The prefix.map pair a folder without entries is named after, as makers
// name pitch folders: "C5/" for the suffix "C5" (or "_C5", "↑C5"). None when
// no pair, or more than one, fits.
singer::Affixes affixesNamedBy(const QString &folder, const singer::AffixPairs &pairs)
{
    QList<singer::Affixes> fitting;
    for (const auto &[prefix, suffix] : pairs) {
        const singer::Affixes a{prefix, suffix};
        if ((namesFolder(prefix, folder) || namesFolder(suffix, folder)) && !fitting.contains(a))
            fitting << a;
    }
    return fitting.size() == 1 ? fitting.first() : singer::Affixes{};
}

// A folder's pitch mark, which made entries carry too: the prefix.map pair
// most of its aliases carry, or the ending they share when that is the
// folder's own name ("A3" in A3/); an ending the aliases merely happen to
// share is no pitch mark.
singer::Affixes pitchAffixes(const QString &folder, const QStringList &aliases, const singer::AffixPairs &pairs)
{
    const singer::Affixes a = singer::folderAffixes(aliases, pairs);
    if (pairs.contains(std::pair(a.prefix, a.suffix)) || (a.prefix.isEmpty() && namesFolder(a.suffix, folder)))
        return a;
    return {};
}

// The pitch marks of a singer's folders. A folder without entries takes the
// prefix.map pair its name gives, or, where the others are marked with
// their own names, its own name marked alike ("_A3" in A3/: "_C5" in C5/).
// (The first folder in the document's order so marked is the pattern.)
QHash<QString, singer::Affixes> singerAffixes(const QList<std::pair<QString, QStringList>> &aliasesByFolder,
                                              const singer::AffixPairs &pairs)
{
    QHash<QString, singer::Affixes> out;
    std::optional<QString> ownNameMark;  // a folder's mark that is its own name
    for (const auto &[folder, aliases] : aliasesByFolder) {
        if (aliases.isEmpty())
            continue;
        const singer::Affixes a = pitchAffixes(folder, aliases, pairs);
        out.insert(folder, a);
        if (!ownNameMark && a.prefix.isEmpty() && namesFolder(a.suffix, folder))
            ownNameMark = a.suffix;
    }
    for (const auto &[folder, aliases] : aliasesByFolder) {
        if (!aliases.isEmpty())
            continue;
        singer::Affixes a = affixesNamedBy(folder, pairs);
        if (a.isEmpty() && ownNameMark && !folder.isEmpty())
            a.suffix = QString(*ownNameMark).replace(bareAffix(*ownNameMark).toString(), folderName(folder));
        out.insert(folder, a);
    }
    return out;
}

// What the singer's folders other than folder call each recording: its
// aliases there, affixes taken off, from the first folder that names it.
QHash<QString, QStringList> namesakesOf(const QString &folder, const QList<OtoDocument::FolderIndexes> &folders,
                                        const OtoEntries &all, const QHash<QString, singer::Affixes> &affixes)
{
    QHash<QString, QStringList> out;
    for (const OtoDocument::FolderIndexes &other : folders) {
        if (other.folder == folder)
            continue;
        QHash<QString, QStringList> here;
        for (int i : other.indexes)
            here[all[i]->FIL] << singer::baseAlias(all[i]->ALS, affixes.value(other.folder));
        for (auto it = here.cbegin(); it != here.cend(); ++it)
            if (!out.contains(it.key()))
                out.insert(it.key(), *it);
    }
    return out;
}

// Entries for the recordings of folderPath that no entry names, carrying
// the folder's pitch mark.
QList<clsOto> madeEntries(const QList<clsOto> &entries, const QString &folderPath, const singer::Affixes &affixes,
                          const QHash<QString, QStringList> &namesakes)
{
    QList<clsOto> bare = entries;
    for (clsOto &e : bare)
        e.ALS = singer::baseAlias(e.ALS, affixes);
    QList<clsOto> made = generateEntries(bare, recordingNames(folderPath), namesakes);
    for (clsOto &e : made)
        e.ALS = affixes.prefix + e.ALS + affixes.suffix;
    return made;
}

}  // namespace

qsizetype EstimateRun::madeCount() const
{
    qsizetype n = 0;
    for (const MadeEntries &m : made)
        n += m.entries.size();
    return n;
}

EstimateRun runEstimate(const OtoDocument &doc, const EstimateRequest &request,
                        const std::function<WaveSource(const QString &folder)> &wavesOf, FeatureCache *cache)
{
    const OtoEntries &all = doc.clcOto();
    const auto wanted = [&](int i) {
        if (!request.generateIn.isEmpty() && !request.generateIn.contains(all[i]->folder))
            return false;
        switch (request.scope) {
        case EstimateScope::Unset: return isUnset(*all[i]);
        case EstimateScope::Current: return i == request.curIdx;
        case EstimateScope::All: return true;
        }
        return false;
    };
    EstimateOptions options;
    options.affixPairs = request.affixPairs;
    QList<clsOto> singer;
    for (const auto &e : all)
        singer << *e;
    options.positiveRight = bankUsesPositiveRight(singer);
    EstimateRun run;
    const QList<OtoDocument::FolderIndexes> folders = doc.indexesByFolder();
    QList<std::pair<QString, QStringList>> aliasesByFolder;  // in the document's order
    for (const OtoDocument::FolderIndexes &folder : folders) {
        QStringList aliases;
        for (int i : folder.indexes)
            aliases << all[i]->ALS;
        aliasesByFolder.append({folder.folder, aliases});
    }
    const QHash<QString, singer::Affixes> affixes = singerAffixes(aliasesByFolder, request.affixPairs);
    qsizetype madeBefore = 0;  // made for the folders before
    for (const OtoDocument::FolderIndexes &folder : folders) {
        QList<clsOto> entries;
        QList<int> targets;
        for (int k = 0; k < folder.indexes.size(); ++k) {
            entries << *all[folder.indexes[k]];
            if (wanted(folder.indexes[k]))
                targets << k;
        }
        const int existing = int(entries.size());
        if (request.generate && (request.generateIn.isEmpty() || request.generateIn.contains(folder.folder))) {
            const QHash<QString, QStringList> namesakes = namesakesOf(folder.folder, folders, all, affixes);
            for (clsOto &e :
                 madeEntries(entries, doc.folderPath(folder.folder), affixes.value(folder.folder), namesakes)) {
                e.folder = folder.folder;
                targets << int(entries.size());
                entries << e;
            }
        }
        run.asked += int(targets.size());
        if (targets.isEmpty())
            continue;
        const WaveSource waves = wavesOf(folder.folder);
        Estimator estimator(waves, cache);
        EstimateReport report = estimator.estimate(entries, targets, options);
        run.elapsedMs += report.elapsedMs;
        MadeEntries made{folder.folder, entries.mid(existing)};
        for (Estimate &e : report.estimates) {
            e.entry.folder = folder.folder;
            if (e.estimated)
                e.entry.truncPrm(request.roundStep);
            run.estimated += e.estimated ? 1 : 0;
            if (e.index >= existing) {
                made.entries[e.index - existing] = e.entry;
                e.index = int(all.size() + madeBefore + e.index - existing);
            } else {
                e.index = folder.indexes[e.index];
                if (e.estimated)
                    run.changes.append({e.index, e.entry});
            }
            if (e.flagged)
                run.flaggedEstimates << e;
        }
        madeBefore += made.entries.size();
        if (!made.entries.isEmpty())
            run.made << made;
    }
    return run;
}

QList<Estimate> applyEstimateRun(OtoDocument &doc, const EstimateRun &run, const QString &what)
{
    // Insertions move positions: the entries are followed by object.
    const OtoEntries before = doc.clcOto();
    QStringList order;  // the folders in the document's order
    for (const OtoDocument::FolderIndexes &f : doc.indexesByFolder())
        order << f.folder;
    OtoEntries made;
    OtoDocument::ScriptEdit edit(doc, what);
    if (!run.changes.isEmpty())
        doc.editEntries(run.changes, what);
    for (const MadeEntries &m : run.made) {
        OtoEntries entries;
        for (const clsOto &e : m.entries)
            entries << std::make_shared<clsOto>(e);
        // After the last entry of the folder or of a folder before it.
        const qsizetype rank = order.indexOf(m.folder);
        int at = 0;
        for (int i = int(doc.clcOto().size()) - 1; i >= 0 && at == 0; --i)
            if (order.indexOf(doc.clcOto()[i]->folder) <= rank)
                at = i + 1;
        doc.insertEntriesStep(at, entries, what);
        made += entries;
    }
    edit.close();
    QHash<const clsOto *, int> now;
    for (int i = 0; i < doc.clcOto().size(); ++i)
        now.insert(doc.clcOto()[i].get(), i);
    QList<Estimate> flagged = run.flaggedEstimates;
    for (Estimate &e : flagged) {
        const qsizetype k = e.index - before.size();
        const clsOto *entry = k < 0 ? before.value(e.index).get() : made.value(k).get();
        e.index = now.value(entry, -1);
    }
    return flagged;
}

}  // namespace analysis
