#pragma once
// The register's totals at a glance, worked out as the workbook works them
// out: the rows in time order (by date and time of day, then by number,
// rows alike in both staying in list order; rows whose date cannot be read
// after all the others, in list order), the balance running down them as
// credits minus debits. Amounts are read by the one amount reader
// (ledger/amounts.h); one that cannot be read counts as nothing, as the
// workbook's sums pass over text.

#include <QLocale>
#include <QString>
#include <vector>

#include "ledger/amounts.h"

namespace brevanta::ledger {

// The fields of one transaction the totals read, as the list holds them.
struct TotalsRow {
    QString date;
    QString number;
    QString cleared;
    QString debit;
    QString credit;
};

// Positions in `rows` (0-based) in the order the workbook lists them.
std::vector<int> timeOrder(const std::vector<TotalsRow>& rows, const QLocale& locale = QLocale());

// Whether a Cleared field marks the row cleared: any text but blanks, "No" or "N".
bool isMarkedCleared(const QString& cleared);

struct RegisterTotals {
    Cents balance = 0;           // the last row's running balance
    Cents cleared = 0;           // the same over the rows marked cleared
    int transactions = 0;
    int unreadableAmounts = 0;   // Debit or Credit texts counted as nothing
    friend bool operator==(const RegisterTotals&, const RegisterTotals&) = default;
};

RegisterTotals registerTotals(const std::vector<TotalsRow>& rows, const QLocale& locale = QLocale());

// "Balance 1,234.56 · Cleared 1,000.00 · 42 transactions", in the locale's numbers.
QString totalsText(const RegisterTotals& totals, const QLocale& locale = QLocale());

}  // namespace brevanta::ledger
