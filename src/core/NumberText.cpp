#include "core/NumberText.h"

#include <QRegularExpression>

#include <charconv>
#include <optional>
#include <clocale>
#include <cstdlib>
#include <limits>
#include <cmath>
#include <string>

namespace {

int countSignificantDigits(std::string_view plain)
{
    int count = 0;
    bool leading = true;
    int trailingZeros = 0;
    for (char c : plain) {
        if (c < '0' || c > '9')
            continue;
        if (leading && c == '0')
            continue;
        leading = false;
        ++count;
        trailingZeros = c == '0' ? trailingZeros + 1 : 0;
    }
    return count - trailingZeros;
}

// The plain form of the value rounded to fifteen significant digits.
int formatRounded(char *out, double value)
{
    // d.dddddddddddddde±XX: fifteen significant digits, correctly rounded.
    char sciBuf[40];
    const auto res = std::to_chars(sciBuf, sciBuf + sizeof sciBuf, value, std::chars_format::scientific, 14);
    std::string_view sci(sciBuf, size_t(res.ptr - sciBuf));

    const bool negative = sci.front() == '-';
    if (negative)
        sci.remove_prefix(1);
    const size_t ePos = sci.find('e');
    char digits[16];
    int count = 0;
    digits[count++] = sci[0];
    for (size_t i = 2; i < ePos; ++i)
        digits[count++] = sci[i];
    int exponent = 0;
    std::from_chars(sci.data() + ePos + (sci[ePos + 1] == '+' ? 2 : 1), sci.data() + sci.size(), exponent);
    while (count > 1 && digits[count - 1] == '0')
        --count;

    char *p = out;
    if (negative)
        *p++ = '-';
    const int intDigits = exponent + 1;  // digits before the decimal point
    if (intDigits <= 0) {
        *p++ = '0';
        *p++ = '.';
        p = std::fill_n(p, -intDigits, '0');
        p = std::copy_n(digits, count, p);
    } else if (intDigits >= count) {
        p = std::copy_n(digits, count, p);
        p = std::fill_n(p, intDigits - count, '0');
    } else {
        p = std::copy_n(digits, intDigits, p);
        *p++ = '.';
        p = std::copy_n(digits + intDigits, count - intDigits, p);
    }
    return int(p - out);
}

constexpr double kPowersOfTen[] = {1, 10, 100, 1e3, 1e4, 1e5, 1e6, 1e7, 1e8, 1e9, 1e10,
                                   1e11, 1e12, 1e13, 1e14, 1e15, 1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22};

// Parameters are mostly short decimals such as 1234.5. When value is m/10^k
// for a whole m of at most fifteen digits, that decimal is the value rounded
// to fifteen digits: m and 10^k are exact doubles, so their quotient is the
// double nearest to the decimal, and no other 15-digit decimal is nearer.
int formatShortDecimal(char *out, double value)
{
    for (int k = 0; k <= 8; ++k) {
        const double m = std::nearbyint(value * kPowersOfTen[k]);
        if (std::fabs(m) >= 1e15)
            return 0;
        if (m / kPowersOfTen[k] != value)
            continue;
        char digits[24];
        int count = 0;
        for (auto n = static_cast<unsigned long long>(std::fabs(m)); n > 0 || count <= k; n /= 10)
            digits[count++] = char('0' + n % 10);  // least significant first
        char *p = out;
        if (value < 0)
            *p++ = '-';
        for (int i = count - 1; i >= 0; --i) {
            *p++ = digits[i];
            if (i == k && k > 0)
                *p++ = '.';
        }
        return int(p - out);
    }
    return 0;
}

}  // namespace

int formatNumberTo(char *out, double value)
{
    // Infinity and NaN never come out of readNumber; writing them would give
    // a line that no reader accepts, so they are written as 0.
    if (!std::isfinite(value) || value == 0) {
        out[0] = '0';
        return 1;
    }
    if (const int length = formatShortDecimal(out, value))
        return length;
    // Most other values have a short exact form; when the shortest form that reads
    // back as the same double has at most fifteen significant digits it is
    // also the value rounded to fifteen digits, and much cheaper to get.
    const auto res = std::to_chars(out, out + kNumberBufferSize, value, std::chars_format::fixed);
    const int length = int(res.ptr - out);
    if (countSignificantDigits(std::string_view(out, size_t(length))) <= 15)
        return length;
    return formatRounded(out, value);
}

QString formatNumber(double value)
{
    char buf[kNumberBufferSize];
    return QString::fromLatin1(buf, formatNumberTo(buf, value));
}

namespace {

// from_chars leaves the value alone when it is out of range; strtod in the
// C locale tells overflow (infinity) from underflow. A number too large for a
// double is held at the largest double of its sign.
double outOfRange(const std::string &num)
{
    static const locale_t cLocale = newlocale(LC_ALL_MASK, "C", locale_t(nullptr));
    const double v = strtod_l(num.c_str(), nullptr, cLocale);
    if (std::isinf(v))
        return std::copysign(std::numeric_limits<double>::max(), v);
    return v;
}

}  // namespace

namespace {

// Plain "digits[.digits]" with at most fifteen digits, the common case, is
// read without building a string: m/10^k of two exact doubles is correctly
// rounded. Returns false for anything else.
bool readPlainDecimal(QStringView text, double &value)
{
    const QChar *p = text.begin();
    const QChar *end = text.end();
    bool negative = false;
    if (p != end && (*p == u'-' || *p == u'+'))
        negative = *p++ == u'-';
    unsigned long long mantissa = 0;
    int digits = 0;
    int fraction = -1;  // digits after the point, -1 before it
    for (; p != end; ++p) {
        const char16_t c = p->unicode();
        if (c >= u'0' && c <= u'9') {
            mantissa = mantissa * 10 + (c - u'0');
            if (++digits > 15)
                return false;
            if (fraction >= 0)
                ++fraction;
        } else if (c == u'.' && fraction < 0) {
            fraction = 0;
        } else {
            return false;
        }
    }
    if (digits == 0)
        return false;
    value = double(mantissa) / kPowersOfTen[std::max(fraction, 0)];
    if (negative)
        value = -value;
    return true;
}

}  // namespace

namespace {

// The scanner behind both readings; the typed reading also skips line feeds
// and takes "D" as an exponent letter.
double scanNumber(QStringView text, bool typed)
{
    // Collect the characters of the number, spaces and tabs dropped, into a
    // plain ASCII buffer for from_chars, which ignores the C locale.
    std::string num;  // short numbers stay in the string's own buffer
    enum class Stage { Sign, Int, Frac, ExpSign, ExpDigits } stage = Stage::Sign;
    bool mantissaDigits = false;
    size_t beforeExponent = 0;  // length to cut back to when "e" has no digits
    bool exponentDigits = false;

    for (QChar qc : text) {
        const char16_t c = qc.unicode();
        if (c == u' ' || c == u'\t' || (typed && c == u'\n'))
            continue;
        const bool digit = c >= u'0' && c <= u'9';
        if (stage == Stage::Sign && (c == u'+' || c == u'-')) {
            if (c == u'-')
                num += '-';
            stage = Stage::Int;
        } else if (digit && stage <= Stage::Frac) {
            num += char(c);
            mantissaDigits = true;
            if (stage == Stage::Sign)
                stage = Stage::Int;
        } else if (c == u'.' && stage <= Stage::Int) {
            num += '.';
            stage = Stage::Frac;
        } else if ((c == u'e' || c == u'E' || (typed && (c == u'd' || c == u'D'))) && stage <= Stage::Frac
                   && mantissaDigits) {
            beforeExponent = num.size();
            num += 'e';
            stage = Stage::ExpSign;
        } else if ((c == u'+' || c == u'-') && stage == Stage::ExpSign) {
            if (c == u'-')
                num += '-';
            stage = Stage::ExpDigits;
        } else if (digit && stage >= Stage::ExpSign) {
            num += char(c);
            exponentDigits = true;
            stage = Stage::ExpDigits;
        } else {
            break;
        }
    }
    if (!mantissaDigits)
        return 0;
    if (beforeExponent && !exponentDigits)
        num.resize(beforeExponent);

    double value = 0;
    const char *first = num.data();
    if (*first == '-' && num.size() > 1 && num[1] == '.') {
        // from_chars wants a digit before a bare point: "-.5".
        num.insert(1, 1, '0');
        first = num.data();
    } else if (*first == '.') {
        num.insert(0, 1, '0');
        first = num.data();
    }
    const auto res = std::from_chars(first, first + num.size(), value, std::chars_format::general);
    if (res.ec == std::errc::result_out_of_range)
        return outOfRange(num);
    return res.ec == std::errc() ? value : 0;
}

// "&H1F" and "&O17": whole numbers in hexadecimal or octal, read as the
// 16-bit or 32-bit signed integer their digit count makes them.
std::optional<double> readRadixInteger(QStringView text)
{
    QString compact;
    for (QChar c : text)
        if (c != u' ' && c != u'\t' && c != u'\n')
            compact += c;
    if (compact.size() < 3 || compact[0] != u'&')
        return std::nullopt;
    const QChar kind = compact[1].toUpper();
    const int base = kind == u'H' ? 16 : kind == u'O' ? 8 : 0;
    if (base == 0)
        return std::nullopt;
    quint64 value = 0;
    int digits = 0;
    for (qsizetype i = 2; i < compact.size(); ++i) {
        const char16_t c = compact[i].toLower().unicode();
        const int d = c >= u'0' && c <= u'9' ? c - u'0' : c >= u'a' && c <= u'f' ? c - u'a' + 10 : base;
        if (d >= base)
            break;
        value = value * quint64(base) + quint64(d);
        if (++digits > 16)
            break;
    }
    if (digits == 0)
        return 0.0;
    const int bits = base == 16 ? digits * 4 : digits * 3;
    if (bits <= 16)
        return double(qint16(quint16(value)));
    if (bits <= 32)
        return double(qint32(quint32(value)));
    return double(value);
}

}  // namespace

double readNumber(QStringView text)
{
    double plain;
    if (readPlainDecimal(text, plain))
        return plain;
    return scanNumber(text, false);
}

double readTypedNumber(QStringView text)
{
    double plain;
    if (readPlainDecimal(text, plain))
        return plain;
    if (const auto radix = readRadixInteger(text))
        return *radix;
    return scanNumber(text, true);
}

bool isNumericText(QStringView text)
{
    static const QRegularExpression decimal(QStringLiteral("^[+-]?(\\d+\\.?\\d*|\\.\\d+)([eEdD][+-]?\\d+)?$"));
    static const QRegularExpression radix(QStringLiteral("^&([hH][0-9a-fA-F]+|[oO][0-7]+)$"));
    const QString trimmed = text.trimmed().toString();
    return !trimmed.isEmpty() && (decimal.match(trimmed).hasMatch() || radix.match(trimmed).hasMatch());
}
