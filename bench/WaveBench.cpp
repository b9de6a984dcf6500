#include "bench/BenchUtil.h"
#include "wave/clsWave.h"

#include <QDir>
#include <QFile>

namespace {

void benchOne(const QString &scratch, const char *title, const char *name, int seconds, const char *aim)
{
    const QString path = QDir(scratch).filePath(QString::fromLatin1(name));
    if (!bench::writeNoiseWave(path, qint64(seconds) * 44100)) {
        std::fprintf(stderr, "lirra-bench: cannot write %s\n", qPrintable(path));
        return;
    }
    std::printf("%s: %.1f MB\n", title, QFile(path).size() / 1e6);

    const double catMs = bench::timeShellMs(QStringLiteral("cat '%1' > /dev/null").arg(path), 5);
    clsWave wave;  // reused, as the editor reuses its one reader
    bool ok = true;
    const double loadMs = bench::timeMs([&] {
        QString file = QString::fromLatin1(name);
        ok = wave.ReadFile(scratch, file) && ok;
    }, 5);
    if (!ok || wave.Length != seconds * 44100)
        std::printf("  WARNING: the load failed: %s\n", qPrintable(wave.GetError()));
    bench::row("cat FILE > /dev/null", catMs);
    bench::row("load (samples, byte image, Range)", loadMs);
    bench::ratio(aim, loadMs / catMs);
    std::printf("  %-44s %10.1f MB\n", "held: byte image and samples", wave.heldBytes() / 1e6);
    std::printf("  %-44s %10.1f MB\n", "peak resident size of the whole run so far", bench::statusKb("VmHWM:") / 1024.0);
}

}  // namespace

void runWaveBenchmarks(const QString &scratch)
{
    benchOne(scratch, "wave, 60 s", "w60.wav", 60, "load / cat (aim <= 3)");
    benchOne(scratch, "wave, 10 min", "w600.wav", 600, "load / cat");
}
