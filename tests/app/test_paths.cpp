#include "modUtils.h"

#include <gtest/gtest.h>

TEST(Paths, JoinPutsExactlyOneSeparator)
{
    EXPECT_EQ(joinPath("/v/", "/oto.ini"), "/v/oto.ini");
    EXPECT_EQ(joinPath("/v/", "oto.ini"), "/v/oto.ini");
    EXPECT_EQ(joinPath("/v", "/oto.ini"), "/v/oto.ini");
    EXPECT_EQ(joinPath("/v", "oto.ini"), "/v/oto.ini");
    EXPECT_EQ(appPath("sett.ini"), programFolder() + "/sett.ini");
    EXPECT_FALSE(programFolder().isEmpty());
}

TEST(Paths, RevPathDropsEmptyPieces)
{
    EXPECT_EQ(revPath("/home/u/voice"), "voice/u/home");
    EXPECT_EQ(revPath("C:/a//b/"), "b/a/C:");
    EXPECT_EQ(revPath("/"), "");
}
