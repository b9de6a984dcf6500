#include "AliasRewrite.h"
#include "ToolTexts.h"

#include <gtest/gtest.h>

namespace {
QString replaced(const QString &alias, const QString &rules) { return applyReplaceRules(alias, parseReplaceRules(rules)); }
QString split(const QString &alias, const QString &list = toolTexts::kSplitDefault)
{
    return splitCmb(alias, list.split(u','), u" ");
}
}  // namespace

TEST(AliasRewrite, ReplaceRulesApplyInTypedOrderWithoutOverlap)
{
    EXPECT_EQ(replaced("ab", "a=b,b=c"), "cc");
    EXPECT_EQ(replaced("kaka", "ka=ga"), "gaga");
    EXPECT_EQ(replaced("aaaa", "aa=a"), "aa");
    EXPECT_EQ(replaced("a", "a=aa"), "aa");  // the inserted text is not searched again
    EXPECT_EQ(replaced("a", "A=b"), "a");
    EXPECT_EQ(replaced("a a", " a=b"), "ab");  // spaces belong to the texts
    EXPECT_EQ(replaced("xa", "=z"), "xa");     // empty before text
    EXPECT_EQ(replaced("- ka", "- =,k=g"), "ga");
    EXPECT_EQ(replaced("xyz ka", "x=y=z,xyz,,k=g"), "xyz ga");  // non-rules are passed over
    EXPECT_EQ(parseReplaceRules("x=y=z,xyz,,k=g,=").size(), 2);
}

TEST(AliasRewrite, SplitFirstListedCombinationWinsAndEveryCharacterIsAUnit)
{
    EXPECT_EQ(split("kya"), "ky a");
    EXPECT_EQ(split("tsu"), "ts u");
    EXPECT_EQ(split("n-a"), "n- a");
    EXPECT_EQ(split("ka"), "k a");
    EXPECT_EQ(split("a"), "a");
    EXPECT_EQ(split(""), "");
    EXPECT_EQ(split("Kya"), "K y a");
    EXPECT_EQ(split("chya"), "ch y a");
    EXPECT_EQ(split("a ka"), "a   k a");
    EXPECT_EQ(split("ky a"), "ky   a");
    EXPECT_EQ(split("かきゃ"), "か き ゃ");
    EXPECT_EQ(split("shi", "s,sh"), "s h i");
    EXPECT_EQ(split("kya", "ky,kya"), "ky a");
    EXPECT_EQ(split("ab", "by"), "a b");      // longer than the rest: no match
    EXPECT_EQ(split("kya", ",ky,"), "ky a");  // empty combinations never match
    EXPECT_EQ(splitCmb(u"abc", {"bc"}, u"--"), "a--bc");

    OtoEntries e;
    for (const char *alias : {"a", "kya", "", "sa"})
        e.append(std::make_shared<clsOto>(clsOto{"f.wav", alias, 12.5}));
    EXPECT_EQ(splitAliases(e, {"ky"}), 2);
    EXPECT_EQ(e[3]->fileStr(), "f.wav=s a,12.5,0,0,0,0");
    EXPECT_EQ(replaceAliases(e, parseReplaceRules("ky=g, =")), 2);
    EXPECT_EQ(e[1]->ALS, "ga");
}
