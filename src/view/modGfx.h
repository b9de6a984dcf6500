#pragma once

#include "view/ViewWindow.h"

#include <QColor>

class PictureBox;
class clsOto;
class clsWave;

// Painting of the two wave views into their picture boxes' kept images, in
// pixels, with one-pixel aliased lines. The geometry comes from
// ViewGeometry; this only paints it. None of these clears the box.

// The samples of wave between start and start + length ms across the box's
// width, scale being the value that reaches the top edge, in the box's
// foreground colour. Parts of the window before or after the file are
// filled with shade.
void drawWave(PictureBox &box, const clsWave &wave, double start, double length, double scale, const QColor &shade);

// The five marker ticks of entry for the same window, each in its colour.
void drawMarks(PictureBox &box, const clsWave &wave, const clsOto &entry, double start, double length);

// The detail view: nothing unless editable; unless the mode is NoWave the
// trace (Magnified: over a magnified light trace when the wave is quiet);
// then the markers of entry, when there is one.
void drawDetail(PictureBox &pic, const clsWave &wave, const clsOto *entry, bool editable, DisplayMode dispMode,
                double viewStart, double viewLen, const QColor &shade);

// The overview strip: the whole wave, unless the mode is NoWave or nothing
// is editable.
void drawOverview(PictureBox &picSm, const clsWave &wave, bool editable, DisplayMode dispMode, const QColor &shade);

// The magnified layer's colour in display mode 1.
inline QColor magnifiedColor() { return QColor(221, 238, 255); }
