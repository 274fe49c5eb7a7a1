#pragma once
// Computes one formula tree for one cell, given the values of the cells it
// refers to. The caller makes sure referenced formula cells are computed
// first (see forEachReference), so evaluation never recurses into cells.

#include <QLocale>
#include <functional>
#include <limits>
#include <optional>

#include "engine/model/formula.h"
#include "engine/model/sheet.h"
#include "engine/model/value.h"

namespace brevanta::engine {

// What SUM, AVERAGE, MIN, MAX and COUNT need from a range: its numbers
// (text, truth values and empty cells in a range are skipped) and its first error.
struct RangeSummary {
    double sum = 0;
    double count = 0;
    double minimum = std::numeric_limits<double>::infinity();
    double maximum = -std::numeric_limits<double>::infinity();
    std::optional<model::ErrorCode> firstError;

    void addNumber(double number) {
        sum += number;
        count += 1;
        minimum = std::min(minimum, number);
        maximum = std::max(maximum, number);
    }
};

class CellSource {
public:
    virtual ~CellSource() = default;
    // A cell's value (0-based, inside the sheet): empty, a constant, or the formula's computed value.
    virtual model::Value cellValue(int row, int col) = 0;
    // The numbers and first error (row by row, left to right) of a range inside the sheet.
    virtual RangeSummary summarize(const model::CellRange& range) = 0;
};

// The formula's value in the cell at (row, col). An empty result is 0.
model::Value evaluateFormula(const model::FormulaNode& root, int row, int col, CellSource& cells,
                             const QLocale& locale);

// A reference resolved against the formula's cell; nothing when it leaves the sheet.
std::optional<model::CellAddress> resolveReference(const model::CellRef& reference, int row, int col);
std::optional<model::CellRange> resolveArea(const model::CellRef& first, const model::CellRef& last, int row, int col);

// Every cell and range the formula refers to. A range that SUM, AVERAGE,
// MIN, MAX or COUNT reads whole is reported with summarized = true (the
// evaluator asks CellSource::summarize for it); others cell by cell.
struct ReferenceVisitor {
    std::function<void(int row, int col)> cell;
    std::function<void(const model::CellRange& range, bool summarized)> range;
};
void forEachReference(const model::FormulaNode& root, int row, int col, const ReferenceVisitor& visitor);

}  // namespace brevanta::engine
