#include "app/FrqGeneration.h"

#include "core/Dialogs.h"

#include <QApplication>
#include <QFileInfo>
#include <QProgressDialog>
#include <QThread>
#include <thread>

namespace {

const QString kTitle = QStringLiteral("Generate frequency files - 生成頻率檔");

}  // namespace

QString frqRunSummary(const analysis::FrqRunResult &result)
{
    QString text = QStringLiteral("Frequency files ") + result.counts();
    if (result.cancelled)
        text += QStringLiteral("\r\nCancelled - 已取消");
    // A bank with many broken recordings would fill the screen.
    for (qsizetype i = 0; i < std::min<qsizetype>(result.failures.size(), 10); ++i)
        text += QStringLiteral("\r\n") + result.failures[i];
    if (result.failures.size() > 10)
        text += QStringLiteral("\r\n...");
    return text;
}

bool generateFrqFiles(QWidget *parent, Dialogs &dialogs, const QString &folder)
{
    const QStringList waves = analysis::waveFilesUnder(folder);
    analysis::FrqRunOptions options;
    const bool someExist = std::any_of(waves.begin(), waves.end(),
                                       [](const QString &w) { return QFileInfo::exists(analysis::frqPathOf(w)); });
    if (someExist) {
        const MsgAnswer a = dialogs.message({QStringLiteral("Replace the frequency files there are too?\r\n已有的頻率檔也要重新生成嗎？"),
                                             kTitle, MsgButtons::YesNoCancel, MsgIcon::Question, MsgAnswer::Cancel});
        if (a == MsgAnswer::Cancel)
            return false;
        options.force = a == MsgAnswer::Yes;
    }

    QProgressDialog progress(kTitle, QStringLiteral("Cancel - 取消"), 0, 1, parent);
    progress.setWindowModality(Qt::WindowModal);
    progress.setMinimumDuration(300);
    std::atomic<bool> cancel{false};
    std::atomic<int> done{0}, total{0};
    std::atomic<bool> finished{false};
    analysis::FrqRunResult result;
    std::thread worker([&] {
        result = analysis::writeFrqFiles(waves, options,
                                         [&](int d, int t) {
                                             total = t;
                                             done = d;
                                         },
                                         &cancel);
        finished = true;
    });
    while (!finished) {
        if (total > 0) {
            progress.setMaximum(total);
            progress.setValue(std::min<int>(done, total - 1));
        }
        QApplication::processEvents(QEventLoop::AllEvents, 30);
        if (progress.wasCanceled())
            cancel = true;
        QThread::msleep(15);
    }
    worker.join();
    progress.close();
    dialogs.inform(frqRunSummary(result), kTitle);
    return true;
}
