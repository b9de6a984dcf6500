#include "core/clsSett.h"
#include "support/ScriptedDialogs.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

namespace {

// Display charset, file charset, recent path, rounding step, on-disk name rule.
auto fields(const clsSett &s)
{
    return std::tuple(s.settlocDisp, s.settlocFile, s.settRecentPath, s.settPrmRound, s.settFilenameBad);
}
const auto kDefaults = std::tuple(1, 0, QString(), 1.0, qint16(1));

clsSett loadFrom(const TempFolder &dir, const QByteArray &content)
{
    clsSett s(dir.write("sett.ini", content));
    s.settRecentPath = "stale";  // must not survive a failed load
    s.inpSett();
    return s;
}

}  // namespace

TEST(Settings, ReadsValidValuesAndGivesAllDefaultsOtherwise)
{
    TempFolder dir;
    clsSett missing(dir.file("sett.ini"));
    missing.inpSett();
    EXPECT_EQ(fields(missing), kDefaults);

    const QByteArray invalid[] = {
        "0\r\n2\r\n\"/v\"\r\n0.005\r\n0\r\n",   // step below 0.01
        "0\r\n2\r\n\"/v\"\r\n200\r\n0\r\n",     // step above 100
        "0\r\n6\r\n\"/v\"\r\n1\r\n0\r\n",       // file charset out of range (0 to 5)
        "-1\r\n2\r\n\"/v\"\r\n1\r\n0\r\n",      // display charset out of range
        "0\r\n2\r\n\"/v\"\r\n",                 // three lines
        "0\r\nx\r\n\"/v\"\r\n1\r\n0\r\n",       // not a number
        "0\r\n2\r\n/v\r\n1\r\n0\r\n",           // path without quotes
        "0\r\n2\r\n\"/v\"\r\n1\r\n99999\r\n",   // beyond a 16-bit integer
        "",
    };
    for (const QByteArray &content : invalid)
        EXPECT_EQ(fields(loadFrom(dir, content)), kDefaults) << content.toStdString();

    // The step's bounds are inclusive; LF-only lines are read too.
    EXPECT_EQ(fields(loadFrom(dir, "3\r\n2\r\n\"/home/u/voice\"\r\n0.01\r\n-1\r\n")),
              std::tuple(3, 2, QString("/home/u/voice"), 0.01, qint16(-1)));
    EXPECT_EQ(loadFrom(dir, "0\n0\n\"\"\n100\n0\n").settPrmRound, 100.0);
    EXPECT_EQ(loadFrom(dir, "0\r\n0\r\n\"\"\r\n.5\r\n0\r\n").settPrmRound, 0.5);
}

TEST(Settings, WriteThenReadKeepsEveryFieldExactlyAndFailuresAreShown)
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
    EXPECT_EQ(dir.read("sett.ini"), QString::fromUtf8("0\r\n3\r\n\"/home/u/歌声, \"new\"/あ\"\r\n0.25\r\n0\r\n").toUtf8());
    clsSett in(dir.file("sett.ini"));
    in.inpSett();
    EXPECT_EQ(fields(in), fields(out));

    // A configuration folder not there yet is made; one that cannot be is reported.
    EXPECT_TRUE(clsSett(dir.file("config/lirra/sett.ini")).oupsett(dialogs));
    EXPECT_TRUE(QFile::exists(dir.file("config/lirra/sett.ini")));
    dir.write("blocker", "a file where the folder would be");
    clsSett nowhere(dir.file("blocker/sett.ini"));
    EXPECT_FALSE(nowhere.oupsett(dialogs));
    ASSERT_EQ(dialogs.messages.size(), 1);
    EXPECT_EQ(dialogs.messages[0].title, "...");
    const QString head = "error while saving settings - 保存設定時出現錯誤\r\n";
    EXPECT_TRUE(dialogs.messages[0].text.startsWith(head));
    EXPECT_GT(dialogs.messages[0].text.size(), head.size());  // and the reason
}
