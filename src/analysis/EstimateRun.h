#pragma once

#include "analysis/Estimator.h"
#include "oto/OtoDocument.h"

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
// its folder's waves, the set entries teaching the bank's habits.
EstimateRun runEstimate(const OtoDocument &doc, EstimateScope scope, int curIdx, const WaveSource &waves,
                        FeatureCache *cache);

// The message after a run: how many were estimated, and the flagged ones.
QString estimateSummary(const EstimateRun &run);

}  // namespace analysis
