#pragma once

#include "analysis/EstimateParams.h"

#include <QtGlobal>
#include <span>
#include <vector>

namespace analysis {

// The rows of a picture of the given height on the options' frequency axis.
// Row coordinates run from 0 at the top edge (maxHz) to rows at the bottom
// edge (minHz); row r is the band between r and r + 1.
class FrequencyAxis {
public:
    FrequencyAxis(int rows, const SpectrogramOptions &options);
    double hzAt(double row) const;
    double rowAt(double hz) const;
    int rows() const { return rows_; }

private:
    double toScale(double hz) const;
    double fromScale(double v) const;
    int rows_;
    FrequencyScale scale_;
    double top_, bottom_;  // in scale units
};

// A stretch of a wave laid out as a view lays it out: n samples from s0
// across `columns` columns, so that column c shows the sound around sample
// s0 - 0.5 + (c + 0.5) * n / columns, where the wave trace draws it.
struct SpectrogramRequest {
    qint64 s0 = 0;
    qint64 n = 0;
    int columns = 0;
    int rows = 0;
    int sampleRate = 44100;
};

// Levels in dB relative to a full-scale sine (a sine at full scale reads 0
// in its row), column after column (each is computed whole), row 0 at the
// top. The tilt of the options is included.
struct SpectrogramGrid {
    int columns = 0;
    int rows = 0;
    std::vector<float> levelDb;
    float at(int column, int row) const { return levelDb[size_t(column) * size_t(rows) + size_t(row)]; }
};

// Samples before the start and after the end of the wave count as silence.
// An empty request gives an empty grid.
SpectrogramGrid computeSpectrogram(std::span<const qint16> samples, const SpectrogramRequest &request,
                                   const SpectrogramOptions &options = {});

// The levels a picture of a wave spans: the top from its peak level, the
// floor just above its background noise, so that a quiet consonant stands
// out from the silence around it whatever the recording level.
struct LevelRange {
    float floorDb = -90;
    float topDb = 0;
};
// Both are read from the spectrogram itself at a few hundred places spread
// over the wave, so that they do not change as the view moves.
LevelRange fitLevels(std::span<const qint16> samples, int sampleRate, const SpectrogramOptions &options = {});

}  // namespace analysis
