// Classes written in VBScript: their instances are host objects whose
// class description is made from the script's public members, so that
// o.Member works as it does for any object of the host.
#include "script/vbs/ScriptClass.h"

namespace script::vbs {

ClassMember &ClassDef::member(const QString &name)
{
    const QString lower = name.toLower();
    const auto it = byName.constFind(lower);
    if (it != byName.constEnd())
        return members[*it];
    byName.insert(lower, int(members.size()));
    members.append(ClassMember{name});
    return members.last();
}

ClassInstance::ClassInstance(Runtime &rt, const ClassDef &cls)
    : HeapObject(rt.heap()), cls_(cls), hostClass_(cls.hostClass)
{
    fields.resize(cls.fieldCount);
    for (int i = 0; i < cls.fieldCount; ++i) {
        if (!cls.fieldIsArray[i])
            continue;
        auto array = std::make_shared<ScriptArray>();
        qsizetype total = cls.fieldBounds[i].isEmpty() ? 0 : 1;
        for (const qint32 upper : cls.fieldBounds[i]) {
            array->dims.append({0, upper + 1});
            total *= upper + 1;
            if (upper < 0 || total > rt.limits.maxArrayElements)
                throw ScriptException(RuntimeError::OutOfMemory);
        }
        array->items.resize(total);
        array->fixed = !cls.fieldBounds[i].isEmpty();
        fields[i] = Value(std::move(array));
    }
}

ClassInstance::~ClassInstance()
{
    // Once the runtime is going, its classes may be gone already.
    Runtime *rt = runtime();
    if (!rt || !cls_.terminate)
        return;
    // Class_Terminate runs as the last reference goes; what it raises has
    // nowhere to go, as in VBScript.
    try {
        rt->callWithValues(*cls_.terminate, {}, cls_.terminate->name, this);
    } catch (...) {
    }
}

Runtime &ClassInstance::liveRuntime() const
{
    Runtime *rt = runtime();
    if (!rt)  // the class went with its runtime: nothing of it can be read
        throw ScriptException(RuntimeError::ObjectRequired);
    return *rt;
}

const ClassDef &ClassInstance::definition() const
{
    liveRuntime();
    return cls_;
}

void ClassInstance::dropValues()
{
    const QList<Value> gone = std::exchange(fields, {});
}

const HostClass &ClassInstance::hostClass() const
{
    return *hostClass_;
}

Value ClassInstance::callMember(const Procedure &p, Args args)
{
    // The instance must outlive its own method, even one that drops the
    // last variable holding it.
    const ObjectRef keep = shared_from_this();
    return liveRuntime().callWithValues(p, args, p.name, this);
}

void ClassInstance::assign(const ClassMember &m, Args args, const Value &value)
{
    if (m.field >= 0) {
        if (!args.empty())
            throw ScriptException(RuntimeError::WrongArgumentCount, m.name);
        checkField(m.field);
        fields[m.field] = value;
        return;
    }
    const Procedure *p = value.isObject() && m.set ? m.set : m.let ? m.let : m.set;
    if (!p)
        throw ScriptException(RuntimeError::NoSuchMember, m.name);
    if (p == m.set && !value.isObject())
        throw ScriptException(RuntimeError::ObjectRequired, m.name);
    QList<Value> all(args.begin(), args.end());
    all << value;
    callMember(*p, Args(all.constData(), size_t(all.size())));
}

Value ClassInstance::read(const ClassMember &m, Args args)
{
    if (m.field >= 0) {
        checkField(m.field);
        if (args.empty())
            return fields[m.field];
        return indexValue(fields[m.field], args, m.name);
    }
    if (!m.call)
        throw ScriptException(RuntimeError::NoSuchMember, m.name);
    return callMember(*m.call, args);
}

// What the outside sees: the public members, each read, written or
// called through the instance.
std::shared_ptr<HostClass> describeClass(const ClassDef &cls)
{
    auto host = std::make_shared<HostClass>(cls.name);
    for (int i = 0; i < cls.members.size(); ++i) {
        const ClassMember &m = cls.members[i];
        if (!m.isPublic)
            continue;
        HostMember member;
        member.name = m.name;
        const bool isMethod = m.call && !m.call->isFunction;
        const bool isFunction = m.call && m.call->isFunction && !m.let && !m.set;
        member.kind = isMethod ? MemberKind::Method : MemberKind::Property;
        const int argCount = m.call ? int(m.call->params.size())
                             : m.let ? int(m.let->params.size()) - 1
                             : m.set ? int(m.set->params.size()) - 1
                                     : 0;
        member.minArgs = argCount;
        member.maxArgs = m.field >= 0 ? -1 : argCount;
        member.get = [i](HostObject &o, Args a) {
            auto &self = static_cast<ClassInstance &>(o);
            return self.read(self.definition().members[i], a);
        };
        if (m.field >= 0 || m.let || m.set || isFunction)
            member.set = [i](HostObject &o, Args a, const Value &v) {
                auto &self = static_cast<ClassInstance &>(o);
                self.assign(self.definition().members[i], a, v);
            };
        host->add(std::move(member));
    }
    if (cls.defaultMember >= 0)
        host->setDefaultMember(cls.members[cls.defaultMember].name);
    return host;
}

void Runtime::defineClass(ClassDef &cls)
{
    cls.hostClass = describeClass(cls);
    classes_.insert(cls.name.toLower(), &cls);
    ++namesVersion_;
}

Value Runtime::instantiate(const ClassDef &cls)
{
    auto instance = std::make_shared<ClassInstance>(*this, cls);
    if (cls.initialize)
        instance->callMember(*cls.initialize, {});
    return Value(ObjectRef(std::move(instance)));
}

}  // namespace script::vbs
