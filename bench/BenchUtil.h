#pragma once

#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <cstdio>
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

inline void row(const char *what, double ms) { std::printf("  %-44s %10.2f ms\n", what, ms); }
inline void ratio(const char *what, double r) { std::printf("  %-44s %10.2f x\n", what, r); }

}  // namespace bench
