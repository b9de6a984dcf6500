#include "view/ViewGeometry.h"

#include "oto/clsOto.h"
#include "wave/clsWave.h"

#include <algorithm>
#include <cmath>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

double msToX(double t, double start, double length, double width)
{
    return (t - start) / length * width;
}

double xToMs(double x, double start, double length, double width)
{
    return x / width * length + start;
}

WaveSamples waveSamples(const clsWave &wave)
{
    WaveSamples s;
    // The wave keeps its samples until its next load, so the pointer stays
    // good for one drawing.
    s.data = wave.samples().data();
    s.count = std::min<qint64>(wave.Length, wave.samples().size());
    s.samplerate = wave.Samplerate;
    s.generation = wave.generation();
    return s;
}

namespace {

// Sample indexes, counts and sizes past these are not drawn: beyond 2^51 a
// double no longer tells neighbouring indexes apart after the arithmetic
// below, and the widths keep every coordinate and point count in range.
constexpr double kIndexLimit = 2251799813685248.0;  // 2^51
constexpr double kSizeLimit = 1 << 20;
// Heights are kept within this many units of the middle, so that a tiny
// scale cannot overflow a coordinate; the box clips them anyway.
constexpr double kYLimit = 1 << 29;

struct Mapping {
    double H, scale;
    int y(int v) const
    {
        const double y = std::floor(H / 2 - v * H / 2 / scale);
        return int(std::clamp(y, -kYLimit, kYLimit));
    }
};

// The columns of one grouping: col(i) = floor(((i - s0) * u + h) / p).
// Every step of it is monotone in i, so a column's samples are one run.
struct Columns {
    qint64 s0;
    double u, h;
    int p;
    double col(qint64 i) const { return std::floor((double(i - s0) * u + h) / p); }
};

void minMax(const qint16 *d, qint64 count, qint16 &mn, qint16 &mx)
{
    qint64 k = 0;
    qint16 lo = d[0], hi = d[0];
#if defined(__SSE2__)
    if (count >= 16) {
        __m128i vlo = _mm_loadu_si128(reinterpret_cast<const __m128i *>(d));
        __m128i vhi = vlo;
        for (k = 8; k + 8 <= count; k += 8) {
            const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i *>(d + k));
            vlo = _mm_min_epi16(vlo, v);
            vhi = _mm_max_epi16(vhi, v);
        }
        alignas(16) qint16 l[8], h[8];
        _mm_store_si128(reinterpret_cast<__m128i *>(l), vlo);
        _mm_store_si128(reinterpret_cast<__m128i *>(h), vhi);
        for (int j = 0; j < 8; ++j) {
            lo = std::min(lo, l[j]);
            hi = std::max(hi, h[j]);
        }
    }
#endif
    for (; k < count; ++k) {
        lo = std::min(lo, d[k]);
        hi = std::max(hi, d[k]);
    }
    mn = lo;
    mx = hi;
}

// Groups samples i0..i1 by column. Instead of working out the column of
// every sample, it works out where the next column starts and checks that
// guess against the column formula itself, so the runs are exactly those
// of the formula; the run's extremes come from a plain min/max.
ColumnSummary summarize(const qint16 *data, qint64 i0, qint64 i1, const Columns &c)
{
    ColumnSummary s;
    s.firstV = data[i0];
    s.groups.reserve(size_t(std::max(0.0, c.col(i1) - c.col(i0))) + 1);
    qint64 i = i0;
    while (i <= i1) {
        const double cur = c.col(i);
        // The first index whose column lies past cur, by solving the formula.
        const double guess = std::ceil(((cur + 1) * c.p - c.h) / c.u) + double(c.s0);
        qint64 j = std::isfinite(guess) ? qint64(std::clamp(guess, double(i + 1), double(i1 + 1))) : i1 + 1;
        while (j > i + 1 && c.col(j - 1) > cur)
            --j;
        while (j <= i1 && c.col(j) <= cur)
            ++j;
        ColumnGroup g;
        g.col = int(cur);
        minMax(data + i, j - i, g.minV, g.maxV);
        s.groups.push_back(g);
        i = j;
    }
    return s;
}

int clampCol(double x, double width)
{
    return int(std::clamp(std::ceil(x - 0.5), 0.0, std::ceil(width)));
}

ShadeSpan span(double x0, double x1, double width)
{
    return ShadeSpan{x0, x1, clampCol(x0, width), clampCol(x1, width)};
}

}  // namespace

std::optional<SampleSpan> sampleSpan(double samplerate, double start, double length)
{
    const double s0 = std::floor(start / 1000 * samplerate);
    const double n = std::floor(length / 1000 * samplerate);
    if (!(std::abs(s0) <= kIndexLimit) || !(n >= 1 && n <= kIndexLimit))
        return std::nullopt;
    return SampleSpan{qint64(s0), qint64(n)};
}

std::vector<ShadeSpan> shadeSpans(const SampleSpan &window, qint64 count, double width)
{
    std::vector<ShadeSpan> shade;
    const double u = width / double(window.n);
    if (window.s0 < 0)
        shade.push_back(span(0, double(-window.s0) * u, width));
    if (window.s0 + window.n >= count)
        shade.push_back(span(double(count - window.s0) * u, width, width));
    return shade;
}

WaveGeometry waveGeometry(const WaveSamples &wave, const WaveRequest &req, ColumnCache *cache)
{
    WaveGeometry g;
    const double W = req.width, H = req.height;
    const int p = req.p;
    if (!(W > 0 && W <= kSizeLimit) || !(std::abs(H) <= kSizeLimit) || p < 1 || !(wave.samplerate > 0))
        return g;
    const std::optional<SampleSpan> window = sampleSpan(wave.samplerate, req.start, req.length);
    if (!window)
        return g;
    const qint64 s0 = window->s0, n = window->n, N = wave.count;
    const double u = W / double(n);
    const double h = u / 2;
    g.shade = shadeSpans(*window, N, W);

    const qint64 i0 = std::max<qint64>(s0, 0);
    const qint64 i1 = std::min<qint64>(s0 + n, N - 1);
    if (i0 > i1 || !wave.data || !(req.scale != 0 && std::isfinite(req.scale)))
        return g;
    const Mapping m{H, req.scale};

    if (double(n) / (W / p) >= 4) {
        g.columnMode = true;
        const Columns cols{s0, u, h, p};
        const ColumnCache::Key key{wave.generation, s0, n, W, p};
        const ColumnSummary *sum = cache && wave.generation ? cache->find(key) : nullptr;
        ColumnSummary direct;
        if (!sum) {
            direct = summarize(wave.data, i0, i1, cols);
            sum = cache && wave.generation ? &cache->store(key, std::move(direct)) : &direct;
        }
        g.segments.reserve(qsizetype(sum->groups.size()) * 2);
        int prev = sum->groups.front().col;
        int prevMid = m.y(sum->firstV);
        for (const ColumnGroup &c : sum->groups) {
            // y falls as the value rises (or rises, for a negative scale), so
            // the column's extreme heights are those of its extreme values.
            const int ya = m.y(c.minV), yb = m.y(c.maxV);
            const int lo = std::min(ya, yb), hi = std::max(ya, yb);
            const int x = c.col * p;
            g.segments.append(QLine(x, hi, x, lo));
            const int mid = (lo + hi) / 2;
            g.segments.append(QLine(prev * p, prevMid, x, mid));
            prev = c.col;
            prevMid = mid;
        }
    } else {
        g.points.reserve(i1 - i0 + 1);
        for (qint64 i = i0; i <= i1; ++i)
            g.points.append(QPoint(int(std::floor(double(i - s0) * u + h)), m.y(wave.data[i])));
    }
    return g;
}

const ColumnSummary *ColumnCache::find(const Key &key)
{
    for (auto it = entries_.begin(); it != entries_.end(); ++it) {
        if (it->key == key) {
            ++hits_;
            std::rotate(it, it + 1, entries_.end());
            return &entries_.back().summary;
        }
    }
    return nullptr;
}

const ColumnSummary &ColumnCache::store(const Key &key, ColumnSummary summary)
{
    // A wave that was loaded again makes every older summary useless.
    std::erase_if(entries_, [&](const Entry &e) { return e.key.generation != key.generation; });
    if (int(entries_.size()) >= capacity_)
        entries_.erase(entries_.begin());
    entries_.push_back(Entry{key, std::move(summary)});
    return entries_.back().summary;
}

ColumnCache &viewColumnCache()
{
    thread_local ColumnCache cache;
    return cache;
}

QColor markColor(int band)
{
    static const QColor colors[5] = {QColor(0, 0, 127), QColor(63, 192, 0), QColor(192, 63, 0),
                                     QColor(255, 127, 255), QColor(0, 0, 127)};
    return band >= 0 && band < 5 ? colors[band] : QColor();
}

QColor overviewBackColor(const QColor &face)
{
    constexpr int kNearlyWhite = 224;  // grey level; the classic face is about 208
    return qGray(face.rgb()) >= kNearlyWhite ? QColor(212, 208, 200) : face;
}

std::vector<MarkTick> markTicks(const clsOto &e, double lengthMs, double start, double length, int width,
                                int height)
{
    const auto x = [&](double t) { return msToX(t, start, length, width); };
    const double xRT = x(e.rightBoundMs(lengthMs));
    const std::pair<int, double> order[5] = {
        {0, x(e.prmLF)}, {3, x(e.prmLF + e.prmFX)}, {4, xRT}, {2, x(e.prmLF + e.prmPR)}, {1, x(e.prmLF + e.prmOV)},
    };
    // Rows of band k are those with floor(y * 5 / H) = k: from ceil(k H / 5).
    const auto top = [&](int k) { return int((qint64(k) * height + 4) / 5); };
    std::vector<MarkTick> ticks;
    for (const auto &[band, pos] : order) {
        MarkTick t;
        t.band = band;
        t.x = pos;
        t.y0 = top(band);
        t.y1 = top(band + 1);
        t.color = markColor(band);
        t.visible = 0 < pos && pos < width;
        // Nearest, so that a marker set by a click at a column comes back at
        // that column however the time's last bits fell.
        t.col = t.visible ? std::min(int(std::floor(pos + 0.5)), width - 1) : 0;
        ticks.push_back(t);
    }
    return ticks;
}
