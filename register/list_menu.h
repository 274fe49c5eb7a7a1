#pragma once
// The list's right-click menu and what comes with it: "Import Bank
// Statement…", "Export List as CSV…" and "Undo Import", files dropped on the
// main window imported, and fields edited where they stand.

#include <QObject>

class QAction;
class QMenu;

namespace brevanta::reg {

class CellEditing;
class Form1;
class StatementImport;

class ListMenu final : public QObject {
    Q_OBJECT

public:
    explicit ListMenu(Form1& form);

    // "Import Bank Statement…": the Open dialog, then the import.
    void importBankStatement();
    // "Export List as CSV…": the Save dialog, then the list as the register's CSV.
    void exportListAsCsv();
    // "Undo Import".
    void undoImport();

    QMenu* menu() const { return menu_; }
    QAction* importAction() const { return importAction_; }
    QAction* exportAction() const { return exportAction_; }
    QAction* undoAction() const { return undoAction_; }
    StatementImport& statementImport() const { return *import_; }
    CellEditing& cellEditing() const { return *editing_; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void watchDrops();

    Form1& form_;
    QMenu* menu_ = nullptr;
    QAction* importAction_ = nullptr;
    QAction* exportAction_ = nullptr;
    QAction* undoAction_ = nullptr;
    StatementImport* import_ = nullptr;
    CellEditing* editing_ = nullptr;
};

}  // namespace brevanta::reg
