#include "oto/clsOto.h"
#include "support/TempFolder.h"
#include "support/WavImages.h"
#include "view/modGfx.h"
#include "view/PictureBox.h"
#include "view/ViewGeometry.h"
#include "wave/clsWave.h"

#include <gtest/gtest.h>

namespace {

const QColor kFace(212, 208, 200);
const QColor kTrace(192, 192, 255);

struct Views {
    TempFolder dir;
    clsWave wave;
    PictureBox pic, picSm;
    explicit Views(const QList<qint16> &samples, int w = 1920, int h = 600)
    {
        dir.write("w.wav", wavimg::wav(samples));
        QString name = "w.wav";
        EXPECT_TRUE(wave.ReadFile(dir.path(), name));
        pic.resize(w, h);
        pic.setBackColor(Qt::white);
        pic.setForeColor(kTrace);
        picSm.resize(w, 25);
        picSm.setBackColor(kFace);
        picSm.setForeColor(Qt::white);
    }
    // Pixels of colour c in the rows [y0, y1) of box, all rows by default.
    static int count(const PictureBox &box, const QColor &c, int y0 = 0, int y1 = -1)
    {
        int k = 0;
        const QImage &img = box.image();
        for (int y = y0; y < (y1 < 0 ? img.height() : y1); ++y)
            for (int x = 0; x < img.width(); ++x)
                k += img.pixelColor(x, y) == c;
        return k;
    }
};

}  // namespace

TEST(Render, MarkersFillTheirTicksRowsInOneColumn)
{
    Views v(wavimg::noise(44100, 3000), 1000, 500);
    clsOto e;
    e.prmLF = 100, e.prmOV = 50, e.prmPR = 150, e.prmFX = 300, e.prmRT = -500;
    drawDetail(v.pic, v.wave, &e, true, DisplayMode::Normal, 0, 1000, kFace);
    const QImage &img = v.pic.image();
    for (const MarkTick &t : markTicks(e, 1000, 0, 1000, 1000, 500)) {
        for (int y = t.y0; y < t.y1; ++y)
            ASSERT_EQ(img.pixelColor(t.col, y), t.color) << t.col << " " << y;
        EXPECT_TRUE(t.y0 == 0 || img.pixelColor(t.col, t.y0 - 1) != t.color) << t.col;
        EXPECT_TRUE(t.y1 == 500 || img.pixelColor(t.col, t.y1) != t.color) << t.col;
        EXPECT_NE(img.pixelColor(t.col + 1, t.y0 + 50), t.color) << t.col;
    }
}

TEST(Render, ShadingOnePixelColumnsAndZoomedInLines)
{
    QList<qint16> square(44100);
    for (int i = 0; i < square.size(); ++i)
        square[i] = (i / 3) % 2 ? -3000 : 3000;  // rows 272 and 327 at 600 px
    Views v(square);
    drawDetail(v.pic, v.wave, nullptr, true, DisplayMode::Normal, -100, 1000, kFace);
    const QImage &img = v.pic.image();
    // 4410 samples at 1920 px per 44100 samples: 192 columns of face colour.
    EXPECT_EQ(Views::count(v.pic, kFace, 10, 11), 192);
    EXPECT_EQ(img.pixelColor(0, 10), kFace);
    // Every column of the file: one line from row 272 to row 327, both ends
    // included; the joins run inside it, at row 299.
    EXPECT_EQ(Views::count(v.pic, kTrace, 272, 273) + Views::count(v.pic, kTrace, 327, 328), 2 * (1920 - 192));
    EXPECT_EQ(v.count(v.pic, kTrace), (1920 - 192) * 56);

    // Heights far off the box are clipped, not walked.
    drawWave(v.pic, v.wave, 500, 20, 1e-300, kFace);
    drawWave(v.pic, v.wave, 500, 1000, -1e-300, kFace);
    // Zoomed in to 882 samples, 2.2 px apart: a line from sample to sample.
    v.pic.cls();
    drawDetail(v.pic, v.wave, nullptr, true, DisplayMode::Normal, 500, 20, kFace);
    for (const QPoint &pt : waveGeometry(waveSamples(v.wave), {1920, 600, 500, 20, 32768, 1}).points)
        ASSERT_TRUE(pt.x() >= 1920 || img.pixelColor(pt) == kTrace) << pt.x();  // the last one is off the image
    // Each of the 293 steep rises and falls inside the view (a 294th runs off
    // its right edge) crosses every row between the levels; no pixel strays.
    for (int y = 272; y <= 327; ++y)
        ASSERT_GE(Views::count(v.pic, kTrace, y, y + 1), 293) << y;
    EXPECT_EQ(Views::count(v.pic, kTrace, 0, 272) + Views::count(v.pic, kTrace, 328), 0);
}

TEST(Render, DisplayModes)
{
    Views v(wavimg::noise(44100, 3000));
    ASSERT_LT(2 * v.wave.Range, 32768);
    clsOto e;
    e.prmLF = 200, e.prmRT = -300;
    // Mode 1 on a quiet wave: the light magnified layer behind the trace.
    drawDetail(v.pic, v.wave, &e, true, DisplayMode::Magnified, -100, 1000, kFace);
    EXPECT_GT(v.count(v.pic, magnifiedColor()), 1000);
    EXPECT_GT(v.count(v.pic, kTrace), 1000);
    EXPECT_EQ(v.pic.foreColor(), kTrace);
    // Not editable: nothing at all. Mode 2: markers only, no trace, no shading.
    v.pic.cls();
    drawDetail(v.pic, v.wave, &e, false, DisplayMode::Normal, -100, 1000, kFace);
    EXPECT_EQ(v.count(v.pic, Qt::white), 1920 * 600);
    drawDetail(v.pic, v.wave, &e, true, DisplayMode::NoWave, -100, 1000, kFace);
    EXPECT_EQ(v.count(v.pic, kTrace) + v.count(v.pic, kFace), 0);
    EXPECT_EQ(v.pic.image().pixelColor(576, 10), QColor(0, 0, 127));
    // The overview: drawn in modes 0 and 1, kept as it was in mode 2.
    drawOverview(v.picSm, v.wave, true, DisplayMode::Normal, kFace);
    const QImage drawn = v.picSm.image();
    EXPECT_GT(v.count(v.picSm, Qt::white), 1920);
    v.picSm.cls();
    drawOverview(v.picSm, v.wave, true, DisplayMode::NoWave, kFace);
    drawOverview(v.picSm, v.wave, false, DisplayMode::Normal, kFace);
    EXPECT_EQ(v.count(v.picSm, kFace), 1920 * 25);
    drawOverview(v.picSm, v.wave, true, DisplayMode::Magnified, kFace);
    EXPECT_EQ(v.picSm.image(), drawn);

    // A loud wave: mode 1 looks like mode 0.
    Views l(wavimg::noise(44100, 20000));  // loud, yet magnifying would show
    ASSERT_GE(2 * l.wave.Range, 32768);
    drawDetail(l.pic, l.wave, &e, true, DisplayMode::Magnified, -100, 1000, kFace);
    const QImage mode1 = l.pic.image();
    l.pic.cls();
    drawDetail(l.pic, l.wave, &e, true, DisplayMode::Normal, -100, 1000, kFace);
    EXPECT_EQ(l.pic.image(), mode1);
}
