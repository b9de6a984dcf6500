#include "app/frmScript.h"
#include "ui/QtDialogs.h"
#include "support/WindowEnv.h"
#include "tools/AliasRewrite.h"
#include "view/WaveEditor.h"

#include <QElapsedTimer>
#include <QLineEdit>
#include <QMessageBox>
#include <QScrollBar>
#include <QListView>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTimer>
#include <gtest/gtest.h>

namespace {

struct ConsoleFixture : ::testing::Test, WindowEnv {
    ConsoleFixture()
    {
        openBank({{"ka", "a.wav"}, {"sa", "b.wav"}, {"ta", "c.wav"}}, "10,20,-100,15,5", 4410);
        child<QListView>("lstOto")->setCurrentIndex(window->listModel().index(0));
        child<QAction>("mnuExpScript")->trigger();
        console = window->console();
    }
    template <class T = QWidget> T *part(const char *name) { return console->findChild<T *>(name); }
    void click(const char *button) { part<QPushButton>(button)->click(); }
    QPlainTextEdit *box() { return part<QPlainTextEdit>("txtScript"); }
    QString output() { return part<QPlainTextEdit>("txtDebug")->toPlainText(); }
    void run(const QString &code)
    {
        box()->setPlainText(code);
        click("cmdRun");
    }
    void command(const char *button, const QString &text)
    {
        part<QLineEdit>("txtCmd")->setText(text);
        click(button);
    }

    QPointer<frmScript> console;
};

}  // namespace

TEST_F(ConsoleFixture, DefaultScriptErrorsEvalAndTheCommandBox)
{
    ASSERT_TRUE(console);
    EXPECT_EQ(console->windowTitle(), "\\OTO Script/");
    EXPECT_EQ(part<QPushButton>("cmdSptLang")->text(), "[vbs] / js");
    click("cmdRun");  // the default script, in VBScript: its message box, then the success line
    ASSERT_EQ(dialogs.messages.size(), 1);
    EXPECT_EQ(dialogs.messages[0].text, "welcome to Lirra VBScript!");
    EXPECT_EQ(output(), QString::fromUtf8("Script has run successfully. 執行成功。\n"));
    click("cmdSptLang");
    click("cmdRun");
    EXPECT_EQ(dialogs.messages.last().text, "welcome to Lirro JScript");
    click("cmdSptLang");

    run("x = 1\ny = 2\nz = (3\nw = 4\n");  // a syntax error in line 3
    EXPECT_TRUE(output().startsWith("Error at line 3\nVBScript compilation error\n")) << output().toStdString();
    EXPECT_TRUE(output().endsWith("z = (3\n\n"));
    EXPECT_FALSE(output().contains("successfully"));
    EXPECT_EQ(box()->textCursor().selectedText(), "z = (3");

    command("cmdEval", "1+1");
    EXPECT_TRUE(output().endsWith("z = (3\n\n2\n"));
    click("cmdReset");
    part<QPlainTextEdit>("txtDebug")->clear();
    command("cmdEval", "env.curoto.als");  // no env before a Run: the report, then an empty line
    EXPECT_TRUE(output().startsWith("VBScript runtime error\n")) << output().toStdString();
    EXPECT_TRUE(output().endsWith("\n\n\n"));
    EXPECT_EQ(box()->textCursor().selectedText(), "z = (3");  // left alone

    run("trace 1, \"a\", true\nset w = newObj(\"WAVE\")\ntrace typename(w), isnull(newObj(\"abc\"))\ntrace Sample(arraytest(), 1)\n");
    // newObj's message comes while trace's arguments are worked out.
    EXPECT_EQ(output(), QString::fromUtf8("1 a True\ninvalid newobj call: abc\nclsWave True\n1\n"
                                          "Script has run successfully. 執行成功。\n"));
    part<QPlainTextEdit>("txtDebug")->clear();
    part<QLineEdit>("txtCmd")->setText("trace \"exec\"");
    QTest::keyClick(part<QLineEdit>("txtCmd"), Qt::Key_Return);  // Enter is Exec
    EXPECT_EQ(output(), "exec\n");
}

TEST_F(ConsoleFixture, TimeoutAnswersIndentationHelpAndSamples)
{
    const auto answer = [&](std::optional<QString> text) {
        dialogs.inputAnswers = {text};
        click("cmdTimeout");
        return std::pair(console->engine().timeout(), part<QPushButton>("cmdTimeout")->text());
    };
    EXPECT_EQ(answer("0.4"), std::pair(400, QString("Timeout: 0.4s")));
    EXPECT_EQ(dialogs.inputs[0].title, "Set script timeout");
    EXPECT_EQ(dialogs.inputs[0].defaultText, "3");
    EXPECT_EQ(answer("-3"), std::pair(400, QString("Timeout: 0.4s")));
    EXPECT_EQ(answer("2000000"), std::pair(400, QString("Timeout: 0.4s")));
    EXPECT_EQ(answer(std::nullopt), std::pair(0, QString("Timeout: 0s")));

    box()->setPlainText("\t\tx = 1");
    box()->moveCursor(QTextCursor::End);
    QTest::keyClick(box(), Qt::Key_Return);
    EXPECT_EQ(box()->toPlainText(), "\t\tx = 1\n\t\t");
    box()->setPlainText("  y = 2");
    box()->moveCursor(QTextCursor::End);
    QTest::keyClick(box(), Qt::Key_Return);
    EXPECT_EQ(box()->toPlainText(), "  y = 2\n");

    box()->setPlainText("a");
    click("cmdHelp");
    click("cmdHelp");
    const QString twice = box()->toPlainText();
    EXPECT_EQ(twice.count("'';//env: Oto editor form"), 2);
    EXPECT_TRUE(twice.endsWith("\n'';//\n"));
    for (int language : {0, 1}) {
        click("cmdSptSample");
        EXPECT_TRUE(box()->toPlainText().startsWith(language ? "function listoto(){" : "sub listoto"));
        click("cmdRun");  // lists every entry
        EXPECT_TRUE(output().startsWith("ka\ta.wav\t10 -100 15 20 5\nsa\t")) << output().toStdString();
        click("cmdSptLang");
    }
    click("cmdSptLang");
    click("cmdSptSample");  // JScript's sample, then the engine back in VBScript: a compilation error
    click("cmdSptLang");
    click("cmdRun");
    EXPECT_TRUE(output().startsWith("Error at line 1\nVBScript compilation error\n"));
}

TEST_F(ConsoleFixture, ScriptsWorkOnTheLiveDocumentAsOneStep)
{
    OtoDocument &doc = window->document();
    run("env.curoto.als = \"changed\"\n");
    EXPECT_EQ(doc.clcOto()[0]->ALS, "changed");
    // The list shows the entries as the run left them, selection kept.
    EXPECT_EQ(window->listModel().data(window->listModel().index(0)).toString(), "changed\ta.wav");
    EXPECT_EQ(child<QLineEdit>("txtALS")->text(), "changed");
    run("F5LstOto\n");  // a list filled again keeps the current entry selected
    EXPECT_EQ(window->listModel().data(window->listModel().index(0)).toString(), "changed\ta.wav");
    EXPECT_EQ(child<QListView>("lstOto")->currentIndex().row(), 0);
    EXPECT_EQ(doc.history().count(), 1);  // the second run changed nothing
    EXPECT_TRUE(doc.blnChanged());
    child<QAction>("mnuUndo")->trigger();
    EXPECT_EQ(doc.clcOto()[0]->ALS, "ka");

    // The current entry removed by the script: its row goes, the next one
    // is selected and shown, list and collection stay in step.
    run("env.clcoto.remove 1\nredrawall\ntrace env.curidx, env.curoto.als, env.lstoto.listcount\n");
    EXPECT_TRUE(output().startsWith("0 sa 2\n")) << output().toStdString();
    EXPECT_EQ(doc.clcOto().size(), 2);
    EXPECT_TRUE(window->waveEditor().isEditable());
    run("env.lstoto.listindex = 1\ntrace env.curoto.als, env.lstoto.itemdata(1), env.lstoto.listdata(0)\n");
    EXPECT_TRUE(output().startsWith("ta 1 0\n")) << output().toStdString();
    EXPECT_EQ(child<QListView>("lstOto")->currentIndex().row(), 1);
    child<QAction>("mnuUndo")->trigger();
    EXPECT_EQ(doc.clcOto().size(), 3);

    // Controls and settext.
    run("settext env.txtALS, \"quiet\"\ntrace env.txtALS.Text, env.txtprm(0).enabled\n");
    EXPECT_TRUE(output().startsWith("quiet True\n"));
}

TEST_F(ConsoleFixture, YieldStopAndClosingDuringAScript)
{
    QTimer::singleShot(50, console, [&] {
        click("cmdRun");  // refused while the script waits in yield
        click("cmdStop");
    });
    run("n = 0\ndo while not isStop()\n  n = n + 1\n  yield\nloop\ntrace \"stopped\", n > 0\n");
    EXPECT_TRUE(output().startsWith("stopped True\n")) << output().toStdString();

    QTimer::singleShot(50, console, [&] { console->close(); });
    run("do\n  yield\nloop\n");
    QTest::qWait(50);
    EXPECT_TRUE(console.isNull());  // stopped, then closed
    child<QAction>("mnuExpScript")->trigger();  // loaded afresh
    console = window->console();
    ASSERT_TRUE(console);
    EXPECT_TRUE(box()->toPlainText().contains("welcome"));

    // The main window closing while a script waits: stopped, then both close.
    QTimer::singleShot(50, window.get(), [&] { window->close(); });
    run("do\n  yield\nloop\n");
    QTest::qWait(50);
    EXPECT_TRUE(console.isNull());
    EXPECT_FALSE(window->isVisible());
}

TEST_F(ConsoleFixture, StopAndTheTimeoutQuestionReachAScriptThatNeverYields)
{
    // Does act once, as soon as the script runs (whatever the machine's load).
    const auto whileRunning = [&](std::function<void()> act) {
        auto *poll = new QTimer(console);
        poll->setInterval(20);
        QObject::connect(poll, &QTimer::timeout, poll, [this, poll, act] {
            if (!console->engine().isRunning())
                return;
            poll->stop();
            poll->deleteLater();
            act();
        });
        poll->start();
    };
    console->engine().setTimeout(30000);  // only if Stop failed
    const char *scripts[2] = {"x = 0\nDo\n  x = x + Len(Join(Array(x, x), \",\"))\nLoop\n",
                              "var x = 0;\nfor (;;) {\n  x += clcOto.Count();\n}\n"};
    for (int js : {0, 1}) {
        if (js)
            click("cmdSptLang");
        whileRunning([&] {
            QTest::mouseClick(part<QPushButton>("cmdStop"), Qt::LeftButton);
            QTest::mouseClick(part<QPushButton>("cmdRun"), Qt::LeftButton);  // waits for the script
        });
        QElapsedTimer clock;
        clock.start();
        run(scripts[js]);
        // A second to see isStop, then stopped wherever it was.
        EXPECT_LT(clock.elapsed(), 20000) << js;
        EXPECT_TRUE(output().contains("Script stopped")) << js << output().toStdString();
        EXPECT_FALSE(output().contains("successfully")) << js;
    }
    // The time-out question answered while the script runs limits it.
    dialogs.inputAnswers = {QString("0.5")};
    whileRunning([&] { QTest::mouseClick(part<QPushButton>("cmdTimeout"), Qt::LeftButton); });
    run(scripts[1]);
    EXPECT_TRUE(output().contains("Script timed out")) << output().toStdString();
    EXPECT_EQ(part<QPushButton>("cmdTimeout")->text(), "Timeout: 0.5s");
    // Other input waits for the script: typing into the command box does
    // nothing while it runs.
    QString typed = QStringLiteral("unset");
    part<QLineEdit>("txtCmd")->clear();
    whileRunning([&] {
        QTest::keyClicks(part<QLineEdit>("txtCmd"), "zz");
        typed = part<QLineEdit>("txtCmd")->text();
    });
    run(scripts[1]);
    EXPECT_EQ(typed, "");
}

TEST_F(ConsoleFixture, AnErrorReportStaysInViewAndBoxesBelongToTheConsole)
{
    // A report taller than the box (its source line wraps): its first
    // line, the first of the output, stays in view.
    run("x = 1 / 0 ' " + QString(3000, u'y') + "\n");
    auto *debug = part<QPlainTextEdit>("txtDebug");
    ASSERT_TRUE(output().startsWith("Error at line 1\n"));
    QTextCursor start(debug->document());
    EXPECT_TRUE(debug->viewport()->rect().contains(debug->cursorRect(start)));
    EXPECT_GT(debug->verticalScrollBar()->maximum(), 0);  // the report does not fit
    run("trace \"after\"\n");
    EXPECT_TRUE(output().startsWith("after\n"));  // writes went on at the end

    // With the real boxes, a script's message box has the console as parent.
    QtDialogs real(window.get());
    frmScript own(*window, locale, real, 0);
    QWidget *parent = nullptr;
    QTimer::singleShot(100, &own, [&] {
        if (auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget())) {
            parent = box->parentWidget();
            box->accept();
        }
    });
    own.findChild<QPlainTextEdit *>("txtScript")->setPlainText("MsgBox \"hi\"\n");
    own.cmdRun_Click();
    EXPECT_EQ(parent, &own);
}

// The same rename through a script in both languages and through Replace
// gives the same file.
TEST(ConsoleRename, ScriptsAndBatchReplaceWriteTheSameFile)
{
    WindowEnv env;
    QByteArray oto = "#CHARSET:UTF8\r\n";
    for (int i = 0; i < 5000; ++i)
        oto += QString("w%1.wav=- ka%2,1,2,3,4,5\r\n").arg(i % 7).arg(i).toUtf8();
    const auto open = [&] {
        env.bank.write("oto.ini", oto);
        env.window->setFolderChooser([&] { return std::optional<QString>(env.bank.path()); });
        env.dialogs.answers = {MsgAnswer::No};
        env.child<QAction>("mnuOpen")->trigger();
    };
    open();
    env.dialogs.inputAnswers = {QString("ka=ga")};
    env.child<QAction>("mnuExpReplace")->trigger();
    env.window->document().save();
    const QByteArray replaced = env.bank.read("oto.ini");
    ASSERT_TRUE(replaced.contains("=- ga4999,"));

    const QString scripts[2] = {
        "for each e in env.clcoto\n e.als = replace(e.als, \"ka\", \"ga\")\nnext\nsaveoto\n",
        "var c = env.clcoto; for (var i = 1; i <= c.count(); i++) { var e = c.item(i); e.als = e.als.split('ka').join('ga'); }\nsaveoto();\n"};
    for (int js : {0, 1}) {
        open();
        env.child<QAction>("mnuExpScript")->trigger();
        frmScript *console = env.window->console();
        if (js)
            console->findChild<QPushButton *>("cmdSptLang")->click();
        console->findChild<QPlainTextEdit *>("txtScript")->setPlainText(scripts[js]);
        console->findChild<QPushButton *>("cmdRun")->click();
        EXPECT_TRUE(console->findChild<QPlainTextEdit *>("txtDebug")->toPlainText().contains("successfully")) << js;
        EXPECT_EQ(env.bank.read("oto.ini"), replaced) << js;
        console->close();
        QApplication::processEvents();
    }
}
