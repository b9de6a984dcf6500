#include "app/frmMain.h"
#include "app/frmScript.h"
#include "bench/BenchSession.h"
#include "bench/BenchUtil.h"

#include <QAction>
#include <QApplication>
#include <QPlainTextEdit>
#include <QPushButton>

// The console's two sample scripts, each listing every entry of a
// 50 000-entry voicebank into the output box, timed from the Run click until
// the output box has painted the result.
void runConsoleBenchmarks(const QString &scratch)
{
    constexpr int kEntries = 50000;
    const QString folder = bench::writeBank(scratch, QStringLiteral("console-bench"), kEntries, [](int i) {
        return QStringLiteral("k%1.wav=- か%2,100.5,200,-300,50.25,20").arg(i).arg(i % 500);
    });
    if (folder.isEmpty())
        return;

    bench::WindowSession session(scratch, QStringLiteral("sett-console.ini"), folder);
    session.window.findChild<QAction *>(QStringLiteral("mnuExpScript"))->trigger();
    frmScript *console = session.window.console();
    if (!console) {
        std::printf("script console: the console did not open\n");
        return;
    }
    // No time-out: on a busy machine the default 3 seconds would cut a
    // slow run short instead of timing it.
    console->engine().setTimeout(0);
    auto *output = console->findChild<QPlainTextEdit *>(QStringLiteral("txtDebug"));
    std::printf("script console: the sample scripts over %d entries, output box included\n", kEntries);
    for (const char *language : {"VBScript", "JScript"}) {
        if (console->engine().language() != QLatin1String(language))
            console->cmdSptLang_Click();
        console->cmdSptSample_Click();
        const double ms = bench::timeMs(
            [&] {
                console->cmdRun_Click();
                QApplication::processEvents();
                output->viewport()->repaint();
            },
            3, [&] { output->clear(); });
        const int lines = output->document()->blockCount();
        char label[64];
        std::snprintf(label, sizeof label, "%s sample (aim < 1000)", language);
        bench::row(label, ms);
        std::printf("  %-44s %10d\n", "  lines in the output box", lines);
    }
}
