// The main window for a newcomer: typing dates, the tab order, dark themes,
// the menu bar above the window and the balance at a glance in it.

#include <QAction>
#include <QApplication>
#include <QDateEdit>
#include <QFile>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QPushButton>
#include <QScreen>
#include <QStyle>
#include <QStyleFactory>
#include <QTest>
#include <QTreeView>

#include "frame/window_place.h"
#include "ledger/register_totals.h"
#include "register/balance_glance.h"
#include "register/cell_editing.h"
#include "register/date_cell_editor.h"
#include "register/date_picker.h"
#include "ledger/date_text.h"
#include "register/list_menu.h"
#include "register/main_menu.h"
#include "tests/register/form1_fixture.h"
#include "tests/support/dark_theme.h"

using namespace brevanta;
using brevanta::testsupport::Form1Test;

namespace {

class MainWindow : public Form1Test {
protected:
    void showForm() {
        form->Form_Load();
        form->show();
        form->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(form.get()));
    }
    void add(const char* isoDate, const char* number, const char* cleared, const char* debit, const char* credit) {
        form->appendTransaction({QLatin1String(isoDate), QLatin1String(number), QStringLiteral("Row"), QString(),
                                 QLatin1String(cleared), QLatin1String(debit), QLatin1String(credit)});
    }
    reg::ListMenu& listMenu() { return *form->findChild<reg::ListMenu*>(); }
};

void typeInto(QDateEdit* picker, QDateTimeEdit::Section section, const char* keys) {
    picker->setSelectedSection(section);
    QTest::keyClicks(picker, QLatin1String(keys));
}

}  // namespace

TEST_F(MainWindow, DatePickerTakesATypedYearAndMonthNames) {
    showForm();
    form->dtpDate->setFocus();
    form->dtpDate->setDate(QDate(2025, 12, 31));
    typeInto(form->dtpDate, QDateTimeEdit::YearSection, "2026");
    EXPECT_TRUE(form->dtpDate->text().endsWith(QStringLiteral("2026"))) << form->dtpDate->text().toStdString();
    EXPECT_EQ(form->dtpDate->date(), QDate(2026, 12, 31));

    typeInto(form->dtpDate, QDateTimeEdit::MonthSection, "o");
    EXPECT_EQ(form->dtpDate->date(), QDate(2026, 10, 31));
    typeInto(form->dtpDate, QDateTimeEdit::MonthSection, "ju");  // June first; its 30 days keep the day in it
    EXPECT_EQ(form->dtpDate->date(), QDate(2026, 6, 30));
    typeInto(form->dtpDate, QDateTimeEdit::MonthSection, "l");  // "jul"
    EXPECT_EQ(form->dtpDate->date(), QDate(2026, 7, 30));

    // No day of the week in any picker format: it is what turned a typed year into 0000.
    EXPECT_EQ(reg::pickerDateFormat(QLocale(QLocale::English, QLocale::UnitedStates)), QStringLiteral("MMMM d, yyyy"));
    EXPECT_EQ(reg::pickerDateFormat(QLocale(QLocale::German, QLocale::Germany)), QStringLiteral("d. MMMM yyyy"));
}

// Typing on from the end of the month ("March|") goes into the year: the
// first digit only stepped there, and "2025" read "0000" and fell back to
// the old year when the picker lost the focus.
TEST_F(MainWindow, DatePickerTakesAYearTypedOnFromTheEndOfTheMonth) {
    showForm();
    reg::DatePicker picker(form.get());
    picker.setDisplayFormat(QStringLiteral("d MMMM yyyy"));
    picker.show();
    picker.setFocus();
    picker.setDate(QDate(2026, 3, 18));
    auto* text = picker.findChild<QLineEdit*>();
    text->setCursorPosition(QStringLiteral("18 March").size());
    QTest::keyClicks(&picker, "2025");
    form->txtNumber->setFocus();
    EXPECT_EQ(picker.date(), QDate(2025, 3, 18)) << picker.text().toStdString();
    // Digits typed within a part stay in it.
    picker.setFocus();
    typeInto(&picker, QDateTimeEdit::DaySection, "15");
    EXPECT_EQ(picker.date(), QDate(2025, 3, 15)) << picker.text().toStdString();
}

TEST_F(MainWindow, InPlaceDateEditorIsWideEnoughAndReadsIsoAndLocaleDates) {
    showForm();
    add("2025-01-13", "7", "", "10.00", "");
    reg::CellEditing& editing = listMenu().cellEditing();
    auto typeDate = [&](const char* text) {
        EXPECT_TRUE(editing.edit(0, reg::Date));
        auto* editor = qobject_cast<reg::DateCellEditor*>(editing.editor());
        EXPECT_NE(editor, nullptr);
        if (!editor) return;
        EXPECT_GE(editor->width(), editor->sizeHint().width());
        EXPECT_TRUE(form->ListView1->viewport()->rect().contains(editor->geometry()));
        QTest::keyClicks(editor, QLatin1String(text));
        QTest::keyClick(editor, Qt::Key_Return);
    };
    typeDate("2026-01-31");
    EXPECT_EQ(cell(0, reg::Date), QStringLiteral("2026-01-31"));
    typeDate("2/3/2026");
    EXPECT_EQ(cell(0, reg::Date), QStringLiteral("2026-02-03"));
    typeDate("2026-02-30");
    ASSERT_EQ(seams.prompter.messages.size(), 1u);
    EXPECT_TRUE(seams.prompter.messages[0].text.contains(QStringLiteral("2026-02-30")));
    EXPECT_TRUE(editing.isEditing());
    EXPECT_EQ(cell(0, reg::Date), QStringLiteral("2026-02-03"));
}

TEST_F(MainWindow, TabGoesThroughTheControlsTopToBottom) {
    showForm();
    const std::vector<QWidget*> expected = {
        form->PushButton22, form->PushButton3, form->PushButton4, form->dtpDate,     form->txtNumber,
        form->txtDescription, form->txtCategory, form->txtC,      form->txtDebit,    form->txtCredit,
        form->PushButton2,  form->ListView1,   form->PushButton1, form->PushButton22};
    form->PushButton22->setFocus(Qt::TabFocusReason);
    std::vector<QWidget*> visited = {QApplication::focusWidget()};
    for (size_t i = 1; i < expected.size(); ++i) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        QWidget* focus = QApplication::focusWidget();
        while (focus && !std::count(expected.begin(), expected.end(), focus) && focus->parentWidget() != form.get())
            focus = focus->parentWidget();  // the line edit inside the date picker
        visited.push_back(focus);
    }
    EXPECT_EQ(visited, expected);
}

using testsupport::contrastIn;
using testsupport::darkPalette;

TEST_F(MainWindow, EveryTextStandsOutUnderADarkTheme) {
    const QString style = QApplication::style()->name();
    const QPalette palette = QApplication::palette();
    const auto restore = qScopeGuard([&] {
        QApplication::setStyle(QStyleFactory::create(style));
        QApplication::setPalette(palette);
    });
    QApplication::setStyle(QStyleFactory::create(QStringLiteral("Fusion")));
    QApplication::setPalette(darkPalette());
    for (const bool madeUnderTheDarkTheme : {true, false}) {
        form = std::make_unique<reg::Form1>();  // a window made before the switch follows it too
        form->setEnvironment(environment());
        if (!madeUnderTheDarkTheme) {
            QApplication::setPalette(palette);
            form = std::make_unique<reg::Form1>();
            form->setEnvironment(environment());
            QApplication::setPalette(darkPalette());
        }
        form->Form_Load();
        form->PushButton4_Click();
        form->ListView1->setCurrentIndex({});
        form->resize(form->size());
        const QImage image = form->grab().toImage();
        auto area = [&](QWidget* widget, QRect part) {
            return QRect(widget->mapTo(form.get(), part.topLeft()), part.size());
        };
        const std::string when = madeUnderTheDarkTheme ? "made dark" : "switched to dark";
        for (QLabel* label : form->Label4) {
            if (!label) continue;
            EXPECT_GT(contrastIn(image, area(label, label->rect())), 100) << label->objectName().toStdString() << ' ' << when;
        }
        for (QGroupBox* frame : form->Frame1)
            EXPECT_GT(contrastIn(image, area(frame, QRect(0, 0, 160, frame->fontMetrics().height()))), 100)
                << frame->objectName().toStdString() << ' ' << when;
        EXPECT_GT(contrastIn(image, area(form->dtpDate, form->dtpDate->rect().adjusted(3, 3, -30, -3))), 100) << when;
        QWidget* rows = form->ListView1->viewport();
        EXPECT_GT(contrastIn(image, area(rows, form->ListView1->visualRect(form->model().index(0, 0)).united(form->ListView1->visualRect(form->model().index(0, reg::kFieldCount - 1))))), 100)
            << when;
    }
}

TEST_F(MainWindow, MenuBarSitsAboveTheWindowAsItWas) {
    const QSize client = form->size();
    std::vector<std::pair<QWidget*, QRect>> controls;
    for (QWidget* control : form->findChildren<QWidget*>())
        if (!control->isWindow()) controls.emplace_back(control, control->geometry());
    reg::MainMenu menu(*form);
    const int bar = menu.barHeight();
    ASSERT_GT(bar, 10);
    EXPECT_EQ(menu.bar()->geometry(), QRect(0, 0, client.width(), bar));
    EXPECT_EQ(form->size(), client + QSize(0, bar));
    EXPECT_EQ(form->minimumSize(), form->maximumSize());
    for (const auto& [control, before] : controls) {
        const bool onTheWindow = control->parentWidget() == form.get();
        EXPECT_EQ(control->geometry(), onTheWindow ? before.translated(0, bar) : before)
            << control->objectName().toStdString();
    }
    EXPECT_EQ(menu.bar()->cornerWidget(Qt::TopRightCorner), menu.balance());
    for (QAction* action : menu.bar()->actions())
        for (QAction* item : action->menu()->actions())
            EXPECT_TRUE(item->isSeparator() || !item->toolTip().isEmpty()) << item->text().toStdString();
    for (QAction* item : listMenu().menu()->actions())
        EXPECT_NE(item->toolTip(), QString(item->text()).remove(u'…')) << item->text().toStdString();
    for (QWidget* control : std::initializer_list<QWidget*>{form->PushButton22, form->dtpDate, form->txtC, form->ListView1, form->PushButton1})
        EXPECT_FALSE(control->toolTip().isEmpty()) << control->objectName().toStdString();
}

// Tabbing to a button and pressing Return presses it, as Space does.
TEST_F(MainWindow, ReturnOnAFocusedButtonPressesIt) {
    showForm();
    form->txtDescription->setText(QStringLiteral("Coffee"));
    form->txtCredit->setText(QStringLiteral("3.20"));
    form->PushButton2->setFocus();
    QTest::keyClick(form->PushButton2, Qt::Key_Return);
    ASSERT_EQ(form->model().rowCount(), 1);
    EXPECT_EQ(cell(0, reg::Description), QStringLiteral("Coffee"));
    setCurrentRow(0);
    form->PushButton1->setFocus();
    QTest::keyClick(form->PushButton1, Qt::Key_Enter, Qt::KeypadModifier);
    EXPECT_EQ(form->model().rowCount(), 0);
    QTest::keyClick(form->PushButton1, Qt::Key_Return, Qt::ControlModifier);  // not a plain Return: nothing
    EXPECT_TRUE(seams.reporter.reports.empty());
}

// Centred, but with the title bar and the menu bar on the screen when the
// window is taller than it (as at a scale factor of 2 on a 1080-line screen).
TEST_F(MainWindow, OpensWithItsTopEdgeOnTheScreen) {
    EXPECT_EQ(frame::centredPlace(QSize(200, 100), QRect(0, 20, 800, 600)), QPoint(300, 270));
    EXPECT_EQ(frame::centredPlace(QSize(1264, 1300), QRect(0, 20, 960, 520)), QPoint(0, 20));
    reg::MainMenu menu(*form);
    const QRect available = form->screen()->availableGeometry();
    form->setFixedSize(form->width(), available.height() + 100);  // the window as a 2x scale makes it
    showForm();
    EXPECT_EQ(form->frameGeometry().top(), available.top());
    EXPECT_GE(form->frameGeometry().left(), available.left());
}

TEST_F(MainWindow, MenuActionsRunWhatTheButtonsAndTheListsMenuRun) {
    showForm();
    reg::MainMenu menu(*form);
    EXPECT_FALSE(menu.undoAction->isEnabled());
    // Nothing to edit or delete in an empty list.
    EXPECT_FALSE(menu.editCellAction->isEnabled());
    EXPECT_FALSE(menu.deleteAction->isEnabled());

    // Edit > Add Transaction, Edit Cell, Delete Transaction.
    form->txtDescription->setText(QStringLiteral("Lunch"));
    form->txtDebit->setText(QStringLiteral("12.50"));
    menu.addAction->trigger();
    ASSERT_EQ(form->model().rowCount(), 1);
    EXPECT_EQ(cell(0, reg::Debit), QStringLiteral("12.50"));
    EXPECT_TRUE(menu.editCellAction->isEnabled());
    EXPECT_TRUE(menu.deleteAction->isEnabled());
    setCurrentRow(0, reg::Description);
    menu.editCellAction->trigger();
    EXPECT_TRUE(listMenu().cellEditing().isEditing());
    listMenu().cellEditing().cancel();
    menu.deleteAction->trigger();
    EXPECT_EQ(form->model().rowCount(), 0);
    // F2 and Del in the list reach the same routines; Del in an entry field stays the field's.
    form->txtDescription->setText(QStringLiteral("Kept"));
    menu.addAction->trigger();
    form->ListView1->setFocus();
    setCurrentRow(0, reg::Category);
    QTest::keyClick(form->ListView1, Qt::Key_F2);
    EXPECT_TRUE(listMenu().cellEditing().isEditing());
    listMenu().cellEditing().cancel();
    form->txtNumber->setFocus();
    form->txtNumber->setText(QStringLiteral("12"));
    form->txtNumber->setCursorPosition(0);
    QTest::keyClick(form->txtNumber, Qt::Key_Delete);
    EXPECT_EQ(form->txtNumber->text(), QStringLiteral("2"));
    EXPECT_EQ(form->model().rowCount(), 1);
    form->ListView1->setFocus();
    QTest::keyClick(form->ListView1, Qt::Key_Delete);
    EXPECT_EQ(form->model().rowCount(), 0);

    // File > Export remembers its folder; Import starts there.
    const QString path = folder.filePath(QStringLiteral("out.csv"));
    seams.prompter.fileNames = {path};
    menu.exportAction->trigger();
    EXPECT_TRUE(QFile::exists(path));
    menu.exportAction->trigger();
    ASSERT_EQ(seams.prompter.saveRequests.size(), 2u);
    EXPECT_EQ(seams.prompter.saveRequests[1].fileName, folder.filePath(QStringLiteral("Check Register.csv")));
    menu.importAction->trigger();
    ASSERT_EQ(seams.prompter.openRequests.size(), 1u);
    EXPECT_EQ(seams.prompter.openRequests[0].folder, folder.path());

    // Edit > Undo and Redo work the list's history, and name what they take back.
    ASSERT_EQ(form->model().rowCount(), 0);
    EXPECT_EQ(menu.undoAction->text(), QStringLiteral("Undo Delete Transaction"));
    menu.undoAction->trigger();
    EXPECT_EQ(form->model().rowCount(), 1);
    menu.redoAction->trigger();
    EXPECT_EQ(form->model().rowCount(), 0);
    EXPECT_TRUE(menu.undoAction->isEnabled());

    // Help.
    seams.prompter.messages.clear();
    menu.shortcutsAction->trigger();
    menu.aboutAction->trigger();
    ASSERT_EQ(seams.prompter.messages.size(), 2u);
    EXPECT_TRUE(seams.prompter.messages[0].text.contains(QStringLiteral("Ctrl+Shift+Z")));
    // Titled so that the name the window system adds is not a second one.
    EXPECT_EQ(seams.prompter.messages[0].title, QStringLiteral("Keyboard Shortcuts"));
    EXPECT_TRUE(seams.prompter.messages[1].text.startsWith(QStringLiteral("Brevanta ")));

    // File > Quit keeps the list and ends the program.
    form->txtDescription->setText(QStringLiteral("Kept"));
    form->PushButton2_Click();
    menu.quitAction->trigger();
    EXPECT_EQ(programEnds.size(), 1u);
    EXPECT_TRUE(store().read().contains(QStringLiteral("Kept")));
}

TEST_F(MainWindow, BalanceAtAGlanceFollowsTheListInTimeOrder) {
    showForm();
    reg::MainMenu menu(*form);
    add("2026-02-01", "2", "Yes", "700", "");
    add("sometime", "", "", "", "12.34");
    add("2026-01-01", "1", "Yes", "", "5,000.00");
    add("2026-01-20", "", "", "45.10", "");
    QCoreApplication::processEvents();
    // 5000.00 - 45.10 - 700.00 + 12.34 = 4267.24; cleared 5000.00 - 700.00 = 4300.00
    EXPECT_EQ(menu.balance()->text(), QStringLiteral("Balance 4,267.24 · Cleared 4,300.00 · 4 transactions"));
    setCurrentRow(0);
    form->PushButton1_Click();
    QCoreApplication::processEvents();
    EXPECT_EQ(menu.balance()->text(), QStringLiteral("Balance 4,967.24 · Cleared 5,000.00 · 3 transactions"));
    EXPECT_GE(menu.balance()->width(), menu.balance()->sizeHint().width());  // the whole text shows
}
