#pragma once
// The register's dates: the one form they are stored in, and the one reader
// of every date text the register meets.
//
// A date is stored as ISO 8601, "2013-01-03", followed by "T15:30" only when
// it carries a time of day other than midnight. That text means the same day
// under every language setting; the list shows it the way the user's
// language writes dates.
//
// Texts stored by earlier versions are read by trying, in this order:
//   1. ISO 8601, "2013-01-03" (the stored form);
//   2. the locale's short date, with a four- or two-digit year ("03.01.2013"
//      and "03.01.13" under de_DE, "03/01/2013" under en_GB), with the
//      locale's own separator;
//   3. English month names, "Jan 3, 2013", "January 3, 2013", "3 Jan 2013";
//   4. month-first numbers with "/", "1/3/2013" (the example data and the
//      United States' short date);
//   5. day-first numbers with ".", "03.01.2013", which no language writes
//      month-first.
// Each may be followed by a time of day ("1/3/2013 3:30 PM", "2013-01-03T15:30").

#include <QDate>
#include <QDateTime>
#include <QLocale>
#include <QString>
#include <QTime>
#include <optional>

namespace brevanta::ledger {

// A date as read: the day, and the time of day when the text has one.
struct RegisterDate {
    QDate date;
    QTime time;  // invalid when the text has none
    bool hasTimeOfDay() const { return time.isValid() && time != QTime(0, 0); }
    friend bool operator==(const RegisterDate&, const RegisterDate&) = default;
};

// The stored form: "2013-01-03", or "2013-01-03T15:30" with a time of day
// other than midnight (seconds are not kept).
QString storedDateText(const QDate& date);
QString storedDateText(const QDateTime& value);
QString storedDateText(const RegisterDate& value);

// Reads a date text by the rules above, the first that reads it winning.
// Texts longer than 64 characters are no dates.
std::optional<RegisterDate> readDate(const QString& text, const QLocale& locale = QLocale());
// The same, but only when no later rule reads the text as another day
// ("1/2/2013" under en_GB is the first of February by its short date and
// the second of January by month-first numbers: it is not read).
std::optional<RegisterDate> readDateUnambiguously(const QString& text, const QLocale& locale = QLocale());

// The text to keep for a date text met in a stored or pasted list: the
// stored form when it reads unambiguously, the text itself otherwise.
QString storedFormOf(const QString& text, const QLocale& locale = QLocale());

// The locale's short date format with the year always written in four digits
// ("M/d/yyyy" under en_US, "dd.MM.yyyy" under de_DE).
QString shortDateFormatWithFullYear(const QLocale& locale = QLocale());

// How the list shows a date: the locale's short date with a four-digit year,
// followed by the locale's short time when there is a time of day.
QString displayDateText(const RegisterDate& value, const QLocale& locale = QLocale());
// How the list shows a Date text: its date as above, or the text itself when
// it cannot be read.
QString displayDateText(const QString& text, const QLocale& locale = QLocale());

// Reads only month-first numbers, "1/3/2013" (the example data's texts).
std::optional<QDate> readMonthDayYear(const QString& text);

}  // namespace brevanta::ledger
