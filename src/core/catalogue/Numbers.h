#pragma once

#include <QString>
#include <QStringView>

// How the program reads text as a number and writes numbers as text. These follow the rules the
// stored files were written with, so old files read the same and new files read the same in old copies.
namespace Numbers {

// The longest leading decimal number of `text`: leading blanks (spaces, TABs) skipped, then an optional
// sign, digits with an optional decimal point (always "."), and an optional exponent ("E" or "e", with
// an optional sign and at least one digit). Anything else ends the number; a text that does not start
// with a number reads as 0. No "inf", "nan", hex or thousands separators. When `ok` is given it tells
// whether a number was found at all. A number too large for a double reads as the largest double of its
// sign, never as infinity; one too small reads as 0.
double leadingNumber(QStringView text, bool *ok = nullptr);

// Rounds to the nearest whole number, halves to the even one (2.5 -> 2, 3.5 -> 4, -2.5 -> -2).
// Values beyond the range of qint64 are clamped to it.
qint64 roundHalfEven(double value);

// The leading number of `text` as a whole number, rounded halves to even and clamped to int.
int leadingInt(QStringView text);

// A number as the settings file stores it: "." as the decimal separator whatever the locale, a leading
// space for zero and positive values, "-" for negative ones, a fractional part only when there is one,
// at most `significantDigits` significant digits (7 for single precision, 15 for double).
// Examples: 1500 -> " 1500", 2 -> " 2", -3 -> "-3", 2695.5 -> " 2695.5", 0 -> " 0", 0.5 -> " 0.5".
// Plain digits below 1e15, an exponent from there on (1.5e20 -> " 1.5E+20"). NaN is written as " 0" and
// an infinity as the largest double of its sign, so what is written always reads back as a number.
QString formatNumber(double value, int significantDigits = 15);

} // namespace Numbers
