#include "tests/host/fake_host.h"

#include <QClipboard>
#include <QFile>
#include <QGuiApplication>
#include <QImage>
#include <algorithm>

#include "host/connection.h"
#include "host/host_factory.h"

namespace brevanta::fakehost {

using host::HostError;
using host::RangePtr;

namespace {

constexpr int kMaxRow = 1048576;
constexpr int kMaxColumn = 16384;

struct Area {
    int top = 1, left = 1, bottom = 1, right = 1;
};

QString columnName(int column) {
    QString name;
    while (column > 0) {
        const int rest = (column - 1) % 26;
        name.prepend(QChar(u'A' + rest));
        column = (column - 1) / 26;
    }
    return name;
}

// One end of an A1 reference: "$B$2", "B", "7". Missing parts stay 0.
void parseEnd(QString text, int& row, int& column) {
    text.remove(QLatin1Char('$'));
    row = column = 0;
    int i = 0;
    while (i < text.size() && text[i].isLetter()) column = column * 26 + (text[i++].toUpper().unicode() - 'A' + 1);
    if (i < text.size()) row = text.mid(i).toInt();
}

Area parseAddress(const QString& address) {
    const QStringList ends = address.split(QLatin1Char(':'));
    if (address.isEmpty() || ends.size() > 2) throw HostError(QStringLiteral("Method 'Range' of object '_Global' failed"));
    int row1, column1, row2, column2;
    parseEnd(ends[0], row1, column1);
    parseEnd(ends.value(1, ends[0]), row2, column2);
    Area area;
    if (column1 == 0 && column2 == 0) {  // whole rows
        area = {row1, 1, row2, kMaxColumn};
    } else if (row1 == 0 && row2 == 0) {  // whole columns
        area = {1, column1, kMaxRow, column2};
    } else {
        area = {row1, column1, row2, column2};
    }
    if (area.top > area.bottom) std::swap(area.top, area.bottom);
    if (area.left > area.right) std::swap(area.left, area.right);
    if (area.top < 1 || area.left < 1) throw HostError(QStringLiteral("Method 'Range' of object '_Global' failed"));
    return area;
}

QString addressOf(const Area& area) {
    const QString first = QLatin1Char('$') + columnName(area.left) + QLatin1Char('$') + QString::number(area.top);
    if (area.top == area.bottom && area.left == area.right) return first;
    return first + QStringLiteral(":$") + columnName(area.right) + QLatin1Char('$') + QString::number(area.bottom);
}

// A number as the fake sorts and sums it; text that is not one stays text.
bool asNumber(const QString& entry, double& value) {
    bool ok = false;
    value = entry.toDouble(&ok);
    return ok;
}

class FakeApp;

class FakeFont final : public host::Font {
public:
    FakeFont(FakeWorld& world, QString owner) : world_(world), owner_(std::move(owner)) {}
    QString name() const override { return name_; }
    void setName(const QString& name) override { world_.record(owner_ + QStringLiteral(".Font.Name=") + name); name_ = name; }
    double size() const override { return size_; }
    void setSize(double points) override { world_.record(owner_ + QStringLiteral(".Font.Size=") + QString::number(points)); size_ = points; }
    QString fontStyle() const override { return style_; }
    void setFontStyle(const QString& style) override { world_.record(owner_ + QStringLiteral(".Font.FontStyle=") + style); style_ = style; }
    int colorIndex() const override { return color_; }
    void setColorIndex(int index) override { world_.record(owner_ + QStringLiteral(".Font.ColorIndex=") + QString::number(index)); color_ = index; }

private:
    FakeWorld& world_;
    QString owner_;
    QString name_ = QStringLiteral("Arial"), style_ = QStringLiteral("Regular");
    double size_ = 10;
    int color_ = -4105;
};

class FakeRange;

class FakeInterior final : public host::Interior {
public:
    explicit FakeInterior(FakeRange& range) : range_(range) {}
    int colorIndex() const override;
    void setColorIndex(int index) override;

private:
    FakeRange& range_;
};

class FakeBorder final : public host::Border {
public:
    int lineStyle() const override { return host::xl::LineStyleNone; }
};

class FakeRange final : public host::Range {
public:
    enum class Mode { Cells, Rows, Columns };
    FakeRange(FakeWorld& world, std::shared_ptr<FakeSheet> sheet, Area area, QString name, Mode mode = Mode::Cells)
        : world_(world), sheet_(std::move(sheet)), area_(area), name_(std::move(name)), mode_(mode),
          font_(world, name_), interior_(*this) {}

    void select() override {
        world_.record(name_ + QStringLiteral(".Select"));
        sheet_->selectionTop = area_.top;
        sheet_->selectionLeft = area_.left;
        sheet_->selectionBottom = area_.bottom;
        sheet_->selectionRight = area_.right;
    }
    QString address() const override { return addressOf(area_); }
    host::Font& font() override { return font_; }
    host::Interior& interior() override { return interior_; }
    host::Border& borders(int edge) override {
        world_.record(name_ + QStringLiteral(".Borders(") + QString::number(edge) + QLatin1Char(')'));
        return border_;
    }
    int horizontalAlignment() const override { return 1; }
    void setHorizontalAlignment(int a) override { world_.record(name_ + QStringLiteral(".HorizontalAlignment=") + QString::number(a)); }
    int verticalAlignment() const override { return -4107; }
    void setVerticalAlignment(int a) override { world_.record(name_ + QStringLiteral(".VerticalAlignment=") + QString::number(a)); }
    bool wrapText() const override { return false; }
    void setWrapText(bool wrap) override { world_.record(name_ + QStringLiteral(".WrapText=") + (wrap ? QStringLiteral("True") : QStringLiteral("False"))); }
    double rowHeight() const override {
        auto it = sheet_->rowHeights.find(area_.top);
        return it == sheet_->rowHeights.end() ? 12.75 : it->second;
    }
    void setRowHeight(double points) override {
        world_.record(name_ + QStringLiteral(".RowHeight=") + QString::number(points));
        for (int row = area_.top; row <= area_.bottom; ++row) sheet_->rowHeights[row] = points;
    }
    double columnWidth() const override {
        auto it = sheet_->columnWidths.find(area_.left);
        return it == sheet_->columnWidths.end() ? 8.43 : it->second;
    }
    void setColumnWidth(double characters) override {
        world_.record(name_ + QStringLiteral(".ColumnWidth=") + QString::number(characters));
        for (int column = area_.left; column <= area_.right; ++column) sheet_->columnWidths[column] = characters;
    }
    bool hidden() const override { return false; }
    void setHidden(bool hidden) override {
        world_.record(name_ + QStringLiteral(".Hidden=") + (hidden ? QStringLiteral("True") : QStringLiteral("False")));
    }
    void merge() override {
        world_.record(name_ + QStringLiteral(".Merge"));
        if (area_.top == area_.bottom && area_.left == area_.right) return;
        for (int row = area_.top; row <= area_.bottom; ++row)
            for (int column = area_.left; column <= area_.right; ++column) sheet_->cells[{row, column}].merged = true;
    }
    void sort(const host::SortOptions& options) override {
        QString keys = QStringLiteral(".Sort Key1=") + (options.key1 ? options.key1->address() : QString()) +
                       QStringLiteral(" Order1=") + QString::number(options.order1);
        if (options.key2)
            keys += QStringLiteral(" Key2=") + options.key2->address() + QStringLiteral(" Order2=") +
                    QString::number(options.order2);
        if (options.key3)
            keys += QStringLiteral(" Key3=") + options.key3->address() + QStringLiteral(" Order3=") +
                    QString::number(options.order3);
        world_.record(name_ + keys + QStringLiteral(" Header=") +
                      QString::number(options.header) + QStringLiteral(" OrderCustom=") +
                      QString::number(options.orderCustom) + QStringLiteral(" MatchCase=") +
                      (options.matchCase ? QStringLiteral("True") : QStringLiteral("False")) +
                      QStringLiteral(" Orientation=") + QString::number(options.orientation) +
                      QStringLiteral(" DataOption1=") + QString::number(options.dataOption1));
        std::vector<std::vector<FakeCell>> rows;
        for (int row = area_.top; row <= area_.bottom; ++row) {
            std::vector<FakeCell> cells;
            for (int column = area_.left; column <= area_.right; ++column) {
                const FakeCell* cell = sheet_->find(row, column);
                cells.push_back(cell ? *cell : FakeCell{});
            }
            rows.push_back(std::move(cells));
        }
        std::vector<int> keyColumns;
        for (const host::RangePtr& key : {options.key1, options.key2, options.key3})
            if (key) keyColumns.push_back(key->column() - area_.left);
        if (keyColumns.empty()) keyColumns.push_back(0);
        // Numbers before texts before empties, each in ascending order; the
        // next key orders the ties; rows equal by every key keep their order.
        auto rank = [&](const std::vector<FakeCell>& row, int key, double& number) {
            const QString& entry = row[key].entry;
            if (entry.isEmpty()) return 2;
            return asNumber(entry, number) ? 0 : 1;
        };
        std::stable_sort(rows.begin(), rows.end(), [&](const auto& a, const auto& b) {
            for (int key : keyColumns) {
                double x = 0, y = 0;
                const int ra = rank(a, key, x), rb = rank(b, key, y);
                if (ra != rb) return ra < rb;
                if (ra == 0 && x != y) return x < y;
                if (ra == 1) {
                    const int order = a[key].entry.compare(b[key].entry, Qt::CaseInsensitive);
                    if (order != 0) return order < 0;
                }
            }
            return false;
        });
        for (int row = area_.top; row <= area_.bottom; ++row)
            for (int column = area_.left; column <= area_.right; ++column)
                sheet_->cells[{row, column}] = rows[row - area_.top][column - area_.left];
    }
    void clear() override {
        world_.record(name_ + QStringLiteral(".Clear"));
        for (auto it = sheet_->cells.begin(); it != sheet_->cells.end();)
            it = contains(it->first.first, it->first.second) ? sheet_->cells.erase(it) : std::next(it);
    }
    QString formulaR1C1() const override {
        const FakeCell* cell = sheet_->find(area_.top, area_.left);
        return cell ? cell->entry : QString();
    }
    void setFormulaR1C1(const QString& entry) override {
        world_.record(name_ + QStringLiteral(".FormulaR1C1=") + entry);
        sheet_->cells[{area_.top, area_.left}].entry = entry;
    }
    host::Value value() const override {
        const QString entry = formulaR1C1();
        double number = 0;
        if (entry.isEmpty()) return std::monostate{};
        if (asNumber(entry, number)) return number;
        return entry;
    }
    QString text() const override { return formulaR1C1(); }
    RangePtr rows() override { return std::make_shared<FakeRange>(world_, sheet_, area_, name_ + QStringLiteral(".Rows"), Mode::Rows); }
    RangePtr columns() override { return std::make_shared<FakeRange>(world_, sheet_, area_, name_ + QStringLiteral(".Columns"), Mode::Columns); }
    int count() const override {
        const int rows = area_.bottom - area_.top + 1, columns = area_.right - area_.left + 1;
        return mode_ == Mode::Rows ? rows : mode_ == Mode::Columns ? columns : rows * columns;
    }
    RangePtr item(int index) override {
        Area area = area_;
        if (mode_ == Mode::Columns) area.left = area.right = area_.left + index - 1;
        else area.top = area.bottom = area_.top + index - 1;
        return std::make_shared<FakeRange>(world_, sheet_, area, name_ + QStringLiteral("(") + QString::number(index) + QLatin1Char(')'));
    }
    int row() const override { return area_.top; }
    int column() const override { return area_.left; }
    void copyPicture() override {
        world_.record(name_ + QStringLiteral(".CopyPicture"));
        QImage picture(40, 20, QImage::Format_RGB32);
        picture.fill(Qt::green);
        QGuiApplication::clipboard()->setImage(picture);
    }
    paint::SharedPicture picture() override {
        world_.record(name_ + QStringLiteral(".Picture"));
        QImage picture(40, 20, QImage::Format_RGB32);
        picture.fill(Qt::green);
        return std::make_shared<const paint::SheetPicture>(paint::SheetPicture::fromImage(picture));
    }

    bool contains(int row, int column) const {
        return row >= area_.top && row <= area_.bottom && column >= area_.left && column <= area_.right;
    }
    void fill(int index) {
        world_.record(name_ + QStringLiteral(".Interior.ColorIndex=") + QString::number(index));
        // Fills of whole rows or columns are remembered only for the cells the layout touches.
        const int bottom = std::min(area_.bottom, 200000), right = std::min(area_.right, 12);
        if (area_.bottom == kMaxRow && area_.right == kMaxColumn) return;  // the whole sheet: the default fill
        for (int row = area_.top; row <= bottom; ++row)
            for (int column = area_.left; column <= right; ++column) sheet_->cells[{row, column}].fill = index;
    }
    int fillOfFirst() const {
        const FakeCell* cell = sheet_->find(area_.top, area_.left);
        return cell ? cell->fill : 0;
    }

private:
    FakeWorld& world_;
    std::shared_ptr<FakeSheet> sheet_;
    Area area_;
    QString name_;
    Mode mode_;
    FakeFont font_;
    FakeInterior interior_;
    FakeBorder border_;
};

int FakeInterior::colorIndex() const { return range_.fillOfFirst(); }
void FakeInterior::setColorIndex(int index) { range_.fill(index); }

class FakePageSetup final : public host::PageSetup {
public:
    FakePageSetup(FakeWorld& world, std::shared_ptr<FakeSheet> sheet) : world_(world), sheet_(std::move(sheet)) {}
    QString printArea() const override { return {}; }
    void setPrintArea(const QString& area) override { set(QStringLiteral("PrintArea"), QLatin1Char('"') + area + QLatin1Char('"')); }
    double leftMargin() const override { return 0; }
    void setLeftMargin(double p) override { set(QStringLiteral("LeftMargin"), QString::number(p)); }
    double rightMargin() const override { return 0; }
    void setRightMargin(double p) override { set(QStringLiteral("RightMargin"), QString::number(p)); }
    double topMargin() const override { return 0; }
    void setTopMargin(double p) override { set(QStringLiteral("TopMargin"), QString::number(p)); }
    double bottomMargin() const override { return 0; }
    void setBottomMargin(double p) override { set(QStringLiteral("BottomMargin"), QString::number(p)); }
    double headerMargin() const override { return 0; }
    void setHeaderMargin(double p) override { set(QStringLiteral("HeaderMargin"), QString::number(p)); }
    double footerMargin() const override { return 0; }
    void setFooterMargin(double p) override { set(QStringLiteral("FooterMargin"), QString::number(p)); }
    int printComments() const override { return 0; }
    void setPrintComments(int m) override { set(QStringLiteral("PrintComments"), QString::number(m)); }
    int orientation() const override { return sheet_->orientation; }
    void setOrientation(int o) override { set(QStringLiteral("Orientation"), QString::number(o)); sheet_->orientation = o; }
    int paperSize() const override { return 0; }
    void setPaperSize(int p) override { set(QStringLiteral("PaperSize"), QString::number(p)); }
    bool zoomIsOff() const override { return true; }
    int zoom() const override { return 100; }
    void setZoomOff() override { set(QStringLiteral("Zoom"), QStringLiteral("False")); }
    void setZoom(int p) override { set(QStringLiteral("Zoom"), QString::number(p)); }
    int fitToPagesWide() const override { return 1; }
    void setFitToPagesWide(int p) override { set(QStringLiteral("FitToPagesWide"), QString::number(p)); }
    int fitToPagesTall() const override { return 1; }
    void setFitToPagesTall(int p) override { set(QStringLiteral("FitToPagesTall"), QString::number(p)); }
    QString printTitleRows() const override { return sheet_->printTitleRows; }
    void setPrintTitleRows(const QString& rows) override { set(QStringLiteral("PrintTitleRows"), rows); sheet_->printTitleRows = rows; }

private:
    void set(const QString& property, const QString& value) {
        world_.record(QStringLiteral("ActiveSheet.PageSetup.") + property + QLatin1Char('=') + value);
    }
    FakeWorld& world_;
    std::shared_ptr<FakeSheet> sheet_;
};

class FakeWorksheet final : public host::Worksheet {
public:
    FakeWorksheet(FakeWorld& world, std::shared_ptr<FakeBook> book, std::shared_ptr<FakeSheet> sheet, int* active)
        : world_(world), book_(std::move(book)), sheet_(std::move(sheet)), active_(active), page_(world, sheet_) {}
    QString name() const override { return sheet_->name; }
    void setName(const QString& name) override { world_.record(QStringLiteral("Sheet.Name=") + name); sheet_->name = name; }
    void select() override {
        world_.record(QStringLiteral("Sheet(") + sheet_->name + QStringLiteral(").Select"));
        for (size_t i = 0; i < book_->sheets.size(); ++i)
            if (book_->sheets[i] == sheet_) *active_ = static_cast<int>(i);
    }
    void remove() override {
        world_.record(QStringLiteral("Sheet(") + sheet_->name + QStringLiteral(").Delete"));
        std::erase(book_->sheets, sheet_);
        *active_ = 0;
    }
    host::PageSetup& pageSetup() override { return page_; }
    RangePtr usedRange() override {
        world_.record(QStringLiteral("ActiveSheet.UsedRange"));
        Area area{0, 0, 0, 0};
        bool any = false;
        for (const auto& [where, cell] : sheet_->cells) {
            if (cell.entry.isEmpty() && cell.fill == 0 && !cell.merged) continue;
            if (!any) area = {where.first, where.second, where.first, where.second};
            area.top = std::min(area.top, where.first);
            area.bottom = std::max(area.bottom, where.first);
            area.left = std::min(area.left, where.second);
            area.right = std::max(area.right, where.second);
            any = true;
        }
        if (!any) area = {1, 1, 1, 1};
        return std::make_shared<FakeRange>(world_, sheet_, area, QStringLiteral("UsedRange"));
    }
    RangePtr range(const QString& address) override {
        return std::make_shared<FakeRange>(world_, sheet_, parseAddress(address), QStringLiteral("Range(") + address + QLatin1Char(')'));
    }
    RangePtr cell(int row, int column) override {
        return std::make_shared<FakeRange>(world_, sheet_, Area{row, column, row, column}, QStringLiteral("Cells"));
    }

private:
    FakeWorld& world_;
    std::shared_ptr<FakeBook> book_;
    std::shared_ptr<FakeSheet> sheet_;
    int* active_;
    FakePageSetup page_;
};

class FakeWorkbook;

class FakeSheets final : public host::Sheets {
public:
    FakeSheets(FakeWorld& world, std::shared_ptr<FakeBook> book, int* active) : world_(world), book_(std::move(book)), active_(active) {}
    int count() const override { world_.record(QStringLiteral("Sheets.Count")); return static_cast<int>(book_->sheets.size()); }
    host::WorksheetPtr item(int index) override {
        world_.record(QStringLiteral("Sheets(") + QString::number(index) + QLatin1Char(')'));
        if (index < 1 || index > static_cast<int>(book_->sheets.size())) throw HostError(QStringLiteral("Subscript out of range"));
        return std::make_shared<FakeWorksheet>(world_, book_, book_->sheets[index - 1], active_);
    }

private:
    FakeWorld& world_;
    std::shared_ptr<FakeBook> book_;
    int* active_;
};

class FakeWorkbook final : public host::Workbook {
public:
    FakeWorkbook(FakeWorld& world, std::shared_ptr<FakeBook> book) : world_(world), book_(std::move(book)), sheets_(world, book_, &active_) {}
    host::Sheets& sheets() override { return sheets_; }
    host::WorksheetPtr activeSheet() override {
        if (book_->sheets.empty()) throw HostError(QStringLiteral("Object required"));
        return std::make_shared<FakeWorksheet>(world_, book_, book_->sheets[std::min<size_t>(active_, book_->sheets.size() - 1)], &active_);
    }
    std::shared_ptr<FakeSheet> activeModel() const { return book_->sheets.at(std::min<size_t>(active_, book_->sheets.size() - 1)); }
    int color(int index) const override { auto it = book_->colors.find(index); return it == book_->colors.end() ? 0 : it->second; }
    void setColor(int index, int rgb) override {
        world_.record(QStringLiteral("ActiveWorkbook.Colors(") + QString::number(index) + QStringLiteral(")=") + QString::number(rgb));
        book_->colors[index] = rgb;
    }
    void saveAs(const QString& path, int fileFormat) override {
        world_.record(QStringLiteral("Workbook.SaveAs ") + path + QStringLiteral(" FileFormat=") + QString::number(fileFormat));
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly)) throw HostError(QStringLiteral("Cannot access the file"));
        file.write("fake workbook");
        book_->fullName = path;
        world_.savedFiles[path] = std::make_shared<FakeBook>(*book_);
    }
    void close() override { world_.record(QStringLiteral("Workbook.Close")); book_->closed = true; }
    QString fullName() const override { return book_->fullName; }
    std::shared_ptr<FakeBook> model() const { return book_; }

private:
    FakeWorld& world_;
    std::shared_ptr<FakeBook> book_;
    int active_ = 0;
    FakeSheets sheets_;
};

class FakeWorkbooks final : public host::Workbooks {
public:
    FakeWorkbooks(FakeWorld& world, FakeFactory& factory) : world_(world), factory_(factory) {}
    host::WorkbookPtr add() override {
        world_.record(QStringLiteral("Workbooks.Add"));
        auto book = std::make_shared<FakeBook>();
        for (int i = 1; i <= world_.sheetsInNewBook; ++i) {
            auto sheet = std::make_shared<FakeSheet>();
            sheet->name = QStringLiteral("Sheet") + QString::number(i);
            book->sheets.push_back(sheet);
        }
        factory_.lastCreatedBook = book;
        books_.push_back(std::make_shared<FakeWorkbook>(world_, book));
        return books_.back();
    }
    host::WorkbookPtr open(const QString& path) override {
        world_.record(QStringLiteral("Workbooks.Open ") + path);
        auto saved = world_.savedFiles.find(path);
        if (saved == world_.savedFiles.end() || !QFile::exists(path)) throw HostError(QStringLiteral("Cannot find the file"));
        books_.push_back(std::make_shared<FakeWorkbook>(world_, std::make_shared<FakeBook>(*saved->second)));
        return books_.back();
    }
    int count() const override { world_.record(QStringLiteral("Workbooks.Count")); return static_cast<int>(books_.size()); }
    host::WorkbookPtr item(int index) override {
        world_.record(QStringLiteral("Workbooks(") + QString::number(index) + QLatin1Char(')'));
        if (index < 1 || index > static_cast<int>(books_.size())) throw HostError(QStringLiteral("Subscript out of range"));
        return books_[index - 1];
    }
    std::shared_ptr<FakeWorkbook> active() const { return books_.empty() ? nullptr : books_.back(); }

private:
    FakeWorld& world_;
    FakeFactory& factory_;
    std::vector<std::shared_ptr<FakeWorkbook>> books_;
};

class FakeApp final : public host::Application {
public:
    FakeApp(FakeWorld& world, FakeFactory& factory, QString defaultValue)
        : world_(world), defaultValue_(std::move(defaultValue)), books_(world, factory) {
        ++world_.alive;
    }
    ~FakeApp() override { --world_.alive; }
    QString defaultValue() const override { return defaultValue_; }
    QString version() const override { world_.record(QStringLiteral("Version")); return world_.version; }
    bool visible() const override { return false; }
    void setVisible(bool on) override { setting(QStringLiteral("Visible"), on); }
    bool screenUpdating() const override { return true; }
    void setScreenUpdating(bool on) override { setting(QStringLiteral("ScreenUpdating"), on); }
    bool displayAlerts() const override { return true; }
    void setDisplayAlerts(bool on) override { setting(QStringLiteral("DisplayAlerts"), on); }
    bool enableEvents() const override { return true; }
    void setEnableEvents(bool on) override { setting(QStringLiteral("EnableEvents"), on); }
    int enableCancelKey() const override { return 1; }
    void setEnableCancelKey(int mode) override { world_.record(QStringLiteral("EnableCancelKey=") + QString::number(mode)); }
    int cursor() const override { return -4143; }
    void setCursor(int cursor) override { world_.record(QStringLiteral("Cursor=") + QString::number(cursor)); }
    host::Workbooks& workbooks() override { return books_; }
    host::WorkbookPtr activeWorkbook() override { return book(); }
    host::WorksheetPtr activeSheet() override { return book()->activeSheet(); }
    host::Sheets& sheets() override { return book()->sheets(); }
    RangePtr range(const QString& address) override { return sheet()->range(address); }
    RangePtr rows(const QString& address) override {
        return std::make_shared<FakeRange>(world_, model(), parseAddress(address), QStringLiteral("Rows(") + address + QLatin1Char(')'));
    }
    RangePtr columns(const QString& address) override {
        return std::make_shared<FakeRange>(world_, model(), parseAddress(address), QStringLiteral("Columns(") + address + QLatin1Char(')'));
    }
    RangePtr cells() override {
        return std::make_shared<FakeRange>(world_, model(), Area{1, 1, kMaxRow, kMaxColumn}, QStringLiteral("Cells"));
    }
    RangePtr selection() override {
        auto sheet = model();
        return std::make_shared<FakeRange>(world_, sheet,
            Area{sheet->selectionTop, sheet->selectionLeft, sheet->selectionBottom, sheet->selectionRight}, QStringLiteral("Selection"));
    }
    RangePtr activeCell() override {
        auto sheet = model();
        return std::make_shared<FakeRange>(world_, sheet, Area{sheet->selectionTop, sheet->selectionLeft, sheet->selectionTop, sheet->selectionLeft},
                                           QStringLiteral("ActiveCell"));
    }
    double inchesToPoints(double inches) const override { return inches * 72; }
    void quit() override { world_.record(QStringLiteral("Quit")); ++world_.quits; }

private:
    void setting(const QString& name, bool on) { world_.record(name + QLatin1Char('=') + (on ? QStringLiteral("True") : QStringLiteral("False"))); }
    std::shared_ptr<FakeWorkbook> book() {
        auto book = books_.active();
        if (!book) throw HostError(QStringLiteral("Object variable or With block variable not set"));
        return book;
    }
    host::WorksheetPtr sheet() { return book()->activeSheet(); }
    std::shared_ptr<FakeSheet> model() { return book()->activeModel(); }

    FakeWorld& world_;
    QString defaultValue_;
    FakeWorkbooks books_;
};

}  // namespace

const FakeCell* FakeSheet::find(int row, int column) const {
    auto it = cells.find({row, column});
    return it == cells.end() ? nullptr : &it->second;
}

void FakeWorld::record(const QString& call) {
    log.append(call);
    for (const QString& fragment : failOn)
        if (call.contains(fragment)) throw HostError(QStringLiteral("Fake host refuses ") + call);
}

int FakeWorld::count(const QString& fragment) const {
    int n = 0;
    for (const QString& line : log) n += line.contains(fragment) ? 1 : 0;
    return n;
}

int FakeWorld::indexOf(const QString& line, int from) const { return log.indexOf(line, from); }

host::ApplicationPtr FakeFactory::create() {
    world_->record(QStringLiteral("CreateObject"));
    if (world_->failCreate) throw HostError(QStringLiteral("ActiveX component can't create object"));
    ++world_->created;
    return std::make_shared<FakeApp>(*world_, *this, world_->defaultValue);
}

host::ApplicationPtr FakeFactory::attachRunning() {
    world_->record(QStringLiteral("GetObject"));
    if (!world_->running) return nullptr;
    return std::make_shared<FakeApp>(*world_, *this, world_->runningDefaultValue);
}

FactoryGuard::FactoryGuard() : world(std::make_shared<FakeWorld>()), factory(world) { host::setHostFactory(&factory); }
FactoryGuard::~FactoryGuard() {
    host::setHostFactory(nullptr);
}

}  // namespace brevanta::fakehost
