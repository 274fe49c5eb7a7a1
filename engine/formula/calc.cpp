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
// Ranges up to this many rows are read cell by cell; taller ones through a running summary.
constexpr int kDirectRows = 16;
// Running summaries kept at most (entries over all columns) before tall ranges are read cell by cell.
constexpr size_t kRunEntryBudget = 4'000'000;

uint32_t cellKey(int row, int col) { return static_cast<uint32_t>(row) * model::kMaxColumns + static_cast<uint32_t>(col); }
uint64_t runKey(int col, int startRow) { return (static_cast<uint64_t>(col) << 32) | static_cast<uint32_t>(startRow); }

struct CellEntry {
    enum class Status : uint8_t { NotStarted, Computing, Done };
    uint64_t epoch = 0;
    Status status = Status::NotStarted;
    Value value;
};

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
            state.forEachStoredCell(range, [&](int row, int col) { summary.addCell(state.owner.value(row, col)); });
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
    std::unordered_map<uint32_t, CellEntry> entries;
    std::unordered_map<uint64_t, ColumnRun> runs;
    size_t runEntries = 0;
    uint64_t runsCheckedEpoch = 0;
    std::vector<Work> work;

    CellEntry& entryFor(int row, int col) {
        CellEntry& entry = entries[cellKey(row, col)];
        if (entry.epoch != epoch) {
            entry.epoch = epoch;
            entry.status = CellEntry::Status::NotStarted;
            entry.value = model::Empty{};
        }
        return entry;
    }
    const CellEntry* freshEntry(int row, int col) const {
        const auto it = entries.find(cellKey(row, col));
        return it != entries.end() && it->second.epoch == epoch ? &it->second : nullptr;
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
    Value cellValue(int row, int col) override {
        const model::Cell* cell = sheet.find(row, col);
        if (!cell) return model::Empty{};
        if (!cell->formula) return cell->value;
        const CellEntry* entry = freshEntry(row, col);
        if (entry && entry->status == CellEntry::Status::Done) return entry->value;
        return kCircularReference;  // still being computed: it depends on this very formula
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
        forEachStoredCell(range, [&](int row, int col) { summary.addCell(cellValue(row, col)); });
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

    // f(row, col) for the cells of `range` that exist, row by row.
    template <class F>
    void forEachStoredCell(const model::CellRange& range, F&& f) const {
        const int lastRow = std::min(range.lastRow, sheet.rowExtent() - 1);
        for (int row = range.firstRow; row <= lastRow; ++row)
            sheet.forEachCellInRow(row, [&](int col, const model::Cell&) {
                if (col >= range.firstCol && col <= range.lastCol) f(row, col);
            });
    }

    // --- scheduling

    struct Needs {
        bool waiting = false;   // something was pushed that must be computed first
        bool circular = false;  // something needed is still being computed below us
    };

    void needCell(int row, int col, Needs& needs) {
        const model::Cell* cell = sheet.find(row, col);
        if (!cell || !cell->formula) return;
        const CellEntry* entry = freshEntry(row, col);
        if (entry && entry->status == CellEntry::Status::Done) return;
        if (entry && entry->status == CellEntry::Status::Computing) {
            needs.circular = true;
            return;
        }
        work.push_back({Work::Kind::Cell, row, col, 0});
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
        forEachStoredCell(range, [&](int row, int col) { needCell(row, col, needs); });
    }

    // Takes one step on the cell at the top of the work stack.
    void stepCell(const Work& item) {
        const model::Cell* cell = sheet.find(item.row, item.col);
        CellEntry& entry = entryFor(item.row, item.col);
        if (entry.status == CellEntry::Status::Done) {
            work.pop_back();
            return;
        }
        if (!cell || !cell->formula) {
            entry.value = cell ? cell->value : Value(model::Empty{});
            entry.status = CellEntry::Status::Done;
            work.pop_back();
            return;
        }
        entry.status = CellEntry::Status::Computing;
        const size_t depth = work.size();
        Needs needs;
        const ReferenceVisitor visitor{
            [&](int row, int col) { needCell(row, col, needs); },
            [&](const model::CellRange& range, bool summarized) { needRange(range, summarized, needs); },
        };
        forEachReference(cell->formula->root, item.row, item.col, visitor, sheet.name);
        if (needs.circular) {
            work.resize(depth - 1);
            // The entry may have moved if the map rehashed while collecting: look it up again.
            CellEntry& done = entryFor(item.row, item.col);
            done.value = kCircularReference;
            done.status = CellEntry::Status::Done;
            return;
        }
        if (needs.waiting) return;
        const model::FormulaPtr formula = cell->formula;  // kept alive while it is evaluated
        Value value = evaluateFormula(formula->root, item.row, item.col, *this, locale);
        CellEntry& done = entryFor(item.row, item.col);
        done.value = std::move(value);
        done.status = CellEntry::Status::Done;
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
            const model::Cell* cell = sheet.find(row, item.col);
            if (cell && cell->formula) {
                const CellEntry* entry = freshEntry(row, item.col);
                if (!entry || entry->status == CellEntry::Status::NotStarted) {
                    run.extending = true;
                    work.push_back({Work::Kind::Cell, row, item.col, 0});
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

    Value compute(int row, int col) {
        computing = true;
        struct Done {
            bool& flag;
            ~Done() { flag = false; }
        } done{computing};
        locale = QLocale();  // the user's locale, as typed entry reads it
        forgetOldRuns();
        work.push_back({Work::Kind::Cell, row, col, 0});
        while (!work.empty()) {
            const Work item = work.back();
            if (item.kind == Work::Kind::Cell) stepCell(item);
            else stepRun(item);
        }
        return freshEntry(row, col)->value;
    }
};

Calculator::Calculator(model::Sheet& sheet, std::shared_ptr<CalculatorLinks> links)
    : state_(std::make_unique<State>(sheet, *this, std::move(links))) {}

Calculator::~Calculator() = default;

Value Calculator::value(int row, int col) {
    if (row < 0 || row >= model::kMaxRows || col < 0 || col >= model::kMaxColumns) return model::Empty{};
    const model::Cell* cell = state_->sheet.find(row, col);
    if (!cell) return model::Empty{};
    if (!cell->formula || state_->trustedEpoch == state_->epoch) return cell->value;
    if (const CellEntry* entry = state_->freshEntry(row, col); entry && entry->status == CellEntry::Status::Done)
        return entry->value;
    // Asked from another sheet's formula while this sheet computes: the sheets read each other.
    if (state_->computing) return kCircularReference;
    return state_->compute(row, col);
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
    std::vector<model::CellAddress> formulas;
    state_->sheet.forEachCell([&](int row, int col, const model::Cell& cell) {
        if (cell.formula) formulas.push_back({row, col});
    });
    state_->entries.reserve(state_->entries.size() + formulas.size());
    for (const auto& address : formulas) {
        Value computed = value(address.row, address.col);
        state_->sheet.find(address.row, address.col)->value = std::move(computed);
    }
    // Every formula now holds its result: those are the values until the
    // next change, and the per-cell entries (megabytes on a long register)
    // go before the workbook is written.
    state_->trustedEpoch = state_->epoch;
    std::unordered_map<uint32_t, CellEntry>().swap(state_->entries);
}

}  // namespace brevanta::engine
