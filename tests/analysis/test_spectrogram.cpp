#include "analysis/Spectrogram.h"

#include <QRandomGenerator>
#include <gtest/gtest.h>
#include <cmath>
#include <numbers>

using namespace analysis;

namespace {

constexpr int kRate = 44100;

// 0 to 0.5 s: 500 Hz and 3 kHz together; 0.5 to 1 s: a chirp rising from
// 1 kHz by 10 Hz per ms (to 6 kHz), so that a ridge 10 ms early or late
// would sit 100 Hz off.
std::vector<qint16> tonesThenChirp()
{
    std::vector<qint16> s(kRate);
    double phase = 0;
    for (int i = 0; i < kRate; ++i) {
        const double t = double(i) / kRate;
        double v;
        if (t < 0.5) {
            v = 8000 * std::sin(2 * std::numbers::pi * 500 * t) + 8000 * std::sin(2 * std::numbers::pi * 3000 * t);
        } else {
            phase += 2 * std::numbers::pi * (1000 + 10000 * (t - 0.5)) / kRate;
            v = 12000 * std::sin(phase);
        }
        s[size_t(i)] = qint16(v);
    }
    return s;
}

// The frequency of the loudest row of a column.
double ridgeHz(const SpectrogramGrid &g, const FrequencyAxis &axis, int column)
{
    int best = 0;
    for (int r = 1; r < g.rows; ++r)
        if (g.at(column, r) > g.at(column, best))
            best = r;
    return axis.hzAt(best + 0.5);
}

// The mean level of a column's rows between two frequencies (the row
// between them when they lie inside one).
double bandDb(const SpectrogramGrid &g, const FrequencyAxis &axis, int column, double loHz, double hiHz)
{
    double sum = 0;
    int n = 0;
    for (int r = 0; r < g.rows; ++r) {
        const double hz = axis.hzAt(r + 0.5);
        if (hz >= loHz && hz <= hiHz)
            sum += g.at(column, r), ++n;
    }
    return n > 0 ? sum / n : g.at(column, int(axis.rowAt((loHz + hiHz) / 2)));
}

}  // namespace

TEST(Spectrogram, TonesAndAChirpMakeRidgesAtTheirFrequenciesAndTimes)
{
    const std::vector<qint16> s = tonesThenChirp();
    for (FrequencyScale scale : {FrequencyScale::Mel, FrequencyScale::Log}) {
        SCOPED_TRACE(scale == FrequencyScale::Mel ? "mel" : "log");
        SpectrogramOptions o;
        o.scale = scale;
        o.tiltDbPerOctave = 0;
        // A view from 0.25 s to 1.25 s (past the end) over 400 columns:
        // column c is centred on 0.25 s + (c + 0.5) * 2.5 ms.
        SpectrogramRequest req{qint64(0.25 * kRate), kRate, 400, 240, kRate};
        const SpectrogramGrid g = computeSpectrogram(s, req, o);
        const FrequencyAxis axis(req.rows, o);
        ASSERT_EQ(g.columns, 400);
        ASSERT_EQ(g.rows, 240);
        const auto timeOf = [&](int c) { return 0.25 + (c + 0.5) * 0.0025; };

        for (int c = 0; c < 92; ++c) {  // the tones, up to 20 ms before the change
            // Each tone is a ridge: its rows stand well above the rows between.
            const double between = bandDb(g, axis, c, 1200, 2000);
            EXPECT_GT(bandDb(g, axis, c, 470, 530), between + 30) << c;
            EXPECT_GT(bandDb(g, axis, c, 2900, 3100), between + 30) << c;
        }
        for (int c = 108; c < 292; ++c) {  // the chirp, 20 ms after the change to 20 ms before its end
            const double expected = 1000 + 10000 * (timeOf(c) - 0.5);
            EXPECT_NEAR(ridgeHz(g, axis, c), expected, std::max(60.0, expected * 0.02)) << c;
            EXPECT_LT(bandDb(g, axis, c, 470, 530), bandDb(g, axis, c, expected - 50, expected + 50) - 30) << c;
        }
        // Past the end of the wave there is nothing: far below the ridges.
        for (int c = 310; c < 400; ++c)
            EXPECT_LT(bandDb(g, axis, c, 60, 11000), -100) << c;
        // The scale puts the low frequencies at the bottom, 8 kHz and more on it.
        EXPECT_GT(axis.rowAt(500), axis.rowAt(3000));
        EXPECT_NEAR(axis.hzAt(0), 11000, 1);
        EXPECT_NEAR(axis.rowAt(axis.hzAt(123.4)), 123.4, 1e-6);
    }
}

TEST(Spectrogram, LevelsAreCalibratedAndTheRangeFollowsTheWave)
{
    // A sine's row reads its level below full scale.
    SpectrogramOptions flat;
    flat.tiltDbPerOctave = 0;
    for (double amplitude : {32000.0, 3200.0}) {
        std::vector<qint16> sine(kRate / 4);
        for (size_t i = 0; i < sine.size(); ++i)
            sine[i] = qint16(amplitude * std::sin(2 * std::numbers::pi * 1000 * double(i) / kRate));
        const SpectrogramGrid g = computeSpectrogram(sine, {0, qint64(sine.size()), 50, 200, kRate}, flat);
        const FrequencyAxis axis(200, flat);
        float peak = -1000;
        for (int r = 0; r < g.rows; ++r)
            peak = std::max(peak, g.at(25, r));
        EXPECT_NEAR(peak, 20 * std::log10(amplitude / 32768), 1.0) << amplitude;
        EXPECT_NEAR(ridgeHz(g, axis, 25), 1000, 40);
    }

    // A recording: a quiet background, a quiet consonant (hiss 36 dB
    // below the vowel) and a loud vowel (a tone with harmonics).
    QRandomGenerator rng(5);
    const auto recording = [&](double gain) {
        std::vector<qint16> s(kRate);
        for (int i = 0; i < kRate; ++i) {
            const double t = double(i) / kRate;
            double v = rng.bounded(-30, 31);  // background
            if (t >= 0.3 && t < 0.4)
                v += rng.bounded(-400, 401);  // hiss
            if (t >= 0.5)
                for (int h = 1; h <= 8; ++h)
                    v += 16000.0 / h / 2 * std::sin(2 * std::numbers::pi * 220 * h * t);
            s[size_t(i)] = qint16(std::lround(v * gain));
        }
        return s;
    };
    const std::vector<qint16> loud = recording(1), soft = recording(0.1);
    const LevelRange a = fitLevels(loud, kRate), b = fitLevels(soft, kRate);
    EXPECT_GT(a.topDb - a.floorDb, 39.9);
    EXPECT_LT(a.topDb - a.floorDb, 65.1);
    // 20 dB quieter: the range moves with it.
    EXPECT_NEAR(a.topDb - b.topDb, 20, 2);
    EXPECT_NEAR(a.floorDb - b.floorDb, 20, 3);
    // The hiss stands clear above the floor, the background lies below it.
    const SpectrogramOptions o;
    const FrequencyAxis axis(100, o);
    const SpectrogramGrid g = computeSpectrogram(loud, {0, kRate, 100, 100, kRate}, o);
    EXPECT_GT(bandDb(g, axis, 35, 2000, 10000), a.floorDb + 10);  // 0.35 s
    EXPECT_LT(bandDb(g, axis, 15, 2000, 10000), a.floorDb);       // 0.15 s
    EXPECT_GT(bandDb(g, axis, 75, 200, 300), a.topDb - 10);       // the vowel's fundamental, 0.75 s

    // Nothing to show gives nothing, without touching the samples.
    EXPECT_EQ(computeSpectrogram({}, {0, 100, 0, 10, kRate}).columns, 0);
    EXPECT_TRUE(computeSpectrogram(loud, {0, 0, 10, 10, kRate}).levelDb.empty());
    EXPECT_LT(computeSpectrogram({}, {0, 100, 3, 4, kRate}).at(1, 1), -100);
}
