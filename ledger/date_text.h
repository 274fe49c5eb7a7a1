#pragma once
// The Date texts of the register, as the window uses them; the reading and
// the stored form are the ledger's (ledger/dates.h).

#include <QDate>
#include <QDateTime>
#include <QLocale>
#include <QString>

#include "ledger/dates.h"

namespace brevanta::reg {

using ledger::shortDateFormatWithFullYear;

// How a date is shown: the locale's short date with a four-digit year,
// followed by a blank and the locale's short time when the value carries a
// time of day other than midnight.
QString dateText(const QDateTime& value, const QLocale& locale = QLocale());
QString dateText(const QDate& value, const QLocale& locale = QLocale());

// The date picker's format: the locale's long date without the day of the
// week ("MMMM d, yyyy" under en_US, "d. MMMM yyyy" under de_DE). A weekday
// section would tie the typed year to a day name, and typing a year digit
// by digit shows "0000" and reverts; with the month written out, months
// can be typed by name.
QString pickerDateFormat(const QLocale& locale = QLocale());

// Reads a month/day/year text such as "1/3/2013". Throws Failure ("Type mismatch") when it is no date.
QDate readMonthDayYear(const QString& text);

}  // namespace brevanta::reg
