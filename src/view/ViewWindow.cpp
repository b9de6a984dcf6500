#include "view/ViewWindow.h"

#include "oto/clsOto.h"

#include <cmath>

using namespace viewunits;

ViewWindow windowForEntry(double prmLF, double prmRT, double lengthMs)
{
    ViewWindow w;
    w.start = prmLF - kMarginMs;
    if (prmRT < 0)
        w.len = -prmRT + kMinSelectMs;
    else
        w.len = lengthMs - (prmRT + prmLF) + kMinSelectMs;
    if (w.len < kMinSelectMs)
        w.len = kMinSelectMs;
    return w;
}

ViewWindow windowForEntry(const clsOto &entry, double lengthMs)
{
    return windowForEntry(entry.prmLF, entry.prmRT, lengthMs);
}

double zoomedLength(double dragLen, double d, double currentLen, double lengthMs)
{
    double len = currentLen;
    if (std::abs(d) > kZoomDeadZone) {
        const double sign = d > 0 ? 1 : -1;
        len = dragLen * std::pow(kZoomFactor, (d - kZoomDeadZone * sign) / kZoomDeadZone);
    }
    if (len < kMinZoomMs)
        len = kMinZoomMs;
    if (len > lengthMs + kZoomSlackMs)
        len = lengthMs + kZoomSlackMs;
    return len;
}

bool OverviewDrag::move(int button, double x, double y, double viewW, double lengthMs, ViewWindow &window) const
{
    if (button != 1 || !(x >= 0 && x < viewW))
        return false;
    window.len = zoomedLength(dragLen, y - dragY, window.len, lengthMs);
    window.start = x / viewW * lengthMs - window.len / 2;
    return true;
}

QRect ViewFrame::rect() const
{
    const int left = int(std::lround(x));
    const int right = int(std::lround(x + w));
    return QRect(left, 0, right - left, height);
}

ViewFrame viewFrame(bool valid, qint64 length, double lengthMs, const ViewWindow &window, double viewW)
{
    ViewFrame f;
    if (!valid || length < 10)
        return f;
    const double left = window.start / lengthMs * viewW;
    const double wid = window.len / lengthMs * viewW;
    if (left < 0)
        f.x = 0;
    else if (left >= viewW)
        f.x = viewW;
    else
        f.x = left;
    if (left + wid >= viewW)
        f.w = viewW - f.x;
    else if (left < 0)
        f.w = wid + left;
    else
        f.w = wid;
    if (f.w < 0)
        f.w = 0;
    f.visible = true;
    return f;
}

double scrollLeft(const ViewWindow &window)
{
    double start = window.start - window.len / 5;
    if (start < -(window.len / 2))
        start = -(window.len / 2);
    return start;
}

double scrollRight(const ViewWindow &window, double lengthMs)
{
    double start = window.start + window.len / 5;
    if (start > lengthMs - window.len / 2)
        start = lengthMs - window.len / 2;
    return start;
}
