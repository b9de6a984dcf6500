#include "BenchUtil.h"
#include "Dialogs.h"
#include "OtoDocument.h"
#include "clsSett.h"
#include "frmMain.h"
#include "modLocale.h"
#include "modUtils.h"

#include <QApplication>
#include <QDir>
#include <QListView>

namespace {

class QuietDialogs : public Dialogs {
public:
    MsgAnswer message(const MessageRequest &r) override { return r.defaultButton; }
    std::optional<QString> input(const QString &, const QString &, const QString &) override { return std::nullopt; }
    void beep() override {}
};

}  // namespace

// Fills and filters the entry list of the real main window with 50 000
// entries, each time until the list has laid out and painted its rows.
void runListBenchmarks(const QString &scratch)
{
    constexpr int kEntries = 50000;
    const QString folder = scratch + QStringLiteral("/list-bench");
    QDir().mkpath(folder);
    QString text = QStringLiteral("#CHARSET:UTF8\r\n");
    for (int i = 0; i < kEntries; ++i)
        text += QStringLiteral("k%1.wav=- か%2 %3,100,200,-300,50,20\r\n").arg(i).arg(i % 500).arg(i % 7 ? "" : "ka");
    QFile f(joinPath(folder, OtoDocument::kOtoIni));
    if (!f.open(QIODevice::WriteOnly) || f.write(text.toUtf8()) < 0)
        return;
    f.close();

    QuietDialogs dialogs;
    clsSett sett(joinPath(scratch, QStringLiteral("sett.ini")));
    sett.loadDflt();
    modLocale locale(sett, dialogs);
    frmMain window(sett, locale, dialogs);
    window.show();
    window.document().wrkpath = folder;
    window.document().openoto(folder, OtoDocument::kOtoIni);
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
