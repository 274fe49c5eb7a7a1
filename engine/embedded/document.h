#pragma once
// What the host objects share behind their handles: the application's
// settings and workbooks, each workbook's model and each sheet's
// calculator. Handles keep these alive and check, on every call, that the
// thing they stand for still exists (a closed workbook, a deleted sheet or
// a quit application refuses further calls instead of crashing).

#include <QString>
#include <array>
#include <memory>
#include <utility>
#include <vector>

#include "engine/formula/calc.h"
#include "engine/model/workbook.h"
#include "engine/model/workbook_files.h"
#include "picture/sheet_picture.h"

namespace brevanta::engine {

struct BookState;

struct SheetState {
    model::Sheet* sheet = nullptr;  // owned by the workbook's model
    std::shared_ptr<Calculator> calculator;  // shared with pictures still recording
    bool removed = false;
};
using SheetStatePtr = std::shared_ptr<SheetState>;

struct AppState {
    model::WorkbookFiles* files = nullptr;  // how workbooks are saved and opened; never null
    bool quit = false;
    bool visible = false;
    bool screenUpdating = true;
    bool displayAlerts = true;
    bool enableEvents = true;
    int enableCancelKey = 1;
    int cursor = -4143;
    std::vector<std::shared_ptr<BookState>> books;  // in the order they were opened
    std::weak_ptr<BookState> active;
    int booksCreated = 0;  // for the "Book<n>" names of new workbooks
};

struct BookState {
    std::shared_ptr<model::Workbook> book;  // shared with pictures still recording
    std::vector<SheetStatePtr> sheets;  // parallel to book->sheets
    QString fullName;
    bool closed = false;
    std::weak_ptr<AppState> app;
    AppState* appState = nullptr;  // what `app` points at, for checks that need no lock

    // The application, or null once it is gone. Host objects are used from
    // one thread, so checking without taking a reference is enough.
    AppState* liveApp() const { return app.expired() ? nullptr : appState; }
    // Whether this is the application's active workbook (`self` is this state's pointer).
    static bool isActive(const AppState& app, const std::shared_ptr<BookState>& self);

    // Wraps a model that has no handles yet (new or read from a file).
    static std::shared_ptr<BookState> adopt(std::unique_ptr<model::Workbook> book,
                                            const QString& fullName,
                                            const std::shared_ptr<AppState>& app);
    SheetStatePtr activeSheet() const;
    const SheetState* activeSheetState() const {
        return sheets.empty() ? nullptr : sheets[size_t(book->activeSheet)].get();
    }
    int indexOf(const SheetState& sheet) const;  // 0-based, -1 when gone

    // The formulas typed last, parsed: a register types the same two R1C1
    // formulas into every row, and a parsed formula never changes.
    std::array<std::pair<QString, model::FormulaPtr>, 4> recentFormulas;
    size_t nextRecentFormula = 0;
    // The formats typed dates were given last: a column of dates is typed
    // over the same one or two formats again and again.
    struct NumberFormatEdit {
        model::StyleId shown = model::kNoStyle;
        QString numberFormat;
        model::StyleId derived = model::kNoStyle;
    };
    std::array<NumberFormatEdit, 4> recentNumberFormats;
    size_t nextRecentNumberFormat = 0;

    // Pictures of this workbook's sheets still recorded as they are looked
    // at. They show the cells as they were taken, so anything that may
    // change the workbook records the rest of them first; closing it does not.
    std::vector<std::weak_ptr<const paint::SheetPicture>> unfinishedPictures;
    void finishPictures() {
        if (unfinishedPictures.empty()) return;
        for (const auto& picture : std::exchange(unfinishedPictures, {}))
            if (const auto held = picture.lock()) held->whole();
    }
};
using BookStatePtr = std::shared_ptr<BookState>;

inline bool BookState::isActive(const AppState& app, const std::shared_ptr<BookState>& self) {
    return !app.active.expired() && !app.active.owner_before(self) && !self.owner_before(app.active);
}

// The text a spreadsheet gives for a call on an object that is gone.
QString disconnectedText();

}  // namespace brevanta::engine
