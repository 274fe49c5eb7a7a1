#include "xls/format_records.h"

#include <cmath>

#include "xls/biff_strings.h"
#include "xls/style_codes.h"

namespace brevanta::xls {

namespace {

constexpr int kMaxCellXfs = 4000;  // the file format's XF table holds 4,050 at most

// ---------------------------------------------------------------- one record each

// FONT: height in twips, attributes, colour, weight, underline, name.
QByteArray fontRecord(const model::Font& font) {
    ByteWriter out;
    out.u16(static_cast<uint16_t>(std::lround(font.size * 20)));
    // Bit 0 repeats the weight for readers that take boldness from the flags.
    out.u16(static_cast<uint16_t>((font.bold ? 0x0001 : 0) | (font.italic ? 0x0002 : 0) | (font.strikeout ? 0x0008 : 0)));
    out.u16(fontIcv(font.colorIndex));
    out.u16(font.bold ? 700 : 400);
    out.u16(0);                          // no super/subscript
    out.u8(font.underline ? 0x01 : 0x00);
    out.u8(0x02);                        // family: swiss
    out.u8(0x00);                        // ANSI character set
    out.u8(0x00);
    writeShortUnicodeString(out, font.name);
    return out.bytes();
}

// XF: font, format, protection/parent, alignment, borders and fill.
QByteArray xfRecord(uint16_t font, uint16_t format, bool styleXf, uint8_t usedAttributes,
                    const model::CellStyle& style) {
    ByteWriter out;
    out.u16(font);
    out.u16(format);
    out.u16(styleXf ? 0xFFF5 : 0x0001);  // locked; a style XF has no parent, a cell XF's parent is Normal
    out.u8(static_cast<uint8_t>(static_cast<int>(style.hAlign) | (style.wrap ? 0x08 : 0) |
                                (static_cast<int>(style.vAlign) << 4)));
    out.u8(0);  // rotation
    out.u8(0);  // indent, shrink, reading order
    out.u8(usedAttributes);
    out.u32(0);  // no borders
    const bool filled = style.fillColorIndex != model::kColorNone;
    out.u32(filled ? (1u << 26) : 0u);  // solid pattern
    const uint16_t foreground = filled ? fillIcv(style.fillColorIndex) : kIcvSystemForeground;
    out.u16(static_cast<uint16_t>(foreground | (kIcvSystemBackground << 7)));
    return out.bytes();
}

}  // namespace

// ---------------------------------------------------------------- writing

FormatTableWriter::FormatTableWriter(const model::StyleTable& styles) : styles_(styles) {}

uint16_t FormatTableWriter::fontOf(const model::Font& font) {
    if (font == model::Font{}) return 0;
    for (size_t i = 0; i < fonts_.size(); ++i)
        if (fonts_[i] == font) return static_cast<uint16_t>(i + 5);
    fonts_.push_back(font);
    return static_cast<uint16_t>(fonts_.size() + 4);  // index 4 does not exist
}

uint16_t FormatTableWriter::formatOf(const QString& text) {
    if (const int builtIn = builtInFormatNumber(text); builtIn >= 0) return static_cast<uint16_t>(builtIn);
    for (size_t i = 0; i < userFormats_.size(); ++i)
        if (userFormats_[i] == text) return static_cast<uint16_t>(kFirstUserFormat + i);
    userFormats_.push_back(text);
    return static_cast<uint16_t>(kFirstUserFormat + userFormats_.size() - 1);
}

void FormatTableWriter::use(model::StyleId style) {
    if (style == model::kNoStyle || style >= styles_.size() || xfByStyle_.count(style)) return;
    const model::CellStyle& cellStyle = styles_.get(style);
    if (cellStyle == model::CellStyle{}) {
        xfByStyle_.emplace(style, kDefaultCellXf);
        return;
    }
    if (cellXfs_.size() >= kMaxCellXfs)
        throw frame::Failure(QStringLiteral("The workbook has too many different cell formats to be saved."));
    const uint16_t xf = static_cast<uint16_t>(kFirstUserXf + cellXfs_.size());
    cellXfs_.push_back({fontOf(cellStyle.font), formatOf(cellStyle.numberFormat), &cellStyle});
    xfByStyle_.emplace(style, xf);
}

uint16_t FormatTableWriter::xfOf(model::StyleId style) const {
    const auto it = xfByStyle_.find(style);
    return it == xfByStyle_.end() ? kDefaultCellXf : it->second;
}

void FormatTableWriter::writeFonts(RecordWriter& out) const {
    const QByteArray standard = fontRecord(model::Font{});
    for (int i = 0; i < 4; ++i) out.write(record::Font, standard);
    for (const auto& font : fonts_) out.write(record::Font, fontRecord(font));
}

void FormatTableWriter::writeFormats(RecordWriter& out) const {
    // The four accounting formats the built-in Comma and Currency styles use, as a new workbook has them.
    for (int number : {41, 42, 43, 44}) {
        ByteWriter payload;
        payload.u16(static_cast<uint16_t>(number));
        writeUnicodeString(payload, builtInFormatText(number));
        out.write(record::Format, payload);
    }
    for (size_t i = 0; i < userFormats_.size(); ++i) {
        ByteWriter payload;
        payload.u16(static_cast<uint16_t>(kFirstUserFormat + i));
        writeUnicodeString(payload, userFormats_[i]);
        out.write(record::Format, payload);
    }
}

void FormatTableWriter::writeXfs(RecordWriter& out) const {
    const model::CellStyle standard;
    // Style XFs 0-14: Normal and the outline-level styles.
    out.write(record::Xf, xfRecord(0, 0, true, 0x00, standard));
    for (int i = 1; i < 15; ++i) out.write(record::Xf, xfRecord(0, 0, true, 0xF4, standard));
    // Cell XF 15: the format of a cell nobody formatted.
    out.write(record::Xf, xfRecord(0, 0, false, 0x00, standard));
    // Style XFs 16-20: Comma, Comma [0], Currency, Currency [0], Percent.
    for (uint16_t format : {43, 41, 44, 42, 9}) out.write(record::Xf, xfRecord(1, format, true, 0xF8, standard));
    // Cell XFs of the workbook's own formats: every attribute given here, none from the parent.
    for (const auto& xf : cellXfs_) out.write(record::Xf, xfRecord(xf.font, xf.format, false, 0xFC, *xf.style));
}

void FormatTableWriter::writeStyles(RecordWriter& out) const {
    struct BuiltInStyle { uint16_t xf; uint8_t id; };
    constexpr BuiltInStyle kStyles[] = {{16, 3}, {17, 6}, {18, 4}, {19, 7}, {0, 0}, {20, 5}};
    for (const auto& s : kStyles) {
        ByteWriter payload;
        payload.u16(static_cast<uint16_t>(0x8000 | s.xf));
        payload.u8(s.id);
        payload.u8(0xFF);
        out.write(record::Style, payload);
    }
}

// ---------------------------------------------------------------- reading

void FormatTableReader::addFont(std::span<const uint8_t> data) {
    ByteReader in(data, "a font record");
    model::Font font;
    font.size = in.u16() / 20.0;
    const uint16_t attributes = in.u16();
    font.italic = attributes & 0x0002;
    font.strikeout = attributes & 0x0008;
    font.colorIndex = fontColorIndex(in.u16());
    font.bold = in.u16() >= 600;
    in.skip(2);
    font.underline = in.u8() != 0;
    in.skip(3);
    font.name = readShortUnicodeString(in);
    fonts_.push_back(font);
}

void FormatTableReader::addFormat(std::span<const uint8_t> data) {
    ByteReader in(data, "a number format record");
    const uint16_t number = in.u16();
    formats_[number] = readUnicodeString(in);
}

void FormatTableReader::addXf(std::span<const uint8_t> data) {
    ByteReader in(data, "a cell format record");
    Xf xf;
    xf.font = in.u16();
    xf.format = in.u16();
    in.skip(2);
    xf.alignment = in.u8();
    in.skip(3 + 4);
    xf.pattern = static_cast<uint8_t>(in.u32() >> 26);
    xf.foreground = in.u16() & 0x7F;
    xfs_.push_back(xf);
}

model::CellStyle FormatTableReader::decode(const Xf& xf) const {
    model::CellStyle style;
    // Font numbers above 4 are one past their place: number 4 does not exist.
    const size_t fontPlace = xf.font >= 4 ? xf.font - 1u : xf.font;
    if (fontPlace < fonts_.size()) style.font = fonts_[fontPlace];
    if (const auto it = formats_.find(xf.format); it != formats_.end()) style.numberFormat = it->second;
    else style.numberFormat = builtInFormatText(xf.format);
    const int horizontal = xf.alignment & 0x07;
    style.hAlign = horizontal <= 6 ? static_cast<model::HAlign>(horizontal) : model::HAlign::General;
    style.wrap = xf.alignment & 0x08;
    const int vertical = (xf.alignment >> 4) & 0x07;
    style.vAlign = vertical <= 3 ? static_cast<model::VAlign>(vertical) : model::VAlign::Bottom;
    style.fillColorIndex = xf.pattern != 0 ? fillColorIndex(xf.foreground) : model::kColorNone;
    return style;
}

model::StyleId FormatTableReader::firstStyleOf(uint16_t xf, model::StyleTable& styles) {
    if (xf >= xfs_.size()) return model::kDefaultStyle;
    if (memo_.size() < xfs_.size()) memo_.resize(xfs_.size(), model::kNoStyle);
    model::StyleId& id = memo_[xf];
    if (id == model::kNoStyle) id = styles.intern(decode(xfs_[xf]));
    return id;
}

}  // namespace brevanta::xls
