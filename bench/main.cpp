#include <QCoreApplication>
#include <QTemporaryDir>
#include <cstdio>

// Each section generates its own data in a temporary folder and prints its
// figures beside a reference (a system tool doing comparable work).
void runOtoBenchmarks(const QString &scratch);

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    QTemporaryDir scratch;
    if (!scratch.isValid()) {
        std::fprintf(stderr, "lirra-bench: cannot create a temporary folder\n");
        return 2;
    }
    runOtoBenchmarks(scratch.path());
    return 0;
}
