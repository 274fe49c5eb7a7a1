// The preview's way to paper: a right-click on the picture offers "Print…"
// and "Export PDF…", the same actions as the File menu's (where Ctrl+P
// prints). Both work from the generated workbook, so the pages follow its
// page set-up.

#include <QMenu>
#include <QMouseEvent>
#include <QPrinter>
#include <optional>

#include "frame/app_title.h"
#include "frame/disk_files.h"
#include "frame/error_report.h"
#include "frame/last_folder.h"
#include "frame/prompter.h"
#include "preview/form2.h"
#include "preview/image_surface.h"
#include "preview/workbook_copy.h"
#include "print/sheet_printout.h"

namespace brevanta::preview {
namespace {

const QString kModule = QStringLiteral("Form2");

// Watches the picture for a right-button click that did not drag it: any
// held button drags the picture, so the menu waits for the release and
// shows only when the picture stayed where it was.
class RightClickWatcher final : public QObject {
public:
    RightClickWatcher(QWidget* surface, std::function<void(QPoint)> clicked)
        : QObject(surface), surface_(surface), clicked_(std::move(clicked)) {}

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (watched == surface_ && event->type() == QEvent::MouseButtonPress &&
            static_cast<QMouseEvent*>(event)->button() == Qt::RightButton) {
            pressedAt_ = surface_->pos();
        } else if (watched == surface_ && event->type() == QEvent::MouseButtonRelease &&
                   static_cast<QMouseEvent*>(event)->button() == Qt::RightButton && pressedAt_) {
            const bool stayed = *pressedAt_ == surface_->pos();
            pressedAt_.reset();
            if (stayed) clicked_(static_cast<QMouseEvent*>(event)->globalPosition().toPoint());
        }
        return false;  // the drag handlers see every event as before
    }

private:
    QWidget* surface_;
    std::function<void(QPoint)> clicked_;
    std::optional<QPoint> pressedAt_;
};

}  // namespace

void Form2::setUpPrintMenu() {
    PopupMenu1 = new QMenu(this);
    PopupMenu1->setObjectName(QStringLiteral("PopupMenu1"));
    mnuPrint = PopupMenu1->addAction(QStringLiteral("Print…"));
    mnuExportPdf = PopupMenu1->addAction(QStringLiteral("Export PDF…"));
    connect(mnuPrint, &QAction::triggered, this, [this] { mnuPrint_Click(); });
    connect(mnuExportPdf, &QAction::triggered, this, [this] { mnuExportPdf_Click(); });
    auto* watcher = new RightClickWatcher(Picture1, [this](QPoint at) { PopupMenu1->popup(at); });
    Picture1->installEventFilter(watcher);
}

void Form2::mnuPrint_Click() {
    frame::Procedure proc(kModule, QStringLiteral("mnuPrint_Click"));
    std::optional<print::Printout> printout;
    std::optional<QPrinter> printer;
    bool accepted = false;
    proc.step(100, [&] { printout = print::printoutOfWorkbookFile(mExcelFile); });
    if (!proc.trueOrFailed(102, [&] { return printout.has_value(); })) return;
    proc.step(104, [&] {
        printer.emplace(QPrinter::HighResolution);
        print::setUpPrinter(*printer, printout->plan);
    });
    if (!proc.trueOrFailed(106, [&] { return printer.has_value(); })) return;
    proc.step(108, [&] { accepted = frame::prompter().printDialog(*printer); });
    // A cancelled dialog prints nothing and says nothing.
    if (proc.trueOrFailed(110, [&] { return accepted; })) proc.step(112, [&] { print::printOn(*printer, *printout); });
}

void Form2::mnuExportPdf_Click() {
    frame::Procedure proc(kModule, QStringLiteral("mnuExportPdf_Click"));
    frame::SaveDialogRequest request;
    QString chosenName;
    std::optional<frame::Answer> answer;
    proc.step(100, [&] { request.fileName = QStringLiteral("Check Register.pdf"); });
    proc.step(102, [&] { request.title = QStringLiteral("Export PDF"); });
    proc.step(104, [&] { request.filter = QStringLiteral("PDF Files (*.pdf)"); });
    proc.step(106, [&] { chosenName = frame::withFilterExtension(frame::askSaveFileName(request), request.filter); });
    if (proc.trueOrFailed(110, [&] { return !chosenName.isEmpty(); })) {
        if (proc.trueOrFailed(112, [&] { return frame::fileExists(chosenName); })) {
            proc.step(114, [&] { answer = askToOverwrite(chosenName); });
        } else {
            proc.step(120, [&] { answer = frame::Answer::Yes; });
        }
    }
    if (!proc.trueOrFailed(122, [&] { return answer == frame::Answer::Yes; })) return;
    // Written beside the chosen name and renamed over it, so a failure leaves any old file whole.
    const int failuresBefore = proc.failures();
    proc.step(124, [&] { print::writePdf(print::printoutOfWorkbookFile(mExcelFile), chosenName); });
    if (proc.failures() == failuresBefore)
        proc.step(126, [&] {
            frame::sayDone(chosenName);
        });
}

}  // namespace brevanta::preview
