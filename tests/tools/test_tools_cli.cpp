#include "support/RunCli.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

TEST(ToolsCli, ReplaceAndSplitRewriteAliasesKeepingTheEncoding)
{
    TempFolder dir;
    dir.write("oto.ini", "a.wav=\x82\xa0 ka,1,2,3,4,5\r\nb.wav=sa,1,2,3,4,5\r\n");  // あ in Shift-JIS
    CliRun r = lirraOto({"replace", dir.path(), QString::fromUtf8("あ=い,x=y=z,ka=ga")});
    EXPECT_EQ(r.status, 0);
    EXPECT_TRUE(r.out.endsWith("oto.ini: 1 of 2 aliases changed\n")) << r.out.toStdString();
    const QByteArray rewritten("a.wav=\x82\xa2 ga,1,2,3,4,5\r\nb.wav=sa,1,2,3,4,5\r\n");  // the last line end kept
    EXPECT_EQ(dir.read("oto.ini"), rewritten);

    // A character Shift-JIS cannot hold, nothing to change, no rules: the file stays.
    EXPECT_EQ(lirraOto({"replace", dir.path(), QString::fromUtf8("sa=한")}).status, 2);
    EXPECT_TRUE(lirraOto({"replace", dir.path(), "zz=y"}).out.endsWith(": 0 of 2 aliases changed\n"));
    EXPECT_EQ(lirraOto({"replace", dir.path(), ""}).status, 2);
    EXPECT_EQ(dir.read("oto.ini"), rewritten);

    TempFolder utf8;
    utf8.write("oto.ini", "#CHARSET:UTF8\r\nk.wav=kya,1,2,3,4,5\r\nt.wav=\xed\x95\x9c,1,2,3,4,5");  // 한
    r = lirraOto({"split", utf8.path()});
    EXPECT_EQ(r.status, 0);
    EXPECT_TRUE(r.out.endsWith(": 1 of 2 aliases changed\n"));
    EXPECT_EQ(utf8.read("oto.ini"), QByteArray("#CHARSET:UTF8\r\nk.wav=ky a,1,2,3,4,5\r\nt.wav=\xed\x95\x9c,1,2,3,4,5"));
    EXPECT_EQ(lirraOto({"split", utf8.path(), "ky", "--charset", "1"}).status, 0);
    EXPECT_TRUE(utf8.read("oto.ini").contains("k.wav=ky   a,"));
    EXPECT_EQ(lirraOto({"split", utf8.path(), "--charset", "9"}).status, 2);

    // Bad lines, comments and blank lines are no reason to refuse: they are
    // counted, named and written back byte for byte where they were, and
    // only the entries' lines change.
    const QByteArray badLines = "#\x82\xa0 comment\r\nk.wav=ka,1,2,3,4,5\r\nbad \x82\xa0\nt.wav=ta\r\n\r\n"
                                "n.wav=na,1,2,3,4,5\rlast=bad";
    dir.write("oto.ini", badLines);
    r = lirraOto({"replace", dir.path(), "a=o"});
    EXPECT_EQ(r.status, 0) << r.err.toStdString();
    EXPECT_TRUE(r.err.contains("3 line(s) are not entries")) << r.err.toStdString();
    EXPECT_TRUE(r.err.contains("3: bad ")) << r.err.toStdString();
    EXPECT_TRUE(r.err.contains("They are kept"));
    EXPECT_TRUE(r.out.endsWith("oto.ini: 2 of 2 aliases changed\n"));
    QByteArray expected = badLines;
    expected.replace("k.wav=ka,", "k.wav=ko,").replace("n.wav=na,", "n.wav=no,");
    EXPECT_EQ(dir.read("oto.ini"), expected);
}
