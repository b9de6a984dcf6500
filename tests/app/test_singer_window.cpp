#include "support/SungRecording.h"
#include "support/WindowEnv.h"

#include "app/PrefixMapDialog.h"

#include <QComboBox>
#include <QDir>
#include <QLineEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QListView>
#include <QTimer>
#include <gtest/gtest.h>

// A singer of two pitch folders whose recordings of "- ay" start 137 ms
// apart: the window names the singer and the folders, steps between the
// folders keeping the view at the preutterance, and copies the parameters
// onto the other recording's sound, as one undo step.
TEST(SingerWindow, StepsBetweenFoldersAndCopiesOntoTheShiftedRecording)
{
    WindowEnv env;
    QDir(env.bank.path()).mkpath("A3");
    QDir(env.bank.path()).mkpath("C5");
    env.bank.write("character.txt", "name=Test singer\r\n");
    env.bank.write("A3/oto.ini", "0.wav=- ayA3,250,120,400,80,30\r\n1.wav=- kA3,10,20,30,40,5");
    env.bank.write("C5/oto.ini", "1.wav=- kC5,10,20,30,40,5\r\n0.wav=- ayC5,0,0,0,0,0");
    env.bank.write("A3/0.wav", wavimg::wav(sungRecording(300, 1500, 1)));
    env.bank.write("A3/1.wav", wavimg::wav(sungRecording(300, 1500, 3)));
    env.bank.write("C5/0.wav", wavimg::wav(sungRecording(437, 1637, 2, 440)));
    env.bank.write("C5/1.wav", wavimg::wav(sungRecording(300, 1500, 4)));
    env.window->setFolderChooser([&] { return std::optional<QString>(env.bank.path()); });
    env.child<QAction>("mnuOpen")->trigger();

    ASSERT_EQ(env.window->document().clcOto().size(), 4);
    EXPECT_TRUE(env.window->windowTitle().contains("Test singer"));
    EXPECT_EQ(env.window->listModel().data(env.window->listModel().index(3), Qt::DisplayRole).toString(),
              "- ayC5\tC5/0.wav");
    // The folder filter beside the search box shows one folder's entries.
    auto *folders = env.child<QComboBox>("cboFolder");
    ASSERT_TRUE(folders->isVisible());
    ASSERT_EQ(folders->count(), 3);  // all, A3/, C5/
    // Both read whole beside each other: the list was widened for them.
    auto *search = env.child<QLineEdit>("txtSearch");
    EXPECT_GT(search->width(), search->fontMetrics().horizontalAdvance(search->text()));
    EXPECT_GT(folders->width(), folders->fontMetrics().horizontalAdvance(folders->itemText(0)));
    folders->setCurrentIndex(2);
    emit folders->activated(2);
    EXPECT_EQ(env.rowsItemData(), (QList<int>{2, 3}));
    env.window->F5LstOtoS("k", 0);
    EXPECT_EQ(env.rowsItemData(), QList<int>{2});
    folders->setCurrentIndex(0);
    emit folders->activated(0);
    EXPECT_EQ(env.window->listModel().rowCount(), 4);

    env.child<QListView>("lstOto")->setCurrentIndex(env.window->listModel().index(0));
    ASSERT_EQ(env.editor().curIdx(), 0);
    env.editor().setView({200, 400});  // 130 ms before the preutterance at 330
    env.child<QAction>("mnuSameNext")->trigger();
    EXPECT_EQ(env.editor().curIdx(), 3);
    EXPECT_TRUE(env.editor().isEditable());  // its wave, from C5/, is loaded
    EXPECT_DOUBLE_EQ(env.editor().view().start, -130);
    EXPECT_DOUBLE_EQ(env.editor().view().len, 400);
    env.child<QAction>("mnuSameNext")->trigger();  // no further folder
    EXPECT_EQ(env.editor().curIdx(), 3);
    EXPECT_EQ(env.dialogs.beeps, 1);
    env.child<QAction>("mnuSamePrev")->trigger();
    EXPECT_EQ(env.editor().curIdx(), 0);

    // The folders to copy to: every other one, ticked.
    QTimer::singleShot(0, [] {
        for (QWidget *w : QApplication::topLevelWidgets())
            if (w->objectName() == "frmCopyToFolders" && w->isVisible())
                QTest::mouseClick(w->findChild<QPushButton *>("cmdOK"), Qt::LeftButton);
    });
    env.child<QAction>("mnuSameCopy")->trigger();
    const clsOto &copied = *env.window->document().clcOto()[3];
    EXPECT_NEAR(copied.prmLF, 250 + 137, 10);
    EXPECT_EQ(copied.prmPR, 80);
    EXPECT_EQ(copied.ALS, "- ayC5");
    EXPECT_EQ(env.window->document().unsavedFolders(), QStringList{"C5"});
    EXPECT_TRUE(env.dialogs.texts().isEmpty()) << env.dialogs.texts().join("\n").toStdString();  // nothing unsure
    env.window->document().undo();
    EXPECT_EQ(env.window->document().clcOto()[3]->prmLF, 0);
}

// The prefix.map editor: rows from C1 to B7 filled from the map, a range set
// at once from its boxes, an edited cell; the file's order and form kept.
TEST(SingerWindow, PrefixMapEditorSetsRangesAndCells)
{
    TextForm lf;
    lf.lineEnd = LineEnd::Lf;
    singer::PrefixMapDialog dialog(singer::PrefixMap::fromText(u"C5\t\tC5\nA3\t\tA3\n", lf));
    auto *table = dialog.findChild<QTableWidget *>("tblPrefixMap");
    ASSERT_EQ(table->rowCount(), 84);
    EXPECT_EQ(table->item(0, 0)->text(), "B7");
    EXPECT_EQ(table->item(83 - (2 * 12 + 9), 0)->text(), "A3");  // 33 semitones above C1
    EXPECT_EQ(table->item(83 - (2 * 12 + 9), 2)->text(), "A3");
    dialog.findChild<QComboBox *>("cboFrom")->setCurrentText("A#3");
    dialog.findChild<QComboBox *>("cboTo")->setCurrentText("B3");
    dialog.findChild<QLineEdit *>("txtSuffix")->setText("A3");
    QTest::mouseClick(dialog.findChild<QPushButton *>("cmdSetRange"), Qt::LeftButton);
    table->item(0, 1)->setText("^");  // B7's prefix
    EXPECT_EQ(dialog.result().toText(), "B7\t^\t\nC5\t\tC5\nB3\t\tA3\nA#3\t\tA3\nA3\t\tA3\n");
}
