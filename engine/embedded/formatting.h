#pragma once
// Formats over ranges of a sheet. Whole-sheet, whole-column and whole-row
// formats are kept as the sheet's, columns' and rows' defaults, so
// formatting all of a sheet stores no cells; a block of cells gets formats
// of its own. Cells that already have a format of their own inside the
// range get theirs re-derived, so nothing they had is lost.

#include <functional>
#include <optional>

#include "engine/model/sheet.h"
#include "engine/model/style.h"

namespace brevanta::engine {

// Turns the format a place shows now into the one it shows afterwards.
using StyleMapping = std::function<model::StyleId(model::StyleId shown)>;

// Applies `mapping` to every format shown inside `range`.
void applyFormat(model::Sheet& sheet, const model::CellRange& range, const StyleMapping& mapping);

// An edit named by the property it sets and the value it sets it to.
struct NamedEdit {
    int property;
    double value;
};

// Applies `edit` to a copy of every format shown inside `range` (memoised
// per format; for a named edit, across calls too).
void editFormat(model::Sheet& sheet, model::StyleTable& styles, const model::CellRange& range,
                const std::function<void(model::CellStyle&)>& edit, std::optional<NamedEdit> name = std::nullopt);

// Calls `visit` with the format of every place in `range` (the same format
// may come more than once); stops early when `visit` returns false.
void visitFormats(const model::Sheet& sheet, const model::CellRange& range,
                  const std::function<bool(model::StyleId)>& visit);

// The value `property` gives for every format in `range`, or nothing when
// the places differ (a spreadsheet's "mixed" answer).
template <class T, class Property>
std::optional<T> commonProperty(const model::Sheet& sheet, const model::StyleTable& styles,
                                const model::CellRange& range, Property&& property) {
    std::optional<T> common;
    bool mixed = false;
    visitFormats(sheet, range, [&](model::StyleId id) {
        T value = property(styles.get(id));
        if (!common) common = value;
        else if (!(*common == value)) mixed = true;
        return !mixed;
    });
    return mixed ? std::nullopt : common;
}

// The format a cell takes when it has none of its own: row, column, sheet.
model::StyleId inheritedStyle(const model::Sheet& sheet, int row, int col);

}  // namespace brevanta::engine
