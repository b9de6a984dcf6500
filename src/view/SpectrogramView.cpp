#include "view/SpectrogramView.h"

#include "analysis/Features.h"

#include <QPoint>
#include <algorithm>
#include <array>
#include <cmath>
#include <numbers>

namespace {

struct Rgb {
    double r, g, b;
};

// Oklab to linear sRGB (Björn Ottosson's published matrices).
Rgb oklabToLinear(double L, double a, double b)
{
    const double l = std::pow(L + 0.3963377774 * a + 0.2158037573 * b, 3);
    const double m = std::pow(L - 0.1055613458 * a - 0.0638541728 * b, 3);
    const double s = std::pow(L - 0.0894841775 * a - 1.2914855480 * b, 3);
    return {4.0767416621 * l - 3.3077115913 * m + 0.2309699292 * s,
            -1.2684380046 * l + 2.6097574011 * m - 0.3413193965 * s,
            -0.0041960863 * l - 0.7034186147 * m + 1.7076147010 * s};
}

bool inGamut(const Rgb &c)
{
    constexpr double e = 1e-9;
    return c.r >= -e && c.r <= 1 + e && c.g >= -e && c.g <= 1 + e && c.b >= -e && c.b <= 1 + e;
}

int encode(double linear)
{
    const double c = std::clamp(linear, 0.0, 1.0);
    const double v = c <= 0.0031308 ? 12.92 * c : 1.055 * std::pow(c, 1 / 2.4) - 0.055;
    return int(std::lround(v * 255));
}

QRgb computeColor(double t)
{
    // Lightness evenly from near black to nearly white; the hue from violet
    // (about 280 degrees) round through red to yellow (about 100); the
    // chroma strongest in the middle. Where a colour lies outside what a
    // screen shows, its chroma is lowered until it fits, which keeps the
    // lightness (the part that carries the level) exact.
    const double L = 0.14 + 0.84 * t;
    const double hue = (280.0 + 180.0 * t) * std::numbers::pi / 180;
    double lo = 0, hi = 0.04 + 0.14 * std::sin(std::numbers::pi * t * 0.85);
    if (!inGamut(oklabToLinear(L, hi * std::cos(hue), hi * std::sin(hue)))) {
        for (int i = 0; i < 30; ++i) {
            const double mid = (lo + hi) / 2;
            (inGamut(oklabToLinear(L, mid * std::cos(hue), mid * std::sin(hue))) ? lo : hi) = mid;
        }
        hi = lo;
    }
    const Rgb c = oklabToLinear(L, hi * std::cos(hue), hi * std::sin(hue));
    return qRgb(encode(c.r), encode(c.g), encode(c.b));
}

const std::array<QRgb, 256> &colorTable()
{
    static const std::array<QRgb, 256> table = [] {
        std::array<QRgb, 256> t{};
        for (int i = 0; i < 256; ++i)
            t[size_t(i)] = computeColor(i / 255.0);
        return t;
    }();
    return table;
}

// Pictures larger than this are not computed (a view is a screen wide).
constexpr int kSizeLimit = 1 << 14;

}  // namespace

QRgb spectrumColor(double t)
{
    if (!(t >= 0))
        t = 0;
    return colorTable()[size_t(std::lround(std::min(t, 1.0) * 255))];
}

DetailLayout detailLayout(int height, bool spectrogram, DisplayMode mode)
{
    DetailLayout l;
    height = std::max(height, 0);
    const bool wave = mode != DisplayMode::NoWave;
    if (!spectrogram) {
        if (wave)
            l.waveBottom = height;
        return l;
    }
    l.specBottom = height;
    if (wave) {
        l.specBottom = height - int(std::lround(height * kWaveStripShare));
        l.waveTop = l.specBottom;
        l.waveBottom = height;
    }
    return l;
}

QImage spectrogramImage(const analysis::SpectrogramGrid &grid, const analysis::LevelRange &levels)
{
    if (grid.columns <= 0 || grid.rows <= 0)
        return QImage();
    QImage img(grid.columns, grid.rows, QImage::Format_RGB32);
    if (img.isNull())
        return img;
    const std::array<QRgb, 256> &table = colorTable();
    const float floor = levels.floorDb;
    const float perStep = 255.0f / std::max(1e-3f, levels.topDb - levels.floorDb);
    // Row by row of the picture; the columns' values for a run of rows stay
    // in the cache between them.
    const size_t rows = size_t(grid.rows);
    for (int r = 0; r < grid.rows; ++r) {
        auto *line = reinterpret_cast<QRgb *>(img.scanLine(r));
        const float *db = grid.levelDb.data() + r;
        for (int c = 0; c < grid.columns; ++c) {
            const float step = std::clamp((db[size_t(c) * rows] - floor) * perStep, 0.0f, 255.0f);
            line[c] = table[size_t(step + 0.5f)];
        }
    }
    return img;
}

QImage SpectrogramCache::image(const WaveSamples &wave, double start, double length, int width, int height)
{
    if (!wave.data || wave.count <= 0 || !(wave.samplerate > 0) || width <= 0 || height <= 0 || width > kSizeLimit
        || height > kSizeLimit)
        return QImage();
    // The same samples across the width as the trace takes.
    const std::optional<SampleSpan> window = sampleSpan(wave.samplerate, start, length);
    if (!window)
        return QImage();
    const Key key{wave.generation, window->s0, window->n, width, height};
    const bool cacheable = wave.generation != 0;
    if (cacheable) {
        for (auto it = entries_.begin(); it != entries_.end(); ++it) {
            if (it->key == key) {
                std::rotate(it, it + 1, entries_.end());
                return entries_.back().image;
            }
        }
    }
    const std::span<const qint16> samples(wave.data, size_t(wave.count));
    if (!cacheable || levelsOf_ != wave.generation) {
        levels_ = analysis::fitLevels(samples, int(wave.samplerate), options_);
        levelsOf_ = wave.generation;
    }
    analysis::SpectrogramRequest req;
    req.s0 = key.s0;
    req.n = key.n;
    req.columns = width;
    req.rows = height;
    req.sampleRate = int(wave.samplerate);
    QImage img = spectrogramImage(analysis::computeSpectrogram(samples, req, options_), levels_);
    ++computed_;
    if (cacheable) {
        // A wave that was loaded again makes every older picture useless.
        std::erase_if(entries_, [&](const Entry &e) { return e.key.generation != key.generation; });
        if (int(entries_.size()) >= capacity_)
            entries_.erase(entries_.begin());
        entries_.push_back(Entry{key, img});
    }
    return img;
}

void SpectrogramCache::clear()
{
    entries_.clear();
    levelsOf_ = 0;
}

void SpectrogramCache::setOptions(const analysis::SpectrogramOptions &options)
{
    if (options == options_)
        return;
    options_ = options;
    clear();
}

SpectrogramCache &viewSpectrogramCache()
{
    thread_local SpectrogramCache cache;
    return cache;
}

std::vector<FrequencyMark> frequencyMarks(int height, const analysis::SpectrogramOptions &options)
{
    constexpr int kMinGap = 14;  // rows between labels, about a label's height
    const analysis::FrequencyAxis axis(height, options);
    std::vector<FrequencyMark> marks;
    for (const double hz : {16000.0, 8000.0, 4000.0, 2000.0, 1000.0, 500.0, 250.0}) {
        if (hz > options.maxHz || hz < options.minHz)
            continue;
        const int row = int(std::lround(axis.rowAt(hz)));
        if (row < kMinGap / 2 || row >= height - 2 || (!marks.empty() && row - marks.back().row < kMinGap))
            continue;
        marks.push_back({row, hz >= 1000 ? QStringLiteral("%1k").arg(hz / 1000) : QString::number(hz)});
    }
    return marks;
}

std::vector<FrequencyLabel> frequencyLabels(int top, int bottom, int width, int tickLength,
                                            const std::function<QSize(const QString &)> &textSize,
                                            const analysis::SpectrogramOptions &options)
{
    constexpr int kPad = 2;  // around the text on its backing
    std::vector<FrequencyLabel> labels;
    for (const FrequencyMark &m : frequencyMarks(bottom - top, options)) {
        const int y = top + m.row;
        const QSize text = textSize(m.label);
        QRect backing(tickLength + 1, y - text.height() / 2, text.width() + 2 * kPad, text.height());
        // A label near the top or the bottom edge moves inside, its tick stays.
        if (backing.top() < top)
            backing.moveTop(top);
        if (backing.bottom() >= bottom)
            backing.moveBottom(bottom - 1);
        if (backing.top() < top || backing.right() >= width)
            continue;
        labels.push_back({QRect(0, y, std::min(tickLength, width), 1), backing, m.label});
    }
    return labels;
}

CurvePoints curvePoints(const analysis::WaveFeatures &f, double start, double length, int width, int top, int bottom)
{
    CurvePoints pts;
    if (f.frames <= 0 || width <= 0 || bottom - top < 2 || !(length > 0))
        return pts;
    const double span = bottom - top - 1;
    const auto row = [&](double share) { return bottom - 1 - int(std::lround(std::clamp(share, 0.0, 1.0) * span)); };
    pts.energy.reserve(size_t(width));
    pts.voicing.reserve(size_t(width));
    // Between two frames the values are interpolated: a zoomed-in view has
    // several columns per frame and would show steps.
    const double framesPerMs = double(f.sampleRate) / 1000 / f.hopSamples;
    const auto at = [&](const std::vector<float> &v, double frame) {
        const int i = std::clamp(int(std::floor(frame)), 0, f.frames - 1);
        const int j = std::min(i + 1, f.frames - 1);
        const double w = std::clamp(frame - i, 0.0, 1.0);
        return v[size_t(i)] * (1 - w) + v[size_t(j)] * w;
    };
    for (int x = 0; x < width; ++x) {
        const double t = xToMs(x + 0.5, start, length, width);
        if (t < 0 || t >= f.lengthMs())
            continue;
        const double frame = t * framesPerMs;
        pts.energy.emplace_back(x, row((at(f.energyDb, frame) + 80.0) / 80.0));
        pts.voicing.emplace_back(x, row(at(f.periodicity, frame)));
    }
    return pts;
}
