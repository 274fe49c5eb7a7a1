#pragma once
// Formula text <-> the formula tree: R1C1 both ways, A1 for writing out.

#include <QString>

#include "engine/model/formula.h"

namespace brevanta::engine {

// Parses "=..." in R1C1 notation (RC[-2], R6C[-1]:RC[-1], R1C1, R[1]C,
// 'Check Register'!R6C5:R9C5, ...). Throws host::HostError with a readable
// description for a formula that cannot be parsed, names an unknown
// function, or refers outside the workbook (external or DDE links are
// refused). Whether a named sheet exists is only seen when it is computed.
model::FormulaPtr parseFormulaR1C1(const QString& text);

// The formula in R1C1 notation, with its leading "=".
QString formulaToR1C1(const model::FormulaNode& root);

// The formula in A1 notation as the cell at (row, col), 0-based, holds it,
// with its leading "=": RC[-2] in I6 is G6, R6C9 is $I$6, a reference to
// another sheet 'Check Register'!$E$6. A reference that falls outside the
// sheet is printed as #REF!, as a spreadsheet shows it.
QString formulaToA1(const model::FormulaNode& root, int row, int col);

// A sheet's name as a formula writes it before "!": quoted (quotes doubled)
// unless it is letters, digits and underscores not starting with a digit.
QString sheetPrefix(const QString& sheet);

}  // namespace brevanta::engine
