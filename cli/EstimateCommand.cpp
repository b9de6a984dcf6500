#include "analysis/Estimator.h"
#include "cli/CliSession.h"
#include "cli/Commands.h"
#include "core/modUtils.h"

#include <QDir>
#include <cstdio>

namespace {

// The waves of the folder, by their names on disk.
QStringList waveFiles(const QString &folder)
{
    return QDir(folder).entryList({QStringLiteral("*.wav"), QStringLiteral("*.WAV")}, QDir::Files, QDir::Name);
}

}  // namespace

int estimateCommand(const CliArgs &args)
{
    const QString folder = args.arg(0);
    CliSession session(args.charset());
    session.sett.settFilenameBad = args.isSet(QStringLiteral("no-bad-names")) ? 0 : 1;
    if (!session.open(args, folder))
        return kCliFailed;
    OtoDocument &doc = session.doc;
    const bool save = args.isSet(QStringLiteral("save"));

    // Each folder of a singer on its own: its recordings, its entries that
    // are set teach the estimate of its others.
    qsizetype estimated = 0, generatedCount = 0, flagged = 0;
    double elapsedMs = 0;
    for (const OtoFile &file : doc.files()) {
        QList<int> indexes;  // the folder's entries in the document
        QList<clsOto> entries;
        for (int i = 0; i < doc.clcOto().size(); ++i) {
            if (doc.clcOto()[i]->folder == file.folder) {
                indexes << i;
                entries << *doc.clcOto()[i];
            }
        }
        const QString wavesFolder = doc.folderPath(file.folder);
        const qsizetype existing = entries.size();
        if (args.isSet(QStringLiteral("generate")))
            entries += analysis::generateEntries(entries, waveFiles(wavesFolder));

        QList<int> targets;
        if (args.isSet(QStringLiteral("all"))) {
            for (int i = 0; i < entries.size(); ++i)
                targets << i;
        } else {
            targets = analysis::unsetIndexes(entries);
        }
        analysis::Estimator estimator(analysis::folderWaves(wavesFolder, &session.locale));
        const analysis::EstimateReport report = estimator.estimate(entries, targets);
        for (const analysis::Estimate &e : report.estimates) {
            entries[e.index] = e.entry;
            entries[e.index].folder = file.folder;
            if (e.flagged)
                printErr(QStringLiteral("flagged: %1\t%2").arg(listLine(entries[e.index]), e.reason));
        }

        // The document takes the result, so that a save writes it in the
        // file's own form and the checks below see the new aliases.
        QList<EntryChange> changes;
        for (const analysis::Estimate &e : report.estimates)
            if (e.index < existing)
                changes.append({indexes[e.index], entries[e.index]});
        doc.changeEntries(changes);
        OtoEntries generated;
        for (qsizetype i = existing; i < entries.size(); ++i) {
            entries[i].folder = file.folder;
            generated << std::make_shared<clsOto>(entries[i]);
        }
        // Generated entries follow the folder's last one.
        const int after = indexes.isEmpty() ? int(doc.clcOto().size()) : indexes.last() + 1;
        doc.insertEntries(indexes.isEmpty() ? int(doc.clcOto().size()) : after, generated);

        estimated += report.estimates.size();
        generatedCount += generated.size();
        flagged += report.flagged;
        elapsedMs += report.elapsedMs;
    }

    if (save) {
        if (refusesBadLines(session) || refusesUnwritable(session) || !doc.saveoto(OtoDocument::kOtoIni))
            return kCliFailed;
    }

    printEntries(doc.clcOto());
    printErr(QStringLiteral("entries: %1, estimated: %2, generated: %3, flagged: %4, time: %5 ms")
                 .arg(doc.clcOto().size())
                 .arg(estimated)
                 .arg(generatedCount)
                 .arg(flagged)
                 .arg(qRound(elapsedMs)));
    return 0;
}
