#include "bench/BenchSession.h"
#include "bench/BenchUtil.h"
#include "script/ObjectModel.h"
#include "script/ScriptControl.h"

#include <QProcess>
#include <QStandardPaths>

using namespace script;

namespace {

// A generated voicebank opened as `lirra-oto run` opens one: scripts walk
// it through the real object model (env.clcOto over the document).
struct ScriptBank {
    explicit ScriptBank(const QString &folder) : sett(QString()), locale(sett, dialogs), doc(locale, dialogs)
    {
        sett.loadDflt();
        locale.initLocale();
        doc.openFolder(folder);
    }
    bench::SilentDialogs dialogs;
    clsSett sett;
    modLocale locale;
    OtoDocument doc;
};

struct Workload {
    const char *name;
    const char *vbs;
    const char *js;
    const char *python;  // prints its own time in ms, then its result
};

const Workload kWorkloads[] = {
    {"arithmetic loop, 10 000 000 iterations",
     "Sub work\n Dim i, s\n s = 0\n For i = 1 To 10000000\n  s = s + i Mod 7\n Next\n trace s\nEnd Sub\nwork",
     "function work() {\n var s = 0;\n for (var i = 1; i <= 10000000; i++)\n  s = s + i % 7;\n trace(s);\n}\nwork();",
     "def work():\n s = 0\n for i in range(1, 10000001):\n  s = s + i % 7\n return s\n"},
    {"string building, 100 000 pieces",
     "Sub work\n Dim i, s\n s = \"\"\n For i = 1 To 100000\n  s = s & \"piece\" & i & \";\"\n Next\n trace Len(s)\nEnd Sub\nwork",
     "function work() {\n var s = '';\n for (var i = 1; i <= 100000; i++)\n  s += 'piece' + i + ';';\n trace(s.length);\n}\nwork();",
     "def work():\n s = ''\n for i in range(1, 100001):\n  s += 'piece' + str(i) + ';'\n return len(s)\n"},
    {"walk over 50 000 host entries, every field",
     "Sub listoto\n Dim i, clc, arr, ni\n Set clc = env.clcoto\n ReDim arr(clc.Count - 1)\n ni = 0\n For Each i In clc\n"
     "  arr(ni) = i.ALS & vbTab & i.FIL & vbTab & Join(Array(i.prmLF, i.prmRT, i.prmPR, i.prmFX, i.prmOV), \" \")\n"
     "  ni = ni + 1\n Next\n trace Len(Join(arr, vbCrLf))\nEnd Sub\nlistoto",
     "function listoto() {\n var clc = env.clcoto;\n var n = clc.count();\n var arr = [];\n for (var i = 0; i < n; i++) {\n"
     "  var o = clc.item(i + 1);\n  arr.push([o.als, o.fil, [o.prmLF, o.prmRT, o.prmPR, o.prmFX, o.prmOV].join(' ')].join('\\t'));\n"
     " }\n trace(arr.join('\\r\\n').length);\n}\nlistoto();",
     "class Oto:\n def __init__(self, i):\n  self.FIL = '_%d.wav' % i\n  self.ALS = 'a ka%d' % (i % 100)\n  self.prmLF = 100.5 + i % 300\n"
     "  self.prmFX = 80.25\n  self.prmRT = -300.0\n  self.prmPR = 60.0\n  self.prmOV = 20.125\n"
     "clc = [Oto(i) for i in range(50000)]\n"
     "def work():\n arr = []\n for o in clc:\n  arr.append(o.ALS + '\\t' + o.FIL + '\\t' + ' '.join(['%.15g' % x for x in (o.prmLF, o.prmRT, o.prmPR, o.prmFX, o.prmOV)]))\n"
     " return len('\\r\\n'.join(arr))\n"},
};

// Best of three runs of the program in a fresh engine; the trace output of
// the last run in result.
double timeScript(const QString &language, const char *program, OtoDocument &doc, QString &result)
{
    return bench::timeMs([&] {
        ScriptControl control;
        control.setLanguage(language);
        control.setTimeout(0);
        QString output;
        BuiltinHost host;
        host.write = [&](const QString &text) { output += text; };
        host.isStop = [] { return false; };
        host.deadline = &control.deadline();
        EnvState state;
        state.curIdx = [] { return -1; };
        state.curOto = [] { return std::shared_ptr<clsOto>(); };
        state.curwav = [] { return static_cast<const clsWave *>(nullptr); };
        state.intSearchMode = [] { return qint16(0); };
        control.addObject(QStringLiteral("env"), std::make_shared<EnvObject>(doc, state), true);
        control.addObject(QStringLiteral("spt"), std::make_shared<BuiltinsObject>(host), true);
        if (!control.addCode(QString::fromUtf8(program)))
            output = QStringLiteral("error: ") + control.error().description;
        result = output.trimmed();
    });
}

// python3 times its own work with perf_counter, so that starting the
// interpreter is not counted; -1 when there is no python3.
double timePython(const char *program, QString &result)
{
    const QString python = QStandardPaths::findExecutable(QStringLiteral("python3"));
    if (python.isEmpty())
        return -1;
    const QString code = QString::fromUtf8(program)
                         + QStringLiteral("import time\nbest = 1e300\nfor _ in range(3):\n t = time.perf_counter()\n"
                                          " r = work()\n best = min(best, time.perf_counter() - t)\n"
                                          "print(best * 1000)\nprint(r)\n");
    QProcess p;
    p.start(python, {QStringLiteral("-c"), code});
    if (!p.waitForFinished(-1) || p.exitCode() != 0)
        return -1;
    const QStringList lines = QString::fromUtf8(p.readAllStandardOutput()).split(u'\n');
    result = lines.value(1).trimmed();
    return lines.value(0).toDouble();
}

// Compiling is linear: 100 000 Dim lines (aim: under a second), and a
// procedure with as many locals.
void compileBenchmark()
{
    QString globals, locals = QStringLiteral("Sub many\n");
    for (int i = 0; i < 100000; ++i) {
        globals += QStringLiteral("Dim v%1\n").arg(i);
        locals += QStringLiteral("Dim w%1\n").arg(i);
    }
    locals += QStringLiteral("End Sub\n");
    std::printf("  compiling VBScript\n");
    for (const auto &source : {std::pair{"  100 000 Dim lines (aim < 1000 ms)", &globals},
                               std::pair{"  a Sub with 100 000 Dim lines", &locals}}) {
        const char *what = source.first;
        const QString *code = source.second;  // a plain name: lambdas cannot capture bindings in C++20
        bool ok = true;
        const double ms = bench::timeMs([&] {
            ScriptControl control;
            control.setLanguage(QStringLiteral("VBScript"));
            control.setTimeout(0);
            ok = control.addCode(*code) && ok;
        });
        bench::row(what, ms);
        if (!ok)
            std::printf("  %-44s %13s\n", "  (the code did not compile)", "error");
    }
}

}  // namespace

// The same three workloads in our VBScript, in JScript (SpiderMonkey) and in
// python3, with VBScript's time as a multiple of python3's (aim: 2 at most).
void runScriptBenchmarks(const QString &scratch)
{
    // The entries python3 builds for itself in the host walk.
    const QString folder = bench::writeBank(scratch, QStringLiteral("script-bench"), 50000, [](int i) {
        return QStringLiteral("_%1.wav=a ka%2,%3,80.25,-300,60,20.125").arg(i).arg(i % 100).arg(100.5 + i % 300);
    });
    if (folder.isEmpty())
        return;
    ScriptBank bank(folder);
    std::printf("script engines: VBScript (ours), JScript (SpiderMonkey), python3\n");
    for (const Workload &w : kWorkloads) {
        QString vbsResult, jsResult, pyResult;
        const double vbs = timeScript(QStringLiteral("VBScript"), w.vbs, bank.doc, vbsResult);
        const double js = timeScript(QStringLiteral("JScript"), w.js, bank.doc, jsResult);
        const double py = timePython(w.python, pyResult);
        std::printf("  %s\n", w.name);
        bench::row("  VBScript", vbs);
        bench::row("  JScript", js);
        if (py > 0) {
            bench::row("  python3", py);
            bench::ratio("  VBScript / python3 (aim <= 2)", vbs / py);
            bench::ratio("  JScript / python3", js / py);
        } else {
            std::printf("  %-44s %13s\n", "  python3", "not found");
        }
        std::printf("  %-44s %s / %s / %s\n", "  results", qPrintable(vbsResult), qPrintable(jsResult),
                    qPrintable(pyResult));
    }
    compileBenchmark();
}
