#pragma once
// Amounts and dates as statements and the register write them.

#include <QDate>
#include <QLocale>
#include <QString>
#include <optional>

#include "statements/statement.h"

namespace brevanta::statements {

// An amount such as "-1,234.56", "+12", "(4.75)", "$5.00" or "1.234,56"
// (with `decimalPoint` ','). Digit groups must be whole groups of three;
// more than two decimals are rounded to the cent. Nothing else is allowed.
std::optional<Cents> readAmount(QString text, QChar decimalPoint = u'.');

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

// A date of a bank's CSV file: ISO "2025-01-15" (also "2025/01/15",
// "20250115"), or the locale's short date with a two- or four-digit year.
std::optional<QDate> readCsvDate(const QString& text, const QLocale& locale = QLocale());

// The day of a register row's Date text, read by the register's one date
// reader (ledger/dates.h).
std::optional<QDate> readRegisterDate(const QString& text, const QLocale& locale = QLocale());

// A check number's digits without leading zeros; empty when the text is not
// all digits ("ATM", "DEP" and the like are no check numbers).
QString checkNumberKey(const QString& text);

}  // namespace brevanta::statements
