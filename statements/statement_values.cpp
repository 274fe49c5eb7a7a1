#include "statements/statement_values.h"

#include <QStringList>
#include <array>

#include "ledger/amounts.h"
#include "ledger/dates.h"
#include "ledger/date_text.h"

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

// Three runs of digits separated by one or two characters that are no
// digits, nothing else: "1/15/2025", "15.01.25", "2025-01-15". Registers hold
// tens of thousands of dates, so this reads them without a regular expression.
bool threeNumbers(QStringView text, std::array<QStringView, 3>& parts) {
    qsizetype at = 0;
    const qsizetype size = text.size();
    for (int part = 0; part < 3; ++part) {
        const qsizetype start = at;
        while (at < size && isDigit(text[at])) ++at;
        if (at == start || at - start > 4) return false;
        parts[size_t(part)] = text.mid(start, at - start);
        if (part == 2) break;
        const qsizetype separator = at;
        while (at < size && !isDigit(text[at])) ++at;
        if (at - separator < 1 || at - separator > 2) return false;
    }
    return at == size;
}

int numberOf(QStringView digits) {
    int value = 0;
    for (QChar c : digits) value = value * 10 + (c.unicode() - u'0');
    return value;
}

// Three numbers read in `order`.
std::optional<QDate> readNumericDate(QStringView text, DateOrder order) {
    std::array<QStringView, 3> parts;
    if (!threeNumbers(text.trimmed(), parts)) return std::nullopt;
    const size_t yearAt = order == DateOrder::YearMonthDay ? 0 : 2;
    const size_t monthAt = order == DateOrder::MonthDayYear ? 0 : 1;
    const size_t dayAt = order == DateOrder::DayMonthYear ? 0 : (order == DateOrder::MonthDayYear ? 1 : 2);
    if (parts[monthAt].size() > 2 || parts[dayAt].size() > 2) return std::nullopt;
    const qsizetype yearDigits = parts[yearAt].size();
    if (yearDigits == 3 || yearDigits == 1) return std::nullopt;
    const QDate date(fullYear(numberOf(parts[yearAt]), yearDigits), numberOf(parts[monthAt]), numberOf(parts[dayAt]));
    if (!date.isValid()) return std::nullopt;
    return date;
}

std::optional<QDate> readIsoDate(QStringView text) {
    const QStringView trimmed = text.trimmed();
    if (trimmed.size() == 8 && allDigits(trimmed)) {
        const QDate date(numberOf(trimmed.left(4)), numberOf(trimmed.mid(4, 2)), numberOf(trimmed.mid(6, 2)));
        if (date.isValid()) return date;
        return std::nullopt;
    }
    if (trimmed.size() < 8 || !allDigits(trimmed.left(4)) || (trimmed[4] != u'-' && trimmed[4] != u'/'))
        return std::nullopt;
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

// What an amount text holds, read once for both amount readers.
struct AmountParts {
    bool valid = false;
    Cents cents = 0;            // rounded to the cent; meaningless beyond 15 whole digits
    qsizetype wholeDigits = 0;
    bool partOfACent = false;   // a digit other than 0 after the cents
};

// One sign at most ("+-5" and "(-5)" are no amounts), then digits in groups
// of three, a decimal point and decimals.
AmountParts amountParts(const QString& text, QChar decimalPoint) {
    AmountParts parts;
    QStringView rest = QStringView(text).trimmed();
    bool negative = false;
    bool signed_ = false;
    if (rest.startsWith(u'(') && rest.endsWith(u')')) {
        negative = signed_ = true;
        rest = rest.mid(1, rest.size() - 2).trimmed();
    }
    auto takeSign = [&] {
        if (!rest.startsWith(u'-') && !rest.startsWith(u'+')) return true;
        if (signed_) return false;
        negative = rest.front() == u'-';
        signed_ = true;
        rest = rest.mid(1);
        return true;
    };
    if (!takeSign()) return parts;
    for (const QChar symbol : {QChar(u'$'), QChar(0x20AC), QChar(0x00A3)}) {
        if (rest.startsWith(symbol)) rest = rest.mid(1);
        else if (rest.endsWith(symbol)) rest.chop(1);
    }
    rest = rest.trimmed();
    if (!takeSign()) return parts;  // "$-5.00"
    const QChar groupSeparator = decimalPoint == u'.' ? u',' : u'.';
    Cents units = 0;
    qsizetype groupDigits = 0;  // since the last group separator
    bool grouped = false;
    qsizetype at = 0;
    for (; at < rest.size(); ++at) {
        const QChar c = rest[at];
        if (isDigit(c)) {
            if (++parts.wholeDigits <= 15) units = units * 10 + (c.unicode() - u'0');
            ++groupDigits;
        } else if (c == groupSeparator) {
            // Digit groups: the first of one to three digits and no leading 0, every other of three.
            if (groupDigits == 0 || groupDigits > 3 || (grouped && groupDigits != 3)) return parts;
            if (!grouped && rest[0] == u'0') return parts;
            grouped = true;
            groupDigits = 0;
        } else {
            break;
        }
    }
    if (grouped && groupDigits != 3) return parts;
    Cents cents = units * 100;
    qsizetype decimals = 0;
    if (at < rest.size()) {
        if (rest[at] != decimalPoint) return parts;
        for (++at; at < rest.size(); ++at, ++decimals) {
            const QChar c = rest[at];
            if (!isDigit(c)) return parts;
            const int digit = c.unicode() - u'0';
            if (decimals == 0) cents += digit * 10;
            else if (decimals == 1) cents += digit;
            else if (digit != 0) parts.partOfACent = true;
            if (decimals == 2 && digit >= 5) cents += 1;
        }
    }
    if (parts.wholeDigits == 0 && decimals == 0) return parts;
    parts.valid = true;
    parts.cents = negative ? -cents : cents;
    return parts;
}

}  // namespace

std::optional<Cents> readAmount(QString text, QChar decimalPoint) {
    const AmountParts parts = amountParts(text, decimalPoint);
    if (!parts.valid || parts.wholeDigits > 15) return std::nullopt;  // beyond exact cents in a double
    return parts.cents;
}

StatementAmount readStatementAmount(const QString& text, QChar decimalPoint) {
    const QString shown = text.trimmed().left(40);
    if (shown.isEmpty()) return {0, QStringLiteral("the amount is empty")};
    const AmountParts parts = amountParts(text, decimalPoint);
    if (!parts.valid) return {0, QStringLiteral("the amount \"%1\" is no number").arg(shown)};
    if (parts.partOfACent) return {0, QStringLiteral("the amount \"%1\" has a part of a cent").arg(shown)};
    if (parts.wholeDigits > 15 || parts.cents > kLargestStatementAmount || parts.cents < -kLargestStatementAmount)
        return {0, QStringLiteral("the amount \"%1\" is beyond %2, the most one entry may be")
                       .arg(shown, QLatin1String(kLargestStatementAmountText))};
    return {parts.cents, QString()};
}

std::optional<Cents> readRegisterAmount(const QString& text, const QLocale& locale) {
    return ledger::readCents(text, locale);
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
    if (auto iso = readIsoDate(trimmed)) return iso;
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

DateOrder localeDateOrder(const QLocale& locale) { return orderOf(locale.dateFormat(QLocale::ShortFormat)); }

std::optional<QDate> readDateInOrder(const QString& text, DateOrder order) {
    if (order == DateOrder::YearMonthDay)
        if (auto compact = readIsoDate(text)) return compact;
    return readNumericDate(text, order);
}

std::optional<QDate> readRegisterDate(const QString& text, const QLocale& locale) {
    const std::optional<ledger::RegisterDate> date = ledger::readDate(text, locale);
    if (!date) return std::nullopt;
    return date->date;
}

QString checkNumberKey(const QString& text) {
    const QString trimmed = text.trimmed();
    if (!allDigits(trimmed)) return QString();
    qsizetype first = 0;
    while (first + 1 < trimmed.size() && trimmed.at(first) == u'0') ++first;
    return trimmed.mid(first);
}

}  // namespace brevanta::statements
