#pragma once
// R1C1 formula text <-> the formula tree.

#include <QString>

#include "engine/model/formula.h"

namespace brevanta::engine {

// Parses "=..." in R1C1 notation (RC[-2], R6C[-1]:RC[-1], R1C1, R[1]C, ...).
// Throws host::HostError with a readable description for a formula that
// cannot be parsed, names an unknown function, or refers outside the
// workbook (external or DDE links are refused).
model::FormulaPtr parseFormulaR1C1(const QString& text);

// The formula in R1C1 notation, with its leading "=".
QString formulaToR1C1(const model::FormulaNode& root);

}  // namespace brevanta::engine
