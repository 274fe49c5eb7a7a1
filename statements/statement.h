#pragma once
// What every statement reader gives: the bank's transactions as one common
// list of entries, and the bank's ledger balance when the file carries one.
// A reader either reads the whole file or throws StatementError; it never
// gives part of a file.

#include <QDate>
#include <QString>
#include <optional>
#include <vector>

#include "frame/failure.h"

namespace brevanta::statements {

// Money is counted in cents, so sums and comparisons are exact.
using Cents = qint64;

struct StatementEntry {
    QDate date;
    Cents amount = 0;  // negative: money out of the account
    QString checkNumber;
    QString payee;
    QString memo;
    QString category;
    bool cleared = false;  // the bank or the file says it cleared
    int line = 0;          // where the entry starts in its file, 1-based
};

struct Statement {
    std::vector<StatementEntry> entries;
    std::optional<Cents> ledgerBalance;  // the bank's balance...
    QDate ledgerBalanceDate;             // ...as of this date
};

// A damaged or unknown file. The description names the file, the line or
// transaction, and the reason: "march.qif: line 12: the amount "1O.00" is no number".
class StatementError : public frame::Failure {
public:
    using frame::Failure::Failure;
};

// The user cancelled the reading: "march.ofx: the import was cancelled".
class ReadCancelled : public StatementError {
public:
    using StatementError::StatementError;
};

}  // namespace brevanta::statements
