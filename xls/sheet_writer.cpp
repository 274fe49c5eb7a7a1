#include "xls/sheet_writer.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>

#include "frame/text_safety.h"
#include "frame/failure.h"
#include "xls/biff_strings.h"
#include "xls/formula_tokens.h"
#include "xls/rk_numbers.h"
#include "xls/workbook_stream.h"

namespace brevanta::xls {

namespace {

constexpr int kRowsPerBlock = 32;         // ROW records go in blocks of 32 rows, each followed by its cells
constexpr int kRowRecordSize = 20;        // header and data of one ROW record
constexpr int kMergesPerRecord = 1026;    // MERGEDCELLS is never continued
constexpr int kMaxTextLength = 32767;     // the most characters a cell holds in this format
constexpr int kMaxFormulaTokens = 6000;   // keeps a FORMULA record inside one record

uint16_t twips(double points) { return static_cast<uint16_t>(std::clamp<long>(std::lround(points * 20), 0, 8192)); }

class SheetWriter {
public:
    SheetWriter(const model::Sheet& sheet, bool active, FormatTableWriter& formats, SharedStrings& strings,
                std::span<const QString> sheetNames)
        : sheet_(sheet), active_(active), formats_(formats), strings_(strings), out_(stream_), formulaTokens_(sheetNames) {
        stream_.reserve(kPieceRoom);
    }

    EncodedSheet encode() {
        measureRows();
        beginningOfFile();
        index();
        calculationSettings();
        printSettings();
        pageSetup();
        columns();
        dimensions();
        rowsAndCells();
        window();
        selection();
        mergedCells();
        out_.empty(record::Eof);
        placeIndex();
        // Each piece leaves at its size, without the room left for growing.
        pieces_.push_back(stream_.take());
        return {std::move(pieces_), positionFields_, formulaTokens_.refersToSheets()};
    }

private:
    // The XF of a style, kept by style number: every cell asks.
    uint16_t xf(model::StyleId style) {
        if (style < xfByStyle_.size() && xfByStyle_[style] != 0) return xfByStyle_[style];
        formats_.use(style);
        const uint16_t number = formats_.xfOf(style);
        if (style < kStylesKept) {
            if (style >= xfByStyle_.size()) xfByStyle_.resize(style + 1, 0);
            xfByStyle_[style] = number;
        }
        return number;
    }

    // Which rows need a ROW record and the span of their cells, found once
    // for INDEX, DIMENSIONS and the ROW records.
    void measureRows() {
        const int extent = std::min(sheet_.rowExtent(), model::kMaxRows);
        rowSpans_.assign(static_cast<size_t>(extent), RowSpan{});
        for (int r = 0; r < extent; ++r) {
            RowSpan& span = rowSpans_[static_cast<size_t>(r)];
            sheet_.forEachCellInRow(r, [&](int c, const model::Cell& cell) {
                if (!hasRecord(cell) || c >= model::kMaxColumns) return;
                if (span.firstCol < 0) span.firstCol = c;
                span.lastCol = c;
            });
            span.info = sheet_.findRowInfo(r);
            span.needsRecord = span.firstCol >= 0 || span.info;
        }
    }

    // ---------------------------------------------------------------- header

    // BOF: BIFF8, worksheet.
    void beginningOfFile() {
        ByteWriter p;
        p.u16(0x0600);
        p.u16(0x0010);
        p.u16(0x0DBB);
        p.u16(0x07CC);
        p.u32(0);
        p.u32(0x06);
        out_.write(record::Bof, p);
    }

    // INDEX: the span of rows and where each block's DBCELL lies, filled in
    // by placeIndex() once the blocks are written.
    void index() {
        const int extent = static_cast<int>(rowSpans_.size());
        int firstRow = -1, lastRow = -1, blocks = 0, lastBlock = -1;
        for (int r = 0; r < extent; ++r) {
            if (!rowSpans_[static_cast<size_t>(r)].needsRecord) continue;
            if (firstRow < 0) firstRow = r;
            lastRow = r;
            if (r / kRowsPerBlock != lastBlock) { ++blocks; lastBlock = r / kRowsPerBlock; }
        }
        ByteWriter p;
        p.u32(0);
        p.u32(static_cast<uint32_t>(std::max(firstRow, 0)));
        p.u32(static_cast<uint32_t>(lastRow + 1));
        p.u32(0);  // DEFCOLWIDTH's position
        p.zeros(4 * blocks);
        indexAt_ = out_.position() + 4;
        out_.write(record::Index, p);
    }

    void placeIndex() {
        std::vector<int> fields{indexAt_ + 12};
        patch32(indexAt_ + 12, static_cast<uint32_t>(defColWidthAt_));
        for (size_t i = 0; i < dbCells_.size(); ++i) {
            patch32(indexAt_ + 16 + 4 * static_cast<int>(i), static_cast<uint32_t>(dbCells_[i]));
            fields.push_back(indexAt_ + 16 + 4 * static_cast<int>(i));
        }
        positionFields_ = std::move(fields);
    }

    // Automatic calculation, A1 references, no iteration, recalculation before saving.
    void calculationSettings() {
        out_.u16Record(record::CalcMode, 1);
        out_.u16Record(record::CalcCount, 100);
        out_.u16Record(record::RefMode, 1);
        out_.u16Record(record::Iteration, 0);
        out_.f64Record(record::Delta, 0.001);
        out_.u16Record(record::SaveRecalc, 1);
    }

    // No row/column headings on paper, grid lines as the sheet says; no outline; the standard row height.
    void printSettings() {
        out_.u16Record(record::PrintHeaders, 0);
        out_.u16Record(record::PrintGridlines, sheet_.page.printGridlines);
        out_.u16Record(record::GridSet, 1);
        ByteWriter guts;
        guts.zeros(8);
        out_.write(record::Guts, guts);
        ByteWriter height;
        const uint16_t standard = twips(sheet_.standardRowHeight);
        height.u16(standard != 255 ? 0x0001 : 0x0000);  // height differs from the font's
        height.u16(standard);
        out_.write(record::DefaultRowHeight, height);
        const bool fitToPages = !sheet_.page.zoom.has_value();
        out_.u16Record(record::WsBool, fitToPages ? 0x05C1 : 0x04C1);
    }

    // Header, footer, centring, margins (inches) and SETUP.
    void pageSetup() {
        const model::PageSetupData& page = sheet_.page;
        out_.empty(record::Header);
        out_.empty(record::Footer);
        out_.u16Record(record::HCenter, page.centerHorizontally);
        out_.u16Record(record::VCenter, page.centerVertically);
        out_.f64Record(record::LeftMargin, page.leftMargin / 72.0);
        out_.f64Record(record::RightMargin, page.rightMargin / 72.0);
        out_.f64Record(record::TopMargin, page.topMargin / 72.0);
        out_.f64Record(record::BottomMargin, page.bottomMargin / 72.0);
        ByteWriter p;
        p.u16(static_cast<uint16_t>(std::clamp(page.paperSize, 0, 0xFFFF)));
        p.u16(static_cast<uint16_t>(std::clamp(page.zoom.value_or(100), 10, 400)));
        p.u16(1);  // first page number
        p.u16(static_cast<uint16_t>(std::clamp(page.fitToPagesWide, 0, 0x7FFF)));
        p.u16(static_cast<uint16_t>(std::clamp(page.fitToPagesTall, 0, 0x7FFF)));
        p.u16(page.orientation == 2 ? 0x0000 : 0x0002);  // portrait bit; paper, scale and orientation are valid
        p.u16(600);
        p.u16(600);
        p.f64(page.headerMargin / 72.0);
        p.f64(page.footerMargin / 72.0);
        p.u16(1);
        out_.write(record::Setup, p);
    }

    // ---------------------------------------------------------------- columns

    // DEFCOLWIDTH, then COLINFO for runs of columns with the same width,
    // format and visibility. A sheet-wide format is written as the format of every column,
    // as spreadsheets store "the whole sheet formatted"; a reader takes the
    // format most columns share as the sheet's.
    void columns() {
        defColWidthAt_ = out_.position();
        out_.u16Record(record::DefColWidth,
                       static_cast<uint16_t>(std::clamp<long>(std::lround(sheet_.standardColumnWidth - 0.43), 0, 255)));
        struct Column { uint16_t units; uint16_t xf; uint16_t options; bool operator==(const Column&) const = default; };
        auto describe = [&](int c) {
            const model::ColumnInfo& info = sheet_.columns[c];
            const model::StyleId style = info.style != model::kNoStyle ? info.style : sheet_.sheetStyle;
            Column column;
            column.units = columnWidthUnits(info.width.value_or(sheet_.standardColumnWidth));
            column.xf = xf(style);
            column.options = (info.width ? 0x0002 : 0x0000) | (info.hidden ? 0x0001 : 0x0000);  // set by hand, hidden
            return column;
        };
        auto needed = [&](int c, const Column& column) {
            return sheet_.columns[c].width.has_value() || column.xf != kDefaultCellXf || column.options != 0;
        };
        int c = 0;
        while (c < model::kMaxColumns) {
            const Column column = describe(c);
            if (!needed(c, column)) { ++c; continue; }
            int last = c;
            while (last + 1 < model::kMaxColumns && describe(last + 1) == column && needed(last + 1, column)) ++last;
            ByteWriter p;
            p.u16(static_cast<uint16_t>(c));
            p.u16(static_cast<uint16_t>(last));
            p.u16(column.units);
            p.u16(column.xf);
            p.u16(column.options);
            p.u16(0);
            out_.write(record::ColInfo, p);
            c = last + 1;
        }
    }

    // ---------------------------------------------------------------- cells

    // Cells that need a record: a value, a formula, or a format of their own.
    static bool hasRecord(const model::Cell& cell) {
        return cell.formula || !model::isEmpty(cell.value) || cell.style != model::kNoStyle;
    }

    void dimensions() {
        int firstRow = -1, lastRow = -1, firstCol = model::kMaxColumns, lastCol = -1;
        for (int r = 0; r < static_cast<int>(rowSpans_.size()); ++r) {
            const RowSpan& span = rowSpans_[static_cast<size_t>(r)];
            if (span.firstCol < 0) continue;
            if (firstRow < 0) firstRow = r;
            lastRow = r;
            firstCol = std::min(firstCol, span.firstCol);
            lastCol = std::max(lastCol, span.lastCol);
        }
        ByteWriter p;
        if (firstRow < 0) {
            p.zeros(14);
        } else {
            p.u32(static_cast<uint32_t>(firstRow));
            p.u32(static_cast<uint32_t>(lastRow + 1));
            p.u16(static_cast<uint16_t>(firstCol));
            p.u16(static_cast<uint16_t>(lastCol + 1));
            p.u16(0);
        }
        out_.write(record::Dimensions, p);
    }

    // Blocks of up to 32 rows: their ROW records, their cells, then a
    // DBCELL giving the distances back to the rows and between their cells.
    void rowsAndCells() {
        const int extent = static_cast<int>(rowSpans_.size());
        std::vector<int> rows, cellStarts;
        for (int blockStart = 0; blockStart < extent; blockStart += kRowsPerBlock) {
            const int blockEnd = std::min(extent, blockStart + kRowsPerBlock);
            const int firstRowAt = position();
            rows.clear();
            for (int r = blockStart; r < blockEnd; ++r)
                if (rowSpans_[static_cast<size_t>(r)].needsRecord) {
                    rowRecord(r);
                    rows.push_back(r);
                }
            if (rows.empty()) continue;
            cellStarts.clear();
            for (int r : rows) {
                cellStarts.push_back(position());
                cellRecords(r);
            }
            const int dbCellAt = position();
            {
                FixedRecord p(stream_, record::DbCell, 4 + 2 * static_cast<int>(cellStarts.size()));
                p.u32(static_cast<uint32_t>(dbCellAt - firstRowAt));
                int previous = firstRowAt + kRowRecordSize;  // the first distance counts from the second ROW record
                for (int start : cellStarts) {
                    p.u16(static_cast<uint16_t>(start - previous));
                    previous = start;
                }
            }
            dbCells_.push_back(dbCellAt);
            // Between blocks, a long piece is set aside and the next one begun.
            if (out_.position() >= kPieceBytes) {
                piecesBytes_ += out_.position();
                pieces_.push_back(stream_.take());
                stream_.reserve(kPieceRoom);
            }
        }
    }

    // The position in the sheet's stream, over the pieces set aside.
    int position() const { return piecesBytes_ + out_.position(); }

    // A 32-bit field at a position of the sheet's stream, in whichever piece holds it.
    void patch32(int at, uint32_t value) {
        for (QByteArray& piece : pieces_) {
            if (at < piece.size()) {
                for (int i = 0; i < 4; ++i) piece[at + i] = static_cast<char>((value >> (8 * i)) & 0xFF);
                return;
            }
            at -= static_cast<int>(piece.size());
        }
        stream_.patch32(at, value);
    }

    // ROW: the row's cell span, its height (custom when set) and its format.
    void rowRecord(int r) {
        const model::RowInfo* info = rowSpans_[static_cast<size_t>(r)].info;
        const int firstCol = rowSpans_[static_cast<size_t>(r)].firstCol;
        const int lastCol = rowSpans_[static_cast<size_t>(r)].lastCol;
        const bool customHeight = info && info->height;
        const bool formatted = info && info->style != model::kNoStyle;
        const uint16_t rowXf = formatted ? xf(info->style) : kDefaultCellXf;
        FixedRecord p(stream_, record::Row, kRowRecordSize - 4);
        p.u16(static_cast<uint16_t>(r));
        p.u16(static_cast<uint16_t>(firstCol < 0 ? 0 : firstCol));
        p.u16(static_cast<uint16_t>(firstCol < 0 ? 0 : lastCol + 1));
        p.u16(twips(customHeight ? *info->height : sheet_.standardRowHeight));
        p.u16(0);
        p.u16(0);
        p.u16(static_cast<uint16_t>(0x0100 | (customHeight ? 0x0040 : 0) | (formatted ? 0x0080 : 0)));
        p.u16(rowXf);
    }

    void cellRecords(int r) {
        std::vector<std::pair<int, uint16_t>>& blanks = blanks_;  // a run of formatted empty cells
        blanks.clear();
        auto flushBlanks = [&] {
            const bool single = blanks.size() == 1;
            FixedRecord p(stream_, single ? record::Blank : record::MulBlank,
                          single ? 6 : 6 + 2 * static_cast<int>(blanks.size()));
            p.u16(static_cast<uint16_t>(r));
            p.u16(static_cast<uint16_t>(blanks.front().first));
            if (single) {
                p.u16(blanks.front().second);
            } else {
                for (const auto& blank : blanks) p.u16(blank.second);
                p.u16(static_cast<uint16_t>(blanks.back().first));
            }
            blanks.clear();
        };
        // A cell without a format of its own takes the row's, else its column's, else the sheet's.
        const model::RowInfo* info = rowSpans_[static_cast<size_t>(r)].info;
        const model::StyleId rowStyle = info ? info->style : model::kNoStyle;
        auto inherited = [&](int c) {
            if (rowStyle != model::kNoStyle) return rowStyle;
            const model::StyleId columnStyle = sheet_.columns[static_cast<size_t>(c)].style;
            return columnStyle != model::kNoStyle ? columnStyle : sheet_.sheetStyle;
        };
        sheet_.forEachCellInRow(r, [&](int c, const model::Cell& cell) {
            if (!hasRecord(cell) || c >= model::kMaxColumns) return;
            const uint16_t cellXf = xf(cell.style != model::kNoStyle ? cell.style : inherited(c));
            if (!cell.formula && model::isEmpty(cell.value)) {
                if (!blanks.empty() && blanks.back().first != c - 1) flushBlanks();
                blanks.emplace_back(c, cellXf);
                return;
            }
            if (!blanks.empty()) flushBlanks();
            if (cell.formula) formula(r, c, cellXf, cell);
            else constant(r, c, cellXf, cell.value);
        });
        if (!blanks.empty()) flushBlanks();
    }

    // A cell record of `length` bytes after the row, column and XF every cell record starts with.
    struct CellRecord : FixedRecord {
        CellRecord(ByteWriter& out, uint16_t id, int r, int c, uint16_t cellXf, int length)
            : FixedRecord(out, id, 6 + length) {
            u16(static_cast<uint16_t>(r)).u16(static_cast<uint16_t>(c)).u16(cellXf);
        }
    };

    void constant(int r, int c, uint16_t cellXf, const model::Value& value) {
        if (const double* number = std::get_if<double>(&value)) {
            if (const auto rk = encodeRk(*number)) CellRecord(stream_, record::Rk, r, c, cellXf, 4).u32(*rk);
            else CellRecord(stream_, record::Number, r, c, cellXf, 8).f64(*number);
        } else if (const QString* text = std::get_if<QString>(&value)) {
            CellRecord(stream_, record::LabelSst, r, c, cellXf, 4).u32(textNumber(c, *text));
        } else if (const bool* truth = std::get_if<bool>(&value)) {
            CellRecord(stream_, record::BoolErr, r, c, cellXf, 2).u8(*truth ? 1 : 0).u8(0);
        } else if (const model::ErrorCode* error = std::get_if<model::ErrorCode>(&value)) {
            CellRecord(stream_, record::BoolErr, r, c, cellXf, 2).u8(static_cast<uint8_t>(*error)).u8(1);
        }
    }

    // The text last written in a column and its number; the sheet is not
    // changed while it is written, so the text stays where it is.
    struct LastText {
        const QString* text = nullptr;
        uint32_t number = 0;
    };

    // The shared-string number of a text cell. A column often repeats the
    // text of the cell above (a category, a cleared mark): that is counted
    // again without being made safe, cut and looked up once more.
    uint32_t textNumber(int c, const QString& text) {
        LastText& last = lastTextInColumn_[static_cast<size_t>(c)];
        if (last.text && ((last.text->constData() == text.constData() && last.text->size() == text.size()) ||
                          *last.text == text))
            return strings_.addAgain(last.number);
        return firstTextNumber(last, text);
    }

    // Kept out of the loop over the cells, which then stays small.
    [[gnu::noinline]] uint32_t firstTextNumber(LastText& last, const QString& text) {
        last = {&text, strings_.add(leftWholeCharacters(frame::mayNeedMapping(text, frame::TextFormat::Unicode) ? frame::textSafeFor(text, frame::TextFormat::Unicode)
                                                                            : text,
                                                        kMaxTextLength))};
        return last.number;
    }

    // FORMULA with its cached result; a text result follows in a STRING record.
    void formula(int r, int c, uint16_t cellXf, const model::Cell& cell) {
        const int size = formulaTokens_.prepare(cell.formula->root, r, c);
        if (size > kMaxFormulaTokens)
            throw frame::Failure(QStringLiteral("A formula is too long to be saved in this file format."));
        const QString* text = std::get_if<QString>(&cell.value);
        {
            CellRecord p(stream_, record::Formula, r, c, cellXf, 16 + size);
            auto special = [&p](uint8_t kind, uint8_t value) {
                p.u8(kind).u8(0).u8(value).u8(0).u8(0).u8(0).u16(0xFFFF);
            };
            if (const double* number = std::get_if<double>(&cell.value)) p.f64(*number);
            else if (text && !text->isEmpty()) special(0, 0);
            else if (const bool* truth = std::get_if<bool>(&cell.value)) special(1, *truth ? 1 : 0);
            else if (const auto* error = std::get_if<model::ErrorCode>(&cell.value)) special(2, static_cast<uint8_t>(*error));
            else special(3, 0);  // the empty text
            p.u16(0);  // no flags: cached results are current
            p.u32(0);
            p.u16(static_cast<uint16_t>(size));
            formulaTokens_.copyTo(p.skip(size));
        }
        if (text && !text->isEmpty()) stringResult(leftWholeCharacters(*text, kMaxTextLength));
    }

    // STRING: a formula's text result; long texts go on in CONTINUE records
    // that each start with the option byte again.
    [[gnu::noinline]] void stringResult(const QString& text) {
        const bool wide = !fitsCompressed(text);
        const int charSize = wide ? 2 : 1;
        ByteWriter p;
        p.u16(static_cast<uint16_t>(text.size()));
        p.u8(wide ? 1 : 0);
        uint16_t id = record::String;
        int next = 0;
        while (true) {
            const int count = std::min<int>(text.size() - next, (kMaxRecordData - p.size()) / charSize);
            for (int i = 0; i < count; ++i) {
                if (wide) p.u16(text[next + i].unicode());
                else p.u8(static_cast<uint8_t>(text[next + i].unicode()));
            }
            next += count;
            out_.write(id, p);
            if (next >= text.size()) break;
            id = record::Continue;
            p = ByteWriter();
            p.u8(wide ? 1 : 0);
        }
    }

    // ---------------------------------------------------------------- view

    // WINDOW2: gridlines, headings, zeros and outline symbols shown; the active sheet selected.
    void window() {
        ByteWriter p;
        p.u16(active_ ? 0x06B6 : 0x00B6);
        p.u16(0);   // top row
        p.u16(0);   // left column
        p.u32(64);  // heading colour: automatic
        p.u16(0);
        p.u16(0);
        p.u32(0);
        out_.write(record::Window2, p);
    }

    // SELECTION: the active cell and the selected range.
    void selection() {
        const model::CellRange& range = sheet_.selection;
        auto row = [](int r) { return static_cast<uint16_t>(std::clamp(r, 0, model::kMaxRows - 1)); };
        auto col = [](int c) { return static_cast<uint8_t>(std::clamp(c, 0, model::kMaxColumns - 1)); };
        ByteWriter p;
        p.u8(3);  // the only pane
        p.u16(row(sheet_.activeCell.row));
        p.u16(col(sheet_.activeCell.col));
        p.u16(0);
        p.u16(1);
        p.u16(row(range.firstRow));
        p.u16(row(range.lastRow));
        p.u8(col(range.firstCol));
        p.u8(col(range.lastCol));
        out_.write(record::Selection, p);
    }

    // MERGEDCELLS, at most 1,026 ranges per record. A single cell "merged"
    // with itself is no merge at all and is left out.
    void mergedCells() {
        std::vector<model::CellRange> ranges;
        for (const auto& m : sheet_.merges)
            if ((m.rowCount() > 1 || m.colCount() > 1) && m.firstRow >= 0 && m.firstCol >= 0 &&
                m.lastRow < model::kMaxRows && m.lastCol < model::kMaxColumns)
                ranges.push_back(m);
        for (size_t start = 0; start < ranges.size(); start += kMergesPerRecord) {
            const size_t end = std::min(ranges.size(), start + kMergesPerRecord);
            ByteWriter p;
            p.u16(static_cast<uint16_t>(end - start));
            for (size_t i = start; i < end; ++i) {
                p.u16(static_cast<uint16_t>(ranges[i].firstRow));
                p.u16(static_cast<uint16_t>(ranges[i].lastRow));
                p.u16(static_cast<uint16_t>(ranges[i].firstCol));
                p.u16(static_cast<uint16_t>(ranges[i].lastCol));
            }
            out_.write(record::MergedCells, p);
        }
    }

    const model::Sheet& sheet_;
    bool active_;
    FormatTableWriter& formats_;
    SharedStrings& strings_;
    ByteWriter stream_;
    std::vector<QByteArray> pieces_;  // the stream before stream_'s, in order
    int piecesBytes_ = 0;
    static constexpr int kPieceBytes = 1 << 20;
    static constexpr int kPieceRoom = kPieceBytes + (1 << 16);  // a piece and the block that ends it
    struct RowSpan {
        int firstCol = -1;  // the first and last column with a cell record; -1 for none
        int lastCol = -1;
        bool needsRecord = false;  // cells, or a height or format of its own
        const model::RowInfo* info = nullptr;  // the row's height and format, if it has any
    };
    std::vector<RowSpan> rowSpans_;
    static constexpr model::StyleId kStylesKept = 1 << 16;
    std::vector<uint16_t> xfByStyle_;  // 0 where not asked yet
    std::vector<std::pair<int, uint16_t>> blanks_;
    std::array<LastText, model::kMaxColumns> lastTextInColumn_{};  // the text last written in each column
    RecordWriter out_;
    int indexAt_ = 0;        // INDEX's data, in this sheet's bytes
    int defColWidthAt_ = 0;
    std::vector<int> dbCells_;
    SheetFormulaTokens formulaTokens_;
    std::vector<int> positionFields_;
};

}  // namespace

EncodedSheet encodeSheet(const model::Sheet& sheet, bool active, FormatTableWriter& formats, SharedStrings& strings,
                         std::span<const QString> sheetNames) {
    return SheetWriter(sheet, active, formats, strings, sheetNames).encode();
}

}  // namespace brevanta::xls
