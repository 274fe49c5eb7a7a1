#pragma once
// The spreadsheet host as the generation code sees it: an application with
// workbooks, sheets and ranges, driven in select-then-act style. The
// embedded engine is one implementation; another backend can be added
// behind the same classes. Host constants are the host's plain numbers
// (see namespace xl). Every failing call throws HostError, whose description
// reads like the host's own message.

#include <QDate>
#include <QString>
#include <QTime>
#include <memory>
#include <span>
#include <variant>

#include "picture/sheet_picture.h"
#include "frame/failure.h"

namespace brevanta::host {

class HostError : public frame::Failure {
public:
    using frame::Failure::Failure;
};

// The host's enumeration values that the program passes.
namespace xl {
inline constexpr int Center = -4108;
inline constexpr int Right = -4152;
inline constexpr int Left = -4131;
inline constexpr int General = 1;
inline constexpr int Top = -4160;
inline constexpr int Bottom = -4107;
inline constexpr int ColorIndexAutomatic = -4105;
inline constexpr int ColorIndexNone = -4142;
inline constexpr int CursorDefault = -4143;
inline constexpr int CursorWait = 2;
inline constexpr int CancelKeyDisabled = 0;
inline constexpr int CancelKeyInterrupt = 1;
inline constexpr int Portrait = 1;
inline constexpr int Landscape = 2;
inline constexpr int PaperA4 = 9;
inline constexpr int FitAutomatic = 0;  // FitToPagesWide/FitToPagesTall = False
inline constexpr int PrintNoComments = -4142;
inline constexpr int Ascending = 1;
inline constexpr int Descending = 2;
inline constexpr int HeaderGuess = 0;
inline constexpr int HeaderYes = 1;
inline constexpr int HeaderNo = 2;
inline constexpr int TopToBottom = 1;
inline constexpr int LeftToRight = 2;
inline constexpr int SortNormal = 0;
inline constexpr int FileFormatNormal = -4143;  // the 97-2003 workbook of hosts before version 12
inline constexpr int FileFormatExcel8 = 56;     // the 97-2003 workbook
inline constexpr int EdgeLeft = 7, EdgeTop = 8, EdgeBottom = 9, EdgeRight = 10;
inline constexpr int InsideVertical = 11, InsideHorizontal = 12;
inline constexpr int LineStyleNone = -4142;
}  // namespace xl

// A cell's value as read back (Range::value): empty, number, text, truth value or error ("#VALUE!").
struct ErrorValue {
    QString text;
    bool operator==(const ErrorValue&) const = default;
};
using Value = std::variant<std::monostate, double, QString, bool, ErrorValue>;

class Range;
using RangePtr = std::shared_ptr<Range>;

// What goes into a cell: an entry as Range::setFormulaR1C1 takes it, or,
// marked as text, its characters just as they are (what typing them after
// an apostrophe gives), so nothing has to be added to be taken off again.
// Or a date the caller has read already, with its time of day to the
// minute: the entry is then its ISO form, "2013-01-03" or
// "2013-01-03T15:30" (a date under every locale), which a host may store
// as that date without writing the text out and reading it back.
struct CellEntry {
    QString text;
    bool asText = false;
    QDate date = QDate();  // when valid, the entry is this date's ISO form; `text` is not used
    QTime time = QTime();  // the time of day; none, or midnight, for a date alone

    static CellEntry ofDate(const QDate& date, const QTime& time = QTime()) { return {QString(), false, date, time}; }
    bool isDate() const { return date.isValid(); }
    bool hasTimeOfDay() const { return time.isValid() && time != QTime(0, 0); }
    QString typed() const {
        if (isDate())
            return hasTimeOfDay() ? date.toString(Qt::ISODate) + QLatin1Char('T') + time.toString(QStringLiteral("HH:mm"))
                                  : date.toString(Qt::ISODate);
        return asText ? QLatin1Char('\'') + text : text;
    }
};

// An interior colour for the cells from (firstRow, firstColumn) to (lastRow, lastColumn), 1-based.
struct AreaFill {
    int firstRow = 1;
    int firstColumn = 1;
    int lastRow = 1;
    int lastColumn = 1;
    int colorIndex = xl::ColorIndexNone;
};

class Font {
public:
    virtual ~Font() = default;
    virtual QString name() const = 0;
    virtual void setName(const QString& name) = 0;
    virtual double size() const = 0;
    virtual void setSize(double points) = 0;
    virtual QString fontStyle() const = 0;  // "Regular", "Bold", "Italic", "Bold Italic"
    virtual void setFontStyle(const QString& style) = 0;
    virtual int colorIndex() const = 0;
    virtual void setColorIndex(int index) = 0;
};

class Interior {
public:
    virtual ~Interior() = default;
    virtual int colorIndex() const = 0;
    virtual void setColorIndex(int index) = 0;
};

// Borders are only addressed by the register, never drawn.
class Border {
public:
    virtual ~Border() = default;
    virtual int lineStyle() const = 0;
};

// Up to three keys: rows equal by key1 are ordered by key2, then by key3;
// rows equal by every key keep their order. key2 and key3 may be left unset.
struct SortOptions {
    RangePtr key1;
    int order1 = xl::Ascending;
    RangePtr key2;
    int order2 = xl::Ascending;
    RangePtr key3;
    int order3 = xl::Ascending;
    int header = xl::HeaderGuess;
    int orderCustom = 1;
    bool matchCase = false;
    int orientation = xl::TopToBottom;
    int dataOption1 = xl::SortNormal;
    int dataOption2 = xl::SortNormal;
    int dataOption3 = xl::SortNormal;
};

class Range {
public:
    virtual ~Range() = default;
    virtual void select() = 0;
    virtual QString address() const = 0;  // "$B$2:$I$2"

    virtual Font& font() = 0;
    virtual Interior& interior() = 0;
    virtual Border& borders(int edge) = 0;

    virtual int horizontalAlignment() const = 0;
    virtual void setHorizontalAlignment(int alignment) = 0;
    virtual int verticalAlignment() const = 0;
    virtual void setVerticalAlignment(int alignment) = 0;
    virtual bool wrapText() const = 0;
    virtual void setWrapText(bool wrap) = 0;
    virtual double rowHeight() const = 0;  // points
    virtual void setRowHeight(double points) = 0;
    virtual double columnWidth() const = 0;  // characters
    virtual void setColumnWidth(double characters) = 0;
    // Whole columns only: the columns keep their cells and widths, unseen.
    virtual bool hidden() const = 0;
    virtual void setHidden(bool hidden) = 0;

    virtual void merge() = 0;
    virtual void sort(const SortOptions& options) = 0;
    virtual void clear() = 0;

    // Typed entry into the range's first cell: "=..." is an R1C1 formula.
    virtual QString formulaR1C1() const = 0;
    virtual void setFormulaR1C1(const QString& entry) = 0;
    virtual Value value() const = 0;  // the first cell's computed value
    virtual QString text() const = 0;  // the first cell's value as displayed

    // Rows/Columns of a range: ranges whose count and item() step by row or column.
    virtual RangePtr rows() = 0;
    virtual RangePtr columns() = 0;
    virtual int count() const = 0;
    virtual RangePtr item(int index) = 0;  // 1-based
    virtual int row() const = 0;            // first row, 1-based
    virtual int column() const = 0;         // first column, 1-based

    // Puts a picture of the range, as displayed, on the clipboard.
    virtual void copyPicture() = 0;
    // The same picture, handed back without the clipboard.
    virtual paint::SharedPicture picture() = 0;
};

class PageSetup {
public:
    virtual ~PageSetup() = default;
    virtual QString printArea() const = 0;
    virtual void setPrintArea(const QString& area) = 0;
    virtual double leftMargin() const = 0;  // points
    virtual void setLeftMargin(double points) = 0;
    virtual double rightMargin() const = 0;
    virtual void setRightMargin(double points) = 0;
    virtual double topMargin() const = 0;
    virtual void setTopMargin(double points) = 0;
    virtual double bottomMargin() const = 0;
    virtual void setBottomMargin(double points) = 0;
    virtual double headerMargin() const = 0;
    virtual void setHeaderMargin(double points) = 0;
    virtual double footerMargin() const = 0;
    virtual void setFooterMargin(double points) = 0;
    virtual int printComments() const = 0;
    virtual void setPrintComments(int mode) = 0;
    virtual int orientation() const = 0;
    virtual void setOrientation(int orientation) = 0;
    virtual int paperSize() const = 0;
    virtual void setPaperSize(int paper) = 0;
    // Zoom is a percentage, or False: scale to FitToPagesWide x FitToPagesTall.
    // Either count may be False (xl::FitAutomatic): that direction does not
    // limit the scale and takes as many pages as the other one leaves.
    virtual bool zoomIsOff() const = 0;
    virtual int zoom() const = 0;
    virtual void setZoomOff() = 0;
    virtual void setZoom(int percent) = 0;
    virtual int fitToPagesWide() const = 0;
    virtual void setFitToPagesWide(int pages) = 0;
    virtual int fitToPagesTall() const = 0;
    virtual void setFitToPagesTall(int pages) = 0;
    virtual QString printTitleRows() const = 0;
    virtual void setPrintTitleRows(const QString& rows) = 0;
};

class Worksheet {
public:
    virtual ~Worksheet() = default;
    virtual QString name() const = 0;
    virtual void setName(const QString& name) = 0;
    virtual void select() = 0;
    virtual void remove() = 0;  // "Delete"
    virtual PageSetup& pageSetup() = 0;
    virtual RangePtr usedRange() = 0;
    virtual RangePtr range(const QString& address) = 0;
    virtual RangePtr cell(int row, int column) = 0;  // 1-based
};
using WorksheetPtr = std::shared_ptr<Worksheet>;

class Sheets {
public:
    virtual ~Sheets() = default;
    virtual int count() const = 0;
    virtual WorksheetPtr item(int index) = 0;  // 1-based
};

class Workbook {
public:
    virtual ~Workbook() = default;
    virtual Sheets& sheets() = 0;
    virtual WorksheetPtr activeSheet() = 0;
    // Palette entry 1..56 as R + 256 G + 65536 B.
    virtual int color(int index) const = 0;
    virtual void setColor(int index, int rgb) = 0;
    virtual void saveAs(const QString& path, int fileFormat) = 0;
    virtual void close() = 0;
    virtual QString fullName() const = 0;
};
using WorkbookPtr = std::shared_ptr<Workbook>;

class Workbooks {
public:
    virtual ~Workbooks() = default;
    virtual WorkbookPtr add() = 0;
    virtual WorkbookPtr open(const QString& path) = 0;
    virtual int count() const = 0;
    virtual WorkbookPtr item(int index) = 0;  // 1-based
};

class Application {
public:
    virtual ~Application() = default;

    // "Microsoft Excel" for a genuine host; the embedded engine names itself.
    virtual QString defaultValue() const = 0;
    virtual QString version() const = 0;  // "16.0"

    virtual bool visible() const = 0;
    virtual void setVisible(bool visible) = 0;
    virtual bool screenUpdating() const = 0;
    virtual void setScreenUpdating(bool on) = 0;
    virtual bool displayAlerts() const = 0;
    virtual void setDisplayAlerts(bool on) = 0;
    virtual bool enableEvents() const = 0;
    virtual void setEnableEvents(bool on) = 0;
    virtual int enableCancelKey() const = 0;
    virtual void setEnableCancelKey(int mode) = 0;
    virtual int cursor() const = 0;
    virtual void setCursor(int cursor) = 0;

    virtual Workbooks& workbooks() = 0;
    virtual WorkbookPtr activeWorkbook() = 0;
    virtual WorksheetPtr activeSheet() = 0;
    virtual Sheets& sheets() = 0;  // of the active workbook

    // On the active sheet.
    virtual RangePtr range(const QString& address) = 0;   // "$B$4", "B6:H8", "A:A", "1:1"
    // The cells from (firstRow, firstColumn) to (lastRow, lastColumn), 1-based:
    // range("$B$7:$H$7") is area(7, 2, 7, 8). A host that parses addresses
    // anyway is given the address; the embedded engine takes the numbers.
    virtual RangePtr area(int firstRow, int firstColumn, int lastRow, int lastColumn) {
        auto corner = [](int row, int column) {
            QString letters;
            for (int c = column; c > 0; c = (c - 1) / 26) letters.prepend(QChar(u'A' + (c - 1) % 26));
            return QLatin1Char('$') + letters + QLatin1Char('$') + QString::number(row);
        };
        const QString first = corner(firstRow, firstColumn);
        return range(firstRow == lastRow && firstColumn == lastColumn
                         ? first
                         : first + QLatin1Char(':') + corner(lastRow, lastColumn));
    }
    // Entries into the cells of `row` from `firstColumn` rightwards, 1-based,
    // each as Range::setFormulaR1C1 of its typed form, leaving the selection
    // where it is. Stops before the first entry the host would refuse and
    // gives back how many went in; the caller types that one on its own to
    // hear the refusal. A host with a quicker way to fill a row overrides this.
    virtual int writeRow(int row, int firstColumn, std::span<const CellEntry> entries) {
        int written = 0;
        try {
            for (const CellEntry& entry : entries) {
                const RangePtr cell = area(row, firstColumn + written, row, firstColumn + written);
                if (!cell) break;
                cell->setFormulaR1C1(entry.typed());
                ++written;
            }
        } catch (const HostError&) {
        }
        return written;
    }
    // The fills in order, as area(...)->interior().setColorIndex(...) makes
    // each, leaving the selection where it is. Stops before the first fill
    // the host would refuse and gives back how many were made, as writeRow.
    virtual int fillAreas(std::span<const AreaFill> fills) {
        int filled = 0;
        try {
            for (const AreaFill& fill : fills) {
                const RangePtr cells = area(fill.firstRow, fill.firstColumn, fill.lastRow, fill.lastColumn);
                if (!cells) break;
                cells->interior().setColorIndex(fill.colorIndex);
                ++filled;
            }
        } catch (const HostError&) {
        }
        return filled;
    }
    // The height of rows firstRow to lastRow (1-based), row by row as
    // rows("n:n")->setRowHeight(points) gives it, leaving the selection where
    // it is. Stops before the first row the host would refuse and gives back
    // how many rows have their height, as writeRow.
    virtual int setRowHeights(int firstRow, int lastRow, double points) {
        int done = 0;
        try {
            for (int row = firstRow; row <= lastRow; ++row) {
                const RangePtr rowRange = rows(QString::number(row) + QLatin1Char(':') + QString::number(row));
                if (!rowRange) break;
                rowRange->setRowHeight(points);
                ++done;
            }
        } catch (const HostError&) {
        }
        return done;
    }
    virtual RangePtr rows(const QString& address) = 0;    // "7:7"
    virtual RangePtr columns(const QString& address) = 0; // "A:A"
    virtual RangePtr cells() = 0;                         // the whole sheet
    virtual RangePtr selection() = 0;
    virtual RangePtr activeCell() = 0;

    virtual double inchesToPoints(double inches) const = 0;
    virtual void quit() = 0;
};
using ApplicationPtr = std::shared_ptr<Application>;

// Where host instances come from. Tests install their own factory.
class HostFactory {
public:
    virtual ~HostFactory() = default;
    // A new instance; throws HostError when none can be created.
    virtual ApplicationPtr create() = 0;
    // A running instance to attach to, or nullptr when there is none.
    virtual ApplicationPtr attachRunning() = 0;
};

}  // namespace brevanta::host
