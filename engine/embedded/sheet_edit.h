#pragma once
// Edits of a sheet that a range asks for, apart from formats: clearing,
// merging, row heights and column widths, and the used range.

#include <optional>

#include "engine/model/sheet.h"

namespace brevanta::engine {

// Removes values, formulas and formats inside `range`, and every merged
// area that touches it. Row heights and column widths stay, as a
// spreadsheet's Clear keeps them.
void clearRange(model::Sheet& sheet, const model::CellRange& range);

// Makes `range` one merged area keeping the top-left value; other values
// and formulas inside are cleared. Merged areas that overlap it are taken
// in (the new area grows to cover them). A single cell is left alone.
void mergeRange(model::Sheet& sheet, const model::CellRange& range);

// Sets the height of every row of `range` (for all rows: the standard height).
void setRowHeight(model::Sheet& sheet, const model::CellRange& range, double points);
// The height every row of `range` has, or nothing when they differ.
std::optional<double> commonRowHeight(const model::Sheet& sheet, const model::CellRange& range);

void setColumnWidth(model::Sheet& sheet, const model::CellRange& range, double characters);
std::optional<double> commonColumnWidth(const model::Sheet& sheet, const model::CellRange& range);
void setColumnHidden(model::Sheet& sheet, const model::CellRange& range, bool hidden);
std::optional<bool> commonColumnHidden(const model::Sheet& sheet, const model::CellRange& range);

// The smallest rectangle holding every cell with a value, formula or format
// of its own and every merged area; rows with a height or format of their
// own widen it by their row only. A sheet with none of these gives A1.
model::CellRange usedRange(const model::Sheet& sheet);

}  // namespace brevanta::engine
