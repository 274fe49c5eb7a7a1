#include "xls/sheet_reader.h"

#include <algorithm>
#include <map>

#include "frame/failure.h"
#include "xls/biff_records.h"
#include "xls/biff_strings.h"
#include "xls/formula_tokens.h"
#include "xls/rk_numbers.h"
#include "xls/workbook_stream.h"

namespace brevanta::xls {

namespace {

class SheetReader {
public:
    SheetReader(std::span<const uint8_t> stream, size_t offset, const QString& name, SheetSources sources)
        : cursor_(stream, offset), sources_(sources), sheet_(std::make_unique<model::Sheet>(name)),
          formulas_(sources.externSheets) {}

    std::unique_ptr<model::Sheet> read() {
        const Record bof = cursor_.next();
        if (bof.id != record::Bof)
            throw frame::Failure(QStringLiteral("The workbook file is damaged: a sheet does not start where the workbook says."));
        int nesting = 0;  // embedded substreams (charts) inside the sheet
        while (true) {
            const Record r = cursor_.next();
            if (r.id == record::Bof) { ++nesting; continue; }
            if (r.id == record::Eof) {
                if (nesting == 0) break;
                --nesting;
                continue;
            }
            if (nesting == 0) dispatch(r);
        }
        finish();
        return std::move(sheet_);
    }

private:
    // ---------------------------------------------------------------- records

    // The records of rows and cells, hundreds of thousands in a long sheet,
    // are read here; the sheet's settings, a few dozen records, apart.
    void dispatch(const Record& r) {
        ByteReader in(r.data, "a sheet record");
        switch (r.id) {
        case record::Row: row(in); break;
        case record::Blank: { const auto [rw, c, xf] = cellStart(in.fixed(6)); store(rw, c, xf, std::monostate{}); break; }
        case record::MulBlank: multipleBlanks(in, r.data.size()); break;
        case record::Number: {
            const uint8_t* at = in.fixed(14);
            const auto [rw, c, xf] = cellStart(at);
            store(rw, c, xf, qFromLittleEndian<double>(at + 6));
            break;
        }
        case record::Rk: {
            const uint8_t* at = in.fixed(10);
            const auto [rw, c, xf] = cellStart(at);
            store(rw, c, xf, decodeRk(qFromLittleEndian<uint32_t>(at + 6)));
            break;
        }
        case record::MulRk: multipleRk(in, r.data.size()); break;
        case record::LabelSst: labelSst(in); break;
        case record::Formula: formula(in); break;
        default: otherRecord(r, in); break;
        }
        if (pendingString_ && r.id != record::Formula && r.id != record::Shrfmla && r.id != record::String)
            pendingString_.reset();
    }

    [[gnu::noinline]] void otherRecord(const Record& r, ByteReader& in) {
        switch (r.id) {
        case record::DefaultRowHeight: in.u16(); sheet_->standardRowHeight = in.u16() / 20.0; break;
        case record::DefColWidth: sheet_->standardColumnWidth = in.u16() + 0.43; break;
        case record::WsBool: fitToPages_ = in.u16() & 0x0100; break;
        case record::LeftMargin: sheet_->page.leftMargin = in.f64() * 72; break;
        case record::RightMargin: sheet_->page.rightMargin = in.f64() * 72; break;
        case record::TopMargin: sheet_->page.topMargin = in.f64() * 72; break;
        case record::BottomMargin: sheet_->page.bottomMargin = in.f64() * 72; break;
        case record::Setup: setup(in); break;
        case record::PrintGridlines: sheet_->page.printGridlines = in.u16() & 1; break;
        case record::HCenter: sheet_->page.centerHorizontally = in.u16() & 1; break;
        case record::VCenter: sheet_->page.centerVertically = in.u16() & 1; break;
        case record::ColInfo: columnInfo(in); break;
        case record::Label: case record::Rstring: {
            const auto [rw, c, xf] = cellStart(in);
            store(rw, c, xf, readUnicodeString(in));
            break;
        }
        case record::BoolErr: boolErr(in); break;
        case record::Shrfmla: sharedFormula(in); break;
        case record::String: stringResult(r); break;
        case record::Selection: selection(in); break;
        case record::MergedCells: mergedCells(in); break;
        default: break;
        }
    }

    struct CellPlace { int row; int col; uint16_t xf; };
    // Every cell record starts so; the caller has checked that the six bytes are there.
    static CellPlace cellStart(const uint8_t* at) {
        return {qFromLittleEndian<uint16_t>(at), qFromLittleEndian<uint16_t>(at + 2), qFromLittleEndian<uint16_t>(at + 4)};
    }
    static CellPlace cellStart(ByteReader& in) {
        const int r = in.u16();
        const int c = in.u16();
        return {r, c, in.u16()};
    }

    // Turns into the cell where the row stores it: the cell comes out of the
    // conversion as the value that initialises the row's entry, so neither the
    // cell nor its value is made twice. The value is made straight from what
    // the record holds (a number, a text of the shared-string table), not
    // first as a value of its own to be moved over.
    template <class V>
    struct CellInPlace {
        V& value;
        model::StyleId style;
        operator model::Cell() const { return model::Cell{model::Value(std::forward<V>(value)), nullptr, style}; }
    };

    // The cell at (r, c) set to `value` and the format of `xf`, created where
    // missing. Cells come row by row, left to right: the row being filled is
    // kept at hand and a cell right of its last one is made in place at its
    // end; anything else goes through the sheet.
    template <class V>
    model::Cell* store(int r, int c, uint16_t xf, V&& value) {
        if (c >= model::kMaxColumns) return nullptr;
        const model::StyleId style = sources_.formats.styleOf(xf, sources_.styles);
        if (r != openRow_) {
            openCells_ = &sheet_->rowCells(r);
            openRow_ = r;
        }
        auto& cells = *openCells_;
        if (cells.empty() || cells.back().first < c) {
            if (cells.size() == cells.capacity()) cells.reserve(model::Sheet::grownRowRoom(cells.size()));
            return &cells.emplace_back(static_cast<uint16_t>(c), CellInPlace<V>{value, style}).second;
        }
        model::Cell& cell = sheet_->at(r, c);
        cell.value = std::forward<V>(value);
        cell.formula.reset();
        cell.style = style;
        return &cell;
    }

    void setup(ByteReader& in) {
        setupSeen_ = true;
        const uint16_t paper = in.u16();
        const uint16_t scale = in.u16();
        in.u16();
        const uint16_t wide = in.u16();
        const uint16_t tall = in.u16();
        const uint16_t options = in.u16();
        in.skip(4);
        const double header = in.f64();
        const double footer = in.f64();
        model::PageSetupData& page = sheet_->page;
        if (!(options & 0x0004)) {  // paper, scale and orientation were set
            page.paperSize = paper;
            scale_ = scale;
            page.orientation = (options & 0x0002) ? 1 : 2;
        }
        page.fitToPagesWide = wide;
        page.fitToPagesTall = tall;
        page.headerMargin = header * 72;
        page.footerMargin = footer * 72;
    }

    void columnInfo(ByteReader& in) {
        const int first = in.u16();
        const int last = std::min<int>(in.u16(), model::kMaxColumns - 1);
        const uint16_t units = in.u16();
        const uint16_t xf = in.u16();
        const uint16_t options = in.u16();
        for (int c = first; c <= last; ++c) {
            columnXf_[c] = xf;
            columnUnits_[c] = units;
            columnUserSet_[c] = options & 0x0002;
            columnHidden_[c] = options & 0x0001;
        }
    }

    void row(ByteReader& in) {
        const uint8_t* at = in.fixed(16);
        const int r = qFromLittleEndian<uint16_t>(at);
        const int firstCol = qFromLittleEndian<uint16_t>(at + 2), pastLastCol = qFromLittleEndian<uint16_t>(at + 4);
        const uint16_t height = qFromLittleEndian<uint16_t>(at + 6) & 0x7FFF;
        const uint16_t options = qFromLittleEndian<uint16_t>(at + 12);
        const uint16_t xf = qFromLittleEndian<uint16_t>(at + 14) & 0x0FFF;
        if (!(options & 0x0040) && !(options & 0x0080)) return;
        openRow_ = -1;  // the rows may move as the sheet grows
        model::RowInfo& info = sheet_->rowInfo(r);
        // The row's cells come next: room for as many as it says, and no more.
        if (pastLastCol > firstCol && pastLastCol <= model::kMaxColumns)
            sheet_->rowCells(r).reserve(size_t(pastLastCol - firstCol));
        if (options & 0x0040) info.height = height / 20.0;
        if (options & 0x0080) info.style = sources_.formats.styleOf(xf, sources_.styles);
    }

    void multipleBlanks(ByteReader& in, size_t size) {
        const int r = in.u16();
        const int first = in.u16();
        const size_t count = size >= 6 ? (size - 6) / 2 : 0;
        for (size_t i = 0; i < count; ++i) store(r, first + static_cast<int>(i), in.u16(), std::monostate{});
    }

    void multipleRk(ByteReader& in, size_t size) {
        const int r = in.u16();
        const int first = in.u16();
        const size_t count = size >= 6 ? (size - 6) / 6 : 0;
        for (size_t i = 0; i < count; ++i) {
            const uint16_t xf = in.u16();
            store(r, first + static_cast<int>(i), xf, decodeRk(in.u32()));
        }
    }

    void labelSst(ByteReader& in) {
        const uint8_t* at = in.fixed(10);
        const auto [r, c, xf] = cellStart(at);
        const uint32_t index = qFromLittleEndian<uint32_t>(at + 6);
        if (index >= sources_.strings.size())
            throw frame::Failure(QStringLiteral("The workbook file is damaged: a cell refers to a text that does not exist."));
        store(r, c, xf, sources_.strings[index]);
    }

    void boolErr(ByteReader& in) {
        const auto [r, c, xf] = cellStart(in);
        const uint8_t value = in.u8();
        if (in.u8()) store(r, c, xf, model::errorFromCode(value).value_or(model::ErrorCode::Value));
        else store(r, c, xf, value != 0);
    }

    // FORMULA: the cached result now; the tree from the tokens, or from the
    // shared formula they point at once the sheet is read.
    void formula(ByteReader& in) {
        // The cell's place, its cached result (8 bytes), options and the tokens' length.
        const uint8_t* head = in.fixed(22);
        const auto [r, c, xf] = cellStart(head);
        const uint8_t* result = head + 6;
        const auto tokens = in.take(qFromLittleEndian<uint16_t>(head + 20));
        model::Cell* cell = nullptr;
        if (result[6] == 0xFF && result[7] == 0xFF) {
            switch (result[0]) {
            case 0: pendingString_ = model::CellAddress{r, c}; cell = store(r, c, xf, QString()); break;
            case 1: cell = store(r, c, xf, result[2] != 0); break;
            case 2: cell = store(r, c, xf, model::errorFromCode(result[2]).value_or(model::ErrorCode::Value)); break;
            default: cell = store(r, c, xf, QString()); break;
            }
        } else {
            cell = store(r, c, xf, qFromLittleEndian<double>(result));
        }
        if (!cell) return;
        int baseRow, baseCol;
        if (sharedFormulaBase(tokens, baseRow, baseCol)) {
            sharedUsers_.push_back({r, c, baseRow, baseCol});
            return;
        }
        try {
            cell->formula = formulas_.decode(tokens, r, c);
        } catch (const UndecodableFormula&) {
            // Kept as its cached value.
        }
    }

    void sharedFormula(ByteReader& in) {
        const int firstRow = in.u16();
        in.u16();
        const int firstCol = in.u8();
        in.skip(3);
        const uint16_t length = in.u16();
        const auto tokens = in.take(length);
        try {
            sharedFormulas_[{firstRow, firstCol}] = std::make_shared<const model::Formula>(decodeFormula(tokens, 0, 0, true, sources_.externSheets));
        } catch (const UndecodableFormula&) {
        }
    }

    void stringResult(const Record& r) {
        if (!pendingString_) return;
        ByteReader in(r.data, "a formula's text result");
        const uint16_t length = in.u16();
        const uint8_t option = in.u8();
        // Only the first record's characters: texts this long are rare and shortened, not misread.
        const size_t available = in.remaining() / ((option & 1) ? 2 : 1);
        QString text;
        for (size_t i = 0; i < std::min<size_t>(length, available); ++i)
            text.append(QChar(static_cast<char16_t>((option & 1) ? in.u16() : in.u8())));
        if (model::Cell* cell = sheet_->find(pendingString_->row, pendingString_->col)) cell->value = text;
        pendingString_.reset();
    }

    void selection(ByteReader& in) {
        if (selectionSeen_) return;
        selectionSeen_ = true;
        in.u8();
        const int activeRow = in.u16();
        const int activeCol = in.u16();
        const uint16_t activeRef = in.u16();
        const uint16_t count = in.u16();
        sheet_->activeCell = {activeRow, std::min(activeCol, model::kMaxColumns - 1)};
        sheet_->selection = {activeRow, sheet_->activeCell.col, activeRow, sheet_->activeCell.col};
        for (uint16_t i = 0; i < count && in.remaining() >= 6; ++i) {
            const int firstRow = in.u16(), lastRow = in.u16(), firstCol = in.u8(), lastCol = in.u8();
            if (i == activeRef) sheet_->selection = {firstRow, firstCol, lastRow, lastCol};
        }
    }

    void mergedCells(ByteReader& in) {
        const uint16_t count = in.u16();
        for (uint16_t i = 0; i < count && in.remaining() >= 8; ++i) {
            model::CellRange range;
            range.firstRow = in.u16();
            range.lastRow = in.u16();
            range.firstCol = in.u16();
            range.lastCol = in.u16();
            if (range.lastRow < range.firstRow || range.lastCol < range.firstCol ||
                range.lastCol >= model::kMaxColumns)
                continue;
            sheet_->merges.push_back(range);
        }
    }

    // ---------------------------------------------------------------- after the last record

    void finish() {
        if (setupSeen_ || fitToPages_) sheet_->page.zoom = fitToPages_ ? std::nullopt : std::optional<int>(scale_);
        resolveSharedFormulas();
        restoreColumns();
        normaliseCellStyles();
    }

    void resolveSharedFormulas() {
        for (const auto& user : sharedUsers_) {
            const auto it = sharedFormulas_.find({user.baseRow, user.baseCol});
            if (it == sharedFormulas_.end()) continue;
            if (model::Cell* cell = sheet_->find(user.row, user.col)) cell->formula = it->second;
        }
    }

    // The sheet's format is the one most columns carry (the whole sheet
    // formatted is stored as the format of every column); columns that
    // differ keep their own.
    void restoreColumns() {
        std::map<uint16_t, int> counts;
        for (int c = 0; c < model::kMaxColumns; ++c) ++counts[columnXf_[c]];
        uint16_t sheetXf = kDefaultCellXf;
        int best = 0;
        for (const auto& [xf, count] : counts)
            if (count > best) { best = count; sheetXf = xf; }
        model::StyleTable& styles = sources_.styles;
        sheet_->sheetStyle = sources_.formats.styleOf(sheetXf, styles);
        const uint16_t standardUnits = columnWidthUnits(sheet_->standardColumnWidth);
        for (int c = 0; c < model::kMaxColumns; ++c) {
            model::ColumnInfo& info = sheet_->columns[c];
            if (columnXf_[c] != sheetXf) info.style = sources_.formats.styleOf(columnXf_[c], styles);
            if (columnUnits_[c] && (columnUserSet_[c] || columnUnits_[c] != standardUnits))
                info.width = columnWidthCharacters(columnUnits_[c]);
            info.hidden = columnHidden_[c];
        }
    }

    // A cell whose format is the one it would inherit keeps none of its own;
    // an empty cell left with neither value nor format is dropped.
    void normaliseCellStyles() {
        for (int r = 0; r < sheet_->rowExtent(); ++r) {
            auto& cells = sheet_->rowCells(r);
            if (cells.empty()) continue;
            const model::RowInfo* info = sheet_->findRowInfo(r);
            const model::StyleId rowStyle = info ? info->style : model::kNoStyle;
            // One pass: each cell's format settled, the ones left empty moved over.
            size_t kept = 0;
            for (size_t i = 0; i < cells.size(); ++i) {
                model::Cell& cell = cells[i].second;
                model::StyleId inherited = rowStyle;
                if (inherited == model::kNoStyle) inherited = sheet_->columns[cells[i].first].style;
                if (inherited == model::kNoStyle) inherited = sheet_->sheetStyle;
                if (cell.style == inherited) cell.style = model::kNoStyle;
                if (cell.style == model::kNoStyle && !cell.formula && model::isEmpty(cell.value)) continue;
                if (kept != i) cells[kept] = std::move(cells[i]);
                ++kept;
            }
            cells.erase(cells.begin() + static_cast<std::ptrdiff_t>(kept), cells.end());
        }
    }

    RecordCursor cursor_;
    SheetSources sources_;
    std::unique_ptr<model::Sheet> sheet_;
    bool fitToPages_ = false;
    bool setupSeen_ = false;
    int scale_ = 100;
    bool selectionSeen_ = false;
    std::optional<model::CellAddress> pendingString_;
    int openRow_ = -1;  // the row whose cells openCells_ are
    std::vector<std::pair<uint16_t, model::Cell>>* openCells_ = nullptr;
    std::array<uint16_t, model::kMaxColumns> columnXf_ = [] {
        std::array<uint16_t, model::kMaxColumns> a;
        a.fill(kDefaultCellXf);
        return a;
    }();
    std::array<uint16_t, model::kMaxColumns> columnUnits_{};
    std::array<bool, model::kMaxColumns> columnUserSet_{};
    std::array<bool, model::kMaxColumns> columnHidden_{};
    struct SharedUser { int row, col, baseRow, baseCol; };
    std::vector<SharedUser> sharedUsers_;
    SheetFormulas formulas_;
    std::map<std::pair<int, int>, model::FormulaPtr> sharedFormulas_;
};

}  // namespace

std::unique_ptr<model::Sheet> decodeSheet(std::span<const uint8_t> stream, size_t offset, const QString& name,
                                          SheetSources sources) {
    return SheetReader(stream, offset, name, sources).read();
}

}  // namespace brevanta::xls
