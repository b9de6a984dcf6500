#pragma once

#include "oto/clsOto.h"
#include "view/ViewWindow.h"

#include <QColor>
#include <QRect>
#include <QString>

namespace analysis {
class WaveFeatures;
}
struct F0Series;
class PictureBox;
class clsWave;

// Painting of the two wave views into their picture boxes' kept images, in
// pixels, with one-pixel aliased lines. The geometry comes from
// ViewGeometry; this only paints it. None of these clears the box.

// The samples of wave between start and start + length ms across the box's
// width, scale being the value that reaches the top edge, in the box's
// foreground colour. Parts of the window before or after the file are
// filled with shade.
void drawWave(PictureBox &box, const clsWave &wave, double start, double length, double scale, const QColor &shade);
// The same in the rows [top, bottom) of the box alone, as if they were the
// whole box: the trace's strip under a spectrogram.
void drawWaveIn(PictureBox &box, int top, int bottom, const clsWave &wave, double start, double length,
                double scale, const QColor &shade);

// The five marker ticks of entry for the same window, each in its colour;
// with a halo, a light column on either side keeps them readable over a
// dark picture.
void drawMarks(PictureBox &box, const clsWave &wave, const clsOto &entry, double start, double length,
               bool halo = false);

// An entry the estimator flagged: where it put the five points, and why it
// was unsure.
struct FlaggedEstimate {
    clsOto entry;
    QString reason;
};

// What the detail view may show besides the trace and the markers.
struct DetailExtras {
    bool spectrogram = false;
    // The analysis curves (level and voicing) of the wave, when shown.
    const analysis::WaveFeatures *curves = nullptr;
    // The current entry's last estimate, when it was flagged and the curves
    // are shown.
    const FlaggedEstimate *estimate = nullptr;
    // The tracker's pitch and loudness of the wave, and the F0 of its
    // frequency file when it has one; each curve drawn when switched on.
    const F0Series *pitch = nullptr;
    const F0Series *frqPitch = nullptr;
    bool pitchCurve = false;
    bool loudnessCurve = false;
};

// The detail view: nothing unless editable; with the spectrogram on, its
// picture in the upper part (all of it in NoWave mode); unless the mode is
// NoWave the trace (Magnified: over a magnified light trace when the wave
// is quiet), in the strip below the spectrogram when there is one; the
// curves and the flagged estimate; then the markers of entry, when there
// is one. The pitch curves lie over the spectrogram on its frequency axis
// and over the trace on a note scale named at the right edge.
void drawDetail(PictureBox &pic, const clsWave &wave, const clsOto *entry, bool editable, DisplayMode dispMode,
                double viewStart, double viewLen, const QColor &shade, const DetailExtras &extras = {});

// The overview strip: the whole wave, unless the mode is NoWave or nothing
// is editable.
void drawOverview(PictureBox &picSm, const clsWave &wave, bool editable, DisplayMode dispMode, const QColor &shade);

// The magnified layer's colour in display mode 1.
inline QColor magnifiedColor() { return QColor(221, 238, 255); }
