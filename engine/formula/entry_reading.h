#pragma once
// Reading the numbers, dates and times a user types, the way the user's
// locale writes them. Typed entry uses these, and so does arithmetic on
// text ("5" + 1).

#include <QLocale>
#include <QString>
#include <array>
#include <optional>

namespace brevanta::engine {

// A number as typed: sign or "(5)" for -5, the locale's decimal and group
// separators (groups of three), an exponent, a trailing "%" (divides by
// 100) and the locale's currency symbol before or after the digits.
std::optional<double> readTypedNumber(const QString& text, const QLocale& locale);
// The commonest numbers typed, "1234", "-12.5", read without copying:
// the same value readTypedNumber gives, or nothing where a text is not
// such a number (readTypedNumber may still read it).
std::optional<double> readPlainNumber(QStringView text, const QLocale& locale);

struct TypedDate {
    double serial = 0;       // 1900-system serial, with the time of day as its fraction
    bool hasTime = false;
    bool hasSeconds = false;
};

// A date in the locale's short order (day, month and year as numbers; a
// two-digit year 00-29 is 20xx, 30-99 is 19xx), or year-first ISO
// ("2013-01-03") under every locale, optionally followed by a time of day
// (h:mm or h:mm:ss, with AM/PM when given; after a "T" for ISO).
std::optional<TypedDate> readTypedDate(const QString& text, const QLocale& locale);

// The fields of a date written with a month name, split where
// [\s\x{00A0}/,-]+ or \.\s*(?=\d) matches (ASCII \s and \d), empty fields
// left out; broken UTF-16 is one field, as the pattern matches nothing in
// it. Only three fields can make such a date, so counting stops at four.
struct NamedDateFields {
    int count = 0;  // 4: four or more
    std::array<QStringView, 3> fields;
};
NamedDateFields namedDateFields(QStringView text);

}  // namespace brevanta::engine
