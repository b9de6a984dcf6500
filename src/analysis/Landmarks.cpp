#include "analysis/Landmarks.h"

#include "analysis/Phonemes.h"
#include "core/Statistics.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <optional>

namespace analysis {

namespace {

using statistics::median;

// The change of spectrum at frames [from, to): the RMS over the bands (dB)
// of the mean of span frames after a frame less the mean of span frames
// before it (fewer at the ends of the wave; none before the first frame).
// A change of level counts too, as every band moves with it.
std::vector<float> spectralChange(const WaveFeatures &f, int span, int from, int to)
{
    const int n = f.frames, bands = f.bandCount;
    from = std::clamp(from, 0, n);
    to = std::clamp(to, from, n);
    // Running sums of the bands over the frames the means reach.
    const int lo = std::max(0, from - span), hi = std::min(n, to + span);
    std::vector<double> prefix(size_t(hi - lo + 1) * size_t(bands), 0.0);
    for (int t = lo; t < hi; ++t)
        for (int b = 0; b < bands; ++b)
            prefix[size_t(t - lo + 1) * bands + b] = prefix[size_t(t - lo) * bands + b] + f.bands(t)[b];
    const auto sumTo = [&](int t, int b) { return prefix[size_t(t - lo) * bands + b]; };
    std::vector<float> out(size_t(to - from), 0.0f);
    for (int t = std::max(1, from); t < to; ++t) {
        const int a = std::max(0, t - span), c = std::min(n, t + span);
        double sum = 0;
        for (int b = 0; b < bands; ++b) {
            const double before = (sumTo(t, b) - sumTo(a, b)) / (t - a);
            const double after = (sumTo(c, b) - sumTo(t, b)) / (c - t);
            sum += (after - before) * (after - before);
        }
        out[size_t(t - from)] = float(std::sqrt(sum / bands));
    }
    return out;
}

std::vector<float> spectralChange(const WaveFeatures &f, int span)
{
    return spectralChange(f, span, 0, f.frames);
}

// Distance (RMS over the bands, dB) of the spectrum around frame t from a
// reference; three frames are averaged so that a single noisy frame does
// not count as a change.
double distanceAt(const WaveFeatures &f, int t, const std::vector<float> &reference)
{
    const int a = std::max(0, t - 1), b = std::min(f.frames - 1, t + 1);
    double sum = 0;
    for (int k = 0; k < f.bandCount; ++k) {
        double band = 0;
        for (int u = a; u <= b; ++u)
            band += f.bands(u)[k];
        const double d = band / (b - a + 1) - reference[size_t(k)];
        sum += d * d;
    }
    return std::sqrt(sum / f.bandCount);
}

// The mean band levels of frames [from, to).
std::vector<float> meanSpectrum(const WaveFeatures &f, int from, int to)
{
    std::vector<float> mean(size_t(f.bandCount), 0.0f);
    for (int t = from; t < to; ++t)
        for (int k = 0; k < f.bandCount; ++k)
            mean[size_t(k)] += f.bands(t)[k] / float(to - from);
    return mean;
}

// What a vowel sounds like once it has settled: its mean spectrum and
// median level over a stretch after its start.
struct Steady {
    std::vector<float> spectrum;
    double level = -100;
    double floor = 0;  // typical distance of its own frames from its mean spectrum
    int from = 0;
};

Steady steadyPart(const WaveFeatures &f, double vowelStartMs, double vowelEndMs, const LandmarkParams &p)
{
    const double length = std::max(0.0, vowelEndMs - vowelStartMs);
    const double from = vowelStartMs + std::clamp(p.steadyFromShare * length, p.steadyFromMinMs, p.steadyFromMaxMs);
    const double to = from + std::clamp(p.steadyShare * length, p.steadyMinMs, p.steadyMaxMs);
    Steady s;
    s.from = f.frameAt(from);
    const int end = std::max(s.from + 1, std::min(f.frames, f.frameAt(to)));
    s.spectrum = meanSpectrum(f, s.from, end);
    std::vector<double> levels;
    for (int t = s.from; t < end; ++t)
        levels.push_back(f.energyDb[size_t(t)]);
    s.level = median(levels);
    // Even a settled vowel is not at distance 0 from its own mean (vibrato,
    // noise): how far it typically is is where a change has arrived.
    std::vector<double> distances;
    for (int t = s.from; t < end; ++t)
        distances.push_back(distanceAt(f, t, s.spectrum));
    s.floor = median(distances);
    return s;
}

// The level above 1.5 kHz at every frame, where a nasal's murmur or a
// closure is quiet and a vowel is not.
std::vector<float> upperLevels(const WaveFeatures &f, const LandmarkParams &p)
{
    const int first = std::clamp(int(f.bandCount * p.upperBandsFrom), 0, f.bandCount - 1);
    // In single precision: this runs for every band of every frame.
    constexpr float kPerDb = 0.23025851f;  // ln(10) / 10
    std::vector<float> out(size_t(f.frames));
    for (int t = 0; t < f.frames; ++t) {
        float power = 0;
        for (int b = first; b < f.bandCount; ++b)
            power += std::exp(f.bands(t)[b] * kPerDb);
        out[size_t(t)] = 10 * std::log10(power + 1e-12f);
    }
    return out;
}

// The release of a consonant into its vowel: where the upper bands rise
// fastest. Going into a nasal's murmur they fall, and from a glide to its
// vowel (にょ) they change less, so neither is taken for the release.
// With sign -1, where they fall fastest: the mouth closing into ん.
int fastestRise(const std::vector<float> &level, int lo, int hi, const LandmarkParams &p, double sign = 1)
{
    int best = lo;
    double rise = -1e9;
    for (int t = lo + p.riseFrames; t + p.riseFrames <= hi; ++t)
        if (const double r = sign * (level[size_t(t + p.riseFrames)] - level[size_t(t - p.riseFrames)]); r > rise) {
            rise = r;
            best = t;
        }
    return best;
}

struct Onset {
    int levelRise = 0, early = 0, mid = 0, release = 0, closing = 0;
};

// Between lo and hi (frames): the frame least like the vowel is taken as
// the heart of the consonant (or of the vowel before); the onset marks lie
// between it and the vowel. After silence, the spectral marks are looked
// for only once the sound is nearly as loud as the vowel, so that a nasal
// or a glide sung from silence is measured from its murmur, not from the
// silence or the swell before it.
Onset findOnset(const WaveFeatures &f, const std::vector<float> &upper, int lo, int hi, const Steady &vowel, bool fromSilence,
                const LandmarkParams &p)
{
    // A frame is not yet the vowel while it is quieter than the vowel by
    // more than riseDb, or noise (a fricative, a burst, breath) however loud.
    auto lastBelow = [&](int from, double level) {
        int last = from - 1;
        for (int t = from; t <= hi; ++t)
            if (f.energyDb[size_t(t)] < level || f.highRatio[size_t(t)] > p.noisyRatio
                || f.periodicity[size_t(t)] < p.voicedPeriodicity)
                last = t;
        return last + 1;
    };
    Onset o;
    int from = lo;
    if (fromSilence) {
        o.levelRise = lastBelow(lo, vowel.level - p.riseDb);
        from = std::min(o.levelRise, hi - 1);
    }
    std::vector<double> d;
    for (int t = from; t <= hi; ++t)
        d.push_back(distanceAt(f, t, vowel.spectrum));
    const int centre = from + int(std::max_element(d.begin(), d.end()) - d.begin());
    // The last frame still far from the vowel, so that a brief dip of the
    // distance inside the consonant is not taken for the vowel.
    auto lastFar = [&](double share) {
        const double top = d[size_t(centre - from)];
        const double limit = top - share * std::max(0.0, top - vowel.floor);
        int last = centre - 1;
        for (int t = centre; t <= hi; ++t)
            if (d[size_t(t - from)] > limit)
                last = t;
        return last + 1;
    };
    o.early = lastFar(p.earlyShare);
    o.mid = lastFar(p.midShare);
    if (!fromSilence) {
        // A consonant sung without a dip in level (a voiced h, a soft g)
        // has no level rise; the spectrum tells where its vowel starts.
        o.levelRise = lastBelow(centre, vowel.level - p.riseDb);
        if (o.levelRise == centre)
            o.levelRise = o.early;
    }
    o.release = fastestRise(upper, from, hi, p);
    o.closing = fastestRise(upper, from, hi, p, -1);
    return o;
}

bool isRepeat(const QList<Syllable> &s, int i)
{
    return i > 0 && !s[i].rest && !s[i - 1].rest && s[i].consonant.isEmpty() && s[i].vowel == s[i - 1].vowel;
}

bool unvoiced(ConsonantClass c)
{
    return c == ConsonantClass::UnvoicedPlosive || c == ConsonantClass::UnvoicedFricative || c == ConsonantClass::Affricate;
}

// Where the unvoiced stretch before an onset begins: back from it while
// the frames are noise or unvoiced, and not quieter than quietest (the
// silence before a note sung from silence is no part of its consonant;
// the closure of a k between two vowels is).
int noiseStart(const WaveFeatures &f, int onset, int earliest, double quietest, const LandmarkParams &p)
{
    int t = onset - 1;
    while (t > earliest && t > 0) {
        const size_t k = size_t(t - 1);
        if ((f.periodicity[k] >= p.voicedPeriodicity && f.highRatio[k] <= p.noisyRatio) || f.energyDb[k] < quietest)
            break;
        --t;
    }
    return std::max(0, t);
}

Mark onsetMark(ConsonantClass consonant, bool fromSilence)
{
    switch (consonant) {
    case ConsonantClass::UnvoicedPlosive:
    case ConsonantClass::VoicedPlosive:
    case ConsonantClass::UnvoicedFricative:
    case ConsonantClass::VoicedFricative:
    case ConsonantClass::Affricate:
        return Mark::LevelRise;
    case ConsonantClass::Nasal:
        return Mark::Release;
    case ConsonantClass::None:
        return fromSilence ? Mark::LevelRise : Mark::MidChange;
    case ConsonantClass::Glide:
        return Mark::MidChange;
    case ConsonantClass::MoraicNasal:
        return fromSilence ? Mark::LevelRise : Mark::Closing;
    case ConsonantClass::Liquid:
        return Mark::EarlyChange;
    }
    return Mark::LevelRise;
}

class FileMarks {
public:
    FileMarks(FileAlignment &a, const WaveFeatures &f, const QList<Syllable> &s, const LandmarkParams &params)
        : a_(a), f_(f), s_(s), p_(params), change_(spectralChange(f, std::max(1, f.frameAt(params.evidenceSpanMs)))),
          upper_(upperLevels(f, params))
    {
    }

    // Every sung syllable's onset marks as the first look finds them,
    // before the beat has a say; without a beat, the look's own onset is
    // where it would put the beat's mark too (the note of a vowel sung
    // again).
    QList<SyllableTimes> firstLooks()
    {
        QList<SyllableTimes> out = a_.syllables;
        for (int i = 0; i < count(); ++i) {
            if (s_[i].rest)
                continue;
            onsetMarks(out[i], i, out[i].vowelStart);
            out[i].mark(Mark::Beat) = out[i].mark(note(i));
        }
        return out;
    }

    void run()
    {
        for (int i = 0; i < count(); ++i)
            if (!s_[i].rest)
                onsetMarks(a_.syllables[i], i, a_.syllables[i].vowelStart);
        keepToTheBeat();
        for (int i = 0; i < count(); ++i)
            if (!s_[i].rest)
                endMarks(i);
    }

private:
    int count() const { return int(std::min(s_.size(), a_.syllables.size())); }
    double ms(int frame) const { return f_.frameMs(frame); }
    int frame(double ms) const { return f_.frameAt(ms); }
    Mark note(int i) const { return onsetMark(s_[i].consonantClass(), startsFromSilence(a_, s_, i)); }

    // The onset marks of syllable i, looked for around vowelStart (ms),
    // into st.
    void onsetMarks(SyllableTimes &st, int i, double vowelStart)
    {
        const Steady vowel = steadyPart(f_, vowelStart, std::max(vowelStart, st.vowelEnd), p_);
        int lo = frame(vowelStart - p_.beforeMs);
        if (i > 0 && !s_[i - 1].rest) {
            const SyllableTimes &prev = a_.syllables[i - 1];
            lo = std::max(lo, frame((prev.vowelStart + prev.vowelEnd) / 2));
        }
        const int hi = std::min(frame(vowelStart + p_.afterMs), vowel.from);
        if (hi - lo < 2) {
            for (Mark m : {Mark::LevelRise, Mark::EarlyChange, Mark::MidChange, Mark::Release, Mark::Closing, Mark::ConsonantStart})
                st.mark(m) = vowelStart;
            return;
        }
        const bool fromSilence = startsFromSilence(a_, s_, i);
        const Onset o = findOnset(f_, upper_, lo, hi, vowel, fromSilence, p_);
        st.mark(Mark::LevelRise) = ms(o.levelRise);
        st.mark(Mark::EarlyChange) = ms(o.early);
        st.mark(Mark::MidChange) = ms(o.mid);
        st.mark(Mark::Release) = ms(o.release);
        st.mark(Mark::Closing) = ms(o.closing);
        double consonant = std::min(st.consonantStart, st.mark(note(i)));
        if (unvoiced(s_[i].consonantClass()))
            consonant = ms(noiseStart(f_, o.levelRise, std::max(lo, o.levelRise - frame(2 * p_.beforeMs)),
                                      fromSilence ? vowel.level - p_.silenceDb : -1e9, p_));
        st.mark(Mark::ConsonantStart) = std::min(consonant, st.mark(note(i)));
    }

    // Singers keep to a beat: the note marks of the file's syllables are
    // fitted to an even grid (a robust line through them, so that a few
    // misplaced ones do not move it); then the onsets are placed as a whole
    // over it. Each syllable gets candidates (its first look, looks around
    // the beat, the beat itself) and the path through one candidate per
    // syllable that best weighs nearness to the beat against the change of
    // spectrum at each onset is taken: a weak onset cannot pull its entry
    // onto a neighbouring change of sound, nor two onsets onto one.
    void keepToTheBeat()
    {
        std::vector<std::pair<int, double>> points;
        for (int i = 0; i < count(); ++i)
            if (!s_[i].rest && !isRepeat(s_, i))
                points.emplace_back(i, a_.syllables[i].mark(note(i)));
        std::vector<double> slopes;
        for (size_t p = 0; p < points.size(); ++p)
            for (size_t q = p + 1; q < points.size(); ++q)
                slopes.push_back((points[q].second - points[p].second) / (points[q].first - points[p].first));
        const double period = median(slopes);
        std::vector<double> intercepts, residuals;
        for (const auto &[i, t] : points)
            intercepts.push_back(t - period * i);
        const double start = median(intercepts);
        for (const auto &[i, t] : points)
            residuals.push_back(std::abs(t - start - period * i));
        const double spreadMs = median(residuals);
        const bool believed = points.size() >= 3 && period >= p_.minBeatMs && period <= p_.maxBeatMs
                              && spreadMs <= p_.beatSpreadMs;
        a_.beat = believed;
        // A median absolute distance scaled to a standard deviation.
        const double spread = std::max(p_.minGridSpreadMs, 1.4826 * spreadMs);

        std::vector<int> sung;
        std::vector<std::vector<Candidate>> candidates;
        for (int i = 0; i < count(); ++i) {
            if (s_[i].rest)
                continue;
            SyllableTimes &st = a_.syllables[i];
            const double beat = believed ? start + period * i : st.mark(note(i));
            st.mark(Mark::Beat) = beat;
            // The first note after a rest is where its sound starts,
            // whatever the beat: singers come in early or late after a
            // breath. A vowel sung again is placed by the beat alone.
            const bool onGrid = believed && i > 0 && !s_[i - 1].rest && !isRepeat(s_, i);
            std::vector<Candidate> c{{st, onGrid, true}};
            if (onGrid) {
                for (double shift : {0.0, -period / 4, period / 4}) {
                    if (beat + shift >= st.vowelEnd)
                        continue;
                    Candidate look{st, true, false};
                    onsetMarks(look.times, i, beat + shift);
                    addCandidate(c, look, i);
                }
                // Nothing near the beat may look like this syllable's
                // onset: then the beat is the best guess.
                Candidate onBeat = c.back();
                onBeat.times.mark(note(i)) = beat;
                onBeat.times.mark(Mark::ConsonantStart) = std::min(onBeat.times.mark(Mark::ConsonantStart), beat);
                onBeat.aligned = false;
                addCandidate(c, onBeat, i);
            }
            sung.push_back(i);
            candidates.push_back(std::move(c));
        }
        const double typical = typicalChange(sung, candidates);
        for (size_t k = 0; k < sung.size(); ++k)
            for (Candidate &c : candidates[k])
                c.cost = costOf(c, sung[k], typical, spread);
        choose(sung, candidates);
        for (int i : sung)
            a_.syllables[i].unmarked = !believed && isRepeat(s_, i);
        for (size_t k = 0; k < sung.size(); ++k) {
            SyllableTimes &st = a_.syllables[sung[k]];
            const double beat = st.mark(Mark::Beat);
            const double offset = std::abs(st.mark(note(sung[k])) - beat);
            const bool onGrid = candidates[k].front().onGrid;
            st.offBeat = onGrid && offset > p_.offBeatMs;
            st.clarity = isRepeat(s_, sung[k]) || typical <= 0 ? 1 : changeNear(st.mark(note(sung[k]))) / typical;
        }
    }

    struct Candidate {
        SyllableTimes times;
        bool onGrid = false;   // weighed against the beat
        bool aligned = false;  // the first look, where the aligner put it
        double cost = 0;
    };

    void addCandidate(std::vector<Candidate> &list, const Candidate &c, int i) const
    {
        const double t = c.times.mark(note(i));
        for (const Candidate &other : list)
            if (std::abs(other.times.mark(note(i)) - t) < p_.sameCandidateMs)
                return;
        list.push_back(c);
    }

    // The strongest change of spectrum within evidenceReachMs of a time.
    double changeNear(double ms) const
    {
        const int reach = std::max(0, frame(p_.evidenceReachMs));
        const int t = frame(ms);
        float best = 0;
        for (int u = std::max(0, t - reach); u <= std::min(f_.frames - 1, t + reach); ++u)
            best = std::max(best, change_[size_t(u)]);
        return best;
    }

    // The median change at the file's first looks: what an onset of this
    // singer in this recording sounds like.
    double typicalChange(const std::vector<int> &sung, const std::vector<std::vector<Candidate>> &candidates) const
    {
        std::vector<double> v;
        for (size_t k = 0; k < sung.size(); ++k)
            if (!isRepeat(s_, sung[k]))
                v.push_back(changeNear(candidates[k].front().times.mark(note(sung[k]))));
        return median(v);
    }

    double costOf(const Candidate &c, int i, double typical, double spread) const
    {
        const double t = c.times.mark(note(i));
        double cost = c.aligned ? -p_.alignedBonus : 0;
        if (c.onGrid) {
            const double z = (t - c.times.mark(Mark::Beat)) / spread;
            cost += p_.gridWeight * std::log1p(z * z);
            if (typical > 0)
                cost -= p_.evidenceWeight * std::log(std::clamp(changeNear(t) / typical, 0.05, 20.0));
        }
        return cost;
    }

    // The cheapest path through one candidate per sung syllable with the
    // onsets in order; each syllable gets the chosen candidate and the
    // margin by which its best rival (one far enough away) loses.
    void choose(const std::vector<int> &sung, const std::vector<std::vector<Candidate>> &candidates)
    {
        const size_t n = sung.size();
        if (n == 0)
            return;
        // A pair of onsets too close (or out of order) costs so much that
        // a path avoids it where any other exists.
        auto pair = [&](size_t k, int a, int b) {
            const double t0 = candidates[k - 1][size_t(a)].times.mark(note(sung[k - 1]));
            const double t1 = candidates[k][size_t(b)].times.mark(note(sung[k]));
            return t1 - t0 < p_.minOnsetGapMs ? 1e3 : 0.0;
        };
        std::vector<std::vector<double>> forward(n), backward(n);
        std::vector<std::vector<int>> from(n);
        for (size_t k = 0; k < n; ++k) {
            const auto &cs = candidates[k];
            forward[k].assign(cs.size(), 0);
            from[k].assign(cs.size(), 0);
            for (int b = 0; b < int(cs.size()); ++b) {
                double best = k == 0 ? 0 : std::numeric_limits<double>::infinity();
                for (int a = 0; k > 0 && a < int(candidates[k - 1].size()); ++a)
                    if (const double v = forward[k - 1][size_t(a)] + pair(k, a, b); v < best) {
                        best = v;
                        from[k][size_t(b)] = a;
                    }
                forward[k][size_t(b)] = best + cs[size_t(b)].cost;
            }
        }
        for (size_t k = n; k-- > 0;) {
            const auto &cs = candidates[k];
            backward[k].assign(cs.size(), 0);
            for (int a = 0; a < int(cs.size()); ++a) {
                double best = k + 1 == n ? 0 : std::numeric_limits<double>::infinity();
                for (int b = 0; k + 1 < n && b < int(candidates[k + 1].size()); ++b)
                    best = std::min(best, backward[k + 1][size_t(b)] + pair(k + 1, a, b));
                backward[k][size_t(a)] = best + cs[size_t(a)].cost;
            }
        }
        std::vector<int> path(n);
        path[n - 1] = int(std::min_element(forward[n - 1].begin(), forward[n - 1].end()) - forward[n - 1].begin());
        for (size_t k = n - 1; k > 0; --k)
            path[k - 1] = from[k][size_t(path[k])];
        for (size_t k = 0; k < n; ++k) {
            const auto &cs = candidates[k];
            const int i = sung[k];
            auto through = [&](int c) { return forward[k][size_t(c)] + backward[k][size_t(c)] - cs[size_t(c)].cost; };
            const Candidate &chosen = cs[size_t(path[k])];
            double margin = std::numeric_limits<double>::infinity();
            for (int c = 0; c < int(cs.size()); ++c)
                if (std::abs(cs[size_t(c)].times.mark(note(i)) - chosen.times.mark(note(i))) >= p_.rivalApartMs)
                    margin = std::min(margin, through(c) - through(path[k]));
            a_.syllables[i] = chosen.times;
            a_.syllables[i].margin = margin;
        }
    }

    // Where the vowel fades and stops: before the next consonant, or, before
    // a rest or the end, where its level falls away.
    void endMarks(int i)
    {
        SyllableTimes &st = a_.syllables[i];
        const bool last = i + 1 == count() || s_[i + 1].rest || a_.syllables[i + 1].pauseBefore;
        if (!last) {
            const double next = a_.syllables[i + 1].mark(Mark::ConsonantStart);
            st.mark(Mark::VowelEnd) = st.mark(Mark::VowelFall) = std::max(st.mark(note(i)), next);
            return;
        }
        // Singers often sing a held vowel softer towards its end: the level
        // it falls from is the one just before the alignment's end of it.
        const double onset = st.mark(note(i));
        const int from = frame(std::max(onset + p_.levelBeforeEndMs / 5, st.vowelEnd - p_.levelBeforeEndMs));
        const int to = std::max(from + 1, frame(st.vowelEnd - p_.levelBeforeEndMs / 5));
        std::vector<double> levels;
        for (int t = from; t < std::min(to, f_.frames); ++t)
            levels.push_back(f_.energyDb[size_t(t)]);
        const double steady = median(levels);
        const int limit = i + 1 < count() && !s_[i + 1].rest ? frame(a_.syllables[i + 1].mark(Mark::ConsonantStart))
                                                             : std::min(f_.frames - 1, frame(st.vowelEnd + p_.beforeMs));
        int fall = from, end = from, fading = from;
        for (int t = from; t <= limit; ++t) {
            const double level = f_.energyDb[size_t(t)];
            if (level >= steady - p_.fadeDb)
                fading = t;
            if (level >= steady - p_.fallDb)
                fall = t;
            if (level >= steady - p_.endDb)
                end = t;
        }
        st.fadeMs = ms(fall) - ms(std::min(fading, fall));
        st.mark(Mark::VowelFall) = ms(fall + 1);
        st.mark(Mark::VowelEnd) = std::max(ms(fall + 1), ms(end + 1));
    }

    FileAlignment &a_;
    const WaveFeatures &f_;
    const QList<Syllable> &s_;
    const LandmarkParams &p_;
    std::vector<float> change_;  // spectralChange over evidenceSpanMs
    std::vector<float> upper_;   // upperLevels
};

}  // namespace

Mark noteMark(const FileAlignment &a, const QList<Syllable> &s, int i)
{
    if (isRepeat(s, i) && a.beat)
        return Mark::Beat;
    return onsetMark(s[i].consonantClass(), startsFromSilence(a, s, i));
}

bool startsFromSilence(const FileAlignment &a, const QList<Syllable> &s, int i)
{
    return i == 0 || s[i - 1].rest || (i < a.syllables.size() && a.syllables[i].pauseBefore);
}

void placeLandmarks(FileAlignment &alignment, const WaveFeatures &features, const QList<Syllable> &syllables,
                    const LandmarkParams &params)
{
    if (!alignment.ok || features.frames < 4)
        return;
    FileMarks(alignment, features, syllables, params).run();
}

QList<SyllableTimes> firstLooks(const FileAlignment &alignment, const WaveFeatures &features, const QList<Syllable> &syllables,
                               const LandmarkParams &params)
{
    if (!alignment.ok || features.frames < 4)
        return alignment.syllables;
    FileAlignment copy = alignment;
    return FileMarks(copy, features, syllables, params).firstLooks();
}

namespace {

// The frame within reach of t where the mean spectrum of the span frames
// before differs most from that of the span frames after (spectralChange),
// and how much.
struct StrongestChange {
    int frame;
    double change;
};
StrongestChange strongestChange(const WaveFeatures &f, int t, int reach, int span)
{
    const int from = std::max(0, t - reach);
    const std::vector<float> change = spectralChange(f, span, from, t + reach + 1);
    if (change.empty())
        return {t, 0.0};
    const auto top = std::max_element(change.begin(), change.end());
    return {from + int(top - change.begin()), *top};
}

// Where one sound has turned into the next: the first frame in [from, to)
// whose spectrum has come at least `share` of the way from the first
// sound's to the second's. The first sound's spectrum is the mean of the
// frames [fromBegin, from), the second's that of [toBegin, to). Nothing
// when either stretch is empty, when they overlap, or when no frame comes
// that far.
std::optional<int> halfwayBetween(const WaveFeatures &f, int fromBegin, int from, int toBegin, int to, double share)
{
    fromBegin = std::max(0, fromBegin);
    to = std::min(f.frames, to);
    if (from <= fromBegin || to <= toBegin || toBegin < from)
        return std::nullopt;
    const std::vector<float> first = meanSpectrum(f, fromBegin, from), second = meanSpectrum(f, toBegin, to);
    for (int t = from; t < to; ++t) {
        const double fromFirst = distanceAt(f, t, first), fromSecond = distanceAt(f, t, second);
        if (fromFirst >= share * (fromFirst + fromSecond))
            return t;
    }
    return std::nullopt;
}

// Where a vowel turning into an l has come lHalfwayShare of the way from
// the vowel's own spectrum to the l's (see LandmarkParams); `aligned` when
// either is too short to tell.
double halfwayIntoL(const WaveFeatures &f, double vowelStart, double aligned, double lEnd, const LandmarkParams &p)
{
    const int start = f.frameAt(vowelStart), length = f.frameAt(aligned) - start;
    const int vowelFrom = start + int(p.lVowelFromShare * length), vowelTo = start + int(p.lVowelToShare * length);
    const std::optional<int> t =
        halfwayBetween(f, vowelFrom, vowelTo, f.frameAt(lEnd - p.lLastMs), f.frameAt(lEnd - p.lLastGapMs), p.lHalfwayShare);
    return t ? f.frameMs(*t) : aligned;
}

// Where a liquid or glide that starts at glideStart has turned into the
// vowel the alignment starts at `aligned` (see LandmarkParams::
// glideHalfwayShare); `fallback` when either is too short to tell.
double halfwayOutOfGlide(const WaveFeatures &f, double glideStart, double aligned, double vowelEnd, double fallback,
                         const LandmarkParams &p)
{
    const double length = aligned - glideStart;
    const std::optional<int> t =
        halfwayBetween(f, f.frameAt(glideStart + p.glideFromShare * length), f.frameAt(glideStart + p.glideToShare * length),
                       f.frameAt(aligned + p.glideVowelFromMs), f.frameAt(std::min(aligned + p.glideVowelToMs, vowelEnd)),
                       p.glideHalfwayShare);
    return t ? f.frameMs(*t) : fallback;
}

// The frame in [from, to] where the band levels rise most since the frame
// before: the burst of a stop.
int strongestRise(const WaveFeatures &f, int from, int to)
{
    int best = from;
    for (int t = from; t <= to; ++t)
        if (f.flux[size_t(t)] > f.flux[size_t(best)])
            best = t;
    return best;
}

// Where in [fromMs, toMs] the level falls fastest; toMs when the stretch
// is too short to tell.
double fastestFall(const WaveFeatures &f, double fromMs, double toMs, const LandmarkParams &p)
{
    const int lo = std::max(0, f.frameAt(fromMs)), hi = std::min(f.frames - 1, f.frameAt(toMs));
    if (hi - lo <= 2 * p.riseFrames)
        return toMs;
    return f.frameMs(fastestRise(f.energyDb, lo, hi, p, -1));
}

// Whether frame t sounds like a fricative's noise (see
// LandmarkParams::noiseShare).
bool noiseAt(const WaveFeatures &f, int t, const LandmarkParams &p)
{
    return f.highRatio[size_t(t)] > p.noiseShare;
}

// Where noise first follows a vowel that starts at vowelStartMs, when that
// is well before `aligned` (see LandmarkParams::noiseShare); else aligned.
double firstNoise(const WaveFeatures &f, double vowelStartMs, double aligned, const LandmarkParams &p)
{
    const int run = std::max(1, f.frameAt(p.noiseRunMs));
    const int from = f.frameAt(vowelStartMs + p.noiseAfterVowelMs), to = f.frameAt(aligned);
    if (to - from < run)
        return aligned;
    const float loudest = *std::max_element(f.energyDb.begin() + from, f.energyDb.begin() + to);
    auto noisy = [&](int t) {
        return noiseAt(f, t, p) && f.energyDb[size_t(t)] > loudest - p.noiseBelowDb;
    };
    for (int t = from; t + run <= to; ++t) {
        int u = t;
        while (u < t + run && noisy(u))
            ++u;
        if (u == t + run)
            return f.frameMs(t) < aligned - p.noiseEarlierMs ? f.frameMs(t) : aligned;
    }
    return aligned;
}

// The last frame of a fricative's noise in [from, fall], when it comes
// well before fall (see LandmarkParams::noiseEndsBeforeFallMs); else fall.
int lastNoise(const WaveFeatures &f, int from, int fall, const LandmarkParams &p)
{
    for (int t = fall; t >= from; --t)
        if (noiseAt(f, t, p))
            return t < fall - f.frameAt(p.noiseEndsBeforeFallMs) ? t : fall;
    return fall;
}

}  // namespace

double changeNear(const WaveFeatures &f, double ms, double spanMs, double reachMs)
{
    return strongestChange(f, f.frameAt(ms), std::max(0, f.frameAt(reachMs)), std::max(1, f.frameAt(spanMs))).change;
}

void placePhonemeMarks(FileAlignment &alignment, const WaveFeatures &f, const QStringList &phonemes, const LandmarkParams &p)
{
    if (!alignment.ok || f.frames < 4)
        return;
    const int count = int(std::min(phonemes.size(), alignment.syllables.size()));
    const int reach = std::max(1, f.frameAt(p.changeReachMs));
    const int span = std::max(1, f.frameAt(p.changeSpanMs));
    for (int i = 0; i < count; ++i) {
        SyllableTimes &st = alignment.syllables[i];
        if (phonemes[i] == u"-")
            continue;
        const bool afterSilence = i == 0 || phonemes[i - 1] == u"-" || st.pauseBefore;
        double start = st.consonantStart;
        if (!afterSilence)
            start = f.frameMs(strongestChange(f, f.frameAt(start), reach, span).frame);
        if (st.heldStart >= 0)
            start += (st.heldStart - start) * p.heldLiquidShare;
        const bool afterVowel = i > 0 && phonemeClass(phonemes[i - 1]) == PhonemeClass::Vowel;
        // A fricative after a vowel, whether or not the alignment put a
        // pause between them.
        if (afterVowel && phonemeClass(phonemes[i]) == PhonemeClass::Fricative)
            start = firstNoise(f, alignment.syllables[i - 1].vowelStart, start, p);
        if (!afterSilence && phonemeClass(phonemes[i]) == PhonemeClass::Vowel && glides(phonemes[i - 1]))
            start = halfwayOutOfGlide(f, alignment.syllables[i - 1].consonantStart, st.consonantStart, st.vowelEnd, start, p);
        if (afterVowel && !afterSilence && phonemes[i] == u"l") {
            const double end = i + 1 < count && phonemes[i + 1] != u"-" ? alignment.syllables[i + 1].consonantStart : st.vowelEnd;
            start = halfwayIntoL(f, alignment.syllables[i - 1].mark(Mark::ConsonantStart), start, end, p);
        }
        if (!afterSilence && i > 0 && closes(phonemes[i]) && phonemeClass(phonemes[i - 1]) == PhonemeClass::Fricative)
            start = fastestFall(f, start - p.closureReachMs, start, p);
        const double own = std::max(start, st.vowelStart);
        st.mark(Mark::ConsonantStart) = start;
        for (Mark m : {Mark::LevelRise, Mark::EarlyChange, Mark::MidChange, Mark::Release, Mark::Closing, Mark::Beat})
            st.mark(m) = own;
        st.mark(Mark::VowelFall) = st.mark(Mark::VowelEnd) = std::max(own, st.vowelEnd);
    }
    // Phonemes ending in silence: where their level falls away.
    for (int i = 0; i < count; ++i) {
        if (phonemes[i] == u"-" || (i + 1 < count && phonemes[i + 1] != u"-"))
            continue;
        SyllableTimes &st = alignment.syllables[i];
        const int from = f.frameAt(st.mark(Mark::ConsonantStart));
        const int to = std::max(from + 1, f.frameAt(st.vowelEnd));
        std::vector<double> levels;
        for (int t = from; t < std::min(to, f.frames); ++t)
            levels.push_back(f.energyDb[size_t(t)]);
        const double steady = median(levels);
        const int limit = std::min(f.frames - 1, f.frameAt(st.vowelEnd + p.beforeMs));
        int fall = from, end = from;
        for (int t = from; t <= limit; ++t) {
            if (f.energyDb[size_t(t)] >= steady - p.fallDb)
                fall = t;
            if (f.energyDb[size_t(t)] >= steady - p.endDb)
                end = t;
        }
        if (phonemeClass(phonemes[i]) == PhonemeClass::Fricative)
            fall = std::min(fall, lastNoise(f, from, fall, p));
        st.mark(Mark::VowelFall) = f.frameMs(fall + 1);
        st.mark(Mark::VowelEnd) = std::max(f.frameMs(fall + 1), f.frameMs(end + 1));
        // A stop or affricate into silence is a closure, then a burst and
        // its breath: the burst is where the band levels rise most.
        if (closes(phonemes[i]))
            st.mark(Mark::Release) = f.frameMs(strongestRise(f, from, std::max(from, std::min(f.frames - 1, fall + 1))));
    }
}

}  // namespace analysis
