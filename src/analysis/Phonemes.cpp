#include "analysis/Phonemes.h"
#include "analysis/PitchTracker.h"

#include "core/Statistics.h"

#include <QHash>
#include <QRegularExpression>
#include <algorithm>
#include <cmath>
#include <vector>

namespace analysis {

namespace {

const QHash<QString, PhonemeClass> &phonemeTable()
{
    static const QHash<QString, PhonemeClass> table = [] {
        QHash<QString, PhonemeClass> t;
        auto add = [&](const char *list, PhonemeClass c) {
            for (const QString &p : QString::fromLatin1(list).split(u' '))
                t.insert(p, c);
        };
        add("aa ae ah ao aw ax ay eh er ey ih iy ow oy uh uw", PhonemeClass::Vowel);
        add("p t k b d g dx q", PhonemeClass::Stop);
        add("ch jh", PhonemeClass::Affricate);
        add("f v th dh s z sh zh hh", PhonemeClass::Fricative);
        add("m n ng", PhonemeClass::Nasal);
        add("l r", PhonemeClass::Liquid);
        add("w y", PhonemeClass::Glide);
        return t;
    }();
    return table;
}

bool isSilence(QStringView t) { return t == u"-" || t == u"R"; }

}  // namespace

PhonemeClass phonemeClass(QStringView phoneme) { return phonemeTable().value(phoneme.toString(), PhonemeClass::None); }

QString phonemeClassName(PhonemeClass c)
{
    switch (c) {
    case PhonemeClass::None: return QStringLiteral("?");
    case PhonemeClass::Vowel: return QStringLiteral("vowel");
    case PhonemeClass::Stop: return QStringLiteral("stop");
    case PhonemeClass::Affricate: return QStringLiteral("affricate");
    case PhonemeClass::Fricative: return QStringLiteral("fricative");
    case PhonemeClass::Nasal: return QStringLiteral("nasal");
    case PhonemeClass::Liquid: return QStringLiteral("liquid");
    case PhonemeClass::Glide: return QStringLiteral("glide");
    }
    return QString();
}

QStringList aliasBases(const QList<clsOto> &entries, const singer::AffixPairs &mapPairs)
{
    QHash<QString, QStringList> byFolder;
    for (const clsOto &e : entries)
        byFolder[e.folder] << e.ALS;
    QHash<QString, singer::Affixes> affixes;
    for (auto it = byFolder.cbegin(); it != byFolder.cend(); ++it)
        affixes.insert(it.key(), singer::folderAffixes(it.value(), mapPairs));
    QStringList out;
    out.reserve(entries.size());
    for (const clsOto &e : entries)
        out << singer::baseAlias(e.ALS, affixes.value(e.folder));
    return out;
}

QString withoutTake(QStringView alias)
{
    static const QRegularExpression take(QStringLiteral("(?<=\\S)[0-9]+$"));
    QString a = alias.trimmed().toString();
    a.remove(take);
    return a.trimmed();
}

PhonemeAlias parsePhonemeAlias(QStringView alias)
{
    using Kind = PhonemeAlias::Kind;
    PhonemeAlias out;
    QString a = withoutTake(alias);
    const bool alone = a.startsWith(u'_');
    if (alone)
        a.remove(0, 1);
    const QStringList tokens = a.split(u' ', Qt::SkipEmptyParts);
    auto known = [](const QString &t) { return phonemeClass(t) != PhonemeClass::None; };
    // A stop cannot be held: "k" alone is no entry of its own.
    auto holds = [&](const QString &t) { return known(t) && !closes(t); };
    if (tokens.size() == 1 && phonemeClass(tokens[0]) == PhonemeClass::Vowel) {
        out.kind = alone ? Kind::Alone : Kind::Held;
        out.from = out.to = tokens[0];
    } else if (tokens.size() == 1 && !alone && holds(tokens[0])) {
        out.kind = Kind::Held;
        out.from = out.to = tokens[0];
    } else if (tokens.size() == 2 && isSilence(tokens[0]) && known(tokens[1])) {
        out.kind = Kind::Head;
        out.to = tokens[1];
    } else if (tokens.size() == 2 && known(tokens[0]) && isSilence(tokens[1])) {
        out.kind = Kind::Tail;
        out.from = tokens[0];
    } else if (tokens.size() == 2 && known(tokens[0]) && known(tokens[1])) {
        out.kind = Kind::Joint;
        out.from = tokens[0];
        out.to = tokens[1];
    }
    return out;
}

QString PhonemeAlias::shape() const
{
    auto letter = [](const QString &p) { return phonemeClass(p) == PhonemeClass::Vowel ? QStringLiteral("V") : QStringLiteral("C"); };
    switch (kind) {
    case Kind::Unknown: return QString();
    case Kind::Head: return QStringLiteral("- ") + letter(to);
    case Kind::Held: return letter(from);
    case Kind::Alone: return QStringLiteral("_V");
    case Kind::Joint: return letter(from) + u' ' + letter(to);
    case Kind::Tail: return letter(from) + QStringLiteral(" -");
    }
    return QString();
}

PhonemeSequence sequenceFromAliases(const QList<PhonemeAlias> &aliases)
{
    using Kind = PhonemeAlias::Kind;
    PhonemeSequence s;
    QStringList &p = s.phonemes;
    // An alias that starts where the one before it ended goes on from there.
    auto continueWith = [&](const QString &phoneme) {
        if (p.value(p.size() - 1) != phoneme)
            p << phoneme;
    };
    for (const PhonemeAlias &a : aliases) {
        switch (a.kind) {
        case Kind::Unknown:
            break;
        case Kind::Head:
            continueWith(QStringLiteral("-"));
            p << a.to;
            break;
        case Kind::Alone:
            p << QStringLiteral("-") << a.from;
            break;
        case Kind::Held:
        case Kind::Tail:
            continueWith(a.from);
            break;
        case Kind::Joint:
            continueWith(a.from);
            p << a.to;
            break;
        }
        // Each alias's place is the last phoneme it names; a tail then goes
        // on into silence.
        s.placeOf << (a.kind == Kind::Unknown ? -1 : int(p.size()) - 1);
        if (a.kind == Kind::Tail)
            p << QStringLiteral("-");
    }
    return s;
}

namespace {

// The first frame from `first` on where the voice is held at the pitch of
// the held part (frames held..last) for PlacementParams::aloneToneRunMs;
// -1 when the held part has no pitch or the voice is never held at it.
int heldToneStart(const WaveFeatures &f, int first, int held, int last, const PlacementParams &pp)
{
    std::vector<float> pitches;
    for (int t = held; t < last; ++t)
        if (f.pitchHz[size_t(t)] > 0)
            pitches.push_back(f.pitchHz[size_t(t)]);
    if (pitches.empty())
        return -1;
    const double heldNote = hzToNote(statistics::median(std::move(pitches)));
    const auto atHeldPitch = [&](int t) {
        const float hz = f.pitchHz[size_t(t)];
        return hz > 0 && 100 * std::abs(hzToNote(hz) - heldNote) <= pp.aloneToneCents;
    };
    const int run = std::max(1, f.frameAt(pp.aloneToneRunMs));
    int runStart = first;
    for (int t = first; t < last; ++t) {
        if (!atHeldPitch(t))
            runStart = t + 1;
        else if (t - runStart + 1 >= run)
            return runStart;
    }
    return -1;
}

}  // namespace

AloneOnset aloneOnset(const WaveFeatures &f, double fromMs, double heldFromMs, double heldEndMs, const PlacementParams &pp)
{
    AloneOnset out{heldFromMs, heldFromMs};
    const int first = std::clamp(f.frameAt(fromMs), 0, std::max(0, f.frames - 1));
    const int held = std::clamp(f.frameAt(heldFromMs), first, std::max(first, f.frames - 1));
    const int last = std::clamp(f.frameAt(heldEndMs), held + 1, f.frames);
    if (f.frames == 0 || last <= held)
        return out;
    std::vector<float> levels(f.energyDb.begin() + held, f.energyDb.begin() + last);
    const double level = statistics::median(std::move(levels));
    // Back from the held part while it can be heard, over short gaps.
    const int gap = std::max(1, f.frameAt(pp.aloneGapMs));
    int audible = held, quiet = 0;
    for (int t = held; t >= first && quiet <= gap; --t) {
        if (f.energyDb[size_t(t)] >= level - pp.aloneOnsetDb) {
            audible = t;
            quiet = 0;
        } else {
            ++quiet;
        }
    }
    int settled = audible;
    while (settled < last - 1 && f.energyDb[size_t(settled)] < level - pp.aloneSettledDb)
        ++settled;
    const int tone = heldToneStart(f, audible, held, last, pp);
    if (tone >= 0 && f.frameMs(tone) - f.frameMs(settled) > pp.aloneLateToneMs) {
        const int from = std::max(settled, tone - f.frameAt(pp.aloneBreakMs));
        settled = int(std::min_element(f.periodicity.begin() + from, f.periodicity.begin() + tone + 1) - f.periodicity.begin());
    }
    out.audible = f.frameMs(audible);
    out.settled = f.frameMs(settled);
    return out;
}

}  // namespace analysis
