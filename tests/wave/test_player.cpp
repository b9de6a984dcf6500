#include "support/TempFolder.h"
#include "support/WavImages.h"
#include "wave/clsWave.h"
#include "wave/WavePlayer.h"

#include <QDeadlineTimer>
#include <QThread>
#include <gtest/gtest.h>

using namespace wavimg;

// SDL's disk driver writes what the device plays to a file, in real time.
TEST(WavePlayer, PlaysTheReadersSamplesRestartsOnASecondPlayAndIsSilentWithoutDevice)
{
    TempFolder dir;
    qputenv("SDL_AUDIODRIVER", "disk");
    qputenv("SDL_DISKAUDIOFILE", dir.file("out.raw").toLocal8Bit());
    const QList<qint16> s = noise(22050, 20000);
    // An odd-sized fmt chunk, read as the reader reads it (no pad byte after
    // it), and tagging chunks around the data: what is played is the reader's
    // samples, not a second parse of the file.
    dir.write("p.wav", riff("fmt " + le32(17) + fmtBody() + "x" + chunk("LIST", "abc") + chunk("data", pcm(s)) + chunk("LIST", "z")));
    clsWave wave, refused;
    QString name = "p.wav";
    ASSERT_TRUE(wave.ReadFile(dir.path(), name));
    {
        WavePlayer player;
        EXPECT_FALSE(player.play(refused));
        EXPECT_FALSE(player.deviceOpen());
        ASSERT_TRUE(player.play(wave));
        QThread::msleep(150);
        ASSERT_TRUE(player.play(wave));
        for (QDeadlineTimer deadline(5000); player.queuedBytes() > 0 && !deadline.hasExpired();)
            QThread::msleep(20);
        QThread::msleep(400);  // the device's own buffers
    }
    const QByteArray raw = dir.read("out.raw");
    QList<qint16> out(raw.size() / 2);
    qFromLittleEndian<qint16>(raw.constData(), out.size(), out.data());
    while (!out.isEmpty() && out.first() == 0)
        out.removeFirst();
    // The start of the first play, then the whole sound from its beginning, then silence.
    qsizetype restart = 1;
    while (restart < out.size() && out.mid(restart, 64) != s.mid(0, 64))
        ++restart;
    ASSERT_LT(restart, s.size()) << "the first play was not cut short";
    EXPECT_EQ(out.mid(0, restart), s.mid(0, restart));
    EXPECT_EQ(out.mid(restart, s.size()), s);
    EXPECT_EQ(out.mid(restart + s.size()), QList<qint16>(out.size() - restart - s.size(), 0));

    qputenv("SDL_AUDIODRIVER", "no-such-driver");
    WavePlayer silent;
    EXPECT_FALSE(silent.play(wave));
    EXPECT_EQ(silent.queuedBytes(), 0u);
}
