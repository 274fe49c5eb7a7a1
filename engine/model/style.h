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

    // derive() for an edit that (kind, argument) name completely: what it
    // makes of each format is remembered, as formats never change once made.
    template <class Edit>
    StyleId deriveNamed(StyleId base, int kind, double argument, Edit&& edit) {
        const Derivation key{base, kind, argument};
        if (const auto it = derivations_.find(key); it != derivations_.end()) return it->second;
        const StyleId derived = derive(base, std::forward<Edit>(edit));
        derivations_.emplace(key, derived);
        return derived;
    }

private:
    struct Derivation {
        StyleId base;
        int kind;
        double argument;
        bool operator==(const Derivation&) const = default;
    };
    struct DerivationHash {
        size_t operator()(const Derivation& d) const {
            return std::hash<double>{}(d.argument) ^ (size_t(d.base) * 0x9e3779b97f4a7c15ULL) ^ (size_t(d.kind) << 48);
        }
    };
    std::vector<CellStyle> styles_;
    std::unordered_map<CellStyle, StyleId, CellStyleHash> index_;
    std::unordered_map<Derivation, StyleId, DerivationHash> derivations_;
};

}  // namespace brevanta::model
