// Reads the workbook globals substream, then each worksheet it lists.

#include <algorithm>
#include <set>

#include "frame/failure.h"
#include "xls/biff_records.h"
#include "xls/biff_strings.h"
#include "xls/compound_file.h"
#include "xls/format_records.h"
#include "xls/print_ranges.h"
#include "xls/shared_strings.h"
#include "xls/sheet_reader.h"
#include "xls/workbook_stream.h"

namespace brevanta::xls {

namespace {

// Rows all sheets together may span; a row costs memory even when empty,
// so a small file cannot make the reader allocate without bound.
constexpr long kRowBudget = 16L * model::kMaxRows;

[[noreturn]] void damaged(const QString& what) {
    throw frame::Failure(QStringLiteral("The workbook file is damaged: %1").arg(what));
}

class GlobalsReader {
public:
    explicit GlobalsReader(std::span<const uint8_t> stream) : stream_(stream), cursor_(stream, 0) {}

    std::unique_ptr<model::Workbook> read() {
        beginningOfFile();
        while (true) {
            const Record r = cursor_.next();
            if (r.id == record::Eof) break;
            dispatch(r);
        }
        return sheets();
    }

private:
    void beginningOfFile() {
        if (cursor_.atEnd()) damaged(QStringLiteral("the workbook stream is empty."));
        const uint16_t id = cursor_.peekId();
        if (id == 0x0009 || id == 0x0209 || id == 0x0409)
            throw frame::Failure(QStringLiteral("The workbook was saved in an Excel 2.x-4.0 format, which cannot be opened."));
        const Record r = cursor_.next();
        if (r.id != record::Bof) damaged(QStringLiteral("the workbook stream does not start with a BOF record."));
        ByteReader in(r.data, "the BOF record");
        const uint16_t version = in.u16();
        const uint16_t type = in.u16();
        if (version != 0x0600)
            throw frame::Failure(QStringLiteral("The workbook was saved in an Excel 5.0/95 or older format, which cannot be opened."));
        if (type != 0x0005) damaged(QStringLiteral("the workbook stream does not start with the workbook globals."));
    }

    void dispatch(const Record& r) {
        ByteReader in(r.data, "a workbook record");
        switch (r.id) {
        case record::FilePass:
            throw frame::Failure(QStringLiteral("The workbook is protected with a password and cannot be opened."));
        case record::Window1:
            in.skip(10);
            activeTab_ = in.u16();
            break;
        case record::Font: formats_.addFont(r.data); break;
        case record::Format: formats_.addFormat(r.data); break;
        case record::Xf: formats_.addXf(r.data); break;
        case record::Palette: palette(in); break;
        case record::BoundSheet: boundSheet(in); break;
        case record::SupBook: supBook(in); break;
        case record::ExternSheet: externSheet(in); break;
        case record::Name: name(in); break;
        case record::Sst: strings_ = readSharedStrings(withContinues(r, cursor_)); break;
        default: break;
        }
    }

    void palette(ByteReader& in) {
        const int count = std::min<int>(in.u16(), 56);
        for (int i = 0; i < count; ++i) {
            const int red = in.u8(), green = in.u8(), blue = in.u8();
            in.u8();
            palette_[i] = model::rgbValue(red, green, blue);
        }
    }

    void boundSheet(ByteReader& in) {
        SheetEntry entry;
        entry.offset = in.u32();
        in.u8();
        entry.type = in.u8();
        entry.name = readShortUnicodeString(in);
        entry.tab = tabs_++;
        tabNames_.push_back(entry.name);
        if (entry.type == 0) entries_.push_back(entry);  // worksheets; charts and macro sheets are left out
    }

    // SUPBOOK: whether each supporting workbook is this one (sheet count, then 0x0401).
    void supBook(ByteReader& in) {
        bool self = false;
        if (in.remaining() >= 4) {
            in.u16();
            self = in.u16() == 0x0401;
        }
        supBooks_.push_back(self);
    }

    // EXTERNSHEET: the entries (supporting workbook, first and last sheet) that 3-D references name.
    void externSheet(ByteReader& in) {
        const uint16_t count = in.u16();
        externSheets_.clear();
        for (uint16_t i = 0; i < count && in.remaining() >= 6; ++i) {
            const uint16_t book = in.u16();
            const uint16_t first = in.u16();
            const uint16_t last = in.u16();
            externSheets_.push_back({book, first, last});
        }
    }

    // The sheet each EXTERNSHEET entry names: one sheet of this workbook, or nothing (empty).
    std::vector<QString> externSheetNames() const {
        std::vector<QString> names;
        for (const ExternEntry& entry : externSheets_) {
            const bool single = entry.book < supBooks_.size() && supBooks_[entry.book] && entry.first == entry.last &&
                                entry.first < tabNames_.size();
            names.push_back(single ? tabNames_[entry.first] : QString());
        }
        return names;
    }

    // The built-in Print_Area and Print_Titles names of a sheet: one 3-D area each.
    void name(ByteReader& in) {
        const uint16_t options = in.u16();
        in.u8();
        const uint8_t length = in.u8();
        const uint16_t formulaLength = in.u16();
        in.u16();
        const uint16_t tab = in.u16();
        in.skip(4);
        if (!(options & 0x0020) || length != 1 || tab == 0) return;
        const uint8_t wide = in.u8() & 0x01;
        const uint16_t code = wide ? in.u16() : in.u8();
        if ((code != kPrintAreaName && code != kPrintTitlesName) || formulaLength < 11) return;
        const uint8_t token = in.u8();
        if ((token & 0x1F) != 0x1B) return;  // ptgArea3d
        in.u16();
        model::CellRange range;
        range.firstRow = in.u16();
        range.lastRow = in.u16();
        range.firstCol = in.u16() & 0xFF;
        range.lastCol = in.u16() & 0xFF;
        if (range.lastRow < range.firstRow || range.lastCol < range.firstCol) return;
        printRanges_.push_back({tab - 1, code, range});
    }

    std::unique_ptr<model::Workbook> sheets() {
        auto workbook = std::make_unique<model::Workbook>();
        workbook->palette = palette_;
        if (entries_.empty()) damaged(QStringLiteral("it lists no worksheet."));
        std::set<uint32_t> seen;
        long rows = 0;
        const std::vector<QString> externNames = externSheetNames();
        for (const SheetEntry& entry : entries_) {
            if (!seen.insert(entry.offset).second) damaged(QStringLiteral("two sheets share one place in the file."));
            if (entry.offset >= stream_.size()) damaged(QStringLiteral("a sheet lies outside the file."));
            SheetSources sources{formats_, strings_, workbook->styles, externNames};
            auto sheet = decodeSheet(stream_, entry.offset, entry.name, sources);
            rows += sheet->rowExtent();
            if (rows > kRowBudget) damaged(QStringLiteral("it holds more rows than a workbook can."));
            for (const auto& printed : printRanges_) {
                if (printed.tab != entry.tab) continue;
                if (printed.code == kPrintAreaName) sheet->page.printArea = printAreaText(printed.range);
                else if (printed.range.firstCol == 0 && printed.range.lastCol == model::kMaxColumns - 1)
                    sheet->page.printTitleRows = std::make_pair(printed.range.firstRow, printed.range.lastRow);
                else if (printed.range.firstRow == 0 && printed.range.lastRow == model::kMaxRows - 1)
                    sheet->page.printTitleColumns = std::make_pair(printed.range.firstCol, printed.range.lastCol);
            }
            if (entry.tab == activeTab_) workbook->activeSheet = static_cast<int>(workbook->sheets.size());
            workbook->sheets.push_back(std::move(sheet));
        }
        return workbook;
    }

    struct SheetEntry {
        uint32_t offset = 0;
        uint8_t type = 0;
        QString name;
        int tab = 0;
    };
    struct PrintedRange { int tab; uint16_t code; model::CellRange range; };

    std::span<const uint8_t> stream_;
    RecordCursor cursor_;
    FormatTableReader formats_;
    std::vector<QString> strings_;
    model::Palette palette_ = model::defaultPalette();
    std::vector<SheetEntry> entries_;
    int tabs_ = 0;
    int activeTab_ = 0;
    struct ExternEntry { uint16_t book; uint16_t first; uint16_t last; };
    std::vector<ExternEntry> externSheets_;
    std::vector<bool> supBooks_;
    std::vector<QString> tabNames_;  // every sheet by tab, charts included
    std::vector<PrintedRange> printRanges_;
};

}  // namespace

std::unique_ptr<model::Workbook> decodeWorkbookStream(std::span<const uint8_t> stream) {
    return GlobalsReader(stream).read();
}

std::unique_ptr<model::Workbook> decodeWorkbookFile(const QByteArray& file) {
    const QByteArray stream = workbookStreamOf(file);
    return decodeWorkbookStream({reinterpret_cast<const uint8_t*>(stream.constData()), static_cast<size_t>(stream.size())});
}

}  // namespace brevanta::xls
