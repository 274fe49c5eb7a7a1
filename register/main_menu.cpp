#include "register/main_menu.h"

#include <QAction>
#include <QApplication>
#include <QKeyEvent>
#include <QMenu>
#include <QMenuBar>
#include <QScopeGuard>
#include <QTreeView>

#include "frame/app_title.h"
#include "frame/prompter.h"
#include "register/balance_glance.h"
#include "register/control_tips.h"
#include "register/form1.h"
#include "register/list_menu.h"

namespace brevanta::reg {
namespace {

QAction* addItem(QMenu* menu, const QString& text, const QKeySequence& keys, const QString& tip) {
    QAction* action = menu->addAction(text);
    if (!keys.isEmpty()) action->setShortcut(keys);
    action->setStatusTip(tip);
    action->setToolTip(tip);
    return action;
}

// The list's own menu and editing, made with the window.
ListMenu& listMenuOf(Form1& form) {
    auto* listMenu = form.findChild<ListMenu*>(QString(), Qt::FindDirectChildrenOnly);
    Q_ASSERT(listMenu);
    return *listMenu;
}

}  // namespace

MainMenu::MainMenu(Form1& form) : QObject(&form), form_(form) {
    setObjectName(QStringLiteral("MainMenu"));
    bar_ = new QMenuBar(&form_);
    bar_->setObjectName(QStringLiteral("MenuBar"));
    QFont regular = bar_->font();  // the window's font, without the bold of its captions
    regular.setBold(false);
    bar_->setFont(regular);
    buildFile();
    buildEdit();
    buildHelp();
    balance_ = new BalanceGlance(form_, bar_);
    bar_->setCornerWidget(balance_, Qt::TopRightCorner);
    giveControlTips(form_);
    placeAboveControls();
}

void MainMenu::buildFile() {
    QMenu* file = bar_->addMenu(QStringLiteral("&File"));
    file->setToolTipsVisible(true);
    ListMenu& listMenu = listMenuOf(form_);
    importAction = addItem(file, QStringLiteral("&Import Bank Statement…"), QKeySequence(Qt::CTRL | Qt::Key_I),
                           QStringLiteral("Add the transactions of an OFX, QFX, QIF or bank CSV statement to the "
                                          "list, marking those already there cleared"));
    connect(importAction, &QAction::triggered, &listMenu, &ListMenu::importBankStatement);
    exportAction = addItem(file, QStringLiteral("&Export List as CSV…"), {},
                           QStringLiteral("Save the list as a CSV file that spreadsheets and this program read back"));
    connect(exportAction, &QAction::triggered, &listMenu, &ListMenu::exportListAsCsv);
    file->addSeparator();
    quitAction = addItem(file, QStringLiteral("&Quit"), QKeySequence(Qt::CTRL | Qt::Key_Q),
                         QStringLiteral("Keep the list for next time and close the program"));
    quitAction->setMenuRole(QAction::QuitRole);
    connect(quitAction, &QAction::triggered, &form_, &QWidget::close);
}

void MainMenu::buildEdit() {
    QMenu* edit = bar_->addMenu(QStringLiteral("&Edit"));
    edit->setToolTipsVisible(true);
    // The list's own actions: their texts name what they undo and redo, they
    // are enabled only when there is something, and a text box claims their
    // keys first, so it keeps Ctrl+Z for its own text.
    undoAction = form_.undoAction();
    redoAction = form_.redoAction();
    for (QAction* action : {undoAction, redoAction}) {
        const QString tip = action == undoAction ? QStringLiteral("Take back the last change to the list")
                                                 : QStringLiteral("Make again the change last taken back");
        action->setStatusTip(tip);
        action->setToolTip(tip);
        edit->addAction(action);
    }
    edit->addSeparator();
    editCellAction = addItem(edit, QStringLiteral("Edit &Cell"), QKeySequence(Qt::Key_F2),
                             QStringLiteral("Edit the selected field of the list where it stands; Return keeps the "
                                            "change, Esc drops it"));
    connect(editCellAction, &QAction::triggered, this, &MainMenu::editCell);
    // Offered, as Delete Transaction is, only while the list has a row.
    QAction* deleting = form_.deleteAction();
    editCellAction->setEnabled(deleting->isEnabled());
    connect(deleting, &QAction::enabledChanged, editCellAction, &QAction::setEnabled);
    deleteAction = form_.deleteAction();
    deleteAction->setStatusTip(QStringLiteral("Delete the selected transaction"));
    deleteAction->setToolTip(deleteAction->statusTip());
    edit->addAction(deleteAction);
    // F2 and Del belong to the list: in an entry field they stay the field's.
    editCellAction->setShortcutContext(Qt::WidgetShortcut);
    form_.ListView1->addAction(editCellAction);
    addAction = addItem(edit, QStringLiteral("&Add Transaction"), {},
                        QStringLiteral("Add the entry fields to the list, as Return in a field does"));
    connect(addAction, &QAction::triggered, &form_, &Form1::PushButton2_Click);
}

void MainMenu::buildHelp() {
    QMenu* help = bar_->addMenu(QStringLiteral("&Help"));
    help->setToolTipsVisible(true);
    shortcutsAction = addItem(help, QStringLiteral("&Keyboard Shortcuts"), {},
                              QStringLiteral("Every key of this window"));
    connect(shortcutsAction, &QAction::triggered, this, &MainMenu::showShortcuts);
    aboutAction = addItem(help, QStringLiteral("&About Brevanta"), {},
                          QStringLiteral("What this program is, and its version"));
    aboutAction->setMenuRole(QAction::AboutRole);
    connect(aboutAction, &QAction::triggered, this, &MainMenu::showAbout);
}

// The bar goes above the controls: the window grows by its height and every
// control moves down by as much, so the area below the bar is the window
// as it was.
void MainMenu::placeAboveControls() {
    if (bar_->isNativeMenuBar()) return;  // the system shows it outside the window
    barHeight_ = bar_->sizeHint().height();
    const QSize client = form_.size();
    for (QWidget* control : form_.findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly))
        if (control != bar_ && !control->isWindow()) control->move(control->pos() + QPoint(0, barHeight_));
    bar_->setGeometry(0, 0, client.width(), barHeight_);
    form_.setFixedSize(client.width(), client.height() + barHeight_);
}

void MainMenu::editCell() {
    // As F2 in the list: the list's own editing opens the editor. The key
    // would come back here as this action's shortcut while it is enabled.
    editCellAction->setEnabled(false);
    const auto enable = qScopeGuard([this] { editCellAction->setEnabled(true); });
    QKeyEvent press(QEvent::KeyPress, Qt::Key_F2, Qt::NoModifier);
    QApplication::sendEvent(form_.ListView1, &press);
}

namespace {

struct KeyRow {
    const char* keys;
    const char* does;
};
struct KeyGroup {
    const char* where;
    std::initializer_list<KeyRow> rows;
};

}  // namespace

QString MainMenu::shortcutsText() {
    static const KeyGroup groups[] = {
        {"Anywhere in the window",
         {{"Ctrl+I", "Import a bank statement"},
          {"Ctrl+Q", "Quit (the list is kept)"},
          {"Ctrl+Z", "Undo the last change to the list (in a field, its own typing)"},
          {"Ctrl+Shift+Z", "Redo"},
          {"Tab, Shift+Tab", "Next and previous control"}}},
        {"In the entry fields",
         {{"Return", "Add the transaction"},
          {"Up, Down", "Step the part of the date the cursor is in"},
          {"Left, Right", "Move between the parts of the date"},
          {"Letters", "Pick a month by name in the date (\"o\" October, \"jul\" July)"},
          {"Alt+Down", "Open the calendar"}}},
        {"In the list",
         {{"F2, double-click", "Edit the field (Return keeps, Esc drops)"},
          {"Del", "Delete the selected transaction"},
          {"Menu key, right-click", "Import, Export List as CSV, Undo Import"}}},
    };
    QString text = QStringLiteral("<table cellspacing=\"2\">");
    for (const KeyGroup& group : groups) {
        text += QStringLiteral("<tr><td colspan=\"2\"><b>%1</b></td></tr>").arg(QLatin1String(group.where));
        for (const KeyRow& row : group.rows)
            text += QStringLiteral("<tr><td>%1&nbsp;&nbsp;</td><td>%2</td></tr>")
                        .arg(QLatin1String(row.keys), QString::fromUtf8(row.does).toHtmlEscaped());
    }
    return text + QStringLiteral("</table>");
}

void MainMenu::showShortcuts() {
    // Window systems add the program's name after a title that does not end with it.
    frame::prompter().message(QStringLiteral("Keyboard Shortcuts"), shortcutsText(),
                              frame::Buttons::Ok, frame::Icon::None);
}

void MainMenu::showAbout() {
    frame::prompter().message(
        QStringLiteral("About ") + frame::appTitle(),
        QStringLiteral("%1 %2\n\nKeeps a checkbook register: type or import your transactions, and it lays them "
                       "out as a formatted Check Register workbook you can save as .xls or .xlsx, print or "
                       "export as PDF.")
            .arg(QString::fromLatin1(frame::kProductTitle), QStringLiteral(BREVANTA_VERSION)),
        frame::Buttons::Ok, frame::Icon::None);
}

}  // namespace brevanta::reg
