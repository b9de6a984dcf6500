#include "app/StartArguments.h"
#include "app/frmMain.h"
#include "core/modUtils.h"
#include "support/LocaleEnv.h"
#include "support/WavImages.h"
#include "view/WaveEditor.h"

#include <QAction>
#include <QCommandLineParser>
#include <QDir>
#include <QTest>
#include <gtest/gtest.h>

namespace {

std::optional<QString> parsedFolder(const QStringList &words)
{
    QCommandLineParser parser;
    describeArguments(parser);
    EXPECT_TRUE(parser.parse(QStringList{"lirra"} + words)) << parser.errorText().toStdString();
    return folderArgument(parser);
}

// The window as the program's start builds it: the folder is opened before
// the window first shows.
struct StartFixture : ::testing::Test, LocaleEnv {
    void start(const QString &folder)
    {
        window = std::make_unique<frmMain>(sett, locale, dialogs);
        window->aplSett();
        openAtStart(window->document(), folder, sett, dialogs);
        window->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(window.get()));
    }
    bool saveEnabled() const { return window->findChild<QAction *>("mnuSave")->isEnabled(); }

    TempFolder bank;
    std::unique_ptr<frmMain> window;
};

}  // namespace

TEST(StartArguments, TheFolderIsMadeAbsoluteAndClean)
{
    EXPECT_EQ(parsedFolder({}), std::nullopt);
    EXPECT_EQ(parsedFolder({"/v/tan/../kaze/"}), "/v/kaze");
    EXPECT_EQ(parsedFolder({"voice/tan"}), QDir::current().absoluteFilePath("voice/tan"));
    EXPECT_EQ(parsedFolder({"--", "-odd name"}), QDir::current().absoluteFilePath("-odd name"));
}

TEST_F(StartFixture, AFolderOnTheCommandLineOpensAsFileOpenWould)
{
    bank.write("oto.ini", "#CHARSET:UTF8\r\na.wav=あ,1,2,3,4,5\r\nb.wav=い,1,2,3,4,5\r\n");
    for (const char *file : {"a.wav", "b.wav"})
        bank.write(file, wavimg::wav(wavimg::noise(4410, 3000)));
    start(bank.path());
    // The first entry is on show, ready to edit.
    EXPECT_EQ(std::pair(window->waveEditor().curIdx(), window->isEditable()), std::pair(0, true));
    EXPECT_EQ(window->document().wrkpath(), bank.path());
    EXPECT_EQ(sett.settRecentPath, bank.path());
    EXPECT_EQ(window->listModel().rowCount(), 2);
    EXPECT_TRUE(saveEnabled());
    EXPECT_EQ(window->windowTitle(), "Lirra " + revPath(bank.path()));
    EXPECT_TRUE(dialogs.messages.isEmpty());
}

TEST_F(StartFixture, AFolderWithoutOtoIniIsRefusedAndTheWindowStillStarts)
{
    sett.settRecentPath = "/earlier";
    start(bank.path());
    ASSERT_EQ(dialogs.messages.size(), 1);
    EXPECT_TRUE(dialogs.messages[0].text.contains("No oto.ini found."));
    EXPECT_EQ(window->document().wrkpath(), "");
    EXPECT_EQ(sett.settRecentPath, "/earlier");
    EXPECT_TRUE(window->isVisible());
    EXPECT_FALSE(saveEnabled());
}
