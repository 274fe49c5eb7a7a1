// The register layout against the recording host: the host operations in
// order, the resulting cells and fills, and the steps a failure names.

#include <gtest/gtest.h>

#include "generate/palette.h"
#include "generate/cell_entry.h"
#include "generate/register_layout.h"
#include "host/connection.h"
#include "tests/host/fake_host.h"
#include "tests/support/recording.h"

namespace brevanta {
namespace {

using generate::generateReport;

reg::Transaction row(const char* date, const char* number, const char* debit, const char* credit) {
    return {QLatin1String(date), QLatin1String(number), QStringLiteral("Description"), QStringLiteral("Groceries"),
            QStringLiteral("Yes"), QLatin1String(debit), QLatin1String(credit)};
}

// A fresh fake host holding one workbook with one sheet, as the driver leaves it.
struct LaidOut {
    testsupport::SeamGuard seams;
    fakehost::FactoryGuard hosts;
    host::HostSession session;
    LaidOut() {
        hosts.world->sheetsInNewBook = 1;
        host::createExcelApp(session);
        session.excelApp->workbooks().add();
        hosts.world->log.clear();
    }
    const fakehost::FakeSheet& sheet() const { return *hosts.factory.lastCreatedBook->sheets[0]; }
    QString entry(int r, int c) const {
        const auto* cell = sheet().find(r, c);
        return cell ? cell->entry : QString();
    }
    int fill(int r, int c) const {
        const auto* cell = sheet().find(r, c);
        return cell ? cell->fill : 0;
    }
    const QStringList& log() const { return hosts.world->log; }
};

TEST(RegisterLayout, PaletteHoldsTheRegisterColours) {
    EXPECT_EQ(generate::kPalette[0], 0);
    EXPECT_EQ(generate::kPalette[1], 0xFFFFFF);
    EXPECT_EQ(generate::kPalette[38], 224 + 256 * 255 + 65536 * 215);  // 39, odd rows
    EXPECT_EQ(generate::kPalette[39], 253 + 256 * 247 + 65536 * 223);  // 40, balances
    EXPECT_EQ(generate::kPalette[42], 161 + 256 * 208 + 65536 * 255);  // 43, header
    EXPECT_EQ(generate::kPalette[55], 51 + 256 * 51 + 65536 * 51);
}

TEST(RegisterLayout, FormattingRoutinesDoExactlyTheirHostOperationsInOrder) {
    LaidOut sheet;
    generate::writeCell(sheet.session, QStringLiteral("$B$2:$I$2"), QStringLiteral("Check Register"), true);
    generate::writeCell(sheet.session, QString(), QStringLiteral("x"), false);
    generate::fillRange(sheet.session, QString(), 2);
    generate::setSelectionFont(sheet.session, QStringLiteral("Bold"), 9, -4105);
    generate::alignSelection(sheet.session, true, true, true, true);
    generate::setRowHeight(sheet.session, QStringLiteral("7:7"), 20);
    generate::setColumnWidth(sheet.session, QStringLiteral("A:A"), 2.71);
    EXPECT_EQ(sheet.log(), (QStringList{
        "Range($B$2:$I$2).Select", "ActiveCell.FormulaR1C1=Check Register", "Selection.Merge",
        "ActiveCell.FormulaR1C1=x",
        "Selection.Interior.ColorIndex=2",
        "Selection.Font.FontStyle=Bold", "Selection.Font.Size=9", "Selection.Font.ColorIndex=-4105",
        "Selection.HorizontalAlignment=-4108", "Selection.HorizontalAlignment=-4152",
        "Selection.VerticalAlignment=-4108", "Selection.WrapText=True",
        "Rows(7:7).Select", "Selection.RowHeight=20",
        "Columns(A:A).Select", "Selection.ColumnWidth=2.71"}));

    sheet.hosts.world->log.clear();
    generate::setupPage(sheet.session);
    EXPECT_EQ(sheet.log(), (QStringList{
        "ActiveSheet.PageSetup.PrintArea=\"\"", "ActiveSheet.PageSetup.LeftMargin=50.4",
        "ActiveSheet.PageSetup.RightMargin=50.4", "ActiveSheet.PageSetup.TopMargin=36",
        "ActiveSheet.PageSetup.BottomMargin=36", "ActiveSheet.PageSetup.HeaderMargin=0",
        "ActiveSheet.PageSetup.FooterMargin=0", "ActiveSheet.PageSetup.PrintComments=-4142",
        "ActiveSheet.PageSetup.Orientation=2", "ActiveSheet.PageSetup.PaperSize=9",
        "ActiveSheet.PageSetup.Zoom=False", "ActiveSheet.PageSetup.FitToPagesWide=1",
        "ActiveSheet.PageSetup.FitToPagesTall=0", "ActiveSheet.PageSetup.PrintTitleRows=$4:$5"}));
}

TEST(RegisterLayout, TwoExampleRowsGiveTheWholeSheet) {
    LaidOut sheet;
    reg::TransactionList list({row("1/1/2013", "1", "", "5000"), row("1/2/2013", "2", "", "55")});
    generateReport(sheet.session, 1, list);

    EXPECT_TRUE(sheet.seams.reporter.reports.empty());
    const auto& s = sheet.sheet();
    EXPECT_EQ(sheet.hosts.factory.lastCreatedBook->colors.at(43), generate::kPalette[42]);
    const std::map<int, double> widths{{1, 2.71}, {2, 10.86}, {3, 10.43}, {4, 37.43}, {5, 15.51}, {6, 8},
                                       {7, 11.14}, {8, 14}, {9, 15}, {10, 15}, {11, 15}};
    EXPECT_EQ(s.columnWidths, widths);
    const std::map<int, double> heights{{1, 12}, {2, 30.75}, {3, 7.5}, {4, 19.5}, {5, 3}, {6, 20}, {7, 20}, {8, 20}};
    EXPECT_EQ(s.rowHeights, heights);
    EXPECT_EQ(sheet.entry(2, 2), QStringLiteral("Check Register"));
    EXPECT_TRUE(s.find(2, 9)->merged);
    const QStringList headers{"Date", "Number", "Description Of Transaction", "Category", "Cleared",
                              "Debit (-)", "Credit (+)", "Balance"};
    for (int c = 2; c <= 9; ++c) {
        EXPECT_EQ(sheet.entry(4, c), headers[c - 2]);
        EXPECT_EQ(sheet.fill(4, c), 43);
        EXPECT_EQ(sheet.fill(5, c), 43);
    }
    EXPECT_EQ(sheet.entry(6, 2), QStringLiteral("2013-01-01"));  // a date under every locale
    EXPECT_EQ(sheet.entry(6, 8), QStringLiteral("5000"));
    EXPECT_EQ(sheet.entry(7, 8), QStringLiteral("55"));
    EXPECT_EQ(sheet.entry(6, 9), generate::runningBalanceFormula());
    EXPECT_EQ(sheet.entry(7, 9), generate::runningBalanceFormula());
    EXPECT_EQ(sheet.entry(6, 10), generate::runningTotalFormula());
    EXPECT_EQ(sheet.entry(7, 10), generate::runningTotalFormula());
    EXPECT_EQ(sheet.entry(8, 10), QString());
    EXPECT_EQ(sheet.hosts.world->count(QStringLiteral("Columns(J:J).Hidden=True")), 1);
    for (int c = 2; c <= 8; ++c) {
        EXPECT_EQ(sheet.fill(6, c), 2);
        EXPECT_EQ(sheet.fill(7, c), 39);
    }
    EXPECT_EQ(sheet.fill(6, 9), 40);
    EXPECT_EQ(sheet.fill(7, 9), 40);
    EXPECT_EQ(sheet.fill(8, 2), 0);  // the row under the data keeps the sheet's fill
    EXPECT_EQ(s.printTitleRows, QStringLiteral("$4:$5"));
    EXPECT_EQ(s.orientation, 2);
    // Ends with B6 selected.
    EXPECT_EQ(sheet.log().last(), QStringLiteral("Range(B6).Select"));
    EXPECT_TRUE(sheet.log().contains(QStringLiteral("Range(B6:H7).Select")));
    EXPECT_TRUE(sheet.log().contains(QStringLiteral(
        "Selection.Sort Key1=$B$6 Order1=1 Key2=$C$6 Order2=1 Header=0 OrderCustom=1 MatchCase=False Orientation=1 "
        "DataOption1=0")));
}

// Rows of one date are ordered by number; each keeps the fill of its row
// number in list order.
TEST(RegisterLayout, UnsortedNumbersOfOneDateAreSortedWithTheirFills) {
    LaidOut sheet;
    reg::TransactionList list({row("1/1/2013", "30", "1", ""), row("1/1/2013", "10", "2", ""),
                               row("1/1/2013", "20", "3", "")});
    generateReport(sheet.session, 1, list);
    // Before the sort: row 6 (even) fill 2, row 7 fill 39, row 8 fill 2.
    EXPECT_EQ(sheet.entry(6, 3), QStringLiteral("10"));
    EXPECT_EQ(sheet.entry(7, 3), QStringLiteral("20"));
    EXPECT_EQ(sheet.entry(8, 3), QStringLiteral("30"));
    EXPECT_EQ(sheet.entry(6, 7), QStringLiteral("2"));
    EXPECT_EQ(sheet.fill(6, 2), 39);
    EXPECT_EQ(sheet.fill(7, 2), 2);
    EXPECT_EQ(sheet.fill(8, 2), 2);
    // Columns I and J keep their formulas and fill in place.
    for (int r = 6; r <= 8; ++r) {
        EXPECT_EQ(sheet.fill(r, 9), 40);
        EXPECT_EQ(sheet.entry(r, 9), generate::runningBalanceFormula());
        EXPECT_EQ(sheet.entry(r, 10), generate::runningTotalFormula());
    }
}

// A date that cannot be read goes last, as text, in list order, keeping the
// fill of its list position; only the dated rows are sorted.
TEST(RegisterLayout, UnreadableDatesGoLastAsTextInListOrder) {
    LaidOut sheet;
    reg::TransactionList list({row("someday", "1", "1", ""), row("1/5/2013", "9", "2", ""),
                               row("=1+1", "", "3", ""), row("1/3/2013", "", "4", "")});
    generateReport(sheet.session, 1, list);
    EXPECT_TRUE(sheet.log().contains(QStringLiteral("Range(B6:H7).Select")));
    const QStringList dates{"2013-01-03", "2013-01-05", "'someday", "'=1+1"};
    const QStringList debits{"4", "2", "1", "3"};
    const std::vector<int> fills{39, 39, 2, 2};  // list rows 9, 7, 6, 8
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(sheet.entry(6 + i, 2), dates[i]);
        EXPECT_EQ(sheet.entry(6 + i, 7), debits[i]);
        EXPECT_EQ(sheet.fill(6 + i, 2), fills[size_t(i)]);
    }
    EXPECT_EQ(generate::dateCellEntry(QString()), QString());
    EXPECT_EQ(generate::dateCellEntry(QStringLiteral("2013-01-03T09:15")), QStringLiteral("2013-01-03T09:15"));
}

TEST(RegisterLayout, EmptyListStillLaysOutHeaderSortsAnEmptyRangeAndSelectsB6) {
    LaidOut sheet;
    reg::TransactionList list;
    generateReport(sheet.session, 1, list);
    EXPECT_TRUE(sheet.seams.reporter.reports.empty());
    EXPECT_EQ(sheet.hosts.world->count(QStringLiteral("Rows(7:7)")), 0);
    EXPECT_EQ(sheet.sheet().rowHeights.at(6), 20);
    EXPECT_EQ(sheet.entry(4, 9), QStringLiteral("Balance"));
    EXPECT_EQ(sheet.entry(6, 2), QString());
    EXPECT_TRUE(sheet.log().contains(QStringLiteral("Range(B6:H5).Select")));
    EXPECT_EQ(sheet.hosts.world->count(QStringLiteral("Selection.Sort")), 1);
    EXPECT_EQ(sheet.log().last(), QStringLiteral("Range(B6).Select"));
}

TEST(RegisterLayout, OutlinesOnlyNameTheEdges) {
    LaidOut sheet;
    reg::TransactionList list({row("d", "1", "", "5")});
    generateReport(sheet.session, 1, list);
    const int header = sheet.log().indexOf(QStringLiteral("Range(B4:I5).Select"));
    ASSERT_GE(header, 0);
    EXPECT_EQ(sheet.log().mid(header, 12), (QStringList{
        "Range(B4:I5).Select", "Selection.Borders(7)", "Selection.Borders(8)", "Selection.Borders(9)",
        "Selection.Borders(10)", "Selection.Borders(11)",
        "Range(B6:I6).Select", "Selection.Borders(7)", "Selection.Borders(8)", "Selection.Borders(9)",
        "Selection.Borders(10)", "Selection.Borders(12)"}));
    EXPECT_EQ(sheet.log()[header + 12], QStringLiteral("Selection.Borders(11)"));
}

TEST(RegisterLayout, MoreThan32767TransactionsAreAllWritten) {
    LaidOut sheet;
    std::vector<reg::Transaction> rows(32768, row("1/1/2020", "7", "1", ""));
    rows.back()[reg::Number] = QStringLiteral("8");
    generateReport(sheet.session, 1, reg::TransactionList(rows));
    EXPECT_TRUE(sheet.seams.reporter.reports.empty());
    EXPECT_EQ(sheet.entry(32773, 3), QStringLiteral("8"));
    EXPECT_EQ(sheet.entry(32773, 9), generate::runningBalanceFormula());
    EXPECT_EQ(sheet.sheet().rowHeights.at(32774), 20);
    EXPECT_TRUE(sheet.log().contains(QStringLiteral("Range(B6:H32773).Select")));
}

TEST(RegisterLayout, AFailingStepIsReportedAtItsLineAndTheLayoutGoesOn) {
    LaidOut sheet;
    // The host refuses row heights of data rows, one fill of the banding and the sort.
    sheet.hosts.world->failOn = {QStringLiteral("Rows(7:7)"), QStringLiteral("Range($B$6:$H$6)"),
                                 QStringLiteral("Selection.Sort"), QStringLiteral("FormulaR1C1=Category")};
    reg::TransactionList list({row("d", "1", "", "5"), row("d", "2", "", "6")});
    generateReport(sheet.session, 1, list);
    EXPECT_EQ(sheet.seams.reporter.lines(), (std::vector<int>{154, 186, 232, 272}));
    EXPECT_EQ(sheet.seams.reporter.reports[0].location, QStringLiteral("in Tarnwick2021/08/31.CheckRegister.GenerateReport "));
    // The header failed inside WriteCell: its remaining operations are skipped, the next line runs.
    EXPECT_EQ(sheet.entry(4, 6), QStringLiteral("Cleared"));
    EXPECT_EQ(sheet.log().last(), QStringLiteral("Range(B6).Select"));
}

TEST(RegisterLayout, NoHostMeansEveryStepReportsItsOwnBox) {
    testsupport::SeamGuard seams;
    fakehost::FactoryGuard hosts;
    generateReport(host::HostSession{}, 1, reg::TransactionList({row("d", "1", "", "5")}));
    const auto lines = seams.reporter.lines();
    EXPECT_EQ(std::count(lines.begin(), lines.end(), 102), 56);
    EXPECT_EQ(lines.back(), 276);
    EXPECT_EQ(std::count(lines.begin(), lines.end(), 264), 1);
}

}  // namespace
}  // namespace brevanta
