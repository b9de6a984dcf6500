#include "WavImages.h"
#include "ScriptedDialogs.h"
#include "TempFolder.h"
#include "clsSett.h"
#include "frmMain.h"
#include "modLocale.h"
#include "modUtils.h"

#include <QApplication>
#include <QLineEdit>
#include <QListView>
#include <QDialog>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

namespace {

struct WindowFixture : ::testing::Test {
    WindowFixture() : sett(dir.file("sett.ini")), locale(sett, dialogs)
    {
        sett.loadDflt();
        window = std::make_unique<frmMain>(sett, locale, dialogs);
        window->aplSett();
        window->show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(window.get()));
        QApplication::setActiveWindow(window.get());
    }

    // A voicebank in UTF-8 with one short wave per entry.
    QString makeBank(const QList<std::pair<QString, QString>> &aliasAndFile)
    {
        QDir(bank.path()).mkpath(".");
        QString text = "#CHARSET:UTF8\r\n";
        for (const auto &[alias, file] : aliasAndFile) {
            text += file + "=" + alias + ",10,20,-100,15,5\r\n";
            bank.write(file, wavimg::wav(wavimg::noise(44100 / 4, 3000)));
        }
        bank.write("oto.ini", text.toUtf8());
        return bank.path();
    }
    void openBank(const QString &folder)
    {
        window->setFolderChooser([&] { window->document().wrkpath = folder; });
        action("mnuOpen")->trigger();
    }
    QAction *action(const char *name) { return window->findChild<QAction *>(name); }
    template <class T> T *control(const char *name) { return window->findChild<T *>(name); }
    QList<int> rowsItemData()
    {
        QList<int> out;
        for (int r = 0; r < window->listModel().rowCount(); ++r)
            out << window->listModel().rowItemData(r);
        return out;
    }

    TempFolder dir, bank;
    ScriptedDialogs dialogs;
    clsSett sett;
    modLocale locale;
    std::unique_ptr<frmMain> window;
};

}  // namespace

TEST_F(WindowFixture, FirstStartShowsCaptionsAndDisablesFileItems)
{
    EXPECT_EQ(window->windowTitle(), "Lirra");
    EXPECT_EQ(window->findChild<QMenu *>("mnuFile")->title(), "&File - 文件");
    EXPECT_EQ(window->findChild<QMenu *>("mnuSecret")->title(), "☆");
    EXPECT_EQ(action("mnuTips")->text(), "&Tips && hints... - 使用技巧提示");
    EXPECT_EQ(action("mnuLocFile")->shortcut(), QKeySequence("Ctrl+E"));
    EXPECT_FALSE(action("mnuLoadB")->isVisible());
    for (const char *name : {"mnuReload", "mnuSave", "mnuLoadBkp", "mnuSaveBkp"})
        EXPECT_FALSE(action(name)->isEnabled()) << name;
    EXPECT_TRUE(action("mnuOpen")->isEnabled());
    EXPECT_TRUE(action("mnuSettFilenameBad")->isChecked());
    EXPECT_EQ(control<QLineEdit>("txtSearch")->text(), "Search - 搜尋");
    EXPECT_EQ(control<QListView>("lstOto")->font().families().first(), "SIMSUN");  // display charset 1
    EXPECT_EQ(control<QWidget>("txtPrm(0)")->toolTip(), "Left sampling bound");

    action("mnuSettFilenameBad")->trigger();
    EXPECT_EQ(sett.settFilenameBad, 0);
    action("mnuSettFilenameBad")->trigger();
    EXPECT_EQ(sett.settFilenameBad, -1);
}

TEST_F(WindowFixture, LayoutFollowsTheClientSize)
{
    QWidget *client = window->centralWidget();
    window->resize(632 + window->width() - client->width(), 274 + window->height() - client->height());
    QApplication::processEvents();
    ASSERT_EQ(window->cliW(), 9480);
    EXPECT_EQ(control<QWidget>("picLock")->geometry(), QRect(380, 0, 252, 25));
    EXPECT_EQ(control<QWidget>("picNav")->geometry().width(), 252);
    EXPECT_EQ(control<QWidget>("txtPrm(1)")->geometry(), QRect(102, 0, 102, 18));
    EXPECT_TRUE(control<QWidget>("picLock")->isVisible());

    window->resize(334 + window->width() - client->width(), window->height());
    QApplication::processEvents();
    EXPECT_FALSE(control<QWidget>("picLock")->isVisible());
}

TEST_F(WindowFixture, CloseAsksAndWritesSettings)
{
    openBank(makeBank({{"a", "a.wav"}}));
    const QByteArray before = bank.read("oto.ini");
    window->document().clcOto[0]->ALS = "changed";
    window->document().setChanged();
    EXPECT_EQ(window->windowTitle(), "Lirra* " + revPath(bank.path()));

    dialogs.answers = {MsgAnswer::Cancel};
    EXPECT_FALSE(window->close());
    EXPECT_TRUE(window->isVisible());
    EXPECT_FALSE(QFile::exists(dir.file("sett.ini")));

    dialogs.answers = {MsgAnswer::No};
    EXPECT_TRUE(window->close());
    EXPECT_EQ(bank.read("oto.ini"), before);
    EXPECT_TRUE(QFile::exists(dir.file("sett.ini")));

    window->show();
    dialogs.answers = {MsgAnswer::Yes};
    EXPECT_TRUE(window->close());
    EXPECT_TRUE(bank.read("oto.ini").contains("=changed,"));

    window->show();
    window->document().blnChanged = false;
    const int asked = int(dialogs.messages.size());
    EXPECT_TRUE(window->close());
    EXPECT_EQ(dialogs.messages.size(), asked);
}

TEST_F(WindowFixture, OpenThroughTheRealFolderChooser)
{
    const QString good = makeBank({{"a", "a.wav"}, {"b", "b.wav"}});
    TempFolder empty;
    // The chooser is modal: answer it once it shows, first with a folder
    // without oto.ini (refused, the dialog stays), then with the bank.
    QTimer::singleShot(0, [&] {
        auto *chooser = qobject_cast<QDialog *>(QApplication::activeModalWidget());
        ASSERT_NE(chooser, nullptr);
        auto *path = chooser->findChild<QPlainTextEdit *>("txtPath");
        auto *open = chooser->findChild<QPushButton *>("cmdOpen");
        if (!path || !open) {
            chooser->reject();
            FAIL() << "the chooser's controls are missing";
        }
        path->setPlainText(empty.path());
        QTest::mouseClick(open, Qt::LeftButton);
        EXPECT_TRUE(chooser->isVisible());
        path->setPlainText(good);
        QTest::mouseClick(open, Qt::LeftButton);
        if (chooser->isVisible())
            chooser->reject();
    });
    action("mnuOpen")->trigger();
    ASSERT_EQ(dialogs.messages.size(), 1);
    EXPECT_EQ(dialogs.messages[0].text, "打開的文件夾中未見oto.ini。\r\nNo oto.ini found.");
    EXPECT_EQ(window->document().wrkpath, good);
    EXPECT_EQ(sett.settRecentPath, good);
    EXPECT_EQ(rowsItemData(), (QList<int>{0, 1}));
    EXPECT_TRUE(action("mnuSave")->isEnabled());
    EXPECT_EQ(window->windowTitle(), "Lirra " + revPath(good));
}

TEST_F(WindowFixture, SearchSelectsWhileTypingAndFiltersOnEnter)
{
    openBank(makeBank({{"a", "b.wav"}, {"b", "c.wav"}, {"ka", "ka.wav"}, {"", "kz.wav"}}));
    auto *search = control<QLineEdit>("txtSearch");
    auto *list = control<QListView>("lstOto");
    search->setFocus();
    QApplication::processEvents();
    EXPECT_EQ(search->text(), "");

    QTest::keyClicks(search, "ka");
    EXPECT_EQ(list->currentIndex().row(), 2);
    EXPECT_EQ(window->curIdx, 2);
    EXPECT_EQ(window->curOto->ALS, "ka");
    EXPECT_TRUE(window->curwav.Valid);
    const QColor found = search->palette().color(QPalette::Text);
    QTest::keyClick(search, Qt::Key_Z);  // no row begins with "kaz"
    EXPECT_NE(search->palette().color(QPalette::Text), found);
    EXPECT_EQ(list->currentIndex().row(), 2);

    search->clear();
    QTest::keyClicks(search, "KA");
    EXPECT_EQ(list->currentIndex().row(), 2);  // letter case counts

    search->clear();
    QTest::keyClicks(search, "b");
    QTest::keyClick(search, Qt::Key_Return);
    EXPECT_EQ(rowsItemData(), QList<int>{1});  // alias b
    QTest::keyClick(search, Qt::Key_Return);
    EXPECT_EQ(rowsItemData(), (QList<int>{0, 1}));  // or file name b
    QTest::keyClick(search, Qt::Key_A);
    search->setText("b");
    QTest::keyClick(search, Qt::Key_Return);
    EXPECT_EQ(rowsItemData(), QList<int>{1});  // edited: alias only again

    search->setText("nothing");
    EXPECT_EQ(dialogs.beeps, 0);
    QTest::keyClick(search, Qt::Key_Return);
    EXPECT_EQ(window->listModel().rowCount(), 0);
    EXPECT_EQ(dialogs.beeps, 1);

    list->setFocus();  // leaving shows the hint; coming back, the full list
    QApplication::processEvents();
    EXPECT_EQ(search->text(), "Search - 搜尋");
    search->setFocus();
    QApplication::processEvents();
    EXPECT_EQ(window->listModel().rowCount(), 4);
    EXPECT_TRUE(dialogs.messages.isEmpty());
}

TEST_F(WindowFixture, DisplayCharsetAnswers)
{
    auto *list = control<QListView>("lstOto");
    const auto answer = [&](const QString &text) {
        dialogs.inputAnswers = {text};
        action("mnuLocDisp")->trigger();
    };
    answer("2");
    EXPECT_EQ(sett.settlocDisp, 2);
    EXPECT_EQ(list->font().families().first(), "MingLiU");
    EXPECT_EQ(list->font().pointSize(), 9);
    EXPECT_EQ(list->property("fontCharset").toInt(), 136);
    ASSERT_EQ(dialogs.inputs.size(), 1);
    EXPECT_EQ(dialogs.inputs[0].title, "Select Display charset - 顯示編碼設定");
    EXPECT_EQ(dialogs.inputs[0].defaultText, "1");
    EXPECT_TRUE(dialogs.inputs[0].prompt.endsWith("\r\n\r\nCurrent - 現設定: 1 --> S Chinese (GBK)"));

    answer("3");
    EXPECT_EQ(control<QLineEdit>("txtPrm(4)")->font().families().first(), "Arial Unicode MS");
    EXPECT_EQ(control<QLineEdit>("txtPrm(4)")->font().pointSize(), 8);
    EXPECT_EQ(list->property("fontCharset").toInt(), 0);

    answer("4");
    answer("-1");
    answer("1.5");
    answer("100");
    EXPECT_EQ(dialogs.texts(), (QStringList{"0~3", "0~3", "...", "..."}));
    EXPECT_EQ(sett.settlocDisp, 3);
    answer("x");
    EXPECT_EQ(sett.settlocDisp, 0);
    dialogs.inputAnswers = {std::nullopt};
    action("mnuLocDisp")->trigger();
    EXPECT_EQ(sett.settlocDisp, 0);

    dialogs.inputAnswers = {"2"};
    action("mnuLocFile")->trigger();
    EXPECT_EQ(sett.settlocFile, 2);
}

TEST_F(WindowFixture, HelpBoxes)
{
    action("mnuTips")->trigger();
    action("mnuAbout")->trigger();
    ASSERT_EQ(dialogs.messages.size(), 2);
    EXPECT_EQ(dialogs.messages[0].title, "Tips & Hints - 使用技巧提示");
    EXPECT_EQ(dialogs.messages[0].text.split("\r\n").size(), 12);
    EXPECT_EQ(dialogs.messages[1].title, "About Lirra v0.2.1");
    EXPECT_EQ(dialogs.messages[1].icon, MsgIcon::None);
}
