#include <QHash>
#include <algorithm>
#include <tuple>

#include "engine/model/formula.h"
#include "engine/model/sheet.h"
#include "engine/model/style.h"
#include "engine/model/value.h"
#include "engine/model/workbook.h"

namespace brevanta::model {

// ---------------------------------------------------------------- values

namespace {
struct ErrorName {
    ErrorCode code;
    const char* text;
};
constexpr ErrorName kErrorNames[] = {
    {ErrorCode::Null, "#NULL!"}, {ErrorCode::Div0, "#DIV/0!"}, {ErrorCode::Value, "#VALUE!"},
    {ErrorCode::Ref, "#REF!"},   {ErrorCode::Name, "#NAME?"},  {ErrorCode::Num, "#NUM!"},
    {ErrorCode::NA, "#N/A"},
};
}  // namespace

QString errorText(ErrorCode code) {
    for (const auto& e : kErrorNames)
        if (e.code == code) return QString::fromLatin1(e.text);
    return QStringLiteral("#VALUE!");
}

std::optional<ErrorCode> errorFromText(const QString& text) {
    for (const auto& e : kErrorNames)
        if (text.compare(QLatin1String(e.text), Qt::CaseInsensitive) == 0) return e.code;
    return std::nullopt;
}

std::optional<ErrorCode> errorFromCode(uint8_t code) {
    for (const auto& e : kErrorNames)
        if (static_cast<uint8_t>(e.code) == code) return e.code;
    return std::nullopt;
}

// ---------------------------------------------------------------- functions

namespace {
using F = FunctionId;
constexpr FunctionInfo kFunctions[] = {
    {F::Count, "COUNT", 0, 0, 30, false, "R", 'V'},
    {F::If, "IF", 1, 2, 3, false, "VR", 'R'},
    {F::IsError, "ISERROR", 3, 1, 1, true, "V", 'V'},
    {F::Sum, "SUM", 4, 0, 30, false, "R", 'V'},
    {F::Average, "AVERAGE", 5, 1, 30, false, "R", 'V'},
    {F::Min, "MIN", 6, 1, 30, false, "R", 'V'},
    {F::Max, "MAX", 7, 1, 30, false, "R", 'V'},
    {F::Round, "ROUND", 27, 2, 2, true, "V", 'V'},
    {F::Abs, "ABS", 24, 1, 1, true, "V", 'V'},
    {F::Len, "LEN", 32, 1, 1, true, "V", 'V'},
    {F::True, "TRUE", 34, 0, 0, true, "V", 'V'},
    {F::False, "FALSE", 35, 0, 0, true, "V", 'V'},
    {F::And, "AND", 36, 1, 30, false, "R", 'V'},
    {F::Or, "OR", 37, 1, 30, false, "R", 'V'},
    {F::Not, "NOT", 38, 1, 1, true, "V", 'V'},
    {F::IsText, "ISTEXT", 127, 1, 1, true, "V", 'V'},
    {F::IsNumber, "ISNUMBER", 128, 1, 1, true, "V", 'V'},
    {F::IsBlank, "ISBLANK", 129, 1, 1, true, "V", 'V'},
    {F::N, "N", 131, 1, 1, true, "R", 'V'},
    {F::Concatenate, "CONCATENATE", 336, 0, 30, false, "V", 'V'},
    {F::SumIf, "SUMIF", 345, 2, 3, false, "RVR", 'V'},
    {F::CountIf, "COUNTIF", 346, 2, 2, true, "RV", 'V'},
};
}  // namespace

std::span<const FunctionInfo> functionTable() { return kFunctions; }

const FunctionInfo& functionInfo(FunctionId id) {
    for (const auto& f : kFunctions)
        if (f.id == id) return f;
    return kFunctions[0];
}

const FunctionInfo* functionByName(const QString& upperName) {
    for (const auto& f : kFunctions)
        if (upperName == QLatin1String(f.name)) return &f;
    return nullptr;
}

const FunctionInfo* functionByBiffIndex(uint16_t index) {
    for (const auto& f : kFunctions)
        if (f.biffIndex == index) return &f;
    return nullptr;
}

// ---------------------------------------------------------------- styles

size_t CellStyleHash::operator()(const CellStyle& s) const {
    size_t h = qHash(s.font.name) ^ (qHash(s.numberFormat) << 1);
    auto mix = [&h](size_t v) { h ^= v + 0x9e3779b97f4a7c15ULL + (h << 6) + (h >> 2); };
    mix(std::hash<double>{}(s.font.size));
    mix((s.font.bold ? 1u : 0u) | (s.font.italic ? 2u : 0u) | (s.font.underline ? 4u : 0u) |
        (s.font.strikeout ? 8u : 0u) | (s.wrap ? 16u : 0u));
    mix(static_cast<size_t>(s.font.colorIndex + 10000));
    mix(static_cast<size_t>(s.fillColorIndex + 10000));
    mix(static_cast<size_t>(s.hAlign) * 16 + static_cast<size_t>(s.vAlign));
    return h;
}

StyleTable::StyleTable() { intern(CellStyle{}); }

StyleId StyleTable::intern(const CellStyle& style) {
    if (auto it = index_.find(style); it != index_.end()) return it->second;
    const auto id = static_cast<StyleId>(styles_.size());
    styles_.push_back(style);
    index_.emplace(style, id);
    return id;
}

// ---------------------------------------------------------------- sheet

Sheet::RowStore& Sheet::rowStore(int row) {
    if (row >= static_cast<int>(rows_.size())) rows_.resize(row + 1);
    return rows_[row];
}

const Cell* Sheet::find(int row, int col) const {
    if (row < 0 || row >= static_cast<int>(rows_.size())) return nullptr;
    const auto& cells = rows_[row].cells;
    auto it = std::lower_bound(cells.begin(), cells.end(), col,
                               [](const auto& entry, int c) { return entry.first < c; });
    return (it != cells.end() && it->first == col) ? &it->second : nullptr;
}

Cell* Sheet::find(int row, int col) { return const_cast<Cell*>(std::as_const(*this).find(row, col)); }

Cell& Sheet::at(int row, int col) {
    auto& cells = rowStore(row).cells;
    const auto it = !cells.empty() && cells.back().first < col
                        ? cells.end()
                        : std::lower_bound(cells.begin(), cells.end(), col,
                                           [](const auto& entry, int c) { return entry.first < c; });
    if (it != cells.end() && it->first == col) return it->second;
    // Only a cell being added makes room.
    const auto index = it - cells.begin();
    if (cells.size() == cells.capacity()) cells.reserve(grownRowRoom(cells.size()));
    return cells.emplace(cells.begin() + index, std::piecewise_construct, std::forward_as_tuple(uint16_t(col)),
                         std::forward_as_tuple())
        ->second;
}

void Sheet::erase(int row, int col) {
    if (row < 0 || row >= static_cast<int>(rows_.size())) return;
    auto& cells = rows_[row].cells;
    auto it = std::lower_bound(cells.begin(), cells.end(), col,
                               [](const auto& entry, int c) { return entry.first < c; });
    if (it != cells.end() && it->first == col) cells.erase(it);
}

std::vector<std::pair<uint16_t, Cell>>& Sheet::rowCells(int row) { return rowStore(row).cells; }

const RowInfo* Sheet::findRowInfo(int row) const {
    if (row < 0 || row >= static_cast<int>(rows_.size())) return nullptr;
    return rows_[row].info == RowInfo{} ? nullptr : &rows_[row].info;
}

RowInfo& Sheet::rowInfo(int row) { return rowStore(row).info; }

StyleId Sheet::effectiveStyle(int row, int col) const {
    if (const Cell* cell = find(row, col); cell && cell->style != kNoStyle) return cell->style;
    if (const RowInfo* info = findRowInfo(row); info && info->style != kNoStyle) return info->style;
    if (col >= 0 && col < kMaxColumns && columns[col].style != kNoStyle) return columns[col].style;
    return sheetStyle;
}

const CellRange* Sheet::mergeAt(int row, int col) const {
    for (const auto& m : merges)
        if (m.contains(row, col)) return &m;
    return nullptr;
}

void Sheet::clearAll() {
    rows_.clear();
    columns.fill(ColumnInfo{});
    merges.clear();
    sheetStyle = kDefaultStyle;
}

// ---------------------------------------------------------------- workbook

const Palette& defaultPalette() {
    static const Palette palette = [] {
        constexpr uint32_t rgb[56] = {
            0x000000, 0xFFFFFF, 0xFF0000, 0x00FF00, 0x0000FF, 0xFFFF00, 0xFF00FF, 0x00FFFF,
            0x800000, 0x008000, 0x000080, 0x808000, 0x800080, 0x008080, 0xC0C0C0, 0x808080,
            0x9999FF, 0x993366, 0xFFFFCC, 0xCCFFFF, 0x660066, 0xFF8080, 0x0066CC, 0xCCCCFF,
            0x000080, 0xFF00FF, 0xFFFF00, 0x00FFFF, 0x800080, 0x800000, 0x008080, 0x0000FF,
            0x00CCFF, 0xCCFFFF, 0xCCFFCC, 0xFFFF99, 0x99CCFF, 0xFF99CC, 0xCC99FF, 0xFFCC99,
            0x3366FF, 0x33CCCC, 0x99CC00, 0xFFCC00, 0xFF9900, 0xFF6600, 0x666699, 0x969696,
            0x003366, 0x339966, 0x003300, 0x333300, 0x993300, 0x993366, 0x333399, 0x333333,
        };
        Palette p{};
        for (int i = 0; i < 56; ++i)
            p[i] = rgbValue(int(rgb[i] >> 16) & 0xFF, int(rgb[i] >> 8) & 0xFF, int(rgb[i]) & 0xFF);
        return p;
    }();
    return palette;
}

}  // namespace brevanta::model
