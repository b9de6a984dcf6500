#include "cli/AliasRewriteCommand.h"

#include "cli/CliSession.h"
#include "cli/CommandLine.h"
#include "core/modUtils.h"

#include <cstdio>

int rewriteAliasesCommand(const CliArgs &args, const std::function<QList<AliasChange>(const OtoEntries &)> &rewrite)
{
    const QString folder = args.arg(0);
    CliSession session(args.charset());
    if (!session.open(folder))
        return kCliFailed;
    OtoDocument &doc = session.doc;
    const QString path = joinPath(folder, OtoDocument::kOtoIni);
    if (refusesBadLines(session, path))
        return kCliFailed;

    const QList<AliasChange> changes = rewrite(doc.clcOto());
    if (!changes.isEmpty()) {
        doc.editAliases(changes, QStringLiteral("Replace"));
        // A rule may bring in a character the file's code page turns into "?".
        if (refusesUnwritable(session) || !doc.saveoto(OtoDocument::kOtoIni))
            return kCliFailed;
    }
    std::printf("%s: %lld of %lld aliases changed\n", path.toUtf8().constData(), qlonglong(changes.size()),
                qlonglong(doc.clcOto().size()));
    return 0;
}
