#pragma once
// Sorting the rows of a range by up to three key columns, the way a
// spreadsheet does: numbers before texts before truth values before errors,
// empty keys last in either order, rows equal by the first key ordered by
// the next, rows equal by every key keeping their order. Each cell moves
// with its value, formula and own format; cells outside the range stay.

#include <functional>
#include <vector>

#include "engine/model/sheet.h"
#include "engine/model/value.h"

namespace brevanta::engine {

struct SortKey {
    int column = 0;  // 0-based, of the sheet, inside the range
    bool descending = false;
};

inline constexpr size_t kMostSortKeys = 3;

struct SortRequest {
    model::CellRange range;
    std::vector<SortKey> keys;     // one to kMostSortKeys: the first decides; the next orders its ties
    bool firstRowIsHeader = false; // the first row stays where it is
    bool matchCase = false;
};

// `valueOf` gives a key cell's value as displayed (a formula's result).
void sortRows(model::Sheet& sheet, const SortRequest& request,
              const std::function<model::Value(int row, int col)>& valueOf);

// The order of two keys: negative, zero or positive.
int compareSortKeys(const model::Value& a, const model::Value& b, bool matchCase);

}  // namespace brevanta::engine
