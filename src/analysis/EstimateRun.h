#pragma once

#include "analysis/Estimator.h"
#include "oto/OtoDocument.h"

#include <functional>
#include <optional>

class Dialogs;

// The editor's Estimate command without the window: which entries, the
// run over the document's entries, and what the user is told afterwards.

namespace analysis {

enum class EstimateScope {
    Unset,    // the entries not set yet (all five numbers 0)
    Current,  // the current entry
    All,      // every entry, from the recordings alone
};

// Asks which entries to estimate; nothing when the user cancels.
std::optional<EstimateScope> askEstimateScope(Dialogs &dialogs);

struct EstimateRun {
    QList<EntryChange> changes;  // the entries that got new numbers
    QStringList flagged;         // aliases worth a look
    QList<Estimate> flaggedEstimates;  // the same entries: where the points went, and why they need a look
    int asked = 0;               // how many entries were to be estimated
};

// Estimates the scope's entries of the document (curIdx for Current) from
// their folders' waves, the set entries teaching the bank's habits. The new
// values keep each entry's form (see inEntryForm) and are rounded to
// roundStep (0: not rounded).
// A singer's folders are estimated each on its own: wavesOf gives the
// waves of a folder ("" is the bank's own), whose set entries teach the
// estimate of its others.
EstimateRun runEstimate(const OtoDocument &doc, EstimateScope scope, int curIdx,
                        const std::function<WaveSource(const QString &folder)> &wavesOf, FeatureCache *cache,
                        double roundStep = 0);

// An estimate as the entry writes it: the right bound in the form the entry
// had (positive: distance back from the wave's end; negative: minus the
// used length from the left bound; an unset entry takes the form most set
// entries of the bank use), all five rounded to step. lengthMs is the
// wave's length, needed to turn one form into the other.
clsOto inEntryForm(const clsOto &estimated, bool positiveRight, double lengthMs, double step);
// Whether most set entries of the bank keep a positive right bound.
bool bankUsesPositiveRight(const QList<clsOto> &entries);
// The estimates of entries (as given to the estimator), each in its
// entry's form and rounded; waves give the lengths the forms need.
void keepEntryForms(QList<Estimate> &estimates, const QList<clsOto> &entries, const WaveSource &waves, double step);

// The message after a run: how many were estimated, and the flagged ones.
QString estimateSummary(const EstimateRun &run);

}  // namespace analysis
