#pragma once
// Computes formula values of one sheet lazily: nothing is computed when a
// cell is written; a value is computed when it is asked for and cached
// until the next change. Long chains and growing-range sums cost linear
// time, and circular references give an error value.

#include <memory>

#include "engine/model/sheet.h"
#include "engine/model/value.h"

namespace brevanta::engine {

class Calculator {
public:
    explicit Calculator(model::Sheet& sheet);
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

private:
    struct State;
    std::unique_ptr<State> state_;
};

}  // namespace brevanta::engine
