#include "engine/embedded/formatting.h"

#include <algorithm>
#include <array>
#include <tuple>
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
// format of its own, mapped from the one it shows. Each row's cells are
// walked once from the block's first column, rather than each cell looked
// up, and a row makes room for the whole block at once, with the spare room
// a row grows by (Sheet::at), rather than growing cell by cell.
template <class Mapping>
void mapBlock(Sheet& sheet, const CellRange& range, Mapping&& mapping) {
    const size_t width = size_t(range.colCount());
    StyleId lastShown = kNoStyle, lastMapped = kNoStyle;
    bool mappedAny = false;
    for (int row = range.firstRow; row <= range.lastRow; ++row) {
        const model::RowInfo* info = sheet.findRowInfo(row);
        const StyleId rowStyle = info ? info->style : kNoStyle;  // inheritedStyle's first choice
        auto& cells = sheet.rowCells(row);
        if (const size_t wanted = cells.size() + width; cells.capacity() < wanted)
            cells.reserve(Sheet::grownRowRoom(wanted));
        auto place = std::lower_bound(cells.begin(), cells.end(), range.firstCol,
                                      [](const auto& entry, int col) { return entry.first < col; });
        for (int col = range.firstCol; col <= range.lastCol; ++col, ++place) {
            if (place == cells.end()) {  // the room was made: nothing moves
                cells.emplace_back(std::piecewise_construct, std::forward_as_tuple(uint16_t(col)), std::forward_as_tuple());
                place = cells.end() - 1;
            } else if (place->first != col) {
                place = cells.emplace(place, std::piecewise_construct, std::forward_as_tuple(uint16_t(col)),
                                      std::forward_as_tuple());
            }
            model::Cell& cell = place->second;
            const StyleId inherited = rowStyle != kNoStyle                   ? rowStyle
                                      : sheet.columns[col].style != kNoStyle ? sheet.columns[col].style
                                                                             : sheet.sheetStyle;
            const StyleId shown = cell.style != kNoStyle ? cell.style : inherited;
            if (!mappedAny || shown != lastShown) {  // a run of cells showing one format is mapped once
                lastShown = shown;
                lastMapped = mapping(shown);
                mappedAny = true;
            }
            cell.style = lastMapped;
        }
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

StyleId RecentEdits::lookUp(model::StyleTable& styles, StyleId shown, NamedEdit name,
                            const std::function<void(model::CellStyle&)>& edit) {
    for (size_t i = 0; i < count_; ++i)
        if (entries_[i].matches(shown, name)) {
            last_ = i;
            return entries_[i].derived;
        }
    const StyleId made = styles.deriveNamed(shown, name.property, name.value, edit);
    last_ = next_;
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
        const auto editBlock = [&](RecentEdits& remembered) {
            mapBlock(sheet, range, [&](StyleId shown) { return remembered.derived(styles, shown, *name, edit); });
        };
        if (recent) {
            editBlock(*recent);
        } else {
            RecentEdits own;
            editBlock(own);
        }
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
