#include "engine/embedded/sort.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cstdint>
#include <span>
#include <vector>

namespace brevanta::engine {

namespace {

constexpr int kEmptyRank = 4;

int typeRank(const model::Value& value) {
    switch (value.index()) {
        case 1: return 0;  // number
        case 2: return 1;  // text
        case 3: return 2;  // truth value
        case 4: return 3;  // error
        default: return kEmptyRank;
    }
}

// Texts compare without regard to case; with MatchCase, among texts equal
// but for case the lower-case one comes first.
int compareTexts(const QString& a, const QString& b, bool matchCase) {
    const int folded = QString::compare(a, b, Qt::CaseInsensitive);
    if (folded != 0 || !matchCase) return folded;
    for (qsizetype i = 0; i < a.size() && i < b.size(); ++i)
        if (a[i] != b[i]) return a[i].isLower() ? -1 : 1;
    return 0;
}

// A key as the comparison needs it, taken from its value once: the rank of
// its type, and its number (a truth value as 0 or 1) or its text.
struct RankedKey {
    union {
        double number = 0;
        const QString* text;  // rank 1: the value's own text, kept while the sort runs
    };
    int rank = kEmptyRank;
};

// compareSortKeys for keys that are not empty.
int compareRanked(const RankedKey& a, const RankedKey& b, bool matchCase) {
    if (a.rank != b.rank) return a.rank < b.rank ? -1 : 1;
    if (a.rank == 1) return compareTexts(*a.text, *b.text, matchCase);
    return a.number < b.number ? -1 : (a.number > b.number ? 1 : 0);  // errors are all alike, as 0 and 0
}

// A row to sort: its keys, side by side, and where it stands (0-based in
// the range). Only as many keys as the sort has: a smaller item moves faster.
template <size_t KeyCount>
struct SortItem {
    std::array<RankedKey, KeyCount> keys;
    int row = 0;
};

// The rows' places (0-based in the range) in sorted order, stable.
template <size_t KeyCount>
std::vector<int> sortedOrder(const std::vector<RankedKey>& keys, const std::array<bool, kMostSortKeys>& descending,
                             bool matchCase) {
    const size_t count = keys.size() / KeyCount;
    std::vector<SortItem<KeyCount>> items(count);
    for (size_t i = 0; i < count; ++i) {
        items[i].row = int(i);
        std::copy_n(keys.begin() + std::ptrdiff_t(i * KeyCount), KeyCount, items[i].keys.begin());
    }
    std::stable_sort(items.begin(), items.end(), [&](const SortItem<KeyCount>& a, const SortItem<KeyCount>& b) {
        for (size_t k = 0; k < KeyCount; ++k) {
            const RankedKey& x = a.keys[k];
            const RankedKey& y = b.keys[k];
            if (x.rank == 0 && y.rank == 0) {  // two numbers, the commonest keys: told apart straight
                if (x.number < y.number) return !descending[k];
                if (y.number < x.number) return descending[k];
                continue;
            }
            const bool emptyX = x.rank == kEmptyRank, emptyY = y.rank == kEmptyRank;
            if (emptyX && emptyY) continue;
            if (emptyX || emptyY) return emptyY;
            const int order = compareRanked(x, y, matchCase);
            if (order != 0) return descending[k] ? order > 0 : order < 0;
        }
        return false;
    });
    std::vector<int> order(count);
    for (size_t i = 0; i < count; ++i) order[i] = items[i].row;
    return order;
}

// Two cells trade what they hold, their value, formula and own format.
// Values of one kind, as a sorted column's mostly are, trade without a visit.
void swapContents(model::Cell& a, model::Cell& b) {
    if (a.value.index() != b.value.index()) std::swap(a.value, b.value);
    else if (auto* number = std::get_if<double>(&a.value)) std::swap(*number, std::get<double>(b.value));
    else if (auto* text = std::get_if<QString>(&a.value)) text->swap(std::get<QString>(b.value));
    else std::swap(a.value, b.value);
    std::swap(a.formula, b.formula);
    std::swap(a.style, b.style);
}

// Keys that are all numbers or empty, the commonest, sort as whole numbers
// in the same order: a number's bits turned so that they count up as the
// numbers do, an empty key above them all, whichever way the sort runs.
constexpr uint64_t kSignBit = uint64_t(1) << 63;
constexpr uint64_t kEmptyCode = ~uint64_t(0);  // no number's code comes near it

uint64_t orderedCode(const RankedKey& key, bool descending) {
    if (key.rank == kEmptyRank) return kEmptyCode;
    const double number = key.number == 0 ? 0.0 : key.number;  // -0 and 0 are equal keys
    const uint64_t bits = std::bit_cast<uint64_t>(number);
    const uint64_t code = bits & kSignBit ? ~bits : bits | kSignBit;
    return descending ? ~code : code;
}

bool allNumbersOrEmpty(const std::vector<RankedKey>& keys) {
    return std::all_of(keys.begin(), keys.end(), [](const RankedKey& key) { return key.rank == 0 || key.rank == kEmptyRank; });
}

// sortedOrder for keys that are all numbers or empty. Rows equal by every
// key are ordered by their place, as the stable sort leaves them.
template <size_t KeyCount>
std::vector<int> sortedNumberOrder(const std::vector<RankedKey>& keys, const std::array<bool, kMostSortKeys>& descending) {
    struct Item {
        std::array<uint64_t, KeyCount> codes;
        int row;
    };
    const size_t count = keys.size() / KeyCount;
    std::vector<Item> items(count);
    for (size_t i = 0; i < count; ++i) {
        items[i].row = int(i);
        for (size_t k = 0; k < KeyCount; ++k) items[i].codes[k] = orderedCode(keys[i * KeyCount + k], descending[k]);
    }
    std::sort(items.begin(), items.end(), [](const Item& a, const Item& b) {
        for (size_t k = 0; k < KeyCount; ++k)
            if (a.codes[k] != b.codes[k]) return a.codes[k] < b.codes[k];
        return a.row < b.row;
    });
    std::vector<int> order(count);
    for (size_t i = 0; i < count; ++i) order[i] = items[i].row;
    return order;
}

using CellEntry = std::pair<uint16_t, model::Cell>;
using RowCellArray = std::vector<CellEntry>;

// A row's cells in the range's columns: a run of its cell array.
template <class Cells>
auto runInRange(Cells&& cells, const model::CellRange& range) {
    const auto byColumn = [](const CellEntry& entry, int col) { return entry.first < col; };
    const auto begin = std::lower_bound(cells.begin(), cells.end(), range.firstCol, byColumn);
    const auto end = std::lower_bound(begin, cells.end(), range.lastCol + 1, byColumn);
    return std::pair(begin, end);
}

// Two rows trade the runs [xBegin, xEnd) of x and [yBegin, yEnd) of y, each
// run taking the other's place. Runs over the same columns trade contents
// cell for cell where they stand.
void tradeRuns(RowCellArray& x, RowCellArray::iterator xBegin, RowCellArray::iterator xEnd, RowCellArray& y,
               RowCellArray::iterator yBegin, RowCellArray::iterator yEnd) {
    if (std::equal(xBegin, xEnd, yBegin, yEnd, [](const CellEntry& a, const CellEntry& b) { return a.first == b.first; })) {
        for (auto a = xBegin, b = yBegin; a != xEnd; ++a, ++b) swapContents(a->second, b->second);
        return;
    }
    RowCellArray xRun(std::make_move_iterator(xBegin), std::make_move_iterator(xEnd));
    x.insert(x.erase(xBegin, xEnd), std::make_move_iterator(yBegin), std::make_move_iterator(yEnd));
    y.insert(y.erase(yBegin, yEnd), std::make_move_iterator(xRun.begin()), std::make_move_iterator(xRun.end()));
}

void tradeInside(RowCellArray& x, RowCellArray& y, const model::CellRange& range) {
    const auto [xBegin, xEnd] = runInRange(x, range);
    const auto [yBegin, yEnd] = runInRange(y, range);
    tradeRuns(x, xBegin, xEnd, y, yBegin, yEnd);
}

// How many of a row's cells lie left of the range and right of it: known
// from the keys' reading on, the cells beside the range are found without
// reading the ones in it.
struct Beside {
    uint16_t left = 0;
    uint16_t right = 0;
};

// x and y trade their cells beside the range, and with them what `Beside` says of them.
void tradeBeside(RowCellArray& x, Beside& xBeside, RowCellArray& y, Beside& yBeside) {
    tradeRuns(x, x.end() - xBeside.right, x.end(), y, y.end() - yBeside.right, y.end());
    tradeRuns(x, x.begin(), x.begin() + xBeside.left, y, y.begin(), y.begin() + yBeside.left);
    std::swap(xBeside, yBeside);
}

// Row i takes what row takesFrom[i] holds, `trade(x, y)` swapping what rows
// x and y hold. Along each cycle of the order what the first row held
// travels on to the row that takes it: a long register's cells are never
// all out of their rows at once.
template <class Trade>
void permute(const std::vector<int>& takesFrom, Trade&& trade) {
    const int count = int(takesFrom.size());
    std::vector<bool> placed(size_t(count), false);
    for (int start = 0; start < count; ++start) {
        if (placed[size_t(start)] || takesFrom[size_t(start)] == start) continue;
        int row = start;  // holds what the cycle started with
        while (true) {
            placed[size_t(row)] = true;
            const int source = takesFrom[size_t(row)];
            if (source == start) break;  // it has reached the row that takes it
            trade(row, source);
            row = source;
        }
    }
}

}  // namespace

int compareSortKeys(const model::Value& a, const model::Value& b, bool matchCase) {
    const int rankA = typeRank(a), rankB = typeRank(b);
    if (rankA != rankB) return rankA < rankB ? -1 : 1;
    if (const double* x = std::get_if<double>(&a)) {
        const double y = std::get<double>(b);
        return *x < y ? -1 : (*x > y ? 1 : 0);
    }
    if (const QString* x = std::get_if<QString>(&a)) return compareTexts(*x, std::get<QString>(b), matchCase);
    if (const bool* x = std::get_if<bool>(&a)) return int(*x) - int(std::get<bool>(b));
    return 0;  // errors are all alike; empties too
}

void sortRows(model::Sheet& sheet, const SortRequest& request,
              const std::function<model::Value(int row, int col)>& valueOf) {
    const auto& range = request.range;
    const int first = range.firstRow + (request.firstRowIsHeader ? 1 : 0);
    // Rows past the last stored row are empty and sort last: they never move.
    const int last = std::min(range.lastRow, sheet.rowExtent() - 1);
    if (first > last) return;
    const int count = last - first + 1;

    const size_t keyCount = std::clamp<size_t>(request.keys.size(), 1, kMostSortKeys);
    // Every key is read before any cell moves: a key may be a formula over other rows.
    // A constant's key is read from its cell where it stands, a text pointed
    // at there; a formula's result is asked for, and its text kept here.
    std::vector<RankedKey> keys(size_t(count) * keyCount);  // row by row, keyCount each
    std::vector<QString> results;
    std::vector<size_t> resultKeys;  // the key of each text in `results`, in its order
    const auto takeKey = [](RankedKey& key, const model::Value& value) {
        key.rank = typeRank(value);
        if (const double* number = std::get_if<double>(&value)) key.number = *number;
        else if (const bool* truth = std::get_if<bool>(&value)) key.number = *truth ? 1 : 0;
    };
    size_t insideCount = 0, outsideCount = 0;  // the rows' cells in the range and beside it
    std::vector<Beside> beside(static_cast<size_t>(count));
    for (int i = 0; i < count; ++i) {
        const std::span<const CellEntry> cells = sheet.cellsInRow(first + i);
        const auto [insideBegin, insideEnd] = runInRange(cells, range);
        beside[size_t(i)] = {uint16_t(insideBegin - cells.begin()), uint16_t(cells.end() - insideEnd)};
        const size_t inside = size_t(insideEnd - insideBegin);
        insideCount += inside;
        outsideCount += cells.size() - inside;
        for (size_t k = 0; k < keyCount && k < request.keys.size(); ++k) {
            const int column = request.keys[k].column;
            RankedKey& key = keys[size_t(i) * keyCount + k];
            const auto cell = std::lower_bound(cells.begin(), cells.end(), column,
                                               [](const CellEntry& entry, int col) { return entry.first < col; });
            if (cell == cells.end() || cell->first != column) continue;  // empty
            if (!cell->second.formula) {
                takeKey(key, cell->second.value);
                if (const QString* text = std::get_if<QString>(&cell->second.value)) key.text = text;
                continue;
            }
            const model::Value value = valueOf(first + i, column);
            takeKey(key, value);
            if (const QString* text = std::get_if<QString>(&value)) {
                results.push_back(*text);
                resultKeys.push_back(size_t(i) * keyCount + k);
            }
        }
    }
    for (size_t t = 0; t < results.size(); ++t) keys[resultKeys[t]].text = &results[t];
    std::array<bool, kMostSortKeys> descending{};
    for (size_t k = 0; k < keyCount && k < request.keys.size(); ++k) descending[k] = request.keys[k].descending;
    const bool numbers = allNumbersOrEmpty(keys);
    const std::vector<int> order = keyCount == 1 ? (numbers ? sortedNumberOrder<1>(keys, descending)
                                                            : sortedOrder<1>(keys, descending, request.matchCase))
                                   : keyCount == 2 ? (numbers ? sortedNumberOrder<2>(keys, descending)
                                                              : sortedOrder<2>(keys, descending, request.matchCase))
                                                   : (numbers ? sortedNumberOrder<3>(keys, descending)
                                                              : sortedOrder<3>(keys, descending, request.matchCase));
    keys = {};
    // Row i takes the cells in the range of row order[i]; the cells outside
    // the range stay in their rows. Whichever are fewer move: where most
    // cells lie in the range, as in a register sorted on its fields, the rows'
    // cell arrays first trade places whole, only their handles moving, and
    // the cells outside the range then go back to the rows they came from.
    if (outsideCount < insideCount) {
        permute(order, [&](int x, int y) {
            sheet.rowCells(first + x).swap(sheet.rowCells(first + y));
            std::swap(beside[size_t(x)], beside[size_t(y)]);
        });
        std::vector<int> back(order.size());  // row order[i]'s cells beside the range are now in row i
        for (size_t i = 0; i < order.size(); ++i) back[size_t(order[i])] = int(i);
        permute(back, [&](int x, int y) {
            tradeBeside(sheet.rowCells(first + x), beside[size_t(x)], sheet.rowCells(first + y), beside[size_t(y)]);
        });
    } else {
        permute(order, [&](int x, int y) { tradeInside(sheet.rowCells(first + x), sheet.rowCells(first + y), range); });
    }
}

}  // namespace brevanta::engine
