#pragma once

#include <QColor>
#include <QLine>
#include <QList>
#include <QPoint>
#include <optional>
#include <vector>

class clsOto;
class clsWave;
class ColumnCache;

// What the two wave views draw, as plain numbers: no widget, no painter.
// Coordinates are drawing units with the origin at the top left and y
// growing downwards; p is drawing units per screen pixel (1 for pixels).

// The horizontal position of time t (ms) in a view showing length ms from
// start across width units. The subtraction comes first, then the division,
// then the product, so that positions match the inverse below exactly.
double msToX(double t, double start, double length, double width);
// The time under position x; x / width first, then the product, then the sum.
double xToMs(double x, double start, double length, double width);

// A filled box for the parts of the window before the start or after the end
// of the file. x0..x1 are the algorithm's corners; the pixel columns
// [firstCol, endCol) are the ones whose centres lie between them, the columns
// a fill of that box covers.
struct ShadeSpan {
    double x0 = 0, x1 = 0;
    int firstCol = 0, endCol = 0;
};

// The samples a window spans: s0 at its left edge (negative before the
// start of the file) and n across its width, both rounded down as the
// trace takes them. Nothing for a window too short or too far off to draw.
struct SampleSpan {
    qint64 s0 = 0, n = 0;
};
std::optional<SampleSpan> sampleSpan(double samplerate, double start, double length);
// The shading of a window of `width` units over a wave of count samples.
std::vector<ShadeSpan> shadeSpans(const SampleSpan &window, qint64 count, double width);

// The samples of a wave as the geometry needs them.
struct WaveSamples {
    const qint16 *data = nullptr;
    qint64 count = 0;      // N
    double samplerate = 0; // sr
    quint64 generation = 0; // identity of the samples for the column cache; 0 never caches
};
WaveSamples waveSamples(const clsWave &wave);

struct WaveRequest {
    double width = 0, height = 0; // W, H
    double start = 0, length = 0; // ms
    double scale = 0;             // the sample value that reaches the top edge
    int p = 1;                    // drawing units per screen pixel
};

// The trace of one drawWave: either column segments (for each pixel column a
// vertical min-max line, then the line joining the previous column's mid to
// this one's, in drawing order) or a polyline through every sample.
struct WaveGeometry {
    std::vector<ShadeSpan> shade;  // left band first, then the right one
    bool columnMode = false;
    QList<QLine> segments;  // column mode
    QList<QPoint> points;   // polyline mode; a line joins each point to the next
};

// The wave's geometry. With a cache, the per-column minima and maxima are
// taken from it when the same samples were grouped the same way before (and
// stored there otherwise); the result is the same either way. A zero or
// non-finite scale, an empty window or one beyond the range of sample
// indexes gives no trace (the shading still stands when it can be placed).
WaveGeometry waveGeometry(const WaveSamples &wave, const WaveRequest &req, ColumnCache *cache = nullptr);

// The samples of column mode grouped by screen column: each pixel column's
// smallest and largest sample value, in column order. The pixels follow
// from these and the height and scale, so one grouping serves every height,
// scale and colour (the magnified layer reuses the normal trace's).
struct ColumnGroup {
    int col = 0;
    qint16 minV = 0, maxV = 0;
};
struct ColumnSummary {
    qint16 firstV = 0;  // the first sample drawn, where the first joining line starts
    std::vector<ColumnGroup> groups;
};

// A few recent column summaries, keyed on exactly what decides the grouping:
// the samples' generation, s0, n, W and p. One per view and one spare for a
// view being zoomed back and forth is enough.
class ColumnCache {
public:
    struct Key {
        quint64 generation = 0;
        qint64 s0 = 0, n = 0;
        double width = 0;
        int p = 1;
        bool operator==(const Key &) const = default;
    };
    explicit ColumnCache(int capacity = 4) : capacity_(capacity) {}
    // The summary for key, or nullptr.
    const ColumnSummary *find(const Key &key);
    const ColumnSummary &store(const Key &key, ColumnSummary summary);
    void clear() { entries_.clear(); }
    int size() const { return int(entries_.size()); }
    int hits() const { return hits_; }

private:
    struct Entry {
        Key key;
        ColumnSummary summary;
    };
    int capacity_;
    int hits_ = 0;
    std::vector<Entry> entries_;  // most recently used last
};

// The cache the views draw through. Drawing happens on the GUI thread only;
// each thread gets its own so that no drawing ever waits on a lock.
ColumnCache &viewColumnCache();

// The five marker ticks of an entry, in drawing order (LF, FX, RT, PR, OV).
// band is 0 to 4 from the top; the tick covers the rows of that band as the
// mouse reads them, rows y with band = floor(y * 5 / H): [y0, y1).
struct MarkTick {
    int band = 0;
    double x = 0;       // msToX of the marker
    int col = 0;        // the pixel column it is drawn in (x rounded to nearest)
    int y0 = 0, y1 = 0; // rows, half-open
    QColor color;
    bool visible = false;  // 0 < x < W
};
std::vector<MarkTick> markTicks(const clsOto &entry, double lengthMs, double start, double length, int width,
                                int height);

// The marker colours, by band.
QColor markColor(int band);

// The overview strip's background: the platform's face colour, unless that
// is nearly white, where the strip's white trace would vanish; then the
// classic grey face colour.
QColor overviewBackColor(const QColor &face);

