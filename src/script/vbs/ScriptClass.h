#pragma once

#include "script/vbs/Runtime.h"

namespace script::vbs {

// An instance of a class written in the script: its fields, and its
// members read, written and called by name from inside (bare names in its
// methods) and from outside (o.Member, through its host class).
class ClassInstance : public HeapObject {
public:
    ClassInstance(Runtime &rt, const ClassDef &cls);
    ~ClassInstance() override;
    const HostClass &hostClass() const override;
    // Only while the runtime that made the instance lives (it owns the
    // class); later every member is Object required.
    const ClassDef &definition() const;

    Value read(const ClassMember &m, Args args);
    void assign(const ClassMember &m, Args args, const Value &value);
    Value callMember(const Procedure &p, Args args);
    void dropValues() override;

    QList<Value> fields;

private:
    Runtime &liveRuntime() const;
    void checkField(int i) const { Q_ASSERT(i >= 0 && i < fields.size()); }
    const ClassDef &cls_;
    std::shared_ptr<HostClass> hostClass_;
};

std::shared_ptr<HostClass> describeClass(const ClassDef &cls);

}  // namespace script::vbs
