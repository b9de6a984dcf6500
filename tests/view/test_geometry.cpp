#include "oto/clsOto.h"
#include "support/TempFolder.h"
#include "support/WavImages.h"
#include "view/ViewGeometry.h"
#include "view/ViewWindow.h"
#include "wave/clsWave.h"

#include <QRandomGenerator>
#include <cmath>
#include <gtest/gtest.h>

namespace {

// The wave drawing written out sample by sample: every sample's column, a
// group closed whenever the column changes, joined from the previous middle.
WaveGeometry reference(const QList<qint16> &s, double W, double H, double start, double length, double scale, int p)
{
    WaveGeometry g;
    const qint64 s0 = qint64(std::floor(start / 1000 * 44100)), n = qint64(std::floor(length / 1000 * 44100));
    const qint64 i0 = std::max<qint64>(s0, 0), i1 = std::min<qint64>(s0 + n, s.size() - 1);
    const double u = W / n;
    const auto x = [&](qint64 i, int d = 1) { return int(std::floor(((i - s0) * u + u / 2) / d)); };
    const auto y = [&](qint64 i) { return int(std::floor(H / 2 - s[i] * H / 2 / scale)); };
    if (i0 > i1)
        return g;  // no sample in the window
    g.columnMode = n / (W / p) >= 4;
    for (qint64 i = i0; i <= i1 && !g.columnMode; ++i)
        g.points << QPoint(x(i), y(i));
    int prev = x(i0, p), prevMid = y(i0);
    for (qint64 i = i0; i <= i1 && g.columnMode;) {
        const int col = x(i, p);
        int lo = y(i), hi = lo;
        for (; i <= i1 && x(i, p) == col; ++i)
            lo = std::min(lo, y(i)), hi = std::max(hi, y(i));
        g.segments << QLine(col * p, hi, col * p, lo) << QLine(prev * p, prevMid, col * p, (lo + hi) / 2);
        prev = col, prevMid = (lo + hi) / 2;
    }
    return g;
}

WaveSamples samplesOf(const QList<qint16> &s, quint64 generation = 0) { return {s.constData(), s.size(), 44100, generation}; }

}  // namespace

TEST(ViewWindowMath, SelectionZoomFrameAndScroll)
{
    const auto win = [](ViewWindow w) { return std::pair(w.start, w.len); };
    // Selection: 100 ms before the entry to 100 ms after it, at least 200 ms.
    EXPECT_EQ(win(windowForEntry(1000, 500, 3000)), std::pair(900.0, 1700.0));
    EXPECT_EQ(win(windowForEntry(400, -300, 3000)), std::pair(300.0, 500.0));
    EXPECT_EQ(win(windowForEntry(2900, 400, 3000)), std::pair(2800.0, 200.0));
    const ViewWindow early = windowForEntry(40, -300, 3000);
    EXPECT_EQ(viewFrame(true, 132300, 3000, early, 1000).x, 0);  // starts at -60 ms

    // Zoom: 18 px (270 twips) keeps the current length, each further 18 px is x1.5.
    const OverviewDrag drag = OverviewDrag::press(100, ViewWindow{0, 600});
    ViewWindow w{0, 750};
    for (double y : {118.0, 82.0}) {
        ASSERT_TRUE(drag.move(1, 500, y, 1000, 3000, w));
        EXPECT_EQ(win(w), std::pair(1500.0 - 375, 750.0));  // centred on the time under x
    }
    const std::pair<double, double> lengths[] = {{136, 900}, {64, 400}, {100 - 18 * 20, 20}, {100 + 18 * 20, 3500}};
    for (auto [y, len] : lengths) {
        ASSERT_TRUE(drag.move(1, 500, y, 1000, 3000, w));
        EXPECT_DOUBLE_EQ(w.len, len);
    }
    for (auto [button, x] : {std::pair(2, 500.0), {3, 500.0}, {1, 1000.0}, {1, -1.0}})
        EXPECT_FALSE(drag.move(button, x, 136, 1000, 3000, w));
    EXPECT_EQ(w.len, 3500);

    // Frame: clipped to the strip, hidden without a usable wave.
    const auto frame = [](double start, double len) {
        const ViewFrame f = viewFrame(true, 132300, 3000, {start, len}, 1500);
        return std::pair(f.x, f.w);
    };
    EXPECT_EQ(frame(600, 300), std::pair(300.0, 150.0));
    EXPECT_EQ(frame(2800, 600), std::pair(1400.0, 100.0));
    EXPECT_EQ(frame(3100, 600), std::pair(1500.0, 0.0));
    EXPECT_EQ(frame(-800, 600), std::pair(0.0, 0.0));
    EXPECT_EQ(frame(-200, 3600), std::pair(0.0, 1500.0));
    EXPECT_EQ(viewFrame(true, 132300, 3000, {600, 300}, 1500).rect(), QRect(300, 0, 150, 24));
    EXPECT_FALSE(viewFrame(false, 132300, 3000, {600, 300}, 1500).visible);
    EXPECT_FALSE(viewFrame(true, 9, 0.2, {0, 20}, 1500).visible);
    EXPECT_TRUE(viewFrame(true, 10, 0.22, {0, 20}, 1500).visible);

    // Keys: a fifth per press, at most half the window past either end.
    EXPECT_EQ(scrollLeft({500, 1000}), 300);
    EXPECT_EQ(scrollLeft({-400, 1000}), -500);
    EXPECT_EQ(scrollRight({500, 1000}, 3000), 700);
    EXPECT_EQ(scrollRight({2400, 1000}, 3000), 2500);
}

TEST(WaveGeometry, ShadingBandsAndWhereTheTraceStarts)
{
    const QList<qint16> s = wavimg::noise(44100, 1000);  // 1000 ms
    // 100 ms before the file: 4410 samples of shading, then the trace.
    for (double length : {1000.0, 150.0}) {  // column mode, then polyline mode
        const WaveGeometry g = waveGeometry(samplesOf(s), WaveRequest{1920, 100, -100, length, 32768});
        const double width = 4410 * (1920 / std::floor(length / 1000 * 44100));
        ASSERT_EQ(g.shade.size(), 1u);
        EXPECT_DOUBLE_EQ(g.shade[0].x1, width);
        EXPECT_EQ(g.shade[0].firstCol, 0);
        EXPECT_EQ(g.shade[0].endCol, int(std::lround(width)));
        const int firstX = g.columnMode ? g.segments[0].x1() : g.points[0].x();
        EXPECT_EQ(firstX, g.shade[0].endCol) << length;
    }
    // Past the end: from sample N's position to the right edge.
    const WaveGeometry g = waveGeometry(samplesOf(s), WaveRequest{1920, 100, 500, 1000, 32768});
    ASSERT_EQ(g.shade.size(), 1u);
    EXPECT_DOUBLE_EQ(g.shade[0].x0, 960);
    EXPECT_EQ(g.shade[0].endCol, 1920);
    // Wholly before the file: all shade, no trace; degenerate requests draw nothing.
    const WaveGeometry off = waveGeometry(samplesOf(s), WaveRequest{1920, 100, -5000, 1000, 32768});
    EXPECT_EQ(off.shade[0].endCol, 1920);
    EXPECT_TRUE(off.segments.isEmpty() && off.points.isEmpty());
    EXPECT_TRUE(waveGeometry(samplesOf(s), WaveRequest{1920, 100, 0, 1000, 0}).segments.isEmpty());
    for (auto [start, length] : {std::pair(0.0, 0.01), {1e300, 1000.0}, {NAN, NAN}})
        EXPECT_TRUE(waveGeometry(samplesOf(s), WaveRequest{1920, 100, start, length, 32768}).shade.empty()) << start;
    // Four samples per pixel switch to columns; just under four stays a polyline.
    const WaveSamples perMs{s.constData(), s.size(), 1000, 0};  // one sample per ms
    EXPECT_TRUE(waveGeometry(perMs, WaveRequest{100, 100, 0, 400, 32768}).columnMode);
    EXPECT_FALSE(waveGeometry(perMs, WaveRequest{100, 100, 0, 399, 32768}).columnMode);
    // A tiny scale throws every height far off the box, yet within range.
    const WaveGeometry steep = waveGeometry(samplesOf(s), WaveRequest{1920, 100, 0, 20, 1e-300});
    EXPECT_EQ(steep.points.size(), 883);
    EXPECT_LE(std::abs(steep.points[0].y()), 1 << 29);
}

TEST(WaveGeometry, MatchesTheSampleBySampleAlgorithmWithAndWithoutCache)
{
    QList<qint16> s = wavimg::noise(300000, 32767, 11);
    for (int i = 0; i < 2000; ++i)  // a silent stretch and a full-scale step
        s[1000 + i] = 0, s[5000 + i] = i < 1000 ? 32767 : -32768;
    QRandomGenerator rng(3);
    ColumnCache cache;
    int columnCases = 0, lineCases = 0;
    for (int k = 0; k < 150; ++k) {
        const double W = 1 + rng.bounded(2500), H = 20 + rng.bounded(700);
        const int p = k % 5 == 0 ? 15 : 1;
        const double start = rng.bounded(9000.0) - 1500;
        const double length = std::exp(rng.bounded(std::log(9000.0)));
        const double scale = k % 3 ? 32768 : 300 + rng.bounded(20000);
        const WaveGeometry want = reference(s, W * p, H, start, length, scale, p);
        for (ColumnCache *c : {(ColumnCache *)nullptr, &cache, &cache}) {
            const WaveGeometry got = waveGeometry(samplesOf(s, 1), WaveRequest{W * p, H, start, length, scale, p}, c);
            ASSERT_EQ(got.columnMode, want.columnMode);
            ASSERT_EQ(got.segments, want.segments) << W << " " << start << " " << length;
            ASSERT_EQ(got.points, want.points) << W << " " << start << " " << length;
        }
        (want.columnMode ? columnCases : lineCases)++;
    }
    EXPECT_GT(columnCases, 25);
    EXPECT_GT(lineCases, 10);
    // The magnified layer groups the same way: a hit, and still its own heights.
    const int hits = cache.hits();
    const WaveGeometry normal = waveGeometry(samplesOf(s, 1), WaveRequest{1920, 600, 0, 3000, 32768}, &cache);
    const WaveGeometry magnified = waveGeometry(samplesOf(s, 1), WaveRequest{1920, 600, 0, 3000, 1200}, &cache);
    EXPECT_EQ(cache.hits(), hits + 1);
    EXPECT_EQ(magnified.segments, reference(s, 1920, 600, 0, 3000, 1200, 1).segments);
    EXPECT_NE(magnified.segments, normal.segments);
}

TEST(WaveGeometry, ReloadedWaveIsNotDrawnFromTheOldSummary)
{
    TempFolder dir;
    clsWave wave;
    const QList<qint16> a = wavimg::noise(44100, 2000, 1), b = wavimg::noise(44100, 30000, 2);
    ColumnCache cache;
    for (const QList<qint16> &s : {a, b, a}) {
        dir.write("w.wav", wavimg::wav(s));  // same path, same length each time
        QString name = "w.wav";
        ASSERT_TRUE(wave.ReadFile(dir.path(), name));
        const WaveGeometry g = waveGeometry(waveSamples(wave), WaveRequest{1920, 600, 0, 1000, 32768}, &cache);
        EXPECT_EQ(g.segments, reference(s, 1920, 600, 0, 1000, 32768, 1).segments);
    }
    EXPECT_EQ(cache.hits(), 0);
}

TEST(MarkerTicks, PositionsBandsOrderAndEdges)
{
    clsOto e;
    e.prmLF = 50, e.prmFX = 200, e.prmRT = -300, e.prmPR = 120, e.prmOV = 30;
    auto t = markTicks(e, 1000, 0, 1000, 1000, 600);
    const std::tuple<int, double, QColor> want[5] = {
        {0, 50, {0, 0, 127}}, {3, 250, {255, 127, 255}}, {4, 350, {0, 0, 127}}, {2, 170, {192, 63, 0}}, {1, 80, {63, 192, 0}}};
    for (int k = 0; k < 5; ++k) {
        const auto [band, x, color] = want[k];
        EXPECT_EQ(std::tuple(t[k].band, t[k].x, t[k].col, t[k].color, t[k].visible), std::tuple(band, x, int(x), color, true));
        EXPECT_EQ(std::pair(t[k].y0, t[k].y1), std::pair(band * 120, band * 120 + 120));
    }
    e.prmRT = 20;
    EXPECT_DOUBLE_EQ(markTicks(e, 1000, 0, 1000, 1000, 600)[2].x, 980);
    // At the left edge or at/after the right one: not drawn; just inside: the last column.
    e.prmLF = 0, e.prmRT = 0, e.prmFX = 999.6;
    t = markTicks(e, 1000, 0, 1000, 1000, 600);
    EXPECT_EQ(std::tuple(t[0].visible, t[2].visible, t[1].visible, t[1].col), std::tuple(false, false, true, 999));
    // A tick covers exactly the rows the mouse reads as its band.
    for (int H : {7, 13, 100, 601})
        for (const MarkTick &k : markTicks(e, 1000, 0, 1000, 1000, H))
            for (int y = 0; y < H; ++y)
                EXPECT_EQ(y >= k.y0 && y < k.y1, y * 5 / H == k.band) << H << " " << y;
    // A marker set by a click at a column is drawn back at that column.
    for (int c = 1; c < 1920; ++c) {
        e.prmLF = xToMs(c, -137.3, 713.9, 1920);
        ASSERT_EQ(markTicks(e, 1000, -137.3, 713.9, 1920, 600)[0].col, c);
    }
}
