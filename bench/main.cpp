#include <QApplication>
#include <QTemporaryDir>
#include <cstdio>

// Each section generates its own data in a temporary folder and prints its
// figures beside a reference (a system tool doing comparable work).
void runOtoBenchmarks(const QString &scratch);
void runWaveBenchmarks(const QString &scratch);
void runListBenchmarks(const QString &scratch);
void runToolsBenchmarks(const QString &scratch);
void runViewBenchmarks(const QString &scratch);

int main(int argc, char **argv)
{
    // The list benchmark drives the real main window; it needs no screen.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", QByteArray("offscreen"));
    QApplication app(argc, argv);
    QTemporaryDir scratch;
    if (!scratch.isValid()) {
        std::fprintf(stderr, "lirra-bench: cannot create a temporary folder\n");
        return 2;
    }
    runOtoBenchmarks(scratch.path());
    runWaveBenchmarks(scratch.path());
    runListBenchmarks(scratch.path());
    runToolsBenchmarks(scratch.path());
    runViewBenchmarks(scratch.path());
    return 0;
}
