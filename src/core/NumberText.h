#pragma once

#include <QString>
#include <QStringView>

// Numbers as oto.ini and sett.ini write them: "." as the decimal point
// whatever the user's locale.

// Shortest plain decimal with at most 15 significant digits: no exponent, no
// trailing zeros, no point for whole numbers, "0." below 1, "-" for negatives.
QString formatNumber(double value);

// Room for the longest plain form of a double: 5e-324 has 323 zeros after
// the point, the largest double 309 digits before it.
constexpr int kNumberBufferSize = 400;
// The same as ASCII into out, which has kNumberBufferSize bytes; returns the
// length written.
int formatNumberTo(char *out, double value);

// Lenient reading of a typed or stored number: spaces and tabs anywhere are
// ignored; an optional sign, digits, an optional fraction and an optional
// exponent are read up to the first character that does not fit. Text
// without a number reads as 0; a number too large for a double reads as the
// largest double of its sign, so that it is written back the same.
double readNumber(QStringView text);

// The same for numbers typed into the editor's boxes: line feeds are skipped
// too, "D" also marks an exponent, and "&H1F" / "&O17" read hexadecimal and
// octal whole numbers.
double readTypedNumber(QStringView text);

// Whether a typed text is a whole number as the boxes accept it: surrounding
// blanks allowed, "." as the decimal point, an optional exponent, or "&H" /
// "&O" digits. An empty text, a lone sign or a lone point is not.
bool isNumericText(QStringView text);
