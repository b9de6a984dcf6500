#include "NumberText.h"

#include <charconv>
#include <cmath>
#include <string>

QString formatNumber(double value)
{
    // Infinity and NaN never come out of readNumber; writing them would give
    // a line that no reader accepts, so they are written as 0.
    if (!std::isfinite(value) || value == 0)
        return QStringLiteral("0");

    // d.dddddddddddddde±XX: fifteen significant digits, correctly rounded.
    char buf[40];
    const auto res = std::to_chars(buf, buf + sizeof buf, value, std::chars_format::scientific, 14);
    std::string_view sci(buf, res.ptr - buf);

    const bool negative = sci.front() == '-';
    if (negative)
        sci.remove_prefix(1);
    const size_t ePos = sci.find('e');
    std::string digits;
    digits += sci[0];
    digits += sci.substr(2, ePos - 2);
    int exponent = 0;
    std::from_chars(sci.data() + ePos + (sci[ePos + 1] == '+' ? 2 : 1), sci.data() + sci.size(), exponent);

    while (digits.size() > 1 && digits.back() == '0')
        digits.pop_back();

    const int intDigits = exponent + 1;  // digits before the decimal point
    const int count = int(digits.size());
    std::string out = negative ? "-" : "";
    if (intDigits <= 0) {
        out += "0.";
        out.append(size_t(-intDigits), '0');
        out += digits;
    } else if (intDigits >= count) {
        out += digits;
        out.append(size_t(intDigits - count), '0');
    } else {
        out += digits.substr(0, size_t(intDigits));
        out += '.';
        out += digits.substr(size_t(intDigits));
    }
    return QString::fromLatin1(out.data(), qsizetype(out.size()));
}

double readNumber(QStringView text)
{
    // Collect the characters of the number, spaces and tabs dropped, into a
    // plain ASCII buffer for from_chars, which ignores the C locale.
    std::string num;
    num.reserve(size_t(text.size()));
    enum class Stage { Sign, Int, Frac, ExpSign, ExpDigits } stage = Stage::Sign;
    bool mantissaDigits = false;
    size_t beforeExponent = 0;  // length to cut back to when "e" has no digits
    bool exponentDigits = false;

    for (QChar qc : text) {
        const char16_t c = qc.unicode();
        if (c == u' ' || c == u'\t')
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
        } else if ((c == u'e' || c == u'E') && stage <= Stage::Frac && mantissaDigits) {
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
    if (res.ec != std::errc())
        return 0;
    return value;
}
