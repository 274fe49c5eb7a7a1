#include "engine/formula/calc.h"

#include <QHash>
#include <QLocale>
#include <algorithm>
#include <array>
#include <map>
#include <unordered_map>
#include <vector>

#include "engine/formula/formula_evaluator.h"

namespace brevanta::engine {

using model::ErrorCode;
using model::Value;

namespace {

// The value a cell takes when its formula depends on itself.
constexpr ErrorCode kCircularReference = ErrorCode::Value;
const Value kCircularValue = kCircularReference;
const Value kEmptyValue;
// Ranges up to this many rows are read cell by cell; taller ones through a running summary.
constexpr int kDirectRows = 16;
// Running summaries kept at most (entries over all columns) before tall ranges are read cell by cell.
constexpr size_t kRunEntryBudget = 4'000'000;

uint64_t runKey(int col, int startRow) { return (static_cast<uint64_t>(col) << 32) | static_cast<uint32_t>(startRow); }

struct CellEntry {
    enum class Status : uint8_t { NotStarted, Computing, Done };
    Status status = Status::NotStarted;
    Value value;
};

// Where the state of a row's formula cells is kept during one epoch: the
// row's stored cells have one slot each from `base` on (in column order),
// holding the number of their entry plus one, or 0 before they have one.
struct RowSlots {
    uint64_t epoch = 0;
    uint32_t base = 0;
    uint32_t count = 0;
};

// A stored cell found by its address, and where its slot is.
struct Located {
    const model::Cell* cell = nullptr;
    int row = 0;
    int col = 0;
    uint32_t position = 0;  // in its row's stored cells
    uint32_t rowCount = 0;  // how many cells its row stores
};

// The position of a row's first stored cell at or right of `col`. A row
// stored without gaps from its first cell holds each column at its
// distance from that cell (the register's rows are such rows).
using RowCells = std::span<const std::pair<uint16_t, model::Cell>>;
size_t searchPosition(RowCells cells, int col) {
    return size_t(std::lower_bound(cells.begin(), cells.end(), col,
                                   [](const auto& stored, int c) { return stored.first < c; }) -
                  cells.begin());
}
inline size_t positionOf(RowCells cells, int col) {
    if (cells.empty()) return 0;
    const size_t guess = size_t(col - cells.front().first);
    if (guess < cells.size() && cells[guess].first == col) return guess;
    return searchPosition(cells, col);
}

// A formula's references as written, collected once for every cell that holds the formula.
struct CompiledFormula {
    model::FormulaPtr formula;  // keeps the nodes the references point into
    std::vector<FormulaReference> references;
    bool cellsOnly = false;     // every reference names one cell (no range)
};
// A formula's references without a cell reference that a later one repeats
// (RC[-2] read twice): checking a cell again finds it as before, and putting
// it on the work stack again only computes it earlier, as the later copy does.
std::vector<FormulaReference> schedulingOrder(std::vector<FormulaReference> references) {
    const auto sameCell = [](const FormulaReference& a, const FormulaReference& b) {
        return a.kind == FormulaReference::Kind::Cell && b.kind == FormulaReference::Kind::Cell &&
               a.node->first == b.node->first && a.node->sheet == b.node->sheet;
    };
    std::vector<FormulaReference> kept;
    for (size_t i = 0; i < references.size(); ++i)
        if (std::none_of(references.begin() + long(i) + 1, references.end(),
                         [&](const FormulaReference& later) { return sameCell(references[i], later); }))
            kept.push_back(references[i]);
    return kept;
}
// Formulas whose references are kept at most before they are all dropped.
constexpr size_t kMostCompiledFormulas = 4096;
// Cells computed one inside another at most before the rest goes on the work stack.
constexpr int kMostNestedCells = 32;
// Cells a formula computed at once hands its evaluation at most.
constexpr size_t kMostKnownCells = 8;

struct RunningTotals {
    double sum = 0, count = 0, minimum = 0, maximum = 0;
};

// The numbers of one column from `startRow` down, summarized row by row, so
// that every range starting at `startRow` is summed in constant time and in
// the same order as a plain loop would.
struct ColumnRun {
    uint64_t epoch = 0;
    int col = 0;
    int startRow = 0;
    int nextRow = 0;                    // the next row to take in
    std::vector<int> rows;              // rows holding numbers, ascending
    std::vector<RunningTotals> totals;  // totals through rows[i]
    int firstErrorRow = -1;
    ErrorCode firstError = ErrorCode::Value;
    bool extending = false;             // on the work stack, waiting for a cell

    void reset(uint64_t now, int column, int start) {
        epoch = now;
        col = column;
        startRow = start;
        nextRow = start;
        rows.clear();
        totals.clear();
        firstErrorRow = -1;
        extending = false;
    }
    void take(int row, const Value& value) {
        if (const auto* number = std::get_if<double>(&value)) {
            RunningTotals next = totals.empty() ? RunningTotals{0, 0, *number, *number} : totals.back();
            next.sum += *number;
            next.count += 1;
            next.minimum = std::min(next.minimum, *number);
            next.maximum = std::max(next.maximum, *number);
            rows.push_back(row);
            totals.push_back(next);
        } else if (const auto* error = std::get_if<ErrorCode>(&value); error && firstErrorRow < 0) {
            firstErrorRow = row;
            firstError = *error;
        }
    }
    RangeSummary through(int lastRow) const {
        RangeSummary summary;
        const auto end = std::upper_bound(rows.begin(), rows.end(), lastRow);
        if (end != rows.begin()) {
            const RunningTotals& t = totals[static_cast<size_t>(end - rows.begin()) - 1];
            summary.sum = t.sum;
            summary.count = t.count;
            summary.minimum = t.minimum;
            summary.maximum = t.maximum;
        }
        if (firstErrorRow >= 0 && firstErrorRow <= lastRow) summary.firstError = firstError;
        return summary;
    }
};

// Per key of a criteria range: the totals beside it in one sum range.
struct KeyTotals {
    std::vector<ConditionalTotals> byKey;  // by key number
    // Running totals in the order of `ConditionalIndex::sortedKeys`, made
    // when a beginning ("=abc*") is first asked for: entry i covers keys 0..i-1.
    std::vector<ConditionalTotals> running;
};
// A criteria range of COUNTIF/SUMIF as every equality criterion sees it:
// each cell's equality key (as a number), and per sum range the totals of
// each key, so that any number of such criteria cost one pass.
struct ConditionalIndex {
    uint64_t epoch = 0;
    bool building = false;           // its cells are being read (a formula there may ask again)
    std::vector<int> keyOfCell;      // row by row
    QHash<QString, int> keyNumbers;  // equality key -> its number
    std::vector<std::pair<QString, int>> sortedKeys;  // made with the first beginning asked for
    std::map<std::array<int, 4>, KeyTotals> totalsBySumRange;
};
using RangeCorners = std::array<int, 4>;
// Indexes kept at most before they are all dropped.
constexpr size_t kMostConditionalIndexes = 64;

RangeCorners cornersOf(const model::CellRange& range) {
    return {range.firstRow, range.firstCol, range.lastRow, range.lastCol};
}

struct Work {
    enum class Kind : uint8_t { Cell, Run } kind;
    int row;     // Cell: the cell's row; Run: the first row
    int col;
    int target;  // Run: the row the summary must reach
    bool waited = false;  // Cell: has put what it needs on the stack above it
    Located at{};         // Cell: the cell, found when it was put on the stack (no cell moves while computing)
};

}  // namespace

struct Calculator::State final : CellSource {
    State(model::Sheet& s, Calculator& calculator, std::shared_ptr<CalculatorLinks> shared)
        : sheet(s), owner(calculator), links(shared ? std::move(shared) : std::make_shared<CalculatorLinks>()),
          epoch(links->epoch) {}

    // The sheet as formulas of other sheets read it: through the calculator, computing as asked.
    struct Reader final : CellSource {
        explicit Reader(State& s) : state(s) {}
        Value cellValue(int row, int col) override { return state.owner.value(row, col); }
        RangeSummary summarize(const model::CellRange& range) override {
            RangeSummary summary;
            state.forEachStoredCell(range, [&](const Located& at) { summary.addCell(state.owner.value(at.row, at.col)); });
            return summary;
        }
        ConditionalTotals conditionalTotals(const model::CellRange& range, const model::CellRange& sumRange,
                                            const Criterion& criterion) override {
            return state.totalsOf(range, sumRange, criterion, *this);
        }
        CellSource* sheetNamed(const QString& name) override { return state.sheetNamed(name); }
        State& state;
    };

    model::Sheet& sheet;
    QLocale locale;
    Calculator& owner;
    std::shared_ptr<CalculatorLinks> links;
    uint64_t& epoch;             // shared by the workbook's calculators
    uint64_t trustedEpoch = 0;   // the stored results are the values while this is the epoch
    bool computing = false;
    Reader reader{*this};
    std::map<RangeCorners, ConditionalIndex> conditionalIndexes;
    int indexesBuilding = 0;
    std::vector<RowSlots> rowSlots;  // by row
    std::vector<uint32_t> cellSlots; // see RowSlots
    std::vector<CellEntry> entries;  // of formula cells, as they are first needed
    uint64_t slotsEpoch = 0;         // the epoch of `cellSlots` and `entries`
    std::unordered_map<const model::Formula*, CompiledFormula> compiled;
    std::array<const CompiledFormula*, 2> recentlyCompiled{};
    bool keepLocale = false;         // computing a whole sheet: the locale is taken once
    std::unordered_map<uint64_t, ColumnRun> runs;
    size_t runEntries = 0;
    uint64_t runsCheckedEpoch = 0;
    std::vector<Work> work;
    std::vector<Located> pending;  // cells a formula computed at once waits for, innermost last
    std::vector<KnownCell> knownCells;  // constants such formulas read, innermost last

    // The stored cell at (row, col), if any.
    Located locate(int row, int col) {
        const auto cells = sheet.cellsInRow(row);
        const size_t position = positionOf(cells, col);
        if (position == cells.size() || cells[position].first != col) return {};
        return {&cells[position].second, row, col, uint32_t(position), uint32_t(cells.size())};
    }

    // The slot of a stored cell in this epoch (a reference valid until the next slot is asked for).
    uint32_t& slotOf(const Located& at) {
        if (slotsEpoch == epoch && size_t(at.row) < rowSlots.size()) {
            const RowSlots& row = rowSlots[size_t(at.row)];
            if (row.epoch == epoch && row.count == at.rowCount) return cellSlots[row.base + at.position];
        }
        return placeRowSlots(at);
    }
    // The slot of a cell whose row has none yet in this epoch.
    Q_NEVER_INLINE uint32_t& placeRowSlots(const Located& at) {  // kept out of slotOf, which is asked very often
        if (slotsEpoch != epoch) {
            cellSlots.clear();
            entries.clear();
            slotsEpoch = epoch;
        }
        if (rowSlots.size() <= size_t(at.row)) rowSlots.resize(size_t(std::max(sheet.rowExtent(), at.row + 1)));
        RowSlots& row = rowSlots[size_t(at.row)];
        if (row.epoch != epoch || row.count != at.rowCount) {
            row = {epoch, uint32_t(cellSlots.size()), at.rowCount};
            cellSlots.resize(cellSlots.size() + at.rowCount, 0);
        }
        return cellSlots[row.base + at.position];
    }
    // The entry of a formula cell in this epoch; null before it is first needed.
    CellEntry* existingEntry(const Located& at) {
        const uint32_t slot = slotOf(at);
        return slot ? &entries[slot - 1] : nullptr;
    }
    // The number of a formula cell's entry, made when needed (entries move as more are made).
    size_t entryNumber(const Located& at) {
        uint32_t& slot = slotOf(at);
        if (!slot) {
            entries.emplace_back();
            slot = uint32_t(entries.size());
        }
        return slot - 1;
    }

    // The references of a formula, collected once for all the cells that hold it.
    const CompiledFormula& compiledFor(const model::FormulaPtr& formula) {
        // A sheet holds few formulas, each in many cells: the last two asked for are at hand.
        for (const CompiledFormula* recent : recentlyCompiled)
            if (recent && recent->formula == formula) return *recent;
        auto found = compiled.find(formula.get());
        if (found == compiled.end()) {
            if (compiled.size() >= kMostCompiledFormulas) {
                compiled.clear();
                recentlyCompiled = {};
            }
            CompiledFormula compiledFormula{formula, schedulingOrder(referencesOf(formula->root))};
            compiledFormula.cellsOnly = std::all_of(
                compiledFormula.references.begin(), compiledFormula.references.end(),
                [](const FormulaReference& reference) { return reference.kind == FormulaReference::Kind::Cell; });
            found = compiled.emplace(formula.get(), std::move(compiledFormula)).first;
        }
        recentlyCompiled[1] = recentlyCompiled[0];
        recentlyCompiled[0] = &found->second;
        return found->second;
    }

    ColumnRun* freshRun(int col, int startRow) {
        const auto it = runs.find(runKey(col, startRow));
        return it != runs.end() && it->second.epoch == epoch ? &it->second : nullptr;
    }
    ColumnRun& runFor(int col, int startRow) {
        ColumnRun& run = runs[runKey(col, startRow)];
        if (run.epoch != epoch) {
            runEntries -= std::min(runEntries, run.rows.size());
            run.reset(epoch, col, startRow);
        }
        return run;
    }

    // --- CellSource: reads for a formula whose references are all computed
    Value cellValue(int row, int col) override { return valueAt(locate(row, col)); }
    const Value& cellValueIn(int row, int col, Value&) override { return valueAt(locate(row, col)); }

    const Value& valueAt(const Located& at) {
        if (!at.cell) return kEmptyValue;
        if (!at.cell->formula) return at.cell->value;
        const CellEntry* entry = existingEntry(at);
        if (entry && entry->status == CellEntry::Status::Done) return entry->value;
        return kCircularValue;  // still being computed: it depends on this very formula
    }

    RangeSummary summarize(const model::CellRange& range) override {
        if (range.rowCount() > kDirectRows) {
            RangeSummary total;
            int errorRow = -1;
            bool complete = true;
            for (int col = range.firstCol; col <= range.lastCol && complete; ++col) {
                const ColumnRun* run = freshRun(col, range.firstRow);
                if (!run || run->nextRow <= range.lastRow) {
                    complete = false;
                    break;
                }
                const RangeSummary part = run->through(range.lastRow);
                total.sum += part.sum;
                total.count += part.count;
                total.minimum = std::min(total.minimum, part.minimum);
                total.maximum = std::max(total.maximum, part.maximum);
                // The first error in reading order: the top-most row, then the left-most column.
                if (part.firstError && (errorRow < 0 || run->firstErrorRow < errorRow)) {
                    errorRow = run->firstErrorRow;
                    total.firstError = part.firstError;
                }
            }
            if (complete) return total;
        }
        RangeSummary summary;
        forEachStoredCell(range, [&](const Located& at) { summary.addCell(valueAt(at)); });
        return summary;
    }

    ConditionalTotals conditionalTotals(const model::CellRange& range, const model::CellRange& sumRange,
                                        const Criterion& criterion) override {
        return totalsOf(range, sumRange, criterion, *this);
    }

    CellSource* sheetNamed(const QString& name) override {
        if (name.compare(sheet.name, Qt::CaseInsensitive) == 0) return this;
        Calculator* other = links->calculatorOf ? links->calculatorOf(name) : nullptr;
        if (other == &owner) return this;
        return other ? &other->cells() : nullptr;
    }

    // COUNTIF/SUMIF: a plain equality looks its key up in the range's index
    // (made once per change of the workbook); other criteria go cell by cell.
    ConditionalTotals totalsOf(const model::CellRange& range, const model::CellRange& sumRange, const Criterion& criterion,
                               CellSource& cells) {
        const auto& keys = criterion.equalityKeys();
        const auto& prefix = criterion.prefixKey();
        if (keys.empty() && !prefix) return scanConditionalTotals(cells, range, cells, sumRange, criterion);
        ConditionalIndex* built = conditionalIndex(range, cells);
        if (!built) return scanConditionalTotals(cells, range, cells, sumRange, criterion);
        ConditionalIndex& index = *built;
        auto found = index.totalsBySumRange.find(cornersOf(sumRange));
        if (found == index.totalsBySumRange.end())
            found = index.totalsBySumRange.emplace(cornersOf(sumRange), KeyTotals{keyTotals(index, range, sumRange, cells), {}}).first;
        KeyTotals& totals = found->second;
        ConditionalTotals result;
        const auto add = [&result](const ConditionalTotals& part) {
            result.count += part.count;
            result.sum += part.sum;
            if (!result.firstError) result.firstError = part.firstError;
        };
        for (const QString& key : keys)
            if (const int number = index.keyNumbers.value(key, -1); number >= 0) add(totals.byKey[size_t(number)]);
        if (prefix) add(beginningTotals(index, totals, *prefix));
        return result;
    }

    // The totals of every key that starts with `prefix`: the keys are sorted
    // once, so those keys lie side by side, and the running totals give their sum.
    static ConditionalTotals beginningTotals(ConditionalIndex& index, KeyTotals& totals, const QString& prefix) {
        if (index.sortedKeys.empty() && !index.keyNumbers.isEmpty()) {
            for (auto it = index.keyNumbers.cbegin(); it != index.keyNumbers.cend(); ++it)
                index.sortedKeys.emplace_back(it.key(), it.value());
            std::sort(index.sortedKeys.begin(), index.sortedKeys.end());
        }
        if (totals.running.empty()) {
            totals.running.resize(index.sortedKeys.size() + 1);
            for (size_t i = 0; i < index.sortedKeys.size(); ++i) {
                const ConditionalTotals& part = totals.byKey[size_t(index.sortedKeys[i].second)];
                totals.running[i + 1] = {totals.running[i].count + part.count, totals.running[i].sum + part.sum, {}};
            }
        }
        const auto begin = std::lower_bound(index.sortedKeys.begin(), index.sortedKeys.end(), prefix,
                                            [](const auto& entry, const QString& p) { return entry.first < p; });
        const auto end = std::partition_point(begin, index.sortedKeys.end(),
                                              [&prefix](const auto& entry) { return entry.first.startsWith(prefix); });
        const size_t first = size_t(begin - index.sortedKeys.begin());
        const size_t last = size_t(end - index.sortedKeys.begin());
        ConditionalTotals result{totals.running[last].count - totals.running[first].count,
                                 totals.running[last].sum - totals.running[first].sum, {}};
        // An error beside a matching cell is rare: only then are the keys looked at one by one.
        for (size_t i = first; i < last && !result.firstError; ++i)
            result.firstError = totals.byKey[size_t(index.sortedKeys[i].second)].firstError;
        return result;
    }

    // The keys of a criteria range's cells, each text folded once however
    // often it occurs; null while that very index is being made (a formula
    // in the range reads it: circular, and read cell by cell).
    ConditionalIndex* conditionalIndex(const model::CellRange& range, CellSource& cells) {
        auto found = conditionalIndexes.find(cornersOf(range));
        if (found != conditionalIndexes.end() && found->second.building) return nullptr;
        if (found != conditionalIndexes.end() && found->second.epoch == epoch) return &found->second;
        if (found == conditionalIndexes.end() && conditionalIndexes.size() >= kMostConditionalIndexes && indexesBuilding == 0)
            conditionalIndexes.clear();
        ConditionalIndex& index = conditionalIndexes[cornersOf(range)];
        index = ConditionalIndex{};
        index.epoch = epoch;
        index.building = true;
        ++indexesBuilding;
        struct Built {
            ConditionalIndex& index;
            int& building;
            ~Built() {
                index.building = false;
                --building;
            }
        } built{index, indexesBuilding};
        index.keyOfCell.reserve(size_t(range.rowCount()) * size_t(range.colCount()));
        QHash<QString, int> numberOfText;  // as the cells hold them, before folding
        for (int r = range.firstRow; r <= range.lastRow; ++r)
            for (int c = range.firstCol; c <= range.lastCol; ++c) {
                const Value value = cells.cellValue(r, c);
                const auto* text = std::get_if<QString>(&value);
                if (text) {
                    if (const auto known = numberOfText.constFind(*text); known != numberOfText.cend()) {
                        index.keyOfCell.push_back(*known);
                        continue;
                    }
                }
                const QString key = Criterion::equalityKeyOf(value);
                const auto known = index.keyNumbers.constFind(key);
                const int number = known != index.keyNumbers.cend() ? *known : int(index.keyNumbers.size());
                if (known == index.keyNumbers.cend()) index.keyNumbers.insert(key, number);
                if (text) numberOfText.insert(*text, number);
                index.keyOfCell.push_back(number);
            }
        return &index;
    }

    // Per key: how many cells have it, and the sum of the numbers beside them in `sumRange`.
    static std::vector<ConditionalTotals> keyTotals(const ConditionalIndex& index, const model::CellRange& range,
                                                    const model::CellRange& sumRange, CellSource& cells) {
        std::vector<ConditionalTotals> totals(size_t(index.keyNumbers.size()));
        size_t at = 0;
        for (int r = range.firstRow; r <= range.lastRow; ++r)
            for (int c = range.firstCol; c <= range.lastCol; ++c, ++at) {
                const int number = index.keyOfCell[at];
                ConditionalTotals& total = totals[size_t(number)];
                total.count += 1;
                const int sumRow = sumRange.firstRow + (r - range.firstRow);
                const int sumCol = sumRange.firstCol + (c - range.firstCol);
                if (sumRow >= model::kMaxRows || sumCol >= model::kMaxColumns) continue;
                const Value value = cells.cellValue(sumRow, sumCol);
                if (const auto* amount = std::get_if<double>(&value)) total.sum += *amount;
                else if (const auto* error = std::get_if<ErrorCode>(&value); error && !total.firstError)
                    total.firstError = *error;
            }
        return totals;
    }

    // f(const Located&) for the cells of `range` that exist, row by row.
    template <class F>
    void forEachStoredCell(const model::CellRange& range, F&& f) {
        const int lastRow = std::min(range.lastRow, sheet.rowExtent() - 1);
        for (int row = std::max(range.firstRow, 0); row <= lastRow; ++row) {
            const auto cells = sheet.cellsInRow(row);
            for (size_t i = positionOf(cells, range.firstCol); i < cells.size() && cells[i].first <= range.lastCol; ++i)
                f(Located{&cells[i].second, row, cells[i].first, uint32_t(i), uint32_t(cells.size())});
        }
    }

    // --- scheduling

    struct Needs {
        bool waiting = false;   // something was pushed that must be computed first
        bool circular = false;  // something needed is still being computed below us
    };

    void needCell(const Located& at, Needs& needs) {
        if (!at.cell || !at.cell->formula) return;
        const CellEntry* entry = existingEntry(at);
        if (entry && entry->status == CellEntry::Status::Done) return;
        if (entry && entry->status == CellEntry::Status::Computing) {
            needs.circular = true;
            return;
        }
        work.push_back({Work::Kind::Cell, at.row, at.col, 0, false, at});
        needs.waiting = true;
    }

    void needRange(const model::CellRange& range, bool summarized, Needs& needs) {
        if (summarized && range.rowCount() > kDirectRows) {
            bool runsUsable = true;
            for (int col = range.firstCol; col <= range.lastCol; ++col)
                if (!freshRun(col, range.firstRow) && runEntries > kRunEntryBudget) runsUsable = false;
            if (runsUsable) {
                for (int col = range.firstCol; col <= range.lastCol; ++col) {
                    ColumnRun& run = runFor(col, range.firstRow);
                    if (run.nextRow > range.lastRow) continue;
                    if (run.extending) {
                        needs.circular = true;
                        continue;
                    }
                    work.push_back({Work::Kind::Run, range.firstRow, col, range.lastRow});
                    needs.waiting = true;
                }
                return;
            }
        }
        forEachStoredCell(range, [&](const Located& at) { needCell(at, needs); });
    }

    // Takes one step on the cell at the top of the work stack.
    void stepCell(const Work& item) {
        const Located& at = item.at;
        if (!at.cell || !at.cell->formula) {  // only formulas are put on the stack
            work.pop_back();
            return;
        }
        const size_t number = entryNumber(at);
        if (entries[number].status == CellEntry::Status::Done) {
            work.pop_back();
            return;
        }
        // Back on top after waiting, everything it needed is computed: a cell
        // leaves the stack only when done, and a done cell stays done.
        if (!item.waited) {
            entries[number].status = CellEntry::Status::Computing;
            const size_t depth = work.size();
            Needs needs;
            for (const FormulaReference& reference : compiledFor(at.cell->formula).references) {
                // References to other sheets are left to those sheets' calculators.
                if (!reference.node->sheet.isEmpty() && !onOwnSheet(*reference.node, sheet.name)) continue;
                if (reference.kind == FormulaReference::Kind::Cell) {
                    if (const auto address = resolveReference(reference.node->first, item.row, item.col))
                        needCell(locate(address->row, address->col), needs);
                    continue;
                }
                if (const auto range = placeReference(reference, item.row, item.col))
                    needRange(*range, reference.kind == FormulaReference::Kind::SummarizedRange, needs);
            }
            if (needs.circular) {
                work.resize(depth - 1);
                entries[number] = {CellEntry::Status::Done, kCircularReference};
                return;
            }
            if (needs.waiting) {
                work[depth - 1].waited = true;
                return;
            }
        }
        Value value = evaluateFormula(at.cell->formula->root, item.row, item.col, *this, locale);
        entries[number] = {CellEntry::Status::Done, std::move(value)};
        work.pop_back();
    }

    // Takes the column run further down, until it reaches its target or needs a cell computed.
    void stepRun(const Work& item) {
        ColumnRun& run = runFor(item.col, item.row);
        const int lastRow = std::min(item.target, sheet.rowExtent() - 1);
        const size_t storedBefore = run.rows.size();
        struct CountStored {
            size_t& total;
            const ColumnRun& run;
            size_t before;
            ~CountStored() { total += run.rows.size() - before; }
        } countStored{runEntries, run, storedBefore};
        while (run.nextRow <= lastRow) {
            const int row = run.nextRow;
            const Located at = locate(row, item.col);
            const model::Cell* cell = at.cell;
            if (cell && cell->formula) {
                const CellEntry* entry = existingEntry(at);
                if (!entry || entry->status == CellEntry::Status::NotStarted) {
                    run.extending = true;
                    work.push_back({Work::Kind::Cell, row, item.col, 0, false, at});
                    return;
                }
                run.take(row, entry->status == CellEntry::Status::Done ? entry->value : Value(kCircularReference));
            } else if (cell) {
                run.take(row, cell->value);
            }
            ++run.nextRow;
        }
        run.nextRow = std::max(run.nextRow, item.target + 1);
        run.extending = false;
        work.pop_back();
    }

    // Summaries of earlier states are dropped once they are many; building them cost more than this.
    void forgetOldRuns() {
        if (runsCheckedEpoch == epoch) return;
        runsCheckedEpoch = epoch;
        if (runEntries > kRunEntryBudget / 2 || runs.size() > 4096) {
            runs.clear();
            runEntries = 0;
        }
    }

    // Every row's slots at once, for computing a whole sheet (rows placed
    // earlier in this epoch keep theirs, with the entries they lead to).
    void placeEveryRowSlots() {
        if (slotsEpoch != epoch) {
            cellSlots.clear();
            entries.clear();
            slotsEpoch = epoch;
        }
        const int rows = sheet.rowExtent();
        if (rowSlots.size() < size_t(rows)) rowSlots.resize(size_t(rows));
        size_t total = cellSlots.size();
        for (int row = 0; row < rows; ++row) {
            RowSlots& placed = rowSlots[size_t(row)];
            const auto count = uint32_t(sheet.cellsInRow(row).size());
            if (placed.epoch == epoch && placed.count == count) continue;
            placed = {epoch, uint32_t(total), count};
            total += count;
        }
        cellSlots.resize(total, 0);
    }

    // Stores every formula's result in its cell, row by row, left to right:
    // computing changes no cell but the one whose result is stored.
    void computeEveryFormula() {
        placeEveryRowSlots();
        forgetOldRuns();
        computing = true;
        struct Done {
            bool& flag;
            ~Done() { flag = false; }
        } done{computing};
        for (int row = 0; row < sheet.rowExtent(); ++row) {
            auto& cells = sheet.rowCells(row);
            for (size_t i = 0; i < cells.size(); ++i) {
                model::Cell& cell = cells[i].second;
                if (!cell.formula) continue;
                const Located at{&cell, row, cells[i].first, uint32_t(i), uint32_t(cells.size())};
                const size_t number = entryNumber(at);
                if (entries[number].status != CellEntry::Status::Done) computeCell(at, number, 0);
                cell.value = entries[number].value;
            }
        }
    }

    // The value of a stored cell for Calculator::value.
    Value valueOf(const Located& at) {
        if (!at.cell) return model::Empty{};
        if (!at.cell->formula || trustedEpoch == epoch) return at.cell->value;
        if (const CellEntry* entry = existingEntry(at); entry && entry->status == CellEntry::Status::Done)
            return entry->value;
        // Asked from another sheet's formula while this sheet computes: the sheets read each other.
        if (computing) return kCircularReference;
        return compute(at);
    }

    Value compute(const Located& at) {
        computing = true;
        struct Done {
            bool& flag;
            ~Done() { flag = false; }
        } done{computing};
        if (!keepLocale) locale = QLocale();  // the user's locale, as typed entry reads it
        forgetOldRuns();
        const size_t number = entryNumber(at);
        computeCell(at, number, 0);
        return entries[number].value;
    }

    // Computes a formula cell that is not started (entry `number`), in the
    // very order the work stack would, without it: the references not yet done
    // are computed first, the last one first (as the stack takes them), and
    // one still being computed makes the cell circular. Going down a register,
    // a formula's references are mostly done already or one step away.
    // Formulas with ranges, and cells nested deeper than kMostNestedCells, go
    // on the stack.
    void computeCell(const Located& at, size_t number, int depth) {
        const CompiledFormula& formula = compiledFor(at.cell->formula);
        if (!formula.cellsOnly || depth >= kMostNestedCells) {
            computeOnStack(at);
            return;
        }
        entries[number].status = CellEntry::Status::Computing;
        const size_t waitingFrom = pending.size();
        // The constants found here are handed to the evaluation, which would look them up again.
        const size_t knownFrom = knownCells.size();
        for (const FormulaReference& reference : formula.references) {
            // References to other sheets are left to those sheets' calculators.
            if (!reference.node->sheet.isEmpty() && !onOwnSheet(*reference.node, sheet.name)) continue;
            const auto address = resolveReference(reference.node->first, at.row, at.col);
            if (!address) continue;
            const Located needed = locate(address->row, address->col);
            if (!needed.cell || !needed.cell->formula) {
                if (reference.node->sheet.isEmpty() && knownCells.size() - knownFrom < kMostKnownCells)
                    knownCells.push_back({address->row, address->col, needed.cell ? &needed.cell->value : &kEmptyValue});
                continue;
            }
            const CellEntry* entry = existingEntry(needed);
            if (entry && entry->status == CellEntry::Status::Done) continue;
            if (entry && entry->status == CellEntry::Status::Computing) {
                pending.resize(waitingFrom);
                knownCells.resize(knownFrom);
                entries[number] = {CellEntry::Status::Done, kCircularReference};
                return;
            }
            pending.push_back(needed);
        }
        while (pending.size() > waitingFrom) {
            const Located needed = pending.back();
            pending.pop_back();
            // Done meanwhile when a later reference needed it too; never left half computed.
            const size_t neededNumber = entryNumber(needed);
            if (entries[neededNumber].status == CellEntry::Status::NotStarted)
                computeCell(needed, neededNumber, depth + 1);
        }
        entries[number].value =
            evaluateFormula(at.cell->formula->root, at.row, at.col, *this, locale,
                            std::span(knownCells.data() + knownFrom, knownCells.size() - knownFrom));
        entries[number].status = CellEntry::Status::Done;
        knownCells.resize(knownFrom);
    }

    // Computes a formula cell that is not started through the work stack.
    void computeOnStack(const Located& at) {
        const size_t below = work.size();
        work.push_back({Work::Kind::Cell, at.row, at.col, 0, false, at});
        while (work.size() > below) {
            const Work item = work.back();
            if (item.kind == Work::Kind::Cell) stepCell(item);
            else stepRun(item);
        }
    }
};

Calculator::Calculator(model::Sheet& sheet, std::shared_ptr<CalculatorLinks> links)
    : state_(std::make_unique<State>(sheet, *this, std::move(links))) {}

Calculator::~Calculator() = default;

Value Calculator::value(int row, int col) {
    if (row < 0 || row >= model::kMaxRows || col < 0 || col >= model::kMaxColumns) return model::Empty{};
    return state_->valueOf(state_->locate(row, col));
}

void Calculator::invalidate() { ++state_->epoch; }

void Calculator::trustStoredResults() { state_->trustedEpoch = state_->epoch; }

CellSource& Calculator::cells() { return state_->reader; }

std::vector<std::unique_ptr<Calculator>> linkedCalculators(model::Workbook& workbook) {
    auto links = std::make_shared<CalculatorLinks>();
    auto calculators = std::make_shared<std::vector<Calculator*>>();
    std::vector<std::unique_ptr<Calculator>> owned;
    for (auto& sheet : workbook.sheets) {
        owned.push_back(std::make_unique<Calculator>(*sheet, links));
        calculators->push_back(owned.back().get());
    }
    model::Workbook* book = &workbook;
    links->calculatorOf = [book, calculators](const QString& name) -> Calculator* {
        for (size_t i = 0; i < book->sheets.size() && i < calculators->size(); ++i)
            if (book->sheets[i]->name.compare(name, Qt::CaseInsensitive) == 0) return (*calculators)[i];
        return nullptr;
    };
    return owned;
}

void Calculator::computeAll() {
    State& state = *state_;
    state.locale = QLocale();
    state.keepLocale = true;
    struct TakeLocaleAgain {
        bool& keep;
        ~TakeLocaleAgain() { keep = false; }
    } takeLocaleAgain{state.keepLocale};
    // Trusted stored results are the values already.
    if (state.trustedEpoch != state.epoch) state.computeEveryFormula();
    // Every formula now holds its result: those are the values until the
    // next change, and the per-cell entries (megabytes on a long register)
    // go before the workbook is written.
    state.trustedEpoch = state.epoch;
    std::vector<CellEntry>().swap(state.entries);
    std::vector<uint32_t>().swap(state.cellSlots);
    std::vector<RowSlots>().swap(state.rowSlots);
    state.compiled.clear();
    state.recentlyCompiled = {};
}

}  // namespace brevanta::engine
