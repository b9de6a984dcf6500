#pragma once

#include "analysis/Spectrogram.h"
#include "view/ViewGeometry.h"
#include "view/ViewWindow.h"

#include <QImage>
#include <QRect>
#include <QSize>
#include <QRgb>
#include <QString>
#include <functional>
#include <vector>

namespace analysis {
class WaveFeatures;
}

// What the detail view shows behind and over the markers when the
// spectrogram or the analysis curves are on, as plain numbers and images:
// the layout of its rows, the spectrogram's colours, the cache of its
// pictures and the curves' points. No widget, no painter.

// The colour of level t (0 the floor, 1 the top) on a perceptual map: its
// lightness rises evenly (in Oklab) from near black to a pale yellow while
// the hue turns through violet, red and orange, so equal steps of level look
// like equal steps, in colour and in grey alike.
QRgb spectrumColor(double t);

// Where the detail view puts its layers, in pixel rows [top, bottom). With
// the spectrogram on, it fills the upper part and the wave trace keeps a
// strip of its own below it (the whole height without a trace); otherwise
// the trace has the whole view.
struct DetailLayout {
    int specTop = 0, specBottom = 0;  // empty: no spectrogram
    int waveTop = 0, waveBottom = 0;  // empty: no trace
    bool hasSpectrogram() const { return specBottom > specTop; }
    bool hasWave() const { return waveBottom > waveTop; }
};
DetailLayout detailLayout(int height, bool spectrogram, DisplayMode mode);
// The share of the view's height the trace's strip takes under a spectrogram.
constexpr double kWaveStripShare = 0.3;

// The picture of the spectrogram of a view window: one column per pixel
// column, where the trace draws the same samples; one row per pixel row,
// high frequencies at the top.
QImage spectrogramImage(const analysis::SpectrogramGrid &grid, const analysis::LevelRange &levels);

// The pictures of the last few view windows, keyed on what decides them:
// the wave's generation, its samples across the window (s0, n) and the
// picture's size. A mouse edit leaves all of these alone and so draws from
// here; a new load, zoom, scroll or resize computes afresh. The levels are
// fitted once per wave.
class SpectrogramCache {
public:
    struct Key {
        quint64 generation = 0;
        qint64 s0 = 0, n = 0;
        int width = 0, height = 0;
        bool operator==(const Key &) const = default;
    };
    explicit SpectrogramCache(int capacity = 3) : capacity_(capacity) {}

    // The picture of the wave between start and start + length ms, width x
    // height pixels; null when there is nothing to show.
    QImage image(const WaveSamples &wave, double start, double length, int width, int height);
    // How many pictures were computed (not taken from the cache).
    int computed() const { return computed_; }
    void clear();

    void setOptions(const analysis::SpectrogramOptions &options);
    const analysis::SpectrogramOptions &options() const { return options_; }

private:
    struct Entry {
        Key key;
        QImage image;
    };
    analysis::SpectrogramOptions options_;
    int capacity_;
    int computed_ = 0;
    std::vector<Entry> entries_;  // most recently used last
    quint64 levelsOf_ = 0;        // the generation the levels were fitted to
    analysis::LevelRange levels_;
};

// The cache the detail view draws through (GUI thread only, like the views).
SpectrogramCache &viewSpectrogramCache();

// Frequency marks for the spectrogram's scale: the rows of a few round
// frequencies with their labels ("500", "1k", ..., "8k"), those that fit.
struct FrequencyMark {
    int row = 0;
    QString label;
};
std::vector<FrequencyMark> frequencyMarks(int height, const analysis::SpectrogramOptions &options);

// The marks as the detail view draws them in its rows [top, bottom), width
// columns wide: a tick at the left edge and the label on a dark backing
// beside it, so that it reads alike over the shading before or after the
// recording, over the spectrogram and across the edge between them. Each
// lies whole inside those rows and columns; a label that cannot is left out.
// textSize gives a label's size in the view's font.
struct FrequencyLabel {
    QRect tick;
    QRect backing;
    QString text;
};
std::vector<FrequencyLabel> frequencyLabels(int top, int bottom, int width, int tickLength,
                                            const std::function<QSize(const QString &)> &textSize,
                                            const analysis::SpectrogramOptions &options);

// The analysis curves over a layer of rows [top, bottom): one point per pixel
// column of the view window, between the frames around that column's time;
// columns before the start or past the end of the wave get none.
struct CurvePoints {
    std::vector<QPoint> energy;   // the level, -80 dB at the bottom to 0 dB at the top
    std::vector<QPoint> voicing;  // periodicity, 0 at the bottom to 1 at the top
};
CurvePoints curvePoints(const analysis::WaveFeatures &features, double start, double length, int width, int top,
                        int bottom);
