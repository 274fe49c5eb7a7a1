// The list's model and its history: what each cell shows, and every kind of
// change undone and redone back to exactly the rows it started from.

#include <QUndoStack>
#include <gtest/gtest.h>

#include "ledger/transaction_history.h"
#include "ledger/transaction_model.h"

namespace brevanta {
namespace {

using reg::Transaction;

const Transaction kRent{"2013-01-03", "3", "John's Rent", "Rent", "", "700", ""};
const Transaction kCar{"2013-01-01", "1", "Sold My Used Car", "Automotive", "Yes", "", "5000"};
const Transaction kToys{"2013-01-02", "2", "Thundercats Collection", "Toys", "Yes", "", "55"};

class TransactionModelTest : public ::testing::Test {
protected:
    reg::TransactionModel model;

    // Undoes the latest change, checks the rows, redoes it and checks again.
    void expectUndoRedo(const QString& text, const std::vector<Transaction>& before,
                        const std::vector<Transaction>& after) {
        QUndoStack& history = model.history();
        ASSERT_TRUE(history.canUndo());
        EXPECT_EQ(history.undoText(), text);
        EXPECT_EQ(model.rows(), after);
        history.undo();
        EXPECT_EQ(model.rows(), before) << text.toStdString();
        EXPECT_EQ(history.redoText(), text);
        history.redo();
        EXPECT_EQ(model.rows(), after) << text.toStdString();
    }
};

TEST_F(TransactionModelTest, ShowsTheSevenFieldsUnderTheListsHeadersAndTakesEditsAsUndoableCells) {
    model.append(kToys);
    model.restore({kCar, kRent});
    EXPECT_FALSE(model.history().canUndo());  // the stored list is where the history starts
    ASSERT_EQ(model.rowCount(), 2);
    ASSERT_EQ(model.columnCount(), 7);
    const QStringList headers{"Date", "Num", "Description of Transaction", "Category", "Cleared", "Debit", "Credit"};
    for (int column = 0; column < 7; ++column) {
        EXPECT_EQ(model.headerData(column, Qt::Horizontal).toString(), headers[column]);
        EXPECT_EQ(model.index(1, column).data().toString(), kRent[size_t(column)]);
        EXPECT_EQ(model.index(1, column).data(Qt::EditRole).toString(), kRent[size_t(column)]);
        EXPECT_TRUE(model.flags(model.index(1, column)) & Qt::ItemIsEditable);
    }
    EXPECT_FALSE(model.index(2, 0).isValid());
    EXPECT_FALSE(model.index(0, 7).isValid());
    EXPECT_EQ(model.transactions().rowCount(), 2);
    EXPECT_EQ(model.transactions().field(2, reg::Description), QStringLiteral("John's Rent"));
    EXPECT_ANY_THROW(model.transactions().field(3, reg::Date));
    EXPECT_EQ(model.transactions().transaction(2), kRent);
    EXPECT_ANY_THROW(model.transactions().transaction(0));
    EXPECT_ANY_THROW(model.transactions().transaction(3));
    const reg::TransactionList list({kCar});
    EXPECT_EQ(list.transaction(1), kCar);
    EXPECT_ANY_THROW(list.transaction(2));

    EXPECT_TRUE(model.setData(model.index(1, reg::Debit), QStringLiteral("750")));
    Transaction edited = kRent;
    edited[reg::Debit] = QStringLiteral("750");
    expectUndoRedo(QStringLiteral("Edit Cell"), {kCar, kRent}, {kCar, edited});
    // The same text again is no change, and no entry.
    const int entries = model.history().count();
    model.setData(model.index(1, reg::Debit), QStringLiteral("750"));
    EXPECT_EQ(model.history().count(), entries);
}

TEST_F(TransactionModelTest, AddDeleteAndClearUndoAndRedoToTheExactRows) {
    model.restore({kCar, kToys});
    model.append(kRent);
    expectUndoRedo(QStringLiteral("Add Transaction"), {kCar, kToys}, {kCar, kToys, kRent});
    model.remove(1);
    expectUndoRedo(QStringLiteral("Delete Transaction"), {kCar, kToys, kRent}, {kCar, kRent});
    model.clear();
    expectUndoRedo(QStringLiteral("Clear Transactions"), {kCar, kRent}, {});

    // Back through the whole history to the stored list, then forward again.
    while (model.history().canUndo()) model.history().undo();
    EXPECT_EQ(model.rows(), (std::vector<Transaction>{kCar, kToys}));
    while (model.history().canRedo()) model.history().redo();
    EXPECT_TRUE(model.rows().empty());

    // Nothing to delete or clear makes no entry.
    const int entries = model.history().count();
    model.remove(0);
    model.clear();
    EXPECT_EQ(model.history().count(), entries);
}

TEST_F(TransactionModelTest, AGroupOfChangesIsOneEntry) {
    // Load Sample: two adds in one macro.
    model.history().beginMacro(reg::change::kLoadSampleData);
    model.append(kCar);
    model.append(kToys);
    model.history().endMacro();
    expectUndoRedo(QStringLiteral("Load Sample Data"), {}, {kCar, kToys});

    // An import: cleared marks on rows that were there, then rows added, one entry.
    auto* import = new QUndoCommand(reg::change::kImportBankStatement);
    new reg::ChangeFields(model, reg::change::kImportBankStatement,
                          {{1, reg::Cleared, QStringLiteral("Yes"), QStringLiteral("R")},
                           {0, reg::Cleared, QStringLiteral("Yes"), QStringLiteral("R")}},
                          import);
    new reg::InsertRows(model, reg::change::kImportBankStatement, 2, {kRent}, import);
    model.push(import);
    Transaction car = kCar, toys = kToys;
    car[reg::Cleared] = toys[reg::Cleared] = QStringLiteral("R");
    expectUndoRedo(QStringLiteral("Import Bank Statement"), {kCar, kToys}, {car, toys, kRent});
}

}  // namespace
}  // namespace brevanta
