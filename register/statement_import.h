#pragma once
// Bank statements into the main window's list, and back out of it.
//
// Each file is read whole before anything changes (a damaged file changes
// nothing; the window goes on meanwhile, register/statement_reading.h), then reconciled with the rows already there: matched rows are
// marked cleared, the other entries are appended. One message at the end
// says what each file did. When a statement's balance differs from the
// register's because the register's opening balance is missing, the message
// offers to add it as a row. "Undo Import" takes the last import back (added
// rows and the opening balance removed, cleared marks restored) until the
// list changes otherwise.

#include <QObject>
#include <QString>
#include <QStringList>
#include <optional>
#include <utility>
#include <vector>

namespace brevanta::reg {

class Form1;

class StatementImport final : public QObject {
    Q_OBJECT

public:
    explicit StatementImport(Form1& form);

    // Imports the files one after another and shows one message.
    void importFiles(const QStringList& paths);
    bool canUndo() const { return undo_.has_value(); }
    void undoImport();

private:
    struct Undo {
        int rowCount = 0;                                   // the rows before the import
        std::vector<std::pair<int, QString>> clearedBefore;  // rows marked cleared: their text before
    };

    void listChanged();

    Form1& form_;
    bool applying_ = false;   // our own changes are no reason to forget the undo
    bool importing_ = false;  // a statement is being read: no second import meanwhile
    std::optional<Undo> undo_;
};

}  // namespace brevanta::reg
