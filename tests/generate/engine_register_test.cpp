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

#include "engine/paint/picture_file.h"
#include "engine/paint/picture_mime.h"
#include "engine/embedded/embedded_host.h"
#include "generate/check_register.h"
#include "generate/palette.h"
#include "generate/register_layout.h"
#include "host/connection.h"
#include "host/host_factory.h"
#include "tests/support/recording.h"
#include "tests/support/small_disk.h"
#include "xls/xls_file.h"

namespace brevanta {
namespace {

class KeptWindows final : public generate::GenerationWindows {
public:
    void setMainPointer(int) override {}
    void hideMain() override {}
    void loadPreviewPicture(const QString& path) override {
        picture = paint::loadPictureFile(path);
        if (!picture) throw frame::Failure(QStringLiteral("Invalid picture"));
    }
    void setPreviewExcelFile(const QString& path) override { excelFile = path; }
    void showPreview() override {}
    void tell(const QString& text) override { told << text; }
    bool pictureThroughClipboard() const override { return throughClipboard; }
    bool throughClipboard = true;
    paint::SharedPicture picture;
    QStringList told;
    QString excelFile;
};

// One generation on the engine, in a private temporary folder; the saved
// workbook reopened in a fresh host to look at.
class EngineRegister : public ::testing::Test {
protected:
    void SetUp() override {
        host::setHostFactory(&factory_);
        savedTemp_ = qgetenv("TEMP");
        qputenv("TEMP", temp_.path().toLocal8Bit());
        generate::initPalette();
    }
    void TearDown() override {
        if (reopened_) reopened_->quit();
        qputenv("TEMP", savedTemp_);
        host::setHostFactory(nullptr);
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

    testsupport::SeamGuard seams_;
    engine::EmbeddedHostFactory factory_;
    QTemporaryDir temp_;
    QByteArray savedTemp_;
    KeptWindows windows_;
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
    EXPECT_EQ(reopened_->activeWorkbook()->color(39), generate::mPalette[38]);
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

TEST_F(EngineRegister, AmountsAreTypedEntryAndSortedBalancesFollowTheNumbers) {
    // A formula as an amount is computed; text that is no number shows an
    // error in its own row only; the sort carries the rows, not the balances.
    generate({row("3", "", "=100*3"), row("1", "", "50"), row("2", "oops", ""), row("4", "20", "")});
    EXPECT_EQ(value("C6"), number(1));
    EXPECT_EQ(value("I6"), number(50));
    EXPECT_EQ(value("C7"), number(2));
    EXPECT_EQ(value("I7"), host::Value(host::ErrorValue{QStringLiteral("#VALUE!")}));
    EXPECT_EQ(value("C8"), number(3));
    EXPECT_EQ(value("H8"), number(300));
    EXPECT_EQ(value("I8"), number(350));
    EXPECT_EQ(value("I9"), number(330));
    // Fills travelled with their rows: number 3 was written in row 6 (even).
    EXPECT_EQ(fill("B8"), 2);
    EXPECT_EQ(fill("B6"), 39);
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
    EXPECT_EQ(host::mExcelApp, nullptr);
    EXPECT_TRUE(seams_.reporter.reports.empty());
    EXPECT_TRUE(seams_.prompter.messages.empty());
}

// TEMP on a full disk: the save reports the full disk at its own step, and
// no empty or broken workbook is left under the name for Save to copy.
TEST(EngineRegisterOnAFullDisk, TheSaveReportsItAndLeavesNoWorkbook) {
    testsupport::SmallDisk disk(256 * 1024);
    BREVANTA_NEEDS_SMALL_DISK(disk);
    testsupport::SeamGuard seams;
    engine::EmbeddedHostFactory factory;
    host::setHostFactory(&factory);
    const QByteArray savedTemp = qgetenv("TEMP");
    qputenv("TEMP", disk.path().toLocal8Bit());
    generate::initPalette();
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
    EXPECT_EQ(balances, (QStringList{"100", "", "70", "", "78"}));
    // And the engine agrees.
    EXPECT_EQ(value("I10"), number(78));
}

}  // namespace
}  // namespace brevanta
