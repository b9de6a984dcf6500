// Conversions to Byte and Currency, the number formats, the byte-string
// functions, Escape and Unescape, RGB, Filter and the engine's version.
#include "script/vbs/BuiltinTables.h"
#include "script/vbs/Operators.h"

#include <QLocale>
#include <cmath>

namespace script::vbs {

namespace {

// ----- conversions -----

Value fnCByte(Runtime &, Args a)
{
    const Value v = a[0].dereferenced();
    if (v.isNull())
        throw ScriptException(RuntimeError::InvalidUseOfNull);
    const double r = roundHalfEven(v.toDouble());
    if (!(r >= 0 && r <= 255))
        throw ScriptException(RuntimeError::Overflow);
    return Value(quint8(r));
}

Value toCurrency(const Value &v0)
{
    const Value v = v0.dereferenced();
    if (v.isNull())
        throw ScriptException(RuntimeError::InvalidUseOfNull);
    if (v.kind() == ValueKind::Currency)
        return v;
    const auto c = CurrencyValue::fromDouble(v.toDouble());
    if (!c)
        throw ScriptException(RuntimeError::Overflow);
    return Value(*c);
}

Value fnCCur(Runtime &, Args a) { return toCurrency(a[0]); }

// ----- number formats -----

// Tristate arguments: -1 True, 0 False, -2 (or left out) the default.
bool tristate(Args a, size_t i, bool fallback)
{
    if (a.size() <= i || a[i].isEmpty())
        return fallback;
    const qint32 v = a[i].toLong();
    return v == -2 ? fallback : v != 0;
}

// The number in the "C" locale's way: a point before the decimals, a comma
// between groups of thousands.
QString formatFixed(double d, Args a, size_t first)
{
    const qint32 places = a.size() > first && !a[first].isEmpty() ? a[first].toLong() : -1;
    if (places < -1 || places > 255)
        invalidCall();
    const int digits = places == -1 ? 2 : places;
    const bool leadingZero = tristate(a, first + 1, true);
    const bool parens = tristate(a, first + 2, false);
    const bool group = tristate(a, first + 3, true);
    const double scale = std::pow(10.0, digits);
    // Halves away from zero, as the format functions round.
    double rounded = std::round(std::abs(d) * scale) / scale;
    const bool negative = d < 0 && rounded != 0;
    QString text = QString::number(rounded, 'f', digits);
    if (group) {
        const qsizetype point = text.indexOf(u'.');
        for (qsizetype i = (point < 0 ? text.size() : point) - 3; i > 0; i -= 3)
            text.insert(i, u',');
    }
    if (!leadingZero && text.startsWith(QStringLiteral("0.")))
        text.remove(0, 1);
    if (negative)
        text = parens ? u'(' + text + u')' : u'-' + text;
    return text;
}

double numberArg(const Value &v0)
{
    const Value v = v0.dereferenced();
    if (v.isNull() || v.isEmpty())
        return 0;
    return v.toDouble();
}

Value fnFormatNumber(Runtime &, Args a)
{
    if (a[0].isNull())
        throw ScriptException(RuntimeError::TypeMismatch);
    return formatFixed(numberArg(a[0]), a, 1);
}

Value fnFormatPercent(Runtime &, Args a)
{
    if (a[0].isNull())
        throw ScriptException(RuntimeError::TypeMismatch);
    return formatFixed(numberArg(a[0]) * 100, a, 1) + u'%';
}

// The "C" locale has no currency sign: the amount alone.
Value fnFormatCurrency(Runtime &, Args a)
{
    if (a[0].isNull())
        throw ScriptException(RuntimeError::TypeMismatch);
    return formatFixed(numberArg(a[0]), a, 1);
}

// ----- byte strings -----
// A string is seen as its UTF-16LE bytes; a result may have an odd number
// of them (LenB(ChrB(65)) is 1), as in VBScript.

QByteArray bytesArg(const Value &v)
{
    return v.isString() ? bytesOf(v) : bytesOf(Value(v.toString()));
}

Value fnLenB(Runtime &, Args a)
{
    if (a[0].isNull())
        return a[0];
    return qint32(bytesArg(a[0]).size());
}

Value fnLeftB(Runtime &, Args a)
{
    if (a[0].isNull())
        return a[0];
    return stringOfBytes(bytesArg(a[0]).left(nonNegative(a[1])));
}

Value fnRightB(Runtime &, Args a)
{
    if (a[0].isNull())
        return a[0];
    return stringOfBytes(bytesArg(a[0]).right(nonNegative(a[1])));
}

Value fnMidB(Runtime &, Args a)
{
    if (a[0].isNull())
        return a[0];
    const MidRange r = midRange(a);
    return stringOfBytes(bytesArg(a[0]).mid(r.start, r.length));
}

Value fnAscB(Runtime &, Args a)
{
    const QByteArray b = bytesArg(a[0]);
    if (b.isEmpty())
        invalidCall();
    return qint16(uchar(b[0]));
}

Value fnChrB(Runtime &, Args a)
{
    const qint32 code = a[0].toLong();
    if (code < 0 || code > 255)
        invalidCall();
    return Value::oddByteString(QString(), quint8(code));
}

Value fnInStrB(Runtime &, Args a)
{
    const bool hasStart = a.size() >= 3;
    const qint32 start = hasStart ? a[0].toLong() : 1;
    const Value &hay = a[hasStart ? 1 : 0];
    const Value &needle = a[hasStart ? 2 : 1];
    if (start < 1)
        invalidCall();
    if (hay.isNull() || needle.isNull())
        return Value::null();
    const QByteArray h = bytesArg(hay), n = bytesArg(needle);
    if (start > h.size())
        return qint32(0);
    return qint32(h.indexOf(n, start - 1) + 1);
}

// ----- Escape and Unescape -----

bool keptByEscape(char16_t c)
{
    return (c >= u'A' && c <= u'Z') || (c >= u'a' && c <= u'z') || (c >= u'0' && c <= u'9')
           || QStringView(u"@*_+-./").contains(QChar(c));
}

Value fnEscape(Runtime &rt, Args a)
{
    if (a[0].isNull())
        return a[0];
    const QString s = a[0].toString();
    rt.checkStringLength(s.size() * 6);
    rt.work(s.size());
    QString out;
    out.reserve(s.size());
    for (const QChar c : s) {
        const char16_t u = c.unicode();
        if (keptByEscape(u))
            out += c;
        else if (u < 256)
            out += QStringLiteral("%%1").arg(uint(u), 2, 16, QChar(u'0')).toUpper();
        else
            out += QStringLiteral("%u%1").arg(uint(u), 4, 16, QChar(u'0')).toUpper().replace(u'U', u'u');
    }
    return out;
}

int hexDigit(QChar c)
{
    const char16_t u = c.unicode();
    if (u >= u'0' && u <= u'9')
        return u - u'0';
    if (u >= u'a' && u <= u'f')
        return u - u'a' + 10;
    if (u >= u'A' && u <= u'F')
        return u - u'A' + 10;
    return -1;
}

// %XX and %uXXXX become their characters; anything else stays.
Value fnUnescape(Runtime &, Args a)
{
    if (a[0].isNull())
        return a[0];
    const QString s = a[0].toString();
    QString out;
    out.reserve(s.size());
    for (qsizetype i = 0; i < s.size(); ++i) {
        if (s[i] == u'%') {
            const bool wide = i + 1 < s.size() && s[i + 1] == u'u';
            const qsizetype from = wide ? i + 2 : i + 1;
            const int count = wide ? 4 : 2;
            int value = 0;
            bool ok = from + count <= s.size();
            for (int k = 0; ok && k < count; ++k) {
                const int d = hexDigit(s[from + k]);
                ok = d >= 0;
                value = value * 16 + d;
            }
            if (ok) {
                out += QChar(char16_t(value));
                i = from + count - 1;
                continue;
            }
        }
        out += s[i];
    }
    return out;
}

// ----- the rest -----

Value fnRGB(Runtime &, Args a)
{
    qint32 rgb = 0;
    for (int i = 2; i >= 0; --i) {
        const qint32 c = a[i].toLong();
        if (c < 0)
            invalidCall();
        rgb = rgb * 256 + std::min(c, 255);
    }
    return rgb;
}

Value fnFilter(Runtime &rt, Args a)
{
    if (a[0].isNull())
        throw ScriptException(RuntimeError::InvalidUseOfNull);
    if (a[0].kind() != ValueKind::Array)
        throw ScriptException(RuntimeError::TypeMismatch);
    const ScriptArray &source = *a[0].array();
    if (source.dims.size() != 1)
        throw ScriptException(RuntimeError::TypeMismatch);
    const QString match = a[1].toString();
    const bool include = a.size() <= 2 || a[2].isEmpty() || a[2].toBool();
    const bool text = a.size() > 3 && !a[3].isEmpty() && a[3].toLong() == 1;
    QList<Value> kept;
    for (const Value &item : source.items) {
        if (item.isNull())
            continue;
        const QString s = item.toString();
        if (s.contains(match, text ? Qt::CaseInsensitive : Qt::CaseSensitive) == include)
            kept << Value(s);
    }
    rt.work(source.items.size());
    return Value(makeArray(std::move(kept)));
}

Value fnScriptEngine(Runtime &, Args) { return QStringLiteral("VBScript"); }
Value fnScriptEngineMajorVersion(Runtime &, Args) { return qint32(5); }
Value fnScriptEngineMinorVersion(Runtime &, Args) { return qint32(8); }
Value fnScriptEngineBuildVersion(Runtime &, Args) { return qint32(16384); }

}  // namespace

void addTextBuiltins(QList<Builtin> &list)
{
    list += {
        {"CByte", 1, 1, fnCByte},
        {"CCur", 1, 1, fnCCur},
        {"FormatNumber", 1, 5, fnFormatNumber},
        {"FormatPercent", 1, 5, fnFormatPercent},
        {"FormatCurrency", 1, 5, fnFormatCurrency},
        {"LenB", 1, 1, fnLenB},
        {"LeftB", 2, 2, fnLeftB},
        {"RightB", 2, 2, fnRightB},
        {"MidB", 2, 3, fnMidB},
        {"AscB", 1, 1, fnAscB},
        {"ChrB", 1, 1, fnChrB},
        {"InStrB", 2, 4, fnInStrB},
        {"Escape", 1, 1, fnEscape},
        {"Unescape", 1, 1, fnUnescape},
        {"RGB", 3, 3, fnRGB},
        {"Filter", 2, 4, fnFilter},
        {"ScriptEngine", 0, 0, fnScriptEngine},
        {"ScriptEngineMajorVersion", 0, 0, fnScriptEngineMajorVersion},
        {"ScriptEngineMinorVersion", 0, 0, fnScriptEngineMinorVersion},
        {"ScriptEngineBuildVersion", 0, 0, fnScriptEngineBuildVersion},
    };
}

}  // namespace script::vbs
