#include "bench/BenchUtil.h"
#include "wave/clsWave.h"

#include <QDir>
#include <QFile>
#include <QRandomGenerator>
#include <QtEndian>

namespace {

// A 16-bit mono 44100 Hz file of noise shaped like speech (loud and quiet
// stretches), with a LIST chunk before the data as recorders write them.
bool writeWave(const QString &path, qint64 samples)
{
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly))
        return false;
    const QByteArray list = QByteArrayLiteral("LIST\x0a\0\0\0INFOISFT\0\0");
    QByteArray head(44, '\0');
    char *h = head.data();
    memcpy(h, "RIFF", 4);
    qToLittleEndian<quint32>(quint32(36 + list.size() + samples * 2), h + 4);
    memcpy(h + 8, "WAVEfmt ", 8);
    qToLittleEndian<quint32>(16, h + 16);
    qToLittleEndian<quint16>(1, h + 20);
    qToLittleEndian<quint16>(1, h + 22);
    qToLittleEndian<quint32>(44100, h + 24);
    qToLittleEndian<quint32>(88200, h + 28);
    qToLittleEndian<quint16>(2, h + 32);
    qToLittleEndian<quint16>(16, h + 34);
    memcpy(h + 36, "data", 4);
    qToLittleEndian<quint32>(quint32(samples * 2), h + 40);
    f.write(head.left(36) + list + head.mid(36));

    QRandomGenerator rng(11);
    QList<qint16> block(44100);
    for (qint64 done = 0; done < samples; done += block.size()) {
        const int amplitude = (done / 44100) % 3 ? 12000 : 800;
        for (auto &s : block)
            s = qToLittleEndian(qint16(rng.bounded(-amplitude, amplitude + 1)));
        const qint64 n = std::min<qint64>(block.size(), samples - done);
        if (f.write(reinterpret_cast<const char *>(block.constData()), n * 2) != n * 2)
            return false;
    }
    return f.flush();
}

void benchOne(const QString &scratch, const char *title, const char *name, int seconds, const char *aim)
{
    const QString path = QDir(scratch).filePath(QString::fromLatin1(name));
    if (!writeWave(path, qint64(seconds) * 44100)) {
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
