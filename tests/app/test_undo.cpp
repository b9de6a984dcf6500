#include "analysis/SungSynth.h"
#include "app/frmScript.h"
#include "support/ScriptedEstimateUi.h"
#include "support/WindowEnv.h"
#include "view/PictureBox.h"

#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QListView>
#include <QRandomGenerator>
#include <gtest/gtest.h>

namespace {

struct UndoFixture : ::testing::Test, WindowEnv {
    UndoFixture()
    {
        resizeClient(1124, 366);
        openBank({{"ka", "a.wav"}, {"sa", "b.wav"}, {"kya", "c.wav"}, {"ta", "d.wav"}}, "100,80,-300,50,20", 44100);
        select(0);
    }
    QListView *list() { return child<QListView>("lstOto"); }
    QAction *action(const char *name) { return child<QAction>(name); }
    void select(int row) { list()->setCurrentIndex(window->listModel().index(row)); }
    QStringList lines()
    {
        QStringList out;
        for (const auto &e : window->document().clcOto())
            out << e->fileStr();
        return out;
    }
    void type(QLineEdit *box, const QString &text)
    {
        box->setFocus();
        QApplication::processEvents();
        box->selectAll();
        QTest::keyClicks(box, text);
        list()->setFocus();  // leaving the box ends the step
        QApplication::processEvents();
    }
    int steps() { return window->document().history().count(); }
    // Runs a VBScript in the script console: one step of the history.
    void runScript(const QString &code)
    {
        if (!window->console())
            action("mnuExpScript")->trigger();
        frmScript *console = window->console();
        console->findChild<QPlainTextEdit *>("txtScript")->setPlainText(code);
        console->findChild<QPushButton *>("cmdRun")->click();
    }
};

// Scripts that change entries by every way a script has: menu handlers
// (which make history steps of their own), fields written in place, the
// collection's Add and Remove, mixed in one run.
const char *const kScripts[] = {
    "env.mnuOtoDup_Click\n",
    "env.mnuOtoDup_Click\nenv.mnuOtoDup_Click\nenv.curOto.ALS = \"d\" & env.clcOto.Count\n",
    "env.mnuOtoDel_Click\n",
    "env.mnuOtoDel_Click\nenv.clcOto(1).prmLF = 7\nenv.clcOto(1).prmLF = 8\n",
    "Set n = newObj(\"oto\"): n.FIL = \"a.wav\": n.ALS = \"new\": env.clcOto.Add n: n.prmOV = 3\n",
    "env.clcOto.Remove 1\nenv.mnuOtoDup_Click\n",
    "For Each e In env.clcOto: e.prmPR = e.prmPR + 1: Next\n",
};

}  // namespace

// Every kind of edit, in a random order; all undone gives back the start
// and clears the mark, all redone gives the end again.
TEST_F(UndoFixture, RandomEditsUndoneAndRedoneCompletely)
{
    const QStringList start = lines();
    auto *pic = child<PictureBox>("pic");
    QRandomGenerator rng(11);
    for (int i = 0; i < 80; ++i) {
        if (window->listModel().rowCount() == 0)
            window->F5LstOto();
        select(rng.bounded(window->listModel().rowCount()));
        switch (rng.bounded(8)) {
        case 0: {
            const int band = rng.bounded(5);
            QTest::mouseRelease(pic, Qt::LeftButton, rng.bounded(2) ? Qt::ShiftModifier : Qt::KeyboardModifiers(),
                                QPoint(rng.bounded(1000), int((band + 0.5) * pic->height() / 5)));
            break;
        }
        case 1: type(child<QLineEdit>(QString("txtPrm(%1)").arg(rng.bounded(5)).toLatin1()), QString::number(rng.bounded(400))); break;
        case 2: type(child<QLineEdit>("txtALS"), QString("x%1").arg(rng.bounded(9))); break;
        case 3: action("mnuOtoDup")->trigger(); break;
        case 4:
            if (window->document().clcOto().size() > 2)
                action("mnuOtoDel")->trigger();
            break;
        case 5:
            dialogs.inputAnswers = {QString("a=o,x=ka")};
            action("mnuExpReplace")->trigger();
            break;
        case 6:
            dialogs.inputAnswers = {QString("ky")};
            action("mnuExpSplitCmb")->trigger();
            break;
        case 7:
            if (window->document().clcOto().size() > 3)
                runScript(kScripts[rng.bounded(int(std::size(kScripts)))]);
            break;
        }
    }
    const QStringList end = lines();
    ASSERT_NE(end, start);
    ASSERT_TRUE(window->document().blnChanged());

    int undone = 0;
    while (action("mnuUndo")->isEnabled() && undone < 1000) {
        action("mnuUndo")->trigger();
        ++undone;
    }
    EXPECT_EQ(lines(), start);
    EXPECT_FALSE(window->document().blnChanged());
    EXPECT_FALSE(window->windowTitle().contains(u'*'));
    EXPECT_TRUE(window->waveEditor().isEditable());  // an entry is shown after every step

    while (action("mnuRedo")->isEnabled())
        action("mnuRedo")->trigger();
    EXPECT_EQ(lines(), end);
    EXPECT_TRUE(window->windowTitle().startsWith("Lirra*"));
    EXPECT_TRUE(dialogs.messages.isEmpty()) << dialogs.messages.value(0).text.toStdString();
    EXPECT_EQ(window->console()->findChild<QPlainTextEdit *>("txtDebug")->toPlainText().count("Error"), 0);
}

// The fault random runs found first, by hand: a script's duplicate undone
// twice must not take the source entry with it.
TEST_F(UndoFixture, ScriptDuplicateAndRemoveUndoExactly)
{
    const QStringList start = lines();
    runScript("env.mnuOtoDup_Click\n");
    runScript("env.mnuOtoDel_Click\nenv.mnuOtoDel_Click\n");
    EXPECT_EQ(steps(), 2);  // one per run, the handlers' own steps inside it
    action("mnuUndo")->trigger();
    action("mnuUndo")->trigger();
    EXPECT_EQ(lines(), start);
    EXPECT_EQ(window->document().clcOto().size(), 4);

    // While a scoped edit is open, undo and redo wait.
    action("mnuRedo")->trigger();
    {
        OtoDocument::ScriptEdit edit(window->document(), "held");
        const QStringList during = lines();
        window->document().undo();
        EXPECT_EQ(lines(), during);
    }
}

TEST_F(UndoFixture, TypingMergesPerBoxAndTheMenuFollowsTheHistory)
{
    EXPECT_EQ(action("mnuUndo")->text(), "Undo - 撤銷");
    EXPECT_EQ(action("mnuRedo")->shortcuts(), (QList<QKeySequence>{QKeySequence("Ctrl+Y"), QKeySequence("Ctrl+Shift+Z")}));
    EXPECT_FALSE(action("mnuUndo")->isEnabled());
    EXPECT_FALSE(action("mnuRedo")->isEnabled());

    auto *lf = child<QLineEdit>("txtPrm(0)");
    lf->setFocus();
    QApplication::processEvents();
    lf->selectAll();
    QTest::keyClicks(lf, "123");  // three keystrokes, three commits, one step
    EXPECT_EQ(std::pair(steps(), window->document().clcOto()[0]->prmLF), std::pair(1, 123.0));
    auto *pr = child<QLineEdit>("txtPrm(2)");
    pr->setFocus();
    QApplication::processEvents();
    pr->selectAll();
    QTest::keyClicks(pr, "40");
    EXPECT_EQ(steps(), 2);  // another box: its own step
    EXPECT_TRUE(action("mnuUndo")->isEnabled());
    type(lf, "124");
    type(lf, "125");  // the same box again after leaving it: a new step
    EXPECT_EQ(steps(), 4);
    action("mnuUndo")->trigger();
    action("mnuUndo")->trigger();
    EXPECT_EQ(lf->text(), "123");
    pr->setFocus();
    QApplication::processEvents();

    QTest::keyClick(pr, Qt::Key_Z, Qt::ControlModifier);  // the document's undo, not the box's
    EXPECT_EQ(window->document().clcOto()[0]->prmPR, 50);
    EXPECT_EQ(pr->text(), "50");
    EXPECT_TRUE(action("mnuRedo")->isEnabled());
    action("mnuUndo")->trigger();
    EXPECT_EQ(window->document().clcOto()[0]->prmLF, 100);
    EXPECT_FALSE(window->document().blnChanged());
    EXPECT_FALSE(action("mnuUndo")->isEnabled());

    // A step after saving: undoing it marks the document again, redoing clears it.
    QTest::keyClick(list(), Qt::Key_Y, Qt::ControlModifier);
    window->document().save();
    action("mnuUndo")->trigger();
    EXPECT_TRUE(window->document().blnChanged());
    action("mnuRedo")->trigger();
    EXPECT_FALSE(window->document().blnChanged());

    // A load forgets the history.
    dialogs.answers = {MsgAnswer::No};
    child<QAction>("mnuReload")->trigger();
    EXPECT_EQ(std::pair(steps(), action("mnuUndo")->isEnabled()), std::pair(0, false));
}

TEST_F(UndoFixture, UndoShowsTheEntryItBroughtBack)
{
    // Filtered to "sa"; removing it leaves nothing shown; undo brings it
    // back, selected, in the full list.
    auto *search = child<QLineEdit>("txtSearch");
    search->setFocus();
    QApplication::processEvents();
    QTest::keyClicks(search, "sa");
    QTest::keyClick(search, Qt::Key_Return);
    ASSERT_EQ(window->listModel().rowCount(), 1);
    select(0);
    action("mnuOtoDel")->trigger();
    EXPECT_EQ(window->listModel().rowCount(), 0);
    action("mnuUndo")->trigger();
    EXPECT_EQ(window->listModel().rowCount(), 4);
    EXPECT_EQ(list()->currentIndex().row(), 1);
    EXPECT_EQ(window->waveEditor().curOto()->ALS, "sa");
    EXPECT_TRUE(window->waveEditor().isEditable());
}

// Estimate from the ☆ menu: one step of the history, and a report.
TEST(EstimateMenu, EstimatesTheChosenEntriesAsOneStep)
{
    WindowEnv env;
    SungSynth vcv;
    vcv.silence(300).vowel(500).noise(120).vowel(580).silence(300);
    env.bank.write(QString::fromUtf8("_あさあ.wav"), wavimg::wav(vcv.samples));
    env.bank.write("oto.ini", QString::fromUtf8("#CHARSET:UTF8\r\n_あさあ.wav=- あ,0,0,0,0,0\r\n_あさあ.wav=a さ,0,0,0,0,0\r\n"
                                                "_あさあ.wav=@breath,0,0,0,0,0").toUtf8());
    env.window->setFolderChooser([&] { return std::optional<QString>(env.bank.path()); });
    env.child<QAction>("mnuOpen")->trigger();
    const auto lines = [&] {
        QStringList out;
        for (const auto &e : env.window->document().clcOto())
            out << e->fileStr();
        return out;
    };
    const QStringList before = lines();
    EXPECT_EQ(env.child<QAction>("mnuEstimate")->text(), "Estimate - 自動估算");

    ScriptedEstimateUi ui;
    env.window->setEstimateUi(&ui);
    ui.choice = EstimateChoice{analysis::EstimateScope::Unset, {}};
    env.child<QAction>("mnuEstimate")->trigger();
    ASSERT_EQ(ui.asked.size(), 1);
    EXPECT_EQ(ui.asked[0].unset, 3);
    const QStringList after = lines();
    EXPECT_NE(after[0], before[0]);
    EXPECT_NE(after[1], before[1]);
    EXPECT_EQ(after[2], before[2]);  // no syllable: flagged, left alone
    EXPECT_EQ(env.window->document().history().count(), 1);
    ASSERT_EQ(ui.summaries.size(), 1);
    EXPECT_TRUE(ui.summaries[0].startsWith("2 of 3 entries estimated.")) << ui.summaries[0].toStdString();
    EXPECT_TRUE(ui.summaries[0].contains("@breath"));
    EXPECT_EQ(env.window->controller().flags().count(), 1);

    env.child<QAction>("mnuUndo")->trigger();
    EXPECT_EQ(lines(), before);
    ui.choice = std::nullopt;  // cancelled: nothing
    env.child<QAction>("mnuEstimate")->trigger();
    EXPECT_EQ(env.window->document().history().count(), 1);
}
