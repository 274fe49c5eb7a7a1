#pragma once
// A value as a cell displays it, given the cell's number format:
// "General" numbers, and dates/times in the formats typed entry assigns.

#include <QLocale>
#include <QDate>
#include <QString>

#include "engine/model/value.h"

namespace brevanta::engine {

QString displayText(const model::Value& value, const QString& numberFormat, const QLocale& locale);

// A number the way the General format shows it: at most `significantDigits`
// significant digits, no trailing zeros, scientific ("1E+20") when the
// number is too large or too small for that.
QString generalNumberText(double value, int significantDigits, QChar decimalPoint);

// True for number formats that show a date or time.
bool isDateFormat(const QString& numberFormat);

// Serial numbers of the 1900 date system (serial 60 is the fictitious 1900-02-29).
double dateToSerial(int year, int month, int day);
// The same for a date given whole (no 29 February 1900 among them).
double dateToSerial(const QDate& date);
bool serialToDate(double serial, int& year, int& month, int& day);

}  // namespace brevanta::engine
