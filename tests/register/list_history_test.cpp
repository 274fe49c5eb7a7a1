// The list's history from the keyboard: Ctrl+Z and Ctrl+Shift+Z on the list
// undo and redo its changes, and every state they reach is stored; a text
// box keeps Ctrl+Z for its own text; Delete on the list deletes the row.

#include <QAction>
#include <QApplication>
#include <QLineEdit>
#include <QTest>
#include <QTreeView>
#include <QUndoStack>

#include "ledger/saved_list.h"
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

}  // namespace
