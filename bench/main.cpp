#include "core/VectorState.h"

#include <QApplication>
#include <QTemporaryDir>
#include <cstdio>
#include <cstring>

// Each section generates its own data in a temporary folder and prints its
// figures beside a reference (a system tool doing comparable work).
void runOtoBenchmarks(const QString &scratch);
void runWaveBenchmarks(const QString &scratch);
void runListBenchmarks(const QString &scratch);
void runToolsBenchmarks(const QString &scratch);
void runViewBenchmarks(const QString &scratch);
void runEstimateBenchmarks(const QString &scratch);
void runScriptBenchmarks(const QString &scratch);
void runConsoleBenchmarks(const QString &scratch);
void runPitchBenchmarks(const QString &scratch);
void runSingerBenchmarks(const QString &scratch);
void runRenderBenchmarks(const QString &scratch);
void runReportBenchmarks(const QString &scratch);

namespace {

struct Section {
    const char *name;
    void (*run)(const QString &scratch);
};

const Section kSections[] = {
    {"oto", runOtoBenchmarks},     {"wave", runWaveBenchmarks}, {"list", runListBenchmarks},
    {"tools", runToolsBenchmarks}, {"view", runViewBenchmarks}, {"estimate", runEstimateBenchmarks},
    {"script", runScriptBenchmarks}, {"console", runConsoleBenchmarks}, {"pitch", runPitchBenchmarks}, {"singer", runSingerBenchmarks},
    {"render", runRenderBenchmarks},
    {"report", runReportBenchmarks},
};

bool wanted(const char *name, int argc, char **argv)
{
    if (argc < 2)
        return true;
    for (int i = 1; i < argc; ++i)
        if (std::strcmp(argv[i], name) == 0)
            return true;
    return false;
}

} // namespace

// lirra-bench [SECTION...]: every section, or only those named.
int main(int argc, char **argv)
{
    restartWithAvx2MemoryRoutines(argv);
    // The list benchmark drives the real main window; it needs no screen.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", QByteArray("offscreen"));
    QApplication app(argc, argv);
    QTemporaryDir scratch;
    if (!scratch.isValid()) {
        std::fprintf(stderr, "lirra-bench: cannot create a temporary folder\n");
        return 2;
    }
    for (const Section &section : kSections)
        if (wanted(section.name, argc, argv))
            section.run(scratch.path());
    return 0;
}
