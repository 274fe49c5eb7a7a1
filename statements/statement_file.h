#pragma once
// A statement file of any kind the program reads, recognised by its content
// (not its name): OFX or QFX, QIF, or CSV with a header this program knows.

#include <QLocale>
#include <QString>
#include <atomic>

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
// (ReadCancelled when `cancel` becomes true while an OFX file is read).
Statement readStatementFile(const QString& path, const QLocale& locale = QLocale(),
                            const std::atomic<bool>* cancel = nullptr);

}  // namespace brevanta::statements
