#include "analysis/EstimateRun.h"
#include "analysis/Estimator.h"
#include "cli/CliSession.h"
#include "cli/Commands.h"
#include "core/modUtils.h"
#include "oto/SingerFolder.h"

#include <QDir>
#include <QFileInfo>
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
    OtoDocument &doc = session.doc;
    const QString path = joinPath(folder, OtoDocument::kOtoIni);
    const QFileInfo ini(path);
    const QStringList subs = findOtoFolders(folder, OtoDocument::kOtoIni);
    const bool ownOnly = subs.isEmpty() || subs == QStringList{QString()};
    if (ownOnly && !args.isSet(QStringLiteral("folder")) && (!ini.exists() || (ini.isFile() && ini.size() == 0))) {
        // A new bank: its entries come from the recordings' names.
        if (!args.isSet(QStringLiteral("generate"))) {
            printErr(QStringLiteral("lirra-oto: %1 has no entries yet; --generate makes them from the recordings' names").arg(path));
            return kCliFailed;
        }
        TextForm form;
        form.utf8Marker = !args.isSet(QStringLiteral("charset"));
        doc.startNew(folder, form);
    } else if (!session.open(args, folder)) {
        return kCliFailed;
    }
    const bool save = args.isSet(QStringLiteral("save"));

    // Each folder of a singer on its own: its recordings, its entries that
    // are set teach the estimate of its others.
    qsizetype estimated = 0, generatedCount = 0, flagged = 0;
    double elapsedMs = 0;
    // One undo step for the whole estimate.
    OtoDocument::ScriptEdit edit(doc, QStringLiteral("Estimate"));
    // The flagged entries, named once every folder's entries have their
    // places in the printed list.
    QList<std::pair<std::shared_ptr<clsOto>, QString>> flags;
    const QList<OtoFile> files = doc.files();
    for (const OtoFile &file : files) {
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
        const analysis::WaveSource waves = analysis::folderWaves(wavesFolder, &session.locale);
        analysis::Estimator estimator(waves);
        analysis::EstimateReport report = estimator.estimate(entries, targets);
        analysis::keepEntryForms(report.estimates, entries, waves, session.sett.settPrmRound);
        for (analysis::Estimate &e : report.estimates) {
            e.entry.folder = file.folder;
            entries[e.index] = e.entry;
        }

        // The document takes the result, so that a save writes it in the
        // file's own form and the checks below see the new aliases.
        QList<EntryChange> changes;
        for (const analysis::Estimate &e : report.estimates)
            if (e.index < existing)
                changes.append({indexes[e.index], entries[e.index]});
        doc.editEntries(changes, QStringLiteral("Estimate"));
        OtoEntries generated;
        for (qsizetype i = existing; i < entries.size(); ++i) {
            entries[i].folder = file.folder;
            generated << std::make_shared<clsOto>(entries[i]);
        }
        // Generated entries follow the folder's last one.
        const int after = indexes.isEmpty() ? int(doc.clcOto().size()) : indexes.last() + 1;
        doc.insertEntriesStep(after, generated, QStringLiteral("Estimate"));
        for (const analysis::Estimate &e : report.estimates) {
            if (e.flagged) {
                const std::shared_ptr<clsOto> &entry = e.index < existing ? doc.clcOto()[indexes[e.index]] : generated[e.index - existing];
                flags.append({entry, e.reason});
            }
        }

        estimated += report.estimates.size();
        generatedCount += generated.size();
        flagged += report.flagged;
        elapsedMs += report.elapsedMs;
    }
    edit.close();

    if (save) {
        if (refusesUnwritable(session) || !doc.saveoto(OtoDocument::kOtoIni))
            return kCliFailed;
    }

    printEntries(doc.clcOto());
    for (const auto &flag : flags) {
        analysis::Estimate e;
        e.index = int(doc.clcOto().indexOf(flag.first));
        e.entry = *flag.first;
        e.reason = flag.second;
        printErr(analysis::flagLine(e));
    }
    printErr(QStringLiteral("entries: %1, estimated: %2, generated: %3, flagged: %4, time: %5 ms")
                 .arg(doc.clcOto().size())
                 .arg(estimated)
                 .arg(generatedCount)
                 .arg(flagged)
                 .arg(qRound(elapsedMs)));
    return 0;
}
