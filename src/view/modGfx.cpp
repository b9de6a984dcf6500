#include "view/modGfx.h"

#include "oto/clsOto.h"
#include "view/PictureBox.h"
#include "view/ViewGeometry.h"
#include "wave/clsWave.h"

#include <QPainter>

namespace {

// One-pixel aliased lines written straight into a 32-bit image, both end
// points included. A painter's line stroker costs several times more per
// pixel, and a loud wave's columns are hundreds of pixels tall each.
class Raster {
public:
    Raster(QImage &img, const QColor &c)
        : bits_(img.bits()), bpl_(img.bytesPerLine()), w_(img.width()), h_(img.height()), c_(c.rgb())
    {
    }

    void line(int x0, int y0, int x1, int y1)
    {
        if (x0 == x1)
            return column(x0, std::min(y0, y1), std::max(y0, y1));
        if (std::abs(x1 - x0) >= std::abs(y1 - y0))
            walk(x0, y0, x1, y1, false);
        else
            walk(y0, x0, y1, x1, true);
    }

private:
    void column(int x, int ya, int yb)
    {
        if (x < 0 || x >= w_)
            return;
        for (int y = std::max(ya, 0), end = std::min(yb, h_ - 1); y <= end; ++y)
            put(x, y);
    }
    void put(int x, int y) { reinterpret_cast<QRgb *>(bits_ + qsizetype(y) * bpl_)[x] = c_; }

    // Along the major axis a, the minor coordinate is b0 + the rounded
    // (half up) share of the rise, kept as quotient and remainder so that
    // only the first pixel inside the image needs a division.
    void walk(int a0, int b0, int a1, int b1, bool steep)
    {
        if (a0 > a1) {
            std::swap(a0, a1);
            std::swap(b0, b1);
        }
        const int aLimit = (steep ? h_ : w_) - 1, bLimit = (steep ? w_ : h_) - 1;
        const int aStart = std::max(a0, 0), aEnd = std::min(a1, aLimit);
        if (aStart > aEnd)
            return;
        const qint64 da = a1 - a0, rise = qint64(b1) - b0, den = 2 * da;
        const qint64 num = 2 * (aStart - a0) * rise + da;
        qint64 q = num / den, rem = num % den;
        if (rem < 0)
            rem += den, --q;
        for (int a = aStart; a <= aEnd; ++a) {
            const qint64 b = b0 + q;
            if (b >= 0 && b <= bLimit)
                steep ? put(int(b), a) : put(a, int(b));
            rem += 2 * rise;
            while (rem >= den)
                rem -= den, ++q;
            while (rem < 0)
                rem += den, --q;
        }
    }

    uchar *bits_;
    qsizetype bpl_;
    int w_, h_;
    QRgb c_;
};

}  // namespace

void drawWave(PictureBox &box, const clsWave &wave, double start, double length, double scale, const QColor &shade)
{
    QImage &img = box.image();
    WaveRequest req;
    req.width = img.width();
    req.height = img.height();
    req.start = start;
    req.length = length;
    req.scale = scale;
    const WaveGeometry g = waveGeometry(waveSamples(wave), req, &viewColumnCache());

    if (!g.shade.empty()) {
        QPainter painter(&img);
        for (const ShadeSpan &s : g.shade)
            if (s.endCol > s.firstCol)
                painter.fillRect(QRect(s.firstCol, 0, s.endCol - s.firstCol, img.height()), shade);
    }
    // Raster writes 0xAARRGGBB words; the picture boxes keep RGB32 images.
    const QImage::Format f = img.format();
    if (f != QImage::Format_RGB32 && f != QImage::Format_ARGB32 && f != QImage::Format_ARGB32_Premultiplied)
        img = img.convertToFormat(QImage::Format_RGB32);
    Raster r(img, box.foreColor());
    for (const QLine &l : g.segments)
        r.line(l.x1(), l.y1(), l.x2(), l.y2());
    for (qsizetype i = 1; i < g.points.size(); ++i)
        r.line(g.points[i - 1].x(), g.points[i - 1].y(), g.points[i].x(), g.points[i].y());
    box.refresh();
}

void drawMarks(PictureBox &box, const clsWave &wave, const clsOto &entry, double start, double length)
{
    QImage &img = box.image();
    QPainter painter(&img);
    painter.setRenderHint(QPainter::Antialiasing, false);
    for (const MarkTick &t : markTicks(entry, wave.LengthMs, start, length, img.width(), img.height())) {
        if (!t.visible || t.y1 <= t.y0)
            continue;
        painter.fillRect(QRect(t.col, t.y0, 1, t.y1 - t.y0), t.color);
    }
    painter.end();
    box.refresh();
}

void drawDetail(PictureBox &pic, const clsWave &wave, const clsOto *entry, bool editable, DisplayMode dispMode,
                double viewStart, double viewLen, const QColor &shade)
{
    if (!editable)
        return;
    if (dispMode != DisplayMode::NoWave) {
        if (dispMode == DisplayMode::Magnified && 2 * int(wave.Range) < 32768) {
            const QColor fore = pic.foreColor();
            pic.setForeColor(magnifiedColor());
            drawWave(pic, wave, viewStart, viewLen, wave.Range * 1.25, shade);
            pic.setForeColor(fore);
        }
        drawWave(pic, wave, viewStart, viewLen, 32768, shade);
    }
    if (entry)
        drawMarks(pic, wave, *entry, viewStart, viewLen);
}

void drawOverview(PictureBox &picSm, const clsWave &wave, bool editable, DisplayMode dispMode, const QColor &shade)
{
    if (!editable || dispMode == DisplayMode::NoWave)
        return;
    drawWave(picSm, wave, 0, wave.LengthMs, wave.Range * 1.33, shade);
}
