#include "generate/check_register.h"

#include <QDir>
#include <QFile>
#include <chrono>

#include "frame/disk_files.h"
#include "frame/error_report.h"
#include "frame/temporary_files.h"
#include "generate/category_summary.h"
#include "generate/register_layout.h"
#include "host/connection.h"
#include "host/host_factory.h"

namespace brevanta::generate {

using host::must;

std::mt19937& temporaryNameGenerator() {
    // Seeded once per run; drawing every digit from the one sequence.
    static std::mt19937 generator = [] {
        std::random_device device;
        const auto now = static_cast<unsigned>(std::chrono::steady_clock::now().time_since_epoch().count());
        std::seed_seq seed{device(), device(), now};
        return std::mt19937(seed);
    }();
    return generator;
}

namespace {

QString inFolder(const QString& folder, const QString& name) {
    return QDir::toNativeSeparators(QDir(folder).filePath(name));
}

}  // namespace

QString temporaryFolder() { return frame::temporaryFolder(); }

int drawTemporaryNameDigit(std::mt19937& generator) { return std::uniform_int_distribution<int>(1, 9)(generator); }

QString drawTemporaryName(std::mt19937& generator) {
    QString name = QStringLiteral("vantor");
    for (int i = 0; i < 8; ++i) name += QChar(u'0' + drawTemporaryNameDigit(generator));
    return name;
}

void generateCheckRegister(int selector, const reg::TransactionSource& transactions, GenerationWindows& windows) {
    frame::Procedure proc(QStringLiteral("CheckRegister"), QStringLiteral("GenerateCheckRegister"));
    // The host and workbook of this generation only; they go when it ends.
    host::HostSession session;
    auto host = [&]() -> host::Application& { return must(session.excelApp); };

    if (transactions.rowCount() > kMostTransactions) {
        windows.tell(tooManyTransactionsMessage(transactions.rowCount()));
        return;
    }
    if (const std::vector<int> rows = rowsWithOverlongText(transactions); !rows.empty())
        windows.tell(overlongTextMessage(rows));
    if (const std::vector<int> rows = rowsWithAmountsBeyondLimit(transactions); !rows.empty())
        windows.tell(amountsBeyondLimitMessage(rows));

    proc.step(102, [&] { host::createExcelApp(session); });
    proc.step(104, [&] { host().setVisible(false); });
    proc.step(106, [&] { host().setScreenUpdating(false); });
    proc.step(108, [&] { host().setDisplayAlerts(false); });
    proc.step(110, [&] { host().setEnableEvents(false); });
    proc.step(112, [&] { host().setEnableCancelKey(host::xl::CancelKeyDisabled); });
    proc.step(114, [&] { host().setCursor(host::xl::CursorWait); });
    proc.step(118, [&] { session.excelBook = host().workbooks().add(); });
    // The register's sheet, and the summary's after it when asked for.
    const int kept = windows.wantsCategorySummary() ? 2 : 1;
    int sheetCount = 0;
    proc.step(120, [&] { sheetCount = host().sheets().count(); });
    for (int k = kept; k < sheetCount; ++k)
        proc.step(122, [&] { must(host().sheets().item(kept + 1)).remove(); });
    proc.step(124, [&] { must(host().sheets().item(1)).setName(QStringLiteral("Check Register")); });
    proc.step(126, [&] { generateReport(session, selector, transactions); });
    proc.step(128, [&] { must(host().range(QStringLiteral("B6"))).select(); });
    if (kept == 2) {
        proc.step(129, [&] {
            const host::WorksheetPtr summary = host().sheets().item(2);
            must(summary).setName(QLatin1String(kCategorySummarySheet));
            summary->select();
        });
        proc.step(129, [&] { generateCategorySummary(session, transactions); });
    }
    proc.step(130, [&] { must(host().sheets().item(1)).select(); });
    proc.step(132, [&] { host().setCursor(host::xl::CursorDefault); });
    proc.step(134, [&] { host().setScreenUpdating(true); });
    proc.step(136, [&] { host().setDisplayAlerts(true); });
    proc.step(138, [&] { host().setEnableEvents(true); });
    proc.step(140, [&] { host().setEnableCancelKey(host::xl::CancelKeyInterrupt); });
    windows.phaseFinished("layout");

    // A fresh name, redrawn whole while a file of that name exists. The name
    // is taken by creating the file exclusively, so nothing planted under it
    // is ever written through.
    QString folder;
    QString path;
    bool taken = true;
    const int failuresBeforeName = proc.failures();
    do {
        QString name;
        // Eight digits, each drawn and appended as a statement of its own; the
        // generator is seeded once per run rather than from the clock each time.
        proc.step(142, [&] { name = QStringLiteral("vantor"); });
        int digit = 1;
        for (int i = 0; i < 8; ++i) {
            proc.step(148, [&] { digit = drawTemporaryNameDigit(temporaryNameGenerator()); });
            proc.step(150, [&] { name += QChar(u'0' + digit); });
        }
        proc.step(154, [&] {
            if (folder.isEmpty()) folder = temporaryFolder();
            path = inFolder(folder, name + QStringLiteral(".xls"));
        });
        proc.step(156, [&] {
            taken = !frame::createFileExclusively(path);
            if (!taken) frame::rememberTemporaryFile(path);
        });
    } while (taken && proc.failures() == failuresBeforeName);

    const int failuresBeforeSave = proc.failures();
    proc.step(158, [&] { must(session.excelBook).saveAs(path, host::excelSaveFormat(session.excelApp)); });
    // No empty or old file is left under the name for the preview to copy.
    if (proc.failures() != failuresBeforeSave && !taken) QFile::remove(path);
    proc.step(160, [&] { host().setDisplayAlerts(false); });
    proc.step(162, [&] { must(session.excelBook).close(); });
    proc.step(164, [&] { host().quit(); });
    proc.step(166, [&] { host::releaseExcelApp(session); });
    session.excelBook.reset();
    windows.phaseFinished("save");

    const QString picturePath = inFolder(folder, QLatin1String(kPictureFileName));
    const bool picture = windows.wantsPicture();
    host::ApplicationPtr second;
    host::WorkbookPtr book;
    if (picture) frame::rememberTemporaryFile(picturePath);
    if (picture) proc.step(168, [&] { second = host::openWorkbookInNewExcel(path); });
    proc.step(170, [&] { windows.setMainPointer(11); });
    if (picture) proc.step(172, [&] {
        host::Workbooks& books = must(second).workbooks();
        book = books.item(books.count());
    });
    windows.phaseFinished("reopen");
    if (picture) {
        proc.step(174, [&] {
            host::saveCellsActivesheet(book, picturePath,
                                       windows.pictureThroughClipboard() ? host::PictureRoute::Clipboard
                                                                         : host::PictureRoute::Direct);
        });
        proc.step(176, [&] { must(second).setDisplayAlerts(false); });
        proc.step(178, [&] { must(book).close(); });
        proc.step(180, [&] { must(second).quit(); });
    }
    proc.step(182, [&] { windows.setMainPointer(0); });
    windows.phaseFinished("picture");

    if (picture) proc.step(184, [&] { windows.loadPreviewPicture(picturePath); });
    proc.step(186, [&] { windows.setPreviewExcelFile(path); });
    proc.step(188, [&] { windows.showPreview(); });
    proc.step(190, [&] { windows.hideMain(); });
    if (picture) proc.step(192, [&] { frame::deleteFileQuietly(picturePath); });
    windows.phaseFinished("preview");
}

}  // namespace brevanta::generate
