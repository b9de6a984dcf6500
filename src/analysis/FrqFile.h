#pragma once

#include "analysis/PitchTracker.h"

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <atomic>
#include <functional>
#include <optional>
#include <vector>

namespace analysis {

// The frequency file resamplers read beside a recording (NAME_wav.frq for
// NAME.wav), all little-endian: "FREQ0003"; int32 samples per frame; double
// mean F0 of the voiced frames; 16 zero bytes; int32 frame count; then per
// frame a double F0 in Hz (0 where unvoiced) and a double amplitude.
struct FrqData {
    int samplesPerFrame = 256;
    double averageHz = 0;
    std::vector<double> f0Hz;
    std::vector<double> amplitude;
    int frames() const { return int(f0Hz.size()); }
};

FrqData frqFromTrack(const PitchTrack &track);
QByteArray encodeFrq(const FrqData &data);
// The file's contents, or the reason they are not a frequency file.
std::optional<FrqData> decodeFrq(const QByteArray &bytes, QString *why = nullptr);

// NAME_wav.frq beside NAME.wav.
QString frqPathOf(const QString &wavPath);

// The recordings of a folder and of its subfolders (hidden ones skipped), by
// path, in name order: the folders of a singer's pitches hold their own.
QStringList waveFilesUnder(const QString &folder);

// Tracks one recording and writes its frequency file atomically; the reason
// of a failure (a wave that cannot be read, a file that cannot be written),
// or nothing.
std::optional<QString> writeFrqFor(const QString &wavPath, const PitchOptions &options = {});

struct FrqRunOptions {
    bool force = false;  // also the recordings that have a frequency file
    int threads = 0;     // 0: one per core
    PitchOptions pitch;
};
struct FrqRunResult {
    int written = 0;
    int skipped = 0;  // had a frequency file already
    QStringList failures;  // "path: reason"
    bool cancelled = false;
    // "written: 3, kept: 1, failed: 0", as the window and the command line
    // tell it.
    QString counts() const;
};
// Called from worker threads after each recording, with the count done and
// the count to do.
using FrqProgress = std::function<void(int done, int total)>;
// Writes the frequency files of the recordings in parallel; a set cancel
// stops before the next recording (those written stay).
FrqRunResult writeFrqFiles(const QStringList &wavPaths, const FrqRunOptions &options, const FrqProgress &progress = {},
                           const std::atomic<bool> *cancel = nullptr);

}  // namespace analysis
