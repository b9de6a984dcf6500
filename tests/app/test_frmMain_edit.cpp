#include "PictureBox.h"
#include "ScriptedDialogs.h"
#include "TempFolder.h"
#include "WavImages.h"
#include "clsSett.h"
#include "frmMain.h"
#include "modLocale.h"

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QPushButton>
#include <QTest>
#include <gtest/gtest.h>

namespace {

// The main window with a bank of three 1000 ms waves, laid out so that the
// detail view is 1000 pixels wide: one pixel is one millisecond when the
// view shows 0 to 1000 ms.
struct EditFixture : ::testing::Test {
    EditFixture() : sett(dir.file("sett.ini")), locale(sett, dialogs)
    {
        sett.loadDflt();
        QString text = "#CHARSET:UTF8\r\n";
        for (const char *name : {"a", "b", "c"}) {
            text += QString("%1.wav=%1,100,80,-300,50,20\r\n").arg(name);
            bank.write(QString("%1.wav").arg(name), wavimg::wav(wavimg::noise(44100, 8000)));
        }
        bank.write("oto.ini", text.toUtf8());

        window = std::make_unique<frmMain>(sett, locale, dialogs);
        window->show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(window.get()));
        QApplication::setActiveWindow(window.get());
        QWidget *client = window->centralWidget();
        window->resize(1124 + window->width() - client->width(), 366 + window->height() - client->height());
        QApplication::processEvents();
        window->setFolderChooser([this] { window->document().wrkpath = bank.path(); });
        window->findChild<QAction *>("mnuOpen")->trigger();
        select(0);
        showWholeWave();
    }
    void select(int row) { list()->setCurrentIndex(window->listModel().index(row)); }
    void showWholeWave()
    {
        window->viewStart = 0;
        window->viewLen = 1000;
    }
    QListView *list() { return window->findChild<QListView *>("lstOto"); }
    PictureBox *pic() { return window->findChild<PictureBox *>("pic"); }
    QLineEdit *box(const char *name) { return window->findChild<QLineEdit *>(name); }
    // A left release at time t in band b of the detail view.
    void release(double t, int band, Qt::KeyboardModifiers mods = {}, Qt::MouseButton button = Qt::LeftButton)
    {
        const int y = int((band + 0.5) * pic()->height() / 5);
        QTest::mouseRelease(pic(), button, mods, QPoint(int(t), y));
    }
    clsOto &cur() { return *window->curOto; }

    TempFolder dir, bank;
    ScriptedDialogs dialogs;
    clsSett sett;
    modLocale locale;
    std::unique_ptr<frmMain> window;
};

}  // namespace

TEST_F(EditFixture, MouseReleasesEditTheCurrentEntry)
{
    ASSERT_EQ(window->viewW(), 1000);
    ASSERT_TRUE(window->isEditable());
    release(120, 0);
    EXPECT_EQ(cur().prmLF, 120);
    EXPECT_TRUE(window->document().blnChanged);
    EXPECT_TRUE(window->windowTitle().startsWith("Lirra*"));
    EXPECT_EQ(box("txtPrm(0)")->text(), "120");
    EXPECT_EQ(window->document().clcOto[0]->prmLF, 120);  // the entry itself, not a copy

    release(140, 0, Qt::ShiftModifier);
    EXPECT_EQ(cur().prmLF, 140);
    EXPECT_EQ(cur().prmPR, 30);
    EXPECT_EQ(cur().prmRT, -280);

    release(300, 2, Qt::ControlModifier);
    EXPECT_EQ(cur().prmLF, 270);

    const double rt = cur().prmRT;
    release(100, 4);  // left of LF: beep, nothing changes
    EXPECT_EQ(dialogs.beeps, 1);
    EXPECT_EQ(cur().prmRT, rt);

    box("txtLock(1)")->setText("-15");
    release(500, 3);
    EXPECT_EQ(cur().prmOV, -15);

    release(500, 1, {}, Qt::RightButton);  // display mode, not an edit
    EXPECT_EQ(window->dispMode, 1);
    EXPECT_EQ(cur().prmOV, -15);
    EXPECT_TRUE(dialogs.messages.isEmpty());
}

TEST_F(EditFixture, MarkersAreDrawnInTheirBands)
{
    window->redrawall();
    const QImage &img = pic()->image();
    const int bandH = img.height() / 5;
    EXPECT_EQ(img.pixelColor(100, bandH / 2), QColor(0, 0, 127));          // LF at 100 ms
    EXPECT_EQ(img.pixelColor(150, 2 * bandH + bandH / 2), QColor(192, 63, 0));  // PR at 150 ms
    EXPECT_EQ(img.pixelColor(400, 4 * bandH + bandH / 2), QColor(0, 0, 127));   // RT end at 400 ms
    EXPECT_NE(img.pixelColor(100, 4 * bandH + bandH / 2), QColor(0, 0, 127));   // LF only in band 0
}

TEST_F(EditFixture, TypedValuesAliasAndLocks)
{
    sett.settPrmRound = 0.5;
    QLineEdit *pr = box("txtPrm(2)");
    pr->setFocus();
    pr->selectAll();
    QTest::keyClicks(pr, "12.34");
    EXPECT_EQ(cur().prmPR, 12.5);
    EXPECT_EQ(pr->text(), "12.34");
    box("txtALS")->setFocus();
    QApplication::processEvents();
    EXPECT_EQ(pr->text(), "12.5");

    QLineEdit *als = box("txtALS");
    als->selectAll();
    QTest::keyClicks(als, "ka");
    EXPECT_EQ(cur().ALS, "ka");
    EXPECT_EQ(window->listModel().data(window->listModel().index(0)).toString(), "ka\ta.wav");
    QTest::keyClicks(als, "=");
    EXPECT_EQ(als->text(), "ka");
    EXPECT_EQ(cur().ALS, "ka");

    for (const auto &[typed, kept] : {std::pair{"-", ""}, {"12ab", ""}, {"-15", "-15"}}) {
        QLineEdit *lock = box("txtLock(0)");
        lock->setFocus();
        lock->setText(typed);
        als->setFocus();
        QApplication::processEvents();
        EXPECT_EQ(lock->text(), kept) << typed;
    }
}

TEST_F(EditFixture, KeysScrollStepAndPlay)
{
    QWidget *view = pic();
    view->setFocus();
    window->viewStart = 0;
    window->viewLen = 200;
    for (double expected : {-40.0, -80.0, -100.0, -100.0}) {
        QTest::keyClick(view, Qt::Key_Left);
        EXPECT_EQ(window->viewStart, expected);
    }
    window->viewStart = 850;
    for (double expected : {890.0, 900.0, 900.0}) {
        QTest::keyClick(view, Qt::Key_Right);
        EXPECT_EQ(window->viewStart, expected);
    }

    window->findChild<QPushButton *>("cmdJmp(0)")->click();  // first row: no wrap
    EXPECT_EQ(list()->currentIndex().row(), 0);
    QTest::keyClick(view, Qt::Key_Down);
    EXPECT_EQ(window->curIdx, 1);
    QTest::keyClick(box("txtALS"), Qt::Key_Down);
    EXPECT_EQ(window->curIdx, 2);
    window->findChild<QPushButton *>("cmdJmp(1)")->click();  // last row
    EXPECT_EQ(window->curIdx, 2);
    QTest::keyClick(list(), Qt::Key_Space);  // plays; the selection stays
    EXPECT_EQ(list()->currentIndex().row(), 2);

    auto *gap = window->findChild<QLabel *>("lblGap");
    QTest::mouseRelease(gap, Qt::LeftButton, {}, QPoint(20, 5));  // 300 twips right
    EXPECT_EQ(window->layoutState().lstW, 2100);
    QTest::mouseRelease(gap, Qt::LeftButton, {}, QPoint(-40, 5));
    EXPECT_EQ(window->layoutState().lstW, 1500);
}

TEST_F(EditFixture, DuplicateRemoveAndReplaceFromTheMenus)
{
    select(1);
    window->findChild<QAction *>("mnuOtoDup")->trigger();
    auto &doc = window->document();
    ASSERT_EQ(doc.clcOto.size(), 4);
    EXPECT_EQ(doc.clcOto[1]->FIL, "b.wav");  // the copy stands in front of its source
    EXPECT_EQ(window->curIdx, 2);
    EXPECT_EQ(window->curOto, doc.clcOto[2]);
    EXPECT_EQ(list()->currentIndex().row(), 2);
    EXPECT_TRUE(doc.blnChanged);

    doc.blnChanged = false;
    window->findChild<QAction *>("mnuOtoDel")->trigger();
    ASSERT_EQ(doc.clcOto.size(), 3);
    EXPECT_EQ(window->curIdx, 2);
    EXPECT_EQ(window->curOto->FIL, "c.wav");  // the next entry is now current
    EXPECT_FALSE(doc.blnChanged);             // removing does not mark the document

    dialogs.inputAnswers = {QString("b=x,c=y")};
    window->findChild<QAction *>("mnuExpReplace")->trigger();
    EXPECT_EQ(doc.clcOto[1]->ALS, "x");
    EXPECT_EQ(doc.clcOto[2]->ALS, "y");
    EXPECT_EQ(box("txtALS")->text(), "y");
    EXPECT_TRUE(doc.blnChanged);
    EXPECT_EQ(dialogs.inputs.last().title, "Aliases batch replace - 別名批量替換");
}
