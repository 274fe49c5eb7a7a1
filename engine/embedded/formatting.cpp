#include "engine/embedded/formatting.h"

#include <algorithm>
#include <array>
#include <unordered_map>

#include "engine/embedded/address.h"

namespace brevanta::engine {

using model::CellRange;
using model::kNoStyle;
using model::Sheet;
using model::StyleId;

model::StyleId inheritedStyle(const Sheet& sheet, int row, int col) {
    if (const auto* info = sheet.findRowInfo(row); info && info->style != kNoStyle) return info->style;
    if (sheet.columns[col].style != kNoStyle) return sheet.columns[col].style;
    return sheet.sheetStyle;
}

namespace {

// Cells with a format of their own inside the range get theirs mapped.
void mapOwnFormats(Sheet& sheet, const CellRange& range, const StyleMapping& mapping) {
    const int lastRow = std::min(range.lastRow, sheet.rowExtent() - 1);
    for (int row = range.firstRow; row <= lastRow; ++row)
        for (auto& [col, cell] : sheet.rowCells(row))
            if (col >= range.firstCol && col <= range.lastCol && cell.style != kNoStyle)
                cell.style = mapping(cell.style);
}

// Gives a cell a format of its own: where a row format meets a column
// format, the row's would hide a new column format and the other way round.
void pinCell(Sheet& sheet, int row, int col, const StyleMapping& mapping) {
    const StyleId shown = sheet.effectiveStyle(row, col);
    model::Cell& cell = sheet.at(row, col);
    if (cell.style == kNoStyle) cell.style = mapping(shown);
}

// A block of cells, neither whole rows nor whole columns: each cell gets a
// format of its own, mapped from the one it shows. Made into a cell first,
// so its place is looked up once.
template <class Mapping>
void mapBlock(Sheet& sheet, const CellRange& range, Mapping&& mapping) {
    for (int row = range.firstRow; row <= range.lastRow; ++row)
        for (int col = range.firstCol; col <= range.lastCol; ++col) {
            model::Cell& cell = sheet.at(row, col);
            cell.style = mapping(cell.style != kNoStyle ? cell.style : inheritedStyle(sheet, row, col));
        }
}

}  // namespace

void applyFormat(Sheet& sheet, const CellRange& range, const StyleMapping& mapping) {
    const bool allRows = coversAllRows(range);
    const bool allColumns = coversAllColumns(range);
    if (allRows && allColumns) {
        sheet.sheetStyle = mapping(sheet.sheetStyle);
        for (auto& column : sheet.columns)
            if (column.style != kNoStyle) column.style = mapping(column.style);
        for (int row = 0; row < sheet.rowExtent(); ++row)
            if (const auto* info = sheet.findRowInfo(row); info && info->style != kNoStyle)
                sheet.rowInfo(row).style = mapping(info->style);
        mapOwnFormats(sheet, range, mapping);
        return;
    }
    if (allRows) {  // whole columns
        mapOwnFormats(sheet, range, mapping);
        for (int row = 0; row < sheet.rowExtent(); ++row)
            if (const auto* info = sheet.findRowInfo(row); info && info->style != kNoStyle)
                for (int col = range.firstCol; col <= range.lastCol; ++col) pinCell(sheet, row, col, mapping);
        for (int col = range.firstCol; col <= range.lastCol; ++col) {
            auto& column = sheet.columns[col];
            column.style = mapping(column.style != kNoStyle ? column.style : sheet.sheetStyle);
        }
        return;
    }
    if (allColumns) {  // whole rows
        mapOwnFormats(sheet, range, mapping);
        for (int col = 0; col < model::kMaxColumns; ++col)
            if (sheet.columns[col].style != kNoStyle)
                for (int row = range.firstRow; row <= range.lastRow; ++row) pinCell(sheet, row, col, mapping);
        for (int row = range.firstRow; row <= range.lastRow; ++row) {
            const auto* info = sheet.findRowInfo(row);
            const StyleId base = info && info->style != kNoStyle ? info->style : sheet.sheetStyle;
            sheet.rowInfo(row).style = mapping(base);
        }
        return;
    }
    mapBlock(sheet, range, mapping);
}

StyleId RecentEdits::derived(model::StyleTable& styles, StyleId shown, NamedEdit name,
                             const std::function<void(model::CellStyle&)>& edit) {
    for (size_t i = 0; i < count_; ++i) {
        const Entry& entry = entries_[i];
        if (entry.shown == shown && entry.name.property == name.property && entry.name.value == name.value)
            return entry.derived;
    }
    const StyleId made = styles.deriveNamed(shown, name.property, name.value, edit);
    entries_[next_] = {shown, name, made};
    next_ = (next_ + 1) % entries_.size();
    if (count_ < entries_.size()) ++count_;
    return made;
}

void editFormat(Sheet& sheet, model::StyleTable& styles, const CellRange& range,
                const std::function<void(model::CellStyle&)>& edit, std::optional<NamedEdit> name,
                RecentEdits* recent) {
    if (name) {
        if (coversAllRows(range) || coversAllColumns(range)) {
            applyFormat(sheet, range,
                        [&](StyleId shown) { return styles.deriveNamed(shown, name->property, name->value, edit); });
            return;
        }
        RecentEdits ownRecent;
        RecentEdits& remembered = recent ? *recent : ownRecent;
        mapBlock(sheet, range, [&](StyleId shown) { return remembered.derived(styles, shown, *name, edit); });
        return;
    }
    std::unordered_map<StyleId, StyleId> derived;
    applyFormat(sheet, range, [&](StyleId shown) {
        auto [it, inserted] = derived.try_emplace(shown, shown);
        if (inserted) it->second = styles.derive(shown, edit);
        return it->second;
    });
}

void visitFormats(const Sheet& sheet, const CellRange& range, const std::function<bool(StyleId)>& visit) {
    const int storedLast = std::min(range.lastRow, sheet.rowExtent() - 1);
    for (int row = range.firstRow; row <= storedLast; ++row)
        for (int col = range.firstCol; col <= range.lastCol; ++col)
            if (!visit(sheet.effectiveStyle(row, col))) return;
    if (range.lastRow > storedLast)  // rows that hold nothing show the column or sheet format
        for (int col = range.firstCol; col <= range.lastCol; ++col) {
            const auto& column = sheet.columns[col];
            if (!visit(column.style != kNoStyle ? column.style : sheet.sheetStyle)) return;
        }
}

}  // namespace brevanta::engine
