#include "register/list_menu.h"

#include <QDropEvent>
#include <QFileInfo>
#include <QMenu>
#include <QMimeData>
#include <QTreeView>

#include "frame/app_title.h"
#include "frame/error_report.h"
#include "frame/last_folder.h"
#include "frame/prompter.h"
#include "frame/safe_file.h"
#include "register/cell_editing.h"
#include "register/form1.h"
#include "register/statement_import.h"
#include "statements/register_csv.h"

namespace brevanta::reg {
namespace {

const QString kModule = QStringLiteral("Form1");

// The local files a drag carries; empty when it carries anything else.
QStringList droppedFiles(const QMimeData* data) {
    QStringList paths;
    if (!data || !data->hasUrls()) return paths;
    for (const QUrl& url : data->urls()) {
        if (!url.isLocalFile()) return {};
        paths << url.toLocalFile();
    }
    return paths;
}

}  // namespace

ListMenu::ListMenu(Form1& form) : QObject(&form), form_(form) {
    import_ = new StatementImport(form_);
    editing_ = new CellEditing(form_.ListView1);

    menu_ = new QMenu(form_.ListView1);
    importAction_ = menu_->addAction(QStringLiteral("Import Bank Statement…"), this, &ListMenu::importBankStatement);
    exportAction_ = menu_->addAction(QStringLiteral("Export List as CSV…"), this, &ListMenu::exportListAsCsv);
    undoAction_ = menu_->addAction(QStringLiteral("Undo Import"), this, &ListMenu::undoImport);
    // Each says what it does, as the menu bar's items do.
    auto describe = [](QAction* action, const char* tip) {
        action->setToolTip(QString::fromUtf8(tip));
        action->setStatusTip(action->toolTip());
    };
    describe(importAction_, "Add the transactions of an OFX, QFX, QIF or bank CSV statement to the list, marking "
                            "those already there cleared");
    describe(exportAction_, "Save the list as a CSV file that spreadsheets and this program read back");
    describe(undoAction_, "Take back the latest import, with the opening balance it added");
    menu_->setToolTipsVisible(true);
    connect(menu_, &QMenu::aboutToShow, this, [this] { undoAction_->setEnabled(import_->canUndo()); });
    form_.ListView1->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(form_.ListView1, &QWidget::customContextMenuRequested, this,
            [this](const QPoint& at) { menu_->popup(form_.ListView1->viewport()->mapToGlobal(at)); });
    watchDrops();
}

void ListMenu::importBankStatement() {
    frame::Procedure proc(kModule, QStringLiteral("mnuImport_Click"));
    QStringList paths;
    proc.step(100, [&] {
        paths = frame::askOpenFileNames(
            {QStringLiteral("Import Bank Statement"),
             QStringLiteral("Bank Statements (*.ofx *.qfx *.qif *.csv);;All Files (*)")});
    });
    proc.step(102, [&] { import_->importFiles(paths); });
}

void ListMenu::exportListAsCsv() {
    frame::Procedure proc(kModule, QStringLiteral("mnuExport_Click"));
    QString path;
    proc.step(100, [&] {
        const frame::SaveDialogRequest request{QStringLiteral("Export List as CSV"), QStringLiteral("CSV Files (*.csv)"),
                                               QStringLiteral("Check Register.csv")};
        path = frame::withFilterExtension(frame::askSaveFileName(request), request.filter);
    });
    if (path.isEmpty()) return;
    bool replace = true;
    proc.step(102, [&] {
        if (QFileInfo::exists(path))
            replace = frame::prompter().message(frame::appTitle(),
                                                QStringLiteral("%1 already exists.\nDo you want to replace it?")
                                                    .arg(QFileInfo(path).fileName()),
                                                frame::Buttons::YesNo, frame::Icon::Warning) == frame::Answer::Yes;
    });
    if (!replace) return;
    proc.step(104, [&] { statements::exportListAsCsv(form_.transactions(), path); });
}

void ListMenu::undoImport() {
    frame::Procedure proc(kModule, QStringLiteral("mnuUndoImport_Click"));
    proc.step(100, [&] { import_->undoImport(); });
}

// A file dropped anywhere on the window is imported, also over an entry
// field, which would otherwise take the file's name as text.
void ListMenu::watchDrops() {
    form_.setAcceptDrops(true);
    form_.installEventFilter(this);
    for (QWidget* child : form_.findChildren<QWidget*>()) child->installEventFilter(this);
}

bool ListMenu::eventFilter(QObject* watched, QEvent* event) {
    switch (event->type()) {
    case QEvent::DragEnter:
    case QEvent::DragMove: {
        auto* drag = static_cast<QDragMoveEvent*>(event);
        if (droppedFiles(drag->mimeData()).isEmpty()) break;
        drag->acceptProposedAction();
        return true;
    }
    case QEvent::Drop: {
        auto* drop = static_cast<QDropEvent*>(event);
        const QStringList paths = droppedFiles(drop->mimeData());
        if (paths.isEmpty()) break;
        drop->acceptProposedAction();
        frame::Procedure proc(kModule, QStringLiteral("Form_OLEDragDrop"));
        proc.step(100, [&] { import_->importFiles(paths); });
        return true;
    }
    default:
        break;
    }
    return QObject::eventFilter(watched, event);
}

}  // namespace brevanta::reg
