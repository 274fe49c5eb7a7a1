#pragma once
// Formula trees <-> the parsed-token form a FORMULA record stores.
// Cell formulas address cells absolutely with "relative" flags, so both
// directions need the formula's own cell; shared formulas store offsets
// (ptgRefN/ptgAreaN) and decode the same way with `sharedOffsets`.
// References to another sheet of the workbook (ptgRef3d/ptgArea3d) carry an
// index into the EXTERNSHEET list; the writer lists every sheet there in
// order (index i is sheet i), the reader is given what the file lists.

#include <QByteArray>
#include <cstdint>
#include <optional>
#include <string>
#include <unordered_map>
#include <utility>
#include <vector>
#include <span>
#include <stdexcept>

#include "engine/model/formula.h"

namespace brevanta::xls {

// Tokens for `root` as the formula of the cell at (row, col), 0-based, in a
// workbook of the sheets `sheetNames` (for references to other sheets; one
// to a sheet no name matches is written as #REF!).
QByteArray encodeFormula(const model::FormulaNode& root, int row, int col, std::span<const QString> sheetNames = {});

// Whether the formula refers to another sheet by name.
bool refersToSheets(const model::FormulaNode& root);

// Where the row word of a relative row part lies in a formula's tokens, and its offset.
struct RelativeRowWord {
    int at;
    int offset;
};

// The tokens of the formulas of one sheet. A tree filled down a column has
// the same tokens in every row but for the row words of its relative
// references, so it is encoded once per column and those words are
// re-written for each row, as long as every reference stays on the sheet.
class SheetFormulaTokens {
public:
    explicit SheetFormulaTokens(std::span<const QString> sheetNames = {});
    // encodeFormula(root, row, col); the bytes hold until the next call.
    const QByteArray& encode(const model::FormulaNode& root, int row, int col);
    // The same in two steps, for writing the tokens in place: their size, then
    // the tokens themselves copied to `into`.
    int prepare(const model::FormulaNode& root, int row, int col);
    void copyTo(char* into) const;
    // Whether a formula encoded so far reads another sheet.
    bool refersToSheets() const { return refersToSheets_; }

private:
    struct Shape {
        QByteArray tokens;
        std::vector<RelativeRowWord> rowWords;
        bool offSheet = false;  // a reference fell off the sheet where it was encoded
    };
    Shape& shapeOf(const model::FormulaNode& root, int col);
    struct ShapeKeyHash {
        size_t operator()(const std::pair<const model::FormulaNode*, int>& key) const {
            return std::hash<const void*>{}(key.first) ^ (static_cast<size_t>(key.second) << 1);
        }
    };
    std::unordered_map<std::pair<const model::FormulaNode*, int>, Shape, ShapeKeyHash> shapes_;
    // The tree and shape a column's last formula had: filled down, the next row has the same.
    struct ColumnShape {
        const model::FormulaNode* root = nullptr;
        Shape* shape = nullptr;  // in shapes_, whose elements stay where they are
    };
    std::vector<ColumnShape> lastInColumn_;
    const Shape* prepared_ = nullptr;  // the shape prepare() found, at preparedRow_
    int preparedRow_ = 0;
    QByteArray current_;
    std::span<const QString> sheetNames_;
    bool refersToSheets_ = false;
};

// A token sequence this reader does not turn into a tree (array formulas,
// names, references to other workbooks, unknown functions): the cell keeps
// its cached value.
class UndecodableFormula : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// The tree of a token sequence of the cell at (row, col). `externSheets`
// names the sheet of each EXTERNSHEET entry (empty where the entry is no
// single sheet of this workbook). Throws UndecodableFormula, or
// frame::Failure for tokens that run past their end.
model::Formula decodeFormula(std::span<const uint8_t> tokens, int row, int col, bool sharedOffsets = false,
                             std::span<const QString> externSheets = {});

// The trees of the cell formulas of one sheet, decoded once per shape: a
// formula filled down a column has the same tokens in every row but for
// the rows its relative references hold, so its tokens with relative
// references taken as offsets name the one tree all those cells share.
class SheetFormulas {
public:
    explicit SheetFormulas(std::span<const QString> externSheets = {});
    // As decodeFormula, shared with earlier cells of the same shape.
    model::FormulaPtr decode(std::span<const uint8_t> tokens, int row, int col);

private:
    // The formula last decoded in a column, with where its relative row words lie: the next
    // formula down is the same tree when its tokens differ only there, each by the rows between.
    struct LastInColumn {
        std::vector<uint8_t> tokens;
        std::vector<uint16_t> rowWords;
        int row = 0;
        model::FormulaPtr formula;
        // Moves the tokens to `nextRow` and tells whether they are then `next`; forgets the
        // formula when they are not.
        bool moveTo(std::span<const uint8_t> next, int nextRow);
    };
    std::unordered_map<std::string, model::FormulaPtr> known_;
    std::span<const QString> externSheets_;
    std::vector<LastInColumn> lastInColumn_;  // by column
    std::vector<uint16_t> rowWords_;          // room for the row words of the formula being read
};

// The first token of a FORMULA that points at a shared formula (ptgExp):
// the base cell, when the tokens are exactly that.
bool sharedFormulaBase(std::span<const uint8_t> tokens, int& baseRow, int& baseCol);

}  // namespace brevanta::xls
