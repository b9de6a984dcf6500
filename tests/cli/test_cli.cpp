#include "support/RunCli.h"
#include "support/TempFolder.h"

#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <gtest/gtest.h>

const QByteArray kSjis = "a.wav=\x82\xa0,12,30.5,-200,20,0.25\r\nbad\r\nb.wav=\x82\xa2,1,2,3,4,5\r\n";

TEST(Cli, ListPrintsFileLinesInUtf8AndASummary)
{
    TempFolder dir;
    dir.write("oto.ini", kSjis);
    CliRun r = lirraOto({"list", dir.path()});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out, QString::fromUtf8("a.wav=あ,12,30.5,-200,20,0.25\nb.wav=い,1,2,3,4,5\n"));
    EXPECT_TRUE(r.err.endsWith("entries: 2, bad: 1\n")) << r.err.toStdString();

    dir.write("gbk.ini", "c.wav=\xba\xba,1,2,3,4,5");  // 汉 in GBK
    r = lirraOto({"list", dir.path(), "--file", "gbk.ini", "--charset", "1"});
    EXPECT_EQ(r.out, QString::fromUtf8("c.wav=汉,1,2,3,4,5\n"));

    r = lirraOto({"list", dir.path() + "/nowhere"});
    EXPECT_EQ(r.status, 2);
    EXPECT_TRUE(r.err.contains("No such file or directory"));
    EXPECT_EQ(lirraOto({"list", dir.path(), "--charset", "7"}).status, 2);
    EXPECT_EQ(lirraOto({"frobnicate"}).status, 2);
}

TEST(Cli, ConvertKeepsTheOriginalAndRefusesLosses)
{
    TempFolder dir;
    dir.write("oto.ini", kSjis);
    CliRun r = lirraOto({"convert", dir.path(), "--to", "utf8"});
    EXPECT_EQ(r.status, 0) << r.err.toStdString();
    EXPECT_EQ(dir.read("oto.ini.orig"), kSjis);
    EXPECT_EQ(dir.read("oto.ini"),
              QString::fromUtf8("#CHARSET:UTF8\r\na.wav=あ,12,30.5,-200,20,0.25\r\nb.wav=い,1,2,3,4,5").toUtf8());
    EXPECT_EQ(lirraOto({"list", dir.path()}).out,
              QString::fromUtf8("a.wav=あ,12,30.5,-200,20,0.25\nb.wav=い,1,2,3,4,5\n"));

    // A second conversion would overwrite the kept original.
    EXPECT_EQ(lirraOto({"convert", dir.path(), "--to", "0"}).status, 2);
    EXPECT_EQ(dir.read("oto.ini.orig"), kSjis);

    // Hangul has no place in Shift-JIS: nothing is written.
    TempFolder other;
    const QByteArray utf8 = QString::fromUtf8("#CHARSET:UTF8\r\nk.wav=한,1,2,3,4,5").toUtf8();
    other.write("oto.ini", utf8);
    r = lirraOto({"convert", other.path(), "--to", "0"});
    EXPECT_EQ(r.status, 2);
    EXPECT_EQ(other.read("oto.ini"), utf8);
    EXPECT_FALSE(QFileInfo::exists(other.file("oto.ini.orig")));

    r = lirraOto({"convert", other.path(), "--to", "3"});  // Auto is UTF-8 here
    EXPECT_EQ(r.status, 0) << r.err.toStdString();
    EXPECT_EQ(other.read("oto.ini"), QString::fromUtf8("k.wav=한,1,2,3,4,5").toUtf8());
}

TEST(Cli, HelpVersionOptionsAndCharsetNames)
{
    CliRun r = lirraOto({"list", "--help"});
    EXPECT_EQ(r.status, 0);
    EXPECT_TRUE(r.out.startsWith("usage: lirra-oto list FOLDER [--file NAME] [--charset N] [--folder SUB]\n")) << r.out.toStdString();
    r = lirraOto({"--help"});
    EXPECT_EQ(r.status, 0);
    for (const char *command : {"list", "convert", "check", "replace", "split"})
        EXPECT_TRUE(r.out.contains(QString("  lirra-oto %1 ").arg(command))) << command;
    r = lirraOto({"--version"});
    EXPECT_EQ(std::pair(r.status, r.out), std::pair(0, QString("lirra-oto " LIRRA_VERSION "\n")));

    TempFolder dir;
    dir.write("oto.ini", "c.wav=\xba\xba,1,2,3,4,5");  // 汉 in GBK
    for (const char *name : {"1", "gbk", "GBK", "936"})
        EXPECT_EQ(lirraOto({"list", dir.path(), "--charset", name}).out, QString::fromUtf8("c.wav=汉,1,2,3,4,5\n")) << name;
    dir.write("oto.ini", "c.wav=\xc7\xd1,1,2,3,4,5");  // 한 in CP949, ÇÑ in CP1252
    for (const auto &[name, alias] : {std::pair{"cp949", "한"}, std::pair{"5", "한"}, std::pair{"cp1252", "ÇÑ"}})
        EXPECT_EQ(lirraOto({"list", dir.path(), "--charset", name}).out, QString::fromUtf8("c.wav=%1,1,2,3,4,5\n").arg(QString::fromUtf8(alias)))
            << name;

    r = lirraOto({"list", dir.path(), "--loud"});
    EXPECT_EQ(r.status, 2);
    EXPECT_TRUE(r.err.contains("loud")) << r.err.toStdString();
    EXPECT_TRUE(r.err.contains("usage: lirra-oto list FOLDER"));
    r = lirraOto({"list"});
    EXPECT_EQ(std::pair(r.status, r.err.contains("missing FOLDER")), std::pair(2, true));
    EXPECT_EQ(lirraOto({"list", dir.path(), "extra"}).status, 2);
    EXPECT_EQ(lirraOto({"list", dir.path(), "--charset", "koi8"}).status, 2);
}

// A save cut short by a crash, where the system has no nameless temporary
// files, leaves ".oto.ini.XXXXXX" beside oto.ini: check and list never see
// its entries, a folder holding only one is no pitch folder, and opening
// the bank removes the one beside its oto.ini (once a minute old).
TEST(Cli, TemporaryFilesOfASaveNeverShowUp)
{
    TempFolder dir;
    dir.write("oto.ini", "a.wav=a,1,2,3,4,5\r\n");
    QFile leftover(dir.write(".oto.ini.a1B2c3", "ghost.wav=ghost,1,2,3,4,5\r\n"));
    ASSERT_TRUE(leftover.open(QIODevice::ReadWrite));
    ASSERT_TRUE(leftover.setFileTime(QDateTime::currentDateTime().addSecs(-120), QFileDevice::FileModificationTime));
    leftover.close();
    QDir(dir.path()).mkpath("C5");
    dir.write("C5/.oto.ini.Zz9Yy8", "ghost.wav=ghost,1,2,3,4,5\r\n");
    CliRun r = lirraOto({"check", dir.path()});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.out, "a.wav=a,1,2,3,4,5\tmissing\n");
    EXPECT_TRUE(r.err.endsWith("entries: 1, problems: 1\n")) << r.err.toStdString();
    EXPECT_FALSE(QFileInfo::exists(dir.file(".oto.ini.a1B2c3")));
    dir.write(".oto.ini.a1B2c3", "ghost.wav=ghost,1,2,3,4,5\r\n");
    r = lirraOto({"list", dir.path()});
    EXPECT_EQ(r.out, "a.wav=a,1,2,3,4,5\n");
    EXPECT_TRUE(r.err.endsWith("entries: 1, bad: 0\n")) << r.err.toStdString();
}
