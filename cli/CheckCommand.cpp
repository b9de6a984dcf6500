#include "cli/CheckCommand.h"

#include "cli/CliSession.h"
#include "core/clsSett.h"
#include "oto/clsOto.h"
#include "oto/modLocale.h"
#include "oto/OtoDocument.h"
#include "wave/clsWave.h"

#include <QHash>
#include <cstdio>

namespace {

int badUsage(const QString &problem)
{
    return cliUsageError(problem, QStringLiteral("lirra-oto check FOLDER [--charset N] [--no-bad-names]"));
}

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
    if (wav.errType == 2)
        return {QStringLiteral("missing")};
    return {QStringLiteral("refused: ") + wav.GetError().section(QStringLiteral("\r\n"), 0, 0)};
}

}  // namespace

int checkCommand(const QStringList &args)
{
    if (args.size() < 2 || args[1].startsWith(QStringLiteral("--")))
        return badUsage(QStringLiteral("missing FOLDER"));
    const QString folder = args[1];
    int charset = 0;
    bool badNames = true;
    for (qsizetype i = 2; i < args.size(); ++i) {
        if (args[i] == QStringLiteral("--no-bad-names")) {
            badNames = false;
        } else if (args[i] == QStringLiteral("--charset") && i + 1 < args.size()) {
            const auto n = charsetIndex(args[++i]);
            if (!n)
                return badUsage(QStringLiteral("--charset takes 0 to 3, not '%1'").arg(args[i]));
            charset = *n;
        } else {
            return badUsage(QStringLiteral("unexpected argument '%1'").arg(args[i]));
        }
    }

    CliSession session(charset);
    session.sett.settFilenameBad = badNames ? 1 : 0;
    if (!session.open(folder))
        return kCliFailed;
    const OtoDocument &doc = session.doc;

    // One reader for the whole run, as the editor keeps one for its entries.
    clsWave wav(&session.locale);
    QHash<QString, WaveOutcome> seen;
    QByteArray out;
    int problems = 0;
    for (const auto &entry : doc.clcOto) {
        auto it = seen.find(entry->FIL);
        if (it == seen.end())
            it = seen.insert(entry->FIL, loadOutcome(wav, folder, entry->FIL));
        QString problem = it->problem;
        if (problem.isEmpty()) {
            clsOto trial;
            trial.cpy(*entry);
            if (!trial.tryToFix(it->lengthMs))
                problem = QStringLiteral("unusable");
        }
        if (problem.isEmpty())
            continue;
        ++problems;
        out += (entry->fileStr() + u'\t' + problem).toUtf8();
        out += '\n';
    }
    std::fwrite(out.constData(), 1, size_t(out.size()), stdout);
    std::fflush(stdout);
    printErr(QStringLiteral("entries: %1, problems: %2").arg(doc.clcOto.size()).arg(problems));
    return problems == 0 ? 0 : 1;
}
