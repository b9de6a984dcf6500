#include "script/js/SmBackend.h"

#include "script/Deadline.h"

#include <QDateTime>
#include <QHash>
#include <QStringList>
#include <QVarLengthArray>

// Qt's keyword macro would rename a member of the engine's headers.
#undef slots
#include <jsapi.h>
#include <jsfriendapi.h>
#include <js/Array.h>
#include <js/CompilationAndEvaluation.h>
#include <js/Conversions.h>
#include <js/Date.h>
#include <js/ErrorReport.h>
#include <js/friend/ErrorMessages.h>
#include <js/Exception.h>
#include <js/GlobalObject.h>
#include <js/Initialization.h>
#include <js/Interrupt.h>
#include <js/Object.h>
#include <js/PropertyAndElement.h>
#include <js/Realm.h>
#include <js/SavedFrameAPI.h>
#include <js/SourceText.h>
#include <js/Stack.h>
#include <js/String.h>

#include <atomic>
#include <cstring>
#include <cmath>
#include <mutex>
#include <vector>

namespace script {

namespace smdetail {

class SmBackend;

// ----- one context per thread -----

// SpiderMonkey allows one context per thread; every backend made on a
// thread shares it, each in a global (a realm) of its own.
constexpr uint32_t kGcMaxBytes = uint32_t(1) << 30;  // as ScriptControl's default memory limit
constexpr size_t kNativeStackQuota = size_t(1) << 20;

std::atomic<int> gContexts = 0;

// The engine of the process: made before the first context, shut down at
// exit once every context is gone (its helper threads would otherwise
// still hold its locks as the library's own statics go).
struct ProcessEngine {
    ProcessEngine() : initialised(JS_Init()) {}
    ~ProcessEngine()
    {
        if (initialised && gContexts.load() == 0)
            JS_ShutDown();
    }
    const bool initialised;
};

struct ThreadContext {
    JSContext *cx = nullptr;
    int backends = 0;
    // The backends running a call on this thread, innermost last: the
    // interrupt callback stops the one the watchdog asked to stop.
    std::vector<SmBackend *> running;
    ~ThreadContext()
    {
        // A backend that outlives its thread (a static one) keeps the context.
        if (cx && backends == 0) {
            JS_DestroyContext(cx);
            --gContexts;
        }
    }
};

thread_local ThreadContext tContext;

bool onInterrupt(JSContext *cx);

JSContext *threadContext()
{
    if (tContext.cx)
        return tContext.cx;
    static ProcessEngine engine;
    if (!engine.initialised)
        throw std::bad_alloc();
    JSContext *cx = JS_NewContext(kGcMaxBytes);
    if (!cx)
        throw std::bad_alloc();
    JS_SetNativeStackQuota(cx, kNativeStackQuota);
    JS_SetGCParameter(cx, JSGC_MAX_BYTES, kGcMaxBytes);
    if (!js::UseInternalJobQueues(cx) || !JS::InitSelfHostedCode(cx)) {
        JS_DestroyContext(cx);
        throw std::bad_alloc();
    }
    JS_AddInterruptCallback(cx, onInterrupt);
    ++gContexts;
    tContext.cx = cx;
    return cx;
}

// ----- classes of the objects the host hands to JScript -----

// Reserved slot 0 of the global: the backend.
constexpr uint32_t kBackendSlot = 0;
const JSClass kGlobalClass = {"global", JSCLASS_GLOBAL_FLAGS, &JS::DefaultGlobalClassOps, nullptr, nullptr, nullptr};

bool callDefault(JSContext *cx, unsigned argc, JS::Value *vp);
bool callMethod(JSContext *cx, unsigned argc, JS::Value *vp);
void finalizeArray(JS::GCContext *gcx, JSObject *obj);

constexpr JSClassOps classOps(JSFinalizeOp finalize, JSNative call)
{
    return {nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, finalize, call, nullptr, nullptr};
}

constexpr JSClass classOf(const char *name, uint32_t flags, const JSClassOps *ops)
{
    return {name, flags, ops, nullptr, nullptr, nullptr};
}

// A host object: slot 0 holds the HostObject, which the backend's handle
// table keeps alive; slot 1, once a method has been read off it, the
// methods read so far by member index, so that a method read twice is the
// same function (clc.item === clc.item). One with a default member can be
// called, clc(1).
const JSClassOps kCallableOps = classOps(nullptr, callDefault);
const JSClass kHostClass = classOf("HostObject", JSCLASS_HAS_RESERVED_SLOTS(2), nullptr);
const JSClass kCallableHostClass = classOf("HostObject", JSCLASS_HAS_RESERVED_SLOTS(2), &kCallableOps);
// A member that is called (a method, or a property with arguments), read
// off its object: slot 0 the host object's JScript object, slot 1 the
// member's index.
const JSClassOps kMethodOps = classOps(nullptr, callMethod);
const JSClass kMethodClass = classOf("HostMethod", JSCLASS_HAS_RESERVED_SLOTS(2), &kMethodOps);
// A VBScript or host array, read with VBArray: slot 0 holds a Value.
const JSClassOps kArrayOps = classOps(finalizeArray, nullptr);
const JSClass kArrayClass = classOf("VBArray", JSCLASS_HAS_RESERVED_SLOTS(1) | JSCLASS_FOREGROUND_FINALIZE, &kArrayOps);
// The target of the proxy below a class's prototype: slot 0 the HostClass.
const JSClass kClassTagClass = classOf("HostClass", JSCLASS_HAS_RESERVED_SLOTS(1), nullptr);

HostObject *hostOf(JSObject *obj)
{
    const JSClass *c = JS::GetClass(obj);
    if (c != &kHostClass && c != &kCallableHostClass)
        return nullptr;
    return static_cast<HostObject *>(JS::GetReservedSlot(obj, 0).toPrivate());
}

HostObject *hostOf(JS::HandleValue v)
{
    return v.isObject() ? hostOf(&v.toObject()) : nullptr;
}

void finalizeArray(JS::GCContext *, JSObject *obj)
{
    const JS::Value slot = JS::GetReservedSlot(obj, 0);
    if (!slot.isUndefined())
        delete static_cast<Value *>(slot.toPrivate());
}

const Value *arrayOf(JS::HandleValue v)
{
    if (!v.isObject() || JS::GetClass(&v.toObject()) != &kArrayClass)
        return nullptr;
    return static_cast<const Value *>(JS::GetReservedSlot(&v.toObject(), 0).toPrivate());
}

QString toQString(JSContext *cx, JSString *s)
{
    const size_t length = JS_GetStringLength(s);
    QString out(qsizetype(length), Qt::Uninitialized);
    if (!JS_CopyStringChars(cx, mozilla::Range<char16_t>(reinterpret_cast<char16_t *>(out.data()), length), s))
        return {};
    return out;
}

JSString *toJsString(JSContext *cx, QStringView s)
{
    return JS_NewUCStringCopyN(cx, reinterpret_cast<const char16_t *>(s.utf16()), size_t(s.size()));
}

// A JScript value handed to the host (an array given to trace, say): its
// default value is the value's own text, as JScript writes it.
class JsValueObject : public HostObject {
public:
    JsValueObject(JSContext *cx, JS::HandleValue value, JS::HandleObject global)
        : value(cx, value), global(cx, global), cx_(cx)
    {
    }
    const HostClass &hostClass() const override
    {
        static const HostClass cls = [] {
            HostClass c(QStringLiteral("JScriptTypeInfo"));
            HostClassBuilder<JsValueObject>(c)
                .method("toString", 0, 0, [](JsValueObject &o, Args) { return o.text(); })
                .defaultMember("toString");
            return c;
        }();
        return cls;
    }
    QString text() const
    {
        JSAutoRealm realm(cx_, global);
        JS::RootedValue v(cx_, value);
        JS::RootedString s(cx_, JS::ToString(cx_, v));
        if (!s) {
            JS_ClearPendingException(cx_);
            throw ScriptException(RuntimeError::TypeMismatch);
        }
        return toQString(cx_, s);
    }

    const JS::PersistentRootedValue value;
    const JS::PersistentRootedObject global;  // whose backend made it

private:
    JSContext *cx_;
};

// The JScript half of the host-object model: what needs no speed. A
// class's prototype holds native accessors for each member as declared and
// in lower case; the proxy below it catches every other spelling (member
// names ignore case) and the symbols collections answer.
const char *const kPrelude = R"JS(
(function (host, global) {
    "use strict";
    const get = host.get, set = host.set, has = host.has, items = host.items, isHost = host.isHost,
          isArrayHandle = host.isArrayHandle;
    function notCollection() { return new TypeError("Object not a collection"); }
    function iterate() {
        const list = items(this);
        if (list === undefined)
            throw notCollection();
        return list[Symbol.iterator]();
    }
    // An object with a default member stands for its value: clc + "".
    function primitive() { return this(); }
    const handler = {
        get(t, key, receiver) {
            if (typeof key === "string")
                return get(receiver, key);
            if (key === Symbol.iterator)
                return iterate;
            if (key === Symbol.toPrimitive && typeof receiver === "function")
                return primitive;
            return undefined;
        },
        set(t, key, value, receiver) {
            if (typeof key !== "string")
                return false;
            set(receiver, key, value);
            return true;
        },
        has(t, key) { return typeof key === "string" && has(t, key); },
    };
    function Enumerator(c) {
        if (!(this instanceof Enumerator))
            return new Enumerator(c);
        const list = isHost(c) ? items(c) : Array.isArray(c) ? c : undefined;
        if (list === undefined || list === null)
            throw notCollection();
        this._items = list;
        this._at = 0;
    }
    Enumerator.prototype.atEnd = function () { return this._at >= this._items.length; };
    Enumerator.prototype.item = function () { return this._items[this._at]; };
    Enumerator.prototype.moveNext = function () { ++this._at; };
    Enumerator.prototype.moveFirst = function () { this._at = 0; };
    function VBArray(a) {
        if (!isArrayHandle(a))
            throw new TypeError("VBArray expected");
        return a;
    }
    Object.defineProperty(global, "Enumerator", { value: Enumerator, writable: true, configurable: true });
    Object.defineProperty(global, "VBArray", { value: VBArray, writable: true, configurable: true });
    return function below(tag) { return new Proxy(tag, handler); };
})
)JS";

const char *const kPreludeFile = "lirra-host";

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

// Whether a member is read by calling it: a method, or a property that
// needs arguments (ItemData(row)).
bool isCalled(const HostMember &m)
{
    return m.kind == MemberKind::Method || !m.acceptsArgs(0);
}

class SmBackend final : public ScriptBackend {
public:
    explicit SmBackend(Deadline &deadline);
    ~SmBackend() override;

    void addObject(const QString &name, const ObjectRef &object, bool addMembers) override;
    std::optional<ScriptError> addCode(const QString &code) override { return run(code, nullptr); }
    std::optional<ScriptError> executeStatement(const QString &statement) override { return run(statement, nullptr); }
    std::optional<ScriptError> evaluate(const QString &expression, Value &result) override
    {
        return run(expression, &result);
    }
    // From the watchdog's thread. Soon: the script stops at its next host
    // call, where the line it is on is the one that calls. Now (a grace
    // later, for a script that calls no host): the engine calls onInterrupt
    // at its next loop turn or function call, inside long built-ins too.
    void interruptFromWatchdog(bool now) override
    {
        stop_.store(true);
        if (now)
            JS_RequestInterruptCallback(cx_);
    }

    bool stopRequested() const { return stop_.load(); }
    // Where the script was when it was stopped.
    void noteStop(JSContext *cx);

    // ----- values between the two sides -----
    bool toJs(const Value &v, JS::MutableHandleValue out);
    Value fromJs(JS::HandleValue v);
    // A host member failed: the script sees a thrown Error with the same
    // words and number as in VBScript.
    void raise(const ScriptException &e);
    void raiseNoMember(JS::HandleValue key);

    // Reads member of the host object whose JScript object is self: a
    // member that is called becomes a function bound to self, the same one
    // each time.
    bool read(JS::HandleObject self, HostObject &object, int member, JS::MutableHandleValue out);
    // Writes member; a member that is called cannot be written.
    bool write(HostObject &object, int member, JS::HandleValue value, JS::MutableHandleValue out);
    // The class's prototype learns another spelling of a member's name.
    bool learnSpelling(const HostClass &cls, JS::HandleString spelling, int member);
    bool itemsOf(HostObject &object, JS::MutableHandleValue out);
    void poll() { deadline_.poll(); }

private:
    bool methodOf(JS::HandleObject self, int member, JS::MutableHandleValue out);
    bool initGlobal();
    bool defineNatives(JS::HandleObject host);
    JSObject *wrap(const ObjectRef &object);
    JSObject *prototypeOf(const HostClass &cls);
    bool defineMember(JS::HandleObject proto, QStringView name, int member);
    bool makeArrayHandle(const Value &v, JS::MutableHandleValue out);
    std::optional<ScriptError> run(const QString &code, Value *result);
    ScriptError failure();
    ScriptError stopped() const;
    bool locate(ScriptError &e, JS::HandleObject stack) const;
    void locateIn(ScriptError &e, const QString &file, int line, int column) const;

    Deadline &deadline_;
    JSContext *cx_;
    JS::PersistentRootedObject global_;
    JS::PersistentRootedObject below_;        // the prelude's maker of proxies
    JS::PersistentRootedObject methodProto_;  // shared by every bound member
    JS::PersistentRootedObject arrayProto_;   // of VBArray handles
    // The handle table: host objects by handle, the JScript object of each
    // (made once, on its first way into JScript, so that
    // `clc(1) === clc(1)`), and the handle of each.
    std::vector<ObjectRef> objects_;
    JS::PersistentRootedObject wrappers_;
    QHash<const HostObject *, uint32_t> handles_;
    // The prototypes by class, as the table's positions in protos_.
    QHash<const HostClass *, uint32_t> protoIndex_;
    JS::PersistentRootedObject protos_;
    QHash<QString, QStringList> sources_;
    int serial_ = 0;
    std::atomic<bool> stop_ = false;
    std::optional<ScriptError> stoppedAt_;  // the location a stop found
};

bool onInterrupt(JSContext *cx)
{
    for (SmBackend *b : tContext.running) {
        if (b->stopRequested()) {
            b->noteStop(cx);
            return false;  // ends the script; try/catch cannot see it
        }
    }
    return true;
}

SmBackend *backendOf(JSContext *cx)
{
    JSObject *global = JS::CurrentGlobalOrNull(cx);
    if (!global)
        return nullptr;
    const JS::Value slot = JS::GetReservedSlot(global, kBackendSlot);
    return slot.isUndefined() ? nullptr : static_cast<SmBackend *>(slot.toPrivate());
}

// Runs a host native: no C++ exception may cross into the engine.
template <class Fn>
bool hostCall(JSContext *cx, unsigned argc, JS::Value *vp, Fn fn)
{
    JS::CallArgs args = JS::CallArgsFromVp(argc, vp);
    SmBackend *b = backendOf(cx);
    if (!b) {
        JS_ReportErrorASCII(cx, "The script engine has been reset");
        return false;
    }
    if (b->stopRequested()) {
        b->noteStop(cx);
        return false;  // no exception pending: the script ends
    }
    try {
        return fn(*b, args);
    } catch (const ScriptException &e) {
        b->raise(e);
    } catch (const std::bad_alloc &) {
        JS_ReportOutOfMemory(cx);
    } catch (const std::exception &e) {
        JS_ReportErrorUTF8(cx, "%s", e.what());
    }
    return false;
}

QString memberName(const HostObject &object, int member)
{
    const HostClass &cls = object.hostClass();
    return member >= 0 && member < cls.memberCount() ? cls.member(member).name : QString();
}

QVarLengthArray<Value, 6> valuesOf(SmBackend &b, const JS::CallArgs &args)
{
    QVarLengthArray<Value, 6> values;
    for (unsigned i = 0; i < args.length(); ++i)
        values.append(b.fromJs(args[i]));
    return values;
}

bool notHostObject(JSContext *cx)
{
    JS_ReportErrorNumberASCII(cx, js::GetErrorMessage, nullptr, JSMSG_INCOMPATIBLE_PROTO, "HostObject", "member",
                              "object");
    return false;
}

// ----- natives of the class prototypes: function slot 0 the member -----

bool getMember(JSContext *cx, unsigned argc, JS::Value *vp)
{
    return hostCall(cx, argc, vp, [&](SmBackend &b, JS::CallArgs &args) {
        const int member = js::GetFunctionNativeReserved(&args.callee(), 0).toInt32();
        if (!args.thisv().isObject() || !hostOf(args.thisv()))
            return notHostObject(cx);
        JS::RootedObject self(cx, &args.thisv().toObject());
        return b.read(self, *hostOf(args.thisv()), member, args.rval());
    });
}

bool setMember(JSContext *cx, unsigned argc, JS::Value *vp)
{
    return hostCall(cx, argc, vp, [&](SmBackend &b, JS::CallArgs &args) {
        const int member = js::GetFunctionNativeReserved(&args.callee(), 0).toInt32();
        HostObject *object = hostOf(args.thisv());
        if (!object)
            return notHostObject(cx);
        return b.write(*object, member, args.get(0), args.rval());
    });
}

// ----- the globals of an object added with its members: slot 0 the
// object's JScript object, slot 1 the member -----

bool getGlobal(JSContext *cx, unsigned argc, JS::Value *vp)
{
    return hostCall(cx, argc, vp, [&](SmBackend &b, JS::CallArgs &args) {
        JS::RootedObject self(cx, &js::GetFunctionNativeReserved(&args.callee(), 0).toObject());
        const int member = js::GetFunctionNativeReserved(&args.callee(), 1).toInt32();
        return b.read(self, *hostOf(self), member, args.rval());
    });
}

bool setGlobal(JSContext *cx, unsigned argc, JS::Value *vp)
{
    return hostCall(cx, argc, vp, [&](SmBackend &b, JS::CallArgs &args) {
        HostObject *object = hostOf(&js::GetFunctionNativeReserved(&args.callee(), 0).toObject());
        const int member = js::GetFunctionNativeReserved(&args.callee(), 1).toInt32();
        return b.write(*object, member, args.get(0), args.rval());
    });
}

// ----- calls -----

bool callMethod(JSContext *cx, unsigned argc, JS::Value *vp)
{
    return hostCall(cx, argc, vp, [&](SmBackend &b, JS::CallArgs &args) {
        JSObject *method = &args.callee();
        HostObject *object = hostOf(&JS::GetReservedSlot(method, 0).toObject());
        const int member = JS::GetReservedSlot(method, 1).toInt32();
        b.poll();
        const auto values = valuesOf(b, args);
        return b.toJs(readMember(*object, member, Args(values.data(), size_t(values.size())), memberName(*object, member)),
                      args.rval());
    });
}

bool callDefault(JSContext *cx, unsigned argc, JS::Value *vp)
{
    return hostCall(cx, argc, vp, [&](SmBackend &b, JS::CallArgs &args) {
        HostObject *object = hostOf(&args.callee());
        b.poll();
        const auto values = valuesOf(b, args);
        return b.toJs(readDefault(*object, Args(values.data(), size_t(values.size())), object->hostClass().typeName()),
                      args.rval());
    });
}

// As with a dispatch call, a method that needs no arguments also stands for
// its result: clc.count and clc.count() both count.
bool methodValueOf(JSContext *cx, unsigned argc, JS::Value *vp)
{
    return hostCall(cx, argc, vp, [&](SmBackend &b, JS::CallArgs &args) {
        if (!args.thisv().isObject() || JS::GetClass(&args.thisv().toObject()) != &kMethodClass) {
            args.rval().set(args.thisv());
            return true;
        }
        JSObject *method = &args.thisv().toObject();
        HostObject *object = hostOf(&JS::GetReservedSlot(method, 0).toObject());
        const int member = JS::GetReservedSlot(method, 1).toInt32();
        if (!object->hostClass().member(member).acceptsArgs(0)) {
            args.rval().set(args.thisv());
            return true;
        }
        b.poll();
        return b.toJs(readMember(*object, member, {}, memberName(*object, member)), args.rval());
    });
}

// ----- the prelude's natives -----

// get(receiver, key): a member in a spelling the prototype does not hold.
bool preludeGet(JSContext *cx, unsigned argc, JS::Value *vp)
{
    return hostCall(cx, argc, vp, [&](SmBackend &b, JS::CallArgs &args) {
        HostObject *object = hostOf(args.get(0));
        if (!object || !args.get(1).isString()) {
            args.rval().setUndefined();
            return true;
        }
        JS::RootedString key(cx, args[1].toString());
        const int member = object->hostClass().find(toQString(cx, key));
        if (member < 0) {
            b.raiseNoMember(args[1]);
            return false;
        }
        if (!b.learnSpelling(object->hostClass(), key, member))
            return false;
        JS::RootedObject self(cx, &args[0].toObject());
        return b.read(self, *object, member, args.rval());
    });
}

// set(receiver, key, value)
bool preludeSet(JSContext *cx, unsigned argc, JS::Value *vp)
{
    return hostCall(cx, argc, vp, [&](SmBackend &b, JS::CallArgs &args) {
        HostObject *object = hostOf(args.get(0));
        if (!object || !args.get(1).isString())
            return notHostObject(cx);
        const int member = object->hostClass().find(toQString(cx, args[1].toString()));
        if (member < 0 || isCalled(object->hostClass().member(member))) {
            b.raiseNoMember(args[1]);  // in the script's spelling
            return false;
        }
        return b.write(*object, member, args.get(2), args.rval());
    });
}

// has(tag, key): the proxy's target names the class.
bool preludeHas(JSContext *cx, unsigned argc, JS::Value *vp)
{
    return hostCall(cx, argc, vp, [&](SmBackend &, JS::CallArgs &args) {
        bool found = false;
        if (args.get(0).isObject() && JS::GetClass(&args[0].toObject()) == &kClassTagClass && args.get(1).isString()) {
            const auto *cls = static_cast<const HostClass *>(JS::GetReservedSlot(&args[0].toObject(), 0).toPrivate());
            found = cls->find(toQString(cx, args[1].toString())) >= 0;
        }
        args.rval().setBoolean(found);
        return true;
    });
}

// items(object): a collection's items as an array, undefined for an object
// that is none.
bool preludeItems(JSContext *cx, unsigned argc, JS::Value *vp)
{
    return hostCall(cx, argc, vp, [&](SmBackend &b, JS::CallArgs &args) {
        HostObject *object = hostOf(args.get(0));
        if (!object) {
            args.rval().setUndefined();
            return true;
        }
        b.poll();
        return b.itemsOf(*object, args.rval());
    });
}

bool preludeIsHost(JSContext *, unsigned argc, JS::Value *vp)
{
    JS::CallArgs args = JS::CallArgsFromVp(argc, vp);
    args.rval().setBoolean(hostOf(args.get(0)) != nullptr);
    return true;
}

bool preludeIsArrayHandle(JSContext *, unsigned argc, JS::Value *vp)
{
    JS::CallArgs args = JS::CallArgsFromVp(argc, vp);
    args.rval().setBoolean(arrayOf(args.get(0)) != nullptr);
    return true;
}

// ----- VBArray: the methods of array handles -----

template <class Fn>
bool arrayCall(JSContext *cx, unsigned argc, JS::Value *vp, Fn fn)
{
    return hostCall(cx, argc, vp, [&](SmBackend &b, JS::CallArgs &args) {
        const Value *array = arrayOf(args.thisv());
        if (!array) {
            JS_ReportErrorASCII(cx, "VBArray expected");
            return false;
        }
        return fn(b, args, *array);
    });
}

int dimensionArg(JSContext *cx, const JS::CallArgs &args, bool &ok)
{
    int32_t d = 1;
    ok = args.length() == 0 || args[0].isUndefined() || JS::ToInt32(cx, args[0], &d);
    return d;
}

bool arrayDimensions(JSContext *cx, unsigned argc, JS::Value *vp)
{
    return arrayCall(cx, argc, vp, [&](SmBackend &, JS::CallArgs &args, const Value &a) {
        args.rval().setInt32(a.kind() == ValueKind::Array ? int(a.array()->dims.size()) : 1);
        return true;
    });
}

// lbound(d) and ubound(d) of dimension d (1 when not given); a host array
// of samples has one, from 0; a dimension the array lacks reads 0 and -1.
template <bool Upper>
bool arrayBound(JSContext *cx, unsigned argc, JS::Value *vp)
{
    return arrayCall(cx, argc, vp, [&](SmBackend &, JS::CallArgs &args, const Value &a) {
        bool ok = false;
        const int d = dimensionArg(cx, args, ok);
        if (!ok)
            return false;
        if (a.kind() != ValueKind::Array)
            args.rval().setInt32(Upper ? int(a.integerArray()->size() - 1) : 0);
        else if (d < 1 || d > a.array()->dims.size())
            args.rval().setInt32(Upper ? -1 : 0);
        else
            args.rval().setInt32(Upper ? a.array()->upper(d - 1) : a.array()->dims[d - 1].lower);
        return true;
    });
}

bool arrayGetItem(JSContext *cx, unsigned argc, JS::Value *vp)
{
    return arrayCall(cx, argc, vp, [&](SmBackend &b, JS::CallArgs &args, const Value &a) {
        QVarLengthArray<qint32, 4> indexes;
        for (unsigned i = 0; i < args.length(); ++i) {
            int32_t n = 0;
            if (!JS::ToInt32(cx, args[i], &n))
                return false;
            indexes.append(n);
        }
        if (a.kind() == ValueKind::IntegerArray) {
            const QList<qint16> &items = *a.integerArray();
            if (indexes.size() == 1 && indexes[0] >= 0 && indexes[0] < items.size()) {
                args.rval().setInt32(items[indexes[0]]);
                return true;
            }
        } else {
            const qsizetype pos = a.array()->offset(indexes.data(), indexes.size());
            if (pos >= 0)
                return b.toJs(a.array()->items[pos], args.rval());
        }
        throw ScriptException(RuntimeError::SubscriptOutOfRange);
    });
}

bool arrayToArray(JSContext *cx, unsigned argc, JS::Value *vp)
{
    return arrayCall(cx, argc, vp, [&](SmBackend &b, JS::CallArgs &args, const Value &a) {
        const qsizetype n = a.kind() == ValueKind::Array ? a.array()->items.size() : a.integerArray()->size();
        JS::RootedObject list(cx, JS::NewArrayObject(cx, size_t(n)));
        if (!list)
            return false;
        JS::RootedValue item(cx);
        for (qsizetype i = 0; i < n; ++i) {
            const Value v = a.kind() == ValueKind::Array ? a.array()->items[i] : Value(a.integerArray()->at(i));
            if (!b.toJs(v, &item) || !JS_SetElement(cx, list, uint32_t(i), item))
                return false;
        }
        args.rval().setObject(*list);
        return true;
    });
}

// ----- the backend -----

SmBackend::SmBackend(Deadline &deadline)
    : deadline_(deadline), cx_(threadContext()), global_(cx_), below_(cx_), methodProto_(cx_), arrayProto_(cx_),
      wrappers_(cx_), protos_(cx_)
{
    ++tContext.backends;
    if (!initGlobal()) {
        JS_ClearPendingException(cx_);
        --tContext.backends;
        throw std::bad_alloc();
    }
}

SmBackend::~SmBackend()
{
    if (global_) {
        // Objects of this realm that live on (a value the host kept) no
        // longer reach a backend.
        JSAutoRealm realm(cx_, global_);
        JS::SetReservedSlot(global_, kBackendSlot, JS::UndefinedValue());
    }
    --tContext.backends;
}

bool SmBackend::initGlobal()
{
    JS::RealmOptions options;
    global_ = JS_NewGlobalObject(cx_, &kGlobalClass, nullptr, JS::FireOnNewGlobalHook, options);
    if (!global_)
        return false;
    JSAutoRealm realm(cx_, global_);
    JS::SetReservedSlot(global_, kBackendSlot, JS::PrivateValue(this));
    wrappers_ = JS::NewArrayObject(cx_, 0);
    protos_ = JS::NewArrayObject(cx_, 0);
    if (!wrappers_ || !protos_)
        return false;

    // Bound members inherit Function.prototype (call, apply) and a valueOf.
    JS::RootedObject functionProto(cx_, JS::GetRealmFunctionPrototype(cx_));
    methodProto_ = JS_NewObjectWithGivenProto(cx_, nullptr, functionProto);
    if (!methodProto_ || !JS_DefineFunction(cx_, methodProto_, "valueOf", methodValueOf, 0, 0))
        return false;
    arrayProto_ = JS_NewPlainObject(cx_);
    static const JSFunctionSpec arrayMethods[] = {
        JS_FN("dimensions", arrayDimensions, 0, 0), JS_FN("lbound", arrayBound<false>, 1, 0),
        JS_FN("ubound", arrayBound<true>, 1, 0),         JS_FN("getItem", arrayGetItem, 1, 0),
        JS_FN("toArray", arrayToArray, 0, 0),       JS_FS_END,
    };
    if (!arrayProto_ || !JS_DefineFunctions(cx_, arrayProto_, arrayMethods))
        return false;

    JS::RootedObject host(cx_, JS_NewPlainObject(cx_));
    if (!host || !defineNatives(host))
        return false;
    JS::CompileOptions compile(cx_);
    compile.setFileAndLine(kPreludeFile, 1);
    JS::SourceText<mozilla::Utf8Unit> source;
    if (!source.init(cx_, kPrelude, std::strlen(kPrelude), JS::SourceOwnership::Borrowed))
        return false;
    JS::RootedValue glue(cx_), below(cx_);
    if (!JS::Evaluate(cx_, compile, source, &glue))
        return false;
    JS::RootedValueArray<2> args(cx_);
    args[0].setObject(*host);
    args[1].setObject(*global_);
    if (!JS_CallFunctionValue(cx_, nullptr, glue, args, &below) || !below.isObject())
        return false;
    below_ = &below.toObject();
    return true;
}

bool SmBackend::defineNatives(JS::HandleObject host)
{
    static const JSFunctionSpec natives[] = {
        JS_FN("get", preludeGet, 2, 0),     JS_FN("set", preludeSet, 3, 0),
        JS_FN("has", preludeHas, 2, 0),     JS_FN("items", preludeItems, 1, 0),
        JS_FN("isHost", preludeIsHost, 1, 0), JS_FN("isArrayHandle", preludeIsArrayHandle, 1, 0),
        JS_FS_END,
    };
    return JS_DefineFunctions(cx_, host, natives);
}

void SmBackend::addObject(const QString &name, const ObjectRef &object, bool addMembers)
{
    JSAutoRealm realm(cx_, global_);
    JS::RootedValue value(cx_);
    if (!toJs(Value(object), &value)
        || !JS_DefineUCProperty(cx_, global_, reinterpret_cast<const char16_t *>(name.utf16()), size_t(name.size()),
                                value, JSPROP_ENUMERATE)) {
        JS_ClearPendingException(cx_);
        throw std::bad_alloc();
    }
    if (!addMembers || !object)
        return;
    // Each member as a global of its own, as listed and in lower case.
    const HostClass &cls = object->hostClass();
    for (int i = 0; i < cls.memberCount(); ++i) {
        const QString &listed = cls.member(i).name;
        QStringList spellings{listed};
        if (listed.toLower() != listed)
            spellings << listed.toLower();
        for (const QString &spelling : spellings) {
            JS::RootedObject getter(cx_, JS_GetFunctionObject(js::NewFunctionWithReserved(cx_, getGlobal, 0, 0, nullptr)));
            JS::RootedObject setter(cx_, JS_GetFunctionObject(js::NewFunctionWithReserved(cx_, setGlobal, 1, 0, nullptr)));
            if (!getter || !setter)
                throw std::bad_alloc();
            for (JSObject *f : {getter.get(), setter.get()}) {
                js::SetFunctionNativeReserved(f, 0, value);
                js::SetFunctionNativeReserved(f, 1, JS::Int32Value(i));
            }
            if (!JS_DefineUCProperty(cx_, global_, reinterpret_cast<const char16_t *>(spelling.utf16()),
                                     size_t(spelling.size()), getter, setter, 0)) {
                JS_ClearPendingException(cx_);
                throw std::bad_alloc();
            }
        }
    }
}

bool SmBackend::toJs(const Value &v, JS::MutableHandleValue out)
{
    switch (v.kind()) {
    case ValueKind::Empty: out.setUndefined(); return true;
    case ValueKind::Null: out.setNull(); return true;
    case ValueKind::Boolean: out.setBoolean(v.boolean()); return true;
    case ValueKind::Byte: out.setInt32(v.byte()); return true;
    case ValueKind::Integer: out.setInt32(v.integer()); return true;
    case ValueKind::Long: out.setInt32(v.longValue()); return true;
    case ValueKind::Currency: out.setNumber(v.currency().toDouble()); return true;
    case ValueKind::Single: out.setNumber(double(v.single())); return true;
    case ValueKind::Double: out.setNumber(v.doubleValue()); return true;
    case ValueKind::String: {
        JSString *s = toJsString(cx_, v.string());
        if (!s)
            return false;
        out.setString(s);
        return true;
    }
    case ValueKind::Date: {
        // An OLE date counts local days: the local time of that moment.
        const QDateTime epoch(QDate(1899, 12, 30), QTime(0, 0));
        const qint64 ms = epoch.addMSecs(qint64(std::llround(v.dateValue() * 86400000.0))).toMSecsSinceEpoch();
        JSObject *date = JS::NewDateObject(cx_, JS::TimeClip(double(ms)));
        if (!date)
            return false;
        out.setObject(*date);
        return true;
    }
    case ValueKind::Object: {
        if (v.isNothing()) {
            out.setNull();
            return true;
        }
        if (auto *js = dynamic_cast<JsValueObject *>(v.object()); js && js->global.get() == global_.get()) {
            out.set(js->value);
            return true;
        }
        JSObject *obj = wrap(v.objectRef());
        if (!obj)
            return false;
        out.setObject(*obj);
        return true;
    }
    case ValueKind::Array:
    case ValueKind::IntegerArray: return makeArrayHandle(v, out);
    }
    out.setUndefined();
    return true;
}

bool SmBackend::makeArrayHandle(const Value &v, JS::MutableHandleValue out)
{
    JSObject *handle = JS_NewObjectWithGivenProto(cx_, &kArrayClass, arrayProto_);
    if (!handle)
        return false;
    JS::SetReservedSlot(handle, 0, JS::PrivateValue(new Value(v)));
    out.setObject(*handle);
    return true;
}

Value SmBackend::fromJs(JS::HandleValue v)
{
    if (v.isUndefined())
        return Value();
    if (v.isNull())
        return Value::null();
    if (v.isBoolean())
        return Value(v.toBoolean());
    if (v.isInt32())
        return Value(qint32(v.toInt32()));
    if (v.isDouble()) {
        const double d = v.toDouble();
        if (d == std::trunc(d) && d >= -2147483648.0 && d <= 2147483647.0)
            return Value(qint32(d));
        return Value(d);
    }
    if (v.isString())
        return Value(toQString(cx_, v.toString()));
    if (v.isObject()) {
        // A host object's JScript object stands for the host object.
        if (HostObject *object = hostOf(v))
            return Value(object->shared_from_this());
        if (const Value *array = arrayOf(v))
            return *array;
        JS::RootedObject obj(cx_, &v.toObject());
        bool isDate = false;
        double ms = 0;
        if (JS::ObjectIsDate(cx_, obj, &isDate) && isDate && JS::ToNumber(cx_, v, &ms) && std::isfinite(ms)) {
            const QDateTime t = QDateTime::fromMSecsSinceEpoch(qint64(ms)).toLocalTime();
            const double days = QDate(1899, 12, 30).daysTo(t.date()) + t.time().msecsSinceStartOfDay() / 86400000.0;
            return DateValue::inRange(days) ? Value(DateValue{days}) : Value(days);
        }
        JS_ClearPendingException(cx_);
    }
    return Value(std::make_shared<JsValueObject>(cx_, v, global_));
}

void SmBackend::raise(const ScriptException &e)
{
    JS_ReportErrorUTF8(cx_, "%s", e.description.toUtf8().constData());
    JS::RootedValue error(cx_);
    if (!JS_GetPendingException(cx_, &error) || !error.isObject())
        return;
    JS_ClearPendingException(cx_);
    JS::RootedObject obj(cx_, &error.toObject());
    JS_DefineProperty(cx_, obj, "number", e.number, JSPROP_ENUMERATE);
    JS_SetPendingException(cx_, error);
}

void SmBackend::raiseNoMember(JS::HandleValue key)
{
    JS::RootedString s(cx_, JS::ToString(cx_, key));
    const QString name = s ? toQString(cx_, s) : QString();
    // As VBScript numbers it.
    raise(ScriptException(438, QStringLiteral("Object doesn't support this property or method: '%1'").arg(name), {}));
}

bool SmBackend::read(JS::HandleObject self, HostObject &object, int member, JS::MutableHandleValue out)
{
    const HostMember &m = object.hostClass().member(member);
    if (isCalled(m))
        return methodOf(self, member, out);
    // A plain property only reads the object's own fields: no chance for
    // the window to act is needed there.
    if (!m.plain)
        poll();
    return toJs(readMember(object, member, {}, m.name), out);
}

// A called member read off a host object, made the first time it is read.
bool SmBackend::methodOf(JS::HandleObject self, int member, JS::MutableHandleValue out)
{
    JS::RootedObject methods(cx_);
    if (const JS::Value kept = JS::GetReservedSlot(self, 1); kept.isObject()) {
        methods = &kept.toObject();
    } else {
        // No prototype: only what was kept here can be found here.
        methods = JS_NewObjectWithGivenProto(cx_, nullptr, nullptr);
        if (!methods)
            return false;
        JS::SetReservedSlot(self, 1, JS::ObjectValue(*methods));
    }
    if (!JS_GetElement(cx_, methods, uint32_t(member), out))
        return false;
    if (out.isObject())
        return true;
    JSObject *method = JS_NewObjectWithGivenProto(cx_, &kMethodClass, methodProto_);
    if (!method)
        return false;
    JS::SetReservedSlot(method, 0, JS::ObjectValue(*self));
    JS::SetReservedSlot(method, 1, JS::Int32Value(member));
    out.setObject(*method);
    return JS_SetElement(cx_, methods, uint32_t(member), out);
}

bool SmBackend::write(HostObject &object, int member, JS::HandleValue value, JS::MutableHandleValue out)
{
    const HostMember &m = object.hostClass().member(member);
    if (isCalled(m)) {
        JS::RootedValue key(cx_, JS::StringValue(toJsString(cx_, m.name)));
        raiseNoMember(key);
        return false;
    }
    poll();
    writeMember(object, member, {}, fromJs(value), m.name);
    out.setUndefined();
    return true;
}

bool SmBackend::learnSpelling(const HostClass &cls, JS::HandleString spelling, int member)
{
    JS::RootedObject proto(cx_, prototypeOf(cls));
    return proto && defineMember(proto, toQString(cx_, spelling), member);
}

bool SmBackend::itemsOf(HostObject &object, JS::MutableHandleValue out)
{
    const std::unique_ptr<Enumerator> e = object.enumerate();
    if (!e) {
        out.setUndefined();
        return true;
    }
    JS::RootedObject list(cx_, JS::NewArrayObject(cx_, 0));
    if (!list)
        return false;
    JS::RootedValue item(cx_);
    Value v;
    for (uint32_t i = 0; e->next(v); ++i) {
        if (!toJs(v, &item) || !JS_SetElement(cx_, list, i, item))
            return false;
    }
    out.setObject(*list);
    return true;
}

JSObject *SmBackend::wrap(const ObjectRef &object)
{
    JS::RootedValue known(cx_);
    const auto it = handles_.constFind(object.get());
    if (it != handles_.constEnd())
        return JS_GetElement(cx_, wrappers_, *it, &known) ? &known.toObject() : nullptr;
    const HostClass &cls = object->hostClass();
    JS::RootedObject proto(cx_, prototypeOf(cls));
    if (!proto)
        return nullptr;
    JS::RootedObject obj(cx_, JS_NewObjectWithGivenProto(cx_, cls.defaultMember() >= 0 ? &kCallableHostClass : &kHostClass,
                                                         proto));
    if (!obj)
        return nullptr;
    JS::SetReservedSlot(obj, 0, JS::PrivateValue(object.get()));
    const auto handle = uint32_t(objects_.size());
    if (!JS_SetElement(cx_, wrappers_, handle, obj))
        return nullptr;
    objects_.push_back(object);
    handles_.insert(object.get(), handle);
    return obj;
}

JSObject *SmBackend::prototypeOf(const HostClass &cls)
{
    JS::RootedValue known(cx_);
    const auto it = protoIndex_.constFind(&cls);
    if (it != protoIndex_.constEnd())
        return JS_GetElement(cx_, protos_, *it, &known) ? &known.toObject() : nullptr;
    JS::RootedObject tag(cx_, JS_NewObjectWithGivenProto(cx_, &kClassTagClass, nullptr));
    if (!tag)
        return nullptr;
    JS::SetReservedSlot(tag, 0, JS::PrivateValue(const_cast<HostClass *>(&cls)));
    JS::RootedValueArray<1> args(cx_);
    args[0].setObject(*tag);
    JS::RootedValue fn(cx_, JS::ObjectValue(*below_)), below(cx_);
    if (!JS_CallFunctionValue(cx_, nullptr, fn, args, &below))
        return nullptr;
    JS::RootedObject belowObj(cx_, &below.toObject());
    JS::RootedObject proto(cx_, JS_NewObjectWithGivenProto(cx_, nullptr, belowObj));
    if (!proto)
        return nullptr;
    for (int i = 0; i < cls.memberCount(); ++i) {
        const QString &name = cls.member(i).name;
        if (!defineMember(proto, name, i) || (name.toLower() != name && !defineMember(proto, name.toLower(), i)))
            return nullptr;
    }
    uint32_t index = 0;
    if (!JS::GetArrayLength(cx_, protos_, &index) || !JS_SetElement(cx_, protos_, index, proto))
        return nullptr;
    protoIndex_.insert(&cls, index);
    return proto;
}

bool SmBackend::defineMember(JS::HandleObject proto, QStringView name, int member)
{
    // Native accessors, which the engine's compiled code calls directly.
    JS::RootedObject getter(cx_, JS_GetFunctionObject(js::NewFunctionWithReserved(cx_, getMember, 0, 0, nullptr)));
    JS::RootedObject setter(cx_, JS_GetFunctionObject(js::NewFunctionWithReserved(cx_, setMember, 1, 0, nullptr)));
    if (!getter || !setter)
        return false;
    js::SetFunctionNativeReserved(getter, 0, JS::Int32Value(member));
    js::SetFunctionNativeReserved(setter, 0, JS::Int32Value(member));
    return JS_DefineUCProperty(cx_, proto, reinterpret_cast<const char16_t *>(name.utf16()), size_t(name.size()), getter,
                               setter, 0);
}

// Keeps the list of the running backends of the thread for the interrupt
// callback.
class RunningScope {
public:
    explicit RunningScope(SmBackend *b) { tContext.running.push_back(b); }
    ~RunningScope() { tContext.running.pop_back(); }
    RunningScope(const RunningScope &) = delete;
    RunningScope &operator=(const RunningScope &) = delete;
};

std::optional<ScriptError> SmBackend::run(const QString &code, Value *result)
{
    const QString file = QStringLiteral("script%1").arg(++serial_);
    sources_.insert(file, splitLines(code));
    stop_.store(false);  // a watchdog that fired as the last call ended
    stoppedAt_.reset();
    JSAutoRealm realm(cx_, global_);
    RunningScope running(this);
    const QByteArray fileName = file.toUtf8();
    JS::CompileOptions options(cx_);
    options.setFileAndLine(fileName.constData(), 1);
    JS::SourceText<char16_t> source;
    JS::RootedValue r(cx_);
    if (!source.init(cx_, reinterpret_cast<const char16_t *>(code.utf16()), size_t(code.size()),
                     JS::SourceOwnership::Borrowed))
        return failure();
    bool ok = JS::Evaluate(cx_, options, source, &r);
    if (ok)
        js::RunJobs(cx_);  // promise reactions the script queued
    ok = ok && !JS_IsExceptionPending(cx_);
    // The host may still read a JScript value it was given (its text)
    // after a stopped call: a stop applies to the call alone.
    const bool stopped = stop_.exchange(false);
    if (!ok)
        return stopped && !JS_IsExceptionPending(cx_) ? this->stopped() : failure();
    if (result)
        *result = fromJs(r);
    return std::nullopt;
}

void SmBackend::noteStop(JSContext *cx)
{
    ScriptError e;
    JS::RootedObject stack(cx);
    if (JS::CaptureCurrentStack(cx, &stack, JS::StackCapture(JS::AllFrames())))
        locate(e, stack);
    JS_ClearPendingException(cx);
    stoppedAt_ = e;
}

ScriptError SmBackend::stopped() const
{
    ScriptError e = stoppedAt_.value_or(ScriptError());
    const RuntimeError why = deadline_.aborted().value_or(RuntimeError::ScriptTimedOut);
    e.number = errorNumber(why);
    e.source = kJsRuntimeSource;
    e.description = errorText(why);
    return e;
}

ScriptError SmBackend::failure()
{
    ScriptError e;
    e.source = kJsRuntimeSource;
    const auto outOfMemory = [&] {
        e.number = errorNumber(RuntimeError::OutOfMemory);
        e.description = errorText(RuntimeError::OutOfMemory);
    };
    if (JS_IsThrowingOutOfMemory(cx_) || !JS_IsExceptionPending(cx_)) {
        JS_ClearPendingException(cx_);
        outOfMemory();
        return e;
    }
    JS::ExceptionStack thrown(cx_);
    if (!JS::StealPendingExceptionStack(cx_, &thrown)) {
        outOfMemory();
        return e;
    }
    JS::RootedObject obj(cx_, thrown.exception().isObject() ? &thrown.exception().toObject() : nullptr);
    JSErrorReport *report = obj ? JS_ErrorFromException(cx_, obj) : nullptr;
    JS::RootedString text(cx_, JS::ToString(cx_, thrown.exception()));
    JS_ClearPendingException(cx_);
    const QString description = text ? toQString(cx_, text) : QString();
    if (report) {
        JS::RootedValue number(cx_);
        const bool numbered = JS_GetProperty(cx_, obj, "number", &number) && number.isNumber();
        JS_ClearPendingException(cx_);
        const int type = report->exnType;
        e.number = numbered ? JS::ToInt32(number.toNumber()) : type == JSEXN_SYNTAXERR ? 1002
                                                           : type == JSEXN_TYPEERR     ? 13
                                                           : type == JSEXN_REFERENCEERR ? 5009
                                                                                       : 5;
        e.source = type == JSEXN_SYNTAXERR ? kJsCompileSource : kJsRuntimeSource;
        e.description = description;
        // A string too long to make is the engine's way to run out of memory.
        if (report->errorNumber == JSMSG_ALLOC_OVERFLOW)
            outOfMemory();
    } else {
        e.number = 4097;
        e.description = QStringLiteral("Exception thrown and not caught: ") + description;
    }
    // The innermost frame of the script's own code (not of the glue).
    JS::RootedObject stack(cx_, obj ? JS::ExceptionStackOrNull(obj) : nullptr);
    if (!stack)
        stack = thrown.stack();
    if (!(stack && locate(e, stack)) && report && report->filename)
        locateIn(e, QString::fromUtf8(report->filename), int(report->lineno), int(report->column) + 1);
    return e;
}

bool SmBackend::locate(ScriptError &e, JS::HandleObject stack) const
{
    JS::RootedObject frame(cx_, stack);
    JS::RootedString source(cx_);
    while (frame) {
        uint32_t line = 0, column = 0;
        if (JS::GetSavedFrameSource(cx_, nullptr, frame, &source) != JS::SavedFrameResult::Ok)
            return false;
        const QString file = toQString(cx_, source);
        if (sources_.contains(file)) {
            JS::GetSavedFrameLine(cx_, nullptr, frame, &line);
            JS::GetSavedFrameColumn(cx_, nullptr, frame, &column);
            locateIn(e, file, int(line), int(column));
            return true;
        }
        JS::RootedObject parent(cx_);
        if (JS::GetSavedFrameParent(cx_, nullptr, frame, &parent) != JS::SavedFrameResult::Ok)
            return false;
        frame = parent;
    }
    return false;
}

void SmBackend::locateIn(ScriptError &e, const QString &file, int line, int column) const
{
    if (!sources_.contains(file))
        return;
    e.line = line;
    e.column = column;
    e.text = sources_[file].value(line - 1);
}

}  // namespace smdetail

std::unique_ptr<ScriptBackend> makeJsBackend(Deadline &deadline)
{
    return std::make_unique<smdetail::SmBackend>(deadline);
}

}  // namespace script
