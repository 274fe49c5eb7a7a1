#pragma once
// Cell formats. Every distinct format is kept once in the workbook's
// StyleTable; cells, rows, columns and the sheet refer to it by id.

#include <QString>
#include <cstdint>
#include <functional>
#include <unordered_map>
#include <vector>

namespace brevanta::model {

// Host colour-index values a format can hold besides palette indexes 1..56.
inline constexpr int kColorAutomatic = -4105;
inline constexpr int kColorNone = -4142;

struct Font {
    QString name = QStringLiteral("Arial");
    double size = 10;            // points
    bool bold = false;
    bool italic = false;
    bool underline = false;
    bool strikeout = false;
    int colorIndex = kColorAutomatic;  // 1..56, 0 (drawn black) or automatic
    bool operator==(const Font&) const = default;
};

enum class HAlign : uint8_t { General, Left, Center, Right, Fill, Justify, CenterAcross };
enum class VAlign : uint8_t { Top, Center, Bottom, Justify };

struct CellStyle {
    Font font;
    int fillColorIndex = kColorNone;  // 1..56 or none
    HAlign hAlign = HAlign::General;
    VAlign vAlign = VAlign::Bottom;
    bool wrap = false;
    QString numberFormat = QStringLiteral("General");
    bool operator==(const CellStyle&) const = default;
};

using StyleId = uint32_t;
inline constexpr StyleId kDefaultStyle = 0;       // the workbook's Normal format
inline constexpr StyleId kNoStyle = 0xFFFFFFFF;   // "none of its own": inherit

struct CellStyleHash {
    size_t operator()(const CellStyle& s) const;
};

class StyleTable {
public:
    StyleTable();                         // id 0 = CellStyle{}
    StyleId intern(const CellStyle& style);
    const CellStyle& get(StyleId id) const { return styles_[id]; }
    size_t size() const { return styles_.size(); }
    // A copy of `base` with `edit` applied, interned. Memoised per (base, edit key) by callers.
    template <class Edit>
    StyleId derive(StyleId base, Edit&& edit) {
        CellStyle copy = styles_[base];
        edit(copy);
        return intern(copy);
    }

private:
    std::vector<CellStyle> styles_;
    std::unordered_map<CellStyle, StyleId, CellStyleHash> index_;
};

}  // namespace brevanta::model
