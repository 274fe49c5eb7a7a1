#include "engine/embedded/document.h"

namespace brevanta::engine {

std::shared_ptr<BookState> BookState::adopt(std::unique_ptr<model::Workbook> book, const QString& fullName,
                                            const std::shared_ptr<AppState>& app) {
    auto state = std::make_shared<BookState>();
    state->book = std::move(book);
    state->fullName = fullName;
    state->app = app;
    state->appState = app.get();
    // The sheets' calculators find each other through the workbook's live sheets.
    auto links = std::make_shared<CalculatorLinks>();
    links->calculatorOf = [book = std::weak_ptr<BookState>(state)](const QString& name) -> Calculator* {
        const auto live = book.lock();
        if (!live) return nullptr;
        for (const SheetStatePtr& sheet : live->sheets)
            if (!sheet->removed && sheet->sheet && sheet->sheet->name.compare(name, Qt::CaseInsensitive) == 0)
                return sheet->calculator.get();
        return nullptr;
    };
    for (auto& sheet : state->book->sheets) {
        auto sheetState = std::make_shared<SheetState>();
        sheetState->sheet = sheet.get();
        sheetState->calculator = std::make_unique<Calculator>(*sheet, links);
        state->sheets.push_back(std::move(sheetState));
    }
    if (state->book->activeSheet < 0 || state->book->activeSheet >= static_cast<int>(state->sheets.size()))
        state->book->activeSheet = 0;
    return state;
}

SheetStatePtr BookState::activeSheet() const {
    if (sheets.empty()) return nullptr;
    return sheets[static_cast<size_t>(book->activeSheet)];
}

int BookState::indexOf(const SheetState& sheet) const {
    for (size_t i = 0; i < sheets.size(); ++i)
        if (sheets[i].get() == &sheet) return static_cast<int>(i);
    return -1;
}

QString disconnectedText() { return QStringLiteral("The object invoked has disconnected from its clients."); }

}  // namespace brevanta::engine
