#pragma once

#include "script/Value.h"

#include <optional>

// VBScript's operators on Variants: the result types (Integer grows into
// Long, Long into Double), the conversions between strings and numbers, Null
// propagation, and the run-time errors (Type mismatch, Division by zero,
// Overflow).
namespace script::vbs {

enum class UnaryOp : quint8 { Negate, Plus, Not };

enum class BinaryOp : quint8 {
    Add, Subtract, Multiply, Divide, IntDivide, Modulo, Power,
    Eq, Ne, Lt, Gt, Le, Ge,
    And, Or, Xor, Eqv, Imp,
};

Value negate(const Value &v);
Value notOp(const Value &v);
Value add(const Value &a, const Value &b);
Value subtract(const Value &a, const Value &b);
Value multiply(const Value &a, const Value &b);
Value divide(const Value &a, const Value &b);
Value intDivide(const Value &a, const Value &b);
Value modulo(const Value &a, const Value &b);
Value power(const Value &a, const Value &b);
Value logical(BinaryOp op, const Value &a, const Value &b);

// -1, 0 or 1; nullopt when either side is Null. A literal operand keeps its
// own type: a string variable compared with a number literal is read as a
// number, a number variable compared with a string literal is written as a
// string; two variables of those types compare the number as the smaller.
std::optional<int> compare(const Value &a, const Value &b, bool aLiteral, bool bLiteral);
// The Boolean (or Null) result of a comparison operator.
Value comparison(BinaryOp op, const Value &a, const Value &b, bool aLiteral, bool bLiteral);

// Strings compared as StrComp's compare argument asks: binary (0) or text (1).
int compareStrings(const QString &a, const QString &b, bool text);

// The truth of an If or loop condition: Null counts as False.
bool isTrue(const Value &v);

}  // namespace script::vbs
