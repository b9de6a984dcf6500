#include "ScriptedDialogs.h"
#include "TempFolder.h"
#include "clsSett.h"

#include <gtest/gtest.h>

namespace {

void expectDefaults(const clsSett &s)
{
    EXPECT_EQ(s.settlocDisp, 1);
    EXPECT_EQ(s.settlocFile, 0);
    EXPECT_EQ(s.settRecentPath, QString());
    EXPECT_EQ(s.settPrmRound, 1.0);
    EXPECT_EQ(s.settFilenameBad, 1);
}

clsSett loadFrom(const TempFolder &dir, const QByteArray &content)
{
    clsSett s(dir.write("sett.ini", content));
    s.settRecentPath = "stale";  // must not survive a failed load
    s.inpSett();
    return s;
}

}  // namespace

TEST(Settings, MissingOrInvalidFileGivesAllDefaults)
{
    TempFolder dir;
    clsSett missing(dir.file("sett.ini"));
    missing.inpSett();
    expectDefaults(missing);

    const QByteArray invalid[] = {
        "0\r\n2\r\n\"/v\"\r\n0.005\r\n0\r\n",   // step below 0.01
        "0\r\n2\r\n\"/v\"\r\n200\r\n0\r\n",     // step above 100
        "0\r\n4\r\n\"/v\"\r\n1\r\n0\r\n",       // file charset out of range
        "-1\r\n2\r\n\"/v\"\r\n1\r\n0\r\n",      // display charset out of range
        "0\r\n2\r\n\"/v\"\r\n",                 // three lines
        "0\r\nx\r\n\"/v\"\r\n1\r\n0\r\n",       // not a number
        "0\r\n2\r\n/v\r\n1\r\n0\r\n",           // path without quotes
        "0\r\n2\r\n\"/v\"\r\n1\r\n99999\r\n",   // beyond a 16-bit integer
        "",
    };
    for (const QByteArray &content : invalid) {
        SCOPED_TRACE(content.toStdString());
        expectDefaults(loadFrom(dir, content));
    }
}

TEST(Settings, ReadsValidValuesAndStepBoundsInclusive)
{
    TempFolder dir;
    clsSett low = loadFrom(dir, "3\r\n2\r\n\"/home/u/voice\"\r\n0.01\r\n-1\r\n");
    EXPECT_EQ(low.settlocDisp, 3);
    EXPECT_EQ(low.settlocFile, 2);
    EXPECT_EQ(low.settRecentPath, "/home/u/voice");
    EXPECT_EQ(low.settPrmRound, 0.01);
    EXPECT_EQ(low.settFilenameBad, -1);

    EXPECT_EQ(loadFrom(dir, "0\n0\n\"\"\n100\n0\n").settPrmRound, 100.0);  // LF-only lines too
    EXPECT_EQ(loadFrom(dir, "0\r\n0\r\n\"\"\r\n.5\r\n0\r\n").settPrmRound, 0.5);
}

TEST(Settings, WriteThenReadKeepsEveryFieldExactly)
{
    TempFolder dir;
    ScriptedDialogs dialogs;
    clsSett out(dir.file("sett.ini"));
    out.settlocDisp = 0;
    out.settlocFile = 3;
    out.settRecentPath = QString::fromUtf8("/home/u/歌声, \"new\"/あ");
    out.settPrmRound = 0.25;
    out.settFilenameBad = 0;
    ASSERT_TRUE(out.oupsett(dialogs));
    EXPECT_TRUE(dialogs.messages.isEmpty());
    EXPECT_EQ(dir.read("sett.ini"),
              QString::fromUtf8("0\r\n3\r\n\"/home/u/歌声, \"new\"/あ\"\r\n0.25\r\n0\r\n").toUtf8());

    clsSett in(dir.file("sett.ini"));
    in.inpSett();
    EXPECT_EQ(in.settlocDisp, 0);
    EXPECT_EQ(in.settlocFile, 3);
    EXPECT_EQ(in.settRecentPath, out.settRecentPath);
    EXPECT_EQ(in.settPrmRound, 0.25);
    EXPECT_EQ(in.settFilenameBad, 0);
}

TEST(Settings, WriteFailureIsShownAndLeavesNoFile)
{
    TempFolder dir;
    ScriptedDialogs dialogs;
    clsSett s(dir.file("missing-folder/sett.ini"));
    EXPECT_FALSE(s.oupsett(dialogs));
    ASSERT_EQ(dialogs.messages.size(), 1);
    EXPECT_EQ(dialogs.messages[0].title, "...");
    EXPECT_TRUE(dialogs.messages[0].text.startsWith("error while saving settings - 保存設定時出現錯誤\r\n"));
    EXPECT_GT(dialogs.messages[0].text.size(), QString("error while saving settings - 保存設定時出現錯誤\r\n").size());
}
