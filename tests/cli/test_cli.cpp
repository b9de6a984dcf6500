#include "support/RunCli.h"
#include "support/TempFolder.h"

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
