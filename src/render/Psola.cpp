#include "render/Psola.h"

#include "analysis/PitchTracker.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace render {

size_t PitchMarks::nearest(double position) const
{
    const auto it = std::lower_bound(at.begin(), at.end(), position, [](qsizetype a, double p) { return double(a) < p; });
    if (it == at.end())
        return at.size() - 1;
    const size_t i = size_t(it - at.begin());
    if (i > 0 && position - double(at[i - 1]) < double(*it) - position)
        return i - 1;
    return i;
}

namespace {

// The position of the largest sample within reach of a predicted mark, so
// that every mark of a voiced stretch sits on the same peak of its period.
qsizetype peakNear(std::span<const qint16> wave, double predicted, double reach)
{
    const qsizetype n = qsizetype(wave.size());
    const qsizetype lo = std::clamp(qsizetype(std::floor(predicted - reach)), qsizetype(0), n - 1);
    const qsizetype hi = std::clamp(qsizetype(std::ceil(predicted + reach)), qsizetype(0), n - 1);
    qsizetype best = std::clamp(qsizetype(std::lround(predicted)), lo, hi);
    for (qsizetype i = lo; i <= hi; ++i)
        if (wave[size_t(i)] > wave[size_t(best)])
            best = i;
    return best;
}

}  // namespace

PitchMarks findPitchMarks(std::span<const qint16> wave, int sampleRate, qsizetype from, qsizetype to)
{
    PitchMarks marks;
    const qsizetype n = qsizetype(wave.size());
    from = std::clamp(from, qsizetype(0), n);
    to = std::clamp(to, from, n);
    if (to <= from)
        return marks;
    // A margin either side, so that the tracker sees whole windows at the
    // bounds.
    const qsizetype margin = sampleRate / 20;
    const qsizetype trackFrom = std::max(qsizetype(0), from - margin);
    const qsizetype trackTo = std::min(n, to + margin);
    const analysis::PitchTrack track =
        analysis::trackPitch(wave.subspan(size_t(trackFrom), size_t(trackTo - trackFrom)), sampleRate);
    const double unvoicedStep = kUnvoicedStepMs * sampleRate / 1000;

    auto periodAt = [&](qsizetype pos) -> double {
        if (track.frames == 0)
            return 0;
        const int frame = std::clamp(int((pos - trackFrom) / track.hopSamples), 0, track.frames - 1);
        const float hz = track.f0Hz[size_t(frame)];
        return hz > 0 ? sampleRate / double(hz) : 0;
    };

    qsizetype pos = from;
    bool lastVoiced = false;
    while (pos < to) {
        const double period = periodAt(pos);
        if (period > 0 && !lastVoiced) {
            // A voiced stretch begins: its first mark on the peak of the
            // first period.
            pos = peakNear(wave, double(pos) + period / 2, period / 2);
        }
        marks.at.push_back(pos);
        marks.voiced.push_back(period > 0);
        marks.period.push_back(period > 0 ? period : unvoicedStep);
        lastVoiced = period > 0;
        qsizetype next = period > 0 ? peakNear(wave, double(pos) + period, period / 5)
                                    : pos + qsizetype(std::lround(unvoicedStep));
        next = std::max(next, pos + 1);
        pos = next;
    }
    // The half width of each grain: the distance to its neighbour where
    // there is one, so that grains of a steady wave sum to it.
    for (size_t i = 0; i + 1 < marks.at.size(); ++i)
        if (marks.voiced[i] && marks.voiced[i + 1])
            marks.period[i] = double(marks.at[i + 1] - marks.at[i]);
    return marks;
}

void addNote(std::span<const qint16> wave, const PitchMarks &marks, const NotePlacement &placement, double targetHz,
             int sampleRate, std::vector<float> &out)
{
    if (marks.empty())
        return;
    const double perMs = sampleRate / 1000.0;
    const qsizetype first = std::max(qsizetype(0), qsizetype(std::lround(placement.startMs * perMs)));
    const qsizetype end = std::min(qsizetype(out.size()), qsizetype(std::lround(placement.endMs * perMs)));
    if (end <= first)
        return;
    // The sound is built over [first, end) only: a note whose left bound
    // lies before the output (a long preutterance) starts part way in.
    const double start = placement.startMs * perMs;
    const qsizetype length = end - first;
    std::vector<float> sound(size_t(length), 0.f), weight(size_t(length), 0.f);
    const double outPeriod = sampleRate / targetHz;
    const qsizetype n = qsizetype(wave.size());

    // Grains are laid from the note's start in steps of whole periods, so
    // the first one that reaches the output is found without walking there.
    double t = start;
    const double longest = std::max(outPeriod, *std::max_element(marks.period.begin(), marks.period.end()));
    if (t < double(first) - 2 * longest)
        t += std::floor((double(first) - 2 * longest - t) / longest) * longest;
    while (t < double(end)) {
        const double source = placement.sourceMs(t / perMs) * perMs;
        const size_t k = marks.nearest(source);
        const double half = marks.period[k];
        const qsizetype centre = qsizetype(std::lround(t)) - first;
        const qsizetype reach = qsizetype(std::ceil(half));
        for (qsizetype j = -reach + 1; j < reach; ++j) {
            const qsizetype o = centre + j;
            const qsizetype s = marks.at[k] + j;
            if (o < 0 || o >= length || s < 0 || s >= n)
                continue;
            const float w = float(0.5 + 0.5 * std::cos(std::numbers::pi * double(j) / half));
            sound[size_t(o)] += w * float(wave[size_t(s)]);
            weight[size_t(o)] += w;
        }
        t += marks.voiced[k] ? outPeriod : half;
    }

    const double fadeIn = placement.fadeInMs * perMs;
    const double fadeOut = placement.fadeOutMs * perMs;
    for (qsizetype i = 0; i < length; ++i) {
        // Grains packed closer than their width (a higher pitch) overlap
        // more: their sum is brought back to the recording's level.
        float v = sound[size_t(i)] / std::max(weight[size_t(i)], 1.f);
        const double fromStart = double(first + i) - start + 0.5, toEnd = double(length - i) - 0.5;
        if (fromStart < fadeIn)
            v *= float(std::sin(std::numbers::pi / 2 * fromStart / fadeIn));
        if (toEnd < fadeOut)
            v *= float(std::sin(std::numbers::pi / 2 * toEnd / fadeOut));
        out[size_t(first + i)] += v;
    }
}

}  // namespace render
