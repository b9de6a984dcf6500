#include "bench/BenchUtil.h"
#include "oto/OtoFormat.h"
#include "script/ScriptControl.h"
#include "script/TraceText.h"

#include <QProcess>
#include <QStandardPaths>

using namespace script;

namespace {

// Entries as `lirra-oto run` exposes them: live references to clsOto
// records, every field readable and writable.
class BenchEntry : public HostObject {
public:
    explicit BenchEntry(std::shared_ptr<clsOto> oto) : oto(std::move(oto)) {}
    const HostClass &hostClass() const override
    {
        static const HostClass cls = [] {
            HostClass c(QStringLiteral("clsOto"));
            HostClassBuilder<BenchEntry>(c)
                .property("FIL", [](BenchEntry &e) { return e.oto->FIL; },
                          [](BenchEntry &e, const Value &v) { e.oto->FIL = v.toString(); })
                .property("ALS", [](BenchEntry &e) { return e.oto->ALS; },
                          [](BenchEntry &e, const Value &v) { e.oto->ALS = v.toString(); })
                .property("prmLF", [](BenchEntry &e) { return e.oto->prmLF; },
                          [](BenchEntry &e, const Value &v) { e.oto->prmLF = v.toDouble(); })
                .property("prmFX", [](BenchEntry &e) { return e.oto->prmFX; },
                          [](BenchEntry &e, const Value &v) { e.oto->prmFX = v.toDouble(); })
                .property("prmRT", [](BenchEntry &e) { return e.oto->prmRT; },
                          [](BenchEntry &e, const Value &v) { e.oto->prmRT = v.toDouble(); })
                .property("prmPR", [](BenchEntry &e) { return e.oto->prmPR; },
                          [](BenchEntry &e, const Value &v) { e.oto->prmPR = v.toDouble(); })
                .property("prmOV", [](BenchEntry &e) { return e.oto->prmOV; },
                          [](BenchEntry &e, const Value &v) { e.oto->prmOV = v.toDouble(); });
            return c;
        }();
        return cls;
    }
    std::shared_ptr<clsOto> oto;
};

class BenchCollection : public HostObject {
public:
    explicit BenchCollection(const OtoEntries &entries) : entries(entries) {}
    const HostClass &hostClass() const override
    {
        static const HostClass cls = [] {
            HostClass c(QStringLiteral("Collection"));
            HostClassBuilder<BenchCollection>(c)
                .method("Count", 0, 0, [](BenchCollection &c, Args) { return qint32(c.entries.size()); })
                .method("Item", 1, 1, [](BenchCollection &c, Args a) {
                    const qint32 i = a[0].toLong();
                    if (i < 1 || i > c.entries.size())
                        throw ScriptException(RuntimeError::SubscriptOutOfRange);
                    return Value(std::make_shared<BenchEntry>(c.entries[i - 1]));
                })
                .defaultMember("Item");
            return c;
        }();
        return cls;
    }
    std::unique_ptr<Enumerator> enumerate() override
    {
        return std::make_unique<IndexEnumerator>(
            [this] { return entries.size(); }, [this](qsizetype i) { return Value(std::make_shared<BenchEntry>(entries[i])); });
    }
    const OtoEntries &entries;
};

class BenchEnv : public HostObject {
public:
    explicit BenchEnv(const OtoEntries &entries) : collection(std::make_shared<BenchCollection>(entries)) {}
    const HostClass &hostClass() const override
    {
        static const HostClass cls = [] {
            HostClass c(QStringLiteral("frmMain"));
            HostClassBuilder<BenchEnv>(c)
                .readOnly("clcOto", [](BenchEnv &e) { return e.collection; })
                .method("trace", 0, -1, [](BenchEnv &e, Args a) { e.output += traceOutput(a, true); return Value(); });
            return c;
        }();
        return cls;
    }
    std::shared_ptr<BenchCollection> collection;
    QString output;
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

OtoEntries makeEntries(int count)
{
    OtoEntries out;
    out.reserve(count);
    for (int i = 0; i < count; ++i) {
        auto e = std::make_shared<clsOto>();
        e->FIL = QStringLiteral("_%1.wav").arg(i);
        e->ALS = QStringLiteral("a ka%1").arg(i % 100);
        e->prmLF = 100.5 + i % 300;
        e->prmFX = 80.25;
        e->prmRT = -300;
        e->prmPR = 60;
        e->prmOV = 20.125;
        out.append(e);
    }
    return out;
}

// Best of three runs of the program in a fresh engine; the trace output of
// the last run in result.
double timeScript(const QString &language, const char *program, const OtoEntries &entries, QString &result)
{
    return bench::timeMs([&] {
        ScriptControl control;
        control.setLanguage(language);
        control.setTimeout(0);
        auto env = std::make_shared<BenchEnv>(entries);
        control.addObject(QStringLiteral("env"), env, true);
        if (!control.addCode(QString::fromUtf8(program)))
            env->output = QStringLiteral("error: ") + control.error().description;
        result = env->output.trimmed();
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

}  // namespace

// The same three workloads in our VBScript, in JScript (QJSEngine) and in
// python3, with VBScript's time as a multiple of python3's (aim: 2 at most).
void runScriptBenchmarks(const QString &)
{
    const OtoEntries entries = makeEntries(50000);
    std::printf("script engines: VBScript (ours), JScript (QJSEngine), python3\n");
    for (const Workload &w : kWorkloads) {
        QString vbsResult, jsResult, pyResult;
        const double vbs = timeScript(QStringLiteral("VBScript"), w.vbs, entries, vbsResult);
        const double js = timeScript(QStringLiteral("JScript"), w.js, entries, jsResult);
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
}
