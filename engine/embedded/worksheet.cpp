#include "engine/embedded/address.h"
#include "engine/embedded/objects.h"
#include "engine/embedded/sheet_edit.h"

namespace brevanta::engine {

using host::HostError;

namespace {

// A sheet name a spreadsheet accepts: 1 to 31 characters, none of : \ / ? * [ ],
// not already used by another sheet of the workbook (case aside).
bool acceptableSheetName(const BookState& book, const SheetState& self, const QString& name) {
    if (name.isEmpty() || name.size() > 31) return false;
    for (QChar c : name)
        if (QStringLiteral(":\\/?*[]").contains(c)) return false;
    for (const auto& other : book.sheets)
        if (other.get() != &self && other->sheet->name.compare(name, Qt::CaseInsensitive) == 0) return false;
    return true;
}

}  // namespace

// ---------------------------------------------------------------- worksheet

QString EngineWorksheet::name() const { return handle_.live().sheet.name; }

void EngineWorksheet::setName(const QString& name) {
    auto context = handle_.live();
    if (!acceptableSheetName(context.book, context.state, name)) throwUnableToSet("Name", "Worksheet");
    context.sheet.name = name;
    context.calculator.invalidate();  // references to sheets by name may now read another sheet
}

void EngineWorksheet::select() {
    auto context = handle_.live();
    if (!BookState::isActive(context.app, handle_.bookState()))
        throw HostError(QStringLiteral("Select method of Worksheet class failed"));
    context.book.book->activeSheet = context.book.indexOf(context.state);
}

void EngineWorksheet::remove() {
    auto context = handle_.live();
    auto& book = context.book;
    if (book.sheets.size() <= 1) throw HostError(QStringLiteral("Delete method of Worksheet class failed"));
    const int index = book.indexOf(context.state);
    const int active = book.book->activeSheet;
    context.state.removed = true;
    context.state.calculator.reset();
    context.state.sheet = nullptr;
    book.sheets.erase(book.sheets.begin() + index);
    book.book->sheets.erase(book.book->sheets.begin() + index);
    book.sheets.front()->calculator->invalidate();  // formulas that read the sheet now give #REF!
    // The active sheet stays the same sheet; when it was this one, the next takes over.
    if (active > index || active >= static_cast<int>(book.sheets.size())) book.book->activeSheet = std::max(0, active - 1);
}

host::PageSetup& EngineWorksheet::pageSetup() {
    handle_.live();
    return pageSetup_;
}

host::RangePtr EngineWorksheet::usedRange() {
    auto context = handle_.live();
    return std::make_shared<EngineRange>(handle_, engine::usedRange(context.sheet));
}

host::RangePtr EngineWorksheet::range(const QString& address) {
    handle_.live();
    return std::make_shared<EngineRange>(handle_, parseAddressOrThrow(address));
}

host::RangePtr EngineWorksheet::cell(int row, int column) {
    handle_.live();
    if (row < 1 || row > model::kMaxRows || column < 1 || column > model::kMaxColumns)
        throw HostError(QStringLiteral("Unable to get the Cells property of the Worksheet class"));
    return std::make_shared<EngineRange>(handle_, model::CellRange{row - 1, column - 1, row - 1, column - 1});
}

// ---------------------------------------------------------------- page set-up

QString EnginePageSetup::printArea() const { return page().printArea; }

void EnginePageSetup::setPrintArea(const QString& area) {
    auto& data = page();
    if (area.isEmpty()) {
        data.printArea.clear();
        return;
    }
    const auto range = parseAddress(area);
    if (!range) throwUnableToSet("PrintArea", "PageSetup");
    data.printArea = rangeAddress(*range);
}

void EnginePageSetup::setMargin(double model::PageSetupData::*member, double points, const char* property) {
    auto& data = page();
    if (!(points >= 0 && points <= 49 * 72)) throwUnableToSet(property, "PageSetup");
    data.*member = points;
}

void EnginePageSetup::setPrintComments(int mode) {
    auto& data = page();
    if (mode != host::xl::PrintNoComments && mode != 1 && mode != 16) throwUnableToSet("PrintComments", "PageSetup");
    data.printComments = mode;
}

void EnginePageSetup::setOrientation(int orientation) {
    auto& data = page();
    if (orientation != host::xl::Portrait && orientation != host::xl::Landscape) throwUnableToSet("Orientation", "PageSetup");
    data.orientation = orientation;
}

void EnginePageSetup::setPaperSize(int paper) {
    auto& data = page();
    if (paper <= 0) throwUnableToSet("PaperSize", "PageSetup");
    data.paperSize = paper;
}

void EnginePageSetup::setZoom(int percent) {
    auto& data = page();
    if (percent < 10 || percent > 400) throwUnableToSet("Zoom", "PageSetup");
    data.zoom = percent;
}

void EnginePageSetup::setFitToPagesWide(int pages) {
    auto& data = page();
    if (pages < 0 || pages > 32767) throwUnableToSet("FitToPagesWide", "PageSetup");
    data.fitToPagesWide = pages;
}

void EnginePageSetup::setFitToPagesTall(int pages) {
    auto& data = page();
    if (pages < 0 || pages > 32767) throwUnableToSet("FitToPagesTall", "PageSetup");
    data.fitToPagesTall = pages;
}

QString EnginePageSetup::printTitleRows() const {
    const auto& rows = page().printTitleRows;
    if (!rows) return QString();
    return QStringLiteral("$%1:$%2").arg(rows->first + 1).arg(rows->second + 1);
}

void EnginePageSetup::setPrintTitleRows(const QString& rows) {
    auto& data = page();
    if (rows.isEmpty()) {
        data.printTitleRows.reset();
        return;
    }
    const auto range = parseAddress(rows);
    if (!range || !coversAllColumns(*range) || coversAllRows(*range)) throwUnableToSet("PrintTitleRows", "PageSetup");
    data.printTitleRows = std::pair{range->firstRow, range->lastRow};
}

// ---------------------------------------------------------------- sheets

int EngineSheets::count() const { return static_cast<int>(liveBook(book_()).sheets.size()); }

host::WorksheetPtr EngineSheets::item(int index) {
    BookStatePtr book = book_();
    auto& state = liveBook(book);
    if (index < 1 || index > static_cast<int>(state.sheets.size()))
        throw HostError(frame::failures::kSubscriptOutOfRange);
    return std::make_shared<EngineWorksheet>(SheetHandle(book, state.sheets[static_cast<size_t>(index - 1)]));
}

}  // namespace brevanta::engine
