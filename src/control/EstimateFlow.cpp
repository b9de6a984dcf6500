#include "control/EstimateFlow.h"

#include "oto/FlagMarks.h"
#include "oto/OtoDocument.h"

#include <QHash>
#include <algorithm>
#include <chrono>

EstimateFlow::EstimateFlow(OtoDocument &doc, FlagMarks &flags, analysis::FeatureCache &cache, const modLocale *locale)
    : doc_(doc), flags_(flags), cache_(cache), locale_(locale)
{
}

EstimateFlow::~EstimateFlow()
{
    if (pending_.valid())
        pending_.wait();
}

EstimateCounts EstimateFlow::counts(int curIdx) const
{
    EstimateCounts c;
    QList<clsOto> entries;
    for (const auto &e : doc_.clcOto())
        entries << *e;
    c.unset = int(analysis::unsetIndexes(entries).size());
    c.all = int(entries.size());
    c.hasCurrent = curIdx >= 0 && curIdx < entries.size();
    if (c.hasCurrent)
        c.currentAlias = entries[curIdx].ALS;
    return c;
}

bool EstimateFlow::run(EstimateUi &ui, int curIdx, double roundStep)
{
    if (doc_.wrkpath().isEmpty())
        return false;
    const std::optional<EstimateChoice> choice = ui.askEstimate(counts(curIdx));
    if (!choice)
        return false;
    // A cancelled run may still be working on the shared feature cache.
    if (pending_.valid())
        pending_.wait();
    // The worker reads the entries while the progress box keeps the user
    // from changing them.
    // Each folder of a singer has its own recordings.
    QHash<QString, analysis::WaveSource> waves;
    for (const auto &entry : doc_.clcOto())
        if (!waves.contains(entry->folder))
            waves.insert(entry->folder, analysis::folderWaves(doc_.folderPath(entry->folder), locale_));
    pending_ = std::async(std::launch::async, [this, scope = choice->scope, curIdx, waves, roundStep] {
        const auto wavesOf = [&](const QString &folder) { return waves.value(folder); };
        return analysis::runEstimate(doc_, scope, curIdx, wavesOf, &cache_, roundStep);
    });
    const bool finished = ui.waitFor([this] {
        return pending_.wait_for(std::chrono::seconds(0)) == std::future_status::ready;
    });
    if (!finished)
        return false;  // the result is dropped when the run ends
    const analysis::EstimateRun run = pending_.get();
    apply(run, *choice);
    ui.showSummary(title(), summary(run));
    return true;
}

void EstimateFlow::apply(const analysis::EstimateRun &run, const EstimateChoice &choice)
{
    static constexpr double clsOto::*kFields[5] = {&clsOto::prmLF, &clsOto::prmOV, &clsOto::prmPR, &clsOto::prmFX,
                                                    &clsOto::prmRT};
    QList<EntryChange> changes = run.changes;
    for (EntryChange &change : changes) {
        const clsOto &old = *doc_.clcOto()[change.index];
        for (int i = 0; i < 5; ++i)
            if (choice.keep[i])
                change.values.*kFields[i] = old.*kFields[i];
    }
    changes.removeIf([&](const EntryChange &c) {
        const clsOto &old = *doc_.clcOto()[c.index];
        return std::all_of(std::begin(kFields), std::end(kFields), [&](auto f) { return c.values.*f == old.*f; });
    });
    if (!changes.isEmpty())
        doc_.editEntries(changes, QStringLiteral("Estimate"));
    // Marked after the edit, which clears the marks of the entries it changes.
    QHash<int, QString> reasons;
    for (const analysis::Estimate &e : run.flaggedEstimates)
        reasons.insert(e.index, e.reason);
    flags_.mark(reasons);
    lastFlagged_ = run.flaggedEstimates;
}

QString EstimateFlow::summary(const analysis::EstimateRun &run)
{
    QString text = QStringLiteral("%1 of %2 entries estimated.").arg(run.changes.size()).arg(run.asked)
                   + QStringLiteral("\r\n") + QStringLiteral("已估算%1個條目（共%2個）。").arg(run.changes.size()).arg(run.asked);
    if (run.flaggedEstimates.isEmpty())
        return text;
    text += QStringLiteral("\r\n\r\n") + QStringLiteral("These %1 need a look (marked in the list; F4 steps to the next):")
                                              .arg(run.flaggedEstimates.size())
            + QStringLiteral("\r\n") + QStringLiteral("以下%1個條目需要檢查（已在列表中標記；F4跳到下一個）：").arg(run.flaggedEstimates.size());
    // A long list is cut: the box must fit on the screen.
    constexpr int kShown = 30;
    for (int i = 0; i < std::min<int>(kShown, run.flaggedEstimates.size()); ++i) {
        const analysis::Estimate &e = run.flaggedEstimates[i];
        text += QStringLiteral("\r\n") + e.entry.ALS + (e.reason.isEmpty() ? QString() : QStringLiteral(": ") + e.reason);
    }
    if (run.flaggedEstimates.size() > kShown)
        text += QStringLiteral("\r\n… (+%1)").arg(run.flaggedEstimates.size() - kShown);
    return text;
}
