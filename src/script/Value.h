#pragma once

#include <QList>
#include <QString>
#include <memory>
#include <optional>
#include <type_traits>
#include <variant>

namespace script {

class HostObject;
struct ScriptArray;

using ObjectRef = std::shared_ptr<HostObject>;
using ArrayRef = std::shared_ptr<ScriptArray>;
// A host array of 16-bit integers (a wave's samples): scripts may pass it
// around and hand it to Sample, but, as on Windows, VBScript cannot index it
// and trace cannot print it. Never changed once made, so it is shared.
using IntegerArrayRef = std::shared_ptr<const QList<qint16>>;

enum class ValueKind : quint8 {
    Empty, Null, Boolean, Integer, Long, Single, Double, Date, String, Object, Array, IntegerArray,
};

struct NullTag {
    bool operator==(const NullTag &) const = default;
};
// A point in time as an OLE date: days since 30 December 1899, the time of
// day as the fraction.
struct DateValue {
    double days = 0;
};

// The one value type of both script languages and of every host member: a
// VBScript Variant. Object values are shared references (a null one is
// Nothing); arrays are values, copied when written to while shared.
class Value {
public:
    Value() = default;
    Value(bool b) : v_(b) {}
    Value(qint16 i) : v_(i) {}
    Value(qint32 i) : v_(i) {}
    Value(float f) : v_(f) {}
    Value(double d) : v_(d) {}
    Value(DateValue d) : v_(d) {}
    Value(NullTag n) : v_(n) {}
    Value(QString s) : v_(std::move(s)) {}
    Value(const char *s) : v_(QString::fromUtf8(s)) {}
    Value(ObjectRef o) : v_(std::move(o)) {}
    // Any host object type, without spelling out the base class.
    template <class T, std::enable_if_t<std::is_convertible_v<T *, HostObject *>, int> = 0>
    Value(std::shared_ptr<T> o) : v_(ObjectRef(std::move(o))) {}
    Value(ArrayRef a) : v_(std::move(a)) {}
    Value(IntegerArrayRef a) : v_(std::move(a)) {}

    static Value null() { return Value(NullTag{}); }
    static Value nothing() { return Value(ObjectRef()); }

    ValueKind kind() const { return ValueKind(v_.index()); }
    bool isEmpty() const { return kind() == ValueKind::Empty; }
    bool isNull() const { return kind() == ValueKind::Null; }
    bool isString() const { return kind() == ValueKind::String; }
    bool isObject() const { return kind() == ValueKind::Object; }
    bool isNothing() const { return isObject() && !std::get<ObjectRef>(v_); }
    bool isArray() const { return kind() == ValueKind::Array || kind() == ValueKind::IntegerArray; }
    // Boolean, Integer, Long, Single, Double or Date.
    bool isNumber() const { return kind() >= ValueKind::Boolean && kind() <= ValueKind::Date; }

    bool boolean() const { return std::get<bool>(v_); }
    qint16 integer() const { return std::get<qint16>(v_); }
    qint32 longValue() const { return std::get<qint32>(v_); }
    float single() const { return std::get<float>(v_); }
    double doubleValue() const { return std::get<double>(v_); }
    double dateValue() const { return std::get<DateValue>(v_).days; }
    const QString &string() const { return std::get<QString>(v_); }
    QString &string() { return std::get<QString>(v_); }
    HostObject *object() const { return std::get<ObjectRef>(v_).get(); }
    const ObjectRef &objectRef() const { return std::get<ObjectRef>(v_); }
    const ArrayRef &array() const { return std::get<ArrayRef>(v_); }
    const IntegerArrayRef &integerArray() const { return std::get<IntegerArrayRef>(v_); }
    // The array for writing: copied first when another value shares it.
    ScriptArray &mutableArray();

    // Conversions by VBScript's rules; they throw ScriptException (Type
    // mismatch, Overflow, Invalid use of Null, Object doesn't support...).
    // Objects stand for their default value.
    double toDouble() const;
    qint32 toLong() const;     // rounded half to even
    qint16 toInteger() const;  // rounded half to even
    bool toBool() const;
    QString toString() const;  // CStr
    // The value itself, or an object's default value.
    Value dereferenced() const;
    // The object, or Object required. Nothing is allowed, and so is Null,
    // which JScript's null becomes.
    ObjectRef toObject(const QString &name = {}) const;

    // A number's text as CStr writes it, without exceptions.
    QString numberText() const;

    bool operator==(const Value &other) const = delete;

private:
    std::variant<std::monostate, NullTag, bool, qint16, qint32, float, double, DateValue, QString, ObjectRef,
                 ArrayRef, IntegerArrayRef>
        v_;
};

// A Variant array with one or more dimensions, each with its own lower
// bound. Elements are stored with the first index varying fastest, so that
// ReDim Preserve, which may only change the last dimension, keeps them in
// place.
struct ScriptArray {
    struct Dimension {
        qint32 lower = 0;
        qint32 count = 0;
    };
    QList<Dimension> dims;
    QList<Value> items;
    // Dim a(n) makes a fixed array, which ReDim and Erase may not resize.
    bool fixed = false;

    // The flat position of an index list, or -1 when it is out of range or
    // has the wrong number of indexes.
    qsizetype offset(const qint32 *indexes, qsizetype count) const;
    qint32 upper(int dim) const { return dims[dim].lower + dims[dim].count - 1; }
};

// A one-dimensional array with lower bound 0.
ArrayRef makeArray(QList<Value> items);

// VBScript's number reading of a string: blanks around, sign, digits with a
// point and an exponent, or &H / &O prefixes. nullopt when it is no number.
std::optional<double> parseNumber(QStringView text);

// The text CStr gives a Double (15 significant digits) and a Single (7).
QString formatDouble(double d);
QString formatSingle(float f);
QString formatDate(double days);
// Round half to even, as CInt, CLng and Round do.
double roundHalfEven(double d);

// VBScript's names of a value's type.
QString typeName(const Value &v);
int varType(const Value &v);

}  // namespace script
