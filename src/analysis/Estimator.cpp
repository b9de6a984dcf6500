#include "analysis/Estimator.h"

#include "analysis/Aligner.h"
#include "analysis/Landmarks.h"
#include "analysis/Parallel.h"
#include "wave/clsWave.h"
#include "oto/modLocale.h"
#include "core/modUtils.h"

#include <QElapsedTimer>
#include <QHash>
#include <QSet>
#include <algorithm>
#include <array>
#include <cmath>
#include <optional>

namespace analysis {

namespace {

// The five points of an entry as absolute times in the wave.
enum Point { kLeft, kPre, kOverlap, kFixed, kEnd, kPoints };

// Labellers differ by this much (ms, one standard deviation) in where they
// put a point relative to the signal; a group whose siblings teach nothing
// about how much groups differ is assumed to differ by the second.
constexpr double kLabellerSpreadMs = 30.0;
constexpr double kUnknownSpreadMs = 10.0;
constexpr double kMinSpreadMs = 2.0;
constexpr double kPriorGroups = 2.0;
// No labeller places points more steadily than this (ms, one standard
// deviation), however few of their points agree.
constexpr double kMinNoiseMs = 10.0;
// A median of n points varies about pi/2 times as much as their mean; a
// median absolute deviation times 1.4826 estimates a standard deviation.
constexpr double kMedianVariance = 1.5708;
constexpr double kMadToSd = 1.4826;
// A group never outweighs its parent with a single entry, however much the
// groups seem to differ; the bank-wide habit (whose parent is the defaults)
// may be learnt from one.
constexpr double kMinPull = 1.0;
constexpr double kMinTopPull = 0.1;
constexpr double kMaxPull = 50.0;
// Set entries of one kind that place the preutterance this far apart
// (median absolute deviation, ms) teach nothing reliable.
constexpr double kDisagreeMs = 25.0;
constexpr double kShortVowelMs = 50.0;
constexpr double kTailBeforeFallMs = 40.0;

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
    double previousNote = -1;  // where the syllable before starts, when one is sung right before

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
    if (a.kind == Kind::Tail)
        return {QStringLiteral("tail ") + a.prevVowel, QStringLiteral("tail")};
    const QString kind = a.kind == Kind::Head ? QStringLiteral("head") : a.kind == Kind::Cv ? QStringLiteral("cv") : QStringLiteral("vcv");
    const ConsonantClass cc = a.syllable.consonantClass();
    return {kind + u' ' + soundOf(a), kind + u' ' + className(cc), kind, QStringLiteral("syllable")};
}

double median(std::vector<double> v)
{
    if (v.empty())
        return 0;
    const size_t k = v.size() / 2;
    std::nth_element(v.begin(), v.begin() + qsizetype(k), v.end());
    double m = v[k];
    if (v.size() % 2 == 0) {
        std::nth_element(v.begin(), v.begin() + qsizetype(k - 1), v.end());
        m = (m + v[k - 1]) / 2;
    }
    return m;
}

double mad(const std::vector<double> &v)
{
    const double m = median(v);
    std::vector<double> d;
    d.reserve(v.size());
    for (double x : v)
        d.push_back(std::abs(x - m));
    return median(d);
}

// Where a careful first guess puts the points when the bank has taught
// nothing about this kind of entry: the note at the vowel's onset, the
// entry starting before the consonant (for VCV, in the middle of the vowel
// before), the crossfade a third of the way in, the vowel usable until
// shortly before the next sound.
std::array<double, kPoints> defaultPoints(const AliasInfo &alias, const Anchors &a)
{
    const double v = a[a.note], c = a[Mark::ConsonantStart], e = a[Mark::VowelEnd];
    std::array<double, kPoints> p{};
    if (alias.kind == AliasInfo::Kind::Tail) {
        // The note ends a little before the sound has died away: the
        // fading belongs to the rest that follows.
        p[kPre] = a[Mark::VowelFall] - kTailBeforeFallMs;
        p[kLeft] = std::max(v, p[kPre] - 150);
        p[kOverlap] = p[kLeft] + (p[kPre] - p[kLeft]) / 3;
        p[kFixed] = p[kPre] + 50;
        p[kEnd] = std::min(a.lengthMs, e + 250);
        return p;
    }
    p[kPre] = v;
    if (alias.kind == AliasInfo::Kind::Head || alias.kind == AliasInfo::Kind::Cv)
        p[kLeft] = std::min(v - 30, c - 40);
    else if (a.previousNote >= 0)
        // Halfway into the vowel before, where it is steady enough to
        // crossfade from, and before the whole consonant.
        p[kLeft] = std::min({(a.previousNote + v) / 2, c - 40, v - 60});
    else
        p[kLeft] = v - std::clamp(v - c + 80, 120.0, 400.0);
    p[kOverlap] = p[kLeft] + (v - p[kLeft]) / 3;
    p[kFixed] = v + 60;
    p[kEnd] = std::max(p[kFixed] + 20, e - 40);
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
    p[kEnd] = e.prmRT >= 0 ? lengthMs - e.prmRT : e.prmLF - e.prmRT;
    return p;
}

// What the set entries teach: per group of entries and per point, how far
// the labeller puts the point from the mark it is measured from.
class Habits {
public:
    void learn(const AliasInfo &alias, const Anchors &a, const clsOto &entry)
    {
        const auto p = pointsOf(entry, a.lengthMs);
        const QStringList groups = groupsOf(alias);
        for (qsizetype g = 0; g < groups.size(); ++g) {
            Group &grp = groups_[groups[g]];
            if (grp.entries++ == 0) {
                grp.parent = g + 1 < groups.size() ? groups[g + 1] : QString();
                children_[grp.parent].append(groups[g]);
            }
            for (int pt = 0; pt < kPoints; ++pt)
                grp.delta[pt].push_back(p[pt] - a[defaultMark(pt, alias, a)]);
        }
        (entry.prmRT >= 0 ? positiveRt_ : negativeRt_)++;
    }

    bool positiveRt() const { return positiveRt_ > negativeRt_; }

    struct Result {
        std::array<double, kPoints> points{};
        double spread = 0;  // of the preutterance in the narrowest group that had entries
    };

    // From the broadest group to the narrowest, each group's median
    // distance refines its parent's by as much as its entries and the
    // real differences between groups warrant.
    Result estimate(const AliasInfo &alias, const Anchors &a) const
    {
        Result r;
        const auto fallback = defaultPoints(alias, a);
        const QStringList groups = groupsOf(alias);
        for (int pt = 0; pt < kPoints; ++pt) {
            const Mark mark = defaultMark(pt, alias, a);
            double delta = fallback[pt] - a[mark];
            for (qsizetype g = groups.size() - 1; g >= 0; --g) {
                const Group *grp = find(groups[g]);
                if (!grp)
                    continue;
                const auto &d = grp->delta[pt];
                const double n = double(d.size());
                const double k = pull(grp->parent, pt);
                delta = (n * median(d) + k * delta) / (n + k);
                if (pt == kPre)
                    r.spread = n >= 3 ? mad(d) : 0;
            }
            r.points[pt] = a[mark] + delta;
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

    const Group *find(const QString &g) const
    {
        auto it = groups_.constFind(g);
        return it == groups_.constEnd() ? nullptr : &it.value();
    }

    static Mark defaultMark(int point, const AliasInfo &alias, const Anchors &a)
    {
        if (point == kEnd)
            return Mark::VowelEnd;
        if (alias.kind == AliasInfo::Kind::Tail)
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
        const double sigma = std::max(kMinNoiseMs, kMadToSd * median(residuals));
        const double medianNoise = kMedianVariance * sigma * sigma;
        double between = up ? kUnknownSpreadMs * kUnknownSpreadMs : kLabellerSpreadMs * kLabellerSpreadMs;
        if (!offsets.empty()) {
            // What the groups show, weighed against the assumed spread as
            // if that were seen in kPriorGroups groups.
            double sum = kPriorGroups * between;
            for (size_t i = 0; i < offsets.size(); ++i)
                sum += offsets[i] - medianNoise / noise[i];
            between = std::max(kMinSpreadMs * kMinSpreadMs, sum / (double(offsets.size()) + kPriorGroups));
        }
        const double k = std::clamp(medianNoise / between, up ? kMinPull : kMinTopPull, kMaxPull);
        pulls_.insert(key, k);
        return k;
    }

    QHash<QString, Group> groups_;
    QHash<QString, QStringList> children_;  // by parent
    mutable QHash<QString, double> pulls_;
    int positiveRt_ = 0, negativeRt_ = 0;
};

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
            d.error = wave.GetError().split(QStringLiteral("\r\n")).value(0);
            if (wave.errType == WaveError::NotFound)
                d.error = QStringLiteral("missing: ") + wave.FileAddress;
            return d;
        }
        d.samples = wave.getData();
        d.sampleRate = wave.Samplerate;
        return d;
    };
    s.cacheKey = [folder, locale](const QString &fileName) {
        const QString name = locale ? locale->onDiskName(fileName) : fileName;
        return FeatureCache::fileKey(joinPath(folder, name));
    };
    return s;
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
    case AliasInfo::Kind::Head: return QStringLiteral("head");
    case AliasInfo::Kind::Cv: return QStringLiteral("CV ") + className(alias.syllable.consonantClass());
    case AliasInfo::Kind::Vcv: return className(alias.syllable.consonantClass());
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
    double lengthMs(int file) const { return features[size_t(file)]->lengthMs(); }
};

// Places every entry that is a target or set among the syllables of its
// file's name; the n-th entry of one alias in one file takes the n-th place.
QList<Placed> placeEntries(const QList<clsOto> &entries, const QSet<int> &targets, Recordings &rec)
{
    QHash<QString, int> fileIndex;
    QHash<QString, int> occurrences;  // file + alias -> entries seen
    QList<Placed> placed(entries.size());
    for (int i = 0; i < entries.size(); ++i) {
        const clsOto &e = entries[i];
        Placed &p = placed[i];
        p.entry = i;
        p.alias = parseAlias(e.ALS);
        if (p.alias.kind == AliasInfo::Kind::Unknown || (!targets.contains(i) && isUnset(e)))
            continue;  // no syllable, or neither estimated nor teaching
        if (!fileIndex.contains(e.FIL)) {
            fileIndex.insert(e.FIL, int(rec.files.size()));
            rec.files.append(e.FIL);
            rec.names.append(parseFileName(e.FIL));
        }
        p.file = fileIndex.value(e.FIL);
        const QString occKey = e.FIL + u'\n' + e.ALS;
        p.syllable = placeAlias(p.alias, rec.names[p.file].syllables, occurrences.value(occKey));
        occurrences[occKey] += 1;
    }
    return placed;
}

// The marks of an entry's syllable, and what the default points need.
bool anchorsOf(const Recordings &rec, const Placed &p, Anchors &a)
{
    if (p.file < 0 || p.syllable < 0 || !rec.alignments[size_t(p.file)].ok)
        return false;
    const FileAlignment &fa = rec.alignments[size_t(p.file)];
    const QList<Syllable> &syllables = rec.names[p.file].syllables;
    const SyllableTimes &st = fa.syllables[p.syllable];
    a.at = st.marks;
    a.note = noteMark(fa, syllables, p.syllable);
    a.lengthMs = rec.lengthMs(p.file);
    a.vowelMs = st.mark(Mark::VowelEnd) - st.mark(a.note);
    a.fit = st.fit;
    a.offBeat = st.offBeat;
    if (p.syllable > 0 && !syllables[p.syllable - 1].rest && !startsFromSilence(fa, syllables, p.syllable))
        a.previousNote = fa.syllables[p.syllable - 1].mark(noteMark(fa, syllables, p.syllable - 1));
    return true;
}

// How well vowels fit their models across the bank: below this, a vowel
// does not sound like its name.
double fitFloorOf(const std::vector<FileAlignment> &alignments)
{
    std::vector<double> fits;
    for (const FileAlignment &fa : alignments)
        if (fa.ok)
            for (const SyllableTimes &st : fa.syllables)
                fits.push_back(st.fit);
    return median(fits) - 6 * std::max(1.0, mad(fits));
}

// Why a person should look at an estimated entry, or nothing.
QString doubtAbout(const AliasInfo &alias, const Anchors &a, const Habits::Result &r, double fitFloor)
{
    const bool tail = alias.kind == AliasInfo::Kind::Tail;
    if (a.offBeat && !tail)
        return QStringLiteral("the note is far off the singer's beat");
    if (a.fit < fitFloor)
        return QStringLiteral("the sound there does not match its name");
    if (!tail && a.vowelMs < kShortVowelMs)
        return QStringLiteral("the vowel found is too short");
    if (r.spread > kDisagreeMs)
        return QStringLiteral("the set entries of this kind disagree");
    return QString();
}

// Reads every recording and its features, several at a time, from the
// cache when it has them.
void readFeatures(Recordings &rec, const WaveSource &source, FeatureCache *cache, int threads)
{
    const int count = int(rec.files.size());
    rec.features.assign(size_t(count), nullptr);
    rec.loadErrors.assign(size_t(count), QString());
    const FeatureOptions options;
    parallelFor(count, threads, [&](int f) {
        const QString &name = rec.files[f];
        auto compute = [&]() -> std::shared_ptr<const WaveFeatures> {
            WaveData d = source.load ? source.load(name) : WaveData{{}, 0, QStringLiteral("no waves")};
            if (!d.error.isEmpty() || d.samples.isEmpty()) {
                rec.loadErrors[size_t(f)] = d.error.isEmpty() ? QStringLiteral("empty wave") : d.error;
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
    const QList<Placed> placed = placeEntries(entries, targetSet, rec);
    readFeatures(rec, source_, cache_, options.threads);
    report.featuresMs = timer.nsecsElapsed() / 1e6;

    // Segment every recording that names syllables and could be read,
    // all together: the aligner learns this singer's sounds from them.
    QList<AlignInput> inputs;
    QList<int> fileOfInput;
    for (int f = 0; f < rec.files.size(); ++f) {
        if (rec.features[size_t(f)] && rec.features[size_t(f)]->frames > 0 && !rec.names[f].syllables.isEmpty()) {
            inputs.append(AlignInput{rec.features[size_t(f)], rec.names[f].syllables});
            fileOfInput.append(f);
        }
    }
    rec.alignments.assign(size_t(rec.files.size()), FileAlignment());
    const QList<FileAlignment> aligned = Aligner().alignAll(inputs, options.iterations, options.threads);
    for (int k = 0; k < aligned.size(); ++k)
        rec.alignments[size_t(fileOfInput[k])] = aligned[k];
    report.alignMs = timer.nsecsElapsed() / 1e6 - report.featuresMs;

    Habits habits;
    for (const Placed &p : placed) {
        Anchors a;
        if (!targetSet.contains(p.entry) && !isUnset(entries[p.entry]) && anchorsOf(rec, p, a))
            habits.learn(p.alias, a, entries[p.entry]);
    }
    const double fitFloor = fitFloorOf(rec.alignments);
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
            } else if (!anchorsOf(rec, p, a)) {
                est.reason = QStringLiteral("the recording could not be segmented");
            } else {
                const Habits::Result r = habits.estimate(p.alias, a);
                est.entry = entryFrom(entries[index], r.points, a.lengthMs, habits.positiveRt());
                est.estimated = true;
                est.reason = doubtAbout(p.alias, a, r, fitFloor);
            }
        }
        est.flagged = !est.reason.isEmpty();
        report.flagged += est.flagged ? 1 : 0;
        report.estimates.append(est);
    }
    report.elapsedMs = timer.nsecsElapsed() / 1e6;
    return report;
}

AliasSpelling bankSpelling(const QStringList &aliases)
{
    int romaji = 0, kana = 0;
    for (const QString &alias : aliases) {
        const AliasInfo a = parseAlias(alias);
        if (a.kind == AliasInfo::Kind::Unknown || a.kind == AliasInfo::Kind::Tail)
            continue;
        const QString text = alias.trimmed();
        (text.back().unicode() < 0x80 ? romaji : kana)++;
    }
    return AliasSpelling{romaji > kana};
}

QString AliasSpelling::spell(const Syllable &s) const
{
    // A sound no kana spells (a name with odd small kana) is written in
    // romaji, so that every entry made reads back as its syllable.
    const QString kana = kanaOf(s);
    const std::optional<Syllable> back = parseOneSyllable(kana);
    return romaji || !back || back->key() != s.key() ? romajiOf(s) : kana;
}

QStringList namedAliases(const QString &file, const AliasSpelling &spelling)
{
    const FileSyllables fs = parseFileName(file);
    if (!fs.complete)
        return {};  // not named by the usual naming: a person knows better
    QStringList out;
    const QList<Syllable> &s = fs.syllables;
    for (int i = 0; i < s.size(); ++i) {
        if (s[i].rest)
            continue;
        if (!fs.vcv) {
            out << spelling.spell(s[i]);
            continue;
        }
        const bool afterSilence = i == 0 || s[i - 1].rest;
        out << (afterSilence ? QStringLiteral("-") : QString(s[i - 1].vowel)) + u' ' + spelling.spell(s[i]);
        if (i + 1 == s.size() || s[i + 1].rest)
            out << QString(s[i].vowel) + (i + 1 == s.size() ? QStringLiteral(" -") : QStringLiteral(" R"));
    }
    return out;
}

QList<clsOto> generateEntries(const QList<clsOto> &existing, const QStringList &waveFiles)
{
    QSet<QString> named, aliases;
    QStringList existingAliases;
    for (const clsOto &e : existing) {
        named.insert(e.FIL);
        aliases.insert(e.ALS);
        existingAliases << e.ALS;
    }
    const AliasSpelling spelling = bankSpelling(existingAliases);
    QList<clsOto> out;
    for (const QString &file : waveFiles) {
        if (named.contains(file))
            continue;
        for (const QString &alias : namedAliases(file, spelling)) {
            if (aliases.contains(alias))
                continue;
            aliases.insert(alias);
            clsOto e;
            e.FIL = file;
            e.ALS = alias;
            out.append(e);
        }
    }
    return out;
}

}  // namespace analysis
