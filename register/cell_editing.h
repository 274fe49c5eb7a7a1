#pragma once
// Editing a field of the list where it stands: double-click or F2 opens an
// editor over the cell (a date editor in the Date column), Enter keeps the
// change when it passes the tests of the entry fields, Esc cancels. A
// refused text shows a message and the editor stays open. A kept change goes
// to the list's model, where it is an "Edit Cell" of the history.

#include <QLocale>
#include <QObject>
#include <QPersistentModelIndex>
#include <QPointer>
#include <QString>

class QTreeView;
class QWidget;

namespace brevanta::reg {

// What a typed text becomes in field `field`, or why it is refused; Add
// Transaction and editing in place both ask it. Debit and Credit take an
// amount (ledger/amounts.h: "12.50", "1,234.50", "$12", the locale's "12,50")
// and keep it as typed, or empty when it is zero; the other text fields
// take any text.
struct CellText {
    bool accepted = false;
    QString text;    // what the field will hold
    QString reason;  // why it was refused
};
CellText acceptCellText(int field, const QString& typed, const QLocale& locale = QLocale());

class CellEditing final : public QObject {
    Q_OBJECT

public:
    explicit CellEditing(QTreeView* list);

    // Opens the editor on field `column` of `row` (0-based); false when there is no such cell.
    bool edit(int row, int column);
    bool isEditing() const { return !editor_.isNull(); }
    QWidget* editor() const { return editor_; }
    // Enter: keeps the edited text when it passes; false when refused (the editor stays open).
    bool commit();
    // Esc: closes the editor, the field unchanged.
    void cancel();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QString editedText() const;
    void close();

    QTreeView* list_;
    QPointer<QWidget> editor_;
    QPersistentModelIndex cell_;  // invalid once its row goes away
    bool prompting_ = false;  // a message about the edit is showing: losing the focus is no cancel
};

}  // namespace brevanta::reg
