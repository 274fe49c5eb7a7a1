#pragma once
// The register's own CSV: a header line Date,Number,Description,Category,
// Cleared,Debit,Credit, then one record per transaction, RFC 4180 quoting,
// UTF-8. The list is written this way by "Export List as CSV…" and read
// back by the headless --csv; the fields travel as text, unchanged, except
// that a zero amount is read as empty, as Add Transaction stores it. A
// field a spreadsheet would run as a formula is written with a leading
// apostrophe (formulaGuarded), which reading takes off again.

#include <QByteArray>
#include <QString>
#include <vector>

#include "ledger/transaction_source.h"

namespace brevanta::statements {

// "Date,Number,Description,Category,Cleared,Debit,Credit"
QString registerCsvHeader();

// Transactions from a CSV text with the header above. Throws frame::Failure
// naming the line for a wrong header or a record with the wrong field count.
std::vector<reg::Transaction> transactionsFromCsv(const QString& text);

// The list as the register's CSV, UTF-8, lines ending in CR LF.
QByteArray csvFromTransactions(const reg::TransactionSource& rows);

// "Export List as CSV…" and the headless --export-csv: the list's CSV
// written safely to `path`. Throws frame::Failure when it cannot be.
void exportListAsCsv(const reg::TransactionSource& rows, const QString& path);

}  // namespace brevanta::statements
