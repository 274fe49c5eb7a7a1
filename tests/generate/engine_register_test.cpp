// Whole generations on the embedded engine: the sheet as the host computes
// it, the saved file as other readers see it, and the balances LibreOffice
// computes from our formulas.

#include <gtest/gtest.h>

#include <QClipboard>
#include <QDir>
#include <QGuiApplication>
#include <QFile>
#include <QImage>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>

#include "picture/picture_file.h"
#include "picture/picture_mime.h"
#include "engine/embedded/embedded_host.h"
#include "generate/check_register.h"
#include "generate/palette.h"
#include "generate/register_layout.h"
#include "host/connection.h"
#include "host/host_factory.h"
#include "tests/generate/engine_generation.h"
#include "tests/support/recording.h"
#include "tests/support/small_disk.h"
#include "xls/xls_file.h"

namespace brevanta {
namespace {

using testsupport::KeptWindows;

// One generation on the engine, in a private temporary folder; the saved
// workbook reopened in a fresh host to look at.
class EngineRegister : public testsupport::EngineGeneration {
protected:
    void TearDown() override {
        if (reopened_) reopened_->quit();
        EngineGeneration::TearDown();
    }
    void generate(std::vector<reg::Transaction> rows) {
        generate::generateCheckRegister(1, reg::TransactionList(std::move(rows)), windows_);
        ASSERT_TRUE(seams_.reporter.reports.empty()) << seams_.reporter.reports[0].text().toStdString();
        ASSERT_TRUE(QFile::exists(windows_.excelFile));
        reopened_ = host::openWorkbookInNewExcel(windows_.excelFile);
        sheet_ = reopened_->activeSheet();
    }
    host::Value value(const char* address) { return sheet_->range(QLatin1String(address))->value(); }
    QString text(const char* address) { return sheet_->range(QLatin1String(address))->text(); }
    int fill(const char* address) { return sheet_->range(QLatin1String(address))->interior().colorIndex(); }
    static host::Value number(double n) { return n; }
    static host::Value emptyText() { return QString(); }

    host::ApplicationPtr reopened_;
    host::WorksheetPtr sheet_;
};

reg::Transaction row(const char* number, const char* debit, const char* credit) {
    return {QStringLiteral("1/1/2013"), QLatin1String(number), QStringLiteral("Item"), QStringLiteral("Misc"),
            QString(), QLatin1String(debit), QLatin1String(credit)};
}

TEST_F(EngineRegister, ExampleDataGivesTheSheetCellByCell) {
    generate({{"1/1/2013", "1", "Sold My Used Car", "Automotive", "Yes", "", "5000"},
              {"1/2/2013", "2", "Thundercats Collection", "Toys", "Yes", "", "55"}});

    EXPECT_EQ(sheet_->name(), QStringLiteral("Check Register"));
    EXPECT_EQ(text("B2"), QStringLiteral("Check Register"));
    EXPECT_EQ(text("B4"), QStringLiteral("Date"));
    EXPECT_EQ(text("I4"), QStringLiteral("Balance"));
    EXPECT_EQ(value("C6"), number(1));
    EXPECT_EQ(value("D6"), host::Value(QStringLiteral("Sold My Used Car")));
    EXPECT_EQ(value("H6"), number(5000));
    EXPECT_EQ(value("H7"), number(55));
    EXPECT_EQ(value("G6"), host::Value());
    EXPECT_EQ(value("I6"), number(5000));
    EXPECT_EQ(value("I7"), number(5055));
    EXPECT_EQ(fill("B6"), 2);
    EXPECT_EQ(fill("H6"), 2);
    EXPECT_EQ(fill("B7"), 39);
    EXPECT_EQ(fill("I6"), 40);
    EXPECT_EQ(fill("I7"), 40);
    EXPECT_EQ(fill("E4"), 43);
    EXPECT_EQ(fill("C5"), 43);
    EXPECT_EQ(fill("B8"), 2);
    EXPECT_EQ(sheet_->range(QStringLiteral("8:8"))->rowHeight(), 20);
    EXPECT_EQ(sheet_->range(QStringLiteral("D:D"))->columnWidth(), 37.43);
    EXPECT_EQ(reopened_->activeWorkbook()->color(39), generate::kPalette[38]);
    EXPECT_EQ(reopened_->selection()->address(), QStringLiteral("$B$6"));
    ASSERT_TRUE(windows_.picture);
    EXPECT_FALSE(windows_.picture->isNull());
}

// The headless generation: the picture comes straight from the sheet, and
// whatever the user had on the clipboard is still there afterwards.
TEST_F(EngineRegister, TheHeadlessPictureLeavesTheClipboardAlone) {
    QGuiApplication::clipboard()->setText(QStringLiteral("the user's own text"));
    windows_.throughClipboard = false;
    generate({row("1", "12.50", ""), row("2", "", "100")});
    ASSERT_TRUE(windows_.picture);
    EXPECT_FALSE(windows_.picture->isNull());
    EXPECT_EQ(QGuiApplication::clipboard()->text(), QStringLiteral("the user's own text"));
    EXPECT_FALSE(paint::pictureFromMimeData(QGuiApplication::clipboard()->mimeData()));

    // The window's generation still copies it, as a user sees it done.
    windows_.throughClipboard = true;
    generate({row("1", "12.50", "")});
    EXPECT_TRUE(paint::pictureFromMimeData(QGuiApplication::clipboard()->mimeData()));
}

TEST_F(EngineRegister, ZeroAmountRowsDoNotBreakTheBalancesBelow) {
    generate({row("1", "", "100"), row("2", "", ""), row("3", "30", ""), row("4", "", ""), row("5", "", "5")});
    EXPECT_EQ(value("I6"), number(100));
    EXPECT_EQ(value("I7"), emptyText());
    EXPECT_EQ(value("I8"), number(70));
    EXPECT_EQ(value("I9"), emptyText());
    EXPECT_EQ(value("I10"), number(75));
}

// Each balance shows the running total in the hidden column J; editing an
// amount, typing one into a row without amounts or clearing one is taken
// up by that row and every row below, as a spreadsheet recalculates.
TEST_F(EngineRegister, EditedAmountsCarryThroughTheHiddenRunningTotals) {
    generate({row("1", "", "100"), row("2", "", ""), row("3", "30", ""), row("4", "", "")});
    EXPECT_TRUE(sheet_->range(QStringLiteral("J:J"))->hidden());
    EXPECT_FALSE(sheet_->range(QStringLiteral("I:I"))->hidden());
    EXPECT_FALSE(sheet_->range(QStringLiteral("K:K"))->hidden());
    EXPECT_EQ(value("J7"), number(100));
    EXPECT_EQ(value("J9"), number(70));
    // The picture (of the used range) is as wide as columns B to I: J takes no room.
    ASSERT_TRUE(windows_.picture);
    EXPECT_EQ(windows_.picture->width, 81 + 78 + 267 + 114 + 61 + 83 + 103 + 110);

    sheet_->range(QStringLiteral("H7"))->setFormulaR1C1(QStringLiteral("40"));
    EXPECT_EQ(value("I7"), number(140));
    EXPECT_EQ(value("I8"), number(110));
    sheet_->range(QStringLiteral("G6"))->setFormulaR1C1(QStringLiteral("10"));
    EXPECT_EQ(value("I6"), number(90));
    EXPECT_EQ(value("I8"), number(100));
    sheet_->range(QStringLiteral("H7"))->clear();
    EXPECT_EQ(value("I7"), emptyText());
    EXPECT_EQ(value("I8"), number(60));
    EXPECT_EQ(value("I9"), emptyText());
    sheet_->range(QStringLiteral("G9"))->setFormulaR1C1(QStringLiteral("5"));
    EXPECT_EQ(value("I9"), number(55));
}

TEST_F(EngineRegister, AmountsAreTypedEntryAndSortedBalancesFollowTheNumbers) {
    // A formula as an amount is written as its text, never run; like other
    // text that is no number, it shows an error in its own row only; the
    // sort carries the rows, not the balances.
    generate({row("3", "", "=100*3"), row("1", "", "50"), row("2", "oops", ""), row("4", "20", "")});
    EXPECT_EQ(value("C6"), number(1));
    EXPECT_EQ(value("I6"), number(50));
    EXPECT_EQ(value("C7"), number(2));
    EXPECT_EQ(value("I7"), host::Value(host::ErrorValue{QStringLiteral("#VALUE!")}));
    EXPECT_EQ(value("C8"), number(3));
    EXPECT_EQ(value("H8"), host::Value(QStringLiteral("=100*3")));
    EXPECT_EQ(value("I8"), host::Value(host::ErrorValue{QStringLiteral("#VALUE!")}));
    EXPECT_EQ(value("I9"), number(30));
    // Fills travelled with their rows: number 3 was written in row 6 (even).
    EXPECT_EQ(fill("B8"), 2);
    EXPECT_EQ(fill("B6"), 39);
}

reg::Transaction dated(const char* date, const char* number, const char* description, const char* debit,
                      const char* credit) {
    return {QLatin1String(date), QLatin1String(number), QLatin1String(description), QString(), QString(),
            QLatin1String(debit), QLatin1String(credit)};
}

double serialOf(const QDate& date) { return double(QDate(1899, 12, 30).daysTo(date)); }

// The balance runs in time order: a deposit with no number dated before the
// checks comes first, not after them.
TEST_F(EngineRegister, TheBalanceRunsInTimeOrder) {
    generate({dated("1/5/2013", "101", "Check A", "100", ""), dated("1/3/2013", "", "Paycheck", "", "1000"),
              dated("1/10/2013", "102", "Check B", "50", "")});
    const double paycheck = 1000, checkA = paycheck - 100, checkB = checkA - 50;
    EXPECT_EQ(value("D6"), host::Value(QStringLiteral("Paycheck")));
    EXPECT_EQ(value("B6"), number(serialOf(QDate(2013, 1, 3))));
    EXPECT_EQ(value("I6"), number(paycheck));
    EXPECT_EQ(value("D7"), host::Value(QStringLiteral("Check A")));
    EXPECT_EQ(value("I7"), number(checkA));
    EXPECT_EQ(value("D8"), host::Value(QStringLiteral("Check B")));
    EXPECT_EQ(value("I8"), number(checkB));
    // Each keeps the fill of its place in the list: Check A row 6, Paycheck row 7, Check B row 8.
    EXPECT_EQ(fill("B6"), 39);
    EXPECT_EQ(fill("B7"), 2);
    EXPECT_EQ(fill("B8"), 2);
}

TEST_F(EngineRegister, OneDayGoesByNumberThenListOrderAndUnreadableDatesComeLast) {
    generate({dated("someday", "1", "Undated", "", "7"), dated("1/3/2013", "", "Deposit", "", "10"),
              dated("=TODAY()", "", "Formula-like", "", "1"), dated("2013-01-03", "12", "Check 12", "1", ""),
              dated("Jan 3, 2013", "", "Fee", "2", ""), dated("03.01.2013", "11", "Check 11", "3", "")});
    const QStringList order{"Check 11", "Check 12", "Deposit", "Fee", "Undated", "Formula-like"};
    for (int i = 0; i < order.size(); ++i)
        EXPECT_EQ(value(qPrintable(QStringLiteral("D%1").arg(6 + i))), host::Value(order[i])) << i;
    for (const char* address : {"B6", "B7", "B8", "B9"}) EXPECT_EQ(value(address), number(serialOf(QDate(2013, 1, 3))));
    EXPECT_EQ(value("B10"), host::Value(QStringLiteral("someday")));
    EXPECT_EQ(value("B11"), host::Value(QStringLiteral("=TODAY()")));
    const double check11 = -3, check12 = check11 - 1, deposit = check12 + 10, fee = deposit - 2;
    EXPECT_EQ(value("I6"), number(check11));
    EXPECT_EQ(value("I7"), number(check12));
    EXPECT_EQ(value("I8"), number(deposit));
    EXPECT_EQ(value("I9"), number(fee));
    EXPECT_EQ(value("I10"), number(fee + 7));
    EXPECT_EQ(value("I11"), number(fee + 7 + 1));
}

TEST_F(EngineRegister, EmptyListStillSavesTheHeaderSheet) {
    generate({});
    EXPECT_EQ(text("H4"), QStringLiteral("Credit (+)"));
    EXPECT_EQ(value("B6"), host::Value());
    EXPECT_EQ(value("I6"), host::Value());
}

// ---------------------------------------------------------------- other readers

QString run(const QString& program, const QStringList& arguments, int timeoutMs = 180000) {
    QProcess process;
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.start(program, arguments);
    if (!process.waitForFinished(timeoutMs)) return QStringLiteral("<no finish>");
    return QString::fromUtf8(process.readAll());
}

// A sheet holds 65,531 transactions below its header rows. Exactly that
// many fill it to its last row without a single report or message, and
// are sorted; one more is refused before anything starts.
TEST_F(EngineRegister, ExactlyTheRowLimitFillsTheSheetAndOneMoreIsRefused) {
    std::vector<reg::Transaction> rows;
    for (int i = 0; i < generate::kMostTransactions; ++i)
        rows.push_back(row(QByteArray::number(generate::kMostTransactions - i).constData(), "1", ""));
    generate(rows);
    EXPECT_TRUE(windows_.told.isEmpty()) << windows_.told.join('\n').toStdString();
    EXPECT_EQ(value("C6"), number(1));
    EXPECT_EQ(value("C65536"), number(generate::kMostTransactions));
    EXPECT_EQ(value("I65536"), number(-generate::kMostTransactions));

    rows.push_back(row("0", "1", ""));
    KeptWindows refused;
    generate::generateCheckRegister(1, reg::TransactionList(std::move(rows)), refused);
    EXPECT_EQ(refused.told, QStringList{generate::tooManyTransactionsMessage(65532)});
    EXPECT_TRUE(refused.excelFile.isEmpty());
    EXPECT_FALSE(refused.picture);
    EXPECT_TRUE(seams_.reporter.reports.empty());
    EXPECT_TRUE(seams_.prompter.messages.empty());
}

// TEMP on a full disk: the save reports the full disk at its own step, and
// no empty or broken workbook is left under the name for Save to copy.
TEST(EngineRegisterOnAFullDisk, TheSaveReportsItAndLeavesNoWorkbook) {
    testsupport::SmallDisk disk(256 * 1024);
    BREVANTA_NEEDS_SMALL_DISK(disk);
    testsupport::SeamGuard seams;
    engine::EmbeddedHostFactory factory{testsupport::xlsFiles()};
    host::setHostFactory(&factory);
    const QByteArray savedTemp = qgetenv("TEMP");
    qputenv("TEMP", disk.path().toLocal8Bit());
    disk.fill(4096);
    std::vector<reg::Transaction> rows(3000, row("1", "2", ""));
    KeptWindows windows;
    generate::generateCheckRegister(1, reg::TransactionList(std::move(rows)), windows);
    qputenv("TEMP", savedTemp);
    host::setHostFactory(nullptr);

    ASSERT_FALSE(seams.reporter.reports.empty());
    EXPECT_EQ(seams.reporter.reports[0].line, 158);
    EXPECT_TRUE(seams.reporter.reports[0].description.contains(QStringLiteral("No space left on device")))
        << seams.reporter.reports[0].description.toStdString();
    EXPECT_FALSE(QFile::exists(windows.excelFile));
    EXPECT_EQ(QDir(disk.path()).entryList(QDir::Files | QDir::Hidden), QStringList{QStringLiteral(".filler")});
}

TEST_F(EngineRegister, XlrdReadsTheTemporaryWorkbook) {
    if (!QFile::exists(QStringLiteral("/usr/bin/python3"))) GTEST_SKIP() << "no /usr/bin/python3";
    generate({row("1", "", "100"), row("2", "", ""), row("3", "30", "")});
    const QString out = run(QStringLiteral("/usr/bin/python3"),
                            {QStringLiteral("-c"),
                             QStringLiteral("import sys, xlrd\n"
                                            "s = xlrd.open_workbook(sys.argv[1]).sheet_by_index(0)\n"
                                            "print(s.name)\n"
                                            "print([s.cell_value(r, 8) for r in range(5, 8)])\n"),
                             windows_.excelFile});
    EXPECT_EQ(out.trimmed(), QStringLiteral("Check Register\n[100.0, '', 70.0]"));
}

TEST_F(EngineRegister, LibreOfficeRecalculatesTheSameBalances) {
    if (QStandardPaths::findExecutable(QStringLiteral("soffice")).isEmpty()) GTEST_SKIP() << "LibreOffice is not installed";
    generate({row("1", "", "100"), row("2", "", ""), row("3", "30", ""), row("4", "", ""), row("5", "", "=2*4")});
    // The same workbook with every cached result blanked: what LibreOffice
    // shows it computed from our formulas.
    auto book = xls::readWorkbook(windows_.excelFile);
    model::Sheet& sheet = *book->sheets[0];
    for (int r = 0; r < sheet.rowExtent(); ++r)
        for (auto& [c, cell] : sheet.rowCells(r))
            if (cell.formula) cell.value = 0.0;
    const QString stale = temp_.filePath(QStringLiteral("stale.xls"));
    xls::writeWorkbook(*book, stale);

    const QString outdir = temp_.filePath(QStringLiteral("office"));
    run(QStringLiteral("soffice"),
        {QStringLiteral("-env:UserInstallation=file://") + temp_.filePath(QStringLiteral("office-profile")),
         QStringLiteral("--headless"), QStringLiteral("--norestore"), QStringLiteral("--convert-to"),
         QStringLiteral("csv:Text - txt - csv (StarCalc):44,34,76"), QStringLiteral("--outdir"), outdir, stale});
    QFile csv(outdir + QStringLiteral("/stale.csv"));
    ASSERT_TRUE(csv.open(QIODevice::ReadOnly)) << "LibreOffice wrote no CSV";
    const QStringList lines = QString::fromUtf8(csv.readAll()).split(QLatin1Char('\n'));
    ASSERT_GE(lines.size(), 10);
    QStringList balances;
    for (int r = 5; r < 10; ++r) balances << lines[r].section(QLatin1Char(','), 8, 8);
    // The last amount, a formula typed as text, is no number to either.
    EXPECT_EQ(balances, (QStringList{"100", "", "70", "", "#VALUE!"}));
    // And the engine agrees.
    EXPECT_EQ(value("I10"), host::Value(host::ErrorValue{QStringLiteral("#VALUE!")}));
}

}  // namespace
}  // namespace brevanta
