#include "SortKeys.h"

#include "core/catalogue/Numbers.h"

#include <QDate>
#include <QStringView>

#include <cfloat>
#include <cmath>

namespace {

bool isDigit(QChar c)
{
    return c.unicode() >= u'0' && c.unicode() <= u'9';
}

// Appends `value` in decimal, padded with leading zeros to at least `width` digits.
void appendPadded(QString &out, quint64 value, int width)
{
    const QString digits = QString::number(value);
    for (qsizetype i = digits.size(); i < width; ++i)
        out.append(QLatin1Char('0'));
    out.append(digits);
}

// Reads 1..`maxDigits` decimal digits at `pos`, moving `pos` past them; false when there is none or when
// more digits follow than allowed.
bool readDigits(QStringView text, qsizetype &pos, int maxDigits, int *value, int *count)
{
    int v = 0;
    int n = 0;
    while (pos < text.size() && isDigit(text[pos])) {
        if (++n > maxDigits)
            return false;
        v = v * 10 + (text[pos].unicode() - u'0');
        ++pos;
    }
    *value = v;
    *count = n;
    return n > 0;
}

void skipBlanks(QStringView text, qsizetype &pos)
{
    while (pos < text.size() && text[pos].isSpace())
        ++pos;
}

QString titleKey(const QString &text)
{
    QString key = text.toLower().trimmed();
    if (key.startsWith(QLatin1String("the ")))
        key.remove(0, 4);
    if (key.startsWith(QLatin1String("a ")))
        key.remove(0, 2);
    return key;
}

// Types 2 and 3: the text's leading number as a signed whole number of at least `width` digits.
QString wholeKey(const QString &text, int width)
{
    bool ok = false;
    const double value = Numbers::leadingNumber(text, &ok);
    if (!ok)
        return text;
    const qint64 whole = Numbers::roundHalfEven(value);
    // The magnitude as unsigned, so that the smallest qint64 has one too.
    const quint64 magnitude = whole < 0 ? quint64(0) - quint64(whole) : quint64(whole);
    QString key;
    key.reserve(width + 1);
    key.append(whole < 0 ? QLatin1Char('-') : QLatin1Char('+'));
    appendPadded(key, magnitude, width);
    return key;
}

// True when all of `text` is one decimal number: an optional sign, digits with at most one point (at
// least one digit), and an optional exponent with at least one digit.
bool isNumber(QStringView text)
{
    qsizetype i = 0;
    if (i < text.size() && (text[i] == u'+' || text[i] == u'-'))
        ++i;
    int digits = 0;
    bool point = false;
    for (; i < text.size(); ++i) {
        if (isDigit(text[i]))
            ++digits;
        else if (text[i] == u'.' && !point)
            point = true;
        else
            break;
    }
    if (digits == 0)
        return false;
    if (i < text.size() && (text[i] == u'e' || text[i] == u'E')) {
        ++i;
        if (i < text.size() && (text[i] == u'+' || text[i] == u'-'))
            ++i;
        const qsizetype exponentStart = i;
        while (i < text.size() && isDigit(text[i]))
            ++i;
        if (i == exponentStart)
            return false;
    }
    return i == text.size();
}

// Type 4: the whole text as a single-precision number, "0000.0000".
QString decimalKey(const QString &text)
{
    QString number = text.trimmed();
    // "2,5" is how the value is written in Russian; it reads as 2.5 unless the text has a point too.
    if (!number.contains(QLatin1Char('.')))
        number.replace(QLatin1Char(','), QLatin1Char('.'));
    if (!isNumber(number))
        return text;
    const double value = Numbers::leadingNumber(number);
    if (!(std::fabs(value) <= double(FLT_MAX)))
        return text; // beyond single precision
    const float single = float(value);

    const QString digits = QString::number(double(std::fabs(single)), 'f', 4);
    const qsizetype point = digits.indexOf(QLatin1Char('.'));
    bool zero = true;
    for (const QChar c : digits) {
        if (c != u'0' && c != u'.') {
            zero = false;
            break;
        }
    }
    QString key;
    key.reserve(digits.size() + 4);
    key.append(single < 0 && !zero ? QLatin1Char('-') : QLatin1Char('+'));
    for (qsizetype i = point; i < 4; ++i)
        key.append(QLatin1Char('0'));
    key.append(digits);
    return key;
}

// A two-digit year: 00..29 are this century's, 30..99 the last one's.
int fullYear(int year, int digits)
{
    if (digits != 2)
        return year;
    return year < 30 ? 2000 + year : 1900 + year;
}

// Type 5: day, month and year (or year, month and day) as "yyyy-mm-dd".
QString dateKey(const QString &text)
{
    const QStringView t = QStringView(text).trimmed();
    qsizetype pos = 0;
    int first = 0;
    int firstDigits = 0;
    if (!readDigits(t, pos, 4, &first, &firstDigits) || firstDigits == 3 || pos >= t.size())
        return text;
    const QChar separator = t[pos];
    if (separator != u'.' && separator != u'/' && separator != u'-')
        return text;
    ++pos;
    int month = 0;
    int monthDigits = 0;
    if (!readDigits(t, pos, 2, &month, &monthDigits) || pos >= t.size() || t[pos] != separator)
        return text;
    ++pos;
    int last = 0;
    int lastDigits = 0;
    if (!readDigits(t, pos, 4, &last, &lastDigits) || pos != t.size())
        return text;

    int year = 0;
    int day = 0;
    if (firstDigits == 4) {
        if (lastDigits > 2)
            return text;
        year = first;
        day = last;
    } else {
        if (lastDigits != 2 && lastDigits != 4)
            return text;
        day = first;
        year = fullYear(last, lastDigits);
    }
    if (!QDate::isValid(year, month, day))
        return text;

    QString key;
    key.reserve(10);
    appendPadded(key, quint64(year), 4);
    key.append(QLatin1Char('-'));
    appendPadded(key, quint64(month), 2);
    key.append(QLatin1Char('-'));
    appendPadded(key, quint64(day), 2);
    return key;
}

// Type 6: h:mm or h:mm:ss as "hh-mm-ss".
QString timeKey(const QString &text)
{
    const QStringView t = QStringView(text).trimmed();
    int parts[3] = {0, 0, 0};
    int count = 0;
    qsizetype pos = 0;
    while (true) {
        int digits = 0;
        if (!readDigits(t, pos, 2, &parts[count], &digits))
            return text;
        ++count;
        skipBlanks(t, pos);
        if (pos == t.size())
            break;
        if (count == 3 || t[pos] != u':')
            return text;
        ++pos;
        skipBlanks(t, pos);
    }
    if (count < 2 || parts[0] > 23 || parts[1] > 59 || parts[2] > 59)
        return text;

    QString key;
    key.reserve(8);
    for (int i = 0; i < 3; ++i) {
        if (i > 0)
            key.append(QLatin1Char('-'));
        appendPadded(key, quint64(parts[i]), 2);
    }
    return key;
}

} // namespace

QString sortKey(int type, const QString &text)
{
    switch (type) {
    case SortKeys::Title:
        return titleKey(text);
    case SortKeys::Whole5:
        return wholeKey(text, 5);
    case SortKeys::Whole10:
        return wholeKey(text, 10);
    case SortKeys::Decimal:
        return decimalKey(text);
    case SortKeys::Date:
        return dateKey(text);
    case SortKeys::Time:
        return timeKey(text);
    default:
        return text;
    }
}
