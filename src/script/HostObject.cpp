#include "script/HostObject.h"

#include "script/ScriptError.h"

namespace script {

int HostClass::find(QStringView name) const
{
    return byLowerName_.value(name.toString().toLower(), -1);
}

int HostClass::add(HostMember member)
{
    const int index = int(members_.size());
    byLowerName_.insert(member.name.toLower(), index);
    members_.append(std::move(member));
    return index;
}

void HostClass::markPropertiesPlain()
{
    for (HostMember &m : members_)
        if (m.kind == MemberKind::Property && m.maxArgs == 0)
            m.plain = true;
}

void HostClass::setDefaultMember(QStringView name)
{
    default_ = find(name);
}

Value readMember(HostObject &object, int member, Args args, const QString &what)
{
    const HostMember &m = object.hostClass().member(member);
    if (m.acceptsArgs(qsizetype(args.size())))
        return m.get(object, args);
    // A property without parameters given arguments passes them on to what
    // it returns, as COM does: m.SubMatches(0), o.List(2).
    if (m.kind == MemberKind::Property && m.acceptsArgs(0)) {
        const Value v = m.get(object, {});
        if (v.kind() == ValueKind::Array) {
            QList<qint32> indexes;
            for (const Value &a : args)
                indexes << a.toLong();
            const qsizetype pos = v.array()->offset(indexes.data(), indexes.size());
            if (pos < 0)
                throw ScriptException(RuntimeError::SubscriptOutOfRange, what);
            return v.array()->items[pos];
        }
        if (v.isObject() && !v.isNothing())
            return readDefault(*v.object(), args, what);
    }
    throw ScriptException(RuntimeError::WrongArgumentCount, what);
}

void writeMember(HostObject &object, int member, Args args, const Value &value, const QString &what)
{
    const HostMember &m = object.hostClass().member(member);
    if (!m.set)
        throw ScriptException(RuntimeError::NoSuchMember, what);
    if (!m.acceptsArgs(qsizetype(args.size())))
        throw ScriptException(RuntimeError::WrongArgumentCount, what);
    m.set(object, args, value);
}

Value readDefault(HostObject &object, Args args, const QString &what)
{
    const int member = object.hostClass().defaultMember();
    if (member < 0)
        throw ScriptException(RuntimeError::NoSuchMember, what);
    return readMember(object, member, args, what);
}

}  // namespace script
