#include "analysis/EstimateRun.h"
#include "analysis/Estimator.h"
#include "analysis/FeatureCache.h"
#include "analysis/Features.h"
#include "SungSynth.h"
#include "support/LocaleEnv.h"
#include "support/TempFolder.h"
#include "support/WavImages.h"

#include <QDateTime>
#include <QFile>
#include <gtest/gtest.h>

using namespace analysis;

namespace {

constexpr int kRate = SungSynth::kRate;

}  // namespace

TEST(Features, ToneNoiseAndSilenceLookAsTheyShould)
{
    SungSynth s;
    s.silence(200).noise(200).vowel(300);
    const WaveFeatures f = computeFeatures(std::span<const qint16>(s.samples.constData(), size_t(s.samples.size())), kRate);
    ASSERT_GT(f.frames, 150);
    const int quiet = f.frameAt(100), hiss = f.frameAt(300), tone = f.frameAt(550);
    EXPECT_LT(f.energyDb[quiet], f.energyDb[hiss] - 30);
    EXPECT_GT(f.highRatio[hiss], 0.5);
    EXPECT_LT(f.highRatio[tone], 0.2);
    EXPECT_LT(f.periodicity[hiss], 0.5);
    EXPECT_GT(f.periodicity[tone], 0.9);
    EXPECT_NEAR(f.pitchHz[tone], 200, 5);
    EXPECT_EQ(computeFeatures({}, kRate).frames, 0);
}

TEST(Estimate, KnownBoundariesAreFoundWithinAFewMs)
{
    // "_あさあ": a vowel from silence at 300 ms, s from 800 to 920 ms, the
    // vowel again until 1500 ms, then silence. "_さ": breath first, s at
    // 400 ms, its vowel from 520 ms.
    SungSynth vcv;
    vcv.silence(300).vowel(500).noise(120).vowel(580).silence(300);
    SungSynth cv;
    cv.silence(100).noise(150, 800).silence(150).noise(120).vowel(600).silence(300);
    // A take 18 dB quieter is placed alike: levels count against the
    // recording's own. So is one with an offset added to every sample (by
    // a sound card), or a mains hum (50 Hz and its odd harmonics), which
    // would otherwise make every silence sound. So is one that begins with
    // a minute of room noise (hiss less than 40 dB below the take, a faint
    // hum: a recorder started early), too long for the take's loud part to
    // be the recording's; or with seconds of a fan's rumble under it all,
    // under 30 dB below the take, whose flickers the pitch tracker reads as
    // loud voiced frames.
    struct Run {
        QString suffix;
        double gain;
        int offset;
        double hum;     // each sine's amplitude, in sample steps
        double lead;    // ms of room noise before the take: hiss, or the rumble alone
        double rumble;  // RMS of a rumble under the whole recording, in sample steps
    };
    const auto altered = [](QList<qint16> samples, const Run &run) {
        SungSynth lead;
        lead.noise(run.lead, run.rumble > 0 ? 0 : 150);
        samples = lead.samples + samples;
        SungSynth bed;
        bed.rumble(double(samples.size()) * 1000 / kRate + 1, run.rumble);
        for (qsizetype i = 0; i < samples.size(); ++i) {
            const double t = double(i) / kRate;
            double buzz = 0;
            for (int harmonic : {1, 3, 5})
                buzz += run.hum * std::sin(2 * M_PI * 50 * harmonic * t);
            samples[i] = qint16(std::lround(samples[i] * run.gain + buzz + bed.samples[i]) + run.offset);
        }
        return samples;
    };
    // The same again in a pitch folder whose suffix reads like a syllable
    // ("a -a3" is still a tail).
    const Run runs[] = {{QString(), 1.0, 0, 0, 0, 0},    {QStringLiteral("a3"), 1.0, 0, 0, 0, 0},
                        {QString(), 0.125, 0, 0, 0, 0},  {QString(), 1.0, 1500, 0, 0, 0},
                        {QString(), 1.0, 0, 300, 0, 0},  {QString(), 1.0, 0, 20, 60000, 0},
                        {QString(), 1.0, 0, 0, 5000, 150}};
    for (const Run &run : runs) {
        const auto &[suffix, gain, offset, hum, lead, rumble] = run;
        SCOPED_TRACE(gain);
        SCOPED_TRACE(offset);
        SCOPED_TRACE(hum);
        SCOPED_TRACE(lead);
        SCOPED_TRACE(rumble);
        Estimator estimator(sourceOf({{QStringLiteral("_あさあ.wav"), altered(vcv.samples, run)},
                                      {QStringLiteral("_さ.wav"), altered(cv.samples, run)}}));
        const QList<clsOto> entries = {unsetEntry(QStringLiteral("_あさあ.wav"), QStringLiteral("- あ") + suffix),
                                       unsetEntry(QStringLiteral("_あさあ.wav"), QStringLiteral("a さ") + suffix),
                                       unsetEntry(QStringLiteral("_あさあ.wav"), QStringLiteral("a -") + suffix),
                                       unsetEntry(QStringLiteral("_さ.wav"), QStringLiteral("- さ") + suffix),
                                       unsetEntry(QStringLiteral("_さ.wav"), QStringLiteral("a -") + suffix)};
        const EstimateReport r = estimator.estimate(entries, unsetIndexes(entries));
        ASSERT_EQ(r.estimates.size(), 5);
        for (const Estimate &e : r.estimates) {
            EXPECT_TRUE(e.estimated) << e.reason.toStdString();
            EXPECT_EQ(e.entry.ALS, entries[e.index].ALS);
            EXPECT_GE(e.entry.prmLF, 0);
            EXPECT_LE(e.entry.prmOV, e.entry.prmPR);
            EXPECT_LE(e.entry.prmPR, e.entry.prmFX);
        }
        EXPECT_NEAR(notePoint(r.estimates[0].entry), lead + 300, 8);
        EXPECT_NEAR(notePoint(r.estimates[1].entry), lead + 920, 8);
        // A note into silence ends a little before the sound does.
        EXPECT_GT(notePoint(r.estimates[2].entry), lead + 1500 - 60);
        EXPECT_LE(notePoint(r.estimates[2].entry), lead + 1500);
        // A tail starts halfway into its vowel (sung from 520 ms in "_さ").
        EXPECT_NEAR(r.estimates[4].entry.prmLF, (lead + 520 + notePoint(r.estimates[4].entry)) / 2, 10);
        EXPECT_NEAR(notePoint(r.estimates[3].entry), lead + 520, 8);
        // The consonant lies between the entry's start and its note.
        EXPECT_LT(r.estimates[1].entry.prmLF, lead + 800);
    }
}

TEST(Estimate, SetEntriesTeachTheBanksHabitsAndUnsureOnesAreFlagged)
{
    SungSynth one, two;
    one.silence(300).vowel(500).noise(120).vowel(580).silence(300);
    two.silence(350).vowel(450).noise(150).vowel(600).silence(300);
    const QString a = QStringLiteral("_あさあ.wav"), b = QStringLiteral("_あさあ2.wav");
    Estimator estimator(sourceOf({{a, one.samples}, {b, two.samples}}));
    // This labeller puts the note 30 ms before the vowel, the entry 200 ms
    // before that, the overlap 60 ms in, and measures the right bound from
    // the end of the wave.
    clsOto taught = unsetEntry(a, QStringLiteral("a さ"));
    taught.prmLF = 920 - 30 - 200;
    taught.prmPR = 200;
    taught.prmOV = 60;
    taught.prmFX = 260;
    taught.prmRT = 500;
    QList<clsOto> entries = {taught, unsetEntry(b, QStringLiteral("a さ")), unsetEntry(b, QStringLiteral("a か")),
                             unsetEntry(QStringLiteral("_いない.wav"), QStringLiteral("- い")),
                             unsetEntry(b, QStringLiteral("@breath"))};
    entries[1].ALS = QStringLiteral("a さ");
    const EstimateReport r = estimator.estimate(entries, {1, 2, 3, 4});
    ASSERT_EQ(r.estimates.size(), 4);
    const clsOto &e = r.estimates[0].entry;
    EXPECT_NEAR(notePoint(e), 950 - 30, 8);
    EXPECT_NEAR(e.prmPR, 200, 8);
    EXPECT_NEAR(e.prmOV, 60, 8);
    EXPECT_GE(e.prmRT, 0);
    // Not in the file name, no wave, no syllable: flagged, left as they were.
    for (int k = 1; k < 4; ++k) {
        EXPECT_FALSE(r.estimates[k].estimated);
        EXPECT_TRUE(r.estimates[k].flagged);
        EXPECT_FALSE(r.estimates[k].reason.isEmpty());
    }
    EXPECT_EQ(r.flagged, 3);

    // From the signal alone (nothing set), the default habits apply.
    QList<clsOto> blank = {unsetEntry(a, QStringLiteral("a さ")), unsetEntry(b, QStringLiteral("a さ"))};
    const EstimateReport alone = estimator.estimate(blank, {0, 1});
    EXPECT_NEAR(notePoint(alone.estimates[1].entry), 950, 8);
    EXPECT_LT(alone.estimates[1].entry.prmRT, 0);
}

TEST(FeatureCache, KeepsFeaturesPerKeyWithinItsBudget)
{
    int computed = 0;
    auto make = [&] {
        ++computed;
        auto f = std::make_shared<WaveFeatures>();
        f->frames = 1000;
        f->bandCount = 32;
        return std::shared_ptr<const WaveFeatures>(f);
    };
    const qsizetype one = make()->byteSize();
    computed = 0;
    FeatureCache cache(one * 2 + one / 2);
    const FeatureOptions o;
    const auto first = cache.get(QStringLiteral("a"), o, make);
    EXPECT_EQ(cache.get(QStringLiteral("a"), o, make), first);
    EXPECT_EQ(computed, 1);
    // Options that change the features are other features.
    FeatureOptions coarser, shallower;
    coarser.hopMs = 8;
    shallower.noiseDepthDb = 10;
    cache.get(QStringLiteral("a"), coarser, make);
    cache.get(QStringLiteral("a"), shallower, make);
    EXPECT_EQ(computed, 3);
    cache.get(QStringLiteral("b"), o, make);
    EXPECT_EQ(computed, 4);
    EXPECT_EQ(cache.count(), 2);  // the least recently used went
    cache.get(QString(), o, make);
    EXPECT_EQ(cache.count(), 2);  // no key, not kept
}

TEST(Estimate, WavesOfAFolderAreReadAsTheEditorReadsThemAndCachedUntilRewritten)
{
    TempFolder folder;
    SungSynth first, second;
    first.silence(300).vowel(500).noise(120, 2500).vowel(500).silence(200);
    second.silence(400).vowel(400).noise(120, 2500).vowel(500).silence(200);
    const QString name = QStringLiteral("_あさ.wav");
    folder.write(name, wavimg::wav(first.samples));
    folder.write(QStringLiteral("_あか.wav"), QByteArray("RIFF, but not a wave"));
    // Silence with a little dither, and a wave whose data was cut off after its header.
    QList<qint16> dither(2 * kRate);
    for (qsizetype i = 0; i < dither.size(); ++i)
        dither[i] = qint16(i % 7 - 3);
    folder.write(QStringLiteral("_あた.wav"), wavimg::wav(dither));
    folder.write(QStringLiteral("_あな.wav"), wavimg::wav(first.samples).left(44));

    // With the editor's locale, which may look for a file under its name as a code page garbles it.
    LocaleEnv env;
    FeatureCache cache;
    Estimator estimator(folderWaves(folder.path(), &env.locale), &cache);
    const QList<clsOto> entries = {unsetEntry(name, QStringLiteral("a さ")), unsetEntry(QStringLiteral("_あか.wav"), QStringLiteral("a か")),
                                   unsetEntry(QStringLiteral("_ない.wav"), QStringLiteral("a い")),
                                   unsetEntry(QStringLiteral("_あた.wav"), QStringLiteral("a た")),
                                   unsetEntry(QStringLiteral("_あな.wav"), QStringLiteral("a な"))};
    const EstimateReport r = estimator.estimate(entries, {0, 1, 2, 3, 4});
    ASSERT_EQ(r.estimates.size(), 5);
    EXPECT_NEAR(notePoint(r.estimates[0].entry), 920, 10);
    // A broken wave, a missing, a silent and a cut-off one: left as they were, with the reason.
    for (int k : {1, 2, 3, 4}) {
        EXPECT_FALSE(r.estimates[k].estimated) << k;
        EXPECT_TRUE(r.estimates[k].flagged) << k;
        EXPECT_TRUE(isUnset(r.estimates[k].entry)) << k;
    }
    EXPECT_EQ(r.estimates[2].reason, QStringLiteral("missing: ") + folder.file(QStringLiteral("_ない.wav")));
    EXPECT_EQ(r.estimates[3].reason, QStringLiteral("the recording is silent"));
    EXPECT_EQ(r.estimates[4].reason, QStringLiteral("the file ends before its data: 0 of 1620 ms are there"));
    EXPECT_EQ(cache.count(), 1);

    // The same file again comes from the cache; rewritten, it is read anew.
    const QList<clsOto> one = {entries[0]};
    EXPECT_NEAR(notePoint(estimator.estimate(one, {0}).estimates[0].entry), 920, 10);
    EXPECT_EQ(cache.count(), 1);
    // A few ms short of what its header declares: a sloppy writer, estimated all the same.
    folder.write(name, wavimg::wav(second.samples).chopped(400));
    QFile rewritten(folder.file(name));
    ASSERT_TRUE(rewritten.open(QIODevice::ReadWrite));
    rewritten.setFileTime(QDateTime::currentDateTime().addSecs(5), QFileDevice::FileModificationTime);
    rewritten.close();
    EXPECT_NEAR(notePoint(estimator.estimate(one, {0}).estimates[0].entry), 920, 10);
    EXPECT_EQ(cache.count(), 2);
}

TEST(Estimate, ReportsOneEstimatePerTargetInTheirOrder)
{
    SungSynth s;
    s.silence(300).vowel(500).noise(120, 2500).vowel(500).silence(200);
    const QString file = QStringLiteral("_あさ.wav");
    Estimator estimator(sourceOf({{file, s.samples}}));
    clsOto set = unsetEntry(file, QStringLiteral("- あ"));
    set.prmLF = 200;
    set.prmPR = 100;
    set.prmOV = 30;
    set.prmFX = 150;
    set.prmRT = 250;  // measured from the end of the wave, as this bank does
    const QList<clsOto> entries = {set, unsetEntry(file, QStringLiteral("a さ")), unsetEntry(file, QStringLiteral("a -"))};
    // Targets in any order, a set entry among them (re-estimated from the
    // signal), and one that is no entry at all.
    const EstimateReport r = estimator.estimate(entries, {2, 7, 1, 0});
    ASSERT_EQ(r.estimates.size(), 4);
    EXPECT_EQ(r.estimates[0].index, 2);
    EXPECT_EQ(r.estimates[1].index, 7);
    EXPECT_EQ(r.estimates[2].index, 1);
    EXPECT_EQ(r.estimates[3].index, 0);
    EXPECT_TRUE(r.estimates[1].flagged);
    EXPECT_FALSE(r.estimates[1].estimated);
    for (int k : {0, 2, 3}) {
        const Estimate &e = r.estimates[k];
        EXPECT_TRUE(e.estimated) << e.reason.toStdString();
        EXPECT_EQ(e.entry.FIL, entries[e.index].FIL);
        EXPECT_EQ(e.entry.ALS, entries[e.index].ALS);
        EXPECT_FALSE(isUnset(e.entry));
        EXPECT_GE(e.entry.prmLF, 0);
        EXPECT_LE(e.entry.prmOV, e.entry.prmPR);
        EXPECT_LE(e.entry.prmPR, e.entry.prmFX);
        EXPECT_LE(e.entry.prmLF + e.entry.prmFX, s.nowMs() - e.entry.prmRT);
    }
    // Nothing set but targets: defaults, the unset entries' right bounds in
    // the form of the bank's one entry that has one (from the end).
    EXPECT_NEAR(notePoint(r.estimates[3].entry), 300, 10);
    EXPECT_GT(r.estimates[2].entry.prmRT, 0);
    EXPECT_EQ(r.flagged, 1);
}

// Estimates are written in the form each entry had: a positive right bound
// stays a distance back from the end, a negative one a length from the left
// bound, both naming the same end; unset entries take the form most of the
// bank's entries use.
TEST(EstimateForm, RightBoundsKeepTheirForm)
{
    SungSynth s;
    s.silence(300).vowel(500).noise(120, 2500).vowel(500).silence(200);
    const QString file = QStringLiteral("_あさ.wav");
    Estimator estimator(sourceOf({{file, s.samples}}));
    const auto entry = [&](const QString &alias, double rt) {
        clsOto e = unsetEntry(file, alias);
        e.prmRT = rt;
        return e;
    };
    const auto end = [&](const clsOto &e) { return e.prmRT < 0 ? e.prmLF - e.prmRT : s.nowMs() - e.prmRT; };
    QList<clsOto> entries = {entry("- あ", 100), entry("a さ", -100), entry("a -", 0), entry("@breath", 200)};
    const EstimateReport r = estimator.estimate(entries, {0, 1, 2});
    EXPECT_GT(r.estimates[0].entry.prmRT, 0);
    EXPECT_LT(r.estimates[1].entry.prmRT, 0);
    EXPECT_GE(r.estimates[2].entry.prmRT, 0);  // the bank's form: two of three from the end
    entries[0].prmRT = -100;
    entries[1].prmRT = 100;
    entries[3].prmRT = -200;
    const EstimateReport flipped = estimator.estimate(entries, {0, 1, 2});
    EXPECT_LT(flipped.estimates[2].entry.prmRT, 0);
    for (int k = 0; k < 3; ++k) {
        EXPECT_NE(r.estimates[k].entry.prmRT >= 0, flipped.estimates[k].entry.prmRT >= 0) << k;
        EXPECT_NEAR(end(r.estimates[k].entry), end(flipped.estimates[k].entry), 0.01) << k;
    }
}

// A Japanese CVVC recording "_ささし": さ from silence, さ again after its
// vowel, then し. Its entries are a head, CVs, the vowel-to-consonant
// joints "a s" / "a sh" and a tail, each placed by its own rule.
TEST(Estimate, JapaneseCvvcKindsArePlacedByTheirOwnRules)
{
    SungSynth s;
    s.silence(300).noise(120).vowel(500).noise(120).vowel(500).noise(120).vowel(500, 1).silence(300);
    // s 300-420, a 420-920, s 920-1040, a 1040-1540, sh 1540-1660, i 1660-2160
    const QString file = QStringLiteral("_ささし.wav");
    Estimator estimator(sourceOf({{file, s.samples}}));
    const QList<clsOto> entries = {unsetEntry(file, QStringLiteral("- さ")), unsetEntry(file, QStringLiteral("さ")),
                                   unsetEntry(file, QStringLiteral("a s")), unsetEntry(file, QStringLiteral("し")),
                                   unsetEntry(file, QStringLiteral("a sh")), unsetEntry(file, QStringLiteral("i -"))};
    const EstimateReport r = estimator.estimate(entries, unsetIndexes(entries));
    ASSERT_EQ(r.estimates.size(), 6);
    for (const Estimate &e : r.estimates)
        ASSERT_TRUE(e.estimated) << e.entry.ALS.toStdString() << ": " << e.reason.toStdString();
    const auto at = [&](int i) { return r.estimates[i].entry; };
    const auto end = [&](const clsOto &e) { return e.prmRT < 0 ? e.prmLF - e.prmRT : s.nowMs() - e.prmRT; };
    // The head and the CVs: the note where the vowel comes in, the entry
    // from just before the consonant; the CV "さ" is the one sung after a
    // vowel, the head's is the one from silence.
    EXPECT_NEAR(notePoint(at(0)), 420, 15);
    EXPECT_NEAR(notePoint(at(1)), 1040, 15);
    EXPECT_NEAR(notePoint(at(3)), 1660, 15);
    for (int i : {1, 3}) {
        const double consonant = i == 1 ? 920 : 1540;
        EXPECT_LT(at(i).prmLF, consonant) << i;
        EXPECT_GT(at(i).prmLF, consonant - 100) << i;
    }
    // "a s": from the vowel before, the note where the consonant starts,
    // ending where its vowel comes in.
    for (int i : {2, 4}) {
        const double consonant = i == 2 ? 920 : 1540;
        EXPECT_NEAR(notePoint(at(i)), consonant, 15) << i;
        EXPECT_LT(at(i).prmLF, consonant - 60) << i;
        EXPECT_NEAR(end(at(i)), consonant + 120, 25) << i;
    }
    // The tail ends a little before the sound does.
    EXPECT_GT(notePoint(at(5)), 2160 - 80);
    EXPECT_LE(notePoint(at(5)), 2160);
}

TEST(Estimate, ALongTakeAlignedWithinABandComesOutAsAlignedWhole)
{
    // A long take is aligned within a band around an even pace through its
    // syllables, and whole again where the path found runs along the band.
    // Both takes sing "さ" 16 times: one at an even pace, one after 12 s of
    // silence, all in its last 8 s, where a band of 2 s holds the path back.
    auto take = [](double leadMs) {
        SungSynth s;
        s.silence(leadMs);
        for (int i = 0; i < 16; ++i)
            s.noise(120).vowel(380);
        return s.silence(300).samples;
    };
    const QString name = QStringLiteral("_") + QString(16, QChar(u'さ'));
    const QString even = name + QStringLiteral(".wav"), late = name + QStringLiteral("2.wav");
    QList<clsOto> entries;
    for (const QString &file : {even, late}) {
        entries << unsetEntry(file, QStringLiteral("- さ"));
        for (int i = 1; i < 16; ++i)
            entries << unsetEntry(file, QStringLiteral("a さ"));
        entries << unsetEntry(file, QStringLiteral("a -"));
    }
    Estimator estimator(sourceOf({{even, take(300)}, {late, take(12000)}}));
    EstimateOptions banded, whole;
    banded.params.align.bandMs = 2000;
    whole.params.align.bandMs = 1e9;
    const EstimateReport a = estimator.estimate(entries, unsetIndexes(entries), banded);
    const EstimateReport b = estimator.estimate(entries, unsetIndexes(entries), whole);
    ASSERT_EQ(a.estimates.size(), b.estimates.size());
    for (qsizetype i = 0; i < a.estimates.size(); ++i) {
        const clsOto &x = a.estimates[i].entry, &y = b.estimates[i].entry;
        EXPECT_TRUE(a.estimates[i].estimated);
        EXPECT_EQ(QList<double>({x.prmLF, x.prmPR, x.prmOV, x.prmFX, x.prmRT}),
                  QList<double>({y.prmLF, y.prmPR, y.prmOV, y.prmFX, y.prmRT}))
            << i;
    }
    // The late take's first syllable after its silence, where it is sung.
    EXPECT_NEAR(notePoint(a.estimates[17].entry), 12000 + 120, 20);
}
