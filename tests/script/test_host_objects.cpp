#include "script/TestHost.h"

#include <gtest/gtest.h>

using testhost::Session;

namespace {

QString run(Session &s, const char *program)
{
    return s.run(QString::fromUtf8(program)).replace(QStringLiteral("\r\n"), QStringLiteral("|"));
}

// The same host feature used from both languages.
struct Case {
    const char *vbs;
    const char *js;
    const char *output;
    const char *jsOutput = nullptr;  // when JScript's differs
};

}  // namespace

TEST(HostObjects, EveryFeatureWorksAlikeInBothLanguages)
{
    const Case cases[] = {
        // Properties read and written in any case; entries are live.
        {"Set e = env.CUROTO: trace e.als, e.Fil, e.PRMLF: e.ALS = \"x\": e.prmlf = 1.25: trace curOto.als, CurOto.prmLF",
         "var e = env.CUROTO; trace(e.als, e.Fil, e.PRMLF); e.ALS = 'x'; e.prmlf = 1.25; trace(curOto.als, curoto.prmLF);",
         "a _a.wav 100.5|x 1.25|"},
        // A collection: Count with and without parentheses, Item as the
        // default member, positions from 1, walked in order.
        {"Set c = env.clcOto: trace c.Count, c.count(), c(2).ALS, c.Item(3).als\n"
         "For Each i In c: s = s & i.ALS & \",\": Next: trace s",
         "var c = env.clcOto; trace(c.Count(), c.count(), c(2).ALS, c.Item(3).als);\n"
         "var s = ''; for (var i = 0; i < c.count; i++) s += c(i + 1).als + ','; trace(s);",
         "3 3 ka sa|a,ka,sa,|"},
        {"For Each i In clcoto: s = s & i.prmLF & \" \": Next: For Each i In CLCOTO: t = t & i.dispStr(): Next: trace s, Len(t)",
         "var s = ''; for (var e = new Enumerator(clcoto); !e.atEnd(); e.moveNext()) s += e.item().prmLF + ' ';\n"
         "var t = ''; for (const i of clcOto) t += i.dispStr(); trace(s, t.length);",
         "100.5 201 301.5  28|"},
        // Indexed properties.
        {"env.ItemData(2) = 7: ItemData(3) = 8: trace itemdata(2), env.ITEMDATA(3), ItemData(4)",
         "trace(env.ItemData(2), itemdata(4));", "7 8 0|", "0 0|"},
        // Integer arrays of the host versus Variant arrays; Sample reads both.
        {"w = getWave(): trace w(2), UBound(w), Sample(w, 2), Sample(getData(), 1), UBound(getData()), TypeName(getData())",
         "var w = getWave(); trace(Sample(w, 2), Sample(getData(), 1), new VBArray(w).toArray().join('/'),\n"
         "new VBArray(getData()).ubound(), typeof w[0]);",
         "-7 2 -7 1 2 Integer()|", "-7 1 0/1/-7 2 undefined|"},
        // trace's text forms; values without one report and go on.
        {"trace 1, \"a\", True, 1.5, Empty, -2: tracenl \"x\": tracenl \"y\": trace\ntrace curOto\ntrace getData(), 1\ntrace Null",
         "trace(1, 'a', true, 1.5, undefined, -2); tracenl('x'); tracenl('y'); trace();\ntrace(curOto);\n"
         "trace(getData(), 1);\ntrace(null);",
         "1 a True 1.5  -2|xy|Invalid argument for trace|Object doesn't support this property or method|"
         "Invalid argument for trace|Type mismatch|Invalid argument for trace|Invalid use of Null|"},
        {"trace Join(Array(1, 2), \",\")", "trace([1, 2, 'x'], [])", "1,2|", "1,2,x |"},
        {"trace 1, 2, 3, 4, 5, 6, 7, \"8\", 9", "trace(1, 2, 3, 4, 5, 6, 7, '8', 9)", "1 2 3 4 5 6 7 8 9|"},
        // Nothing and null; new objects added to the collection.
        {"Set curOto = Nothing: trace curOto Is Nothing, IsObject(curOto)\n"
         "Set n = newObj(\"OTO\"): n.ALS = \"new\": clcOto.Add n: trace clcOto.Count, clcOto(4).ALS\n"
         "Set z = newObj(\"abc\"): trace z Is Nothing",
         "curOto = null; trace(curOto === null, typeof curOto);\n"
         "var n = newObj('OTO'); n.ALS = 'new'; clcOto.Add(n); trace(clcOto.Count(), clcOto(4).ALS);\n"
         "var z = newObj('abc'); trace(z === null);",
         "True True|4 new|invalid newobj call: abc|True|", "True object|4 new|invalid newobj call: abc|True|"},
        // A failing host member is an error the script can handle.
        {"On Error Resume Next\nx = clcOto(9).ALS\ntrace Err.Number, Err.Description",
         "try { clcOto(9).ALS; } catch (e) { trace(e.number, e.message); }", "9 Subscript out of range|"},
    };
    for (const Case &c : cases) {
        Session vbs(QStringLiteral("VBScript"));
        EXPECT_EQ(run(vbs, c.vbs), QString::fromUtf8(c.output)) << c.vbs;
        Session js(QStringLiteral("javascript"));
        EXPECT_EQ(run(js, c.js), QString::fromUtf8(c.jsOutput ? c.jsOutput : c.output)) << c.js;
    }
}

TEST(HostObjects, ChangesReachTheDocumentAndAbsentMembersNameTheLine)
{
    for (const char *language : {"VBScript", "javascript"}) {
        Session s(QString::fromUtf8(language));
        const bool vbs = s.control.language() == u"VBScript";
        EXPECT_TRUE(s.control.addCode(vbs ? QStringLiteral("clcOto(2).ALS = \"ga\": curIdx = 2")
                                          : QStringLiteral("clcOto(2).ALS = 'ga'; curIdx = 2;")));
        EXPECT_EQ(s.host->entries[1]->ALS, "ga");
        EXPECT_EQ(s.host->curIdx, 2);
        EXPECT_EQ(s.control.eval(QStringLiteral("CLCOTO(1).als")).value_or(script::Value()).toString(),
                  vbs ? "a" : "");  // JScript globals are only in the listed and lower case
        EXPECT_FALSE(s.control.addCode(vbs ? QStringLiteral("x = 1\ntrace curOto.nope")
                                           : QStringLiteral("var x = 1;\ntrace(curOto.nope);")));
        const script::ScriptError &e = s.control.error();
        EXPECT_EQ(e.line, 2) << language;
        EXPECT_TRUE(e.description.contains(u"Object doesn't support this property or method")) << e.description.toStdString();
        EXPECT_EQ(e.source, vbs ? "VBScript runtime error" : "JScript runtime error");
        EXPECT_EQ(e.text, vbs ? "trace curOto.nope" : "trace(curOto.nope);");
    }
}
