#include "script/ScriptSource.h"
#include "script/TestHost.h"
#include "script/vbs/Objects.h"
#include "script/vbs/Runtime.h"

#include <QElapsedTimer>

#include <gtest/gtest.h>

using testhost::Session;

namespace {

// Runs a VBScript program; what it traced, lines joined by "|", or the
// error report.
QString vbs(const char *program)
{
    Session s(QStringLiteral("VBScript"));
    return s.run(QString::fromUtf8(program)).replace(QStringLiteral("\r\n"), QStringLiteral("|"));
}

struct Case {
    const char *program;
    const char *output;
};

void check(std::initializer_list<Case> cases)
{
    for (const Case &c : cases)
        EXPECT_EQ(vbs(c.program), QString::fromUtf8(c.output)) << c.program;
}

}  // namespace

TEST(VBScript, OperatorsFollowVBScriptPrecedence)
{
    check({
        {"trace 2 + 3 * 4, -2 ^ 2, 2 ^ 3 ^ 2, 2 ^ -1, 7 \\ 2 * 3, 10 Mod 4 \\ 3", "14 -4 64 0.5 1 0|"},
        {"trace 1 + 2 & 3 + 4, Not 1 = 2, 1 < 2 = True, 5 - 3 - 1, 12 / 2 / 3", "37 True True 1 2|"},
        {"trace True And False, 5 And 3, 5 Or 2, 5 Xor 1, Not 0, True Eqv False, False Imp True",
         "False 1 7 4 -1 False True|"},
        {"trace 7.5 \\ 2, 8.5 \\ 2, 7.5 Mod 2, -7 Mod 3, 7 Mod -3", "4 4 0 -1 1|"},
        {"Set a = Nothing: Set b = a: trace a Is b, a Is Nothing, Not a Is Nothing", "True True False|"},
    });
}

TEST(VBScript, VariantsConvertAndGrowAsOnWindows)
{
    check({
        {"trace TypeName(1), TypeName(32768), TypeName(2147483648), TypeName(1.5), TypeName(\"a\"), "
         "TypeName(Empty), TypeName(Null), TypeName(True), TypeName(Nothing), TypeName(Array())",
         "Integer Long Double Double String Empty Null Boolean Nothing Variant()|"},
        {"x = 32767: x = x + 1: y = 2147483647: y = y + 1: z = -32768: trace TypeName(x), x, TypeName(y), y, "
         "TypeName(z), TypeName(x * 2), TypeName(5 / 1)",
         "Long 32768 Double 2147483648 Long Long Double|"},
        {"trace \"3\" + 4, \"3\" + \"4\", \"3\" * \"4\", 5 & 6, 1 + Empty, TypeName(Empty + Empty), \"a\" & Null",
         "7 34 12 56 1 Integer a|"},
        {"trace 0.1 + 0.2, 1E+20, 1E-05, 1 / 3, 123456789012345678, 100.5 * 2, -0.5, CSng(1) / 3",
         "0.3 1E+20 1E-05 0.333333333333333 1.23456789012346E+17 201 -0.5 0.3333333|"},
        {"trace CInt(\"12\"), CLng(2.5), CLng(3.5), CInt(-2.5), CDbl(\"1e3\"), CBool(\"true\"), CBool(2), CStr(True)",
         "12 2 4 -2 1000 True True True|"},
        {"trace Int(-2.5), Fix(-2.5), Int(2.7), Abs(-3), Sgn(-2), Sqr(16), Hex(255), Hex(-1), Hex(CLng(-1)), Oct(8)",
         "-3 -2 2 3 -1 4 FF FFFF FFFFFFFF 10|"},
        {"trace Round(2.5), Round(3.5), Round(-2.5), Round(2.25, 1), Round(1.5), TypeName(Round(2))",
         "2 4 -2 2.2 2 Integer|"},
        {"trace IsNumeric(\"1e3\"), IsNumeric(\" 12 \"), IsNumeric(\"abc\"), IsNumeric(Empty), IsNumeric(\"\"), "
         "IsEmpty(q), IsNull(Null), IsObject(Nothing), IsArray(Array(1)), VarType(1.5), VarType(\"\"), "
         "VarType(Array()), VarType(Null)",
         "True True False True False True True True True 5 8 8204 1|"},
        // A literal keeps its type in a comparison; two variables compare
        // a number as less than any string.
        {"s = \"10\": n = 10: t = \"abc\": trace s = 10, s > 9, 10 < \"9\", n = \"10\", n < t, Empty = 0, "
         "Empty = \"\", IsNull(Null = 1), \"a\" < \"b\", \"B\" < \"a\"",
         "True True False True True True True True True True|"},
    });
}

TEST(VBScript, StringBuiltins)
{
    check({
        {"s = \"Hello, World\": trace Len(s), Left(s, 2), Right(s, 3), Mid(s, 8), Mid(s, 8, 2), UCase(s), LCase(s)",
         "12 He rld World Wo HELLO, WORLD hello, world|"},
        {"trace InStr(\"abcabc\", \"c\"), InStr(4, \"abcabc\", \"c\"), InStr(\"abc\", \"x\"), InStr(1, \"aBc\", \"b\", 1), "
         "InStrRev(\"abcabc\", \"b\"), InStrRev(\"abcabc\", \"b\", 4), InStr(\"abc\", \"\")",
         "3 6 0 2 5 2 1|"},
        {"trace Replace(\"a-b-c\", \"-\", \"+\"), Replace(\"a-b-c\", \"-\", \"\", 3), Replace(\"a-b-c\", \"-\", \"+\", 1, 1), "
         "Replace(\"AbA\", \"a\", \"x\", 1, -1, 1)",
         "a+b+c bc a+b-c xbx|"},
        {"a = Split(\"a,b,,c\", \",\"): trace UBound(a), a(3), Join(a, \"/\"), UBound(Split(\"\")), Join(Split(\"x y\"))",
         "3 c a/b//c -1 x y|"},
        {"trace \"[\" & Trim(\"  x  \") & \"][\" & LTrim(\" x \") & \"][\" & RTrim(\" x \") & \"][\" & Space(2) & \"]\"",
         "[x][x ][ x][  ]|"},
        {"trace String(3, \"ab\"), String(2, 65), StrReverse(\"abc\"), StrComp(\"a\", \"B\"), StrComp(\"a\", \"A\", 1), "
         "Asc(\"A\"), AscW(\"あ\"), Chr(66), ChrW(12354), Len(vbCrLf), Len(vbTab & vbLf & vbCr)",
         "aaa AA cba 1 0 65 12354 B あ 2 3|"},
    });
}

TEST(VBScript, StatementsAndControlFlow)
{
    check({
        // Block and one-line If, ElseIf, Else; colons and line continuation.
        {"For i = 1 To 4\n If i = 1 Then\n  trace \"one\"\n ElseIf i = 2 Then\n  trace \"two\"\n Else\n  trace \"more\"\n"
         " End If\nNext\nIf 1 = 2 Then trace \"x\" Else trace \"y\": trace \"z\"\nx = 1 + _\n  2: trace x",
         "one|two|more|more|y|z|3|"},
        {"For i = 10 To 1 Step -3: s = s & i & \" \": Next: trace s\nFor x = 0 To 1 Step 0.25: t = t & x & \";\": Next: trace t",
         "10 7 4 1 |0;0.25;0.5;0.75;1;|"},
        {"Do While i < 3: i = i + 1: Loop: trace i\nDo Until i = 0: i = i - 1: Loop: trace i\n"
         "Do: i = i + 1: Loop While i < 5: trace i\nDo: i = i + 1: If i = 9 Then Exit Do\nLoop: trace i\n"
         "While i > 6: i = i - 1: Wend: trace i",
         "3|0|5|9|6|"},
        {"For i = 1 To 10\n For j = 1 To 10\n  If j = 2 Then Exit For\n Next\n If i = 3 Then Exit For\nNext\ntrace i, j",
         "3 2|"},
        {"For Each v In Array(1, \"b\", 2.5): s = s & v & \"|\": Next: trace s", "1|b|2.5||"},
        {"Function pick(n)\nSelect Case n\nCase \"x\": pick = \"letter\"\nCase 1, 2: pick = \"low\"\nCase 3 To 5: pick = \"mid\"\n"
         "Case Is > 100: pick = \"big\"\nCase Else: pick = \"other\"\nEnd Select\nEnd Function\n"
         "trace pick(2), pick(4), pick(500), pick(\"x\"), pick(50)",
         "low mid big letter other|"},
        // Keywords and names in any case; comments with ' and Rem.
        {"DIM X: x = 5 ' five\nREM a remark\nIF x > 1 THEN TRACE X: rem another", "5|"},
        {"Option Explicit\nDim a, b(1)\nConst K = 3, NAME = \"k\"\na = K: b(1) = NAME: trace a, b(1), K * 2", "3 k 6|"},
        {"Set d = CreateObject(\"Scripting.Dictionary\")\nWith d\n .Add \"k\", 1\n .Item(\"j\") = 2\n trace .Count, .Item(\"j\")\nEnd With",
         "2 2|"},
        // A call with one parenthesised argument and further arguments.
        {"trace (1) + 1, 2\ntrace(\"x\")\nCall trace(3, 4)", "2 2|x|3 4|"},
    });
}

TEST(VBScript, ProceduresPassByRefUnlessTold)
{
    check({
        {"Sub inc(x): x = x + 1: End Sub\nSub incVal(ByVal x): x = x + 1: End Sub\n"
         "a = 1: inc a: trace a\ninc (a): trace a\nCall inc(a): trace a\nincVal a: trace a",
         "2|2|3|3|"},
        {"Sub setAll(ByRef x, y): x = \"x\": y = \"y\": End Sub\nDim arr(1): setAll arr(0), arr(1): trace arr(0), arr(1)",
         "x y|"},
        {"Function fact(n)\n If n <= 1 Then fact = 1: Exit Function\n fact = n * fact(n - 1)\nEnd Function\ntrace fact(10)",
         "3628800|"},
        {"Function big(a, b)\n big = a\n If b > big Then big = b\nEnd Function\ntrace big(3, 8), big(9, 2)", "8 9|"},
        {"Sub f\n y = 5\n g = 1\nEnd Sub\ng = 0: f: trace g, IsEmpty(y)", "1 True|"},
        {"Function twice(s): twice = s & s: End Function\ntrace twice(\"ab\"), Len(twice(twice(\"x\")))", "abab 4|"},
    });
}

TEST(VBScript, Arrays)
{
    check({
        {"Dim a(2): a(0) = \"x\": a(2) = 3: trace LBound(a), UBound(a), a(0), a(2), IsEmpty(a(1))", "0 2 x 3 True|"},
        {"Dim m(1, 2): m(1, 2) = 7: m(0, 1) = 1: trace UBound(m, 1), UBound(m, 2), m(1, 2) + m(0, 1)", "1 2 8|"},
        {"ReDim a(1): a(0) = 1: a(1) = 2: ReDim Preserve a(3): a(3) = 4: trace UBound(a), a(0), a(1), a(3)\n"
         "ReDim a(0): trace IsEmpty(a(0))",
         "3 1 2 4|True|"},
        {"ReDim m(1, 1): m(1, 1) = 5: ReDim Preserve m(1, 3): trace m(1, 1), UBound(m, 2)", "5 3|"},
        // Arrays are values: assignment copies.
        {"a = Array(1, 2): b = a: b(0) = 9: trace a(0), b(0)", "1 9|"},
        {"Dim a(1): a(0) = 5: Erase a: trace IsEmpty(a(0)), UBound(a)\nDim b(): ReDim b(2): trace UBound(b)", "True 1|2|"},
        {"trace Split(\"a b c\")(2), Array(Array(1, 2), 3)(0)(1)", "c 2|"},
    });
}

TEST(VBScript, OnErrorResumeNextAndErr)
{
    check({
        {"On Error Resume Next\nx = 1 / 0\ntrace Err.Number, Err.Description, Err.Source\nErr.Clear\ntrace Err.Number, Err",
         "11 Division by zero VBScript runtime error|0 0|"},
        {"On Error Resume Next\nErr.Raise vbObjectError + 5, \"Mine\", \"my words\"\ntrace Err.Number, Err.Source, Err.Description\n"
         "Err.Raise 13\ntrace Err.Description",
         "-2147221499 Mine my words|Type mismatch|"},
        // An error in a procedure ends it and is handled by the caller.
        {"Sub bad\n x = 1 / 0\n trace \"not here\"\nEnd Sub\nOn Error Resume Next\nbad\ntrace \"after\", Err.Number", "after 11|"},
        {"On Error Resume Next\nx = 1 / 0\nOn Error GoTo 0\ntrace Err.Number\ny = 1 / 0\ntrace \"no\"",
         "0|#5 VBScript runtime error | Division by zero | y = 1 / 0"},
    });
}

TEST(VBScript, DictionaryAndRegExp)
{
    check({
        {"Set d = CreateObject(\"Scripting.Dictionary\")\nd.Add \"a\", 1: d.Add 2, \"two\": d(\"c\") = 3\n"
         "trace d.Count, d(\"a\"), d.Item(2), d.Exists(\"c\"), d.Exists(\"2\"), Join(d.Keys, \",\"), Join(d.Items, \",\")\n"
         "d.Remove \"a\": trace d.Count, IsEmpty(d(\"zz\")), d.Count\nFor Each k In d: s = s & k: Next: trace s\n"
         "d.RemoveAll: trace d.Count",
         "3 1 two True False a,2,c 1,two,3|2 True 3|2czz|0|"},
        {"Set d = CreateObject(\"Scripting.Dictionary\"): d.CompareMode = 1: d.Add \"Ka\", 1: trace d.Exists(\"KA\"), d(\"ka\")",
         "True 1|"},
        {"Set re = New RegExp: re.Pattern = \"^(\\w+)_(\\d+)$\"\ntrace re.Test(\"ka_12\"), re.Test(\"ka 12\"), re.Replace(\"ka_12\", \"$2-$1\")",
         "True False 12-ka|"},
        {"Set re = CreateObject(\"VBScript.RegExp\"): re.Pattern = \"a(\\d)\": re.Global = True: re.IgnoreCase = True\n"
         "Set ms = re.Execute(\"xA1 a2 b3 a4\"): trace ms.Count, ms(1).Value, ms(1).FirstIndex, ms(2).SubMatches(0)\n"
         "For Each m In ms: s = s & m.Length: Next: trace s, re.Replace(\"a1a2\", \"<$&>\")",
         "3 a2 4 4|222 <a1><a2>|"},
        {"Set re = New RegExp: re.Pattern = \"- \": trace re.Replace(\"- a - b\", \"\")", "a - b|"},
    });
}

TEST(VBScript, ErrorsReportLineSourceAndDescription)
{
    struct ErrorCase {
        const char *program;
        int line;
        const char *source;
        const char *description;
        const char *text;
    };
    const char *const compile = "VBScript compilation error";
    const char *const runtime = "VBScript runtime error";
    const ErrorCase cases[] = {
        {"trace \"ran\"\nx = (2", 2, compile, "Expected ')'", "x = (2"},
        {"x = 1 +", 1, compile, "Expected expression", "x = 1 +"},
        {"If x Then\ny = 1", 2, compile, "Expected 'End'", "y = 1"},
        {"For i = 1 To 3\nx = 1", 2, compile, "Expected 'Next'", "x = 1"},
        {"trace(1, 2)", 1, compile, "Cannot use parentheses when calling a Sub", "trace(1, 2)"},
        {"x = \"abc", 1, compile, "Unterminated string constant", "x = \"abc"},
        {"Dim a\nDim a", 2, compile, "Name redefined", "Dim a"},
        {"Class C\nSub f\nEnd Class", 3, compile, "Expected 'Sub'", "End Class"},
        {"Class C\nProperty Let p()\nEnd Property\nEnd Class", 2, compile,
         "Property set or let must have at least one argument", "Property Let p()"},
        {"x = Me", 1, compile, "Must be defined inside a Class", "x = Me"},
        {"x = Eval(\"1 +\")", 1, runtime, "Expected expression", "x = Eval(\"1 +\")"},
        {"Set r = GetRef(\"nothere\")", 1, runtime, "Invalid procedure call or argument", "Set r = GetRef(\"nothere\")"},
        {"x = DateSerial(2024, 13, 1) + CCur(\"1e300\")", 1, runtime, "Overflow",
         "x = DateSerial(2024, 13, 1) + CCur(\"1e300\")"},
        {"Exit For", 1, compile, "Invalid 'exit' statement", "Exit For"},
        {"trace 1\nx = 1 / 0", 2, runtime, "Division by zero", "x = 1 / 0"},
        {"Dim a(2)\na(3) = 1", 2, runtime, "Subscript out of range", "a(3) = 1"},
        {"x = \"a\" * 2", 1, runtime, "Type mismatch", "x = \"a\" * 2"},
        {"Option Explicit\ny = 1", 2, runtime, "Variable is undefined: 'y'", "y = 1"},
        {"Dim o\no.x = 1", 2, runtime, "Object required: 'o'", "o.x = 1"},
        {"x = CInt(40000)", 1, runtime, "Overflow", "x = CInt(40000)"},
        {"Sub f(a)\nEnd Sub\nf 1, 2", 3, runtime, "Wrong number of arguments or invalid property assignment: 'f'", "f 1, 2"},
        {"trace env.nothere", 1, runtime, "Object doesn't support this property or method: 'env.nothere'",
         "trace env.nothere"},
        {"Function f()\n  f = 1 / 0\nEnd Function\nx = f()", 2, runtime, "Division by zero", "  f = 1 / 0"},
        {"x = y(1)", 1, runtime, "Type mismatch: 'y'", "x = y(1)"},
        {"Err.Raise 1000, \"MySrc\", \"custom\"", 1, "MySrc", "custom", "Err.Raise 1000, \"MySrc\", \"custom\""},
        {"Set x = 5", 1, runtime, "Object required", "Set x = 5"},
        {"For Each x In 5: Next", 1, runtime, "Object not a collection", "For Each x In 5: Next"},
        {"x = Null & Null: y = Len(x) + CStr(x)", 1, runtime, "Invalid use of Null", "x = Null & Null: y = Len(x) + CStr(x)"},
    };
    for (const ErrorCase &c : cases) {
        Session s(QStringLiteral("VBScript"));
        EXPECT_FALSE(s.control.addCode(QString::fromUtf8(c.program))) << c.program;
        const script::ScriptError &e = s.control.error();
        EXPECT_EQ(e.line, c.line) << c.program;
        EXPECT_EQ(e.source, QString::fromUtf8(c.source)) << c.program;
        EXPECT_EQ(e.description, QString::fromUtf8(c.description)) << c.program;
        EXPECT_EQ(e.text, QString::fromUtf8(c.text)) << c.program;
        // Compilation errors stop everything before it runs.
        if (c.source == compile) {
            EXPECT_EQ(s.host->output, QString()) << c.program;
        }
        ASSERT_EQ(s.events.size(), 1) << c.program;
    }
}

TEST(VBScript, LiteralsBuiltinsAndTheirErrors)
{
    check({
        {"trace &HFF, &H10000, &O17, TypeName(&HFFFF), &HFFFF, &HFFFF&, 1.5E3, .5, \"a\"\"b\"",
         "255 65536 15 Integer -1 65535 1500 0.5 a\"b|"},
        // VBScript's own generator: the same numbers as on Windows.
        {"a = Rnd: b = Rnd: trace a, b, Rnd(0)\nx = Rnd(-3): y = Rnd: z = Rnd(-3): trace x = z, y = Rnd",
         "0.7055475 0.533424 0.533424|True True|"},
        {"d = Now: trace TypeName(d), TypeName(Date), TypeName(Time), TypeName(Timer), d - d, TypeName(d - d), "
         "TypeName(d + 1), Now >= Date",
         "Date Date Date Single 0 Double Date True|"},
        {"trace ScriptEngine, IsNumeric(True), CBool(\"0\"), CStr(Empty) = \"\", Len(123), Len(Null) & \"x\", "
         "Exp(0), Log(1), Sin(0), Cos(0), Atn(0), Join(Array(\"a\", Null, 1), \"-\"), LBound(Array())",
         "VBScript True False True 3 x 1 0 0 1 0 a--1 0|"},
        {"trace Sqr(-1)", "#1 VBScript runtime error | Invalid procedure call or argument | trace Sqr(-1)"},
        {"x = Mid(\"a\", 0)", "#1 VBScript runtime error | Invalid procedure call or argument | x = Mid(\"a\", 0)"},
        {"x = 2 ^ 10000", "#1 VBScript runtime error | Overflow | x = 2 ^ 10000"},
        {"x = 0 / 0", "#1 VBScript runtime error | Overflow | x = 0 / 0"},
        {"x = 5 \\ 0", "#1 VBScript runtime error | Division by zero | x = 5 \\ 0"},
        {"x = UBound(5)", "#1 VBScript runtime error | Type mismatch | x = UBound(5)"},
        {"ReDim a(-2)", "#1 VBScript runtime error | Subscript out of range: 'a' | ReDim a(-2)"},
        {"Dim a(1)\nReDim a(2)", "#2 VBScript runtime error | This array is fixed or temporarily locked: 'a' | ReDim a(2)"},
        {"x = Array(1)(5)", "#1 VBScript runtime error | Subscript out of range | x = Array(1)(5)"},
        {"x = Nothing + 1", "#1 VBScript runtime error | Object variable not set | x = Nothing + 1"},
        {"x = Len()", "#1 VBScript runtime error | Wrong number of arguments or invalid property assignment: 'Len' | x = Len()"},
        {"Err.Raise 0", "#1 VBScript runtime error | Invalid procedure call or argument | Err.Raise 0"},
        {"Set x = New Foo", "#1 VBScript runtime error | Class not defined: 'Foo' | Set x = New Foo"},
        {"Set x = CreateObject(\"Excel.Application\")",
         "#1 VBScript runtime error | ActiveX component can't create object: 'Excel.Application' | "
         "Set x = CreateObject(\"Excel.Application\")"},
        {"Set d = CreateObject(\"Scripting.Dictionary\")\nd.Add 1, 1: d.Add 1, 2",
         "#2 VBScript runtime error | This key is already associated with an element of this collection | d.Add 1, 1: d.Add 1, 2"},
        {"Set d = CreateObject(\"Scripting.Dictionary\"): d.Remove 9",
         "#1 VBScript runtime error | Element not found | Set d = CreateObject(\"Scripting.Dictionary\"): d.Remove 9"},
        {"Set re = New RegExp: re.Pattern = \"(\": x = re.Test(\"a\")",
         "#1 VBScript runtime error | Syntax error in regular expression | Set re = New RegExp: re.Pattern = \"(\": x = re.Test(\"a\")"},
        {"x = CInt(\"12abc\")", "#1 VBScript runtime error | Type mismatch | x = CInt(\"12abc\")"},
    });
}

TEST(VBScript, StatementEdgeCases)
{
    check({
        {"For i = 1 To 3: Next: trace i\nFor i = 3 To 1: trace \"never\": Next: trace i", "4|3|"},
        {"Sub setTen(x): x = 10: End Sub\nFor i = 1 To 3: setTen i: Next: trace i", "11|"},
        {"Do\n Select Case i\n Case 3: Exit Do\n End Select\n i = i + 1\nLoop\ntrace i", "3|"},
        {"If Null Then trace \"x\" Else trace \"y\"\nIf True Then If False Then trace 1 Else trace 2", "y|2|"},
        {"Select Case \"B\": Case \"a\", \"b\": trace \"hit\": Case Else: trace \"binary\": End Select", "binary|"},
        {"Set re = New RegExp\nWith re\n .Pattern = \"a\"\n With CreateObject(\"Scripting.Dictionary\")\n  .Add \"k\", re.Test(\"cat\")\n"
         "  trace .Item(\"k\"), re.Pattern\n End With\n trace .Global\nEnd With",
         "True a|False|"},
        {"x = 1: y = 2: z = x + _\n  y + _\n  3: trace z ' comment\nRem another\ntrace \"a\" & _\n \"b\"", "6|ab|"},
        {"Function f(a, b)\n f = a & b\nEnd Function\ntrace f(f(1, 2), f(\"x\", Empty))", "12x|"},
        {"Sub s: Exit Sub: trace \"no\": End Sub: s: trace \"yes\"", "yes|"},
        {"Dim i: i = 2: Function g(): g = i * 10: End Function: trace g()", "20|"},
        {"Private p: Public q: p = 1: q = 2: trace p + q", "3|"},
        // s = s & ... appends in place only where that cannot be noticed.
        {"Function f(): s = \"changed\": f = \"!\": End Function\ns = \"a\": s = s & f(): trace s", "a!|"},
        {"On Error Resume Next\ns = \"a\": s = s & \"b\" & (1 / 0): trace s, Err.Number", "a 11|"},
        {"s = Null: s = s & \"x\": t = 5: t = t & \"y\": u = \"u\": v = u: u = u & \"2\": trace s, t, u, v", "x 5y u2 u|"},
    });
}

TEST(VBScript, ChunksShareOneGlobalNamespace)
{
    Session s(QStringLiteral("VBScript"));
    // A procedure may call one that a later chunk defines.
    EXPECT_TRUE(s.control.addCode(QStringLiteral("Function later(): later = helper() * 2: End Function\n"
                                                 "Function bad()\n  bad = 1 / 0\nEnd Function\ncount = 5")));
    EXPECT_TRUE(s.control.addCode(QStringLiteral("Function helper(): helper = 21: End Function\ntrace later(), count + 1")));
    EXPECT_EQ(s.host->output, "42 6\r\n");
    // An error inside another chunk's procedure names that chunk's line.
    EXPECT_FALSE(s.control.addCode(QStringLiteral("trace 1\nx = bad()")));
    EXPECT_EQ(s.control.error().line, 3);
    EXPECT_EQ(s.control.error().text, "  bad = 1 / 0");
    // A chunk that fails to compile changes nothing.
    EXPECT_FALSE(s.control.addCode(QStringLiteral("Function helper(): helper = 0: End Function\nx = (")));
    EXPECT_EQ(s.control.eval(QStringLiteral("helper()")).value().toString(), "21");
    EXPECT_TRUE(s.control.executeStatement(QStringLiteral("a = 1: b = a + 1")));
    EXPECT_EQ(s.control.eval(QStringLiteral("b")).value().toString(), "2");
    // A later definition replaces an earlier one for later calls.
    EXPECT_TRUE(s.control.addCode(QStringLiteral("Function helper(): helper = 1: End Function")));
    EXPECT_EQ(s.control.eval(QStringLiteral("later()")).value().toString(), "2");
    EXPECT_TRUE(s.control.addCode(QStringLiteral("Option Explicit\nDim declared: declared = 1")));
    EXPECT_FALSE(s.control.addCode(QStringLiteral("Option Explicit\nundeclared = 1")));
    EXPECT_EQ(s.control.error().description, "Variable is undefined: 'undeclared'");
}

TEST(VBScript, ExpressionsGiveVBScriptsValuesAndTypes)
{
    // Eval of each expression: its text and TypeName, or its error.
    const std::pair<const char *, const char *> cases[] = {
        {"True + True", "-2 Integer"},
        {"True * 1.5", "-1.5 Double"},
        {"\"5\" - 2", "3 Double"},
        {"\"5\" + 2", "7 Double"},
        {"\"5\" & 2", "52 String"},
        {"CSng(1.5) + 1", "2.5 Single"},
        {"CSng(1.5) + CLng(1)", "2.5 Double"},
        {"CSng(1) / CSng(4)", "0.25 Single"},
        {"32767 + 1", "32768 Long"},
        {"-32768 - 1", "-32769 Long"},
        {"2147483647 + 1", "2147483648 Double"},
        {"200 * 200", "40000 Long"},
        {"65536 * 65536", "4294967296 Double"},
        {"7 \\ 2", "3 Integer"},
        {"70000 \\ 2", "35000 Long"},
        {"7.9 \\ 2", "4 Long"},
        {"-7 \\ 2", "-3 Integer"},
        {"5.5 Mod 2", "0 Long"},
        {"2 ^ 2", "4 Double"},
        {"Empty + Empty", "0 Integer"},
        {"Empty & Empty", " String"},
        {"Empty * 5", "0 Integer"},
        {"Null + 1", "Invalid use of Null"},
        {"IsNull(Null + 1)", "True Boolean"},
        {"IsNull(Null & Null)", "True Boolean"},
        {"Null & 1", "1 String"},
        {"IsNull(Null And True)", "True Boolean"},
        {"Null And False", "False Boolean"},
        {"Null Or True", "True Boolean"},
        {"IsNull(Not Null)", "True Boolean"},
        {"False Imp Null", "True Boolean"},
        {"Not 5", "-6 Integer"},
        {"Not 70000", "-70001 Long"},
        {"Not \"True\"", "False Boolean"},
        {"6 And 3.4", "2 Long"},
        {"True And 3", "3 Integer"},
        {"-(-32768)", "32768 Long"},
        {"-True", "1 Integer"},
        {"- \"2\"", "-2 Double"},
        {"+\"2\"", "2 String"},
        {"1 = 1.0", "True Boolean"},
        {"\"abc\" < \"abd\"", "True Boolean"},
        {"\"10\" < \"9\"", "True Boolean"},
        {"True = -1", "True Boolean"},
        {"Empty = False", "True Boolean"},
        {"\"a\" = 1", "Type mismatch"},
        {"Array(1) = 1", "Type mismatch"},
        {"1 Is Nothing", "Object required"},
        {"Nothing Is Nothing", "True Boolean"},
        {"TypeName(CByte(1.5)) & CByte(2.5)", "Byte2 String"},
        {"CInt(-32768.5)", "-32768 Integer"},
        {"CInt(32767.5)", "Overflow"},
        {"CLng(\"&HFFFF\")", "-1 Long"},
        {"CBool(\"yes\")", "Type mismatch"},
        {"CDbl(True)", "-1 Double"},
        {"CStr(1E+100)", "1E+100 String"},
        {"CStr(CSng(123456789))", "1.234568E+08 String"},
        {"Int(-0.5)", "-1 Double"},
        {"Int(\"3.7\")", "3 Double"},
        {"Fix(CSng(-2.5))", "-2 Single"},
        {"Abs(-32768)", "32768 Long"},
        {"Round(-0.5)", "0 Double"},
        {"Round(1.25, 1)", "1.2 Double"},
        {"Hex(\"255\")", "FF String"},
        {"Asc(\"\")", "Invalid procedure call or argument"},
        {"Chr(65) & ChrW(-1)", "A\xef\xbf\xbf String"},
        {"Left(\"abc\", 5) & Right(\"abc\", 0)", "abc String"},
        {"Mid(\"abc\", 5)", " String"},
        {"Left(Null, 1)", "Invalid use of Null"},
        {"IsNull(Left(Null, 1))", "True Boolean"},
        {"StrComp(\"a\", \"a\") + StrComp(\"a\", \"b\")", "-1 Integer"},
        {"Space(0) = \"\"", "True Boolean"},
        {"UBound(Array(1, 2), 2)", "Subscript out of range"},
        {"Join(Array())", " String"},
        {"VarType(Err)", "3 Integer"},
        {"VarType(Nothing)", "9 Integer"},
        {"TypeName(CreateObject(\"Scripting.Dictionary\"))", "Dictionary String"},
        {"TypeName(New RegExp)", "IRegExp2 String"},
        {"TypeName(clcOto)", "Collection String"},
        {"Err.Number", "0 Long"},
    };
    Session s(QStringLiteral("VBScript"));
    for (const auto &[expression, expected] : cases) {
        QString got;
        try {
            const auto v = s.control.eval(QString::fromUtf8(expression));
            got = v ? script::traceText(*v) + u' ' + script::typeName(*v) : s.control.error().description;
        } catch (const script::ScriptException &e) {
            got = e.description;  // a value trace cannot write (Null)
        }
        EXPECT_EQ(got, QString::fromUtf8(expected)) << expression;
    }
}

TEST(VBScript, CompileErrorsPointAtTheirPlace)
{
    struct Case {
        const char *program;
        int line, column;
        const char *description;
    };
    const Case cases[] = {
        {"If x\ny = 1", 1, 5, "Expected 'Then'"},
        {"Do\nx = 1", 2, 6, "Expected 'Loop'"},
        {"Do While\nLoop", 1, 9, "Expected expression"},
        {"Do x\nLoop", 1, 4, "Expected 'While' or 'Until'"},
        {"While x\nLoop", 2, 1, "Expected 'Wend'"},
        {"Select Case x\ny = 1\nEnd Select", 2, 1, "Expected 'Case'"},
        {"For Each x 1\nNext", 1, 12, "Expected 'In'"},
        {"For x = 1 2\nNext", 1, 11, "Expected 'To'"},
        {"For 1 = 1 To 2\nNext", 1, 5, "Invalid 'for' loop control variable"},
        {"x = 1 2", 1, 7, "Expected end of statement"},
        {"x = 1 # 2", 1, 7, "Invalid character"},
        {"x = 1.5.5", 1, 8, "Expected end of statement"},
        {"x = &HFFFFFFFFF", 1, 5, "Invalid number"},
        {"Loop", 1, 1, "'loop' without 'do'"},
        {"Next", 1, 1, "Unexpected 'Next'"},
        {"Sub f\nEnd Function", 2, 5, "Expected 'Sub'"},
        {"Function f\nx = 1", 2, 6, "Expected 'End'"},
        {"Sub f\nSub g\nEnd Sub\nEnd Sub", 2, 1, "Syntax error"},
        {"Dim 5", 1, 5, "Expected identifier"},
        {"Const c", 1, 8, "Expected '='"},
        {"Const c = x", 1, 11, "Expected literal constant"},
        {"Dim a(n)", 1, 7, "Expected integer constant"},
        {"Sub f(a, a)\nEnd Sub", 1, 10, "Name redefined"},
        {"Sub f\nEnd Sub\nSub F\nEnd Sub", 3, 5, "Name redefined"},
        {"Exit Do", 1, 6, "Invalid 'exit' statement"},
        {"Sub f\nExit Function\nEnd Sub", 2, 6, "Invalid 'exit' statement"},
        {"On Error GoTo 1", 1, 15, "Syntax error"},
        {"x = .y", 1, 5, "Syntax error"},
        {"x = Then", 1, 5, "Expected expression"},
        {"x = a.", 1, 7, "Expected identifier"},
        {"a(1)(2)", 1, 8, "Expected statement"},
        {"Option Strict", 1, 8, "Syntax error"},
        {"x = [unclosed", 1, 5, "Invalid character"},
    };
    for (const Case &c : cases) {
        Session s(QStringLiteral("VBScript"));
        EXPECT_FALSE(s.control.addCode(QString::fromUtf8(c.program))) << c.program;
        const script::ScriptError &e = s.control.error();
        EXPECT_EQ(e.source, "VBScript compilation error") << c.program;
        EXPECT_EQ(e.description, QString::fromUtf8(c.description)) << c.program;
        EXPECT_EQ(e.line, c.line) << c.program;
        EXPECT_EQ(e.column, c.column) << c.program;
    }
}

TEST(VBScript, RegExpDetails)
{
    check({
        {"Set re = New RegExp: re.Pattern = \"^b\": trace re.Test(\"a\" & vbLf & \"b\"): re.MultiLine = True: "
         "trace re.Test(\"a\" & vbLf & \"b\")",
         "False|True|"},
        {"Set re = New RegExp: re.Pattern = \"\\u3042+\": re.Global = True: trace re.Replace(\"xああy\", \"[$&]\")", "x[ああ]y|"},
        {"Set re = New RegExp: re.Pattern = \"b\": trace re.Replace(\"abc\", \"<$`|$'|$$|$1>\")", "a<a|c|$|$1>c|"},
        {"Set re = New RegExp: re.Pattern = \"x*\": re.Global = True: trace re.Replace(\"ab\", \"-\")", "-a-b-|"},
        {"Set re = New RegExp: re.Pattern = \"(a)|(b)\": Set m = re.Execute(\"b\")(0): "
         "trace m.SubMatches.Count, IsEmpty(m.SubMatches(0)), m.SubMatches(1), re.Execute(\"ab\").Count",
         "2 True b 1|"},
        {"Set re = New RegExp: re.Pattern = \"K\": re.IgnoreCase = True: trace re.Test(\"ok\"), re.Execute(\"kK\").Count", "True 1|"},
        {"Set re = New RegExp: re.Pattern = \"(\\d)(\\d)(\\d)(\\d)(\\d)(\\d)(\\d)(\\d)(\\d)(\\d)(\\d)\": "
         "trace re.Replace(\"12345678901\", \"$11$10$1\")",
         "101|"},
    });
}

TEST(VBScript, TimeLimitReachesIntoLongBuiltinsAndCompilation)
{
    // Each of these spends most of its time inside single statements (a
    // copy, a join, a replace, dictionary keys) or in compiling; counting
    // loop iterations alone would let them run on for minutes. The bound
    // below only tells "stopped at its limit" from "escaped it".
    QString manyLines;
    for (int i = 0; i < 400000; ++i)
        manyLines += QStringLiteral("Dim v%1\n").arg(i);
    const QString programs[] = {
        QStringLiteral("s = String(4000000, \"a\")\nDo: t = Replace(s, \"a\", \"bb\"): Loop"),
        QStringLiteral("ReDim a(4000000)\nDo: b = a: b(0) = 1: Loop"),
        QStringLiteral("ReDim a(10)\nDo: ReDim Preserve a(4000000): ReDim Preserve a(10): Loop"),
        QStringLiteral("Set d = CreateObject(\"Scripting.Dictionary\")\nFor i = 1 To 300000: d(i) = i: Next\n"
                       "Do: k = d.Keys: Loop"),
        QStringLiteral("ReDim a(2000000)\nDo: s = Join(a, \",\"): Loop"),
        manyLines,
    };
    for (const QString &program : programs) {
        Session s(QStringLiteral("VBScript"));
        s.control.setTimeout(100);
        QElapsedTimer clock;
        clock.start();
        EXPECT_FALSE(s.control.addCode(program)) << program.left(60).toStdString();
        EXPECT_EQ(s.control.error().description, "Script timed out") << program.left(60).toStdString();
        EXPECT_LT(clock.elapsed(), 5000) << program.left(60).toStdString();
    }
}

TEST(VBScript, ScriptTextIsReadInEveryUnicodeFormAndNeverCut)
{
    const QString text = QStringLiteral("trace \"あ\"");
    QByteArray le("\xff\xfe"), be("\xfe\xff");
    for (const QChar c : text) {
        le += char(c.unicode() & 0xFF), le += char(c.unicode() >> 8);
        be += char(c.unicode() >> 8), be += char(c.unicode() & 0xFF);
    }
    QString error;
    for (const QByteArray &bytes : {le, be, "\xef\xbb\xbf" + text.toUtf8(), text.toUtf8()})
        EXPECT_EQ(script::decodeScript(bytes, &error).value_or(QStringLiteral("<refused>")), text) << bytes.toHex().toStdString();
    // Not UTF-8 and no mark (Shift-JIS): refused rather than garbled.
    EXPECT_FALSE(script::decodeScript(QByteArray("trace \"\x82\xa0\""), &error));
    EXPECT_TRUE(error.contains(QStringLiteral("UTF-8")));
    // One character over the limit is refused whole, with the limit named.
    EXPECT_FALSE(script::decodeScript(QByteArray(script::kMaxScriptLength + 1, '\''), &error));
    EXPECT_TRUE(error.contains(QString::number(script::kMaxScriptLength))) << error.toStdString();
    Session s(QStringLiteral("VBScript"));
    EXPECT_FALSE(s.control.addCode(QString(script::kMaxScriptLength + 1, u'\'')));
    EXPECT_EQ(s.control.error().description, script::scriptTooLongText());
}

TEST(VBScript, TheRuntimeFreesEveryObjectItMadeCyclesIncluded)
{
    using namespace script;
    Deadline deadline;
    std::shared_ptr<vbs::Heap> heap;
    Value dictionary, node;
    {
        vbs::Runtime rt(nullptr, deadline);
        heap = rt.heap();
        rt.runCode(QStringLiteral(R"(
Class Node
    Public other
End Class
Set d = CreateObject("Scripting.Dictionary")
d(d) = 1
Set e = CreateObject("Scripting.Dictionary")
e.Add "self", Array(e)
Set a = New Node: Set b = New Node
Set a.other = b: Set b.other = a
Set e = Nothing: Set a = Nothing: Set b = Nothing
Set c = New Node
Set c.other = d
)"));
        EXPECT_EQ(heap->size(), 5);  // d, e, a, b, c: all alive
        dictionary = rt.evaluate(QStringLiteral("d"));
        node = rt.evaluate(QStringLiteral("c"));
    }
    // What the host still holds stays, emptied; the rest is gone.
    EXPECT_EQ(heap->size(), 2);
    EXPECT_EQ(static_cast<vbs::DictionaryObject &>(*dictionary.object()).count(), 0);
    // A member of an instance whose runtime is gone is an error, not a
    // read of freed memory.
    EXPECT_THROW(readMember(*node.object(), 0, {}, QStringLiteral("c.other")), ScriptException);
    dictionary = node = Value();
    EXPECT_EQ(heap->size(), 0);
}
