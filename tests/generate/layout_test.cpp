// The register layout on the embedded engine: the cells, formulas, fills,
// fonts, widths, heights, sort order and page the sheet ends with, and the
// boxes a failing step shows.

#include <gtest/gtest.h>

#include <QDate>

#include "engine/embedded/embedded_host.h"
#include "generate/cell_entry.h"
#include "generate/palette.h"
#include "generate/register_layout.h"
#include "host/connection.h"
#include "ledger/dates.h"
#include "tests/generate/failing_host.h"
#include "tests/support/recording.h"
#include "tests/support/xls_files.h"

namespace brevanta {
namespace {

using generate::generateReport;

reg::Transaction row(const char* date, const char* number, const char* debit, const char* credit) {
    return {QLatin1String(date), QLatin1String(number), QStringLiteral("Description"), QStringLiteral("Groceries"),
            QStringLiteral("Yes"), QLatin1String(debit), QLatin1String(credit)};
}

double serialOf(int year, int month, int day) { return double(QDate(1899, 12, 30).daysTo(QDate(year, month, day))); }

// A fresh engine holding one new workbook, as the driver hands it to the
// layout; calls named in `failing` are refused. The sheet is read back
// through the engine itself.
struct LaidOut {
    testsupport::SeamGuard seams;
    host::ApplicationPtr engine = engine::createEmbeddedApplication(testsupport::xlsFiles());
    host::HostSession session;
    explicit LaidOut(const QStringList& failing = {}) {
        engine->workbooks().add();
        session.excelApp = failing.isEmpty() ? engine : std::make_shared<testsupport::FailingApplication>(engine, failing);
    }
    ~LaidOut() { engine->quit(); }
    void layOut(const reg::TransactionSource& list) { generateReport(session, 1, list); }

    host::RangePtr at(const QString& address) const { return engine->activeSheet()->range(address); }
    QString entry(const QString& address) const { return at(address)->formulaR1C1(); }
    host::Value value(const QString& address) const { return at(address)->value(); }
    int fill(const QString& address) const { return at(address)->interior().colorIndex(); }
    double height(int row) const { return at(QStringLiteral("%1:%1").arg(row))->rowHeight(); }
    double width(const char* columns) const { return at(QLatin1String(columns))->columnWidth(); }
    bool mergedAcross(int row, int firstColumn, int lastColumn) const {  // 1-based, exactly these cells
        const model::CellRange* merge = engine::sheetModel(*engine->activeSheet()).sheet.mergeAt(row - 1, firstColumn - 1);
        return merge && *merge == model::CellRange{row - 1, firstColumn - 1, row - 1, lastColumn - 1};
    }
    QString selection() const { return engine->selection()->address(); }
};

QString cell(char column, int row) { return QLatin1Char(column) + QString::number(row); }

TEST(RegisterLayout, PaletteHoldsTheRegisterColours) {
    EXPECT_EQ(generate::kPalette[0], 0);
    EXPECT_EQ(generate::kPalette[1], 0xFFFFFF);
    EXPECT_EQ(generate::kPalette[38], 224 + 256 * 255 + 65536 * 215);  // 39, odd rows
    EXPECT_EQ(generate::kPalette[39], 253 + 256 * 247 + 65536 * 223);  // 40, balances
    EXPECT_EQ(generate::kPalette[42], 161 + 256 * 208 + 65536 * 255);  // 43, header
    EXPECT_EQ(generate::kPalette[55], 51 + 256 * 51 + 65536 * 51);
}

// Each routine selects what it names (or keeps the selection when it names
// nothing) and formats exactly that.
TEST(RegisterLayout, FormattingRoutinesActOnWhatTheyNameOrTheSelection) {
    LaidOut sheet;
    const host::HostSession& session = sheet.session;
    sheet.engine->range(QStringLiteral("D9"))->select();
    generate::writeCell(session, QString(), QStringLiteral("x"), false);
    generate::fillRange(session, QString(), 39);
    EXPECT_EQ(sheet.value(QStringLiteral("D9")), host::Value(QStringLiteral("x")));
    EXPECT_EQ(sheet.fill(QStringLiteral("D9")), 39);
    EXPECT_FALSE(sheet.mergedAcross(9, 4, 4));

    generate::writeCell(session, QStringLiteral("$B$2:$I$2"), QStringLiteral("Check Register"), true);
    EXPECT_EQ(sheet.value(QStringLiteral("B2")), host::Value(QStringLiteral("Check Register")));
    EXPECT_TRUE(sheet.mergedAcross(2, 2, 9));
    generate::fillRange(session, QStringLiteral("$B$4:$I$4"), 43);
    generate::setSelectionFont(session, QStringLiteral("Bold"), 9, host::xl::ColorIndexAutomatic);
    generate::alignSelection(session, true, true, true, true);  // centre, then right: right stands
    for (const char* address : {"B4", "I4"}) {
        const host::RangePtr header = sheet.at(QLatin1String(address));
        EXPECT_EQ(header->interior().colorIndex(), 43) << address;
        EXPECT_EQ(header->font().fontStyle(), QStringLiteral("Bold")) << address;
        EXPECT_EQ(header->font().size(), 9) << address;
        EXPECT_EQ(header->font().colorIndex(), host::xl::ColorIndexAutomatic) << address;
        EXPECT_EQ(header->horizontalAlignment(), host::xl::Right) << address;
        EXPECT_EQ(header->verticalAlignment(), host::xl::Center) << address;
        EXPECT_TRUE(header->wrapText()) << address;
    }
    EXPECT_EQ(sheet.fill(QStringLiteral("B2")), host::xl::ColorIndexNone);
    EXPECT_NE(sheet.at(QStringLiteral("B2"))->font().fontStyle(), QStringLiteral("Bold"));
    EXPECT_FALSE(sheet.at(QStringLiteral("J4"))->wrapText());

    generate::setRowHeight(session, QStringLiteral("7:7"), 20);
    generate::setColumnWidth(session, QStringLiteral("A:A"), 2.71);
    generate::hideColumns(session, QStringLiteral("J:J"));
    EXPECT_EQ(sheet.height(7), 20);
    EXPECT_NE(sheet.height(8), 20);
    EXPECT_DOUBLE_EQ(sheet.width("A:A"), 2.71);
    EXPECT_NE(sheet.width("B:B"), 2.71);
    EXPECT_TRUE(sheet.at(QStringLiteral("J:J"))->hidden());
    EXPECT_FALSE(sheet.at(QStringLiteral("I:I"))->hidden());
}

TEST(RegisterLayout, TwoExampleRowsGiveTheWholeSheet) {
    LaidOut sheet;
    sheet.layOut(reg::TransactionList({row("1/1/2013", "1", "", "5000"), row("1/2/2013", "2", "", "55")}));

    EXPECT_TRUE(sheet.seams.reporter.reports.empty()) << sheet.seams.reporter.reports[0].text().toStdString();
    for (int index = 1; index <= generate::kPaletteSize; ++index)
        EXPECT_EQ(sheet.engine->activeWorkbook()->color(index), generate::kPalette[size_t(index - 1)]) << index;
    const std::vector<std::pair<const char*, double>> widths{
        {"A:A", 2.71}, {"B:B", 10.86}, {"C:C", 10.43}, {"D:D", 37.43}, {"E:E", 15.51}, {"F:F", 8},
        {"G:G", 11.14}, {"H:H", 14}, {"I:I", 15}, {"J:J", 15}, {"K:K", 15}};
    for (const auto& [columns, characters] : widths) EXPECT_DOUBLE_EQ(sheet.width(columns), characters) << columns;
    const std::vector<double> heights{12, 30.75, 7.5, 19.5, 3, 20, 20, 20};  // rows 1 to 8, the one below the data
    for (int r = 1; r <= 8; ++r) EXPECT_DOUBLE_EQ(sheet.height(r), heights[size_t(r - 1)]) << "row " << r;
    EXPECT_NE(sheet.height(9), 20);

    // The whole sheet in Arial 10 on the sheet's fill; the title bold 24 across B to I.
    EXPECT_EQ(sheet.at(QStringLiteral("K20"))->font().name(), QStringLiteral("Arial"));
    EXPECT_EQ(sheet.at(QStringLiteral("K20"))->font().size(), 10);
    EXPECT_EQ(sheet.fill(QStringLiteral("K20")), 2);
    EXPECT_EQ(sheet.value(QStringLiteral("B2")), host::Value(QStringLiteral("Check Register")));
    EXPECT_TRUE(sheet.mergedAcross(2, 2, 9));
    EXPECT_EQ(sheet.at(QStringLiteral("B2"))->font().fontStyle(), QStringLiteral("Bold"));
    EXPECT_EQ(sheet.at(QStringLiteral("B2"))->font().size(), 24);

    const QStringList headers{"Date", "Number", "Description Of Transaction", "Category", "Cleared",
                              "Debit (-)", "Credit (+)", "Balance"};
    for (char c = 'B'; c <= 'I'; ++c) {
        const host::RangePtr header = sheet.at(cell(c, 4));
        EXPECT_EQ(header->value(), host::Value(headers[c - 'B'])) << c;
        EXPECT_EQ(header->interior().colorIndex(), 43) << c;
        EXPECT_EQ(header->font().fontStyle(), QStringLiteral("Bold")) << c;
        EXPECT_EQ(header->horizontalAlignment(), host::xl::Center) << c;
        EXPECT_EQ(sheet.fill(cell(c, 5)), 43) << c;
    }

    EXPECT_EQ(sheet.value(QStringLiteral("B6")), host::Value(serialOf(2013, 1, 1)));  // a date under every locale
    EXPECT_EQ(sheet.value(QStringLiteral("H6")), host::Value(5000.0));
    EXPECT_EQ(sheet.value(QStringLiteral("H7")), host::Value(55.0));
    for (int r = 6; r <= 7; ++r) {
        EXPECT_EQ(sheet.entry(cell('I', r)), generate::runningBalanceFormula()) << r;
        EXPECT_EQ(sheet.entry(cell('J', r)), generate::runningTotalFormula()) << r;
    }
    EXPECT_EQ(sheet.value(QStringLiteral("I7")), host::Value(5055.0));
    EXPECT_EQ(sheet.entry(QStringLiteral("J8")), QString());
    EXPECT_TRUE(sheet.at(QStringLiteral("J:J"))->hidden());
    EXPECT_FALSE(sheet.at(QStringLiteral("I:I"))->hidden());
    for (char c = 'B'; c <= 'H'; ++c) {
        EXPECT_EQ(sheet.fill(cell(c, 6)), 2) << c;
        EXPECT_EQ(sheet.fill(cell(c, 7)), 39) << c;
    }
    EXPECT_EQ(sheet.fill(QStringLiteral("I6")), 40);
    EXPECT_EQ(sheet.fill(QStringLiteral("I7")), 40);
    EXPECT_EQ(sheet.fill(QStringLiteral("I8")), 2);  // the row under the data keeps the sheet's fill
    EXPECT_EQ(sheet.fill(QStringLiteral("B8")), 2);

    // The printed page: A4 landscape, one page wide, the header rows on every page.
    host::PageSetup& page = sheet.engine->activeSheet()->pageSetup();
    EXPECT_EQ(page.printArea(), QString());
    EXPECT_DOUBLE_EQ(page.leftMargin(), 50.4);
    EXPECT_DOUBLE_EQ(page.rightMargin(), 50.4);
    EXPECT_DOUBLE_EQ(page.topMargin(), 36);
    EXPECT_DOUBLE_EQ(page.bottomMargin(), 36);
    EXPECT_DOUBLE_EQ(page.headerMargin(), 0);
    EXPECT_DOUBLE_EQ(page.footerMargin(), 0);
    EXPECT_EQ(page.printComments(), host::xl::PrintNoComments);
    EXPECT_EQ(page.orientation(), host::xl::Landscape);
    EXPECT_EQ(page.paperSize(), host::xl::PaperA4);
    EXPECT_TRUE(page.zoomIsOff());
    EXPECT_EQ(page.fitToPagesWide(), 1);
    EXPECT_EQ(page.fitToPagesTall(), host::xl::FitAutomatic);
    EXPECT_EQ(page.printTitleRows(), QStringLiteral("$4:$5"));
    EXPECT_EQ(sheet.selection(), QStringLiteral("$B$6"));
}

// Rows of one date are ordered by number; each keeps the fill of its row
// number in list order.
TEST(RegisterLayout, UnsortedNumbersOfOneDateAreSortedWithTheirFills) {
    LaidOut sheet;
    sheet.layOut(reg::TransactionList({row("1/1/2013", "30", "1", ""), row("1/1/2013", "10", "2", ""),
                                       row("1/1/2013", "20", "3", "")}));
    // Before the sort: row 6 (even) fill 2, row 7 fill 39, row 8 fill 2.
    EXPECT_EQ(sheet.value(QStringLiteral("C6")), host::Value(10.0));
    EXPECT_EQ(sheet.value(QStringLiteral("C7")), host::Value(20.0));
    EXPECT_EQ(sheet.value(QStringLiteral("C8")), host::Value(30.0));
    EXPECT_EQ(sheet.value(QStringLiteral("G6")), host::Value(2.0));
    EXPECT_EQ(sheet.fill(QStringLiteral("B6")), 39);
    EXPECT_EQ(sheet.fill(QStringLiteral("B7")), 2);
    EXPECT_EQ(sheet.fill(QStringLiteral("B8")), 2);
    // Columns I and J keep their formulas and fill in place.
    for (int r = 6; r <= 8; ++r) {
        EXPECT_EQ(sheet.fill(cell('I', r)), 40);
        EXPECT_EQ(sheet.entry(cell('I', r)), generate::runningBalanceFormula());
        EXPECT_EQ(sheet.entry(cell('J', r)), generate::runningTotalFormula());
    }
    EXPECT_EQ(sheet.value(QStringLiteral("I8")), host::Value(-6.0));
}

// A date that cannot be read goes last, as text, in list order, keeping the
// fill of its list position; only the dated rows are sorted.
TEST(RegisterLayout, UnreadableDatesGoLastAsTextInListOrder) {
    LaidOut sheet;
    sheet.layOut(reg::TransactionList({row("someday", "1", "1", ""), row("1/5/2013", "9", "2", ""),
                                       row("=1+1", "", "3", ""), row("1/3/2013", "", "4", "")}));
    EXPECT_TRUE(sheet.seams.reporter.reports.empty());
    const std::vector<host::Value> dates{serialOf(2013, 1, 3), serialOf(2013, 1, 5), QStringLiteral("someday"),
                                         QStringLiteral("=1+1")};
    const std::vector<double> debits{4, 2, 1, 3};
    const std::vector<int> fills{39, 39, 2, 2};  // list rows 9, 7, 6, 8
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(sheet.value(cell('B', 6 + i)), dates[size_t(i)]) << i;
        EXPECT_EQ(sheet.value(cell('G', 6 + i)), host::Value(debits[size_t(i)])) << i;
        EXPECT_EQ(sheet.fill(cell('B', 6 + i)), fills[size_t(i)]) << i;
    }
    EXPECT_EQ(generate::dateCellEntry(QString()), QString());
    EXPECT_EQ(generate::dateCellEntry(QStringLiteral("2013-01-03T09:15")), QStringLiteral("2013-01-03T09:15"));
}

// A Date cell handed to the host as a date is typed, where it has to be,
// as the very text the register stores for that date.
TEST(RegisterLayout, ADateCellIsTypedAsTheStoredFormOfItsDate) {
    const ledger::RegisterDate dates[] = {
        {QDate(2013, 1, 3), QTime()},         {QDate(2013, 1, 3), QTime(0, 0)},   {QDate(2013, 1, 3), QTime(9, 5, 59)},
        {QDate(2013, 1, 3), QTime(0, 0, 1)},  {QDate(999, 7, 4), QTime()},         {QDate(9999, 12, 31), QTime(23, 59)},
        {QDate(10000, 1, 1), QTime()},        {QDate(-44, 3, 15), QTime(12, 0)}};
    for (const ledger::RegisterDate& date : dates)
        EXPECT_EQ(host::CellEntry::ofDate(date.date, date.time).typed(), ledger::storedDateText(date))
            << date.date.toString().toStdString();
}

TEST(RegisterLayout, EmptyListStillLaysOutTheHeaderAndSelectsB6) {
    LaidOut sheet;
    sheet.layOut(reg::TransactionList());
    EXPECT_TRUE(sheet.seams.reporter.reports.empty()) << sheet.seams.reporter.reports[0].text().toStdString();
    EXPECT_EQ(sheet.height(6), 20);
    EXPECT_NE(sheet.height(7), 20);
    EXPECT_EQ(sheet.value(QStringLiteral("I4")), host::Value(QStringLiteral("Balance")));
    // The sort of no rows leaves the header's last row and the empty first row as they were.
    for (char c = 'B'; c <= 'H'; ++c) {
        EXPECT_EQ(sheet.fill(cell(c, 5)), 43) << c;
        EXPECT_EQ(sheet.value(cell(c, 6)), host::Value()) << c;
    }
    EXPECT_EQ(sheet.fill(QStringLiteral("B6")), 2);
    EXPECT_EQ(sheet.selection(), QStringLiteral("$B$6"));
}

// Past the 32,767 a 16-bit count holds: every row is written and sorted.
TEST(RegisterLayout, MoreThan32767TransactionsAreAllWrittenAndSorted) {
    LaidOut sheet;
    std::vector<reg::Transaction> rows(32768, row("1/1/2020", "7", "1", ""));
    rows.front()[reg::Number] = QStringLiteral("8");
    sheet.layOut(reg::TransactionList(rows));
    EXPECT_TRUE(sheet.seams.reporter.reports.empty());
    EXPECT_EQ(sheet.value(QStringLiteral("C6")), host::Value(7.0));
    EXPECT_EQ(sheet.value(QStringLiteral("C32773")), host::Value(8.0));
    EXPECT_EQ(sheet.entry(QStringLiteral("I32773")), generate::runningBalanceFormula());
    EXPECT_EQ(sheet.value(QStringLiteral("I32773")), host::Value(-32768.0));
    EXPECT_EQ(sheet.height(32774), 20);
    // The fills moved with the rows: list row 1 was written in row 6 (even), list row 2 in row 7.
    EXPECT_EQ(sheet.fill(QStringLiteral("B32773")), 2);
    EXPECT_EQ(sheet.fill(QStringLiteral("B6")), 39);
}

TEST(RegisterLayout, AFailingStepIsReportedAtItsLineAndTheLayoutGoesOn) {
    // The host refuses a data row's height, one fill of the banding, the sort and one header.
    LaidOut sheet({QStringLiteral("Rows(7:7)"), QStringLiteral("Range($B$6:$H$6)"), QStringLiteral("Sort"),
                   QStringLiteral("FormulaR1C1=Category")});
    sheet.layOut(reg::TransactionList({row("1/2/2013", "2", "", "6"), row("1/1/2013", "1", "", "5")}));
    EXPECT_EQ(sheet.seams.reporter.lines(), (std::vector<int>{154, 186, 232, 272}));
    ASSERT_FALSE(sheet.seams.reporter.reports.empty());
    EXPECT_EQ(sheet.seams.reporter.reports[0].location, QStringLiteral("in Tarnwick2021/08/31.CheckRegister.GenerateReport "));
    // Each failure undid only its own step; the steps after it ran.
    EXPECT_NE(sheet.height(7), 20);
    EXPECT_EQ(sheet.height(8), 20);
    EXPECT_EQ(sheet.value(QStringLiteral("E4")), host::Value());  // the refused header, yet filled
    EXPECT_EQ(sheet.fill(QStringLiteral("E4")), 43);
    EXPECT_EQ(sheet.value(QStringLiteral("F4")), host::Value(QStringLiteral("Cleared")));
    EXPECT_EQ(sheet.fill(QStringLiteral("B7")), 39);
    EXPECT_EQ(sheet.value(QStringLiteral("C6")), host::Value(2.0));  // unsorted
    EXPECT_EQ(sheet.value(QStringLiteral("H7")), host::Value(5.0));
    EXPECT_EQ(sheet.selection(), QStringLiteral("$B$6"));
}

TEST(RegisterLayout, ARefusedDataCellIsReportedAtItsLineAndTheRestOfItsRowIsWritten) {
    LaidOut sheet({QStringLiteral("FormulaR1C1='Groceries")});  // every row's Category
    sheet.layOut(reg::TransactionList({row("1/1/2013", "1", "", "5"), row("1/2/2013", "2", "3", ""),
                                       row("1/3/2013", "3", "", "4")}));
    EXPECT_EQ(sheet.seams.reporter.lines(), (std::vector<int>{256, 256, 256}));
    for (int r = 6; r <= 8; ++r) {
        EXPECT_EQ(sheet.value(cell('E', r)), host::Value()) << r;
        EXPECT_EQ(sheet.value(cell('F', r)), host::Value(QStringLiteral("Yes"))) << r;
        EXPECT_EQ(sheet.entry(cell('J', r)), generate::runningTotalFormula()) << r;
    }
    EXPECT_EQ(sheet.value(QStringLiteral("I8")), host::Value(6.0));
}

TEST(RegisterLayout, NoHostMeansEveryStepReportsItsOwnBox) {
    testsupport::SeamGuard seams;
    generateReport(host::HostSession{}, 1, reg::TransactionList({row("d", "1", "", "5")}));
    const auto lines = seams.reporter.lines();
    ASSERT_FALSE(lines.empty());
    EXPECT_EQ(std::count(lines.begin(), lines.end(), 102), 56);
    EXPECT_EQ(lines.back(), 276);
    EXPECT_EQ(std::count(lines.begin(), lines.end(), 264), 1);
}

}  // namespace
}  // namespace brevanta
