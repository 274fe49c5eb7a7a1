#include "generate/register_layout.h"

#include <QLocale>
#include <QStringList>
#include <algorithm>
#include <array>

#include "frame/error_report.h"
#include "generate/cell_entry.h"
#include "generate/palette.h"
#include "host/connection.h"
#include "host/host_factory.h"
#include "ledger/amounts.h"
#include "ledger/dates.h"

namespace brevanta::generate {

using host::must;
namespace xl = host::xl;

namespace {

host::Application& app(const host::HostSession& session) { return must(session.excelApp); }

QString number(int value) { return QString::number(value); }

constexpr std::array<HeaderCell, 8> kHeader = {{
    {"$B$4", "Date"},
    {"$C$4", "Number"},
    {"$D$4", "Description Of Transaction"},
    {"$E$4", "Category"},
    {"$F$4", "Cleared"},
    {"$G$4", "Debit (-)"},
    {"$H$4", "Credit (+)"},
    {"$I$4", "Balance"},
}};

constexpr std::array<ColumnWidth, 11> kColumnWidths = {{
    {"A:A", 2.71}, {"B:B", 10.86}, {"C:C", 10.43}, {"D:D", 37.43}, {"E:E", 15.51}, {"F:F", 8},
    {"G:G", 11.14}, {"H:H", 14}, {"I:I", 15}, {"J:J", 15}, {"K:K", 15},
}};

constexpr std::array<RowHeight, 6> kRowHeights = {{
    {"1:1", 12}, {"2:2", 30.75}, {"3:3", 7.5}, {"4:4", 19.5}, {"5:5", 3}, {"6:6", 20},
}};

constexpr double kDataRowHeight = 20;
constexpr int kFirstDataRow = kFirstTransactionRow;

QString thousands(int value) { return QLocale(QLocale::English).toString(value); }

// The order the transactions go onto the sheet (list rows, 1-based): those
// whose date can be read, in list order, then the others, in list order.
// Only the first block is sorted; the others stay last as they were.
// Each date is read once, here; the Date cells are given what this read.
struct SheetOrder {
    std::vector<int> rows;
    int datedCount = 0;
    std::vector<host::CellEntry> dateEntries;  // by list row - 1: what the row's Date cell is given
};

SheetOrder sheetOrder(const reg::TransactionSource& transactions) {
    SheetOrder order;
    const int count = transactions.rowCount();
    order.rows.reserve(size_t(std::max(count, 0)));
    order.dateEntries.reserve(size_t(std::max(count, 0)));
    std::vector<int> undated;
    const QLocale locale;
    for (int row = 1; row <= count; ++row) {
        const QString& text = transactions.transaction(row)[reg::Date];
        const std::optional<ledger::RegisterDate> date = text.isEmpty() ? std::nullopt : ledger::readDate(text, locale);
        if (date) order.rows.push_back(row);
        else undated.push_back(row);
        order.dateEntries.push_back(date ? host::CellEntry::ofDate(date->date, date->time)
                                         : host::CellEntry{dateCellEntry(text)});
    }
    order.datedCount = int(order.rows.size());
    order.rows.insert(order.rows.end(), undated.begin(), undated.end());
    return order;
}

// writeCell and fillRange for a cell or area given by its numbers (1-based),
// as the data rows use them: no address is written out to be read back.
void writeCellAt(const host::HostSession& session, int row, int column, const QString& value) {
    must(app(session).area(row, column, row, column)).select();
    must(app(session).activeCell()).setFormulaR1C1(value);
}

void fillArea(const host::HostSession& session, int row, int firstColumn, int lastColumn, int colorIndex) {
    must(app(session).area(row, firstColumn, row, lastColumn)).select();
    must(app(session).selection()).interior().setColorIndex(colorIndex);
}

// Sheet columns of the data rows (1-based): B to H for the fields, I the balance, J the running total.
constexpr int kFirstFieldColumn = 2;
constexpr int kBalanceColumn = 9;
constexpr int kRunningTotalColumnNumber = 10;

// Names the edges of the selection for an outline; draws nothing.
void addressEdges(const host::HostSession& session, std::initializer_list<int> edges) {
    host::RangePtr selection = app(session).selection();
    for (int edge : edges) must(selection).borders(edge);
}

}  // namespace

QString tooManyTransactionsMessage(int count) {
    return QStringLiteral("The register holds at most %1 transactions; this list has %2. "
                          "Delete some transactions, or keep them in two registers, and start again.")
        .arg(thousands(kMostTransactions), thousands(count));
}

std::vector<int> rowsWithOverlongText(const reg::TransactionSource& transactions) {
    std::vector<int> rows;
    const int count = transactions.rowCount();
    for (int row = 1; row <= count; ++row) {
        const reg::Transaction& transaction = transactions.transaction(row);
        if (std::any_of(transaction.begin(), transaction.end(),
                        [](const QString& text) { return text.size() > kLongestCellText; }))
            rows.push_back(row);
    }
    return rows;
}

namespace {

// "Transaction 3 has a text" / "Transactions 1, 2 and 3 more have texts": the first ten rows by number.
QString transactionsHaving(const std::vector<int>& rows, const QString& oneThing, const QString& things) {
    constexpr size_t kNamed = 10;
    QStringList named;
    for (size_t i = 0; i < rows.size() && i < kNamed; ++i) named << thousands(rows[i]);
    if (rows.size() > kNamed) named << QStringLiteral("%1 more").arg(thousands(int(rows.size() - kNamed)));
    return rows.size() == 1 ? QStringLiteral("Transaction %1 has %2").arg(named[0], oneThing)
                            : QStringLiteral("Transactions %1 have %2").arg(named.join(QStringLiteral(", ")), things);
}

}  // namespace

std::vector<int> rowsWithAmountsBeyondLimit(const reg::TransactionSource& transactions) {
    std::vector<int> rows;
    const int count = transactions.rowCount();
    const QLocale locale;
    for (int row = 1; row <= count; ++row) {
        const reg::Transaction& transaction = transactions.transaction(row);
        if (ledger::isNumberBeyondLimit(transaction[reg::Debit], locale) ||
            ledger::isNumberBeyondLimit(transaction[reg::Credit], locale))
            rows.push_back(row);
    }
    return rows;
}

QString amountsBeyondLimitMessage(const std::vector<int>& rows) {
    return transactionsHaving(rows, QStringLiteral("an amount"), QStringLiteral("amounts")) +
           QStringLiteral(" beyond 1E+307, the largest a spreadsheet holds; the register shows %1 as text, "
                          "and the balance there as #VALUE!.")
               .arg(rows.size() == 1 ? QStringLiteral("it") : QStringLiteral("them"));
}

QString overlongTextMessage(const std::vector<int>& rows) {
    const QString which = transactionsHaving(rows, QStringLiteral("a text"), QStringLiteral("texts"));
    return which + QStringLiteral(" longer than the %1 characters a cell holds; the register shows %2 cut there.")
                       .arg(thousands(kLongestCellText), rows.size() == 1 ? QStringLiteral("it") : QStringLiteral("them"));
}

QString runningBalanceFormula() {
    return QStringLiteral("=IF(AND(ISBLANK(RC[-2]),ISBLANK(RC[-1])),\"\",RC[1]+0*(RC[-2]+RC[-1]))");
}

// SUM of one cell is its number and 0 for text or nothing, as the balance's
// sums from the first row counted them before.
QString runningTotalFormula() { return QStringLiteral("=R[-1]C+SUM(RC[-2])-SUM(RC[-3])"); }

void writeCell(const host::HostSession& session, const QString& address, const QString& value, bool merge) {
    if (address.size() > 0) must(app(session).range(address)).select();
    must(app(session).activeCell()).setFormulaR1C1(value);
    if (merge) must(app(session).selection()).merge();
}

void fillRange(const host::HostSession& session, const QString& address, int colorIndex) {
    if (address.size() > 0) must(app(session).range(address)).select();
    must(app(session).selection()).interior().setColorIndex(colorIndex);
}

void setSelectionFont(const host::HostSession& session, const QString& style, int size, int colorIndex) {
    const host::RangePtr selection = app(session).selection();  // keeps the font's owner alive
    host::Font& font = must(selection).font();
    font.setFontStyle(style);
    font.setSize(size);
    font.setColorIndex(colorIndex);
}

void alignSelection(const host::HostSession& session, bool centre, bool verticalCentre, bool wrap, bool right) {
    const host::RangePtr selection = app(session).selection();
    if (centre) must(selection).setHorizontalAlignment(xl::Center);
    if (right) must(selection).setHorizontalAlignment(xl::Right);
    if (verticalCentre) must(selection).setVerticalAlignment(xl::Center);
    if (wrap) must(selection).setWrapText(true);
}

void setRowHeight(const host::HostSession& session, const QString& rowsAddress, double height) {
    must(app(session).rows(rowsAddress)).select();
    must(app(session).selection()).setRowHeight(height);
}

void setColumnWidth(const host::HostSession& session, const QString& columnsAddress, double width) {
    must(app(session).columns(columnsAddress)).select();
    must(app(session).selection()).setColumnWidth(width);
}

void hideColumns(const host::HostSession& session, const QString& columnsAddress) {
    must(app(session).columns(columnsAddress)).setHidden(true);
}

void setupPage(const host::HostSession& session) {
    host::Application& host = app(session);
    const host::WorksheetPtr sheet = host.activeSheet();  // keeps the page set-up's owner alive
    host::PageSetup& page = must(sheet).pageSetup();
    page.setPrintArea(QString());
    page.setLeftMargin(host.inchesToPoints(0.7));
    page.setRightMargin(host.inchesToPoints(0.7));
    page.setTopMargin(host.inchesToPoints(0.5));
    page.setBottomMargin(host.inchesToPoints(0.5));
    page.setHeaderMargin(host.inchesToPoints(0));
    page.setFooterMargin(host.inchesToPoints(0));
    page.setPrintComments(xl::PrintNoComments);
    page.setOrientation(xl::Landscape);
    page.setPaperSize(xl::PaperA4);
    page.setZoomOff();
    // One page wide at the largest scale that fits; the height runs on to as
    // many pages as the rows need, each under the repeated title rows.
    page.setFitToPagesWide(1);
    page.setFitToPagesTall(xl::FitAutomatic);
    page.setPrintTitleRows(QStringLiteral("$4:$5"));
}

void setUpSheet(frame::Procedure& proc, const host::HostSession& session, std::span<const ColumnWidth> widths,
                std::span<const RowHeight> heights) {
    proc.step(104, [&] { must(app(session).cells()).select(); });
    proc.step(106, [&] { must(app(session).cells()).clear(); });
    proc.step(108, [&] { must(app(session).selection()).font().setName(QStringLiteral("Arial")); });
    proc.step(110, [&] { must(app(session).selection()).font().setSize(10); });
    proc.step(112, [&] { must(app(session).selection()).setVerticalAlignment(xl::Center); });
    proc.step(114, [&] { must(app(session).selection()).setWrapText(true); });
    proc.step(116, [&] { fillRange(session, QString(), fill::Sheet); });

    int line = 118;
    for (const ColumnWidth& width : widths) {
        proc.step(line, [&] { setColumnWidth(session, QLatin1String(width.columns), width.characters); });
        line += 2;
    }
    line = 140;
    for (const RowHeight& height : heights) {
        proc.step(line, [&] { setRowHeight(session, QLatin1String(height.rows), height.points); });
        line += 2;
    }
}

void writeTitleAndHeader(frame::Procedure& proc, const host::HostSession& session, const QString& titleAddress,
                         const QString& title, std::span<const HeaderCell> header) {
    proc.step(158, [&] { writeCell(session, titleAddress, title, true); });
    proc.step(160, [&] { setSelectionFont(session, QStringLiteral("Bold"), 24, 0); });
    int line = 162;
    for (const HeaderCell& cell : header) {
        const QString address = QLatin1String(cell.address);
        proc.step(line, [&] { writeCell(session, address, QLatin1String(cell.text), true); });
        proc.step(line + 2, [&] { alignSelection(session, true, true, true, false); });
        proc.step(line + 4, [&] { fillRange(session, address, fill::Header); });
        proc.step(line + 6, [&] { setSelectionFont(session, QStringLiteral("Bold"), 9, xl::ColorIndexAutomatic); });
        line += 8;
    }
}

void generateReport(const host::HostSession& session, int selector, const reg::TransactionSource& transactions) {
    Q_UNUSED(selector);
    frame::Procedure proc(QStringLiteral("CheckRegister"), QStringLiteral("GenerateReport"));

    for (int i = 1; i <= kPaletteSize; ++i)
        proc.step(102, [&] { must(app(session).activeWorkbook()).setColor(i, kPalette[size_t(i - 1)]); });

    setUpSheet(proc, session, kColumnWidths, kRowHeights);

    // Rows 7 to n + 6: the data rows and the one below the last get the
    // data-row height; a full sheet has no row below its last.
    int rowCount = 0;
    proc.step(152, [&] { rowCount = transactions.rowCount(); });
    // In one call up to the last row where no one watches the steps one by
    // one, and one step each from a row the host refuses.
    const int lastHeightRow = std::min(rowCount + 6, kLastSheetRow);
    int heightsSet = 0;
    if (!frame::Procedure::watch() && lastHeightRow > 7) {
        try {
            heightsSet = std::max(0, app(session).setRowHeights(7, lastHeightRow - 1, kDataRowHeight));
        } catch (...) {
            heightsSet = 0;
        }
    }
    for (int row = 7 + heightsSet; row <= lastHeightRow; ++row)
        proc.step(154, [&] { setRowHeight(session, number(row) + QLatin1Char(':') + number(row), kDataRowHeight); });

    writeTitleAndHeader(proc, session, QStringLiteral("$B$2:$I$2"), QStringLiteral("Check Register"), kHeader);
    proc.step(226, [&] { fillRange(session, QStringLiteral("$B$5:$I$5"), fill::Header); });

    // Banding by each transaction's row number in list order, before the sort
    // moves the rows with their fills.
    proc.step(228, [&] { rowCount = transactions.rowCount(); });
    SheetOrder order;
    proc.step(228, [&] { order = sheetOrder(transactions); });
    const int lastFieldColumn = kFirstFieldColumn + reg::kFieldCount - 1;
    std::vector<host::AreaFill> fills;  // two a row: the fields' band, then the balance
    std::vector<int> fillLines;
    for (int row = kFirstDataRow; row <= rowCount + 5; ++row) {
        const size_t position = size_t(row - kFirstDataRow);
        const int listRow = position < order.rows.size() ? order.rows[position] + kFirstDataRow - 1 : row;
        fills.push_back({row, kFirstFieldColumn, row, lastFieldColumn, listRow % 2 == 0 ? fill::Sheet : fill::OddRow});
        fillLines.push_back(listRow % 2 == 0 ? 232 : 234);
        fills.push_back({row, kBalanceColumn, row, kBalanceColumn, fill::Balance});
        fillLines.push_back(236);
    }
    // As the data rows: in one call up to the last row where no one watches
    // the steps one by one, and one step each from a fill the host refuses.
    size_t filled = 0;
    if (!frame::Procedure::watch() && fills.size() > 2) {
        try {
            filled = size_t(std::max(0, app(session).fillAreas(std::span(fills).first(fills.size() - 2))));
        } catch (...) {
            filled = 0;
        }
    }
    for (size_t i = filled; i < fills.size(); ++i) {
        const host::AreaFill& area = fills[i];
        proc.step(fillLines[i], [&] { fillArea(session, area.firstRow, area.firstColumn, area.lastColumn, area.colorIndex); });
    }
    fills = {};
    fillLines = {};

    // Outlines: the edges are named, no line is drawn.
    proc.step(240, [&] {
        must(app(session).range(QStringLiteral("B4:I5"))).select();
        addressEdges(session, {xl::EdgeLeft, xl::EdgeTop, xl::EdgeBottom, xl::EdgeRight, xl::InsideVertical});
    });
    proc.step(242, [&] {
        must(app(session).range(QStringLiteral("B6:I") + number(rowCount + 5))).select();
        addressEdges(session, {xl::EdgeLeft, xl::EdgeTop, xl::EdgeBottom, xl::EdgeRight, xl::InsideHorizontal,
                      xl::InsideVertical});
    });

    int row = kFirstDataRow;
    int count = 0;  // a full-width count: every transaction is written, however many
    proc.step(246, [&] { count = transactions.rowCount(); });
    const QString balance = runningBalanceFormula();
    const QString total = runningTotalFormula();
    // A row's cells: the fields, the balance and the running total, one step each.
    constexpr int kRowCells = reg::kFieldCount + 2;
    static_assert(kFirstFieldColumn + reg::kFieldCount == kBalanceColumn && kBalanceColumn + 1 == kRunningTotalColumnNumber);
    std::array<host::CellEntry, kRowCells> entries;
    entries[kRowCells - 2] = {balance};
    entries[kRowCells - 1] = {total};
    const int positions = std::min(count, int(order.rows.size()));
    const QLocale locale;
    for (int position = 1; position <= positions; ++position) {
        const int j = order.rows[size_t(position - 1)];
        const reg::Transaction& transaction = transactions.transaction(j);
        for (int field = 0; field < reg::kFieldCount; ++field)
            entries[size_t(field)] = field == reg::Date ? order.dateEntries[size_t(j - 1)]
                                                        : dataCell(field, transaction[size_t(field)], locale);
        // The host takes the row in one call where no one watches the steps
        // one by one; from a cell it would refuse on, the cells go one step
        // each, so a refusal is reported at its cell's line. The last row
        // goes cell by cell, leaving the selection on its last cell.
        int written = 0;
        if (!frame::Procedure::watch() && position < positions) {
            try {
                written = app(session).writeRow(row, kFirstFieldColumn, entries);
            } catch (...) {
                written = 0;
            }
        }
        // One cell each: merging a single cell changes nothing, so it is not asked for.
        for (int cell = written; cell < kRowCells; ++cell)
            proc.step(250 + 2 * cell,
                      [&] { writeCellAt(session, row, kFirstFieldColumn + cell, entries[size_t(cell)].typed()); });
        ++row;
    }
    proc.step(268, [&] { hideColumns(session, QLatin1String(kRunningTotalColumn)); });

    // The dated rows in time order: by date, then by number, then as listed.
    proc.step(270, [&] { must(app(session).range(QStringLiteral("B6:H") + number(kFirstDataRow + order.datedCount - 1))).select(); });
    proc.step(272, [&] {
        host::SortOptions options;
        options.key1 = app(session).range(QStringLiteral("B6"));
        options.order1 = xl::Ascending;
        options.key2 = app(session).range(QStringLiteral("C6"));
        options.order2 = xl::Ascending;
        options.dataOption2 = xl::SortNormal;
        options.header = xl::HeaderGuess;
        options.orderCustom = 1;
        options.matchCase = false;
        options.orientation = xl::TopToBottom;
        options.dataOption1 = xl::SortNormal;
        must(app(session).selection()).sort(options);
    });
    proc.step(274, [&] { setupPage(session); });
    proc.step(276, [&] { must(app(session).range(QStringLiteral("B6"))).select(); });
}

}  // namespace brevanta::generate
