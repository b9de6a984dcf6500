#pragma once

#include "script/HostObject.h"
#include "script/Value.h"
#include "script/vbs/Operators.h"

#include <QString>
#include <QStringList>
#include <functional>
#include <memory>
#include <vector>

// The executable tree of a VBScript program. The parser builds it with names
// as written; Resolver binds every name once (to a local slot, a global
// variable, a procedure, a host member or a built-in) so that running it
// never looks a name up by text.
namespace script::vbs {

class Runtime;
class Resolver;
struct Procedure;
struct Chunk;
struct ClassDef;
struct Builtin;

// One activation: the top level of a chunk or a procedure call. Slots point
// at the frame's own storage or, for ByRef parameters, at the caller's
// variable.
struct ExecutedLocals;
struct Frame {
    Runtime &rt;
    Value **locals = nullptr;
    const Procedure *procedure = nullptr;
    const Chunk *chunk = nullptr;
    bool resumeNext = false;
    // Inside a method of a script class: the instance (Me).
    HostObject *me = nullptr;
    // In a procedure call: the variables Execute declared in it.
    std::shared_ptr<ExecutedLocals> executed = {};
};

struct SourcePos {
    int line = 0;
    int column = 0;
};

class Expr;
class Stmt;
using ExprPtr = std::unique_ptr<Expr>;
using ExprList = std::vector<ExprPtr>;
using StmtPtr = std::unique_ptr<Stmt>;
using StmtList = std::vector<StmtPtr>;

// What a node hands each of its direct children to: sub-expressions (null
// ones are skipped) and nested blocks. Every walk over the tree (binding
// names, asking what an expression reads or calls) goes through the one
// visitChildren of each node type.
struct ChildVisitor {
    std::function<void(Expr &)> expr;
    std::function<void(const StmtList &)> block;
    void operator()(const ExprPtr &e) const
    {
        if (e)
            expr(*e);
    }
    void operator()(const ExprList &list) const
    {
        for (const ExprPtr &e : list)
            expr(*e);
    }
    void operator()(const StmtList &body) const
    {
        if (block)
            block(body);
    }
    // Several children in order: v(item, collection, body).
    template <class... Children>
        requires(sizeof...(Children) > 1)
    void operator()(const Children &...children) const
    {
        ((*this)(children), ...);
    }
};

class Expr {
public:
    explicit Expr(SourcePos pos) : pos(pos) {}
    virtual ~Expr() = default;

    virtual Value eval(Frame &f) const = 0;
    // target = value (the value is already what is to be stored).
    virtual void store(Frame &f, Value value) const;
    // The variable this expression names, for ByRef arguments and fast
    // updates; nullptr when it names none.
    virtual Value *reference(Frame &) const { return nullptr; }
    // For an array element a(i) passed ByRef: the variable holding the
    // array (nullptr when this is no such element) and the indexes.
    virtual Value *elementVariable(Frame &) const { return nullptr; }
    virtual QList<qint32> indexes(Frame &) const { return {}; }
    // The direct sub-expressions, in the order they are evaluated.
    virtual void visitChildren(const ChildVisitor &) const {}
    // Binds the names below; by default the children's.
    virtual void resolve(Resolver &r);
    // Literals and constants, which VBScript compares by their own type.
    virtual bool isLiteral() const { return false; }
    // Whether running it may call a script procedure (which could change any
    // variable behind the caller's back); by default whether a child may.
    virtual bool mayCallProcedure() const;
    // Whether it reads the variable of that (lower-case) name.
    virtual bool mentions(const QString &name) const;
    // The expression as the script wrote it, for error texts ('x', 'a.b').
    virtual QString describe() const { return {}; }
    // Depth of the tree below, bounded by the parser so that running and
    // destroying it cannot exhaust the stack.
    int depth = 1;

    SourcePos pos;
};
enum class Flow : quint8 { Normal, ExitDo, ExitFor, ExitProcedure };

class Stmt {
public:
    explicit Stmt(SourcePos pos) : pos(pos) {}
    virtual ~Stmt() = default;
    virtual Flow exec(Frame &f) const = 0;
    // The expressions and blocks inside, in source order.
    virtual void visitChildren(const ChildVisitor &) const {}
    // Binds the names inside; by default those of the children.
    virtual void resolve(Resolver &r);
    SourcePos pos;
};

// Runs statements in order; a run-time error either is recorded in Err and
// skipped (On Error Resume Next) or leaves with the failing line noted.
Flow execBlock(const StmtList &body, Frame &f);

// ----- expressions -----

class Literal : public Expr {
public:
    Literal(SourcePos pos, Value v) : Expr(pos), value(std::move(v)) {}
    Value eval(Frame &) const override { return value; }
    bool isLiteral() const override { return true; }
    Value value;
};

// How a name was bound.
struct Binding {
    enum class Kind : quint8 {
        Unbound,
        Local,       // slot of the frame
        Global,      // a global variable
        Constant,    // Const, or a built-in constant
        Procedure,   // a Sub or Function of the script
        Object,      // an object added with AddObject
        HostMember,  // a member of such an object, added as a global name
        Builtin,     // a built-in function
        ReturnValue, // the function's own name inside it
        ClassMember, // a field, method or property of Me, inside a class
        Missing,     // not known (yet)
    };
    Kind kind = Kind::Unbound;
    int slot = -1;
    Value *global = nullptr;
    Value constant;
    const Procedure *procedure = nullptr;
    HostObject *object = nullptr;
    int member = -1;
    const Builtin *builtin = nullptr;
    const ClassDef *classDef = nullptr;  // with member: its index there
};

// A name, perhaps with arguments: a variable, an array element, a call of a
// procedure, built-in or host member, or an object's default member.
class NameExpr : public Expr {
public:
    NameExpr(SourcePos pos, QString name, ExprList args, bool hasParens)
        : Expr(pos), name(std::move(name)), lower(this->name.toLower()), args(std::move(args)), hasParens(hasParens)
    {
    }
    Value eval(Frame &f) const override;
    void store(Frame &f, Value value) const override;
    Value *reference(Frame &f) const override;
    void visitChildren(const ChildVisitor &v) const override { v(args); }
    void resolve(Resolver &r) override;
    bool isLiteral() const override { return binding_.kind == Binding::Kind::Constant; }
    bool mayCallProcedure() const override;
    bool mentions(const QString &n) const override;
    QString describe() const override { return name; }

    Value *elementVariable(Frame &f) const override;
    QList<qint32> indexes(Frame &f) const override;

    const Binding &binding(Frame &f) const;
    // A variable used without arguments (or a name that will become one).
    bool isPlainVariable() const
    {
        return args.empty() && !hasParens
               && (late_ || binding_.kind == Binding::Kind::Local || binding_.kind == Binding::Kind::Global);
    }

    QString name;
    QString lower;
    ExprList args;
    bool hasParens = false;
    // Set by the parser for `name` used as a statement or with arguments:
    // a missing name then reports a call error rather than being a variable.
    bool calledAsProcedure = false;

private:
    friend class Resolver;
    void rebind(Runtime &rt) const;
    Value callOrIndex(Frame &f, const Binding &b) const;

    mutable Binding binding_;
    // Names that might be defined later (by a later AddCode) are bound again
    // whenever the runtime's table of names has changed.
    bool late_ = false;
    int fallbackSlot_ = -1;       // the implicit local a missing name becomes
    bool createsGlobal_ = false;  // or the implicit global, at the top level
    bool missingIsError_ = false; // Option Explicit
    mutable quint64 boundVersion_ = 0;
};

// object.member, perhaps with arguments.
struct MemberTarget;
class MemberExpr : public Expr {
public:
    MemberExpr(SourcePos pos, ExprPtr object, QString member, ExprList args, bool hasParens)
        : Expr(pos), object(std::move(object)), member(std::move(member)), args(std::move(args)), hasParens(hasParens)
    {
    }
    Value eval(Frame &f) const override;
    void store(Frame &f, Value value) const override;
    void visitChildren(const ChildVisitor &v) const override { v(object, args); }
    QString describe() const override;

    ExprPtr object;
    QString member;
    ExprList args;
    bool hasParens = false;

private:
    void target(Frame &f, MemberTarget &t) const;
    int memberIndex(HostObject &o) const;
    mutable const HostClass *cachedClass_ = nullptr;
    mutable int cachedIndex_ = -1;
};

// (expr): a value, never a reference, so a parenthesised argument is passed
// by value.
class ParenExpr : public Expr {
public:
    ParenExpr(SourcePos pos, ExprPtr inner) : Expr(pos), inner(std::move(inner)) {}
    Value eval(Frame &f) const override { return inner->eval(f); }
    void visitChildren(const ChildVisitor &v) const override { v(inner); }
    bool isLiteral() const override { return inner->isLiteral(); }
    ExprPtr inner;
};

class UnaryExpr : public Expr {
public:
    UnaryExpr(SourcePos pos, UnaryOp op, ExprPtr operand) : Expr(pos), op(op), operand(std::move(operand)) {}
    Value eval(Frame &f) const override;
    void visitChildren(const ChildVisitor &v) const override { v(operand); }
    UnaryOp op;
    ExprPtr operand;
};

class BinaryExpr : public Expr {
public:
    BinaryExpr(SourcePos pos, BinaryOp op, ExprPtr left, ExprPtr right)
        : Expr(pos), op(op), left(std::move(left)), right(std::move(right))
    {
    }
    Value eval(Frame &f) const override;
    void visitChildren(const ChildVisitor &v) const override { v(left, right); }
    void resolve(Resolver &r) override;
    BinaryOp op;
    ExprPtr left, right;

private:
    // Filled after resolving: which side is a literal (comparison rules).
    bool leftLiteral_ = false;
    bool rightLiteral_ = false;
};

// value(args) on what is not a name, as in Split(s, ",")(0): an element of
// a returned array or the default member of a returned object.
class IndexExpr : public Expr {
public:
    IndexExpr(SourcePos pos, ExprPtr inner, ExprList args) : Expr(pos), inner(std::move(inner)), args(std::move(args)) {}
    Value eval(Frame &f) const override;
    void store(Frame &f, Value value) const override;
    void visitChildren(const ChildVisitor &v) const override { v(inner, args); }
    ExprPtr inner;
    ExprList args;
};

// a & b & c ...: all parts joined at once, one allocation for the result
// however long the chain.
class ConcatExpr : public Expr {
public:
    ConcatExpr(SourcePos pos, ExprList parts) : Expr(pos), parts(std::move(parts)) {}
    Value eval(Frame &f) const override;
    void visitChildren(const ChildVisitor &v) const override { v(parts); }
    ExprList parts;
};

// a Is b: the same object.
class IsExpr : public Expr {
public:
    IsExpr(SourcePos pos, ExprPtr left, ExprPtr right) : Expr(pos), left(std::move(left)), right(std::move(right)) {}
    Value eval(Frame &f) const override;
    void visitChildren(const ChildVisitor &v) const override { v(left, right); }
    ExprPtr left, right;
};

// Me: the instance a method of a script class runs on.
class MeExpr : public Expr {
public:
    using Expr::Expr;
    Value eval(Frame &f) const override;
    QString describe() const override { return QStringLiteral("Me"); }
};

// New RegExp, New SomeClass.
class NewExpr : public Expr {
public:
    NewExpr(SourcePos pos, QString className) : Expr(pos), className(std::move(className)) {}
    Value eval(Frame &f) const override;
    bool mayCallProcedure() const override { return true; }  // Class_Initialize
    QString className;
};

// ----- statements -----

// target = value, or Set target = value.
class AssignStmt : public Stmt {
public:
    AssignStmt(SourcePos pos, ExprPtr target, ExprPtr value, bool isSet)
        : Stmt(pos), target(std::move(target)), value(std::move(value)), isSet(isSet)
    {
    }
    Flow exec(Frame &f) const override;
    void visitChildren(const ChildVisitor &v) const override { v(target, value); }
    void resolve(Resolver &r) override;
    ExprPtr target, value;
    bool isSet;

private:
    // s = s & a & b ... is done by appending a, b ... to s where it lies, so
    // that building a long string in a loop takes linear time. Used only
    // when the parts cannot change s themselves (no procedure calls, no s).
    Flow append(Frame &f, Value &target) const;
    std::vector<const Expr *> appendParts_;
};

// A call used as a statement; its value is dropped.
class CallStmt : public Stmt {
public:
    CallStmt(SourcePos pos, ExprPtr call) : Stmt(pos), call(std::move(call)) {}
    Flow exec(Frame &f) const override;
    void visitChildren(const ChildVisitor &v) const override { v(call); }
    ExprPtr call;
};

class IfStmt : public Stmt {
public:
    using Stmt::Stmt;
    struct Branch {
        ExprPtr condition;
        StmtList body;
    };
    Flow exec(Frame &f) const override;
    void visitChildren(const ChildVisitor &v) const override
    {
        for (const Branch &b : branches) {
            v(b.condition, b.body);
        }
        v(elseBody);
    }
    std::vector<Branch> branches;
    StmtList elseBody;
};

class ForStmt : public Stmt {
public:
    using Stmt::Stmt;
    Flow exec(Frame &f) const override;
    void visitChildren(const ChildVisitor &v) const override { v(counter, from, to, step, body); }
    ExprPtr counter, from, to, step;  // step may be null (1)
    StmtList body;
};

class ForEachStmt : public Stmt {
public:
    using Stmt::Stmt;
    Flow exec(Frame &f) const override;
    void visitChildren(const ChildVisitor &v) const override { v(item, collection, body); }
    ExprPtr item, collection;
    StmtList body;
};

class DoStmt : public Stmt {
public:
    using Stmt::Stmt;
    enum class Test : quint8 { None, PreWhile, PreUntil, PostWhile, PostUntil };
    Flow exec(Frame &f) const override;
    void visitChildren(const ChildVisitor &v) const override { v(condition, body); }
    Test test = Test::None;
    ExprPtr condition;
    StmtList body;
    bool isWhileWend = false;  // Exit Do does not leave While ... Wend
};

class SelectStmt : public Stmt {
public:
    using Stmt::Stmt;
    struct Test {
        enum class Kind : quint8 { Equal, Range, Compare } kind = Kind::Equal;
        BinaryOp op = BinaryOp::Eq;  // for Is comparisons
        ExprPtr value, upper;        // upper: the end of a range
    };
    struct Clause {
        std::vector<Test> tests;  // empty: Case Else
        StmtList body;
    };
    Flow exec(Frame &f) const override;
    void visitChildren(const ChildVisitor &v) const override
    {
        v(subject);
        for (const Clause &c : clauses) {
            for (const Test &t : c.tests)
                v(t.value, t.upper);
            v(c.body);
        }
    }
    ExprPtr subject;
    std::vector<Clause> clauses;
};

class ExitStmt : public Stmt {
public:
    ExitStmt(SourcePos pos, Flow flow) : Stmt(pos), flow(flow) {}
    Flow exec(Frame &) const override { return flow; }
    Flow flow;
};

class OnErrorStmt : public Stmt {
public:
    OnErrorStmt(SourcePos pos, bool resumeNext) : Stmt(pos), resumeNext(resumeNext) {}
    Flow exec(Frame &f) const override;
    bool resumeNext;
};

// ReDim [Preserve] a(n, m), b(k); also Dim a(n) with its fixed bounds.
class ReDimStmt : public Stmt {
public:
    using Stmt::Stmt;
    struct Item {
        ExprPtr target;
        ExprList bounds;
    };
    Flow exec(Frame &f) const override;
    void visitChildren(const ChildVisitor &v) const override
    {
        for (const Item &i : items)
            v(i.target, i.bounds);
    }
    std::vector<Item> items;
    bool preserve = false;
    bool fixed = false;  // Dim with bounds: a fixed array
};

class EraseStmt : public Stmt {
public:
    using Stmt::Stmt;
    Flow exec(Frame &f) const override;
    void visitChildren(const ChildVisitor &v) const override { v(targets); }
    ExprList targets;
};

// With obj ... End With: obj is kept in a hidden variable that the .member
// expressions inside read.
class WithStmt : public Stmt {
public:
    using Stmt::Stmt;
    Flow exec(Frame &f) const override;
    void visitChildren(const ChildVisitor &v) const override { v(holder, object, body); }
    ExprPtr holder, object;
    StmtList body;
};

// ----- procedures and compiled chunks -----

// One member of a script class as its name finds it: a field, or the
// procedures of a Sub, Function or Property (Get, Let and Set).
struct ClassMember {
    QString name;
    bool isPublic = true;
    int field = -1;                    // index in the instance's fields
    const Procedure *call = nullptr;   // Sub, Function or Property Get
    const Procedure *let = nullptr;
    const Procedure *set = nullptr;
};

struct Param {
    QString name;
    bool byRef = true;
};

// What code compiled into a call of a procedure (Execute, Eval) sees of it:
// everything but its parameters and statements.
struct ProcedureScope {
    QString name;
    bool isFunction = false;
    // Lower-case names of locals: parameters first, then locals.
    QStringList slotNames;
    QList<Value> localConstants;  // parallel to constantNames
    QStringList constantNames;
    int returnSlot = -1;
    const Chunk *chunk = nullptr;
    const ClassDef *owner = nullptr;  // the class of a method
    int slotCount() const { return int(slotNames.size()); }
    // The slot of a (lower-case) name, or -1; looked up by hash so that a
    // procedure with many locals still compiles in linear time.
    int slotOf(const QString &lower) const { return slotIndex.value(lower, -1); }
    int addSlot(const QString &lower)
    {
        slotIndex.insert(lower, slotCount());
        slotNames << lower;
        return slotCount() - 1;
    }
    QHash<QString, int> slotIndex;
};

struct Procedure : ProcedureScope {
    SourcePos pos;
    std::vector<Param> params;
    StmtList body;
    // Dim a(n) arrays, made afresh at every call.
    StmtList prologue;
};

// Class Name ... End Class: its members by name, its methods, and the
// description instances show to the outside (public members only).
struct ClassDef {
    QString name;
    std::vector<std::unique_ptr<Procedure>> methods;
    QList<ClassMember> members;
    QHash<QString, int> byName;  // lower-case
    int fieldCount = 0;
    // Per field: whether it is an array (Private a() or a(3, 4)) and the
    // upper bounds of a fixed one, made afresh for every instance.
    QList<bool> fieldIsArray;
    QList<QList<qint32>> fieldBounds;
    int defaultMember = -1;
    const Procedure *initialize = nullptr;
    const Procedure *terminate = nullptr;
    std::shared_ptr<HostClass> hostClass;  // made when the chunk compiles

    // The member of that (lower-case) name, made when missing.
    ClassMember &member(const QString &name);
    const ClassMember *find(const QString &lower) const
    {
        const auto it = byName.constFind(lower);
        return it == byName.constEnd() ? nullptr : &members[*it];
    }
};

// One AddCode, Eval or ExecuteStatement: its source lines (for error texts),
// its procedures and its top-level statements.
struct Chunk {
    QStringList lines;
    std::vector<std::unique_ptr<Procedure>> procedures;
    std::vector<std::unique_ptr<ClassDef>> classes;
    StmtList prologue;
    StmtList body;
    ExprPtr expression;  // Eval
    bool optionExplicit = false;
    // Declarations found by the parser, installed when the chunk compiled.
    QStringList globalNames;
    QStringList constantNames;
    QList<Value> constantValues;
    QList<SourcePos> globalPositions;
};

}  // namespace script::vbs
