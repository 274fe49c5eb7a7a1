#include "engine/embedded/address.h"
#include "engine/embedded/embedded_host.h"
#include "engine/embedded/objects.h"
#include "engine/embedded/sheet_edit.h"

namespace brevanta::engine {

using host::HostError;

namespace {

// A workbook as a new one starts: three empty sheets, the standard palette,
// Arial 10, the first sheet active with A1 selected.
std::unique_ptr<model::Workbook> newWorkbookModel() {
    auto book = std::make_unique<model::Workbook>();
    for (int i = 1; i <= 3; ++i)
        book->sheets.push_back(std::make_unique<model::Sheet>(QStringLiteral("Sheet%1").arg(i)));
    return book;
}

class EngineApplication;

class EngineWorkbooks final : public host::Workbooks {
public:
    explicit EngineWorkbooks(std::shared_ptr<AppState> app) : app_(std::move(app)) {}
    host::WorkbookPtr add() override;
    host::WorkbookPtr open(const QString& path) override;
    int count() const override { return static_cast<int>(live().books.size()); }
    host::WorkbookPtr item(int index) override;

private:
    AppState& live() const {
        if (app_->quit) throw HostError(disconnectedText());
        return *app_;
    }
    std::shared_ptr<AppState> app_;
};

host::WorkbookPtr EngineWorkbooks::add() {
    auto& app = live();
    ++app.booksCreated;
    auto book = BookState::adopt(newWorkbookModel(), QStringLiteral("Book%1").arg(app.booksCreated), app_);
    app.books.push_back(book);
    app.active = book;
    return std::make_shared<EngineWorkbook>(book);
}

host::WorkbookPtr EngineWorkbooks::open(const QString& path) {
    auto& app = live();
    auto model = asHostFailure([&] { return app.files->open(path); });
    if (!model || model->sheets.empty()) throw HostError(QStringLiteral("Open method of Workbooks class failed"));
    auto book = BookState::adopt(std::move(model), path, app_);
    // The results the file was saved with stand until something changes.
    for (const SheetStatePtr& sheet : book->sheets) sheet->calculator->trustStoredResults();
    app.books.push_back(book);
    app.active = book;
    return std::make_shared<EngineWorkbook>(book);
}

host::WorkbookPtr EngineWorkbooks::item(int index) {
    auto& app = live();
    if (index < 1 || index > static_cast<int>(app.books.size())) throw HostError(frame::failures::kSubscriptOutOfRange);
    return std::make_shared<EngineWorkbook>(app.books[static_cast<size_t>(index - 1)]);
}

class EngineApplication final : public host::Application {
public:
    explicit EngineApplication(model::WorkbookFiles& files)
        : app_(std::make_shared<AppState>()), workbooks_(app_), sheets_([this] { return activeBook("Sheets"); }) {
        app_->files = &files;
    }

    QString defaultValue() const override { return QStringLiteral("Brevanta Spreadsheet Engine"); }
    QString version() const override { return QStringLiteral("16.0"); }

    bool visible() const override { return live().visible; }
    void setVisible(bool visible) override { live().visible = visible; }
    bool screenUpdating() const override { return live().screenUpdating; }
    void setScreenUpdating(bool on) override { live().screenUpdating = on; }
    bool displayAlerts() const override { return live().displayAlerts; }
    void setDisplayAlerts(bool on) override { live().displayAlerts = on; }
    bool enableEvents() const override { return live().enableEvents; }
    void setEnableEvents(bool on) override { live().enableEvents = on; }
    int enableCancelKey() const override { return live().enableCancelKey; }
    void setEnableCancelKey(int mode) override {
        auto& app = live();
        if (mode < 0 || mode > 2) throwUnableToSet("EnableCancelKey", "Application");
        app.enableCancelKey = mode;
    }
    int cursor() const override { return live().cursor; }
    void setCursor(int cursor) override {
        auto& app = live();
        if (cursor != host::xl::CursorDefault && (cursor < 1 || cursor > 3)) throwUnableToSet("Cursor", "Application");
        app.cursor = cursor;
    }

    host::Workbooks& workbooks() override {
        live();
        return workbooks_;
    }
    host::WorkbookPtr activeWorkbook() override { return std::make_shared<EngineWorkbook>(activeBook("ActiveWorkbook")); }
    host::WorksheetPtr activeSheet() override { return std::make_shared<EngineWorksheet>(activeSheetHandle("ActiveSheet")); }
    host::Sheets& sheets() override {
        activeBook("Sheets");
        return sheets_;
    }

    host::RangePtr range(const QString& address) override {
        if (lastRangeSheet()) return cellsRange(parseAddressOrThrow(address));
        auto handle = activeSheetHandle("Range");
        const model::CellRange area = parseAddressOrThrow(address);
        return remember(std::make_shared<EngineRange>(std::move(handle), area));
    }
    host::RangePtr area(int firstRow, int firstColumn, int lastRow, int lastColumn) override {
        if (firstRow < 1 || firstColumn < 1 || lastRow > model::kMaxRows || lastColumn > model::kMaxColumns ||
            firstRow > lastRow || firstColumn > lastColumn)
            throw HostError(QStringLiteral("Method 'Range' of object '_Global' failed"));
        const model::CellRange area{firstRow - 1, firstColumn - 1, lastRow - 1, lastColumn - 1};
        if (lastRangeSheet()) return cellsRange(area);
        return remember(std::make_shared<EngineRange>(activeSheetHandle("Range"), area));
    }
    // The cells are typed into straight, without a range or a selection.
    int writeRow(int row, int firstColumn, std::span<const host::CellEntry> entries) override {
        if (row < 1 || row > model::kMaxRows || firstColumn < 1) return 0;
        int written = 0;
        try {
            SheetContext context = activeSheetHandle("Range").live();
            RowCells cells(context.sheet, row - 1);
            const QLocale locale;
            for (const host::CellEntry& entry : entries) {
                const int col = firstColumn - 1 + written;
                if (col >= model::kMaxColumns) break;
                try {
                    if (entry.isDate()) typeDate(context, cells, col, entry, locale);
                    else if (entry.asText) putText(cells, col, entry.text);
                    else typeEntry(context, cells, col, entry.text, locale);
                } catch (const HostError&) {
                    break;
                }
                ++written;
            }
            if (written > 0) context.calculator.invalidate();
        } catch (const HostError&) {
        }
        return written;
    }
    int fillAreas(std::span<const host::AreaFill> fills) override {
        int filled = 0;
        try {
            SheetContext context = activeSheetHandle("Range").live();
            RecentEdits recent;
            for (const host::AreaFill& fill : fills) {
                if (fill.firstRow < 1 || fill.firstColumn < 1 || fill.lastRow > model::kMaxRows ||
                    fill.lastColumn > model::kMaxColumns || fill.firstRow > fill.lastRow ||
                    fill.firstColumn > fill.lastColumn)
                    break;
                try {
                    fillInterior(context,
                                 {fill.firstRow - 1, fill.firstColumn - 1, fill.lastRow - 1, fill.lastColumn - 1},
                                 fill.colorIndex, &recent);
                } catch (const HostError&) {
                    break;
                }
                ++filled;
            }
        } catch (const HostError&) {
        }
        return filled;
    }
    int setRowHeights(int firstRow, int lastRow, double points) override {
        if (firstRow < 1 || firstRow > lastRow || !(points >= 0 && points <= 409)) return 0;
        try {
            SheetContext context = activeSheetHandle("Rows").live();
            const int last = std::min(lastRow, model::kMaxRows);
            engine::setRowHeight(context.sheet, {firstRow - 1, 0, last - 1, model::kMaxColumns - 1}, points);
            return last - firstRow + 1;
        } catch (const HostError&) {
            return 0;
        }
    }
    host::RangePtr rows(const QString& address) override {
        auto handle = activeSheetHandle("Rows");
        auto area = parseAddressOrThrow(address);
        area.firstCol = 0;
        area.lastCol = model::kMaxColumns - 1;
        return std::make_shared<EngineRange>(std::move(handle), area, RangeMode::Rows);
    }
    host::RangePtr columns(const QString& address) override {
        auto handle = activeSheetHandle("Columns");
        auto area = parseAddressOrThrow(address);
        area.firstRow = 0;
        area.lastRow = model::kMaxRows - 1;
        return std::make_shared<EngineRange>(std::move(handle), area, RangeMode::Columns);
    }
    host::RangePtr cells() override {
        return std::make_shared<EngineRange>(activeSheetHandle("Cells"),
                                             model::CellRange{0, 0, model::kMaxRows - 1, model::kMaxColumns - 1});
    }
    host::RangePtr selection() override {
        if (const model::Sheet* sheet = lastRangeSheet()) return cellsRange(sheet->selection);
        auto handle = activeSheetHandle("Selection");
        const model::CellRange area = handle.live().sheet.selection;
        return remember(std::make_shared<EngineRange>(std::move(handle), area));
    }
    host::RangePtr activeCell() override {
        if (const model::Sheet* sheet = lastRangeSheet()) {
            const auto cell = sheet->activeCell;
            return cellsRange(model::CellRange{cell.row, cell.col, cell.row, cell.col});
        }
        auto handle = activeSheetHandle("ActiveCell");
        const auto cell = handle.live().sheet.activeCell;
        return remember(
            std::make_shared<EngineRange>(std::move(handle), model::CellRange{cell.row, cell.col, cell.row, cell.col}));
    }

    double inchesToPoints(double inches) const override {
        live();
        return inches * 72.0;
    }

    void quit() override {
        auto& app = live();
        lastRange_.reset();
        for (auto& book : std::vector(app.books)) EngineWorkbook(book).close();
        app.quit = true;
    }

private:
    AppState& live() const {
        if (app_->quit) throw HostError(disconnectedText());
        return *app_;
    }
    BookStatePtr activeBook(const char* member) const {
        live();
        auto book = app_->active.lock();
        if (!book || book->closed)
            throw HostError(QStringLiteral("Method '%1' of object '_Application' failed").arg(QLatin1String(member)));
        return book;
    }
    // Select-then-act asks for the selection and the active cell right after
    // selecting, every time. A range is only a handle on cells of a sheet,
    // so the one handed out last is handed out again while it stands for the
    // same cells of the same active sheet, instead of making another.

    // The sheet of the range handed out last, while it is the active sheet of the active workbook.
    const model::Sheet* lastRangeSheet() const {
        if (!lastRange_ || live().quit) return nullptr;
        const SheetHandle& handle = lastRange_->handle();
        const BookStatePtr& book = handle.bookState();
        if (book->closed || !BookState::isActive(*app_, book) || book->activeSheetState() != handle.sheetState().get())
            return nullptr;
        return handle.sheetState()->sheet;
    }
    // A range of cells of the active sheet; lastRangeSheet() said it is the last range's sheet.
    host::RangePtr cellsRange(const model::CellRange& area) {
        if (lastRange_->mode() == RangeMode::Cells && lastRange_->area() == area) return lastRange_;
        // A handle nobody else holds any more is turned to the new cells rather than made anew:
        // the layout asks for a range or two for every cell of a long register.
        if (lastRange_->mode() == RangeMode::Cells && lastRange_.use_count() == 1) {
            lastRange_->standFor(area);
            return lastRange_;
        }
        return remember(std::make_shared<EngineRange>(lastRange_->handle(), area));
    }
    host::RangePtr remember(std::shared_ptr<EngineRange> range) {
        lastRange_ = std::move(range);
        return lastRange_;
    }

    SheetHandle activeSheetHandle(const char* member) const {
        auto book = activeBook(member);
        auto sheet = book->activeSheet();
        return SheetHandle(std::move(book), std::move(sheet));
    }

    std::shared_ptr<AppState> app_;
    EngineWorkbooks workbooks_;
    EngineSheets sheets_;
    std::shared_ptr<EngineRange> lastRange_;
};

}  // namespace

host::ApplicationPtr createEmbeddedApplication(model::WorkbookFiles& files) {
    return std::make_shared<EngineApplication>(files);
}

host::ApplicationPtr EmbeddedHostFactory::create() { return createEmbeddedApplication(files_); }

SheetModel sheetModel(host::Worksheet& worksheet) {
    auto* engineSheet = dynamic_cast<EngineWorksheet*>(&worksheet);
    if (!engineSheet) throw HostError(QStringLiteral("The worksheet does not belong to the embedded engine"));
    auto context = engineSheet->handle().live();
    return {*context.book.book, context.sheet, context.calculator};
}

}  // namespace brevanta::engine
