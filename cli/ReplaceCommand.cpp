#include "cli/ReplaceCommand.h"

#include "cli/AliasRewriteCommand.h"
#include "tools/AliasRewrite.h"

namespace {
const char *const kUsageLine = "lirra-oto replace FOLDER RULES [--charset N]";
}

int replaceCommand(const QStringList &args)
{
    if (args.size() < 2 || args[1].startsWith(QStringLiteral("--")))
        return rewriteUsage(QStringLiteral("missing FOLDER"), kUsageLine);
    // An empty line would be a cancelled box in the editor: refuse it here
    // rather than report zero changes for what is likely an unset variable.
    if (args.size() < 3 || args[2].isEmpty())
        return rewriteUsage(QStringLiteral("missing RULES"), kUsageLine);
    const QList<ReplaceRule> rules = parseReplaceRules(args[2]);
    return rewriteAliasesCommand(args[1], args.mid(3), kUsageLine,
                                 [&](const OtoEntries &entries) { return replaceAliases(entries, rules); });
}
