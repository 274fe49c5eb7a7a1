#include "statements/statement_rows.h"

#include "ledger/dates.h"
#include "statements/statement_values.h"

namespace brevanta::statements {

reg::Transaction transactionFromEntry(const StatementEntry& entry, const QLocale& locale) {
    reg::Transaction row;
    row[reg::Date] = ledger::storedDateText(entry.date);
    row[reg::Number] = entry.checkNumber;
    row[reg::Description] = entry.payee.isEmpty() ? entry.memo : entry.payee;
    row[reg::Category] = entry.category;
    row[reg::Cleared] = entry.cleared ? QString::fromUtf16(kClearedMark) : QString();
    if (entry.amount < 0) row[reg::Debit] = amountText(-entry.amount, locale);
    else if (entry.amount > 0) row[reg::Credit] = amountText(entry.amount, locale);
    return row;
}

}  // namespace brevanta::statements
