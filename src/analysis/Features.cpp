#include "analysis/Features.h"

#include "analysis/Spectrum.h"
#include "core/Statistics.h"

#include <algorithm>
#include <cmath>
#include <tuple>
#include <utility>

namespace analysis {

namespace {

constexpr double kHighBandHz = 4000.0;

int nextPow2(int n)
{
    int p = 1;
    while (p < n)
        p *= 2;
    return p;
}

// Triangular mel filters as (first bin, weights) per band.
struct MelBank {
    std::vector<int> first;
    std::vector<std::vector<float>> weights;
};

MelBank makeMelBank(int bands, int fftSize, int sampleRate)
{
    const double lo = hzToMel(80.0);
    const double hi = hzToMel(std::min(12000.0, sampleRate / 2.0));
    std::vector<double> edges(bands + 2);
    for (int i = 0; i < bands + 2; ++i)
        edges[i] = melToHz(lo + (hi - lo) * i / (bands + 1)) * fftSize / sampleRate;
    MelBank bank;
    for (int b = 0; b < bands; ++b) {
        const int from = int(std::ceil(edges[b]));
        const int to = std::max(from, int(std::floor(edges[b + 2])));
        std::vector<float> w;
        for (int k = from; k <= to; ++k) {
            const double x = k <= edges[b + 1] ? (k - edges[b]) / std::max(1e-9, edges[b + 1] - edges[b])
                                                : (edges[b + 2] - k) / std::max(1e-9, edges[b + 2] - edges[b + 1]);
            w.push_back(float(std::max(0.0, x)));
        }
        // A band narrower than one bin still gets that bin.
        if (std::all_of(w.begin(), w.end(), [](float v) { return v == 0; }))
            w.assign(w.size(), 1.0f);
        bank.first.push_back(from);
        bank.weights.push_back(std::move(w));
    }
    return bank;
}

// Per-frame work that needs scratch buffers and FFT plans.
class FrameAnalyser {
public:
    FrameAnalyser(std::span<const qint16> samples, int sampleRate, const FeatureOptions &o)
        : samples_(samples), sampleRate_(sampleRate), window_(o.windowSamples),
          fftSize_(nextPow2(o.windowSamples)), fft_(makeFftr(fftSize_, false)),
          mel_(makeMelBank(o.bandCount, fftSize_, sampleRate))
    {
        hann_ = hannWindow(window_);
        frame_.assign(fftSize_, 0.0f);
        spectrum_.resize(fftSize_ / 2 + 1);
        power_.resize(fftSize_ / 2 + 1);
        highBin_ = int(kHighBandHz * fftSize_ / sampleRate);
    }

    void spectral(qsizetype centre, WaveFeatures &f, int index)
    {
        copyFrame(centre - window_ / 2, window_, raw_);
        // Independent partial sums: one running sum would make every
        // sample wait for the one before.
        float sums[4] = {};
        for (int i = 0; i < window_; ++i)
            sums[i & 3] += raw_[size_t(i)] * raw_[size_t(i)];
        const double sumSq = double(sums[0]) + sums[1] + sums[2] + sums[3];
        int crossings = 0;
        for (int i = 1; i < window_; ++i)
            crossings += (raw_[size_t(i)] >= 0) != (raw_[size_t(i - 1)] >= 0) ? 1 : 0;
        for (int i = 0; i < window_; ++i)
            frame_[size_t(i)] = raw_[size_t(i)] * hann_[size_t(i)];
        kiss_fftr(fft_.get(), frame_.data(), spectrum_.data());
        double total = 0, high = 0;
        for (size_t k = 0; k < power_.size(); ++k) {
            const double p = double(spectrum_[k].r) * spectrum_[k].r + double(spectrum_[k].i) * spectrum_[k].i;
            power_[k] = float(p);
            total += p;
            if (int(k) >= highBin_)
                high += p;
        }
        f.energyDb[index] = float(10 * std::log10(sumSq / window_ + 1e-10));
        f.highRatio[index] = float(total > 0 ? high / total : 0);
        f.zeroCross[index] = float(crossings) / window_;
        float *bands = f.bandDb.data() + qsizetype(index) * f.bandCount;
        for (int b = 0; b < f.bandCount; ++b) {
            double e = 0;
            const auto &w = mel_.weights[b];
            for (size_t j = 0; j < w.size(); ++j) {
                const size_t k = size_t(mel_.first[b]) + j;
                if (k < power_.size())
                    e += w[j] * power_[k];
            }
            bands[b] = float(10 * std::log10(e + 1e-9));
        }
        if (index > 0) {
            const float *prevBands = bands - f.bandCount;
            double rise = 0;
            for (int b = 0; b < f.bandCount; ++b)
                rise += std::max(0.0f, bands[b] - prevBands[b]);
            f.flux[index] = float(rise / f.bandCount);
        }
    }

private:
    // Samples from start on, scaled to -1..1, zero outside the wave.
    void copyFrame(qsizetype start, int length, std::vector<float> &out) const
    {
        out.assign(size_t(length), 0.0f);
        const qsizetype from = std::max<qsizetype>(0, start);
        const qsizetype to = std::min<qsizetype>(qsizetype(samples_.size()), start + length);
        for (qsizetype s = from; s < to; ++s)
            out[size_t(s - start)] = samples_[size_t(s)] * (1.0f / 32768.0f);
    }

    std::span<const qint16> samples_;
    int sampleRate_;
    int window_;
    int fftSize_;
    Fftr fft_;
    MelBank mel_;
    std::vector<float> raw_, hann_, frame_, power_;
    std::vector<kiss_fft_cpx> spectrum_;
    int highBin_ = 0;
};

// The floor of levelDb (their noiseFloorShare quantile), their top (the
// 99.9% quantile, past a few clicks), and the frames from the first to the
// last within heardRangeDb of the top and at least gapDb above the floor,
// as [first, end).
struct HeardSpan {
    double floorDb, topDb;
    qsizetype first, end;
};
HeardSpan heardSpan(const std::vector<float> &levelDb, double gapDb, const FeatureOptions &o)
{
    const double floorDb = statistics::quantile(levelDb, o.noiseFloorShare);
    const double top = statistics::quantile(levelDb, 0.999);
    const double heard = std::min(top, std::max(top - o.heardRangeDb, floorDb + gapDb));
    const auto isHeard = [heard](float db) { return db >= heard; };
    const auto first = std::find_if(levelDb.begin(), levelDb.end(), isHeard);
    const auto end = std::find_if(levelDb.rbegin(), levelDb.rend(), isHeard).base();
    return {floorDb, top, first - levelDb.begin(), std::max(first, end) - levelDb.begin()};
}

// The level of the loud part of the take among levelDb, and their floor
// (see FeatureOptions::heardRangeDb).
std::pair<double, double> loudAndFloorDb(const std::vector<float> &levelDb, const FeatureOptions &o)
{
    const HeardSpan s = heardSpan(levelDb, o.noiseGapDb, o);
    if (s.first >= s.end)
        return {statistics::quantile(levelDb, 1 - o.noiseFloorShare), s.floorDb};
    const std::vector<float> heard(levelDb.begin() + s.first, levelDb.begin() + s.end);
    return {statistics::quantile(heard, 1 - o.noiseFloorShare), s.floorDb};
}

// The levels less the steady noise under them (see
// FeatureOptions::noiseFloorShare), with the level of their loud part; the
// noise taken off hardly changes it, and would spread the floor.
double takeOffSteadyNoise(std::vector<float> &levelDb, const FeatureOptions &o)
{
    if (levelDb.empty())
        return 0;
    const auto [loudDb, floorDb] = loudAndFloorDb(levelDb, o);
    if (loudDb - floorDb < o.noiseGapDb)
        return loudDb;
    const double noise = std::pow(10.0, floorDb / 10), deepest = std::pow(10.0, -o.noiseDepthDb / 10);
    for (float &db : levelDb) {
        const double power = std::pow(10.0, db / 10.0);
        db = float(10 * std::log10(std::max(power - noise, deepest * power)));
    }
    return loudDb;
}

// The first and last frames of the take among levelDb (see
// FeatureOptions::takeGapDb); the whole wave where it never falls quiet.
std::pair<int, int> takeExtent(const std::vector<float> &levelDb, int reach, const FeatureOptions &o)
{
    const int n = int(levelDb.size());
    std::vector<double> power(size_t(n) + 1, 0.0);  // running sums
    for (int t = 0; t < n; ++t)
        power[size_t(t) + 1] = power[size_t(t)] + std::pow(10.0, levelDb[size_t(t)] / 10.0);
    std::vector<float> smoothDb(static_cast<size_t>(n));
    for (int t = 0; t < n; ++t) {
        const int a = std::max(0, t - reach), b = std::min(n, t + reach + 1);
        smoothDb[size_t(t)] = float(10 * std::log10((power[size_t(b)] - power[size_t(a)]) / (b - a) + 1e-12));
    }
    const HeardSpan s = heardSpan(smoothDb, o.takeGapDb, o);
    if (s.topDb - s.floorDb < o.noiseGapDb)
        return {0, n - 1};
    return {int(s.first), int(s.end) - 1};
}

// The tracker's periodicity and F0 at each frame's centre, between the
// tracker's own frames (centred on the middle of their hops): periodicity
// linearly, the F0 too where both neighbours are voiced, else the nearer
// neighbour's.
void readPitch(WaveFeatures &f)
{
    const PitchTrack &t = f.pitch;
    if (t.frames == 0)
        return;
    for (int i = 0; i < f.frames; ++i) {
        const double at = (double(i) * f.hopSamples - t.hopSamples / 2.0) / t.hopSamples;
        const int a = std::clamp(int(std::floor(at)), 0, t.frames - 1);
        const int b = std::min(a + 1, t.frames - 1);
        const float w = float(std::clamp(at - a, 0.0, 1.0));
        f.periodicity[size_t(i)] = t.periodicity[size_t(a)] * (1 - w) + t.periodicity[size_t(b)] * w;
        const float fa = t.f0Hz[size_t(a)], fb = t.f0Hz[size_t(b)];
        f.pitchHz[size_t(i)] = fa > 0 && fb > 0 ? fa * (1 - w) + fb * w : (w < 0.5f ? fa : fb);
    }
}

}  // namespace

int WaveFeatures::frameAt(double ms) const
{
    if (frames <= 0)
        return 0;
    const double f = ms * sampleRate / 1000.0 / hopSamples;
    return int(std::clamp(std::lround(f), 0L, long(frames - 1)));
}

qsizetype WaveFeatures::byteSize() const
{
    return qsizetype(sizeof(float)) * (qsizetype(frames) * (6 + bandCount)) + qsizetype(sizeof(*this)) + pitch.byteSize()
        - qsizetype(sizeof(pitch));
}

WaveFeatures computeFeatures(std::span<const qint16> samples, int sampleRate, const FeatureOptions &options)
{
    const std::vector<qint16> centred = withoutOffset(samples);
    if (!centred.empty())
        samples = centred;
    WaveFeatures f;
    f.sampleRate = std::max(8000, sampleRate);
    f.hopSamples = std::max(1, int(std::lround(options.hopMs * f.sampleRate / 1000.0)));
    f.bandCount = std::max(1, options.bandCount);
    f.sampleCount = qsizetype(samples.size());
    f.frames = samples.empty() ? 0 : int((qsizetype(samples.size()) - 1) / f.hopSamples + 1);
    f.energyDb.assign(f.frames, -100.0f);
    f.highRatio.assign(f.frames, 0.0f);
    f.zeroCross.assign(f.frames, 0.0f);
    f.periodicity.assign(f.frames, 0.0f);
    f.pitchHz.assign(f.frames, 0.0f);
    f.flux.assign(f.frames, 0.0f);
    f.bandDb.assign(qsizetype(f.frames) * f.bandCount, -90.0f);
    if (f.frames == 0)
        return f;
    FeatureOptions o = options;
    o.windowSamples = std::max(64, o.windowSamples);
    o.bandCount = f.bandCount;
    FrameAnalyser analyser(samples, f.sampleRate, o);
    for (int i = 0; i < f.frames; ++i)
        analyser.spectral(qsizetype(i) * f.hopSamples, f, i);
    // On the levels as recorded, before the steady noise comes off: that
    // noise is what the averages tell the take from.
    std::tie(f.takeFirst, f.takeLast) = takeExtent(f.energyDb, f.frameAt(o.takeSmoothMs / 2), o);
    f.loudDb = float(takeOffSteadyNoise(f.energyDb, o));
    f.pitch = trackPitch(samples, f.sampleRate);
    readPitch(f);
    return f;
}

}  // namespace analysis
