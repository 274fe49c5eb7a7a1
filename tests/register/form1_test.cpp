#include <QDateEdit>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QFocusEvent>
#include <QGroupBox>
#include <QImageWriter>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSettings>
#include <QStyledItemDelegate>
#include <QTreeView>

#include "frame/app_title.h"
#include "frame/failure.h"
#include "register/cursor_file.h"
#include "tests/register/form1_fixture.h"

using namespace brevanta;
using brevanta::testsupport::Form1Test;

namespace {

reg::Transaction row(const char* date, const char* number, const char* description, const char* category,
                     const char* cleared, const char* debit, const char* credit) {
    return {QString::fromUtf8(date),     QString::fromUtf8(number),  QString::fromUtf8(description),
            QString::fromUtf8(category), QString::fromUtf8(cleared), QString::fromUtf8(debit),
            QString::fromUtf8(credit)};
}

const reg::Transaction kFirstExample = row("2013-01-01", "1", "Sold My Used Car", "Automotive", "Yes", "", "5000");
const reg::Transaction kSecondExample = row("2013-01-02", "2", "Thundercats Collection", "Toys", "Yes", "", "55");

// A 16 x 16 Windows cursor with its hot spot at (5, 3).
QByteArray tinyCursorFile(const QString& scratchPath) {
    QImage image(16, 16, QImage::Format_ARGB32);
    image.fill(Qt::red);
    QImageWriter writer(scratchPath, "ico");
    if (!writer.write(image)) return {};
    QFile file(scratchPath);
    file.open(QIODevice::ReadOnly);
    QByteArray bytes = file.readAll();
    bytes[2] = 2;  // type: cursor
    bytes[10] = 5;
    bytes[11] = 0;
    bytes[12] = 3;
    bytes[13] = 0;
    return bytes;
}

void writeFile(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

}  // namespace

// ---- start-up ----

TEST_F(Form1Test, StartUpSetsTheWindowUpAndRunsTheHooksInOrder) {
    std::vector<QString> calls;
    form->setHooks({[&] { calls.push_back(QStringLiteral("palette")); },
                    [&] { calls.push_back(QStringLiteral("host check")); }, {}, {}});
    store().write(QStringLiteral("1/1/2013^1^Sold My Used Car^Automotive^Yes^^5000|"));
    form->Form_Load();

    EXPECT_TRUE(seams.reporter.reports.empty());
    EXPECT_EQ(calls, (std::vector<QString>{QStringLiteral("palette"), QStringLiteral("host check")}));
    EXPECT_EQ(form->windowTitle(), QStringLiteral("Brevanta"));
    EXPECT_FALSE(form->windowIcon().isNull());
    EXPECT_EQ(form->dtpDate->date(), QDate::currentDate());
    EXPECT_EQ(rows(), std::vector<reg::Transaction>{kFirstExample});
    EXPECT_FALSE(form->hasCustomPointer());  // no HAND-M.CUR in the program folder
    EXPECT_TRUE(openedSites.empty());
    for (QLineEdit* box : {form->txtNumber, form->txtDescription, form->txtCategory, form->txtC, form->txtDebit,
                           form->txtCredit})
        EXPECT_TRUE(box->text().isEmpty());
}

TEST_F(Form1Test, StartUpReportsEachFailureAtItsLineAndCarriesOn) {
    {
        QSettings raw(settingsFile(), QSettings::IniFormat);
        raw.setValue(QStringLiteral("Brevanta/Check Register"), QStringList{QStringLiteral("a"), QStringLiteral("b")});
    }
    writeFile(folder.filePath(QString::fromLatin1(reg::kHandCursorFile)), "not a cursor");
    bool checked = false;
    form->setHooks({[] { throw frame::Failure(QStringLiteral("Object required")); },
                    [&] {
                        checked = true;
                        throw frame::Failure(QStringLiteral("ActiveX component can't create object"));
                    },
                    {}, {}});
    form->Form_Load();

    EXPECT_TRUE(checked);
    ASSERT_EQ(seams.reporter.lines(), (std::vector<int>{108, 130, 154, 156}));
    const auto& reports = seams.reporter.reports;
    for (const auto& report : reports)
        EXPECT_EQ(report.location, QStringLiteral("in Tarnwick2021/08/31.Form1.Form_Load "));
    EXPECT_TRUE(reports[1].description.startsWith(QStringLiteral("Type mismatch\r\n"))) << reports[1].description.toStdString();
    EXPECT_EQ(reports[3].description, QStringLiteral("ActiveX component can't create object"));
    EXPECT_FALSE(form->hasCustomPointer());
    EXPECT_EQ(form->transactions().rowCount(), 0);
    EXPECT_EQ(form->dtpDate->date(), QDate::currentDate());
}

TEST_F(Form1Test, ShortRecordsReportEachMissingField) {
    store().write(QStringLiteral("||whole record|a^b^c|1^2^3^4^5^6^7^8|"));
    form->Form_Load();

    // One part: six reports 140..150; three parts: four reports 144..150; eight parts: none.
    EXPECT_EQ(seams.reporter.lines(), (std::vector<int>{140, 142, 144, 146, 148, 150, 144, 146, 148, 150}));
    EXPECT_EQ(seams.reporter.reports.front().description, QStringLiteral("Subscript out of range"));
    EXPECT_EQ(rows(), (std::vector<reg::Transaction>{row("whole record", "", "", "", "", "", ""),
                                                     row("a", "b", "c", "", "", "", ""),
                                                     row("1", "2", "3", "4", "5", "6", "7")}));
    // The next close writes the rows back whole.
    form->storeList();
    EXPECT_EQ(store().read(), QStringLiteral("whole record^^^^^^|a^b^c^^^^|1^2^3^4^5^6^7|"));
}

TEST_F(Form1Test, HandCursorIsLoadedWithItsHotSpot) {
    const QByteArray cursor = tinyCursorFile(folder.filePath(QStringLiteral("scratch.ico")));
    ASSERT_FALSE(cursor.isEmpty());
    writeFile(folder.filePath(QString::fromLatin1(reg::kHandCursorFile)), cursor);
    form->Form_Load();
    EXPECT_TRUE(seams.reporter.reports.empty());
    ASSERT_TRUE(form->hasCustomPointer());
    form->setPointer(reg::Form1::kPointerCustom);
    EXPECT_EQ(form->cursor().hotSpot(), QPoint(5, 3));
    EXPECT_EQ(form->cursor().pixmap().size(), QSize(16, 16));
}

// An installed copy keeps its cursor in the data folder beside bin/; one
// beside the executable is looked at first.
TEST_F(Form1Test, HandCursorIsFoundInTheDataFolderAfterTheProgramFolder) {
    const QString bin = folder.filePath(QStringLiteral("bin"));
    ASSERT_TRUE(QDir().mkpath(bin));
    const QStringList places = reg::handCursorPlaces(bin);
    ASSERT_EQ(places.size(), 2);
    EXPECT_EQ(places[0], bin + QStringLiteral("/HAND-M.CUR"));
    EXPECT_FALSE(places[1].startsWith(bin + QLatin1Char('/')));  // outside bin/, found relative to it
    EXPECT_EQ(reg::handCursorPath(bin), places[0]);  // neither there: the arrow stays, as before

    ASSERT_TRUE(QDir().mkpath(QFileInfo(places[1]).path()));
    const QByteArray cursor = tinyCursorFile(folder.filePath(QStringLiteral("scratch.ico")));
    writeFile(places[1], cursor);
    EXPECT_EQ(reg::handCursorPath(bin), places[1]);
    reg::Form1::Environment env = environment();
    env.programFolder = bin;
    form->setEnvironment(env);
    form->Form_Load();
    EXPECT_TRUE(seams.reporter.reports.empty());
    ASSERT_TRUE(form->hasCustomPointer());
    form->setPointer(reg::Form1::kPointerCustom);
    EXPECT_EQ(form->cursor().hotSpot(), QPoint(5, 3));

    // A file beside the executable wins, even a broken one (reported, as before).
    writeFile(places[0], "not a cursor");
    EXPECT_EQ(reg::handCursorPath(bin), places[0]);
    auto second = std::make_unique<reg::Form1>();
    second->setEnvironment(env);
    second->Form_Load();
    EXPECT_EQ(seams.reporter.lines(), std::vector<int>({108}));
    EXPECT_FALSE(second->hasCustomPointer());
}

// ---- Add, Load Sample, Clear, Delete ----

TEST_F(Form1Test, AddStoresTextsAsTypedAndEmptiesZeroAmounts) {
    form->dtpDate->setDate(QDate(2025, 12, 31));
    form->PushButton2_Click();  // every field empty
    form->txtNumber->setText(QStringLiteral("101"));
    form->txtDescription->setText(QStringLiteral("  Rent | March ^ "));
    form->txtCategory->setText(QStringLiteral("Home"));
    form->txtC->setText(QStringLiteral("No"));
    form->txtDebit->setText(QStringLiteral("0.00"));
    form->txtCredit->setText(QStringLiteral("1,234.5"));
    form->PushButton2_Click();
    form->txtDebit->setText(QStringLiteral("-5"));
    form->txtCredit->setText(QStringLiteral("$5"));  // the locale's currency symbol may lead
    form->PushButton2_Click();
    form->txtDebit->setText(QStringLiteral("-0"));
    form->PushButton2_Click();

    EXPECT_TRUE(seams.reporter.reports.empty());
    EXPECT_TRUE(seams.prompter.messages.empty());
    EXPECT_EQ(rows(), (std::vector<reg::Transaction>{row("2025-12-31", "", "", "", "", "", ""),
                                                     row("2025-12-31", "101", "  Rent | March ^ ", "Home", "No", "", "1,234.5"),
                                                     row("2025-12-31", "", "", "", "", "-5", "$5"),
                                                     row("2025-12-31", "", "", "", "", "", "")}));
    EXPECT_TRUE(form->txtNumber->text().isEmpty());
    EXPECT_TRUE(form->txtCredit->text().isEmpty());
    EXPECT_EQ(form->dtpDate->date(), QDate(2025, 12, 31));
}

TEST_F(Form1Test, AddRefusesAnAmountThatIsNoneAndKeepsEverythingTyped) {
    form->txtNumber->setText(QStringLiteral("7"));
    form->txtDescription->setText(QStringLiteral("Lunch"));
    const QString huge = QStringLiteral("1") + QString(308, u'0');
    const std::vector<std::pair<QString, QString>> refused{
        {QStringLiteral("abc"), QStringLiteral("Debit must be an amount, such as 12.50; \"abc\" is not one.")},
        {QStringLiteral("12.3x"), QStringLiteral("Debit must be an amount, such as 12.50; \"12.3x\" is not one.")},
        {QStringLiteral("1e308"), QStringLiteral("Debit must be an amount, such as 12.50; \"1e308\" is not one.")},
        {huge, QStringLiteral("Debit must be an amount between -1E+307 and 1E+307; \"") + huge.left(39) + QChar(0x2026) +
                   QStringLiteral("\" is beyond that.")}};
    for (const auto& [typed, message] : refused) {
        form->txtDebit->setText(typed);
        form->PushButton2_Click();
        ASSERT_FALSE(seams.prompter.messages.empty());
        EXPECT_EQ(seams.prompter.messages.back().text, message);
        EXPECT_EQ(seams.prompter.messages.back().icon, frame::Icon::Warning);
        EXPECT_EQ(form->txtDebit->text(), typed);
    }
    EXPECT_EQ(seams.prompter.messages.size(), refused.size());

    // Both amounts wrong: one message names both.
    form->txtDebit->setText(QStringLiteral("abc"));
    form->txtCredit->setText(QStringLiteral("4..5"));
    form->PushButton2_Click();
    EXPECT_EQ(seams.prompter.messages.back().text,
              QStringLiteral("Debit must be an amount, such as 12.50; \"abc\" is not one.\n"
                             "Credit must be an amount, such as 12.50; \"4..5\" is not one."));
    EXPECT_TRUE(rows().empty());
    EXPECT_EQ(form->txtNumber->text(), QStringLiteral("7"));
    EXPECT_EQ(form->txtDescription->text(), QStringLiteral("Lunch"));
    EXPECT_EQ(form->txtCredit->text(), QStringLiteral("4..5"));

    form->txtDebit->setText(QStringLiteral("$12"));
    form->txtCredit->clear();
    form->PushButton2_Click();
    ASSERT_EQ(rows().size(), 1u);
    EXPECT_EQ(rows()[0][reg::Debit], QStringLiteral("$12"));
    EXPECT_EQ(seams.prompter.messages.size(), refused.size() + 1);
}

TEST_F(Form1Test, StoredAmountsThatAreNoAmountsLoadUnchanged) {
    const std::vector<reg::Transaction> stored{row("2013-01-02", "", "Old", "", "", "12.3x", "abc"),
                                               row("2013-01-03", "", "Older", "", "", "$5", "1e308")};
    store().write(reg::encodeSavedList(stored));
    form->Form_Load();
    EXPECT_EQ(rows(), stored);
    EXPECT_TRUE(seams.prompter.messages.empty());
}

TEST_F(Form1Test, AddTakesTheLocalesSeparatorsAndTheDot) {
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    for (const char* typed : {"1.234,50", "12.50", "12,50"}) {
        form->txtDebit->setText(QLatin1String(typed));
        form->PushButton2_Click();
    }
    form->txtCredit->setText(QStringLiteral("1,234.50"));  // the German group separator is the dot
    form->PushButton2_Click();
    EXPECT_EQ(seams.prompter.messages.size(), 1u);
    ASSERT_EQ(rows().size(), 3u);
    EXPECT_EQ(rows()[0][reg::Debit], QStringLiteral("1.234,50"));
    EXPECT_EQ(rows()[1][reg::Debit], QStringLiteral("12,50"));  // as the German workbook reads it
    EXPECT_EQ(rows()[2][reg::Debit], QStringLiteral("12,50"));
}

TEST_F(Form1Test, LoadSampleTwiceAppendsFourRowsAndLeavesTheThirdInTheFields) {
    form->appendTransaction(row("x", "0", "kept", "", "", "", ""));
    form->PushButton4_Click();
    form->PushButton4_Click();

    EXPECT_TRUE(seams.reporter.reports.empty());
    EXPECT_EQ(rows(), (std::vector<reg::Transaction>{row("x", "0", "kept", "", "", "", ""), kFirstExample,
                                                     kSecondExample, kFirstExample, kSecondExample}));
    EXPECT_EQ(form->dtpDate->date(), QDate(2013, 1, 3));
    EXPECT_EQ(form->txtNumber->text(), QStringLiteral("3"));
    EXPECT_EQ(form->txtDescription->text(), QStringLiteral("John's Rent"));
    EXPECT_EQ(form->txtCategory->text(), QStringLiteral("Rent"));
    EXPECT_EQ(form->txtC->text(), QStringLiteral("Yes"));
    EXPECT_EQ(form->txtDebit->text(), QStringLiteral("0"));
    EXPECT_EQ(form->txtCredit->text(), QStringLiteral("700"));
}

// The sample's dates are read month-first and stored in the one form; the
// list shows them the way the locale writes dates.
TEST_F(Form1Test, SampleDatesAreStoredInOneFormAndShownInTheLocales) {
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    form->PushButton4_Click();
    EXPECT_EQ(form->transactions().field(1, reg::Date), QStringLiteral("2013-01-01"));
    EXPECT_EQ(form->transactions().field(2, reg::Date), QStringLiteral("2013-01-02"));
    EXPECT_EQ(form->dtpDate->date(), QDate(2013, 1, 3));
    const auto* shown = qobject_cast<QStyledItemDelegate*>(form->ListView1->itemDelegateForColumn(reg::Date));
    ASSERT_NE(shown, nullptr);
    EXPECT_EQ(shown->displayText(QStringLiteral("2013-01-02"), QLocale()), QStringLiteral("02.01.2013"));
    EXPECT_EQ(shown->displayText(QStringLiteral("someday"), QLocale()), QStringLiteral("someday"));
}

// Older stored dates load unchanged where they are ambiguous, and take the
// stored form where they read one way only; nothing is lost.
TEST_F(Form1Test, OlderStoredDatesTakeTheStoredFormOnlyWhenUnambiguous) {
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedKingdom));
    store().write(QStringLiteral("1/2/2013^1^^^^^5|13/01/2013^2^^^^^5|Jan 3, 2013^3^^^^^5|someday^4^^^^^5|"));
    form->Form_Load();
    EXPECT_TRUE(seams.reporter.reports.empty());
    const QStringList expected{"1/2/2013", "2013-01-13", "2013-01-03", "someday"};
    for (int row = 1; row <= 4; ++row) EXPECT_EQ(form->transactions().field(row, reg::Date), expected[row - 1]);
}

// A No keeps what was typed: only a Yes empties the fields and the list.
TEST_F(Form1Test, ClearAsksFirstAndEmptiesTheFieldsAndTheListOnlyOnYes) {
    form->PushButton4_Click();  // leaves a third example typed in the fields
    form->dtpDate->setDate(QDate(2001, 5, 5));
    seams.prompter.answers = {frame::Answer::No};
    form->PushButton3_Click();

    ASSERT_EQ(seams.prompter.messages.size(), 1u);
    const auto& question = seams.prompter.messages[0];
    EXPECT_EQ(question.title, frame::appTitle());
    EXPECT_EQ(question.text, QStringLiteral("Would you like to clear the Transactions list?"));
    EXPECT_EQ(question.buttons, frame::Buttons::YesNo);
    EXPECT_EQ(question.icon, frame::Icon::None);
    EXPECT_EQ(form->transactions().rowCount(), 2);
    EXPECT_EQ(form->dtpDate->date(), QDate(2001, 5, 5));
    EXPECT_EQ(form->txtDescription->text(), QStringLiteral("John's Rent"));
    EXPECT_EQ(form->txtCredit->text(), QStringLiteral("700"));

    seams.prompter.answers = {frame::Answer::Yes};
    form->PushButton3_Click();
    EXPECT_EQ(form->transactions().rowCount(), 0);
    EXPECT_EQ(form->dtpDate->date(), QDate::currentDate());
    for (QLineEdit* box : {form->txtNumber, form->txtDescription, form->txtCategory, form->txtC, form->txtDebit,
                           form->txtCredit})
        EXPECT_TRUE(box->text().isEmpty()) << box->objectName().toStdString();
    EXPECT_TRUE(seams.reporter.reports.empty());
}

TEST_F(Form1Test, DeleteKeepsACurrentRowAndDoesNothingOnAnEmptyList) {
    form->PushButton1_Click();
    EXPECT_TRUE(seams.prompter.messages.empty());
    EXPECT_TRUE(seams.reporter.reports.empty());

    for (const char* number : {"1", "2", "3", "4"}) form->appendTransaction(row("d", number, "", "", "", "", ""));
    EXPECT_EQ(cell(currentRow(), 1), QStringLiteral("1"));  // the first row is current

    setCurrentRow(1);
    form->PushButton1_Click();  // removes "2"; "3" takes its place
    EXPECT_EQ(cell(currentRow(), 1), QStringLiteral("3"));
    setCurrentRow(2);
    form->PushButton1_Click();  // removes the last; the new last is current
    EXPECT_EQ(cell(currentRow(), 1), QStringLiteral("3"));
    form->PushButton1_Click();
    form->PushButton1_Click();
    EXPECT_EQ(form->transactions().rowCount(), 0);
    form->PushButton1_Click();
    EXPECT_TRUE(seams.reporter.reports.empty());
}

// ---- Start Creating Template and the pointer ----

TEST_F(Form1Test, StartRunsTheGenerationUnderTheHourglassUnlessDeclined) {
    std::vector<int> generations;
    int pointerDuringGeneration = -1;
    bool decline = true;
    form->setHooks({{}, {}, [&] { return decline; },
                    [&](int argument) {
                        generations.push_back(argument);
                        pointerDuringGeneration = form->pointer();
                        form->pointerMovedOver(form->PushButton22);  // the hourglass survives the mouse
                        EXPECT_EQ(form->pointer(), reg::Form1::kPointerHourglass);
                    }});
    form->setPointer(reg::Form1::kPointerCustom);
    form->PushButton22_Click();
    EXPECT_TRUE(generations.empty());
    EXPECT_EQ(form->pointer(), reg::Form1::kPointerCustom);

    decline = false;
    form->PushButton22_Click();  // an empty list is not refused
    EXPECT_EQ(generations, std::vector<int>{1});
    EXPECT_EQ(pointerDuringGeneration, reg::Form1::kPointerHourglass);
    EXPECT_EQ(form->pointer(), reg::Form1::kPointerDefault);
    EXPECT_TRUE(seams.reporter.reports.empty());
}

TEST_F(Form1Test, FailingGuardIsReportedAndTheGenerationStillRuns) {
    int generations = 0;
    form->setHooks({{}, {}, []() -> bool { throw frame::Failure(QStringLiteral("Automation error")); },
                    [&](int) { ++generations; }});
    form->PushButton22_Click();
    EXPECT_EQ(seams.reporter.lines(), std::vector<int>{100});
    EXPECT_EQ(seams.reporter.reports[0].location, QStringLiteral("in Tarnwick2021/08/31.Form1.PushButton22_Click "));
    EXPECT_EQ(generations, 1);
}

TEST_F(Form1Test, PointerFollowsWhatItMovesOver) {
    form->pointerMovedOver(form->PushButton3);
    EXPECT_EQ(form->pointer(), reg::Form1::kPointerCustom);
    form->pointerMovedOver(form->txtDebit);
    EXPECT_EQ(form->pointer(), reg::Form1::kPointerCustom);  // entry fields leave it
    form->pointerMovedOver(form->Label4[7]);
    EXPECT_EQ(form->pointer(), reg::Form1::kPointerDefault);
    form->pointerMovedOver(form->PushButton1);
    form->pointerMovedOver(form->ListView1->viewport());
    EXPECT_EQ(form->pointer(), reg::Form1::kPointerDefault);
    form->pointerMovedOver(form->PushButton2);
    form->pointerMovedOver(form->Frame1[1]);
    EXPECT_EQ(form->pointer(), reg::Form1::kPointerDefault);
    // Without a hand cursor the custom pointer shows the ordinary arrow.
    form->setPointer(reg::Form1::kPointerCustom);
    EXPECT_EQ(form->cursor().shape(), Qt::ArrowCursor);
    form->setPointer(reg::Form1::kPointerHourglass);
    EXPECT_EQ(form->cursor().shape(), Qt::WaitCursor);
}

TEST_F(Form1Test, FocusSelectsTheWholeText) {
    form->show();
    for (Qt::FocusReason reason : {Qt::OtherFocusReason, Qt::MouseFocusReason}) {
        form->txtDescription->setText(QStringLiteral("Sold My Used Car"));
        form->txtDescription->deselect();
        QFocusEvent focus(QEvent::FocusIn, reason);
        QCoreApplication::sendEvent(form->txtDescription, &focus);
        EXPECT_EQ(form->txtDescription->selectedText(), QStringLiteral("Sold My Used Car"));
        form->txtDescription->setCursorPosition(3);  // as the click that gave the focus would
        QCoreApplication::processEvents();
        if (reason == Qt::MouseFocusReason) {
            EXPECT_EQ(form->txtDescription->selectedText(), QStringLiteral("Sold My Used Car"));
        }
    }
}

// ---- closing ----

TEST_F(Form1Test, ClosingStoresTheListAndEndsTheProgram) {
    form->show();
    form->PushButton4_Click();
    form->appendTransaction(row("1/9/2013", "4", "A|B^C\x1b", "", "", "", "ü"));
    form->close();
    EXPECT_EQ(programEnds, std::vector<int>{0});
    EXPECT_TRUE(seams.reporter.reports.empty());
    EXPECT_EQ(store().read(), QStringLiteral("2013-01-01^1^Sold My Used Car^Automotive^Yes^^5000|"
                                             "2013-01-02^2^Thundercats Collection^Toys^Yes^^55|"
                                             "2013-01-09^4^A\x1bpB\x1b" "cC\x1b" "e^^^^ü|"));

    // The next start brings the same rows back.
    const auto before = rows();
    form = std::make_unique<reg::Form1>();
    form->setEnvironment(environment());
    form->Form_Load();
    EXPECT_EQ(rows(), before);
}

TEST_F(Form1Test, ClosingWithAnEmptyListStoresTheEmptyText) {
    store().write(QStringLiteral("old^1^2^3^4^5^6|"));
    form->show();
    form->close();
    EXPECT_EQ(store().read(), QString());
    form = std::make_unique<reg::Form1>();
    form->setEnvironment(environment());
    form->Form_Load();
    EXPECT_EQ(form->transactions().rowCount(), 0);
    EXPECT_TRUE(seams.reporter.reports.empty());
}

TEST_F(Form1Test, StoreThatFailsIsReportedAtLine108AndTheProgramStillEnds) {
    auto env = environment();
    env.savedList = reg::SavedListStore(folder.path());  // a folder, not a writable file
    form->setEnvironment(env);
    form->show();
    form->close();
    EXPECT_EQ(seams.reporter.lines(), std::vector<int>{108});
    EXPECT_EQ(seams.reporter.reports[0].location, QStringLiteral("in Tarnwick2021/08/31.Form1.Form_QueryUnload "));
    EXPECT_EQ(programEnds, std::vector<int>{0});
}

// Past the 32,767 rows a 16-bit counter would hold.
TEST_F(Form1Test, FortyThousandRowsRoundTripThroughTheSettings) {
    std::vector<reg::Transaction> written;
    for (int i = 0; i < 40000; ++i)
        written.push_back({QStringLiteral("2013-01-%1").arg(i % 28 + 1, 2, 10, QLatin1Char('0')), QString::number(i),
                           QStringLiteral("Row %1").arg(i), i % 3 ? QStringLiteral("Food") : QString(),
                           QStringLiteral("Yes"), i % 2 ? QString::number(i * 1.5) : QString(),
                           i % 2 ? QString() : QString::number(i)});
    for (const auto& t : written) form->appendTransaction(t);
    form->storeList();
    form = std::make_unique<reg::Form1>();
    form->setEnvironment(environment());
    form->Form_Load();
    EXPECT_TRUE(seams.reporter.reports.empty());
    EXPECT_EQ(rows(), written);
}
