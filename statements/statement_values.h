#pragma once
// Amounts and dates as statements and the register write them.

#include <QDate>
#include <QLocale>
#include <QString>
#include <optional>

#include "statements/statement.h"

namespace brevanta::statements {

// An amount such as "-1,234.56", "+12", "(4.75)", "$5.00" or "1.234,56"
// (with `decimalPoint` ','). One sign at most: a "+" or "-" before or after
// the currency symbol, or parentheses. Digit groups must be whole groups of
// three after a first group that does not start with 0; more than two
// decimals are rounded to the cent. Nothing else is allowed.
std::optional<Cents> readAmount(QString text, QChar decimalPoint = u'.');

// The largest amount a statement entry may carry, either way: 999,999,999,999.99.
// Its cents stay exact through every double on the way to the sheet.
constexpr Cents kLargestStatementAmount = 99'999'999'999'999;
constexpr char kLargestStatementAmountText[] = "999,999,999,999.99";

// An amount of a statement file as every reader takes it.
struct StatementAmount {
    Cents cents = 0;
    QString refusal;  // empty when read: "the amount "0.001" has a part of a cent"
};

// readAmount's forms, refused when empty, with a part of a cent (digits
// beyond the cent other than zeros) or beyond kLargestStatementAmount.
StatementAmount readStatementAmount(const QString& text, QChar decimalPoint = u'.');

// An amount of the register's Debit or Credit column, read as the typed
// amounts are (ledger/amounts.h). An empty text is zero.
std::optional<Cents> readRegisterAmount(const QString& text, const QLocale& locale = QLocale());

// The text of a positive amount for the Debit or Credit column: the locale's
// decimal separator, two decimals, no digit groups ("1234.50" under en_US).
QString amountText(Cents amount, const QLocale& locale = QLocale());

// The amount in the locale's money style with digit groups ("1,234.50").
QString displayAmount(Cents amount, const QLocale& locale = QLocale());

// A QIF date: "1/15/2025", "01/16'25" (apostrophe: 2000 + year),
// "1/17/25", "1-17-2025", "2025-01-17".
std::optional<QDate> readQifDate(const QString& text);

// The order of day, month and year in a date written as three numbers.
enum class DateOrder { DayMonthYear, MonthDayYear, YearMonthDay };

// The order of the locale's short dates.
DateOrder localeDateOrder(const QLocale& locale = QLocale());

// Three numbers separated by one or two other characters, read in `order`
// ("31/12/2026", "12-31-26", "2026.12.31"); a year of two digits is 1970..2069.
// In year-first order also the eight digits "20261231".
std::optional<QDate> readDateInOrder(const QString& text, DateOrder order);

// The day of a register row's Date text, read by the register's one date
// reader (ledger/dates.h).
std::optional<QDate> readRegisterDate(const QString& text, const QLocale& locale = QLocale());

// A check number's digits without leading zeros; empty when the text is not
// all digits ("ATM", "DEP" and the like are no check numbers).
QString checkNumberKey(const QString& text);

}  // namespace brevanta::statements
