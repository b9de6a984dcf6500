#include "oto/OtoFormat.h"

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
    EXPECT_EQ(p.entries[0]->fileStr(), "a.wav=a,,,,,");  // unedited: written as read
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

    // A line that formatting would write differently is written back as read
    // until the entry changes; a copy of it too.
    const ParsedOto kept = parse("a.wav=a,250.0,-0,+3, 1e1,0.50\r\nb.wav=b,1,2,3,4,5");
    clsOto copy = *kept.entries[0];
    EXPECT_EQ(copy.fileStr(), "a.wav=a,250.0,-0,+3, 1e1,0.50");
    copy.ALS = "b";
    EXPECT_EQ(copy.fileStr(), "a.wav=b,250,0,3,10,0.5");
    copy.ALS = "a";
    copy.prmPR = 11;
    EXPECT_EQ(copy.fileStr(), "a.wav=a,250,0,3,11,0.5");
    EXPECT_EQ(kept.entries[0]->fileStr(), "a.wav=a,250.0,-0,+3, 1e1,0.50");
}

TEST(Parse, LinesEndInCrLfLfOrALoneCrEachOnItsOwn)
{
    EXPECT_EQ(parse("a.wav=a,1,2,3,4,5\r\n").entries.size(), 1u);  // final CR LF adds nothing
    EXPECT_EQ(parse("a.wav=a,1,2,3,4,5\r\n").badLines, 0);
    EXPECT_EQ(parse("").entries.size(), 0u);

    // A file edited by two tools: every line reads, whatever its end.
    const ParsedOto mixed = parse("a.wav=a,1,2,3,4,5\nb.wav=b,1,2,3,4,5\r\nc.wav=c,1,2,3,4,5\rd.wav=d,1,2,3,4,5\n\n#c\n");
    EXPECT_EQ(mixed.badLines, 0);
    ASSERT_EQ(mixed.entries.size(), 4u);
    EXPECT_EQ(mixed.entries[3]->ALS, "d");

    const ParsedOto marked = parse(" #CHARSET:UTF8\r\na.wav=a,1,2,3,4,5\r\n#CHARSET:UTF8\r\nbad\r\nx=y\r\nq=1,2\r\n=,,,,,\r\nz");
    EXPECT_EQ(marked.badLines, 5);
    EXPECT_EQ(marked.entries.size(), 2u);  // "=,,,,," is an entry with nothing in it
    ASSERT_EQ(marked.firstBadLines.size(), 5);
    EXPECT_EQ(marked.firstBadLines[1].number, 4);
    EXPECT_EQ(marked.firstBadLines[1].text, "bad");

    // The message counts the lines, names the first few by number and
    // says they are kept.
    const QString message = badLinesMessage(parse("a\r\nb.wav=b,1,2,3,4,5\r\nc\r\nd\r\ne\r\nf\r\ng\r\nh"));
    EXPECT_TRUE(message.startsWith("7 line(s) are not entries")) << message.toStdString();
    EXPECT_TRUE(message.contains("They are kept and saved back as they are."));
    EXPECT_TRUE(message.contains("\r\n1: a\r\n3: c\r\n"));
    EXPECT_TRUE(message.contains("\r\n..."));
    EXPECT_FALSE(message.contains(": h"));
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
