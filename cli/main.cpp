#include "cli/OtoCli.h"
#include "core/VectorState.h"

#include <QCoreApplication>
#include <QString>

int main(int argc, char **argv)
{
    restartWithAvx2MemoryRoutines(argv);
    // The JScript engine of `run` needs an application object.
    QCoreApplication app(argc, argv);
    QStringList args;
    for (int i = 1; i < argc; ++i)
        args << QString::fromLocal8Bit(argv[i]);
    return runOtoCli(args);
}
