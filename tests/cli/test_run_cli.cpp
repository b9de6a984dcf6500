#include "script/ConsoleTexts.h"
#include "support/RunCli.h"
#include "support/TempFolder.h"
#include "support/WavImages.h"

#include <QDir>
#include <gtest/gtest.h>

namespace {

// A UTF-8 bank of kana aliases with every kind of number.
void writeBank(const TempFolder &dir)
{
    dir.write("_あ.wav", wavimg::wav(wavimg::noise(4410, 3000)));
    dir.write("oto.ini", QString::fromUtf8("#CHARSET:UTF8\r\n_あ.wav=- あ,12.5,100,-300,60,20\r\n"
                                           "_あ.wav=a か,0.25,0,1500,33.333,-5\r\nk.wav=ka,1000,2,3,4,5")
                             .toUtf8());
}

// What the samples print for each entry, from what `list` prints.
QString listedAsSample(const QString &folder)
{
    QStringList out;
    for (const QString &line : lirraOto({"list", folder}).out.split(u'\n', Qt::SkipEmptyParts)) {
        const QString file = line.section(u'=', 0, 0);
        const QStringList f = line.section(u'=', 1).split(u',');
        out << f[0] + u'\t' + file + u'\t' + QStringList{f[1], f[3], f[4], f[2], f[5]}.join(u' ');
    }
    return out.join(u'\n') + u'\n';
}

CliRun runScript(const TempFolder &dir, const char *name, const QString &code, QStringList options = {})
{
    dir.write(name, code.toUtf8());
    return lirraOto(QStringList{"run", dir.file(name), dir.path()} + options);
}

}  // namespace

TEST(RunCli, SampleScriptsListEveryEntryInBothLanguages)
{
    TempFolder dir;
    writeBank(dir);
    const QString expected = listedAsSample(dir.path());
    for (bool js : {false, true}) {
        const CliRun r = runScript(dir, js ? "list.js" : "list.vbs", script::sampleScript(js));
        EXPECT_EQ(std::pair(r.status, r.out), std::pair(0, expected)) << js << r.err.toStdString();
    }
}

TEST(RunCli, RewritesSavesAndFailuresWriteNothing)
{
    TempFolder dir;
    writeBank(dir);
    const QByteArray before = dir.read("oto.ini");

    // A RegExp rewrite of every alias, saved.
    CliRun r = runScript(dir, "rx.vbs",
                         "set re = new RegExp\nre.Pattern = \"^([a-z]) \"\nfor each e in clcOto\n"
                         "  e.ALS = re.Replace(e.ALS, \"$1_\")\nnext\n",
                         {"--save"});
    ASSERT_EQ(r.status, 0) << r.err.toStdString();
    EXPECT_TRUE(lirraOto({"list", dir.path()}).out.contains(QString::fromUtf8("=a_か,")));
    dir.write("oto.ini", before);

    // A failure half way: the entries it changed are not saved.
    r = runScript(dir, "half.js", "env.clcoto(1).als = 'x';\nvar n = null;\nn.als = 'y';\n", {"--save"});
    EXPECT_EQ(r.status, 1);
    EXPECT_TRUE(r.err.startsWith("Error at line 3\nJScript runtime error\n")) << r.err.toStdString();
    EXPECT_EQ(dir.read("oto.ini"), before);

    // What needs the window, a path out of the folder, a file system object.
    const std::pair<const char *, QString> refused[] = {
        {"list.vbs", "x = 1\ntrace env.lstOto.ListIndex\n"},
        {"out.vbs", "env.saveoto \"../x.ini\"\n"},
        {"abs.js", "saveoto('/tmp/x.ini');\n"},
        {"fso.vbs", "set f = CreateObject(\"Scripting.FileSystemObject\")\n"},
    };
    for (const auto &[name, code] : refused) {
        r = runScript(dir, name, code, {"--save"});
        EXPECT_EQ(r.status, 1) << name;
        EXPECT_TRUE(r.err.startsWith("Error at line ")) << name << r.err.toStdString();
    }
    EXPECT_TRUE(r.err.contains("Scripting.FileSystemObject"));
    EXPECT_EQ(dir.read("oto.ini"), before);
    EXPECT_FALSE(QFile::exists(dir.file("../x.ini")));
    EXPECT_EQ(QDir(dir.path()).entryList({"*.ini"}, QDir::Files), QStringList{"oto.ini"});

    // Its own words: boxes answer by themselves, trace goes to standard output.
    r = runScript(dir, "talk.vbs", "trace vbMsgBox(\"sure?\", 4), vbInputBox(\"name\", \"t\", \"kept\")\n");
    EXPECT_EQ(std::tuple(r.status, r.out), std::tuple(0, QString("6 kept\n")));  // Yes, the default of Yes/No
    EXPECT_TRUE(r.err.contains("sure?"));
    EXPECT_EQ(lirraOto({"run", dir.file("talk.vbs"), dir.path(), "--lang", "cobol"}).status, 2);
    EXPECT_EQ(lirraOto({"run", dir.file("nowhere.vbs"), dir.path()}).status, 2);
    r = runScript(dir, "loop.vbs", "do\nloop\n", {"--timeout", "0.2"});
    EXPECT_EQ(r.status, 1);
    EXPECT_TRUE(r.err.contains("timed out")) << r.err.toStdString();
}

// Every kind of MsgBox answers with one of its own buttons: the default the
// flags pick, the first button when they pick past the last.
TEST(RunCli, MessageBoxesAnswerFromTheirOwnButtons)
{
    TempFolder dir;
    writeBank(dir);
    const std::pair<const char *, const char *> kinds[] = {
        {"0", "1"},            // OK: no question asked
        {"1", "answered OK"},  {"2", "answered Abort"}, {"3", "answered Yes"},
        {"4", "answered Yes"}, {"5", "answered Retry"}, {"2 + 256", "answered Retry"},
        {"2 + 512", "answered Ignore"}, {"5 + 512", "answered Cancel"}, {"4 + 256", "answered No"},
    };
    for (const auto &[flags, said] : kinds) {
        const CliRun r = runScript(dir, "box.vbs", QString("trace MsgBox(\"x\", %1)\n").arg(flags), {});
        ASSERT_EQ(r.status, 0) << flags << r.err.toStdString();
        EXPECT_TRUE(r.err.contains(said) || r.out.startsWith(said)) << flags << ": " << r.err.toStdString();
    }
    const QString codes = [&] {
        QString all;
        for (const char *flags : {"2", "5", "2 + 512"})
            all += runScript(dir, "box.vbs", QString("trace MsgBox(\"x\", %1)\n").arg(flags), {}).out.trimmed() + u' ';
        return all;
    }();
    EXPECT_EQ(codes, "3 4 5 ");  // Abort, Retry, Ignore as VBScript numbers them
}
