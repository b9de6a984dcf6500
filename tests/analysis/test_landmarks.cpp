#include "analysis/Estimator.h"
#include "SungSynth.h"
#include "analysis/Landmarks.h"

#include <QRegularExpression>
#include <functional>
#include <gtest/gtest.h>

using namespace analysis;

namespace {

// Estimates every entry of one recording from the signal alone and returns
// the note points by alias (the n-th of a repeated alias as "alias#n").
QHash<QString, double> notesOf(const QString &file, const QList<qint16> &samples, const QStringList &aliases)
{
    Estimator estimator(sourceOf({{file, samples}}));
    QList<clsOto> entries;
    for (const QString &a : aliases)
        entries.append(unsetEntry(file, a));
    const EstimateReport r = estimator.estimate(entries, unsetIndexes(entries));
    QHash<QString, double> out;
    for (const Estimate &e : r.estimates) {
        EXPECT_TRUE(e.estimated) << e.entry.ALS.toStdString() << ": " << e.reason.toStdString();
        QString key = e.entry.ALS;
        while (out.contains(key))
            key += u'#';
        out.insert(key, notePoint(e.entry));
    }
    return out;
}

}  // namespace

TEST(Landmarks, EachKindOfOnsetIsFoundOnItsOwnCue)
{
    // One syllable every 500 ms, each vowel starting on the beat: after
    // silence, after a closure and burst (k), after a nasal murmur (m),
    // as a change of colour with no dip at all (a to i), after hiss (s),
    // after a murmur and a glide (myo: the note starts at the release,
    // not at the end of the glide).
    SungSynth s;
    s.silence(300).vowel(400);                     // あ   300
    s.silence(80).noise(20, 3000).vowel(400);      // か   800
    s.murmur(100).vowel(500);                      // ま  1300
    s.vowel(380, 1);                               // い  1800
    s.noise(120, 2500).vowel(400);                 // さ  2300
    s.murmur(100).glide(150, 1, 0).vowel(250);     // みょ 2800
    s.silence(300);                                // ends 3200
    const QHash<QString, double> note = notesOf(
        QStringLiteral("_あかまいさみょ.wav"), s.samples,
        {QStringLiteral("- あ"), QStringLiteral("a か"), QStringLiteral("a ま"), QStringLiteral("a い"), QStringLiteral("i さ"),
         QStringLiteral("a みょ"), QStringLiteral("o -")});
    EXPECT_NEAR(note.value(QStringLiteral("- あ")), 300, 10);
    EXPECT_NEAR(note.value(QStringLiteral("a か")), 800, 10);
    EXPECT_NEAR(note.value(QStringLiteral("a ま")), 1300, 10);
    EXPECT_NEAR(note.value(QStringLiteral("a い")), 1800, 15);
    EXPECT_NEAR(note.value(QStringLiteral("i さ")), 2300, 10);
    EXPECT_NEAR(note.value(QStringLiteral("a みょ")), 2800, 10);
    EXPECT_GT(note.value(QStringLiteral("o -")), 3200 - 60);
    EXPECT_LE(note.value(QStringLiteral("o -")), 3200);
}

TEST(Landmarks, AVowelSungAgainFallsOnTheBeat)
{
    // "_かあかあかあ": each か has a closure and a burst on the beat (300,
    // 1300, 2300); the あ after it is the same vowel held on, so nothing
    // in the sound marks where it starts but the singer's beat.
    SungSynth s;
    s.silence(280).noise(20, 3000).vowel(900);
    s.silence(80).noise(20, 3000).vowel(900);
    s.silence(80).noise(20, 3000).vowel(900).silence(300);
    const QHash<QString, double> note = notesOf(
        QStringLiteral("_かあかあかあ.wav"), s.samples,
        {QStringLiteral("- か"), QStringLiteral("a あ"), QStringLiteral("a か"), QStringLiteral("a あ"), QStringLiteral("a か"),
         QStringLiteral("a あ")});
    EXPECT_NEAR(note.value(QStringLiteral("- か")), 300, 10);
    EXPECT_NEAR(note.value(QStringLiteral("a か")), 1300, 10);
    EXPECT_NEAR(note.value(QStringLiteral("a か#")), 2300, 10);
    EXPECT_NEAR(note.value(QStringLiteral("a あ")), 800, 15);
    EXPECT_NEAR(note.value(QStringLiteral("a あ#")), 1800, 15);
    EXPECT_NEAR(note.value(QStringLiteral("a あ##")), 2800, 15);
}

TEST(Landmarks, BreathBeforeTheFirstNoteAndAPauseAtAConsonantAreNotNotes)
{
    // A breath (quiet hiss) before the first note, and a singer who stops
    // before the second s and comes in again on the beat.
    SungSynth s;
    s.silence(100).noise(200, 700).silence(100).vowel(400);  // あ   400
    s.noise(100).vowel(380);                                  // さ   900
    s.silence(150).noise(100).vowel(500).silence(300);       // さ  1530, a pause of 150 ms
    const QHash<QString, double> note = notesOf(QStringLiteral("_あささ.wav"), s.samples,
                                                {QStringLiteral("- あ"), QStringLiteral("a さ"), QStringLiteral("a さ")});
    EXPECT_NEAR(note.value(QStringLiteral("- あ")), 400, 10);
    EXPECT_NEAR(note.value(QStringLiteral("a さ")), 900, 10);
    EXPECT_NEAR(note.value(QStringLiteral("a さ#")), 1530, 10);
}

TEST(Landmarks, CvRecordingsInKanaAndRomaji)
{
    // One syllable a file, the kind of bank that is recorded a note at a
    // time: the note is where the vowel starts after the consonant.
    SungSynth ka, sa, ma;
    ka.silence(400).silence(60).noise(20, 3000).vowel(600).silence(200);  // 480
    sa.silence(300).noise(150).vowel(600).silence(200);                   // 450
    ma.silence(300).murmur(90).vowel(600).silence(200);                   // 390
    Estimator estimator(sourceOf({{QStringLiteral("か.wav"), ka.samples},
                                  {QStringLiteral("sa.wav"), sa.samples},
                                  {QStringLiteral("ma.wav"), ma.samples}}));
    const QList<clsOto> entries = {unsetEntry(QStringLiteral("か.wav"), QStringLiteral("か")),
                                   unsetEntry(QStringLiteral("sa.wav"), QStringLiteral("sa")),
                                   unsetEntry(QStringLiteral("ma.wav"), QStringLiteral("ma"))};
    const EstimateReport r = estimator.estimate(entries, unsetIndexes(entries));
    ASSERT_EQ(r.estimates.size(), 3);
    EXPECT_NEAR(notePoint(r.estimates[0].entry), 480, 10);
    EXPECT_NEAR(notePoint(r.estimates[1].entry), 450, 10);
    EXPECT_NEAR(notePoint(r.estimates[2].entry), 390, 15);
    // Each entry starts before its consonant.
    EXPECT_LT(r.estimates[0].entry.prmLF, 460);
    EXPECT_LT(r.estimates[1].entry.prmLF, 300);
    EXPECT_LT(r.estimates[2].entry.prmLF, 300);
}

TEST(Landmarks, TheBanksHabitsAreLearntPerKindWithoutTrustingOneEntryTooMuch)
{
    // Four takes of "_あかあさあま" on the same beat. This labeller puts
    // every note 30 ms after the vowel's onset; one odd "a ま" of theirs
    // is 150 ms after it.
    QHash<QString, QList<qint16>> waves;
    QStringList files;
    for (int take = 1; take <= 4; ++take) {
        SungSynth s;
        s.silence(300).vowel(400);
        s.silence(80).noise(20, 3000).vowel(400);  // か 800
        s.noise(120, 2500).vowel(380);             // さ 1320
        s.murmur(100).vowel(500).silence(300);     // ま 1800
        files << QStringLiteral("_あかさま%1.wav").arg(take);
        waves.insert(files.last(), s.samples);
    }
    auto setAt = [](const QString &file, const QString &alias, double note) {
        clsOto e = unsetEntry(file, alias);
        e.prmLF = note - 200;
        e.prmPR = 200;
        e.prmOV = 60;
        e.prmFX = 260;
        e.prmRT = -400;
        return e;
    };
    const auto estimateWith = [&](double oddNote) {
        QList<clsOto> entries = {setAt(files[0], QStringLiteral("a か"), 830), setAt(files[1], QStringLiteral("a か"), 830),
                                 setAt(files[2], QStringLiteral("a か"), 830), setAt(files[0], QStringLiteral("- あ"), 330),
                                 setAt(files[1], QStringLiteral("a ま"), oddNote)};
        entries << unsetEntry(files[3], QStringLiteral("a か")) << unsetEntry(files[3], QStringLiteral("a さ"))
                << unsetEntry(files[3], QStringLiteral("a ま"));
        return Estimator(sourceOf(waves)).estimate(entries, unsetIndexes(entries));
    };
    const int firstTarget = 5;
    const EstimateReport r = estimateWith(1950);
    ASSERT_EQ(r.estimates.size(), 3);
    ASSERT_EQ(r.estimates[0].index, firstTarget);
    // The kind taught by three entries, and a kind taught by none, which
    // takes the habit of the whole bank.
    EXPECT_NEAR(notePoint(r.estimates[0].entry), 830, 8);
    EXPECT_NEAR(notePoint(r.estimates[1].entry), 1350, 12);
    EXPECT_NEAR(r.estimates[0].entry.prmPR, 200, 8);
    EXPECT_NEAR(r.estimates[0].entry.prmOV, 60, 8);
    EXPECT_LT(r.estimates[0].entry.prmRT, 0);
    // The odd one moves its kind, but only a part of the 120 ms it lies
    // off the habit.
    const double moved = notePoint(r.estimates[2].entry) - notePoint(estimateWith(1830).estimates[2].entry);
    EXPECT_GT(moved, 15);
    EXPECT_LT(moved, 90);
}

TEST(Landmarks, LearningIsBelievedAsFarAsItPlacesTheSetEntriesThemselves)
{
    // Six takes of "_あかさま" on different beats. Five are set by a
    // labeller whose points are the rules' own moved by a shift per take;
    // the sixth is estimated.
    QHash<QString, QList<qint16>> waves;
    QStringList files;
    for (int take = 0; take < 6; ++take) {
        SungSynth s;
        s.silence(250 + 20 * take).vowel(400 + 10 * take);
        s.silence(80).noise(20, 3000).vowel(400);
        s.noise(110 + 5 * take, 2500).vowel(380);
        s.murmur(100).vowel(500).silence(300);
        files << QStringLiteral("_あかさま%1.wav").arg(take);
        waves.insert(files.last(), s.samples);
    }
    const QStringList aliases = {QStringLiteral("- あ"), QStringLiteral("a か"), QStringLiteral("a さ"), QStringLiteral("a ま")};
    QList<clsOto> blank;
    for (const QString &file : files)
        for (const QString &alias : aliases)
            blank << unsetEntry(file, alias);
    Estimator estimator(sourceOf(waves));
    const EstimateReport alone = estimator.estimate(blank, unsetIndexes(blank));
    ASSERT_EQ(alone.estimates.size(), blank.size());
    const qsizetype target = 5 * aliases.size();
    const auto setBy = [&](const std::function<double(int take)> &shift) {
        QList<clsOto> entries = blank;
        for (qsizetype i = 0; i < target; ++i) {
            entries[i] = alone.estimates[i].entry;
            entries[i].prmPR += shift(int(i / aliases.size()));
        }
        QList<int> targets;
        for (qsizetype i = target; i < entries.size(); ++i)
            targets << int(i);
        return estimator.estimate(entries, targets);
    };
    // Takes that disagree (three 25 ms late, two 25 ms early) teach noise:
    // each take, placed from the others, errs less by the rules, so the
    // sixth is placed as from the signal alone.
    const EstimateReport noisy = setBy([](int take) { return take % 2 ? -25.0 : 25.0; });
    // Takes that agree (all 40 ms late) teach a habit, which is believed.
    const EstimateReport late = setBy([](int) { return 40.0; });
    ASSERT_EQ(noisy.estimates.size(), aliases.size());
    ASSERT_EQ(late.estimates.size(), aliases.size());
    for (qsizetype k = 0; k < aliases.size(); ++k) {
        const double rule = notePoint(alone.estimates[target + k].entry);
        EXPECT_NEAR(notePoint(noisy.estimates[k].entry), rule, 0.01) << aliases[k].toStdString();
        EXPECT_NEAR(notePoint(late.estimates[k].entry), rule + 40, 10) << aliases[k].toStdString();
    }
}

TEST(Landmarks, AWeakOnsetDoesNotSlipOntoAStrongerChangeBesideIt)
{
    // One syllable every 500 ms. The second い comes in slowly (a glide
    // over 200 ms, halfway at 1800) and 150 ms later the voice drops into
    // a brief murmur and back: a much stronger change of sound, where a
    // syllable placed on its own would land. The beat keeps it home.
    SungSynth s;
    s.silence(300).vowel(500);                      // あ  300
    s.vowel(500, 1);                                // い  800
    s.vowel(400);                                   // あ 1300
    s.glide(200, 0, 1).vowel(50, 1);                // い 1800 (1700..1900 glide)
    s.murmur(40).vowel(310, 1);                     //   a murmur at 1950
    s.vowel(500);                                   // あ 2300
    s.vowel(500, 1).silence(300);                   // い 2800
    const QStringList aliases = {QStringLiteral("- あ"), QStringLiteral("a い"), QStringLiteral("i あ"),
                                 QStringLiteral("a い"), QStringLiteral("i あ"), QStringLiteral("a い")};
    const QHash<QString, double> note = notesOf(QStringLiteral("_あいあいあい.wav"), s.samples, aliases);
    EXPECT_NEAR(note.value(QStringLiteral("- あ")), 300, 10);
    EXPECT_NEAR(note.value(QStringLiteral("a い")), 800, 20);
    EXPECT_NEAR(note.value(QStringLiteral("i あ")), 1300, 20);
    // A slow glide's middle is a matter of degree; the murmur is 150 ms on.
    EXPECT_NEAR(note.value(QStringLiteral("a い#")), 1800, 50);
    EXPECT_NEAR(note.value(QStringLiteral("i あ#")), 2300, 20);
    EXPECT_NEAR(note.value(QStringLiteral("a い##")), 2800, 20);
}

TEST(Landmarks, WhereTheAlignmentSlippedTheLocalLookAloneDisagreesWithTheBeat)
{
    // The slipped-syllable trap (a slow glide into the second い at 1800, a
    // murmur at 1950) with an alignment that slipped: it puts that vowel
    // after the murmur. The beat brings the note home; the local detector
    // alone, looking around where the alignment put the vowel, takes the
    // murmur: the two ways disagree by far more than on the clear onsets,
    // where they agree. (The beat is trusted more than by default, as for
    // a singer who keeps strictly to it, so that it wins against the
    // murmur's strong change.)
    SungSynth s;
    s.silence(300).vowel(500);
    s.vowel(500, 1);
    s.vowel(400);
    s.glide(200, 0, 1).vowel(50, 1);
    s.murmur(40).vowel(310, 1);
    s.vowel(500);
    s.vowel(500, 1).silence(300);
    const WaveFeatures f = computeFeatures(std::span<const qint16>(s.samples.constData(), size_t(s.samples.size())), SungSynth::kRate);
    const QList<Syllable> syllables = parseFileName(QStringLiteral("_あいあいあい.wav")).syllables;
    ASSERT_EQ(syllables.size(), 6);
    const QList<double> starts = {300, 800, 1300, 2150, 2300, 2800, 3300};
    FileAlignment a;
    a.ok = true;
    a.soundStart = 300;
    a.soundEnd = 3300;
    for (int i = 0; i < 6; ++i) {
        SyllableTimes st;
        st.consonantStart = st.vowelStart = starts[i];
        st.vowelEnd = starts[i + 1];
        a.syllables.append(st);
    }
    LandmarkParams strict;
    strict.gridWeight = 4;
    placeLandmarks(a, f, syllables, strict);
    const QList<SyllableTimes> looks = firstLooks(a, f, syllables, strict);
    ASSERT_EQ(looks.size(), 6);
    auto apart = [&](int i) {
        const Mark m = noteMark(a, syllables, i);
        return std::abs(a.syllables[i].mark(m) - looks[i].mark(m));
    };
    EXPECT_NEAR(a.syllables[3].mark(noteMark(a, syllables, 3)), 1800, 60);
    EXPECT_GT(apart(3), EstimateParams().flags.secondWayMs);
    for (int i : {0, 1, 2, 5})
        EXPECT_LT(apart(i), 15) << i;
}

TEST(Landmarks, EntriesNothingInTheSoundPlacesAreFlaggedWithAReason)
{
    // "_ああ": one held vowel for two syllables and too few syllables for
    // a beat, so nothing says where the second starts. "_あ" ends in a slow
    // fade of 20 dB over 400 ms, "_い" stops at once: where the first
    // tail's note ends is taste, the second's is not.
    SungSynth held, faded, cut;
    held.silence(300).vowel(1200).silence(300);
    faded.silence(300).vowel(600).fade(400, 20).silence(300);
    cut.silence(300).vowel(800, 1).silence(300);
    Estimator estimator(sourceOf({{QStringLiteral("_ああ.wav"), held.samples},
                                  {QStringLiteral("_あ.wav"), faded.samples},
                                  {QStringLiteral("_い.wav"), cut.samples}}));
    const QList<clsOto> entries = {unsetEntry(QStringLiteral("_ああ.wav"), QStringLiteral("- あ")),
                                   unsetEntry(QStringLiteral("_ああ.wav"), QStringLiteral("a あ")),
                                   unsetEntry(QStringLiteral("_あ.wav"), QStringLiteral("a -")),
                                   unsetEntry(QStringLiteral("_い.wav"), QStringLiteral("i -"))};
    const EstimateReport r = estimator.estimate(entries, unsetIndexes(entries));
    ASSERT_EQ(r.estimates.size(), 4);
    for (const Estimate &e : r.estimates) {
        EXPECT_TRUE(e.estimated) << e.entry.ALS.toStdString();
        EXPECT_EQ(e.flagged, e.confidence < EstimateParams().flags.threshold) << e.entry.ALS.toStdString();
    }
    EXPECT_FALSE(r.estimates[0].flagged) << r.estimates[0].reason.toStdString();
    EXPECT_TRUE(r.estimates[1].flagged);
    EXPECT_TRUE(r.estimates[1].reason.contains(QStringLiteral("nothing in the sound"))) << r.estimates[1].reason.toStdString();
    EXPECT_TRUE(r.estimates[2].flagged);
    EXPECT_TRUE(r.estimates[2].reason.contains(QStringLiteral("fades slowly"))) << r.estimates[2].reason.toStdString();
    EXPECT_FALSE(r.estimates[3].flagged) << r.estimates[3].reason.toStdString();
    EXPECT_EQ(r.flagged, 2);
    EXPECT_EQ(flagLine(r.estimates[1]), QStringLiteral("flagged\t2\ta あ\t") + r.estimates[1].reason);
}
