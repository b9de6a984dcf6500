#include "script/TestHost.h"

#include <gtest/gtest.h>

#include <thread>

using testhost::Session;

TEST(JScript, ErrorsAndValuesCrossingToTheHost)
{
    Session s(QStringLiteral("JScript"));
    struct Failure {
        const char *code;
        int number;
        const char *source;
        const char *description;
    };
    const Failure failures[] = {
        {"throw 'boom';", 4097, "JScript runtime error", "Exception thrown and not caught: boom"},
        {"var o = null;\no.x = 1;", 13, "JScript runtime error", "TypeError: o is null"},
        {"nowhere();", 5009, "JScript runtime error", "ReferenceError: nowhere is not defined"},
        {"var = 1;", 1002, "JScript compilation error", "SyntaxError: missing variable name"},
        {"new Enumerator(curOto);", 13, "JScript runtime error", "TypeError: Object not a collection"},
        // Only objects with a default member can be called.
        {"curOto(1);", 13, "JScript runtime error", "TypeError: curOto is not a function"},
        {"clcOto(9);", 9, "JScript runtime error", "Error: Subscript out of range"},
    };
    for (const Failure &f : failures) {
        EXPECT_FALSE(s.control.addCode(QString::fromUtf8(f.code))) << f.code;
        EXPECT_EQ(s.control.error().number, f.number) << f.code;
        EXPECT_EQ(s.control.error().source, f.source) << f.code;
        EXPECT_EQ(s.control.error().description, f.description) << f.code;
    }
    const auto eval = [&](const char *e) { return s.control.eval(QString::fromUtf8(e)).value_or(script::Value()); };
    EXPECT_EQ(script::traceText(eval("[1, [2, 3], 'x']")), "1,2,3,x");
    EXPECT_EQ(script::typeName(eval("({})")), "JScriptTypeInfo");
    EXPECT_EQ(script::typeName(eval("new Date(2020, 0, 2)")), "Date");
    EXPECT_EQ(script::typeName(eval("2147483648")), "Double");
    EXPECT_EQ(script::typeName(eval("-7")), "Long");
    EXPECT_EQ(script::typeName(eval("clcOto(1)")), "clsOto");
    EXPECT_TRUE(eval("clcOto").isObject());
    EXPECT_TRUE(eval("null").isNull());
    EXPECT_TRUE(eval("undefined").isEmpty());
    // A JScript value handed to the host and back is the same value.
    EXPECT_TRUE(s.control.addCode(QStringLiteral(
        "var a = [1]; env.curOto = clcOto(2); var v = new VBArray(getWave());\n"
        "trace(v.lbound(), v.ubound(), v.getItem(2), v.dimensions(), curOto.als, typeof curOto, curoto.dispStr().length)")));
    EXPECT_EQ(s.host->output, "0 2 -7 1 ka object 10\r\n");

    // Member names ignore case, in reads, writes and `in`, on entries as on
    // collections; a member that does not exist is an error either way.
    s.host->output.clear();
    EXPECT_TRUE(s.control.addCode(QStringLiteral(
        "var o = clcOto(1); o.ALS = 'x'; o.Als += 'y'; o.prmlf = 5; o.PRMLF += 1;\n"
        "trace(o.als, o.aLs, o.prmLF, 'als' in o, 'ALS' in o, 'zz' in o, clcOto.COUNT(), clcoto.Item(1).als)")));
    EXPECT_EQ(s.host->output, "xy xy 6 True True False 3 xy\r\n");
    EXPECT_FALSE(s.control.addCode(QStringLiteral("clcOto(1).nope;")));
    EXPECT_EQ(s.control.error().description, "Error: Object doesn't support this property or method: 'nope'");
    EXPECT_FALSE(s.control.addCode(QStringLiteral("clcOto(1).Nope = 1;")));
    EXPECT_EQ(s.control.error().description, "Error: Object doesn't support this property or method: 'Nope'");

    // An entry's fields are read together and kept only until something
    // may have changed them: a host call, a write, the next run.
    s.host->output.clear();
    s.host->hook = [&] {
        s.host->entries[0]->ALS = QStringLiteral("by call");
        return script::Value();
    };
    EXPECT_TRUE(s.control.addCode(QStringLiteral(
        "var e = clcOto(1), before = e.ALS; callHook(); var after = e.ALS;\n"
        "trace(before, after, clcOto(3).ALS, e.prmLF); e.prmLF = 7; trace(e.prmLF, clcOto(1).prmLF); e.ALS;")));
    s.host->entries[0]->ALS = QStringLiteral("between runs");
    EXPECT_TRUE(s.control.addCode(QStringLiteral("trace(e.ALS, e.ALS === clcOto(1).als)")));
    EXPECT_EQ(s.host->output, "xy by call sa 6\r\n7 7\r\nbetween runs True\r\n");

    // A method read twice off one object is one function; another object's is another.
    s.host->output.clear();
    EXPECT_TRUE(s.control.addCode(QStringLiteral(
        "var f = clcOto.item; trace(f === clcOto.item, clcOto.Item === f, e.dispStr === clcOto(2).dispStr, f(1).als)")));
    EXPECT_EQ(s.host->output, "True True False between runs\r\n");
}

// Each control has a global of its own, beside others on the same thread
// and on another thread (which has an engine context of its own); a
// time-out stops the script of the thread it runs on.
TEST(JScript, ControlsSideBySideAndOnAnotherThread)
{
    Session a(QStringLiteral("JScript")), b(QStringLiteral("JScript"));
    ASSERT_TRUE(a.control.addCode(QStringLiteral("var x = 'a'; var e1 = clcOto(1);")));
    ASSERT_TRUE(b.control.addCode(QStringLiteral("var x = 'b';")));
    QString threadOutput, threadError;
    std::thread other([&] {
        Session c(QStringLiteral("JScript"));
        c.control.setTimeout(200);
        c.control.addCode(QStringLiteral("var x = 'c'; trace(x, clcOto.count(), clcOto(2).ALS);"));
        c.control.addCode(QStringLiteral("var n = 0;\nwhile (n >= 0) { n++; }"));
        threadOutput = c.host->output;
        threadError = QStringLiteral("%1 %2").arg(c.control.error().description).arg(c.control.error().line);
    });
    EXPECT_TRUE(a.control.addCode(QStringLiteral("trace(x, e1.ALS, clcOto(3).ALS)")));
    other.join();
    EXPECT_TRUE(b.control.addCode(QStringLiteral("trace(x)")));
    EXPECT_EQ(a.host->output, "a a sa\r\n");
    EXPECT_EQ(b.host->output, "b\r\n");
    EXPECT_EQ(threadOutput, "c 3 ka\r\n");
    EXPECT_EQ(threadError, "Script timed out 2");
    // A reset control starts afresh; the other keeps its global.
    EXPECT_TRUE(a.control.reset());
    EXPECT_FALSE(a.control.eval(QStringLiteral("x")));
    EXPECT_EQ(b.control.eval(QStringLiteral("x")).value_or(script::Value()).toString(), "b");
}
