#include "analysis/EstimateRun.h"
#include "analysis/Estimator.h"
#include "cli/CliSession.h"
#include "cli/Commands.h"
#include "core/modUtils.h"

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
    if (!ini.exists() || (ini.isFile() && ini.size() == 0)) {
        // A new bank: its entries come from the recordings' names.
        if (!args.isSet(QStringLiteral("generate"))) {
            printErr(QStringLiteral("lirra-oto: %1 has no entries yet; --generate makes them from the recordings' names").arg(path));
            return kCliFailed;
        }
        TextForm form;
        form.utf8Marker = !args.isSet(QStringLiteral("charset"));
        doc.startNew(folder, form);
    } else if (!session.open(folder)) {
        return kCliFailed;
    }
    const bool save = args.isSet(QStringLiteral("save"));
    if (save && refusesBadLines(session, path))
        return kCliFailed;

    QList<clsOto> entries;
    for (const auto &e : doc.clcOto())
        entries << *e;
    const qsizetype existing = entries.size();
    if (args.isSet(QStringLiteral("generate")))
        entries += analysis::generateEntries(entries, waveFiles(folder));

    QList<int> targets;
    if (args.isSet(QStringLiteral("all"))) {
        for (int i = 0; i < entries.size(); ++i)
            targets << i;
    } else {
        targets = analysis::unsetIndexes(entries);
    }

    const analysis::WaveSource waves = analysis::folderWaves(folder, &session.locale);
    analysis::Estimator estimator(waves);
    analysis::EstimateReport report = estimator.estimate(entries, targets);
    analysis::keepEntryForms(report.estimates, entries, waves, session.sett.settPrmRound);
    // The entries keep their order in the output (generated ones last), so
    // an entry's place there is its index + 1.
    for (const analysis::Estimate &e : report.estimates) {
        entries[e.index] = e.entry;
        if (e.flagged)
            printErr(analysis::flagLine(e));
    }

    // The document takes the result, so that a save writes it in the file's
    // own form and the check above sees the new aliases.
    OtoEntries generated;
    for (qsizetype i = existing; i < entries.size(); ++i)
        generated << std::make_shared<clsOto>(entries[i]);
    OtoDocument::ScriptEdit edit(doc, QStringLiteral("Estimate"));
    doc.insertEntriesStep(int(existing), generated, QStringLiteral("Estimate"));
    QList<EntryChange> changes;
    for (const analysis::Estimate &e : report.estimates)
        if (e.index < existing)
            changes.append({e.index, e.entry});
    doc.editEntries(changes, QStringLiteral("Estimate"));
    edit.close();

    if (save) {
        if (refusesUnwritable(session) || !doc.saveoto(OtoDocument::kOtoIni))
            return kCliFailed;
    }

    QByteArray out;
    for (const auto &e : doc.clcOto()) {
        out += e->fileStr().toUtf8();
        out += '\n';
    }
    std::fwrite(out.constData(), 1, size_t(out.size()), stdout);
    std::fflush(stdout);
    printErr(QStringLiteral("entries: %1, estimated: %2, generated: %3, flagged: %4, time: %5 ms")
                 .arg(doc.clcOto().size())
                 .arg(report.estimates.size())
                 .arg(generated.size())
                 .arg(report.flagged)
                 .arg(qRound(report.elapsedMs)));
    return 0;
}
