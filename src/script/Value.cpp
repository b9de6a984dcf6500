#include "script/Value.h"

#include "script/HostObject.h"
#include "script/ScriptError.h"

#include <QDateTime>
#include <charconv>
#include <cmath>
#include <limits>

namespace script {

namespace {

// An object stands for its default value; a default member that returns
// another object is followed, a few steps at most, as COM does.
Value defaultValue(const Value &v)
{
    Value current = v;
    for (int step = 0; step < 8 && current.isObject(); ++step) {
        if (current.isNothing())
            throw ScriptException(RuntimeError::ObjectVariableNotSet);
        HostObject &object = *current.object();
        current = readDefault(object, {}, {});
    }
    if (current.isObject())
        throw ScriptException(RuntimeError::TypeMismatch);
    return current;
}

QString formatGeneral(double d, int digits)
{
    if (d == 0)
        return QStringLiteral("0");
    if (std::isnan(d))
        return QStringLiteral("-1.#IND");
    if (std::isinf(d))
        return d > 0 ? QStringLiteral("1.#INF") : QStringLiteral("-1.#INF");
    char buf[64];
    const auto result = std::to_chars(buf, buf + sizeof buf, d, std::chars_format::general, digits);
    QString text = QString::fromLatin1(buf, result.ptr - buf);
    text.replace(u'e', u'E');
    return text;
}

qint32 checkedLong(double d)
{
    const double r = roundHalfEven(d);
    if (!(r >= -2147483648.0 && r <= 2147483647.0))
        throw ScriptException(RuntimeError::Overflow);
    return qint32(r);
}

std::optional<double> parseRadix(QStringView digits, int radix)
{
    if (digits.isEmpty())
        return std::nullopt;
    quint64 value = 0;
    for (QChar c : digits) {
        const int d = c.isDigit() ? c.unicode() - '0'
                      : (c.toUpper() >= u'A' && c.toUpper() <= u'F') ? c.toUpper().unicode() - 'A' + 10
                                                                      : 99;
        if (d >= radix)
            return std::nullopt;
        value = value * radix + d;
        if (value > 0xFFFFFFFFull)
            return std::nullopt;
    }
    // Like literals: four hex digits make a 16-bit Integer, more a Long, so
    // &HFFFF is -1.
    if (radix == 16 && digits.size() <= 4)
        return double(qint16(quint16(value)));
    return double(qint32(quint32(value)));
}

}  // namespace

void Value::copyFrom(const Value &o)
{
    switch (o.kind_) {
    case ValueKind::String: new (&u_.s) QString(o.u_.s); break;
    case ValueKind::Object: new (&u_.o) ObjectRef(o.u_.o); break;
    case ValueKind::Array: new (&u_.a) ArrayRef(o.u_.a); break;
    case ValueKind::IntegerArray: new (&u_.ia) IntegerArrayRef(o.u_.ia); break;
    default: u_.raw = o.u_.raw; break;
    }
}

void Value::moveFrom(Value &&o) noexcept
{
    switch (o.kind_) {
    case ValueKind::String: new (&u_.s) QString(std::move(o.u_.s)); break;
    case ValueKind::Object: new (&u_.o) ObjectRef(std::move(o.u_.o)); break;
    case ValueKind::Array: new (&u_.a) ArrayRef(std::move(o.u_.a)); break;
    case ValueKind::IntegerArray: new (&u_.ia) IntegerArrayRef(std::move(o.u_.ia)); break;
    default: u_.raw = o.u_.raw; break;
    }
}

void Value::release() noexcept
{
    // The value is Empty before what it held goes (the locals die last),
    // for the same reason as in the move assignment.
    ObjectRef object;
    ArrayRef array;
    switch (kind_) {
    case ValueKind::String: u_.s.~QString(); break;
    case ValueKind::Object:
        object = std::move(u_.o);
        u_.o.~ObjectRef();
        break;
    case ValueKind::Array:
        array = std::move(u_.a);
        u_.a.~ArrayRef();
        break;
    case ValueKind::IntegerArray: u_.ia.~IntegerArrayRef(); break;
    default: break;
    }
    kind_ = ValueKind::Empty;
    oddByte_ = 0;
    u_.raw = 0;
}

void Value::takeFrom(Value &o) noexcept
{
    Q_ASSERT(kind_ == ValueKind::Empty);
    kind_ = o.kind_;
    oddByte_ = o.oddByte_;
    if (o.isPlain())
        u_.raw = o.u_.raw;
    else
        moveFrom(std::move(o));
    o.release();  // only what the move left behind: it runs nothing
}

QByteArray bytesOf(const Value &string)
{
    const QString &s = string.string();
    const std::optional<quint8> odd = string.oddByte();
    QByteArray b(s.size() * 2 + (odd ? 1 : 0), '\0');
    for (qsizetype i = 0; i < s.size(); ++i) {
        b[2 * i] = char(s[i].unicode() & 0xFF);
        b[2 * i + 1] = char(s[i].unicode() >> 8);
    }
    if (odd)
        b[b.size() - 1] = char(*odd);
    return b;
}

Value stringOfBytes(const QByteArray &b)
{
    QString s(b.size() / 2, QChar(0));
    for (qsizetype i = 0; i + 1 < b.size(); i += 2)
        s[i / 2] = QChar(char16_t(uchar(b[i]) | uchar(b[i + 1]) << 8));
    if (b.size() % 2)
        return Value::oddByteString(std::move(s), quint8(b.back()));
    return Value(std::move(s));
}

ScriptArray &Value::mutableArray()
{
    expect(ValueKind::Array);
    ArrayRef &a = u_.a;
    if (a.use_count() > 1)
        a = std::make_shared<ScriptArray>(*a);
    return *a;
}

double Value::toDouble() const
{
    switch (kind()) {
    case ValueKind::Empty: return 0;
    case ValueKind::Null: throw ScriptException(RuntimeError::InvalidUseOfNull);
    case ValueKind::Boolean: return boolean() ? -1 : 0;
    case ValueKind::Byte: return byte();
    case ValueKind::Integer: return integer();
    case ValueKind::Long: return longValue();
    case ValueKind::Currency: return currency().toDouble();
    case ValueKind::Single: return single();
    case ValueKind::Double: return doubleValue();
    case ValueKind::Date: return dateValue();
    case ValueKind::String: {
        const auto number = parseNumber(string());
        if (!number)
            throw ScriptException(RuntimeError::TypeMismatch);
        return *number;
    }
    case ValueKind::Object: return defaultValue(*this).toDouble();
    case ValueKind::Array:
    case ValueKind::IntegerArray: break;
    }
    throw ScriptException(RuntimeError::TypeMismatch);
}

qint32 Value::toLong() const
{
    switch (kind()) {
    case ValueKind::Boolean: return boolean() ? -1 : 0;
    case ValueKind::Byte: return byte();
    case ValueKind::Integer: return integer();
    case ValueKind::Long: return longValue();
    default: return checkedLong(toDouble());
    }
}

qint16 Value::toInteger() const
{
    const qint32 l = toLong();
    if (l < -32768 || l > 32767)
        throw ScriptException(RuntimeError::Overflow);
    return qint16(l);
}

bool Value::toBool() const
{
    switch (kind()) {
    case ValueKind::Boolean: return boolean();
    case ValueKind::String: {
        const QString t = string().trimmed();
        if (t.compare(u"true", Qt::CaseInsensitive) == 0)
            return true;
        if (t.compare(u"false", Qt::CaseInsensitive) == 0)
            return false;
        return toDouble() != 0;
    }
    default: return toDouble() != 0;
    }
}

QString Value::toString() const
{
    switch (kind()) {
    case ValueKind::Empty: return {};
    case ValueKind::Null: throw ScriptException(RuntimeError::InvalidUseOfNull);
    case ValueKind::String: return string();
    case ValueKind::Object: return defaultValue(*this).toString();
    case ValueKind::Array:
    case ValueKind::IntegerArray: throw ScriptException(RuntimeError::TypeMismatch);
    default: return numberText();
    }
}

QString Value::numberText() const
{
    switch (kind()) {
    case ValueKind::Boolean: return boolean() ? QStringLiteral("True") : QStringLiteral("False");
    case ValueKind::Byte: return QString::number(byte());
    case ValueKind::Integer: return QString::number(integer());
    case ValueKind::Long: return QString::number(longValue());
    case ValueKind::Currency: return formatCurrency(currency());
    case ValueKind::Single: return formatSingle(single());
    case ValueKind::Double: return formatDouble(doubleValue());
    case ValueKind::Date: return formatDate(dateValue());
    default: return {};
    }
}

Value Value::dereferenced() const
{
    return isObject() ? defaultValue(*this) : *this;
}

ObjectRef Value::toObject(const QString &name) const
{
    if (isNull())
        return nullptr;
    if (!isObject())
        throw ScriptException(RuntimeError::ObjectRequired, name);
    return objectRef();
}

qsizetype ScriptArray::offset(const qint32 *indexes, qsizetype count) const
{
    if (count != dims.size())
        return -1;
    qsizetype pos = 0;
    qsizetype stride = 1;
    for (qsizetype d = 0; d < count; ++d) {
        const qint64 i = qint64(indexes[d]) - dims[d].lower;
        if (i < 0 || i >= dims[d].count)
            return -1;
        pos += qsizetype(i) * stride;
        stride *= dims[d].count;
    }
    return pos;
}

ArrayRef makeArray(QList<Value> items)
{
    auto a = std::make_shared<ScriptArray>();
    a->dims = {{0, qint32(items.size())}};
    a->items = std::move(items);
    return a;
}

std::optional<double> parseNumber(QStringView text)
{
    const QStringView t = text.trimmed();
    if (t.size() > 2 && t[0] == u'&') {
        const QChar prefix = t[1].toUpper();
        if (prefix == u'H')
            return parseRadix(t.mid(2), 16);
        if (prefix == u'O')
            return parseRadix(t.mid(2), 8);
        return std::nullopt;
    }
    // Sign, digits, an optional point with digits, an optional exponent;
    // at least one digit before the exponent.
    qsizetype i = 0;
    if (i < t.size() && (t[i] == u'+' || t[i] == u'-'))
        ++i;
    int digits = 0;
    while (i < t.size() && t[i] >= u'0' && t[i] <= u'9')
        ++i, ++digits;
    if (i < t.size() && t[i] == u'.') {
        ++i;
        while (i < t.size() && t[i] >= u'0' && t[i] <= u'9')
            ++i, ++digits;
    }
    if (digits == 0)
        return std::nullopt;
    if (i < t.size() && (t[i] == u'e' || t[i] == u'E')) {
        ++i;
        if (i < t.size() && (t[i] == u'+' || t[i] == u'-'))
            ++i;
        int expDigits = 0;
        while (i < t.size() && t[i] >= u'0' && t[i] <= u'9')
            ++i, ++expDigits;
        if (expDigits == 0)
            return std::nullopt;
    }
    if (i != t.size())
        return std::nullopt;
    const QByteArray latin = t.toLatin1();
    double value = 0;
    const auto result = std::from_chars(latin.data() + (latin[0] == '+' ? 1 : 0), latin.data() + latin.size(), value);
    if (result.ec == std::errc::result_out_of_range) {
        // Too small (a negative exponent) rounds to 0; too large is no
        // number VBScript keeps.
        const qsizetype e = latin.indexOf('e') >= 0 ? latin.indexOf('e') : latin.indexOf('E');
        if (e >= 0 && e + 1 < latin.size() && latin[e + 1] == '-')
            return 0.0;
        return std::nullopt;
    }
    if (result.ec != std::errc())
        return std::nullopt;
    return value;
}

QString formatDouble(double d)
{
    // Whole numbers are the common case (loop counters, sums); integer
    // printing is much cheaper than the general form.
    if (d == std::trunc(d) && std::abs(d) < 1e15)
        return QString::number(qint64(d));
    return formatGeneral(d, 15);
}

QString formatSingle(float f)
{
    return formatGeneral(double(f), 7);
}

QString formatDate(double days)
{
    if (!DateValue::inRange(days))
        return formatDouble(days);
    static const QDate epoch(1899, 12, 30);
    const double whole = std::trunc(days);
    // The fraction is the time of day also before the epoch.
    const qint64 msOfDay = qint64(std::llround(std::abs(days - whole) * 86400000.0));
    const QDate date = epoch.addDays(qint64(whole));
    const QTime time = QTime(0, 0).addMSecs(int(std::min<qint64>(msOfDay, 86399999)));
    const QString timeText = time.toString(QStringLiteral("H:mm:ss"));
    if (whole == 0 && msOfDay != 0)
        return timeText;
    const QString dateText = date.toString(QStringLiteral("yyyy/MM/dd"));
    return msOfDay == 0 ? dateText : dateText + u' ' + timeText;
}

std::optional<CurrencyValue> CurrencyValue::fromDouble(double d)
{
    const double units = roundHalfEven(d * double(kScale));
    if (!(units >= -9.223372036854775e18 && units <= 9.223372036854775e18))
        return std::nullopt;
    return CurrencyValue{qint64(units)};
}

QString formatCurrency(CurrencyValue c)
{
    const quint64 magnitude = c.units < 0 ? quint64(-(c.units + 1)) + 1 : quint64(c.units);
    QString text = QString::number(magnitude / CurrencyValue::kScale);
    if (const quint64 fraction = magnitude % CurrencyValue::kScale) {
        QString digits = QStringLiteral("%1").arg(fraction, 4, 10, QChar(u'0'));
        while (digits.endsWith(u'0'))
            digits.chop(1);
        text += u'.' + digits;
    }
    return c.units < 0 ? u'-' + text : text;
}

double roundHalfEven(double d)
{
    return std::nearbyint(d);  // the default rounding mode is to nearest, ties to even
}

QString typeName(const Value &v)
{
    switch (v.kind()) {
    case ValueKind::Empty: return QStringLiteral("Empty");
    case ValueKind::Null: return QStringLiteral("Null");
    case ValueKind::Boolean: return QStringLiteral("Boolean");
    case ValueKind::Byte: return QStringLiteral("Byte");
    case ValueKind::Integer: return QStringLiteral("Integer");
    case ValueKind::Long: return QStringLiteral("Long");
    case ValueKind::Currency: return QStringLiteral("Currency");
    case ValueKind::Single: return QStringLiteral("Single");
    case ValueKind::Double: return QStringLiteral("Double");
    case ValueKind::Date: return QStringLiteral("Date");
    case ValueKind::String: return QStringLiteral("String");
    case ValueKind::Object: return v.isNothing() ? QStringLiteral("Nothing") : v.object()->hostClass().typeName();
    case ValueKind::Array: return QStringLiteral("Variant()");
    case ValueKind::IntegerArray: return QStringLiteral("Integer()");
    }
    return {};
}

int varType(const Value &v)
{
    switch (v.kind()) {
    case ValueKind::Empty: return 0;
    case ValueKind::Null: return 1;
    case ValueKind::Integer: return 2;
    case ValueKind::Long: return 3;
    case ValueKind::Currency: return 6;
    case ValueKind::Byte: return 17;
    case ValueKind::Single: return 4;
    case ValueKind::Double: return 5;
    case ValueKind::Date: return 7;
    case ValueKind::String: return 8;
    case ValueKind::Object: return 9;
    case ValueKind::Boolean: return 11;
    case ValueKind::Array: return 8192 + 12;
    case ValueKind::IntegerArray: return 8192 + 2;
    }
    return 0;
}

}  // namespace script
