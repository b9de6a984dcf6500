#include "tools/AliasRewrite.h"
#include "tools/ToolTexts.h"

#include <gtest/gtest.h>

TEST(AliasRewrite, ReplaceRulesApplyInTypedOrderWithoutOverlap)
{
    const char *const cases[][3] = {
        // alias, rules, result
        {"ab", "a=b,b=c", "cc"}, {"kaka", "ka=ga", "gaga"}, {"aaaa", "aa=a", "aa"},
        {"a", "a=aa", "aa"},        // the inserted text is not searched again
        {"a", "A=b", "a"},
        {"a a", " a=b", "ab"},      // spaces belong to the texts
        {"xa", "=z", "xa"},         // empty before text
        {"- ka", "- =,k=g", "ga"},
        {"xyz ka", "x=y=z,xyz,,k=g", "xyz ga"},  // non-rules are passed over
    };
    for (const auto &[alias, rules, result] : cases)
        EXPECT_EQ(applyReplaceRules(alias, parseReplaceRules(rules)), result) << alias << " " << rules;
    EXPECT_EQ(parseReplaceRules("x=y=z,xyz,,k=g,=").size(), 2);
}

TEST(AliasRewrite, SplitFirstListedCombinationWinsAndEveryCharacterIsAUnit)
{
    const char *const cases[][3] = {
        // alias, combinations (empty: the default list), result
        {"kya", "", "ky a"}, {"tsu", "", "ts u"}, {"n-a", "", "n- a"}, {"ka", "", "k a"}, {"a", "", "a"},
        {"", "", ""}, {"Kya", "", "K y a"}, {"chya", "", "ch y a"}, {"a ka", "", "a   k a"},
        {"ky a", "", "ky   a"}, {"かきゃ", "", "か き ゃ"}, {"shi", "s,sh", "s h i"},
        {"kya", "ky,kya", "ky a"},
        {"ab", "by", "a b"},      // longer than the rest: no match
        {"kya", ",ky,", "ky a"},  // empty combinations never match
    };
    for (const auto &[alias, list, result] : cases) {
        const QString combos = *list ? QString::fromUtf8(list) : toolTexts::kSplitDefault;
        EXPECT_EQ(splitCmb(QString::fromUtf8(alias), combos.split(u','), u" "), QString::fromUtf8(result)) << alias;
    }
    EXPECT_EQ(splitCmb(u"abc", {"bc"}, u"--"), "a--bc");

    OtoEntries e;
    for (const char *alias : {"a", "kya", "", "sa"})
        e.append(std::make_shared<clsOto>(clsOto{"f.wav", alias, 12.5}));
    const auto apply = [&](const QList<AliasChange> &changes) {
        QList<int> indexes;
        for (const AliasChange &c : changes) {
            e[c.index]->ALS = c.alias;
            indexes << c.index;
        }
        return indexes;
    };
    EXPECT_EQ(apply(splitAliases(e, {"ky"})), (QList<int>{1, 3}));  // only what changes
    EXPECT_EQ(e[3]->fileStr(), "f.wav=s a,12.5,0,0,0,0");
    EXPECT_EQ(apply(replaceAliases(e, parseReplaceRules("ky=g, ="))), (QList<int>{1, 3}));
    EXPECT_EQ(e[1]->ALS, "ga");
}
