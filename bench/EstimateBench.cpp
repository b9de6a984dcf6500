#include "bench/BenchUtil.h"
#include "oto/OtoFormat.h"
#include "analysis/Estimator.h"
#include "analysis/Syllables.h"
#include "oto/modLocale.h"
#include "singer/BaseAlias.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QMap>
#include <algorithm>
#include <cmath>
#include <ctime>
#include <iterator>
#include <malloc.h>
#include <numbers>
#include <numeric>
#include <thread>

// Scores the estimator against the hand-set development banks (a Japanese
// VCV bank, and an English ARPAsing one whose pitch folders are each read as
// a bank of their own), both from the signal alone and with every tenth
// entry set, on two halves of the files: the half the method was tuned on
// and the half it was not.
namespace {

struct Bank {
    QString name;
    QString folder;
};
// LIRRA_BENCH_ROOT: copies of the same banks elsewhere, their recordings
// made rougher (noise, a room) to see how the estimate holds up.
const QString kBanks = qEnvironmentVariable("LIRRA_BENCH_ROOT", QStringLiteral("/work/shared/banks"));
const QList<Bank> kDevBanks = {
    {QStringLiteral("Japanese VCV"), kBanks + QStringLiteral("/dorodoro-ja-vcv")},
    {QStringLiteral("English A3"), kBanks + QStringLiteral("/milk-en-dev/A3")},
    {QStringLiteral("English C5"), kBanks + QStringLiteral("/milk-en-dev/C5")},
};

struct Errors {
    std::vector<double> pre, left, overlap;
    std::vector<double> late;  // the estimate's note less the labeller's, as pre (NaN: not estimated)
    std::vector<double> confidence;  // of each entry, as pre
    int flagged = 0;
    int flaggedGross = 0;  // flagged and more than 50 ms off
};

// A split of the files that does not depend on their order: FNV-1a of the name.
bool tuningHalf(const QString &file)
{
    quint32 h = 2166136261u;
    for (char c : file.toUtf8()) {
        h ^= quint8(c);
        h *= 16777619u;
    }
    return h % 2 == 0;
}

double percentile(std::vector<double> v, double q)
{
    if (v.empty())
        return 0;
    std::sort(v.begin(), v.end());
    return v[size_t(std::min<double>(v.size() - 1, std::floor(q * (v.size() - 1) + 0.5)))];
}

double share(const std::vector<double> &v, double limit)
{
    if (v.empty())
        return 0;
    return 100.0 * std::count_if(v.begin(), v.end(), [&](double x) { return x <= limit; }) / v.size();
}

double mean(const std::vector<double> &v)
{
    double s = 0;
    for (double x : v)
        s += x;
    return v.empty() ? 0 : s / v.size();
}

long grossOf(const Errors &e)
{
    return std::count_if(e.pre.begin(), e.pre.end(), [](double x) { return x > 50; });
}

void printRow(const QString &what, const Errors &e)
{
    const long gross = grossOf(e);
    std::printf("  %-28s %5zu %7.1f%% %7.1f%% %8.1f %8.1f %9.1f %9.1f %5d %5ld %5d\n", qPrintable(what), e.pre.size(),
                share(e.pre, 20), share(e.pre, 50), percentile(e.pre, 0.5), percentile(e.pre, 0.9), mean(e.left),
                mean(e.overlap), e.flagged, gross, e.flaggedGross);
}

void printHeader()
{
    std::printf("  %-28s %5s %8s %8s %8s %8s %9s %9s %5s %5s %5s\n", "preutterance point", "n", "<=20ms", "<=50ms", "median",
                "90th", "LF mean", "OV mean", "flag", ">50", "both");
}

// The most any shift of the notes per kind could give, chosen knowing the
// answers: each kind's notes moved so that as many as can be are within
// 20 ms. Learning the labeller's habit per kind cannot do better than this;
// what it leaves is the scatter within kinds.
void printKindShiftCeiling(const QString &what, const QMap<QString, Errors> &kinds)
{
    size_t within = 0, count = 0;
    for (const Errors &e : kinds) {
        std::vector<double> late;
        std::copy_if(e.late.begin(), e.late.end(), std::back_inserter(late), [](double x) { return !std::isnan(x); });
        std::sort(late.begin(), late.end());
        size_t most = 0;  // the most notes in any 40 ms: a shift to its middle puts them within 20
        for (size_t first = 0, last = 0; first < late.size(); ++first) {
            while (last < late.size() && late[last] - late[first] <= 40)
                ++last;
            most = std::max(most, last - first);
        }
        within += most;
        count += e.late.size();
    }
    std::printf("  %-28s each kind shifted as well as it can be: %.1f%% within 20 ms\n", qPrintable(what),
                count ? 100.0 * within / count : 0.0);
}

// How many of the entries more than 50 ms off are among the tenth of all
// entries the estimator is least sure of: what the flags could catch at
// 10% flagged with the best threshold, so that a poor figure tells a badly
// set threshold from confidences that do not tell good from bad. An entry
// with no doubt at all (confidence 1) is not counted.
long grossAmongLeastSure(const Errors &e)
{
    std::vector<size_t> order(e.pre.size());
    std::iota(order.begin(), order.end(), size_t(0));
    std::stable_sort(order.begin(), order.end(), [&](size_t a, size_t b) { return e.confidence[a] < e.confidence[b]; });
    order.resize(order.size() / 10);
    return std::count_if(order.begin(), order.end(), [&](size_t i) { return e.pre[i] > 50 && e.confidence[i] < 1; });
}

// What the flags catch: the share of the entries more than 50 ms off that
// are flagged, and the share of all entries flagged.
void printFlags(const QString &what, const Errors &e)
{
    const long gross = grossOf(e);
    std::printf("  flags, %-20s catch %d of %ld entries >50 ms off (%.0f%%), flag %d of %zu entries (%.1f%%); "
                "the least sure 10%% hold %ld\n",
                qPrintable(what), e.flaggedGross, gross, gross ? 100.0 * e.flaggedGross / gross : 100.0, e.flagged,
                e.pre.size(), e.pre.empty() ? 0.0 : 100.0 * e.flagged / e.pre.size(), grossAmongLeastSure(e));
}

QList<clsOto> loadTruth(const QString &bank)
{
    QFile f(QDir(bank).filePath(QStringLiteral("oto.ini")));
    if (!f.open(QIODevice::ReadOnly))
        return {};
    // Shift-JIS, read as the editor reads such a file.
    const QByteArray bytes = f.readAll();
    QList<clsOto> out;
    for (const auto &e : parseOtoText(modLocale::bytes2str(bytes, 932)).entries)
        out.append(*e);
    return out;
}

// Runs one way of estimating and prints its figures per half and per kind.
double scoreRun(const char *title, const QString &bank, const QList<clsOto> &truth, const QList<clsOto> &input,
                const QList<int> &targets, QMap<QString, Errors> &total)
{
    analysis::Estimator estimator(analysis::folderWaves(bank));
    const analysis::EstimateReport report = estimator.estimate(input, targets);
    const QStringList bases = analysis::aliasBases(truth);
    const bool phonemeBank = analysis::readsAsPhonemes(bases);
    QMap<QString, Errors> halves;
    QMap<QString, QMap<QString, Errors>> kindsByHalf;
    QHash<int, QString> kindOf;  // by entry, for the detail lines
    for (const analysis::Estimate &est : report.estimates) {
        const clsOto &t = truth[est.index];
        const analysis::AliasInfo alias = analysis::parseAliasIn(bases[est.index], phonemeBank);
        const QString kind = analysis::entryKind(alias);
        kindOf.insert(est.index, kind);
        if (alias.kind == analysis::AliasInfo::Kind::Unknown)
            continue;
        const QString half = tuningHalf(t.FIL) ? QStringLiteral("tuning half") : QStringLiteral("held-out half");
        double pre = 1e4, late = std::nan(""), left = 1e4, overlap = 1e4;
        if (est.estimated) {
            const clsOto &e = est.entry;
            late = (e.prmLF + e.prmPR) - (t.prmLF + t.prmPR);
            pre = std::abs(late);
            left = std::abs(e.prmLF - t.prmLF);
            overlap = std::abs((e.prmLF + e.prmOV) - (t.prmLF + t.prmOV));
        }
        for (Errors *err : {&halves[half], &kindsByHalf[half][kind], &halves[QStringLiteral("all")], &kindsByHalf[QStringLiteral("all")][kind],
                            &total[half], &total[QStringLiteral("all")]}) {
            err->pre.push_back(pre);
            err->late.push_back(late);
            err->left.push_back(left);
            err->overlap.push_back(overlap);
            err->confidence.push_back(est.estimated ? est.confidence : 0.0);
            err->flagged += est.flagged ? 1 : 0;
            err->flaggedGross += est.flagged && pre > 50 ? 1 : 0;
        }
    }
    std::printf("%s: %lld entries estimated, %d flagged, %.0f ms (waves and features %.0f, segmentation %.0f)\n", title,
                qsizetype(report.estimates.size()), report.flagged, report.elapsedMs, report.featuresMs, report.alignMs);
    printHeader();
    // While the method is being tuned, nothing of the held-out half is shown.
    const bool tuning = qEnvironmentVariableIsSet("LIRRA_BENCH_TUNING");
    const QStringList shown = tuning ? QStringList{QStringLiteral("tuning half")}
                                     : QStringList{QStringLiteral("tuning half"), QStringLiteral("held-out half"), QStringLiteral("all")};
    for (const QString &h : shown)
        printRow(h, halves[h]);
    for (const QString &h : shown)
        printFlags(h, halves[h]);
    for (const QString &h : shown)
        printKindShiftCeiling(h, kindsByHalf[h]);
    for (const QString &h : shown) {
        std::printf("  per kind, %s:\n", qPrintable(h));
        for (auto it = kindsByHalf[h].constBegin(); it != kindsByHalf[h].constEnd(); ++it)
            printRow(QStringLiteral("  ") + it.key(), it.value());
    }
    if (tuning && qEnvironmentVariableIsSet("LIRRA_BENCH_DETAIL")) {
        for (const analysis::Estimate &est : report.estimates) {
            const clsOto &t = truth[est.index];
            if (!tuningHalf(t.FIL))
                continue;
            std::printf("    %s\t%s\tPRpt %+.0f\tLF %+.0f\tOV %+.0f\ttruth %.0f\t%s\t%s\tconfidence %.3f\n", qPrintable(t.FIL), qPrintable(t.ALS),
                        (est.entry.prmLF + est.entry.prmPR) - (t.prmLF + t.prmPR), est.entry.prmLF - t.prmLF,
                        (est.entry.prmLF + est.entry.prmOV) - (t.prmLF + t.prmOV), t.prmLF + t.prmPR, qPrintable(kindOf.value(est.index)), qPrintable(est.reason), est.confidence);
        }
    }
    return report.elapsedMs;
}

// What one language's banks add up to, run by run.
struct Totals {
    QMap<QString, Errors> alone, tenthSet, otherLabeller;
};

// An entry after silence, whatever the folder's pitch mark and its place.
bool isHead(const analysis::AliasInfo &alias)
{
    using Kind = analysis::AliasInfo::Kind;
    return alias.kind == Kind::Head
           || (alias.kind == Kind::Phonemes && alias.phonemes.kind == analysis::PhonemeAlias::Kind::Head);
}

// One bank: from the signal alone, then with every tenth entry set, by its
// labeller and by another; the figures of each are added to the totals of
// the bank's language.
void scoreBank(const Bank &bank, Totals &totals, QList<clsOto> &blankOut)
{
    std::printf("estimate: %s, %s\n", qPrintable(bank.name), qPrintable(bank.folder));
    const QList<clsOto> truth = loadTruth(bank.folder);
    if (truth.isEmpty()) {
        std::printf("  the bank or its oto.ini is not there; skipped\n");
        return;
    }
    QList<clsOto> blank = truth;
    QList<int> all;
    for (int i = 0; i < blank.size(); ++i) {
        blank[i].prmLF = blank[i].prmFX = blank[i].prmRT = blank[i].prmPR = blank[i].prmOV = 0;
        all.append(i);
    }
    scoreRun("signal alone (every entry unset)", bank.folder, truth, blank, all, totals.alone);

    // Every tenth entry set from `labelled`, the rest left to estimate.
    constexpr int kSetEvery = 10;
    const auto tenthSetFrom = [&blank](const QList<clsOto> &labelled) {
        QList<clsOto> entries = blank;
        for (qsizetype i = 0; i < entries.size(); i += kSetEvery)
            entries[i] = labelled[i];
        return entries;
    };
    QList<int> rest;
    for (int i = 0; i < truth.size(); ++i)
        if (i % kSetEvery != 0)
            rest.append(i);
    scoreRun("a tenth set by hand (every tenth entry kept)", bank.folder, truth, tenthSetFrom(truth), rest, totals.tenthSet);

    // Another labeller, whose habits the rules were not tuned to: every
    // head's note 30 ms later, every other note 15 ms earlier, the bounds
    // where they were. What their tenth teaches should carry to the rest.
    QList<clsOto> other = truth;
    const QStringList bases = analysis::aliasBases(truth);
    const bool phonemeBank = analysis::readsAsPhonemes(bases);
    for (qsizetype i = 0; i < other.size(); ++i)
        other[i].prmPR = std::max(0.0, other[i].prmPR + (isHead(analysis::parseAliasIn(bases[i], phonemeBank)) ? 30.0 : -15.0));
    scoreRun("a tenth set by another labeller (heads' notes 30 ms later, the rest 15 ms earlier)", bank.folder, other,
             tenthSetFrom(other), rest, totals.otherLabeller);
    blankOut = blank;
}

void printTotals(const QString &what, const Totals &runs)
{
    const bool tuning = qEnvironmentVariableIsSet("LIRRA_BENCH_TUNING");
    std::printf("estimate: %s, all its folders\n", qPrintable(what));
    for (const auto &[title, totals] : {std::pair{"signal alone", &runs.alone}, std::pair{"a tenth set", &runs.tenthSet},
                                        std::pair{"a tenth set by another labeller", &runs.otherLabeller}}) {
        std::printf(" %s\n", title);
        printHeader();
        for (const QString &h : {QStringLiteral("tuning half"), QStringLiteral("held-out half")})
            if (h == QStringLiteral("tuning half") || !tuning) {
                printRow(h, totals->value(h));
                printFlags(h, totals->value(h));
            }
    }
}

// How generation names a bank's recordings, against the names its labeller
// gave: from nothing, and with the entries of the tuning half's files there
// to follow (the bank's tails, its second takes), naming the held-out half.
//
// A pitch folder of a singer (English: "0.wav", nothing in its name) is
// named from the other folder's entries of its recordings (namesakes), as
// the editor names a folder recorded after the others were set; aliases are
// compared without the folders' pitch suffixes.
QList<clsOto> withoutPitchMark(QList<clsOto> entries)
{
    QStringList aliases;
    for (const clsOto &e : entries)
        aliases << e.ALS;
    const singer::Affixes affixes = singer::folderAffixes(aliases);
    for (clsOto &e : entries)
        e.ALS = singer::baseAlias(e.ALS, affixes);
    return entries;
}

void scoreGeneration(const Bank &bank, const QHash<QString, QStringList> &namesakes = {})
{
    const QList<clsOto> truth = withoutPitchMark(loadTruth(bank.folder));
    const QStringList waves = QDir(bank.folder).entryList({QStringLiteral("*.wav")}, QDir::Files, QDir::Name);
    if (truth.isEmpty() || waves.isEmpty())
        return;
    auto score = [&](const char *what, const QList<clsOto> &existing, const QStringList &files) {
        QHash<QString, QStringList> wanted;
        qsizetype wantedCount = 0;
        for (const clsOto &t : truth)
            if (files.contains(t.FIL)) {
                wanted[t.FIL] << t.ALS;
                ++wantedCount;
            }
        const QList<clsOto> made = analysis::generateEntries(existing, files, namesakes);
        qsizetype matched = 0;
        for (const clsOto &m : made)
            matched += wanted[m.FIL].removeOne(m.ALS) ? 1 : 0;
        std::printf("  generation, %-34s %lld of %lld hand-made names made (%.1f%%), %lld made that the bank has not\n", what,
                    matched, wantedCount, wantedCount ? 100.0 * matched / wantedCount : 0.0, made.size() - matched);
    };
    std::printf("estimate: generation of names, %s%s\n", qPrintable(bank.name),
                namesakes.isEmpty() ? "" : ", the other pitch folder set");
    score(namesakes.isEmpty() ? "every recording, from nothing" : "every recording, the folder empty", {}, waves);
    QList<clsOto> tuning;
    QStringList heldOut;
    for (const clsOto &t : truth)
        if (tuningHalf(t.FIL))
            tuning << t;
    for (const QString &w : waves)
        if (!tuningHalf(w))
            heldOut << w;
    score("held-out half, the tuning half set", tuning, heldOut);
}

// One recording of `minutes` minutes with a few entries, Japanese and
// English, and (up to 4 minutes) one with an English entry every second:
// the time and memory of each should grow in proportion to its length, and
// the dense one should take no more memory than the others (only because
// the alignment looks for each phone within a band of frames, not at every
// frame, and keeps its workings for that band). It is sung: a 220 Hz tone,
// loud and soft by turns each second, with a little noise; a recording the
// aligner finds no singing in costs little.
void benchLongRecording(const QString &scratch, int minutes)
{
    const QString name = QStringLiteral("_あかさ%1.wav").arg(minutes);
    QRandomGenerator rng(7);
    const auto sung = [&](qint64 i) {
        const double amplitude = (i / 44100) % 2 ? 8000 : 800;
        const double phase = 2 * std::numbers::pi * 220 * double(i % 44100) / 44100;
        return qint16(amplitude * (std::sin(phase) + 0.5 * std::sin(2 * phase)) / 1.5 + rng.bounded(-300, 301));
    };
    if (!bench::writeWave(QDir(scratch).filePath(name), qint64(minutes) * 60 * 44100, sung)) {
        std::fprintf(stderr, "lirra-bench: cannot write %s in %s\n", qPrintable(name), qPrintable(scratch));
        return;
    }
    struct Case {
        QString language;
        QList<clsOto> entries;
    };
    QList<Case> cases = {
        {QStringLiteral("Japanese"),
         {{name, QStringLiteral("- あ")}, {name, QStringLiteral("a か")}, {name, QStringLiteral("a さ")}, {name, QStringLiteral("a -")}}},
        {QStringLiteral("English"),
         {{name, QStringLiteral("- aa")}, {name, QStringLiteral("aa m")}, {name, QStringLiteral("m aa")}, {name, QStringLiteral("aa -")}}},
    };
    if (minutes <= 4) {
        Case dense{QStringLiteral("English"), {{name, QStringLiteral("- aa")}}};
        for (int second = 1; second < minutes * 60; second += 2)
            dense.entries << clsOto(name, QStringLiteral("aa m")) << clsOto(name, QStringLiteral("m aa"));
        cases << dense;
    }
    for (const Case &c : cases) {
        QList<int> all(c.entries.size());
        std::iota(all.begin(), all.end(), 0);
        ::malloc_trim(0);  // what earlier work freed no longer counts as held
        const long before = bench::statusKb("VmRSS:");
        bench::resetPeak();
        QElapsedTimer timer;
        timer.start();
        const auto report = analysis::Estimator(analysis::folderWaves(scratch)).estimate(c.entries, all);
        const double ms = timer.nsecsElapsed() / 1e6;
        bench::row(QStringLiteral("%1 %2 min recording, %3 of %4 entries estimated")
                       .arg(c.language)
                       .arg(minutes)
                       .arg(std::count_if(report.estimates.begin(), report.estimates.end(),
                                          [](const analysis::Estimate &e) { return e.estimated; }))
                       .arg(c.entries.size())
                       .toUtf8().constData(), ms);
        std::printf("    peak resident size %.0f MB above the %.0f MB before\n", (bench::statusKb("VmHWM:") - before) / 1024.0,
                    before / 1024.0);
    }
    QFile::remove(QDir(scratch).filePath(name));
}

}  // namespace

void runEstimateBenchmarks(const QString &scratch)
{
    // LIRRA_BENCH_BANKS=ja or en scores one language only, while tuning.
    const QString only = qEnvironmentVariable("LIRRA_BENCH_BANKS");
    QMap<QString, QList<clsOto>> blankOf;
    QMap<QString, Totals> totals;
    for (const Bank &bank : kDevBanks) {
        const QString language = bank.name.startsWith(QStringLiteral("English")) ? QStringLiteral("English") : QStringLiteral("Japanese");
        if (!only.isEmpty() && !language.startsWith(only, Qt::CaseInsensitive))
            continue;
        scoreBank(bank, totals[language], blankOf[bank.folder]);
    }
    for (auto it = totals.constBegin(); it != totals.constEnd(); ++it)
        printTotals(it.key(), it.value());
    for (const Bank &bank : kDevBanks) {
        const bool english = bank.name.startsWith(QStringLiteral("English"));
        if (!only.isEmpty() && !(english ? QStringLiteral("English") : QStringLiteral("Japanese")).startsWith(only, Qt::CaseInsensitive))
            continue;
        if (!english) {
            scoreGeneration(bank);
            continue;
        }
        // The recordings of the other pitch folder, by name.
        QHash<QString, QStringList> namesakes;
        for (const Bank &other : kDevBanks)
            if (other.name.startsWith(QStringLiteral("English")) && other.folder != bank.folder)
                for (const clsOto &e : withoutPitchMark(loadTruth(other.folder)))
                    namesakes[e.FIL] << e.ALS;
        scoreGeneration(bank, namesakes);
    }

    // Timed apart from the scoring, best of two: the machine is shared, and
    // the first run also reads the waves from disk.
    for (const Bank &bank : kDevBanks) {
        const QList<clsOto> &blank = blankOf.value(bank.folder);
        if (blank.isEmpty())
            continue;
        QList<int> all;
        for (int i = 0; i < blank.size(); ++i)
            all.append(i);
        const double ms = bench::timeMs([&] {
            analysis::Estimator estimator(analysis::folderWaves(bank.folder));
            estimator.estimate(blank, all);
        }, 2);
        bench::row(QStringLiteral("%1, whole folder (%2 entries), every entry, 2 threads (aim < 5000)")
                       .arg(bank.name).arg(blank.size()).toUtf8().constData(), ms);
        // On a shared machine the wall clock says little; the processor
        // time of one more run, over the cores, is what an idle one takes.
        const std::clock_t cpu = std::clock();
        const analysis::EstimateReport report = analysis::Estimator(analysis::folderWaves(bank.folder)).estimate(blank, all);
        const double cpuMs = double(std::clock() - cpu) * 1000 / CLOCKS_PER_SEC;
        std::printf("    processor time, all threads %.0f ms, over the cores %.0f ms (waves and features %.0f ms wall)\n", cpuMs,
                    cpuMs / std::max(1u, std::thread::hardware_concurrency()), report.featuresMs);
    }
    if (only.isEmpty()) {
        std::printf("estimate: long recordings\n");
        for (int minutes : {1, 4, 16})
            benchLongRecording(scratch, minutes);
    }
}
