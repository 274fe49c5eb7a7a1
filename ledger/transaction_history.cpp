#include "ledger/transaction_history.h"

#include "ledger/transaction_model.h"

namespace brevanta::reg {

InsertRows::InsertRows(TransactionModel& model, const QString& text, int position, std::vector<Transaction> rows,
                       QUndoCommand* parent)
    : QUndoCommand(text, parent), model_(model), position_(position), rows_(std::move(rows)) {}

void InsertRows::redo() { model_.insertRowsAt(position_, rows_); }

void InsertRows::undo() { model_.takeRows(position_, static_cast<int>(rows_.size())); }

RemoveRows::RemoveRows(TransactionModel& model, const QString& text, int position, int count, QUndoCommand* parent)
    : QUndoCommand(text, parent), model_(model), position_(position), count_(count) {}

// The rows are read as they go, so a redo after an undo takes the same rows again.
void RemoveRows::redo() { removed_ = model_.takeRows(position_, count_); }

void RemoveRows::undo() {
    model_.insertRowsAt(position_, removed_);
    removed_.clear();
}

ChangeFields::ChangeFields(TransactionModel& model, const QString& text, std::vector<FieldChange> changes,
                           QUndoCommand* parent)
    : QUndoCommand(text, parent), model_(model), changes_(std::move(changes)) {}

void ChangeFields::redo() {
    for (const FieldChange& change : changes_) model_.setField(change.row, change.field, change.after);
}

void ChangeFields::undo() {
    for (auto change = changes_.rbegin(); change != changes_.rend(); ++change)
        model_.setField(change->row, change->field, change->before);
}

}  // namespace brevanta::reg
