#include "support/TempFolder.h"
#include "support/WavImages.h"
#include "wave/clsWave.h"
#include "wave/WavePlayer.h"

#include <QDeadlineTimer>
#include <QThread>
#include <gtest/gtest.h>

using namespace wavimg;

namespace {

// SDL's disk driver writes what the device plays to a file, in real time.
// Runs plays on a fresh player writing to file name, waits until the sound
// has played out and returns the samples written, without the silence
// around them (the test waves hold no 0 sample).
QList<qint16> played(const TempFolder &dir, const QString &name, const std::function<void(WavePlayer &)> &plays)
{
    qputenv("SDL_AUDIODRIVER", "disk");
    qputenv("SDL_DISKAUDIOFILE", dir.file(name).toLocal8Bit());
    {
        WavePlayer player;
        plays(player);
        for (QDeadlineTimer deadline(5000); player.isPlaying() && !deadline.hasExpired();)
            QThread::msleep(10);
        QThread::msleep(100);  // the device's own buffers
    }
    const QByteArray raw = dir.read(name);
    QList<qint16> out(raw.size() / 2);
    qFromLittleEndian<qint16>(raw.constData(), out.size(), out.data());
    while (!out.isEmpty() && out.first() == 0)
        out.removeFirst();
    while (!out.isEmpty() && out.last() == 0)
        out.removeLast();
    return out;
}

}  // namespace

TEST(WavePlayer, PlaysTheReadersSamplesRestartsOnASecondPlayAndIsSilentWithoutDevice)
{
    TempFolder dir;
    const QList<qint16> s = noise(22050, 20000);
    // An odd-sized fmt chunk, read as the reader reads it (no pad byte after
    // it), and tagging chunks around the data: what is played is the reader's
    // samples, not a second parse of the file.
    dir.write("p.wav", riff("fmt " + le32(17) + fmtBody() + "x" + chunk("LIST", "abc") + chunk("data", pcm(s)) + chunk("LIST", "z")));
    clsWave wave, refused;
    QString name = "p.wav";
    ASSERT_TRUE(wave.ReadFile(dir.path(), name));

    QList<qint64> positions;
    const QList<qint16> out = played(dir, "out.raw", [&](WavePlayer &player) {
        EXPECT_FALSE(player.play(refused));
        EXPECT_FALSE(player.deviceOpen());
        ASSERT_TRUE(player.play(wave));
        QThread::msleep(150);
        ASSERT_TRUE(player.play(wave));
        for (int i = 0; i < 8; ++i, QThread::msleep(40))
            positions << player.position();
    });
    // The start of the first play, then the whole sound from its beginning.
    qsizetype restart = 1;
    while (restart < out.size() && out.mid(restart, 64) != s.mid(0, 64))
        ++restart;
    ASSERT_LT(restart, s.size()) << "the first play was not cut short";
    EXPECT_EQ(out.mid(0, restart), s.mid(0, restart));
    EXPECT_EQ(out.mid(restart), s);
    // The position the cursor follows moves on with the sound.
    EXPECT_TRUE(std::is_sorted(positions.begin(), positions.end())) << positions.size();
    EXPECT_GT(positions.last(), positions.first());
    EXPECT_LT(positions.last(), s.size());

    qputenv("SDL_AUDIODRIVER", "no-such-driver");
    WavePlayer silent;
    EXPECT_FALSE(silent.play(wave));
    EXPECT_EQ(silent.position(), -1);
}

// An entry's stretch, as Shift+Space and Ctrl+Space play it, clipped to the
// wave where it runs past either end.
TEST(WavePlayer, StretchesArePlayedExactlyAndClippedToTheWave)
{
    TempFolder dir;
    const QList<qint16> s = noise(22050, 20000, 3);  // 500 ms
    dir.write("p.wav", wav(s));
    clsWave wave;
    QString name = "p.wav";
    ASSERT_TRUE(wave.ReadFile(dir.path(), name));
    const struct {
        double start, end;
        qsizetype first, last;
    } cases[] = {{100, 200, 4410, 8820}, {400, 700, 17640, 22050}, {-50, 30, 0, 1323}};
    int k = 0;
    for (const auto &c : cases) {
        SCOPED_TRACE(c.start);
        const QList<qint16> out = played(dir, QString("range%1.raw").arg(k++), [&](WavePlayer &player) {
            ASSERT_TRUE(player.playRange(wave, c.start, c.end));
        });
        EXPECT_EQ(out, s.mid(c.first, c.last - c.first));
    }
    WavePlayer player;
    EXPECT_FALSE(player.playRange(wave, 600, 800));  // wholly past the end
    EXPECT_FALSE(player.playRange(wave, 200, 100));
}

// The window's listening loop: the sound repeats until stopped, a second
// loop swaps its samples in where the first had got to, and the position
// stays inside the sound.
TEST(WavePlayer, LoopsUntilStoppedAndSwapsItsSamplesInPlace)
{
    TempFolder dir;
    const QList<qint16> a = noise(4410, 20000, 5);  // 100 ms
    const QList<qint16> b = noise(4410, 20000, 9);
    quint64 first = 0;
    QList<qint64> positions;
    const QList<qint16> out = played(dir, "loop.raw", [&](WavePlayer &player) {
        ASSERT_TRUE(player.loopSamples(SampleBuffer::of(a), 44100));
        first = player.soundNumber();
        // Three rounds at least written before the swap, however slowly this
        // thread runs: five rounds taken by the device, whose buffer holds
        // up to about one (a wrap missed between two looks only makes it
        // wait longer).
        int wraps = 0;
        for (QDeadlineTimer deadline(3000); wraps < 5 && !deadline.hasExpired(); QThread::msleep(5)) {
            const qint64 p = player.position();
            wraps += !positions.isEmpty() && p < positions.last() ? 1 : 0;
            positions << p;
        }
        ASSERT_TRUE(player.loopSamples(SampleBuffer::of(b), 44100));
        EXPECT_EQ(player.soundNumber(), first);  // the same loop goes on
        QThread::msleep(300);
        EXPECT_TRUE(player.isPlaying());
        player.stop();
        EXPECT_FALSE(player.isPlaying());
    });
    for (qint64 p : positions)
        EXPECT_TRUE(p >= 0 && p < a.size()) << p;
    // Three whole rounds of the first sound, then somewhere the second in
    // the same place of its round.
    ASSERT_GT(out.size(), 5 * a.size());
    EXPECT_EQ(out.mid(0, a.size()), a);
    EXPECT_EQ(out.mid(a.size(), a.size()), a);
    EXPECT_EQ(out.mid(2 * a.size(), a.size()), a);
    const qsizetype last = (out.size() / a.size() - 1) * a.size();
    EXPECT_EQ(out.mid(last, a.size()), b);

    WavePlayer player;
    qputenv("SDL_AUDIODRIVER", "disk");
    qputenv("SDL_DISKAUDIOFILE", dir.file("other.raw").toLocal8Bit());
    ASSERT_TRUE(player.loopSamples(SampleBuffer::of(a), 44100));
    const quint64 looping = player.soundNumber();
    ASSERT_TRUE(player.playSamples(b, 44100));
    EXPECT_NE(player.soundNumber(), looping);  // a play ends the loop
}
