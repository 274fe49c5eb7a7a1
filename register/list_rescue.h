#pragma once
// When the list cannot be stored as the program closes, it is not lost: it
// is written as CSV (the headless tool's --csv format, so it can be read
// back or opened in a spreadsheet) to a rescue file in the user's documents
// folder, or the temporary folder when that fails.

#include <QDateTime>
#include <QStringList>

#include "register/transaction_source.h"

namespace brevanta::reg {

// The header line Date,Number,Description,Category,Cleared,Debit,Credit and
// one record per row, fields quoted as RFC 4180 asks (a field holding a
// comma, a quote or a line break), lines ended by CR LF, UTF-8.
QByteArray transactionsCsv(const TransactionSource& rows);

// The documents folder, then the temporary folder.
QStringList defaultRescueFolders();

// Writes `csv` as "Brevanta list YYYYMMDD-HHMMSS.csv" (a number added when
// that name is taken) in the first folder that takes it; answers its path.
// Throws the last folder's Failure when none does.
QString writeRescueFile(const QByteArray& csv, const QStringList& folders,
                        const QDateTime& now = QDateTime::currentDateTime());

}  // namespace brevanta::reg
