#include "analysis/EstimateRun.h"
#include "analysis/Estimator.h"
#include "cli/CliSession.h"
#include "cli/Commands.h"
#include "core/modUtils.h"
#include "oto/SingerFolder.h"
#include "singer/PrefixMap.h"

int estimateCommand(const CliArgs &args)
{
    const QString folder = args.arg(0);
    CliSession session(args.charset());
    session.sett.settFilenameBad = args.isSet(QStringLiteral("no-bad-names")) ? 0 : 1;
    OtoDocument &doc = session.doc;
    const bool generate = args.isSet(QStringLiteral("generate"));
    const bool newBank = !args.isSet(QStringLiteral("folder")) && isNewBank(folder);
    if (newBank) {
        // A new bank: its entries come from the recordings' names.
        if (!generate) {
            printErr(QStringLiteral("lirra-oto: %1 has no entries yet; --generate makes them from the recordings' names")
                         .arg(joinPath(folder, OtoDocument::kOtoIni)));
            return kCliFailed;
        }
        TextForm form;
        form.utf8Marker = !args.isSet(QStringLiteral("charset"));
        doc.startNew(folder, form);
    } else if (!session.open(args, folder)) {
        return kCliFailed;
    }

    // Each folder of a singer on its own: its recordings, its entries that
    // are set teach the estimate of its others.
    analysis::EstimateRequest request;
    request.scope = args.isSet(QStringLiteral("all")) ? analysis::EstimateScope::All : analysis::EstimateScope::Unset;
    request.generate = generate;
    request.roundStep = session.sett.settPrmRound;
    request.affixPairs = singer::PrefixMap::pairsIn(folder, session.locale);
    const auto wavesOf = [&](const QString &sub) { return analysis::folderWaves(doc.folderPath(sub), &session.locale); };
    const analysis::EstimateRun run = analysis::runEstimate(doc, request, wavesOf, nullptr);
    if (newBank && run.madeCount() == 0) {
        // An oto.ini with no entry would make the folder look like a bank.
        printErr(QStringLiteral("lirra-oto: no entries made: no recording's name in %1 reads as what is sung "
                                "(as _あかさ.wav does); nothing written")
                     .arg(folder));
        return kCliFailed;
    }
    // One undo step; the document takes the result, so that a save writes
    // it in each file's own form.
    const QList<analysis::Estimate> flags = analysis::applyEstimateRun(doc, run, QStringLiteral("Estimate"));

    if (args.isSet(QStringLiteral("save"))) {
        if (refusesUnwritable(session) || !doc.saveoto(OtoDocument::kOtoIni))
            return kCliFailed;
    }

    printEntries(doc.clcOto());
    for (const analysis::Estimate &e : flags)
        printErr(analysis::flagLine(e));
    printErr(QStringLiteral("entries: %1, estimated: %2, generated: %3, flagged: %4, time: %5 ms")
                 .arg(doc.clcOto().size())
                 .arg(run.estimated)
                 .arg(run.madeCount())
                 .arg(flags.size())
                 .arg(qRound(run.elapsedMs)));
    return 0;
}
