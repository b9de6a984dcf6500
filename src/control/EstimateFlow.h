#pragma once

#include "analysis/EstimateRun.h"

#include <QSet>

#include <array>
#include <functional>
#include <future>
#include <optional>

class Dialogs;
class FlagMarks;
class OtoDocument;
class modLocale;

// What the Estimate command offers: how many entries each choice would
// estimate.
struct EstimateCounts {
    int unset = 0;          // entries whose five numbers are all 0
    bool hasCurrent = false;  // an entry is on show
    QString currentAlias;
    int all = 0;
    // Recordings of the bank's folders that no entry of their folder names.
    int unnamedRecordings = 0;
};

struct EstimateChoice {
    analysis::EstimateScope scope = analysis::EstimateScope::Unset;
    // The parameters left as they are, in box order LF, OV, PR, FX, RT.
    std::array<bool, 5> keep{};
    // First make entries for the recordings that have none (as the bank
    // names the rest, else from their names); they are estimated too.
    bool generate = false;
};

// The dialogs of the Estimate command; the window shows real ones, tests
// answer from a script.
class EstimateUi {
public:
    virtual ~EstimateUi() = default;
    // Which entries and which parameters; nothing when cancelled.
    virtual std::optional<EstimateChoice> askEstimate(const EstimateCounts &counts) = 0;
    // Lets events run until done() is true; from half a second on shows
    // progress with a Cancel button. False when the user cancelled.
    virtual bool waitFor(const std::function<bool()> &done) = 0;
    // The result, in a box that does not block the window.
    virtual void showSummary(const QString &title, const QString &text) = 0;
};

// The Estimate command: asks, runs the estimator beside the window, applies
// the result as one step of the history (a cancelled run changes nothing)
// and marks the flagged entries with their reasons.
class EstimateFlow {
public:
    EstimateFlow(OtoDocument &doc, FlagMarks &flags, analysis::FeatureCache &cache, const modLocale *locale);
    // Waits for a cancelled run that is still working.
    ~EstimateFlow();

    EstimateCounts counts(int curIdx) const;
    // True when the result was applied. The estimates are rounded to
    // roundStep ms (the parameter rounding; 0 keeps them as found).
    bool run(EstimateUi &ui, int curIdx, double roundStep = 0);
    // A new bank (no oto.ini yet, or an empty one) whose folders hold
    // recordings (the root's and its pitch folders'), or a set singer's
    // pitch folders of recordings with no oto.ini yet: asks whether to make
    // their entries (from the recordings' names, or as the singer's other
    // folders name the same recordings); yes makes and estimates them as
    // one step of the history. True when they were made. Folders declined
    // once are not offered again while the editor runs, unless their
    // recordings change or an oto.ini comes or goes.
    bool offerNewBank(Dialogs &dialogs, EstimateUi &ui, double roundStep = 0);
    // The question, for that many recordings in that many folders (a
    // singer's pitch folders).
    static QString newBankQuestion(qsizetype recordings, qsizetype folders = 1);
    // The offer for a set singer's pitch folders that have recordings and
    // no oto.ini yet.
    static QString newFoldersQuestion(const QStringList &folders, qsizetype recordings);
    // The flagged estimates of the last run applied, for the views.
    const QList<analysis::Estimate> &lastFlagged() const { return lastFlagged_; }

    static QString title() { return QStringLiteral("Estimate - 自動估算"); }
    // The summary: how many were estimated, then each flagged entry with
    // its reason.
    // generateAsked: entries were to be made for the recordings that had
    // none (the summary says so when none could be).
    static QString summary(const analysis::EstimateRun &run, bool generateAsked);

private:
    // Runs the estimator beside the window; nothing when the user cancelled.
    std::optional<analysis::EstimateRun> compute(EstimateUi &ui, const analysis::EstimateRequest &request);
    void apply(analysis::EstimateRun run, const EstimateChoice &choice);
    // What a declined offer is remembered by: the folder as it was.
    QString offerKey(const QString &folder, const QStringList &recordings) const;

    OtoDocument &doc_;
    FlagMarks &flags_;
    analysis::FeatureCache &cache_;
    const modLocale *locale_;
    std::future<analysis::EstimateRun> pending_;
    QList<analysis::Estimate> lastFlagged_;
    QSet<QString> declined_;  // offerKey of the folders whose offer was declined
};
