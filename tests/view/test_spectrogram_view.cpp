#include "analysis/Features.h"
#include "oto/clsOto.h"
#include "support/TempFolder.h"
#include "support/WavImages.h"
#include "view/modGfx.h"
#include "view/PictureBox.h"
#include "view/SpectrogramView.h"
#include "wave/clsWave.h"

#include <gtest/gtest.h>
#include <cmath>
#include <numbers>

namespace {

const QColor kFace(212, 208, 200);
const QColor kTrace(192, 192, 255);

// A 1 s wave: a 1 kHz tone in its second half, silence before.
QList<qint16> halfTone(int amplitude = 12000)
{
    QList<qint16> s(44100, 0);
    for (int i = 22050; i < s.size(); ++i)
        s[i] = qint16(amplitude * std::sin(2 * std::numbers::pi * 1000 * i / 44100.0));
    return s;
}

double luma(QRgb c) { return 0.2126 * qRed(c) + 0.7152 * qGreen(c) + 0.0722 * qBlue(c); }

// Writes the samples as w.wav and reads them back as the window reads a
// recording.
void readWave(const TempFolder &dir, clsWave &wave, const QList<qint16> &samples)
{
    dir.write("w.wav", wavimg::wav(samples));
    QString name = "w.wav";
    ASSERT_TRUE(wave.ReadFile(dir.path(), name));
}

// The half tone read as a recording and the white 1000 x 500 picture box
// the detail view draws it on.
class SpectrogramDetail : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_NO_FATAL_FAILURE(readWave(dir, wave, halfTone()));
        pic.resize(1000, 500);
        pic.setBackColor(Qt::white);
    }
    TempFolder dir;
    clsWave wave;
    PictureBox pic;
};

}  // namespace

TEST(SpectrogramView, ColoursRiseEvenlyFromDarkToLight)
{
    double previous = -1;
    for (int i = 0; i < 256; ++i) {
        const double l = luma(spectrumColor(i / 255.0));
        EXPECT_GT(l, previous) << i;  // a level reads the same in grey
        previous = l;
    }
    EXPECT_LT(luma(spectrumColor(0)), 15);
    EXPECT_GT(luma(spectrumColor(1)), 220);
    EXPECT_EQ(spectrumColor(-3), spectrumColor(0));
    EXPECT_EQ(spectrumColor(7), spectrumColor(1));
    // Coloured in the middle, not a grey ramp.
    const QRgb mid = spectrumColor(0.5);
    EXPECT_GT(qRed(mid) - qBlue(mid), 60);
}

TEST(SpectrogramView, PicturesAreCachedPerWindowAndRebuiltWhenTheWaveChanges)
{
    TempFolder dir;
    clsWave wave;
    SpectrogramCache cache;
    // The same path and length each time.
    const auto load = [&](const QList<qint16> &s) { ASSERT_NO_FATAL_FAILURE(readWave(dir, wave, s)); };
    load(halfTone());
    const QImage first = cache.image(waveSamples(wave), 0, 1000, 400, 200);
    ASSERT_EQ(first.size(), QSize(400, 200));
    // The tone's half is brighter than the silent half, at its own row.
    const int row = int(analysis::FrequencyAxis(200, cache.options()).rowAt(1000));
    EXPECT_GT(luma(first.pixel(300, row)), luma(first.pixel(100, row)) + 100);
    EXPECT_GT(luma(first.pixel(300, row)), luma(first.pixel(300, row + 40)) + 100);

    // A redraw of the same window (a mouse edit) takes the picture kept.
    EXPECT_EQ(cache.image(waveSamples(wave), 0, 1000, 400, 200), first);
    EXPECT_EQ(cache.computed(), 1);
    // Another window or size is computed; going back finds the first again.
    cache.image(waveSamples(wave), 100, 500, 400, 200);
    cache.image(waveSamples(wave), 0, 1000, 400, 150);
    EXPECT_EQ(cache.computed(), 3);
    cache.image(waveSamples(wave), 0, 1000, 400, 200);
    EXPECT_EQ(cache.computed(), 3);

    // The wave loaded again with other samples: computed afresh, not taken
    // from the picture of the old samples; silence now where the tone was.
    load(QList<qint16>(44100, 0));
    const QImage silent = cache.image(waveSamples(wave), 0, 1000, 400, 200);
    EXPECT_EQ(cache.computed(), 4);
    EXPECT_LT(luma(silent.pixel(300, row)), 15);
    load(halfTone());
    EXPECT_EQ(cache.image(waveSamples(wave), 0, 1000, 400, 200), first);
    EXPECT_EQ(cache.computed(), 5);

    // Nothing to show: no picture.
    EXPECT_TRUE(cache.image(waveSamples(wave), 0, 0, 400, 200).isNull());
    EXPECT_TRUE(cache.image(WaveSamples{}, 0, 1000, 400, 200).isNull());
}

TEST_F(SpectrogramDetail, DetailViewPutsTheTraceBelowTheSpectrogramAndKeepsMarkersReadable)
{
    pic.setForeColor(kTrace);
    clsOto e;
    e.prmLF = 400, e.prmOV = 50, e.prmPR = 150, e.prmFX = 300, e.prmRT = -500;
    DetailExtras spectrogram;
    spectrogram.spectrogram = true;

    // From 100 ms before the start: the shading covers the spectrogram's
    // rows and the trace's strip alike; the picture begins right after it.
    drawDetail(pic, wave, &e, true, DisplayMode::Normal, -100, 1000, kFace, spectrogram);
    const QImage &img = pic.image();
    const DetailLayout layout = detailLayout(500, true, DisplayMode::Normal);
    ASSERT_EQ(std::tuple(layout.specTop, layout.specBottom, layout.waveTop, layout.waveBottom), std::tuple(0, 350, 350, 500));
    for (int y : {5, 200, 349, 350, 499})
        EXPECT_EQ(std::pair(img.pixelColor(99, y), img.pixelColor(100, y) == kFace), std::pair(kFace, false)) << y;
    const int toneRow = int(analysis::FrequencyAxis(350, viewSpectrogramCache().options()).rowAt(1000));
    EXPECT_GT(luma(img.pixel(900, toneRow)), 200);
    // The trace only in its strip: the tone's second half fills it there.
    int traceAbove = 0, traceBelow = 0;
    for (int y = 0; y < 500; ++y)
        (y < 350 ? traceAbove : traceBelow) += img.pixelColor(850, y) == kTrace;
    EXPECT_EQ(traceAbove, 0);
    EXPECT_GT(traceBelow, 40);
    // Each marker: three columns of its colour between light borders, over
    // the rows of its band.
    for (const MarkTick &t : markTicks(e, wave.LengthMs, -100, 1000, 1000, 500)) {
        if (!t.visible)
            continue;
        const int y = (t.y0 + t.y1) / 2;
        for (int dx : {-1, 0, 1})
            EXPECT_EQ(img.pixelColor(t.col + dx, y), t.color) << t.band;
        EXPECT_GT(luma(img.pixel(t.col - 2, y)), 200) << t.band;
        EXPECT_GT(luma(img.pixel(t.col + 2, y)), 200) << t.band;
    }

    // NoWave: the spectrogram fills the view, no trace at all.
    pic.cls();
    drawDetail(pic, wave, &e, true, DisplayMode::NoWave, -100, 1000, kFace, spectrogram);
    int trace = 0, white = 0;
    for (int y = 0; y < 500; ++y)
        for (int x = 0; x < 1000; ++x)
            trace += img.pixelColor(x, y) == kTrace, white += img.pixelColor(x, y) == Qt::white;
    EXPECT_EQ(trace, 0);
    EXPECT_LT(white, 500 * 6);  // the marker borders only
    EXPECT_GT(luma(img.pixel(900, int(analysis::FrequencyAxis(500, viewSpectrogramCache().options()).rowAt(1000)))), 200);
}

TEST_F(SpectrogramDetail, CurvesAndAFlaggedEstimateLieOverTheSpectrogram)
{
    const analysis::WaveFeatures f = analysis::computeFeatures(wave.samples().span(), 44100);
    pic.setForeColor(kTrace);
    FlaggedEstimate estimate{clsOto(), QStringLiteral("no clear onset")};
    estimate.entry.prmLF = 200, estimate.entry.prmOV = 60, estimate.entry.prmPR = 330, estimate.entry.prmFX = 250;
    estimate.entry.prmRT = -600;
    DetailExtras extras;
    extras.spectrogram = true;
    extras.curves = &f;
    extras.estimate = &estimate;
    drawDetail(pic, wave, nullptr, true, DisplayMode::Normal, 0, 1000, kFace, extras);
    const QImage &img = pic.image();

    // The level curve (white): at the bottom of the spectrogram in the
    // silence, high up in the tone (about -9 dB of 80); voicing (light blue)
    // goes up with the tone.
    const QColor energy(255, 255, 255), voicing(80, 230, 255);
    EXPECT_TRUE(img.pixelColor(100, 349) == energy || img.pixelColor(100, 349) == voicing);
    const CurvePoints pts = curvePoints(f, 0, 1000, 1000, 0, 350);
    const QPoint loud = pts.energy[900];
    ASSERT_EQ(loud.x(), 900);
    EXPECT_LT(loud.y(), 60);
    EXPECT_EQ(img.pixelColor(loud), energy);
    EXPECT_LT(pts.voicing[900].y(), pts.voicing[100].y() - 200);
    EXPECT_EQ(img.pixelColor(pts.voicing[900]), voicing);
    // The estimate: a dashed line in the LF colour at 200 ms over the
    // spectrogram's rows (not into the trace's strip), and its reason.
    int on = 0, off = 0;
    for (int y = 0; y < 350; ++y)
        (img.pixelColor(200, y) == markColor(0) ? on : off) += 1;
    EXPECT_GT(on, 100);
    EXPECT_GT(off, 100);
    EXPECT_NE(img.pixelColor(200, 420), markColor(0));
    // Without the curves nothing of this is drawn.
    const QImage withCurves = img;
    pic.cls();
    drawDetail(pic, wave, nullptr, true, DisplayMode::Normal, 0, 1000, kFace, DetailExtras{true, nullptr, nullptr});
    EXPECT_NE(img.pixelColor(loud), energy);
    EXPECT_NE(img.pixelColor(200, 1), markColor(0));
}

// The frequency labels lie whole inside the spectrogram's rows and the view,
// and on a dark backing wherever the view starts: over the shading before
// the recording, over the spectrogram, and across the edge between them.
TEST_F(SpectrogramDetail, FrequencyLabelsStayWholeAndReadableWhereverTheViewStarts)
{
    const analysis::SpectrogramOptions options;
    const auto textSize = [](const QString &text) { return QSize(7 * int(text.size()), 13); };
    for (const auto &[top, bottom, width] : {std::tuple(0, 350, 1000), std::tuple(40, 100, 1000), std::tuple(0, 30, 400),
                                             std::tuple(10, 500, 24)}) {
        SCOPED_TRACE(bottom);
        for (const FrequencyLabel &l : frequencyLabels(top, bottom, width, 4, textSize, options)) {
            const QRect inside(0, top, width, bottom - top);
            EXPECT_TRUE(inside.contains(l.backing)) << l.text.toStdString();
            EXPECT_TRUE(inside.contains(l.tick)) << l.text.toStdString();
            EXPECT_GE(l.backing.width(), textSize(l.text).width());
        }
    }
    EXPECT_FALSE(frequencyLabels(0, 350, 1000, 4, textSize, options).empty());
    EXPECT_TRUE(frequencyLabels(0, 350, 12, 4, textSize, options).empty());  // no room beside the ticks

    DetailExtras extras;
    extras.spectrogram = true;
    QFont font;
    font.setPixelSize(10);
    const QFontMetrics metrics(font);
    const auto drawnSize = [&](const QString &text) { return QSize(metrics.horizontalAdvance(text), metrics.height()); };
    const clsOto entry("w.wav", "a", 10, 20, -500, 15, 5);  // the left bound's marker crosses the labels
    for (const double start : {-100.0, -15.0, -8.0, 0.0, 5.0}) {
        SCOPED_TRACE(start);
        pic.cls();
        drawDetail(pic, wave, &entry, true, DisplayMode::Normal, start, 1000, kFace, extras);
        const QImage &img = pic.image();
        const std::vector<FrequencyLabel> labels = frequencyLabels(0, 350, 1000, 4, drawnSize, options);
        ASSERT_GE(labels.size(), 4u);
        for (const FrequencyLabel &l : labels) {
            // Dark around the text, light in it.
            EXPECT_LT(luma(img.pixel(l.backing.topLeft())), 100) << l.text.toStdString();
            EXPECT_LT(luma(img.pixel(l.backing.bottomRight())), 100) << l.text.toStdString();
            double lightest = 0;
            for (int x = l.backing.left(); x <= l.backing.right(); ++x)
                for (int y = l.backing.top(); y <= l.backing.bottom(); ++y)
                    lightest = std::max(lightest, luma(img.pixel(x, y)));
            EXPECT_GT(lightest, 180) << l.text.toStdString();
        }
    }
}
