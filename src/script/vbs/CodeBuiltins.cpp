// Eval, Execute, ExecuteGlobal and GetRef: code that runs code.
#include "script/vbs/BuiltinTables.h"

namespace script::vbs {

namespace {

Frame &caller(Runtime &rt)
{
    // Built-ins are only ever called from a frame; the guard keeps a
    // future direct call from dereferencing null.
    if (!rt.callerFrame())
        throw ScriptException(RuntimeError::InvalidProcedureCall);
    return *rt.callerFrame();
}

// Eval sees the caller's variables; a = b inside it compares.
Value fnEval(Runtime &rt, Args a) { return rt.evaluateIn(a[0].toString(), caller(rt)); }

// Execute runs statements in the caller's scope (a procedure's locals are
// visible to them), ExecuteGlobal at the top level.
Value fnExecute(Runtime &rt, Args a)
{
    rt.executeIn(a[0].toString(), caller(rt), false);
    return Value();
}

Value fnExecuteGlobal(Runtime &rt, Args a)
{
    rt.executeIn(a[0].toString(), caller(rt), true);
    return Value();
}

// What GetRef returns: calling it (its default member) calls the procedure,
// while the runtime that owns the procedure lives.
class ProcedureRef : public HeapObject {
public:
    ProcedureRef(Runtime &rt, const Procedure &p) : HeapObject(rt.heap()), procedure_(p) {}
    const HostClass &hostClass() const override
    {
        static const HostClass cls = [] {
            HostClass c(QStringLiteral("Object"));
            HostClassBuilder<ProcedureRef>(c).method("Call", 0, -1, [](ProcedureRef &r, Args a) { return r.call(a); })
                .defaultMember("Call");
            return c;
        }();
        return cls;
    }
    void dropValues() override {}

private:
    Value call(Args a)
    {
        Runtime *rt = runtime();
        if (!rt)
            throw ScriptException(RuntimeError::ObjectRequired, procedure_.name);
        return rt->callWithValues(procedure_, a, procedure_.name);
    }
    const Procedure &procedure_;
};

Value fnGetRef(Runtime &rt, Args a)
{
    const Binding *b = rt.findGlobal(a[0].toString().toLower());
    if (!b || b->kind != Binding::Kind::Procedure)
        throw ScriptException(RuntimeError::InvalidProcedureCall);
    return Value(std::make_shared<ProcedureRef>(rt, *b->procedure));
}

}  // namespace

void addCodeBuiltins(QList<Builtin> &list)
{
    list += {
        {"Eval", 1, 1, fnEval},
        {"Execute", 1, 1, fnExecute},
        {"ExecuteGlobal", 1, 1, fnExecuteGlobal},
        {"GetRef", 1, 1, fnGetRef},
    };
}

}  // namespace script::vbs
