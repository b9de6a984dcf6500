#include "script/js/JsBackend.h"

#include "script/Deadline.h"
#include "script/js/EngineStack.h"

#include <QDateTime>
#include <atomic>
#include <mutex>
#include <QHash>
#include <QJSEngine>
#include <cmath>

namespace script {

namespace jsdetail {

class JsBackend;

// A VBScript array or a host array in JScript. As on Windows, JScript
// cannot index it; VBArray reads it (toArray, ubound, lbound, getItem).
class JsArrayHandle : public QObject {
    Q_OBJECT
public:
    JsArrayHandle(Value array, JsBackend &backend) : array(std::move(array)), backend_(backend) {}

    Q_INVOKABLE int dimensions() const;
    Q_INVOKABLE int lbound(int dimension = 1) const;
    Q_INVOKABLE int ubound(int dimension = 1) const;
    Q_INVOKABLE QJSValue getItem(int i);
    Q_INVOKABLE QJSValue getItem(int i, int j);
    Q_INVOKABLE QJSValue toArray();

    const Value array;

private:
    QJSValue item(const QList<qint32> &indexes);
    JsBackend &backend_;
};

// The one object through which the JScript glue reaches host objects. A
// host object is a number there, its handle: an index into the backend's
// table, which keeps the object and its JScript object (made once, on its
// first way into JScript). Entries thus cost no QObject of their own, and
// a member read is one call.
class JsBridge : public QObject {
    Q_OBJECT
public:
    explicit JsBridge(JsBackend &backend) : backend_(backend) {}

    // Results come back as QVariant: QJSEngine takes a QString from a
    // QVariant quickly, but one inside a returned QJSValue very slowly. A
    // host object comes back as a reference, [handle, class, the values of
    // its plain properties by member index], which the glue turns into the
    // object's one JScript object; so one call both finds an entry and
    // reads its fields. A JScript object handed back is boxed: [-1, value].
    Q_INVOKABLE QVariant get(int handle, int member);
    // The reference of an object with its plain properties read afresh.
    Q_INVOKABLE QVariant fields(int handle);
    Q_INVOKABLE void set(int handle, int member, const QJSValue &value);
    // Calls a method (or, with member -1, the default member) with argc
    // arguments: the first six here, any further ones handed to extra()
    // before. (A JScript array as one argument costs QJSEngine far more
    // than separate arguments.)
    Q_INVOKABLE QVariant call(int handle, int member, int argc, const QJSValue &a0, const QJSValue &a1,
                              const QJSValue &a2, const QJSValue &a3, const QJSValue &a4, const QJSValue &a5);
    // The common calls, without five unused arguments to convert.
    Q_INVOKABLE QVariant call0(int handle, int member);
    Q_INVOKABLE QVariant call1(int handle, int member, const QJSValue &a0);
    Q_INVOKABLE void extra(const QJSValue &value) { extras_.append(value); }
    // The collection's items as an array of results (references without
    // fields); undefined for an object that is no collection.
    Q_INVOKABLE QVariant items(int handle);
    // An item reader's results, with fields, for up to count positions from
    // first on; it stops before the first position the reader refuses.
    Q_INVOKABLE QVariant ahead(int handle, int member, int first, int count);

    // [lower-case name, index, is a method, callable without arguments,
    // name as declared, is plain] for every member of a class.
    Q_INVOKABLE QJSValue members(int classId);
    // The index of the class's default member, or -1.
    Q_INVOKABLE int defaultMember(int classId) const;
    Q_INVOKABLE bool isArrayHandle(const QJSValue &value) const;

private:
    QVariant callWith(int handle, int member, const QList<Value> &args);
    // fn(object) for the host object of handle, unless the script is being
    // stopped or the handle names none; a host error is thrown into the
    // script and the call returns nothing.
    template <class Fn>
    QVariant withObject(int handle, Fn fn);
    JsBackend &backend_;
    QList<QJSValue> extras_;
};

// A JScript value handed to the host (an array given to trace, say): its
// default value is the value's own text, as JScript writes it.
class JsValueObject : public HostObject {
public:
    JsValueObject(QJSValue value, const QJSEngine *engine) : value(std::move(value)), engine(engine) {}
    const HostClass &hostClass() const override
    {
        static const HostClass cls = [] {
            HostClass c(QStringLiteral("JScriptTypeInfo"));
            HostClassBuilder<JsValueObject>(c)
                .method("toString", 0, 0, [](JsValueObject &o, Args) { return o.value.toString(); })
                .defaultMember("toString");
            return c;
        }();
        return cls;
    }
    const QJSValue value;
    const QJSEngine *engine;
};

// The property under which a host object's JScript object keeps its handle
// (not enumerable); the C++ side reads it to know the object again.
const QString kHandleKey = QStringLiteral("\u0001lirraHandle");

// The JScript half of the host-object model.
const char *const kPrelude = R"JS(
(function (bridge, global, KEY) {
    "use strict";
    // The bridge's functions, looked up once: a lookup on the bridge costs
    // as much as the call.
    const bget = bridge.get, bfields = bridge.fields, bset = bridge.set, call0 = bridge.call0,
          call1 = bridge.call1, calln = bridge.call, extra = bridge.extra, bitems = bridge.items,
          bahead = bridge.ahead;
    const classes = [];
    // The plain properties of each object, read together in one call and
    // kept by handle until anything may have changed them: every call and
    // write of the host that does more than read starts a new era (as does
    // every run). A reference keeps the values from its third place on.
    let era = 0;
    const KEPT = 256;  // objects' values kept at a time, in slots by handle
    const kept = new Array(KEPT), keptHandle = new Array(KEPT).fill(-1), keptEra = new Array(KEPT).fill(-1);
    function isKept(h) {
        const slot = h & (KEPT - 1);
        return keptHandle[slot] === h && keptEra[slot] === era;
    }
    function plainRead(h, index) {
        if (!isKept(h)) {
            ret(bfields(h));
            if (!isKept(h))
                return undefined;  // the call was stopped
        }
        const v = kept[h & (KEPT - 1)][index + 2];
        return Array.isArray(v) ? ret(v) : v;
    }
    // The answer of the last method that only reads called without
    // arguments (clc.count() in a loop's condition), kept the same way.
    let answerHandle = -1, answerIndex = -2, answerEra = -1, answer;
    // The items a collection's item reader returned for the positions from
    // aheadFrom on, read in one call and kept the same way: a walk over a
    // collection by position costs one call per block of items. A block is
    // one item, and twice the last one when a walk reads on past its end,
    // so that a script that reads here and there, or writes as it goes,
    // reads no more than it asks for.
    const LONGEST_AHEAD = 512;
    let aheadHandle = -1, aheadIndex = -2, aheadEra = -1, aheadFrom = 0, ahead = [];
    function readItem(h, m, index, args) {
        const pos = args[0];
        if (args.length !== 1 || typeof pos !== "number" || pos !== (pos | 0))
            return invoke(h, index, args, m);
        const k = pos - aheadFrom;
        const same = h === aheadHandle && index === aheadIndex && era === aheadEra;
        if (same && k >= 0 && k < ahead.length)
            return ret(ahead[k]);
        const count = same && k === ahead.length ? Math.min(2 * ahead.length, LONGEST_AHEAD) : 1;
        const items = bahead(h, m.index, pos, count);
        if (items === undefined || items.length === 0)
            return invoke(h, index, args, m);  // past the end: the reader's own error
        aheadHandle = h;
        aheadIndex = index;
        aheadEra = era;
        aheadFrom = pos;
        ahead = items;
        return ret(items[0]);
    }
    function newEra() { ++era; }
    // The JScript object of each host object by handle, made on its first
    // way into JScript, so that the same object is always the same value.
    const objects = [];
    function objectOf(h, classId) {
        let o = objects[h];
        if (o === undefined)
            o = objects[h] = wrap(h, classId);
        return o;
    }
    // A bridge result as the script sees it.
    function ret(r) {
        if (!Array.isArray(r))
            return r;
        const h = r[0];
        if (h < 0)
            return r[1];
        if (r.length > 2) {
            const slot = h & (KEPT - 1);
            kept[slot] = r;
            keptHandle[slot] = h;
            keptEra[slot] = era;
        }
        return objectOf(h, r[1]);
    }
    function itemsOf(h) {
        const items = bitems(h);
        if (items === undefined)
            return undefined;
        for (let i = 0; i < items.length; ++i)
            items[i] = ret(items[i]);
        return items;
    }
    function noMember(key) {
        const e = new Error("Object doesn't support this property or method: '" + String(key) + "'");
        e.number = 438;  // as VBScript numbers it
        return e;
    }
    // A class's members by lower-case name, asked of C++ once per class,
    // with the prototype its objects share.
    function classOf(id) {
        let c = classes[id];
        if (c === undefined) {
            const table = Object.create(null);
            const list = bridge.members(id);
            // Both spellings as declared and in lower case find a member
            // without lowering the name asked for.
            for (let i = 0; i < list.length; ++i)
                table[list[i][0]] = table[list[i][4]] = { index: list[i][1], method: list[i][2], zero: list[i][3],
                                                          plain: list[i][5], readsOnly: list[i][6],
                                                          itemReader: list[i][7] };
            const d = bridge.defaultMember(id);
            c = classes[id] = { members: table, hasDefault: d >= 0, defaultMember: d >= 0 ? table[list[d][0]] : null,
                                proto: null };
            if (!c.hasDefault)
                c.proto = prototypeOf(list, table);
        }
        return c;
    }
    function member(table, key) {
        if (typeof key !== "string")
            throw noMember(key);
        const m = table[key];
        if (m !== undefined)
            return m;
        const lower = table[key.toLowerCase()];
        if (lower === undefined)
            throw noMember(key);
        return lower;
    }
    // Calls member index (-1: the default member) of h; m describes it.
    function invoke(h, index, args, m) {
        const n = args.length;
        if (m.readsOnly) {
            if (n === 0) {
                if (h !== answerHandle || index !== answerIndex || era !== answerEra) {
                    answer = call0(h, index);
                    answerHandle = h;
                    answerIndex = index;
                    answerEra = era;
                }
                return ret(answer);
            }
        } else {
            ++era;
        }
        if (n === 0)
            return ret(call0(h, index));
        if (n === 1)
            return ret(call1(h, index, args[0]));
        for (let i = 6; i < n; ++i)
            extra(args[i]);
        return ret(calln(h, index, n, args[0], args[1], args[2], args[3], args[4], args[5]));
    }
    function method(h, m) {
        const f = m.itemReader ? function () { return readItem(h, m, m.index, arguments); }
                               : function () { return invoke(h, m.index, arguments, m); };
        // As with a dispatch call, a method that needs no arguments also
        // stands for its result: clc.count and clc.count() both count.
        if (m.zero)
            f.valueOf = function () { return invoke(h, m.index, [], m); };
        return f;
    }
    // A call of the object itself, clc(1): m describes its default member.
    function invokeDefault(h, m, args) {
        return m.itemReader ? readItem(h, m, -1, args) : invoke(h, -1, args, m);
    }
    function collectionIterator(h) {
        return function () {
            ++era;
            const items = itemsOf(h);
            if (items === undefined)
                throw new TypeError("Object not a collection");
            return items[Symbol.iterator]();
        };
    }
    // A member read or written on an object of handle h: a property is one
    // call; a method is a function made on first use and kept in cache.
    function read(h, table, cache, key) {
        const m = member(table, key);
        if (m.plain)
            return plainRead(h, m.index);
        if (!m.method) {
            ++era;
            return ret(bget(h, m.index));
        }
        let f = cache[m.index];
        if (f === undefined)
            f = cache[m.index] = method(h, m);
        return f;
    }
    function write(h, table, key, value) {
        const m = member(table, key);
        if (m.method)
            throw noMember(key);
        ++era;
        bset(h, m.index, value);
        return true;
    }
    // An object that cannot be called is a plain object whose class's
    // prototype holds accessors for each member as declared and in lower
    // case; a proxy below the prototype catches every other spelling, as
    // member names ignore case.
    function prototypeOf(list, table) {
        const below = new Proxy({}, {
            get(t, key, receiver) {
                if (typeof key !== "string") {
                    if (key === Symbol.iterator)
                        return collectionIterator(receiver[KEY]);
                    return undefined;
                }
                return read(receiver[KEY], table, [], key);
            },
            set(t, key, value, receiver) { return write(receiver[KEY], table, key, value); },
            has(t, key) { return typeof key === "string" && table[key.toLowerCase()] !== undefined; },
        });
        const proto = Object.create(below);
        for (let i = 0; i < list.length; ++i) {
            const m = table[list[i][0]];
            const index = m.index + 2;  // in a reference
            let accessor;
            if (m.method) {
                accessor = {
                    get() { return method(this[KEY], m); },
                    set() { throw noMember(list[i][4]); },
                };
            } else {
                accessor = {
                    get: m.plain ? function () {
                        const h = this[KEY];
                        const slot = h & (KEPT - 1);
                        if (keptHandle[slot] === h && keptEra[slot] === era) {
                            const v = kept[slot][index];
                            if (!Array.isArray(v))
                                return v;
                        }
                        return plainRead(h, m.index);
                    } : function () { ++era; return ret(bget(this[KEY], m.index)); },
                    set(value) { ++era; bset(this[KEY], m.index, value); },
                };
            }
            Object.defineProperty(proto, list[i][0], accessor);
            if (list[i][4] !== list[i][0])
                Object.defineProperty(proto, list[i][4], accessor);
        }
        return proto;
    }
    // The JScript object of host object h, made once per object (the C++
    // side keeps it, so that the same object is always the same value).
    function wrap(h, classId) {
        const c = classOf(classId);
        if (c.proto !== null) {
            const o = Object.create(c.proto);
            Object.defineProperty(o, KEY, { value: h });
            return o;
        }
        // An object with a default member can be called, clc(1): a proxy
        // around a function.
        const table = c.members, byDefault = c.defaultMember;
        const cache = [];
        const t = () => undefined;
        return new Proxy(t, {
            get(t, key) {
                if (typeof key !== "string") {
                    if (key === Symbol.toPrimitive)
                        return function () { return invokeDefault(h, byDefault, []); };
                    if (key === Symbol.iterator)
                        return collectionIterator(h);
                    return undefined;
                }
                if (key === KEY)
                    return h;
                return read(h, table, cache, key);
            },
            set(t, key, value) { return write(h, table, key, value); },
            has(t, key) { return typeof key === "string" && table[key.toLowerCase()] !== undefined; },
            apply(t, self, args) { return invokeDefault(h, byDefault, args); },
        });
    }
    function addGlobals(p, names) {
        for (let i = 0; i < names.length; ++i) {
            const name = names[i];
            Object.defineProperty(global, name, {
                configurable: true,
                get() { return p[name]; },
                set(v) { p[name] = v; },
            });
        }
    }
    function handleOf(v) {
        return v !== null && (typeof v === "object" || typeof v === "function") ? v[KEY] : undefined;
    }
    function Enumerator(c) {
        if (!(this instanceof Enumerator))
            return new Enumerator(c);
        const h = handleOf(c);
        if (h !== undefined)
            ++era;
        const items = h !== undefined ? itemsOf(h) : Array.isArray(c) ? c : undefined;
        if (items === undefined || items === null)
            throw new TypeError("Object not a collection");
        this._items = items;
        this._at = 0;
    }
    Enumerator.prototype.atEnd = function () { return this._at >= this._items.length; };
    Enumerator.prototype.item = function () { return this._items[this._at]; };
    Enumerator.prototype.moveNext = function () { ++this._at; };
    Enumerator.prototype.moveFirst = function () { this._at = 0; };
    function VBArray(a) {
        if (!bridge.isArrayHandle(a))
            throw new TypeError("VBArray expected");
        return a;
    }
    Object.defineProperty(global, "Enumerator", { value: Enumerator, writable: true, configurable: true });
    Object.defineProperty(global, "VBArray", { value: VBArray, writable: true, configurable: true });
    return { objectOf: objectOf, addGlobals: addGlobals, newEra: newEra };
})
)JS";

// JScript's line ends.
QStringList splitLines(const QString &code)
{
    QStringList lines;
    qsizetype start = 0;
    for (qsizetype i = 0; i < code.size(); ++i) {
        const QChar c = code[i];
        if (c != u'\n' && c != u'\r' && c != QChar(0x2028) && c != QChar(0x2029))
            continue;
        lines << code.mid(start, i - start);
        if (c == u'\r' && i + 1 < code.size() && code[i + 1] == u'\n')
            ++i;
        start = i + 1;
    }
    lines << code.mid(start);
    return lines;
}

// QJSEngine compiles a function to machine code only from its third call
// on: a script's top level, and the function it calls once to do its work
// (the usual shape of a script), would run in the bytecode interpreter,
// three times slower. The engine reads the threshold from the environment
// when it is made; a value the user set is kept.
std::unique_ptr<QJSEngine> makeEngine()
{
    static std::once_flag once;
    std::call_once(once, [] {
        if (!qEnvironmentVariableIsSet("QV4_JIT_CALL_THRESHOLD"))
            qputenv("QV4_JIT_CALL_THRESHOLD", "0");
    });
    return std::make_unique<QJSEngine>();
}

class JsBackend final : public ScriptBackend {
public:
    explicit JsBackend(Deadline &deadline)
        : deadline_(deadline), engine_(makeEngine()), bridge_(new JsBridge(*this)),
          engineThread_(pthread_self())
    {
        QJSEngine::setObjectOwnership(bridge_, QJSEngine::CppOwnership);
        const QJSValue glue = engine_->evaluate(QString::fromUtf8(kPrelude), QStringLiteral("lirra-host"))
                                  .call({engine_->newQObject(bridge_), engine_->globalObject(), kHandleKey});
        objectOf_ = glue.property(QStringLiteral("objectOf"));
        addGlobals_ = glue.property(QStringLiteral("addGlobals"));
        newEra_ = glue.property(QStringLiteral("newEra"));
    }

    ~JsBackend() override
    {
        // The engine's objects go first; the bridge was the C++ side's.
        objectOf_ = addGlobals_ = newEra_ = QJSValue();
        engine_.reset();
        delete bridge_;
    }

    void addObject(const QString &name, const ObjectRef &object, bool addMembers) override
    {
        engine_->globalObject().setProperty(name, toJs(Value(object)));
        if (!addMembers || !object)
            return;
        const HostClass &cls = object->hostClass();
        QStringList names;
        for (int i = 0; i < cls.memberCount(); ++i) {
            const QString listed = cls.member(i).name;
            names << listed;
            if (listed.toLower() != listed)
                names << listed.toLower();
        }
        addGlobals_.call({engine_->globalObject().property(name), engine_->toScriptValue(names)});
    }

    void interruptFromWatchdog(bool now) override
    {
        if (now) {
            // Interrupted, the engine unwinds without saying where it was:
            // the stack is read first.
            const QString stack = stackOfRunningEngine(*engine_, engineThread_);
            {
                const std::lock_guard lock(heldStackMutex_);
                heldStack_ = stack;
            }
            engine_->setInterrupted(true);
        } else
            stopAtHostCall_.store(true);
    }

    // Called first by every call of the glue: a call whose deadline ran out
    // stops here, where the engine can still tell the line that was running.
    bool stopsAtHostCall()
    {
        deadline_.poll();  // the window's Stop may act, between host calls
        if (!stopAtHostCall_.load(std::memory_order_relaxed))
            return false;
        stopAtHostCall_.store(false);
        stoppedAt_ = engine_->evaluate(QStringLiteral("new Error().stack")).toString();
        engine_->setInterrupted(true);
        return true;
    }

    std::optional<ScriptError> addCode(const QString &code) override { return run(code, nullptr); }
    std::optional<ScriptError> executeStatement(const QString &statement) override { return run(statement, nullptr); }
    std::optional<ScriptError> evaluate(const QString &expression, Value &result) override
    {
        return run(expression, &result);
    }

    // ----- values between the two sides -----

    QJSValue toJs(const Value &v)
    {
        switch (v.kind()) {
        case ValueKind::Empty: return QJSValue(QJSValue::UndefinedValue);
        case ValueKind::Null: return QJSValue(QJSValue::NullValue);
        case ValueKind::Boolean: return QJSValue(v.boolean());
        case ValueKind::Byte: return QJSValue(int(v.byte()));
        case ValueKind::Integer: return QJSValue(int(v.integer()));
        case ValueKind::Currency: return QJSValue(v.currency().toDouble());
        case ValueKind::Long: return QJSValue(int(v.longValue()));
        case ValueKind::Single: return QJSValue(double(v.single()));
        case ValueKind::Double: return QJSValue(v.doubleValue());
        case ValueKind::String: return QJSValue(v.string());
        case ValueKind::Date: {
            const double days = v.dateValue();
            const QDateTime epoch(QDate(1899, 12, 30), QTime(0, 0));
            return engine_->toScriptValue(epoch.addMSecs(qint64(std::llround(days * 86400000.0))));
        }
        case ValueKind::Object: {
            if (v.isNothing())
                return QJSValue(QJSValue::NullValue);
            if (auto *js = dynamic_cast<JsValueObject *>(v.object()); js && js->engine == engine_.get())
                return js->value;
            return objectOf_.call({handleFor(v.objectRef()), classId(v.object()->hostClass())});
        }
        case ValueKind::Array:
        case ValueKind::IntegerArray: {
            auto *handle = new JsArrayHandle(v, *this);
            QJSEngine::setObjectOwnership(handle, QJSEngine::JavaScriptOwnership);
            return engine_->newQObject(handle);
        }
        }
        return {};
    }

    // A host member's result on its way back through the bridge; a host
    // object as its reference, with its fields when withFields.
    QVariant toReturned(const Value &v, bool withFields = true)
    {
        switch (v.kind()) {
        case ValueKind::Empty: return QVariant();
        case ValueKind::Boolean: return QVariant(v.boolean());
        case ValueKind::Integer: return QVariant(int(v.integer()));
        case ValueKind::Long: return QVariant(int(v.longValue()));
        case ValueKind::Single: return QVariant(double(v.single()));
        case ValueKind::Double: return QVariant(v.doubleValue());
        case ValueKind::String: return QVariant(v.string());
        case ValueKind::Object:
            if (v.isNothing())
                break;
            if (auto *js = dynamic_cast<JsValueObject *>(v.object()); js && js->engine == engine_.get())
                return QVariantList{-1, QVariant::fromValue(js->value)};
            return reference(v.objectRef(), withFields);
        default: break;
        }
        return QVariant::fromValue(toJs(v));
    }

    QVariantList reference(const ObjectRef &object, bool withFields)
    {
        const HostClass &cls = object->hostClass();
        QVariantList r{handleFor(object), classId(cls)};
        if (!withFields)
            return r;
        r.reserve(2 + cls.memberCount());
        for (int i = 0; i < cls.memberCount(); ++i)
            r.append(cls.member(i).plain ? toReturned(cls.member(i).get(*object, {}), false) : QVariant());
        return r;
    }

    // The handle of a host object, given on its first way into JScript.
    // The table keeps the object for as long as the engine lives (until the
    // next Run or Reset), and the glue its one JScript object, which keeps
    // `clc(1) === clc(1)`.
    int handleFor(const ObjectRef &object)
    {
        const auto known = handles_.constFind(object.get());
        if (known != handles_.constEnd())
            return *known;
        const int handle = int(objects_.size());
        objects_.append(object);
        handles_.insert(object.get(), handle);
        return handle;
    }

    // The host object of a handle, or null for a number that is none.
    HostObject *object(int handle) const
    {
        return handle >= 0 && handle < objects_.size() ? objects_[handle].get() : nullptr;
    }
    const ObjectRef &objectRef(int handle) const { return objects_[handle]; }

    int defaultMember(int id) const { return id >= 0 && id < classes_.size() ? classes_[id]->defaultMember() : -1; }

    Value fromJs(QJSValue v)
    {
        if (v.isUndefined())
            return Value();
        if (v.isNull())
            return Value::null();
        if (v.isBool())
            return Value(v.toBool());
        if (v.isNumber()) {
            const double d = v.toNumber();
            if (d == std::trunc(d) && d >= -2147483648.0 && d <= 2147483647.0)
                return Value(qint32(d));
            return Value(d);
        }
        if (v.isString())
            return Value(v.toString());
        if (v.isQObject()) {
            if (auto *array = qobject_cast<JsArrayHandle *>(v.toQObject()))
                return array->array;
        } else if (v.isObject()) {
            // A host object's JScript object stands for the host object.
            const QJSValue handle = v.property(kHandleKey);
            if (handle.isNumber() && object(handle.toInt()))
                return Value(objectRef(handle.toInt()));
        }
        if (v.isDate()) {
            const QDateTime t = v.toDateTime().toLocalTime();
            const double days = QDate(1899, 12, 30).daysTo(t.date()) + t.time().msecsSinceStartOfDay() / 86400000.0;
            return DateValue::inRange(days) ? Value(DateValue{days}) : Value(days);
        }
        return Value(std::make_shared<JsValueObject>(v, engine_.get()));
    }

    QJSValue toJsList(const QList<Value> &items)
    {
        QJSValue out = engine_->newArray(uint(items.size()));
        for (qsizetype i = 0; i < items.size(); ++i)
            out.setProperty(quint32(i), toJs(items[i]));
        return out;
    }

    // A host member failed: the script sees a thrown Error with the same
    // words and number as in VBScript.
    void raise(const ScriptException &e)
    {
        QJSValue error = engine_->newErrorObject(QJSValue::GenericError, e.description);
        error.setProperty(QStringLiteral("number"), e.number);
        engine_->throwError(error);
    }

    int classId(const HostClass &cls)
    {
        const auto it = classIds_.constFind(&cls);
        if (it != classIds_.constEnd())
            return *it;
        classes_.append(&cls);
        classIds_.insert(&cls, int(classes_.size() - 1));
        return int(classes_.size() - 1);
    }

    QJSValue membersOf(int id)
    {
        if (id < 0 || id >= classes_.size())
            return engine_->newArray();
        const HostClass &cls = *classes_[id];
        QJSValue list = engine_->newArray(uint(cls.memberCount()));
        for (int i = 0; i < cls.memberCount(); ++i) {
            const HostMember &m = cls.member(i);
            QJSValue entry = engine_->newArray(8);
            entry.setProperty(0, m.name.toLower());
            entry.setProperty(1, i);
            // A property that needs arguments (ItemData(row)) is called.
            entry.setProperty(2, m.kind == MemberKind::Method || !m.acceptsArgs(0));
            entry.setProperty(3, m.acceptsArgs(0));
            entry.setProperty(4, m.name);
            entry.setProperty(5, m.plain);
            entry.setProperty(6, m.readsOnly);
            entry.setProperty(7, m.itemReader);
            list.setProperty(quint32(i), entry);
        }
        return list;
    }

private:
    std::optional<ScriptError> run(const QString &code, Value *result)
    {
        const QString file = QStringLiteral("script%1").arg(++serial_);
        sources_.insert(file, splitLines(code));
        QStringList stack;
        engine_->setInterrupted(false);  // a watchdog that fired as the last call ended
        stopAtHostCall_.store(false);
        stoppedAt_.clear();
        {
            const std::lock_guard lock(heldStackMutex_);
            heldStack_.clear();
        }
        newEra_.call();  // the host may have changed since the last run
        const QJSValue r = engine_->evaluate(code, file, 1, &stack);
        const bool interrupted = engine_->isInterrupted();
        engine_->setInterrupted(false);
        if (interrupted)
            return failure(r, stack, true);
        if (!stack.isEmpty() || r.isError())
            return failure(r, stack, false);
        if (result)
            *result = fromJs(r);
        return std::nullopt;
    }

    // The engine reports file names as URLs (file:script3).
    static QString chunkName(const QString &url)
    {
        return url.startsWith(u"file:") ? url.mid(5) : url;
    }

    // Where in the script's own code an error happened: the innermost
    // frame that belongs to it (not to the glue of the host objects).
    void locate(ScriptError &e, const QJSValue &thrown, const QStringList &stack) const
    {
        for (const QString &frame : stack) {
            // function:line:column:file
            const QStringList parts = frame.split(u':');
            if (parts.size() < 4)
                continue;
            const QString file = chunkName(parts.mid(3).join(u':'));
            if (!sources_.contains(file))
                continue;
            e.line = parts[1].toInt();
            e.column = parts[2].toInt();
            e.text = sources_[file].value(e.line - 1);
            return;
        }
        const QString file = chunkName(thrown.property(QStringLiteral("fileName")).toString());
        if (sources_.contains(file)) {
            e.line = thrown.property(QStringLiteral("lineNumber")).toInt();
            e.text = sources_[file].value(e.line - 1);
        }
    }

    ScriptError failure(const QJSValue &thrown, const QStringList &stack, bool timedOut) const
    {
        ScriptError e;
        if (timedOut) {
            const RuntimeError why = deadline_.aborted().value_or(RuntimeError::ScriptTimedOut);
            e.number = errorNumber(why);
            e.source = kJsRuntimeSource;
            e.description = errorText(why);
        } else if (thrown.isError()) {
            const QJSValue::ErrorType type = thrown.errorType();
            const QJSValue number = thrown.property(QStringLiteral("number"));
            e.number = number.isNumber() ? number.toInt() : type == QJSValue::SyntaxError ? 1002
                                                         : type == QJSValue::TypeError    ? 13
                                                         : type == QJSValue::ReferenceError ? 5009
                                                                                            : 5;
            e.source = type == QJSValue::SyntaxError ? kJsCompileSource : kJsRuntimeSource;
            e.description = thrown.toString();
        } else {
            e.number = 4097;
            e.source = kJsRuntimeSource;
            e.description = QStringLiteral("Exception thrown and not caught: ") + thrown.toString();
        }
        // A stop at a host call, or in pure JScript, left the stack as it
        // was then: "function@file:script3:12" lines.
        QStringList frames = stack;
        if (timedOut && frames.isEmpty()) {
            QString stoppedAt = stoppedAt_;
            if (stoppedAt.isEmpty()) {
                const std::lock_guard lock(heldStackMutex_);
                stoppedAt = heldStack_;
            }
            for (const QString &frame : stoppedAt.split(u'\n', Qt::SkipEmptyParts)) {
                const qsizetype at = frame.indexOf(u'@');
                const qsizetype colon = frame.lastIndexOf(u':');
                if (at >= 0 && colon > at)
                    frames << QStringLiteral("%1:%2:0:%3").arg(frame.left(at), frame.mid(colon + 1), frame.mid(at + 1, colon - at - 1));
            }
        }
        locate(e, thrown, frames);
        return e;
    }

    Deadline &deadline_;
    std::unique_ptr<QJSEngine> engine_;
    JsBridge *bridge_;
    QJSValue objectOf_, addGlobals_, newEra_;
    // The handle table: host objects by handle, and the handle of each.
    QList<ObjectRef> objects_;
    QHash<const HostObject *, int> handles_;
    QList<const HostClass *> classes_;
    QHash<const HostClass *, int> classIds_;
    QHash<QString, QStringList> sources_;
    int serial_ = 0;
    std::atomic<bool> stopAtHostCall_ = false;
    QString stoppedAt_;  // the stack where a stop at a host call found the script
    const pthread_t engineThread_;
    mutable std::mutex heldStackMutex_;
    QString heldStack_;  // the stack where the watchdog found a script it interrupted
};

// ----- the bridge -----

namespace {

QString memberName(const HostObject &object, int member)
{
    const HostClass &cls = object.hostClass();
    return member >= 0 && member < cls.memberCount() ? cls.member(member).name : QString();
}

}  // namespace

template <class Fn>
QVariant JsBridge::withObject(int handle, Fn fn)
{
    if (backend_.stopsAtHostCall())
        return {};
    HostObject *object = backend_.object(handle);
    if (!object)
        return {};
    try {
        return fn(*object);
    } catch (const ScriptException &e) {
        backend_.raise(e);
        return {};
    }
}

QVariant JsBridge::get(int handle, int member)
{
    return withObject(handle, [&](HostObject &object) {
        return backend_.toReturned(readMember(object, member, {}, memberName(object, member)));
    });
}

QVariant JsBridge::fields(int handle)
{
    return withObject(handle, [&](HostObject &) { return backend_.reference(backend_.objectRef(handle), true); });
}

void JsBridge::set(int handle, int member, const QJSValue &value)
{
    withObject(handle, [&](HostObject &object) {
        writeMember(object, member, {}, backend_.fromJs(value), memberName(object, member));
        return QVariant();
    });
}

QVariant JsBridge::call(int handle, int member, int argc, const QJSValue &a0, const QJSValue &a1, const QJSValue &a2,
                        const QJSValue &a3, const QJSValue &a4, const QJSValue &a5)
{
    const QList<QJSValue> extras = std::exchange(extras_, {});
    QList<Value> values;
    const QJSValue *first[] = {&a0, &a1, &a2, &a3, &a4, &a5};
    for (int i = 0; i < std::min(argc, 6); ++i)
        values.append(backend_.fromJs(*first[i]));
    for (const QJSValue &v : extras)
        values.append(backend_.fromJs(v));
    return callWith(handle, member, values);
}

QVariant JsBridge::call0(int handle, int member)
{
    return callWith(handle, member, {});
}

QVariant JsBridge::call1(int handle, int member, const QJSValue &a0)
{
    return callWith(handle, member, {backend_.fromJs(a0)});
}

QVariant JsBridge::callWith(int handle, int member, const QList<Value> &values)
{
    return withObject(handle, [&](HostObject &object) {
        if (member < 0)
            return backend_.toReturned(readDefault(object, values, object.hostClass().typeName()));
        return backend_.toReturned(readMember(object, member, values, memberName(object, member)));
    });
}

QVariant JsBridge::items(int handle)
{
    return withObject(handle, [&](HostObject &object) -> QVariant {
        const std::unique_ptr<Enumerator> e = object.enumerate();
        if (!e)
            return {};
        QVariantList values;
        Value v;
        while (e->next(v))
            values.append(backend_.toReturned(v, false));
        return values;
    });
}

QVariant JsBridge::ahead(int handle, int member, int first, int count)
{
    return withObject(handle, [&](HostObject &object) -> QVariant {
        const HostClass &cls = object.hostClass();
        if (member < 0 || member >= cls.memberCount() || !cls.member(member).itemReader)
            return {};
        QVariantList results;
        for (qint64 position = first; position < qint64(first) + count && position <= INT_MAX; ++position) {
            try {
                const Value arg{qint32(position)};
                results.append(backend_.toReturned(cls.member(member).get(object, Args(&arg, 1))));
            } catch (const ScriptException &) {
                break;  // the script's own call meets the error
            }
        }
        return results;
    });
}

int JsArrayHandle::dimensions() const
{
    return array.kind() == ValueKind::Array ? int(array.array()->dims.size()) : 1;
}

int JsArrayHandle::lbound(int dimension) const
{
    if (array.kind() == ValueKind::Array && dimension >= 1 && dimension <= array.array()->dims.size())
        return array.array()->dims[dimension - 1].lower;
    return 0;
}

int JsArrayHandle::ubound(int dimension) const
{
    if (array.kind() == ValueKind::Array)
        return dimension >= 1 && dimension <= array.array()->dims.size() ? array.array()->upper(dimension - 1) : -1;
    return int(array.integerArray()->size() - 1);
}

QJSValue JsArrayHandle::item(const QList<qint32> &indexes)
{
    if (array.kind() == ValueKind::IntegerArray) {
        const QList<qint16> &items = *array.integerArray();
        if (indexes.size() == 1 && indexes[0] >= 0 && indexes[0] < items.size())
            return QJSValue(int(items[indexes[0]]));
    } else {
        const qsizetype pos = array.array()->offset(indexes.data(), indexes.size());
        if (pos >= 0)
            return backend_.toJs(array.array()->items[pos]);
    }
    backend_.raise(ScriptException(RuntimeError::SubscriptOutOfRange));
    return {};
}

QJSValue JsArrayHandle::getItem(int i)
{
    return item({i});
}

QJSValue JsArrayHandle::getItem(int i, int j)
{
    return item({i, j});
}

QJSValue JsArrayHandle::toArray()
{
    if (array.kind() == ValueKind::Array)
        return backend_.toJsList(array.array()->items);
    QList<Value> values;
    for (qint16 s : *array.integerArray())
        values.append(Value(s));
    return backend_.toJsList(values);
}

QJSValue JsBridge::members(int classId)
{
    return backend_.membersOf(classId);
}

int JsBridge::defaultMember(int classId) const
{
    return backend_.defaultMember(classId);
}

bool JsBridge::isArrayHandle(const QJSValue &value) const
{
    return qobject_cast<JsArrayHandle *>(value.toQObject()) != nullptr;
}

}  // namespace jsdetail

std::unique_ptr<ScriptBackend> makeJsBackend(Deadline &deadline)
{
    return std::make_unique<jsdetail::JsBackend>(deadline);
}

}  // namespace script

#include "JsBackend.moc"
