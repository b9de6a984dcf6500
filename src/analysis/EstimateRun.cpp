#include "analysis/EstimateRun.h"

#include <QHash>

#include "core/Dialogs.h"

namespace analysis {

std::optional<EstimateScope> askEstimateScope(Dialogs &dialogs)
{
    const QString prompt =
        QStringLiteral("Estimate which entries? - 估算哪些條目？\r\n"
                       "1 --> the entries not set yet (all five numbers 0) - 未設定的條目\r\n"
                       "2 --> the current entry - 當前條目\r\n"
                       "3 --> every entry, from the recordings alone - 全部條目（僅依錄音）");
    const std::optional<QString> answer = dialogs.input(prompt, QStringLiteral("Estimate - 自動估算"), QStringLiteral("1"));
    if (!answer || answer->trimmed().isEmpty())
        return std::nullopt;
    switch (answer->trimmed().toInt()) {
    case 1: return EstimateScope::Unset;
    case 2: return EstimateScope::Current;
    case 3: return EstimateScope::All;
    default:
        dialogs.message({QStringLiteral("1~3"), QStringLiteral("..."), MsgButtons::Ok, MsgIcon::None, MsgAnswer::Ok});
        return std::nullopt;
    }
}

clsOto inEntryForm(const clsOto &estimated, bool positiveRight, double lengthMs, double step)
{
    clsOto e = estimated;
    if (lengthMs > 0) {
        if (positiveRight && e.prmRT < 0) {
            const double fromEnd = lengthMs - (e.prmLF - e.prmRT);
            if (fromEnd >= 0)
                e.prmRT = fromEnd;
        } else if (!positiveRight && e.prmRT > 0) {
            const double used = lengthMs - e.prmRT - e.prmLF;
            if (used > 0)
                e.prmRT = -used;
        }
    }
    e.truncPrm(step);
    return e;
}

bool bankUsesPositiveRight(const QList<clsOto> &entries)
{
    qsizetype positive = 0, negative = 0;
    for (const clsOto &e : entries) {
        positive += e.prmRT > 0;
        negative += e.prmRT < 0;
    }
    return positive > negative;
}

void keepEntryForms(QList<Estimate> &estimates, const QList<clsOto> &entries, const WaveSource &waves, double step)
{
    const bool bankPositive = bankUsesPositiveRight(entries);
    QHash<QString, double> lengths;  // each wave read once
    const auto lengthOf = [&](const QString &file) {
        const auto known = lengths.constFind(file);
        if (known != lengths.constEnd())
            return *known;
        const WaveData d = waves.load ? waves.load(file) : WaveData{};
        const double ms = d.sampleRate > 0 ? double(d.samples.size()) * 1000.0 / d.sampleRate : 0;
        lengths.insert(file, ms);
        return ms;
    };
    for (Estimate &e : estimates) {
        if (!e.estimated || e.index < 0 || e.index >= entries.size())
            continue;
        const double was = entries[e.index].prmRT;
        const bool positive = was != 0 ? was > 0 : bankPositive;
        // Only a change of form needs the wave's length.
        const bool converts = positive ? e.entry.prmRT < 0 : e.entry.prmRT > 0;
        e.entry = inEntryForm(e.entry, positive, converts ? lengthOf(e.entry.FIL) : 0, step);
    }
}

EstimateRun runEstimate(const OtoDocument &doc, EstimateScope scope, int curIdx,
                        const std::function<WaveSource(const QString &folder)> &wavesOf, FeatureCache *cache,
                        double roundStep)
{
    const OtoEntries &all = doc.clcOto();
    const auto wanted = [&](int i) {
        switch (scope) {
        case EstimateScope::Unset: return isUnset(*all[i]);
        case EstimateScope::Current: return i == curIdx;
        case EstimateScope::All: return true;
        }
        return false;
    };
    // The entries of each folder, in the order the folders first appear.
    QStringList folders;
    QHash<QString, QList<int>> indexes;
    for (int i = 0; i < all.size(); ++i) {
        if (!indexes.contains(all[i]->folder))
            folders << all[i]->folder;
        indexes[all[i]->folder] << i;
    }
    EstimateRun run;
    for (const QString &folder : folders) {
        const QList<int> &inDoc = indexes[folder];
        QList<clsOto> entries;
        QList<int> targets;
        for (int k = 0; k < inDoc.size(); ++k) {
            entries << *all[inDoc[k]];
            if (wanted(inDoc[k]))
                targets << k;
        }
        run.asked += int(targets.size());
        if (targets.isEmpty())
            continue;
        const WaveSource waves = wavesOf(folder);
        Estimator estimator(waves, cache);
        QList<Estimate> estimates = estimator.estimate(entries, targets).estimates;
        keepEntryForms(estimates, entries, waves, roundStep);
        for (Estimate &e : estimates) {
            e.index = inDoc[e.index];
            e.entry.folder = folder;
            if (e.estimated)
                run.changes.append({e.index, e.entry});
            if (e.flagged) {
                run.flagged << e.entry.ALS;
                run.flaggedEstimates << e;
            }
        }
    }
    return run;
}

QString estimateSummary(const EstimateRun &run)
{
    QString text = QStringLiteral("%1 of %2 entries estimated.").arg(run.changes.size()).arg(run.asked)
                   + QStringLiteral("\r\n") + QStringLiteral("已估算%1個條目（共%2個）。").arg(run.changes.size()).arg(run.asked);
    if (run.flagged.isEmpty())
        return text;
    // A long list is cut: the box must fit on the screen.
    constexpr int kShown = 30;
    QStringList shown = run.flagged.mid(0, kShown);
    if (run.flagged.size() > kShown)
        shown << QStringLiteral("… (+%1)").arg(run.flagged.size() - kShown);
    return text + QStringLiteral("\r\n\r\n") + QStringLiteral("These %1 need a look:").arg(run.flagged.size())
           + QStringLiteral("\r\n") + QStringLiteral("以下%1個條目需要檢查：").arg(run.flagged.size())
           + QStringLiteral("\r\n") + shown.join(QStringLiteral("\r\n"));
}

}  // namespace analysis
