#pragma once
// The main window's menu bar, above the window's controls (the window grows
// by the bar's height; the controls keep their places below it):
//   File: Import Bank Statement… (Ctrl+I), Export List as CSV…, Quit (Ctrl+Q)
//   Edit: Undo (Ctrl+Z), Redo (Ctrl+Shift+Z), Edit Cell (F2),
//         Delete Transaction (Del), Add Transaction
//   Help: Keyboard Shortcuts, About Brevanta
// with the balance at a glance in its right corner. Each action runs what
// the list's right-click menu, the list's keys or the window's buttons run.
// F2 and Del act while the list has the focus, so they never take a key
// from an entry field.

#include <QObject>
#include <QString>

class QAction;
class QMenuBar;

namespace brevanta::reg {

class BalanceGlance;
class Form1;

class MainMenu final : public QObject {
    Q_OBJECT

public:
    explicit MainMenu(Form1& form);

    QMenuBar* bar() const { return bar_; }
    BalanceGlance* balance() const { return balance_; }
    // How far the window's controls moved down: the bar's height (0 where
    // the bar is the system's own, outside the window).
    int barHeight() const { return barHeight_; }

    QAction* importAction = nullptr;
    QAction* exportAction = nullptr;
    QAction* quitAction = nullptr;
    QAction* undoAction = nullptr;
    QAction* redoAction = nullptr;
    QAction* editCellAction = nullptr;
    QAction* deleteAction = nullptr;
    QAction* addAction = nullptr;
    QAction* shortcutsAction = nullptr;
    QAction* aboutAction = nullptr;

    // Help > Keyboard Shortcuts: every key of the main window, in one box.
    void showShortcuts();
    // Help > About Brevanta.
    void showAbout();
    // Edit > Edit Cell: the current field of the list, as F2 there opens it.
    void editCell();

    static QString shortcutsText();

private:
    void buildFile();
    void buildEdit();
    void buildHelp();
    void placeAboveControls();

    Form1& form_;
    QMenuBar* bar_ = nullptr;
    BalanceGlance* balance_ = nullptr;
    int barHeight_ = 0;
};

}  // namespace brevanta::reg
