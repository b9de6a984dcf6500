#include "core/modUtils.h"
#include "support/TempFolder.h"

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

TEST(Paths, AnInstalledProgramFindsItsDemoInShareAndKeepsSettingsInTheConfigFolder)
{
    // A build: the demo beside the program.
    TempFolder build, config;
    QDir(build.path()).mkpath("bin/demo");
    const QString buildBin = build.file("bin");
    EXPECT_EQ(demoHome(buildBin), buildBin);
    EXPECT_EQ(installedDataFolder(buildBin), "");
    EXPECT_EQ(settingsFilePath(buildBin, config.path()), buildBin + "/sett.ini");

    // An installation: bin/ and share/lirra/demo under one prefix. Its bin/
    // is writable here, as /usr/bin is for root.
    TempFolder prefix;
    QDir(prefix.path()).mkpath("bin");
    const QString bin = prefix.file("bin");
    EXPECT_EQ(demoHome(bin), bin) << "no share/lirra yet";
    QDir(prefix.path()).mkpath("share/lirra");
    EXPECT_EQ(installedDataFolder(bin), prefix.file("share/lirra"));
    EXPECT_EQ(demoHome(bin), bin) << "share/lirra without a demo";
    EXPECT_EQ(settingsFilePath(bin, config.path()), config.path() + "/lirra/sett.ini");
    QDir(prefix.path()).mkpath("share/lirra/demo");
    EXPECT_EQ(demoHome(bin + "/"), prefix.file("share/lirra"));
}
