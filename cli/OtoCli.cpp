#include "OtoCli.h"

#include "CheckCommand.h"
#include "CliSession.h"
#include "OtoDocument.h"
#include "ReplaceCommand.h"
#include "SplitCommand.h"
#include "clsSett.h"
#include "modLocale.h"
#include "modUtils.h"

#include <QFile>
#include <QFileInfo>
#include <cstdio>
#include <optional>

namespace {

constexpr int kOk = 0;
constexpr int kFailed = kCliFailed;

const char *const kUsage =
    "usage:\n"
    "  lirra-oto list FOLDER [--file NAME] [--charset N]\n"
    "  lirra-oto convert FOLDER --to N|utf8 [--charset N]\n"
    "  lirra-oto check FOLDER [--charset N] [--no-bad-names]\n"
    "  lirra-oto replace FOLDER RULES [--charset N]\n"
    "  lirra-oto split FOLDER [COMBINATIONS] [--charset N]\n"
    "N is a file charset index: 0 Japanese (Shift-JIS), 1 S Chinese (GBK),\n"
    "2 T Chinese (BIG5), 3 Auto (the system's). Default 0.\n";

int usage(const QString &problem = {})
{
    if (!problem.isEmpty())
        printErr(QStringLiteral("lirra-oto: ") + problem);
    std::fputs(kUsage, stderr);
    return kFailed;
}

// Options after the command's folder: "--name value" pairs.
struct Options {
    QString folder;
    QString file = OtoDocument::kOtoIni;
    int charset = 0;
    QString to;
};

std::optional<Options> parseOptions(const QStringList &args, const QStringList &allowed, QString &problem)
{
    Options opts;
    if (args.size() < 2 || args[1].startsWith(QStringLiteral("--"))) {
        problem = QStringLiteral("missing FOLDER");
        return std::nullopt;
    }
    opts.folder = args[1];
    for (qsizetype i = 2; i < args.size(); i += 2) {
        const QString &name = args[i];
        if (!allowed.contains(name) || i + 1 >= args.size()) {
            problem = QStringLiteral("unexpected argument '%1'").arg(name);
            return std::nullopt;
        }
        const QString &value = args[i + 1];
        if (name == QStringLiteral("--file")) {
            opts.file = value;
        } else if (name == QStringLiteral("--charset")) {
            const auto n = charsetIndex(value);
            if (!n) {
                problem = QStringLiteral("--charset takes 0 to 3, not '%1'").arg(value);
                return std::nullopt;
            }
            opts.charset = *n;
        } else if (name == QStringLiteral("--to")) {
            opts.to = value;
        }
    }
    return opts;
}

void printSummary(const CliSession &s)
{
    printErr(QStringLiteral("entries: %1, bad: %2").arg(s.doc.clcOto.size()).arg(s.doc.lastBadLines()));
}

int listCommand(const QStringList &args)
{
    QString problem;
    const auto opts = parseOptions(args, {QStringLiteral("--file"), QStringLiteral("--charset")}, problem);
    if (!opts)
        return usage(problem);

    CliSession s(opts->charset);
    if (!s.open(opts->folder, opts->file))
        return kFailed;

    QByteArray out;
    out.reserve(s.doc.clcOto.size() * 48);
    for (const auto &entry : s.doc.clcOto) {
        out += entry->fileStr().toUtf8();
        out += '\n';
    }
    std::fwrite(out.constData(), 1, size_t(out.size()), stdout);
    std::fflush(stdout);
    printSummary(s);
    return kOk;
}

QString encodingName(const CliSession &s)
{
    return s.doc.form().isUtf8() ? QStringLiteral("UTF-8") : s.locale.locName.value(s.sett.settlocFile);
}

int convertCommand(const QStringList &args)
{
    QString problem;
    const auto opts = parseOptions(args, {QStringLiteral("--to"), QStringLiteral("--charset")}, problem);
    if (!opts)
        return usage(problem);
    const bool toUtf8 = opts->to.compare(QStringLiteral("utf8"), Qt::CaseInsensitive) == 0;
    const auto toIndex = charsetIndex(opts->to);
    if (!toUtf8 && !toIndex)
        return usage(QStringLiteral("--to takes utf8 or a charset index 0 to 3"));

    const QString target = joinPath(opts->folder, OtoDocument::kOtoIni);
    const QString keep = target + QStringLiteral(".orig");
    if (QFileInfo::exists(keep)) {
        printErr(QStringLiteral("lirra-oto: %1 exists already; move it away first, nothing was changed").arg(keep));
        return kFailed;
    }

    CliSession s(opts->charset);
    if (!s.open(opts->folder))
        return kFailed;
    const QString from = encodingName(s);

    // The new file carries the marker line when it is UTF-8; its line ends
    // stay as they were.
    TextForm form = s.doc.form();
    form.utf8Marker = toUtf8;
    form.bom = false;
    s.doc.setForm(form);
    if (toIndex)
        s.sett.settlocFile = *toIndex;
    if (const auto lost = firstUnwritableLine(s)) {
        printErr(QStringLiteral("lirra-oto: %1 cannot hold every character of this line, nothing was changed:\n%2")
                     .arg(encodingName(s), *lost));
        return kFailed;
    }

    if (!QFile::copy(target, keep)) {
        printErr(QStringLiteral("lirra-oto: cannot keep the previous file as %1, nothing was changed").arg(keep));
        return kFailed;
    }
    if (!s.doc.saveoto(OtoDocument::kOtoIni)) {
        QFile::remove(keep);  // oto.ini itself is untouched
        return kFailed;
    }
    if (s.doc.lastBadLines() > 0)
        printErr(QStringLiteral("note: bad lines were not carried over; %1 still holds them").arg(keep));
    std::printf("%s: %lld entries, %s -> %s\n", target.toUtf8().constData(), qlonglong(s.doc.clcOto.size()),
                from.toUtf8().constData(), encodingName(s).toUtf8().constData());
    printSummary(s);
    return kOk;
}

}  // namespace

int runOtoCli(const QStringList &args)
{
    if (args.isEmpty())
        return usage();
    const QString &command = args.first();
    if (command == QStringLiteral("list"))
        return listCommand(args);
    if (command == QStringLiteral("convert"))
        return convertCommand(args);
    if (command == QStringLiteral("check"))
        return checkCommand(args);
    if (command == QStringLiteral("replace"))
        return replaceCommand(args);
    if (command == QStringLiteral("split"))
        return splitCommand(args);
    if (command == QStringLiteral("--help") || command == QStringLiteral("-h")) {
        std::fputs(kUsage, stdout);
        return kOk;
    }
    return usage(QStringLiteral("unknown command '%1'").arg(command));
}
