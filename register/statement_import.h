#pragma once
// Bank statements into the main window's list, and back out of it.
//
// Each file is read whole before anything changes (a damaged file changes
// nothing; the window goes on meanwhile, register/statement_reading.h), then reconciled with the rows already there: matched rows are
// marked cleared, the other entries are appended; all the files together
// are one "Import Bank Statement" of the list's history. One message at the
// end says what each file did. When a statement's balance differs from the
// register's because the register's opening balance is missing, the message
// offers to add it as a row, an "Opening Balance" of the history. "Undo
// Import" undoes the last import (added rows and the opening balance
// removed, cleared marks restored) while it is the history's latest change.

#include <QObject>
#include <QString>
#include <QStringList>

namespace brevanta::reg {

class Form1;

class StatementImport final : public QObject {
    Q_OBJECT

public:
    explicit StatementImport(Form1& form);

    // Imports the files one after another and shows one message.
    void importFiles(const QStringList& paths);
    bool canUndo() const;
    void undoImport();

private:
    Form1& form_;
    bool importing_ = false;  // a statement is being read: no second import meanwhile
};

}  // namespace brevanta::reg
