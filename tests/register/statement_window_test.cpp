// The list's menu, dropped files and editing in place, through the window:
// what the user sees in the list, the message, and the stored list.

#include <QClipboard>
#include <QCoreApplication>
#include <QGuiApplication>
#include <QDateEdit>
#include <QFile>
#include <QLineEdit>
#include <QMenu>
#include <QMimeData>
#include <QTest>
#include <QTreeWidget>
#include <QUrl>

#include "register/cell_editing.h"
#include "register/date_text.h"
#include "register/list_menu.h"
#include "register/statement_import.h"
#include "statements/register_csv.h"
#include "tests/register/form1_fixture.h"

inline void PrintTo(const QString& text, std::ostream* out) { *out << '"' << text.toStdString() << '"'; }

using namespace brevanta;
using brevanta::testsupport::Form1Test;

namespace {

QString fixture(const char* name) { return QStringLiteral(STATEMENT_FIXTURES "/") + QLatin1String(name); }

class StatementWindow : public Form1Test {
protected:
    void SetUp() override {
        Form1Test::SetUp();
        form->Form_Load();
        form->show();
        menu = form->findChild<reg::ListMenu*>();
        ASSERT_NE(menu, nullptr);
    }

    void settle() { QCoreApplication::processEvents(); }

    void type(const char* date, const char* number, const char* description, const char* debit,
              const char* credit = "") {
        form->dtpDate->setDate(reg::readMonthDayYear(QLatin1String(date)));
        form->txtNumber->setText(QLatin1String(number));
        form->txtDescription->setText(QLatin1String(description));
        form->txtDebit->setText(QLatin1String(debit));
        form->txtCredit->setText(QLatin1String(credit));
        form->PushButton2_Click();
    }

    void import(const QString& path) {
        seams.prompter.openNames = {{path}};
        menu->importBankStatement();
        settle();
    }

    QString lastMessage() const { return seams.prompter.messages.empty() ? QString() : seams.prompter.messages.back().text; }

    QTreeWidgetItem* item(int row) { return form->ListView1->topLevelItem(row); }

    reg::ListMenu* menu = nullptr;
};

TEST_F(StatementWindow, TheListsMenuOffersImportExportAndUndo) {
    QStringList texts;
    for (QAction* action : menu->menu()->actions()) texts << action->text();
    EXPECT_EQ(texts, (QStringList{QStringLiteral("Import Bank Statement…"), QStringLiteral("Export List as CSV…"),
                                  QStringLiteral("Undo Import")}));
    EXPECT_EQ(form->ListView1->contextMenuPolicy(), Qt::CustomContextMenu);
}

TEST_F(StatementWindow, ImportMarksTheTypedCheckClearedAddsTheRestAndStoresTheList) {
    type("1/13/2025", "1042", "Plumber, by hand", "125.00");
    settle();
    import(fixture("bank_sgml.ofx"));
    ASSERT_EQ(seams.prompter.openRequests.size(), 1u);
    EXPECT_EQ(lastMessage(), QStringLiteral(
        "bank_sgml.ofx: 4 rows added, 1 matched row marked cleared, 0 matched rows were cleared already.\n"
        "The bank's balance on 1/31/2025 is 2,100.25; the register's cleared balance up to that date is "
        "1,353.50: they differ by 746.75."));
    const auto list = rows();
    ASSERT_EQ(list.size(), 5u);
    EXPECT_EQ(list[0], (reg::Transaction{"1/13/2025", "1042", "Plumber, by hand", "", "Yes", "125.00", ""}));
    EXPECT_EQ(list[1], (reg::Transaction{"1/16/2025", "", "PAYROLL ACME WIDGETS", "", "Yes", "", "1500.00"}));
    EXPECT_EQ(store().read(), reg::encodeSavedList(form->transactions()));

    // The same statement again: everything matched, nothing twice.
    import(fixture("bank_sgml.ofx"));
    EXPECT_EQ(rows().size(), 5u);
    EXPECT_TRUE(lastMessage().startsWith(QStringLiteral("bank_sgml.ofx: 0 rows added, 0 matched rows marked cleared, "
                                                        "5 matched rows were cleared already.")));
    EXPECT_TRUE(seams.reporter.reports.empty());
}

TEST_F(StatementWindow, ADamagedStatementAddsNothingAndSaysWhy) {
    type("1/13/2025", "", "Typed", "1.00");
    settle();
    const QString stored = store().read();
    QFile good(fixture("bank_sgml.ofx"));
    ASSERT_TRUE(good.open(QIODevice::ReadOnly));
    const QString cut = folder.filePath(QStringLiteral("cut.ofx"));
    QFile out(cut);
    ASSERT_TRUE(out.open(QIODevice::WriteOnly));
    out.write(good.readAll().left(900));
    out.close();

    import(cut);
    EXPECT_EQ(lastMessage(), QStringLiteral("cut.ofx: the file ends before </OFX>: it was cut short\n"
                                            "Nothing was imported from this file."));
    EXPECT_EQ(seams.prompter.messages.back().icon, frame::Icon::Warning);
    EXPECT_EQ(rows().size(), 1u);
    EXPECT_FALSE(form->storePending());
    EXPECT_EQ(store().read(), stored);
    EXPECT_FALSE(menu->statementImport().canUndo());
}

TEST_F(StatementWindow, UndoImportRestoresTheStoredListExactly) {
    type("1/13/2025", "1042", "Plumber", "125.00");
    type("1/17/2025", "", "Coffee", "4.75");
    item(1)->setText(reg::Cleared, QStringLiteral("yes"));  // cleared already, in the user's spelling
    settle();
    const QString before = store().read();

    import(fixture("bank_sgml.ofx"));
    ASSERT_NE(store().read(), before);
    ASSERT_TRUE(menu->statementImport().canUndo());
    menu->menu()->aboutToShow();
    EXPECT_TRUE(menu->undoAction()->isEnabled());
    menu->undoImport();
    settle();
    EXPECT_EQ(store().read(), before);
    EXPECT_FALSE(menu->statementImport().canUndo());

    // Another change after an import ends what undo can take back.
    import(fixture("bank_sgml.ofx"));
    type("2/1/2025", "", "Typed afterwards", "2.00");
    EXPECT_FALSE(menu->statementImport().canUndo());
    menu->menu()->aboutToShow();
    EXPECT_FALSE(menu->undoAction()->isEnabled());
}

TEST_F(StatementWindow, AFileDroppedOnTheWindowIsImportedNotTyped) {
    QMimeData data;
    data.setUrls({QUrl::fromLocalFile(fixture("card.qif"))});
    data.setText(fixture("card.qif"));
    const QPoint at = form->txtNumber->rect().center();
    QDragEnterEvent enter(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(form->txtNumber, &enter);
    EXPECT_TRUE(enter.isAccepted());
    QDropEvent drop(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(form->txtNumber, &drop);
    settle();
    EXPECT_EQ(form->txtNumber->text(), QString());
    ASSERT_EQ(rows().size(), 2u);
    EXPECT_EQ(rows()[0], (reg::Transaction{"2/3/2025", "", "Green Kitchen Restaurant", "Dining", "", "62.18", ""}));
    EXPECT_EQ(store().read(), reg::encodeSavedList(form->transactions()));
}

TEST_F(StatementWindow, F2EditsACellAndEnterKeepsAValidText) {
    type("1/13/2025", "7", "Typo in descripton", "10.00");
    settle();
    form->ListView1->setFocus();
    form->ListView1->setCurrentItem(item(0), reg::Description);
    QTest::keyClick(form->ListView1, Qt::Key_F2);
    auto* editor = qobject_cast<QLineEdit*>(menu->cellEditing().editor());
    ASSERT_NE(editor, nullptr);
    EXPECT_EQ(editor->text(), QStringLiteral("Typo in descripton"));
    editor->setText(QStringLiteral("Typo in description"));
    QTest::keyClick(editor, Qt::Key_Return);
    EXPECT_FALSE(menu->cellEditing().isEditing());
    settle();
    EXPECT_EQ(item(0)->text(reg::Description), QStringLiteral("Typo in description"));
    EXPECT_TRUE(store().read().contains(QStringLiteral("^Typo in description^")));
}

TEST_F(StatementWindow, AnAmountThatIsNoAmountIsRefusedAndTheEditStaysOpen) {
    type("1/13/2025", "7", "Lunch", "10.00");
    settle();
    const QString stored = store().read();
    ASSERT_TRUE(menu->cellEditing().edit(item(0), reg::Debit));
    auto* editor = qobject_cast<QLineEdit*>(menu->cellEditing().editor());
    ASSERT_NE(editor, nullptr);
    editor->setText(QStringLiteral("12abc"));
    QTest::keyClick(editor, Qt::Key_Enter);
    ASSERT_EQ(seams.prompter.messages.size(), 1u);
    EXPECT_EQ(lastMessage(), QStringLiteral("Debit must be an amount, such as 12.50; \"12abc\" is not one."));
    EXPECT_TRUE(menu->cellEditing().isEditing());
    EXPECT_EQ(item(0)->text(reg::Debit), QStringLiteral("10.00"));

    // A zero amount is kept empty, as Add Transaction keeps it.
    editor->setText(QStringLiteral("0.00"));
    QTest::keyClick(editor, Qt::Key_Return);
    EXPECT_FALSE(menu->cellEditing().isEditing());
    EXPECT_EQ(item(0)->text(reg::Debit), QString());
    settle();
    EXPECT_NE(store().read(), stored);
}

TEST_F(StatementWindow, EscCancelsAndDoubleClickOnTheDateEditsADate) {
    type("1/13/2025", "7", "Lunch", "10.00");
    settle();
    ASSERT_TRUE(menu->cellEditing().edit(item(0), reg::Category));
    auto* editor = qobject_cast<QLineEdit*>(menu->cellEditing().editor());
    ASSERT_NE(editor, nullptr);
    editor->setText(QStringLiteral("Never kept"));
    QTest::keyClick(editor, Qt::Key_Escape);
    EXPECT_FALSE(menu->cellEditing().isEditing());
    EXPECT_EQ(item(0)->text(reg::Category), QString());
    EXPECT_FALSE(form->storePending());

    emit form->ListView1->itemDoubleClicked(item(0), reg::Date);
    auto* dateEditor = qobject_cast<QDateEdit*>(menu->cellEditing().editor());
    ASSERT_NE(dateEditor, nullptr);
    EXPECT_EQ(dateEditor->date(), QDate(2025, 1, 13));
    dateEditor->setDate(QDate(2025, 2, 3));
    QTest::keyClick(dateEditor, Qt::Key_Return);
    EXPECT_EQ(item(0)->text(reg::Date), QStringLiteral("2/3/2025"));
    EXPECT_TRUE(seams.prompter.messages.empty());
}

TEST_F(StatementWindow, ExportWritesTheListAsCsvThatReadsBack) {
    form->PushButton4_Click();  // the example rows
    type("1/13/2025", "", "Quote \" and, comma", "1.00");
    const QString path = folder.filePath(QStringLiteral("out.csv"));
    seams.prompter.fileNames = {path};
    menu->exportListAsCsv();
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(statements::transactionsFromCsv(QString::fromUtf8(file.readAll())), rows());
    file.close();

    // An existing file is replaced only when the user says so.
    seams.prompter.fileNames = {path};
    seams.prompter.answers = {frame::Answer::No};
    form->PushButton1_Click();
    menu->exportListAsCsv();
    EXPECT_EQ(lastMessage(), QStringLiteral("out.csv already exists.\nDo you want to replace it?"));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(statements::transactionsFromCsv(QString::fromUtf8(file.readAll())).size(), 3u);
    EXPECT_TRUE(seams.reporter.reports.empty());
}

}  // namespace

namespace {

// A pasted text past the 32,767 units a cell holds is cut before its last
// whole character, never between the halves of a surrogate pair: 32,766
// 'a' and U+1F600 are 32,768 units, and the emoji goes whole. (Texts are
// compared as a whole, not printed: they are 32 K long.)
TEST_F(StatementWindow, PastedTextIsCutOnAWholeCharacterInTheBoxesAndTheEditor) {
    const QString emoji = QString::fromUcs4(U"\U0001F600");
    const QString pasted = QString(32766, QLatin1Char('a')) + emoji;
    QGuiApplication::clipboard()->setText(pasted);
    form->txtDescription->clear();
    form->txtDescription->paste();
    EXPECT_TRUE(form->txtDescription->text() == QString(32766, QLatin1Char('a')));

    // One unit more: the box's own limit would leave the first half alone.
    QGuiApplication::clipboard()->setText(QString(32767, QLatin1Char('a')) + emoji);
    form->txtCategory->clear();
    form->txtCategory->paste();
    EXPECT_TRUE(form->txtCategory->text() == QString(32767, QLatin1Char('a')));

    // Pasted in front of a text already there: the text after the cursor stays.
    QGuiApplication::clipboard()->setText(pasted);
    form->txtNumber->setText(QStringLiteral("xy"));
    form->txtNumber->setCursorPosition(0);
    form->txtNumber->paste();
    EXPECT_TRUE(form->txtNumber->text() == QString(32765, QLatin1Char('a')) + QStringLiteral("xy"));

    // A text that fits keeps its pair.
    QGuiApplication::clipboard()->setText(QString(32765, QLatin1Char('a')) + emoji);
    form->txtCredit->clear();
    form->txtCredit->paste();
    EXPECT_TRUE(form->txtCredit->text().endsWith(emoji));

    type("1/13/2025", "7", "Short", "10.00");
    settle();
    ASSERT_TRUE(menu->cellEditing().edit(item(0), reg::Description));
    auto* editor = qobject_cast<QLineEdit*>(menu->cellEditing().editor());
    ASSERT_NE(editor, nullptr);
    QGuiApplication::clipboard()->setText(pasted);
    editor->selectAll();
    editor->paste();
    EXPECT_TRUE(menu->cellEditing().commit());
    EXPECT_TRUE(item(0)->text(reg::Description) == QString(32766, QLatin1Char('a')));
}

}  // namespace
