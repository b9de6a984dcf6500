#include "OtoFormat.h"

#include <gtest/gtest.h>

namespace {

ParsedOto parse(const char *utf8)
{
    return parseOtoText(QString::fromUtf8(utf8));
}

}  // namespace

TEST(Parse, GoodBadBlankAndCommentLines)
{
    const ParsedOto p = parse(
        "a.wav=a,1,2,3,4\r\n"           // five fields: bad
        "a.wav=a,1,2,3,4,5,6\r\n"       // seven: bad
        "a.wav=x=y,1,2,3,4,5\r\n"       // two "=": bad
        "a.wav=a,,,,,\r\n"              // all numbers 0
        "=a,1,2,3,4,5\r\n"              // empty file name
        "a.wav=,1,2,3,4,5\r\n"          // empty alias
        "   \r\n"                       // spaces only: skipped
        "\t\r\n"                        // a tab: bad
        " #x=a,1,2,3,4,5\r\n"           // "#" after a space is an entry line
        " #comment\r\n"                 // ...and without "=" a bad one
        "#comment=,,,,,\r\n"
        "\r\n"
        " x y.wav = あ ,1,2,3,4,5\r\n");  // nothing trimmed
    EXPECT_EQ(p.badLines, 5);
    ASSERT_EQ(p.entries.size(), 5);
    EXPECT_EQ(p.entries[0]->fileStr(), "a.wav=a,0,0,0,0,0");
    EXPECT_EQ(p.entries[1]->fileStr(), "=a,1,2,3,4,5");
    EXPECT_EQ(p.entries[2]->fileStr(), "a.wav=,1,2,3,4,5");
    EXPECT_EQ(p.entries[3]->FIL, " #x");
    EXPECT_EQ(p.entries[4]->FIL, " x y.wav ");
    EXPECT_EQ(p.entries[4]->ALS, QString::fromUtf8(" あ "));
}

TEST(Parse, NumbersAreLenientAndPreutteranceIsAbsolute)
{
    const ParsedOto p = parse("a.wav=a, 1 2 ,12ms,-200,-30,abc");
    ASSERT_EQ(p.entries.size(), 1);
    EXPECT_EQ(p.entries[0]->prmLF, 12);
    EXPECT_EQ(p.entries[0]->prmFX, 12);
    EXPECT_EQ(p.entries[0]->prmRT, -200);
    EXPECT_EQ(p.entries[0]->prmPR, 30);
    EXPECT_EQ(p.entries[0]->prmOV, 0);
}

TEST(Parse, LineEndsAndMarkers)
{
    EXPECT_EQ(parse("a.wav=a,1,2,3,4,5\r\n").entries.size(), 1u);  // final CR LF adds nothing
    EXPECT_EQ(parse("a.wav=a,1,2,3,4,5\r\n").badLines, 0);
    EXPECT_EQ(parse("").entries.size(), 0u);

    const ParsedOto lf = parse("a.wav=a,1,2,3,4,5\nb.wav=b,1,2,3,4,5\n");
    EXPECT_EQ(lf.entries.size(), 0u);
    EXPECT_EQ(lf.badLines, 1);

    EXPECT_EQ(parse("a.wav=a,1,2,3,4,5\rb.wav=b,1,2,3,4,5").badLines, 1);  // lone CR

    // Read as an LF file, the same text gives both entries; a CR stays in its line.
    const ParsedOto lfRead = parseOtoText(QString::fromUtf8("a.wav=a,1,2,3,4,5\nb.wav=b\r,1,2,3,4,5\n\n#c\n"), LineEnd::Lf);
    EXPECT_EQ(lfRead.badLines, 0);
    ASSERT_EQ(lfRead.entries.size(), 2u);
    EXPECT_EQ(lfRead.entries[1]->ALS, "b\r");

    const ParsedOto marked = parse(" #CHARSET:UTF8\r\na.wav=a,1,2,3,4,5\r\n#CHARSET:UTF8\r\n");
    EXPECT_EQ(marked.badLines, 1);
    EXPECT_EQ(marked.entries.size(), 1u);

    EXPECT_EQ(badLinesMessage(3), "3 entrie(s) bad, may be caused by wrong charset settings.\r\n"
                                  "3個條目檢出錯誤，可能編碼設定有誤。");
}

TEST(Parse, FileTextJoinsWithCrLfAndMarksUtf8)
{
    const ParsedOto p = parse("a.wav=a,1,2,3,4,5\r\n# c\r\nb.wav=b,0.5,2,-3,4,-5\r\n");
    EXPECT_EQ(otoFileText(p.entries, {}), "a.wav=a,1,2,3,4,5\r\nb.wav=b,0.5,2,-3,4,-5");
    EXPECT_EQ(otoFileText(p.entries, {.utf8Marker = true}), "#CHARSET:UTF8\r\na.wav=a,1,2,3,4,5\r\nb.wav=b,0.5,2,-3,4,-5");
    EXPECT_EQ(otoFileText(p.entries, {.lineEnd = LineEnd::Lf, .finalLineEnd = true}),
              "a.wav=a,1,2,3,4,5\nb.wav=b,0.5,2,-3,4,-5\n");
    EXPECT_EQ(otoFileText({}, {}), "");
}
