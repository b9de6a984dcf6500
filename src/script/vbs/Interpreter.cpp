// Running the tree: what every expression and statement does.
#include "script/vbs/Objects.h"
#include "script/vbs/Runtime.h"
#include "script/vbs/ScriptClass.h"

#include <QScopeGuard>
#include <QVarLengthArray>
#include <new>

namespace script::vbs {

namespace {

using ArgBuffer = QVarLengthArray<Value, 6>;

void evalArgs(const ExprList &args, Frame &f, ArgBuffer &out)
{
    out.reserve(qsizetype(args.size()));
    for (const auto &a : args)
        out.append(a->eval(f));
}

Args span(const ArgBuffer &b)
{
    return Args(b.data(), size_t(b.size()));
}

// A local variable of the running procedure by its slot.
Value *localOf(const Frame &f, int slot)
{
    Q_ASSERT(f.locals && f.procedure && slot >= 0 && slot < f.procedure->slotCount());
    return f.locals[slot];
}

// Inside a method of a script class: the instance and the member a name
// was bound to.
ClassInstance &instanceOf(const Frame &f)
{
    Q_ASSERT(dynamic_cast<ClassInstance *>(f.me));
    return *static_cast<ClassInstance *>(f.me);
}

const ClassMember &classMember(const Binding &b)
{
    Q_ASSERT(b.classDef && b.member >= 0 && b.member < b.classDef->members.size());
    return b.classDef->members[b.member];
}

Value *fieldOf(const Frame &f, const Binding &b)
{
    const ClassMember &m = classMember(b);
    if (m.field < 0)
        return nullptr;
    ClassInstance &self = instanceOf(f);
    Q_ASSERT(m.field < self.fields.size());
    return &self.fields[m.field];
}

// Notes where a run-time error happened, once: the innermost statement.
void locate(ScriptException &e, const Stmt &s, const Frame &f)
{
    if (e.line != 0)
        return;
    e.line = s.pos.line;
    e.column = s.pos.column;
    if (f.chunk && s.pos.line >= 1 && s.pos.line <= f.chunk->lines.size())
        e.lineText = f.chunk->lines[s.pos.line - 1];
}

// Let assignment: an object stands for its default value.
Value letValue(Value v)
{
    if (v.isObject())
        return v.dereferenced();
    return v;
}

int compareNumbers(const Value &a, const Value &b)
{
    if ((a.kind() == ValueKind::Integer || a.kind() == ValueKind::Long)
        && (b.kind() == ValueKind::Integer || b.kind() == ValueKind::Long)) {
        const qint32 x = a.kind() == ValueKind::Integer ? a.integer() : a.longValue();
        const qint32 y = b.kind() == ValueKind::Integer ? b.integer() : b.longValue();
        return x < y ? -1 : x > y ? 1 : 0;
    }
    const double x = a.toDouble(), y = b.toDouble();
    return x < y ? -1 : x > y ? 1 : 0;
}

// For's bounds and step: numbers, with strings read as numbers.
Value loopNumber(const Value &v)
{
    const Value d = v.dereferenced();
    if (d.isNumber() || d.isEmpty())
        return d;
    return Value(d.toDouble());
}

qint32 arrayIndex(const Value &v)
{
    return v.toLong();
}

Value readElement(const ScriptArray &a, Args idx)
{
    QVarLengthArray<qint32, 4> indexes;
    for (const Value &v : idx)
        indexes.append(arrayIndex(v));
    const qsizetype pos = a.offset(indexes.data(), indexes.size());
    if (pos < 0)
        throw ScriptException(RuntimeError::SubscriptOutOfRange);
    return a.items[pos];
}

void writeElement(Value &variable, Args idx, Value value, Runtime &rt)
{
    // Writing to an array another variable shares copies it first.
    if (variable.array().use_count() > 1)
        rt.work(variable.array()->items.size());
    QVarLengthArray<qint32, 4> indexes;
    for (const Value &v : idx)
        indexes.append(arrayIndex(v));
    ScriptArray &a = variable.mutableArray();
    const qsizetype pos = a.offset(indexes.data(), indexes.size());
    if (pos < 0)
        throw ScriptException(RuntimeError::SubscriptOutOfRange);
    a.items[pos] = std::move(value);
}

// A name, an element or a default member given arguments; with args, an
// object's default member is written.
void storeIndexed(Value &variable, Args idx, Value value, const QString &name, Runtime &rt)
{
    if (variable.kind() == ValueKind::Array)
        return writeElement(variable, idx, std::move(value), rt);
    if (variable.isObject() && !variable.isNothing()) {
        HostObject &o = *variable.object();
        const int member = o.hostClass().defaultMember();
        if (member < 0)
            throw ScriptException(RuntimeError::NoSuchMember, name);
        writeMember(o, member, idx, value, name);
        return;
    }
    throw ScriptException(RuntimeError::TypeMismatch, name);
}

}  // namespace

Value indexValue(const Value &v, Args args, const QString &name)
{
    switch (v.kind()) {
    case ValueKind::Array: return readElement(*v.array(), args);
    case ValueKind::Object:
        if (v.isNothing())
            throw ScriptException(RuntimeError::ObjectVariableNotSet, name);
        return readDefault(*v.object(), args, name);
    default: throw ScriptException(RuntimeError::TypeMismatch, name);
    }
}

Flow execBlock(const StmtList &body, Frame &f)
{
    for (const auto &s : body) {
        Flow flow;
        try {
            flow = s->exec(f);
        } catch (ScriptException &e) {
            locate(e, *s, f);
            if (!f.resumeNext || e.fatal)
                throw;
            f.rt.setErr(e);
            continue;
        } catch (const std::bad_alloc &) {
            ScriptException e(RuntimeError::OutOfMemory);
            locate(e, *s, f);
            if (!f.resumeNext)
                throw e;
            f.rt.setErr(e);
            continue;
        }
        if (flow != Flow::Normal)
            return flow;
    }
    return Flow::Normal;
}

void Expr::store(Frame &, Value) const
{
    throw ScriptException(RuntimeError::IllegalAssignment, describe());
}

// ----- names -----

const Binding &NameExpr::binding(Frame &f) const
{
    if (late_ && boundVersion_ != f.rt.namesVersion())
        rebind(f.rt);
    return binding_;
}

void NameExpr::rebind(Runtime &rt) const
{
    boundVersion_ = rt.namesVersion();
    if (const Binding *g = rt.findGlobal(lower)) {
        binding_ = *g;
        return;
    }
    if (const Binding *h = rt.findHostMember(lower)) {
        binding_ = *h;
        return;
    }
    binding_ = Binding();
    if (fallbackSlot_ >= 0) {
        binding_.kind = Binding::Kind::Local;
        binding_.slot = fallbackSlot_;
    } else if (createsGlobal_) {
        binding_.kind = Binding::Kind::Global;
        binding_.global = rt.globalVariable(lower);
        boundVersion_ = rt.namesVersion();
    } else {
        binding_.kind = Binding::Kind::Missing;
    }
}

Value NameExpr::eval(Frame &f) const
{
    const Binding &b = late_ ? binding(f) : binding_;
    if (!args.empty() || hasParens)
        return callOrIndex(f, b);
    switch (b.kind) {
    case Binding::Kind::Local:
    case Binding::Kind::ReturnValue: return *localOf(f, b.slot);
    case Binding::Kind::Global: return *b.global;
    case Binding::Kind::Constant: return b.constant;
    case Binding::Kind::Object: return Value(b.object->shared_from_this());
    case Binding::Kind::Procedure: return f.rt.call(*b.procedure, f, args, name);
    case Binding::Kind::HostMember: return readMember(*b.object, b.member, {}, name);
    case Binding::Kind::Builtin: return callOrIndex(f, b);
    case Binding::Kind::ClassMember: return callOrIndex(f, b);
    case Binding::Kind::Missing:
    case Binding::Kind::Unbound: break;
    }
    if (missingIsError_)
        throw ScriptException(RuntimeError::VariableUndefined, name);
    if (calledAsProcedure)
        throw ScriptException(RuntimeError::TypeMismatch, name);
    return Value();
}

Value NameExpr::callOrIndex(Frame &f, const Binding &b) const
{
    switch (b.kind) {
    case Binding::Kind::Procedure: return f.rt.call(*b.procedure, f, args, name);
    case Binding::Kind::Builtin: {
        if (!(qsizetype(args.size()) >= b.builtin->minArgs
              && (b.builtin->maxArgs < 0 || qsizetype(args.size()) <= b.builtin->maxArgs)))
            throw ScriptException(RuntimeError::WrongArgumentCount, name);
        ArgBuffer values;
        evalArgs(args, f, values);
        Frame *const outer = f.rt.callerFrame();
        f.rt.setCallerFrame(&f);
        const auto restore = qScopeGuard([&] { f.rt.setCallerFrame(outer); });
        return b.builtin->fn(f.rt, span(values));
    }
    case Binding::Kind::Local:
    case Binding::Kind::Global:
    case Binding::Kind::ReturnValue: {
        ArgBuffer values;
        evalArgs(args, f, values);
        const Value &v = b.kind == Binding::Kind::Global ? *b.global : *localOf(f, b.slot);
        if (v.kind() == ValueKind::Array && args.empty())
            throw ScriptException(RuntimeError::SubscriptOutOfRange, name);
        return indexValue(v, span(values), name);
    }
    case Binding::Kind::HostMember: {
        ArgBuffer values;
        evalArgs(args, f, values);
        return readMember(*b.object, b.member, span(values), name);
    }
    case Binding::Kind::Object: {
        ArgBuffer values;
        evalArgs(args, f, values);
        return readDefault(*b.object, span(values), name);
    }
    case Binding::Kind::ClassMember: {
        const ClassMember &m = classMember(b);
        if (m.call && m.field < 0)
            return f.rt.call(*m.call, f, args, name, f.me);
        ArgBuffer values;
        evalArgs(args, f, values);
        return instanceOf(f).read(m, span(values));
    }
    case Binding::Kind::Constant: throw ScriptException(RuntimeError::TypeMismatch, name);
    case Binding::Kind::Missing:
    case Binding::Kind::Unbound: break;
    }
    if (missingIsError_)
        throw ScriptException(RuntimeError::VariableUndefined, name);
    throw ScriptException(RuntimeError::TypeMismatch, name);
}

void NameExpr::store(Frame &f, Value value) const
{
    const Binding &b = late_ ? binding(f) : binding_;
    const bool plain = args.empty() && !hasParens;
    switch (b.kind) {
    case Binding::Kind::Local:
    case Binding::Kind::ReturnValue:
    case Binding::Kind::Global: {
        Value &slot = b.kind == Binding::Kind::Global ? *b.global : *localOf(f, b.slot);
        if (plain) {
            slot = std::move(value);
            return;
        }
        ArgBuffer values;
        evalArgs(args, f, values);
        return storeIndexed(slot, span(values), std::move(value), name, f.rt);
    }
    case Binding::Kind::ClassMember: {
        ArgBuffer values;
        evalArgs(args, f, values);
        if (Value *field = fieldOf(f, b)) {
            if (plain)
                *field = std::move(value);
            else
                storeIndexed(*field, span(values), std::move(value), name, f.rt);
            return;
        }
        return instanceOf(f).assign(classMember(b), span(values), value);
    }
    case Binding::Kind::HostMember: {
        ArgBuffer values;
        evalArgs(args, f, values);
        return writeMember(*b.object, b.member, span(values), value, name);
    }
    case Binding::Kind::Object:
        if (!plain) {
            ArgBuffer values;
            evalArgs(args, f, values);
            const int member = b.object->hostClass().defaultMember();
            if (member < 0)
                throw ScriptException(RuntimeError::NoSuchMember, name);
            return writeMember(*b.object, member, span(values), value, name);
        }
        break;
    case Binding::Kind::Missing:
    case Binding::Kind::Unbound:
        if (missingIsError_)
            throw ScriptException(RuntimeError::VariableUndefined, name);
        break;
    default: break;
    }
    throw ScriptException(RuntimeError::IllegalAssignment, name);
}

Value *NameExpr::reference(Frame &f) const
{
    if (!args.empty() || hasParens)
        return nullptr;
    const Binding &b = late_ ? binding(f) : binding_;
    switch (b.kind) {
    case Binding::Kind::Local:
    case Binding::Kind::ReturnValue: return localOf(f, b.slot);
    case Binding::Kind::Global: return b.global;
    case Binding::Kind::ClassMember: return fieldOf(f, b);
    default: return nullptr;
    }
}

Value *NameExpr::elementVariable(Frame &f) const
{
    if (args.empty())
        return nullptr;
    const Binding &b = late_ ? binding(f) : binding_;
    Value *v = nullptr;
    if (b.kind == Binding::Kind::Local || b.kind == Binding::Kind::ReturnValue)
        v = localOf(f, b.slot);
    else if (b.kind == Binding::Kind::Global)
        v = b.global;
    else if (b.kind == Binding::Kind::ClassMember)
        v = fieldOf(f, b);
    return v && v->kind() == ValueKind::Array ? v : nullptr;
}

QList<qint32> NameExpr::indexes(Frame &f) const
{
    QList<qint32> out;
    for (const auto &a : args)
        out << arrayIndex(a->eval(f));
    return out;
}

bool NameExpr::mayCallProcedure() const
{
    return late_ || binding_.kind == Binding::Kind::Procedure || binding_.kind == Binding::Kind::ClassMember
           || Expr::mayCallProcedure();
}

bool NameExpr::mentions(const QString &n) const
{
    return lower == n || Expr::mentions(n);
}

// ----- members -----

int MemberExpr::memberIndex(HostObject &o) const
{
    const HostClass &cls = o.hostClass();
    if (&cls != cachedClass_) {
        cachedIndex_ = cls.find(member);
        cachedClass_ = &cls;
    }
    return cachedIndex_;
}

namespace {

// Me.Name inside a method of the instance's own class: every member of the
// class, the Private ones too.
const ClassMember *ownMember(const Frame &f, const HostObject &host, const QString &name)
{
    if (!f.me || &host != f.me)
        return nullptr;
    return instanceOf(f).definition().find(name.toLower());
}

}  // namespace

QString MemberExpr::describe() const
{
    const QString base = object->describe();
    return base.startsWith(u'<') ? member : base + u'.' + member;
}

// What o.Name(args) works on: the object (held), the member (a class's own
// member through Me, or else one of the object's host class) and the
// arguments, evaluated in that order.
struct MemberTarget {
    Value object;
    const ClassMember *own = nullptr;
    int index = -1;
    ArgBuffer args;
    HostObject &host() const { return *object.object(); }
};

void MemberExpr::target(Frame &f, MemberTarget &t) const
{
    t.object = object->eval(f);
    if (!t.object.isObject() || t.object.isNothing())
        throw ScriptException(RuntimeError::ObjectRequired, object->describe());
    t.own = ownMember(f, t.host(), member);
    if (!t.own) {
        t.index = memberIndex(t.host());
        if (t.index < 0)
            throw ScriptException(RuntimeError::NoSuchMember, describe());
    }
    evalArgs(args, f, t.args);
}

Value MemberExpr::eval(Frame &f) const
{
    if (depth > 64)
        f.rt.checkStack();
    MemberTarget t;
    target(f, t);
    if (t.own)
        return instanceOf(f).read(*t.own, span(t.args));
    // The usual case straight away; readMember words the errors (and
    // passes arguments on to what a property returns).
    const HostMember &m = t.host().hostClass().member(t.index);
    if (m.acceptsArgs(t.args.size()))
        return m.get(t.host(), span(t.args));
    return readMember(t.host(), t.index, span(t.args), describe());
}

void MemberExpr::store(Frame &f, Value value) const
{
    MemberTarget t;
    target(f, t);
    if (t.own)
        return instanceOf(f).assign(*t.own, span(t.args), value);
    const HostMember &m = t.host().hostClass().member(t.index);
    if (m.set && m.acceptsArgs(t.args.size()))
        return m.set(t.host(), span(t.args), value);
    writeMember(t.host(), t.index, span(t.args), value, describe());
}

Value IndexExpr::eval(Frame &f) const
{
    const Value v = inner->eval(f);
    ArgBuffer values;
    evalArgs(args, f, values);
    return indexValue(v, span(values), inner->describe());
}

void IndexExpr::store(Frame &f, Value value) const
{
    Value v = inner->eval(f);
    if (!v.isObject())
        throw ScriptException(RuntimeError::IllegalAssignment, inner->describe());
    ArgBuffer values;
    evalArgs(args, f, values);
    storeIndexed(v, span(values), std::move(value), inner->describe(), f.rt);
}



// ----- operators -----

Value UnaryExpr::eval(Frame &f) const
{
    const Value v = operand->eval(f);
    switch (op) {
    case UnaryOp::Negate: return negate(v);
    case UnaryOp::Not: return notOp(v);
    case UnaryOp::Plus: break;
    }
    return v.dereferenced();
}

Value BinaryExpr::eval(Frame &f) const
{
    // Long operator chains recurse deeply; near the end of the stack they
    // fail like a too deep recursion.
    if (depth > 64)
        f.rt.checkStack();
    const Value a = left->eval(f);
    const Value b = right->eval(f);
    switch (op) {
    case BinaryOp::Add: return add(a, b);
    case BinaryOp::Subtract: return subtract(a, b);
    case BinaryOp::Multiply: return multiply(a, b);
    case BinaryOp::Divide: return divide(a, b);
    case BinaryOp::IntDivide: return intDivide(a, b);
    case BinaryOp::Modulo: return modulo(a, b);
    case BinaryOp::Power: return power(a, b);
    case BinaryOp::Eq:
    case BinaryOp::Ne:
    case BinaryOp::Lt:
    case BinaryOp::Gt:
    case BinaryOp::Le:
    case BinaryOp::Ge: return comparison(op, a, b, leftLiteral_, rightLiteral_);
    default: return logical(op, a, b);
    }
}

void BinaryExpr::resolve(Resolver &r)
{
    Expr::resolve(r);
    leftLiteral_ = left->isLiteral();
    rightLiteral_ = right->isLiteral();
}

namespace {

// a & b where a byte string of odd length takes part: the bytes are joined,
// so that ChrB(65) & ChrB(66) is one character.
Value joinBytes(Runtime &rt, const Value *first, Args rest)
{
    QByteArray bytes;
    if (first)
        bytes = bytesOf(*first);
    for (const Value &v : rest)
        bytes += bytesOf(v);
    rt.checkStringLength(bytes.size() / 2);
    return stringOfBytes(bytes);
}

}  // namespace

Value ConcatExpr::eval(Frame &f) const
{
    QVarLengthArray<Value, 8> texts;
    qsizetype length = 0;
    bool allNull = true;
    bool oddBytes = false;
    for (const auto &part : parts) {
        Value v = part->eval(f);
        if (v.isNull())
            continue;
        allNull = false;
        if (!v.isString())
            v = Value(v.toString());
        oddBytes = oddBytes || v.oddByte();
        length += v.string().size();
        texts.append(std::move(v));
    }
    // Null & Null is Null; otherwise Null counts as "".
    if (allNull)
        return Value::null();
    if (oddBytes)
        return joinBytes(f.rt, nullptr, Args(texts.data(), size_t(texts.size())));
    f.rt.checkStringLength(length);
    QString out;
    out.reserve(length);
    for (const Value &t : texts)
        out += t.string();
    if (length > 65536)
        f.rt.checkLimits();
    return Value(std::move(out));
}




Value IsExpr::eval(Frame &f) const
{
    const Value a = left->eval(f);
    const Value b = right->eval(f);
    if (!a.isObject())
        throw ScriptException(RuntimeError::ObjectRequired, left->describe());
    if (!b.isObject())
        throw ScriptException(RuntimeError::ObjectRequired, right->describe());
    return Value(a.object() == b.object());
}


Value MeExpr::eval(Frame &f) const
{
    return Value(f.me->shared_from_this());
}

Value NewExpr::eval(Frame &f) const
{
    if (className.compare(u"RegExp", Qt::CaseInsensitive) == 0)
        return Value(std::make_shared<RegExpObject>());
    if (const ClassDef *cls = f.rt.findClass(className.toLower()))
        return f.rt.instantiate(*cls);
    throw ScriptException(RuntimeError::ClassNotDefined, className);
}

// ----- statements -----

Flow AssignStmt::exec(Frame &f) const
{
    if (!appendParts_.empty()) {
        if (Value *t = target->reference(f); t && t->isString())
            return append(f, *t);
    }
    Value v = value->eval(f);
    if (isSet) {
        if (!v.isObject())
            throw ScriptException(RuntimeError::ObjectRequired, value->describe());
    } else {
        v = letValue(std::move(v));
    }
    target->store(f, std::move(v));
    return Flow::Normal;
}

// s = s & a & b with s holding a string: the parts are worked out first (an
// error leaves s as it was), then appended to s where it lies.
Flow AssignStmt::append(Frame &f, Value &target) const
{
    QVarLengthArray<Value, 4> texts;
    qsizetype length = target.string().size();
    bool oddBytes = bool(target.oddByte());
    for (const Expr *part : appendParts_) {
        Value v = part->eval(f);
        if (!v.isString())
            v = Value(v.isNull() ? QString() : v.toString());
        oddBytes = oddBytes || v.oddByte();
        length += v.string().size();
        texts.append(std::move(v));
    }
    if (oddBytes) {
        target = joinBytes(f.rt, &target, Args(texts.data(), size_t(texts.size())));
        return Flow::Normal;
    }
    f.rt.checkStringLength(length);
    QString &s = target.string();
    for (const Value &t : texts)
        s.append(t.string());
    if (length > 65536 && (length & 0xFFF) < 64)
        f.rt.checkLimits();
    return Flow::Normal;
}

void AssignStmt::resolve(Resolver &r)
{
    Stmt::resolve(r);
    appendParts_.clear();
    if (isSet)
        return;
    auto *name = dynamic_cast<NameExpr *>(target.get());
    // s = s & p1 & p2 ...
    auto *chain = dynamic_cast<const ConcatExpr *>(value.get());
    auto *head = chain ? dynamic_cast<const NameExpr *>(chain->parts.front().get()) : nullptr;
    if (!name || !head || !head->args.empty() || head->hasParens || head->lower != name->lower
        || !name->isPlainVariable())
        return;
    for (size_t i = 1; i < chain->parts.size(); ++i)
        if (chain->parts[i]->mayCallProcedure() || chain->parts[i]->mentions(name->lower))
            return;
    for (size_t i = 1; i < chain->parts.size(); ++i)
        appendParts_.push_back(chain->parts[i].get());
}

Flow CallStmt::exec(Frame &f) const
{
    call->eval(f);
    return Flow::Normal;
}

Flow IfStmt::exec(Frame &f) const
{
    for (const Branch &b : branches)
        if (isTrue(b.condition->eval(f)))
            return execBlock(b.body, f);
    return execBlock(elseBody, f);
}


Flow ForStmt::exec(Frame &f) const
{
    const Value start = loopNumber(from->eval(f));
    const Value end = loopNumber(to->eval(f));
    const Value increment = step ? loopNumber(step->eval(f)) : Value(qint16(1));
    const bool up = increment.toDouble() >= 0;
    counter->store(f, start);
    Value *c = counter->reference(f);
    for (;;) {
        const Value current = c ? *c : counter->eval(f);
        const int cmp = compareNumbers(current, end);
        if (up ? cmp > 0 : cmp < 0)
            return Flow::Normal;
        const Flow flow = execBlock(body, f);
        if (flow == Flow::ExitFor)
            return Flow::Normal;
        if (flow != Flow::Normal)
            return flow;
        f.rt.tick();
        if (c)
            *c = add(*c, increment);
        else
            counter->store(f, add(counter->eval(f), increment));
    }
}


Flow ForEachStmt::exec(Frame &f) const
{
    const Value source = collection->eval(f);
    const auto runBody = [&](Value v, Flow &out) {
        item->store(f, std::move(v));
        const Flow flow = execBlock(body, f);
        f.rt.tick();
        if (flow == Flow::ExitFor) {
            out = Flow::Normal;
            return false;
        }
        out = flow;
        return flow == Flow::Normal;
    };
    Flow result = Flow::Normal;
    switch (source.kind()) {
    case ValueKind::Array: {
        const ArrayRef items = source.array();  // the loop walks this copy
        for (const Value &v : items->items)
            if (!runBody(v, result))
                break;
        return result;
    }
    case ValueKind::IntegerArray: {
        const IntegerArrayRef items = source.integerArray();
        for (qint16 v : *items)
            if (!runBody(Value(v), result))
                break;
        return result;
    }
    case ValueKind::Object: {
        if (source.isNothing())
            throw ScriptException(RuntimeError::ObjectRequired, collection->describe());
        const std::unique_ptr<Enumerator> e = source.object()->enumerate();
        if (!e)
            throw ScriptException(RuntimeError::NotACollection, collection->describe());
        Value v;
        while (e->next(v))
            if (!runBody(std::move(v), result))
                break;
        return result;
    }
    default: throw ScriptException(RuntimeError::NotACollection, collection->describe());
    }
}


Flow DoStmt::exec(Frame &f) const
{
    const auto holds = [&] {
        const bool c = isTrue(condition->eval(f));
        return (test == Test::PreWhile || test == Test::PostWhile) ? c : !c;
    };
    for (;;) {
        if ((test == Test::PreWhile || test == Test::PreUntil) && !holds())
            return Flow::Normal;
        const Flow flow = execBlock(body, f);
        if (flow == Flow::ExitDo && !isWhileWend)
            return Flow::Normal;
        if (flow != Flow::Normal)
            return flow;
        f.rt.tick();
        if ((test == Test::PostWhile || test == Test::PostUntil) && !holds())
            return Flow::Normal;
    }
}


Flow SelectStmt::exec(Frame &f) const
{
    const Value v = subject->eval(f).dereferenced();
    const bool subjectLiteral = subject->isLiteral();
    const auto matches = [&](const Test &t) {
        const Value x = t.value->eval(f);
        switch (t.kind) {
        case Test::Kind::Equal: {
            const auto c = compare(v, x, subjectLiteral, t.value->isLiteral());
            return c && *c == 0;
        }
        case Test::Kind::Range: {
            const auto low = compare(v, x, subjectLiteral, t.value->isLiteral());
            const auto high = compare(v, t.upper->eval(f), subjectLiteral, t.upper->isLiteral());
            return low && high && *low >= 0 && *high <= 0;
        }
        case Test::Kind::Compare: return isTrue(comparison(t.op, v, x, subjectLiteral, t.value->isLiteral()));
        }
        return false;
    };
    for (const Clause &clause : clauses) {
        bool hit = clause.tests.empty();
        for (const Test &t : clause.tests)
            if (matches(t)) {
                hit = true;
                break;
            }
        if (hit)
            return execBlock(clause.body, f);
    }
    return Flow::Normal;
}


Flow OnErrorStmt::exec(Frame &f) const
{
    f.resumeNext = resumeNext;
    f.rt.clearErr();
    return Flow::Normal;
}

Flow ReDimStmt::exec(Frame &f) const
{
    for (const Item &item : items) {
        auto array = std::make_shared<ScriptArray>();
        array->fixed = fixed;
        qint64 total = item.bounds.empty() ? 0 : 1;
        for (const auto &b : item.bounds) {
            const qint32 upper = b->eval(f).toLong();
            if (upper < -1)
                throw ScriptException(RuntimeError::SubscriptOutOfRange, item.target->describe());
            array->dims.append({0, upper + 1});
            total *= upper + 1;
            if (total > f.rt.limits.maxArrayElements)
                throw ScriptException(RuntimeError::OutOfMemory);
        }
        const Value old = fixed ? Value() : item.target->eval(f);
        if (old.kind() == ValueKind::Array && old.array()->fixed)
            throw ScriptException(RuntimeError::ArrayLocked, item.target->describe());
        if (preserve && old.kind() == ValueKind::Array && !old.array()->dims.isEmpty()) {
            // Only the last dimension may change; the elements stay where
            // they are because the first index varies fastest.
            const ScriptArray &before = *old.array();
            if (before.dims.size() != array->dims.size())
                throw ScriptException(RuntimeError::SubscriptOutOfRange, item.target->describe());
            for (qsizetype d = 0; d + 1 < before.dims.size(); ++d)
                if (before.dims[d].count != array->dims[d].count)
                    throw ScriptException(RuntimeError::SubscriptOutOfRange, item.target->describe());
            array->items = before.items;
        }
        array->items.resize(qsizetype(total));
        f.rt.work(total);
        item.target->store(f, Value(array));
    }
    return Flow::Normal;
}


Flow EraseStmt::exec(Frame &f) const
{
    for (const auto &t : targets) {
        Value v = t->eval(f);
        if (v.kind() != ValueKind::Array)
            throw ScriptException(RuntimeError::TypeMismatch, t->describe());
        if (v.array()->fixed) {
            ScriptArray &a = v.mutableArray();
            for (Value &item : a.items)
                item = Value();
        } else {
            v = Value(std::make_shared<ScriptArray>());
        }
        t->store(f, std::move(v));
    }
    return Flow::Normal;
}


Flow WithStmt::exec(Frame &f) const
{
    Value o = object->eval(f);
    if (!o.isObject() || o.isNothing())
        throw ScriptException(RuntimeError::ObjectRequired, object->describe());
    holder->store(f, std::move(o));
    const auto release = qScopeGuard([&] { holder->store(f, Value()); });
    return execBlock(body, f);
}


}  // namespace script::vbs
