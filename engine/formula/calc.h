#pragma once
// Computes formula values of one sheet lazily: nothing is computed when a
// cell is written; a value is computed when it is asked for and cached
// until the next change. Long chains and growing-range sums cost linear
// time, and circular references give an error value.

#include <QString>
#include <functional>
#include <memory>
#include <vector>

#include "engine/model/sheet.h"
#include "engine/model/value.h"
#include "engine/model/workbook.h"

namespace brevanta::engine {

class CellSource;
class Calculator;

// What the calculators of one workbook's sheets share: the count of changes
// (a change to any sheet makes every sheet's computed values stale, since
// formulas may read other sheets) and the way to the calculator of a sheet
// by its name (any case; null when there is none).
struct CalculatorLinks {
    uint64_t epoch = 1;
    std::function<Calculator*(const QString& sheetName)> calculatorOf;
};

class Calculator {
public:
    // Alone, references to other sheets are #REF!; with `links`, they read those sheets.
    explicit Calculator(model::Sheet& sheet, std::shared_ptr<CalculatorLinks> links = nullptr);
    ~Calculator();
    Calculator(const Calculator&) = delete;
    Calculator& operator=(const Calculator&) = delete;

    // The value of a cell (0-based): a constant as stored, a formula computed.
    model::Value value(int row, int col);
    // Any change to cells of the sheet (values, formulas, moves, clears).
    void invalidate();
    // Takes every formula's stored result as its value until the next change,
    // as a spreadsheet shows a workbook it has just opened.
    void trustStoredResults();
    // Stores every formula's current result in its Cell::value (before saving).
    void computeAll();
    // The sheet's cells as formulas on other sheets read them: each value
    // is computed when asked for. A formula of this sheet that is being
    // computed reads as #VALUE!, as any circular reference does.
    CellSource& cells();

private:
    struct State;
    std::unique_ptr<State> state_;
};

// One calculator per sheet of the workbook, linked so that formulas read other sheets.
std::vector<std::unique_ptr<Calculator>> linkedCalculators(model::Workbook& workbook);

}  // namespace brevanta::engine
