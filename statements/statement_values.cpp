#include "statements/statement_values.h"

#include <QRegularExpression>
#include <QStringList>
#include <array>

#include "register/date_text.h"

namespace brevanta::statements {
namespace {

bool isDigit(QChar c) { return c >= u'0' && c <= u'9'; }

bool allDigits(QStringView text) {
    if (text.isEmpty()) return false;
    for (QChar c : text)
        if (!isDigit(c)) return false;
    return true;
}

// The order of day, month and year in a date format ("M/d/yy": month, day, year).
enum class DateOrder { MonthDayYear, DayMonthYear, YearMonthDay };

DateOrder orderOf(const QString& format) {
    const qsizetype day = format.indexOf(u'd');
    const qsizetype month = format.indexOf(u'M');
    const qsizetype year = format.indexOf(u'y');
    if (year >= 0 && year < month && year < day) return DateOrder::YearMonthDay;
    if (day >= 0 && day < month) return DateOrder::DayMonthYear;
    return DateOrder::MonthDayYear;
}

// A year written with two digits: 70..99 are the 1900s, the rest the 2000s.
int fullYear(int year, qsizetype digits) {
    if (digits > 2) return year;
    return year < 70 ? 2000 + year : 1900 + year;
}

// Three numbers separated by anything that is no digit, read in `order`.
std::optional<QDate> readNumericDate(const QString& text, DateOrder order) {
    static const QRegularExpression kParts(QStringLiteral("^(\\d{1,4})[^\\d]{1,2}(\\d{1,2})[^\\d]{1,2}(\\d{1,4})$"));
    const QRegularExpressionMatch match = kParts.match(text.trimmed());
    if (!match.hasMatch()) return std::nullopt;
    std::array<QString, 3> parts{match.captured(1), match.captured(2), match.captured(3)};
    int year = 0, month = 0, day = 0;
    qsizetype yearDigits = 0;
    switch (order) {
    case DateOrder::MonthDayYear:
        month = parts[0].toInt(), day = parts[1].toInt(), year = parts[2].toInt(), yearDigits = parts[2].size();
        if (parts[0].size() > 2) return std::nullopt;
        break;
    case DateOrder::DayMonthYear:
        day = parts[0].toInt(), month = parts[1].toInt(), year = parts[2].toInt(), yearDigits = parts[2].size();
        if (parts[0].size() > 2) return std::nullopt;
        break;
    case DateOrder::YearMonthDay:
        year = parts[0].toInt(), month = parts[1].toInt(), day = parts[2].toInt(), yearDigits = parts[0].size();
        if (parts[2].size() > 2) return std::nullopt;
        break;
    }
    if (yearDigits == 3 || yearDigits == 1) return std::nullopt;
    const QDate date(fullYear(year, yearDigits), month, day);
    if (!date.isValid()) return std::nullopt;
    return date;
}

std::optional<QDate> readIsoDate(const QString& text) {
    const QString trimmed = text.trimmed();
    if (trimmed.size() == 8 && allDigits(trimmed)) {
        const QDate date(trimmed.left(4).toInt(), trimmed.mid(4, 2).toInt(), trimmed.right(2).toInt());
        if (date.isValid()) return date;
        return std::nullopt;
    }
    static const QRegularExpression kIso(QStringLiteral("^\\d{4}[-/]\\d{1,2}[-/]\\d{1,2}$"));
    if (!kIso.match(trimmed).hasMatch()) return std::nullopt;
    return readNumericDate(trimmed, DateOrder::YearMonthDay);
}

QString decimalPointOf(const QLocale& locale) {
    const QString point = locale.decimalPoint();
    return point.isEmpty() ? QStringLiteral(".") : point;
}

QString centsText(Cents amount, const QString& units, const QLocale& locale) {
    const Cents magnitude = amount < 0 ? -amount : amount;
    const int cents = int(magnitude % 100);
    return (amount < 0 ? QStringLiteral("-") : QString()) + units + decimalPointOf(locale) +
           QStringLiteral("%1").arg(cents, 2, 10, QLatin1Char('0'));
}

}  // namespace

std::optional<Cents> readAmount(QString text, QChar decimalPoint) {
    text = text.trimmed();
    bool negative = false;
    if (text.startsWith(u'(') && text.endsWith(u')')) {
        negative = true;
        text = text.mid(1, text.size() - 2).trimmed();
    }
    if (text.startsWith(u'-') || text.startsWith(u'+')) {
        negative = negative != (text.front() == u'-');
        text.remove(0, 1);
    }
    for (const QChar symbol : {QChar(u'$'), QChar(0x20AC), QChar(0x00A3)}) {
        if (text.startsWith(symbol)) text.remove(0, 1);
        else if (text.endsWith(symbol)) text.chop(1);
    }
    text = text.trimmed();
    if (!negative && text.startsWith(u'-')) {  // "$-5.00"
        negative = true;
        text.remove(0, 1);
    }
    const QChar groupSeparator = decimalPoint == u'.' ? u',' : u'.';
    const qsizetype point = text.indexOf(decimalPoint);
    const QString whole = point < 0 ? text : text.left(point);
    const QString decimals = point < 0 ? QString() : text.mid(point + 1);
    if (whole.isEmpty() && decimals.isEmpty()) return std::nullopt;
    if (!decimals.isEmpty() && !allDigits(decimals)) return std::nullopt;

    const QStringList groups = whole.split(groupSeparator);
    QString digits;
    for (qsizetype i = 0; i < groups.size(); ++i) {
        const QString& group = groups[i];
        if (groups.size() > 1 && (group.size() > 3 || (i > 0 && group.size() != 3) || group.isEmpty()))
            return std::nullopt;
        if (!group.isEmpty() && !allDigits(group)) return std::nullopt;
        digits += group;
    }
    if (digits.size() > 15) return std::nullopt;  // beyond any statement, and beyond exact cents in a double

    Cents cents = digits.isEmpty() ? 0 : digits.toLongLong() * 100;
    if (!decimals.isEmpty()) {
        cents += decimals.left(2).leftJustified(2, u'0').toLongLong();
        if (decimals.size() > 2 && decimals.at(2) >= u'5') cents += 1;
    }
    return negative ? -cents : cents;
}

std::optional<Cents> readRegisterAmount(const QString& text, const QLocale& locale) {
    const QString trimmed = text.trimmed();
    if (trimmed.isEmpty()) return 0;
    const QString point = decimalPointOf(locale);
    if (point.size() == 1 && point.front() != u'.')
        if (auto amount = readAmount(trimmed, point.front())) return amount;
    return readAmount(trimmed, u'.');
}

QString amountText(Cents amount, const QLocale& locale) {
    const Cents magnitude = amount < 0 ? -amount : amount;
    return centsText(amount, QString::number(magnitude / 100), locale);
}

QString displayAmount(Cents amount, const QLocale& locale) {
    const Cents magnitude = amount < 0 ? -amount : amount;
    return centsText(amount, locale.toString(magnitude / 100), locale);
}

std::optional<QDate> readQifDate(const QString& text) {
    QString trimmed = text.trimmed();
    if (auto iso = readIsoDate(trimmed); iso && trimmed.size() >= 8 && trimmed.indexOf(u'\'') < 0) {
        if (trimmed.at(4) == u'-' || trimmed.at(4) == u'/' || allDigits(trimmed)) return iso;
    }
    // "01/16'25" and "1/16' 5": the apostrophe marks a year of the 2000s.
    const qsizetype apostrophe = trimmed.indexOf(u'\'');
    if (apostrophe >= 0) {
        const QString year = trimmed.mid(apostrophe + 1).trimmed();
        if (!allDigits(year) || year.size() > 2) return std::nullopt;
        trimmed = trimmed.left(apostrophe) + u'/' + QString::number(2000 + year.toInt());
    }
    return readNumericDate(trimmed, DateOrder::MonthDayYear);
}

// The locale's own reading, for short dates with month names ("15 Jan 2025").
std::optional<QDate> readLocaleDate(const QString& text, const QLocale& locale) {
    if (auto numeric = readNumericDate(text, orderOf(locale.dateFormat(QLocale::ShortFormat)))) return numeric;
    for (const QString& format : {reg::shortDateFormatWithFullYear(locale), locale.dateFormat(QLocale::ShortFormat)}) {
        const QDate date = locale.toDate(text.trimmed(), format);
        if (date.isValid()) return date;
    }
    return std::nullopt;
}

std::optional<QDate> readCsvDate(const QString& text, const QLocale& locale) {
    if (auto iso = readIsoDate(text)) return iso;
    return readLocaleDate(text, locale);
}

std::optional<QDate> readRegisterDate(const QString& text, const QLocale& locale) {
    const QString trimmed = text.trimmed();
    if (auto iso = readIsoDate(trimmed)) return iso;
    if (auto date = readLocaleDate(trimmed, locale)) return date;
    // A time of day after the date ("1/15/2025 3:30 PM"): the date alone.
    const QString dateOnly = trimmed.left(trimmed.indexOf(u' '));
    if (auto iso = readIsoDate(dateOnly)) return iso;
    return readNumericDate(dateOnly, orderOf(locale.dateFormat(QLocale::ShortFormat)));
}

QString checkNumberKey(const QString& text) {
    const QString trimmed = text.trimmed();
    if (!allDigits(trimmed)) return QString();
    qsizetype first = 0;
    while (first + 1 < trimmed.size() && trimmed.at(first) == u'0') ++first;
    return trimmed.mid(first);
}

}  // namespace brevanta::statements
