#pragma once

#include <QList>
#include <QString>
#include <memory>
#include <new>
#include <optional>
#include <type_traits>

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
    Empty, Null, Boolean, Byte, Integer, Long, Currency, Single, Double, Date, String, Object, Array, IntegerArray,
};

// A Currency: a 64-bit count of ten-thousandths.
struct CurrencyValue {
    qint64 units = 0;
    static constexpr qint64 kScale = 10000;
    double toDouble() const { return double(units) / kScale; }
    // Rounded to four decimals, halves to even; nullopt when out of range.
    static std::optional<CurrencyValue> fromDouble(double d);
};

struct NullTag {
    bool operator==(const NullTag &) const = default;
};
// A point in time as an OLE date: days since 30 December 1899, the time of
// day as the fraction. VBScript's dates run from the year 100 to 9999.
struct DateValue {
    double days = 0;
    static constexpr double kFirst = -657435.0;       // 100-01-01
    static constexpr double kLast = 2958465.99999999;  // 9999-12-31 23:59:59
    static bool inRange(double d) { return d >= kFirst && d <= kLast; }
};

// The one value type of both script languages and of every host member: a
// VBScript Variant. Object values are shared references (a null one is
// Nothing); arrays are values, copied when written to while shared.
//
// A tagged union rather than std::variant: copying and dropping the
// numbers the interpreter handles in its loops must cost next to nothing.
class Value {
public:
    Value() { u_.raw = 0; }
    Value(bool b) : kind_(ValueKind::Boolean) { u_.raw = 0, u_.b = b; }
    Value(quint8 b) : kind_(ValueKind::Byte) { u_.raw = 0, u_.u8 = b; }
    Value(qint16 i) : kind_(ValueKind::Integer) { u_.raw = 0, u_.i16 = i; }
    Value(qint32 i) : kind_(ValueKind::Long) { u_.raw = 0, u_.i32 = i; }
    Value(float f) : kind_(ValueKind::Single) { u_.raw = 0, u_.f = f; }
    Value(double d) : kind_(ValueKind::Double) { u_.d = d; }
    Value(DateValue d) : kind_(ValueKind::Date) { u_.d = d.days; }
    Value(CurrencyValue c) : kind_(ValueKind::Currency) { u_.i64 = c.units; }
    Value(NullTag) : kind_(ValueKind::Null) { u_.raw = 0; }
    Value(QString s) : kind_(ValueKind::String) { new (&u_.s) QString(std::move(s)); }
    Value(const char *s) : Value(QString::fromUtf8(s)) {}
    Value(ObjectRef o) : kind_(ValueKind::Object) { new (&u_.o) ObjectRef(std::move(o)); }
    // Any host object type, without spelling out the base class.
    template <class T, std::enable_if_t<std::is_convertible_v<T *, HostObject *>, int> = 0>
    Value(std::shared_ptr<T> o) : Value(ObjectRef(std::move(o))) {}
    Value(ArrayRef a) : kind_(ValueKind::Array) { new (&u_.a) ArrayRef(std::move(a)); }
    Value(IntegerArrayRef a) : kind_(ValueKind::IntegerArray) { new (&u_.ia) IntegerArrayRef(std::move(a)); }

    Value(const Value &o) : kind_(o.kind_), oddByte_(o.oddByte_)
    {
        if (o.isPlain())
            u_.raw = o.u_.raw;
        else
            copyFrom(o);
    }
    Value(Value &&o) noexcept : kind_(o.kind_), oddByte_(o.oddByte_)
    {
        if (o.isPlain())
            u_.raw = o.u_.raw;
        else
            moveFrom(std::move(o));
    }
    Value &operator=(const Value &o)
    {
        if (this != &o) {
            if (isPlain() && o.isPlain()) {
                kind_ = o.kind_;
                oddByte_ = 0;
                u_.raw = o.u_.raw;
            } else {
                Value copy(o);
                *this = std::move(copy);
            }
        }
        return *this;
    }
    Value &operator=(Value &&o) noexcept
    {
        if (this == &o)
            return *this;
        if (isPlain() && o.isPlain()) {
            kind_ = o.kind_;
            oddByte_ = 0;
            u_.raw = o.u_.raw;
            return *this;
        }
        // What this value held goes only once the new contents are in
        // place: an object going may run script code (Class_Terminate)
        // that reads or writes this very value, or moves its storage.
        Value old;
        if (isPlain())
            kind_ = ValueKind::Empty;
        else
            old.takeFrom(*this);
        takeFrom(o);
        return *this;
    }
    ~Value()
    {
        if (!isPlain())
            release();
    }

    static Value null() { return Value(NullTag{}); }
    // A string of an odd number of bytes (ChrB, MidB ...): whole is the
    // characters its bytes fill, lastByte the byte after them, which no
    // character holds. Only the byte functions and & see that byte.
    static Value oddByteString(QString whole, quint8 lastByte)
    {
        Value v(std::move(whole));
        v.oddByte_ = quint16(0x100 | lastByte);
        return v;
    }
    std::optional<quint8> oddByte() const
    {
        if (kind_ == ValueKind::String && oddByte_)
            return quint8(oddByte_ & 0xFF);
        return std::nullopt;
    }
    static Value nothing() { return Value(ObjectRef()); }

    ValueKind kind() const { return kind_; }
    bool isEmpty() const { return kind_ == ValueKind::Empty; }
    bool isNull() const { return kind_ == ValueKind::Null; }
    bool isString() const { return kind_ == ValueKind::String; }
    bool isObject() const { return kind_ == ValueKind::Object; }
    bool isNothing() const { return isObject() && !u_.o; }
    bool isArray() const { return kind_ == ValueKind::Array || kind_ == ValueKind::IntegerArray; }
    // Boolean, Byte, Integer, Long, Currency, Single, Double or Date.
    bool isNumber() const { return kind_ >= ValueKind::Boolean && kind_ <= ValueKind::Date; }

    // The accessors expect the kind they read (check kind() first).
    bool boolean() const { return expect(ValueKind::Boolean).u_.b; }
    quint8 byte() const { return expect(ValueKind::Byte).u_.u8; }
    qint16 integer() const { return expect(ValueKind::Integer).u_.i16; }
    CurrencyValue currency() const { return {expect(ValueKind::Currency).u_.i64}; }
    qint32 longValue() const { return expect(ValueKind::Long).u_.i32; }
    float single() const { return expect(ValueKind::Single).u_.f; }
    double doubleValue() const { return expect(ValueKind::Double).u_.d; }
    double dateValue() const { return expect(ValueKind::Date).u_.d; }
    const QString &string() const { return expect(ValueKind::String).u_.s; }
    QString &string()
    {
        expect(ValueKind::String);
        return u_.s;
    }
    HostObject *object() const { return expect(ValueKind::Object).u_.o.get(); }
    const ObjectRef &objectRef() const { return expect(ValueKind::Object).u_.o; }
    const ArrayRef &array() const { return expect(ValueKind::Array).u_.a; }
    const IntegerArrayRef &integerArray() const { return expect(ValueKind::IntegerArray).u_.ia; }
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
    const Value &expect([[maybe_unused]] ValueKind kind) const
    {
        Q_ASSERT(kind_ == kind);
        return *this;
    }
    // Everything before String is held in the eight bytes of raw.
    bool isPlain() const { return kind_ < ValueKind::String; }
    void copyFrom(const Value &o);
    void moveFrom(Value &&o) noexcept;
    void release() noexcept;
    // Moves o's contents here (this being Empty) and leaves o Empty.
    void takeFrom(Value &o) noexcept;

    ValueKind kind_ = ValueKind::Empty;
    quint16 oddByte_ = 0;  // 0x100 | the byte, for an odd-length byte string
    union Storage {
        Storage() {}
        ~Storage() {}
        quint64 raw;
        bool b;
        quint8 u8;
        qint16 i16;
        qint64 i64;
        qint32 i32;
        float f;
        double d;
        QString s;
        ObjectRef o;
        ArrayRef a;
        IntegerArrayRef ia;
    } u_;
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

// A string as VBScript's byte functions see it: its UTF-16LE bytes (and
// the odd last byte), and the string made of such bytes.
QByteArray bytesOf(const Value &string);
Value stringOfBytes(const QByteArray &bytes);

// A one-dimensional array with lower bound 0.
ArrayRef makeArray(QList<Value> items);

// VBScript's number reading of a string: blanks around, sign, digits with a
// point and an exponent, or &H / &O prefixes. nullopt when it is no number.
std::optional<double> parseNumber(QStringView text);

// The text CStr gives a Double (15 significant digits) and a Single (7).
QString formatDouble(double d);
QString formatSingle(float f);
QString formatDate(double days);
QString formatCurrency(CurrencyValue c);
// Round half to even, as CInt, CLng and Round do.
double roundHalfEven(double d);

// VBScript's names of a value's type.
QString typeName(const Value &v);
int varType(const Value &v);

}  // namespace script
