#include "AliasRewriteCommand.h"

#include "ConsoleDialogs.h"
#include "OtoDocument.h"
#include "clsSett.h"
#include "modLocale.h"
#include "modUtils.h"

#include <cstdio>

namespace {

constexpr int kFailed = 2;

void printErr(const QString &text)
{
    std::fprintf(stderr, "%s\n", text.toUtf8().constData());
}

}  // namespace

int rewriteUsage(const QString &problem, const char *usageLine)
{
    printErr(QStringLiteral("lirra-oto: ") + problem);
    printErr(QStringLiteral("usage: ") + QString::fromUtf8(usageLine));
    return kFailed;
}

int rewriteAliasesCommand(const QString &folder, const QStringList &options, const char *usageLine,
                          const std::function<int(const OtoEntries &)> &rewrite)
{
    int charset = 0;
    for (qsizetype i = 0; i < options.size(); ++i) {
        if (options[i] == QStringLiteral("--charset") && i + 1 < options.size()) {
            bool ok = false;
            charset = options[++i].toInt(&ok);
            if (!ok || charset < 0 || charset > 3)
                return rewriteUsage(QStringLiteral("--charset takes 0 to 3, not '%1'").arg(options[i]), usageLine);
        } else {
            return rewriteUsage(QStringLiteral("unexpected argument '%1'").arg(options[i]), usageLine);
        }
    }

    ConsoleDialogs dialogs;
    clsSett sett{QString()};
    sett.loadDflt();
    sett.settlocFile = charset;
    modLocale locale(sett, dialogs);
    locale.initLocale();
    OtoDocument doc(locale, dialogs);
    doc.wrkpath = folder;
    if (!doc.openoto(folder, OtoDocument::kOtoIni))
        return kFailed;
    const QString path = joinPath(folder, OtoDocument::kOtoIni);
    if (doc.lastBadLines() > 0) {
        printErr(QStringLiteral("lirra-oto: %1 has %2 bad lines that saving would drop; nothing was changed")
                     .arg(path)
                     .arg(doc.lastBadLines()));
        return kFailed;
    }

    const int changed = rewrite(doc.clcOto);
    if (changed > 0) {
        // A rule may bring in a character the file's code page turns into "?".
        const int codePage = locale.writeCodePage();
        for (const auto &entry : doc.clcOto) {
            const QString line = entry->fileStr();
            if (modLocale::bytes2str(modLocale::str2bytes(line, codePage), codePage) != line) {
                printErr(QStringLiteral("lirra-oto: the file's encoding cannot hold every character of this line, "
                                        "nothing was changed:\n%1")
                             .arg(line));
                return kFailed;
            }
        }
        if (!doc.saveoto(OtoDocument::kOtoIni))
            return kFailed;
    }
    std::printf("%s: %d of %lld aliases changed\n", path.toUtf8().constData(), changed,
                qlonglong(doc.clcOto.size()));
    return 0;
}
