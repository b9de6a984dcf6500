#include "MainLayout.h"

#include <gtest/gtest.h>

TEST(MainLayout, WideWindowSplitsTheRightSide)
{
    MainLayout l;
    l.doLayout(9480, 4110);
    EXPECT_EQ(l.lstW, 1800);
    EXPECT_EQ(l.picNav.left, 1860);
    EXPECT_EQ(l.picNav.width, 3780);
    EXPECT_TRUE(l.picLockVisible);
    EXPECT_EQ(l.picLock.left, 5700);
    EXPECT_EQ(l.picLock.width, 3780);
    EXPECT_EQ(l.txtPrm[4].left, 4 * 1524);
    EXPECT_EQ(l.txtPrm[0].width, 1524);
    EXPECT_EQ(l.txtLock[3].left, 3 * 945);
    EXPECT_EQ(l.txtLock[0].width, 945);
    EXPECT_EQ(l.pic.height, 4110 - 720 - 270);
    EXPECT_EQ(l.viewW, 7620);
    EXPECT_EQ(l.lstOto.height, 3840);
    EXPECT_EQ(l.txtSearch.top, 3840);
    EXPECT_EQ(l.lblGap.left, 1800);
    // The navigation row: fixed buttons, the alias box takes the rest.
    EXPECT_EQ(l.cmdJmp[0].left, 435);
    EXPECT_EQ(l.cmdJmp[1].left, 750);
    EXPECT_EQ(l.txtALS.left, 1065);
    EXPECT_EQ(l.txtALS.width, 3780 - 1065);
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
    EXPECT_EQ(l.pic.left, picBefore.left);   // right-hand controls stay put
    EXPECT_EQ(l.pic.width, picBefore.width);
}

TEST(MainLayout, ListWidthStaysBetween800AndHalfTheWindow)
{
    MainLayout l;
    l.lstW = 6000;
    l.doLayout(9480, 4110);
    EXPECT_EQ(l.lstW, 4740);
    l.lstW = 100;
    l.doLayout(9480, 4110);
    EXPECT_EQ(l.lstW, 800);
    l.lstW = 1800;
    l.doLayout(1000, 4110);  // half is below 800: the lower bound wins
    EXPECT_EQ(l.lstW, 800);
}
