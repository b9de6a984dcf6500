// VBScript's date and time functions. A Date is an OLE date: days since 30
// December 1899 with the time of day as the fraction, which for days before
// that counts away from zero (-1.25 is 29 December 1899, 6:00).
#include "script/vbs/BuiltinTables.h"
#include "script/vbs/Operators.h"

#include <QDateTime>
#include <QRegularExpression>
#include <cmath>

namespace script::vbs {

namespace {

const QDate kEpoch(1899, 12, 30);

// An OLE date from a plain count of days (time growing with the number),
// and back.
double toOle(double linear)
{
    const double whole = std::floor(linear);
    const double fraction = linear - whole;
    return whole < 0 && fraction != 0 ? whole - fraction : linear;
}

double fromOle(double ole)
{
    const double whole = std::trunc(ole);
    return ole < 0 ? whole + (whole - ole) : ole;
}

Value makeDate(double linear)
{
    const double ole = toOle(linear);
    if (!DateValue::inRange(ole))
        invalidCall();
    return DateValue{ole};
}

// Seconds since the epoch, rounded to the second as VBScript's parts are.
struct Moment {
    QDate date;
    int seconds = 0;  // of the day
};

Moment momentOf(double ole)
{
    const double linear = fromOle(ole);
    qint64 total = qint64(std::llround(linear * 86400.0));
    qint64 days = total / 86400;
    qint64 rest = total % 86400;
    if (rest < 0)
        rest += 86400, --days;
    return {kEpoch.addDays(days), int(rest)};
}

double linearOf(const QDate &d, qint64 seconds)
{
    return double(kEpoch.daysTo(d)) + double(seconds) / 86400.0;
}

QString monthName(int m, bool abbreviate)
{
    static const char *const names[] = {"January", "February", "March",     "April",   "May",      "June",
                                        "July",    "August",   "September", "October", "November", "December"};
    const QString n = QString::fromLatin1(names[m - 1]);
    return abbreviate ? n.left(3) : n;
}

QString weekdayName(int d, bool abbreviate)  // 1 = Sunday
{
    static const char *const names[] = {"Sunday", "Monday", "Tuesday", "Wednesday", "Thursday", "Friday", "Saturday"};
    const QString n = QString::fromLatin1(names[d - 1]);
    return abbreviate ? n.left(3) : n;
}

// 1 = Sunday … 7 = Saturday.
int sundayWeekday(const QDate &d)
{
    return d.dayOfWeek() % 7 + 1;
}

// The weekday counted from firstDay (1 Sunday … 7 Saturday; 0 the system's,
// which is Sunday here).
int weekdayFrom(const QDate &d, int firstDay)
{
    if (firstDay == 0)
        firstDay = 1;
    if (firstDay < 1 || firstDay > 7)
        invalidCall();
    return (sundayWeekday(d) - firstDay + 7) % 7 + 1;
}

int firstDayArg(Args a, size_t i)
{
    return a.size() > i && !a[i].isEmpty() ? a[i].toLong() : 1;
}

// Two-digit years as VBScript reads them: 0-29 are 2000-2029, 30-99 1930-1999.
int fullYear(int y)
{
    if (y >= 0 && y < 30)
        return 2000 + y;
    if (y >= 30 && y < 100)
        return 1900 + y;
    return y;
}

// ----- reading dates from text -----

int monthFromName(QStringView word)
{
    for (int m = 1; m <= 12; ++m)
        if (word.size() >= 3 && monthName(m, false).startsWith(word, Qt::CaseInsensitive))
            return m;
    return 0;
}

// A date, a time or both, as CDate and DateValue read them: a date written
// y/m/d or y-m-d (four-digit year first), m/d/y, or with a month's name
// (5 March 2024, March 5, 2024); a time h:mm[:ss] with AM or PM perhaps.
std::optional<double> parseDateText(const QString &text)
{
    QString t = text.trimmed();
    if (t.isEmpty())
        return std::nullopt;
    std::optional<double> timePart;
    // The time: the word with a colon, and AM/PM after it.
    static const QRegularExpression timeRe(
        QStringLiteral("(\\d{1,2}):(\\d{1,2})(?::(\\d{1,2}))?\\s*([AaPp][Mm])?"));
    const QRegularExpressionMatch tm = timeRe.match(t);
    if (tm.hasMatch()) {
        int h = tm.captured(1).toInt();
        const int m = tm.captured(2).toInt(), s = tm.captured(3).toInt();
        const QString ampm = tm.captured(4).toUpper();
        if (!ampm.isEmpty()) {
            if (h < 1 || h > 12)
                return std::nullopt;
            h = h % 12 + (ampm == u"PM" ? 12 : 0);
        }
        if (h > 23 || m > 59 || s > 59)
            return std::nullopt;
        timePart = (h * 3600 + m * 60 + s) / 86400.0;
        t = (t.left(tm.capturedStart()) + t.mid(tm.capturedEnd())).trimmed();
    }
    if (t.isEmpty())
        return timePart;
    static const QRegularExpression sepRe(QStringLiteral("[\\s,/.-]+"));
    const QStringList parts = t.split(sepRe, Qt::SkipEmptyParts);
    if (parts.size() < 2 || parts.size() > 3)
        return std::nullopt;
    int y = -1, m = 0, d = 0;
    QList<int> numbers;
    for (const QString &p : parts) {
        bool ok = false;
        const int n = p.toInt(&ok);
        if (ok) {
            numbers << n;
            if (p.size() >= 3)
                y = n;  // a written-out year
        } else if (const int month = monthFromName(p); month && !m) {
            m = month;
        } else {
            return std::nullopt;
        }
    }
    if (m) {  // 5 March 2024, March 5 2024, March 5 (this year)
        if (numbers.size() == 1) {
            d = numbers[0];
            y = QDate::currentDate().year();
        } else if (numbers.size() == 2) {
            d = numbers[0] == y ? numbers[1] : numbers[0];
            y = numbers[0] == y ? numbers[0] : numbers[1];
            y = fullYear(y);
        } else {
            return std::nullopt;
        }
    } else if (numbers.size() == 3) {
        if (parts[0].size() >= 3) {  // y/m/d
            y = numbers[0], m = numbers[1], d = numbers[2];
        } else {  // m/d/y
            m = numbers[0], d = numbers[1], y = fullYear(numbers[2]);
        }
    } else {  // m/d of this year
        m = numbers[0], d = numbers[1];
        y = QDate::currentDate().year();
    }
    const QDate date(y, m, d);
    if (!date.isValid() || y < 100 || y > 9999)
        return std::nullopt;
    const double days = double(kEpoch.daysTo(date));
    return toOle(days + timePart.value_or(0));
}

// ----- the functions -----

Value fnDateSerial(Runtime &, Args a)
{
    if (a[0].isNull() || a[1].isNull() || a[2].isNull())
        throw ScriptException(RuntimeError::InvalidUseOfNull);
    const int y = fullYear(a[0].toInteger());
    const qint64 m = a[1].toLong(), d = a[2].toLong();
    // Months and days past their range carry into the next unit.
    const qint64 months = qint64(y) * 12 + (m - 1);
    const int year = int(std::floor(months / 12.0));
    const int month = int(months - qint64(year) * 12) + 1;
    if (year < 100 || year > 9999)
        invalidCall();
    const QDate first(year, month, 1);
    return makeDate(double(kEpoch.daysTo(first)) + double(d - 1));
}

Value fnTimeSerial(Runtime &, Args a)
{
    const double seconds = double(a[0].toLong()) * 3600 + double(a[1].toLong()) * 60 + a[2].toLong();
    return makeDate(seconds / 86400.0);
}

Value toDate(const Value &v0)
{
    const Value v = v0.dereferenced();
    if (v.kind() == ValueKind::Date)
        return v;
    if (v.isString()) {
        if (const auto d = parseDateText(v.string()))
            return DateValue{*d};
        if (const auto n = parseNumber(v.string()); n && DateValue::inRange(*n))
            return DateValue{*n};
        throw ScriptException(RuntimeError::TypeMismatch);
    }
    if (v.isNull())
        throw ScriptException(RuntimeError::InvalidUseOfNull);
    const double d = v.toDouble();
    if (!DateValue::inRange(d))
        throw ScriptException(RuntimeError::Overflow);
    return DateValue{d};
}

Value fnCDate(Runtime &, Args a) { return toDate(a[0]); }

Value fnDateValue(Runtime &, Args a)
{
    if (a[0].isNull())
        return a[0];
    const double d = toDate(a[0]).dateValue();
    return DateValue{std::trunc(d)};
}

Value fnTimeValue(Runtime &, Args a)
{
    if (a[0].isNull())
        return a[0];
    const double d = toDate(a[0]).dateValue();
    return DateValue{std::abs(d - std::trunc(d))};
}

Value fnIsDate(Runtime &, Args a)
{
    const Value v = a[0];
    if (v.kind() == ValueKind::Date)
        return true;
    if (v.isString())
        return parseDateText(v.string()).has_value();
    return false;
}

// Year … Second and Weekday: Null gives Null.
template <class Part>
Value datePart(const Value &v, Part part)
{
    if (v.isNull())
        return v;
    return Value(qint16(part(momentOf(toDate(v).dateValue()))));
}

Value fnYear(Runtime &, Args a) { return datePart(a[0], [](const Moment &m) { return m.date.year(); }); }
Value fnMonth(Runtime &, Args a) { return datePart(a[0], [](const Moment &m) { return m.date.month(); }); }
Value fnDay(Runtime &, Args a) { return datePart(a[0], [](const Moment &m) { return m.date.day(); }); }
Value fnHour(Runtime &, Args a) { return datePart(a[0], [](const Moment &m) { return m.seconds / 3600; }); }
Value fnMinute(Runtime &, Args a) { return datePart(a[0], [](const Moment &m) { return m.seconds / 60 % 60; }); }
Value fnSecond(Runtime &, Args a) { return datePart(a[0], [](const Moment &m) { return m.seconds % 60; }); }

Value fnWeekday(Runtime &, Args a)
{
    const int first = firstDayArg(a, 1);
    return datePart(a[0], [first](const Moment &m) { return weekdayFrom(m.date, first); });
}

Value fnWeekdayName(Runtime &, Args a)
{
    const int n = a[0].toLong();
    const bool abbreviate = a.size() > 1 && !a[1].isEmpty() && a[1].toBool();
    const int first = firstDayArg(a, 2) == 0 ? 1 : firstDayArg(a, 2);
    if (n < 1 || n > 7 || first < 1 || first > 7)
        invalidCall();
    return weekdayName((n - 1 + first - 1) % 7 + 1, abbreviate);
}

Value fnMonthName(Runtime &, Args a)
{
    const int n = a[0].toLong();
    if (n < 1 || n > 12)
        invalidCall();
    return monthName(n, a.size() > 1 && !a[1].isEmpty() && a[1].toBool());
}

enum class Interval { Year, Quarter, Month, DayOfYear, Day, Weekday, Week, Hour, Minute, Second };

Interval intervalOf(const Value &v)
{
    const QString s = v.toString().toLower();
    static const QHash<QString, Interval> names = {
        {QStringLiteral("yyyy"), Interval::Year}, {QStringLiteral("q"), Interval::Quarter},
        {QStringLiteral("m"), Interval::Month},   {QStringLiteral("y"), Interval::DayOfYear},
        {QStringLiteral("d"), Interval::Day},     {QStringLiteral("w"), Interval::Weekday},
        {QStringLiteral("ww"), Interval::Week},   {QStringLiteral("h"), Interval::Hour},
        {QStringLiteral("n"), Interval::Minute},  {QStringLiteral("s"), Interval::Second},
    };
    const auto it = names.constFind(s);
    if (it == names.constEnd())
        invalidCall();
    return *it;
}

Value fnDateAdd(Runtime &, Args a)
{
    const Interval interval = intervalOf(a[0]);
    if (a[1].isNull() || a[2].isNull())
        throw ScriptException(RuntimeError::InvalidUseOfNull);
    const double n = std::trunc(a[1].toDouble());
    const double linear = fromOle(toDate(a[2]).dateValue());
    const auto addMonths = [&](double months) {
        const Moment m = momentOf(toOle(linear));
        const qint64 total = qint64(m.date.year()) * 12 + (m.date.month() - 1) + qint64(months);
        const int year = int(total / 12), month = int(total % 12) + 1;
        if (total < 0 || year < 100 || year > 9999)
            invalidCall();
        // The day stays, or becomes the month's last.
        const int day = std::min(m.date.day(), QDate(year, month, 1).daysInMonth());
        return makeDate(linearOf(QDate(year, month, day), m.seconds));
    };
    switch (interval) {
    case Interval::Year: return addMonths(n * 12);
    case Interval::Quarter: return addMonths(n * 3);
    case Interval::Month: return addMonths(n);
    case Interval::DayOfYear:
    case Interval::Day:
    case Interval::Weekday: return makeDate(linear + n);
    case Interval::Week: return makeDate(linear + 7 * n);
    case Interval::Hour: return makeDate(linear + n / 24);
    case Interval::Minute: return makeDate(linear + n / 1440);
    case Interval::Second: return makeDate(linear + n / 86400);
    }
    invalidCall();
}

// The start of the week holding d, counted from firstDay.
qint64 weekStart(const QDate &d, int firstDay)
{
    return kEpoch.daysTo(d) - (weekdayFrom(d, firstDay) - 1);
}

Value fnDateDiff(Runtime &, Args a)
{
    const Interval interval = intervalOf(a[0]);
    if (a[1].isNull() || a[2].isNull())
        return Value::null();
    const Moment x = momentOf(toDate(a[1]).dateValue());
    const Moment y = momentOf(toDate(a[2]).dateValue());
    const qint64 dayDiff = x.date.daysTo(y.date);
    const qint64 secondDiff = dayDiff * 86400 + (y.seconds - x.seconds);
    const auto boundaries = [&](qint64 unit) {
        const qint64 sx = kEpoch.daysTo(x.date) * 86400 + x.seconds;
        const qint64 sy = kEpoch.daysTo(y.date) * 86400 + y.seconds;
        const auto floorDiv = [](qint64 v, qint64 u) { return v >= 0 ? v / u : -((-v + u - 1) / u); };
        return floorDiv(sy, unit) - floorDiv(sx, unit);
    };
    qint64 r = 0;
    switch (interval) {
    case Interval::Year: r = y.date.year() - x.date.year(); break;
    case Interval::Quarter:
        r = (y.date.year() * 4 + (y.date.month() - 1) / 3) - (x.date.year() * 4 + (x.date.month() - 1) / 3);
        break;
    case Interval::Month: r = (y.date.year() * 12 + y.date.month()) - (x.date.year() * 12 + x.date.month()); break;
    case Interval::DayOfYear:
    case Interval::Day: r = dayDiff; break;
    case Interval::Weekday: r = dayDiff / 7; break;
    case Interval::Week: {
        const int first = firstDayArg(a, 3);
        r = (weekStart(y.date, first) - weekStart(x.date, first)) / 7;
        break;
    }
    case Interval::Hour: r = boundaries(3600); break;
    case Interval::Minute: r = boundaries(60); break;
    case Interval::Second: r = secondDiff; break;
    }
    if (r < INT32_MIN || r > INT32_MAX)
        throw ScriptException(RuntimeError::Overflow);
    return Value(qint32(r));
}

Value fnDatePart(Runtime &, Args a)
{
    const Interval interval = intervalOf(a[0]);
    if (a[1].isNull())
        return Value::null();
    const Moment m = momentOf(toDate(a[1]).dateValue());
    const int first = firstDayArg(a, 2);
    switch (interval) {
    case Interval::Year: return qint16(m.date.year());
    case Interval::Quarter: return qint16((m.date.month() - 1) / 3 + 1);
    case Interval::Month: return qint16(m.date.month());
    case Interval::DayOfYear: return qint16(m.date.dayOfYear());
    case Interval::Day: return qint16(m.date.day());
    case Interval::Weekday: return qint16(weekdayFrom(m.date, first));
    case Interval::Week: {
        // Week 1 holds 1 January.
        const QDate jan1(m.date.year(), 1, 1);
        return qint16((weekStart(m.date, first) - weekStart(jan1, first)) / 7 + 1);
    }
    case Interval::Hour: return qint16(m.seconds / 3600);
    case Interval::Minute: return qint16(m.seconds / 60 % 60);
    case Interval::Second: return qint16(m.seconds % 60);
    }
    invalidCall();
}

Value fnFormatDateTime(Runtime &, Args a)
{
    if (a[0].isNull())
        throw ScriptException(RuntimeError::TypeMismatch);
    const double ole = toDate(a[0]).dateValue();
    const int format = a.size() > 1 && !a[1].isEmpty() ? a[1].toLong() : 0;
    const Moment m = momentOf(ole);
    const QTime time = QTime(0, 0).addSecs(m.seconds);
    switch (format) {
    case 0: return formatDate(ole);
    case 1:
        return QStringLiteral("%1, %2 %3, %4")
            .arg(weekdayName(sundayWeekday(m.date), false), monthName(m.date.month(), false))
            .arg(m.date.day())
            .arg(m.date.year());
    case 2: return m.date.toString(QStringLiteral("yyyy/MM/dd"));
    case 3: return time.toString(QStringLiteral("H:mm:ss"));
    case 4: return time.toString(QStringLiteral("HH:mm"));
    default: invalidCall();
    }
}

}  // namespace

void addDateBuiltins(QList<Builtin> &list)
{
    list += {
        {"DateSerial", 3, 3, fnDateSerial}, {"TimeSerial", 3, 3, fnTimeSerial}, {"CDate", 1, 1, fnCDate},
        {"DateValue", 1, 1, fnDateValue},   {"TimeValue", 1, 1, fnTimeValue},   {"IsDate", 1, 1, fnIsDate},
        {"Year", 1, 1, fnYear},             {"Month", 1, 1, fnMonth},           {"Day", 1, 1, fnDay},
        {"Hour", 1, 1, fnHour},             {"Minute", 1, 1, fnMinute},         {"Second", 1, 1, fnSecond},
        {"Weekday", 1, 2, fnWeekday},       {"WeekdayName", 1, 3, fnWeekdayName}, {"MonthName", 1, 2, fnMonthName},
        {"DateAdd", 3, 3, fnDateAdd},       {"DateDiff", 3, 5, fnDateDiff},     {"DatePart", 2, 4, fnDatePart},
        {"FormatDateTime", 1, 2, fnFormatDateTime},
    };
}

void addDateConstants(QHash<QString, Value> &table)
{
    const std::pair<const char *, qint32> numbers[] = {
        {"vbSunday", 1},        {"vbMonday", 2},     {"vbTuesday", 3},        {"vbWednesday", 4},
        {"vbThursday", 5},      {"vbFriday", 6},     {"vbSaturday", 7},       {"vbUseSystemDayOfWeek", 0},
        {"vbFirstJan1", 1},     {"vbFirstFourDays", 2}, {"vbFirstFullWeek", 3}, {"vbGeneralDate", 0},
        {"vbLongDate", 1},      {"vbShortDate", 2},  {"vbLongTime", 3},       {"vbShortTime", 4},
    };
    for (const auto &[name, v] : numbers)
        table.insert(QString::fromLatin1(name).toLower(), Value(v));
}

}  // namespace script::vbs
