#include "analysis/Features.h"

#include "analysis/Spectrum.h"

#include <algorithm>
#include <cmath>

namespace analysis {

namespace {

constexpr double kHighBandHz = 4000.0;
constexpr double kMinPitchHz = 70.0;
constexpr double kMaxPitchHz = 900.0;
// The voicing measure runs on a copy decimated to about 11 kHz: pitch lies
// far below that, and it makes the autocorrelation four times cheaper.
constexpr double kVoicingRate = 11025.0;
constexpr double kVoicingWindowMs = 23.0;

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
        prepareVoicing();
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

    void voicing(qsizetype centre, WaveFeatures &f, int index)
    {
        const qsizetype start = centre - qsizetype(vWindow_) * decimation_ / 2;
        copyFrame(start, vWindow_ * decimation_, vRaw_);
        double mean = 0;
        for (int i = 0; i < vWindow_; ++i) {
            float acc = 0;
            for (int d = 0; d < decimation_; ++d)
                acc += vRaw_[size_t(i * decimation_ + d)];
            vFrame_[size_t(i)] = acc / float(decimation_);
            mean += vFrame_[size_t(i)];
        }
        mean /= vWindow_;
        double energy = 0;
        vCum_[0] = 0;
        for (int i = 0; i < vWindow_; ++i) {
            vFrame_[size_t(i)] -= float(mean);
            energy += double(vFrame_[size_t(i)]) * vFrame_[size_t(i)];
            vCum_[size_t(i + 1)] = energy;
        }
        std::fill(vFrame_.begin() + vWindow_, vFrame_.end(), 0.0f);
        f.periodicity[index] = 0;
        f.pitchHz[index] = 0;
        if (vCum_[vWindow_] < 1e-9 * vWindow_)
            return;
        kiss_fftr(vFwd_.get(), vFrame_.data(), vSpec_.data());
        for (auto &c : vSpec_) {
            c.r = c.r * c.r + c.i * c.i;
            c.i = 0;
        }
        kiss_fftri(vInv_.get(), vSpec_.data(), vAuto_.data());
        // Normalised cross-correlation of the window with itself shifted by
        // lag: the energies of both overlapping parts come from running sums.
        double best = 0;
        int bestLag = 0;
        std::vector<double> &ncc = vNcc_;
        ncc.assign(maxLag_ + 2, 0.0);
        for (int lag = minLag_; lag <= maxLag_ + 1 && lag < vWindow_; ++lag) {
            const double e1 = vCum_[vWindow_ - lag];
            const double e2 = vCum_[vWindow_] - vCum_[lag];
            const double r = vAuto_[lag] / double(vFftSize_);
            ncc[lag] = (e1 > 0 && e2 > 0) ? r / std::sqrt(e1 * e2) : 0;
        }
        for (int lag = minLag_; lag <= maxLag_; ++lag)
            best = std::max(best, ncc[lag]);
        // The first lag close to the best avoids reporting an octave below.
        for (int lag = minLag_ + 1; lag <= maxLag_; ++lag)
            if (ncc[lag] >= 0.9 * best && ncc[lag] >= ncc[lag - 1] && ncc[lag] >= ncc[lag + 1]) {
                bestLag = lag;
                break;
            }
        f.periodicity[index] = float(std::clamp(best, 0.0, 1.0));
        if (bestLag > 0 && best > 0.5) {
            const double a = ncc[bestLag - 1], b = ncc[bestLag], c = ncc[bestLag + 1];
            const double den = a - 2 * b + c;
            const double shift = den != 0 ? std::clamp(0.5 * (a - c) / den, -0.5, 0.5) : 0.0;
            f.pitchHz[index] = float(double(sampleRate_) / decimation_ / (bestLag + shift));
        }
    }

private:
    void prepareVoicing()
    {
        decimation_ = std::max(1, int(std::lround(sampleRate_ / kVoicingRate)));
        const double rate = double(sampleRate_) / decimation_;
        vWindow_ = int(rate * kVoicingWindowMs / 1000.0);
        minLag_ = std::max(2, int(rate / kMaxPitchHz));
        maxLag_ = std::min(vWindow_ - 8, int(rate / kMinPitchHz));
        vFftSize_ = nextPow2(2 * vWindow_);
        vFwd_ = makeFftr(vFftSize_, false);
        vInv_ = makeFftr(vFftSize_, true);
        vFrame_.assign(vFftSize_, 0.0f);
        vSpec_.resize(vFftSize_ / 2 + 1);
        vAuto_.resize(vFftSize_);
        vCum_.resize(vWindow_ + 1);
        // A box filter over the decimation step keeps aliased noise from
        // looking periodic.
    }

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

    int decimation_ = 1, vWindow_ = 0, minLag_ = 0, maxLag_ = 0, vFftSize_ = 0;
    Fftr vFwd_, vInv_;
    std::vector<float> vRaw_, vFrame_, vAuto_;
    std::vector<kiss_fft_cpx> vSpec_;
    std::vector<double> vCum_, vNcc_;
};

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
    return qsizetype(sizeof(float)) * (qsizetype(frames) * (6 + bandCount)) + qsizetype(sizeof(*this));
}

WaveFeatures computeFeatures(std::span<const qint16> samples, int sampleRate, const FeatureOptions &options)
{
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
    // Voicing is measured on every second frame (and the last): its window
    // is 23 ms long and hardly changes in one hop, and it is the costliest
    // measure. The frames between take the mean of their neighbours.
    for (int i = 0; i < f.frames; ++i) {
        analyser.spectral(qsizetype(i) * f.hopSamples, f, i);
        if (i % 2 == 0 || i + 1 == f.frames)
            analyser.voicing(qsizetype(i) * f.hopSamples, f, i);
    }
    for (int i = 1; i + 1 < f.frames; i += 2) {
        f.periodicity[i] = (f.periodicity[i - 1] + f.periodicity[i + 1]) / 2;
        const bool voiced = f.pitchHz[i - 1] > 0 && f.pitchHz[i + 1] > 0;
        f.pitchHz[i] = voiced ? (f.pitchHz[i - 1] + f.pitchHz[i + 1]) / 2 : 0;
    }
    return f;
}

}  // namespace analysis
