#include "core/clsSett.h"
#include "oto/modLocale.h"
#include "oto/OtoDocument.h"
#include "script/ObjectModel.h"
#include "script/ScriptControl.h"
#include "script/TestHost.h"
#include "support/ScriptedDialogs.h"
#include "support/TempFolder.h"

#include <QDir>
#include <QFile>
#include <gtest/gtest.h>

#include <unistd.h>

using namespace script;

namespace {

// A voicebank of three entries opened as `lirra-oto run` opens one, with
// scripts running over the real object model.
struct Bank {
    Bank() : app(testhost::ensureApplication()), sett(QString()), locale(sett, dialogs), doc(locale, dialogs)
    {
        sett.loadDflt();
        locale.initLocale();
        bank.write(QStringLiteral("oto.ini"), "a.wav=a,10,20,-30,5,2\nb.wav=b,11,21,-31,6,3\nc.wav=c,12,22,-32,7,4\n");
        doc.openFolder(bank.path());
    }

    // Runs code in a fresh engine; the trace output, or the error's text.
    QString run(const QString &language, const QString &code)
    {
        ScriptControl control;
        control.setLanguage(language);
        QString output;
        BuiltinHost host;
        host.write = [&](const QString &text) { output += text; };
        EnvState state;
        control.addObject(QStringLiteral("env"), std::make_shared<EnvObject>(doc, state), true);
        control.addObject(QStringLiteral("spt"), std::make_shared<BuiltinsObject>(host), true);
        if (!control.addCode(code))
            output += QStringLiteral("error: ") + control.error().description;
        return output.replace(QStringLiteral("\r\n"), QStringLiteral("|"));
    }

    bool app;
    ScriptedDialogs dialogs;
    clsSett sett;
    modLocale locale;
    OtoDocument doc;
    TempFolder bank;
};

}  // namespace

TEST(ObjectModel, AnAddedEntryIsTheObjectTheScriptMade)
{
    Bank b;
    EXPECT_EQ(b.run(QStringLiteral("VBScript"),
                    QStringLiteral("Set o = newObj(\"oto\"): o.ALS = \"new\": clcOto.Add o\n"
                                   "o.prmLF = 42\n"
                                   "trace clcOto(4) Is o, clcOto(4).prmLF, clcOto(1) Is clcOto(1), clcOto(1) Is o\n"
                                   "For Each e In clcOto: If e Is o Then trace \"found\", e.ALS\nNext")),
              "True 42 True False|found new|");
    EXPECT_EQ(b.doc.clcOto().size(), 4);
    EXPECT_EQ(b.doc.clcOto()[3]->prmLF, 42);
    EXPECT_EQ(b.run(QStringLiteral("JScript"),
                    QStringLiteral("var o = newObj('oto'); o.ALS = 'js'; clcOto.Add(o); o.prmLF = 7;\n"
                                   "var n = clcOto.Count();\n"
                                   "trace(clcOto(n) === o, clcOto.Item(n).prmLF, clcOto(1) === clcOto(1), clcOto(1) === o);")),
              "True 7 True False|");
    EXPECT_EQ(b.doc.clcOto()[4]->ALS, "js");
}

TEST(ObjectModel, SaveotoWritesOnlyRegularFilesInsideTheBank)
{
    Bank b;
    TempFolder outside;
    const QString out = outside.write(QStringLiteral("victim.ini"), "keep");
    const QString bank = b.bank.path();
    // A link to a file outside, a link to a folder outside, a dangling link,
    // a link inside the bank to one of its files, and a folder.
    ASSERT_EQ(::symlink(QFile::encodeName(out).constData(), QFile::encodeName(bank + "/out.ini").constData()), 0);
    ASSERT_EQ(::symlink(QFile::encodeName(outside.path()).constData(), QFile::encodeName(bank + "/dir").constData()), 0);
    ASSERT_EQ(::symlink("/nonexistent/x.ini", QFile::encodeName(bank + "/gone.ini").constData()), 0);
    b.bank.write(QStringLiteral("mine.ini"), "old");
    ASSERT_EQ(::symlink("mine.ini", QFile::encodeName(bank + "/alias.ini").constData()), 0);
    ASSERT_TRUE(QDir(bank).mkdir(QStringLiteral("sub.ini")));

    const char *refused[] = {"out.ini", "dir", "gone.ini", "sub.ini", "../x.ini", "dir/victim.ini", "/tmp/x.ini", ".."};
    for (const char *name : refused) {
        for (const char *language : {"VBScript", "JScript"}) {
            const QString call = QString::fromUtf8(language) == u"VBScript" ? QStringLiteral("saveoto \"%1\"")
                                                                            : QStringLiteral("saveoto('%1');");
            const QString output = b.run(QString::fromUtf8(language), call.arg(QString::fromUtf8(name)));
            EXPECT_TRUE(output.startsWith(u"error: ") && output.contains(u"saveoto writes only a file of the voicebank's folder"))
                << name << " " << language << " " << output.toStdString();
        }
    }
    EXPECT_EQ(outside.read(QStringLiteral("victim.ini")), "keep");
    EXPECT_FALSE(QFile::exists(outside.file(QStringLiteral("x.ini"))));

    EXPECT_EQ(b.run(QStringLiteral("JScript"), QStringLiteral("saveoto('copy.ini'); saveoto('alias.ini'); saveoto();")),
              "");
    EXPECT_TRUE(b.bank.read(QStringLiteral("copy.ini")).startsWith("a.wav=a,"));
    EXPECT_TRUE(b.bank.read(QStringLiteral("mine.ini")).startsWith("a.wav=a,"));
}
