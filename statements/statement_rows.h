#pragma once
// How a statement entry becomes a row of the register:
//   Date        the stored form of the date, ISO "2025-01-15" (ledger/dates.h)
//   Number      the check number, else empty
//   Description the payee, or the memo when there is no payee
//   Category    the file's category (QIF L, a CSV Category column), else empty
//   Cleared     "Yes" when the bank or the file says it cleared, else empty
//   Debit       a negative amount, written positive ("125.00")
//   Credit      a positive amount

#include <QLocale>

#include "ledger/transaction_source.h"
#include "statements/statement.h"

namespace brevanta::statements {

// The program's own word for a cleared row.
inline constexpr char16_t kClearedMark[] = u"Yes";

reg::Transaction transactionFromEntry(const StatementEntry& entry, const QLocale& locale = QLocale());

}  // namespace brevanta::statements
