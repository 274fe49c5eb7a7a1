// The list's history from the keyboard: Ctrl+Z and Ctrl+Shift+Z on the list
// undo and redo its changes, and every state they reach is stored; a text
// box keeps Ctrl+Z for its own text; Delete on the list deletes the row.

#include <QAction>
#include <QApplication>
#include <QDateEdit>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTreeView>
#include <QUndoStack>

#include "ledger/saved_list.h"
#include "register/cell_editing.h"
#include "register/list_menu.h"
#include "tests/register/form1_fixture.h"

using namespace brevanta;
using brevanta::testsupport::Form1Test;

namespace {

const reg::Transaction kCar{"2013-01-01", "1", "Sold My Used Car", "Automotive", "Yes", "", "5000"};
const reg::Transaction kToys{"2013-01-02", "2", "Thundercats Collection", "Toys", "Yes", "", "55"};
const reg::Transaction kRent{"2013-01-03", "3", "John's Rent", "Rent", "", "700", ""};

class ListHistory : public Form1Test {
protected:
    void SetUp() override {
        Form1Test::SetUp();
        form->Form_Load();
        for (const reg::Transaction& row : {kCar, kToys, kRent}) form->appendTransaction(row);
        form->show();
        form->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(form.get()));
    }

    // The list as the settings file holds it, once the pending store has run.
    std::vector<reg::Transaction> storedRows() {
        EXPECT_TRUE(QTest::qWaitFor([this] { return !form->storePending(); }));
        std::vector<reg::Transaction> rows;
        for (const reg::SavedRecord& record : reg::decodeSavedList(store().read())) rows.push_back(record.fields);
        return rows;
    }
};

TEST_F(ListHistory, CtrlZOnTheListUndoesADeleteAndTheUndoneListIsStored) {
    form->ListView1->setFocus();
    setCurrentRow(1);
    QTest::keyClick(form->ListView1, Qt::Key_Delete);
    EXPECT_EQ(storedRows(), (std::vector<reg::Transaction>{kCar, kRent}));
    EXPECT_EQ(form->undoAction()->text(), QStringLiteral("Undo Delete Transaction"));

    QTest::keySequence(form->ListView1, QKeySequence::Undo);
    EXPECT_EQ(form->model().rows(), (std::vector<reg::Transaction>{kCar, kToys, kRent}));
    EXPECT_EQ(storedRows(), (std::vector<reg::Transaction>{kCar, kToys, kRent}));

    QTest::keySequence(form->ListView1, QKeySequence::Redo);
    EXPECT_EQ(storedRows(), (std::vector<reg::Transaction>{kCar, kRent}));
    EXPECT_TRUE(seams.reporter.reports.empty());
}

// Clicking Delete Selected Transaction leaves the focus on the button: Ctrl+Z
// there takes the delete back, as it does on the list.
TEST_F(ListHistory, CtrlZAfterAButtonUndoesItsChange) {
    setCurrentRow(0);
    form->PushButton1->setFocus();
    QTest::mouseClick(form->PushButton1, Qt::LeftButton);
    ASSERT_EQ(form->model().rowCount(), 2);
    QTest::keySequence(form->PushButton1, QKeySequence::Undo);
    EXPECT_EQ(form->model().rows(), (std::vector<reg::Transaction>{kCar, kToys, kRent}));
    form->PushButton2->setFocus();
    QTest::keySequence(form->PushButton2, QKeySequence::Redo);
    EXPECT_EQ(form->model().rows(), (std::vector<reg::Transaction>{kToys, kRent}));
    // Del stays the list's: on a button it deletes nothing.
    QTest::keyClick(form->PushButton2, Qt::Key_Delete);
    EXPECT_EQ(form->model().rowCount(), 2);
    // The date picker keeps Ctrl+Z for its own text, as a text box does.
    form->dtpDate->setFocus();
    QTest::keySequence(form->dtpDate, QKeySequence::Undo);
    EXPECT_EQ(form->model().rowCount(), 2);
}

TEST_F(ListHistory, CtrlZInATextBoxUndoesTheTypingAndLeavesTheList) {
    const int entries = form->history().index();
    form->txtDescription->setFocus();
    QTest::keyClicks(form->txtDescription, QStringLiteral("Lunch"));
    QTest::keySequence(form->txtDescription, QKeySequence::Undo);
    EXPECT_EQ(form->txtDescription->text(), QString());
    EXPECT_EQ(form->history().index(), entries);
    EXPECT_EQ(form->model().rows(), (std::vector<reg::Transaction>{kCar, kToys, kRent}));
}

TEST_F(ListHistory, LoadSampleAndClearAreOneEntryEach) {
    form->PushButton4_Click();
    EXPECT_EQ(form->undoAction()->text(), QStringLiteral("Undo Load Sample Data"));
    seams.prompter.answers = {frame::Answer::Yes};
    form->PushButton3_Click();
    EXPECT_EQ(form->undoAction()->text(), QStringLiteral("Undo Clear Transactions"));
    EXPECT_TRUE(storedRows().empty());

    form->history().undo();
    EXPECT_EQ(form->model().rowCount(), 5);
    form->history().undo();
    EXPECT_EQ(storedRows(), (std::vector<reg::Transaction>{kCar, kToys, kRent}));
}

TEST_F(ListHistory, UndoAndRedoMakeTheChangedRowCurrent) {
    form->ListView1->setFocus();
    setCurrentRow(1);
    QTest::keyClick(form->ListView1, Qt::Key_Delete);
    EXPECT_EQ(currentRow(), 1);  // kRent, the row after the deleted one
    QTest::keySequence(form->ListView1, QKeySequence::Undo);
    EXPECT_EQ(currentRow(), 1);  // kToys, back where it was
    EXPECT_EQ(form->ListView1->selectionModel()->selectedRows().size(), 1);
    EXPECT_TRUE(form->ListView1->selectionModel()->isRowSelected(1));

    form->model().edit(2, reg::Category, QStringLiteral("Housing"));
    setCurrentRow(0);
    form->undoAction()->trigger();
    EXPECT_EQ(form->ListView1->currentIndex(), form->model().index(2, reg::Category));
    setCurrentRow(0);
    form->redoAction()->trigger();
    EXPECT_EQ(form->ListView1->currentIndex(), form->model().index(2, reg::Category));
}

// The in-place editor belongs to the list as it was: an undo from the Edit
// menu (the editor has the focus, so not Ctrl+Z) or a delete closes it, and
// Enter can no longer write its old text over the change.
TEST_F(ListHistory, AChangeFromTheMenuClosesTheInPlaceEditor) {
    reg::CellEditing& editing = form->findChild<reg::ListMenu*>()->cellEditing();
    form->model().edit(1, reg::Description, QStringLiteral("Comics"));
    ASSERT_TRUE(editing.edit(1, reg::Description));
    form->undoAction()->trigger();
    EXPECT_FALSE(editing.isEditing());
    EXPECT_EQ(cell(1, reg::Description), kToys[reg::Description]);

    ASSERT_TRUE(editing.edit(2, reg::Number));
    setCurrentRow(2);
    form->deleteAction()->trigger();
    EXPECT_FALSE(editing.isEditing());
    EXPECT_EQ(form->model().rows(), (std::vector<reg::Transaction>{kCar, kToys}));

    // The editor's own Enter still keeps its text, once.
    ASSERT_TRUE(editing.edit(0, reg::Number));
    QTest::keyClicks(editing.editor(), QStringLiteral("9"));
    QTest::keyClick(editing.editor(), Qt::Key_Return);
    EXPECT_FALSE(editing.isEditing());
    EXPECT_EQ(cell(0, reg::Number), QStringLiteral("9"));
    EXPECT_EQ(form->undoAction()->text(), QStringLiteral("Undo Edit Cell"));
}

}  // namespace
