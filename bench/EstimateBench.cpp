#include "bench/BenchUtil.h"
#include "oto/OtoFormat.h"
#include "analysis/Estimator.h"
#include "analysis/Syllables.h"
#include "oto/modLocale.h"

#include <QDir>
#include <QFile>
#include <QMap>
#include <algorithm>
#include <cmath>

// Scores the estimator against the hand-set development bank, both from the
// signal alone and with every tenth entry set, on two halves of its files:
// the half the method was tuned on and the half it was not.
namespace {

const QString kBank = QStringLiteral("/work/shared/banks/dorodoro-ja-vcv");

struct Errors {
    std::vector<double> pre, left, overlap;
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

void printRow(const QString &what, const Errors &e)
{
    const long gross = std::count_if(e.pre.begin(), e.pre.end(), [](double x) { return x > 50; });
    std::printf("  %-28s %5zu %7.1f%% %7.1f%% %8.1f %8.1f %9.1f %9.1f %5d %5ld %5d\n", qPrintable(what), e.pre.size(),
                share(e.pre, 20), share(e.pre, 50), percentile(e.pre, 0.5), percentile(e.pre, 0.9), mean(e.left),
                mean(e.overlap), e.flagged, gross, e.flaggedGross);
}

void printHeader()
{
    std::printf("  %-28s %5s %8s %8s %8s %8s %9s %9s %5s %5s %5s\n", "preutterance point", "n", "<=20ms", "<=50ms", "median",
                "90th", "LF mean", "OV mean", "flag", ">50", "both");
}

QList<clsOto> loadTruth()
{
    QFile f(QDir(kBank).filePath(QStringLiteral("oto.ini")));
    if (!f.open(QIODevice::ReadOnly))
        return {};
    // Shift-JIS, read as the editor reads it.
    const QByteArray bytes = f.readAll();
    QList<clsOto> out;
    for (const auto &e : parseOtoText(modLocale::bytes2str(bytes, 932)).entries)
        out.append(*e);
    return out;
}

// Runs one way of estimating and prints its figures per half and per kind.
double scoreRun(const char *title, const QList<clsOto> &truth, const QList<clsOto> &input, const QList<int> &targets)
{
    analysis::Estimator estimator(analysis::folderWaves(kBank));
    const analysis::EstimateReport report = estimator.estimate(input, targets);
    QMap<QString, Errors> halves;
    QMap<QString, QMap<QString, Errors>> kindsByHalf;
    QHash<QString, double> lengthOf;
    for (const analysis::Estimate &est : report.estimates) {
        const clsOto &t = truth[est.index];
        const analysis::AliasInfo alias = analysis::parseAlias(t.ALS);
        if (alias.kind == analysis::AliasInfo::Kind::Unknown)
            continue;
        const QString half = tuningHalf(t.FIL) ? QStringLiteral("tuning half") : QStringLiteral("held-out half");
        const QString kind = analysis::entryKind(alias);
        double pre = 1e4, left = 1e4, overlap = 1e4;
        if (est.estimated) {
            const clsOto &e = est.entry;
            pre = std::abs((e.prmLF + e.prmPR) - (t.prmLF + t.prmPR));
            left = std::abs(e.prmLF - t.prmLF);
            overlap = std::abs((e.prmLF + e.prmOV) - (t.prmLF + t.prmOV));
        }
        for (Errors *err : {&halves[half], &kindsByHalf[half][kind], &halves[QStringLiteral("all")], &kindsByHalf[QStringLiteral("all")][kind]}) {
            err->pre.push_back(pre);
            err->left.push_back(left);
            err->overlap.push_back(overlap);
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
            std::printf("    %s\t%s\tPRpt %+.0f\tLF %+.0f\tOV %+.0f\ttruth %.0f\t%s\n", qPrintable(t.FIL), qPrintable(t.ALS),
                        (est.entry.prmLF + est.entry.prmPR) - (t.prmLF + t.prmPR), est.entry.prmLF - t.prmLF,
                        (est.entry.prmLF + est.entry.prmOV) - (t.prmLF + t.prmOV), t.prmLF + t.prmPR, qPrintable(est.reason));
        }
    }
    return report.elapsedMs;
}

}  // namespace

void runEstimateBenchmarks(const QString &)
{
    std::printf("estimate: the development bank %s\n", qPrintable(kBank));
    const QList<clsOto> truth = loadTruth();
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
    scoreRun("signal alone (every entry unset)", truth, blank, all);

    QList<clsOto> tenth = blank;
    QList<int> rest;
    for (int i = 0; i < truth.size(); ++i) {
        if (i % 10 == 0)
            tenth[i] = truth[i];
        else
            rest.append(i);
    }
    scoreRun("a tenth set by hand (every tenth entry kept)", truth, tenth, rest);

    // Timed apart from the scoring, best of three, as the other sections
    // are: the machine is shared, and the first run also reads the waves
    // from disk.
    std::printf("estimate: speed (%lld entries)\n", qsizetype(truth.size()));
    const double ms = bench::timeMs([&] {
        analysis::Estimator estimator(analysis::folderWaves(kBank));
        estimator.estimate(blank, all);
    });
    bench::row("whole bank, every entry, 2 threads (aim < 5000)", ms);
}
