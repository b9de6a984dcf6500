#pragma once

#include "core/Twips.h"

#include <QRect>
#include <QtGlobal>

class clsOto;

// The time window of the detail view and the overview's frame around it, as
// plain numbers. Times are ms; positions are in the views' drawing units,
// which are screen pixels.

// The window's distances, laid out in twips, in pixels.
namespace viewunits {
constexpr double kZoomDeadZone = 270.0 / kTwipsPerPixel;  // 18: drag this far before zooming
constexpr double kZoomFactor = 1.5;                       // per further dead zone of drag
constexpr int kFrameHeight = twipsToPixels(360);          // 24: the frame in the overview
constexpr double kMinZoomMs = 20;      // shortest window by dragging
constexpr double kZoomSlackMs = 500;   // the longest is the wave plus this
constexpr double kMarginMs = 100;      // before the entry on selection
constexpr double kMinSelectMs = 200;   // shortest window on selection (also both margins)
}  // namespace viewunits

// The views' display modes, switched by the right button in the detail view.
enum class DisplayMode {
    Normal,     // the trace
    Magnified,  // the trace over a magnified light trace of a quiet wave
    NoWave,     // markers only
};

struct ViewWindow {
    double start = 0;  // viewStart: the time at the left edge, may be negative
    double len = 0;    // viewLen: the time the width shows
};

// The window set when an entry is selected: from 100 ms before its left
// bound to 100 ms after its right bound, at least 200 ms long.
ViewWindow windowForEntry(double prmLF, double prmRT, double lengthMs);
ViewWindow windowForEntry(const clsOto &entry, double lengthMs);

// Zoom and pan by dragging on the overview. A press keeps where it was
// (dragY) and the window length then (dragLen); every move with exactly the
// left button held at x in [0, viewW) sets the window from the vertical
// distance to the press (zoom) and x (centre). Other moves change nothing.
struct OverviewDrag {
    double dragY = 0;
    double dragLen = 0;
    static OverviewDrag press(double y, const ViewWindow &current) { return {y, current.len}; }
    // The window after a move, or false when the move does not act.
    bool move(int button, double x, double y, double viewW, double lengthMs, ViewWindow &window) const;
};
// The zoomed length for a drag of d units from the press; within the dead
// zone the current length stays. Clamped to 20 ms .. lengthMs + 500.
double zoomedLength(double dragLen, double d, double currentLen, double lengthMs);

// The overview's frame around the window, clipped to the strip; hidden for a
// wave that is not valid or shorter than 10 samples.
struct ViewFrame {
    bool visible = false;
    double x = 0, w = 0;             // drawing units across the strip
    int height = viewunits::kFrameHeight;
    // The frame as a widget rectangle: edges rounded to the nearest pixel.
    QRect rect() const;
};
ViewFrame viewFrame(bool valid, qint64 length, double lengthMs, const ViewWindow &window, double viewW);

// Left and Right keys: a fifth of the window per press, never more than half
// the window before the file start or past its end.
double scrollLeft(const ViewWindow &window);
double scrollRight(const ViewWindow &window, double lengthMs);
