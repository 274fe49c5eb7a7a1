#pragma once
// One worksheet in memory: cells stored row by row (only cells that hold a
// value or a format of their own), row and column information, the
// sheet-wide default format, merged areas, page set-up and selection.
// Rows and columns are 0-based here; the host interface speaks 1-based.

#include <QString>
#include <algorithm>
#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <utility>
#include <vector>

#include "engine/model/formula.h"
#include "engine/model/style.h"
#include "engine/model/value.h"

namespace brevanta::model {

inline constexpr int kMaxRows = 65536;
inline constexpr int kMaxColumns = 256;

struct CellAddress {
    int row = 0;
    int col = 0;
    bool operator==(const CellAddress&) const = default;
};

struct CellRange {
    int firstRow = 0;
    int firstCol = 0;
    int lastRow = 0;  // inclusive
    int lastCol = 0;  // inclusive
    bool operator==(const CellRange&) const = default;
    bool contains(int row, int col) const {
        return row >= firstRow && row <= lastRow && col >= firstCol && col <= lastCol;
    }
    int rowCount() const { return lastRow - firstRow + 1; }
    int colCount() const { return lastCol - firstCol + 1; }
};

struct Cell {
    Value value;          // the constant, or the formula's last computed result
    FormulaPtr formula;   // null for a constant
    StyleId style = kNoStyle;  // kNoStyle: the row's, column's or sheet's format applies
};

struct RowInfo {
    std::optional<double> height;  // points; none = standard height
    StyleId style = kNoStyle;      // format of the whole row
    bool operator==(const RowInfo&) const = default;
};

struct ColumnInfo {
    std::optional<double> width;   // characters; none = standard width
    StyleId style = kNoStyle;      // format of the whole column
    bool hidden = false;           // kept with its width, but neither shown nor printed
    bool operator==(const ColumnInfo&) const = default;
};

struct PageSetupData {
    QString printArea;
    double leftMargin = 0.7 * 72, rightMargin = 0.7 * 72;   // points
    double topMargin = 0.75 * 72, bottomMargin = 0.75 * 72;
    double headerMargin = 0.3 * 72, footerMargin = 0.3 * 72;
    int printComments = -4142;
    int orientation = 1;       // 1 portrait, 2 landscape
    int paperSize = 9;         // 9 = A4
    std::optional<int> zoom = 100;  // none = "Zoom = False": fit to pages
    int fitToPagesWide = 1;    // either 0 = automatic: only the other one sets the scale
    int fitToPagesTall = 1;
    std::optional<std::pair<int, int>> printTitleRows;     // 0-based first, last
    std::optional<std::pair<int, int>> printTitleColumns;  // 0-based first, last
    bool printGridlines = false;
    bool centerHorizontally = false;
    bool centerVertically = false;
    bool operator==(const PageSetupData&) const = default;
};

class Sheet {
public:
    explicit Sheet(QString sheetName) : name(std::move(sheetName)) {}

    QString name;

    // --- cells
    const Cell* find(int row, int col) const;
    Cell* find(int row, int col);
    Cell& at(int row, int col);  // creates an empty cell if needed
    void erase(int row, int col);
    // Calls f(row, col, const Cell&) for every stored cell, row by row, left to right.
    template <class F>
    void forEachCell(F&& f) const {
        for (int r = 0; r < static_cast<int>(rows_.size()); ++r)
            for (const auto& [c, cell] : rows_[r].cells) f(r, static_cast<int>(c), cell);
    }
    template <class F>
    void forEachCellInRow(int row, F&& f) const {
        if (row < 0 || row >= static_cast<int>(rows_.size())) return;
        for (const auto& [c, cell] : rows_[row].cells) f(static_cast<int>(c), cell);
    }
    // The cells of one row, ordered by column (none for a row past the last),
    // for readers that look up many cells of a row or walk a part of it.
    std::span<const std::pair<uint16_t, Cell>> cellsInRow(int row) const {
        if (row < 0 || row >= static_cast<int>(rows_.size())) return {};
        return rows_[static_cast<size_t>(row)].cells;
    }
    // Mutable access for sorting and bulk edits: the cells of one row, ordered by column.
    std::vector<std::pair<uint16_t, Cell>>& rowCells(int row);
    // The room a row makes when it must grow past `cells`: by half rather
    // than doubling, since a long sheet's rows hold a handful of cells each
    // and doubling leaves a third of its memory unused. Every writer that
    // grows a row's cells grows it so.
    static size_t grownRowRoom(size_t cells) { return cells + std::max<size_t>(4, cells / 2); }
    // One past the last row that holds any cell or row information.
    int rowExtent() const { return static_cast<int>(rows_.size()); }

    // --- rows and columns
    const RowInfo* findRowInfo(int row) const;
    RowInfo& rowInfo(int row);
    template <class F>
    void forEachRowInfo(F&& f) const {  // f(row, const RowInfo&) for rows with information
        for (int r = 0; r < static_cast<int>(rows_.size()); ++r)
            if (rows_[r].info != RowInfo{}) f(r, rows_[r].info);
    }
    std::array<ColumnInfo, kMaxColumns> columns{};

    // --- formats
    StyleId sheetStyle = kDefaultStyle;  // the format of every cell with none of its own
    // Cell, then row, then column, then sheet.
    StyleId effectiveStyle(int row, int col) const;

    double standardRowHeight = 12.75;    // points
    double standardColumnWidth = 8.43;   // characters

    std::vector<CellRange> merges;
    const CellRange* mergeAt(int row, int col) const;

    PageSetupData page;

    CellRange selection{0, 0, 0, 0};
    CellAddress activeCell{0, 0};

    // Removes every cell, row and column information, merge and format.
    void clearAll();

private:
    struct RowStore {
        RowInfo info;
        std::vector<std::pair<uint16_t, Cell>> cells;  // sorted by column
    };
    RowStore& rowStore(int row);
    std::vector<RowStore> rows_;
};

}  // namespace brevanta::model
