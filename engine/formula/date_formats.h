#pragma once
// Date and time number formats: the ones typed entry assigns (the locale's
// short date pattern written as a spreadsheet format, always with a
// four-digit year), and showing a serial through such a format.

#include <QLocale>
#include <QString>
#include <optional>

namespace brevanta::engine {

// e.g. "m/d/yyyy" under en_US, "dd.mm.yyyy" under de_DE.
QString localeDateFormat(const QLocale& locale);
// The date format followed by the locale's time of day: "m/d/yyyy h:mm AM/PM", "dd.mm.yyyy hh:mm".
QString localeDateTimeFormat(const QLocale& locale, bool withSeconds);

// True when the format has day, month, year, hour or second parts outside quotes.
bool formatHasDateParts(const QString& numberFormat);

// The serial shown through a date/time format (d dd ddd dddd, m mm mmm mmmm,
// yy yyyy, h hh, m mm after an hour, s ss, AM/PM); nothing for a serial
// outside the calendar.
std::optional<QString> formatSerial(double serial, const QString& numberFormat, const QLocale& locale);

}  // namespace brevanta::engine
