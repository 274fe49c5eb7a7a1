#pragma once
// The register's transactions as a table: one row per transaction, the
// seven text fields as columns (Date, Num, Description of Transaction,
// Category, Cleared, Debit, Credit), the texts exactly as stored. Every
// change after the list is restored is a command on the model's history
// (ledger/transaction_history.h), so each can be undone and redone; the
// view's edits arrive through setData as "Edit Cell".

#include <QAbstractTableModel>
#include <vector>

#include "ledger/transaction_source.h"

class QUndoCommand;
class QUndoStack;

namespace brevanta::reg {

class TransactionModel final : public QAbstractTableModel {
    Q_OBJECT

public:
    explicit TransactionModel(QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    // Pushes an "Edit Cell" when the text differs; false for anything but
    // the edit role of an existing cell.
    bool setData(const QModelIndex& index, const QVariant& value, int role = Qt::EditRole) override;

    const std::vector<Transaction>& rows() const { return rows_; }
    // The rows read as a TransactionSource (rows 1-based), for the layout,
    // the store and the exports.
    TransactionSource& transactions() { return source_; }
    // The changes made so far, to undo and redo.
    QUndoStack& history() { return *history_; }

    // ---- the changes, each one entry of the history ----
    // Appends one row as given ("Add Transaction").
    void append(const Transaction& row);
    // Removes the row at `position` (0-based); nothing when there is none.
    void remove(int position);
    // Removes every row; nothing when there is none.
    void clear();
    // Field `field` of row `position` becomes `text`; nothing when unchanged
    // or out of range.
    void edit(int position, int field, const QString& text);
    // Pushes a command made elsewhere (an import, a group of the above).
    void push(QUndoCommand* command);

    // Replaces the rows without a history entry and forgets the history:
    // the list as it was stored, at start-up.
    void restore(std::vector<Transaction> rows);

private:
    // What the commands do; nothing else changes the rows.
    friend class InsertRows;
    friend class RemoveRows;
    friend class ChangeFields;
    void insertRowsAt(int position, const std::vector<Transaction>& rows);
    std::vector<Transaction> takeRows(int position, int count);
    void setField(int position, int field, const QString& text);

    class Source final : public TransactionSource {
    public:
        explicit Source(const std::vector<Transaction>& rows) : rows_(rows) {}
        int rowCount() const override { return static_cast<int>(rows_.size()); }
        QString field(int row, int field) const override;
        const Transaction& transaction(int row) const override;

    private:
        const std::vector<Transaction>& rows_;
    };

    std::vector<Transaction> rows_;
    Source source_{rows_};
    QUndoStack* history_;
};

}  // namespace brevanta::reg
