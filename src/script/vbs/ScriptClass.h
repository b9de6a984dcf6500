#pragma once

#include "script/vbs/Runtime.h"

namespace script::vbs {

// An instance of a class written in the script: its fields, and its
// members read, written and called by name from inside (bare names in its
// methods) and from outside (o.Member, through its host class).
class ClassInstance : public HostObject {
public:
    ClassInstance(Runtime &rt, const ClassDef &cls);
    ~ClassInstance() override;
    const HostClass &hostClass() const override;
    const ClassDef &definition() const { return cls_; }

    Value read(const ClassMember &m, Args args);
    void assign(const ClassMember &m, Args args, const Value &value);
    Value callMember(const Procedure &p, Args args);

    QList<Value> fields;

private:
    Runtime &rt_;
    std::shared_ptr<bool> alive_;
    const ClassDef &cls_;
    std::shared_ptr<HostClass> hostClass_;
};

std::shared_ptr<HostClass> describeClass(const ClassDef &cls);

}  // namespace script::vbs
