#include "cli/Commands.h"

#include "cli/CliSession.h"
#include "cli/CommandLine.h"
#include "core/clsSett.h"
#include "oto/clsOto.h"
#include "oto/modLocale.h"
#include "oto/OtoDocument.h"
#include "wave/clsWave.h"

#include <QHash>
#include <cstdio>

namespace {

// What loading one wave file gave; entries naming the same file share it.
struct WaveOutcome {
    QString problem;  // empty when loaded
    double lengthMs = 0;
};

WaveOutcome loadOutcome(clsWave &wav, const QString &folder, const QString &fileName)
{
    QString name = fileName;  // ReadFile replaces it by the path
    if (wav.ReadFile(folder, name))
        return {QString(), wav.LengthMs};
    if (wav.errType == WaveError::NotFound)
        return {QStringLiteral("missing")};
    return {QStringLiteral("refused: ") + wav.errorReason()};
}

}  // namespace

int checkCommand(const CliArgs &args)
{
    const QString folder = args.arg(0);
    CliSession session(args.charset());
    session.sett.settFilenameBad = args.isSet(QStringLiteral("no-bad-names")) ? 0 : 1;
    if (!session.open(args, folder))
        return kCliFailed;
    const OtoDocument &doc = session.doc;

    // One reader for the whole run, as the editor keeps one for its entries.
    clsWave wav(&session.locale);
    QHash<QString, WaveOutcome> seen;
    QByteArray out;
    int problems = 0;
    for (const auto &entry : doc.clcOto()) {
        // Each entry's wave lies in the folder of its oto.ini.
        const QString key = entry->folder + u'\n' + entry->FIL;
        auto it = seen.find(key);
        if (it == seen.end())
            it = seen.insert(key, loadOutcome(wav, doc.folderPath(entry->folder), entry->FIL));
        QString problem = it->problem;
        if (problem.isEmpty()) {
            clsOto trial = *entry;
            if (!trial.tryToFix(it->lengthMs))
                problem = QStringLiteral("unusable");
        }
        if (problem.isEmpty())
            continue;
        ++problems;
        out += (entry->pathLineStr() + u'\t' + problem).toUtf8();
        out += '\n';
    }
    std::fwrite(out.constData(), 1, size_t(out.size()), stdout);
    std::fflush(stdout);
    printErr(QStringLiteral("entries: %1, problems: %2").arg(doc.clcOto().size()).arg(problems));
    return problems == 0 ? 0 : 1;
}
