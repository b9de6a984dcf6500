#include "view/PitchView.h"

#include "analysis/FrqFile.h"
#include "analysis/PitchTracker.h"
#include "view/ViewGeometry.h"

#include <algorithm>
#include <cmath>

F0Series F0Series::of(const analysis::PitchTrack &track)
{
    F0Series s;
    s.sampleRate = track.sampleRate;
    s.hopSamples = track.hopSamples;
    s.hz = track.f0Hz;
    s.loudnessDb.resize(size_t(track.frames));
    for (int i = 0; i < track.frames; ++i)
        s.loudnessDb[size_t(i)] = track.loudnessDb(i);
    return s;
}

F0Series F0Series::of(const analysis::FrqData &frq, int sampleRate)
{
    F0Series s;
    s.sampleRate = sampleRate;
    s.hopSamples = frq.samplesPerFrame;
    s.hz.reserve(frq.f0Hz.size());
    for (double f : frq.f0Hz)
        s.hz.push_back(std::isfinite(f) && f > 0 ? float(f) : 0.0f);
    return s;
}

int F0Series::frameAt(double ms) const
{
    if (isEmpty() || !(ms >= 0))
        return -1;
    const qint64 frame = qint64(std::floor(ms * sampleRate / 1000.0 / hopSamples));
    return frame < qint64(hz.size()) ? int(frame) : -1;
}

double F0Series::hzAt(double ms) const
{
    const int frame = frameAt(ms);
    if (frame < 0 || hz[size_t(frame)] <= 0)
        return 0;
    // Between the centres of two voiced frames, evenly in semitones.
    const double position = ms * sampleRate / 1000.0 / hopSamples - 0.5;
    const int a = std::clamp(int(std::floor(position)), 0, int(hz.size()) - 1);
    const int b = std::min(a + 1, int(hz.size()) - 1);
    if (hz[size_t(a)] <= 0 || hz[size_t(b)] <= 0)
        return hz[size_t(frame)];
    const double w = std::clamp(position - a, 0.0, 1.0);
    return std::exp(std::log(double(hz[size_t(a)])) * (1 - w) + std::log(double(hz[size_t(b)])) * w);
}

NoteAxis::NoteAxis(int rows, double lowNote, double highNote) : rows_(rows), low_(lowNote), high_(highNote)
{
}

double NoteAxis::rowAt(double hz) const
{
    return (high_ - analysis::hzToNote(hz)) / (high_ - low_) * rows_;
}

double NoteAxis::hzAt(double row) const
{
    return analysis::noteToHz(high_ - row / rows_ * (high_ - low_));
}

NoteAxis noteAxisFor(const F0Series &series, int rows)
{
    double low = 1e9, high = -1e9;
    for (float f : series.hz)
        if (f > 0) {
            low = std::min(low, analysis::hzToNote(f));
            high = std::max(high, analysis::hzToNote(f));
        }
    if (low > high)
        return NoteAxis(rows, 48, 72);
    low -= 5;
    high += 5;
    if (high - low < 12) {
        const double middle = (low + high) / 2;
        low = middle - 6;
        high = middle + 6;
    }
    return NoteAxis(rows, std::floor(low), std::ceil(high));
}

std::vector<NoteMark> noteMarks(const NoteAxis &axis, int minGap)
{
    // Pitch classes of each tier: the naturals, then C E G, then C.
    static const std::vector<std::vector<int>> tiers = {{0, 2, 4, 5, 7, 9, 11}, {0, 4, 7}, {0}};
    std::vector<NoteMark> marks;
    for (const std::vector<int> &classes : tiers) {
        marks.clear();
        bool fits = true;
        for (int note = int(std::ceil(axis.lowNote())); note <= int(std::floor(axis.highNote())); ++note) {
            if (std::find(classes.begin(), classes.end(), ((note % 12) + 12) % 12) == classes.end())
                continue;
            const int row = int(std::lround(axis.rowAt(analysis::noteToHz(note))));
            if (row < minGap / 2 || row > axis.rows() - minGap / 2)
                continue;
            if (!marks.empty() && marks.back().row - row < minGap)
                fits = false;
            marks.push_back({row, analysis::noteName(note)});
        }
        if (fits)
            break;
    }
    std::reverse(marks.begin(), marks.end());  // top to bottom
    return marks;
}

std::vector<std::vector<QPoint>> pitchLines(const F0Series &series, double start, double length, int width,
                                            const std::function<double(double)> &rowOfHz, int top, int bottom)
{
    std::vector<std::vector<QPoint>> lines;
    if (series.isEmpty() || width <= 0 || bottom <= top || !(length > 0))
        return lines;
    bool open = false;
    for (int x = 0; x < width; ++x) {
        const double hz = series.hzAt(xToMs(x + 0.5, start, length, width));
        if (hz <= 0) {
            open = false;
            continue;
        }
        const int y = std::clamp(top + int(std::lround(rowOfHz(hz))), top, bottom - 1);
        if (!open)
            lines.emplace_back();
        lines.back().emplace_back(x, y);
        open = true;
    }
    return lines;
}

std::vector<QPoint> loudnessPoints(const F0Series &series, double start, double length, int width, int top, int bottom)
{
    std::vector<QPoint> points;
    if (series.isEmpty() || series.loudnessDb.empty() || width <= 0 || bottom - top < 2 || !(length > 0))
        return points;
    const double span = bottom - top - 1;
    for (int x = 0; x < width; ++x) {
        const double ms = xToMs(x + 0.5, start, length, width);
        if (series.frameAt(ms) < 0)
            continue;
        // Between the centres of two frames, so that a zoomed-in view shows
        // no steps.
        const double position = ms * series.sampleRate / 1000.0 / series.hopSamples - 0.5;
        const int last = int(series.loudnessDb.size()) - 1;
        const int a = std::clamp(int(std::floor(position)), 0, last);
        const int b = std::min(a + 1, last);
        const double w = std::clamp(position - a, 0.0, 1.0);
        const double db = series.loudnessDb[size_t(a)] * (1 - w) + series.loudnessDb[size_t(b)] * w;
        const double share = std::clamp((db + 80.0) / 80.0, 0.0, 1.0);
        points.emplace_back(x, bottom - 1 - int(std::lround(share * span)));
    }
    return points;
}

QString pitchText(const F0Series &track, const F0Series *frq, double ms)
{
    const int frame = track.frameAt(ms);
    if (frame < 0)
        return QString();
    const double hz = track.hzAt(ms);
    QString text = hz > 0 ? QStringLiteral("F0 ") + analysis::describeHz(hz) : QStringLiteral("unvoiced");
    if (!track.loudnessDb.empty())
        text += QStringLiteral("  %1 dB").arg(track.loudnessDb[size_t(frame)], 0, 'f', 1);
    if (frq && frq->frameAt(ms) >= 0) {
        const double theirs = frq->hzAt(ms);
        text += theirs > 0 ? QStringLiteral("  frq %1 Hz").arg(theirs, 0, 'f', 1) : QStringLiteral("  frq unvoiced");
    }
    return text;
}
