#pragma once

#include <QRandomGenerator>
#include <QtGlobal>
#include <algorithm>
#include <cmath>
#include <functional>
#include <numbers>
#include <vector>

// Sung tones with a known F0 for the pitch tracker's tests and benchmark:
// a voice of harmonics falling 6 dB an octave (or with a weak fundamental),
// following any F0 contour, between stretches of silence or hiss, over an
// optional noise floor. truthHz() says what each 256-sample frame holds.
class ToneSynth {
public:
    static constexpr int kRate = 44100;

    explicit ToneSynth(quint32 seed = 1) : rng_(seed) {}

    // Harmonic k gets level 1/k; the fundamental is scaled by `fundamental`
    // (0.1 for a weak one, as a low male voice or a telephone line has).
    ToneSynth &harmonics(int count, double fundamental = 1.0)
    {
        harmonics_ = count;
        fundamental_ = fundamental;
        return *this;
    }
    // White noise under everything at this level below full scale.
    ToneSynth &noiseFloor(double db)
    {
        floor_ = 32768 * std::pow(10.0, db / 20);
        return *this;
    }

    ToneSynth &tone(double ms, const std::function<double(double)> &hzAt, double level = 8000)
    {
        const qsizetype n = count(ms);
        for (qsizetype i = 0; i < n; ++i) {
            const double hz = hzAt(double(i) / kRate * 1000);
            phase_ += 2 * std::numbers::pi * hz / kRate;
            double v = 0;
            for (int k = 1; k <= harmonics_ && k * hz < kRate / 2.0; ++k)
                v += (k == 1 ? fundamental_ : 1.0) / k * std::sin(k * phase_);
            // Short fades so that the edges are not clicks.
            const double edge = std::min({1.0, double(i) / 220, double(n - 1 - i) / 220});
            push(level * edge * v);
            hz_.push_back(hz);
        }
        return *this;
    }
    ToneSynth &steady(double ms, double hz, double level = 8000)
    {
        return tone(ms, [hz](double) { return hz; }, level);
    }
    // A vibrato of `depth` semitones either side at `rateHz`.
    ToneSynth &vibrato(double ms, double hz, double depth = 1.0, double rateHz = 5.5)
    {
        return tone(ms, [=](double t) { return hz * std::pow(2.0, depth / 12 * std::sin(2 * std::numbers::pi * rateHz * t / 1000)); });
    }
    // A glide evenly in semitones from one frequency to another.
    ToneSynth &glide(double ms, double fromHz, double toHz)
    {
        return tone(ms, [=](double t) { return fromHz * std::pow(toHz / fromHz, t / ms); });
    }
    ToneSynth &silence(double ms) { return unvoiced(ms, 0); }
    // Hiss like a breath or an s.
    ToneSynth &hiss(double ms, double level = 3000) { return unvoiced(ms, level); }

    // The F0 a 256-sample frame holds: the mean over it when every sample of
    // it is voiced, 0 when none is, -1 for a frame across a boundary (not
    // scored).
    std::vector<double> truthHz(int hop = 256) const
    {
        std::vector<double> out;
        for (size_t start = 0; start < hz_.size(); start += size_t(hop)) {
            const size_t end = std::min(hz_.size(), start + size_t(hop));
            int voiced = 0;
            double sum = 0;
            for (size_t i = start; i < end; ++i)
                if (hz_[i] > 0) {
                    ++voiced;
                    sum += hz_[i];
                }
            out.push_back(voiced == int(end - start) ? sum / voiced : voiced == 0 ? 0.0 : -1.0);
        }
        return out;
    }

    std::vector<qint16> samples;

private:
    static qsizetype count(double ms) { return qsizetype(std::llround(ms * kRate / 1000)); }
    ToneSynth &unvoiced(double ms, double level)
    {
        const qsizetype n = count(ms);
        for (qsizetype i = 0; i < n; ++i) {
            push(level * (rng_.generateDouble() * 2 - 1));
            hz_.push_back(0);
        }
        return *this;
    }
    void push(double v)
    {
        v += floor_ * (rng_.generateDouble() * 2 - 1);
        samples.push_back(qint16(std::clamp(std::lround(v), -32768L, 32767L)));
    }

    QRandomGenerator rng_;
    int harmonics_ = 12;
    double fundamental_ = 1.0;
    double floor_ = 0;
    double phase_ = 0;
    std::vector<double> hz_;
};
