#pragma once
// Computes one formula tree for one cell, given the values of the cells it
// refers to. The caller makes sure referenced formula cells are computed
// first (see referencesOf), so evaluation never recurses into cells.

#include <QLocale>
#include <cstdint>
#include <limits>
#include <optional>
#include <span>
#include <vector>

#include "engine/formula/criteria.h"
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
    // A cell of the range: numbers count, the first error is kept, the rest is skipped.
    void addCell(const model::Value& value) {
        if (const auto* number = std::get_if<double>(&value)) addNumber(*number);
        else if (const auto* error = std::get_if<model::ErrorCode>(&value); error && !firstError) firstError = *error;
    }
};

// What COUNTIF and SUMIF need from a range: how many cells meet the
// criterion, the sum of the numbers beside them in the sum range, and the
// first error among those.
struct ConditionalTotals {
    double count = 0;
    double sum = 0;
    std::optional<model::ErrorCode> firstError;
};

class CellSource {
public:
    virtual ~CellSource() = default;
    // A cell's value (0-based, inside the sheet): empty, a constant, or the formula's computed value.
    virtual model::Value cellValue(int row, int col) = 0;
    // The same value read where the source keeps it, when it can (valid
    // while no cell of the source changes), else copied into `room`.
    virtual const model::Value& cellValueIn(int row, int col, model::Value& room) { return room = cellValue(row, col); }
    // The numbers and first error (row by row, left to right) of a range inside the sheet.
    virtual RangeSummary summarize(const model::CellRange& range) = 0;
    // COUNTIF/SUMIF over `range`, with `sumRange` (of the same shape, on
    // this sheet) beside it: cell by cell unless a source knows better.
    virtual ConditionalTotals conditionalTotals(const model::CellRange& range, const model::CellRange& sumRange,
                                                const Criterion& criterion);
    // The cells of the workbook's sheet of that name (any case); null when
    // there is none, or this source stands alone.
    virtual CellSource* sheetNamed(const QString& name) { (void)name; return nullptr; }
};

// COUNTIF/SUMIF cell by cell: `range` read from `cells`, `sumRange` from `sums`.
ConditionalTotals scanConditionalTotals(CellSource& cells, const model::CellRange& range, CellSource& sums,
                                        const model::CellRange& sumRange, const Criterion& criterion);

// A cell of the formula's own sheet whose value the caller has at hand.
struct KnownCell {
    int row;
    int col;
    const model::Value* value;
};

// The formula's value in the cell at (row, col). An empty result is 0.
// References found among `known` are read from there instead of `cells`.
model::Value evaluateFormula(const model::FormulaNode& root, int row, int col, CellSource& cells,
                             const QLocale& locale, std::span<const KnownCell> known = {});

// A reference resolved against the formula's cell; nothing when it leaves the sheet.
// (Inline: every reference of every formula is placed through it.)
inline std::optional<model::CellAddress> resolveReference(const model::CellRef& reference, int row, int col) {
    const long long r = reference.row.relative ? static_cast<long long>(row) + reference.row.index : reference.row.index;
    const long long c = reference.col.relative ? static_cast<long long>(col) + reference.col.index : reference.col.index;
    if (r < 0 || r >= model::kMaxRows || c < 0 || c >= model::kMaxColumns) return std::nullopt;
    return model::CellAddress{static_cast<int>(r), static_cast<int>(c)};
}
std::optional<model::CellRange> resolveArea(const model::CellRef& first, const model::CellRef& last, int row, int col);

// A reference of a formula as written, before it is placed at a formula's
// cell. A range that SUM, AVERAGE, MIN, MAX or COUNT reads whole is
// summarized (the evaluator asks CellSource::summarize for it); other ranges
// are read cell by cell. SUMIF's sum range takes the shape of its criteria range.
struct FormulaReference {
    enum class Kind : uint8_t { Cell, Range, SummarizedRange, SumRange };
    Kind kind = Kind::Cell;
    const model::FormulaNode* node = nullptr;      // the Reference or Area node (its sheet, its corners)
    const model::FormulaNode* criteria = nullptr;  // SumRange: the criteria range's node
};

// Every reference of the formula, in reading order; the nodes belong to `root`.
std::vector<FormulaReference> referencesOf(const model::FormulaNode& root);

// The cells a reference stands for in the formula at (row, col): one cell
// for Kind::Cell; nothing when it leaves the sheet.
std::optional<model::CellRange> placeReference(const FormulaReference& reference, int row, int col);

// Whether a reference node names the formula's own sheet (or none).
bool onOwnSheet(const model::FormulaNode& node, const QString& ownSheet);

}  // namespace brevanta::engine
