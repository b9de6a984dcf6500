#pragma once

#include <QProcess>
#include <QStringList>

// lirra-oto run from the build's program folder: its exit status (-1 after a
// crash), standard output and standard error.
struct CliRun {
    int status;
    QString out, err;
};

inline CliRun lirraOto(const QStringList &args)
{
    QProcess p;
    p.start(qEnvironmentVariable("LIRRA_BIN_DIR") + "/lirra-oto", args);
    p.waitForFinished(60000);
    return {p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1,
            QString::fromUtf8(p.readAllStandardOutput()), QString::fromUtf8(p.readAllStandardError())};
}
