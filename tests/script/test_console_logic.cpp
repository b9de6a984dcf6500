#include "script/ConsoleLogic.h"
#include "script/ConsoleTexts.h"

#include <QStringList>
#include <gtest/gtest.h>

using namespace script;

TEST(ConsoleLogic, ReportsSelectionsTimeoutsAndIndentation)
{
    ScriptError e;
    e.line = 3;
    e.source = "VBScript compilation error";
    e.description = "Expected ')'";
    e.text = "z = (3";
    EXPECT_EQ(errorReport(e, true), "Error at line 3\r\nVBScript compilation error\r\nExpected ')'\r\nz = (3\r\n");
    EXPECT_EQ(errorReport(e, false), "VBScript compilation error\r\nExpected ')'\r\nz = (3\r\n");

    const QString text = "a\nbc\r\nd";
    const auto sel = [&](int line) { return std::pair(errorLineSelection(text, line).start, errorLineSelection(text, line).length); };
    EXPECT_EQ(sel(2), std::pair(qsizetype(2), qsizetype(2)));  // "bc", not its CR
    EXPECT_EQ(sel(0), std::pair(qsizetype(0), qsizetype(1)));  // 0 or less: the first line
    EXPECT_EQ(sel(3), std::pair(qsizetype(6), qsizetype(1)));
    EXPECT_EQ(sel(9), std::pair(text.size(), qsizetype(0)));   // beyond the last: nothing, at the end

    EXPECT_EQ(timeoutFromAnswer("0.4"), 400);
    EXPECT_EQ(timeoutFromAnswer(" 2.5 s"), 2500);
    EXPECT_EQ(timeoutFromAnswer(""), 0);  // Cancel
    EXPECT_EQ(timeoutFromAnswer("abc"), 0);
    EXPECT_EQ(timeoutFromAnswer("1000000.4"), 1000000400);
    EXPECT_EQ(timeoutFromAnswer("1000000.5"), 1000000500);  // 1000000 once rounded half to even
    for (const char *refused : {"-3", "2000000", "1000001.5"})
        EXPECT_EQ(timeoutFromAnswer(refused), std::nullopt) << refused;
    EXPECT_EQ(timeoutCaption(2500), "Timeout: 2.5s");
    EXPECT_EQ(timeoutCaption(0), "Timeout: 0s");

    EXPECT_EQ(autoIndent("x\n\t\ty = 1\n", 10), "\t\t");
    EXPECT_EQ(autoIndent("\t \ty\n", 5), "\t");  // only the tabs that begin the line
    EXPECT_EQ(autoIndent("  y\n", 4), "");
    EXPECT_EQ(autoIndent("\t" + QString(156, u'x') + "\n", 158), "\t");
    EXPECT_EQ(autoIndent("\t" + QString(157, u'x') + "\n", 159), "");  // too long to look back over
}

TEST(ConsoleTexts, HelpLinesAreCommentsOfBothLanguages)
{
    const QStringList lines = helpText().split("\r\n");
    ASSERT_EQ(lines.size(), 37);  // 36 lines and the end
    for (qsizetype i = 0; i + 1 < lines.size(); ++i)
        EXPECT_TRUE(lines[i].startsWith("'';//")) << i;
    EXPECT_EQ(lines[35], "'';//");
    EXPECT_EQ(lines[2], "'';//\t\t.prmLF .prmFX .prmRT .prmPR .prmOV: Double number.");
    EXPECT_TRUE(defaultScript().endsWith("\r\n\r\n"));
    EXPECT_EQ(defaultScript().split("\r\n").size(), 10);
}
