#pragma once
// The Date texts of the register: how a picked date becomes the text of a
// new row, and how the example data's date texts are read back.

#include <QDate>
#include <QDateTime>
#include <QLocale>
#include <QString>

namespace brevanta::reg {

// The locale's short date format with the year always written in four digits
// ("M/d/yyyy" under en_US, "dd.MM.yyyy" under de_DE).
QString shortDateFormatWithFullYear(const QLocale& locale = QLocale());

// The Date text of a new row: the short date, followed by a blank and the
// locale's short time when the value carries a time of day other than midnight.
QString dateText(const QDateTime& value, const QLocale& locale = QLocale());
QString dateText(const QDate& value, const QLocale& locale = QLocale());

// Reads a month/day/year text such as "1/3/2013". Throws Failure ("Type mismatch") when it is no date.
QDate readMonthDayYear(const QString& text);

}  // namespace brevanta::reg
