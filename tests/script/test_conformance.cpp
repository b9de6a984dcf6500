#include "script/TestHost.h"
#include "support/RunCli.h"
#include "support/TempFolder.h"
#include "support/WavImages.h"

#include <QDir>
#include <QDirIterator>
#include <gtest/gtest.h>

// The conformance cases: every NAME.vbs or NAME.js in conformance/ is run
// with `lirra-oto run` over a copy of conformance/bank/ (its language by
// the extension), and what it prints on standard output, followed by the
// error report on standard error when it fails, must be the text of
// NAME.vbs.out or NAME.js.out. A new case is a new pair of files.

namespace {

const QString kCaseDir = QStringLiteral(LIRRA_SOURCE_DIR "/tests/script/conformance");

// A fresh copy of the bank for each case, since cases may save it; every
// WAV file its oto.ini names is made as 0.5 s of noise.
void copyBank(const TempFolder &dir)
{
    const QDir bank(kCaseDir + QStringLiteral("/bank"));
    for (const QString &name : bank.entryList(QDir::Files)) {
        QFile f(bank.filePath(name));
        if (!f.open(QIODevice::ReadOnly))
            throw std::runtime_error("cannot read the conformance bank");
        dir.write(name, f.readAll());
    }
    for (const QString &line : QString::fromUtf8(dir.read(QStringLiteral("oto.ini"))).split(u'\n')) {
        const QString wav = line.section(u'=', 0, 0).trimmed();
        if (wav.endsWith(QStringLiteral(".wav")) && !QFile::exists(dir.file(wav)))
            dir.write(wav, wavimg::wav(wavimg::noise(22050, 8000)));
    }
}

QString readText(const QString &path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return QStringLiteral("<missing %1>").arg(QFileInfo(path).fileName());
    return QString::fromUtf8(f.readAll()).replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
}

}  // namespace

TEST(Conformance, EveryCaseGivesItsExpectedOutput)
{
    QStringList cases = QDir(kCaseDir).entryList({QStringLiteral("*.vbs"), QStringLiteral("*.js")}, QDir::Files);
    // A folder that was not found must not pass as an empty suite.
    ASSERT_GE(cases.size(), 30) << kCaseDir.toStdString();
    for (const QString &name : cases) {
        SCOPED_TRACE(name.toStdString());
        TempFolder dir;
        copyBank(dir);
        const CliRun run = lirraOto({"run", QDir(kCaseDir).filePath(name), dir.path()});
        ASSERT_NE(run.status, -1) << "crashed";
        QString got = run.out;
        if (run.status != 0)
            got += run.err;
        EXPECT_EQ(got, readText(QDir(kCaseDir).filePath(name + QStringLiteral(".out"))));
    }
}
