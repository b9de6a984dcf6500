#include "bench/BenchSession.h"
#include "bench/BenchUtil.h"
#include "core/clsSett.h"
#include "core/Dialogs.h"
#include "core/modUtils.h"
#include "oto/modLocale.h"
#include "oto/OtoDocument.h"

#include <QDir>
#include <QFileInfo>

namespace {

// A voicebank's oto.ini of `count` entries with kana names and aliases,
// parameters with fractions and signs as real banks have them.
QString makeOtoText(int count)
{
    static const char16_t kana[] = u"あいうえおかきくけこさしすせそたちつてとなにぬねのはひふへほまみむめもやゆよらりるれろわをん";
    const int kanaCount = int(std::size(kana)) - 1;
    QString text;
    text.reserve(qsizetype(count) * 48);
    for (int i = 0; i < count; ++i) {
        QString syllables;
        for (int k = 0; k < 6; ++k)
            syllables += QChar(kana[(i * 7 + k * 13 + i / kanaCount) % kanaCount]);
        text += QStringLiteral("_%1_%2.wav=- %3%4,%5,%6,%7,%8,%9\r\n")
                    .arg(syllables)
                    .arg(i)
                    .arg(syllables.left(2))
                    .arg(i % 3 ? QString() : QString::number(i % 10))
                    .arg(1000 + (i % 997) * 1.5)
                    .arg(250 + i % 50)
                    .arg(-(300.25 + i % 100))
                    .arg(120 + i % 40)
                    .arg(i % 2 ? 60 : -10);
    }
    return text;
}

}  // namespace

void runOtoBenchmarks(const QString &scratch)
{
    constexpr int kEntries = 100000;
    const QString folder = scratch + QStringLiteral("/oto-bench");
    QDir().mkpath(folder);
    const QString path = joinPath(folder, OtoDocument::kOtoIni);

    bench::SilentDialogs dialogs;
    clsSett sett(joinPath(scratch, QStringLiteral("sett.ini")));
    sett.loadDflt();
    modLocale locale(sett, dialogs);
    locale.initLocale();
    if (!locale.writefile(path, makeOtoText(kEntries))) {
        std::fprintf(stderr, "lirra-bench: cannot write %s\n", qPrintable(path));
        return;
    }
    const double megabytes = QFileInfo(path).size() / 1e6;
    std::printf("oto.ini: %d entries, kana aliases, Shift-JIS, %.2f MB\n", kEntries, megabytes);

    const double iconvMs = bench::timeShellMs(QStringLiteral("iconv -f CP932 -t UTF-8 '%1' > /dev/null").arg(path), 5);

    // Memory first, on a fresh load; then the timings, each load starting
    // from an empty document as the first load of a session does.
    OtoDocument doc(locale, dialogs);
    const long rssBefore = bench::statusKb("VmRSS:");
    doc.openFolder(folder);
    const long rssAfter = bench::statusKb("VmRSS:");
    const double loadMs = bench::timeMs([&] { doc.openoto(folder, OtoDocument::kOtoIni); }, 5,
                                        [&] { doc.replaceEntries({}); });
    const double saveMs = bench::timeMs([&] { doc.saveoto(OtoDocument::kOtoIni); }, 5);

    if (doc.clcOto().size() != kEntries || dialogs.shown != 0)
        std::printf("  WARNING: loaded %lld entries with %d messages\n", qlonglong(doc.clcOto().size()), dialogs.shown);
    bench::row("iconv -f CP932 -t UTF-8", iconvMs);
    bench::row("load (read, decode, parse)", loadMs);
    bench::row("save (format, encode, write, fsync)", saveMs);
    bench::ratio("load / iconv (aim <= 2)", loadMs / iconvMs);
    bench::ratio("save / iconv (aim <= 2)", saveMs / iconvMs);
    std::printf("  %-44s %10.1f MB\n", "memory held by the loaded entries", (rssAfter - rssBefore) / 1024.0);
    std::printf("  %-44s %10.1f MB\n", "peak resident size of the whole run so far", bench::statusKb("VmHWM:") / 1024.0);
}
