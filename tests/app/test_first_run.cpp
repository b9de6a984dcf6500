#include "app/EntryListDelegate.h"
#include "app/EstimateDialogs.h"
#include "app/WindowPlacement.h"
#include "control/EstimateFlow.h"
#include "support/TitleRoom.h"
#include "support/WindowEnv.h"
#include "ui/modHelp.h"
#include "ui/QtDialogs.h"

#include <QAction>
#include <QDropEvent>
#include <QFileInfo>
#include <QLineEdit>
#include <QListView>
#include <QMessageBox>
#include <QMimeData>
#include <QScreen>
#include <QUrl>
#include <gtest/gtest.h>

// The first window takes about three quarters of the free screen, centred;
// its place and the list's width come back in the next run, and the list is
// widened to show whole rows.
TEST(FirstRun, TheWindowFillsThreeQuartersOfTheScreenAndItsPlaceIsRemembered)
{
    const QScreen *screen = QGuiApplication::primaryScreen();
    const QRect free = screen->availableGeometry();
    const QRect first = firstWindowRect(screen, QSize(160, 240));
    EXPECT_NEAR(double(first.width()) * first.height() / (double(free.width()) * free.height()), 0.75, 0.01);
    EXPECT_LE((first.center() - free.center()).manhattanLength(), 2);
    EXPECT_EQ(firstWindowRect(screen, free.size() * 2).size(), free.size() * 2);  // never below the minimum

    const QString longName = "a_very_long_recording_name_that_a_narrow_list_cuts_off.wav";
    {
        WindowEnv w;
        w.openBank({{"a", longName}}, "1,2,3,4,5", 4410);
        // The list shows the whole row: alias and file name.
        const int fitting = EntryListDelegate::fittingWidths(w.window->listModel(), w.child<QListView>("lstOto")->font(), nullptr);
        EXPECT_GE(w.child<QListView>("lstOto")->viewport()->width(), std::min(fitting, w.window->centralWidget()->width() / 2 - 40));
        w.window->setGeometry(QRect(free.topLeft() + QPoint(30, 40), QSize(700, 500)));
        w.window->lblGap_MouseUp(300);
        const int lstW = w.window->layoutState().lstW;
        const QRect placed = w.window->geometry();
        w.window->close();

        frmMain again(w.sett, w.locale, w.dialogs);
        EXPECT_EQ(again.geometry().size(), placed.size());
        EXPECT_EQ(again.layoutState().lstW, lstW);
    }
}

// A folder dropped on the window opens as File, Open would, and its first
// entry is on show; anything else is not taken.
TEST(FirstRun, ADroppedFolderOpensWithItsFirstEntryShown)
{
    WindowEnv env;
    env.writeBank({{"a", "a.wav"}, {"i", "i.wav"}}, "1,2,3,4,5", 4410);
    QMimeData folder, ini, wave;
    folder.setUrls({QUrl::fromLocalFile(env.bank.path())});
    ini.setUrls({QUrl::fromLocalFile(env.bank.path() + "/oto.ini")});
    wave.setUrls({QUrl::fromLocalFile(env.bank.path() + "/a.wav")});
    EXPECT_EQ(droppedFolder(&ini), env.bank.path());
    EXPECT_EQ(droppedFolder(&wave), std::nullopt);

    QDropEvent drop(QPointF(10, 10), Qt::CopyAction, &folder, Qt::LeftButton, Qt::NoModifier);
    // Straight to the window: the application only passes on a drop that a
    // real drag started.
    static_cast<QObject *>(env.window.get())->event(&drop);
    EXPECT_TRUE(drop.isAccepted());
    EXPECT_EQ(env.window->document().wrkpath(), env.bank.path());
    EXPECT_EQ(std::pair(env.editor().curIdx(), env.window->isEditable()), std::pair(0, true));
}

// Leading and trailing spaces of an alias can be seen: the alias box and
// the list shade them, so "a " does not look like "a".
TEST(FirstRun, EdgeSpacesOfAnAliasAreShown)
{
    EXPECT_EQ(edgeSpaces("  a b "), (QList<std::pair<int, int>>{{0, 2}, {5, 1}}));
    EXPECT_TRUE(edgeSpaces("a b").isEmpty());
    EXPECT_EQ(edgeSpaces("   "), (QList<std::pair<int, int>>{{0, 3}}));

    WindowEnv env;
    auto *alias = env.child<QLineEdit>("txtALS");
    alias->setText("a");
    const QImage plain = alias->grab().toImage();
    alias->setText("a ");
    alias->setCursorPosition(0);
    EXPECT_NE(alias->grab().toImage(), plain);
}

// The menus' keys act on the entry whichever box has the focus: in the
// alias box Shift+Insert duplicates and Shift+Delete removes the entry
// rather than pasting or cutting text. The search box never keeps its hint
// once typed into, and the About box has its eight lines.
TEST(FirstRun, MenuKeysWinOverTextBoxesAndTheSearchHintNeverStays)
{
    WindowEnv env;
    env.openBank({{"a", "a.wav"}, {"i", "i.wav"}}, "1,2,3,4,5", 4410);
    ASSERT_TRUE(env.window->isEditable());
    auto *alias = env.child<QLineEdit>("txtALS");
    alias->setFocus();
    QTest::keyClick(alias, Qt::Key_Insert, Qt::ShiftModifier);
    EXPECT_EQ(env.window->document().clcOto().size(), 3);
    QTest::keyClick(alias, Qt::Key_Delete, Qt::ShiftModifier);
    EXPECT_EQ(env.window->document().clcOto().size(), 2);
    EXPECT_FALSE(alias->text().isEmpty());

    auto *search = env.child<QLineEdit>("txtSearch");
    QTest::mouseClick(search, Qt::LeftButton);
    QTest::keyClicks(search, "ka");
    EXPECT_EQ(search->text(), "ka");

    EXPECT_EQ(aboutText().split("\r\n").size(), 8);
}

// Estimate's summary box, which leaves the window free, shows its whole
// title too (it was cut to "Estim… 動估算").
TEST(EstimateSummary, TheBoxIsAsWideAsItsTitle)
{
    QWidget owner;
    EstimateDialogs dialogs(&owner);
    const QString title = QStringLiteral("Estimate - 自動估算");
    dialogs.showSummary(title, QStringLiteral("3 done."));
    auto *box = owner.findChild<QMessageBox *>(QStringLiteral("dlgEstimateSummary"));
    ASSERT_TRUE(box);
    EXPECT_GE(titleRoom(box->width()), boldTitleWidth(title, box->font()));
    box->close();
}

// A folder of recordings without oto.ini opens in the window with the offer
// to make its entries; yes fills the list, estimated, the first on show.
TEST(FirstRun, AFolderOfRecordingsIsOfferedItsEntries)
{
    WindowEnv env;
    env.bank.write(QString::fromUtf8("_あか.wav"), wavimg::wav(wavimg::noise(44100, 3000)));
    env.dialogs.answers = {MsgAnswer::Yes};
    env.window->setFolderChooser([&] { return std::optional<QString>(env.bank.path()); });
    env.child<QAction>("mnuOpen")->trigger();
    ASSERT_FALSE(env.dialogs.messages.isEmpty());
    EXPECT_EQ(env.dialogs.messages[0].text, EstimateFlow::newBankQuestion(1));
    EXPECT_EQ(env.window->listModel().rowCount(), 3);  // - あ, a か, a -
    EXPECT_EQ(std::pair(env.editor().curIdx(), env.window->isEditable()), std::pair(0, true));
    EXPECT_TRUE(env.window->document().blnChanged());
    EXPECT_FALSE(QFileInfo::exists(env.bank.file("oto.ini")));  // written by a save only
}
