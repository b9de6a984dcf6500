#pragma once

#include "analysis/Estimator.h"
#include "oto/OtoDocument.h"

#include <functional>

// The editor's Estimate command without the window: which entries, the
// run over the document's entries (a new bank's made from its recordings'
// names first), and how the document takes the result.

namespace analysis {

enum class EstimateScope {
    Unset,    // the entries not set yet (all five numbers 0)
    Current,  // the current entry
    All,      // every entry, from the recordings alone
};

struct EstimateRequest {
    EstimateScope scope = EstimateScope::Unset;
    int curIdx = -1;  // the entry of Current
    // First make entries for the recordings no entry names, from their
    // names or as the singer's other folders name the same recordings (see
    // generateEntries); they are estimated too.
    bool generate = false;
    // Generation, and the estimate, in these folders only (empty: in every
    // folder).
    QStringList generateIn;
    // The estimates rounded to this step (ms; 0: not rounded).
    double roundStep = 0;
    // The singer's prefix.map pairs, which tell each folder's pitch affixes.
    singer::AffixPairs affixPairs;
};

// Entries made for one folder, estimated, to follow the folder's last.
struct MadeEntries {
    QString folder;
    QList<clsOto> entries;
};

struct EstimateRun {
    QList<EntryChange> changes;  // the entries that got new numbers
    QList<MadeEntries> made;     // by folder, in the document's order
    // The flagged estimates (where their points went and why they need a
    // look). index: the entry's position in the document, or past its end
    // for made entries: size + the place among all made entries in order.
    QList<Estimate> flaggedEstimates;
    int asked = 0;          // how many entries were to be estimated
    int estimated = 0;      // and how many were
    double elapsedMs = 0;   // in the estimator
    qsizetype madeCount() const;
};

// Estimates the request's entries of the document from their folders'
// waves, the set entries teaching the bank's habits. A singer's folders
// are estimated each on its own: wavesOf gives the waves of a folder (""
// is the bank's own). The new values keep each entry's form of right bound
// (an unset entry takes the form most entries of its folder use).
EstimateRun runEstimate(const OtoDocument &doc, const EstimateRequest &request,
                        const std::function<WaveSource(const QString &folder)> &wavesOf, FeatureCache *cache);

// Puts a run into the document as one step of the history named what: the
// new numbers, then the made entries after their folder's last. Returns the
// flagged estimates, index now where each entry is in the document.
QList<Estimate> applyEstimateRun(OtoDocument &doc, const EstimateRun &run, const QString &what);

}  // namespace analysis
