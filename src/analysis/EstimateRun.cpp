#include "analysis/EstimateRun.h"

#include <QHash>

#include "oto/SingerFolder.h"

namespace analysis {

namespace {

// The prefix.map pair a folder without entries is named after, as makers
// name pitch folders: "C5/" for the suffix "C5" (or "_C5", "↑C5"), in either
// case. None when no pair, or more than one, fits.
singer::Affixes affixesNamedBy(const QString &folder, const singer::AffixPairs &pairs)
{
    const QString name = folder.section(u'/', -1);
    if (name.isEmpty())
        return {};
    const auto bare = [](QStringView affix) {
        while (!affix.isEmpty() && !affix.front().isLetterOrNumber())
            affix = affix.sliced(1);
        while (!affix.isEmpty() && !affix.back().isLetterOrNumber())
            affix.chop(1);
        return affix;
    };
    const auto names = [&](const QString &affix) {
        return !affix.isEmpty() && bare(affix).compare(name, Qt::CaseInsensitive) == 0;
    };
    QList<singer::Affixes> fitting;
    for (const auto &[prefix, suffix] : pairs) {
        const singer::Affixes a{prefix, suffix};
        if ((names(prefix) || names(suffix)) && !fitting.contains(a))
            fitting << a;
    }
    return fitting.size() == 1 ? fitting.first() : singer::Affixes{};
}

// Entries for the recordings of folderPath that no entry names. Where the
// folder's aliases carry a prefix.map pair, the made ones carry it too; a
// folder without entries takes the pair its name gives.
QList<clsOto> madeEntries(const QList<clsOto> &entries, const QString &folder, const QString &folderPath,
                          const singer::AffixPairs &pairs)
{
    QStringList aliases;
    for (const clsOto &e : entries)
        aliases << e.ALS;
    singer::Affixes affixes = singer::folderAffixes(aliases, pairs);
    // An ending the aliases merely happen to share is no pitch mark.
    if (!pairs.contains(std::pair(affixes.prefix, affixes.suffix)))
        affixes = {};
    if (entries.isEmpty())
        affixes = affixesNamedBy(folder, pairs);
    QList<clsOto> bare = entries;
    for (clsOto &e : bare)
        e.ALS = singer::baseAlias(e.ALS, affixes);
    QList<clsOto> made = generateEntries(bare, recordingNames(folderPath));
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
        switch (request.scope) {
        case EstimateScope::Unset: return isUnset(*all[i]);
        case EstimateScope::Current: return i == request.curIdx;
        case EstimateScope::All: return true;
        }
        return false;
    };
    EstimateOptions options;
    options.affixPairs = request.affixPairs;
    EstimateRun run;
    qsizetype madeBefore = 0;  // made for the folders before
    for (const OtoDocument::FolderIndexes &folder : doc.indexesByFolder()) {
        QList<clsOto> entries;
        QList<int> targets;
        for (int k = 0; k < folder.indexes.size(); ++k) {
            entries << *all[folder.indexes[k]];
            if (wanted(folder.indexes[k]))
                targets << k;
        }
        const int existing = int(entries.size());
        if (request.generate) {
            for (clsOto &e : madeEntries(entries, folder.folder, doc.folderPath(folder.folder), request.affixPairs)) {
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
