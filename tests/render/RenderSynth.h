#pragma once

#include "analysis/PitchTracker.h"

#include <QList>
#include <algorithm>
#include <span>
#include <vector>
#include <QtGlobal>
#include <cmath>
#include <numbers>

// A sung vowel of known F0 for the renderer's tests and benchmark: harmonics
// shaped by two formants (700 and 1200 Hz, as an a), after a stretch of
// silence, with short fades so that its edges are no clicks.
inline QList<qint16> syntheticVowel(double silenceMs, double vowelMs, double hz, double level = 6000)
{
    constexpr int rate = 44100;
    QList<qint16> out(qsizetype(silenceMs * rate / 1000), 0);
    const qsizetype n = qsizetype(vowelMs * rate / 1000);
    auto formant = [](double f, double centre, double width) { return 1.0 / (1.0 + std::pow((f - centre) / width, 2)); };
    double phase = 0;
    for (qsizetype i = 0; i < n; ++i) {
        phase += 2 * std::numbers::pi * hz / rate;
        double v = 0;
        for (int k = 1; k * hz < 5000; ++k)
            v += (formant(k * hz, 700, 150) + 0.6 * formant(k * hz, 1200, 200) + 0.05) * std::sin(k * phase);
        const double edge = std::min({1.0, double(i) / 220, double(n - 1 - i) / 220});
        out << qint16(std::lround(level * 0.5 * edge * v));
    }
    return out;
}

// The median F0 of the voiced frames of a rendering between two times.
inline double medianHz(std::span<const qint16> samples, double fromMs, double toMs, int rate = 44100)
{
    const analysis::PitchTrack track = analysis::trackPitch(samples, rate);
    std::vector<float> voiced;
    for (int i = 0; i < track.frames; ++i)
        if (track.voiced(i) && track.frameMs(i) >= fromMs && track.frameMs(i) < toMs)
            voiced.push_back(track.f0Hz[size_t(i)]);
    if (voiced.empty())
        return 0;
    std::nth_element(voiced.begin(), voiced.begin() + qsizetype(voiced.size() / 2), voiced.end());
    return voiced[voiced.size() / 2];
}
