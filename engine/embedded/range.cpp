#include <QClipboard>
#include <QGuiApplication>
#include <cmath>

#include "engine/embedded/address.h"
#include "engine/embedded/embedded_host.h"
#include "engine/embedded/formatting.h"
#include "engine/embedded/objects.h"
#include "engine/embedded/sheet_edit.h"
#include "engine/embedded/sort.h"
#include "engine/formula/date_formats.h"
#include "engine/formula/display_format.h"
#include "engine/formula/entry_reading.h"
#include "engine/formula/locale_facts.h"
#include "picture/picture_mime.h"
#include "engine/paint/sheet_painter.h"
#include "engine/formula/formula_text.h"
#include "engine/formula/typed_entry.h"

namespace brevanta::engine {

using host::HostError;

void throwUnableToSet(const char* property, const char* className) {
    throw HostError(QStringLiteral("Unable to set the %1 property of the %2 class")
                        .arg(QLatin1String(property), QLatin1String(className)));
}

namespace {

// The format properties the host objects set, naming their edits.
enum EditedProperty { kFontSize, kFontStyle, kFontColor, kFill, kHorizontalAlignment, kVerticalAlignment, kWrap };

bool isPaletteIndex(int index) { return index >= 1 && index <= 56; }

// Host alignment numbers and the model's alignments.
struct HorizontalName {
    int number;
    model::HAlign align;
};
constexpr HorizontalName kHorizontal[] = {
    {host::xl::General, model::HAlign::General}, {host::xl::Left, model::HAlign::Left},
    {host::xl::Center, model::HAlign::Center},   {host::xl::Right, model::HAlign::Right},
    {-4130, model::HAlign::Justify},             {7, model::HAlign::CenterAcross},
    {5, model::HAlign::Fill},
};
struct VerticalName {
    int number;
    model::VAlign align;
};
constexpr VerticalName kVertical[] = {
    {host::xl::Top, model::VAlign::Top},
    {host::xl::Center, model::VAlign::Center},
    {host::xl::Bottom, model::VAlign::Bottom},
    {-4130, model::VAlign::Justify},
};

QString fontStyleName(const model::Font& font) {
    if (font.bold && font.italic) return QStringLiteral("Bold Italic");
    if (font.bold) return QStringLiteral("Bold");
    if (font.italic) return QStringLiteral("Italic");
    return QStringLiteral("Regular");
}

host::Value toHostValue(const model::Value& value) {
    switch (value.index()) {
        case 1: return std::get<double>(value);
        case 2: return std::get<QString>(value);
        case 3: return std::get<bool>(value);
        case 4: return host::ErrorValue{model::errorText(std::get<model::ErrorCode>(value))};
        default: return std::monostate{};
    }
}

// A constant as a spreadsheet gives it back through FormulaR1C1: numbers in
// plain notation with a full stop, dates month/day/year.
QString constantAsTyped(const model::Value& value, const QString& numberFormat) {
    switch (value.index()) {
        case 1: {
            const double number = std::get<double>(value);
            int year = 0, month = 0, day = 0;
            if (isDateFormat(numberFormat) && number == std::floor(number) && serialToDate(number, year, month, day))
                return QStringLiteral("%1/%2/%3").arg(month).arg(day).arg(year);
            return QString::number(number, 'g', 15);
        }
        case 2: return std::get<QString>(value);
        case 3: return std::get<bool>(value) ? QStringLiteral("TRUE") : QStringLiteral("FALSE");
        case 4: return model::errorText(std::get<model::ErrorCode>(value));
        default: return QString();
    }
}

}  // namespace

// ---------------------------------------------------------------- checks

SheetContext SheetHandle::live() const {
    AppState* app = book_->liveApp();
    if (!app || app->quit || book_->closed || !sheet_ || sheet_->removed || !sheet_->sheet)
        throw HostError(disconnectedText());
    book_->finishPictures();
    return {*app, *book_, *sheet_, *sheet_->sheet, *sheet_->calculator};
}

void EngineRange::editStyle(const std::function<void(model::CellStyle&)>& edit, std::optional<NamedEdit> name) {
    auto context = live();
    editFormat(context.sheet, context.book.book->styles, area_, edit, name);
}

template <class T, class Property>
std::optional<T> EngineRange::common(Property&& property) const {
    auto context = live();
    return commonProperty<T>(context.sheet, context.book.book->styles, area_, std::forward<Property>(property));
}

// ---------------------------------------------------------------- font and interior

QString EngineFont::name() const {
    return range_.common<QString>([](const model::CellStyle& s) { return s.font.name; }).value_or(QString());
}

void EngineFont::setName(const QString& name) {
    if (name.trimmed().isEmpty() || name.size() > 255) throwUnableToSet("Name", "Font");
    range_.editStyle([&](model::CellStyle& s) { s.font.name = name; });
}

double EngineFont::size() const {
    return range_.common<double>([](const model::CellStyle& s) { return s.font.size; }).value_or(std::nan(""));
}

void EngineFont::setSize(double points) {
    if (!(points > 0 && points <= 409)) throwUnableToSet("Size", "Font");
    range_.editStyle([&](model::CellStyle& s) { s.font.size = points; }, NamedEdit{kFontSize, points});
}

QString EngineFont::fontStyle() const {
    return range_.common<QString>([](const model::CellStyle& s) { return fontStyleName(s.font); }).value_or(QString());
}

void EngineFont::setFontStyle(const QString& style) {
    const QString wanted = style.trimmed();
    const bool known = wanted.compare(QLatin1String("Regular"), Qt::CaseInsensitive) == 0 ||
                       wanted.compare(QLatin1String("Bold"), Qt::CaseInsensitive) == 0 ||
                       wanted.compare(QLatin1String("Italic"), Qt::CaseInsensitive) == 0 ||
                       wanted.compare(QLatin1String("Bold Italic"), Qt::CaseInsensitive) == 0;
    if (!known) throwUnableToSet("FontStyle", "Font");
    const bool bold = wanted.contains(QLatin1String("bold"), Qt::CaseInsensitive);
    const bool italic = wanted.contains(QLatin1String("italic"), Qt::CaseInsensitive);
    range_.editStyle(
        [&](model::CellStyle& s) {
            s.font.bold = bold;
            s.font.italic = italic;
        },
        NamedEdit{kFontStyle, (bold ? 1.0 : 0.0) + (italic ? 2.0 : 0.0)});
}

int EngineFont::colorIndex() const {
    return range_.common<int>([](const model::CellStyle& s) { return s.font.colorIndex; }).value_or(kMixedNumber);
}

void EngineFont::setColorIndex(int index) {
    if (!isPaletteIndex(index) && index != 0 && index != host::xl::ColorIndexAutomatic)
        throwUnableToSet("ColorIndex", "Font");
    range_.editStyle([&](model::CellStyle& s) { s.font.colorIndex = index; }, NamedEdit{kFontColor, double(index)});
}

int EngineInterior::colorIndex() const {
    return range_.common<int>([](const model::CellStyle& s) { return s.fillColorIndex; }).value_or(kMixedNumber);
}

void EngineInterior::setColorIndex(int index) {
    if (!isPaletteIndex(index) && index != host::xl::ColorIndexNone) throwUnableToSet("ColorIndex", "Interior");
    auto context = range_.live();
    fillInterior(context, range_.area(), index);
}

void fillInterior(SheetContext& context, const model::CellRange& area, int colorIndex, RecentEdits* recent) {
    if (!isPaletteIndex(colorIndex) && colorIndex != host::xl::ColorIndexNone) throwUnableToSet("ColorIndex", "Interior");
    editFormat(context.sheet, context.book.book->styles, area, [&](model::CellStyle& s) { s.fillColorIndex = colorIndex; },
               NamedEdit{kFill, double(colorIndex)}, recent);
}

// ---------------------------------------------------------------- range

void EngineRange::select() {
    auto context = live();
    const bool activeBook = BookState::isActive(context.app, handle_.bookState());
    if (!activeBook || context.book.activeSheetState() != &context.state)
        throw HostError(QStringLiteral("Select method of Range class failed"));
    context.sheet.selection = area_;
    context.sheet.activeCell = {area_.firstRow, area_.firstCol};
}

QString EngineRange::address() const {
    live();
    return rangeAddress(area_);
}

host::Border& EngineRange::borders(int edge) {
    live();
    if (edge < host::xl::EdgeLeft || edge > host::xl::InsideHorizontal)
        throw HostError(QStringLiteral("Unable to get the Item property of the Borders class"));
    return border_;
}

int EngineRange::horizontalAlignment() const {
    const auto align = common<model::HAlign>([](const model::CellStyle& s) { return s.hAlign; });
    if (!align) return kMixedNumber;
    for (const auto& entry : kHorizontal)
        if (entry.align == *align) return entry.number;
    return host::xl::General;
}

void EngineRange::setHorizontalAlignment(int alignment) {
    for (const auto& entry : kHorizontal)
        if (entry.number == alignment) {
            editStyle([&](model::CellStyle& s) { s.hAlign = entry.align; },
                      NamedEdit{kHorizontalAlignment, double(entry.align)});
            return;
        }
    throwUnableToSet("HorizontalAlignment", "Range");
}

int EngineRange::verticalAlignment() const {
    const auto align = common<model::VAlign>([](const model::CellStyle& s) { return s.vAlign; });
    if (!align) return kMixedNumber;
    for (const auto& entry : kVertical)
        if (entry.align == *align) return entry.number;
    return host::xl::Bottom;
}

void EngineRange::setVerticalAlignment(int alignment) {
    for (const auto& entry : kVertical)
        if (entry.number == alignment) {
            editStyle([&](model::CellStyle& s) { s.vAlign = entry.align; },
                      NamedEdit{kVerticalAlignment, double(entry.align)});
            return;
        }
    throwUnableToSet("VerticalAlignment", "Range");
}

bool EngineRange::wrapText() const {
    return common<bool>([](const model::CellStyle& s) { return s.wrap; }).value_or(false);
}

void EngineRange::setWrapText(bool wrap) {
    editStyle([&](model::CellStyle& s) { s.wrap = wrap; }, NamedEdit{kWrap, wrap ? 1.0 : 0.0});
}

double EngineRange::rowHeight() const {
    auto context = live();
    return commonRowHeight(context.sheet, area_).value_or(std::nan(""));
}

void EngineRange::setRowHeight(double points) {
    auto context = live();
    if (!(points >= 0 && points <= 409)) throwUnableToSet("RowHeight", "Range");
    engine::setRowHeight(context.sheet, area_, points);
}

double EngineRange::columnWidth() const {
    auto context = live();
    return commonColumnWidth(context.sheet, area_).value_or(std::nan(""));
}

void EngineRange::setColumnWidth(double characters) {
    auto context = live();
    if (!(characters >= 0 && characters <= 255)) throwUnableToSet("ColumnWidth", "Range");
    engine::setColumnWidth(context.sheet, area_, characters);
}

bool EngineRange::hidden() const {
    auto context = live();
    return commonColumnHidden(context.sheet, area_).value_or(false);
}

void EngineRange::setHidden(bool hidden) {
    auto context = live();
    if (area_.firstRow != 0 || area_.lastRow != model::kMaxRows - 1) throwUnableToSet("Hidden", "Range");
    engine::setColumnHidden(context.sheet, area_, hidden);
}

void EngineRange::merge() {
    auto context = live();
    mergeRange(context.sheet, area_);
    context.calculator.invalidate();
}

void EngineRange::sort(const host::SortOptions& options) {
    auto context = live();
    const auto fail = [] { throw HostError(QStringLiteral("Sort method of Range class failed")); };
    // Key1 is required; Key2 and Key3 count when given. Each is a cell of this
    // sheet inside the sorted columns, with an order and normal data.
    std::vector<SortKey> keys;
    const auto addKey = [&](const host::RangePtr& range, int order, int dataOption, bool required) {
        if (!range && !required) return;
        const auto* key = dynamic_cast<const EngineRange*>(range.get());
        if (!key || key->handle_.sheetState() != handle_.sheetState()) fail();
        const int keyColumn = key->area_.firstCol;
        if (keyColumn < area_.firstCol || keyColumn > area_.lastCol) fail();
        if (order != host::xl::Ascending && order != host::xl::Descending) fail();
        if (dataOption != host::xl::SortNormal) fail();
        keys.push_back({keyColumn, order == host::xl::Descending});
    };
    addKey(options.key1, options.order1, options.dataOption1, true);
    addKey(options.key2, options.order2, options.dataOption2, false);
    addKey(options.key3, options.order3, options.dataOption3, false);
    if (options.header != host::xl::HeaderGuess && options.header != host::xl::HeaderYes &&
        options.header != host::xl::HeaderNo)
        fail();
    if (options.orderCustom != 1) fail();
    if (options.orientation != host::xl::TopToBottom) fail();  // sorting columns is not offered
    for (const auto& merge : context.sheet.merges)
        if (merge.firstRow <= area_.lastRow && area_.firstRow <= merge.lastRow && merge.firstCol <= area_.lastCol &&
            area_.firstCol <= merge.lastCol)
            throw HostError(QStringLiteral("This operation requires the merged cells to be identically sized."));

    SortRequest request;
    request.range = area_;
    request.keys = std::move(keys);
    // With "guess" the first row is never taken for a header: the register's
    // header rows lie above the range it sorts.
    request.firstRowIsHeader = options.header == host::xl::HeaderYes;
    request.matchCase = options.matchCase;
    sortRows(context.sheet, request, [&](int row, int col) { return context.calculator.value(row, col); });
    context.calculator.invalidate();
}

void EngineRange::clear() {
    auto context = live();
    clearRange(context.sheet, area_);
    context.calculator.invalidate();
}

QString EngineRange::formulaR1C1() const {
    auto context = live();
    const model::Cell* cell = context.sheet.find(area_.firstRow, area_.firstCol);
    if (!cell) return QString();
    if (cell->formula) return formulaToR1C1(cell->formula->root);
    const auto& style = context.book.book->styles.get(context.sheet.effectiveStyle(area_.firstRow, area_.firstCol));
    return constantAsTyped(cell->value, style.numberFormat);
}

namespace {

// A formula typed lately as `entry`, or none.
const model::FormulaPtr* recentFormula(const BookState& book, const QString& entry) {
    if (!entry.startsWith(QLatin1Char('=')) || entry.size() > 512) return nullptr;
    for (const auto& [text, formula] : book.recentFormulas)
        if (formula && text == entry) return &formula;
    return nullptr;
}

// What typing `entry` means; formulas typed lately are not parsed again.
TypedEntry interpretRemembering(BookState& book, const QString& entry, const QLocale& locale) {
    if (!entry.startsWith(QLatin1Char('=')) || entry.size() > 512) return interpretEntry(entry, locale);
    if (const model::FormulaPtr* formula = recentFormula(book, entry)) return {TypedEntry::Kind::Formula, {}, *formula, {}};
    TypedEntry typed = interpretEntry(entry, locale);
    if (typed.kind == TypedEntry::Kind::Formula && typed.formula) {
        book.recentFormulas[book.nextRecentFormula] = {entry, typed.formula};
        book.nextRecentFormula = (book.nextRecentFormula + 1) % book.recentFormulas.size();
    }
    return typed;
}

// The format `shown` with `numberFormat`: a long column of typed dates
// asks for the same one or two many times, found here without hashing a format.
model::StyleId withNumberFormat(BookState& book, model::StyleId shown, const QString& numberFormat) {
    for (const auto& recent : book.recentNumberFormats)
        if (recent.shown == shown && recent.numberFormat == numberFormat) return recent.derived;
    const model::StyleId derived =
        book.book->styles.derive(shown, [&](model::CellStyle& s) { s.numberFormat = numberFormat; });
    book.recentNumberFormats[book.nextRecentNumberFormat] = {shown, numberFormat, derived};
    book.nextRecentNumberFormat = (book.nextRecentNumberFormat + 1) % book.recentNumberFormats.size();
    return derived;
}

// A constant into the cell, with the number format it was typed with (none: the format stays).
void storeConstant(SheetContext& context, RowCells& cells, int col, model::Value value, const QString& numberFormat) {
    model::Cell& cell = cells.at(col);
    cell.value = std::move(value);
    cell.formula.reset();
    if (!numberFormat.isEmpty())
        cell.style = withNumberFormat(
            context.book, cell.style != model::kNoStyle ? cell.style : inheritedStyle(context.sheet, cells.row(), col),
            numberFormat);
}

}  // namespace

model::Cell* RowCells::findFurther(int col) {
    if (!cells_) return nullptr;
    auto& cells = *cells_;
    const auto byColumn = [](const auto& entry, int column) { return entry.first < column; };
    if (!walking_ || next_ >= cells.size() || cells[next_].first > col) {  // not to the right of the last: looked up
        next_ = size_t(std::lower_bound(cells.begin(), cells.end(), col, byColumn) - cells.begin());
        walking_ = true;
    }
    while (next_ < cells.size() && cells[next_].first < col) ++next_;
    return next_ < cells.size() && cells[next_].first == col ? &cells[next_].second : nullptr;
}

model::Cell& RowCells::make(int col) {
    model::Cell& made = sheet_.at(row_, col);  // the row makes room its own way
    cells_ = &sheet_.rowCells(row_);
    walking_ = false;
    return made;
}

void RowCells::erase(int col) {
    sheet_.erase(row_, col);
    walking_ = false;
}

void typeEntry(SheetContext& context, int row, int col, const QString& entry) {
    RowCells cells(context.sheet, row);
    typeEntry(context, cells, col, entry, QLocale());
}

void typeEntry(SheetContext& context, RowCells& cells, int col, const QString& entry, const QLocale& locale) {
    // Nothing typed clears the cell, and a plain number is that number, as
    // interpretEntry says, without asking it.
    if (!entry.isEmpty() && entry.front() != QLatin1Char('='))
        if (const std::optional<double> number = readPlainNumber(entry, locale)) {
            storeConstant(context, cells, col, *number, QString());
            return;
        }
    // A formula typed lately goes in as it was read then.
    if (const model::FormulaPtr* formula = recentFormula(context.book, entry)) {
        model::Cell& cell = cells.at(col);
        cell.value = model::Empty{};
        cell.formula = *formula;
        return;
    }
    const TypedEntry typed = entry.isEmpty() ? TypedEntry{}
                                             : interpretRemembering(context.book, entry, locale);  // a refused formula throws; nothing changed yet
    switch (typed.kind) {
        case TypedEntry::Kind::Clear:
            if (model::Cell* cell = cells.find(col)) {
                cell->value = model::Empty{};
                cell->formula.reset();
                if (cell->style == model::kNoStyle) cells.erase(col);
            }
            break;
        case TypedEntry::Kind::Constant:
            storeConstant(context, cells, col, typed.value, typed.numberFormat);
            break;
        case TypedEntry::Kind::Formula: {
            model::Cell& cell = cells.at(col);
            cell.value = model::Empty{};
            cell.formula = typed.formula;
            break;
        }
    }
}

void typeDate(SheetContext& context, RowCells& cells, int col, const host::CellEntry& entry, const QLocale& locale) {
    // Typed, the ISO form reads as this day from 1900 to 9999; other years
    // are whatever their text reads as.
    double serial = dateToSerial(entry.date);
    if (serial <= 0) {
        typeEntry(context, cells, col, entry.typed(), locale);
        return;
    }
    if (!entry.hasTimeOfDay()) {
        storeConstant(context, cells, col, serial, localeFacts(locale).dateFormat);
        return;
    }
    // To the minute, as the ISO form writes it.
    serial += (entry.time.hour() * 3600 + entry.time.minute() * 60) / 86400.0;
    storeConstant(context, cells, col, serial, localeDateTimeFormat(locale, false));
}

void putText(RowCells& cells, int col, const QString& text) {
    model::Cell& cell = cells.at(col);
    cell.value = text;
    cell.formula.reset();
}

void EngineRange::setFormulaR1C1(const QString& entry) {
    auto context = live();
    typeEntry(context, area_.firstRow, area_.firstCol, entry);
    context.calculator.invalidate();
}

host::Value EngineRange::value() const {
    auto context = live();
    return toHostValue(context.calculator.value(area_.firstRow, area_.firstCol));
}

QString EngineRange::text() const {
    auto context = live();
    const auto& style = context.book.book->styles.get(context.sheet.effectiveStyle(area_.firstRow, area_.firstCol));
    return displayText(context.calculator.value(area_.firstRow, area_.firstCol), style.numberFormat, QLocale());
}

host::RangePtr EngineRange::rows() {
    live();
    return std::make_shared<EngineRange>(handle_, area_, RangeMode::Rows);
}

host::RangePtr EngineRange::columns() {
    live();
    return std::make_shared<EngineRange>(handle_, area_, RangeMode::Columns);
}

int EngineRange::count() const {
    live();
    switch (mode_) {
        case RangeMode::Rows: return area_.rowCount();
        case RangeMode::Columns: return area_.colCount();
        case RangeMode::Cells: break;
    }
    return area_.rowCount() * area_.colCount();
}

host::RangePtr EngineRange::item(int index) {
    live();
    model::CellRange picked = area_;
    bool inside = index >= 1;
    if (inside) {
        switch (mode_) {
            case RangeMode::Rows:
                picked.firstRow = picked.lastRow = area_.firstRow + index - 1;
                inside = picked.firstRow < model::kMaxRows;
                break;
            case RangeMode::Columns:
                picked.firstCol = picked.lastCol = area_.firstCol + index - 1;
                inside = picked.firstCol < model::kMaxColumns;
                break;
            case RangeMode::Cells: {
                // Counts across the range's width, then down (beyond the range, as a spreadsheet allows).
                const long long offset = index - 1;
                const long long row = area_.firstRow + offset / area_.colCount();
                picked.firstRow = picked.lastRow = static_cast<int>(std::min<long long>(row, model::kMaxRows));
                picked.firstCol = picked.lastCol = area_.firstCol + static_cast<int>(offset % area_.colCount());
                inside = row < model::kMaxRows;
                break;
            }
        }
    }
    if (!inside) throw HostError(QStringLiteral("Unable to get the Item property of the Range class"));
    return std::make_shared<EngineRange>(handle_, picked);
}

int EngineRange::row() const {
    live();
    return area_.firstRow + 1;
}

int EngineRange::column() const {
    live();
    return area_.firstCol + 1;
}

paint::SharedPicture EngineRange::picture() {
    auto context = live();
    // Recorded as it is looked at: the picture keeps the workbook's model
    // and the sheet's calculator, and any later change to the workbook
    // records the rest first.
    auto owner = std::make_shared<std::pair<std::shared_ptr<model::Workbook>, std::shared_ptr<Calculator>>>(
        context.book.book, context.state.calculator);
    paint::SharedPicture picture = paint::recordSheetOnDemand(*context.book.book, context.sheet, context.calculator,
                                                              area_, QLocale(), std::move(owner));
    if (!picture->isWhole()) context.book.unfinishedPictures.push_back(picture);
    return picture;
}

void EngineRange::copyPicture() {
    live();
    auto* application = qobject_cast<QGuiApplication*>(QCoreApplication::instance());
    if (!application || !QGuiApplication::clipboard())
        throw HostError(QStringLiteral("CopyPicture method of Range class failed"));
    QGuiApplication::clipboard()->setMimeData(new paint::PictureMimeData(picture()));
}

}  // namespace brevanta::engine
