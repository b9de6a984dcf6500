#include "app/frmMain.h"
#include "bench/BenchSession.h"
#include "bench/BenchUtil.h"
#include "core/clsSett.h"
#include "core/Dialogs.h"
#include "oto/modLocale.h"

#include <QApplication>
#include <QListView>

// Fills and filters the entry list of the real main window with 50 000
// entries, each time until the list has laid out and painted its rows.
void runListBenchmarks(const QString &scratch)
{
    constexpr int kEntries = 50000;
    const QString folder = bench::writeBank(scratch, QStringLiteral("list-bench"), kEntries, [](int i) {
        return QStringLiteral("k%1.wav=- か%2 %3,100,200,-300,50,20").arg(i).arg(i % 500).arg(i % 7 ? "" : "ka");
    });
    if (folder.isEmpty())
        return;

    bench::WindowSession session(scratch, QStringLiteral("sett-list.ini"), folder);
    frmMain &window = session.window;
    auto *list = window.findChild<QListView *>(QStringLiteral("lstOto"));
    const auto shown = [&] {
        QApplication::processEvents();
        list->viewport()->repaint();
    };

    std::printf("entry list: %d entries in the main window\n", kEntries);
    const double fillMs = bench::timeMs([&] { window.F5LstOto(); shown(); }, 5);
    const double filterMs = bench::timeMs([&] { window.F5LstOtoS(QStringLiteral("か12"), 0); shown(); }, 5,
                                          [&] { window.F5LstOto(); shown(); });
    const double filterBothMs = bench::timeMs([&] { window.F5LstOtoS(QStringLiteral("k12"), 1); shown(); }, 5,
                                              [&] { window.F5LstOto(); shown(); });
    bench::row("fill (aim <= 50)", fillMs);
    bench::row("filter by alias (aim <= 50)", filterMs);
    bench::row("filter by alias or file name (aim <= 50)", filterBothMs);
}
