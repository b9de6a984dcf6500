#include "render/Placement.h"

#include <gtest/gtest.h>

using render::NoteSpec;
using render::placePhrase;

TEST(RenderPlacement, ANoteStartsAtItsLeftBoundWithItsPreutteranceOnTheBeat)
{
    // LF 100, FX 80, RT -300 (right bound at 400), PR 60, OV 20.
    const render::PhrasePlacement one = placePhrase({{clsOto("a.wav", "a", 100, 80, -300, 60, 20), 1000, 500}});
    ASSERT_EQ(one.notes.size(), 1u);
    const render::NotePlacement &p = one.notes[0];
    EXPECT_DOUBLE_EQ(one.lengthMs, 560);  // preutterance plus length
    EXPECT_DOUBLE_EQ(p.startMs, 0);
    EXPECT_DOUBLE_EQ(p.beatMs, 60);
    EXPECT_DOUBLE_EQ(p.overlapMs, 20);
    EXPECT_DOUBLE_EQ(p.fixedOutEndMs, 80);
    EXPECT_DOUBLE_EQ(p.endMs, 560);
    EXPECT_DOUBLE_EQ(p.rightMs, 400);
    // The fixed length at its own speed, the remaining 220 ms of the wave
    // stretched over the remaining 480 ms of the note.
    EXPECT_DOUBLE_EQ(p.sourceMs(0), 100);
    EXPECT_DOUBLE_EQ(p.sourceMs(60), 160);
    EXPECT_DOUBLE_EQ(p.sourceMs(80), 180);
    EXPECT_DOUBLE_EQ(p.sourceMs(320), 290);
    EXPECT_DOUBLE_EQ(p.sourceMs(560), 400);

    // A right bound counted from the end of the wave, a fixed length beyond
    // it, parameters outside the wave.
    EXPECT_DOUBLE_EQ(render::rightBoundMs(clsOto("a.wav", "a", 100, 0, 250, 0, 0), 1000), 750);
    EXPECT_DOUBLE_EQ(render::rightBoundMs(clsOto("a.wav", "a", 100, 0, -5000, 0, 0), 1000), 1000);
    EXPECT_DOUBLE_EQ(render::rightBoundMs(clsOto("a.wav", "a", 900, 0, 300, 0, 0), 1000), 900);
    const auto clipped = placePhrase({{clsOto("a.wav", "a", 100, 500, -200, 30, 0), 1000, 100}});
    EXPECT_DOUBLE_EQ(clipped.notes[0].fixedEndMs, 300);
    // A note shorter than its fixed length cuts it short.
    EXPECT_DOUBLE_EQ(clipped.notes[0].endMs, 130);
    EXPECT_DOUBLE_EQ(clipped.notes[0].sourceMs(clipped.notes[0].endMs), 230);
}

TEST(RenderPlacement, APhraseJoinsEachNoteAtTheNextOnesOverlap)
{
    // Three quarter notes at 120 (500 ms): the second sings its consonant
    // before its beat, the third has a negative overlap (a gap).
    const std::vector<NoteSpec> notes{{clsOto("a.wav", "a", 50, 100, -400, 80, 30), 1000, 500},
                                      {clsOto("ka.wav", "a か", 200, 150, -300, 120, 40), 1000, 500},
                                      {clsOto("sa.wav", "a さ", 10, 90, 100, 70, -15), 800, 500}};
    const render::PhrasePlacement phrase = placePhrase(notes);
    ASSERT_EQ(phrase.notes.size(), 3u);
    EXPECT_DOUBLE_EQ(phrase.lengthMs, 80 + 3 * 500);
    EXPECT_DOUBLE_EQ(phrase.notes[0].beatMs, 80);
    EXPECT_DOUBLE_EQ(phrase.notes[1].beatMs, 580);
    EXPECT_DOUBLE_EQ(phrase.notes[2].beatMs, 1080);
    EXPECT_DOUBLE_EQ(phrase.notes[1].startMs, 460);
    EXPECT_DOUBLE_EQ(phrase.notes[1].overlapMs, 500);
    EXPECT_DOUBLE_EQ(phrase.notes[2].startMs, 1010);
    EXPECT_DOUBLE_EQ(phrase.notes[2].rightMs, 700);

    // The first note fades out over the second's overlap while the second
    // fades in: both end and begin there.
    EXPECT_DOUBLE_EQ(phrase.notes[0].endMs, 500);
    EXPECT_DOUBLE_EQ(phrase.notes[0].fadeOutMs, 40);
    EXPECT_DOUBLE_EQ(phrase.notes[1].fadeInMs, 40);
    // A negative overlap: the second note stops before the third begins.
    EXPECT_DOUBLE_EQ(phrase.notes[1].endMs, 995);
    EXPECT_DOUBLE_EQ(phrase.notes[1].fadeOutMs, render::kMinFadeMs);
    EXPECT_DOUBLE_EQ(phrase.notes[2].fadeInMs, render::kMinFadeMs);
    // The last one ends with the phrase; the first starts with it, without
    // a step.
    EXPECT_DOUBLE_EQ(phrase.notes[2].endMs, phrase.lengthMs);
    EXPECT_GT(phrase.notes[0].fadeInMs, 0);

    // An overlap of 0 still cross-fades, over the shortest fade.
    const auto hard = placePhrase({notes[0], {clsOto("i.wav", "a い", 0, 60, -200, 50, 0), 1000, 500}});
    EXPECT_DOUBLE_EQ(hard.notes[0].endMs, hard.notes[1].startMs + render::kMinFadeMs);
    EXPECT_DOUBLE_EQ(hard.notes[0].fadeOutMs, hard.notes[1].fadeInMs);
    EXPECT_TRUE(placePhrase({}).notes.empty());
}
