#include "support/WindowEnv.h"
#include "view/PictureBox.h"

#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QPushButton>
#include <gtest/gtest.h>

namespace {

// The main window with a bank of three 1000 ms waves, laid out so that the
// detail view is 1000 pixels wide: one pixel is one millisecond when the
// view shows 0 to 1000 ms.
struct EditFixture : ::testing::Test, WindowEnv {
    EditFixture()
    {
        resizeClient(1124, 366);
        openBank({{"a", "a.wav"}, {"b", "b.wav"}, {"c", "c.wav"}}, "100,80,-300,50,20", 44100);
        list()->setCurrentIndex(window->listModel().index(0));
        editor().setView({0, editor().view().len});
        editor().setView({editor().view().start, 1000});
    }
    QListView *list() { return child<QListView>("lstOto"); }
    PictureBox *pic() { return child<PictureBox>("pic"); }
    QLineEdit *box(const char *name) { return child<QLineEdit>(name); }
    // A release at time t in band b of the detail view.
    void release(double t, int band, Qt::KeyboardModifiers mods = {}, Qt::MouseButton button = Qt::LeftButton)
    {
        QTest::mouseRelease(pic(), button, mods, QPoint(int(t), int((band + 0.5) * pic()->height() / 5)));
    }
    clsOto &cur() { return *editor().curOto(); }
};

}  // namespace

TEST_F(EditFixture, MouseReleasesEditTheCurrentEntryAndItsMarkers)
{
    ASSERT_EQ(editor().viewW(), 1000);
    ASSERT_TRUE(window->isEditable());
    release(120, 0);
    // The entry itself, not a copy, is edited, marked and shown.
    EXPECT_EQ(std::tuple(window->document().clcOto()[0]->prmLF, window->document().blnChanged(), box("txtPrm(0)")->text()),
              std::tuple(120.0, true, QString("120")));
    const QImage &img = pic()->image();  // redrawn: LF in band 0 only
    const int bandH = img.height() / 5;
    EXPECT_EQ(img.pixelColor(120, bandH / 2), QColor(0, 0, 127));
    EXPECT_NE(img.pixelColor(120, 4 * bandH + bandH / 2), QColor(0, 0, 127));

    release(140, 0, Qt::ShiftModifier);
    EXPECT_EQ(std::pair(cur().prmLF, cur().prmPR), std::pair(140.0, 30.0));

    release(300, 2, Qt::ControlModifier);
    EXPECT_EQ(cur().prmLF, 270);

    const double rt = cur().prmRT;
    release(100, 4);  // left of LF: beep, nothing changes
    EXPECT_EQ(std::pair(dialogs.beeps, cur().prmRT), std::pair(1, rt));

    box("txtLock(1)")->setText("-15");
    release(500, 3);
    EXPECT_EQ(cur().prmOV, -15);

    release(500, 1, {}, Qt::RightButton);  // display mode, not an edit
    EXPECT_EQ(std::tuple(editor().dispMode(), cur().prmOV), std::tuple(DisplayMode::Magnified, -15.0));
    EXPECT_TRUE(dialogs.messages.isEmpty());
}

TEST_F(EditFixture, TypedValuesAliasAndLocks)
{
    sett.settPrmRound = 0.5;
    QLineEdit *pr = box("txtPrm(2)"), *als = box("txtALS"), *lock = box("txtLock(0)");
    pr->setFocus();
    pr->selectAll();
    QTest::keyClicks(pr, "12.34");
    EXPECT_EQ(cur().prmPR, 12.5);
    EXPECT_EQ(pr->text(), "12.34");
    als->setFocus();
    QApplication::processEvents();
    EXPECT_EQ(pr->text(), "12.5");

    als->selectAll();
    QTest::keyClicks(als, "ka");
    EXPECT_EQ(cur().ALS, "ka");
    EXPECT_EQ(window->listModel().data(window->listModel().index(0)).toString(), "ka\ta.wav");
    QTest::keyClicks(als, "=");
    EXPECT_EQ(als->text(), "ka");
    EXPECT_EQ(cur().ALS, "ka");

    for (const auto &[typed, kept] : {std::pair{"12ab", ""}, {"-15", "-15"}}) {
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
    editor().setView({editor().view().start, 200});
    QTest::keyClick(view, Qt::Key_Left);
    EXPECT_EQ(editor().view().start, -40);
    editor().setView({880, editor().view().len});
    QTest::keyClick(view, Qt::Key_Right);
    EXPECT_EQ(editor().view().start, 900);  // half the window past the wave's end

    child<QPushButton>("cmdJmp(0)")->click();  // first row: no wrap
    EXPECT_EQ(list()->currentIndex().row(), 0);
    QTest::keyClick(view, Qt::Key_Down);
    EXPECT_EQ(editor().curIdx(), 1);
    QTest::keyClick(box("txtALS"), Qt::Key_Down);
    EXPECT_EQ(editor().curIdx(), 2);
    child<QPushButton>("cmdJmp(1)")->click();  // last row
    EXPECT_EQ(editor().curIdx(), 2);
    QTest::keyClick(list(), Qt::Key_Space);  // plays; the selection stays
    EXPECT_EQ(list()->currentIndex().row(), 2);

    auto *gap = child<QLabel>("lblGap");
    QTest::mouseRelease(gap, Qt::LeftButton, {}, QPoint(20, 5));  // 300 twips right
    EXPECT_EQ(window->layoutState().lstW, 2100);
    QTest::mouseRelease(gap, Qt::LeftButton, {}, QPoint(-40, 5));
    EXPECT_EQ(window->layoutState().lstW, 1500);
}

TEST_F(EditFixture, DuplicateRemoveAndReplaceFromTheMenus)
{
    list()->setCurrentIndex(window->listModel().index(1));
    child<QAction>("mnuOtoDup")->trigger();
    auto &doc = window->document();
    ASSERT_EQ(doc.clcOto().size(), 4);
    EXPECT_EQ(std::tuple(editor().curIdx(), editor().curOto(), list()->currentIndex().row(), doc.blnChanged()),
              std::tuple(2, doc.clcOto()[2], 2, true));

    doc.save();  // clears the mark
    child<QAction>("mnuOtoDel")->trigger();
    ASSERT_EQ(doc.clcOto().size(), 3);
    // The next entry is now current; removing marks the document too.
    EXPECT_EQ(std::tuple(editor().curIdx(), editor().curOto()->FIL, doc.blnChanged()), std::tuple(2, QString("c.wav"), true));

    dialogs.inputAnswers = {QString("b=x,c=y")};
    child<QAction>("mnuExpReplace")->trigger();
    EXPECT_EQ(std::tuple(doc.clcOto()[1]->ALS, doc.clcOto()[2]->ALS, box("txtALS")->text(), doc.blnChanged()),
              std::tuple(QString("x"), QString("y"), QString("y"), true));
}
