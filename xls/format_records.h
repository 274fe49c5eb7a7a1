#pragma once
// The workbook's format tables: FONT, FORMAT, XF and STYLE records, built
// from the model's cell styles (writing) or decoded back into them (reading).

#include <QHash>
#include <QString>
#include <cstdint>
#include <map>
#include <span>
#include <unordered_map>
#include <vector>

#include "engine/model/style.h"
#include "xls/biff_records.h"

namespace brevanta::xls {

// XF numbers of the standard table every workbook starts with.
inline constexpr uint16_t kDefaultCellXf = 15;
inline constexpr uint16_t kFirstUserXf = 21;

class FormatTableWriter {
public:
    explicit FormatTableWriter(const model::StyleTable& styles);
    // Gives the style a cell XF (once); call for every style the sheets use before writing.
    void use(model::StyleId style);
    uint16_t xfOf(model::StyleId style) const;

    void writeFonts(RecordWriter& out) const;
    void writeFormats(RecordWriter& out) const;
    void writeXfs(RecordWriter& out) const;
    void writeStyles(RecordWriter& out) const;

private:
    uint16_t fontOf(const model::Font& font);
    uint16_t formatOf(const QString& text);

    const model::StyleTable& styles_;
    std::vector<model::Font> fonts_;              // user fonts, indexes 5, 6, ...
    std::vector<QString> userFormats_;            // numbers 164, 165, ...
    std::unordered_map<model::StyleId, uint16_t> xfByStyle_;
    struct CellXf { uint16_t font; uint16_t format; const model::CellStyle* style; };
    std::vector<CellXf> cellXfs_;                 // XF 21, 22, ...
};

// Collects the format records of a file and turns XF numbers into model styles.
class FormatTableReader {
public:
    void addFont(std::span<const uint8_t> data);
    void addFormat(std::span<const uint8_t> data);
    void addXf(std::span<const uint8_t> data);
    // The model style of an XF number (memoised); the default style for an unknown number.
    model::StyleId styleOf(uint16_t xf, model::StyleTable& styles) {
        // Every cell asks: a table by XF number answers without hashing.
        if (xf < memo_.size() && memo_[xf] != model::kNoStyle) return memo_[xf];
        return firstStyleOf(xf, styles);
    }

private:
    struct Xf {
        uint16_t font = 0;
        uint16_t format = 0;
        uint8_t alignment = 0x20;
        uint8_t pattern = 0;
        uint16_t foreground = kIcvForegroundDefault;
    };
    static constexpr uint16_t kIcvForegroundDefault = 64;
    model::CellStyle decode(const Xf& xf) const;
    model::StyleId firstStyleOf(uint16_t xf, model::StyleTable& styles);

    std::vector<model::Font> fonts_;
    std::map<uint16_t, QString> formats_;
    std::vector<Xf> xfs_;
    std::vector<model::StyleId> memo_;  // by XF number; kNoStyle where not looked up yet
};

}  // namespace brevanta::xls
