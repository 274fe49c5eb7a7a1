// The workbook globals substream and the assembly of the whole stream:
// globals first (with BOUNDSHEET positions patched in once the sheets are
// sized), then one substream per sheet.

#include <algorithm>
#include <cmath>

#include "frame/failure.h"
#include "xls/biff_strings.h"
#include "xls/compound_file.h"
#include "xls/format_records.h"
#include "xls/print_ranges.h"
#include "xls/sheet_writer.h"
#include "xls/shared_strings.h"
#include "xls/workbook_stream.h"

namespace brevanta::xls {

namespace {

constexpr double kDigitPixels = 7;    // widest digit of Arial 10 at 96 dpi
constexpr double kPaddingPixels = 5;  // margin a column adds around its characters

class GlobalsWriter {
public:
    GlobalsWriter(const model::Workbook& workbook, ByteWriter& stream) : workbook_(workbook), out_(stream) {}

    // Everything up to the sheets' positions, which are patched in later.
    void write(const FormatTableWriter& formats, const SharedStrings& strings, bool sheetReferences) {
        beginningOfFile();
        interfaceRecords();
        writeAccess();
        out_.u16Record(record::CodePage, 1200);
        out_.u16Record(record::Dsf, 0);
        sheetIds();
        window();
        out_.u16Record(record::Backup, 0);
        out_.u16Record(record::HideObj, 0);
        out_.u16Record(record::DateMode, 0);      // 1900 date system
        out_.u16Record(record::Precision, 1);     // full precision
        out_.u16Record(record::RefreshAll, 0);
        out_.u16Record(record::BookBool, 0);
        formats.writeFonts(out_);
        formats.writeFormats(out_);
        formats.writeXfs(out_);
        formats.writeStyles(out_);
        palette();
        boundSheets();
        country();
        sheetsAndPrintRanges(sheetReferences);
        writeSharedStrings(out_, strings);
        out_.empty(record::Eof);
    }

    // Fills in each BOUNDSHEET's stream position of its sheet's BOF.
    void placeSheets(const std::vector<int>& sheetOffsets) {
        for (size_t i = 0; i < sheetOffsets.size(); ++i)
            out_.stream().patch32(boundSheetPositions_[i], static_cast<uint32_t>(sheetOffsets[i]));
    }

private:
    // BOF: BIFF8, workbook globals.
    void beginningOfFile() {
        ByteWriter p;
        p.u16(0x0600);
        p.u16(0x0005);
        p.u16(0x0DBB);
        p.u16(0x07CC);
        p.u32(0);
        p.u32(0x06);
        out_.write(record::Bof, p);
    }

    void interfaceRecords() {
        out_.u16Record(record::InterfaceHdr, 1200);
        out_.u16Record(record::Mms, 0);
        out_.empty(record::InterfaceEnd);
    }

    // WRITEACCESS: the writer's name, padded with blanks to 112 bytes.
    void writeAccess() {
        ByteWriter p;
        writeUnicodeString(p, QStringLiteral("Brevanta"));
        while (p.size() < 112) p.u8(' ');
        out_.write(record::WriteAccess, p);
    }

    void sheetIds() {
        ByteWriter p;
        for (size_t i = 0; i < workbook_.sheets.size(); ++i) p.u16(static_cast<uint16_t>(i + 1));
        out_.write(record::TabId, p);
    }

    // WINDOW1: window position and size (twips), scroll bars and tabs shown, the active sheet.
    void window() {
        ByteWriter p;
        p.u16(360);
        p.u16(270);
        p.u16(14940);
        p.u16(9150);
        p.u16(0x0038);
        p.u16(static_cast<uint16_t>(activeSheet()));
        p.u16(0);
        p.u16(1);
        p.u16(600);
        out_.write(record::Window1, p);
    }

    int activeSheet() const {
        const int count = static_cast<int>(workbook_.sheets.size());
        return std::clamp(workbook_.activeSheet, 0, std::max(0, count - 1));
    }

    // PALETTE: the workbook's 56 colours, entry n standing for colour index n + 7.
    void palette() {
        ByteWriter p;
        p.u16(56);
        for (model::ColorValue colour : workbook_.palette) {
            p.u8(static_cast<uint8_t>(model::redOf(colour)));
            p.u8(static_cast<uint8_t>(model::greenOf(colour)));
            p.u8(static_cast<uint8_t>(model::blueOf(colour)));
            p.u8(0);
        }
        out_.write(record::Palette, p);
    }

    // BOUNDSHEET: position (patched later), visible worksheet, name.
    void boundSheets() {
        for (const auto& sheet : workbook_.sheets) {
            ByteWriter p;
            p.u32(0);
            p.u8(0);
            p.u8(0);
            writeShortUnicodeString(p, sheet->name.left(31));
            boundSheetPositions_.push_back(out_.position() + 4);
            out_.write(record::BoundSheet, p);
        }
    }

    void country() {
        ByteWriter p;
        p.u16(1);
        p.u16(1);
        out_.write(record::Country, p);
    }

    // Printed ranges and references to other sheets: the internal SUPBOOK,
    // one EXTERNSHEET entry per sheet (formulas name sheet i by entry i), and
    // per sheet a built-in Print_Area and Print_Titles NAME where set.
    void sheetsAndPrintRanges(bool sheetReferences) {
        const int count = static_cast<int>(workbook_.sheets.size());
        std::vector<std::pair<int, model::CellRange>> areas, titles;
        for (int i = 0; i < count; ++i) {
            const model::PageSetupData& page = workbook_.sheets[i]->page;
            if (const auto area = parsePrintArea(page.printArea)) areas.emplace_back(i, *area);
            if (const auto& rows = page.printTitleRows) {
                const int first = std::clamp(rows->first, 0, model::kMaxRows - 1);
                const int last = std::clamp(rows->second, first, model::kMaxRows - 1);
                titles.emplace_back(i, model::CellRange{first, 0, last, model::kMaxColumns - 1});
            }
        }
        if (areas.empty() && titles.empty() && !sheetReferences) return;
        ByteWriter supbook;
        supbook.u16(static_cast<uint16_t>(count));
        supbook.u16(0x0401);  // this workbook
        out_.write(record::SupBook, supbook);
        ByteWriter externs;
        externs.u16(static_cast<uint16_t>(count));
        for (int i = 0; i < count; ++i) {
            externs.u16(0);
            externs.u16(static_cast<uint16_t>(i));
            externs.u16(static_cast<uint16_t>(i));
        }
        out_.write(record::ExternSheet, externs);
        for (const auto& [sheet, range] : areas) builtInName(kPrintAreaName, sheet, range);
        for (const auto& [sheet, range] : titles) builtInName(kPrintTitlesName, sheet, range);
    }

    // NAME: a built-in name local to one sheet whose formula is one 3-D area on it.
    void builtInName(uint8_t code, int sheet, const model::CellRange& range) {
        ByteWriter p;
        p.u16(0x0020);  // built-in
        p.u8(0);
        p.u8(1);        // name length
        p.u16(11);      // formula length
        p.u16(0);
        p.u16(static_cast<uint16_t>(sheet + 1));
        p.u32(0);
        p.u8(0);
        p.u8(code);
        p.u8(0x3B);     // ptgArea3d, reference class
        p.u16(static_cast<uint16_t>(sheet));
        p.u16(static_cast<uint16_t>(range.firstRow));
        p.u16(static_cast<uint16_t>(range.lastRow));
        p.u16(static_cast<uint16_t>(range.firstCol));
        p.u16(static_cast<uint16_t>(range.lastCol));
        out_.write(record::Name, p);
    }

    const model::Workbook& workbook_;
    RecordWriter out_;
    std::vector<int> boundSheetPositions_;
};

}  // namespace

uint16_t columnWidthUnits(double characters) {
    const double clamped = std::clamp(characters, 0.0, 255.0);
    return static_cast<uint16_t>(std::lround((clamped + kPaddingPixels / kDigitPixels) * 256));
}

double columnWidthCharacters(uint16_t units) {
    const double characters = units / 256.0 - kPaddingPixels / kDigitPixels;
    return std::max(0.0, std::round(characters * 100) / 100);
}

std::vector<QByteArray> encodeWorkbookStreamPieces(const model::Workbook& workbook) {
    if (workbook.sheets.empty())
        throw frame::Failure(QStringLiteral("A workbook must contain at least one visible worksheet."));
    FormatTableWriter formats(workbook.styles);
    SharedStrings strings;
    qsizetype texts = 0;  // at most this many different ones
    for (const auto& sheet : workbook.sheets)
        sheet->forEachCell(
            [&](int, int, const model::Cell& cell) { texts += std::holds_alternative<QString>(cell.value); });
    strings.reserve(texts);
    const int active = std::clamp(workbook.activeSheet, 0, static_cast<int>(workbook.sheets.size()) - 1);
    std::vector<QString> names;
    for (const auto& sheet : workbook.sheets) names.push_back(sheet->name);
    std::vector<EncodedSheet> sheets;
    bool sheetReferences = false;
    for (size_t i = 0; i < workbook.sheets.size(); ++i) {
        sheets.push_back(encodeSheet(*workbook.sheets[i], static_cast<int>(i) == active, formats, strings, names));
        sheetReferences = sheetReferences || sheets.back().refersToSheets;
    }

    ByteWriter stream;
    GlobalsWriter globals(workbook, stream);
    globals.write(formats, strings, sheetReferences);
    std::vector<QByteArray> pieces(1);
    std::vector<int> offsets;
    int start = stream.size();
    for (EncodedSheet& sheet : sheets) {
        offsets.push_back(start);
        for (int field : sheet.positionFields) {
            // The piece holding the field, and the field's place in it.
            size_t piece = 0;
            while (piece + 1 < sheet.pieces.size() && field >= sheet.pieces[piece].size()) field -= int(sheet.pieces[piece++].size());
            char* bytes = sheet.pieces[piece].data();
            uint32_t relative = 0;
            for (int i = 3; i >= 0; --i) relative = (relative << 8) | static_cast<uint8_t>(bytes[field + i]);
            relative += static_cast<uint32_t>(start);
            for (int i = 0; i < 4; ++i) bytes[field + i] = static_cast<char>((relative >> (8 * i)) & 0xFF);
        }
        for (QByteArray& piece : sheet.pieces) {
            start += static_cast<int>(piece.size());
            pieces.push_back(std::move(piece));
        }
    }
    globals.placeSheets(offsets);
    pieces.front() = stream.bytes();
    return pieces;
}

QByteArray encodeWorkbookStream(const model::Workbook& workbook) {
    const std::vector<QByteArray> pieces = encodeWorkbookStreamPieces(workbook);
    QByteArray stream;
    qsizetype total = 0;
    for (const QByteArray& piece : pieces) total += piece.size();
    stream.reserve(total);
    for (const QByteArray& piece : pieces) stream.append(piece);
    return stream;
}

QByteArray encodeWorkbookFile(const model::Workbook& workbook) {
    return wrapInCompoundFile(encodeWorkbookStream(workbook));
}

}  // namespace brevanta::xls
