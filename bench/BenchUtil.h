#pragma once

#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QRandomGenerator>
#include <QtEndian>
#include <cstdio>
#include <cstring>
#include <functional>

// Small helpers for lirra-bench: wall-clock timing of a piece of work or of
// an outside command, and the process's memory figures.
namespace bench {

// Best of `runs` wall-clock times of fn, in milliseconds. prepare, if given,
// runs untimed before each run.
inline double timeMs(const std::function<void()> &fn, int runs = 3, const std::function<void()> &prepare = {})
{
    double best = 1e300;
    for (int i = 0; i < runs; ++i) {
        if (prepare)
            prepare();
        QElapsedTimer t;
        t.start();
        fn();
        best = std::min(best, t.nsecsElapsed() / 1e6);
    }
    return best;
}

// Best of `runs` times of a shell command line, in milliseconds.
inline double timeShellMs(const QString &command, int runs = 3)
{
    return timeMs([&] {
        QProcess p;
        p.start(QStringLiteral("/bin/sh"), {QStringLiteral("-c"), command});
        p.waitForFinished(-1);
    }, runs);
}

// A field of /proc/self/status in kB (VmRSS, VmHWM...).
inline long statusKb(const char *field)
{
    QFile f(QStringLiteral("/proc/self/status"));
    if (!f.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray &line : f.readAll().split('\n'))
        if (line.startsWith(field))
            return line.mid(qsizetype(strlen(field)) + 1).trimmed().split(' ').first().toLong();
    return -1;
}

// A 16-bit mono 44100 Hz file whose samples `sample` gives (by its number
// from the start), with a LIST chunk before the data as recorders write them.
inline bool writeWave(const QString &path, qint64 samples, const std::function<qint16(qint64)> &sample)
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

    QList<qint16> block(44100);
    for (qint64 done = 0; done < samples; done += block.size()) {
        for (qsizetype i = 0; i < block.size(); ++i)
            block[i] = qToLittleEndian(sample(done + i));
        const qint64 n = std::min<qint64>(block.size(), samples - done);
        if (f.write(reinterpret_cast<const char *>(block.constData()), n * 2) != n * 2)
            return false;
    }
    return f.flush();
}

// Noise shaped like speech: loud and quiet stretches.
inline bool writeNoiseWave(const QString &path, qint64 samples)
{
    QRandomGenerator rng(11);
    return writeWave(path, samples, [&](qint64 i) {
        const int amplitude = (i / 44100) % 3 ? 12000 : 800;
        return qint16(rng.bounded(-amplitude, amplitude + 1));
    });
}

// Starts the peak resident size (VmHWM) afresh from the present size, so
// that the next piece of work's own peak can be read.
inline void resetPeak()
{
    QFile f(QStringLiteral("/proc/self/clear_refs"));
    if (f.open(QIODevice::WriteOnly))
        f.write("5");
}

inline void row(const char *what, double ms) { std::printf("  %-44s %10.2f ms\n", what, ms); }
inline void ratio(const char *what, double r) { std::printf("  %-44s %10.2f x\n", what, r); }

}  // namespace bench
