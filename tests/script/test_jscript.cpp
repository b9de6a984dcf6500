#include "script/TestHost.h"

#include <gtest/gtest.h>

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
        {"var o = null;\no.x = 1;", 13, "JScript runtime error", "TypeError: Value is null and could not be converted to an object"},
        {"nowhere();", 5009, "JScript runtime error", "ReferenceError: nowhere is not defined"},
        {"var = 1;", 1002, "JScript compilation error", "SyntaxError: Expected token `identifier'"},
        {"new Enumerator(curOto);", 13, "JScript runtime error", "TypeError: Object not a collection"},
        // Only objects with a default member can be called.
        {"curOto(1);", 13, "JScript runtime error", "TypeError: Property 'curOto' of object [null] is not a function"},
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
}
