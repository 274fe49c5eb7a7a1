#include "engine/embedded/sheet_edit.h"

#include <algorithm>
#include <cmath>

#include "engine/embedded/address.h"
#include "engine/embedded/formatting.h"

namespace brevanta::engine {

using model::CellRange;
using model::kNoStyle;
using model::Sheet;

namespace {

bool intersects(const CellRange& a, const CellRange& b) {
    return a.firstRow <= b.lastRow && b.firstRow <= a.lastRow && a.firstCol <= b.lastCol && b.firstCol <= a.lastCol;
}

CellRange unite(const CellRange& a, const CellRange& b) {
    return {std::min(a.firstRow, b.firstRow), std::min(a.firstCol, b.firstCol), std::max(a.lastRow, b.lastRow),
            std::max(a.lastCol, b.lastCol)};
}

}  // namespace

void clearRange(Sheet& sheet, const CellRange& range) {
    std::erase_if(sheet.merges, [&](const CellRange& merge) { return intersects(merge, range); });
    if (coversAllRows(range) && coversAllColumns(range)) {
        for (int row = 0; row < sheet.rowExtent(); ++row) {
            sheet.rowCells(row).clear();
            if (sheet.findRowInfo(row)) sheet.rowInfo(row).style = kNoStyle;
        }
        for (auto& column : sheet.columns) column.style = kNoStyle;
        sheet.sheetStyle = model::kDefaultStyle;
        return;
    }
    // Formats go back to the workbook's Normal format, then the cells that
    // would show it anyway are dropped.
    applyFormat(sheet, range, [](model::StyleId) { return model::kDefaultStyle; });
    const int lastRow = std::min(range.lastRow, sheet.rowExtent() - 1);
    for (int row = range.firstRow; row <= lastRow; ++row) {
        auto& cells = sheet.rowCells(row);
        std::erase_if(cells, [&](std::pair<uint16_t, model::Cell>& entry) {
            const int col = entry.first;
            if (col < range.firstCol || col > range.lastCol) return false;
            entry.second.value = model::Empty{};
            entry.second.formula.reset();
            return entry.second.style == kNoStyle || entry.second.style == inheritedStyle(sheet, row, col);
        });
    }
}

void mergeRange(Sheet& sheet, const CellRange& range) {
    if (range.rowCount() == 1 && range.colCount() == 1) return;
    CellRange area = range;
    for (bool grown = true; grown;) {
        grown = false;
        for (const auto& merge : sheet.merges)
            if (intersects(merge, area) && unite(merge, area) != area) {
                area = unite(merge, area);
                grown = true;
            }
    }
    std::erase_if(sheet.merges, [&](const CellRange& merge) { return intersects(merge, area); });
    const int lastRow = std::min(area.lastRow, sheet.rowExtent() - 1);
    for (int row = area.firstRow; row <= lastRow; ++row) {
        std::erase_if(sheet.rowCells(row), [&](std::pair<uint16_t, model::Cell>& entry) {
            const int col = entry.first;
            if (col < area.firstCol || col > area.lastCol) return false;
            if (row == area.firstRow && col == area.firstCol) return false;
            entry.second.value = model::Empty{};
            entry.second.formula.reset();
            return entry.second.style == kNoStyle;
        });
    }
    sheet.merges.push_back(area);
}

void setRowHeight(Sheet& sheet, const CellRange& range, double points) {
    if (coversAllRows(range)) {
        sheet.standardRowHeight = points;
        for (int row = 0; row < sheet.rowExtent(); ++row)
            if (sheet.findRowInfo(row)) sheet.rowInfo(row).height.reset();
        return;
    }
    for (int row = range.firstRow; row <= range.lastRow; ++row) sheet.rowInfo(row).height = points;
}

std::optional<double> commonRowHeight(const Sheet& sheet, const CellRange& range) {
    std::optional<double> common;
    auto consider = [&](double height) {
        if (!common) common = height;
        return *common == height;
    };
    const int storedLast = std::min(range.lastRow, sheet.rowExtent() - 1);
    for (int row = range.firstRow; row <= storedLast; ++row) {
        const auto* info = sheet.findRowInfo(row);
        if (!consider(info && info->height ? *info->height : sheet.standardRowHeight)) return std::nullopt;
    }
    if (range.lastRow > storedLast && !consider(sheet.standardRowHeight)) return std::nullopt;
    return common;
}

void setColumnWidth(Sheet& sheet, const CellRange& range, double characters) {
    for (int col = range.firstCol; col <= range.lastCol; ++col) sheet.columns[col].width = characters;
}

std::optional<double> commonColumnWidth(const Sheet& sheet, const CellRange& range) {
    std::optional<double> common;
    for (int col = range.firstCol; col <= range.lastCol; ++col) {
        const double width = sheet.columns[col].width.value_or(sheet.standardColumnWidth);
        if (!common) common = width;
        else if (*common != width) return std::nullopt;
    }
    return common;
}

void setColumnHidden(Sheet& sheet, const CellRange& range, bool hidden) {
    for (int col = range.firstCol; col <= range.lastCol; ++col) sheet.columns[col].hidden = hidden;
}

std::optional<bool> commonColumnHidden(const Sheet& sheet, const CellRange& range) {
    for (int col = range.firstCol + 1; col <= range.lastCol; ++col)
        if (sheet.columns[col].hidden != sheet.columns[range.firstCol].hidden) return std::nullopt;
    return sheet.columns[range.firstCol].hidden;
}

CellRange usedRange(const Sheet& sheet) {
    std::optional<CellRange> used;
    auto take = [&](const CellRange& area) { used = used ? unite(*used, area) : area; };
    std::optional<std::pair<int, int>> rowSpan;  // rows that count by their row information only
    // A row's cells are ordered by column: its first and last cells that
    // count are all it adds, found from either end.
    auto counts = [](const auto& entry) {
        const model::Cell& cell = entry.second;
        return !model::isEmpty(cell.value) || cell.formula || cell.style != kNoStyle;
    };
    for (int row = 0; row < sheet.rowExtent(); ++row) {
        const auto cells = sheet.cellsInRow(row);
        const auto first = std::find_if(cells.begin(), cells.end(), counts);
        if (first == cells.end()) continue;
        const auto last = std::find_if(cells.rbegin(), cells.rend(), counts);
        take({row, int(first->first), row, int(last->first)});
    }
    for (const auto& merge : sheet.merges) take(merge);
    sheet.forEachRowInfo([&](int row, const model::RowInfo& info) {
        if (!info.height && info.style == kNoStyle) return;
        rowSpan = rowSpan ? std::pair{std::min(rowSpan->first, row), std::max(rowSpan->second, row)}
                          : std::pair{row, row};
    });
    if (!used && !rowSpan) return {0, 0, 0, 0};
    if (!used) return {rowSpan->first, 0, rowSpan->second, 0};
    if (rowSpan) {
        used->firstRow = std::min(used->firstRow, rowSpan->first);
        used->lastRow = std::max(used->lastRow, rowSpan->second);
    }
    return *used;
}

}  // namespace brevanta::engine
