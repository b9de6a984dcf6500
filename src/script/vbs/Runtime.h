#pragma once

#include "script/Deadline.h"
#include "script/ScriptError.h"
#include "script/ScriptSource.h"
#include "script/vbs/Ast.h"
#include "script/vbs/Heap.h"

#include <QHash>
#include <deque>
#include <memory>
#include <vector>

class Dialogs;

namespace script::vbs {

class Runtime;

struct Builtin {
    QString name;
    int minArgs = 0;
    int maxArgs = 0;  // -1: any number
    Value (*fn)(Runtime &rt, Args args) = nullptr;
};

// Bounds that keep a hostile script from taking the program down: it gets a
// run-time error instead.
struct Limits {
    qsizetype maxStringLength = qsizetype(1) << 24;   // characters
    qsizetype maxArrayElements = qsizetype(1) << 23;  // per ReDim
    qsizetype maxSourceLength = kMaxScriptLength;     // characters of one script
    int maxCallDepth = 3000;
    // Stack the interpreter leaves unused below its deepest call.
    qsizetype stackReserve = qsizetype(1) << 20;
    // Loop iterations and calls before "Script timed out"; 0: no limit.
    quint64 maxSteps = 0;
};

// The state of one VBScript engine: its global names, the compiled chunks,
// Err, the random generator, and the services built-ins need (dialogs, the
// time limit).
class Runtime {
public:
    Runtime(Dialogs *dialogs, Deadline &deadline);
    ~Runtime();
    Runtime(const Runtime &) = delete;
    Runtime &operator=(const Runtime &) = delete;

    void addObject(const QString &name, const ObjectRef &object, bool addMembers);
    // Compiles the whole code, then runs its top-level statements. Throws
    // CompileFailure before anything ran, or a located ScriptException.
    void runCode(const QString &code);
    Value evaluate(const QString &expression);
    // Eval, Execute and ExecuteGlobal: code compiled and run in the scope of
    // the calling frame (its locals visible) or at the top level.
    Value evaluateIn(const QString &expression, Frame &caller);
    void executeIn(const QString &code, Frame &caller, bool global);
    // The frame of the procedure or chunk that called the running built-in.
    Frame *callerFrame() const { return callerFrame_; }
    void setCallerFrame(Frame *f) { callerFrame_ = f; }

    // ----- names -----
    const Binding *findGlobal(const QString &lower) const;
    const Binding *findHostMember(const QString &lower) const;
    Value *globalVariable(const QString &lower);  // made when missing
    void defineConstant(const QString &lower, const Value &value);
    void defineProcedure(const Procedure &procedure);
    void defineClass(ClassDef &cls);
    const ClassDef *findClass(const QString &lower) const { return classes_.value(lower); }
    // New: an instance, its Class_Initialize run.
    Value instantiate(const ClassDef &cls);
    // The objects the script made; emptied when the runtime goes, which
    // frees those held in cycles (instances dying then do not run
    // Class_Terminate).
    const std::shared_ptr<Heap> &heap() const { return heap_; }
    quint64 namesVersion() const { return namesVersion_; }

    static const Builtin *findBuiltin(const QString &lower);
    static const Value *findConstant(const QString &lower);

    // ----- running -----
    Value call(const Procedure &p, Frame &caller, const ExprList &args, const QString &name,
               HostObject *me = nullptr);
    // A call with values (GetRef, methods of script classes), all by value.
    Value callWithValues(const Procedure &p, Args args, const QString &name, HostObject *me = nullptr);
    // Counts a loop iteration or a call; now and then checks the time limit.
    void tick()
    {
        if ((++ticks_ & 1023) == 0)
            checkLimits();
    }
    void checkLimits();
    // Long built-in work (copies, joins, growth) counted in elements: the
    // time limit is checked every so many, so that no single statement
    // keeps a script past its limit.
    void work(qsizetype units)
    {
        work_ += units;
        if (work_ >= kWorkPerCheck) {
            work_ = 0;
            checkLimits();
        }
    }
    static constexpr qsizetype kWorkPerCheck = qsizetype(1) << 18;
    void checkStringLength(qsizetype length) const;
    // A script longer than the limit is refused whole, never cut.
    void checkSourceLength(const QString &code) const;
    // Out of stack space when the thread's stack is nearly used up.
    void checkStack() const;

    ObjectRef errObject() const { return err_; }
    void clearErr();
    void setErr(const ScriptException &e);

    // The code page Asc and Chr use, as a Windows system's ANSI code page:
    // one of the charset table's single- or double-byte code pages;
    // Windows-1252 for any other (UTF-8, the system's).
    int ansiCodePage() const { return ansiCodePage_; }
    void setAnsiCodePage(int codePage);
    static bool isDoubleByte(int codePage);

    Dialogs *dialogs() const { return dialogs_; }
    Deadline &deadline() { return deadline_; }
    Limits limits;

    // Rnd's generator state, 24 bits as in VBScript.
    quint32 rndSeed = 0x50000;
    float lastRnd = 0;

private:
    friend class EntryGuard;
    void enterCall();
    void leaveCall() { --depth_; }

    Dialogs *dialogs_;
    Deadline &deadline_;
    int ansiCodePage_ = kWindows1252;
    static constexpr int kWindows1252 = 1252;
    std::vector<std::unique_ptr<Value>> globals_;
    QHash<QString, Binding> names_;
    QHash<QString, Binding> hostMembers_;
    std::vector<std::unique_ptr<Chunk>> chunks_;
    QList<ObjectRef> objects_;  // kept alive for the bindings
    ObjectRef err_;
    quint64 namesVersion_ = 1;
    quint64 ticks_ = 0;
    qsizetype work_ = 0;
    int depth_ = 0;
    int entries_ = 0;
    const char *stackLimit_ = nullptr;
    int withSerial_ = 0;
    Frame *callerFrame_ = nullptr;
    QHash<QString, const ClassDef *> classes_;
    std::shared_ptr<Heap> heap_ = std::make_shared<Heap>(*this);
    std::unique_ptr<Chunk> compile(const QString &code, bool expression, const Procedure *scope);

    friend struct CallGuard;
};

// Variables that Execute declared inside a procedure call: they belong to
// that call, beside the procedure's own slots, and go when it returns.
struct ExecutedLocals {
    const Procedure &procedure;
    Value **locals;  // the call's own slots
    QStringList names;
    std::deque<Value> values;  // parallel to names; never moved
};

// Binds the names of a parsed chunk and installs its declarations.
class Resolver {
public:
    // scope: the procedure whose locals the code sees (Eval and Execute
    // inside it); Execute's code adds its own variables to it.
    Resolver(Runtime &rt, Chunk &chunk, bool forEval = false, const Procedure *scope = nullptr);
    void compile();

    void bind(NameExpr &n);
    void resolveBlock(const StmtList &body);
    Runtime &runtime() { return rt_; }
    Procedure *procedure() const { return procedure_; }

private:
    Runtime &rt_;
    Chunk &chunk_;
    bool forEval_;
    Procedure *scope_ = nullptr;
    int statements_ = 0;
    Procedure *procedure_ = nullptr;
};

// Value of arguments evaluated into a small buffer.
Value indexValue(const Value &v, Args args, const QString &name);

}  // namespace script::vbs
