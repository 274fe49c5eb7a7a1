#include "statements/bank_csv_columns.h"

#include <array>

namespace brevanta::statements {
namespace {

bool isDigit(QChar c) { return c >= u'0' && c <= u'9'; }

StatementError lineError(const QString& fileName, int line, const QString& reason) {
    return StatementError(QStringLiteral("%1: line %2: %3").arg(fileName, QString::number(line), reason));
}

StatementError linesError(const QString& fileName, const ColumnText& first, const ColumnText& second,
                          const QString& reason) {
    const ColumnText& earlier = first.line <= second.line ? first : second;
    const ColumnText& later = first.line <= second.line ? second : first;
    return StatementError(QStringLiteral("%1: lines %2 and %3: %4")
                              .arg(fileName, QString::number(earlier.line), QString::number(later.line), reason));
}

QString quoted(const ColumnText& field) { return QLatin1Char('"') + field.text.left(40) + QLatin1Char('"'); }

// The runs of digits of a date text, when it is three of them or the eight digits "20261231".
std::optional<std::array<QStringView, 3>> dateNumbers(QStringView text) {
    text = text.trimmed();
    if (text.size() == 8) {
        bool allDigits = true;
        for (QChar c : text) allDigits = allDigits && isDigit(c);
        if (allDigits) return std::array<QStringView, 3>{text.left(4), text.mid(4, 2), text.mid(6, 2)};
    }
    std::array<QStringView, 3> numbers;
    size_t found = 0;
    qsizetype at = 0;
    while (at < text.size()) {
        if (!isDigit(text[at])) {
            ++at;
            continue;
        }
        const qsizetype start = at;
        while (at < text.size() && isDigit(text[at])) ++at;
        if (found == 3) return std::nullopt;
        numbers[found++] = text.mid(start, at - start);
    }
    if (found != 3 || text.isEmpty() || !isDigit(text.front()) || !isDigit(text.back())) return std::nullopt;
    return numbers;
}

int valueOf(QStringView digits) { return digits.size() > 4 ? 9999 : digits.toInt(); }

}  // namespace

DateColumnDecision decideDateOrder(const std::vector<ColumnText>& dates, const QString& fileName) {
    std::optional<ColumnText> dayFirst, monthFirst, yearFirst, yearLast;
    DateColumnDecision decision;
    bool orderMatters = false;
    for (const ColumnText& date : dates) {
        const auto numbers = dateNumbers(date.text);
        if (!numbers) throw lineError(fileName, date.line, QStringLiteral("the date %1 cannot be read").arg(quoted(date)));
        const auto& [first, second, third] = *numbers;
        if (first.size() == 4) {
            if (!yearFirst) yearFirst = date;
            continue;
        }
        if (!yearLast) yearLast = date;
        const int firstValue = valueOf(first), secondValue = valueOf(second);
        if (firstValue > 12 && secondValue > 12)
            throw lineError(fileName, date.line, QStringLiteral("the date %1 cannot be read").arg(quoted(date)));
        if (firstValue > 12 && !dayFirst) dayFirst = date;
        if (secondValue > 12 && !monthFirst) monthFirst = date;
        if (firstValue != secondValue && !orderMatters) {
            orderMatters = true;
            decision.example = date;
        }
    }
    if (yearFirst && yearLast)
        throw linesError(fileName, *yearFirst, *yearLast,
                         QStringLiteral("the dates disagree: %1 writes the year first, %2 last")
                             .arg(quoted(*yearFirst), quoted(*yearLast)));
    if (dayFirst && monthFirst)
        throw linesError(fileName, *dayFirst, *monthFirst,
                         QStringLiteral("the dates disagree: %1 writes the day first, %2 the month first")
                             .arg(quoted(*dayFirst), quoted(*monthFirst)));
    if (yearFirst) decision.order = DateOrder::YearMonthDay;
    else if (dayFirst) decision.order = DateOrder::DayMonthYear;
    else if (monthFirst) decision.order = DateOrder::MonthDayYear;
    else if (!orderMatters) decision.order = DateOrder::DayMonthYear;
    return decision;
}

AmountColumnDecision decideDecimalMark(const std::vector<ColumnText>& amounts, const QString& fileName) {
    std::optional<ColumnText> point, comma;  // the first amount proving each mark
    AmountColumnDecision decision;
    for (const ColumnText& amount : amounts) {
        QString number;  // the digits and marks alone: "$(1,234.56)" is "1,234.56"
        for (QChar c : amount.text)
            if (isDigit(c) || c == u'.' || c == u',') number += c;
        const qsizetype lastMark = std::max(number.lastIndexOf(u'.'), number.lastIndexOf(u','));
        if (lastMark < 0) continue;
        if (!decision.marksWritten) decision.example = amount;
        decision.marksWritten = true;
        const QChar mark = number[lastMark];
        const QChar other = mark == u'.' ? u',' : u'.';
        std::optional<QChar> proven;
        if (number.contains(other)) proven = mark;                      // "1,234.56": the last one
        else if (number.count(mark) > 1) proven = other;                // "1.234.567": groups
        else if (number.size() - lastMark - 1 != 3) proven = mark;      // "3.50", "3,5", "12."
        else if (lastMark == 0 || number.startsWith(QLatin1Char('0'))) proven = mark;  // "0.125": no group
        if (!proven) continue;
        std::optional<ColumnText>& proof = *proven == u'.' ? point : comma;
        if (!proof) proof = amount;
    }
    if (point && comma)
        throw linesError(fileName, *point, *comma,
                         QStringLiteral("the amounts disagree: %1 has a decimal point, %2 a decimal comma")
                             .arg(quoted(*point), quoted(*comma)));
    if (point) decision.decimalMark = u'.';
    else if (comma) decision.decimalMark = u',';
    else if (!decision.marksWritten) decision.decimalMark = u'.';
    return decision;
}

QString dateOrderText(DateOrder order) {
    switch (order) {
    case DateOrder::DayMonthYear: return QStringLiteral("day first (31/12/2026)");
    case DateOrder::MonthDayYear: return QStringLiteral("month first (12/31/2026)");
    case DateOrder::YearMonthDay: return QStringLiteral("year first (2026-12-31)");
    }
    return QString();
}

}  // namespace brevanta::statements
