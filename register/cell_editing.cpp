#include "register/cell_editing.h"

#include <QHeaderView>
#include <QKeyEvent>
#include <QLineEdit>
#include <QTreeView>

#include "frame/app_title.h"
#include "frame/prompter.h"
#include "ledger/amounts.h"
#include "ledger/dates.h"
#include "register/date_cell_editor.h"
#include "ledger/transaction_source.h"
#include "register/whole_characters.h"
#include "statements/statement_values.h"

namespace brevanta::reg {

CellText acceptCellText(int field, const QString& typed, const QLocale& locale) {
    if (field == Debit || field == Credit) {
        const ledger::AmountEntry amount =
            ledger::enterAmount(field == Debit ? QStringLiteral("Debit") : QStringLiteral("Credit"), typed, locale);
        return {amount.accepted, amount.text, amount.reason};
    }
    return {true, typed, {}};
}

CellEditing::CellEditing(QTreeView* list) : QObject(list), list_(list) {
    list_->installEventFilter(this);
    connect(list_, &QTreeView::doubleClicked, this, [this](const QModelIndex& cell) { edit(cell.row(), cell.column()); });
    // A change of the list from elsewhere while a field is edited (Undo or
    // Delete from the Edit menu, an import) closes the editor unchanged: its
    // text and its place belong to the list as it was, and Enter would write
    // that old text over the change. The editor's own change closes it too.
    QAbstractItemModel* model = list_->model();
    auto closeOnChange = [this] { cancel(); };
    for (auto rowsChanged : {&QAbstractItemModel::rowsInserted, &QAbstractItemModel::rowsRemoved})
        connect(model, rowsChanged, this, closeOnChange);
    connect(model, &QAbstractItemModel::dataChanged, this, closeOnChange);
    connect(model, &QAbstractItemModel::modelReset, this, closeOnChange);
    connect(model, &QAbstractItemModel::layoutChanged, this, closeOnChange);
}

bool CellEditing::edit(int row, int column) {
    const QModelIndex cell = list_->model()->index(row, column);
    if (!cell.isValid() || column >= kFieldCount) return false;
    if (isEditing()) cancel();
    cell_ = cell;
    list_->scrollTo(cell);
    const QString text = cell.data(Qt::EditRole).toString();
    QWidget* editor = nullptr;
    if (column == Date) {
        editor = new DateCellEditor(text, list_->viewport());
    } else {
        auto* lineEditor = new QLineEdit(list_->viewport());
        limitToWholeCharacters(lineEditor);
        lineEditor->setText(text);
        lineEditor->selectAll();
        editor = lineEditor;
    }
    editor->setObjectName(QStringLiteral("CellEditor"));
    const QRect rowArea = list_->visualRect(cell);
    QHeaderView* header = list_->header();
    // As wide as its text needs when the column is narrower, and moved left
    // as far as it takes to stay in view.
    const int width = qMax(header->sectionSize(column), editor->sizeHint().width());
    const int left = qMax(0, qMin(header->sectionViewportPosition(column), list_->viewport()->width() - width));
    editor->setGeometry(left, rowArea.top(), width, qMax(rowArea.height(), editor->sizeHint().height()));
    editor->installEventFilter(this);
    for (QObject* child : editor->findChildren<QObject*>()) child->installEventFilter(this);
    editor_ = editor;
    editor->show();
    editor->setFocus(Qt::OtherFocusReason);
    if (auto* dateEditor = qobject_cast<DateCellEditor*>(editor)) dateEditor->selectWholeText();
    return true;
}

QString CellEditing::editedText() const {
    return static_cast<QLineEdit*>(editor_.data())->text();
}

bool CellEditing::commit() {
    if (!isEditing()) return false;
    if (!cell_.isValid()) {  // the row went away meanwhile
        close();
        return false;
    }
    auto* dateEditor = qobject_cast<DateCellEditor*>(editor_.data());
    const CellText result = dateEditor ? dateEditor->cellText() : acceptCellText(cell_.column(), editedText());
    if (!result.accepted) {
        prompting_ = true;
        frame::prompter().message(frame::appTitle(), result.reason, frame::Buttons::Ok, frame::Icon::Warning);
        prompting_ = false;
        if (editor_) editor_->setFocus(Qt::OtherFocusReason);
        return false;
    }
    if (cell_.data(Qt::EditRole).toString() != result.text)
        list_->model()->setData(cell_, result.text);  // one "Edit Cell" of the history
    close();
    return true;
}

void CellEditing::cancel() { close(); }

void CellEditing::close() {
    if (!editor_) return;
    QWidget* editor = editor_;
    editor_.clear();
    editor->hide();
    editor->deleteLater();
    cell_ = QPersistentModelIndex();
    list_->setFocus(Qt::OtherFocusReason);
}

bool CellEditing::eventFilter(QObject* watched, QEvent* event) {
    if (watched == list_) {
        if (event->type() == QEvent::KeyPress && static_cast<QKeyEvent*>(event)->key() == Qt::Key_F2) {
            const QModelIndex current = list_->currentIndex();
            edit(current.row(), qMax(0, current.column()));
            return true;
        }
        return QObject::eventFilter(watched, event);
    }
    if (!isEditing()) return QObject::eventFilter(watched, event);
    if (event->type() == QEvent::KeyPress) {
        switch (static_cast<QKeyEvent*>(event)->key()) {
        case Qt::Key_Return:
        case Qt::Key_Enter: commit(); return true;
        case Qt::Key_Escape: cancel(); return true;
        default: break;
        }
    } else if (event->type() == QEvent::FocusOut && watched == editor_ && !prompting_) {
        // Clicking elsewhere leaves the field as it was; only Enter keeps a change.
        const auto reason = static_cast<QFocusEvent*>(event)->reason();
        if (reason == Qt::MouseFocusReason || reason == Qt::TabFocusReason || reason == Qt::BacktabFocusReason)
            cancel();
    }
    return QObject::eventFilter(watched, event);
}

}  // namespace brevanta::reg
