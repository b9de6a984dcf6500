#pragma once

#include "analysis/Estimator.h"

#include <QHash>
#include <QList>
#include <QRandomGenerator>
#include <algorithm>
#include <cmath>
#include <numbers>

// Recordings built from pieces with known boundaries: silence, hiss, sung
// vowels of two colours, a nasal murmur, a fade. The voice keeps its phase
// across pieces, as a singer's does.
class SungSynth {
public:
    static constexpr int kRate = 44100;

    SungSynth &silence(double ms) { return append(ms, [&] { return rng_.bounded(-3, 4) * 1.0; }); }

    // Hiss with most of its power above 4 kHz, like s or a breath.
    SungSynth &noise(double ms, double level = 6000)
    {
        return append(ms, [&] {
            const double w = rng_.bounded(-1000, 1001) / 1000.0;
            const double hiss = w - last_;
            last_ = w;
            return level * hiss / 2;
        });
    }

    // Low rumble, as of a fan or traffic: white noise through a one-pole
    // low-pass at cutoffHz, its RMS level in sample steps.
    SungSynth &rumble(double ms, double level, double cutoffHz = 100)
    {
        const double a = std::exp(-2 * std::numbers::pi * cutoffHz / kRate);
        const double rms = std::sqrt((1 - a) / (1 + a) / 3);  // of the low-passed uniform noise
        return append(ms, [&, a, rms] {
            low_ = a * low_ + (1 - a) * rng_.bounded(-1000, 1001) / 1000.0;
            return level * low_ / rms;
        });
    }

    // A vowel at 200 Hz unless pitch() says otherwise: colour 0 is dark
    // (strong low harmonics, like a), colour 1 bright (strong harmonics
    // around 2.5 kHz, like i).
    SungSynth &vowel(double ms, int colour = 0, double level = 5000)
    {
        return append(ms, [&] { return level * voice(colour, 14); });
    }

    // A glide: the colour moving evenly from one to the other, as from y
    // to o.
    SungSynth &glide(double ms, int fromColour, int toColour)
    {
        const double start = double(pos_);
        const double length = ms * kRate / 1000;
        return append(ms, [&, start, length] {
            const double w = (double(pos_) - start) / length;
            return 5000 * voice(fromColour + w * (toColour - fromColour), 14);
        });
    }

    // A nasal murmur: the same voice with its upper harmonics 15 dB down,
    // as when the mouth is closed, a little quieter.
    SungSynth &murmur(double ms)
    {
        return append(ms, [&] { return 3500 * (voice(0, 2) + 0.18 * (voice(0, 14) - voice(0, 2))); });
    }

    // A vowel whose level falls evenly by dropDb over ms.
    SungSynth &fade(double ms, double dropDb, int colour = 0)
    {
        const double start = double(pos_);
        const double length = ms * kRate / 1000;
        return append(ms, [&, start, length] {
            const double db = -dropDb * (double(pos_) - start) / length;
            return 5000 * std::pow(10.0, db / 20) * voice(colour, 14);
        });
    }

    // The voice sings at hz from here on, without a break in its phase.
    SungSynth &pitch(double hz)
    {
        phaseBase_ = phase();
        phaseFrom_ = pos_;
        hz_ = hz;
        return *this;
    }

    // The take as heard in a room whose echo dies away by 60 dB in
    // rt60Ms: four feedback combs in parallel (Schroeder's reverberator
    // without its all-passes), as loud as the dry sound.
    SungSynth &inRoom(double rt60Ms)
    {
        const QList<qint16> dry = samples;
        std::vector<double> wet(size_t(dry.size()), 0.0);
        for (double delayMs : {29.7, 37.1, 41.1, 43.7}) {
            const size_t delay = size_t(delayMs * kRate / 1000);
            const double gain = std::pow(10.0, -3 * delayMs / rt60Ms);
            std::vector<double> comb(dry.size(), 0.0);
            for (size_t i = 0; i < comb.size(); ++i)
                comb[i] = dry[qsizetype(i)] + (i >= delay ? gain * comb[i - delay] : 0.0);
            for (size_t i = 0; i < wet.size(); ++i)
                wet[i] += comb[i] / 4;
        }
        for (qsizetype i = 0; i < samples.size(); ++i)
            samples[i] = qint16(std::clamp(0.5 * dry[i] + 0.5 * wet[size_t(i)], -32000.0, 32000.0));
        return *this;
    }

    double nowMs() const { return double(samples.size()) * 1000 / kRate; }

    QList<qint16> samples;

private:
    // colour between 0 and 1 mixes the two colours' harmonic levels in dB,
    // so that a glide moves evenly in what the ear (and a labeller) hears.
    double voice(double colour, int harmonics) const
    {
        const double phase = this->phase();
        double v = 0;
        for (int k = 1; k <= harmonics; ++k) {
            const double dark = k <= 4 ? 1.0 : 0.5 / k;
            const double bright = k == 1 ? 0.6 : (k >= 11 && k <= 14 ? 0.8 : 0.05);
            const double weight = std::exp((1 - colour) * std::log(dark) + colour * std::log(bright));
            v += weight * std::sin(k * phase);
        }
        return v / 2;
    }

    // The fundamental's phase at the present sample.
    double phase() const { return phaseBase_ + 2 * std::numbers::pi * hz_ * double(pos_ - phaseFrom_) / kRate; }

    template <typename Fn>
    SungSynth &append(double ms, Fn next)
    {
        const int n = int(ms * kRate / 1000);
        for (int i = 0; i < n; ++i, ++pos_)
            samples.append(qint16(std::clamp(next(), -32000.0, 32000.0)));
        return *this;
    }

    QRandomGenerator rng_{7};
    double last_ = 0;
    double low_ = 0;
    qint64 pos_ = 0;
    double hz_ = 200;
    double phaseBase_ = 0;
    qint64 phaseFrom_ = 0;
};

// Waves held in memory under their file names.
inline analysis::WaveSource sourceOf(const QHash<QString, QList<qint16>> &waves)
{
    analysis::WaveSource s;
    s.load = [waves](const QString &name) {
        analysis::WaveData d;
        if (!waves.contains(name))
            d.error = QStringLiteral("missing: ") + name;
        d.samples = waves.value(name);
        d.sampleRate = SungSynth::kRate;
        return d;
    };
    return s;
}

inline clsOto unsetEntry(const QString &file, const QString &alias)
{
    clsOto e;
    e.FIL = file;
    e.ALS = alias;
    return e;
}

inline double notePoint(const clsOto &e) { return e.prmLF + e.prmPR; }

// `count` takes of one phrase, "0.wav" on, take k sung by sing(take, k),
// each with an unset entry for every alias.
struct Takes {
    QHash<QString, QList<qint16>> waves;
    QList<clsOto> entries;
};
template <typename Sing>
Takes sungTakes(int count, const Sing &sing, std::initializer_list<const char *> aliases)
{
    Takes t;
    for (int k = 0; k < count; ++k) {
        SungSynth take;
        sing(take, k);
        const QString file = QStringLiteral("%1.wav").arg(k);
        t.waves.insert(file, take.samples);
        for (const char *a : aliases)
            t.entries << unsetEntry(file, QString::fromLatin1(a));
    }
    return t;
}
