#include "engine/embedded/objects.h"

namespace brevanta::engine {

using host::HostError;

BookState& liveBook(const BookStatePtr& book) {
    if (!book) throw HostError(frame::failures::kObjectRequired);
    const AppState* app = book->liveApp();
    if (!app || app->quit || book->closed) throw HostError(disconnectedText());
    return *book;
}

EngineWorkbook::EngineWorkbook(BookStatePtr book)
    : book_(book), sheets_([book] { return book; }) {}

BookState& EngineWorkbook::live() const { return liveBook(book_); }

host::WorksheetPtr EngineWorkbook::activeSheet() {
    auto& book = live();
    return std::make_shared<EngineWorksheet>(SheetHandle(book_, book.activeSheet()));
}

int EngineWorkbook::color(int index) const {
    auto& book = live();
    if (index < 1 || index > 56) throw HostError(QStringLiteral("Unable to get the Colors property of the Workbook class"));
    return book.book->palette[static_cast<size_t>(index - 1)];
}

void EngineWorkbook::setColor(int index, int rgb) {
    auto& book = live();
    book.finishPictures();
    if (index < 1 || index > 56 || rgb < 0 || rgb > 0xFFFFFF) throwUnableToSet("Colors", "Workbook");
    book.book->palette[static_cast<size_t>(index - 1)] = rgb;
}

void EngineWorkbook::saveAs(const QString& path, int fileFormat) {
    auto& book = live();
    if (path.isEmpty() || (fileFormat != host::xl::FileFormatExcel8 && fileFormat != host::xl::FileFormatNormal))
        throw HostError(QStringLiteral("SaveAs method of Workbook class failed"));
    book.finishPictures();
    for (auto& sheet : book.sheets) sheet->calculator->computeAll();
    asHostFailure([&] { book.appState->files->save(*book.book, path); });
    book.fullName = path;
}

void EngineWorkbook::close() {
    auto& book = live();
    auto app = book.app.lock();
    std::erase(app->books, book_);
    if (app->active.lock() == book_)
        app->active = app->books.empty() ? std::weak_ptr<BookState>() : std::weak_ptr<BookState>(app->books.back());
    book.closed = true;
    for (auto& sheet : book.sheets) {
        sheet->removed = true;
        sheet->calculator.reset();
        sheet->sheet = nullptr;
    }
    book.sheets.clear();
    book.book.reset();
    book.unfinishedPictures.clear();
}

QString EngineWorkbook::fullName() const { return live().fullName; }

}  // namespace brevanta::engine
