#pragma once
// Reading the numbers, dates and times a user types, the way the user's
// locale writes them. Typed entry uses these, and so does arithmetic on
// text ("5" + 1).

#include <QLocale>
#include <QString>
#include <optional>

namespace brevanta::engine {

// A number as typed: sign or "(5)" for -5, the locale's decimal and group
// separators (groups of three), an exponent, a trailing "%" (divides by
// 100) and the locale's currency symbol before or after the digits.
std::optional<double> readTypedNumber(const QString& text, const QLocale& locale);

struct TypedDate {
    double serial = 0;       // 1900-system serial, with the time of day as its fraction
    bool hasTime = false;
    bool hasSeconds = false;
};

// A date in the locale's short order (day, month and year as numbers; a
// two-digit year 00-29 is 20xx, 30-99 is 19xx), optionally followed by a
// time of day (h:mm or h:mm:ss, with AM/PM when given).
std::optional<TypedDate> readTypedDate(const QString& text, const QLocale& locale);

}  // namespace brevanta::engine
