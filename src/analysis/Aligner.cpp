#include "analysis/Aligner.h"

#include "analysis/Landmarks.h"
#include "analysis/Parallel.h"
#include "analysis/Phonemes.h"
#include "core/Statistics.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <numbers>

namespace analysis {

namespace {

constexpr double kNegInf = -std::numeric_limits<double>::infinity();

enum class Role { Lead, Pause, Closure, Consonant, Vowel, Rest, Trail };

QString classModel(ConsonantClass c) { return QStringLiteral("C%1").arg(int(c)); }

bool voicedStop(const QString &phoneme) { return phoneme == u"b" || phoneme == u"d" || phoneme == u"g" || phoneme == u"jh"; }

// A liquid the singer may hold: after a vowel, and not before one.
bool codaLiquid(const QStringList &phonemes, qsizetype i)
{
    return phonemeClass(phonemes[i]) == PhonemeClass::Liquid && i > 0 && phonemeClass(phonemes[i - 1]) == PhonemeClass::Vowel
           && (i + 1 == phonemes.size() || phonemeClass(phonemes[i + 1]) != PhonemeClass::Vowel);
}

}  // namespace

struct Aligner::Phone {
    QString model;
    QString fallback;  // the class model, for sounds too rare to learn alone
    Role role;
    int syllable;
    int minFrames;
    bool optional;
    int maxFrames = 0;  // 0: as long as it takes
};

struct Aligner::Observations {
    int frames = 0;
    int takeFirst = 0, takeLast = -1;  // where the take lies (WaveFeatures::takeFirst)
    std::vector<float> x;  // frames x kDims
    const float *at(int t) const { return x.data() + qsizetype(t) * kDims; }
};

// The states an alignment walks through, frame by frame. Each phone is a
// chain of states, one per frame: as long as its longest duration when it
// has one, else as long as its shortest with the last state repeating. It
// may be left from any state past its shortest duration, into the next
// phone or, past optional ones, a later one.
//
// A frame's scores are kept for a span of phones, first to last; every
// state of a phone outside it holds -inf.
struct Aligner::Lattice {
    struct Span {
        int first = 0, last = -1;
    };
    std::vector<int> minFrames, length, firstState;
    std::vector<bool> repeats;
    std::vector<double> enterCost;           // a pause's penalty, paid on entering it
    std::vector<std::vector<int>> entries;   // per phone, the phones that may come right before it
    std::vector<int> lastExit;               // per phone, the furthest phone that may come right after it (itself: none)
    std::vector<int> stateModel;             // per state, its phone
    int states = 0;

    // shrink: the share of each shortest duration kept, where the wave is
    // too short for all of them.
    Lattice(const std::vector<Phone> &phones, double shrink, double pausePenalty)
    {
        const int count = int(phones.size());
        for (int k = 0; k < count; ++k) {
            const Phone &p = phones[size_t(k)];
            minFrames.push_back(std::max(1, int(p.minFrames * shrink)));
            length.push_back(p.maxFrames > 0 ? std::max(minFrames.back(), p.maxFrames) : minFrames.back());
            firstState.push_back(states);
            states += length.back();
            repeats.push_back(p.maxFrames <= 0);
            enterCost.push_back(p.role == Role::Pause ? pausePenalty : 0.0);
            stateModel.insert(stateModel.end(), size_t(length.back()), k);
        }
        entries.resize(size_t(count));
        lastExit.resize(size_t(count));
        for (int k = 0; k < count; ++k) {
            lastExit[size_t(k)] = k;
            for (int q = k + 1; q < count; ++q) {
                entries[size_t(q)].push_back(k);
                lastExit[size_t(k)] = q;
                if (!phones[size_t(q)].optional)
                    break;
            }
        }
    }
    int count() const { return int(length.size()); }

    // The states of a span's phones, first and one past the last.
    int spanBegin(Span span) const { return span.first > span.last ? 0 : firstState[size_t(span.first)]; }
    int spanEnd(Span span) const
    {
        return span.first > span.last ? 0 : firstState[size_t(span.last)] + length[size_t(span.last)];
    }
    template<typename T>
    void clear(std::vector<T> &scores, Span span) const
    {
        std::fill(scores.begin() + spanBegin(span), scores.begin() + spanEnd(span), T(kNegInf));
    }

    // A value per frame and phone, kept for each frame's span of phones
    // only: on a long recording a frame reaches a few of its phones, and a
    // full table would grow with the length times all of them.
    template<typename T>
    class Table {
    public:
        Table() = default;
        Table(const std::vector<Span> &spans, T outside) : spans_(spans), outside_(outside)
        {
            offsets_.reserve(spans.size() + 1);
            size_t size = 0;
            for (const Span &s : spans) {
                offsets_.push_back(size);
                size += size_t(std::max(0, s.last - s.first + 1));
            }
            offsets_.push_back(size);
            values_.assign(size, outside);
        }
        // Phone k at frame t; outside its span, the value it was made with.
        T at(int t, int k) const
        {
            const Span s = spans_[size_t(t)];
            return k < s.first || k > s.last ? outside_ : values_[offsets_[size_t(t)] + size_t(k - s.first)];
        }
        // Frame t's row, indexed from the first phone of its span.
        T *row(int t) { return values_.data() + offsets_[size_t(t)]; }
        int first(int t) const { return spans_[size_t(t)].first; }

    private:
        std::vector<Span> spans_;
        std::vector<size_t> offsets_;
        std::vector<T> values_;
        T outside_{};
    };

    // The best score of a path through each phone at each frame, for the
    // phones of the frame's span (-inf elsewhere): the forward scores
    // (forwardAt(t), a frame's states, asked for from the last frame back,
    // kept for spans[t]) plus the best way on from there to the last state
    // at the last frame.
    template<typename ForwardAt, typename Emission>
    Table<float> throughScores(ForwardAt forwardAt, const std::vector<Span> &spans, Emission emission) const
    {
        const int n = count();
        const int frames = int(spans.size());
        std::vector<std::vector<int>> exits(static_cast<size_t>(n));  // the phones that may come right after each
        for (int q = 0; q < n; ++q)
            for (int k : entries[size_t(q)])
                exits[size_t(k)].push_back(q);
        Table<float> through(spans, float(kNegInf));
        // The best ways on, like the scores, only over the frame's span.
        std::vector<double> after(static_cast<size_t>(states), kNegInf), before(static_cast<size_t>(states), kNegInf);
        std::vector<double> em(static_cast<size_t>(n)), enter(static_cast<size_t>(n));
        after[size_t(states - 1)] = 0;
        for (int t = frames - 1; t >= 0; --t) {
            const float *fw = forwardAt(t);
            float *th = through.row(t);
            for (int s = spanBegin(spans[size_t(t)]); s < spanEnd(spans[size_t(t)]); ++s) {
                float &to = th[stateModel[size_t(s)] - through.first(t)];
                to = std::max(to, float(fw[s] + after[size_t(s)]));
            }
            if (t == 0)
                break;
            // after[] holds frame t's best ways on; make frame t-1's in
            // before[], which holds frame t+1's.
            const Span span = spans[size_t(t - 1)];
            clear(before, t + 1 < frames ? spans[size_t(t + 1)] : Span{});
            if (span.first > span.last) {
                std::swap(after, before);
                continue;
            }
            for (int q = span.first; q <= lastExit[size_t(span.last)]; ++q) {
                em[size_t(q)] = emission(q, t);
                enter[size_t(q)] = em[size_t(q)] + after[size_t(firstState[size_t(q)])] - enterCost[size_t(q)];
            }
            for (int k = span.first; k <= span.last; ++k) {
                double leave = kNegInf;
                for (int q : exits[size_t(k)])
                    leave = std::max(leave, enter[size_t(q)]);
                const int len = length[size_t(k)];
                for (int j = 0; j < len; ++j) {
                    const int s = firstState[size_t(k)] + j;
                    double v = j + 1 < len ? em[size_t(k)] + after[size_t(s + 1)] : kNegInf;
                    if (repeats[size_t(k)] && j == len - 1)
                        v = std::max(v, em[size_t(k)] + after[size_t(s)]);
                    if (j >= minFrames[size_t(k)] - 1)
                        v = std::max(v, leave);
                    before[size_t(s)] = v;
                }
            }
            std::swap(after, before);
        }
        return through;
    }
};

// A stop's closure after silence or after another stop is silence after
// silence: nothing marks where it starts, and what a labeller hears is its
// burst, the phone after it. A glottal stop has no burst: it is all closure.
bool Aligner::unheardClosure(const std::vector<Phone> &phones, int k)
{
    if (phones[size_t(k)].role != Role::Closure || k == 0 || k + 1 >= int(phones.size())
        || phones[size_t(k + 1)].syllable != phones[size_t(k)].syllable)
        return false;
    const Phone &before = phones[size_t(k - 1)];
    switch (before.role) {
    case Role::Lead:
    case Role::Pause:
    case Role::Rest:
    case Role::Closure: return true;
    case Role::Consonant: return closes(before.model);
    default: return false;
    }
}

Aligner::Observations Aligner::observe(const WaveFeatures &f) const
{
    Observations fine;
    fine.frames = f.frames;
    fine.x.assign(qsizetype(f.frames) * kDims, 0.0f);
    Observations &o = fine;
    // Levels relative to the file's loud part: singers and takes differ in
    // gain, the shape of a syllable does not.
    const double loud = f.loudDb;
    const int bands = f.bandCount;
    std::vector<double> cosTable(size_t(kCepstra * bands));
    for (int k = 1; k <= kCepstra; ++k)
        for (int b = 0; b < bands; ++b)
            cosTable[size_t((k - 1) * bands + b)] = std::cos(std::numbers::pi * k * (b + 0.5) / bands) * 2.0 / bands;
    for (int t = 0; t < f.frames; ++t) {
        float *x = o.x.data() + qsizetype(t) * kDims;
        x[Level] = float(std::max(-60.0, f.energyDb[t] - loud));
        x[Voicing] = f.periodicity[t] * 10.0f;
        x[Noise] = float(std::log10(f.highRatio[t] + 1e-4) * 5.0);
        const float *band = f.bands(t);
        for (int k = 0; k < kCepstra; ++k) {
            double c = 0;
            for (int b = 0; b < bands; ++b)
                c += band[b] * cosTable[size_t(k * bands + b)];
            x[Cepstrum1 + k] = float(c);
        }
    }
    // How far below the loudest frame around it (60 ms each way) a frame
    // is: a consonant between two vowels is a dip, whatever the level.
    const int reach = std::max(1, f.frameAt(60.0));
    for (int t = 0; t < f.frames; ++t) {
        float top = -100;
        for (int u = std::max(0, t - reach); u <= std::min(f.frames - 1, t + reach); ++u)
            top = std::max(top, f.energyDb[size_t(u)]);
        o.x[qsizetype(t) * kDims + Dip] = f.energyDb[size_t(t)] - top;
    }
    for (int t = 0; t < f.frames; ++t) {
        const int a = std::max(0, t - 2), b = std::min(f.frames - 1, t + 2);
        float *x = o.x.data() + qsizetype(t) * kDims;
        x[LevelSlope] = (o.at(b)[Level] - o.at(a)[Level]) / 2.0f;
        x[VoicingSlope] = (o.at(b)[Voicing] - o.at(a)[Voicing]) / 2.0f;
    }
    // The alignment only has to find each syllable; frames of twice the
    // hop are enough for that and make it four times cheaper. The exact
    // boundaries are found afterwards on the fine frames.
    Observations coarse;
    coarse.frames = (fine.frames + params_.step - 1) / params_.step;
    coarse.takeFirst = f.takeFirst / params_.step;
    coarse.takeLast = f.takeLast / params_.step;
    coarse.x.assign(qsizetype(coarse.frames) * kDims, 0.0f);
    for (int t = 0; t < coarse.frames; ++t) {
        const int from = t * params_.step, to = std::min(fine.frames, from + params_.step);
        float *x = coarse.x.data() + qsizetype(t) * kDims;
        for (int u = from; u < to; ++u)
            for (int d = 0; d < kDims; ++d)
                x[d] += fine.at(u)[d] / float(to - from);
    }
    return coarse;
}

// The phones of one recording as they are laid out: silence around what was
// sung, each phone's shortest and longest stretch turned from ms into frames
// of the alignment.
class Aligner::PhoneList {
public:
    PhoneList(const AlignParams &params, double frameMs) : params_(params), frameMs_(frameMs)
    {
        phones_.push_back({sil_, sil_, Role::Lead, -1, 1, false});
    }
    void rest(int syllable) { phones_.push_back({sil_, sil_, Role::Rest, syllable, frames(params_.minRestMs), false}); }
    // A pause the singer may or may not have made before a syllable.
    void pause(int syllable) { phones_.push_back({sil_, sil_, Role::Pause, syllable, frames(params_.minPauseMs), true}); }
    void closure(bool voiced, int syllable)
    {
        const QString model = voiced ? QStringLiteral("vcl") : QStringLiteral("cl");
        phones_.push_back({model, model, Role::Closure, syllable, 1, false, frames(params_.maxClosureMs)});
    }
    // A glottal stop is a catch in the voice before a vowel: silence for as
    // long as the singer holds it, and no burst. It is modelled as the
    // silence around what was sung: its long stretches would blur the
    // model of the short closures of other stops.
    void glottalStop(int syllable) { phones_.push_back({sil_, sil_, Role::Closure, syllable, 1, false}); }
    // A noisy consonant (a fricative or an affricate) lasts longer; maxMs
    // (when given) is how long this one may last.
    void consonant(const QString &model, const QString &fallback, bool noisy, int syllable, double maxMs = 0)
    {
        const double longest = maxMs > 0 ? maxMs : noisy ? params_.maxNoiseMs : params_.maxConsonantMs;
        phones_.push_back({model, fallback, Role::Consonant, syllable, frames(noisy ? params_.minNoiseMs : params_.minConsonantMs),
                           false, frames(longest)});
    }
    void vowel(const QString &model, const QString &fallback, int syllable, int minFrames)
    {
        phones_.push_back({model, fallback, Role::Vowel, syllable, minFrames, false});
    }
    std::vector<Phone> close()
    {
        phones_.push_back({sil_, sil_, Role::Trail, -1, 1, false});
        return std::move(phones_);
    }

private:
    int frames(double ms) const { return std::max(1, int(std::lround(ms / frameMs_))); }

    const AlignParams &params_;
    double frameMs_;
    const QString sil_ = QStringLiteral("sil");
    std::vector<Phone> phones_;
};

std::vector<Aligner::Phone> Aligner::phonesOf(const QList<Syllable> &syllables, int vowelFrames, double frameMs) const
{
    PhoneList p(params_, frameMs);
    for (int i = 0; i < syllables.size(); ++i) {
        const Syllable &s = syllables[i];
        if (s.rest) {
            p.rest(i);
            continue;
        }
        const ConsonantClass cc = s.consonantClass();
        if (i > 0)
            p.pause(i);
        if (cc == ConsonantClass::UnvoicedPlosive || cc == ConsonantClass::Affricate || cc == ConsonantClass::VoicedPlosive)
            p.closure(cc == ConsonantClass::VoicedPlosive, i);
        if (cc != ConsonantClass::None && cc != ConsonantClass::MoraicNasal) {
            const bool noisy = cc == ConsonantClass::UnvoicedFricative || cc == ConsonantClass::Affricate
                               || cc == ConsonantClass::VoicedFricative;
            p.consonant(s.consonant, classModel(cc), noisy, i);
        }
        const QString vowel = cc == ConsonantClass::MoraicNasal ? QStringLiteral("N") : QString(s.vowel);
        p.vowel(vowel, vowel, i, vowelFrames);
    }
    return p.close();
}

// The stretch from the first to the last loud, voiced frame of the take:
// what was sung, without the breath before it, the noise after it, or a
// rumble around it that the pitch tracker reads as voiced.
std::pair<int, int> Aligner::sungStretch(const Observations &obs)
{
    const auto loudVoiced = [&](int t) { return obs.at(t)[Level] > -25 && obs.at(t)[Voicing] > 5; };
    int first = std::clamp(obs.takeFirst, 0, std::max(0, obs.frames - 1));
    int last = std::clamp(obs.takeLast, first, std::max(0, obs.frames - 1));
    while (first < last && !loudVoiced(first))
        ++first;
    while (last > first && !loudVoiced(last))
        --last;
    return {first, last};
}

// How long an English consonant's own part (after any closure) may last,
// where it stands: a stop released into a fricative gives its burst to the
// fricative; a liquid after a vowel may be held (longCodas).
double Aligner::longestPhonemeMs(const QStringList &phonemes, int i, bool longCodas) const
{
    const QString &phoneme = phonemes[i];
    switch (phonemeClass(phoneme)) {
    case PhonemeClass::Fricative:
    case PhonemeClass::Affricate: return params_.maxNoiseMs;
    case PhonemeClass::Liquid: return longCodas && codaLiquid(phonemes, i) ? params_.codaLiquidMs : params_.maxLiquidMs;
    case PhonemeClass::Glide: return params_.maxGlideMs;
    case PhonemeClass::Stop:
        if (i + 1 < phonemes.size() && phonemeClass(phonemes[i + 1]) == PhonemeClass::Fricative)
            return params_.minConsonantMs;
        return voicedStop(phoneme) ? params_.maxVoicedBurstMs : params_.maxBurstMs;
    default: return params_.maxConsonantMs;
    }
}

std::vector<Aligner::Phone> Aligner::phonesOfPhonemes(const QStringList &phonemes, int vowelFrames, double frameMs,
                                                      bool longCodas) const
{
    PhoneList p(params_, frameMs);
    for (int i = 0; i < phonemes.size(); ++i) {
        const QString &ph = phonemes[i];
        if (ph == u"-") {
            if (i > 0 && i + 1 < phonemes.size())
                p.rest(i);
            continue;
        }
        const PhonemeClass pc = phonemeClass(ph);
        // A stop's closure is its own silence: a pause before it would
        // take the closure and put the stop at its burst.
        // Nor is there one between the consonants of a cluster: it would
        // take a fricative's noise after a stop.
        const bool afterConsonant = i > 0 && phonemeClass(phonemes[i - 1]) != PhonemeClass::Vowel;
        if (i > 0 && phonemes[i - 1] != u"-" && !closes(pc) && !afterConsonant)
            p.pause(i);
        const QString fallback = QStringLiteral("P%1").arg(int(pc));
        if (pc == PhonemeClass::Vowel) {
            p.vowel(ph, fallback, i, vowelFrames);
            continue;
        }
        if (ph == u"q") {
            p.glottalStop(i);
            continue;
        }
        if (closes(pc))
            p.closure(voicedStop(ph), i);
        p.consonant(ph, fallback, pc == PhonemeClass::Fricative || pc == PhonemeClass::Affricate, i,
                    longestPhonemeMs(phonemes, i, longCodas));
    }
    return p.close();
}

// The sung stretch shared out among the phones, a vowel taking three
// shares and any other one: the first models only have to be roughly right.
std::vector<int> Aligner::evenSegmentation(const Observations &obs, const std::vector<Phone> &phones)
{
    const int n = obs.frames;
    const auto [first, last] = sungStretch(obs);
    std::vector<int> framePhone(size_t(n), 0);
    double shares = 0;
    for (const Phone &p : phones)
        if (p.syllable >= 0 && p.role != Role::Pause)
            shares += p.role == Role::Vowel ? 3 : 1;
    const double perShare = double(last - first + 1) / std::max(1.0, shares);
    double at = first;
    const int trail = int(phones.size()) - 1;
    for (int t = 0; t < n; ++t)
        framePhone[size_t(t)] = t > last ? trail : 0;
    for (int k = 0; k < int(phones.size()); ++k) {
        const Phone &p = phones[size_t(k)];
        if (p.syllable < 0 || p.role == Role::Pause)
            continue;
        const double next = at + perShare * (p.role == Role::Vowel ? 3 : 1);
        for (int t = int(at); t < std::min(n, int(next)); ++t)
            framePhone[size_t(t)] = k;
        at = next;
    }
    return framePhone;
}

std::vector<int> Aligner::initialSegmentation(const Observations &obs, const std::vector<Phone> &phones) const
{
    // The sung stretch is shared out evenly among the syllables; each
    // consonant is then moved to the longest run of frames near its slot's
    // start that are no vowel (quiet, unvoiced or noise), so that the first
    // models of the consonants are made of consonants.
    const int n = obs.frames;
    const auto [first, last] = sungStretch(obs);
    struct Parts {
        int closure = -1, consonant = -1, vowel = -1;
        int consonantFrom = 0, vowelFrom = 0;
    };
    int syllables = 0;
    for (const Phone &p : phones)
        syllables = std::max(syllables, p.syllable + 1);
    std::vector<Parts> parts(size_t(std::max(0, syllables)));
    for (int k = 0; k < int(phones.size()); ++k) {
        const Phone &p = phones[size_t(k)];
        if (p.syllable < 0)
            continue;
        Parts &sp = parts[size_t(p.syllable)];
        if (p.role == Role::Closure)
            sp.closure = k;
        else if (p.role == Role::Consonant)
            sp.consonant = k;
        else if (p.role == Role::Vowel || p.role == Role::Rest)
            sp.vowel = k;
    }
    auto vowelLike = [&](int t) {
        const float *x = obs.at(t);
        return x[Level] > params_.vowelLevelDb && x[Voicing] > params_.vowelPeriodicity * 10 && x[Noise] < params_.vowelNoise;
    };
    const double slot = double(last - first + 1) / std::max(1, syllables);
    for (int k = 0; k < syllables; ++k) {
        Parts &sp = parts[size_t(k)];
        const int start = first + int(k * slot);
        sp.consonantFrom = sp.vowelFrom = start;
        if (sp.consonant < 0 && sp.closure < 0)
            continue;
        const int reach = std::max(1, int(params_.consonantSearch * slot));
        int bestFrom = -1, bestLength = 0;
        for (int t = std::max(0, start - reach), run = 0; t <= std::min(n - 1, start + reach); ++t) {
            run = vowelLike(t) ? 0 : run + 1;
            if (run > bestLength) {
                bestLength = run;
                bestFrom = t - run + 1;
            }
        }
        const int longest = std::max(1, int(params_.maxConsonantShare * slot));
        if (bestLength >= 2) {
            sp.vowelFrom = bestFrom + bestLength;
            sp.consonantFrom = std::max(bestFrom, sp.vowelFrom - longest);
        } else {
            sp.vowelFrom = start + std::max(1, int(0.25 * slot));
        }
    }
    std::vector<int> framePhone(size_t(n), 0);
    const int trail = int(phones.size()) - 1;
    for (int t = 0; t < n; ++t) {
        if (t > last) {
            framePhone[size_t(t)] = trail;
            continue;
        }
        int k = syllables - 1;
        while (k > 0 && t < parts[size_t(k)].consonantFrom)
            --k;
        const Parts &sp = parts[size_t(k)];
        if (syllables == 0 || t < sp.consonantFrom) {
            framePhone[size_t(t)] = 0;  // before the first syllable
        } else if (t < sp.vowelFrom) {
            const bool closed = sp.closure >= 0 && (sp.consonant < 0 || t < (sp.consonantFrom + sp.vowelFrom) / 2);
            framePhone[size_t(t)] = closed ? sp.closure : sp.consonant;
        } else {
            framePhone[size_t(t)] = std::max(0, sp.vowel);
        }
    }
    return framePhone;
}

void Aligner::train(const std::vector<Observations> &obs, const std::vector<std::vector<Phone>> &phones,
                    const std::vector<std::vector<int>> &framePhones)
{
    struct Acc {
        double sum[kDims] = {};
        double sq[kDims] = {};
        qsizetype n = 0;
        void add(const float *x)
        {
            for (int d = 0; d < kDims; ++d) {
                sum[d] += x[d];
                sq[d] += double(x[d]) * x[d];
            }
            ++n;
        }
    };
    QHash<QString, Acc> acc;
    Acc global;
    for (size_t f = 0; f < obs.size(); ++f) {
        const auto &fp = framePhones[f];
        for (int t = 0; t < obs[f].frames; ++t) {
            const Phone &p = phones[f][size_t(fp[size_t(t)])];
            const float *x = obs[f].at(t);
            acc[p.model].add(x);
            if (p.fallback != p.model)
                acc[p.fallback].add(x);
            global.add(x);
        }
    }
    double floorVar[kDims];
    for (int d = 0; d < kDims; ++d) {
        const double m = global.sum[d] / std::max<qsizetype>(1, global.n);
        floorVar[d] = std::max(1e-3, 0.02 * (global.sq[d] / std::max<qsizetype>(1, global.n) - m * m));
    }
    models_.clear();
    for (auto it = acc.constBegin(); it != acc.constEnd(); ++it) {
        const Acc &a = it.value();
        if (a.n == 0)
            continue;
        Model m;
        m.frames = a.n;
        m.logNorm = 0;
        for (int d = 0; d < kDims; ++d) {
            m.mean[d] = a.sum[d] / a.n;
            m.var[d] = std::max(floorVar[d], a.sq[d] / a.n - m.mean[d] * m.mean[d]);
            m.logNorm -= 0.5 * std::log(2 * std::numbers::pi * m.var[d]);
        }
        models_.insert(it.key(), m);
    }
}

// Where an even pace through the phones' shortest lengths (minFrames)
// starts each phone, and where the last ends: the silence before and after
// the singing take the frames outside the sung stretch, the sung phones
// share the stretch, so that a long silence before or after the singing
// does not spread the phones over it.
std::vector<double> Aligner::evenPace(const Observations &obs, const std::vector<int> &minFrames, const std::vector<Phone> &phones)
{
    const int n = obs.frames;
    const int count = int(phones.size());
    std::vector<double> expected(size_t(count) + 1, 0.0);
    for (int k = 0; k < count; ++k)
        expected[size_t(k) + 1] = expected[size_t(k)] + minFrames[size_t(k)];
    const bool framed = count >= 3 && phones.front().role == Role::Lead && phones.back().role == Role::Trail;
    auto [first, last] = sungStretch(obs);
    const double sung = expected[size_t(count) - 1] - expected[1];
    if (!framed || last - first + 1 < sung) {
        // Nothing sung found, or too little for the phones: the whole wave.
        first = 0;
        last = n - 1;
    }
    const double from = framed ? expected[1] : 0, to = framed ? expected[size_t(count) - 1] : expected.back();
    const double scale = double(last + 1 - first) / std::max(1.0, to - from);
    for (double &e : expected)
        e = first + (e - from) * scale;
    if (framed) {
        expected.front() = 0;
        expected.back() = n;
    }
    return expected;
}

FileAlignment Aligner::align(const Observations &obs, const WaveFeatures &f, const std::vector<Phone> &phones,
                             std::vector<int> *framePhone, bool margins) const
{
    const int band = std::max(1, int(params_.bandMs / f.frameMs(params_.step)));
    bool atEdge = false;
    FileAlignment out = alignWithin(obs, f, phones, framePhone, margins, band, &atEdge);
    // A path that runs along the band's edge, or finds no way through it,
    // may have been held back by it: align again without one.
    if (band < obs.frames && (!out.ok || atEdge))
        out = alignWithin(obs, f, phones, framePhone, margins, obs.frames, nullptr);
    return out;
}

FileAlignment Aligner::alignWithin(const Observations &obs, const WaveFeatures &f, const std::vector<Phone> &phones,
                                   std::vector<int> *framePhone, bool margins, int band, bool *atEdge) const
{
    FileAlignment out;
    if (atEdge)
        *atEdge = false;
    const int n = obs.frames;
    const int count = int(phones.size());
    // Resolve each phone's model: its own when learnt from enough frames.
    std::vector<const Model *> model(size_t(count), nullptr);
    for (int k = 0; k < count; ++k) {
        const Phone &p = phones[size_t(k)];
        auto own = models_.constFind(p.model);
        auto fb = models_.constFind(p.fallback);
        if (own != models_.constEnd() && (own->frames >= params_.minModelFrames || fb == models_.constEnd()))
            model[size_t(k)] = &own.value();
        else if (fb != models_.constEnd())
            model[size_t(k)] = &fb.value();
    }
    // Minimum durations shrink when the wave is too short for them.
    int needed = 0;
    for (const Phone &p : phones)
        needed += p.optional ? 0 : p.minFrames;
    const double shrink = needed > n ? double(n) / needed : 1.0;
    const Lattice lat(phones, shrink, params_.pausePenalty);
    if (n < 2 || n < count)
        return out;
    const int states = lat.states;
    const double farthest = params_.outlierDeviations * params_.outlierDeviations;
    auto emission = [&](int k, int t) {
        const Model *m = model[size_t(k)];
        if (!m)
            return -50.0 * kDims;
        const float *x = obs.at(t);
        double ll = m->logNorm;
        for (int d = 0; d < kDims; ++d) {
            const double z = x[d] - m->mean[d];
            ll -= 0.5 * std::min(farthest, z * z / m->var[d]);
        }
        return ll;
    };
    // Each phone is looked for within band frames of where an even pace
    // through the phones' shortest lengths puts it.
    using Span = Lattice::Span;
    std::vector<Span> bandAt(static_cast<size_t>(n), Span{0, count - 1});
    if (band < n) {
        const std::vector<double> expected = evenPace(obs, lat.minFrames, phones);
        int first = 0, last = 0;
        for (int t = 0; t < n; ++t) {
            while (first + 1 < count && expected[size_t(first) + 1] + band < t)
                ++first;
            while (last + 1 < count && expected[size_t(last) + 1] - band <= t)
                ++last;
            bandAt[size_t(t)] = Span{first, last};
        }
    }
    std::vector<double> cur(static_cast<size_t>(states), kNegInf), next(static_cast<size_t>(states), kNegInf);
    Span curSpan{0, 0}, nextSpan;
    std::vector<Span> spans(static_cast<size_t>(n));
    // The way back, per frame and phone rather than per state: inside a
    // chain a state is reached from the one before it, so only a phone's
    // first state (from which state it was entered) and a repeating last
    // state (whether it stayed) have a choice to remember. Per state it
    // would grow with the recording's length times its phones' lengths.
    // A frame's phones lie within its band.
    Lattice::Table<int> enteredFrom(bandAt, -1);
    Lattice::Table<char> stayed(bandAt, 0);
    std::vector<double> em(static_cast<size_t>(count)), exitScore(static_cast<size_t>(count));
    std::vector<int> exitState(static_cast<size_t>(count));
    // One frame of the pass forward: frame t's scores (to, over the span
    // ts) from frame t - 1's (from, over fs), and the way back when it is
    // kept (entered, stays: frame t's rows, indexed from the first phone of
    // its band). The phones of fs and those they may pass into are scored,
    // as far as the band lets them.
    auto step = [&](int t, const std::vector<double> &from, Span fs, std::vector<double> &to, Span &ts, int *entered,
                    char *stays) {
        const int rowFirst = bandAt[size_t(t)].first;
        lat.clear(to, ts);
        ts = fs.first > fs.last ? Span{}
                                : Span{std::max(fs.first, bandAt[size_t(t)].first),
                                       std::min(lat.lastExit[size_t(fs.last)], bandAt[size_t(t)].last)};
        for (int k = fs.first; k <= fs.last; ++k) {
            // The best state to leave phone k from at this frame.
            double best = kNegInf;
            int leaving = -1;
            const int s0 = lat.firstState[size_t(k)];
            for (int j = lat.minFrames[size_t(k)] - 1; j < lat.length[size_t(k)]; ++j)
                if (from[size_t(s0 + j)] > best) {
                    best = from[size_t(s0 + j)];
                    leaving = s0 + j;
                }
            exitScore[size_t(k)] = best;
            exitState[size_t(k)] = leaving;
        }
        for (int k = ts.first; k <= ts.last; ++k) {
            em[size_t(k)] = emission(k, t);
            const int s0 = lat.firstState[size_t(k)];
            const int len = lat.length[size_t(k)];
            const bool repeats = lat.repeats[size_t(k)];
            // Its scores at t - 1, -inf where it had none.
            auto was = [&](int st) { return k <= fs.last ? from[size_t(st)] : kNegInf; };
            double best = kNegInf;
            int via = -1;
            for (int q : lat.entries[size_t(k)])
                if (q >= fs.first && q <= fs.last && exitScore[size_t(q)] > best) {
                    best = exitScore[size_t(q)];
                    via = exitState[size_t(q)];
                }
            best -= lat.enterCost[size_t(k)];
            if (len == 1 && repeats && was(s0) > best) {
                best = was(s0);
                via = s0;
            }
            to[size_t(s0)] = best + em[size_t(k)];
            if (entered)
                entered[k - rowFirst] = via;
            for (int j = 1; j < len; ++j) {
                const int st = s0 + j;
                double b = was(st - 1);
                if (repeats && j == len - 1 && was(st) > b) {
                    b = was(st);
                    if (stays)
                        stays[k - rowFirst] = 1;
                }
                to[size_t(st)] = b + em[size_t(k)];
            }
        }
    };
    cur[0] = emission(0, 0);
    spans[0] = curSpan;
    // With margins wanted, the pass back needs every frame's scores. Kept
    // whole they would take frames x states; instead every block-th frame
    // is kept (the states of its span), and the frames between are worked
    // out again, a block at a time, as the pass back reaches them.
    const int block = margins ? int(std::ceil(std::sqrt(double(n)))) : 0;
    std::vector<double> checkpoints;
    std::vector<size_t> checkpointAt;  // where each kept frame's states start
    auto keep = [&](int t) {
        if (margins && t % block == 0) {
            checkpointAt.push_back(checkpoints.size());
            checkpoints.insert(checkpoints.end(), cur.begin() + lat.spanBegin(curSpan), cur.begin() + lat.spanEnd(curSpan));
        }
    };
    keep(0);
    for (int t = 1; t < n; ++t) {
        step(t, cur, curSpan, next, nextSpan, enteredFrom.row(t), stayed.row(t));
        std::swap(cur, next);
        std::swap(curSpan, nextSpan);
        spans[size_t(t)] = curSpan;
        keep(t);
    }
    std::vector<float> blockRows;
    int rowsOf = -1;  // the block blockRows holds
    auto forwardAt = [&](int t) -> const float * {
        const int b = t / block;
        if (b != rowsOf) {
            const int first = b * block, last = std::min(n, first + block);
            Span fromSpan = spans[size_t(first)], toSpan;
            std::vector<double> from(static_cast<size_t>(states), kNegInf), to(static_cast<size_t>(states), kNegInf);
            std::copy(checkpoints.begin() + qsizetype(checkpointAt[size_t(b)]),
                      checkpoints.begin() + qsizetype(checkpointAt[size_t(b)]) + (lat.spanEnd(fromSpan) - lat.spanBegin(fromSpan)),
                      from.begin() + lat.spanBegin(fromSpan));
            blockRows.assign(size_t(last - first) * size_t(states), float(kNegInf));
            auto copyRow = [&](int u) {
                std::copy(from.begin() + lat.spanBegin(fromSpan), from.begin() + lat.spanEnd(fromSpan),
                          blockRows.begin() + qsizetype(u - first) * states + lat.spanBegin(fromSpan));
            };
            copyRow(first);
            for (int u = first + 1; u < last; ++u) {
                step(u, from, fromSpan, to, toSpan, nullptr, nullptr);
                std::swap(from, to);
                std::swap(fromSpan, toSpan);
                copyRow(u);
            }
            rowsOf = b;
        }
        return blockRows.data() + qsizetype(t - b * block) * states;
    };
    int s = states - 1;
    if (!std::isfinite(cur[size_t(s)]))
        return out;
    std::vector<int> phoneAt(static_cast<size_t>(n));
    for (int t = n - 1; t >= 0; --t) {
        const int k = lat.stateModel[size_t(s)];
        phoneAt[size_t(t)] = k;
        if (t == 0)
            break;
        // From the state it was entered from, from the state before it in
        // its chain, or (a repeating last state that stayed) from itself.
        const int j = s - lat.firstState[size_t(k)];
        if (j == 0)
            s = enteredFrom.at(t, k);
        else if (j < lat.length[size_t(k)] - 1 || !stayed.at(t, k))
            s = s - 1;
        if (s < 0)
            return out;
    }
    for (int t = 0; atEdge && t < n && !*atEdge; ++t) {
        const Span b = bandAt[size_t(t)];
        const int k = phoneAt[size_t(t)];
        *atEdge = (k == b.first && b.first > 0) || (k == b.last && b.last < count - 1);
    }
    if (framePhone)
        *framePhone = phoneAt;

    // Phone spans in frames, then the syllables' times.
    std::vector<int> start(size_t(count), -1), end(size_t(count), -1);
    for (int t = 0; t < n; ++t) {
        const int k = phoneAt[size_t(t)];
        if (start[size_t(k)] < 0)
            start[size_t(k)] = t;
        end[size_t(k)] = t + 1;
    }
    const double hopMs = f.frameMs(params_.step);
    auto ms = [&](int frame) { return std::max(0.0, (frame - 0.5) * hopMs); };
    const double bestScore = margins ? double(float(cur[size_t(states - 1)])) : 0.0;
    const Lattice::Table<float> through = margins ? lat.throughScores(forwardAt, spans, emission) : Lattice::Table<float>{};
    // How much worse the best path is that starts phone k at least `reach`
    // frames away from where the best one starts it: starting it that much
    // later leaves frame b + reach - 1 to a phone before it, that much
    // earlier gives frame b - reach to it or to one after it.
    auto marginOf = [&](int k) {
        const int b = start[size_t(k)];
        const int reach = std::max(1, int(std::lround(params_.marginMs / hopMs)));
        double rival = kNegInf;
        if (b + reach - 1 < n)
            for (int q = 0; q < k; ++q)
                rival = std::max(rival, double(through.at(b + reach - 1, q)));
        if (b - reach >= 0)
            for (int q = k; q < count; ++q)
                rival = std::max(rival, double(through.at(b - reach, q)));
        return bestScore - rival;
    };
    int syllables = 0;
    for (const Phone &p : phones)
        syllables = std::max(syllables, p.syllable + 1);
    out.syllables.resize(syllables);
    for (int i = 0; i < syllables; ++i) {
        SyllableTimes &st = out.syllables[i];
        int cons = -1, vowelStart = -1, vowelEnd = -1, consEnd = -1, own = -1, first = -1;
        double fit = 0;
        for (int k = 0; k < count; ++k) {
            const Phone &p = phones[size_t(k)];
            if (p.syllable != i || start[size_t(k)] < 0)
                continue;
            if (p.role == Role::Pause)
                st.pauseBefore = true;
            else if (first < 0)
                first = k;
            if ((p.role == Role::Closure || p.role == Role::Consonant) && cons < 0)
                cons = start[size_t(k)];
            if (p.role == Role::Closure || p.role == Role::Consonant)
                consEnd = end[size_t(k)];
            if (p.role == Role::Consonant)
                own = start[size_t(k)];
            if (p.role == Role::Vowel || p.role == Role::Rest) {
                vowelStart = start[size_t(k)];
                vowelEnd = end[size_t(k)];
                // Whether it sounds like its name is heard where it is
                // sung, not in its fade: in its frames within fallDb of
                // the loud part, or all of them when none is.
                double all = 0;
                int sung = 0;
                for (int t = vowelStart; t < vowelEnd; ++t) {
                    const double e = emission(k, t);
                    all += e;
                    if (obs.at(t)[Level] > -landmarks_.fallDb) {
                        fit += e;
                        ++sung;
                    }
                }
                fit = sung > 0 ? fit / sung : all / std::max(1, vowelEnd - vowelStart);
            }
        }
        if (vowelStart < 0 && cons >= 0) {
            // A consonant on its own (a phoneme): its own sound after any
            // closure, until the next phoneme.
            vowelStart = own >= 0 ? own : cons;
            vowelEnd = consEnd;
        }
        st.vowelStart = ms(vowelStart);
        st.vowelEnd = ms(vowelEnd);
        st.consonantStart = cons >= 0 ? ms(cons) : st.vowelStart;
        st.fit = fit;
        if (margins && first >= 0)
            st.pathMargin = marginOf(unheardClosure(phones, first) ? first + 1 : first);
    }
    out.soundStart = ms(end[0]);
    out.soundEnd = ms(start[size_t(count - 1)]);
    out.ok = true;
    return out;
}

// Aligns a recording again with its coda liquids free to be long, with the
// models learnt while they were short, and notes where each starts then.
void Aligner::alignHeldLiquids(FileAlignment &alignment, const Observations &obs, const AlignInput &input, int vowelFrames) const
{
    const QStringList &ph = input.phonemes;
    bool any = false;
    for (qsizetype k = 0; k < ph.size() && !any; ++k)
        any = codaLiquid(ph, k);
    if (!alignment.ok || !any)
        return;
    const double frameMs = input.features->frameMs(params_.step);
    const FileAlignment held = align(obs, *input.features, phonesOfPhonemes(ph, vowelFrames, frameMs, true), nullptr);
    if (!held.ok)
        return;
    for (qsizetype k = 0; k < std::min(ph.size(), alignment.syllables.size()); ++k)
        if (codaLiquid(ph, k))
            alignment.syllables[k].heldStart = held.syllables[k].consonantStart;
}

int Aligner::shortestVowelFrames(double frames, double frameMs) const
{
    const int longest = int(params_.longestShortestVowelMs / frameMs);
    return std::max(3, std::min(longest, int(frames)));
}

Aligner::Aligner(const AlignParams &params, const LandmarkParams &landmarks) : params_(params), landmarks_(landmarks) {}

QList<FileAlignment> Aligner::alignAll(const QList<AlignInput> &inputs, int threads)
{
    const int files = int(inputs.size());
    // Plain vectors: their elements are written from several threads.
    std::vector<Observations> obs(static_cast<size_t>(files));
    std::vector<std::vector<Phone>> phones(static_cast<size_t>(files));
    std::vector<std::vector<int>> framePhones(static_cast<size_t>(files));
    std::vector<int> vowelFrames(static_cast<size_t>(files), 0);
    parallelFor(files, threads, [&](int i) {
        const size_t k = size_t(i);
        obs[k] = observe(*inputs[i].features);
        // Singers keep to a beat: every vowel takes a good part of its
        // syllable's share of the sung stretch, which keeps the alignment
        // from squeezing a vowel to nothing and shifting the rest.
        const auto [first, last] = sungStretch(obs[k]);
        const double frameMs = inputs[i].features->frameMs(params_.step);
        if (!inputs[i].phonemes.isEmpty()) {
            const qsizetype vowels = std::count_if(inputs[i].phonemes.begin(), inputs[i].phonemes.end(),
                                                   [](const QString &p) { return phonemeClass(p) == PhonemeClass::Vowel; });
            const double slot = double(last - first + 1) / std::max<qsizetype>(1, vowels);
            vowelFrames[k] = shortestVowelFrames(params_.minVowelShare * slot * 0.5, frameMs);
            phones[k] = phonesOfPhonemes(inputs[i].phonemes, vowelFrames[k], frameMs);
            framePhones[k] = evenSegmentation(obs[k], phones[k]);
            return;
        }
        const double slot = double(last - first + 1) / std::max<qsizetype>(1, inputs[i].syllables.size());
        phones[k] = phonesOf(inputs[i].syllables, shortestVowelFrames(params_.minVowelShare * slot, frameMs), frameMs);
        framePhones[k] = initialSegmentation(obs[k], phones[k]);
    });
    std::vector<FileAlignment> result(static_cast<size_t>(files));
    for (int it = 0; it < std::max(1, params_.iterations); ++it) {
        train(obs, phones, framePhones);
        parallelFor(files, threads, [&](int i) {
            std::vector<int> fp;
            const bool margins = it + 1 == std::max(1, params_.iterations) && params_.marginMs > 0 && !inputs[i].phonemes.isEmpty();
            result[size_t(i)] = align(obs[size_t(i)], *inputs[i].features, phones[size_t(i)], &fp, margins);
            if (result[size_t(i)].ok)
                framePhones[size_t(i)] = std::move(fp);
        });
    }
    if (params_.codaLiquidMs > 0)
        parallelFor(files, threads,
                    [&](int i) { alignHeldLiquids(result[size_t(i)], obs[size_t(i)], inputs[i], vowelFrames[size_t(i)]); });
    parallelFor(files, threads, [&](int i) {
        if (inputs[i].phonemes.isEmpty())
            placeLandmarks(result[size_t(i)], *inputs[i].features, inputs[i].syllables, landmarks_);
        else
            placePhonemeMarks(result[size_t(i)], *inputs[i].features, inputs[i].phonemes, landmarks_);
    });
    return QList<FileAlignment>(result.begin(), result.end());
}

}  // namespace analysis
