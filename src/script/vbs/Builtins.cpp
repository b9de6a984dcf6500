// VBScript's built-in functions and constants.
#include "script/MessageBox.h"
#include "script/vbs/Objects.h"
#include "script/vbs/Operators.h"
#include "script/vbs/BuiltinTables.h"
#include "script/vbs/Runtime.h"
#include "oto/modLocale.h"

#include "core/Dialogs.h"

#include <QDateTime>
#include <cfloat>
#include <cmath>
#include <cstring>

namespace script::vbs {

namespace {

bool textCompare(Args a, size_t i)
{
    return a.size() > i && !a[i].isEmpty() && a[i].toLong() == 1;
}


qsizetype find(const QString &haystack, const QString &needle, qsizetype from, bool text)
{
    return haystack.indexOf(needle, from, text ? Qt::CaseInsensitive : Qt::CaseSensitive);
}

// ----- strings -----

Value fnLen(Runtime &, Args a)
{
    if (a[0].isNull())
        return a[0];
    return qint32(a[0].toString().size());
}

Value fnLeft(Runtime &, Args a)
{
    if (a[0].isNull())
        return a[0];
    return a[0].toString().left(nonNegative(a[1]));
}

Value fnRight(Runtime &, Args a)
{
    if (a[0].isNull())
        return a[0];
    return a[0].toString().right(nonNegative(a[1]));
}

Value fnMid(Runtime &, Args a)
{
    if (a[0].isNull())
        return a[0];
    const MidRange r = midRange(a);
    return a[0].toString().mid(r.start, r.length);
}

Value fnInStr(Runtime &, Args a)
{
    // InStr([start,] string1, string2[, compare])
    const bool hasStart = a.size() >= 3;
    const Value &s1 = a[hasStart ? 1 : 0];
    const Value &s2 = a[hasStart ? 2 : 1];
    const qint32 start = hasStart ? a[0].toLong() : 1;
    if (start < 1)
        invalidCall();
    if (s1.isNull() || s2.isNull())
        return Value::null();
    const QString hay = s1.toString(), needle = s2.toString();
    if (hay.isEmpty() || start > hay.size())
        return qint32(0);
    if (needle.isEmpty())
        return start;
    return qint32(find(hay, needle, start - 1, textCompare(a, 3)) + 1);
}

Value fnInStrRev(Runtime &, Args a)
{
    // InStrRev(string1, string2[, start[, compare]])
    if (a[0].isNull() || a[1].isNull())
        return Value::null();
    const QString hay = a[0].toString(), needle = a[1].toString();
    qint32 start = a.size() > 2 && !a[2].isEmpty() ? a[2].toLong() : -1;
    if (start == 0 || start < -1)
        invalidCall();
    if (start == -1)
        start = qint32(hay.size());
    if (start > hay.size())
        return qint32(0);
    if (needle.isEmpty())
        return start;
    const qsizetype from = start - needle.size();
    if (from < 0)
        return qint32(0);
    return qint32(hay.lastIndexOf(needle, from, textCompare(a, 3) ? Qt::CaseInsensitive : Qt::CaseSensitive) + 1);
}

Value fnReplace(Runtime &rt, Args a)
{
    // Replace(expression, find, replacewith[, start[, count[, compare]]]):
    // the result begins at start, as in VBScript.
    const QString s = a[0].toString(), what = a[1].toString(), with = a[2].toString();
    const qint32 start = a.size() > 3 && !a[3].isEmpty() ? a[3].toLong() : 1;
    const qint32 count = a.size() > 4 && !a[4].isEmpty() ? a[4].toLong() : -1;
    if (start < 1 || count < -1)
        invalidCall();
    const bool text = textCompare(a, 5);
    const QString source = s.mid(start - 1);
    if (what.isEmpty() || count == 0)
        return source;
    QString out;
    qsizetype pos = 0, done = 0;
    for (;;) {
        const qsizetype hit = count >= 0 && done >= count ? -1 : find(source, what, pos, text);
        if (hit < 0)
            break;
        out += QStringView(source).mid(pos, hit - pos);
        out += with;
        rt.checkStringLength(out.size());
        pos = hit + what.size();
        ++done;
    }
    out += QStringView(source).mid(pos);
    rt.checkStringLength(out.size());
    rt.work(source.size() + out.size());
    return out;
}

Value fnSplit(Runtime &rt, Args a)
{
    const QString s = a[0].toString();
    const QString delimiter = a.size() > 1 && !a[1].isEmpty() ? a[1].toString() : QStringLiteral(" ");
    const qint32 limit = a.size() > 2 && !a[2].isEmpty() ? a[2].toLong() : -1;
    if (limit < -1)
        invalidCall();
    QList<Value> parts;
    if (s.isEmpty() || limit == 0)
        return Value(makeArray({}));
    if (delimiter.isEmpty())
        return Value(makeArray({s}));
    const bool text = textCompare(a, 3);
    qsizetype pos = 0;
    for (;;) {
        if (limit > 0 && parts.size() == limit - 1)
            break;
        const qsizetype hit = find(s, delimiter, pos, text);
        if (hit < 0)
            break;
        parts.append(s.mid(pos, hit - pos));
        pos = hit + delimiter.size();
    }
    parts.append(s.mid(pos));
    rt.work(s.size() + parts.size());
    return Value(makeArray(std::move(parts)));
}

Value fnJoin(Runtime &rt, Args a)
{
    if (a[0].kind() != ValueKind::Array || a[0].array()->dims.size() > 1)
        throw ScriptException(RuntimeError::TypeMismatch);
    const QString delimiter = a.size() > 1 ? a[1].toString() : QStringLiteral(" ");
    QString out;
    bool first = true;
    for (const Value &v : a[0].array()->items) {
        if (!first)
            out += delimiter;
        first = false;
        if (!v.isNull())
            out += v.toString();
        rt.checkStringLength(out.size());
    }
    rt.work(out.size() + a[0].array()->items.size());
    return out;
}

Value fnUCase(Runtime &, Args a)
{
    return a[0].isNull() ? a[0] : Value(a[0].toString().toUpper());
}

Value fnLCase(Runtime &, Args a)
{
    return a[0].isNull() ? a[0] : Value(a[0].toString().toLower());
}

// VBScript's trims remove spaces only, not tabs.
Value trimSpaces(const Value &v, bool left, bool right)
{
    if (v.isNull())
        return v;
    const QString s = v.toString();
    qsizetype begin = 0, end = s.size();
    while (left && begin < end && s[begin] == u' ')
        ++begin;
    while (right && end > begin && s[end - 1] == u' ')
        --end;
    return s.mid(begin, end - begin);
}

Value fnTrim(Runtime &, Args a) { return trimSpaces(a[0], true, true); }
Value fnLTrim(Runtime &, Args a) { return trimSpaces(a[0], true, false); }
Value fnRTrim(Runtime &, Args a) { return trimSpaces(a[0], false, true); }

Value fnSpace(Runtime &rt, Args a)
{
    const qint32 n = nonNegative(a[0]);
    rt.checkStringLength(n);
    rt.work(n);
    return QString(n, u' ');
}

QChar charCode(qint32 code)
{
    if (code < -32768 || code > 65535)
        invalidCall();
    return QChar(char16_t(code < 0 ? code + 65536 : code));
}

Value fnString(Runtime &rt, Args a)
{
    const qint32 n = nonNegative(a[0]);
    if (a[1].isNull())
        return a[1];
    QChar c;
    if (a[1].isString()) {
        if (a[1].string().isEmpty())
            invalidCall();
        c = a[1].string()[0];
    } else {
        c = charCode(a[1].toLong() & 0xFFFF);
    }
    rt.checkStringLength(n);
    rt.work(n);
    return QString(n, c);
}

Value fnStrReverse(Runtime &, Args a)
{
    QString s = a[0].toString();
    std::reverse(s.begin(), s.end());
    return s;
}

Value fnStrComp(Runtime &, Args a)
{
    if (a[0].isNull() || a[1].isNull())
        return Value::null();
    return qint16(compareStrings(a[0].toString(), a[1].toString(), textCompare(a, 2)));
}

Value fnAscW(Runtime &, Args a)
{
    const QString s = a[0].toString();
    if (s.isEmpty())
        invalidCall();
    return qint16(s[0].unicode());
}

Value fnChrW(Runtime &, Args a)
{
    return QString(charCode(a[0].toLong()));
}

// Asc and Chr speak the runtime's ANSI code page, AscW and ChrW Unicode. A
// character of a double-byte code page has the code lead * 256 + trail,
// which Asc gives as a negative Integer, as VBScript on such a system does.
Value fnAsc(Runtime &rt, Args a)
{
    const QString s = a[0].toString();
    if (s.isEmpty())
        invalidCall();
    // What the code page cannot hold is written "?".
    const QByteArray b = modLocale::str2bytes(QString(s[0]), rt.ansiCodePage());
    if (b.size() == 2)
        return qint16(quint16(uchar(b[0]) << 8 | uchar(b[1])));
    return qint16(b.size() == 1 ? uchar(b[0]) : uchar('?'));
}

Value fnChr(Runtime &rt, Args a)
{
    const qint32 code = a[0].toLong();
    if (code < -32768 || code > 65535)
        invalidCall();
    const quint16 c = quint16(code);
    QByteArray bytes;
    if (c > 0xFF) {
        if (!Runtime::isDoubleByte(rt.ansiCodePage()))
            invalidCall();
        bytes += char(c >> 8);
    }
    bytes += char(c & 0xFF);
    return modLocale::bytes2str(bytes, rt.ansiCodePage());
}

// ----- conversions and numbers -----

Value fnCStr(Runtime &, Args a) { return a[0].toString(); }
Value fnCInt(Runtime &, Args a) { return a[0].toInteger(); }
Value fnCLng(Runtime &, Args a) { return a[0].toLong(); }
Value fnCDbl(Runtime &, Args a) { return a[0].toDouble(); }
Value fnCBool(Runtime &, Args a) { return a[0].toBool(); }

Value fnCSng(Runtime &, Args a)
{
    const double d = a[0].toDouble();
    if (std::abs(d) > FLT_MAX)
        throw ScriptException(RuntimeError::Overflow);
    return float(d);
}

// Int and Fix keep the type of their argument.
Value wholePart(const Value &v0, double (*round)(double))
{
    const Value v = v0.dereferenced();
    switch (v.kind()) {
    case ValueKind::Null:
    case ValueKind::Byte:
    case ValueKind::Integer:
    case ValueKind::Long: return v;
    case ValueKind::Currency: return Value(*CurrencyValue::fromDouble(round(v.currency().toDouble())));
    case ValueKind::Empty:
    case ValueKind::Boolean: return qint16(v.toLong());
    case ValueKind::Single: return float(round(v.single()));
    case ValueKind::Date: return DateValue{round(v.dateValue())};
    default: return round(v.toDouble());
    }
}

Value fnInt(Runtime &, Args a) { return wholePart(a[0], std::floor); }
Value fnFix(Runtime &, Args a) { return wholePart(a[0], std::trunc); }

Value fnRound(Runtime &, Args a)
{
    const Value v = a[0].dereferenced();
    const qint32 places = a.size() > 1 && !a[1].isEmpty() ? a[1].toLong() : 0;
    if (places < 0)
        invalidCall();
    if (v.isNull() || v.kind() == ValueKind::Integer || v.kind() == ValueKind::Long || v.kind() == ValueKind::Byte)
        return v;
    const double d = v.toDouble();
    const double scale = std::pow(10.0, std::min(places, 22));
    const double r = places == 0 ? roundHalfEven(d) : roundHalfEven(d * scale) / scale;
    if (v.kind() == ValueKind::Single)
        return float(r);
    if (v.kind() == ValueKind::Currency)
        return Value(*CurrencyValue::fromDouble(r));
    if (v.kind() == ValueKind::Empty || v.kind() == ValueKind::Boolean)
        return qint16(r);
    return r;
}

Value fnAbs(Runtime &, Args a)
{
    const Value v = a[0].dereferenced();
    switch (v.kind()) {
    case ValueKind::Null: return v;
    case ValueKind::Integer:
    case ValueKind::Long:
    case ValueKind::Empty:
    case ValueKind::Boolean: return v.toLong() < 0 ? negate(v) : Value(v.isEmpty() ? qint16(0) : v);
    case ValueKind::Byte: return v;
    case ValueKind::Currency: return Value(CurrencyValue{std::abs(v.currency().units)});
    case ValueKind::Single: return std::abs(v.single());
    default: return std::abs(v.toDouble());
    }
}

Value fnSgn(Runtime &, Args a)
{
    const double d = a[0].toDouble();
    return qint16(d > 0 ? 1 : d < 0 ? -1 : 0);
}

double realArg(const Value &v, bool positive, bool nonNegativeOnly)
{
    const double d = v.toDouble();
    if ((positive && d <= 0) || (nonNegativeOnly && d < 0))
        invalidCall();
    return d;
}

Value checkedReal(double d)
{
    if (std::isinf(d) || std::isnan(d))
        throw ScriptException(RuntimeError::Overflow);
    return d;
}

Value fnSqr(Runtime &, Args a) { return std::sqrt(realArg(a[0], false, true)); }
Value fnExp(Runtime &, Args a) { return checkedReal(std::exp(a[0].toDouble())); }
Value fnLog(Runtime &, Args a) { return std::log(realArg(a[0], true, false)); }
Value fnSin(Runtime &, Args a) { return std::sin(a[0].toDouble()); }
Value fnCos(Runtime &, Args a) { return std::cos(a[0].toDouble()); }
Value fnTan(Runtime &, Args a) { return checkedReal(std::tan(a[0].toDouble())); }
Value fnAtn(Runtime &, Args a) { return std::atan(a[0].toDouble()); }

Value radixText(const Value &v0, int base)
{
    const Value v = v0.dereferenced();
    if (v.isNull())
        return v;
    const qint32 n = v.toLong();
    const bool sixteen = v.kind() == ValueKind::Integer || v.kind() == ValueKind::Boolean || v.isEmpty();
    const quint32 bits = sixteen ? quint32(quint16(qint16(n))) : quint32(n);
    return QString::number(bits, base).toUpper();
}

Value fnHex(Runtime &, Args a) { return radixText(a[0], 16); }
Value fnOct(Runtime &, Args a) { return radixText(a[0], 8); }

// ----- tests -----

Value fnIsArray(Runtime &, Args a) { return a[0].isArray(); }
Value fnIsEmpty(Runtime &, Args a) { return a[0].isEmpty(); }
Value fnIsNull(Runtime &, Args a) { return a[0].isNull(); }
Value fnIsObject(Runtime &, Args a) { return a[0].isObject(); }

Value fnIsNumeric(Runtime &, Args a)
{
    Value v = a[0];
    if (v.isObject()) {
        try {
            v = v.dereferenced();
        } catch (const ScriptException &) {
            return false;
        }
    }
    switch (v.kind()) {
    case ValueKind::Empty:
    case ValueKind::Boolean:
    case ValueKind::Byte:
    case ValueKind::Integer:
    case ValueKind::Long:
    case ValueKind::Currency:
    case ValueKind::Single:
    case ValueKind::Double: return true;
    case ValueKind::String: return parseNumber(v.string()).has_value();
    default: return false;
    }
}

Value fnTypeName(Runtime &, Args a) { return typeName(a[0]); }

Value fnVarType(Runtime &, Args a)
{
    // An object with a default value reports that value's type.
    if (a[0].isObject() && !a[0].isNothing() && a[0].object()->hostClass().defaultMember() >= 0) {
        try {
            return qint16(varType(a[0].dereferenced()));
        } catch (const ScriptException &) {
        }
    }
    return qint16(varType(a[0]));
}

// ----- arrays -----

Value fnArray(Runtime &, Args a)
{
    return Value(makeArray(QList<Value>(a.begin(), a.end())));
}

Value bound(Args a, bool upper)
{
    const qint32 dim = a.size() > 1 ? a[1].toLong() : 1;
    if (a[0].kind() == ValueKind::IntegerArray) {
        if (dim != 1)
            throw ScriptException(RuntimeError::SubscriptOutOfRange);
        return upper ? qint32(a[0].integerArray()->size() - 1) : qint32(0);
    }
    if (a[0].kind() != ValueKind::Array)
        throw ScriptException(RuntimeError::TypeMismatch);
    const ScriptArray &array = *a[0].array();
    if (dim < 1 || dim > array.dims.size())
        throw ScriptException(RuntimeError::SubscriptOutOfRange);
    return upper ? array.upper(dim - 1) : array.dims[dim - 1].lower;
}

Value fnUBound(Runtime &, Args a) { return bound(a, true); }
Value fnLBound(Runtime &, Args a) { return bound(a, false); }

// ----- time and chance -----

double oleDate(const QDateTime &t)
{
    static const QDate epoch(1899, 12, 30);
    const double days = double(epoch.daysTo(t.date()));
    return days + t.time().msecsSinceStartOfDay() / 86400000.0;
}

Value fnNow(Runtime &, Args) { return DateValue{oleDate(QDateTime::currentDateTime())}; }
Value fnDate(Runtime &, Args) { return DateValue{std::floor(oleDate(QDateTime::currentDateTime()))}; }

Value fnTime(Runtime &, Args)
{
    const double d = oleDate(QDateTime::currentDateTime());
    return DateValue{d - std::floor(d)};
}

Value fnTimer(Runtime &, Args)
{
    return float(QTime::currentTime().msecsSinceStartOfDay() / 1000.0);
}

// VBScript's generator: x = (x * 1140671485 + 12820163) mod 2^24.
Value fnRnd(Runtime &rt, Args a)
{
    const double n = a.empty() ? 1 : a[0].toDouble();
    if (n == 0)
        return rt.lastRnd;
    if (n < 0) {
        const float f = float(std::clamp(n, double(-FLT_MAX), double(FLT_MAX)));
        quint32 bits;
        std::memcpy(&bits, &f, sizeof bits);
        rt.rndSeed = (bits + (bits >> 24)) & 0xFFFFFF;
    }
    rt.rndSeed = quint32((quint64(rt.rndSeed) * 1140671485u + 12820163u) & 0xFFFFFF);
    rt.lastRnd = float(rt.rndSeed) / 16777216.0f;
    return rt.lastRnd;
}

Value fnRandomize(Runtime &rt, Args a)
{
    const double seed = a.empty() || a[0].isEmpty() ? QTime::currentTime().msecsSinceStartOfDay() / 1000.0
                                                    : a[0].toDouble();
    quint64 bits;
    std::memcpy(&bits, &seed, sizeof bits);
    const quint32 high = quint32(bits >> 32);
    const quint32 mixed = ((high & 0xFFFF) ^ (high >> 16)) << 8;
    rt.rndSeed = (rt.rndSeed & 0xFF0000FF) | (mixed & 0x00FFFF00);
    return Value();
}

// ----- dialogs and objects -----

Value fnMsgBox(Runtime &rt, Args a)
{
    const QString prompt = a[0].toString();
    const qint32 buttons = a.size() > 1 && !a[1].isEmpty() ? a[1].toLong() : 0;
    const QString title = a.size() > 2 && !a[2].isEmpty() ? a[2].toString() : QString();
    if (!rt.dialogs())
        return qint16(1);
    DeadlinePause pause(rt.deadline());
    return qint16(showMessageBox(*rt.dialogs(), prompt, buttons, title));
}

Value fnInputBox(Runtime &rt, Args a)
{
    const QString prompt = a[0].toString();
    const QString title = a.size() > 1 && !a[1].isEmpty() ? a[1].toString() : Dialogs::programTitle();
    const QString initial = a.size() > 2 && !a[2].isEmpty() ? a[2].toString() : QString();
    if (!rt.dialogs())
        return QString();
    DeadlinePause pause(rt.deadline());
    return rt.dialogs()->input(prompt, title, initial).value_or(QString());
}

Value fnCreateObject(Runtime &rt, Args a)
{
    const QString progId = a[0].toString();
    if (progId.compare(u"Scripting.Dictionary", Qt::CaseInsensitive) == 0)
        return Value(std::make_shared<DictionaryObject>(rt.heap()));
    if (progId.compare(u"VBScript.RegExp", Qt::CaseInsensitive) == 0)
        return Value(std::make_shared<RegExpObject>());
    throw ScriptException(RuntimeError::CannotCreateObject, progId);
}


const QHash<QString, Builtin> &builtins()
{
    static const QHash<QString, Builtin> table = [] {
        QList<Builtin> list = {
            {"Len", 1, 1, fnLen},           {"Left", 2, 2, fnLeft},          {"Right", 2, 2, fnRight},
            {"Mid", 2, 3, fnMid},           {"InStr", 2, 4, fnInStr},        {"InStrRev", 2, 4, fnInStrRev},
            {"Replace", 3, 6, fnReplace},   {"Split", 1, 4, fnSplit},        {"Join", 1, 2, fnJoin},
            {"UCase", 1, 1, fnUCase},       {"LCase", 1, 1, fnLCase},        {"Trim", 1, 1, fnTrim},
            {"LTrim", 1, 1, fnLTrim},       {"RTrim", 1, 1, fnRTrim},        {"Space", 1, 1, fnSpace},
            {"String", 2, 2, fnString},     {"StrReverse", 1, 1, fnStrReverse}, {"StrComp", 2, 3, fnStrComp},
            {"Asc", 1, 1, fnAsc},          {"AscW", 1, 1, fnAscW},          {"Chr", 1, 1, fnChr},
            {"ChrW", 1, 1, fnChrW},         {"CStr", 1, 1, fnCStr},          {"CInt", 1, 1, fnCInt},
            {"CLng", 1, 1, fnCLng},         {"CDbl", 1, 1, fnCDbl},          {"CSng", 1, 1, fnCSng},
            {"CBool", 1, 1, fnCBool},       {"Int", 1, 1, fnInt},            {"Fix", 1, 1, fnFix},
            {"Round", 1, 2, fnRound},       {"Abs", 1, 1, fnAbs},            {"Sgn", 1, 1, fnSgn},
            {"Sqr", 1, 1, fnSqr},           {"Exp", 1, 1, fnExp},            {"Log", 1, 1, fnLog},
            {"Sin", 1, 1, fnSin},           {"Cos", 1, 1, fnCos},            {"Tan", 1, 1, fnTan},
            {"Atn", 1, 1, fnAtn},           {"Hex", 1, 1, fnHex},            {"Oct", 1, 1, fnOct},
            {"IsArray", 1, 1, fnIsArray},   {"IsNumeric", 1, 1, fnIsNumeric}, {"IsEmpty", 1, 1, fnIsEmpty},
            {"IsNull", 1, 1, fnIsNull},     {"IsObject", 1, 1, fnIsObject},  {"TypeName", 1, 1, fnTypeName},
            {"VarType", 1, 1, fnVarType},   {"Array", 0, -1, fnArray},       {"UBound", 1, 2, fnUBound},
            {"LBound", 1, 2, fnLBound},     {"Now", 0, 0, fnNow},            {"Date", 0, 0, fnDate},
            {"Time", 0, 0, fnTime},         {"Timer", 0, 0, fnTimer},        {"Rnd", 0, 1, fnRnd},
            {"Randomize", 0, 1, fnRandomize}, {"MsgBox", 1, 5, fnMsgBox},    {"InputBox", 1, 7, fnInputBox},
            {"CreateObject", 1, 2, fnCreateObject},
        };
        addDateBuiltins(list);
        addTextBuiltins(list);
        addCodeBuiltins(list);
        QHash<QString, Builtin> t;
        for (const Builtin &b : list)
            t.insert(b.name.toLower(), b);
        return t;
    }();
    return table;
}

const QHash<QString, Value> &constants()
{
    static const QHash<QString, Value> table = [] {
        QHash<QString, Value> t;
        const auto text = [&](const char *name, const QString &v) { t.insert(QString::fromLatin1(name).toLower(), v); };
        const auto number = [&](const char *name, qint32 v) { t.insert(QString::fromLatin1(name).toLower(), v); };
        text("vbCrLf", QStringLiteral("\r\n"));
        text("vbNewLine", QStringLiteral("\r\n"));
        text("vbCr", QStringLiteral("\r"));
        text("vbLf", QStringLiteral("\n"));
        text("vbTab", QStringLiteral("\t"));
        text("vbFormFeed", QStringLiteral("\f"));
        text("vbVerticalTab", QStringLiteral("\v"));
        text("vbNullString", QString());
        text("vbNullChar", QString(QChar(0)));
        const std::pair<const char *, qint32> numbers[] = {
            {"vbOKOnly", 0}, {"vbOKCancel", 1}, {"vbAbortRetryIgnore", 2}, {"vbYesNoCancel", 3},
            {"vbYesNo", 4}, {"vbRetryCancel", 5}, {"vbCritical", 16}, {"vbQuestion", 32},
            {"vbExclamation", 48}, {"vbInformation", 64}, {"vbDefaultButton1", 0}, {"vbDefaultButton2", 256},
            {"vbDefaultButton3", 512}, {"vbDefaultButton4", 768}, {"vbApplicationModal", 0},
            {"vbSystemModal", 4096}, {"vbOK", 1}, {"vbCancel", 2}, {"vbAbort", 3}, {"vbRetry", 4},
            {"vbIgnore", 5}, {"vbYes", 6}, {"vbNo", 7}, {"vbBinaryCompare", 0}, {"vbTextCompare", 1},
            {"vbDatabaseCompare", 2}, {"vbUseDefault", -2}, {"vbTrue", -1}, {"vbFalse", 0},
            {"vbEmpty", 0}, {"vbNull", 1}, {"vbInteger", 2}, {"vbLong", 3}, {"vbSingle", 4},
            {"vbDouble", 5}, {"vbCurrency", 6}, {"vbDate", 7}, {"vbString", 8}, {"vbObject", 9},
            {"vbError", 10}, {"vbBoolean", 11}, {"vbVariant", 12}, {"vbDataObject", 13}, {"vbDecimal", 14},
            {"vbByte", 17}, {"vbArray", 8192}, {"vbObjectError", qint32(0x80040000u)}, {"vbBlack", 0},
            {"vbRed", 0xFF}, {"vbGreen", 0xFF00}, {"vbYellow", 0xFFFF}, {"vbBlue", 0xFF0000},
            {"vbMagenta", 0xFF00FF}, {"vbCyan", 0xFFFF00}, {"vbWhite", 0xFFFFFF},
        };
        for (const auto &[name, v] : numbers)
            number(name, v);
        addDateConstants(t);
        return t;
    }();
    return table;
}

}  // namespace

const Builtin *Runtime::findBuiltin(const QString &lower)
{
    const auto it = builtins().constFind(lower);
    return it == builtins().constEnd() ? nullptr : &it.value();
}

const Value *Runtime::findConstant(const QString &lower)
{
    const auto it = constants().constFind(lower);
    return it == constants().constEnd() ? nullptr : &it.value();
}

}  // namespace script::vbs
