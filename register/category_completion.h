#pragma once
// The main window's Description and Category fields complete from the
// list's earlier rows (case-insensitive, most recent first), and a
// description the list knows fills an empty Category with that payee's most
// recent category (ledger/category_memory.h). The completions follow the
// list through every change: they are read again once the change is done.

#include <QObject>
#include <QString>

#include "ledger/category_memory.h"

class QCompleter;
class QStringListModel;

namespace brevanta::reg {

class Form1;

class CategoryCompletion final : public QObject {
    Q_OBJECT

public:
    explicit CategoryCompletion(Form1& form);

    QCompleter* descriptionCompleter() const { return descriptionCompleter_; }
    QCompleter* categoryCompleter() const { return categoryCompleter_; }

private:
    void listChanged();
    void readListIfChanged();
    void descriptionChanged(const QString& description);

    Form1& form_;
    ledger::CategoryMemory memory_;
    QStringListModel* descriptions_;
    QStringListModel* categories_;
    QCompleter* descriptionCompleter_;
    QCompleter* categoryCompleter_;
    bool stale_ = true;         // the list changed since it was last read
    bool readPending_ = false;  // a reading after a change is on its way
    QString filled_;            // what the Category field holds from the memory; empty once the user types there
};

}  // namespace brevanta::reg
