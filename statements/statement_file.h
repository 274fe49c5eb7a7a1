#pragma once
// A statement file of any kind the program reads, recognised by its content
// (not its name): OFX or QFX, QIF, or CSV with a header this program knows.

#include <QLocale>
#include <QString>

#include "statements/statement.h"

namespace brevanta::statements {

enum class StatementKind { Ofx, Qif, Csv };

// What the text looks like; throws StatementError for an empty file or a
// file of another kind.
StatementKind recogniseStatement(const QString& text, const QString& fileName);

// Reads the whole file, or throws StatementError naming it and the reason.
Statement readStatementFile(const QString& path, const QLocale& locale = QLocale());

}  // namespace brevanta::statements
