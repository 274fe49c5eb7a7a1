// The list's menu, dropped files and editing in place, through the window:
// what the user sees in the list, the message, and the stored list.

#include <QClipboard>
#include <QCoreApplication>
#include <QDir>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QCompleter>
#include <QGuiApplication>
#include <QDateEdit>
#include <QFile>
#include <QLineEdit>
#include <QMenu>
#include <QMimeData>
#include <QProcess>
#include <QTest>
#include <QTreeView>
#include <QUndoStack>
#include <QUrl>
#include <unistd.h>

#include "register/cell_editing.h"
#include "ledger/date_text.h"
#include "frame/safe_file.h"
#include "register/list_menu.h"
#include "ledger/saved_list.h"
#include "register/statement_import.h"
#include "statements/register_csv.h"
#include "statements/statement_values.h"
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
        "1,353.50: they differ by 746.75.\n"
        "The difference is the statement's opening balance, 746.75: the register's opening balance is probably "
        "missing.\n\n"
        "Add Opening Balance adds the row \"Opening balance\" dated 1/12/2025 with a credit of 746.75, which makes "
        "them agree."));
    EXPECT_EQ(seams.prompter.messages.back().action, QStringLiteral("Add Opening Balance"));  // not pressed
    const auto list = rows();
    ASSERT_EQ(list.size(), 5u);
    EXPECT_EQ(list[0], (reg::Transaction{"2025-01-13", "1042", "Plumber, by hand", "", "Yes", "125.00", ""}));
    EXPECT_EQ(list[1], (reg::Transaction{"2025-01-16", "", "PAYROLL ACME WIDGETS", "", "Yes", "", "1500.00"}));
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

TEST_F(StatementWindow, CancelDuringALongReadingStopsTheReaderAndImportsNothing) {
    // The reader's temporary folders go into a folder of this test's own.
    QTemporaryDir temporary;
    ASSERT_TRUE(temporary.isValid());
    const QByteArray oldTmpdir = qgetenv("TMPDIR");
    const bool hadTmpdir = qEnvironmentVariableIsSet("TMPDIR");
    qputenv("TMPDIR", QFile::encodeName(temporary.path()));
    const auto restore = qScopeGuard([&] { hadTmpdir ? qputenv("TMPDIR", oldTmpdir) : qunsetenv("TMPDIR"); });

    // Nested so deep that libofx would take minutes; the reader is stopped long before.
    QFile good(fixture("bank_sgml.ofx"));
    ASSERT_TRUE(good.open(QIODevice::ReadOnly));
    const QByteArray bytes = good.readAll();
    const QString bomb = folder.filePath(QStringLiteral("bomb.ofx"));
    QFile out(bomb);
    ASSERT_TRUE(out.open(QIODevice::WriteOnly));
    out.write(bytes.left(bytes.indexOf("<OFX>") + 5) + QByteArray("<STMTTRNRS>").repeated(50000) + "</OFX>\n");
    out.close();

    // Cancel is pressed as soon as the progress window shows: the window's
    // events go on while the statement is read. The file after it is not read.
    seams.prompter.cancelProgress = true;
    seams.prompter.openNames = {{bomb, fixture("bank_sgml.ofx")}};
    menu->importBankStatement();
    settle();
    EXPECT_EQ(seams.prompter.progressTexts, QStringList{QStringLiteral("Reading bomb.ofx…")});
    EXPECT_FALSE(seams.prompter.progressOpen);
    EXPECT_EQ(lastMessage(), QStringLiteral("bomb.ofx: the import was cancelled\n"
                                            "Nothing was imported from this file or the ones after it."));
    EXPECT_TRUE(rows().empty());
    EXPECT_FALSE(menu->statementImport().canUndo());
    const QStringList left = QDir(temporary.path() + QStringLiteral("/brevanta-%1").arg(::getuid()))
                                 .entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
    EXPECT_EQ(left, QStringList());
}

// A bank CSV file whose dates read both day first and month first is shown
// as it would read before anything is imported; Cancel imports nothing.
TEST_F(StatementWindow, AnUndecidedBankCsvIsShownFirstAndCancelImportsNothing) {
    type("1/13/2025", "", "Typed", "1.00");
    settle();
    const QString stored = store().read();
    QString yearFirstProblem;
    seams.prompter.onReading = [&](const frame::ReadingChoiceRequest& request) {
        yearFirstProblem = request.problem({2});
    };
    import(fixture("bank_ambiguous.csv"));  // the script runs dry: Cancel
    ASSERT_EQ(seams.prompter.readings.size(), 1u);
    const testsupport::ShownReading& shown = seams.prompter.readings[0];
    ASSERT_EQ(shown.settings.size(), 1u);  // the amounts decide their mark
    EXPECT_EQ(shown.settings[0].options,
              (QStringList{"d/m/y (31/12/2026)", "m/d/y (12/31/2026)", "y/m/d (2026-12-31)"}));
    EXPECT_EQ(shown.settings[0].chosen, 1);  // the locale's order, proposed only
    EXPECT_TRUE(shown.text.startsWith(QStringLiteral("bank_ambiguous.csv: every date reads both day first and month first")));
    ASSERT_EQ(shown.rows.size(), 4u);
    EXPECT_EQ(shown.rows[0], (QStringList{"2", "01/03/2026", "Saturday, January 3, 2026", "-125.00", "CHECK 1042"}));
    EXPECT_EQ(shown.problem, QString());
    EXPECT_EQ(yearFirstProblem, QStringLiteral("bank_ambiguous.csv: line 2: the date \"01/03/2026\" cannot be read"));
    EXPECT_EQ(rows().size(), 1u);
    EXPECT_EQ(store().read(), stored);
    EXPECT_FALSE(menu->statementImport().canUndo());
    EXPECT_TRUE(seams.prompter.messages.empty());

    // Day first chosen: every row reads so, and the summary says how it was read.
    seams.prompter.readingAnswers = {std::vector<int>{0}};
    import(fixture("bank_ambiguous.csv"));
    const auto list = rows();
    ASSERT_EQ(list.size(), 5u);
    EXPECT_EQ(list[1], (reg::Transaction{"2026-03-01", "", "CHECK 1042", "", "", "125.00", ""}));
    EXPECT_EQ(list[3][reg::Date], QStringLiteral("2026-12-01"));
    EXPECT_TRUE(lastMessage().startsWith(QStringLiteral("bank_ambiguous.csv: 4 rows added,")));
    EXPECT_TRUE(lastMessage().endsWith(
        QStringLiteral("\nDates read day first (31/12/2026) as you chose; decimal mark \".\".")))
        << lastMessage().toStdString();
}

// Amounts that could be read with either mark: the mark is asked too.
TEST_F(StatementWindow, AnOpenDecimalMarkIsAskedWithTheDates) {
    const QString path = folder.filePath(QStringLiteral("marks.csv"));
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("Date,Description,Amount\n2026-01-13,Wire,\"1,500\"\n");
    file.close();
    seams.prompter.readingAnswers = {std::vector<int>{2, 1}};  // year first, decimal comma
    import(path);
    ASSERT_EQ(seams.prompter.readings.size(), 1u);
    const testsupport::ShownReading& shown = seams.prompter.readings[0];
    ASSERT_EQ(shown.settings.size(), 2u);
    EXPECT_EQ(shown.settings[0].chosen, 2);  // the dates decide: year first
    EXPECT_EQ(shown.settings[1].chosen, 0);  // en_US: a decimal point, proposed only
    EXPECT_EQ(shown.rows[0][3], QStringLiteral("1,500.00"));
    ASSERT_EQ(rows().size(), 1u);
    EXPECT_EQ(rows()[0][reg::Credit], QStringLiteral("1.50"));
    EXPECT_TRUE(lastMessage().endsWith(QStringLiteral("\nDates read year first (2026-12-31); decimal mark \",\" as you chose.")))
        << lastMessage().toStdString();
}

// A file whose columns decide is imported without a question, the same
// under a day-first locale with a decimal comma as under en_US.
TEST_F(StatementWindow, ADecidedBankCsvImportsWithoutAQuestionUnderEveryLocale) {
    for (const char* name : {"de_DE", "en_US"}) {
        const QLocale locale{QLatin1String(name)};
        QLocale::setDefault(locale);
        import(fixture("bank_mdy_point.csv"));
        EXPECT_TRUE(seams.prompter.readings.empty()) << name;
        EXPECT_TRUE(lastMessage().endsWith(QStringLiteral("\nDates read month first (12/31/2026); decimal mark \".\"."))) << name;
        const auto list = rows();
        ASSERT_EQ(list.size(), 3u) << name;
        EXPECT_EQ(list[0][reg::Date], QStringLiteral("2026-01-03")) << name;
        EXPECT_EQ(list[1][reg::Credit], statements::amountText(150000, locale)) << name;
        EXPECT_EQ(list[2][reg::Debit], statements::amountText(350, locale)) << name;
        menu->undoImport();
        settle();
    }
}

TEST_F(StatementWindow, UndoImportRestoresTheStoredListExactly) {
    type("1/13/2025", "1042", "Plumber", "125.00");
    type("1/17/2025", "", "Coffee", "4.75");
    form->model().edit(1, reg::Cleared, QStringLiteral("yes"));  // cleared already, in the user's spelling
    settle();
    const QString before = store().read();

    import(fixture("bank_sgml.ofx"));
    const QString imported = store().read();
    ASSERT_NE(imported, before);
    EXPECT_EQ(form->history().undoText(), QStringLiteral("Import Bank Statement"));  // every file, marks and rows: one entry
    ASSERT_TRUE(menu->statementImport().canUndo());
    menu->menu()->aboutToShow();
    EXPECT_TRUE(menu->undoAction()->isEnabled());
    menu->undoImport();
    settle();
    EXPECT_EQ(store().read(), before);
    EXPECT_FALSE(menu->statementImport().canUndo());
    // Undo Import is the history's undo: a redo brings the import back, and it is stored.
    form->history().redo();
    settle();
    EXPECT_EQ(store().read(), imported);
    form->history().undo();

    // Another change after an import ends what undo can take back.
    import(fixture("bank_sgml.ofx"));
    type("2/1/2025", "", "Typed afterwards", "2.00");
    EXPECT_FALSE(menu->statementImport().canUndo());
    menu->menu()->aboutToShow();
    EXPECT_FALSE(menu->undoAction()->isEnabled());
}

TEST_F(StatementWindow, TheMissingOpeningBalanceIsAddedFromTheSummaryAndUndoneWithTheImport) {
    const QString before = store().read();
    seams.prompter.answers = {frame::Answer::Yes};
    import(fixture("bank_sgml.ofx"));
    EXPECT_EQ(seams.prompter.messages.back().action, QStringLiteral("Add Opening Balance"));
    EXPECT_TRUE(lastMessage().contains(QStringLiteral("they differ by 746.75.\nThe difference is the statement's "
                                                      "opening balance, 746.75")));
    ASSERT_EQ(rows().size(), 6u);
    EXPECT_EQ(rows().back(), (reg::Transaction{"2025-01-14", "", "Opening balance", "", "Yes", "", "746.75"}));
    EXPECT_EQ(form->history().undoText(), QStringLiteral("Opening Balance"));
    settle();
    EXPECT_EQ(store().read(), reg::encodeSavedList(form->transactions()));

    // The same statement again: the balances agree, and nothing more is offered.
    import(fixture("bank_sgml.ofx"));
    EXPECT_TRUE(lastMessage().endsWith(QStringLiteral("up to that date is 2,100.25: they agree.")));
    EXPECT_TRUE(seams.prompter.messages.back().action.isEmpty());
    EXPECT_EQ(rows().size(), 6u);

    // Undo Import takes the opening balance back with the rows it added.
    ASSERT_TRUE(menu->statementImport().canUndo());
    menu->undoImport();
    settle();
    EXPECT_TRUE(rows().empty());
    EXPECT_EQ(store().read(), before);
    EXPECT_TRUE(seams.reporter.reports.empty());
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
    EXPECT_EQ(rows()[0], (reg::Transaction{"2025-02-03", "", "Green Kitchen Restaurant", "Dining", "", "62.18", ""}));
    EXPECT_EQ(store().read(), reg::encodeSavedList(form->transactions()));
}

TEST_F(StatementWindow, F2EditsACellAndEnterKeepsAValidText) {
    type("1/13/2025", "7", "Typo in descripton", "10.00");
    settle();
    form->ListView1->setFocus();
    setCurrentRow(0, reg::Description);
    QTest::keyClick(form->ListView1, Qt::Key_F2);
    auto* editor = qobject_cast<QLineEdit*>(menu->cellEditing().editor());
    ASSERT_NE(editor, nullptr);
    EXPECT_EQ(editor->text(), QStringLiteral("Typo in descripton"));
    editor->setText(QStringLiteral("Typo in description"));
    QTest::keyClick(editor, Qt::Key_Return);
    EXPECT_FALSE(menu->cellEditing().isEditing());
    settle();
    EXPECT_EQ(cell(0, reg::Description), QStringLiteral("Typo in description"));
    EXPECT_EQ(form->history().undoText(), QStringLiteral("Edit Cell"));
    EXPECT_TRUE(store().read().contains(QStringLiteral("^Typo in description^")));
}

TEST_F(StatementWindow, AnAmountThatIsNoAmountIsRefusedAndTheEditStaysOpen) {
    type("1/13/2025", "7", "Lunch", "10.00");
    settle();
    const QString stored = store().read();
    ASSERT_TRUE(menu->cellEditing().edit(0, reg::Debit));
    auto* editor = qobject_cast<QLineEdit*>(menu->cellEditing().editor());
    ASSERT_NE(editor, nullptr);
    editor->setText(QStringLiteral("12abc"));
    QTest::keyClick(editor, Qt::Key_Enter);
    ASSERT_EQ(seams.prompter.messages.size(), 1u);
    EXPECT_EQ(lastMessage(), QStringLiteral("Debit must be an amount, such as 12.50; \"12abc\" is not one."));
    EXPECT_TRUE(menu->cellEditing().isEditing());
    EXPECT_EQ(cell(0, reg::Debit), QStringLiteral("10.00"));

    // A zero amount is kept empty, as Add Transaction keeps it.
    editor->setText(QStringLiteral("0.00"));
    QTest::keyClick(editor, Qt::Key_Return);
    EXPECT_FALSE(menu->cellEditing().isEditing());
    EXPECT_EQ(cell(0, reg::Debit), QString());
    settle();
    EXPECT_NE(store().read(), stored);
}

TEST_F(StatementWindow, EscCancelsAndDoubleClickOnTheDateEditsADate) {
    type("1/13/2025", "7", "Lunch", "10.00");
    settle();
    ASSERT_TRUE(menu->cellEditing().edit(0, reg::Category));
    auto* editor = qobject_cast<QLineEdit*>(menu->cellEditing().editor());
    ASSERT_NE(editor, nullptr);
    editor->setText(QStringLiteral("Never kept"));
    QTest::keyClick(editor, Qt::Key_Escape);
    EXPECT_FALSE(menu->cellEditing().isEditing());
    EXPECT_EQ(cell(0, reg::Category), QString());
    EXPECT_FALSE(form->storePending());

    emit form->ListView1->doubleClicked(form->model().index(0, reg::Date));
    auto* dateEditor = qobject_cast<QDateEdit*>(menu->cellEditing().editor());
    ASSERT_NE(dateEditor, nullptr);
    EXPECT_EQ(dateEditor->date(), QDate(2025, 1, 13));
    dateEditor->setDate(QDate(2025, 2, 3));
    QTest::keyClick(dateEditor, Qt::Key_Return);
    EXPECT_EQ(cell(0, reg::Date), QStringLiteral("2025-02-03"));
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

TEST_F(StatementWindow, ExportIsByteForByteWhatTheHeadlessToolWrites) {
    const std::vector<reg::Transaction> list{
        {"1/13/2025", "=1+1", "=HYPERLINK(\"http://example.invalid\",\"x\")", "+cat", "@x", "-5", ""},
        {"1/14/2025", "'7", "\tTab, and comma", "-", "'", "", "12.50"}};
    for (const reg::Transaction& t : list) form->model().append(t);
    const QString path = folder.filePath(QStringLiteral("window.csv"));
    seams.prompter.fileNames = {path};
    menu->exportListAsCsv();

    const QString saved = folder.filePath(QStringLiteral("list.txt"));
    frame::writeFileSafely(saved, reg::encodeSavedList(rows()).toUtf8());
    const QString headless = folder.filePath(QStringLiteral("headless.csv"));
    QProcess tool;
    tool.start(QStringLiteral(BREVANTA_REGISTER_COMMAND), {QStringLiteral("--list"), saved, QStringLiteral("--export-csv"), headless});
    ASSERT_TRUE(tool.waitForFinished(60000));
    EXPECT_EQ(tool.exitCode(), 0) << tool.readAllStandardError().toStdString();

    QFile window(path), command(headless);
    ASSERT_TRUE(window.open(QIODevice::ReadOnly));
    ASSERT_TRUE(command.open(QIODevice::ReadOnly));
    const QByteArray bytes = window.readAll();
    EXPECT_EQ(bytes, command.readAll());
    EXPECT_TRUE(bytes.contains("\r\n1/13/2025,'=1+1,\"'=HYPERLINK(")) << bytes.toStdString();
    EXPECT_EQ(statements::transactionsFromCsv(QString::fromUtf8(bytes)), list);
}

// ---- category memory: the Description and Category fields ----

QStringList completions(const QLineEdit* field) {
    QStringList texts;
    const QAbstractItemModel* model = field->completer() ? field->completer()->model() : nullptr;
    if (!model) return texts;
    for (int row = 0; row < model->rowCount(); ++row) texts << model->index(row, 0).data().toString();
    return texts;
}

reg::Transaction paid(const char* description, const char* category) {
    return {QStringLiteral("2024-12-01"), {}, QLatin1String(description), QLatin1String(category), {},
            QStringLiteral("1.00"), {}};
}

TEST_F(StatementWindow, TypingAKnownDescriptionFillsTheEmptyCategoryNeverATypedOne) {
    form->appendTransaction(paid("Corner Cafe", "Dining"));
    form->appendTransaction(paid("Harbor Plumbing", "Home"));
    form->appendTransaction(paid("corner cafe ", "Coffee"));
    settle();
    QTest::keyClicks(form->txtDescription, QStringLiteral("CORNER CAFE"));
    EXPECT_EQ(form->txtCategory->text(), QStringLiteral("Coffee"));  // the most recent row's
    QTest::keyClicks(form->txtDescription, QStringLiteral(" & Bakery"));
    EXPECT_EQ(form->txtCategory->text(), QString());  // the fill belonged to the payee typed before

    form->txtDescription->clear();
    QTest::keyClicks(form->txtCategory, QStringLiteral("Repairs"));
    QTest::keyClicks(form->txtDescription, QStringLiteral("harbor plumbing"));
    EXPECT_EQ(form->txtCategory->text(), QStringLiteral("Repairs"));  // typed: kept

    form->txtDebit->setText(QStringLiteral("80.00"));
    form->PushButton2_Click();  // the typed category is now the payee's most recent
    settle();
    QTest::keyClicks(form->txtDescription, QStringLiteral("Harbor Plumbing"));
    EXPECT_EQ(form->txtCategory->text(), QStringLiteral("Repairs"));
}

TEST_F(StatementWindow, TheCompletionsFollowTheListMostRecentFirst) {
    EXPECT_EQ(form->txtDescription->completer()->caseSensitivity(), Qt::CaseInsensitive);
    form->appendTransaction(paid("Corner Cafe", "Dining"));
    form->appendTransaction(paid("Harbor Plumbing", "Home"));
    form->appendTransaction(paid("CORNER CAFE", ""));
    settle();
    EXPECT_EQ(completions(form->txtDescription), (QStringList{"CORNER CAFE", "Harbor Plumbing"}));
    EXPECT_EQ(completions(form->txtCategory), (QStringList{"Home", "Dining"}));

    setCurrentRow(1);
    form->PushButton1_Click();  // delete
    form->model().edit(0, reg::Category, QStringLiteral("Treats"));  // edit in place
    settle();
    EXPECT_EQ(completions(form->txtDescription), (QStringList{"CORNER CAFE"}));
    EXPECT_EQ(completions(form->txtCategory), (QStringList{"Treats"}));

    seams.prompter.answers = {frame::Answer::Yes};
    form->PushButton3_Click();  // clear
    settle();
    EXPECT_TRUE(completions(form->txtDescription).isEmpty());
    form->PushButton4_Click();  // sample
    settle();
    EXPECT_EQ(completions(form->txtDescription), (QStringList{"Thundercats Collection", "Sold My Used Car"}));
}

TEST_F(StatementWindow, AnImportedRowTakesItsPayeesRememberedCategory) {
    form->appendTransaction({"2024-12-31", "", "Payroll Acme Widgets", "Salary", "", "", "1450.00"});
    settle();
    import(fixture("bank_sgml.ofx"));
    const auto list = rows();
    ASSERT_EQ(list.size(), 6u);
    EXPECT_EQ(list[2], (reg::Transaction{"2025-01-16", "", "PAYROLL ACME WIDGETS", "Salary", "Yes", "", "1500.00"}));
    EXPECT_EQ(list[3][reg::Category], QString());  // a payee the list does not know
    EXPECT_EQ(completions(form->txtDescription).first(), QStringLiteral("Monthly service fee"));
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
    ASSERT_TRUE(menu->cellEditing().edit(0, reg::Description));
    auto* editor = qobject_cast<QLineEdit*>(menu->cellEditing().editor());
    ASSERT_NE(editor, nullptr);
    QGuiApplication::clipboard()->setText(pasted);
    editor->selectAll();
    editor->paste();
    EXPECT_TRUE(menu->cellEditing().commit());
    EXPECT_TRUE(cell(0, reg::Description) == QString(32766, QLatin1Char('a')));
}

}  // namespace
