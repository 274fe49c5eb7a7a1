#include "host/connection.h"

#include <QImage>
#include <QLocale>
#include <cmath>

#include "frame/app_title.h"
#include "frame/error_report.h"
#include "frame/program_end.h"
#include "frame/prompter.h"
#include "host/host_factory.h"
#include "picture/picture_file.h"
#include "picture/picture_mime.h"

namespace brevanta::host {

QString notInstalledText() {
    const QString paragraphBreak = QStringLiteral("\r\n\r\n");
    return QStringLiteral("Error 842001. A normal instance of Excel could not be created.") + paragraphBreak +
           QStringLiteral("1. Please make sure Excel is installed on this computer.") + paragraphBreak +
           QStringLiteral("2. Please open Excel normally and make sure a blank spreadsheet opens immediately "
                          "without any interrupting window (such as an Excel file recovery window).") +
           paragraphBreak +
           QStringLiteral("3. Please make sure that when you double-click on a XLS or XLSX file that Excel "
                          "opens normally without any interrupting messages.") +
           paragraphBreak +
           QStringLiteral("4. All versions of Excel are supported by this software except for the rare Excel "
                          "Starter and Student editions.");
}

void checkExcelInstalled() {
    bool created = false;
    try {
        // The probe is let go at once, without being told to quit.
        created = createHost() != nullptr;
    } catch (...) {
        created = false;
    }
    if (created) return;
    try {
        frame::prompter().message(frame::appTitle(), notInstalledText(), frame::Buttons::Ok, frame::Icon::None);
    } catch (...) {
    }
    frame::endProgram();
}

bool isExcelRunning() {
    try {
        HostFactory* factory = hostFactory();
        if (!factory) return false;
        // The attached instance is only looked at, never changed or quit.
        ApplicationPtr running = factory->attachRunning();
        return running && running->defaultValue() == QLatin1String(kGenuineHostName);
    } catch (...) {
        return false;
    }
}

QString excelOpenQuestionText() {
    return QStringLiteral("Excel may be open. It is recommended that you close Excel first.") + QStringLiteral("\r") +
           QStringLiteral("Use Ctrl+Alt+Del > Task Manager > EXCEL.EXE if necessary.") + QStringLiteral("\r\n\r\n") +
           QStringLiteral("Would you like to proceed anyway?");
}

bool warnIfExcelOpen() {
    if (!isExcelRunning()) return false;
    const frame::Answer answer = frame::prompter().message(frame::appTitle(), excelOpenQuestionText(),
                                                           frame::Buttons::YesNo, frame::Icon::None);
    return answer != frame::Answer::Yes;
}

void createExcelApp(HostSession& session) { session.excelApp = createHost(); }

void releaseExcelApp(HostSession& session) { session.excelApp.reset(); }

int saveFormatForVersion(const QString& versionText) {
    // The host may write its version with either mark ("16.0", "16,0"); both read as the locale's own.
    const QLocale locale;
    QString text = versionText.trimmed();
    text.replace(QLatin1Char('.'), locale.decimalPoint());
    text.replace(QLatin1Char(','), locale.decimalPoint());
    bool ok = false;
    const double version = locale.toDouble(text, &ok);
    if (!ok) throw HostError(frame::failures::kTypeMismatch);
    // Whole number, halves to the even neighbour.
    const double whole = std::nearbyint(version);
    return whole > 11 ? xl::FileFormatExcel8 : xl::FileFormatNormal;
}

int excelSaveFormat(const ApplicationPtr& app) {
    QString versionText;
    if (!app) {
        ApplicationPtr fresh = createHost();
        versionText = fresh->version();
        fresh->quit();
    } else {
        versionText = app->version();
    }
    return saveFormatForVersion(versionText);
}

ApplicationPtr openWorkbookInNewExcel(const QString& path) {
    ApplicationPtr app = createHost();
    app->workbooks().open(path);
    return app;
}

void saveCellsActivesheet(const WorkbookPtr& workbook, const QString& path, PictureRoute route) {
    frame::Procedure proc(QStringLiteral("Excel1"), QStringLiteral("saveCellsActivesheet"));
    WorksheetPtr sheet;
    int lastRow = 0;
    int lastColumn = 0;
    proc.step(100, [&] { sheet = must(workbook).activeSheet(); });
    proc.step(102, [&] {
        RangePtr rows = must(must(sheet).usedRange()).rows();
        lastRow = must(must(rows).item(rows->count())).row();
    });
    proc.step(104, [&] {
        RangePtr columns = must(must(sheet).usedRange()).columns();
        lastColumn = must(must(columns).item(columns->count())).column();
    });
    if (!proc.trueOrFailed(106, [&] { return lastRow > 1 && lastColumn > 1; })) return;
    paint::SharedPicture picture;
    proc.step(110, [&] {
        RangePtr used = must(sheet).usedRange();
        if (route == PictureRoute::Direct) picture = must(used).picture();
        else must(used).copyPicture();
    });
    proc.step(112, [&] {
        if (route == PictureRoute::Clipboard) picture = paint::pictureFromClipboard();
        if (!picture || picture->isNull()) throw frame::Failure(QStringLiteral("Invalid picture"));
        if (!paint::savePictureFile(picture, path))
            throw frame::Failure(QStringLiteral("Path/File access error"));
    });
}

}  // namespace brevanta::host
