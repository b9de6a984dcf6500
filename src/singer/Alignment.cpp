#include "singer/Alignment.h"

#include "core/Statistics.h"

#include <algorithm>
#include <cmath>
#include <vector>

namespace singer {

namespace {

constexpr double kFrameMs = 5;
constexpr double kSearchMs = 1500;     // how far apart the onsets may lie
constexpr double kMatchMs = 600;       // how much of each sound is compared
constexpr double kFloorDb = -90;

// The level of each frame in dB.
std::vector<double> envelope(const SampleBuffer &samples, int frameSize)
{
    std::vector<double> levels;
    const qsizetype frames = samples.size() / frameSize;
    levels.reserve(size_t(frames));
    for (qsizetype f = 0; f < frames; ++f) {
        double sum = 0;
        for (int i = 0; i < frameSize; ++i) {
            const double s = samples[f * frameSize + i] / 32768.0;
            sum += s * s;
        }
        levels.push_back(std::max(kFloorDb, 10 * std::log10(sum / frameSize + 1e-12)));
    }
    return levels;
}

struct Onset {
    qsizetype frame = -1;
    double rangeDb = 0;  // loudest level above the background
};

// The first frame halfway (in dB) between the background and the loudest.
Onset onsetOf(const std::vector<double> &levels)
{
    if (levels.empty())
        return {};
    const double floor = statistics::quantile(levels, 0.1);
    const double peak = *std::max_element(levels.begin(), levels.end());
    const double threshold = floor + (peak - floor) / 2;
    for (size_t i = 0; i < levels.size(); ++i)
        if (levels[i] >= threshold)
            return {qsizetype(i), peak - floor};
    return {};
}

// Correlation of a's frames [aStart, aStart+n) with b's from bStart.
double correlation(const std::vector<double> &a, qsizetype aStart, const std::vector<double> &b, qsizetype bStart,
                   qsizetype n)
{
    double sa = 0, sb = 0, saa = 0, sbb = 0, sab = 0;
    qsizetype count = 0;
    for (qsizetype i = 0; i < n; ++i) {
        const qsizetype ia = aStart + i, ib = bStart + i;
        if (ia < 0 || ib < 0 || ia >= qsizetype(a.size()) || ib >= qsizetype(b.size()))
            continue;
        sa += a[ia], sb += b[ib], saa += a[ia] * a[ia], sbb += b[ib] * b[ib], sab += a[ia] * b[ib];
        ++count;
    }
    if (count < n / 2)
        return -1;
    const double va = saa - sa * sa / count, vb = sbb - sb * sb / count;
    if (va <= 0 || vb <= 0)
        return -1;
    return (sab - sa * sb / count) / std::sqrt(va * vb);
}

}  // namespace

Alignment alignRecordings(const SampleBuffer &from, const SampleBuffer &to, int sampleRate)
{
    Alignment result;
    const int frameSize = std::max(1, int(sampleRate * kFrameMs / 1000));
    const std::vector<double> a = envelope(from, frameSize), b = envelope(to, frameSize);
    const Onset oa = onsetOf(a), ob = onsetOf(b);
    if (oa.frame < 0 || ob.frame < 0) {
        result.unsure = true;
        result.why = QStringLiteral("no sound found");
        return result;
    }
    // Compare the sounds from a little before their onsets.
    const qsizetype lead = qsizetype(100 / kFrameMs);
    const qsizetype n = qsizetype(kMatchMs / kFrameMs);
    const qsizetype search = qsizetype(kSearchMs / kFrameMs);
    const qsizetype aStart = std::max<qsizetype>(0, oa.frame - lead);
    double best = -2, second = -2;
    qsizetype bestLag = 0;
    std::vector<double> scores;
    for (qsizetype lag = -search; lag <= search; ++lag) {
        const double c = correlation(a, aStart, b, aStart + lag, n);
        scores.push_back(c);
        if (c > best)
            best = c, bestLag = lag;
    }
    // The best match apart from its own peak (more than 50 ms away).
    for (qsizetype i = 0; i < qsizetype(scores.size()); ++i)
        if (std::abs(i - search - bestLag) * kFrameMs > 50)
            second = std::max(second, scores[size_t(i)]);
    result.shiftMs = bestLag * kFrameMs;
    const double onsetShift = double(ob.frame - oa.frame) * kFrameMs;
    if (std::min(oa.rangeDb, ob.rangeDb) < 20) {
        result.unsure = true;
        result.why = QStringLiteral("no clear onset");
    } else if (best < 0.6) {
        result.unsure = true;
        result.why = QStringLiteral("the recordings differ (match %1)").arg(best, 0, 'f', 2);
    } else if (best - second < 0.05) {
        result.unsure = true;
        result.why = QStringLiteral("several places match");
    } else if (std::abs(onsetShift - result.shiftMs) > 100) {
        result.unsure = true;
        result.why = QStringLiteral("the onsets and the envelopes disagree");
    }
    return result;
}

clsOto shiftedParameters(const clsOto &source, double sourceLengthMs, const clsOto &target, double targetLengthMs,
                         double shiftMs)
{
    clsOto out = target;
    out.prmLF = source.prmLF + shiftMs;
    out.prmFX = source.prmFX;
    out.prmPR = source.prmPR;
    out.prmOV = source.prmOV;
    if (source.prmRT >= 0) {
        const double end = sourceLengthMs - source.prmRT + shiftMs;
        out.prmRT = std::max(0.0, targetLengthMs - end);
    } else {
        out.prmRT = source.prmRT;
    }
    out.tryToFix(targetLengthMs);
    return out;
}

}  // namespace singer
