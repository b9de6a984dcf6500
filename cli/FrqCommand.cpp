#include "analysis/FrqFile.h"
#include "cli/CliSession.h"
#include "cli/Commands.h"

#include <QElapsedTimer>
#include <QFileInfo>

int frqCommand(const CliArgs &args)
{
    const QString folder = args.arg(0);
    if (!QFileInfo(folder).isDir()) {
        printErr(QStringLiteral("lirra-oto: %1: not a folder").arg(folder));
        return kCliFailed;
    }
    analysis::FrqRunOptions options;
    options.force = args.isSet(QStringLiteral("force"));
    QElapsedTimer timer;
    timer.start();
    // The recordings of the folder and of its pitch folders alike.
    const analysis::FrqRunResult result = analysis::writeFrqFiles(analysis::waveFilesUnder(folder), options);
    for (const QString &failure : result.failures)
        printErr(QStringLiteral("failed: ") + failure);
    printErr(QStringLiteral("frequency files %1, time: %2 ms").arg(result.counts()).arg(timer.elapsed()));
    return result.failures.isEmpty() ? 0 : 1;
}
