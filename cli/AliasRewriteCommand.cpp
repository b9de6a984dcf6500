#include "cli/AliasRewriteCommand.h"

#include "cli/CliSession.h"
#include "cli/CommandLine.h"
#include "core/modUtils.h"

#include <QHash>
#include <cstdio>

int rewriteAliasesCommand(const CliArgs &args, const std::function<QList<AliasChange>(const OtoEntries &)> &rewrite)
{
    const QString folder = args.arg(0);
    CliSession session(args.charset());
    if (!session.open(args, folder))
        return kCliFailed;
    OtoDocument &doc = session.doc;

    const QList<AliasChange> changes = rewrite(doc.clcOto());
    if (!changes.isEmpty()) {
        doc.editAliases(changes, QStringLiteral("Replace"));
        // A rule may bring in a character the file's code page turns into
        // "?"; bad lines are written back where they were.
        if (refusesUnwritable(session) || !doc.saveoto(OtoDocument::kOtoIni))
            return kCliFailed;
    }
    // One line per file, with the changes made in it.
    QHash<QString, std::pair<qsizetype, qsizetype>> counts;
    for (const auto &entry : doc.clcOto())
        ++counts[entry->folder].second;
    for (const AliasChange &c : changes)
        ++counts[doc.clcOto()[c.index]->folder].first;
    for (const OtoFile &file : doc.writtenFiles()) {
        const auto [changed, all] = counts.value(file.folder);
        std::printf("%s: %lld of %lld aliases changed\n",
                    joinPath(doc.folderPath(file.folder), file.fileName).toUtf8().constData(), qlonglong(changed),
                    qlonglong(all));
    }
    return 0;
}
