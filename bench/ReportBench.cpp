#include "bench/BenchSession.h"
#include "bench/BenchUtil.h"
#include "core/clsSett.h"
#include "core/modUtils.h"
#include "oto/modLocale.h"
#include "oto/OtoDocument.h"
#include "report/BankReport.h"
#include "wave/WavImage.h"

#include <QDir>
#include <QFile>
#include <vector>

void runReportBenchmarks(const QString &scratch)
{
    constexpr int kRecordings = 2500;
    constexpr int kPerRecording = 8;
    const QString folder = scratch + QStringLiteral("/report-bench");
    QDir().mkpath(folder);

    // Recordings of half a second; every eighth entry's numbers overrun.
    const QByteArray image = modWave::wavImage(std::vector<qint16>(22050));
    QString oto = QStringLiteral("#CHARSET:UTF8\r\n");
    for (int r = 0; r < kRecordings; ++r) {
        const QString name = QStringLiteral("_あいうえおか%1.wav").arg(r);
        QFile f(joinPath(folder, name));
        if (!f.open(QIODevice::WriteOnly) || f.write(image) != image.size()) {
            std::fprintf(stderr, "lirra-bench: cannot write %s\n", qPrintable(f.fileName()));
            return;
        }
        for (int e = 0; e < kPerRecording; ++e)
            oto += QStringLiteral("%1=%2 %3,%4,60,-150,40,%5\r\n")
                       .arg(name, QString(QChar(u"aiueoan"[e % 7])), QString::number(r * kPerRecording + e))
                       .arg(50 + e * 30)
                       .arg(e == 7 ? 80 : 15);
    }
    bench::SilentDialogs dialogs;
    clsSett sett(joinPath(scratch, QStringLiteral("sett.ini")));
    sett.loadDflt();
    modLocale locale(sett, dialogs);
    locale.initLocale();
    locale.writefile(joinPath(folder, QStringLiteral("oto.ini")), oto, TextForm{true});

    std::printf("report: %d entries over %d recordings of 0.5 s, headers read\n", kRecordings * kPerRecording,
                kRecordings);
    qsizetype problems = 0;
    const double ms = bench::timeMs([&] {
        QString why;
        OtoDocument doc(locale, dialogs);
        const std::optional<BankInput> bank = readBank(doc, folder, &why);
        if (!bank)
            return;
        const std::optional<CoverageProfile> vcv = coverageProfile(QStringLiteral("ja-vcv"), {}, &why);
        problems = BankReport(*bank).run(&*vcv).size();
    });
    bench::row("read bank, every check, ja-vcv coverage", ms);
    std::printf("  %-44s %10lld\n", "problems found", qlonglong(problems));
    std::printf("  %-44s %10.2f ms\n", "target", 3000.0);
}
