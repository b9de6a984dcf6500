#include "cli/CliSession.h"
#include "cli/Commands.h"
#include "core/modUtils.h"
#include "script/ObjectModel.h"
#include "script/ScriptControl.h"
#include "script/ScriptSource.h"
#include "wave/clsWave.h"

#include <QFile>
#include <QFileInfo>
#include <cstdio>

namespace {

// Boxes of a script run with nobody to answer: a message box shows its text
// on standard error and takes its default button; an input box takes its
// default text.
class UnattendedDialogs : public ConsoleDialogs {
public:
    std::optional<QString> input(const QString &, const QString &, const QString &defaultText) override
    {
        return defaultText;
    }
};

void writeOut(const QString &text)
{
    QString lf = text;
    lf.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    const QByteArray bytes = lf.toUtf8();
    std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stdout);
}

// The report the console writes, without its selection of the line.
void reportError(const script::ScriptError &e)
{
    std::fflush(stdout);
    QString text = QStringLiteral("Error at line %1\n%2\n%3\n%4\n").arg(e.line).arg(e.source, e.description, e.text);
    std::fputs(text.toUtf8().constData(), stderr);
}

std::optional<QString> languageOf(const CliArgs &args)
{
    const QString lang = args.isSet(QStringLiteral("lang")) ? args.value(QStringLiteral("lang")).toLower()
                                                            : QFileInfo(args.arg(0)).suffix().toLower();
    if (lang == u"vbs" || lang == u"vbscript")
        return QStringLiteral("VBScript");
    if (lang == u"js" || lang == u"jscript" || lang == u"javascript")
        return QStringLiteral("javascript");
    return std::nullopt;
}

std::optional<QString> readScript(const QString &path)
{
    QString error;
    std::optional<QString> text = script::readScriptFile(path, &error);
    if (!text)
        printErr(QStringLiteral("lirra-oto: ") + error);
    return text;
}

}  // namespace

int runCommand(const CliArgs &args)
{
    const std::optional<QString> language = languageOf(args);
    if (!language) {
        printErr(QStringLiteral("lirra-oto: say --lang vbs or js, or name the script .vbs or .js"));
        return kCliFailed;
    }
    bool ok = true;
    const double seconds = args.value(QStringLiteral("timeout")).toDouble(&ok);
    if (!ok || seconds < 0 || seconds > 1e6) {
        printErr(QStringLiteral("lirra-oto: --timeout takes seconds, 0 for none"));
        return kCliFailed;
    }
    const double mib = args.value(QStringLiteral("memory")).toDouble(&ok);
    if (!ok || mib < 0 || mib > 1024.0 * 1024) {
        printErr(QStringLiteral("lirra-oto: --memory takes MiB, 0 for none"));
        return kCliFailed;
    }
    const std::optional<QString> code = readScript(args.arg(0));
    if (!code)
        return kCliFailed;

    CliSession session(args.charset());
    if (!session.open(args, args.arg(1)))
        return kCliFailed;
    OtoDocument &doc = session.doc;

    // The first entry is the current one, with its wave loaded as the
    // editor loads it.
    std::shared_ptr<clsOto> current = doc.clcOto().isEmpty() ? nullptr : doc.clcOto().first();
    clsWave wave(&session.locale);
    if (current) {
        QString name = current->FIL;
        wave.ReadFile(doc.folderPath(current->folder), name);
    }

    UnattendedDialogs dialogs;
    script::ScriptControl control(&dialogs);
    control.setLanguage(*language);
    control.setAnsiCodePage(session.locale.writeCodePage({}));
    control.setTimeout(int(seconds * 1000));
    control.setMemoryLimit(qint64(mib * 1024 * 1024));
    QObject::connect(&control, &script::ScriptControl::errorOccurred, &reportError);

    script::EnvState state;
    state.curIdx = [&] { return current ? 0 : -1; };
    state.curOto = [&] { return current; };
    state.curwav = [&] { return &wave; };
    state.intSearchMode = [] { return qint16(0); };
    script::BuiltinHost host;
    host.write = writeOut;
    host.isStop = [] { return false; };
    host.dialogs = &dialogs;
    host.deadline = &control.deadline();
    control.addObject(QStringLiteral("env"), std::make_shared<script::EnvObject>(doc, state), true);
    control.addObject(QStringLiteral("spt"), std::make_shared<script::BuiltinsObject>(host), true);

    const bool ran = control.addCode(*code);
    std::fflush(stdout);
    if (!ran)
        return 1;
    if (args.isSet(QStringLiteral("save"))) {
        if (refusesUnwritable(session) || !doc.saveoto(OtoDocument::kOtoIni))
            return kCliFailed;
    }
    return 0;
}
