#include "cli/AliasRewriteCommand.h"

#include "cli/CliSession.h"
#include "core/clsSett.h"
#include "core/modUtils.h"
#include "oto/modLocale.h"
#include "oto/OtoDocument.h"

#include <cstdio>

int rewriteUsage(const QString &problem, const char *usageLine)
{
    return cliUsageError(problem, QString::fromUtf8(usageLine));
}

int rewriteAliasesCommand(const QString &folder, const QStringList &options, const char *usageLine,
                          const std::function<int(const OtoEntries &)> &rewrite)
{
    int charset = 0;
    for (qsizetype i = 0; i < options.size(); ++i) {
        if (options[i] == QStringLiteral("--charset") && i + 1 < options.size()) {
            const auto n = charsetIndex(options[++i]);
            if (!n)
                return rewriteUsage(QStringLiteral("--charset takes 0 to 3, not '%1'").arg(options[i]), usageLine);
            charset = *n;
        } else {
            return rewriteUsage(QStringLiteral("unexpected argument '%1'").arg(options[i]), usageLine);
        }
    }

    CliSession session(charset);
    if (!session.open(folder))
        return kCliFailed;
    OtoDocument &doc = session.doc;
    const QString path = joinPath(folder, OtoDocument::kOtoIni);
    if (doc.lastBadLines() > 0) {
        printErr(QStringLiteral("lirra-oto: %1 has %2 bad lines that saving would drop; nothing was changed")
                     .arg(path)
                     .arg(doc.lastBadLines()));
        return kCliFailed;
    }

    const int changed = rewrite(doc.clcOto);
    if (changed > 0) {
        // A rule may bring in a character the file's code page turns into "?".
        if (const auto lost = firstUnwritableLine(session)) {
            printErr(QStringLiteral("lirra-oto: the file's encoding cannot hold every character of this line, "
                                    "nothing was changed:\n%1")
                         .arg(*lost));
            return kCliFailed;
        }
        if (!doc.saveoto(OtoDocument::kOtoIni))
            return kCliFailed;
    }
    std::printf("%s: %d of %lld aliases changed\n", path.toUtf8().constData(), changed,
                qlonglong(doc.clcOto.size()));
    return 0;
}
