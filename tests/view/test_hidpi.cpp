#include "PictureBox.h"
#include "TempFolder.h"
#include "WavImages.h"
#include "clsWave.h"
#include "modGfx.h"

#include <gtest/gtest.h>

// Run with QT_SCALE_FACTOR=2: a screen with two pixels per widget pixel.
TEST(HighDensityScreen, PictureBoxesDrawInScreenPixels)
{
    PictureBox box;
    box.resize(200, 60);
    box.setBackColor(Qt::white);
    box.setForeColor(Qt::black);
    box.show();
    ASSERT_EQ(box.pixelRatio(), 2.0);
    box.cls();
    ASSERT_EQ(box.image().size(), QSize(400, 120));

    TempFolder dir;
    QList<qint16> samples(44100);
    for (qsizetype i = 0; i < samples.size(); ++i)
        samples[i] = qint16(i % 100 < 50 ? 16000 : -16000);
    dir.write("w.wav", wavimg::wav(samples));
    clsWave wave;
    QString name = "w.wav";
    ASSERT_TRUE(wave.ReadFile(dir.path(), name));
    drawWave(box, wave, 0, wave.LengthMs, 32768, Qt::gray);

    // Shown at its full resolution: the screen image is the kept image.
    const QImage shown = box.grab().toImage().convertToFormat(QImage::Format_RGB32);
    ASSERT_EQ(shown.size(), QSize(400, 120));
    EXPECT_EQ(shown, box.image().convertToFormat(QImage::Format_RGB32));
    // A trace column per screen pixel: every one of the 400 columns is drawn.
    int drawnColumns = 0;
    for (int x = 0; x < shown.width(); ++x)
        drawnColumns += shown.pixelColor(x, 30) == Qt::black || shown.pixelColor(x, 90) == Qt::black;
    EXPECT_GT(drawnColumns, 390);
}
