#include "core/modUtils.h"
#include "support/WindowEnv.h"
#include "view/PictureBox.h"

#include <QDialog>
#include <QLineEdit>
#include <QListView>
#include <QMenu>
#include <QPlainTextEdit>
#include <QStatusBar>
#include <QTimer>
#include <QPushButton>
#include <gtest/gtest.h>

namespace {

struct WindowFixture : ::testing::Test, WindowEnv {
    QAction *action(const char *name) { return child<QAction>(name); }
    void open(const QList<std::pair<QString, QString>> &aliasAndFile) { openBank(aliasAndFile, "10,20,-100,15,5", 44100 / 4); }
};

}  // namespace

TEST_F(WindowFixture, FirstStartShowsCaptionsAndDisablesFileItems)
{
    EXPECT_EQ(window->windowTitle(), "Lirra");
    EXPECT_EQ(child<QMenu>("mnuFile")->title(), "&File - 文件");
    EXPECT_EQ(child<QMenu>("mnuSecret")->title(), "☆");
    EXPECT_EQ(action("mnuTips")->text(), "&Tips && hints... - 使用技巧提示");
    EXPECT_EQ(action("mnuLocFile")->shortcut(), QKeySequence("Ctrl+E"));
    EXPECT_FALSE(action("mnuLoadB")->isVisible());
    for (const char *name : {"mnuReload", "mnuSave", "mnuLoadBkp", "mnuSaveBkp"})
        EXPECT_FALSE(action(name)->isEnabled()) << name;
    EXPECT_TRUE(action("mnuOpen")->isEnabled());
    EXPECT_TRUE(action("mnuSettFilenameBad")->isChecked());
    EXPECT_EQ(child<QLineEdit>("txtSearch")->text(), "Search - 搜尋");
    EXPECT_EQ(child<QListView>("lstOto")->font().families().first(), "SIMSUN");  // display charset 1
    EXPECT_EQ(child("txtPrm(0)")->toolTip(), "Left sampling bound");

    for (int expected : {0, -1}) {
        action("mnuSettFilenameBad")->trigger();
        EXPECT_EQ(sett.settFilenameBad, expected);
    }
}

TEST_F(WindowFixture, LayoutFollowsTheClientSize)
{
    resizeClient(632, 274);
    ASSERT_EQ(window->cliW(), 9480);
    EXPECT_EQ(child("txtPrm(1)")->geometry(), QRect(102, 0, 102, 18));  // twips to pixels
    EXPECT_TRUE(child("picLock")->isVisible());
    resizeClient(334, 274);
    EXPECT_FALSE(child("picLock")->isVisible());
}

TEST_F(WindowFixture, CloseAsksAndWritesSettings)
{
    open({{"a", "a.wav"}});
    const QByteArray before = bank.read("oto.ini");
    window->document().clcOto()[0]->ALS = "changed";
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
}

TEST_F(WindowFixture, OpenThroughTheRealFolderChooser)
{
    writeBank({{"a", "a.wav"}, {"b", "b.wav"}}, "10,20,-100,15,5", 100);
    // The chooser is modal: answer it once it shows; Enter in the path box opens.
    QTimer::singleShot(0, [&] {
        auto *chooser = qobject_cast<QDialog *>(QApplication::activeModalWidget());
        ASSERT_NE(chooser, nullptr);
        if (auto *path = chooser->findChild<QPlainTextEdit *>("txtPath")) {
            path->setPlainText(bank.path());
            QTest::keyClick(path, Qt::Key_Return);
        }
        if (chooser->isVisible())
            chooser->reject();  // what follows then fails
    });
    action("mnuOpen")->trigger();
    EXPECT_EQ(std::pair(window->document().wrkpath(), sett.settRecentPath), std::pair(bank.path(), bank.path()));
    EXPECT_EQ(rowsItemData(), (QList<int>{0, 1}));
    EXPECT_TRUE(action("mnuSave")->isEnabled());
    EXPECT_EQ(window->windowTitle(), "Lirra " + revPath(bank.path()));
}

TEST_F(WindowFixture, SearchSelectsWhileTypingAndFiltersOnEnter)
{
    open({{"a", "b.wav"}, {"b", "c.wav"}, {"ka", "ka.wav"}, {"", "kz.wav"}});
    auto *search = child<QLineEdit>("txtSearch");
    auto *list = child<QListView>("lstOto");
    search->setFocus();
    QApplication::processEvents();
    EXPECT_EQ(search->text(), "");

    QTest::keyClicks(search, "ka");
    EXPECT_EQ(std::tuple(list->currentIndex().row(), editor().curIdx(), editor().curOto()->ALS, editor().curwav().Valid),
              std::tuple(2, 2, QString("ka"), true));
    const QColor found = search->palette().color(QPalette::Text);
    QTest::keyClick(search, Qt::Key_Z);  // no row begins with "kaz"
    EXPECT_NE(search->palette().color(QPalette::Text), found);
    EXPECT_EQ(list->currentIndex().row(), 2);

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
    QTest::keyClick(search, Qt::Key_Return);
    EXPECT_EQ(std::pair(window->listModel().rowCount(), dialogs.beeps), std::pair(0, 1));

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
    auto *list = child<QListView>("lstOto");
    const auto answer = [&](const QString &text) {
        dialogs.inputAnswers = {text};
        action("mnuLocDisp")->trigger();
    };
    answer("2");
    const auto font = [](QWidget *w) { return std::tuple(w->font().families().first(), w->font().pointSize(), w->property("fontCharset").toInt()); };
    EXPECT_EQ(sett.settlocDisp, 2);
    EXPECT_EQ(font(list), std::tuple(QString("MingLiU"), 9, 136));
    ASSERT_EQ(dialogs.inputs.size(), 1);
    EXPECT_EQ(std::pair(dialogs.inputs[0].title, dialogs.inputs[0].defaultText), std::pair(QString("Select Display charset - 顯示編碼設定"), QString("1")));
    EXPECT_EQ(dialogs.inputs[0].prompt, "0 --> Japanese (Shift-JIS)\r\n1 --> S Chinese (GBK)\r\n2 --> T Chinese (BIG5)\r\n"
                                        "3 --> Auto\r\n4 --> Western European (CP1252)\r\n5 --> Korean (CP949)\r\n"
                                        "\r\nCurrent - 現設定: 1 --> S Chinese (GBK)");
    answer("5");
    EXPECT_EQ(font(list), std::tuple(QString("Gulim"), 9, 129));

    answer("3");
    EXPECT_EQ(font(child("txtPrm(4)")), std::tuple(QString("Arial Unicode MS"), 8, 0));

    for (const char *refused : {"6", "-1", "1.5", "100"})
        answer(refused);
    EXPECT_EQ(dialogs.texts(), (QStringList{"0~5", "0~5", "...", "..."}));
    EXPECT_EQ(sett.settlocDisp, 3);
    answer("x");
    EXPECT_EQ(sett.settlocDisp, 0);
    EXPECT_EQ(std::get<2>(font(list)), 128);
    EXPECT_EQ(std::get<0>(font(list)), "MS Gothic");
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
    EXPECT_EQ(std::pair(dialogs.messages[0].title, dialogs.messages[0].text.split("\r\n").size()), std::pair(QString("Tips & Hints - 使用技巧提示"), qsizetype(12)));
    EXPECT_EQ(std::pair(dialogs.messages[1].title, dialogs.messages[1].icon), std::pair(QString("About Lirra v0.2.1"), MsgIcon::None));
}

TEST_F(WindowFixture, AnotherProgramInBetweenChangesNothingAndOurDialogsActivate)
{
    open({{"ka", "ka.wav"}, {"sa", "sa.wav"}, {"ki", "ki.wav"}});
    auto *search = child<QLineEdit>("txtSearch");
    search->setFocus();
    QApplication::processEvents();
    QTest::keyClicks(search, "k");
    QTest::keyClick(search, Qt::Key_Return);
    ASSERT_EQ(rowsItemData(), (QList<int>{0, 2}));
    child<QMenu>("mnuFile")->setTitle("stale");  // shows whether an activation ran

    // The user looks at another program and comes back.
    QApplication::setActiveWindow(nullptr);
    QApplication::processEvents();
    QApplication::setActiveWindow(window.get());
    QApplication::processEvents();
    EXPECT_EQ(std::tuple(rowsItemData(), search->text(), child<QMenu>("mnuFile")->title()),
              std::tuple(QList<int>{0, 2}, QString("k"), QString("stale")));

    // Back from a window of ours: the activation runs, and the hint stays
    // out of the box that has the focus.
    {
        QDialog dialog(window.get());
        dialog.show();
        QApplication::setActiveWindow(&dialog);
        QApplication::processEvents();
    }
    QApplication::setActiveWindow(window.get());
    QApplication::processEvents();
    EXPECT_EQ(child<QMenu>("mnuFile")->title(), "&File - 文件");
    EXPECT_EQ(std::pair(rowsItemData(), search->text()), std::pair(QList<int>{0, 2}, QString("k")));

    // A half-typed value survives as well.
    auto *prm = child<QLineEdit>("txtPrm(0)");
    child<QListView>("lstOto")->setCurrentIndex(window->listModel().index(0));
    prm->setFocus();
    QApplication::processEvents();
    prm->setText("12.");
    QApplication::setActiveWindow(nullptr);
    QApplication::setActiveWindow(window.get());
    QApplication::processEvents();
    EXPECT_EQ(prm->text(), "12.");
    EXPECT_EQ(editor().curOto()->prmLF, 12);

}

TEST_F(WindowFixture, ViewsAreNeverBlank)
{
    resizeClient(632, 274);
    open({{"a", "a.wav"}});
    child<QListView>("lstOto")->setCurrentIndex(window->listModel().index(0));
    auto *pic = child<PictureBox>("pic");
    const auto traced = [](QWidget *box, const QColor &back) {
        const QImage shown = box->grab().toImage();
        for (int y = 0; y < shown.height(); ++y)
            for (int x = 0; x < shown.width(); ++x)
                if (shown.pixelColor(x, y) != back)
                    return true;
        return false;
    };
    ASSERT_TRUE(traced(pic, Qt::white));
    // Resized alone, a picture box shows its last image until redrawn.
    pic->resize(pic->width() + 40, pic->height() + 10);
    EXPECT_TRUE(traced(pic, Qt::white));
    // Resizing the window redraws both views at the new size.
    resizeClient(800, 400);
    EXPECT_EQ(pic->image().size(), pic->size());
    EXPECT_TRUE(traced(pic, Qt::white));
    auto *picSm = child<PictureBox>("picSm");
    EXPECT_TRUE(traced(picSm, picSm->backColor()));
    EXPECT_LT(qGray(picSm->backColor().rgb()), 224);  // a white trace shows on it
}

TEST_F(WindowFixture, FailedSaveKeepsTheWindowAndStopsTheCommand)
{
    open({{"a", "a.wav"}});
    window->document().clcOto()[0]->ALS = "changed";
    window->document().setChanged();
    bool chooserShown = false;
    window->setFolderChooser([&] {
        chooserShown = true;
        return std::optional<QString>();
    });
    {
        ReadOnlyFolder readOnly(bank.path());
        dialogs.answers = {MsgAnswer::Yes};
        EXPECT_FALSE(window->close());
        dialogs.answers = {MsgAnswer::Yes};
        action("mnuOpen")->trigger();
        dialogs.answers = {MsgAnswer::Yes};
        action("mnuReload")->trigger();
    }
    EXPECT_TRUE(window->isVisible());
    EXPECT_FALSE(chooserShown);
    EXPECT_EQ(window->document().clcOto()[0]->ALS, "changed");
    EXPECT_TRUE(window->windowTitle().startsWith("Lirra*"));
    EXPECT_EQ(dialogs.texts().filter("modlocale::writefile(").size(), 3);
}

// Another program changes oto.ini while the window is open: without unsaved
// edits the entries are read again at once, the alias staying selected;
// with some, the window asks, and No keeps them.
TEST_F(WindowFixture, AChangeOnDiskIsFollowedAtOnce)
{
    openBank({{"ka", "a.wav"}, {"sa", "b.wav"}}, "1,2,3,4,5", 4410);
    child<QListView>("lstOto")->setCurrentIndex(window->listModel().index(1));
    const auto aliases = [&] {
        QStringList out;
        for (const auto &e : window->document().clcOto())
            out << e->ALS;
        return out;
    };
    bank.write("oto.ini", "a.wav=new,1,2,3,4,5\r\nb.wav=sa,1,2,3,4,5\r\n");
    QTRY_COMPARE(aliases(), (QStringList{"new", "sa"}));
    EXPECT_EQ(editor().curOto()->ALS, "sa");
    EXPECT_TRUE(window->statusBar()->currentMessage().startsWith("oto.ini was changed on disk"));
    EXPECT_TRUE(dialogs.messages.isEmpty());

    // With unsaved edits it asks at once; the difference is looked at, then
    // Keep mine.
    window->document().setChanged();
    QString shown;
    QTimer answer;
    QObject::connect(&answer, &QTimer::timeout, [&] {
        for (QWidget *w : QApplication::topLevelWidgets()) {
            if (w->objectName() != "frmDiskChange" || !w->isVisible())
                continue;
            QTest::mouseClick(w->findChild<QPushButton *>("cmdShowDifference"), Qt::LeftButton);
            shown = w->findChild<QPlainTextEdit *>("txtDifference")->toPlainText();
            QTest::mouseClick(w->findChild<QPushButton *>("cmdKeep"), Qt::LeftButton);
        }
    });
    answer.start(20);
    bank.write("oto.ini", "a.wav=newer,1,2,3,4,5\r\n");
    QTRY_VERIFY(!shown.isEmpty());
    answer.stop();
    EXPECT_TRUE(shown.contains("alias: \"new\" here, \"newer\" on disk")) << shown.toStdString();
    EXPECT_TRUE(shown.contains("- only here:     b.wav=sa,1,2,3,4,5"));
    EXPECT_EQ(aliases(), (QStringList{"new", "sa"}));
    EXPECT_TRUE(window->document().blnChanged());
}
