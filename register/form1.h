#pragma once
// The main window: entry fields, the transaction list and the five buttons.
// It runs the program's start-up (Form_Load) and keeps the list between
// runs. What it starts elsewhere (palette, host check, running-host guard,
// generation) comes in as hooks, so the window stands alone in tests.

#include <QCursor>
#include <QStringList>
#include <QWidget>
#include <array>
#include <functional>
#include <utility>
#include <optional>

#include "frame/web_site_visit.h"
#include "frame/error_report.h"
#include "ledger/saved_list.h"
#include "ledger/transaction_source.h"

class QAction;
class QDate;
class QDateEdit;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QTreeView;
class QUndoStack;

namespace brevanta::reg {

class ListStorage;
class TransactionModel;

class Form1 final : public QWidget {
    Q_OBJECT

public:
    // Window pointer values.
    static constexpr int kPointerDefault = 0;
    static constexpr int kPointerHourglass = 11;
    static constexpr int kPointerCustom = 99;

    // Routines of other parts of the program; an unset hook does nothing
    // (an unset warnIfExcelOpen answers false).
    struct Hooks {
        // Start-up's palette step (line 154). The program's palette is a
        // constant table, so the program sets none and the step does nothing.
        std::function<void()> initPalette;
        std::function<void()> checkExcelInstalled;
        std::function<bool()> warnIfExcelOpen;
        std::function<void(int)> generateCheckRegister;
    };

    // What start-up and closing touch outside the window. Tests point it at
    // folders and settings files of their own and a web-site visit that never opens.
    struct Environment {
        QString programFolder;             // empty: the folder the program runs from
        frame::WebSiteVisit webSiteVisit;  // default: the real draw and browser
        SavedListStore savedList;          // default: the user's settings
        QStringList rescueFolders;         // empty: the documents folder, then the temporary folder
    };

    explicit Form1(QWidget* parent = nullptr);
    ~Form1() override;

    void setHooks(Hooks hooks);
    void setEnvironment(Environment environment);
    const Environment& environment() const { return environment_; }

    // Start-up, run once before the window is first shown.
    void Form_Load();
    // Delete Selected Transaction.
    void PushButton1_Click();
    // Add Transaction.
    void PushButton2_Click();
    // Clear/Reset Data.
    void PushButton3_Click();
    // Load Sample/Example Data.
    void PushButton4_Click();
    // Start Creating Template. Does nothing while a generation runs (a second
    // click can arrive while the first generation lets window events through).
    void PushButton22_Click();
    bool generating() const { return generating_; }
    // Closing: stores the list.
    void Form_QueryUnload();

    // Writes the list to the saved-list store (reports under Form_QueryUnload).
    // A failure is reported every time: this is the store on closing, so
    // the list is first written to a rescue file named in the box.
    void storeList();
    // The store after a change of the list: a failure is reported once, and
    // later failures stay quiet until a store succeeds again.
    void storeChangedList();
    bool storePending() const;

    // The list ListView1 shows, and the history of its changes: every change
    // after start-up is an entry there, to undo and redo.
    TransactionModel& model() { return *model_; }
    QUndoStack& history();
    TransactionSource& transactions();
    // Appends a row ("Add Transaction"); its date takes the stored form when it reads unambiguously.
    void appendTransaction(const Transaction& transaction);
    // Undo and Redo of the list's history, with the history's texts ("Undo
    // Delete Transaction"); their keys, Ctrl+Z and Ctrl+Shift+Z, work anywhere
    // in the window but in a text box, which keeps its own undo. Delete acts
    // while the list has the focus. A menu may show these same actions.
    QAction* undoAction() const { return undoAction_; }
    QAction* redoAction() const { return redoAction_; }
    QAction* deleteAction() const { return deleteAction_; }

    int pointer() const { return pointer_; }
    void setPointer(int pointer);
    bool hasCustomPointer() const { return handCursor_.has_value(); }
    // The pointer moved over `control` (or a part of it): buttons show the
    // hand, the background, frames, labels and the list the default pointer,
    // entry fields leave it; nothing changes while the hourglass shows.
    void pointerMovedOver(QWidget* control);

    // The controls, named as the program knows them.
    QPushButton* PushButton22 = nullptr;
    QPushButton* PushButton3 = nullptr;
    QPushButton* PushButton4 = nullptr;
    std::array<QGroupBox*, 2> Frame1{};
    std::array<QLabel*, 9> Label4{};  // indexes 0, 1, 2, 4, 6, 7 and 8 exist
    QDateEdit* dtpDate = nullptr;
    QLineEdit* txtNumber = nullptr;
    QLineEdit* txtDescription = nullptr;
    QLineEdit* txtCategory = nullptr;
    QLineEdit* txtC = nullptr;
    QLineEdit* txtDebit = nullptr;
    QLineEdit* txtCredit = nullptr;
    QPushButton* PushButton2 = nullptr;
    QTreeView* ListView1 = nullptr;
    QPushButton* PushButton1 = nullptr;

signals:
    // Rows were added, removed, emptied or had a field changed, by whatever
    // route; the list is stored once the change is done.
    void listChanged();

protected:
    void closeEvent(QCloseEvent* event) override;
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void buildControls();
    void setTabOrder();
    void watchPointerAndFocus();
    void watchListChanges();
    void watchListKeys();
    void followUndoneChanges();
    void keepCurrentRow(int preferredPosition);
    void fillExample(frame::Procedure& proc, int firstLine, const QDate& date, const Transaction& fields);
    bool isTextBox(const QWidget* widget) const;

    Hooks hooks_;
    Environment environment_;
    TransactionModel* model_ = nullptr;
    ListStorage* storage_ = nullptr;
    QAction* undoAction_ = nullptr;
    QAction* redoAction_ = nullptr;
    QAction* deleteAction_ = nullptr;
    std::pair<int, int> changedCell_{-1, -1};  // row and field of the latest change; field -1 for whole rows
    int pointer_ = kPointerDefault;
    std::optional<QCursor> handCursor_;
    bool centred_ = false;
    bool generating_ = false;     // Start's generation is running
};

}  // namespace brevanta::reg
