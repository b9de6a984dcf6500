#include "view/modGfx.h"

#include "oto/clsOto.h"
#include "view/PictureBox.h"
#include "view/PitchView.h"
#include "view/SpectrogramView.h"
#include "view/ViewGeometry.h"
#include "wave/clsWave.h"

#include <QFontMetrics>
#include <QPainter>
#include <cstring>
#include <functional>

namespace {

// One-pixel aliased lines written straight into a 32-bit image, both end
// points included, clipped to the rows [top, bottom) and shifted down by top.
// A painter's line stroker costs several times more per pixel, and a loud
// wave's columns are hundreds of pixels tall each.
class Raster {
public:
    Raster(QImage &img, const QColor &c, int top = 0, int bottom = -1)
        : bits_(img.bits()), bpl_(img.bytesPerLine()), w_(img.width()), top_(std::clamp(top, 0, img.height())),
          bottom_(bottom < 0 ? img.height() : std::clamp(bottom, top_, img.height())), c_(c.rgb())
    {
    }

    // A line in the coordinates of the strip (row 0 is its top row).
    void line(int x0, int y0, int x1, int y1)
    {
        y0 = shift(y0), y1 = shift(y1);
        if (x0 == x1)
            return column(x0, std::min(y0, y1), std::max(y0, y1));
        if (std::abs(x1 - x0) >= std::abs(y1 - y0))
            walk(x0, y0, x1, y1, false);
        else
            walk(y0, x0, y1, x1, true);
    }

private:
    // Heights are kept well inside int after the shift; the walk clips them.
    int shift(int y) const { return int(std::clamp<qint64>(qint64(y) + top_, -(1 << 30), 1 << 30)); }
    void column(int x, int ya, int yb)
    {
        if (x < 0 || x >= w_)
            return;
        for (int y = std::max(ya, top_), end = std::min(yb, bottom_ - 1); y <= end; ++y)
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
        const int aMin = steep ? top_ : 0, aMax = (steep ? bottom_ : w_) - 1;
        const int bMin = steep ? 0 : top_, bMax = (steep ? w_ : bottom_) - 1;
        const int aStart = std::max(a0, aMin), aEnd = std::min(a1, aMax);
        if (aStart > aEnd)
            return;
        const qint64 da = a1 - a0, rise = qint64(b1) - b0, den = 2 * da;
        const qint64 num = 2 * (aStart - a0) * rise + da;
        qint64 q = num / den, rem = num % den;
        if (rem < 0)
            rem += den, --q;
        for (int a = aStart; a <= aEnd; ++a) {
            const qint64 b = b0 + q;
            if (b >= bMin && b <= bMax)
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
    int w_, top_, bottom_;
    QRgb c_;
};

// Raster writes 0xAARRGGBB words; the picture boxes keep RGB32 images.
void ensureRgb32(QImage &img)
{
    const QImage::Format f = img.format();
    if (f != QImage::Format_RGB32 && f != QImage::Format_ARGB32 && f != QImage::Format_ARGB32_Premultiplied)
        img = img.convertToFormat(QImage::Format_RGB32);
}

// The light around markers and curves over the spectrogram.
const QColor kHalo(255, 255, 255, 220);

// The spectrogram of the window in the rows [top, bottom), the parts before
// and after the file shaded as the trace shades them.
void drawSpectrogram(PictureBox &box, const clsWave &wave, double start, double length, int top, int bottom,
                     const QColor &shade)
{
    QImage &img = box.image();
    ensureRgb32(img);
    const int W = img.width();
    const WaveSamples samples = waveSamples(wave);
    const QImage pic = viewSpectrogramCache().image(samples, start, length, W, bottom - top);
    const std::optional<SampleSpan> window = sampleSpan(samples.samplerate, start, length);
    if (pic.isNull() || !window)
        return;
    // The columns of the file lie between the two shaded spans.
    int first = 0, end = W;
    for (const ShadeSpan &s : shadeSpans(*window, samples.count, W)) {
        if (s.firstCol == 0)
            first = std::max(first, s.endCol);
        else
            end = std::min(end, s.firstCol);
    }
    QPainter painter(&img);
    for (const ShadeSpan &s : shadeSpans(*window, samples.count, W))
        if (s.endCol > s.firstCol)
            painter.fillRect(QRect(s.firstCol, top, s.endCol - s.firstCol, bottom - top), shade);
    painter.end();
    if (end > first) {
        for (int y = top; y < bottom; ++y)
            std::memcpy(reinterpret_cast<QRgb *>(img.scanLine(y)) + first,
                        reinterpret_cast<const QRgb *>(pic.constScanLine(y - top)) + first,
                        size_t(end - first) * sizeof(QRgb));
    }
}

// The frequency scale at the left edge of the spectrogram's rows, over
// everything else drawn there (shading, markers, curves), so that it stays
// whole wherever the view starts.
void drawFrequencyScale(PictureBox &box, int top, int bottom)
{
    QImage &img = box.image();
    QPainter painter(&img);
    QFont font = painter.font();
    font.setPixelSize(std::max(8, int(std::lround(10 * box.pixelRatio()))));
    painter.setFont(font);
    const QFontMetrics metrics(font);
    const auto textSize = [&](const QString &text) { return QSize(metrics.horizontalAdvance(text), metrics.height()); };
    const int tick = int(std::lround(4 * box.pixelRatio()));
    for (const FrequencyLabel &l :
         frequencyLabels(top, bottom, img.width(), tick, textSize, viewSpectrogramCache().options())) {
        painter.fillRect(l.tick, kHalo);
        painter.fillRect(l.backing, QColor(0, 0, 0, 170));
        painter.setPen(kHalo);
        painter.drawText(l.backing, Qt::AlignCenter, l.text);
    }
}

// A polyline through points of consecutive columns; a gap in the columns
// breaks it.
void drawPolyline(Raster &r, const std::vector<QPoint> &points)
{
    for (size_t i = 1; i < points.size(); ++i)
        if (points[i].x() == points[i - 1].x() + 1)
            r.line(points[i - 1].x(), points[i - 1].y(), points[i].x(), points[i].y());
}

// The level and voicing curves in the rows [top, bottom): light over the
// spectrogram, dark over the white view.
void drawCurves(PictureBox &box, const analysis::WaveFeatures &features, double start, double length, int top,
                int bottom, bool overSpectrogram)
{
    QImage &img = box.image();
    ensureRgb32(img);
    const CurvePoints pts = curvePoints(features, start, length, img.width(), 0, bottom - top);
    const QColor energyColor = overSpectrogram ? QColor(255, 255, 255) : QColor(64, 64, 64);
    const QColor voicingColor = overSpectrogram ? QColor(80, 230, 255) : QColor(0, 140, 160);
    Raster energy(img, energyColor, top, bottom);
    drawPolyline(energy, pts.energy);
    Raster voicing(img, voicingColor, top, bottom);
    drawPolyline(voicing, pts.voicing);

    // What the lines are, at the top right.
    QPainter painter(&img);
    QFont font = painter.font();
    font.setPixelSize(std::max(8, int(std::lround(10 * box.pixelRatio()))));
    painter.setFont(font);
    const QFontMetrics metrics(font);
    const QString names[2] = {QStringLiteral("level - 音量"), QStringLiteral("voicing - 濁音")};
    const QColor colors[2] = {energyColor, voicingColor};
    int y = top + 2;
    for (int i = 0; i < 2; ++i) {
        const int w = metrics.horizontalAdvance(names[i]) + 6;
        const QRect where(img.width() - w - 4, y, w, metrics.height());
        painter.fillRect(where, overSpectrogram ? QColor(0, 0, 0, 140) : QColor(255, 255, 255, 200));
        painter.setPen(colors[i]);
        painter.drawText(where, Qt::AlignCenter, names[i]);
        y += metrics.height();
    }
}

// A curve two of the widget's pixels wide, each point joined to the next;
// aliased like the rest of the view.
void drawLines(QPainter &painter, const std::vector<QPoint> &points, const QColor &color, qreal width, bool dashed)
{
    if (points.size() < 2)
        return;
    QPen pen(color, width);
    if (dashed)
        pen.setStyle(Qt::DashLine);
    painter.setPen(pen);
    painter.drawPolyline(points.data(), int(points.size()));
}

// The pitch curves in the rows [top, bottom): the tracker's F0 (and the
// frequency file's, dashed, so that a wrong one shows beside it) placed by
// rowOfHz, and the loudness on -80 .. 0 dB; with a note scale at the right
// edge when given one.
void drawPitchLayer(PictureBox &box, const DetailExtras &extras, double start, double length, int top, int bottom,
                    const std::function<double(double)> &rowOfHz, const NoteAxis *noteScale, bool overSpectrogram)
{
    QImage &img = box.image();
    ensureRgb32(img);
    const qreal width = std::max<qreal>(1, std::round(2 * box.pixelRatio()));
    QPainter painter(&img);
    painter.setClipRect(QRect(0, top, img.width(), bottom - top));
    if (extras.loudnessCurve)
        drawLines(painter, loudnessPoints(*extras.pitch, start, length, img.width(), top, bottom),
                  overSpectrogram ? QColor(255, 230, 90) : QColor(90, 90, 200), width, false);
    if (extras.pitchCurve) {
        for (const auto &line : pitchLines(*extras.pitch, start, length, img.width(), rowOfHz, top, bottom))
            drawLines(painter, line, overSpectrogram ? QColor(120, 255, 140) : QColor(200, 0, 60), width, false);
        // Thinner and on top, so that where the two agree both show.
        if (extras.frqPitch)
            for (const auto &line : pitchLines(*extras.frqPitch, start, length, img.width(), rowOfHz, top, bottom))
                drawLines(painter, line, QColor(255, 140, 0), std::max<qreal>(1, width / 2), true);
    }
    if (!noteScale || !extras.pitchCurve)
        return;
    QFont font = painter.font();
    font.setPixelSize(std::max(8, int(std::lround(10 * box.pixelRatio()))));
    painter.setFont(font);
    const QFontMetrics metrics(font);
    const int tick = int(std::lround(4 * box.pixelRatio()));
    for (const NoteMark &m : noteMarks(*noteScale, metrics.height())) {
        const int y = top + m.row;
        painter.fillRect(QRect(img.width() - tick, y, tick, 1), QColor(120, 120, 120));
        const int w = metrics.horizontalAdvance(m.label) + 2;
        const QRect where(img.width() - tick - 2 - w, y - metrics.height() / 2, w, metrics.height());
        painter.setPen(QColor(110, 110, 110));
        painter.drawText(where, Qt::AlignRight | Qt::AlignVCenter, m.label);
    }
}

// Where the estimator put a flagged entry's points: dashed lines in the
// markers' colours over the rows [top, bottom), each named at its top, and
// why the estimator was unsure, at the top left.
void drawEstimate(PictureBox &box, const clsWave &wave, const FlaggedEstimate &estimate, double start,
                  double length, int top, int bottom)
{
    static const char *names[5] = {"LF", "OV", "PR", "FX", "RT"};
    QImage &img = box.image();
    QPainter painter(&img);
    const int dash = std::max(2, int(std::lround(4 * box.pixelRatio())));
    QFont font = painter.font();
    font.setPixelSize(std::max(8, int(std::lround(10 * box.pixelRatio()))));
    painter.setFont(font);
    const QFontMetrics metrics(font);
    for (const MarkTick &t : markTicks(estimate.entry, wave.LengthMs, start, length, img.width(), img.height())) {
        if (!t.visible)
            continue;
        for (int y = top; y < bottom; y += 2 * dash) {
            const int h = std::min(dash, bottom - y);
            painter.fillRect(QRect(t.col - 1, y, 3, h), kHalo);
            painter.fillRect(QRect(t.col, y, 1, h), t.color);
        }
        const QString name = QString::fromLatin1(names[t.band]);
        const QRect label(t.col + 2, top + 2 + t.band * metrics.height(), metrics.horizontalAdvance(name) + 4,
                          metrics.height());
        painter.fillRect(label, kHalo);
        painter.setPen(t.color);
        painter.drawText(label, Qt::AlignCenter, name);
    }
    if (!estimate.reason.isEmpty()) {
        const QString text = QStringLiteral("Estimate - 估算: ") + estimate.reason;
        const QRect where(metrics.height() * 3, bottom - metrics.height() - 4, metrics.horizontalAdvance(text) + 8,
                          metrics.height() + 2);
        painter.fillRect(where, QColor(0, 0, 0, 160));
        painter.setPen(Qt::white);
        painter.drawText(where, Qt::AlignCenter, text);
    }
}

}  // namespace

void drawWave(PictureBox &box, const clsWave &wave, double start, double length, double scale, const QColor &shade)
{
    drawWaveIn(box, 0, box.image().height(), wave, start, length, scale, shade);
}

void drawWaveIn(PictureBox &box, int top, int bottom, const clsWave &wave, double start, double length,
                double scale, const QColor &shade)
{
    QImage &img = box.image();
    top = std::clamp(top, 0, img.height());
    bottom = std::clamp(bottom, top, img.height());
    WaveRequest req;
    req.width = img.width();
    req.height = bottom - top;
    req.start = start;
    req.length = length;
    req.scale = scale;
    const WaveGeometry g = waveGeometry(waveSamples(wave), req, &viewColumnCache());

    if (!g.shade.empty()) {
        QPainter painter(&img);
        for (const ShadeSpan &s : g.shade)
            if (s.endCol > s.firstCol)
                painter.fillRect(QRect(s.firstCol, top, s.endCol - s.firstCol, bottom - top), shade);
    }
    ensureRgb32(img);
    Raster r(img, box.foreColor(), top, bottom);
    for (const QLine &l : g.segments)
        r.line(l.x1(), l.y1(), l.x2(), l.y2());
    for (qsizetype i = 1; i < g.points.size(); ++i)
        r.line(g.points[i - 1].x(), g.points[i - 1].y(), g.points[i].x(), g.points[i].y());
    box.refresh();
}

void drawMarks(PictureBox &box, const clsWave &wave, const clsOto &entry, double start, double length, bool halo)
{
    QImage &img = box.image();
    QPainter painter(&img);
    painter.setRenderHint(QPainter::Antialiasing, false);
    const std::vector<MarkTick> ticks = markTicks(entry, wave.LengthMs, start, length, img.width(), img.height());
    // Over a picture a one-pixel line of a dark colour vanishes, and between
    // two light lines it reads as a light one: there the tick is three
    // pixels of its colour (centred on its column) inside a light border.
    const int half = halo ? 1 : 0;
    if (halo) {
        // All borders first, so that a marker next to another stays whole.
        for (const MarkTick &t : ticks)
            if (t.visible && t.y1 > t.y0)
                painter.fillRect(QRect(t.col - half - 1, t.y0, 2 * half + 3, t.y1 - t.y0), kHalo);
    }
    for (const MarkTick &t : ticks) {
        if (!t.visible || t.y1 <= t.y0)
            continue;
        painter.fillRect(QRect(t.col - half, t.y0, 2 * half + 1, t.y1 - t.y0), t.color);
    }
    painter.end();
    box.refresh();
}

void drawDetail(PictureBox &pic, const clsWave &wave, const clsOto *entry, bool editable, DisplayMode dispMode,
                double viewStart, double viewLen, const QColor &shade, const DetailExtras &extras)
{
    if (!editable)
        return;
    const DetailLayout layout = detailLayout(pic.image().height(), extras.spectrogram, dispMode);
    if (layout.hasSpectrogram())
        drawSpectrogram(pic, wave, viewStart, viewLen, layout.specTop, layout.specBottom, shade);
    if (layout.hasWave()) {
        if (dispMode == DisplayMode::Magnified && 2 * int(wave.Range) < 32768) {
            const QColor fore = pic.foreColor();
            pic.setForeColor(magnifiedColor());
            drawWaveIn(pic, layout.waveTop, layout.waveBottom, wave, viewStart, viewLen, wave.Range * 1.25, shade);
            pic.setForeColor(fore);
        }
        drawWaveIn(pic, layout.waveTop, layout.waveBottom, wave, viewStart, viewLen, 32768, shade);
    }
    // The curves and the estimate lie over the spectrogram, or over the whole
    // view without one.
    const int top = layout.hasSpectrogram() ? layout.specTop : 0;
    const int bottom = layout.hasSpectrogram() ? layout.specBottom : pic.image().height();
    if (extras.curves)
        drawCurves(pic, *extras.curves, viewStart, viewLen, top, bottom, layout.hasSpectrogram());
    if (extras.estimate)
        drawEstimate(pic, wave, *extras.estimate, viewStart, viewLen, top, bottom);
    if (extras.pitch && (extras.pitchCurve || extras.loudnessCurve)) {
        if (layout.hasSpectrogram()) {
            const analysis::FrequencyAxis axis(layout.specBottom - layout.specTop, viewSpectrogramCache().options());
            drawPitchLayer(pic, extras, viewStart, viewLen, layout.specTop, layout.specBottom,
                           [&](double hz) { return axis.rowAt(hz); }, nullptr, true);
        }
        // Over the trace, or the whole view when it shows neither.
        const int noteTop = layout.hasWave() ? layout.waveTop : 0;
        const int noteBottom = layout.hasWave() ? layout.waveBottom : layout.hasSpectrogram() ? 0 : pic.image().height();
        if (noteBottom > noteTop) {
            const NoteAxis notes = noteAxisFor(*extras.pitch, noteBottom - noteTop);
            drawPitchLayer(pic, extras, viewStart, viewLen, noteTop, noteBottom,
                           [&](double hz) { return notes.rowAt(hz); }, &notes, false);
        }
    }
    if (entry)
        drawMarks(pic, wave, *entry, viewStart, viewLen, extras.spectrogram);
    if (layout.hasSpectrogram())
        drawFrequencyScale(pic, layout.specTop, layout.specBottom);
    pic.refresh();
}

void drawOverview(PictureBox &picSm, const clsWave &wave, bool editable, DisplayMode dispMode, const QColor &shade)
{
    if (!editable || dispMode == DisplayMode::NoWave)
        return;
    drawWave(picSm, wave, 0, wave.LengthMs, wave.Range * 1.33, shade);
}
