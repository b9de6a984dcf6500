#include "app/MainLayout.h"

#include <gtest/gtest.h>

namespace {
// Where a control starts and how wide it is.
using Span = std::pair<double, double>;
Span span(const TwipRect &r) { return {r.left, r.width}; }
}  // namespace

TEST(MainLayout, WideWindowSplitsTheRightSide)
{
    MainLayout l;
    l.doLayout(9480, 4110);
    EXPECT_EQ(l.lstW, 1800);
    EXPECT_EQ(l.lblGap.left, 1800);
    EXPECT_EQ(span(l.picNav), Span(1860, 3780));
    EXPECT_TRUE(l.picLockVisible);
    EXPECT_EQ(span(l.picLock), Span(5700, 3780));
    EXPECT_EQ(span(l.txtPrm[0]), Span(0, 1524));
    EXPECT_EQ(span(l.txtPrm[4]), Span(4 * 1524, 1524));
    EXPECT_EQ(span(l.txtLock[0]), Span(0, 945));
    EXPECT_EQ(span(l.txtLock[3]), Span(3 * 945, 945));
    EXPECT_EQ(l.pic.height, 4110 - 720 - 270);
    EXPECT_EQ(l.viewW, 7620);
    EXPECT_EQ(l.lstOto.height, 3840);
    EXPECT_EQ(l.txtSearch.top, 3840);
    // The navigation row: fixed buttons, the alias box takes the rest.
    EXPECT_EQ(l.cmdJmp[0].left, 435);
    EXPECT_EQ(l.cmdJmp[1].left, 750);
    EXPECT_EQ(span(l.txtALS), Span(1065, 3780 - 1065));
}

TEST(MainLayout, NarrowWindowsHideLocksThenCoverTheRightSide)
{
    MainLayout l;
    l.doLayout(5000, 4110);
    EXPECT_FALSE(l.picLockVisible);
    EXPECT_EQ(l.picNav.width, 3140);
    EXPECT_EQ(l.picPrm.width, 3140);

    const TwipRect picBefore = l.pic;
    l.doLayout(4000, 3000);
    EXPECT_EQ(l.lstOto.width, 4000);
    EXPECT_EQ(l.lblGap.left, 4000);
    EXPECT_EQ(span(l.pic), span(picBefore));  // right-hand controls stay put
}

TEST(MainLayout, ListWidthStaysBetween800AndHalfTheWindow)
{
    MainLayout l;
    // Half is 4740; with a 1000 window half is below 800: the lower bound wins.
    for (auto [asked, window, kept] : {std::tuple(6000, 9480, 4740), {100, 9480, 800}, {1800, 1000, 800}}) {
        l.lstW = asked;
        l.doLayout(window, 4110);
        EXPECT_EQ(l.lstW, kept) << asked << " " << window;
    }
}
