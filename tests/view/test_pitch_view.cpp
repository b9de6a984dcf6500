#include "analysis/PitchTracker.h"
#include "view/PitchView.h"

#include <gtest/gtest.h>

namespace {

// Frames of 441 samples at 44.1 kHz: 10 ms each, centred on 5, 15, 25 ms...
F0Series series(std::vector<float> hz)
{
    F0Series s;
    s.sampleRate = 44100;
    s.hopSamples = 441;
    s.hz = std::move(hz);
    s.loudnessDb.assign(s.hz.size(), -20.0f);
    return s;
}

}  // namespace

TEST(PitchView, CurvesFollowTheFramesAndBreakWhereUnvoiced)
{
    const F0Series s = series({220, 440, 0, 0, 330, 330});
    EXPECT_EQ(s.frameAt(-1), -1);
    EXPECT_EQ(s.frameAt(14.9), 1);
    EXPECT_EQ(s.frameAt(60), -1);
    EXPECT_DOUBLE_EQ(s.hzAt(5), 220);
    EXPECT_NEAR(s.hzAt(10), std::sqrt(220.0 * 440), 1e-3);  // halfway in semitones
    EXPECT_DOUBLE_EQ(s.hzAt(22), 0);
    EXPECT_DOUBLE_EQ(s.hzAt(41), 330);

    // One column per ms over 0 .. 60 ms; rows: 1 per Hz below 500 Hz.
    const auto lines = pitchLines(s, 0, 60, 60, [](double hz) { return 500 - hz; }, 10, 510);
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[0].front(), QPoint(0, 10 + 280));
    EXPECT_EQ(lines[0].back().x(), 19);
    EXPECT_EQ(lines[1].front().x(), 40);
    EXPECT_EQ(lines[1].back(), QPoint(59, 10 + 170));
    const std::vector<QPoint> loud = loudnessPoints(s, -10, 80, 80, 0, 81);
    ASSERT_EQ(loud.size(), 60u);  // none before the start or after the end
    EXPECT_EQ(loud.front(), QPoint(10, 80 - 60));
    F0Series rising = s;
    rising.loudnessDb = {-80, -40, -40, -40, -40, -40};
    // Column 9 shows 9.5 ms, 45 % of the way from the first frame's centre
    // (5 ms) to the second's (15 ms): -62 dB, 18 rows up.
    EXPECT_EQ(loudnessPoints(rising, 0, 60, 60, 0, 81)[9].y(), 80 - 18);

    EXPECT_EQ(pitchText(s, nullptr, 5), QStringLiteral("F0 220.0 Hz  A3 +0 ct  -20.0 dB"));
    const F0Series frq = series({0, 0, 0, 0, 331, 0});
    EXPECT_EQ(pitchText(s, &frq, 25), QStringLiteral("unvoiced  -20.0 dB  frq unvoiced"));
    EXPECT_EQ(pitchText(s, &frq, 45), QStringLiteral("F0 330.0 Hz  E4 +2 ct  -20.0 dB  frq 331.0 Hz"));
    EXPECT_TRUE(pitchText(s, &frq, 70).isEmpty());
}

TEST(PitchView, NoteScaleFitsTheRecordingAndItsLabels)
{
    // Sung around A3: a fourth either side, at least an octave.
    const NoteAxis axis = noteAxisFor(series({0, 220, 225, 0}), 240);
    EXPECT_LE(axis.lowNote(), 57 - 5);
    EXPECT_GE(axis.highNote(), 57 + 5);
    EXPECT_GE(axis.highNote() - axis.lowNote(), 12);
    EXPECT_NEAR(axis.rowAt(axis.hzAt(100)), 100, 1e-9);
    EXPECT_LT(axis.rowAt(440), axis.rowAt(220));  // high notes at the top

    // Tall: every natural note, top to bottom; short: only the Cs.
    const NoteAxis twoOctaves(480, 48, 72);
    const std::vector<NoteMark> all = noteMarks(twoOctaves, 14);
    ASSERT_EQ(all.size(), 13u);  // D3 .. B4: C3 and C5 at the edges are left out
    EXPECT_EQ(all.front().label, QStringLiteral("B4"));
    EXPECT_EQ(all.back().label, QStringLiteral("D3"));
    for (size_t i = 1; i < all.size(); ++i)
        EXPECT_GE(all[i].row - all[i - 1].row, 14);
    const std::vector<NoteMark> cs = noteMarks(NoteAxis(100, 36, 84), 14);
    ASSERT_EQ(cs.size(), 3u);
    EXPECT_EQ(cs[0].label, QStringLiteral("C5"));
    EXPECT_EQ(cs[1].label, QStringLiteral("C4"));
    EXPECT_EQ(cs[2].label, QStringLiteral("C3"));
}
