#include "analysis/Spectrogram.h"

#include "analysis/Parallel.h"
#include "analysis/Spectrum.h"
#include "core/Statistics.h"

#include <algorithm>
#include <cmath>

namespace analysis {

namespace {

constexpr double kSilenceDb = -140;  // what an all-zero frame reads

// How one row takes its level from the power spectrum: a row narrower than a
// bin reads the spectrum between the two bins around its centre; a wider one
// averages the bins inside it.
struct RowBins {
    int first = 0, last = 0;  // bins averaged, inclusive; interpolated between first and first + 1
    float frac = 0;
    bool interpolate = false;
    float tiltDb = 0;
};

std::vector<RowBins> rowBins(const FrequencyAxis &axis, int fftSize, int sampleRate, const SpectrogramOptions &o)
{
    const double binHz = double(sampleRate) / fftSize;
    const int lastBin = fftSize / 2;
    std::vector<RowBins> rows(size_t(axis.rows()));
    for (int r = 0; r < axis.rows(); ++r) {
        RowBins &b = rows[size_t(r)];
        const double hi = axis.hzAt(r) / binHz, lo = axis.hzAt(r + 1) / binHz;
        const double centreHz = axis.hzAt(r + 0.5);
        const int from = int(std::ceil(lo)), to = int(std::floor(hi));
        if (to - from >= 1) {
            b.first = std::clamp(from, 0, lastBin);
            b.last = std::clamp(to, b.first, lastBin);
        } else {
            const double k = std::clamp(centreHz / binHz, 0.0, double(lastBin - 1));
            b.first = int(std::floor(k));
            b.frac = float(k - b.first);
            b.interpolate = true;
        }
        if (centreHz > o.tiltFromHz)
            b.tiltDb = float(o.tiltDbPerOctave * std::log2(centreHz / o.tiltFromHz));
    }
    return rows;
}

// The levels of the rows at one place of the wave: the mean power spectrum
// of frames spread around it, read into the rows.
class ColumnAnalyser {
public:
    ColumnAnalyser(std::span<const qint16> samples, const SpectrogramOptions &o, const std::vector<RowBins> &rows)
        : samples_(samples), window_(o.windowSamples), fftSize_(o.fftSize), rows_(rows),
          fft_(makeFftr(o.fftSize, false)), hann_(hannWindow(o.windowSamples))
    {
        frame_.assign(size_t(fftSize_), 0.0f);
        spectrum_.resize(size_t(fftSize_ / 2 + 1));
        sum_.resize(spectrum_.size());
        // Samples are taken as -1..1; a full-scale sine peaks at window / 4
        // in its bin under a Hann window, and reads 0 dB.
        const double peak = window_ / 4.0;
        norm_ = 1.0 / (32768.0 * 32768.0 * peak * peak);
    }

    // How many frames, half a window apart, cover extent samples.
    int framesFor(double extent, int maxFrames) const
    {
        return std::clamp(int(std::ceil(extent / (window_ / 2.0))), 1, std::max(1, maxFrames));
    }

    // The rows' levels around sample `middle`, frames spread evenly over
    // extent samples, into out[0] (the top row) to out[rows - 1].
    void levels(double middle, double extent, int frames, float *out)
    {
        std::fill(sum_.begin(), sum_.end(), 0.0);
        for (int j = 0; j < frames; ++j) {
            const double centre = middle + ((j + 0.5) / frames - 0.5) * extent;
            addFrame(qint64(std::floor(centre + 0.5)) - window_ / 2);
        }
        const double scale = norm_ / frames;
        for (size_t r = 0; r < rows_.size(); ++r) {
            const RowBins &b = rows_[r];
            double p;
            if (b.interpolate) {
                p = sum_[size_t(b.first)] * (1 - b.frac) + sum_[size_t(b.first) + 1] * b.frac;
            } else {
                p = 0;
                for (int k = b.first; k <= b.last; ++k)
                    p += sum_[size_t(k)];
                p /= b.last - b.first + 1;
            }
            p *= scale;
            // The tilt lifts what is there; silence stays silence. A float
            // logarithm is exact enough for a picture and the costliest step
            // of a column in double.
            constexpr float kDbPerOctave = 3.0103f;  // 10 log10(2)
            const float db = p > 0 ? kDbPerOctave * std::log2(float(p)) + b.tiltDb : float(kSilenceDb);
            out[r] = std::max(db, float(kSilenceDb));
        }
    }

private:
    void addFrame(qint64 start)
    {
        const qint64 count = qint64(samples_.size());
        const qint64 from = std::clamp<qint64>(start, 0, count), to = std::clamp<qint64>(start + window_, 0, count);
        if (from >= to)
            return;  // silence adds nothing
        std::fill(frame_.begin(), frame_.begin() + window_, 0.0f);
        for (qint64 s = from; s < to; ++s)
            frame_[size_t(s - start)] = float(samples_[size_t(s)]) * hann_[size_t(s - start)];
        kiss_fftr(fft_.get(), frame_.data(), spectrum_.data());
        for (size_t k = 0; k < sum_.size(); ++k)
            sum_[k] += double(spectrum_[k].r) * spectrum_[k].r + double(spectrum_[k].i) * spectrum_[k].i;
    }

    std::span<const qint16> samples_;
    int window_, fftSize_;
    const std::vector<RowBins> &rows_;
    Fftr fft_;
    std::vector<float> hann_, frame_;
    std::vector<kiss_fft_cpx> spectrum_;
    std::vector<double> sum_;
    double norm_ = 1;
};

// The options with sizes the analysis can work with.
SpectrogramOptions usable(SpectrogramOptions o, int sampleRate)
{
    o.windowSamples = std::clamp(o.windowSamples, 16, 1 << 16);
    int fft = 16;
    while (fft < std::max(o.fftSize, o.windowSamples))
        fft *= 2;
    o.fftSize = fft;
    o.maxHz = std::min(o.maxHz, sampleRate / 2.0);
    o.minHz = std::clamp(o.minHz, 1.0, o.maxHz / 2);
    o.smoothingMs = std::clamp(o.smoothingMs, 0.0, 1000.0);
    return o;
}

}  // namespace

FrequencyAxis::FrequencyAxis(int rows, const SpectrogramOptions &o)
    : rows_(std::max(rows, 1)), scale_(o.scale), top_(toScale(o.maxHz)), bottom_(toScale(o.minHz))
{
}

double FrequencyAxis::toScale(double hz) const
{
    return scale_ == FrequencyScale::Mel ? hzToMel(hz) : std::log2(hz);
}

double FrequencyAxis::fromScale(double v) const
{
    return scale_ == FrequencyScale::Mel ? melToHz(v) : std::exp2(v);
}

double FrequencyAxis::hzAt(double row) const
{
    return fromScale(top_ - row / rows_ * (top_ - bottom_));
}

double FrequencyAxis::rowAt(double hz) const
{
    return (top_ - toScale(hz)) / (top_ - bottom_) * rows_;
}

SpectrogramGrid computeSpectrogram(std::span<const qint16> samples, const SpectrogramRequest &req,
                                   const SpectrogramOptions &options)
{
    SpectrogramGrid grid;
    if (req.columns <= 0 || req.rows <= 0 || req.n <= 0 || req.sampleRate <= 0)
        return grid;
    const SpectrogramOptions o = usable(options, req.sampleRate);
    grid.columns = req.columns;
    grid.rows = req.rows;
    grid.levelDb.assign(size_t(req.columns) * size_t(req.rows), float(kSilenceDb));
    const std::vector<RowBins> rows = rowBins(FrequencyAxis(req.rows, o), o.fftSize, req.sampleRate, o);
    // Contiguous runs of columns per thread: each has its own plan and buffers.
    const int parts = std::clamp(o.threads, 1, std::max(1, req.columns / 64));
    const double span = double(req.n) / req.columns;
    const double extent = std::max(span, o.smoothingMs / 1000 * req.sampleRate);
    parallelFor(parts, parts, [&](int part) {
        ColumnAnalyser analyser(samples, o, rows);
        const int frames = analyser.framesFor(extent, o.maxFramesPerColumn);
        const int from = int(qint64(req.columns) * part / parts), to = int(qint64(req.columns) * (part + 1) / parts);
        for (int c = from; c < to; ++c)
            analyser.levels(double(req.s0) - 0.5 + (c + 0.5) * span, extent, frames,
                            grid.levelDb.data() + size_t(c) * size_t(req.rows));
    });
    return grid;
}

LevelRange fitLevels(std::span<const qint16> samples, int sampleRate, const SpectrogramOptions &options)
{
    // Columns as the picture computes them, at places spread evenly over the
    // wave: their loudest rows set the top, their quiet ones the floor.
    constexpr int kPlaces = 400;
    constexpr int kRows = 96;
    constexpr double kTopShare = 0.995;       // a formant's peak, not a click
    constexpr double kQuietShare = 0.1;       // the quiet tenth of the places is the background
    constexpr double kFloorAboveNoiseDb = 6;  // the background itself shows near black
    constexpr double kMinSpanDb = 40, kMaxSpanDb = 55;

    LevelRange range;
    if (samples.empty() || sampleRate <= 0)
        return range;
    const SpectrogramOptions o = usable(options, sampleRate);
    const std::vector<RowBins> rows = rowBins(FrequencyAxis(kRows, o), o.fftSize, sampleRate, o);
    ColumnAnalyser analyser(samples, o, rows);
    const double extent = o.smoothingMs / 1000 * sampleRate;
    const int frames = analyser.framesFor(extent, o.maxFramesPerColumn);
    const int places = int(std::clamp<qint64>(qint64(samples.size()) / std::max(1, o.windowSamples), 1, kPlaces));
    std::vector<float> all(static_cast<size_t>(places) * kRows);
    std::vector<float> medians(static_cast<size_t>(places));
    for (int i = 0; i < places; ++i) {
        float *column = all.data() + size_t(i) * kRows;
        analyser.levels((i + 0.5) * double(samples.size()) / places, extent, frames, column);
        medians[size_t(i)] = float(statistics::median(std::vector<float>(column, column + kRows)));
    }
    const double top = statistics::quantile(std::move(all), kTopShare);
    const double quiet = statistics::quantile(std::move(medians), kQuietShare);
    // A silent wave keeps its top well above silence, so that it shows dark.
    range.topDb = float(std::max(top, kSilenceDb + kFloorAboveNoiseDb + kMinSpanDb));
    const double span = std::clamp(double(range.topDb) - (quiet + kFloorAboveNoiseDb), kMinSpanDb, kMaxSpanDb);
    range.floorDb = float(range.topDb - span);
    return range;
}

}  // namespace analysis
