#include "cli/Commands.h"

#include "cli/CliSession.h"
#include "report/BankReport.h"

#include <cstdio>

int reportCommand(const CliArgs &args)
{
    CliSession session(args.charset());
    QString why;
    const std::optional<BankInput> bank = readBank(session.doc, args.arg(0), &why);
    if (!bank) {
        printErr(QStringLiteral("lirra-oto: ") + why);
        return kCliFailed;
    }

    std::optional<CoverageProfile> coverage;
    if (args.isSet(QStringLiteral("coverage"))) {
        const auto decode = [&](const QString &path) { return readCoverageFile(path, session.locale); };
        coverage = coverageProfile(args.value(QStringLiteral("coverage")), decode, &why);
        if (!coverage) {
            printErr(QStringLiteral("lirra-oto: ") + why);
            return kCliFailed;
        }
    }

    BankReport report(*bank);
    const QList<Problem> problems = report.run(coverage ? &*coverage : nullptr);
    QByteArray out;
    for (const Problem &p : problems) {
        out += p.line().toUtf8();
        out += '\n';
    }
    std::fwrite(out.constData(), 1, size_t(out.size()), stdout);
    std::fflush(stdout);

    if (bank->badLines > 0)
        printErr(QStringLiteral("note: %1 lines are not entries and were skipped").arg(bank->badLines));
    std::fputs(countsByKind(problems).toUtf8().constData(), stderr);
    printErr(QStringLiteral("entries: %1, recordings: %2, problems: %3")
                 .arg(bank->entries.size())
                 .arg(bank->recordings.size())
                 .arg(problems.size()));
    return problems.isEmpty() ? 0 : 1;
}
