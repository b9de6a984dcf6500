#include "bench/BenchSession.h"
#include "bench/BenchUtil.h"
#include "core/modUtils.h"

#include <QApplication>
#include <QCoreApplication>
#include <QDir>
#include <QListView>

// A generated singer of six pitch folders and 20 000 entries: lirra-oto
// list over all of it, and the real main window opening it.
void runSingerBenchmarks(const QString &scratch)
{
    constexpr int kEntries = 20000;
    const QStringList folders{QStringLiteral("A3"), QStringLiteral("C5"), QStringLiteral("F#4"),
                              QStringLiteral("Power"), QStringLiteral("Whisper"), QStringLiteral("Soft/G4")};
    const QString root = joinPath(scratch, QStringLiteral("singer-bench"));
    const int perFolder = kEntries / int(folders.size());
    for (int f = 0; f < folders.size(); ++f) {
        const QString suffix = folders[f].section(u'/', -1);
        if (bench::writeBank(root, folders[f], perFolder, [&](int i) {
                return QStringLiteral("%1.wav=- a%2 %3%4,100,200,-300,50,20").arg(i).arg(i % 400).arg(i % 9).arg(suffix);
            }).isEmpty())
            return;
    }
    bench::writeFile(joinPath(root, QStringLiteral("character.txt")), "name=Bench singer\r\n");

    std::printf("singer: %d entries in %lld folders\n", perFolder * int(folders.size()), qlonglong(folders.size()));
    const QString oto = joinPath(QCoreApplication::applicationDirPath(), QStringLiteral("lirra-oto"));
    const double listMs = bench::timeShellMs(QStringLiteral("'%1' list '%2' > /dev/null 2>&1").arg(oto, root), 3);
    bench::row("lirra-oto list over the singer (aim < 1000)", listMs);

    qsizetype opened = 0;
    const double openMs = bench::timeMs([&] {
        bench::WindowSession session(scratch, QStringLiteral("sett-singer.ini"), root);
        opened = session.window.document().clcOto().size();
        auto *list = session.window.findChild<QListView *>(QStringLiteral("lstOto"));
        QApplication::processEvents();
        if (list)
            list->viewport()->repaint();
    }, 3);
    bench::row("window opens the singer, list shown (aim < 2000)", openMs);
    std::printf("  (the window held %lld entries)\n", qlonglong(opened));
}
