#pragma once
// Transactions from a CSV file for the headless generator: a header line
// Date,Number,Description,Category,Cleared,Debit,Credit, then one record per
// transaction. Quoting follows RFC 4180: quoted fields may hold commas,
// doubled quotes and line breaks. Amounts go through the same zero test as
// the main window's Add Transaction, so a zero amount is stored empty.

#include <QString>
#include <vector>

#include "register/transaction_source.h"

namespace brevanta::generate {

// The records of a CSV text, fields as written (quotes removed). Throws
// frame::Failure for a quoted field that never closes.
std::vector<std::vector<QString>> parseCsv(const QString& text);

// Transactions from a CSV text with the header above. Throws frame::Failure
// naming the line for a wrong header or a record with the wrong field count.
std::vector<reg::Transaction> transactionsFromCsv(const QString& text);

}  // namespace brevanta::generate
