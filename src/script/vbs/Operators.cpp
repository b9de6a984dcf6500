#include "script/vbs/Operators.h"

#include "script/ScriptError.h"

#include <cfloat>
#include <cmath>

namespace script::vbs {

namespace {

// The numeric types in VBScript's order of precision.
// Currency ranks above Double, as in Visual Basic: 1.5 * CCur(2) is a
// Currency.
enum class NumKind : quint8 { Byte, Integer, Long, Single, Double, Currency, Date };

struct Number {
    NumKind kind;
    qint64 whole = 0;  // Integer, Long
    double real = 0;   // the others
    double asDouble() const { return kind <= NumKind::Long ? double(whole) : real; }
    bool isWhole() const { return kind <= NumKind::Long; }
};

Number toNumber(const Value &v)
{
    switch (v.kind()) {
    case ValueKind::Empty: return {NumKind::Integer, 0};
    case ValueKind::Boolean: return {NumKind::Integer, v.boolean() ? -1 : 0};
    case ValueKind::Byte: return {NumKind::Byte, v.byte()};
    case ValueKind::Integer: return {NumKind::Integer, v.integer()};
    case ValueKind::Long: return {NumKind::Long, v.longValue()};
    case ValueKind::Currency: return {NumKind::Currency, 0, v.currency().toDouble()};
    case ValueKind::Single: return {NumKind::Single, 0, v.single()};
    case ValueKind::Double: return {NumKind::Double, 0, v.doubleValue()};
    case ValueKind::Date: return {NumKind::Date, 0, v.dateValue()};
    case ValueKind::String: return {NumKind::Double, 0, v.toDouble()};
    case ValueKind::Object: return toNumber(v.dereferenced());
    case ValueKind::Null: throw ScriptException(RuntimeError::InvalidUseOfNull);
    case ValueKind::Array:
    case ValueKind::IntegerArray: break;
    }
    throw ScriptException(RuntimeError::TypeMismatch);
}

Value fromWhole(qint64 r, NumKind kind)
{
    if (kind == NumKind::Byte && r >= 0 && r <= 255)
        return Value(quint8(r));
    if (kind <= NumKind::Integer && r >= -32768 && r <= 32767)
        return Value(qint16(r));
    if (r >= INT32_MIN && r <= INT32_MAX)
        return Value(qint32(r));
    return Value(double(r));
}

Value fromReal(double r, NumKind kind)
{
    if (std::isinf(r) || std::isnan(r))
        throw ScriptException(RuntimeError::Overflow);
    if (kind == NumKind::Single && std::abs(r) <= FLT_MAX)
        return Value(float(r));
    if (kind == NumKind::Currency) {
        const auto c = CurrencyValue::fromDouble(r);
        if (!c)
            throw ScriptException(RuntimeError::Overflow);
        return Value(*c);
    }
    if (kind == NumKind::Date) {
        if (!DateValue::inRange(r))
            throw ScriptException(RuntimeError::Overflow);
        return Value(DateValue{r});
    }
    return Value(r);
}

// Integer and Long operands, the loops' usual diet, skip the general path.
inline bool bothWhole(const Value &a, const Value &b)
{
    const auto whole = [](ValueKind k) { return k == ValueKind::Integer || k == ValueKind::Long; };
    return whole(a.kind()) && whole(b.kind());
}

inline qint64 wholeOf(const Value &v)
{
    return v.kind() == ValueKind::Integer ? v.integer() : v.longValue();
}

inline NumKind wholeKind(const Value &a, const Value &b)
{
    return a.kind() == ValueKind::Integer && b.kind() == ValueKind::Integer ? NumKind::Integer : NumKind::Long;
}

NumKind widerKind(NumKind a, NumKind b)
{
    // Long and Single meet in Double: a Single cannot hold every Long.
    if ((a == NumKind::Long && b == NumKind::Single) || (a == NumKind::Single && b == NumKind::Long))
        return NumKind::Double;
    return std::max(a, b);
}

enum class Arith { Add, Subtract, Multiply };

Value arithmetic(Arith op, const Value &a, const Value &b)
{
    if (a.isNull() || b.isNull())
        return Value::null();
    const Number x = toNumber(a);
    const Number y = toNumber(b);
    NumKind kind = widerKind(x.kind, y.kind);
    if (kind == NumKind::Date) {
        // Date - Date is a span of days; a Date times anything a number.
        if (op == Arith::Multiply || (op == Arith::Subtract && x.kind == NumKind::Date && y.kind == NumKind::Date))
            kind = NumKind::Double;
    }
    if (x.isWhole() && y.isWhole()) {
        const qint64 r = op == Arith::Add ? x.whole + y.whole : op == Arith::Subtract ? x.whole - y.whole : x.whole * y.whole;
        return fromWhole(r, kind);
    }
    const double p = x.asDouble(), q = y.asDouble();
    const double r = op == Arith::Add ? p + q : op == Arith::Subtract ? p - q : p * q;
    return fromReal(r, kind);
}

bool isWholeKind(const Value &v)
{
    const ValueKind k = v.kind();
    return k == ValueKind::Empty || k == ValueKind::Boolean || k == ValueKind::Byte || k == ValueKind::Integer;
}

// Operands of \, Mod and the bitwise operators: rounded to Long.
qint32 wholeOperand(const Value &v)
{
    if (v.isObject())
        return v.dereferenced().toLong();
    return v.toLong();
}

// Boolean words count for the logical operators; other strings as numbers.
Value logicalOperand(const Value &v)
{
    Value d = v.dereferenced();
    if (d.isString()) {
        const QString t = d.string().trimmed();
        if (t.compare(u"true", Qt::CaseInsensitive) == 0)
            return Value(true);
        if (t.compare(u"false", Qt::CaseInsensitive) == 0)
            return Value(false);
        return Value(wholeOperand(d));
    }
    if (d.kind() == ValueKind::Array || d.kind() == ValueKind::IntegerArray)
        throw ScriptException(RuntimeError::TypeMismatch);
    return d;
}

qint32 bitwise(BinaryOp op, qint32 x, qint32 y)
{
    switch (op) {
    case BinaryOp::And: return x & y;
    case BinaryOp::Or: return x | y;
    case BinaryOp::Xor: return x ^ y;
    case BinaryOp::Eqv: return ~(x ^ y);
    default: return ~x | y;  // Imp
    }
}

// Null in a logical operation: the result is known when the other side
// decides it alone (Null And False is False, Null Or True is True).
Value logicalWithNull(BinaryOp op, const Value &a, const Value &b)
{
    const bool nullLeft = a.isNull();
    const Value &other0 = nullLeft ? b : a;
    if (other0.isNull())
        return Value::null();
    const Value other = logicalOperand(other0);
    const qint32 bits = wholeOperand(other);
    const Value allSet = other.kind() == ValueKind::Boolean ? Value(true) : Value(qint16(-1));
    switch (op) {
    case BinaryOp::And: return bits == 0 ? other : Value::null();
    case BinaryOp::Or: return bits == -1 ? other : Value::null();
    case BinaryOp::Imp:
        // False Imp anything and anything Imp True are True.
        if ((!nullLeft && bits == 0) || (nullLeft && bits == -1))
            return allSet;
        return Value::null();
    default: return Value::null();
    }
}

}  // namespace

Value negate(const Value &v)
{
    switch (v.kind()) {
    case ValueKind::Null: return v;
    case ValueKind::Empty: return Value(qint16(0));
    case ValueKind::Integer: return fromWhole(-qint64(v.integer()), NumKind::Integer);
    case ValueKind::Long: return fromWhole(-qint64(v.longValue()), NumKind::Long);
    case ValueKind::Byte: return fromWhole(-qint64(v.byte()), NumKind::Integer);
    case ValueKind::Currency: return fromReal(-v.currency().toDouble(), NumKind::Currency);
    case ValueKind::Boolean: return Value(qint16(v.boolean() ? 1 : 0));
    case ValueKind::Single: return Value(-v.single());
    case ValueKind::Date: return fromReal(-v.dateValue(), NumKind::Date);
    case ValueKind::Object: return negate(v.dereferenced());
    default: return Value(-v.toDouble());
    }
}

Value notOp(const Value &v)
{
    if (v.isNull())
        return v;
    const Value d = logicalOperand(v);
    if (d.kind() == ValueKind::Boolean)
        return Value(!d.boolean());
    const qint32 r = ~wholeOperand(d);
    return isWholeKind(d) ? Value(qint16(r)) : Value(r);
}

Value add(const Value &a, const Value &b)
{
    // The common cases first: loop counters and sums.
    if (bothWhole(a, b))
        return fromWhole(wholeOf(a) + wholeOf(b), wholeKind(a, b));
    if (a.kind() == ValueKind::Double && b.kind() == ValueKind::Double)
        return fromReal(a.doubleValue() + b.doubleValue(), NumKind::Double);
    const Value x = a.dereferenced(), y = b.dereferenced();
    // + joins two strings; with Empty the other side is the result.
    if (x.isString() && y.isString())
        return Value(x.string() + y.string());
    if (x.isEmpty() && y.isString())
        return y;
    if (y.isEmpty() && x.isString())
        return x;
    return arithmetic(Arith::Add, x, y);
}

Value subtract(const Value &a, const Value &b)
{
    if (bothWhole(a, b))
        return fromWhole(wholeOf(a) - wholeOf(b), wholeKind(a, b));
    return arithmetic(Arith::Subtract, a, b);
}

Value multiply(const Value &a, const Value &b)
{
    if (bothWhole(a, b))
        return fromWhole(wholeOf(a) * wholeOf(b), wholeKind(a, b));
    return arithmetic(Arith::Multiply, a, b);
}

Value divide(const Value &a, const Value &b)
{
    if (a.isNull() || b.isNull())
        return Value::null();
    const Number x = toNumber(a), y = toNumber(b);
    if (y.asDouble() == 0)
        throw ScriptException(x.asDouble() == 0 ? RuntimeError::Overflow : RuntimeError::DivisionByZero);
    const bool single = (x.kind == NumKind::Single || y.kind == NumKind::Single) && x.kind != NumKind::Double
                        && y.kind != NumKind::Double && x.kind != NumKind::Long && y.kind != NumKind::Long;
    return fromReal(x.asDouble() / y.asDouble(), single ? NumKind::Single : NumKind::Double);
}

Value intDivide(const Value &a, const Value &b)
{
    if (bothWhole(a, b) && wholeOf(b) != 0 && !(wholeOf(b) == -1 && wholeOf(a) == INT32_MIN))
        return fromWhole(wholeOf(a) / wholeOf(b), wholeKind(a, b));
    if (a.isNull() || b.isNull())
        return Value::null();
    const qint64 x = wholeOperand(a), y = wholeOperand(b);
    if (y == 0)
        throw ScriptException(RuntimeError::DivisionByZero);
    const qint64 r = x / y;
    if (r > INT32_MAX)
        throw ScriptException(RuntimeError::Overflow);
    return fromWhole(r, isWholeKind(a) && isWholeKind(b) ? NumKind::Integer : NumKind::Long);
}

Value modulo(const Value &a, const Value &b)
{
    if (bothWhole(a, b) && wholeOf(b) != 0)
        return fromWhole(wholeOf(a) % wholeOf(b), wholeKind(a, b));
    if (a.isNull() || b.isNull())
        return Value::null();
    const qint64 x = wholeOperand(a), y = wholeOperand(b);
    if (y == 0)
        throw ScriptException(RuntimeError::DivisionByZero);
    return fromWhole(x % y, isWholeKind(a) && isWholeKind(b) ? NumKind::Integer : NumKind::Long);
}

Value power(const Value &a, const Value &b)
{
    if (a.isNull() || b.isNull())
        return Value::null();
    const double x = toNumber(a).asDouble(), y = toNumber(b).asDouble();
    const double r = std::pow(x, y);
    if (std::isnan(r))
        throw ScriptException(RuntimeError::InvalidProcedureCall);
    if (x == 0 && y < 0)
        throw ScriptException(RuntimeError::DivisionByZero);
    return fromReal(r, NumKind::Double);
}

Value logical(BinaryOp op, const Value &a, const Value &b)
{
    if (a.isNull() || b.isNull())
        return logicalWithNull(op, a, b);
    const Value x = logicalOperand(a), y = logicalOperand(b);
    if (x.kind() == ValueKind::Boolean && y.kind() == ValueKind::Boolean)
        return Value(bitwise(op, x.boolean() ? -1 : 0, y.boolean() ? -1 : 0) != 0);
    const qint32 r = bitwise(op, wholeOperand(x), wholeOperand(y));
    return isWholeKind(x) && isWholeKind(y) ? Value(qint16(r)) : Value(r);
}

int compareStrings(const QString &a, const QString &b, bool text)
{
    const int c = text ? a.compare(b, Qt::CaseInsensitive) : a.compare(b, Qt::CaseSensitive);
    return c < 0 ? -1 : c > 0 ? 1 : 0;
}

std::optional<int> compare(const Value &a0, const Value &b0, bool aLiteral, bool bLiteral)
{
    const Value a = a0.dereferenced(), b = b0.dereferenced();
    if (a.isNull() || b.isNull())
        return std::nullopt;
    if (a.isArray() || b.isArray())
        throw ScriptException(RuntimeError::TypeMismatch);
    const auto numeric = [](double x, double y) { return x < y ? -1 : x > y ? 1 : 0; };
    if (a.isString() && b.isString())
        return compareStrings(a.string(), b.string(), false);
    if (a.isEmpty() && b.isEmpty())
        return 0;
    if (a.isString() || b.isString()) {
        const bool stringLeft = a.isString();
        const Value &s = stringLeft ? a : b;
        const Value &n = stringLeft ? b : a;
        const bool sLiteral = stringLeft ? aLiteral : bLiteral;
        const bool nLiteral = stringLeft ? bLiteral : aLiteral;
        int r;
        if (n.isEmpty())
            r = compareStrings(s.string(), QString(), false);
        else if (nLiteral)
            r = numeric(s.toDouble(), n.toDouble());
        else if (sLiteral)
            r = compareStrings(s.string(), n.toString(), false);
        else
            r = 1;  // a number is less than a string
        return stringLeft ? r : -r;
    }
    return numeric(a.toDouble(), b.toDouble());
}

Value comparison(BinaryOp op, const Value &a, const Value &b, bool aLiteral, bool bLiteral)
{
    // Whole numbers of the same type need no conversion (loop bounds).
    std::optional<int> c;
    if (a.kind() == b.kind() && (a.kind() == ValueKind::Integer || a.kind() == ValueKind::Long)) {
        const qint32 x = a.kind() == ValueKind::Integer ? a.integer() : a.longValue();
        const qint32 y = b.kind() == ValueKind::Integer ? b.integer() : b.longValue();
        c = x < y ? -1 : x > y ? 1 : 0;
    } else {
        c = compare(a, b, aLiteral, bLiteral);
    }
    if (!c)
        return Value::null();
    switch (op) {
    case BinaryOp::Eq: return Value(*c == 0);
    case BinaryOp::Ne: return Value(*c != 0);
    case BinaryOp::Lt: return Value(*c < 0);
    case BinaryOp::Gt: return Value(*c > 0);
    case BinaryOp::Le: return Value(*c <= 0);
    default: return Value(*c >= 0);
    }
}

bool isTrue(const Value &v)
{
    switch (v.kind()) {
    case ValueKind::Boolean: return v.boolean();
    case ValueKind::Null: return false;
    default: return v.toBool();
    }
}

}  // namespace script::vbs
