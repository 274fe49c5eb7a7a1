#pragma once
// The commands that change the transaction list. Each is a QUndoCommand of
// the model's history, named for the Edit menu ("Undo Delete Transaction"),
// and made of three kinds of steps: rows inserted, rows removed, fields
// changed. A command with child commands (an import) runs them in order
// and undoes them in reverse.

#include <QString>
#include <QUndoCommand>
#include <vector>

#include "ledger/transaction_source.h"

namespace brevanta::reg {

class TransactionModel;

// What each change is called.
namespace change {
inline const QString kAddTransaction = QStringLiteral("Add Transaction");
inline const QString kDeleteTransaction = QStringLiteral("Delete Transaction");
inline const QString kClearTransactions = QStringLiteral("Clear Transactions");
inline const QString kLoadSampleData = QStringLiteral("Load Sample Data");
inline const QString kEditCell = QStringLiteral("Edit Cell");
inline const QString kImportBankStatement = QStringLiteral("Import Bank Statement");
inline const QString kOpeningBalance = QStringLiteral("Opening Balance");
}  // namespace change

// Rows inserted at `position`; undone by taking them out again.
class InsertRows final : public QUndoCommand {
public:
    InsertRows(TransactionModel& model, const QString& text, int position, std::vector<Transaction> rows,
               QUndoCommand* parent = nullptr);
    void redo() override;
    void undo() override;

private:
    TransactionModel& model_;
    int position_;
    std::vector<Transaction> rows_;
};

// `count` rows removed from `position`; undone by putting them back.
class RemoveRows final : public QUndoCommand {
public:
    RemoveRows(TransactionModel& model, const QString& text, int position, int count, QUndoCommand* parent = nullptr);
    void redo() override;
    void undo() override;

private:
    TransactionModel& model_;
    int position_;
    int count_;
    std::vector<Transaction> removed_;
};

// Fields set to new texts; undone by setting the texts they had before.
struct FieldChange {
    int row = 0;  // 0-based
    int field = 0;
    QString before;
    QString after;
};

class ChangeFields final : public QUndoCommand {
public:
    ChangeFields(TransactionModel& model, const QString& text, std::vector<FieldChange> changes,
                 QUndoCommand* parent = nullptr);
    void redo() override;
    void undo() override;

private:
    TransactionModel& model_;
    std::vector<FieldChange> changes_;
};

}  // namespace brevanta::reg
