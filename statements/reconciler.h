#pragma once
// Reconciling the register with a bank statement.
//
// Each entry of the statement is matched against the rows already in the
// list. A row matches an entry when it has the same amount in the same
// direction (debit or credit) and
//   - when both carry a check number, the same number, whatever the dates;
//   - otherwise a date from 4 days before to 2 days after the entry's date
//     (a check is written before it clears).
// Among several rows the nearest date wins, then the earliest row. Each row
// matches at most one entry and each entry at most one row, so N identical
// entries meet N rows and the rest are added: nothing is dropped because it
// looks like something else. Entries with check numbers are matched first,
// so a dated match never takes the row that carries an entry's number.
//
// A matched row is marked cleared and nothing else of it changes; an
// unmatched entry is added as a new row. A new row whose entry carries no
// category takes the category of the most recent row with the same payee
// (ledger/category_memory.h): the list's rows, then the rows the statement
// added before it. When the statement carries the
// bank's ledger balance, the register's cleared balance up to its date (the
// credits minus the debits of the rows marked cleared, dated on or before
// it) is set beside it; cleared rows whose date or amount cannot be read
// stay out of that sum and are counted.
//
// When the two balances differ, the comparison says what the difference
// most likely is: the statement's opening balance, which a register started
// with this statement lacks; or rows marked cleared in the register that the
// statement does not show, which cleared after its date. A missing opening
// balance can be added as a row that makes the balances agree.

#include <QLocale>
#include <QString>
#include <optional>
#include <vector>

#include "ledger/transaction_source.h"
#include "statements/statement.h"

namespace brevanta::statements {

struct BalanceComparison {
    QDate date;
    Cents bank = 0;
    Cents register_ = 0;      // the register's cleared balance up to `date`
    int unreadableRows = 0;   // cleared rows left out: their date or amount cannot be read
    // What may explain a difference:
    QDate firstEntryDate;              // the statement's earliest transaction; invalid when it has none
    QDate firstMatchedDate;            // the earlier of firstEntryDate and the earliest row an entry matched
    Cents statementOpening = 0;        // the bank's balance less the statement's transactions up to `date`
    bool rowsBeforeStatement = false;  // the register had a row no entry matched dated before firstEntryDate
    int clearedOffStatementRows = 0;   // rows the register had marked cleared, dated from firstEntryDate
    Cents clearedOffStatement = 0;     // to `date`, that no entry of the statement matched, and their sum
    bool agrees() const { return bank == register_; }
    Cents difference() const { return bank - register_; }
};

enum class DifferenceCause {
    None,                   // the balances agree, or nothing explains the difference
    OpeningBalanceMissing,  // the difference is the statement's opening balance
    NoRowBeforeStatement,   // the register starts with the statement: its opening balance is likely missing
    ClearedAfterStatement,  // the difference is the rows cleared in the register that the statement does not show
};
DifferenceCause differenceCause(const BalanceComparison& balance);

// The row that makes the balances agree when the register's opening balance
// is missing: "Opening balance", cleared, dated the day before the
// statement's first transaction (or before the earliest row it matched, a
// check written before it cleared), the difference as a Credit (a Debit
// when negative). None when the difference has another cause.
std::optional<reg::Transaction> openingBalanceRow(const BalanceComparison& balance, const QLocale& locale = QLocale());

struct Reconciliation {
    std::vector<int> matchedRow;               // per entry: the 0-based row it matched, -1 for none
    std::vector<int> rowsToMarkCleared;        // 0-based, ascending
    std::vector<reg::Transaction> rowsToAdd;   // in statement order
    int alreadyCleared = 0;                    // matched rows that were marked cleared before
    std::optional<BalanceComparison> balance;  // the list as it is once the reconciliation is applied
};

// Whether a row's Cleared field says cleared ("Yes").
bool isClearedRow(const reg::Transaction& row);

Reconciliation reconcile(const std::vector<reg::Transaction>& rows, const Statement& statement,
                         const QLocale& locale = QLocale());

// Marks the matched rows cleared and appends the new rows.
void applyReconciliation(std::vector<reg::Transaction>& rows, const Reconciliation& reconciliation);

// The message after an import: rows added, matched rows marked cleared,
// matched rows cleared already, and the balance against the bank's with
// what most likely explains a difference.
QString reconciliationSummary(const QString& fileName, const Reconciliation& reconciliation,
                              const QLocale& locale = QLocale());

}  // namespace brevanta::statements
