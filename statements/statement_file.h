#pragma once
// A statement file of any kind the program reads, recognised by its content
// (not its name): OFX or QFX, QIF, or CSV with a header this program knows.

#include <QString>
#include <atomic>
#include <functional>
#include <optional>

#include "statements/bank_csv_reader.h"
#include "statements/contained_process.h"
#include "statements/statement.h"

namespace brevanta::statements {

enum class StatementKind { Ofx, Qif, Csv };

// What the text looks like; throws StatementError for an empty file or a
// file of another kind.
StatementKind recogniseStatement(const QString& text, const QString& fileName);

// Statements larger than this, or with more transactions than a register
// holds, are refused before they are parsed.
inline constexpr qint64 kLargestStatementBytes = qint64(50) << 20;  // "50 MB"
inline constexpr int kMostStatementTransactions = 65531;

// Reads the whole file, or throws StatementError naming it and the reason
// (also for a bank CSV file whose columns leave their form open), or
// ReadCancelled when `cancel` becomes true while an OFX file is read.
Statement readStatementFile(const QString& path, const std::atomic<bool>* cancel = nullptr);

// The user's word on how a bank CSV file writes its dates and amounts, and
// the question for what neither the file nor the word decides.
struct StatementReadOptions {
    std::optional<DateOrder> dateOrder;
    std::optional<QChar> decimalMark;
    // Answers the form to read `file` in, starting from `proposal`, or
    // nothing to import nothing; may throw StatementError. Without it an
    // open form is refused.
    std::function<std::optional<BankCsvForm>(const BankCsvFile& file, const BankCsvForm& proposal)> askForm;
    // What the OFX reader runs under.
    ProcessLimits ofxLimits;
};

struct StatementReading {
    Statement statement;
    QString formNote;  // a bank CSV file: how its dates and amounts were read
};

// Reads the whole file as readStatementFile does; nothing when askForm cancelled.
std::optional<StatementReading> readStatement(const QString& path, const StatementReadOptions& options,
                                              const std::atomic<bool>* cancel = nullptr);

}  // namespace brevanta::statements
