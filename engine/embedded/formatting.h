#pragma once
// Formats over ranges of a sheet. Whole-sheet, whole-column and whole-row
// formats are kept as the sheet's, columns' and rows' defaults, so
// formatting all of a sheet stores no cells; a block of cells gets formats
// of its own. Cells that already have a format of their own inside the
// range get theirs re-derived, so nothing they had is lost.

#include <array>
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

// What named edits made of the formats they met last. A long sheet's
// bands ask for the same few again and again, cell after cell and range
// after range: found here without hashing a format or an edit.
class RecentEdits {
public:
    model::StyleId derived(model::StyleTable& styles, model::StyleId shown, NamedEdit name,
                           const std::function<void(model::CellStyle&)>& edit) {
        const Entry& last = entries_[last_];
        return last.matches(shown, name) ? last.derived : lookUp(styles, shown, name, edit);
    }

private:
    struct Entry {
        model::StyleId shown = model::kNoStyle;
        NamedEdit name{};
        model::StyleId derived = model::kNoStyle;
        bool matches(model::StyleId format, NamedEdit edit) const {
            return shown == format && name.property == edit.property && name.value == edit.value;
        }
    };
    model::StyleId lookUp(model::StyleTable& styles, model::StyleId shown, NamedEdit name,
                          const std::function<void(model::CellStyle&)>& edit);
    std::array<Entry, 8> entries_{};
    size_t count_ = 0;
    size_t next_ = 0;
    size_t last_ = 0;  // the entry found or made last
};

// Applies `edit` to a copy of every format shown inside `range` (memoised
// per format; for a named edit, across calls too, and through `recent`
// when given, for a run of edits over many ranges).
void editFormat(model::Sheet& sheet, model::StyleTable& styles, const model::CellRange& range,
                const std::function<void(model::CellStyle&)>& edit, std::optional<NamedEdit> name = std::nullopt,
                RecentEdits* recent = nullptr);

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
