#pragma once
// The register's totals at a glance, as the workbook's last balance gives
// them: credits minus debits over every row. The workbook sorts its rows
// first, but a sum of whole cents is the same in any order, so the totals
// are summed in list order and a change to a long list costs one pass.
// Amounts are read by the one amount reader (ledger/amounts.h); one that
// cannot be read counts as nothing, as the workbook's sums pass over text.

#include <QLocale>
#include <QString>
#include <vector>

#include "ledger/amounts.h"

namespace brevanta::ledger {

// The fields of one transaction the totals read, as the list holds them.
struct TotalsRow {
    QString cleared;
    QString debit;
    QString credit;
};

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
