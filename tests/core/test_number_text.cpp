#include "core/NumberText.h"

#include <gtest/gtest.h>

TEST(NumberText, FormatsShortestPlainDecimalWithFifteenDigits)
{
    const std::pair<double, const char *> cases[] = {
        {12, "12"}, {30.5, "30.5"}, {-200, "-200"}, {0.25, "0.25"}, {0.5, "0.5"},
        {0, "0"}, {-0.0, "0"}, {0.1 + 0.2, "0.3"}, {1.0 / 3, "0.333333333333333"},
        {2.0 / 3, "0.666666666666667"}, {-2.0 / 3, "-0.666666666666667"},
        {1e20, "100000000000000000000"}, {1.5e-7, "0.00000015"},
        {123456789012345678.0, "123456789012346000"}, {999999999999999.9, "1000000000000000"},
        {1234.5678, "1234.5678"}, {-0.001, "-0.001"},
    };
    for (const auto &[value, text] : cases)
        EXPECT_EQ(formatNumber(value), QString::fromLatin1(text)) << value;
}

TEST(NumberText, ReadsLenientlyUpToTheFirstMisfit)
{
    const std::pair<const char *, double> cases[] = {
        {"12", 12}, {" 1 2", 12}, {"12ms", 12}, {"ms", 0}, {"", 0}, {".", 0}, {"-", 0},
        {"-.5", -0.5}, {".5", 0.5}, {"5.", 5}, {"+3", 3}, {"\t-\t4", -4}, {"--1", 0},
        {"1.2.3", 1.2}, {"1e3", 1000}, {"2E-2", 0.02}, {"1 e 2", 100}, {"1e", 1}, {"1e+", 1},
        {"1e+x5", 1}, {"3-4", 3}, {"1e999", 1.7976931348623157e308}, {"-1e999", -1.7976931348623157e308}, {"1e-999", 0}, {"0012.50", 12.5}, {"e5", 0},
    };
    for (const auto &[text, value] : cases)
        EXPECT_EQ(readNumber(QString::fromLatin1(text)), value) << text;
}

TEST(NumberText, FormattedNumbersReadBackToTheSameText)
{
    for (double v : {0.1, 1e-300, 5e-324, 1.7976931348623157e308, -12345.678901234567, 44100.0 / 3}) {
        const QString text = formatNumber(v);
        EXPECT_FALSE(text.contains(u'e')) << v;
        EXPECT_EQ(formatNumber(readNumber(text)), text) << v;
    }
}

TEST(NumberText, TypedNumbersAndTheNumericTest)
{
    const std::pair<const char *, double> typed[] = {
        {"12.34", 12.34}, {"1\n2", 12}, {"1d2", 100}, {"1D-1", 0.1}, {"&H10", 16}, {"&hFFFF", -1},
        {"&O17", 15}, {"&H", 0}, {"-5", -5}, {"12,5", 12}, {"3x", 3},
    };
    for (const auto &[text, value] : typed)
        EXPECT_EQ(readTypedNumber(QString::fromLatin1(text)), value) << text;
    EXPECT_EQ(readNumber(QStringLiteral("1d2")), 1);  // oto.ini fields know only "E"

    for (const char *yes : {"12", " 12 ", "-5", "+.5", "12.", "1e5", "1D-2", "&H1f", "&o7"})
        EXPECT_TRUE(isNumericText(QString::fromLatin1(yes))) << yes;
    for (const char *no : {"", " ", "-", ".", "1,5", "12ms", "1e", "&H", "&O8", "--1"})
        EXPECT_FALSE(isNumericText(QString::fromLatin1(no))) << no;
}
