#pragma once
// The engine's implementations of the host classes. Each is a thin handle
// over the shared state of document.h; the work happens in formatting,
// sheet_edit, sort and picture.

#include <functional>

#include "engine/embedded/document.h"
#include "engine/embedded/formatting.h"
#include "host/host_api.h"

namespace brevanta::engine {

// A sheet handle's live objects, checked on each call.
struct SheetContext {
    AppState& app;
    BookState& book;
    SheetState& state;
    model::Sheet& sheet;
    Calculator& calculator;
};

// Everything a handle on one sheet needs to check that it is still there.
class SheetHandle {
public:
    SheetHandle(BookStatePtr book, SheetStatePtr sheet) : book_(std::move(book)), sheet_(std::move(sheet)) {}
    SheetContext live() const;  // throws HostError when the sheet, workbook or application is gone
    const BookStatePtr& bookState() const { return book_; }
    const SheetStatePtr& sheetState() const { return sheet_; }

private:
    BookStatePtr book_;
    SheetStatePtr sheet_;
};

void throwUnableToSet(const char* property, const char* className);

// The cells of one row of a sheet, each found from where the last one was:
// a row's cells written left to right are not each looked up in the sheet.
class RowCells {
public:
    RowCells(model::Sheet& sheet, int row) : sheet_(sheet), row_(row) {
        if (row < sheet.rowExtent()) cells_ = &sheet.rowCells(row);
    }
    int row() const { return row_; }
    // 0-based, as Sheet::find. The cell found last and the one after it,
    // which a row written left to right asks for next, are taken straight.
    model::Cell* find(int col) {
        if (walking_ && next_ < cells_->size()) {
            auto& cells = *cells_;
            if (cells[next_].first == col) return &cells[next_].second;
            if (next_ + 1 < cells.size() && cells[next_ + 1].first == col) return &cells[++next_].second;
        }
        return findFurther(col);
    }
    model::Cell& at(int col) {  // as Sheet::at: made when missing
        if (model::Cell* cell = find(col)) return *cell;
        return make(col);
    }
    void erase(int col);  // as Sheet::erase

private:
    model::Cell* findFurther(int col);
    model::Cell& make(int col);

    model::Sheet& sheet_;
    int row_;
    std::vector<std::pair<uint16_t, model::Cell>>* cells_ = nullptr;  // none while the row holds nothing
    size_t next_ = 0;       // the cell found last, or where the walk ended
    bool walking_ = false;  // whether next_ stands in the row as it is
};

// Types `entry` into the cell (row, col), 0-based, as Range.FormulaR1C1 does;
// throws HostError for a refused formula, leaving the cell as it was. The
// caller tells the calculator that cells changed. `locale` is the one the
// entry is read under, QLocale() taken once for a run of cells.
void typeEntry(SheetContext& context, int row, int col, const QString& entry);
void typeEntry(SheetContext& context, RowCells& cells, int col, const QString& entry, const QLocale& locale);
// Types the date of `entry` (CellEntry::isDate) into the cell: what typing
// its ISO form gives, the same number and format, without the text.
void typeDate(SheetContext& context, RowCells& cells, int col, const host::CellEntry& entry, const QLocale& locale);
// Puts `text` into the cell as text, as typing it after an apostrophe does.
void putText(RowCells& cells, int col, const QString& text);
// Gives the cells of `area` the interior colour `colorIndex`, as Interior.ColorIndex does;
// `recent` remembers the formats made, for a run of fills.
void fillInterior(SheetContext& context, const model::CellRange& area, int colorIndex, RecentEdits* recent = nullptr);

enum class RangeMode { Cells, Rows, Columns };

class EngineRange;

class EngineFont final : public host::Font {
public:
    explicit EngineFont(EngineRange& range) : range_(range) {}
    QString name() const override;
    void setName(const QString& name) override;
    double size() const override;
    void setSize(double points) override;
    QString fontStyle() const override;
    void setFontStyle(const QString& style) override;
    int colorIndex() const override;
    void setColorIndex(int index) override;

private:
    EngineRange& range_;
};

class EngineInterior final : public host::Interior {
public:
    explicit EngineInterior(EngineRange& range) : range_(range) {}
    int colorIndex() const override;
    void setColorIndex(int index) override;

private:
    EngineRange& range_;
};

class EngineBorder final : public host::Border {
public:
    int lineStyle() const override { return host::xl::LineStyleNone; }
};

class EngineRange final : public host::Range {
public:
    EngineRange(SheetHandle handle, const model::CellRange& area, RangeMode mode = RangeMode::Cells)
        : handle_(std::move(handle)), area_(area), mode_(mode) {}

    void select() override;
    QString address() const override;
    host::Font& font() override { return font_; }
    host::Interior& interior() override { return interior_; }
    host::Border& borders(int edge) override;
    int horizontalAlignment() const override;
    void setHorizontalAlignment(int alignment) override;
    int verticalAlignment() const override;
    void setVerticalAlignment(int alignment) override;
    bool wrapText() const override;
    void setWrapText(bool wrap) override;
    double rowHeight() const override;
    void setRowHeight(double points) override;
    double columnWidth() const override;
    void setColumnWidth(double characters) override;
    bool hidden() const override;
    void setHidden(bool hidden) override;
    void merge() override;
    void sort(const host::SortOptions& options) override;
    void clear() override;
    QString formulaR1C1() const override;
    void setFormulaR1C1(const QString& entry) override;
    host::Value value() const override;
    QString text() const override;
    host::RangePtr rows() override;
    host::RangePtr columns() override;
    int count() const override;
    host::RangePtr item(int index) override;
    int row() const override;
    int column() const override;
    void copyPicture() override;
    paint::SharedPicture picture() override;

    // For Font and Interior: reads and edits of the range's formats.
    SheetContext live() const { return handle_.live(); }
    const model::CellRange& area() const { return area_; }
    // Makes this handle stand for other cells of its sheet; only for a
    // handle nobody else holds (the application's last range).
    void standFor(const model::CellRange& area) { area_ = area; }
    RangeMode mode() const { return mode_; }
    const SheetHandle& handle() const { return handle_; }
    void editStyle(const std::function<void(model::CellStyle&)>& edit, std::optional<NamedEdit> name = std::nullopt);
    template <class T, class Property>
    std::optional<T> common(Property&& property) const;

private:
    SheetHandle handle_;
    model::CellRange area_;
    RangeMode mode_;
    EngineFont font_{*this};
    EngineInterior interior_{*this};
    EngineBorder border_;
};

class EnginePageSetup final : public host::PageSetup {
public:
    explicit EnginePageSetup(SheetHandle handle) : handle_(std::move(handle)) {}
    QString printArea() const override;
    void setPrintArea(const QString& area) override;
    double leftMargin() const override { return page().leftMargin; }
    void setLeftMargin(double points) override { setMargin(&model::PageSetupData::leftMargin, points, "LeftMargin"); }
    double rightMargin() const override { return page().rightMargin; }
    void setRightMargin(double points) override { setMargin(&model::PageSetupData::rightMargin, points, "RightMargin"); }
    double topMargin() const override { return page().topMargin; }
    void setTopMargin(double points) override { setMargin(&model::PageSetupData::topMargin, points, "TopMargin"); }
    double bottomMargin() const override { return page().bottomMargin; }
    void setBottomMargin(double points) override { setMargin(&model::PageSetupData::bottomMargin, points, "BottomMargin"); }
    double headerMargin() const override { return page().headerMargin; }
    void setHeaderMargin(double points) override { setMargin(&model::PageSetupData::headerMargin, points, "HeaderMargin"); }
    double footerMargin() const override { return page().footerMargin; }
    void setFooterMargin(double points) override { setMargin(&model::PageSetupData::footerMargin, points, "FooterMargin"); }
    int printComments() const override { return page().printComments; }
    void setPrintComments(int mode) override;
    int orientation() const override { return page().orientation; }
    void setOrientation(int orientation) override;
    int paperSize() const override { return page().paperSize; }
    void setPaperSize(int paper) override;
    bool zoomIsOff() const override { return !page().zoom.has_value(); }
    int zoom() const override { return page().zoom.value_or(100); }
    void setZoomOff() override { page().zoom.reset(); }
    void setZoom(int percent) override;
    int fitToPagesWide() const override { return page().fitToPagesWide; }
    void setFitToPagesWide(int pages) override;
    int fitToPagesTall() const override { return page().fitToPagesTall; }
    void setFitToPagesTall(int pages) override;
    QString printTitleRows() const override;
    void setPrintTitleRows(const QString& rows) override;

private:
    model::PageSetupData& page() const { return handle_.live().sheet.page; }
    void setMargin(double model::PageSetupData::*member, double points, const char* property);
    SheetHandle handle_;
};

class EngineWorksheet final : public host::Worksheet {
public:
    explicit EngineWorksheet(SheetHandle handle) : handle_(handle), pageSetup_(handle) {}
    QString name() const override;
    void setName(const QString& name) override;
    void select() override;
    void remove() override;
    host::PageSetup& pageSetup() override;
    host::RangePtr usedRange() override;
    host::RangePtr range(const QString& address) override;
    host::RangePtr cell(int row, int column) override;
    const SheetHandle& handle() const { return handle_; }

private:
    SheetHandle handle_;
    EnginePageSetup pageSetup_;
};

// The sheets of a workbook, found afresh on each call (the application's
// Sheets follow whichever workbook is active).
class EngineSheets final : public host::Sheets {
public:
    explicit EngineSheets(std::function<BookStatePtr()> book) : book_(std::move(book)) {}
    int count() const override;
    host::WorksheetPtr item(int index) override;

private:
    std::function<BookStatePtr()> book_;
};

class EngineWorkbook final : public host::Workbook {
public:
    explicit EngineWorkbook(BookStatePtr book);
    host::Sheets& sheets() override { return sheets_; }
    host::WorksheetPtr activeSheet() override;
    int color(int index) const override;
    void setColor(int index, int rgb) override;
    void saveAs(const QString& path, int fileFormat) override;
    void close() override;
    QString fullName() const override;

private:
    BookState& live() const;
    BookStatePtr book_;
    EngineSheets sheets_;
};

// The live state of a workbook, or HostError when it was closed or its application quit.
BookState& liveBook(const BookStatePtr& book);

// Runs the reading or writing of a workbook file; the file's own failure
// reaches the host's caller as a HostError with the same text.
template <class Work>
decltype(auto) asHostFailure(Work&& work) {
    try {
        return work();
    } catch (const host::HostError&) {
        throw;
    } catch (const frame::Failure& failure) {
        throw host::HostError(failure.description());
    }
}

}  // namespace brevanta::engine
