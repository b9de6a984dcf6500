#pragma once

#include <QList>
#include <QRandomGenerator>
#include <algorithm>
#include <cmath>

// A syllable-like recording at 44100 Hz: background noise, a consonant's
// burst of noise at onsetMs, a voiced vowel from 80 ms after it fading out
// by 800 ms after it. Two of them with different onsets are the same sound
// recorded at two pitches.
inline QList<qint16> sungRecording(double onsetMs, double lengthMs, quint32 seed, double pitchHz = 220)
{
    QRandomGenerator rng(seed);
    const int n = int(lengthMs * 44.1), onset = int(onsetMs * 44.1);
    QList<qint16> s(n);
    for (int i = 0; i < n; ++i) {
        const double t = (i - onset) / 44100.0;
        double v = rng.bounded(20) - 10;
        if (t >= 0 && t < 0.04)
            v += (rng.bounded(16000) - 8000) * (1 - t / 0.04);
        else if (t >= 0.08 && t < 0.5)
            v += 9000 * std::min(1.0, (t - 0.08) / 0.03) * std::sin(2 * M_PI * pitchHz * t);
        else if (t >= 0.5 && t < 0.8)
            v += 9000 * (0.8 - t) / 0.3 * std::sin(2 * M_PI * pitchHz * t);
        s[i] = qint16(std::clamp(v, -32767.0, 32767.0));
    }
    return s;
}
