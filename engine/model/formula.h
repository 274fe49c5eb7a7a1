#pragma once
// A parsed formula, independent of notation: the engine parses R1C1 text
// into it and evaluates it; the .xls writer turns it into tokens and the
// reader turns tokens back into it. References keep the R1C1 meaning:
// a relative part is an offset from the formula's own cell, an absolute
// part a 0-based row or column. A reference or area may name another sheet
// of the same workbook by its name (a 3-D reference).

#include <QString>
#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <vector>

#include "engine/model/value.h"

namespace brevanta::model {

struct RefPart {
    int index = 0;         // offset when relative, 0-based position when absolute
    bool relative = true;
    bool operator==(const RefPart&) const = default;
};

struct CellRef {
    RefPart row;
    RefPart col;
    bool operator==(const CellRef&) const = default;
    int absoluteRow(int formulaRow) const { return row.relative ? formulaRow + row.index : row.index; }
    int absoluteCol(int formulaCol) const { return col.relative ? formulaCol + col.index : col.index; }
};

enum class UnaryOp : uint8_t { Plus, Minus, Percent };
enum class BinaryOp : uint8_t { Add, Subtract, Multiply, Divide, Power, Concat, Less, LessEqual, Equal, GreaterEqual, Greater, NotEqual };

// Functions the engine knows, with their BIFF8 numbers and argument counts.
enum class FunctionId : uint16_t {
    Count, If, IsError, Sum, Average, Min, Max, Round, Abs, Len, True, False, And, Or, Not,
    IsText, IsNumber, IsBlank, N, Concatenate, SumIf, CountIf,
};

struct FunctionInfo {
    FunctionId id;
    const char* name;     // upper case, as written in formulas
    uint16_t biffIndex;   // iftab
    uint8_t minArgs;
    uint8_t maxArgs;
    bool fixedArgs;       // ptgFunc (fixed count) rather than ptgFuncVar
    // Argument class per argument: 'V' value, 'R' reference (ranges pass through).
    const char* argClasses;  // one letter per argument; the last repeats
    char returnClass;        // 'V' or 'R'
};

std::span<const FunctionInfo> functionTable();
const FunctionInfo& functionInfo(FunctionId id);
const FunctionInfo* functionByName(const QString& upperName);
const FunctionInfo* functionByBiffIndex(uint16_t index);

struct FormulaNode {
    enum class Kind : uint8_t { Number, Text, Boolean, Error, Missing, Reference, Area, Unary, Binary, Function, Paren };
    Kind kind = Kind::Missing;
    double number = 0;
    QString text;
    bool boolean = false;
    ErrorCode error = ErrorCode::Value;
    CellRef first;   // Reference, and the first corner of an Area
    CellRef last;    // the second corner of an Area
    QString sheet;   // Reference and Area: the sheet named, or empty for the formula's own sheet
    UnaryOp unary = UnaryOp::Minus;
    BinaryOp binary = BinaryOp::Add;
    FunctionId function = FunctionId::Sum;
    std::vector<FormulaNode> children;  // operands or arguments, in order
};

// A formula as a cell holds it: the tree, shared between cells that hold
// the same formula (every balance cell of the register holds one tree).
struct Formula {
    FormulaNode root;
};
using FormulaPtr = std::shared_ptr<const Formula>;

}  // namespace brevanta::model
