#include "script/vbs/Runtime.h"

#include "script/vbs/Objects.h"
#include "script/vbs/Parser.h"
#include "core/CharsetTable.h"
#include "oto/modLocale.h"

#include <QScopeGuard>
#include <QVarLengthArray>
#include <optional>
#include <pthread.h>

namespace script::vbs {

namespace {

// The lowest address the current thread's stack may grow to.
const char *stackBottom()
{
    pthread_attr_t attr;
    if (pthread_getattr_np(pthread_self(), &attr) != 0)
        return nullptr;
    void *base = nullptr;
    size_t size = 0;
    const bool ok = pthread_attr_getstack(&attr, &base, &size) == 0;
    pthread_attr_destroy(&attr);
    return ok ? static_cast<const char *>(base) : nullptr;
}

}  // namespace

// Marks the outermost entry into the runtime: from there on the stack may
// be used down to the reserve.
class EntryGuard {
public:
    explicit EntryGuard(Runtime &rt) : rt_(rt)
    {
        if (rt_.entries_++ == 0) {
            const char *here = static_cast<const char *>(__builtin_frame_address(0));
            const char *bottom = stackBottom();
            // Without the thread's bounds, allow a modest 1 MB.
            rt_.stackLimit_ = bottom ? bottom + rt_.limits.stackReserve : here - (qsizetype(1) << 20);
        }
    }
    ~EntryGuard() { --rt_.entries_; }

private:
    Runtime &rt_;
};

struct CallGuard {
    explicit CallGuard(Runtime &rt) : rt(rt) { rt.enterCall(); }
    ~CallGuard() { rt.leaveCall(); }
    Runtime &rt;
};

Runtime::Runtime(Dialogs *dialogs, Deadline &deadline)
    : dialogs_(dialogs), deadline_(deadline), err_(std::make_shared<ErrObject>())
{
    Binding err;
    err.kind = Binding::Kind::Object;
    err.object = err_.get();
    names_.insert(QStringLiteral("err"), err);
}

Runtime::~Runtime()
{
    heap_->close();
}

void Runtime::setAnsiCodePage(int codePage)
{
    const CharsetRow *row = codePage == modLocale::kUtf8CodePage ? nullptr : charsetTable::rowOfCodePage(codePage);
    ansiCodePage_ = row && codePage != 0 ? codePage : kWindows1252;
}

bool Runtime::isDoubleByte(int codePage)
{
    return codePage == 932 || codePage == 936 || codePage == 949 || codePage == 950;
}

void Runtime::addObject(const QString &name, const ObjectRef &object, bool addMembers)
{
    objects_.append(object);
    Binding b;
    b.kind = Binding::Kind::Object;
    b.object = object.get();
    names_.insert(name.toLower(), b);
    if (addMembers && object) {
        const HostClass &cls = object->hostClass();
        for (int i = 0; i < cls.memberCount(); ++i) {
            Binding m;
            m.kind = Binding::Kind::HostMember;
            m.object = object.get();
            m.member = i;
            hostMembers_.insert(cls.member(i).name.toLower(), m);
        }
    }
    ++namesVersion_;
}

void Runtime::runCode(const QString &code)
{
    std::unique_ptr<Chunk> chunk = compile(code, false, nullptr);
    // Only procedures outlive their chunk's run (the console's Exec and Eval
    // would otherwise pile up trees).
    const Chunk *c = chunk.get();
    if (!chunk->procedures.empty())
        chunks_.push_back(std::move(chunk));

    EntryGuard entry(*this);
    Frame top{*this, nullptr, nullptr, c};
    execBlock(c->prologue, top);
    execBlock(c->body, top);
}

Value Runtime::evaluate(const QString &expression)
{
    auto chunk = std::make_unique<Chunk>();
    chunk->lines = sourceLines(expression);
    checkSourceLength(expression);
    Parser parser(tokenize(expression), *chunk, withSerial_);
    parser.parseExpressionOnly();
    Resolver(*this, *chunk, true).compile();
    const Chunk &c = *chunk;

    EntryGuard entry(*this);
    Frame top{*this, nullptr, nullptr, &c};
    try {
        return c.expression->eval(top);
    } catch (ScriptException &e) {
        if (e.line == 0) {
            e.line = c.expression->pos.line;
            e.column = c.expression->pos.column;
            e.lineText = c.lines.value(e.line - 1);
        }
        throw;
    } catch (const std::bad_alloc &) {
        ScriptException e(RuntimeError::OutOfMemory);
        e.line = 1;
        e.lineText = c.lines.value(0);
        throw e;
    }
}

std::unique_ptr<Chunk> Runtime::compile(const QString &code, bool expression, const Procedure *scope)
{
    auto chunk = std::make_unique<Chunk>();
    chunk->lines = sourceLines(code);
    checkSourceLength(code);
    const auto poll = [this] { checkLimits(); };
    Parser parser(tokenize(code, poll), *chunk, withSerial_);
    parser.setPoll(poll);
    if (expression)
        parser.parseExpressionOnly();
    else
        parser.parseProgram();
    withSerial_ += parser.withCount();
    Resolver(*this, *chunk, expression, scope).compile();
    return chunk;
}

namespace {

// Code run by Eval or Execute fails as the statement that ran it: a
// compilation error becomes a run-time error of that number, and the line
// is the caller's.
template <class Fn>
auto runNested(Fn fn)
{
    try {
        return fn();
    } catch (const CompileFailure &f) {
        throw ScriptException(errorNumber(f.error), errorText(f.error), kVbsRuntimeSource);
    } catch (ScriptException &e) {
        e.line = 0;
        e.column = 0;
        e.lineText.clear();
        throw;
    }
}

}  // namespace

namespace {

// What Eval and Execute code sees inside a procedure call: a procedure made
// for it with the call's own slots, then those earlier Executes of the call
// declared, then (after compiling) those this code declares.
class CallScope {
public:
    explicit CallScope(Frame &caller)
    {
        if (!caller.executed)
            caller.executed = std::make_shared<ExecutedLocals>(ExecutedLocals{*caller.procedure, caller.locals});
        executed_ = caller.executed;
        static_cast<ProcedureScope &>(procedure) = executed_->procedure;
        for (const QString &name : executed_->names)
            procedure.addSlot(name);
    }

    // The frame for the compiled code: slots it added become variables of
    // the call.
    Frame frame(Runtime &rt, const Chunk *chunk, HostObject *me)
    {
        ExecutedLocals &x = *executed_;
        const int own = x.procedure.slotCount();
        for (int i = own + int(x.names.size()); i < procedure.slotCount(); ++i) {
            x.names << procedure.slotNames[i];
            x.values.emplace_back();
        }
        locals_.assign(x.locals, x.locals + own);
        for (Value &v : x.values)
            locals_.push_back(&v);
        Q_ASSERT(qsizetype(locals_.size()) == procedure.slotCount());
        return Frame{rt, locals_.data(), &procedure, chunk, false, me, executed_};
    }

    Procedure procedure;

private:
    std::shared_ptr<ExecutedLocals> executed_;
    std::vector<Value *> locals_;
};

}  // namespace

Value Runtime::evaluateIn(const QString &expression, Frame &caller)
{
    return runNested([&] {
        if (!caller.procedure) {
            const std::unique_ptr<Chunk> chunk = compile(expression, true, nullptr);
            Frame f{*this, nullptr, nullptr, chunk.get(), false, caller.me};
            return chunk->expression->eval(f);
        }
        CallScope scope(caller);
        const std::unique_ptr<Chunk> chunk = compile(expression, true, &scope.procedure);
        Frame f = scope.frame(*this, chunk.get(), caller.me);
        return chunk->expression->eval(f);
    });
}

void Runtime::executeIn(const QString &code, Frame &caller, bool global)
{
    const bool local = !global && caller.procedure;
    runNested([&] {
        std::optional<CallScope> scope;
        if (local)
            scope.emplace(caller);
        std::unique_ptr<Chunk> chunk = compile(code, false, scope ? &scope->procedure : nullptr);
        const Chunk *c = chunk.get();
        if (!chunk->procedures.empty() || !chunk->classes.empty())
            chunks_.push_back(std::move(chunk));
        Frame f = scope ? scope->frame(*this, c, caller.me) : Frame{*this, nullptr, nullptr, c};
        execBlock(c->prologue, f);
        execBlock(c->body, f);
        return 0;
    });
}

Value Runtime::callWithValues(const Procedure &p, Args args, const QString &name, HostObject *me)
{
    // The values stand in as literals, so all of them pass by value.
    ExprList literals;
    literals.reserve(args.size());
    for (const Value &v : args)
        literals.push_back(std::make_unique<Literal>(p.pos, v));
    Frame none{*this};
    return call(p, none, literals, name, me);
}

const Binding *Runtime::findGlobal(const QString &lower) const
{
    const auto it = names_.constFind(lower);
    return it == names_.constEnd() ? nullptr : &it.value();
}

const Binding *Runtime::findHostMember(const QString &lower) const
{
    const auto it = hostMembers_.constFind(lower);
    return it == hostMembers_.constEnd() ? nullptr : &it.value();
}

Value *Runtime::globalVariable(const QString &lower)
{
    auto it = names_.find(lower);
    if (it != names_.end() && it->kind == Binding::Kind::Global)
        return it->global;
    globals_.push_back(std::make_unique<Value>());
    Binding b;
    b.kind = Binding::Kind::Global;
    b.global = globals_.back().get();
    names_.insert(lower, b);
    ++namesVersion_;
    return b.global;
}

void Runtime::defineConstant(const QString &lower, const Value &value)
{
    Binding b;
    b.kind = Binding::Kind::Constant;
    b.constant = value;
    names_.insert(lower, b);
    ++namesVersion_;
}

void Runtime::defineProcedure(const Procedure &procedure)
{
    Binding b;
    b.kind = Binding::Kind::Procedure;
    b.procedure = &procedure;
    names_.insert(procedure.name.toLower(), b);
    ++namesVersion_;
}

void Runtime::enterCall()
{
    const char *here = static_cast<const char *>(__builtin_frame_address(0));
    if (depth_ >= limits.maxCallDepth || (stackLimit_ && here < stackLimit_))
        throw ScriptException(RuntimeError::OutOfStackSpace);
    ++depth_;
    tick();
}

void Runtime::checkStack() const
{
    const char *here = static_cast<const char *>(__builtin_frame_address(0));
    if (stackLimit_ && here < stackLimit_)
        throw ScriptException(RuntimeError::OutOfStackSpace);
}

void Runtime::checkLimits()
{
    deadline_.poll();  // the window's Stop may act
    // expired() first: it turns a Stop whose grace second has passed into
    // its reason, which must win over the time-out.
    const bool expired = deadline_.expired();
    if (const std::optional<RuntimeError> why = deadline_.aborted()) {
        ScriptException stop(*why);
        stop.fatal = true;  // Out of memory from the watchdog ends the run too
        throw stop;
    }
    if ((limits.maxSteps != 0 && ticks_ > limits.maxSteps) || expired)
        throw ScriptException(RuntimeError::ScriptTimedOut);
}

void Runtime::checkSourceLength(const QString &code) const
{
    if (code.size() > limits.maxSourceLength)
        throw ScriptException(errorNumber(RuntimeError::OutOfMemory), scriptTooLongText(), kVbsRuntimeSource);
}

void Runtime::checkStringLength(qsizetype length) const
{
    if (length > limits.maxStringLength)
        throw ScriptException(RuntimeError::OutOfStringSpace);
}

void Runtime::clearErr()
{
    static_cast<ErrObject &>(*err_).clear();
}

void Runtime::setErr(const ScriptException &e)
{
    auto &err = static_cast<ErrObject &>(*err_);
    err.number = e.number;
    err.description = e.description;
    err.source = e.source.isEmpty() ? kVbsRuntimeSource : e.source;
}

Value Runtime::call(const Procedure &p, Frame &caller, const ExprList &args, const QString &name, HostObject *me)
{
    if (args.size() != p.params.size())
        throw ScriptException(RuntimeError::WrongArgumentCount, name);
    CallGuard guard(*this);
    const int n = p.slotCount();
    QVarLengthArray<Value, 12> storage(n);
    QVarLengthArray<Value *, 12> locals(n);
    for (int i = 0; i < n; ++i)
        locals[i] = &storage[i];

    // ByRef: a variable is shared with the callee; an array element is
    // copied in and written back when the call ends.
    struct WriteBack {
        Value *variable;
        QList<qint32> indexes;
        int slot;
    };
    QVarLengthArray<WriteBack, 2> writeBacks;
    for (size_t i = 0; i < args.size(); ++i) {
        const Expr &a = *args[i];
        if (p.params[i].byRef) {
            if (Value *r = a.reference(caller)) {
                locals[i] = r;
                continue;
            }
            if (Value *variable = a.elementVariable(caller)) {
                QList<qint32> indexes = a.indexes(caller);
                const qsizetype pos = variable->array()->offset(indexes.data(), indexes.size());
                if (pos < 0)
                    throw ScriptException(RuntimeError::SubscriptOutOfRange, a.describe());
                storage[i] = variable->array()->items[pos];
                writeBacks.append({variable, std::move(indexes), int(i)});
                continue;
            }
        }
        storage[i] = a.eval(caller);
    }
    const auto writeBack = qScopeGuard([&] {
        for (const WriteBack &w : writeBacks) {
            if (w.variable->kind() != ValueKind::Array)
                continue;
            ScriptArray &array = w.variable->mutableArray();
            const qsizetype pos = array.offset(w.indexes.data(), w.indexes.size());
            if (pos >= 0)
                array.items[pos] = storage[w.slot];
        }
    });

    Frame f{*this, locals.data(), &p, p.chunk, false, me};
    execBlock(p.prologue, f);
    execBlock(p.body, f);
    return p.isFunction ? std::move(storage[p.returnSlot]) : Value();
}

// ----- resolving names -----

Resolver::Resolver(Runtime &rt, Chunk &chunk, bool forEval, const Procedure *scope)
    : rt_(rt), chunk_(chunk), forEval_(forEval), scope_(const_cast<Procedure *>(scope))
{
}

void Resolver::compile()
{
    // Declarations first, so that code may use what is declared after it.
    for (const auto &p : chunk_.procedures) {
        p->chunk = &chunk_;
        rt_.defineProcedure(*p);
    }
    for (const auto &c : chunk_.classes) {
        for (const auto &m : c->methods)
            m->chunk = &chunk_;
        rt_.defineClass(*c);
    }
    for (const QString &name : chunk_.globalNames) {
        // Execute inside a procedure declares variables of the call.
        if (scope_ && !forEval_) {
            if (scope_->slotOf(name) < 0)
                scope_->addSlot(name);
        } else {
            rt_.globalVariable(name);
        }
    }
    for (qsizetype i = 0; i < chunk_.constantNames.size(); ++i)
        rt_.defineConstant(chunk_.constantNames[i], chunk_.constantValues[i]);

    for (const auto &p : chunk_.procedures) {
        procedure_ = p.get();
        resolveBlock(p->prologue);
        resolveBlock(p->body);
    }
    for (const auto &c : chunk_.classes) {
        for (const auto &m : c->methods) {
            procedure_ = m.get();
            resolveBlock(m->prologue);
            resolveBlock(m->body);
        }
    }
    procedure_ = scope_;
    resolveBlock(chunk_.prologue);
    resolveBlock(chunk_.body);
    if (chunk_.expression)
        chunk_.expression->resolve(*this);
}

void Resolver::resolveBlock(const StmtList &body)
{
    for (auto &s : body) {
        if ((++statements_ & 1023) == 0)
            rt_.checkLimits();
        s->resolve(*this);
    }
}

void Resolver::bind(NameExpr &n)
{
    Binding &b = n.binding_;
    const bool called = !n.args.empty() || n.hasParens;
    if (procedure_) {
        // Inside a function its name is the result, except when called.
        if (procedure_->isFunction && n.lower == procedure_->name.toLower() && !called) {
            b.kind = Binding::Kind::ReturnValue;
            b.slot = procedure_->returnSlot;
            return;
        }
        const qsizetype slot = procedure_->slotOf(n.lower);
        if (slot >= 0 && slot != procedure_->returnSlot) {
            b.kind = Binding::Kind::Local;
            b.slot = int(slot);
            return;
        }
        const qsizetype constant = procedure_->constantNames.indexOf(n.lower);
        if (constant >= 0) {
            b.kind = Binding::Kind::Constant;
            b.constant = procedure_->localConstants[constant];
            return;
        }
        if (const ClassDef *cls = procedure_->owner; cls && cls->byName.contains(n.lower)) {
            b.kind = Binding::Kind::ClassMember;
            b.classDef = cls;
            b.member = cls->byName.value(n.lower);
            return;
        }
    }
    if (const Binding *g = rt_.findGlobal(n.lower)) {
        b = *g;
        return;
    }
    if (const Binding *h = rt_.findHostMember(n.lower)) {
        b = *h;
        return;
    }
    if (const Builtin *f = Runtime::findBuiltin(n.lower)) {
        b.kind = Binding::Kind::Builtin;
        b.builtin = f;
        return;
    }
    if (const Value *c = Runtime::findConstant(n.lower)) {
        b.kind = Binding::Kind::Constant;
        b.constant = *c;
        return;
    }
    // Not known yet: a later AddCode may define it. Like VBScript, a plain
    // variable comes into being when first used: at the top level as a
    // global, in a procedure as a local unless a global of that name
    // exists by then.
    const bool explicitOnly = chunk_.optionExplicit;
    const bool plainVariable = !called && !n.calledAsProcedure;
    n.late_ = true;
    n.missingIsError_ = explicitOnly;
    if (plainVariable && !explicitOnly && !forEval_) {
        if (procedure_) {
            qsizetype slot = procedure_->slotOf(n.lower);
            if (slot < 0)
                slot = procedure_->addSlot(n.lower);
            n.fallbackSlot_ = int(slot);
        } else {
            n.createsGlobal_ = true;
        }
    }
    b.kind = Binding::Kind::Missing;
    n.boundVersion_ = 0;
}

// ----- walks over the tree -----

void Expr::resolve(Resolver &r)
{
    visitChildren({[&r](Expr &e) { e.resolve(r); }, {}});
}

void Stmt::resolve(Resolver &r)
{
    visitChildren({[&r](Expr &e) { e.resolve(r); }, [&r](const StmtList &body) { r.resolveBlock(body); }});
}

bool Expr::mayCallProcedure() const
{
    bool any = false;
    visitChildren({[&any](Expr &e) { any = any || e.mayCallProcedure(); }, {}});
    return any;
}

bool Expr::mentions(const QString &name) const
{
    bool any = false;
    visitChildren({[&](Expr &e) { any = any || e.mentions(name); }, {}});
    return any;
}

void NameExpr::resolve(Resolver &r)
{
    Expr::resolve(r);
    r.bind(*this);
}



}  // namespace script::vbs
