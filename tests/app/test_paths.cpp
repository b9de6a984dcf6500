#include "modUtils.h"

#include <gtest/gtest.h>

TEST(Paths, JoinPutsExactlyOneSeparatorAndRevPathDropsEmptyPieces)
{
    for (const char *folder : {"/v", "/v/"})
        for (const char *name : {"oto.ini", "/oto.ini"})
            EXPECT_EQ(joinPath(folder, name), "/v/oto.ini") << folder << " " << name;
    EXPECT_EQ(appPath("sett.ini"), programFolder() + "/sett.ini");
    EXPECT_FALSE(programFolder().isEmpty());

    EXPECT_EQ(revPath("/home/u/voice"), "voice/u/home");
    EXPECT_EQ(revPath("C:/a//b/"), "b/a/C:");
    EXPECT_EQ(revPath("/"), "");
}
