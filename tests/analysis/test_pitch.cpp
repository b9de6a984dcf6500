#include "analysis/Features.h"
#include "analysis/FrqFile.h"
#include "analysis/PitchChecks.h"
#include "analysis/PitchTracker.h"
#include "analysis/ToneSynth.h"
#include "support/TempFolder.h"
#include "support/WavImages.h"

#include <QDir>
#include <QFile>
#include <QtEndian>
#include <cmath>
#include <cstring>
#include <gtest/gtest.h>

using namespace analysis;

namespace {

PitchTrack track(const ToneSynth &s)
{
    return trackPitch(s.samples, ToneSynth::kRate);
}

double cents(double hz, double truth)
{
    return 1200 * std::abs(std::log2(hz / truth));
}

// The share of the frames voiced in the truth that the tracker calls voiced
// within `limit` cents, and the count of frames silent in the truth that it
// calls voiced.
struct Score {
    double withinShare = 0;
    int falseVoiced = 0;
};
Score score(const ToneSynth &s, const PitchTrack &t, double limit = 30)
{
    const std::vector<double> truth = s.truthHz();
    int voiced = 0, within = 0;
    Score out;
    for (int i = 0; i < t.frames; ++i) {
        if (truth[size_t(i)] > 0) {
            ++voiced;
            within += t.voiced(i) && cents(t.f0Hz[size_t(i)], truth[size_t(i)]) <= limit;
        } else if (truth[size_t(i)] == 0 && t.voiced(i)) {
            ++out.falseVoiced;
        }
    }
    out.withinShare = voiced ? double(within) / voiced : 1;
    return out;
}

QList<qint16> listOf(const std::vector<qint16> &v)
{
    return QList<qint16>(v.begin(), v.end());
}

}  // namespace

TEST(PitchTracker, FollowsSungTonesAndRefusesSilenceAndNoise)
{
    ToneSynth pure;
    pure.harmonics(1).silence(100).steady(600, 220).silence(100);
    const PitchTrack p = track(pure);
    EXPECT_EQ(p.frames, int((pure.samples.size() + 255) / 256));
    EXPECT_GE(score(pure, p, 5).withinShare, 0.97);
    EXPECT_EQ(score(pure, p).falseVoiced, 0);
    EXPECT_NEAR(p.medianHz(), 220, 0.5);

    // A fundamental 20 dB under its overtones must not be read an octave up.
    ToneSynth weak;
    weak.harmonics(12, 0.1).steady(600, 110);
    const PitchTrack w = track(weak);
    EXPECT_GE(score(weak, w).withinShare, 0.95);
    EXPECT_NEAR(hzToNote(w.medianHz()), hzToNote(110), 0.1);

    // A high soprano and a low bass, at the range's ends.
    ToneSynth ends;
    ends.steady(400, 1000).silence(100).steady(400, 75);
    EXPECT_GE(score(ends, track(ends)).withinShare, 0.95);

    ToneSynth glide;
    glide.glide(800, 150, 600).vibrato(800, 300, 1.0);
    EXPECT_GE(score(glide, track(glide)).withinShare, 0.95);

    ToneSynth silent;
    silent.silence(500);
    EXPECT_EQ(track(silent).voicedCount(), 0);

    ToneSynth noise;
    noise.hiss(1000, 8000);
    const PitchTrack n = track(noise);
    EXPECT_LE(n.voicedCount(), n.frames / 20);

    // Breath between notes and a noise floor 50 dB down.
    ToneSynth sung;
    sung.noiseFloor(-50).silence(150).steady(500, 262).hiss(150).vibrato(600, 392).silence(150);
    const Score s = score(sung, track(sung));
    EXPECT_GE(s.withinShare, 0.95);
    EXPECT_LE(s.falseVoiced, 3);

    EXPECT_EQ(trackPitch({}, 44100).frames, 0);
}

// The estimator's voicing is the tracker's: a hiss and a tone equally loud
// (so that the level tells nothing) come out unvoiced and voiced, and the
// pitch of a fast glide is the tracker's at the right time.
TEST(Features, TakeTheirVoicingAndPitchFromTheTracker)
{
    ToneSynth s;
    s.hiss(400, 6000).tone(500, [](double ms) { return 150 * std::pow(4.0, ms / 500); }, 4000).hiss(300, 6000);
    const WaveFeatures f = computeFeatures(s.samples, ToneSynth::kRate);
    const PitchTrack t = track(s);
    ASSERT_EQ(f.pitch.frames, t.frames);
    EXPECT_EQ(f.pitch.f0Hz, t.f0Hz);
    EXPECT_EQ(f.pitch.periodicity, t.periodicity);

    auto truthAt = [](double ms) { return 150 * std::pow(4.0, (ms - 400) / 500); };
    int voicedFrames = 0;
    for (int i = f.frameAt(430); i <= f.frameAt(870); ++i) {
        EXPECT_NEAR(f.energyDb[size_t(i)], f.energyDb[size_t(f.frameAt(200))], 2.5) << i;
        EXPECT_GT(f.periodicity[size_t(i)], 0.9) << i;
        ASSERT_GT(f.pitchHz[size_t(i)], 0) << i;
        EXPECT_LT(cents(f.pitchHz[size_t(i)], truthAt(f.frameMs(i))), 40) << i;
        // The glide climbs 29 cents a tracker frame: the pitch at a feature
        // frame lies between the tracker's frames on either side of it.
        const int k = int((f.frameMs(i) * ToneSynth::kRate / 1000 - t.hopSamples / 2.0) / t.hopSamples);
        EXPECT_GE(f.pitchHz[size_t(i)], t.f0Hz[size_t(k)] * 0.999f) << i;
        EXPECT_LE(f.pitchHz[size_t(i)], t.f0Hz[size_t(k + 1)] * 1.001f) << i;
        ++voicedFrames;
    }
    EXPECT_GT(voicedFrames, 100);
    // Voicing spreads half a window each side of the tone (400-900 ms),
    // evenly: a window lying early would shift both edges late.
    int first = -1, last = -1;
    for (int i = 0; i < f.frames; ++i)
        if (f.periodicity[size_t(i)] >= 0.5) {
            first = first < 0 ? i : first;
            last = i;
        }
    EXPECT_NEAR((f.frameMs(first) + f.frameMs(last)) / 2, 650, 4);
    for (const double ms : {50.0, 200.0, 350.0, 950.0, 1150.0}) {
        EXPECT_LT(f.periodicity[size_t(f.frameAt(ms))], 0.5) << ms;
        EXPECT_EQ(f.pitchHz[size_t(f.frameAt(ms))], 0) << ms;
    }
}

TEST(PitchNotes, NamesAndReadsNotes)
{
    EXPECT_EQ(noteName(69), QStringLiteral("A4"));
    EXPECT_EQ(noteName(48), QStringLiteral("C3"));
    EXPECT_EQ(noteName(66), QStringLiteral("F#4"));
    EXPECT_NEAR(noteToHz(hzToNote(233.08)), 233.08, 1e-9);
    EXPECT_EQ(describeHz(440), QStringLiteral("440.0 Hz  A4 +0 ct"));
    EXPECT_EQ(describeHz(435), QStringLiteral("435.0 Hz  A4 -20 ct"));
    EXPECT_EQ(noteAtEnd(QStringLiteral("A3")), 57);
    EXPECT_EQ(noteAtEnd(QStringLiteral("F#4")), 66);
    EXPECT_EQ(noteAtEnd(QStringLiteral("Bb3")), 58);
    EXPECT_EQ(noteAtEnd(QStringLiteral("- ka C5")), 72);
    EXPECT_EQ(noteAtEnd(QStringLiteral("あA3")), 57);
    EXPECT_EQ(noteAtEnd(QStringLiteral("ka3")), std::nullopt);
    EXPECT_EQ(noteAtEnd(QStringLiteral("pA3")), std::nullopt);
    EXPECT_EQ(noteAtEnd(QStringLiteral("normal")), std::nullopt);
    EXPECT_EQ(intendedNote(QStringLiteral("A3"), QStringLiteral("a C5")), 72);
    EXPECT_EQ(intendedNote(QStringLiteral("A3")), 57);
    EXPECT_EQ(intendedNote(QStringLiteral("voice")), std::nullopt);
}

TEST(FrqFile, WritesTheResamplersFormatByteByByte)
{
    TempFolder dir;
    ToneSynth s;
    s.harmonics(1).steady(30, 440);  // 1323 samples: 6 frames, the last part-filled
    const QString wavPath = dir.write(QStringLiteral("a.wav"), wavimg::wav(listOf(s.samples)));
    ASSERT_EQ(writeFrqFor(wavPath), std::nullopt);
    const QByteArray b = dir.read(QStringLiteral("a_wav.frq"));
    const PitchTrack t = track(s);
    ASSERT_EQ(t.frames, 6);
    ASSERT_EQ(b.size(), 40 + 6 * 16);

    auto dbl = [&](qsizetype at) {
        const quint64 bits = qFromLittleEndian<quint64>(b.constData() + at);
        double v;
        std::memcpy(&v, &bits, 8);
        return v;
    };
    EXPECT_EQ(b.left(8), QByteArray("FREQ0003"));
    EXPECT_EQ(b.mid(8, 4), QByteArray::fromHex("00010000"));
    EXPECT_DOUBLE_EQ(dbl(12), t.meanHz());
    EXPECT_NEAR(dbl(12), 440, 2);
    EXPECT_EQ(b.mid(20, 16), QByteArray(16, '\0'));
    EXPECT_EQ(b.mid(36, 4), QByteArray::fromHex("06000000"));
    for (int i = 0; i < 6; ++i) {
        EXPECT_DOUBLE_EQ(dbl(40 + i * 16), t.f0Hz[size_t(i)]) << i;
        EXPECT_DOUBLE_EQ(dbl(48 + i * 16), t.amplitude[size_t(i)]) << i;
    }
    // A sine of peak 8000 has an RMS of 8000 / sqrt 2 in its full frames.
    EXPECT_NEAR(dbl(48 + 2 * 16), 8000 / std::sqrt(2.0), 150);

    const std::optional<FrqData> back = decodeFrq(b);
    ASSERT_TRUE(back);
    EXPECT_EQ(encodeFrq(*back), b);
    QString why;
    EXPECT_FALSE(decodeFrq(b.left(b.size() - 1), &why));
    EXPECT_TRUE(why.contains(QStringLiteral("cut short"))) << why.toStdString();
    EXPECT_FALSE(decodeFrq(QByteArray("RIFF") + b.mid(4), &why));
    EXPECT_EQ(frqPathOf(QStringLiteral("/v/A3/ka.wav")), QStringLiteral("/v/A3/ka_wav.frq"));
}

TEST(FrqFile, WritesAFolderAndItsPitchFoldersOnlyWhereMissingUnlessForced)
{
    TempFolder dir;
    QDir(dir.path()).mkpath(QStringLiteral("A3"));
    QDir(dir.path()).mkpath(QStringLiteral(".trash"));
    ToneSynth s;
    s.steady(200, 220);
    const QByteArray wave = wavimg::wav(listOf(s.samples));
    dir.write(QStringLiteral("a.wav"), wave);
    dir.write(QStringLiteral("A3/b.wav"), wave);
    dir.write(QStringLiteral(".trash/c.wav"), wave);
    dir.write(QStringLiteral("broken.wav"), QByteArray("RIFF...."));
    dir.write(QStringLiteral("a_wav.frq"), QByteArray("old"));

    const QStringList waves = waveFilesUnder(dir.path());
    ASSERT_EQ(waves, QStringList({dir.file(QStringLiteral("A3/b.wav")), dir.file(QStringLiteral("a.wav")),
                                  dir.file(QStringLiteral("broken.wav"))}));
    std::atomic<int> calls{0};
    FrqRunResult r = writeFrqFiles(waves, {}, [&](int, int total) { EXPECT_EQ(total, 2); ++calls; });
    EXPECT_EQ(r.written, 1);
    EXPECT_EQ(r.skipped, 1);
    EXPECT_EQ(calls, 2);
    ASSERT_EQ(r.failures.size(), 1);
    EXPECT_TRUE(r.failures[0].startsWith(dir.file(QStringLiteral("broken.wav")))) << r.failures[0].toStdString();
    EXPECT_EQ(dir.read(QStringLiteral("a_wav.frq")), QByteArray("old"));
    EXPECT_TRUE(decodeFrq(dir.read(QStringLiteral("A3/b_wav.frq"))));
    EXPECT_FALSE(QFile::exists(dir.file(QStringLiteral("broken_wav.frq"))));

    FrqRunOptions force;
    force.force = true;
    r = writeFrqFiles(waves, force);
    EXPECT_EQ(r.written, 2);
    EXPECT_TRUE(decodeFrq(dir.read(QStringLiteral("a_wav.frq"))));

    const std::atomic<bool> cancelled{true};
    r = writeFrqFiles(waves, force, {}, &cancelled);
    EXPECT_TRUE(r.cancelled);
    EXPECT_EQ(r.written, 0);
}

TEST(PitchChecks, FindOffPitchRecordingsAndWrongFrequencyFiles)
{
    ToneSynth sharp;
    sharp.steady(500, noteToHz(57 + 1.3));  // A3, 130 cents sharp
    const PitchTrack t = track(sharp);
    const std::optional<OffPitch> off = offPitch(t, 57);
    ASSERT_TRUE(off);
    EXPECT_NEAR(off->offSemitones, 1.3, 0.05);
    EXPECT_TRUE(off->describe().contains(QStringLiteral("above A3"))) << off->describe().toStdString();
    EXPECT_FALSE(offPitch(t, 58));
    EXPECT_TRUE(offPitch(t, 60));
    ToneSynth silent;
    silent.silence(300);
    EXPECT_FALSE(offPitch(track(silent), 57));

    const FrqData own = frqFromTrack(t);
    EXPECT_FALSE(frqMismatch(t, own));

    // An octave off over a fifth of the frames is tolerated, over a third not.
    FrqData wrong = own;
    const int voiced = t.voicedCount();
    int changed = 0;
    for (size_t i = 0; i < wrong.f0Hz.size() && changed < voiced / 5; ++i)
        if (wrong.f0Hz[i] > 0) {
            wrong.f0Hz[i] *= 2;
            ++changed;
        }
    EXPECT_FALSE(frqMismatch(t, wrong));
    for (size_t i = 0; i < wrong.f0Hz.size() && changed < voiced / 3; ++i)
        if (wrong.f0Hz[i] > 0 && wrong.f0Hz[i] < 400) {
            wrong.f0Hz[i] = 0;
            ++changed;
        }
    const std::optional<FrqMismatch> m = frqMismatch(t, wrong);
    ASSERT_TRUE(m);
    EXPECT_EQ(m->compared, voiced);
    EXPECT_EQ(m->disagreeing, changed);

    FrqData shorter = own;
    shorter.f0Hz.resize(own.f0Hz.size() - 5);
    shorter.amplitude.resize(own.f0Hz.size() - 5);
    ASSERT_TRUE(frqMismatch(t, shorter));
    EXPECT_TRUE(frqMismatch(t, shorter)->describe().contains(QStringLiteral("frames")));
}

TEST(PitchChecks, CheckARecordingByItsAliasesOrItsFolderAndItsFrequencyFile)
{
    TempFolder dir;
    QDir(dir.path()).mkpath(QStringLiteral("A3"));
    ToneSynth a3, sharp;
    a3.silence(50).steady(400, 220).silence(50);
    sharp.silence(50).steady(400, noteToHz(57 + 2)).silence(50);
    const QString onNote = dir.write(QStringLiteral("A3/a.wav"), wavimg::wav(listOf(a3.samples)));
    const QString offNote = dir.write(QStringLiteral("A3/b.wav"), wavimg::wav(listOf(sharp.samples)));

    RecordingPitchFindings f = checkRecordingPitch(onNote, {});
    EXPECT_FALSE(f.offPitch);
    EXPECT_FALSE(f.frqMismatch);
    EXPECT_TRUE(f.error.isEmpty());
    f = checkRecordingPitch(offNote, {});  // by the folder: A3, two semitones off
    ASSERT_TRUE(f.offPitch);
    EXPECT_EQ(f.offPitch->note, 57);
    // The aliases' note wins over the folder's, by majority.
    EXPECT_FALSE(checkRecordingPitch(offNote, {QStringLiteral("a B3"), QStringLiteral("i B3"), QStringLiteral("u A3")}).offPitch);
    EXPECT_TRUE(checkRecordingPitch(onNote, {QStringLiteral("a B3")}).offPitch);

    // The frequency file of the other recording is a mismatch; a broken one
    // says why.
    ASSERT_EQ(writeFrqFor(offNote), std::nullopt);
    QFile::copy(dir.file(QStringLiteral("A3/b_wav.frq")), dir.file(QStringLiteral("A3/a_wav.frq")));
    f = checkRecordingPitch(onNote, {});
    ASSERT_TRUE(f.frqMismatch);
    EXPECT_GT(f.frqMismatch->disagreeing, f.frqMismatch->compared / 2);
    EXPECT_FALSE(checkRecordingPitch(offNote, {}).frqMismatch);
    dir.write(QStringLiteral("A3/a_wav.frq"), QByteArray("FREQ"));
    f = checkRecordingPitch(onNote, {});
    ASSERT_TRUE(f.frqMismatch);
    EXPECT_TRUE(f.frqMismatch->describe().contains(QStringLiteral("not a frequency file")));
    EXPECT_FALSE(checkRecordingPitch(dir.file(QStringLiteral("missing.wav")), {}).error.isEmpty());
}
