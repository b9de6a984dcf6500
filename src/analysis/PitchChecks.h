#pragma once

#include "analysis/FrqFile.h"
#include "analysis/PitchTracker.h"

#include <QString>
#include <QStringList>
#include <optional>

namespace analysis {

// The checks a voicebank maker runs on pitch before a release, over one
// recording at a time, so that a report can list their findings.

// The note a recording is meant to be sung on: that of its entries' alias
// suffix ("a A3", "ka_C5") when given, else that of its folder's name
// ("A3", "F#4"); nullopt when neither names one.
std::optional<int> intendedNote(const QString &folderName, const QString &aliasSuffix = {});

struct OffPitch {
    double medianHz = 0;
    int note = 0;             // the intended note
    double offSemitones = 0;  // median minus intended, signed
    QString describe() const;  // "median 233.1 Hz (A#3 +1 ct), 1.00 semitones above A3"
};
// A recording whose median F0 lies more than `limit` semitones from the
// intended note; nothing for one on its note or with no voiced frame.
std::optional<OffPitch> offPitch(const PitchTrack &track, int note, double limitSemitones = 1.0);

struct FrqMismatch {
    int compared = 0;    // frames the tracker calls voiced
    int disagreeing = 0;  // of them, those where the file is off by more than the limit or unvoiced
    QString reason;       // filled when the file's frames do not fit the recording at all
    QString describe() const;
};
// A frequency file that disagrees with the tracker by more than `limit`
// semitones over more than `share` of the tracker's voiced frames, or whose
// frames do not fit the recording (another frame size, another length);
// nothing when they agree.
std::optional<FrqMismatch> frqMismatch(const PitchTrack &track, const FrqData &frq, double limitSemitones = 1.0,
                                       double share = 0.25);

// Both checks on one recording as a report runs them: reads the wave,
// tracks it, takes the note from the aliases of its entries (the one most of
// them end with) or else from its folder's name, and reads NAME_wav.frq
// when there is one.
struct RecordingPitchFindings {
    std::optional<OffPitch> offPitch;
    std::optional<FrqMismatch> frqMismatch;
    QString error;  // the wave or the frequency file could not be read
};
RecordingPitchFindings checkRecordingPitch(const QString &wavPath, const QStringList &aliases,
                                           const PitchOptions &options = {});

}  // namespace analysis
