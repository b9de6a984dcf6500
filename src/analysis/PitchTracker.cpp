#include "analysis/PitchTracker.h"

#include "core/Statistics.h"

#include <QRegularExpression>
#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>
#include <numbers>
#include <numeric>

namespace analysis {

namespace {

constexpr int kThresholds = 100;  // 0.01, 0.02 .. 1.00
constexpr double kInfinity = std::numeric_limits<double>::infinity();

// One possible period of a frame: its frequency (on the decimated copy,
// refined later), its note and its share of the threshold votes.
struct Candidate {
    double tau = 0;  // in samples of the decimated copy, interpolated
    qint64 shift = 0;  // where the window stood, in full-rate samples from the frame's centre
    double note = 0;
    double probability = 0;
};

// The weight of each threshold: a beta density over 0.01 .. 1, summing to 1.
std::vector<double> thresholdWeights(const PitchOptions &o)
{
    std::vector<double> w(kThresholds);
    for (int k = 0; k < kThresholds; ++k) {
        const double s = std::min((k + 1) / double(kThresholds), 0.999);
        w[size_t(k)] = std::pow(s, o.thresholdBetaA - 1) * std::pow(1 - s, o.thresholdBetaB - 1);
    }
    const double sum = std::accumulate(w.begin(), w.end(), 0.0);
    for (double &v : w)
        v /= sum;
    return w;
}

using Four = float __attribute__((vector_size(16)));

Four loadFour(const float *p)
{
    Four v;
    std::memcpy(&v, p, sizeof v);
    return v;
}

// The sum of the lanes of four vectors of running sums.
float total(Four s0, Four s1, Four s2, Four s3)
{
    const Four s = (s0 + s1) + (s2 + s3);
    return (s[0] + s[1]) + (s[2] + s[3]);
}

// Sum of a[j] * b[j]: four vectors of running sums that the compiler keeps
// in registers, so that the additions proceed side by side instead of each
// waiting on the one before.
float dot(const float *a, const float *b, int n)
{
    Four s0 = {}, s1 = {}, s2 = {}, s3 = {};
    int j = 0;
    for (; j + 16 <= n; j += 16) {
        s0 += loadFour(a + j) * loadFour(b + j);
        s1 += loadFour(a + j + 4) * loadFour(b + j + 4);
        s2 += loadFour(a + j + 8) * loadFour(b + j + 8);
        s3 += loadFour(a + j + 12) * loadFour(b + j + 12);
    }
    float sum = total(s0, s1, s2, s3);
    for (; j < n; ++j)
        sum += a[j] * b[j];
    return sum;
}

// The samples low-passed below 0.4 of the decimated rate (a Hann-windowed
// sinc) and kept one in `factor`, with `pad` zeros on both sides so that
// frames at the edges read silence without a bounds check.
std::vector<float> decimate(std::span<const qint16> x, int factor, qsizetype pad)
{
    const qsizetype n = qsizetype(x.size());
    const qsizetype outCount = (n + factor - 1) / factor;
    std::vector<float> out(size_t(outCount + 2 * pad), 0.0f);
    if (factor == 1) {
        for (qsizetype i = 0; i < n; ++i)
            out[size_t(pad + i)] = x[size_t(i)];
        return out;
    }
    const int half = 8 * factor;
    const double cutoff = 0.4 / factor;  // in cycles per input sample
    std::vector<float> taps(size_t(2 * half + 1));
    double sum = 0;
    for (int k = -half; k <= half; ++k) {
        const double sinc = k == 0 ? 2 * cutoff : std::sin(2 * std::numbers::pi * cutoff * k) / (std::numbers::pi * k);
        const double hann = 0.5 + 0.5 * std::cos(std::numbers::pi * k / (half + 1));
        taps[size_t(k + half)] = float(sinc * hann);
        sum += sinc * hann;
    }
    for (float &t : taps)
        t = float(t / sum);
    // A block of outputs at a time, from its samples as floats with
    // silence beyond the wave's ends: every output is then one dot product
    // of the whole filter, and a long wave is never copied whole.
    constexpr qsizetype kBlock = 4096;
    std::vector<float> samples;
    for (qsizetype o0 = 0; o0 < outCount; o0 += kBlock) {
        const qsizetype o1 = std::min(outCount, o0 + kBlock);
        const qsizetype first = o0 * factor - half;  // the sample at samples[0]
        samples.assign(size_t((o1 - 1 - o0) * factor + 2 * half + 1), 0.0f);
        for (qsizetype k = std::max<qsizetype>(0, -first); k < qsizetype(samples.size()) && first + k < n; ++k)
            samples[size_t(k)] = x[size_t(first + k)];
        for (qsizetype o = o0; o < o1; ++o)
            out[size_t(pad + o)] = dot(taps.data(), samples.data() + (o - o0) * factor, int(taps.size()));
    }
    return out;
}

// Sum over `width` samples of (x[j] - x[j + lag])^2, the way dot() adds:
// most of the pitch tracker's time is spent here.
float difference(const float *x, int width, int lag)
{
    const float *y = x + lag;
    Four s0 = {}, s1 = {}, s2 = {}, s3 = {};
    int j = 0;
    for (; j + 16 <= width; j += 16) {
        const Four d0 = loadFour(x + j) - loadFour(y + j), d1 = loadFour(x + j + 4) - loadFour(y + j + 4);
        const Four d2 = loadFour(x + j + 8) - loadFour(y + j + 8), d3 = loadFour(x + j + 12) - loadFour(y + j + 12);
        s0 += d0 * d0;
        s1 += d1 * d1;
        s2 += d2 * d2;
        s3 += d3 * d3;
    }
    float sum = total(s0, s1, s2, s3);
    for (; j < width; ++j) {
        const float d = x[j] - y[j];
        sum += d * d;
    }
    return sum;
}

// Sum over `width` samples of (a[j] - a[j + lag])^2, exactly. Each square
// fits 32 bits unsigned; eight running sums of them let the additions
// proceed side by side, and in whole numbers their order changes nothing.
quint64 squaredDifference(const qint16 *a, int lag, int width)
{
    const qint16 *b = a + lag;
    quint64 sums[8] = {};
    int j = 0;
    for (; j + 8 <= width; j += 8)
        for (int k = 0; k < 8; ++k) {
            const auto d = quint32(int(a[j + k]) - int(b[j + k]));
            sums[k] += d * d;
        }
    for (; j < width; ++j) {
        const auto d = quint32(int(a[j]) - int(b[j]));
        sums[0] += d * d;
    }
    quint64 sum = 0;
    for (quint64 s : sums)
        sum += s;
    return sum;
}

double parabolaOffset(double left, double mid, double right)
{
    const double curve = left - 2 * mid + right;
    if (curve <= 0)
        return 0;
    return std::clamp(0.5 * (left - right) / curve, -0.5, 0.5);
}

class Tracker {
public:
    Tracker(std::span<const qint16> samples, int sampleRate, const PitchOptions &options)
        : x_(samples), rate_(sampleRate), o_(options)
    {
        factor_ = std::max(1, int(std::lround(double(sampleRate) / std::max(1000, o_.analysisRate))));
        rateD_ = double(sampleRate) / factor_;
        tauMin_ = std::max(2, int(std::floor(rateD_ / o_.maxHz)));
        tauMax_ = std::max(tauMin_ + 2, int(std::ceil(rateD_ / o_.minHz)));
        width_ = std::max(tauMax_, int(std::lround(o_.windowMs * rateD_ / 1000)));
        // Room for a window moved past the last frame's centre.
        pad_ = 2 * (width_ + tauMax_) + o_.hopSamples / factor_ + 8;
        weights_ = thresholdWeights(o_);
    }

    PitchTrack run()
    {
        PitchTrack t;
        t.sampleRate = rate_;
        t.hopSamples = o_.hopSamples;
        t.sampleCount = qsizetype(x_.size());
        t.frames = int((t.sampleCount + o_.hopSamples - 1) / o_.hopSamples);
        const size_t frames = size_t(t.frames);
        t.f0Hz.assign(frames, 0.0f);
        t.voicing.assign(frames, 0.0f);
        t.amplitude.assign(frames, 0.0f);
        t.periodicity.assign(frames, 0.0f);
        if (frames == 0)
            return t;

        for (size_t i = 0; i < frames; ++i)
            t.amplitude[i] = float(rmsAround(centre(int(i)), o_.hopSamples));
        const float peak = *std::max_element(t.amplitude.begin(), t.amplitude.end());
        const double gate = std::max(o_.silenceDb, levelDb(peak) - o_.belowPeakDb);

        decimated_ = decimate(x_, factor_, pad_);
        std::vector<std::vector<Candidate>> candidates(frames);
        std::vector<double> diff(size_t(tauMax_ + 2)), norm(size_t(tauMax_ + 2));
        for (size_t i = 0; i < frames; ++i) {
            t.periodicity[i] = float(centredPeriodicity(int(i)));
            if (levelDb(t.amplitude[i]) < gate)
                continue;
            // A window across the start or the end of a note compares sound
            // with silence and finds no period; one moved to lie on the note
            // side of the frame's centre does.
            double voicing = 0;
            for (const qint64 shift : {qint64(0), -edgeShift(), edgeShift()}) {
                // Not from a note into the silence after it, though: the
                // frame itself must be about as loud as what the window sees.
                if (shift != 0
                    && levelDb(t.amplitude[i]) < levelDb(rmsAround(centre(int(i)) + shift, int(edgeShift())))
                                                     - o_.shiftWithinDb)
                    continue;
                fillDifference(segment(int(i), shift), diff);
                std::vector<Candidate> found = frameCandidates(shift, diff, norm);
                // Nor into a breath beside a note: the frame's own samples
                // must repeat at the period the moved window found.
                if (shift != 0 && !found.empty()
                    && blockPeriodicity(int(i), found.front().tau * factor_) < o_.minBlockPeriodicity)
                    continue;
                const double v = totalProbability(found);
                if (v > voicing) {
                    voicing = v;
                    candidates[i] = std::move(found);
                }
                if (voicing >= o_.shiftBelowVoicing)
                    break;
            }
            const double ramp = std::clamp((levelDb(t.amplitude[i]) - gate) / std::max(1e-9, o_.gateRampDb), 0.0, 1.0);
            if (ramp < 1) {
                for (Candidate &c : candidates[i])
                    c.probability *= ramp;
                voicing *= ramp;
            }
            t.voicing[i] = float(std::min(1.0, voicing));
        }

        const std::vector<int> path = decode(candidates);
        for (size_t i = 0; i < frames; ++i)
            if (path[i] >= 0)
                t.f0Hz[i] = float(double(rate_) / refine(int(i), candidates[i][size_t(path[i])]));
        return t;
    }

private:
    qint64 centre(int frame) const { return qint64(frame) * o_.hopSamples + o_.hopSamples / 2; }
    // How far a moved window stands from the centre: its edge at the centre.
    qint64 edgeShift() const { return qint64(width_ + tauMax_) * factor_ / 2; }
    static double totalProbability(const std::vector<Candidate> &cs)
    {
        double sum = 0;
        for (const Candidate &c : cs)
            sum += c.probability;
        return sum;
    }

    static double levelDb(double rms) { return rms > 0 ? 20 * std::log10(rms / 32768.0) : -120.0; }

    double rmsAround(qint64 c, int half) const
    {
        const qint64 from = std::max<qint64>(0, c - half);
        const qint64 to = std::min<qint64>(qint64(x_.size()), c + half);
        double sum = 0;
        for (qint64 i = from; i < to; ++i)
            sum += double(x_[size_t(i)]) * x_[size_t(i)];
        return std::sqrt(sum / (2.0 * half));
    }

    // How well the frame's own two hops match themselves one period
    // earlier or later (normalised correlation, the better of the two).
    double blockPeriodicity(int frame, double period) const
    {
        const qint64 lag = std::max<qint64>(1, std::llround(period));
        const qint64 from = centre(frame) - o_.hopSamples, to = centre(frame) + o_.hopSamples;
        auto at = [&](qint64 i) { return i >= 0 && i < qint64(x_.size()) ? double(x_[size_t(i)]) : 0.0; };
        double best = 0;
        for (const qint64 l : {lag, -lag}) {
            double xy = 0, xx = 0, yy = 0;
            for (qint64 j = from; j < to; ++j) {
                const double a = at(j), b = at(j + l);
                xy += a * b;
                xx += a * a;
                yy += b * b;
            }
            if (xx > 0 && yy > 0)
                best = std::max(best, xy / std::sqrt(xx * yy));
        }
        return best;
    }

    // The decimated samples the window at a frame (moved by shift) compares.
    const float *segment(int frame, qint64 shift) const
    {
        const qint64 startD =
            qint64(std::llround(double(centre(frame) + shift) / factor_ - (width_ + tauMax_) / 2.0));
        return decimated_.data() + (pad_ + startD);
    }

    // The best normalised correlation of a window with itself shifted by a
    // period in range. The window starts half its width before the frame's
    // centre, so that with its shifted copy (a voice's period is short) it
    // lies about the centre: the candidates' window, which makes room for
    // the longest period, lies earlier. From the difference function: for
    // a window x and its shift y, d = |x|^2 + |y|^2 - 2 x.y.
    double centredPeriodicity(int frame) const
    {
        const float *seg = segment(frame, qint64(tauMax_) * factor_ / 2);
        const int length = width_ + tauMax_ + 1;
        energy_.assign(size_t(length + 1), 0.0);
        for (int j = 0; j < length; ++j)
            energy_[size_t(j + 1)] = energy_[size_t(j)] + double(seg[j]) * seg[j];
        const double own = energy_[size_t(width_)];
        if (!(own > 0))
            return 0;
        double best = 0;
        for (int tau = tauMin_; tau <= tauMax_; ++tau) {
            const double shifted = energy_[size_t(tau + width_)] - energy_[size_t(tau)];
            if (shifted > 0)
                best = std::max(best, (own + shifted - difference(seg, width_, tau)) / (2 * std::sqrt(own * shifted)));
        }
        return std::clamp(best, 0.0, 1.0);
    }

    // The window's difference from itself shifted by each lag.
    void fillDifference(const float *seg, std::vector<double> &diff) const
    {
        for (int tau = 1; tau <= tauMax_ + 1; ++tau)
            diff[size_t(tau)] = difference(seg, width_, tau);
    }

    // The dips of the frame's cumulative-mean-normalised difference, each
    // with its share of the threshold votes; the likeliest few are kept.
    // diff is the window's (moved by shift), as fillDifference leaves it.
    std::vector<Candidate> frameCandidates(qint64 shift, const std::vector<double> &diff, std::vector<double> &norm) const
    {
        double cumulative = 0;
        norm[0] = 1;
        for (int tau = 1; tau <= tauMax_ + 1; ++tau) {
            cumulative += diff[size_t(tau)];
            norm[size_t(tau)] = cumulative > 0 ? diff[size_t(tau)] * tau / cumulative : 1;
        }

        std::vector<int> dips;
        for (int tau = tauMin_; tau <= tauMax_; ++tau)
            if (norm[size_t(tau)] < norm[size_t(tau - 1)] && norm[size_t(tau)] <= norm[size_t(tau + 1)])
                dips.push_back(tau);
        if (dips.empty())
            return {};

        std::vector<double> votes(dips.size(), 0.0);
        const auto deepest = size_t(std::min_element(dips.begin(), dips.end(), [&](int a, int b) {
                                        return norm[size_t(a)] < norm[size_t(b)];
                                    }) - dips.begin());
        for (int k = 0; k < kThresholds; ++k) {
            const double threshold = (k + 1) / double(kThresholds);
            const auto first = std::find_if(dips.begin(), dips.end(), [&](int tau) { return norm[size_t(tau)] < threshold; });
            if (first != dips.end())
                votes[size_t(first - dips.begin())] += weights_[size_t(k)];
            else
                votes[deepest] += weights_[size_t(k)] * o_.fallbackShare;
        }

        std::vector<Candidate> out;
        for (size_t d = 0; d < dips.size(); ++d) {
            if (votes[d] <= 0)
                continue;
            const size_t tau = size_t(dips[d]);
            Candidate c;
            c.tau = double(tau) + parabolaOffset(norm[tau - 1], norm[tau], norm[tau + 1]);
            c.note = hzToNote(rateD_ / c.tau);
            c.probability = votes[d];
            c.shift = shift;
            out.push_back(c);
        }
        std::sort(out.begin(), out.end(), [](const Candidate &a, const Candidate &b) { return a.probability > b.probability; });
        if (int(out.size()) > o_.maxCandidates)
            out.resize(size_t(o_.maxCandidates));
        return out;
    }

    // The cheapest path through the frames' candidates and an unvoiced state
    // (Viterbi): emissions cost -log of their probability, moves cost by the
    // semitones they jump, and a change of voicing costs a fixed amount. An
    // octave error costs twelve semitones' worth, so a frame on the wrong
    // octave between right ones is pulled back. -1 marks an unvoiced frame.
    std::vector<int> decode(const std::vector<std::vector<Candidate>> &candidates) const
    {
        const size_t frames = candidates.size();
        auto emission = [](double p) { return -std::log(std::max(p, 1e-6)); };
        std::vector<std::vector<int>> back(frames);
        std::vector<double> cost, next;
        for (size_t i = 0; i < frames; ++i) {
            const auto &cs = candidates[i];
            double voicing = 0;
            for (const Candidate &c : cs)
                voicing += c.probability;
            const size_t unvoiced = cs.size();
            next.assign(cs.size() + 1, kInfinity);
            back[i].assign(cs.size() + 1, -1);
            for (size_t s = 0; s <= unvoiced; ++s) {
                const double own = s == unvoiced ? emission(1 - std::min(voicing, 1.0)) : emission(cs[s].probability);
                if (i == 0) {
                    next[s] = own;
                    continue;
                }
                const auto &prev = candidates[i - 1];
                const size_t prevUnvoiced = prev.size();
                for (size_t p = 0; p <= prevUnvoiced; ++p) {
                    double move = 0;
                    if ((p == prevUnvoiced) != (s == unvoiced)) {
                        move = o_.voicingSwitchCost;
                    } else if (s != unvoiced) {
                        const double jump = std::abs(cs[s].note - prev[p].note);
                        if (jump > o_.maxJumpSemitones)
                            continue;
                        move = o_.costPerSemitone * jump;
                    }
                    const double total = cost[p] + move + own;
                    if (total < next[s]) {
                        next[s] = total;
                        back[i][s] = int(p);
                    }
                }
            }
            cost.swap(next);
        }

        std::vector<int> path(frames, -1);
        size_t state = size_t(std::min_element(cost.begin(), cost.end()) - cost.begin());
        for (size_t i = frames; i-- > 0;) {
            path[i] = state == candidates[i].size() ? -1 : int(state);
            if (i > 0)
                state = size_t(std::max(0, back[i][state]));
        }
        return path;
    }

    // The period near tau (full-rate samples) where the full-rate difference
    // is least, interpolated; tau itself when the least is at the search's
    // edge (the decimated estimate is then the better one).
    double refine(int frame, const Candidate &c) const
    {
        const double tau = c.tau * factor_;
        if (factor_ == 1)
            return tau;
        const int width = width_ * factor_;
        const qint64 start = centre(frame) + c.shift - (width + tauMax_ * factor_) / 2;
        auto at = [&](qint64 i) { return i >= 0 && i < qint64(x_.size()) ? double(x_[size_t(i)]) : 0.0; };
        const bool inside = start >= 0 && start + width + tau + factor_ + 2 < qint64(x_.size());
        auto diffAt = [&](int lag) {
            if (inside)  // the common case, without a test per sample
                return double(squaredDifference(x_.data() + start, lag, width));
            double sum = 0;
            for (int j = 0; j < width; ++j) {
                const double d = at(start + j) - at(start + j + lag);
                sum += d * d;
            }
            return sum;
        };
        const int from = std::max(2, int(std::floor(tau)) - factor_ - 1);
        const int to = int(std::ceil(tau)) + factor_ + 1;
        std::vector<double> d;
        for (int lag = from; lag <= to; ++lag)
            d.push_back(diffAt(lag));
        const size_t best = size_t(std::min_element(d.begin(), d.end()) - d.begin());
        if (best == 0 || best + 1 == d.size())
            return tau;
        return from + double(best) + parabolaOffset(d[best - 1], d[best], d[best + 1]);
    }

    std::span<const qint16> x_;
    int rate_;
    PitchOptions o_;
    int factor_ = 1;
    double rateD_ = 0;
    int tauMin_ = 2, tauMax_ = 4, width_ = 4;
    qsizetype pad_ = 0;
    std::vector<double> weights_;
    std::vector<float> decimated_;
    mutable std::vector<double> energy_;  // running sums of squares, scratch
};

}  // namespace

float PitchTrack::loudnessDb(int frame) const
{
    const float a = amplitude[size_t(frame)];
    return a > 0 ? float(20 * std::log10(a / 32768.0)) : -120.0f;
}

double PitchTrack::frameMs(int frame) const
{
    return (double(frame) * hopSamples + hopSamples / 2.0) * 1000.0 / sampleRate;
}

int PitchTrack::frameAt(double ms) const
{
    if (sampleRate <= 0 || ms < 0)
        return -1;
    const qint64 sample = qint64(std::floor(ms * sampleRate / 1000.0));
    if (sample >= sampleCount)
        return -1;
    return int(sample / hopSamples);
}

qsizetype PitchTrack::byteSize() const
{
    return qsizetype(sizeof(float)) * qsizetype(f0Hz.size() + voicing.size() + amplitude.size() + periodicity.size())
        + qsizetype(sizeof(*this));
}

int PitchTrack::voicedCount() const
{
    return int(std::count_if(f0Hz.begin(), f0Hz.end(), [](float f) { return f > 0; }));
}

double PitchTrack::medianHz() const
{
    std::vector<float> v;
    for (float f : f0Hz)
        if (f > 0)
            v.push_back(f);
    return statistics::median(std::move(v));
}

double PitchTrack::meanHz() const
{
    double sum = 0;
    int n = 0;
    for (float f : f0Hz)
        if (f > 0) {
            sum += f;
            ++n;
        }
    return n ? sum / n : 0;
}

std::vector<qint16> withoutOffset(std::span<const qint16> samples)
{
    constexpr double kNegligible = 10;  // sample steps
    double sum = 0;
    for (qint16 x : samples)
        sum += x;
    const double mean = samples.empty() ? 0 : sum / double(samples.size());
    if (std::abs(mean) < kNegligible)
        return {};
    std::vector<qint16> out(samples.size());
    for (size_t i = 0; i < samples.size(); ++i)
        out[i] = qint16(std::clamp(std::lround(samples[i] - mean), -32768L, 32767L));
    return out;
}

PitchTrack trackPitch(std::span<const qint16> samples, int sampleRate, const PitchOptions &options)
{
    if (sampleRate < 8000 || options.hopSamples <= 0) {
        PitchTrack t;
        t.sampleRate = sampleRate;
        t.hopSamples = options.hopSamples;
        return t;
    }
    const std::vector<qint16> centred = withoutOffset(samples);
    return Tracker(centred.empty() ? samples : std::span<const qint16>(centred), sampleRate, options).run();
}

double hzToNote(double hz)
{
    return 69 + 12 * std::log2(hz / 440.0);
}

double noteToHz(double note)
{
    return 440.0 * std::pow(2.0, (note - 69) / 12);
}

QString noteName(int note)
{
    static const char *const names[] = {"C", "C#", "D", "D#", "E", "F", "F#", "G", "G#", "A", "A#", "B"};
    const int octave = int(std::floor(note / 12.0)) - 1;
    return QString::fromLatin1(names[((note % 12) + 12) % 12]) + QString::number(octave);
}

QString describeHz(double hz)
{
    if (!(hz > 0))
        return QString();
    const double note = hzToNote(hz);
    const int nearest = int(std::lround(note));
    const int cents = int(std::lround((note - nearest) * 100));
    return QStringLiteral("%1 Hz  %2 %3%4 ct")
        .arg(hz, 0, 'f', 1)
        .arg(noteName(nearest))
        .arg(cents >= 0 ? QStringLiteral("+") : QString())
        .arg(cents);
}

std::optional<int> noteAtEnd(const QString &text)
{
    static const QRegularExpression re(QStringLiteral("([A-G])([#b]?)(-?[0-9])$"));
    const QString t = text.trimmed();
    const QRegularExpressionMatch m = re.match(t);
    if (!m.hasMatch())
        return std::nullopt;
    // A Latin letter right before it makes it part of a word ("pA3" is not
    // a note, "a A3", "a_A3" and "あA3" are).
    const qsizetype at = m.capturedStart(1);
    if (at > 0 && t[at - 1].unicode() < 0x80 && t[at - 1].isLetter())
        return std::nullopt;
    static const int base[] = {9, 11, 0, 2, 4, 5, 7};  // A B C D E F G
    int note = base[m.captured(1)[0].unicode() - 'A'];
    if (m.captured(2) == QStringLiteral("#"))
        ++note;
    else if (m.captured(2) == QStringLiteral("b"))
        --note;
    return note + 12 * (m.captured(3).toInt() + 1);
}

}  // namespace analysis
