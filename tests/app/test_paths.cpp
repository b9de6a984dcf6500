#include "TempFolder.h"
#include "modUtils.h"

#include <QDir>

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

TEST(Paths, SettingsLiveBesideTheProgramUnlessItsFolderIsReadOnly)
{
    TempFolder program, config;
    EXPECT_EQ(settingsFilePath(program.path(), config.path()), program.path() + "/sett.ini");
    ReadOnlyFolder installed(program.path());
    EXPECT_EQ(settingsFilePath(program.path(), config.path()), config.path() + "/lirra/sett.ini");
}
