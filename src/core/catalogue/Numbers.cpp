#include "Numbers.h"

#include <QVarLengthArray>

#include <algorithm>
#include <cfloat>
#include <charconv>
#include <cmath>
#include <limits>

namespace {

bool isDigit(QChar c)
{
    return c.unicode() >= u'0' && c.unicode() <= u'9';
}

} // namespace

namespace Numbers {

// The number is matched here, character by character, and only the matched ASCII text is handed to
// std::from_chars, which ignores the locale. A value too large for a double reads as the largest double of
// its sign (never as infinity); one too small to tell from zero reads as zero. "-0" reads as 0.
double leadingNumber(QStringView text, bool *ok)
{
    if (ok)
        *ok = false;
    const qsizetype size = text.size();
    qsizetype i = 0;
    while (i < size && (text[i] == u' ' || text[i] == u'\t'))
        ++i;

    bool negative = false;
    if (i < size && (text[i] == u'+' || text[i] == u'-')) {
        negative = text[i] == u'-';
        ++i;
    }
    const qsizetype mantissaStart = i;
    qsizetype digits = 0;
    // Where the first significant digit sits relative to the decimal point (1 for "5", 2 for "50", 0 for
    // "0.5", -1 for "0.05"): tells an overflow from an underflow when the value is out of range.
    qsizetype magnitude = 0;
    bool seenNonZero = false;
    bool seenPoint = false;
    for (; i < size; ++i) {
        const QChar c = text[i];
        if (isDigit(c)) {
            ++digits;
            if (c != u'0')
                seenNonZero = true;
            if (seenNonZero && !seenPoint)
                ++magnitude; // a whole digit from the first significant one on
            else if (!seenNonZero && seenPoint)
                --magnitude; // a zero between the point and the first significant digit
        } else if (c == u'.' && !seenPoint) {
            seenPoint = true;
        } else {
            break;
        }
    }
    if (digits == 0)
        return 0.0;
    qsizetype end = i;

    // The exponent counts only when at least one digit follows the "E" (and its sign).
    if (i < size && (text[i] == u'e' || text[i] == u'E')) {
        qsizetype j = i + 1;
        if (j < size && (text[j] == u'+' || text[j] == u'-'))
            ++j;
        const qsizetype exponentDigits = j;
        while (j < size && isDigit(text[j]))
            ++j;
        if (j > exponentDigits)
            end = j;
    }

    if (ok)
        *ok = true;
    if (!seenNonZero)
        return 0.0;

    QVarLengthArray<char, 64> ascii;
    ascii.reserve(end - mantissaStart);
    for (qsizetype k = mantissaStart; k < end; ++k)
        ascii.append(char(text[k].unicode()));
    const char *first = ascii.constData();
    const char *last = first + ascii.size();

    double value = 0.0;
    const std::from_chars_result result = std::from_chars(first, last, value, std::chars_format::general);
    if (result.ec == std::errc::result_out_of_range || std::isinf(value)) {
        // Out of range: decide between too large and too small from the decimal exponent of the first
        // significant digit (the exponent text is parsed with saturation, it can have any length).
        qint64 exponent = 0;
        const char *e = std::find_if(first, last, [](char ch) { return ch == 'e' || ch == 'E'; });
        if (e != last) {
            const char *p = e + 1;
            const bool negativeExponent = *p == '-';
            if (*p == '+' || *p == '-')
                ++p;
            for (; p < last; ++p)
                exponent = std::min<qint64>(exponent * 10 + (*p - '0'), qint64(1) << 40);
            if (negativeExponent)
                exponent = -exponent;
        }
        value = exponent + qint64(magnitude) > 0 ? DBL_MAX : 0.0;
    } else if (result.ec != std::errc()) {
        value = 0.0;
    }
    // No "-0": a zero reads as plain zero whatever its sign.
    return negative && value != 0.0 ? -value : value;
}

qint64 roundHalfEven(double value)
{
    if (std::isnan(value))
        return 0;
    // 2^63 is exact as a double; every double at or beyond it (or at or below -2^63) is out of range.
    constexpr double kLimit = 9223372036854775808.0;
    if (value >= kLimit)
        return std::numeric_limits<qint64>::max();
    if (value <= -kLimit)
        return std::numeric_limits<qint64>::min();
    // Independent of the floating-point rounding mode: floor, then look at the (exact) remainder.
    double whole = std::floor(value);
    const double rest = value - whole;
    if (rest > 0.5 || (rest == 0.5 && std::fmod(whole, 2.0) != 0.0))
        whole += 1.0;
    return qint64(whole);
}

int leadingInt(QStringView text)
{
    const qint64 value = roundHalfEven(leadingNumber(text));
    return int(std::clamp<qint64>(value, std::numeric_limits<int>::min(), std::numeric_limits<int>::max()));
}

// The digits come from std::to_chars in scientific form (correctly rounded, locale-free) and are laid out
// here: plain decimal notation below 1e15, "1.5E+20" style from there on. NaN is written as " 0" and the
// infinities as the largest double of their sign, so whatever is written reads back as a finite number.
QString formatNumber(double value, int significantDigits)
{
    significantDigits = std::clamp(significantDigits, 1, 17);
    if (std::isnan(value) || value == 0.0)
        return QStringLiteral(" 0");
    if (std::isinf(value))
        value = value > 0 ? DBL_MAX : -DBL_MAX;

    char buffer[64];
    const std::to_chars_result result = std::to_chars(buffer, buffer + sizeof buffer, std::fabs(value),
                                                      std::chars_format::scientific, significantDigits - 1);
    // "d.ddddde+XX": the significant digits without the point and trailing zeros, and the exponent.
    QVarLengthArray<char, 24> digits;
    const char *p = buffer;
    for (; p < result.ptr && *p != 'e'; ++p) {
        if (*p != '.')
            digits.append(*p);
    }
    while (digits.size() > 1 && digits.back() == '0')
        digits.removeLast();
    int exponent = 0;
    bool negativeExponent = false;
    for (++p; p < result.ptr; ++p) {
        if (*p == '-')
            negativeExponent = true;
        else if (*p != '+')
            exponent = exponent * 10 + (*p - '0');
    }
    if (negativeExponent)
        exponent = -exponent;

    QString text;
    text.reserve(digits.size() + 24);
    text += value < 0 ? QLatin1Char('-') : QLatin1Char(' ');
    const auto appendDigits = [&text, &digits](qsizetype from, qsizetype to) {
        for (qsizetype k = from; k < to; ++k)
            text += QLatin1Char(k < digits.size() ? digits[k] : '0');
    };
    if (exponent >= 15) {
        appendDigits(0, 1);
        if (digits.size() > 1) {
            text += QLatin1Char('.');
            appendDigits(1, digits.size());
        }
        text += QLatin1String("E+");
        text += QString::number(exponent);
    } else if (exponent >= 0) {
        appendDigits(0, exponent + 1);
        if (digits.size() > exponent + 1) {
            text += QLatin1Char('.');
            appendDigits(exponent + 1, digits.size());
        }
    } else {
        text += QLatin1String("0.");
        text += QString(-exponent - 1, QLatin1Char('0'));
        appendDigits(0, digits.size());
    }
    return text;
}

} // namespace Numbers
