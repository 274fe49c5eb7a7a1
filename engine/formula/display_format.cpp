#include "engine/formula/display_format.h"

#include <QDate>
#include <charconv>
#include <cmath>
#include <cstdio>

#include "engine/formula/date_formats.h"

namespace brevanta::engine {

namespace {

constexpr int kDisplayDigits = 10;

QString stripTrailingZeros(QString text) {
    if (!text.contains(QLatin1Char('.'))) return text;
    while (text.endsWith(QLatin1Char('0'))) text.chop(1);
    if (text.endsWith(QLatin1Char('.'))) text.chop(1);
    return text;
}

QString scientificText(double value, int significantDigits) {
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%.*E", std::max(0, significantDigits - 1), value);
    QString text = QString::fromLatin1(buffer);
    const qsizetype e = text.indexOf(QLatin1Char('E'));
    QString mantissa = stripTrailingZeros(text.left(e));
    QString exponent = text.mid(e + 1);  // "+20", "-05", "+100"
    const QChar sign = exponent[0];
    QString digits = exponent.mid(1);
    while (digits.size() > 2 && digits.startsWith(QLatin1Char('0'))) digits.remove(0, 1);
    return mantissa + QLatin1Char('E') + sign + digits;
}

}  // namespace

QString generalNumberText(double value, int significantDigits, QChar decimalPoint) {
    if (!std::isfinite(value)) return QStringLiteral("#NUM!");
    if (value == 0) return QStringLiteral("0");
    const double magnitude = std::fabs(value);
    // Rounded to the digits shown first, so 99999999999.6 moves to the scientific form.
    // to_chars rounds exactly as printf does, several times faster; a register shows
    // tens of thousands of numbers.
    char buffer[400];
    auto written = std::to_chars(buffer, buffer + sizeof buffer, magnitude, std::chars_format::scientific,
                                 significantDigits - 1);
    double rounded = 0;
    std::from_chars(buffer, written.ptr, rounded);
    QString text;
    const double largest = std::pow(10.0, significantDigits + 1);
    if (rounded >= largest || rounded < 1e-9) {
        text = scientificText(value, std::min(significantDigits, 6));
    } else {
        const int integerDigits = static_cast<int>(std::floor(std::log10(rounded))) + 1;
        const int decimals = std::max(0, significantDigits - integerDigits);
        written = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed, decimals);
        text = stripTrailingZeros(QString::fromLatin1(buffer, written.ptr - buffer));
        if (text == QLatin1String("-0")) text = QStringLiteral("0");
    }
    if (decimalPoint != QLatin1Char('.')) text.replace(QLatin1Char('.'), decimalPoint);
    return text;
}

bool isDateFormat(const QString& numberFormat) { return formatHasDateParts(numberFormat); }

QString displayText(const model::Value& value, const QString& numberFormat, const QLocale& locale) {
    if (std::holds_alternative<model::Empty>(value)) return {};
    if (const auto* text = std::get_if<QString>(&value)) return *text;
    if (const auto* truth = std::get_if<bool>(&value)) return *truth ? QStringLiteral("TRUE") : QStringLiteral("FALSE");
    if (const auto* error = std::get_if<model::ErrorCode>(&value)) return model::errorText(*error);
    const double number = std::get<double>(value);
    if (isDateFormat(numberFormat)) {
        if (const auto shown = formatSerial(number, numberFormat, locale)) return *shown;
    }
    const QString point = locale.decimalPoint();
    return generalNumberText(number, kDisplayDigits, point.size() == 1 ? point[0] : QLatin1Char('.'));
}

double dateToSerial(int year, int month, int day) {
    if (year == 1900 && month == 2 && day == 29) return 60;
    const QDate date(year, month, day);
    if (!date.isValid() || year < 1900 || year > 9999) return 0;
    return dateToSerial(date);
}

double dateToSerial(const QDate& date) {
    // Compared as day numbers: a date's year, month and day each cost a calendar conversion.
    static const qint64 firstDay = QDate(1900, 1, 1).toJulianDay(), lastDay = QDate(9999, 12, 31).toJulianDay();
    static const qint64 dayZero = QDate(1899, 12, 30).toJulianDay();
    const qint64 day = date.toJulianDay();
    if (!date.isValid() || day < firstDay || day > lastDay) return 0;
    const qint64 days = day - dayZero;
    return static_cast<double>(days < 61 ? days - 1 : days);
}

bool serialToDate(double serial, int& year, int& month, int& day) {
    if (!std::isfinite(serial) || serial < 1 || serial >= 2958466) return false;
    const qint64 whole = static_cast<qint64>(std::floor(serial));
    if (whole == 60) {
        year = 1900, month = 2, day = 29;
        return true;
    }
    const QDate date = whole < 60 ? QDate(1899, 12, 31).addDays(whole) : QDate(1899, 12, 30).addDays(whole);
    year = date.year();
    month = date.month();
    day = date.day();
    return true;
}

}  // namespace brevanta::engine
