#include "analysis/Boundaries.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace analysis {

namespace {

// How far a boundary may move from where the alignment put it.
constexpr double kSearchMs = 100.0;
// A vowel has started when its level is within this of the vowel's steady
// level and the voice is periodic.
constexpr double kRiseDb = 6.0;
constexpr double kVoicedPeriodicity = 0.6;
// The spectra compared before and after a candidate boundary.
constexpr int kChangeFrames = 6;
// A spectrum has settled when it changes at less than this share of its
// fastest change.
constexpr double kSettled = 0.25;

double percentile(std::vector<float> v, double q)
{
    if (v.empty())
        return -100;
    const size_t k = size_t(q * double(v.size() - 1));
    std::nth_element(v.begin(), v.begin() + qsizetype(k), v.end());
    return v[k];
}

double levelOver(const WaveFeatures &f, int from, int to, double q)
{
    from = std::clamp(from, 0, f.frames);
    to = std::clamp(to, from, f.frames);
    return percentile(std::vector<float>(f.energyDb.begin() + from, f.energyDb.begin() + to), q);
}

// After a consonant: the first voiced frame past the quietest point that
// comes back within kRiseDb of the vowel's level.
int riseAfterDip(const WaveFeatures &f, int lo, int hi, int aligned)
{
    const int dipEnd = std::min(hi, aligned + f.frameAt(40.0));
    int dip = lo;
    for (int t = lo; t <= dipEnd; ++t)
        if (f.energyDb[size_t(t)] < f.energyDb[size_t(dip)])
            dip = t;
    const double vowelLevel = levelOver(f, aligned, aligned + f.frameAt(150.0), 0.9);
    for (int t = dip + 1; t <= hi; ++t)
        if (f.energyDb[size_t(t)] >= vowelLevel - kRiseDb && f.periodicity[size_t(t)] >= kVoicedPeriodicity)
            return t;
    return aligned;
}

// How much the band levels just before and just after frame t differ.
double changeAt(const WaveFeatures &f, int t)
{
    if (t < kChangeFrames || t > f.frames - kChangeFrames)
        return 0;
    double d = 0;
    for (int b = 0; b < f.bandCount; ++b) {
        double before = 0, after = 0;
        for (int k = 1; k <= kChangeFrames; ++k) {
            before += f.bands(t - k)[b];
            after += f.bands(t + k - 1)[b];
        }
        const double diff = (after - before) / kChangeFrames;
        d += diff * diff;
    }
    return d;
}

// Between two vowels: the frame where the spectrum changes most.
int spectralChange(const WaveFeatures &f, int lo, int hi)
{
    double best = -1;
    int at = (lo + hi) / 2;
    for (int t = lo; t <= hi; ++t)
        if (const double d = changeAt(f, t); d > best) {
            best = d;
            at = t;
        }
    return at;
}

// After a glide: where the spectrum has settled, past its fastest change.
int settledAfterChange(const WaveFeatures &f, int lo, int hi)
{
    const int peak = spectralChange(f, lo, hi);
    const double top = changeAt(f, peak);
    for (int t = peak + 1; t <= hi; ++t)
        if (changeAt(f, t) < kSettled * top)
            return t;
    return peak;
}

// After a nasal: its release, the fastest change of spectrum after the
// quietest point of the murmur.
int releaseAfterMurmur(const WaveFeatures &f, int lo, int hi, int aligned)
{
    const int dipEnd = std::min(hi, aligned + f.frameAt(40.0));
    int dip = lo;
    for (int t = lo; t <= dipEnd; ++t)
        if (f.energyDb[size_t(t)] < f.energyDb[size_t(dip)])
            dip = t;
    return spectralChange(f, dip, std::min(hi, dip + f.frameAt(120.0)));
}

// After an unvoiced consonant: the end of its noise or silence, then the
// first frame that is voiced and near the vowel's level.
int voicingAfterNoise(const WaveFeatures &f, int lo, int hi, int aligned)
{
    const int searchEnd = std::min(hi, aligned + f.frameAt(40.0));
    int lastUnvoiced = -1;
    for (int t = lo; t <= searchEnd; ++t)
        if (f.periodicity[size_t(t)] < 0.5 || f.highRatio[size_t(t)] > 0.3)
            lastUnvoiced = t;
    if (lastUnvoiced < 0)
        return riseAfterDip(f, lo, hi, aligned);
    const double vowelLevel = levelOver(f, lastUnvoiced, lastUnvoiced + f.frameAt(150.0), 0.9);
    for (int t = lastUnvoiced + 1; t <= std::min(f.frames - 1, lastUnvoiced + f.frameAt(kSearchMs)); ++t)
        if (f.energyDb[size_t(t)] >= vowelLevel - kRiseDb && f.periodicity[size_t(t)] >= kVoicedPeriodicity)
            return t;
    return lastUnvoiced + 1;
}

// Where the unvoiced stretch before a vowel start begins: back from it
// while the frames are noise, silence or unvoiced.
int noiseStart(const WaveFeatures &f, int vowelStart, int earliest)
{
    int t = vowelStart - 1;
    while (t > earliest && t > 0) {
        const size_t k = size_t(t - 1);
        if (f.periodicity[k] >= 0.5 && f.highRatio[k] <= 0.3)
            break;
        --t;
    }
    return std::max(0, t);
}

bool unvoiced(ConsonantClass c)
{
    return c == ConsonantClass::UnvoicedPlosive || c == ConsonantClass::UnvoicedFricative || c == ConsonantClass::Affricate;
}

bool changesOnlyInSpectrum(ConsonantClass c)
{
    return c == ConsonantClass::None || c == ConsonantClass::Glide || c == ConsonantClass::MoraicNasal;
}

// Nothing in the sound marks where a vowel sung again on the same vowel
// starts; the singer's beat does. Such a start is put one beat before the
// next syllable's (or after the previous one's at the end), the beat being
// the file's usual distance between syllables.
void keepTheBeat(FileAlignment &a, const QList<Syllable> &s)
{
    auto repeated = [&](int i) {
        return i > 0 && !s[i].rest && !s[i - 1].rest && s[i].consonant.isEmpty() && s[i].vowel == s[i - 1].vowel
               && !a.syllables[i].pauseBefore;
    };
    std::vector<double> gaps;
    for (int i = 1; i < s.size(); ++i)
        if (!s[i].rest && !s[i - 1].rest && !repeated(i) && !repeated(i - 1) && !a.syllables[i].pauseBefore)
            gaps.push_back(a.syllables[i].vowelStart - a.syllables[i - 1].vowelStart);
    if (gaps.size() < 2)
        return;
    std::nth_element(gaps.begin(), gaps.begin() + qsizetype(gaps.size() / 2), gaps.end());
    const double beat = gaps[gaps.size() / 2];
    for (int i = 1; i < s.size(); ++i) {
        if (!repeated(i))
            continue;
        SyllableTimes &st = a.syllables[i];
        const double before = a.syllables[i - 1].vowelStart;
        const bool nextKnown = i + 1 < s.size() && !s[i + 1].rest && !repeated(i + 1);
        double at = nextKnown ? a.syllables[i + 1].vowelStart - beat : before + beat;
        const double latest = nextKnown ? a.syllables[i + 1].consonantStart - 40 : st.vowelEnd - 40;
        at = std::clamp(at, before + 60, std::max(before + 60, latest));
        st.vowelStart = st.consonantStart = at;
        a.syllables[i - 1].vowelEnd = at;
    }
}

}  // namespace

void refineBoundaries(FileAlignment &a, const WaveFeatures &f, const QList<Syllable> &syllables)
{
    if (!a.ok || f.frames < 4)
        return;
    auto frameOf = [&](double ms) { return f.frameAt(ms); };
    auto msOf = [&](int frame) { return f.frameMs(frame); };
    const int reach = frameOf(kSearchMs);
    for (int i = 0; i < syllables.size() && i < a.syllables.size(); ++i) {
        if (syllables[i].rest)
            continue;
        SyllableTimes &st = a.syllables[i];
        const int aligned = frameOf(st.vowelStart);
        const int prevStart = i > 0 ? frameOf(a.syllables[i - 1].vowelStart) + frameOf(40.0) : 0;
        const int lo = std::max({0, aligned - reach, prevStart});
        const int hi = std::min({f.frames - 1, aligned + reach, frameOf(st.vowelEnd) - frameOf(30.0)});
        if (hi <= lo)
            continue;
        const bool fromSilence = i == 0 || syllables[i - 1].rest || st.pauseBefore;
        const ConsonantClass cc = syllables[i].consonantClass();
        int found = aligned;
        if (unvoiced(cc)) {
            found = voicingAfterNoise(f, std::max(0, std::min(lo, frameOf(st.consonantStart))), hi, aligned);
            st.consonantStart = msOf(noiseStart(f, found, std::max(prevStart, found - 2 * reach)));
        }
        else if (cc == ConsonantClass::Glide && !fromSilence)
            found = settledAfterChange(f, lo, hi);
        else if (cc == ConsonantClass::Nasal && !fromSilence)
            found = releaseAfterMurmur(f, lo, hi, aligned);
        else if (changesOnlyInSpectrum(cc) && !fromSilence)
            found = spectralChange(f, lo, hi);
        else
            found = riseAfterDip(f, lo, hi, aligned);
        st.vowelStart = msOf(found);
        st.consonantStart = std::min(st.consonantStart, st.vowelStart);
        if (i > 0 && !syllables[i - 1].rest)
            a.syllables[i - 1].vowelEnd = std::min(a.syllables[i - 1].vowelEnd, st.consonantStart);
    }
    keepTheBeat(a, syllables);
    // A vowel before silence ends where its level has fallen well below
    // its steady level.
    for (int i = 0; i < syllables.size() && i < a.syllables.size(); ++i) {
        if (syllables[i].rest || !(i + 1 == syllables.size() || syllables[i + 1].rest))
            continue;
        SyllableTimes &st = a.syllables[i];
        const int end = frameOf(st.vowelEnd);
        const double level = levelOver(f, frameOf(st.vowelStart), end, 0.9);
        int last = std::max(frameOf(st.vowelStart), end - reach);
        for (int t = last; t <= std::min(f.frames - 1, end + reach); ++t)
            if (f.energyDb[size_t(t)] >= level - 2 * kRiseDb)
                last = t;
        st.vowelEnd = msOf(last + 1);
    }
}

}  // namespace analysis
