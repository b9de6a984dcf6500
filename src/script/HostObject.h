#pragma once

#include "script/Value.h"

#include <QHash>
#include <QList>
#include <QString>
#include <functional>
#include <memory>
#include <span>

namespace script {

using Args = std::span<const Value>;

// What a script sees of a host object is described once, by its class: the
// members with their names, argument counts and the C++ that reads, writes
// or calls them. Both script engines consume the same description, so a
// member written here works alike in VBScript and in JScript.
enum class MemberKind {
    Property,  // read (with 0 or more index arguments), perhaps written
    Method,    // called
};

struct HostMember {
    QString name;  // as listed; scripts may write it in any case
    MemberKind kind = MemberKind::Property;
    int minArgs = 0;
    int maxArgs = 0;  // -1: any number
    std::function<Value(HostObject &, Args)> get;               // read or call
    std::function<void(HostObject &, Args, const Value &)> set;  // empty: read-only
    // A property without arguments that reads the object's own data, cheaply
    // and without effects: an engine may read all of an object's plain
    // properties in one go and keep their values until the script next
    // calls or writes anything.
    bool plain = false;

    bool acceptsArgs(qsizetype n) const { return n >= minArgs && (maxArgs < 0 || n <= maxArgs); }
};

class HostClass {
public:
    explicit HostClass(QString typeName) : typeName_(std::move(typeName)) {}
    // A class whose members one function declares: describe(*this).
    HostClass(QString typeName, void (*describe)(HostClass &)) : HostClass(std::move(typeName)) { describe(*this); }

    // TypeName in VBScript.
    const QString &typeName() const { return typeName_; }
    // The member of that name in any case, or -1.
    int find(QStringView name) const;
    const HostMember &member(int index) const { return members_[index]; }
    int memberCount() const { return int(members_.size()); }
    // The member that stands for the object when it is called (clc(i)) or
    // used as a plain value; -1 when the object has none.
    int defaultMember() const { return default_; }

    int add(HostMember member);
    void setDefaultMember(QStringView name);
    // Marks every property without arguments declared so far as plain.
    void markPropertiesPlain();

private:
    QString typeName_;
    QList<HostMember> members_;
    QHash<QString, int> byLowerName_;
    int default_ = -1;
};

// For Each over a host collection: hands out the items one by one.
class Enumerator {
public:
    virtual ~Enumerator() = default;
    virtual bool next(Value &item) = 0;
};

class HostObject : public std::enable_shared_from_this<HostObject> {
public:
    virtual ~HostObject() = default;
    virtual const HostClass &hostClass() const = 0;
    // nullptr when the object is not a collection.
    virtual std::unique_ptr<Enumerator> enumerate() { return nullptr; }
};

// Enumerates positions first..last of a collection by its item reader,
// reading the count afresh at each step so that removals during the walk end
// it instead of reading past the end.
class IndexEnumerator : public Enumerator {
public:
    IndexEnumerator(std::function<qsizetype()> count, std::function<Value(qsizetype)> item, qsizetype first = 0)
        : count_(std::move(count)), item_(std::move(item)), next_(first) {}
    bool next(Value &item) override
    {
        if (next_ >= count_())
            return false;
        item = item_(next_++);
        return true;
    }

private:
    std::function<qsizetype()> count_;
    std::function<Value(qsizetype)> item_;
    qsizetype next_;
};

// Reads, writes and calls members with the checks both engines need: the
// argument count (Wrong number of arguments), read-only properties (Object
// doesn't support this property or method). `what` names the member in
// error texts, as the script wrote it.
Value readMember(HostObject &object, int member, Args args, const QString &what);
void writeMember(HostObject &object, int member, Args args, const Value &value, const QString &what);
// The default member read with args; Object doesn't support... without one.
Value readDefault(HostObject &object, Args args, const QString &what);

// Registers members of host type T on a class:
//
//   HostClassBuilder<Entry>(cls)
//       .property("ALS", [](Entry &e) { return Value(e.oto->ALS); },
//                        [](Entry &e, const Value &v) { e.oto->ALS = v.toString(); })
//       .method("cpy", 1, 1, [](Entry &e, Args a) { ...; return Value(); });
template <class T>
class HostClassBuilder {
public:
    explicit HostClassBuilder(HostClass &cls) : cls_(cls) {}

    template <class Get>
    HostClassBuilder &readOnly(const char *name, Get get)
    {
        return add(name, MemberKind::Property, 0, 0, [get](HostObject &o, Args) { return Value(get(self(o))); }, {});
    }
    template <class Get, class Set>
    HostClassBuilder &property(const char *name, Get get, Set set)
    {
        return add(name, MemberKind::Property, 0, 0, [get](HostObject &o, Args) { return Value(get(self(o))); },
                   [set](HostObject &o, Args, const Value &v) { set(self(o), v); });
    }
    // A property that reads a field of T and writes it, the value converted
    // to the field's type: field("Pattern", &RegExpObject::pattern).
    template <class F>
    HostClassBuilder &field(const char *name, F T::*member)
    {
        return property(name, [member](T &t) { return t.*member; },
                        [member](T &t, const Value &v) { t.*member = converted<F>(v); });
    }
    // A property with index arguments: get(T&, Args), set(T&, Args, value)
    // (pass nullptr for a read-only one).
    template <class Get, class Set>
    HostClassBuilder &indexed(const char *name, int argCount, Get get, Set set)
    {
        std::function<void(HostObject &, Args, const Value &)> setter;
        if constexpr (!std::is_same_v<Set, std::nullptr_t>)
            setter = [set](HostObject &o, Args a, const Value &v) { set(self(o), a, v); };
        return add(name, MemberKind::Property, argCount, argCount,
                   [get](HostObject &o, Args a) { return Value(get(self(o), a)); }, std::move(setter));
    }
    // fn(T&, Args) returning the result (a Value, or anything a Value takes).
    template <class Fn>
    HostClassBuilder &method(const char *name, int minArgs, int maxArgs, Fn fn)
    {
        return add(name, MemberKind::Method, minArgs, maxArgs,
                   [fn](HostObject &o, Args a) { return Value(fn(self(o), a)); }, {});
    }
    HostClassBuilder &defaultMember(const char *name)
    {
        cls_.setDefaultMember(QString::fromUtf8(name));
        return *this;
    }
    // The properties declared so far only read the object's own fields.
    HostClassBuilder &plainProperties()
    {
        cls_.markPropertiesPlain();
        return *this;
    }

private:
    static T &self(HostObject &o) { return static_cast<T &>(o); }
    template <class F>
    static F converted(const Value &v)
    {
        if constexpr (std::is_same_v<F, bool>)
            return v.toBool();
        else if constexpr (std::is_same_v<F, qint32>)
            return v.toLong();
        else {
            static_assert(std::is_same_v<F, QString>, "a field of another type needs its own property");
            return v.toString();
        }
    }
    HostClassBuilder &add(const char *name, MemberKind kind, int minArgs, int maxArgs,
                          std::function<Value(HostObject &, Args)> get,
                          std::function<void(HostObject &, Args, const Value &)> set)
    {
        cls_.add({QString::fromUtf8(name), kind, minArgs, maxArgs, std::move(get), std::move(set)});
        return *this;
    }

    HostClass &cls_;
};

}  // namespace script
