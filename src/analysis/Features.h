#pragma once

#include "analysis/EstimateParams.h"
#include "analysis/PitchTracker.h"

#include <QtGlobal>
#include <span>
#include <vector>

namespace analysis {

// Short-time features of one wave. Everything a segmentation or a picture of
// the sound needs, computed once; all arrays have one value per frame,
// bands() has bandCount values per frame.
class WaveFeatures {
public:
    int sampleRate = 0;
    int hopSamples = 0;
    int bandCount = 0;
    int frames = 0;
    qsizetype sampleCount = 0;

    std::vector<float> energyDb;     // windowed level in dB below full scale, less steady noise
    float loudDb = 0;                // the level of the take's loud part (FeatureOptions::heardRangeDb)
    int takeFirst = 0, takeLast = -1;  // the frames the take spans (FeatureOptions::takeGapDb)
    std::vector<float> highRatio;    // share of the power above 4 kHz (fricatives, breath)
    std::vector<float> zeroCross;    // zero crossings per sample
    // Voicing and pitch are the pitch tracker's, read at each frame's centre.
    std::vector<float> periodicity;  // best normalised autocorrelation, 0..1 (voicing)
    std::vector<float> pitchHz;      // the tracked F0 where voiced, else 0
    std::vector<float> flux;         // rise of the band levels since the previous frame, dB
    std::vector<float> bandDb;       // log mel band levels, frames x bandCount
    PitchTrack pitch;                // the wave's pitch track, on its own frames

    const float *bands(int frame) const { return bandDb.data() + qsizetype(frame) * bandCount; }
    double frameMs(double frame) const { return frame * hopSamples * 1000.0 / sampleRate; }
    // The frame nearest to a time, clamped to the wave.
    int frameAt(double ms) const;
    double lengthMs() const { return sampleCount * 1000.0 / sampleRate; }
    qsizetype byteSize() const;
};

// Works on any sample rate of 8 kHz or more; an empty wave gives no frames.
WaveFeatures computeFeatures(std::span<const qint16> samples, int sampleRate, const FeatureOptions &options = {});

}  // namespace analysis
