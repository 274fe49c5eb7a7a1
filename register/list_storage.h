#pragma once
// The transaction list kept between runs, for the main window: read back
// at start-up (steps 130 to 152 of Form_Load), stored once after every
// change, whatever made it (an undo and a redo too), and on closing
// (Form_QueryUnload), when a failed store first writes the list to a
// rescue file named in the box.

#include <QObject>
#include <QStringList>

#include "frame/error_report.h"
#include "ledger/saved_list.h"

namespace brevanta::reg {

class TransactionModel;

class ListStorage final : public QObject {
    Q_OBJECT

public:
    ListStorage(TransactionModel& model, QObject* parent);

    // Where the list is kept (default: the user's settings) and where it is
    // rescued to (empty: the documents folder, then the temporary folder).
    void setPlaces(SavedListStore store, QStringList rescueFolders);

    // Restores the stored list into the model, with no history entry; a
    // record with k parts fills the fields it has, each missing field
    // reported at its own line of `proc`, 140 for field 1 up to 150 for field 6.
    void restore(frame::Procedure& proc);

    // The store on closing: a failure is reported every time, and the list
    // is first written to a rescue file named in the box.
    void storeList() { write(true); }
    // The store after a change: a failure is reported once, and later
    // failures stay quiet until a store succeeds again.
    void storeChangedList() { write(false); }
    // One click may change the rows several times (Load Sample adds two):
    // the store runs once, as soon as the handler that made the change has returned.
    void scheduleStore();
    bool storePending() const { return storePending_; }

private:
    void write(bool reportEveryFailure);
    QString keepUnreadableList();
    QString rescueList();

    TransactionModel& model_;
    SavedListStore store_;
    QStringList rescueFolders_;
    bool restoring_ = false;      // the stored list is being read back: no store
    bool storePending_ = false;   // a store after a change is on its way
    bool storeFailing_ = false;   // the last store failed and was reported
    bool storeBlocked_ = false;   // an unreadable stored list could not be kept aside: never overwrite it
};

}  // namespace brevanta::reg
