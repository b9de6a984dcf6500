#include "cli/SplitCommand.h"

#include "cli/AliasRewriteCommand.h"
#include "tools/AliasRewrite.h"
#include "tools/ToolTexts.h"

namespace {
const char *const kUsageLine = "lirra-oto split FOLDER [COMBINATIONS] [--charset N]";
}

int splitCommand(const QStringList &args)
{
    if (args.size() < 2 || args[1].startsWith(QStringLiteral("--")))
        return rewriteUsage(QStringLiteral("missing FOLDER"), kUsageLine);
    QString list = toolTexts::kSplitDefault;
    qsizetype next = 2;
    if (args.size() > 2 && args[2] != QStringLiteral("--charset")) {
        list = args[2];
        next = 3;
        if (list.isEmpty())
            return rewriteUsage(QStringLiteral("COMBINATIONS is empty"), kUsageLine);
    }
    const QStringList combinations = list.split(u',');
    return rewriteAliasesCommand(args[1], args.mid(next), kUsageLine,
                                 [&](const OtoEntries &entries) { return splitAliases(entries, combinations); });
}
