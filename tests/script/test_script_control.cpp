#include "support/ScriptedDialogs.h"
#include "script/TestHost.h"
#include "script/MessageBox.h"

#include <gtest/gtest.h>

using testhost::Session;
using script::Value;

namespace {

const QString kVbs = QStringLiteral("VBScript");
const QString kJs = QStringLiteral("javascript");

// A program in the session's language: the VBScript text or the JScript one.
QString pick(const Session &s, const char *vbs, const char *js)
{
    return QString::fromUtf8(s.control.language() == kVbs ? vbs : js);
}

}  // namespace

TEST(ScriptControl, ErrorEventComesBeforeTheCallReturns)
{
    for (const QString &language : {kVbs, kJs}) {
        Session s(language);
        bool returned = false;
        const auto connection = QObject::connect(&s.control, &script::ScriptControl::errorOccurred,
                                                 [&](const script::ScriptError &e) {
                                                     EXPECT_FALSE(returned);
                                                     EXPECT_EQ(e.line, 3);
                                                 });
        EXPECT_FALSE(s.control.addCode(pick(s, "x = 1\n\nx = x.y", "var x = 1;\n\nx.y.z = 2;")));
        returned = true;
        QObject::disconnect(connection);
        ASSERT_EQ(s.events.size(), 1);
        EXPECT_EQ(s.control.error().source, language == kVbs ? "VBScript runtime error" : "JScript runtime error");
        // A syntax error anywhere: nothing runs, the error is a compilation error.
        EXPECT_FALSE(s.control.addCode(pick(s, "trace 1\nx = )", "trace(1);\nvar x = );")));
        EXPECT_EQ(s.control.error().source, language == kVbs ? "VBScript compilation error" : "JScript compilation error");
        EXPECT_EQ(s.control.error().line, 2);
        EXPECT_EQ(s.host->output, "");
        EXPECT_TRUE(s.control.addCode(pick(s, "trace 2", "trace(2)")));
        EXPECT_EQ(s.control.error().number, 0);
        EXPECT_EQ(s.events.size(), 2);
    }
}

TEST(ScriptControl, EvalExecuteAndResetAsTheConsoleUsesThem)
{
    for (const QString &language : {kVbs, kJs}) {
        Session s(language);
        ASSERT_TRUE(s.control.addCode(pick(s, "Function twice(n): twice = n * 2: End Function\ny = 1",
                                           "function twice(n) { return n * 2; }\nvar y = 1;")));
        EXPECT_EQ(s.control.eval(QStringLiteral("twice(20) + 1")).value().toString(), "41");
        EXPECT_TRUE(s.control.executeStatement(pick(s, "y = y + 4", "y = y + 4")));
        EXPECT_EQ(s.control.eval(QStringLiteral("y")).value().toString(), "5");
        EXPECT_EQ(s.control.eval(QStringLiteral("env.curoto.als")).value().toString(), "a");
        // Eval compares where ExecuteStatement assigns.
        if (language == kVbs) {
            EXPECT_EQ(s.control.eval(QStringLiteral("y = 5")).value().toString(), "True");
        }
        EXPECT_TRUE(s.control.reset());
        EXPECT_FALSE(s.control.eval(QStringLiteral("env.curoto.als")));
        EXPECT_EQ(s.events.size(), 1);
        EXPECT_FALSE(s.control.eval(QStringLiteral("twice(1)")));
    }
    script::ScriptControl control;
    EXPECT_EQ(control.language(), "VBScript");
    EXPECT_TRUE(control.setLanguage(QStringLiteral("JavaScript")));
    EXPECT_EQ(control.language(), "JScript");
    EXPECT_FALSE(control.setLanguage(QStringLiteral("Python")));
    EXPECT_EQ(control.eval(QStringLiteral("[1, 2].length + 1")).value().toString(), "3");
    EXPECT_TRUE(control.setLanguage(QStringLiteral("vbscript")));
    EXPECT_EQ(control.eval(QStringLiteral("1 + 1")).value().toString(), "2");
}

TEST(ScriptControl, TimeOutStopsAScriptButNotTheTimeInDialogs)
{
    for (const QString &language : {kVbs, kJs}) {
        Session s(language);
        s.control.setTimeout(200);
        EXPECT_FALSE(s.control.addCode(pick(s, "x = 1\nOn Error Resume Next\nDo: y = 1 / 0: Loop",
                                            "var x = 1;\nvar y = 2;\nwhile (true) { x++; }")));
        const script::ScriptError &e = s.control.error();
        EXPECT_EQ(e.description, "Script timed out") << language.toStdString();
        EXPECT_EQ(e.source, language == kVbs ? "VBScript runtime error" : "JScript runtime error");
        // Inside pure JScript too the report names the line that was running.
        EXPECT_EQ(e.line, 3) << language.toStdString();
        // A JScript loop that calls the host stops at a host call, which
        // names the line.
        if (language == kJs) {
            EXPECT_FALSE(s.control.addCode("var x = 1;\nwhile (true) {\n  x += clcOto.Count();\n}"));
            EXPECT_EQ(s.control.error().description, "Script timed out");
            EXPECT_EQ(s.control.error().line, 3);
            EXPECT_EQ(s.control.error().text, "  x += clcOto.Count();");
        }
        // 600 ms waiting as in dialogs fit in a 200 ms limit; the clock
        // runs again afterwards.
        EXPECT_TRUE(s.control.addCode(pick(s, "wait 300: wait 300: trace \"done\"", "wait(300); wait(300); trace('done');")));
        EXPECT_EQ(s.host->output, "done\r\n");
        EXPECT_FALSE(s.control.addCode(pick(s, "wait 10\nWhile True: Wend", "wait(10);\nfor (;;) {}")));
        EXPECT_EQ(s.control.error().description, "Script timed out");
        s.control.setTimeout(0);
        EXPECT_TRUE(s.control.addCode(pick(s, "For i = 1 To 200000: Next", "for (var i = 0; i < 200000; i++) {}")));
    }
}

TEST(ScriptControl, AScriptTakingTooMuchMemoryEndsWithOutOfMemory)
{
    for (const QString &language : {kVbs, kJs}) {
        Session s(language);
        EXPECT_EQ(s.control.memoryLimit(), qint64(1) << 30);
        s.control.setMemoryLimit(qint64(64) << 20);
        s.control.setTimeout(30000);  // long enough that only the limit ends these
        EXPECT_FALSE(s.control.addCode(pick(s,
                                            "On Error Resume Next\nDim a(): ReDim a(0): i = 0\nDo\n"
                                            "  ReDim Preserve a(i): a(i) = Space(1000000) & i: i = i + 1\nLoop",
                                            "var a = [];\ntry {\n  while (true) a.push(new Array(100000).fill(a.length + 0.5));\n"
                                            "} catch (e) {}\nfor (;;) {}")));
        EXPECT_EQ(s.control.error().number, 7) << language.toStdString();
        EXPECT_EQ(s.control.error().description, "Out of memory") << language.toStdString();
        // The next call starts afresh, with room again.
        s.control.setMemoryLimit(0);
        EXPECT_TRUE(s.control.addCode(pick(s, "trace 1", "trace(1);")));
    }
}

TEST(ScriptControl, HostileScriptsEndWithAnErrorReport)
{
    struct Hostile {
        const QString &language;
        const char *program;
        const char *description;
        qint64 memoryLimit = 0;  // 0: the default
    };
    const Hostile cases[] = {
        {kVbs, "Function f(n): f = f(n + 1): End Function\nx = f(1)", "Out of stack space"},
        {kVbs, "ReDim a(100000000)", "Out of memory"},
        {kVbs, "ReDim a(10000, 10000)", "Out of memory"},
        {kVbs, "s = \"x\": Do: s = s & s: Loop", "Out of string space"},
        {kVbs, "s = Space(100000000)", "Out of string space"},
        {kVbs, "On Error Resume Next\nDo: x = x + 1: Loop", "Script timed out"},
        {kJs, "function f(n) { return f(n + 1) + 1; }\nf(1);", "InternalError: too much recursion"},
        // Doubling a string runs into the memory limit long before the time-out.
        {kJs, "var s = 'x'; while (true) s += s;", "Out of memory", qint64(64) << 20},
    };
    for (const Hostile &h : cases) {
        Session s(h.language);
        s.control.setTimeout(1500);
        if (h.memoryLimit)
            s.control.setMemoryLimit(h.memoryLimit);
        EXPECT_FALSE(s.control.addCode(QString::fromUtf8(h.program))) << h.program;
        EXPECT_EQ(s.control.error().description, QString::fromUtf8(h.description)) << h.program;
    }
    // Source nested beyond the parser's depth is refused, not run.
    Session s(kVbs);
    EXPECT_FALSE(s.control.addCode(QStringLiteral("x = ") + QString(5000, u'(') + u'1' + QString(5000, u')')));
    EXPECT_EQ(s.control.error().source, "VBScript compilation error");
    EXPECT_FALSE(s.control.addCode(QStringLiteral("x = 1") + QStringLiteral(" + 1").repeated(5000)));
    EXPECT_EQ(s.control.error().description, "Code nested too deeply");
}

TEST(ScriptControl, MessageAndInputBoxesGoThroughDialogs)
{
    ScriptedDialogs dialogs;
    dialogs.answers = {MsgAnswer::No};
    dialogs.inputAnswers = {QStringLiteral("Ann"), std::nullopt};
    Session s(kVbs, &dialogs);
    EXPECT_TRUE(s.control.addCode(QStringLiteral(
        "r = MsgBox(\"Save?\", vbYesNoCancel + vbQuestion + vbDefaultButton2, \"T\")\n"
        "trace r, r = vbNo, MsgBox(\"hi\"), InputBox(\"Name?\", \"Ask\", \"def\"), \"[\" & InputBox(\"x\") & \"]\"")));
    EXPECT_EQ(s.host->output, "7 True 1 Ann []\r\n");
    ASSERT_EQ(dialogs.messages.size(), 2);
    EXPECT_EQ(dialogs.messages[0].text, "Save?");
    EXPECT_EQ(dialogs.messages[0].title, "T");
    EXPECT_EQ(dialogs.messages[0].buttons, MsgButtons::YesNoCancel);
    EXPECT_EQ(dialogs.messages[0].icon, MsgIcon::Question);
    EXPECT_EQ(dialogs.messages[0].defaultButton, MsgAnswer::No);
    EXPECT_EQ(dialogs.messages[1].title, Dialogs::programTitle());
    ASSERT_EQ(dialogs.inputs.size(), 2);
    EXPECT_EQ(dialogs.inputs[0].prompt, "Name?");
    EXPECT_EQ(dialogs.inputs[0].title, "Ask");
    EXPECT_EQ(dialogs.inputs[0].defaultText, "def");

    // Style flags to button sets, default buttons and the returned codes.
    struct Box {
        int flags;
        MsgButtons buttons;
        MsgIcon icon;
        MsgAnswer defaultButton;
        MsgAnswer answer;
        int code;
    };
    const Box boxes[] = {
        {0, MsgButtons::Ok, MsgIcon::None, MsgAnswer::Ok, MsgAnswer::Ok, 1},
        {1 + 16 + 256, MsgButtons::OkCancel, MsgIcon::Critical, MsgAnswer::Cancel, MsgAnswer::Cancel, 2},
        {2 + 48 + 512, MsgButtons::AbortRetryIgnore, MsgIcon::Warning, MsgAnswer::Ignore, MsgAnswer::Abort, 3},
        {5 + 64, MsgButtons::RetryCancel, MsgIcon::Information, MsgAnswer::Retry, MsgAnswer::Retry, 4},
        {2 + 768, MsgButtons::AbortRetryIgnore, MsgIcon::None, MsgAnswer::Ignore, MsgAnswer::Ignore, 5},
        {4, MsgButtons::YesNo, MsgIcon::None, MsgAnswer::Yes, MsgAnswer::Yes, 6},
    };
    for (const Box &b : boxes) {
        ScriptedDialogs d;
        d.answers = {b.answer};
        EXPECT_EQ(script::showMessageBox(d, QStringLiteral("p"), b.flags, QStringLiteral("t")), b.code) << b.flags;
        EXPECT_EQ(d.messages[0].buttons, b.buttons) << b.flags;
        EXPECT_EQ(d.messages[0].icon, b.icon) << b.flags;
        EXPECT_EQ(d.messages[0].defaultButton, b.defaultButton) << b.flags;
    }
}

TEST(ScriptControl, InterruptStopsAScriptWaitingInTheHost)
{
    for (const QString &language : {kVbs, kJs}) {
        Session s(language);
        s.control.setTimeout(0);
        s.host->hook = [&] {
            s.control.interrupt();
            return Value();
        };
        EXPECT_FALSE(s.control.addCode(pick(s, "On Error Resume Next\ncallHook\nDo: trace \"x\": Loop",
                                            "callHook();\nwhile (true) {}")));
        EXPECT_EQ(s.control.error().description, "Script stopped");
        EXPECT_TRUE(s.control.addCode(pick(s, "y = 1", "var y = 1;")));
        s.control.interrupt();  // nothing is running: nothing happens
        EXPECT_TRUE(s.control.addCode(pick(s, "y = 2", "y = 2;")));
    }
}

TEST(ScriptControl, ARunningEngineRefusesCallsFromEventHandlers)
{
    for (const QString &language : {kVbs, kJs}) {
        Session s(language);
        s.host->hook = [&] {
            EXPECT_TRUE(s.control.isRunning());
            EXPECT_FALSE(s.control.reset());
            EXPECT_FALSE(s.control.setLanguage(kVbs));
            EXPECT_FALSE(s.control.addCode(QStringLiteral("x = 2")));
            EXPECT_FALSE(s.control.eval(QStringLiteral("1")));
            return Value(qint32(7));
        };
        EXPECT_TRUE(s.control.addCode(pick(s, "x = 1: trace callHook(), x", "var x = 1; trace(callHook(), x);")));
        EXPECT_EQ(s.host->output, "7 1\r\n");
        EXPECT_FALSE(s.control.isRunning());
        EXPECT_TRUE(s.events.isEmpty());
    }
}
