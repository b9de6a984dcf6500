#include "analysis/Estimator.h"

#include "analysis/Aligner.h"
#include "analysis/Landmarks.h"
#include "analysis/Parallel.h"
#include "wave/clsWave.h"
#include "oto/modLocale.h"
#include "core/modUtils.h"
#include "core/Statistics.h"

#include <QElapsedTimer>
#include <QHash>
#include <QRegularExpression>
#include <QSet>
#include <algorithm>
#include <array>
#include <cmath>
#include <limits>
#include <optional>

namespace analysis {

namespace {

// The five points of an entry as absolute times in the wave.
enum Point { kLeft, kPre, kOverlap, kFixed, kEnd, kPoints };

// A median of n points varies about pi/2 times as much as their mean; a
// median absolute deviation times 1.4826 estimates a standard deviation.
constexpr double kMedianVariance = 1.5708;
constexpr double kMadToSd = 1.4826;

struct Placed {
    int entry = -1;
    int file = -1;
    int syllable = -1;
    AliasInfo alias;
};

// An entry's syllable as the signal shows it.
struct Anchors {
    std::array<double, kMarkCount> at{};
    Mark note = Mark::LevelRise;  // the mark its note starts at unless the bank teaches otherwise
    double lengthMs = 0;
    double vowelMs = 0;
    double fit = 0;
    bool offBeat = false;
    double clarity = 1;
    double margin = std::numeric_limits<double>::infinity();
    double fadeMs = 0;
    bool unmarked = false;
    double previousNote = -1;  // where the syllable before starts, when one is sung right before
    double previousOwn = -1;   // English: where the phoneme before sounds (a stop's burst after its closure)
    double secondWayMs = 0;    // how far a second way of finding the note puts it from this one (the furthest)
    double pathMargin = std::numeric_limits<double>::infinity();  // English: see SyllableTimes

    double operator[](Mark m) const { return at[size_t(m)]; }
};

QString className(ConsonantClass c)
{
    switch (c) {
    case ConsonantClass::None: return QStringLiteral("V-V");
    case ConsonantClass::UnvoicedPlosive: return QStringLiteral("plosive (k t p)");
    case ConsonantClass::VoicedPlosive: return QStringLiteral("voiced plosive (g d b)");
    case ConsonantClass::UnvoicedFricative: return QStringLiteral("fricative (s sh h f)");
    case ConsonantClass::VoicedFricative: return QStringLiteral("voiced fricative (z j v)");
    case ConsonantClass::Affricate: return QStringLiteral("affricate (ts ch)");
    case ConsonantClass::Nasal: return QStringLiteral("nasal (m n)");
    case ConsonantClass::Liquid: return QStringLiteral("liquid (r)");
    case ConsonantClass::Glide: return QStringLiteral("glide (y w)");
    case ConsonantClass::MoraicNasal: return QStringLiteral("ん");
    }
    return QString();
}

// The consonant, or for a vowel alone what it follows: a vowel sung again
// (placed by the beat), a vowel after ん (a nasal release), another vowel.
QString soundOf(const AliasInfo &a)
{
    if (a.syllable.consonantClass() == ConsonantClass::MoraicNasal)
        return QStringLiteral("N");
    if (a.syllable.consonantClass() != ConsonantClass::None)
        return a.syllable.consonant;
    if (a.kind == AliasInfo::Kind::Vcv && a.prevVowel == a.syllable.vowel)
        return QStringLiteral("V again");
    if (a.kind == AliasInfo::Kind::Vcv && a.prevVowel == u'n')
        return QStringLiteral("V after n");
    return QStringLiteral("V");
}

// From the narrowest group to the broadest: the same consonant, the same
// class, the same kind, every entry that starts a syllable.
QStringList groupsOf(const AliasInfo &a)
{
    using Kind = AliasInfo::Kind;
    if (a.kind == Kind::Phonemes) {
        const QString shape = QStringLiteral("en ") + a.phonemes.shape();
        return {shape + u' ' + a.phonemes.phoneme(), QStringLiteral("en ") + entryKind(a), shape, QStringLiteral("en")};
    }
    if (a.kind == Kind::Tail)
        return {QStringLiteral("tail ") + a.prevVowel, QStringLiteral("tail")};
    // Its note is where the consonant starts: no syllable's mark to share.
    if (a.kind == Kind::Vc)
        return {QStringLiteral("vc ") + a.syllable.consonant, QStringLiteral("vc ") + className(a.syllable.consonantClass()),
                QStringLiteral("vc")};
    const QString kind = a.kind == Kind::Head ? QStringLiteral("head") : a.kind == Kind::Cv ? QStringLiteral("cv") : QStringLiteral("vcv");
    const ConsonantClass cc = a.syllable.consonantClass();
    return {kind + u' ' + soundOf(a), kind + u' ' + className(cc), kind, QStringLiteral("syllable")};
}

using statistics::median;

// An English tail's note: a stop's burst (the breath after it fades slowly
// and tells nothing), else where the sound falls away.
Mark tailNote(const PhonemeAlias &alias, const Anchors &a)
{
    return closes(alias.from) && a[Mark::Release] > a[Mark::ConsonantStart] ? Mark::Release : Mark::VowelFall;
}

// How long before a joint's note its entry starts, by the phoneme it comes
// from: a part of a vowel, about the whole of a consonant.
double jointReach(const PhonemeAlias &alias, const PlacementParams &pp)
{
    switch (phonemeClass(alias.from)) {
    case PhonemeClass::Vowel:
        return phonemeClass(alias.to) == PhonemeClass::Vowel ? pp.fromVowelToVowelMs : pp.fromVowelMs;
    case PhonemeClass::Stop: {
        const PhonemeClass to = phonemeClass(alias.to);
        if (to == PhonemeClass::Vowel)
            return pp.fromStopToVowelMs;
        const bool sonorant = to == PhonemeClass::Liquid || to == PhonemeClass::Nasal || to == PhonemeClass::Glide;
        return sonorant ? pp.fromStopToSonorantMs : pp.fromStopMs;
    }
    case PhonemeClass::Affricate: return pp.fromAffricateMs;
    case PhonemeClass::Fricative: return pp.fromFricativeMs;
    case PhonemeClass::Nasal: return pp.fromNasalMs;
    case PhonemeClass::Liquid: return pp.fromLiquidMs;
    case PhonemeClass::Glide: return pp.fromGlideMs;
    case PhonemeClass::None: break;
    }
    return pp.fromVowelMs;
}

// An English entry: the note where the phoneme it goes into starts (a
// held vowel's a little later, a tail's before the sound dies away); the
// entry starting from the phoneme before: all of a consonant, a part of a
// vowel; the overlap halfway, none after silence.
std::array<double, kPoints> phonemePoints(const PhonemeAlias &alias, const Anchors &a, const PlacementParams &pp)
{
    using Kind = PhonemeAlias::Kind;
    const double start = a[Mark::ConsonantStart], end = a[Mark::VowelEnd];
    const PhonemeClass to = phonemeClass(alias.phoneme());
    std::array<double, kPoints> p{};
    switch (alias.kind) {
    case Kind::Tail: {
        if (tailNote(alias, a) == Mark::Release) {
            // The entry keeps part of the stop's closure.
            p[kPre] = a[Mark::Release];
            p[kLeft] = start + (p[kPre] - start) * pp.tailClosureKeptShare;
            p[kOverlap] = std::max(p[kLeft], p[kPre] - pp.tailBurstOverlapMs);
        } else {
            const double later = to == PhonemeClass::Fricative ? pp.tailNoiseLaterMs : closes(alias.from) ? -pp.tailStopEarlierMs : 0.0;
            p[kPre] = std::max(start, a[Mark::VowelFall] - pp.phonemeTailBeforeFallMs + later);
            p[kLeft] = std::max(start, p[kPre] - (closes(alias.from) ? pp.stopTailLeftMs : pp.phonemeTailLeftMs));
            p[kOverlap] = p[kLeft] + (p[kPre] - p[kLeft]) * pp.phonemeOverlapShare;
        }
        p[kFixed] = p[kPre] + pp.tailFixedMs;
        p[kEnd] = std::min(a.lengthMs, end + pp.tailEndMs);
        return p;
    }
    case Kind::Held: {
        // Past the transition into it, where it is steady.
        const double after = a.previousNote >= 0 ? pp.heldAfterStartMs : pp.heldAfterHeadMs;
        p[kPre] = start + std::min(after, pp.heldMaxShare * std::max(0.0, end - start));
        p[kLeft] = p[kPre] - pp.heldLeftMs;
        p[kOverlap] = p[kLeft] + pp.heldOverlapMs;
        break;
    }
    case Kind::Alone:
        // Marked by aloneOnset(): audible from ConsonantStart, settled at LevelRise.
        p[kLeft] = start;
        p[kPre] = std::max(a[Mark::LevelRise], start + pp.aloneMinNoteMs);
        p[kOverlap] = start;
        break;
    case Kind::Head:
        // From silence a stop's closure cannot be heard, nor a fricative's
        // or a vowel's quiet start: labellers count some of it into the
        // note all the same.
        p[kPre] = start - (closes(alias.to)                     ? pp.headClosureMs
                           : to == PhonemeClass::Fricative     ? pp.headNoiseMs
                           : to == PhonemeClass::Nasal         ? 0.0
                                                               : pp.headSwellMs);
        p[kLeft] = p[kPre] - pp.phonemeHeadLeftMs;
        p[kOverlap] = p[kLeft];
        break;
    default: {
        const PhonemeClass from = phonemeClass(alias.from);
        p[kPre] = start;
        if (from == PhonemeClass::Affricate && to == PhonemeClass::Vowel)
            p[kPre] = std::max(a.previousOwn, start - pp.afterAffricateMs);
        else if (glides(from) && to == PhonemeClass::Vowel)
            p[kPre] = start - (from == PhonemeClass::Glide ? pp.glideInMs : alias.from == u"r" ? pp.rInMs : pp.lInMs);
        else if (from == PhonemeClass::Stop && to == PhonemeClass::Stop && a.previousNote >= 0)
            // Of two stops the first is seldom released: one closure, in
            // which the second begins soon after the first has closed.
            p[kPre] = std::min(start, a.previousNote + pp.stopAfterStopMs);
        // Within the vowel it comes from; a consonant's length is the
        // class's rather than the alignment's, which is seldom as sure.
        const double before = a.previousNote >= 0 && from == PhonemeClass::Vowel ? start - a.previousNote : 1e9;
        p[kLeft] = p[kPre] - std::max(pp.minJointLeftMs, std::min(jointReach(alias, pp), pp.fromMaxShare * before));
        // From a consonant the entry starts about where the consonant does:
        // the alignment's start and the class's length each err, less so
        // together.
        if (from != PhonemeClass::Vowel && a.previousNote >= 0)
            p[kLeft] = std::min(p[kPre] - pp.minJointLeftMs, p[kLeft] + (a.previousNote - p[kLeft]) * pp.consonantStartShare);
        p[kOverlap] = p[kLeft] + (p[kPre] - p[kLeft]) * pp.phonemeOverlapShare;
        break;
    }
    }
    p[kFixed] = p[kPre] + pp.phonemeFixedMs;
    p[kEnd] = std::max(p[kFixed] + pp.minFixedToEndMs, end - pp.endBeforeVowelEndMs);
    return p;
}

// Where a careful first guess puts the points when the bank has taught
// nothing about this kind of entry: the note at the vowel's onset, the
// entry starting before the consonant (for VCV, in the middle of the vowel
// before), the crossfade a third of the way in, the vowel usable until
// shortly before the next sound.
std::array<double, kPoints> defaultPoints(const AliasInfo &alias, const Anchors &a, const PlacementParams &pp)
{
    if (alias.kind == AliasInfo::Kind::Phonemes)
        return phonemePoints(alias.phonemes, a, pp);
    const double v = a[a.note], c = a[Mark::ConsonantStart], e = a[Mark::VowelEnd];
    std::array<double, kPoints> p{};
    if (alias.kind == AliasInfo::Kind::Tail) {
        // The note ends a little before the sound has died away: the
        // fading belongs to the rest that follows.
        p[kPre] = a[Mark::VowelFall] - pp.tailBeforeFallMs;
        // It starts where its vowel is steady, halfway in, as a VCV entry
        // starts halfway into the vowel before it.
        p[kLeft] = std::max(v, std::min(p[kPre] - pp.tailLeftMs, (v + p[kPre]) / 2));
        p[kOverlap] = p[kLeft] + (p[kPre] - p[kLeft]) * pp.overlapShare;
        p[kFixed] = p[kPre] + pp.tailFixedMs;
        p[kEnd] = std::min(a.lengthMs, e + pp.tailEndMs);
        return p;
    }
    if (alias.kind == AliasInfo::Kind::Vc) {
        // CVVC "a k": from the vowel before into the consonant, its note
        // where the consonant starts (the anchors' note), its end where the
        // consonant's vowel comes in.
        const double vowelIn = std::max(v, a[Mark::LevelRise]);
        p[kPre] = v;
        p[kLeft] = a.previousNote >= 0 ? std::min((a.previousNote + v) / 2, v - pp.vcvBeforeNoteMs) : v - pp.minLeadInMs;
        p[kOverlap] = p[kLeft] + (v - p[kLeft]) * pp.overlapShare;
        p[kFixed] = (v + vowelIn) / 2;
        p[kEnd] = std::max(p[kFixed] + pp.minFixedToEndMs, vowelIn);
        return p;
    }
    p[kPre] = v;
    if (alias.kind == AliasInfo::Kind::Head || alias.kind == AliasInfo::Kind::Cv)
        p[kLeft] = std::min(v - pp.headBeforeNoteMs, c - pp.beforeConsonantMs);
    else if (a.previousNote >= 0)
        // Halfway into the vowel before, where it is steady enough to
        // crossfade from, and before the whole consonant.
        p[kLeft] = std::min({(a.previousNote + v) / 2, c - pp.beforeConsonantMs, v - pp.vcvBeforeNoteMs});
    else
        p[kLeft] = v - std::clamp(v - c + pp.leadInExtraMs, pp.minLeadInMs, pp.maxLeadInMs);
    p[kOverlap] = p[kLeft] + (v - p[kLeft]) * pp.overlapShare;
    p[kFixed] = v + pp.fixedMs;
    p[kEnd] = std::max(p[kFixed] + pp.minFixedToEndMs, e - pp.endBeforeVowelEndMs);
    return p;
}

// The entry's points from its numbers.
std::array<double, kPoints> pointsOf(const clsOto &e, double lengthMs)
{
    std::array<double, kPoints> p{};
    p[kLeft] = e.prmLF;
    p[kPre] = e.prmLF + e.prmPR;
    p[kOverlap] = e.prmLF + e.prmOV;
    p[kFixed] = e.prmLF + e.prmFX;
    p[kEnd] = e.rightBoundMs(lengthMs);
    return p;
}

// What the set entries teach: per group of entries and per point, how far
// the labeller puts the point from the mark it is measured from.
class Habits {
public:
    Habits(const HabitParams &habits, const PlacementParams &placement) : hp_(habits), placement_(placement) {}

    void learn(const AliasInfo &alias, const Anchors &a, const clsOto &entry)
    {
        const auto p = pointsOf(entry, a.lengthMs);
        const auto rule = defaultPoints(alias, a, placement_);
        const QStringList groups = groupsOf(alias);
        for (qsizetype g = 0; g < groups.size(); ++g) {
            Group &grp = groups_[groups[g]];
            if (grp.entries++ == 0) {
                grp.parent = g + 1 < groups.size() ? groups[g + 1] : QString();
                children_[grp.parent].append(groups[g]);
            }
            const auto from = basis(alias, a, rule, p);
            for (int pt = 0; pt < kPoints; ++pt)
                grp.delta[pt].push_back(p[pt] - from[pt]);
        }
    }

    struct Result {
        std::array<double, kPoints> points{};
        std::array<double, kPoints> rules{};  // where the built-in rules alone put them
        double spread = 0;  // of the preutterance in the narrowest group that had entries
        // The share of the set entries of its kind whose notes the estimate,
        // learning from the others, put more than HabitParams::testCapMs off.
        double farShare = 0;
    };

    // From the broadest group to the narrowest, each group's median
    // distance refines its parent's by as much as its entries and the
    // real differences between groups warrant.
    Result estimate(const AliasInfo &alias, const Anchors &a) const
    {
        Result r;
        const auto fallback = defaultPoints(alias, a, placement_);
        r.rules = fallback;
        const QStringList groups = groupsOf(alias);
        // The note first: an English entry's other points follow it.
        for (int pt : {int(kPre), int(kLeft), int(kOverlap), int(kFixed), int(kEnd)}) {
            const double from = basis(alias, a, fallback, r.points)[pt];
            double delta = fallback[pt] - from;
            for (qsizetype g = groups.size() - 1; g >= 0; --g) {
                const Group *grp = find(groups[g]);
                if (!grp)
                    continue;
                const auto &d = grp->delta[pt];
                const double n = double(d.size());
                const double k = pull(grp->parent, pt);
                if (pt == kPre) {
                    const Test &t = test(groups[g], d, k, delta);
                    r.farShare = (t.far + hp_.priorFar * r.farShare) / (n + hp_.priorFar);
                    if (!t.teaches)
                        continue;
                }
                delta = (n * median(fewHeldNear(*grp, pt, delta, alias.kind == AliasInfo::Kind::Phonemes)) + k * delta) / (n + k);
                if (pt == kPre)
                    r.spread = n >= 3 ? statistics::medianAbsoluteDeviation(d) : 0;
            }
            r.points[pt] = from + delta;
        }
        return r;
    }

private:
    struct Group {
        int entries = 0;
        QString parent;  // empty: the defaults
        // Per point, how far the labeller put it from the mark it is
        // measured from (defaultMark), entry by entry.
        std::array<std::vector<double>, kPoints> delta;
    };

    // A group's distances for a point. An English entry's are measured
    // from where the rules put it, so its kind's habit lies near the
    // broader kinds' (a syllable's are measured from a mark that differs
    // by kind, and its kinds may lie far apart). Of an English kind, fewer
    // than minTested set entries cannot tell the labeller's habit from a
    // recording where the signal misled the rules (a set entry hundreds of
    // ms from its estimate): below a broader group, each of them counts up
    // to testCapMs from what that group has learnt.
    std::vector<double> fewHeldNear(const Group &grp, int pt, double parentDelta, bool fromRules) const
    {
        std::vector<double> d = grp.delta[pt];
        if (!fromRules || grp.parent.isEmpty() || d.size() >= size_t(hp_.minTested))
            return d;
        for (double &x : d)
            x = std::clamp(x, parentDelta - hp_.testCapMs, parentDelta + hp_.testCapMs);
        return d;
    }

    const Group *find(const QString &g) const
    {
        auto it = groups_.constFind(g);
        return it == groups_.constEnd() ? nullptr : &it.value();
    }

    // What a point is measured from, entry by entry. A syllable's points
    // from a mark of the signal (see defaultMark), so that a kind with no
    // set entry borrows comparable distances. An English entry's note from
    // where the built-in rules put it, and its other points from its note
    // by the rules' distances: what is learnt is how this labeller differs
    // from the rules, kind by kind, which carries over to kinds with few
    // set entries; the bounds keep their distance to the note whichever
    // landmark the note was found at.
    // `rule` is defaultPoints(alias, a, placement_), which the callers have.
    static std::array<double, kPoints> basis(const AliasInfo &alias, const Anchors &a, const std::array<double, kPoints> &rule,
                                             const std::array<double, kPoints> &points)
    {
        std::array<double, kPoints> from{};
        if (alias.kind != AliasInfo::Kind::Phonemes) {
            for (int pt = 0; pt < kPoints; ++pt)
                from[pt] = a[defaultMark(pt, alias, a)];
            return from;
        }
        for (int pt = 0; pt < kPoints; ++pt)
            from[pt] = pt == kPre || pt == kEnd ? rule[pt] : points[kPre] + rule[pt] - rule[kPre];
        return from;
    }

    static Mark defaultMark(int point, const AliasInfo &alias, const Anchors &a)
    {
        if (point == kEnd)
            return Mark::VowelEnd;
        if (alias.kind == AliasInfo::Kind::Tail
            || (alias.kind == AliasInfo::Kind::Phonemes && alias.phonemes.kind == PhonemeAlias::Kind::Tail))
            return Mark::VowelFall;
        return a.note;
    }

    // How many entries' worth of weight the parent's estimate keeps against
    // a child group's own median: the noise of a median of the labeller's
    // points against how far the parent's child groups really are apart
    // (their spread less what their noise alone would give). Where groups
    // differ little, a few entries move nothing; where they differ much, a
    // few entries are believed.
    double pull(const QString &parent, int pt) const
    {
        const QString key = QStringLiteral("%1|%2").arg(parent).arg(pt);
        if (auto it = pulls_.constFind(key); it != pulls_.constEnd())
            return it.value();
        std::vector<double> residuals, offsets, noise;
        const Group *up = find(parent);
        const double parentMedian = up ? median(up->delta[pt]) : 0;
        for (const QString &name : children_.value(parent)) {
            const auto &d = find(name)->delta[pt];
            const double med = median(d);
            // Fewer than three points lie too close to their own median
            // to tell how scattered the labeller's points are.
            if (d.size() >= 3)
                for (double x : d)
                    residuals.push_back(std::abs(x - med));
            if (up && d.size() >= 2) {
                offsets.push_back((med - parentMedian) * (med - parentMedian));
                noise.push_back(double(d.size()));
            }
        }
        if (residuals.empty() && up)
            for (double x : up->delta[pt])
                residuals.push_back(std::abs(x - parentMedian));
        const double sigma = std::max(hp_.minNoiseMs, kMadToSd * median(residuals));
        const double medianNoise = kMedianVariance * sigma * sigma;
        double between = up ? hp_.unknownSpreadMs * hp_.unknownSpreadMs : hp_.labellerSpreadMs * hp_.labellerSpreadMs;
        if (!offsets.empty()) {
            // What the groups show, weighed against the assumed spread as
            // if that were seen in priorGroups groups.
            double sum = hp_.priorGroups * between;
            for (size_t i = 0; i < offsets.size(); ++i)
                sum += offsets[i] - medianNoise / noise[i];
            between = std::max(hp_.minSpreadMs * hp_.minSpreadMs, sum / (double(offsets.size()) + hp_.priorGroups));
        }
        const double least = !up ? hp_.minTopPull : pt == kPre ? hp_.minNotePull : hp_.minPull;
        const double k = std::clamp(medianNoise / between, least, hp_.maxPull);
        pulls_.insert(key, k);
        return k;
    }

    // Whether a group's own entries would have placed their notes better
    // than its parent does: each of them estimated from the others (with
    // the parent's pull) against the parent's value, the error counted up
    // to HabitParams::testCapMs. A group that does not pass this test on
    // its own set entries teaches nothing: learning never moves a kind's
    // notes on the word of entries that contradict each other. The same
    // test says how often the entries of a group end up far off: how many
    // of them the way chosen (learnt or the parent's) misses by more than
    // testCapMs.
    struct Test {
        bool teaches = false;
        double far = 0;
    };
    const Test &test(const QString &group, const std::vector<double> &d, double k, double parentDelta) const
    {
        if (auto it = tests_.constFind(group); it != tests_.constEnd())
            return it.value();
        double learnt = 0, kept = 0;
        int farLearnt = 0, farKept = 0;
        const double n = double(d.size());
        for (size_t i = 0; i < d.size(); ++i) {
            std::vector<double> others = d;
            others.erase(others.begin() + qsizetype(i));
            const double e = others.empty() ? parentDelta : ((n - 1) * median(others) + k * parentDelta) / (n - 1 + k);
            learnt += std::min(std::abs(d[i] - e), hp_.testCapMs);
            kept += std::min(std::abs(d[i] - parentDelta), hp_.testCapMs);
            farLearnt += std::abs(d[i] - e) > hp_.testCapMs ? 1 : 0;
            farKept += std::abs(d[i] - parentDelta) > hp_.testCapMs ? 1 : 0;
        }
        Test t;
        // Fewer than minTested entries cannot test each other: the pull
        // alone keeps them from moving their kind too far.
        t.teaches = d.size() < size_t(hp_.minTested) || learnt < kept;
        t.far = t.teaches ? farLearnt : farKept;
        return tests_.insert(group, t).value();
    }

    HabitParams hp_;
    PlacementParams placement_;
    mutable QHash<QString, Test> tests_;  // by group, for the note
    QHash<QString, Group> groups_;
    QHash<QString, QStringList> children_;  // by parent
    mutable QHash<QString, double> pulls_;
};

// A set entry as the habits learn it.
struct Taught {
    AliasInfo alias;
    Anchors anchors;
    clsOto entry;
    int file = -1;
};

// The points with share[pt] of the learnt move from the rules kept.
std::array<double, kPoints> withShare(const Habits::Result &r, const std::array<double, kPoints> &share)
{
    std::array<double, kPoints> p{};
    for (int pt = 0; pt < kPoints; ++pt)
        p[pt] = r.rules[pt] + (r.points[pt] - r.rules[pt]) * share[pt];
    return p;
}

// How much of the learnt move from the rules to keep, per point (see
// HabitParams::crossFolds).
std::array<double, kPoints> learntShares(const std::vector<Taught> &taught, const HabitParams &hp,
                                         const PlacementParams &placement)
{
    std::array<double, kPoints> share;
    share.fill(1.0);
    QSet<int> files;
    for (const Taught &t : taught)
        files.insert(t.file);
    const int folds = std::max(2, hp.crossFolds), steps = std::max(1, hp.crossSteps);
    if (int(taught.size()) < hp.minCrossChecked || files.size() < folds)
        return share;
    // Recordings go to folds in turn, so that a fold holds whole recordings
    // (entries of one recording share its alignment's slips).
    QList<int> order(files.begin(), files.end());
    std::sort(order.begin(), order.end());
    QHash<int, int> foldOf;
    for (int i = 0; i < order.size(); ++i)
        foldOf.insert(order[i], i % folds);
    std::vector<std::array<double, kPoints>> error(size_t(steps) + 1);
    for (int fold = 0; fold < folds; ++fold) {
        Habits others(hp, placement);
        for (const Taught &t : taught)
            if (foldOf.value(t.file) != fold)
                others.learn(t.alias, t.anchors, t.entry);
        for (const Taught &t : taught) {
            if (foldOf.value(t.file) != fold)
                continue;
            const auto truth = pointsOf(t.entry, t.anchors.lengthMs);
            const Habits::Result learnt = others.estimate(t.alias, t.anchors);
            for (int step = 0; step <= steps; ++step) {
                std::array<double, kPoints> tried;
                tried.fill(double(step) / steps);
                const auto at = withShare(learnt, tried);
                for (int pt = 0; pt < kPoints; ++pt)
                    error[size_t(step)][pt] += std::min(std::abs(at[pt] - truth[pt]), hp.testCapMs);
            }
        }
    }
    // From all of it down: a share is given up only for a smaller error.
    for (int pt = 0; pt < kPoints; ++pt) {
        int best = steps;
        for (int step = steps - 1; step >= 0; --step)
            if (error[size_t(step)][pt] < error[size_t(best)][pt])
                best = step;
        share[pt] = double(best) / steps;
    }
    return share;
}

double round3(double x) { return std::round(x * 1000.0) / 1000.0; }

clsOto entryFrom(const clsOto &base, std::array<double, kPoints> p, double lengthMs, bool positiveRt)
{
    clsOto e = base;
    const double left = std::clamp(p[kLeft], 0.0, std::max(0.0, lengthMs - 1));
    const double pre = std::max(left, p[kPre]);
    const double fixed = std::max(pre, p[kFixed]);
    const double end = std::clamp(p[kEnd], fixed + 1, std::max(fixed + 1, lengthMs));
    e.prmLF = round3(left);
    e.prmPR = round3(pre - left);
    e.prmOV = round3(p[kOverlap] - left);
    e.prmFX = round3(fixed - left);
    e.prmRT = positiveRt ? round3(std::max(0.0, lengthMs - end)) : round3(-(end - left));
    e.tryToFix(lengthMs);
    return e;
}

}  // namespace

WaveSource folderWaves(const QString &folder, const modLocale *locale)
{
    WaveSource s;
    s.load = [folder, locale](const QString &fileName) {
        WaveData d;
        clsWave wave(locale);
        QString name = fileName;
        if (!wave.ReadFile(folder, name)) {
            // The entry's own name: the path tried last may be the name as a
            // code page garbles it.
            d.error = wave.errType == WaveError::NotFound ? QStringLiteral("missing: ") + joinPath(folder, fileName) : wave.errorReason();
            return d;
        }
        // The editor shows the part of a cut-off file's data that is not in
        // it as silence; what was sung there is lost.
        if (const QString cutOff = wave.cutOffReason(); !cutOff.isEmpty()) {
            d.error = cutOff;
            return d;
        }
        d.samples = wave.getData();
        d.samples.resize(wave.heldSamples());
        d.sampleRate = wave.Samplerate;
        return d;
    };
    s.cacheKey = [folder, locale](const QString &fileName) {
        return FeatureCache::fileKey(locale ? locale->wavePath(folder, fileName) : joinPath(folder, fileName));
    };
    return s;
}

QString flagLine(const Estimate &e)
{
    // A TAB or line end inside the alias would break the columns.
    QString alias = e.entry.ALS;
    alias.replace(u'\t', u' ').replace(u'\n', u' ').replace(u'\r', u' ');
    return QStringLiteral("flagged\t%1\t%2\t%3").arg(e.index + 1).arg(alias, e.reason);
}

bool bankUsesPositiveRight(const QList<clsOto> &entries)
{
    qsizetype positive = 0, negative = 0;
    for (const clsOto &e : entries) {
        positive += e.prmRT > 0;
        negative += e.prmRT < 0;
    }
    return positive > negative;
}

bool isUnset(const clsOto &e)
{
    return e.prmLF == 0 && e.prmFX == 0 && e.prmRT == 0 && e.prmPR == 0 && e.prmOV == 0;
}

QList<int> unsetIndexes(const QList<clsOto> &entries)
{
    QList<int> out;
    for (int i = 0; i < entries.size(); ++i)
        if (isUnset(entries[i]))
            out.append(i);
    return out;
}

QString entryKind(const AliasInfo &alias)
{
    switch (alias.kind) {
    case AliasInfo::Kind::Unknown: return QStringLiteral("other");
    case AliasInfo::Kind::Tail: return QStringLiteral("tail");
    case AliasInfo::Kind::Vc: return QStringLiteral("VC ") + className(alias.syllable.consonantClass());
    case AliasInfo::Kind::Head: return QStringLiteral("head");
    case AliasInfo::Kind::Cv: return QStringLiteral("CV ") + className(alias.syllable.consonantClass());
    case AliasInfo::Kind::Vcv: return className(alias.syllable.consonantClass());
    case AliasInfo::Kind::Phonemes: {
        // The shape, and the class of the consonant the note is at.
        const PhonemeClass c = phonemeClass(alias.phonemes.phoneme());
        const QString shape = alias.phonemes.shape();
        return c == PhonemeClass::Vowel ? shape : shape + u' ' + phonemeClassName(c);
    }
    }
    return QString();
}

Estimator::Estimator(WaveSource source, FeatureCache *cache) : source_(std::move(source)), cache_(cache) {}

namespace {

// The recordings the entries name: what their names say is sung, their
// features and their segmentation, one slot per file.
struct Recordings {
    QStringList files;
    QList<FileSyllables> names;
    std::vector<std::shared_ptr<const WaveFeatures>> features;
    std::vector<QString> loadErrors;
    std::vector<FileAlignment> alignments;
    QList<QStringList> phonemes;  // an English recording's phonemes, from its entries' aliases
    // Per file, its syllables placed other ways than the alignment's (see
    // FlagParams::secondWayMs), to check the notes against.
    std::vector<std::vector<FileAlignment>> secondWays;
    double lengthMs(int file) const { return features[size_t(file)]->lengthMs(); }
};

// Places every entry that is a target or set among the syllables of its
// file's name; the n-th entry of one alias in one file takes the n-th place.
// In an English bank, among the phonemes its file's entries name.
QList<Placed> placeEntries(const QList<clsOto> &entries, const QSet<int> &targets, const singer::AffixPairs &affixPairs,
                           Recordings &rec)
{
    // A pitch folder's aliases carry its pitch: an English one is read
    // without it; a Japanese one as it stands (a suffix after the syllable
    // is passed over), else without it ("a -a3": the "a" of "a3" would read
    // as a syllable).
    const QStringList bases = aliasBases(entries, affixPairs);
    const bool phonemeBank = readsAsPhonemes(bases);
    QHash<QString, int> fileIndex;
    QHash<QString, int> occurrences;  // file + alias -> entries seen
    QList<Placed> placed(entries.size());
    QHash<QString, QList<int>> entriesOfFile;  // in the order listed
    for (int i = 0; i < entries.size(); ++i) {
        const clsOto &e = entries[i];
        Placed &p = placed[i];
        p.entry = i;
        p.alias = phonemeBank ? parseAliasIn(bases[i], true) : parseAlias(e.ALS);
        if (p.alias.kind == AliasInfo::Kind::Unknown && !phonemeBank)
            p.alias = parseAlias(bases[i]);
        entriesOfFile[e.FIL].append(i);
        if (p.alias.kind == AliasInfo::Kind::Unknown || (!targets.contains(i) && isUnset(e)))
            continue;  // no syllable, or neither estimated nor teaching
        if (!fileIndex.contains(e.FIL)) {
            fileIndex.insert(e.FIL, int(rec.files.size()));
            rec.files.append(e.FIL);
            rec.names.append(phonemeBank ? FileSyllables() : parseFileName(e.FIL));
            rec.phonemes.append(QStringList());
        }
        p.file = fileIndex.value(e.FIL);
        if (phonemeBank)
            continue;
        const QString occKey = e.FIL + u'\n' + e.ALS;
        p.syllable = placeAlias(p.alias, rec.names[p.file].syllables, occurrences.value(occKey), rec.names[p.file].vcv);
        occurrences[occKey] += 1;
    }
    if (phonemeBank) {
        for (int f = 0; f < rec.files.size(); ++f) {
            const QList<int> &list = entriesOfFile[rec.files[f]];
            QList<PhonemeAlias> fileAliases;
            for (int i : list)
                fileAliases << placed[i].alias.phonemes;
            const PhonemeSequence seq = sequenceFromAliases(fileAliases);
            rec.phonemes[f] = seq.phonemes;
            for (qsizetype k = 0; k < list.size(); ++k)
                if (placed[list[k]].file == f)
                    placed[list[k]].syllable = seq.placeOf[k];
        }
    }
    return placed;
}

// How far the other ways of placing an entry's syllable put a mark from
// where the estimate has it: the furthest of them.
double secondWayOf(const Recordings &rec, const Placed &p, const Anchors &a, Mark m)
{
    if (size_t(p.file) >= rec.secondWays.size())
        return 0;
    double furthest = 0;
    for (const FileAlignment &other : rec.secondWays[size_t(p.file)])
        if (other.ok && p.syllable < other.syllables.size())
            furthest = std::max(furthest, std::abs(a[m] - other.syllables[p.syllable].mark(m)));
    return furthest;
}

// The marks of an entry's syllable, and what the default points need.
bool anchorsOf(const Recordings &rec, const Placed &p, const PlacementParams &placement, Anchors &a)
{
    if (p.file < 0 || p.syllable < 0 || !rec.alignments[size_t(p.file)].ok)
        return false;
    const FileAlignment &fa = rec.alignments[size_t(p.file)];
    if (p.alias.kind == AliasInfo::Kind::Phonemes) {
        if (p.syllable >= fa.syllables.size())
            return false;
        const SyllableTimes &st = fa.syllables[p.syllable];
        a.at = st.marks;
        a.note = Mark::ConsonantStart;
        a.lengthMs = rec.lengthMs(p.file);
        a.vowelMs = st.mark(Mark::VowelEnd) - st.mark(Mark::ConsonantStart);
        a.fit = st.fit;
        const QStringList &ph = rec.phonemes[p.file];
        if (p.syllable > 0 && ph[p.syllable - 1] != u"-" && !st.pauseBefore) {
            a.previousNote = fa.syllables[p.syllable - 1].mark(Mark::ConsonantStart);
            a.previousOwn = fa.syllables[p.syllable - 1].vowelStart;
        }
        if (p.alias.phonemes.kind == PhonemeAlias::Kind::Alone) {
            // Sung alone, a vowel swells in: the alignment takes its loud part.
            const double from = p.syllable >= 2 ? fa.syllables[p.syllable - 2].mark(Mark::VowelEnd) : 0.0;
            const AloneOnset o = aloneOnset(*rec.features[size_t(p.file)], from, st.vowelStart, st.vowelEnd, placement);
            a.at[size_t(Mark::ConsonantStart)] = o.audible;
            a.at[size_t(Mark::LevelRise)] = o.settled;
        } else {
            const bool tail = p.alias.phonemes.kind == PhonemeAlias::Kind::Tail;
            // A tail's note is where its sound ends, not where the alignment starts it.
            if (!tail)
                a.pathMargin = st.pathMargin;
            a.secondWayMs = secondWayOf(rec, p, a, tail ? tailNote(p.alias.phonemes, a) : Mark::ConsonantStart);
            // A liquid after a vowel was put between where the alignment
            // that holds it short and the one that lets it be long start it:
            // each is a way of placing it.
            if (!tail && st.heldStart >= 0)
                a.secondWayMs = std::max(a.secondWayMs, std::abs(st.heldStart - a[Mark::ConsonantStart]));
        }
        return true;
    }
    const QList<Syllable> &syllables = rec.names[p.file].syllables;
    const SyllableTimes &st = fa.syllables[p.syllable];
    a.at = st.marks;
    a.note = p.alias.kind == AliasInfo::Kind::Vc ? Mark::ConsonantStart : noteMark(fa, syllables, p.syllable);
    a.lengthMs = rec.lengthMs(p.file);
    a.vowelMs = st.mark(Mark::VowelEnd) - st.mark(a.note);
    a.fit = st.fit;
    a.offBeat = st.offBeat;
    a.clarity = st.clarity;
    a.margin = st.margin;
    a.fadeMs = st.fadeMs;
    a.unmarked = st.unmarked;
    if (p.alias.kind != AliasInfo::Kind::Tail)
        a.secondWayMs = secondWayOf(rec, p, a, a.note);
    if (p.syllable > 0 && !syllables[p.syllable - 1].rest && !startsFromSilence(fa, syllables, p.syllable))
        a.previousNote = fa.syllables[p.syllable - 1].mark(noteMark(fa, syllables, p.syllable - 1));
    return true;
}

// Where the set entries say the signal was misread: a set entry's note
// against where the estimate would have put it tells where its recording's
// boundary really is, and the entries at the same place of that recording
// (and, less, at the places next to it) move with it.
class RecordingShifts {
public:
    RecordingShifts(const Habits &habits, const Recordings &rec, const QList<Placed> &placed, const QList<clsOto> &entries,
                    const QSet<int> &targets, const EstimateParams &params)
        : hp_(params.habits)
    {
        for (const Placed &p : placed) {
            Anchors a;
            if (targets.contains(p.entry) || isUnset(entries[p.entry]) || !anchorsOf(rec, p, params.placement, a))
                continue;
            const double estimated = habits.estimate(p.alias, a).points[kPre];
            const double set = pointsOf(entries[p.entry], a.lengthMs)[kPre];
            residuals_[{p.file, p.syllable}].push_back(set - estimated);
        }
    }

    // How far to move an estimate at p: by the set entries nearest to its
    // place in its recording.
    double at(const Placed &p) const
    {
        for (int d = 0; d <= hp_.neighbourReach; ++d) {
            double sum = 0;
            int n = 0;
            for (int side : {-1, 1}) {
                const auto it = residuals_.constFind({p.file, p.syllable + side * d});
                if (it != residuals_.constEnd()) {
                    sum += median(it.value());
                    ++n;
                }
                if (d == 0)
                    break;
            }
            if (n > 0)
                return sum / n * (d == 0 ? hp_.samePlaceShare : hp_.neighbourShare);
        }
        return 0;
    }

private:
    HabitParams hp_;
    QHash<std::pair<int, int>, std::vector<double>> residuals_;  // (file, place) -> set minus estimated note
};

// How well vowels fit their models across the bank: below this, a vowel
// does not sound like its name.
double fitFloorOf(const std::vector<FileAlignment> &alignments, const FlagParams &fp)
{
    std::vector<double> fits;
    for (const FileAlignment &fa : alignments)
        if (fa.ok)
            for (const SyllableTimes &st : fa.syllables)
                if (st.fit != 0)  // 0: no vowel (an English consonant)
                    fits.push_back(st.fit);
    return median(fits) - fp.fitDeviations * std::max(1.0, statistics::medianAbsoluteDeviation(fits));
}

// How sure the estimate of an entry is (0..1), and when it is not, why.
struct Doubt {
    double confidence = 1;
    QString reason;
    void add(double confidenceLeft, const QString &why)
    {
        if (confidenceLeft < confidence) {
            confidence = confidenceLeft;
            reason = why;
        }
    }
};

Doubt doubtAbout(const AliasInfo &alias, const Anchors &a, const Habits::Result &r, double fitFloor, const EstimateParams &params)
{
    const FlagParams &fp = params.flags;
    Doubt d;
    const bool tail = alias.kind == AliasInfo::Kind::Tail
                      || (alias.kind == AliasInfo::Kind::Phonemes && alias.phonemes.kind == PhonemeAlias::Kind::Tail);
    if (a.offBeat && !tail)
        d.add(0.2, QStringLiteral("the note is far off the singer's beat"));
    if (a.fit != 0 && a.fit < fitFloor)
        d.add(0.3, QStringLiteral("the sound there does not match its name"));
    const bool vowel = alias.kind != AliasInfo::Kind::Phonemes || phonemeClass(alias.phonemes.phoneme()) == PhonemeClass::Vowel;
    if (!tail && vowel && a.vowelMs < fp.shortVowelMs)
        d.add(0.3, QStringLiteral("the vowel found is too short"));
    if (alias.kind == AliasInfo::Kind::Phonemes) {
        if (a.pathMargin < fp.narrowPathMargin)
            d.add(fp.threshold * a.pathMargin / fp.narrowPathMargin,
                  QStringLiteral("the sounds fit almost as well with this point %1 ms away").arg(qRound(params.align.marginMs)));
    } else if (!tail) {
        if (a.unmarked)
            d.add(0.3, QStringLiteral("nothing in the sound marks where the vowel sung again starts"));
        if (a.clarity < fp.unclearChange)
            d.add(0.45 * a.clarity / fp.unclearChange, QStringLiteral("the sound changes little where the note starts"));
        if (a.margin < fp.narrowMargin)
            d.add(0.45 * a.margin / fp.narrowMargin, QStringLiteral("another change of sound near the beat would do almost as well"));
    } else if (a.fadeMs > fp.slowFadeMs) {
        d.add(0.4, QStringLiteral("the vowel fades slowly: where its note ends is a matter of taste"));
    }
    if (fp.secondWayMs > 0 && a.secondWayMs > fp.secondWayMs)
        d.add(fp.threshold * fp.secondWayMs / a.secondWayMs,
              QStringLiteral("two ways of finding this point disagree by %1 ms").arg(qRound(a.secondWayMs)));
    if (r.farShare > 1 - fp.threshold)
        d.add(1 - r.farShare, QStringLiteral("the set entries of this kind are often far from where the signal puts them"));
    if (r.spread > fp.disagreeMs)
        d.add(std::max(0.0, 1 - r.spread / (2 * fp.disagreeMs)), QStringLiteral("the set entries of this kind disagree"));
    return d;
}

// How much the spectrum changes at an English entry's note.
struct NoteChange {
    int estimate;  // in the report
    QString kind;  // entryKind
    double change;
};

// A note of a kind is put where the sound changes as its kind's notes do:
// one where it hardly changes against the others of its kind was placed on
// little evidence. Against the other estimates of the run, so that it holds
// for any singer's and any microphone's levels of change.
void doubtUnclearNotes(QList<Estimate> &estimates, const std::vector<NoteChange> &changes, const FlagParams &fp)
{
    QHash<QString, std::vector<double>> ofKind;
    for (const NoteChange &c : changes)
        ofKind[c.kind].push_back(c.change);
    QHash<QString, double> typical;
    for (auto it = ofKind.begin(); it != ofKind.end(); ++it)
        if (int(it->size()) >= fp.minKindNotes)
            typical.insert(it.key(), median(*it));
    for (const NoteChange &c : changes) {
        const double t = typical.value(c.kind, 0.0);
        if (t <= 0 || c.change >= fp.unclearPhonemeChange * t)
            continue;
        Estimate &e = estimates[c.estimate];
        const double confidence = fp.threshold * c.change / (fp.unclearPhonemeChange * t);
        if (confidence < e.confidence) {
            e.confidence = confidence;
            if (confidence < fp.threshold)
                e.reason = QStringLiteral("the sound changes little where the note starts");
        }
    }
}

// Places every aligned recording's syllables a second way, independent of
// how the estimate placed them: a syllable's onset by the local detector
// alone (the estimate weighs it against the beat), an English recording's
// phonemes by aligning again with other settings (the estimate takes the
// alignment's boundaries). Where a way of finding a note is unsure, a
// change of its settings or of its evidence moves the note to another
// change of sound.
void placeSecondWays(Recordings &rec, const QList<AlignInput> &inputs, const QList<int> &fileOfInput, const EstimateOptions &options)
{
    rec.secondWays.assign(size_t(rec.files.size()), {});
    QList<AlignInput> phonemeInputs;
    QList<int> fileOfPhonemeInput;
    for (int k = 0; k < inputs.size(); ++k) {
        const int f = fileOfInput[k];
        const FileAlignment &fa = rec.alignments[size_t(f)];
        if (!inputs[k].phonemes.isEmpty()) {
            phonemeInputs.append(inputs[k]);
            fileOfPhonemeInput.append(f);
        } else if (fa.ok) {
            FileAlignment looks = fa;
            looks.syllables = firstLooks(fa, *inputs[k].features, inputs[k].syllables, options.params.landmarks);
            rec.secondWays[size_t(f)].push_back(std::move(looks));
        }
    }
    if (phonemeInputs.isEmpty())
        return;
    const FlagParams &fp = options.params.flags;
    AlignParams fine = options.params.align, coarse = options.params.align, loose = options.params.align;
    fine.step = fp.fineStep;
    coarse.step = fp.coarseStep;
    loose.minVowelShare = fp.looseVowelShare;
    loose.pausePenalty = fp.loosePausePenalty;
    fine.marginMs = coarse.marginMs = loose.marginMs = 0;
    for (const AlignParams &params : {fine, coarse, loose}) {
        const QList<FileAlignment> again = Aligner(params, options.params.landmarks).alignAll(phonemeInputs, options.threads);
        for (int k = 0; k < again.size(); ++k)
            rec.secondWays[size_t(fileOfPhonemeInput[k])].push_back(again[k]);
    }
}

int peakOf(const QList<qint16> &samples)
{
    int peak = 0;
    for (qint16 s : samples)
        peak = std::max(peak, std::abs(int(s)));
    return peak;
}

// Reads every recording and its features, several at a time, from the
// cache when it has them.
void readFeatures(Recordings &rec, const WaveSource &source, FeatureCache *cache, int threads,
                  const FeatureOptions &options)
{
    const int count = int(rec.files.size());
    rec.features.assign(size_t(count), nullptr);
    rec.loadErrors.assign(size_t(count), QString());
    parallelFor(count, threads, [&](int f) {
        const QString &name = rec.files[f];
        auto compute = [&]() -> std::shared_ptr<const WaveFeatures> {
            WaveData d = source.load ? source.load(name) : WaveData{{}, 0, QStringLiteral("no waves")};
            if (!d.error.isEmpty() || d.samples.isEmpty()) {
                rec.loadErrors[size_t(f)] = d.error.isEmpty() ? QStringLiteral("empty wave") : d.error;
                return nullptr;
            }
            if (peakOf(d.samples) <= options.silentPeak) {
                rec.loadErrors[size_t(f)] = QStringLiteral("the recording is silent");
                return nullptr;
            }
            const std::span<const qint16> samples(d.samples.constData(), size_t(d.samples.size()));
            return std::make_shared<const WaveFeatures>(computeFeatures(samples, d.sampleRate, options));
        };
        const QString key = cache && source.cacheKey ? source.cacheKey(name) : QString();
        rec.features[size_t(f)] = cache ? cache->get(key, options, compute) : compute();
    });
}

}  // namespace

EstimateReport Estimator::estimate(const QList<clsOto> &entries, const QList<int> &targets, const EstimateOptions &options)
{
    QElapsedTimer timer;
    timer.start();
    EstimateReport report;
    const QSet<int> targetSet(targets.begin(), targets.end());
    Recordings rec;
    const QList<Placed> placed = placeEntries(entries, targetSet, options.affixPairs, rec);
    readFeatures(rec, source_, cache_, options.threads, options.params.features);
    report.featuresMs = timer.nsecsElapsed() / 1e6;

    // Segment every recording that names syllables and could be read,
    // all together: the aligner learns this singer's sounds from them.
    QList<AlignInput> inputs;
    QList<int> fileOfInput;
    for (int f = 0; f < rec.files.size(); ++f) {
        if (rec.features[size_t(f)] && rec.features[size_t(f)]->frames > 0
            && (!rec.names[f].syllables.isEmpty() || !rec.phonemes[f].isEmpty())) {
            inputs.append(AlignInput{rec.features[size_t(f)], rec.names[f].syllables, rec.phonemes[f]});
            fileOfInput.append(f);
        }
    }
    rec.alignments.assign(size_t(rec.files.size()), FileAlignment());
    const QList<FileAlignment> aligned = Aligner(options.params.align, options.params.landmarks).alignAll(inputs, options.threads);
    for (int k = 0; k < aligned.size(); ++k)
        rec.alignments[size_t(fileOfInput[k])] = aligned[k];
    placeSecondWays(rec, inputs, fileOfInput, options);
    report.alignMs = timer.nsecsElapsed() / 1e6 - report.featuresMs;

    std::vector<Taught> taught;
    for (const Placed &p : placed) {
        Anchors a;
        if (!targetSet.contains(p.entry) && !isUnset(entries[p.entry]) && anchorsOf(rec, p, options.params.placement, a))
            taught.push_back({p.alias, a, entries[p.entry], p.file});
    }
    Habits habits(options.params.habits, options.params.placement);
    for (const Taught &t : taught)
        habits.learn(t.alias, t.anchors, t.entry);
    const std::array<double, kPoints> learntShare = learntShares(taught, options.params.habits, options.params.placement);
    // Off while both shares are 0: nothing to work out then.
    const HabitParams &hp = options.params.habits;
    const std::optional<RecordingShifts> shifts =
        hp.samePlaceShare != 0 || hp.neighbourShare != 0
            ? std::optional<RecordingShifts>(std::in_place, habits, rec, placed, entries, targetSet, options.params)
            : std::nullopt;
    // An entry keeps its form of right bound; an unset one takes the bank's.
    const bool bankPositive = std::any_of(entries.begin(), entries.end(), [](const clsOto &e) { return e.prmRT != 0; })
                                  ? bankUsesPositiveRight(entries)
                                  : options.positiveRight;
    const double fitFloor = fitFloorOf(rec.alignments, options.params.flags);
    std::vector<NoteChange> noteChanges;
    for (int index : targets) {
        Estimate est;
        est.index = index;
        if (index < 0 || index >= entries.size()) {
            est.reason = QStringLiteral("no such entry");
        } else {
            est.entry = entries[index];
            const Placed &p = placed[index];
            Anchors a;
            if (p.alias.kind == AliasInfo::Kind::Unknown) {
                est.reason = QStringLiteral("the alias names no syllable");
            } else if (p.syllable < 0) {
                est.reason = QStringLiteral("the alias is not among the syllables of the file name");
            } else if (!rec.loadErrors[size_t(p.file)].isEmpty()) {
                est.reason = rec.loadErrors[size_t(p.file)];
            } else if (!anchorsOf(rec, p, options.params.placement, a)) {
                est.reason = QStringLiteral("the recording could not be segmented");
            } else {
                Habits::Result r = habits.estimate(p.alias, a);
                r.points = withShare(r, learntShare);
                const double shift = shifts ? shifts->at(p) : 0;
                for (double &x : r.points)
                    x += shift;
                const double was = entries[index].prmRT;
                est.entry = entryFrom(entries[index], r.points, a.lengthMs, was != 0 ? was > 0 : bankPositive);
                est.estimated = true;
                const Doubt doubt = doubtAbout(p.alias, a, r, fitFloor, options.params);
                est.confidence = doubt.confidence;
                if (doubt.confidence < options.params.flags.threshold)
                    est.reason = doubt.reason;
                if (p.alias.kind == AliasInfo::Kind::Phonemes) {
                    const FlagParams &fp = options.params.flags;
                    noteChanges.push_back({int(report.estimates.size()), entryKind(p.alias),
                                           changeNear(*rec.features[size_t(p.file)], r.points[kPre], fp.noteChangeSpanMs,
                                                      fp.noteChangeReachMs)});
                }
            }
        }
        report.estimates.append(est);
    }
    doubtUnclearNotes(report.estimates, noteChanges, options.params.flags);
    for (Estimate &est : report.estimates) {
        est.flagged = !est.reason.isEmpty();
        report.flagged += est.flagged ? 1 : 0;
    }
    report.elapsedMs = timer.nsecsElapsed() / 1e6;
    return report;
}

namespace {

AliasSpelling::Script scriptOf(QStringView text)
{
    using Script = AliasSpelling::Script;
    const char16_t c = text.isEmpty() ? 0 : text.front().unicode();
    if (c >= u'ァ' && c <= u'ヺ')
        return Script::Katakana;
    return c >= u'ぁ' && c <= u'ゖ' ? Script::Hiragana : Script::Romaji;  // romaji: no kana
}

// Kana in one script, hiragana or katakana.
QString inScript(QString kana, AliasSpelling::Script script)
{
    constexpr char16_t shift = u'ァ' - u'ぁ';
    for (QChar &c : kana)
        if (script == AliasSpelling::Script::Katakana && c >= u'ぁ' && c <= u'ゖ')
            c = QChar(c.unicode() + shift);
        else if (script == AliasSpelling::Script::Hiragana && c >= u'ァ' && c <= u'ヶ')
            c = QChar(c.unicode() - shift);
    return kana;
}

}  // namespace

AliasSpelling bankSpelling(const QStringList &aliases)
{
    using Script = AliasSpelling::Script;
    QHash<Script, int> count;
    for (const QString &alias : aliases) {
        const AliasInfo a = parseAlias(alias);
        if (a.kind == AliasInfo::Kind::Unknown || a.kind == AliasInfo::Kind::Tail)
            continue;
        // Kana anywhere ("a か2") is the syllable's; romaji has none.
        Script script = Script::Romaji;
        for (QChar c : alias)
            if (const Script written = scriptOf(QStringView(&c, 1)); written != Script::Romaji)
                script = written;
        count[script] += 1;
    }
    AliasSpelling spelling;
    int most = 0;
    for (Script script : {Script::Hiragana, Script::Katakana, Script::Romaji})
        if (count.value(script) > most) {
            most = count.value(script);
            spelling.script = script;
        }
    return spelling;
}

QString AliasSpelling::spell(const Syllable &s, QStringView named) const
{
    if (script == Script::Romaji)
        return romajiOf(s);
    if (!named.isEmpty() && scriptOf(named) != Script::Romaji) {
        const std::optional<Syllable> read = parseOneSyllable(named);
        if (read && read->key() == s.key())
            return inScript(named.toString(), script);
    }
    // A sound no kana spells (a name with odd small kana) is written in
    // romaji, so that every entry made reads back as its syllable.
    const QString kana = kanaOf(s);
    const std::optional<Syllable> back = parseOneSyllable(kana);
    if (!back || back->key() != s.key())
        return romajiOf(s);
    return inScript(kana, script);
}

QStringList namedAliases(const QString &file, const AliasSpelling &spelling, RecordingNaming naming)
{
    const FileSyllables fs = parseFileName(file);
    if (!fs.complete)
        return {};  // not named by the usual naming: a person knows better
    QStringList out;
    const QList<Syllable> &s = fs.syllables;
    for (int i = 0; i < s.size(); ++i) {
        if (s[i].rest)
            continue;
        const QString spelt = spelling.spell(s[i], fs.spellings.value(i));
        if (!fs.vcv) {
            out << spelt;
            continue;
        }
        const bool afterSilence = i == 0 || s[i - 1].rest;
        if (afterSilence)
            out << QStringLiteral("- ") + spelt;
        else if (naming == RecordingNaming::Cvvc && !s[i].consonant.isEmpty())
            out << QString(s[i - 1].vowel) + u' ' + s[i].consonant << spelt;
        else
            out << QString(s[i - 1].vowel) + u' ' + spelt;
        if (i + 1 == s.size() || s[i + 1].rest)
            out << QString(s[i].vowel) + (i + 1 == s.size() ? QStringLiteral(" -") : QStringLiteral(" R"));
    }
    // A sound neither kana nor romaji spells so that it reads back (a small
    // ゎ after a katakana ツ) would make an entry that names nothing in its
    // recording: leave it to the person, as an odd name is.
    QHash<QString, int> seen;
    out.removeIf([&](const QString &alias) { return placeAlias(parseAlias(alias), s, seen[alias]++) < 0; });
    return out;
}

namespace {

// How a bank names what generation has to name: its tails ("a R" or
// "a -"), a second take of an alias it already has (the same alias again,
// or numbered from firstNumber: "a か2"), and the kana of one sound it gives
// an entry under both (a copy of "a お" as "a を", so that either lyric
// finds it).
struct Naming {
    enum class Takes { Skipped, Repeated, Numbered };
    QString tail;  // empty: "R" before a rest inside a name, "-" at its end
    Takes takes = Takes::Skipped;
    int firstNumber = 2;
    RecordingNaming recordings = RecordingNaming::Vcv;
    QHash<QString, QStringList> alsoWritten;  // kana -> the other kana of its sound ("お" -> "を")
};

// An alias as what comes before its syllable ("a ", "- ", "") and the
// syllable's kana; no kana when the syllable is not all kana ("ka", "か2").
std::pair<QString, QString> syllableKana(const QString &alias)
{
    const qsizetype space = alias.lastIndexOf(u' ');
    const QString kana = alias.sliced(space + 1);
    for (QChar c : kana)
        if (scriptOf(QStringView(&c, 1)) == AliasSpelling::Script::Romaji)
            return {alias, QString()};
    return {alias.first(space + 1), kana};
}

// Where one recording has an entry under two kana of one sound ("- お",
// "- を"), the bank writes that sound both ways.
QHash<QString, QStringList> soundsWrittenTwice(const QList<clsOto> &existing)
{
    QHash<QString, QStringList> spellings;  // file, what comes before, sound -> its kana
    for (const clsOto &e : existing) {
        const AliasInfo a = parseAlias(e.ALS);
        const auto [before, kana] = syllableKana(e.ALS.trimmed());
        if (kana.isEmpty() || (a.kind != AliasInfo::Kind::Cv && a.kind != AliasInfo::Kind::Head && a.kind != AliasInfo::Kind::Vcv))
            continue;
        QStringList &written = spellings[e.FIL + u'\n' + before + u'\n' + a.syllable.plainKey()];
        if (!written.contains(kana))
            written << kana;
    }
    QHash<QString, QStringList> also;
    for (const QStringList &written : std::as_const(spellings))
        for (const QString &one : written)
            for (const QString &other : written)
                if (one != other && !also[one].contains(other))
                    also[one] << other;
    return also;
}

Naming namingOf(const QList<clsOto> &existing)
{
    Naming n;
    int tailsR = 0, tailsDash = 0, repeated = 0, numbered = 0, vcv = 0, vc = 0;
    QSet<QString> aliases, seen;
    for (const clsOto &e : existing)
        aliases.insert(e.ALS);
    static const QRegularExpression number(QStringLiteral("^(.*\\D)(\\d+)$"));
    for (const clsOto &e : existing) {
        if (seen.contains(e.ALS))
            ++repeated;
        seen.insert(e.ALS);
        if (const auto m = number.match(e.ALS); m.hasMatch() && aliases.contains(m.captured(1))) {
            n.firstNumber = numbered++ == 0 ? m.captured(2).toInt() : std::min(n.firstNumber, m.captured(2).toInt());
        }
        const AliasInfo a = parseAlias(e.ALS);
        if (a.kind == AliasInfo::Kind::Tail)
            (e.ALS.trimmed().endsWith(u'R') ? tailsR : tailsDash)++;
        vcv += a.kind == AliasInfo::Kind::Vcv ? 1 : 0;
        vc += a.kind == AliasInfo::Kind::Vc ? 1 : 0;
    }
    // A CVVC bank still has a few vowel-to-vowel entries ("a i").
    if (vc > vcv)
        n.recordings = RecordingNaming::Cvvc;
    if (tailsR + tailsDash > 0)
        n.tail = tailsR > tailsDash ? QStringLiteral("R") : QStringLiteral("-");
    n.alsoWritten = soundsWrittenTwice(existing);
    if (numbered > repeated)
        n.takes = Naming::Takes::Numbered;
    else if (repeated > 0)
        n.takes = Naming::Takes::Repeated;
    return n;
}

// The recordings in the order a reclist sings them, as far as their names
// tell: the plain rows (each syllable one kana) before those with small
// kana or rests, so that an alias two recordings sing goes to the plainer
// one ("o き" to "_こんここかこきこ", not to "_きょんきょきょきゃきょききょ").
QStringList inReclistOrder(QStringList files)
{
    auto unplain = [](const QString &file) {
        const FileSyllables fs = parseFileName(file);
        int n = 0;
        for (qsizetype i = 0; i < fs.syllables.size(); ++i) {
            const QString &written = fs.spellings.value(i);
            const bool smallKana = written.size() > 1 && scriptOf(written) != AliasSpelling::Script::Romaji;
            n += fs.syllables[i].rest || smallKana || kanaOf(fs.syllables[i]).size() != 1 ? 1 : 0;
        }
        return n;
    };
    QHash<QString, int> cost;
    for (const QString &file : files)
        cost.insert(file, unplain(file));
    std::stable_sort(files.begin(), files.end(),
                     [&](const QString &a, const QString &b) { return cost.value(a) < cost.value(b); });
    return files;
}

}  // namespace

QList<clsOto> generateEntries(const QList<clsOto> &existing, const QStringList &waveFiles,
                              const QHash<QString, QStringList> &namesakes)
{
    QSet<QString> named;
    QHash<QString, int> takes;  // alias -> how many the bank has
    QStringList existingAliases;
    for (const clsOto &e : existing) {
        named.insert(e.FIL);
        takes[e.ALS] += 1;
        existingAliases << e.ALS;
    }
    const Naming naming = namingOf(existing);
    const AliasSpelling spelling = bankSpelling(existingAliases);
    QStringList singerAliases = existingAliases;
    for (const QStringList &aliases : namesakes)
        singerAliases += aliases;
    const bool phonemes = readsAsPhonemes(singerAliases);
    const QSet<QString> had(existingAliases.cbegin(), existingAliases.cend());
    QHash<QString, QList<clsOto>> madeFor;  // file -> its entries
    auto append = [&](const QString &file, const QString &alias) {
        clsOto e;
        e.FIL = file;
        e.ALS = alias;
        madeFor[file].append(e);
    };
    auto add = [&](const QString &file, const QString &alias) {
        const int before = takes.value(alias);
        takes[alias] = before + 1;
        QString name = alias;
        if (before > 0) {
            if (naming.takes == Naming::Takes::Skipped)
                return;
            if (naming.takes == Naming::Takes::Numbered)
                name = alias + QString::number(naming.firstNumber + before - 1);
        }
        append(file, name);
    };
    // The bank's own tail ("a R" or "a -") wherever it has tails.
    auto tailed = [&](const QString &alias) {
        const bool tail = alias.endsWith(QStringLiteral(" -")) || alias.endsWith(QStringLiteral(" R"));
        return tail && !naming.tail.isEmpty() ? alias.chopped(1) + naming.tail : alias;
    };
    for (const QString &file : inReclistOrder(waveFiles)) {
        if (named.contains(file))
            continue;
        if (const auto namesake = namesakes.constFind(file); namesake != namesakes.cend()) {
            // Takes and tails as there; an alias this folder already has
            // from another recording is not made again.
            for (const QString &alias : *namesake)
                if (!had.contains(alias))
                    append(file, alias);
            continue;
        }
        if (phonemes)
            continue;
        for (const QString &alias : namedAliases(file, spelling, naming.recordings)) {
            add(file, tailed(alias));
            const auto [before, kana] = syllableKana(alias);
            for (const QString &other : naming.alsoWritten.value(kana))
                add(file, before + other);
        }
    }
    QList<clsOto> out;
    for (const QString &file : waveFiles)
        out += madeFor.value(file);
    return out;
}

}  // namespace analysis
