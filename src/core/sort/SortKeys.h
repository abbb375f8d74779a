#pragma once

#include <QString>

// Sort keys: texts that, compared as plain text, put a column's values in their natural order. A list
// view sorts by text only; a column whose values are numbers, dates or times (or titles whose leading
// article should not count) is sorted by a hidden column that holds the key of each row's value.
//
// The key types:
//   0 (or anything outside 1..6)  no key: the text itself.
//   1  title: lower case, blanks around removed, then a leading "the " and after it a leading "a " dropped
//      ("The Beatles" -> "beatles", "A Tribe" -> "tribe", "the" alone stays "the").
//   2  whole number, at least 5 digits, "+" or "-" in front: 7 -> "+00007", -3 -> "-00003".
//   3  the same with at least 10 digits: 7 -> "+0000000007".
//   4  decimal number, at least 4 whole digits and exactly 4 decimals: -2.5 -> "-0002.5000".
//   5  date as "yyyy-mm-dd".
//   6  time as "hh-mm-ss".
// A text that cannot be read as the type's value is its own key, unchanged. Keys of different lengths
// compare as text, not as numbers ("+100000" sorts before "+99999"): a column's values are expected to
// fit the key's width.
//
// Reading rules:
//   2, 3  the leading number of the text (Numbers::leadingNumber: "12 kg" is 12), rounded halves to even.
//         A text that does not begin with a number is unchanged. The sign is that of the rounded value,
//         so -0.4 gives "+00000", never a negative zero.
//   4     the whole text, blanks around ignored, must be a number: an optional sign, digits with one
//         decimal point ("." or, as Russian users write it, ","), an optional exponent ("1.5e3"). The
//         value is taken in single precision; a value beyond its range leaves the text unchanged. A value
//         that rounds to zero at 4 decimals is written with "+".
//   5     blanks around ignored; day, month and year separated by two equal separators, "." "/" or "-":
//         d.m.yyyy, d/m/yyyy, d-m-yyyy (day and month of 1 or 2 digits) or yyyy.m.d, yyyy/m/d, yyyy-m-d.
//         A two-digit year after day and month is 2000..2029 for 00..29 and 1930..1999 for 30..99.
//         A day the calendar does not have (31.02.2024) leaves the text unchanged.
//   6     blanks around ignored; h:mm or h:mm:ss, blanks allowed around each ":", hours 0..23 of 1 or 2
//         digits, minutes and seconds 0..59 of 1 or 2 digits.
namespace SortKeys {

enum Type {
    NoKey = 0,
    Title = 1,
    Whole5 = 2,
    Whole10 = 3,
    Decimal = 4,
    Date = 5,
    Time = 6,
};

// True for the types 1..6 that have a key of their own.
inline bool hasKey(int type)
{
    return type >= Title && type <= Time;
}

} // namespace SortKeys

// The sort key of `text` for key type `type` (see SortKeys above). Never fails: a text the type cannot
// read is returned as it is.
QString sortKey(int type, const QString &text);
