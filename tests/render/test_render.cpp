#include "analysis/PitchTracker.h"
#include "render/RenderSynth.h"
#include "render/Renderer.h"

#include <gtest/gtest.h>
#include <algorithm>
#include <cmath>

namespace {

double cents(double hz, double reference) { return 1200 * std::log2(hz / reference); }

int largestStep(const std::vector<qint16> &s, qsizetype from, qsizetype to)
{
    int most = 0;
    for (qsizetype i = std::max(qsizetype(1), from); i < std::min(to, qsizetype(s.size())); ++i)
        most = std::max(most, std::abs(int(s[size_t(i)]) - int(s[size_t(i - 1)])));
    return most;
}

}  // namespace

TEST(Renderer, SingsAVowelAtTheNotesPitchForItsLengthAndJoinsWithoutSteps)
{
    // 100 ms of silence, then 600 ms of a vowel at 200 Hz.
    const QList<qint16> wave = syntheticVowel(100, 600, 200);
    const clsOto entry("a.wav", "a", 80, 60, -500, 40, 20);
    for (double hz : {440.0, 146.8, 200.0}) {
        render::RenderOptions options;
        options.noteHz = hz;
        const render::Rendering r = render::renderPhrase({{entry, wave, 1000}}, options);
        EXPECT_EQ(r.samples.size(), size_t(std::llround((40 + 1000) * 44.1)));
        const double sung = medianHz(r.samples, 100, 1000);
        EXPECT_LT(std::abs(cents(sung, hz)), 20) << hz << " Hz sung as " << sung;
    }

    // A phrase of the vowel three times at 120: one beat each after the
    // first preutterance, the pitch held across the joins, and no step at a
    // join larger than the recording's own largest.
    render::RenderOptions options;
    options.noteHz = 261.6;
    const render::Rendering phrase = render::renderPhrase({{entry, wave, 500}, {entry, wave, 500}, {entry, wave, 500}}, options);
    EXPECT_EQ(phrase.samples.size(), size_t(std::llround((40 + 1500) * 44.1)));
    EXPECT_LT(std::abs(cents(medianHz(phrase.samples, 100, 1500), 261.6)), 20);
    const int ownLargest = largestStep(std::vector<qint16>(wave.begin(), wave.end()), 0, wave.size());
    for (size_t i = 1; i < phrase.placement.notes.size(); ++i) {
        const qsizetype join = qsizetype(phrase.placement.notes[i].startMs * 44.1);
        EXPECT_LE(largestStep(phrase.samples, join - 441, join + 2205), ownLargest) << "join " << i;
    }
    // The output's first and last samples are quiet: no click at either end.
    EXPECT_LT(std::abs(phrase.samples.front()), 50);
    EXPECT_LT(std::abs(phrase.samples.back()), 50);
}

TEST(Renderer, ANoteWhoseLeftBoundLiesFarBeforeTheOutputSingsOnlyItsAudiblePart)
{
    // The second note's preutterance reaches an hour before the phrase: it
    // is rendered from the output's start, not from an hour before it.
    const QList<qint16> wave = syntheticVowel(100, 600, 200);
    render::RenderOptions options;
    const render::Rendering r = render::renderPhrase(
        {{clsOto("a.wav", "a", 80, 60, -500, 40, 20), wave, 300}, {clsOto("a.wav", "b", 80, 60, -500, 3.6e6, 20), wave, 300}},
        options);
    EXPECT_EQ(r.samples.size(), size_t(std::llround(640 * 44.1)));
    EXPECT_LT(r.placement.notes[1].startMs, -3.5e6);
}

TEST(Renderer, ClickTrackSoundsOnEveryBeatAndNowhereElse)
{
    // Silent entries: whatever sounds is the click.
    const QList<qint16> silent(44100, 0);
    const clsOto entry("s.wav", "s", 100, 50, -600, 70, 10);
    render::RenderOptions options;
    options.tempoBpm = 150;  // 400 ms a beat
    options.click = true;
    const QList<render::RenderNote> notes{{entry, silent, 400}, {entry, silent, 400}, {entry, silent, 400}};
    const render::Rendering r = render::renderPhrase(notes, options);
    ASSERT_EQ(r.samples.size(), size_t(std::llround((70 + 1200) * 44.1)));
    // Sounding stretches, by their first sample.
    std::vector<qsizetype> onsets;
    qsizetype lastSound = -100000;
    for (qsizetype i = 0; i < qsizetype(r.samples.size()); ++i) {
        if (r.samples[size_t(i)] == 0)
            continue;
        if (i - lastSound > 441)
            onsets.push_back(i);
        lastSound = i;
    }
    ASSERT_EQ(onsets.size(), 3u);
    for (int k = 0; k < 3; ++k)
        EXPECT_NEAR(double(onsets[size_t(k)]), (70 + 400 * k) * 44.1, 2) << "beat " << k;
    EXPECT_EQ(render::beatTimesMs(70, 150, 1270), (std::vector<double>{70, 470, 870}));

    options.click = false;
    const render::Rendering quiet = render::renderPhrase(notes, options);
    EXPECT_TRUE(std::all_of(quiet.samples.begin(), quiet.samples.end(), [](qint16 v) { return v == 0; }));
}

TEST(Renderer, ReadsNotesByNameOrFrequency)
{
    EXPECT_NEAR(*render::parseNoteHz("A4"), 440, 1e-9);
    EXPECT_NEAR(*render::parseNoteHz("F#3"), 184.997, 1e-3);
    EXPECT_NEAR(*render::parseNoteHz("Bb2"), 116.541, 1e-3);
    EXPECT_NEAR(*render::parseNoteHz("261.6Hz"), 261.6, 1e-9);
    EXPECT_NEAR(*render::parseNoteHz(" 330 "), 330, 1e-9);
    for (const char *bad : {"H4", "a4", "A", "ka A4", "-5", "0", "99999", ""})
        EXPECT_FALSE(render::parseNoteHz(bad)) << bad;
}
