#include "register/form1.h"

#include <QAction>
#include <QCloseEvent>
#include <QDateEdit>
#include <QEnterEvent>
#include <QFileInfo>
#include <QGroupBox>
#include <QGuiApplication>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPushButton>
#include <QScopeGuard>
#include <QStyledItemDelegate>
#include <QTimer>
#include <QTreeView>
#include <QUndoStack>

#include "frame/app_title.h"
#include "frame/disk_files.h"
#include "frame/failure.h"
#include "frame/program_end.h"
#include "frame/prompter.h"
#include "frame/return_clicks.h"
#include "frame/window_look.h"
#include "frame/window_place.h"
#include "ledger/date_text.h"
#include "ledger/dates.h"
#include "ledger/sample_transactions.h"
#include "ledger/transaction_history.h"
#include "ledger/transaction_model.h"
#include "register/category_completion.h"
#include "register/cell_editing.h"
#include "register/cursor_file.h"
#include "register/date_picker.h"
#include "register/list_menu.h"
#include "register/list_storage.h"
#include "register/program_icon.h"
#include "register/whole_characters.h"

namespace brevanta::reg {
namespace {

const QString kModule = QStringLiteral("Form1");

// Positions are kept in twips, as the window was drawn; 15 twips make a pixel.
constexpr double kTwipsPerPixel = 15.0;

void place(QWidget* control, int left, int top, int width, int height) {
    auto pixels = [](int twips) { return qRound(twips / kTwipsPerPixel); };
    control->setGeometry(pixels(left), pixels(top), pixels(width), pixels(height));
}

QFont windowFont() {
    QFont font(QStringLiteral("Arial"));
    font.setPointSizeF(9);
    font.setBold(true);
    return font;
}

// The Date column shows each stored date the way the user's language writes
// it; the model keeps the stored text, which is what the list gives out.
class DateColumn final : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;
    QString displayText(const QVariant& value, const QLocale&) const override {
        return ledger::displayDateText(value.toString());
    }
};

QFont buttonFont() {
    QFont font(QStringLiteral("Arial"));
    font.setPointSizeF(11.25);
    font.setBold(true);
    return font;
}

// Says in one message why typed amounts are refused and puts the cursor in
// the first refused field; the fields keep what was typed. False when every
// amount is accepted.
bool refuseAmounts(std::initializer_list<std::pair<QLineEdit*, const CellText&>> amounts) {
    QStringList reasons;
    QLineEdit* first = nullptr;
    for (const auto& [field, amount] : amounts) {
        if (amount.accepted) continue;
        reasons << amount.reason;
        if (!first) first = field;
    }
    if (!first) return false;
    frame::prompter().message(frame::appTitle(), reasons.join(u'\n'), frame::Buttons::Ok, frame::Icon::Warning);
    first->setFocus(Qt::OtherFocusReason);
    return true;
}

}  // namespace

// ---- construction ----

Form1::Form1(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("Form1"));
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint);
    setFixedSize(qRound(9480 / kTwipsPerPixel), qRound(9165 / kTwipsPerPixel));
    setFont(windowFont());
    frame::useWindowColours(this);
    setAutoFillBackground(true);

    model_ = new TransactionModel(this);
    storage_ = new ListStorage(*model_, this);
    buildControls();
    setTabOrder();
    watchPointerAndFocus();
    watchListChanges();
    watchListKeys();
    new ListMenu(*this);  // the list's menu, drops and editing in place
    new CategoryCompletion(*this);  // Description and Category complete from the list
}

Form1::~Form1() = default;

void Form1::buildControls() {
    auto button = [](QWidget* container, const char* name, const char* caption) {
        auto* control = new QPushButton(QString::fromUtf8(caption), container);
        control->setObjectName(QString::fromLatin1(name));
        control->setFont(buttonFont());
        control->setAutoDefault(false);
        frame::clickOnReturn(control);
        return control;
    };
    auto frame = [this](int index, const char* caption) {
        auto* control = new QGroupBox(QString::fromUtf8(caption), this);
        control->setObjectName(QStringLiteral("Frame1(%1)").arg(index));
        control->setAutoFillBackground(true);
        return control;
    };
    auto label = [this](QWidget* container, int index, const char* caption) {
        auto* control = new QLabel(QString::fromUtf8(caption), container);
        control->setObjectName(QStringLiteral("Label4(%1)").arg(index));
        control->setAutoFillBackground(true);
        Label4[static_cast<size_t>(index)] = control;
        return control;
    };
    auto textBox = [](QWidget* container, const char* name) {
        auto* control = new QLineEdit(container);
        control->setObjectName(QString::fromLatin1(name));
        limitToWholeCharacters(control);
        return control;
    };

    PushButton22 = button(this, "PushButton22", "Start Creating Template");
    place(PushButton22, 120, 120, 9240, 405);
    PushButton3 = button(this, "PushButton3", "Clear/Reset Data");
    place(PushButton3, 120, 630, 4560, 405);
    PushButton4 = button(this, "PushButton4", "Load Sample/Example Data");
    place(PushButton4, 4800, 630, 4560, 405);

    QGroupBox* entry = Frame1[0] = frame(0, "Add A Transaction");
    place(entry, 120, 1080, 9240, 4380);
    place(label(entry, 4, "Date:"), 240, 375, 2355, 225);
    dtpDate = new DatePicker(entry);
    dtpDate->setObjectName(QStringLiteral("dtpDate"));
    place(dtpDate, 2640, 315, 6330, 375);
    place(label(entry, 0, "Number:"), 240, 880, 2400, 225);
    txtNumber = textBox(entry, "txtNumber");
    place(txtNumber, 2640, 820, 6315, 345);
    place(label(entry, 1, "Description Of Transaction:"), 240, 1350, 2325, 225);
    txtDescription = textBox(entry, "txtDescription");
    place(txtDescription, 2640, 1300, 6345, 345);
    place(label(entry, 2, "Category:"), 240, 1845, 810, 225);
    txtCategory = textBox(entry, "txtCategory");
    place(txtCategory, 2640, 1800, 6345, 345);
    place(label(entry, 6, "Cleared:"), 240, 2325, 2265, 225);
    txtC = textBox(entry, "txtC");
    place(txtC, 2640, 2280, 6345, 345);
    place(label(entry, 7, "Withdrawal/Debit (-):"), 240, 2835, 2325, 225);
    txtDebit = textBox(entry, "txtDebit");
    place(txtDebit, 2640, 2775, 6345, 345);
    place(label(entry, 8, "Deposit/Credit (+):"), 240, 3330, 2355, 225);
    txtCredit = textBox(entry, "txtCredit");
    place(txtCredit, 2640, 3285, 6345, 345);
    // A caption wider than its place in the table (the font in use may run
    // wider than the one the window was drawn with) takes the room up to its
    // field, so no letter of it is cut off.
    for (QLabel* caption : Label4) {
        if (!caption) continue;
        const int room = txtNumber->x() - caption->x() - 1;
        if (caption->sizeHint().width() > caption->width())
            caption->resize(std::min(caption->sizeHint().width(), room), caption->height());
    }
    PushButton2 = button(entry, "PushButton2", "Add Transaction");
    place(PushButton2, 240, 3780, 8745, 405);
    // Return in any entry field adds the transaction, as the button does.
    for (QLineEdit* field : {txtNumber, txtDescription, txtCategory, txtC, txtDebit, txtCredit})
        connect(field, &QLineEdit::returnPressed, this, &Form1::PushButton2_Click);

    QGroupBox* list = Frame1[1] = frame(1, "Transactions");
    place(list, 120, 5505, 9240, 3555);
    ListView1 = new QTreeView(list);
    ListView1->setObjectName(QStringLiteral("ListView1"));
    ListView1->setModel(model_);  // the headers are the model's
    ListView1->setRootIsDecorated(false);
    ListView1->setItemsExpandable(false);
    ListView1->setUniformRowHeights(true);
    ListView1->setSortingEnabled(false);
    ListView1->setSelectionMode(QAbstractItemView::SingleSelection);
    ListView1->setSelectionBehavior(QAbstractItemView::SelectRows);
    ListView1->setAllColumnsShowFocus(true);
    ListView1->setEditTriggers(QAbstractItemView::NoEditTriggers);  // fields are edited through CellEditing
    ListView1->header()->setStretchLastSection(false);
    ListView1->setItemDelegateForColumn(Date, new DateColumn(ListView1));
    const int columnTwips[kFieldCount] = {1000, 700, 2500, 1300, 950, 1000, 1000};
    for (int column = 0; column < kFieldCount; ++column)
        ListView1->setColumnWidth(column, qRound(columnTwips[column] / kTwipsPerPixel));
    place(ListView1, 240, 300, 8730, 2565);
    PushButton1 = button(list, "PushButton1", "Delete Selected Transaction");
    place(PushButton1, 240, 2985, 8730, 405);

    connect(PushButton22, &QPushButton::clicked, this, &Form1::PushButton22_Click);
    connect(PushButton3, &QPushButton::clicked, this, &Form1::PushButton3_Click);
    connect(PushButton4, &QPushButton::clicked, this, &Form1::PushButton4_Click);
    connect(PushButton2, &QPushButton::clicked, this, &Form1::PushButton2_Click);
    connect(PushButton1, &QPushButton::clicked, this, &Form1::PushButton1_Click);
}

void Form1::setTabOrder() {
    const QWidget* order[] = {dtpDate,     txtNumber,   txtDescription, txtCategory, txtC,         txtDebit, txtCredit,
                              PushButton2, ListView1,   PushButton1,    PushButton22, PushButton3, PushButton4};
    for (size_t i = 0; i + 1 < std::size(order); ++i)
        QWidget::setTabOrder(const_cast<QWidget*>(order[i]), const_cast<QWidget*>(order[i + 1]));
    dtpDate->setFocus(Qt::OtherFocusReason);
}

void Form1::watchPointerAndFocus() {
    setMouseTracking(true);
    installEventFilter(this);
    for (QWidget* child : findChildren<QWidget*>()) {
        child->setMouseTracking(true);
        child->installEventFilter(this);
    }
}

// Every change of the rows passes through the model, whichever control,
// routine, undo or redo makes it, so one watch there catches them all.
void Form1::watchListChanges() {
    connect(model_, &QAbstractItemModel::rowsInserted, this, &Form1::listChanged);
    connect(model_, &QAbstractItemModel::rowsRemoved, this, &Form1::listChanged);
    connect(model_, &QAbstractItemModel::rowsMoved, this, &Form1::listChanged);
    connect(model_, &QAbstractItemModel::dataChanged, this, &Form1::listChanged);
    connect(model_, &QAbstractItemModel::modelReset, this, &Form1::listChanged);
    connect(model_, &QAbstractItemModel::layoutChanged, this, &Form1::listChanged);
    connect(this, &Form1::listChanged, storage_, &ListStorage::scheduleStore);
    // A list that gains its first rows has a current row, as one that lost
    // its current row keeps one (the view picks its neighbour).
    auto keepACurrentRow = [this] {
        if (!ListView1->currentIndex().isValid() && model_->rowCount() > 0)
            ListView1->setCurrentIndex(model_->index(0, 0));
    };
    connect(model_, &QAbstractItemModel::rowsInserted, this, keepACurrentRow);
    connect(model_, &QAbstractItemModel::modelReset, this, keepACurrentRow);
}

// The list's history on Ctrl+Z and Ctrl+Shift+Z anywhere in the window, so
// they also take back what a button just did; a text box, the date picker
// and the editor of a field claim the keys first for their own text. Delete
// removes the current row, as Delete Selected Transaction does, only while
// the list has the focus.
void Form1::watchListKeys() {
    auto onTheList = [this](QAction* action, QKeySequence::StandardKey key,
                            Qt::ShortcutContext context = Qt::WidgetShortcut) {
        action->setShortcut(key);
        action->setShortcutContext(context);
        ListView1->addAction(action);
        return action;
    };
    undoAction_ = onTheList(history().createUndoAction(this), QKeySequence::Undo, Qt::WindowShortcut);
    redoAction_ = onTheList(history().createRedoAction(this), QKeySequence::Redo, Qt::WindowShortcut);
    deleteAction_ = onTheList(new QAction(QStringLiteral("&Delete Transaction"), this), QKeySequence::Delete);
    connect(deleteAction_, &QAction::triggered, this, &Form1::PushButton1_Click);
    // Edit > Delete Transaction is offered only while there is a row to delete.
    auto offerDelete = [this] { deleteAction_->setEnabled(model_->rowCount() > 0); };
    connect(model_, &QAbstractItemModel::rowsInserted, this, offerDelete);
    connect(model_, &QAbstractItemModel::rowsRemoved, this, offerDelete);
    connect(model_, &QAbstractItemModel::modelReset, this, offerDelete);
    offerDelete();
    followUndoneChanges();
}

// After an undo or a redo the current row is the one it changed: a deleted
// row that comes back, an edited field's row, the row before one taken away.
// The view alone would keep its current row where it was, away from the change.
void Form1::followUndoneChanges() {
    connect(model_, &QAbstractItemModel::rowsInserted, this,
            [this](const QModelIndex&, int first, int) { changedCell_ = {first, -1}; });
    connect(model_, &QAbstractItemModel::rowsRemoved, this,
            [this](const QModelIndex&, int first, int) { changedCell_ = {first, -1}; });
    connect(model_, &QAbstractItemModel::dataChanged, this,
            [this](const QModelIndex& topLeft) { changedCell_ = {topLeft.row(), topLeft.column()}; });
    // Connected after the history's own, so these run once the change is made.
    auto follow = [this] {
        const auto [row, column] = changedCell_;
        changedCell_ = {-1, -1};
        const int count = model_->rowCount();
        if (row < 0 || count == 0) return;
        const int field = column >= 0 ? column : std::max(ListView1->currentIndex().column(), 0);
        const QModelIndex cell = model_->index(std::clamp(row, 0, count - 1), field);
        ListView1->setCurrentIndex(cell);
        ListView1->scrollTo(cell);
    };
    connect(undoAction_, &QAction::triggered, this, follow);
    connect(redoAction_, &QAction::triggered, this, follow);
}

void Form1::setHooks(Hooks hooks) { hooks_ = std::move(hooks); }

void Form1::setEnvironment(Environment environment) {
    environment_ = std::move(environment);
    storage_->setPlaces(environment_.savedList, environment_.rescueFolders);
}

bool Form1::isTextBox(const QWidget* widget) const {
    return widget == txtNumber || widget == txtDescription || widget == txtCategory || widget == txtC ||
           widget == txtDebit || widget == txtCredit;
}

// ---- start-up: the window, the stored list, the host check ----

void Form1::Form_Load() {
    frame::Procedure proc(kModule, QStringLiteral("Form_Load"));
    const QString folder =
        environment_.programFolder.isEmpty() ? frame::programFolder() : environment_.programFolder;

    proc.step(100, [&] { frame::applySkin(this, folder); });
    proc.step(104, [&] { setWindowTitle(QString::fromLatin1(frame::kProductTitle)); });
    proc.step(104, [&] { setWindowIcon(programIcon()); });
    proc.step(104, [&] { frame::setAppTitle(); });
    const QString cursorPath = handCursorPath(folder);
    if (proc.trueOrFailed(106, [&] { return frame::fileExists(cursorPath); })) {
        proc.step(108, [&] { handCursor_ = loadCursorFile(cursorPath); });
    }
    proc.step(110, [&] { frame::maybeOpenWebSite(environment_.webSiteVisit); });
    proc.step(128, [&] { dtpDate->setDate(QDate::currentDate()); });
    storage_->restore(proc);
    proc.step(154, [&] {
        if (hooks_.initPalette) hooks_.initPalette();
    });
    proc.step(156, [&] {
        if (hooks_.checkExcelInstalled) hooks_.checkExcelInstalled();
    });
}

// ---- the list ----

QUndoStack& Form1::history() { return model_->history(); }

TransactionSource& Form1::transactions() { return model_->transactions(); }

void Form1::appendTransaction(const Transaction& transaction) {
    Transaction row = transaction;
    row[Date] = ledger::storedFormOf(transaction[Date]);
    model_->append(row);
}

void Form1::keepCurrentRow(int preferredPosition) {
    const int count = model_->rowCount();
    if (count == 0) return;
    ListView1->setCurrentIndex(model_->index(std::clamp(preferredPosition, 0, count - 1), 0));
}

// ---- adding a transaction from the entry fields ----

void Form1::PushButton2_Click() {
    frame::Procedure proc(kModule, QStringLiteral("PushButton2_Click"));
    // The row is made field by field, then added as one change.
    std::optional<Transaction> row;
    auto setField = [&](int field, const QString& text) {
        if (!row) throw frame::Failure(frame::failures::kObjectRequired);
        (*row)[static_cast<size_t>(field)] = text;
    };
    CellText debit{true, {}, {}};
    CellText credit{true, {}, {}};
    proc.step(96, [&] {
        debit = acceptCellText(Debit, txtDebit->text());
        credit = acceptCellText(Credit, txtCredit->text());
    });
    bool refused = false;
    proc.step(98, [&] { refused = refuseAmounts({{txtDebit, debit}, {txtCredit, credit}}); });
    if (refused) return;
    proc.step(100, [&] { row = Transaction{ledger::storedDateText(dtpDate->date())}; });
    proc.step(102, [&] { setField(Number, txtNumber->text()); });
    proc.step(104, [&] { setField(Description, txtDescription->text()); });
    proc.step(106, [&] { setField(Category, txtCategory->text()); });
    proc.step(108, [&] { setField(Cleared, txtC->text()); });
    proc.step(110, [&] { setField(Debit, debit.text); });
    proc.step(112, [&] { setField(Credit, credit.text); });
    if (row) {
        model_->append(*row);
        ListView1->scrollTo(model_->index(model_->rowCount() - 1, 0));  // the new row in view, however long the list
    }
    proc.step(114, [&] { txtNumber->clear(); });
    proc.step(116, [&] { txtC->clear(); });
    proc.step(118, [&] { txtDescription->clear(); });
    proc.step(120, [&] { txtDebit->clear(); });
    proc.step(122, [&] { txtCredit->clear(); });
    proc.step(124, [&] { txtCategory->clear(); });
}

// ---- deleting the selected transaction ----

void Form1::PushButton1_Click() {
    frame::Procedure proc(kModule, QStringLiteral("PushButton1_Click"));
    if (proc.trueOrFailed(100, [&] { return model_->rowCount() == 0; })) return;
    proc.step(102, [&] {
        const QModelIndex current = ListView1->currentIndex();
        if (!current.isValid()) return;  // a current row is kept whenever rows exist
        const int position = current.row();
        model_->remove(position);
        keepCurrentRow(position);
    });
}

// ---- clearing the list and the entry fields ----

// Nothing changes until the question is answered Yes: a No (or a stray Enter
// or Esc) keeps the typed fields as well as the list.
void Form1::PushButton3_Click() {
    frame::Procedure proc(kModule, QStringLiteral("PushButton3_Click"));
    frame::Answer answer = frame::Answer::No;
    proc.step(114, [&] {
        answer = frame::prompter().message(frame::appTitle(),
                                           QStringLiteral("Would you like to clear the Transactions list?"),
                                           frame::Buttons::YesNo, frame::Icon::None);
    });
    if (answer != frame::Answer::Yes) return;
    proc.step(100, [&] { dtpDate->setDateTime(QDateTime::currentDateTime()); });
    proc.step(102, [&] { txtNumber->clear(); });
    proc.step(104, [&] { txtDescription->clear(); });
    proc.step(106, [&] { txtCategory->clear(); });
    proc.step(108, [&] { txtC->clear(); });
    proc.step(110, [&] { txtDebit->clear(); });
    proc.step(112, [&] { txtCredit->clear(); });
    proc.step(116, [&] { model_->clear(); });
}

// ---- the example transactions ----

// Fills the entry fields with one example: the date picker at `firstLine`,
// then the six text boxes on the following lines.
void Form1::fillExample(frame::Procedure& proc, int firstLine, const QDate& date, const Transaction& fields) {
    proc.step(firstLine, [&] { dtpDate->setDate(date); });
    proc.step(firstLine + 2, [&] { txtNumber->setText(fields[Number]); });
    proc.step(firstLine + 4, [&] { txtDescription->setText(fields[Description]); });
    proc.step(firstLine + 6, [&] { txtCategory->setText(fields[Category]); });
    proc.step(firstLine + 8, [&] { txtC->setText(fields[Cleared]); });
    proc.step(firstLine + 10, [&] { txtDebit->setText(fields[Debit]); });
    proc.step(firstLine + 12, [&] { txtCredit->setText(fields[Credit]); });
}

// The two example transactions are typed in and added as a user would; a
// third is left in the fields, ready to add.
void Form1::PushButton4_Click() {
    frame::Procedure proc(kModule, QStringLiteral("PushButton4_Click"));
    // The two rows are one change of the history.
    history().beginMacro(change::kLoadSampleData);
    auto added = qScopeGuard([this] { history().endMacro(); });
    const std::vector<Transaction> examples = sampleTransactions();
    auto dateOf = [](const Transaction& example) { return QDate::fromString(example[Date], Qt::ISODate); };
    fillExample(proc, 100, dateOf(examples[0]), examples[0]);
    proc.step(114, [&] { PushButton2_Click(); });
    fillExample(proc, 116, dateOf(examples[1]), examples[1]);
    proc.step(130, [&] { PushButton2_Click(); });
    added.dismiss();
    history().endMacro();
    // Written month/day/year, and read that way whatever the user's locale:
    // a day-first reading would turn "1/3/2013" into the first of March.
    fillExample(proc, 132, readMonthDayYear(QStringLiteral("1/3/2013")),
                Transaction{QString(), QStringLiteral("3"), QStringLiteral("John's Rent"), QStringLiteral("Rent"),
                            QStringLiteral("Yes"), QStringLiteral("0"), QStringLiteral("700")});
}

// ---- starting a generation ----

void Form1::PushButton22_Click() {
    if (generating_) return;
    generating_ = true;
    const auto done = qScopeGuard([this] { generating_ = false; });
    frame::Procedure proc(kModule, QStringLiteral("PushButton22_Click"));
    bool declined = false;
    proc.step(100, [&] { declined = hooks_.warnIfExcelOpen && hooks_.warnIfExcelOpen(); });
    if (declined) return;
    proc.step(102, [&] { setPointer(kPointerHourglass); });
    proc.step(104, [&] {
        if (hooks_.generateCheckRegister) hooks_.generateCheckRegister(1);
    });
    proc.step(106, [&] { setPointer(kPointerDefault); });
}

// ---- closing: storing the list ----

void Form1::Form_QueryUnload() { storeList(); }

void Form1::storeList() { storage_->storeList(); }

void Form1::storeChangedList() { storage_->storeChangedList(); }

bool Form1::storePending() const { return storage_->storePending(); }

void Form1::closeEvent(QCloseEvent* event) {
    Form_QueryUnload();
    event->accept();
    frame::endProgram();
}

void Form1::showEvent(QShowEvent* event) {
    if (!centred_) {
        centred_ = true;
        frame::placeCentred(*this);
    }
    QWidget::showEvent(event);
}

// ---- the pointer over the buttons, and the focus ----

void Form1::setPointer(int pointer) {
    pointer_ = pointer;
    if (pointer == kPointerHourglass) setCursor(Qt::WaitCursor);
    else if (pointer == kPointerCustom && handCursor_) setCursor(*handCursor_);
    else if (pointer == kPointerDefault) unsetCursor();
    else setCursor(Qt::ArrowCursor);
}

void Form1::pointerMovedOver(QWidget* control) {
    if (pointer_ == kPointerHourglass) return;
    for (QWidget* widget = control; widget; widget = widget->parentWidget()) {
        if (widget == PushButton1 || widget == PushButton2 || widget == PushButton3 || widget == PushButton4 ||
            widget == PushButton22) {
            setPointer(kPointerCustom);
            return;
        }
        if (isTextBox(widget) || widget == dtpDate) return;
        if (widget == ListView1 || qobject_cast<QLabel*>(widget) || widget == Frame1[0] || widget == Frame1[1] ||
            widget == this) {
            if (pointer_ != kPointerDefault) setPointer(kPointerDefault);
            return;
        }
    }
}

bool Form1::eventFilter(QObject* watched, QEvent* event) {
    switch (event->type()) {
    case QEvent::MouseMove:
    case QEvent::Enter: {
        const QPointF global = event->type() == QEvent::Enter ? static_cast<QEnterEvent*>(event)->globalPosition()
                                                              : static_cast<QMouseEvent*>(event)->globalPosition();
        QWidget* under = childAt(mapFromGlobal(global.toPoint()));
        pointerMovedOver(under ? under : this);
        break;
    }
    case QEvent::FocusIn: {
        auto* edit = qobject_cast<QLineEdit*>(watched);
        if (edit && isTextBox(edit)) {
            edit->selectAll();
            // A click that gave the focus would place the caret afterwards; select once it is done.
            if (static_cast<QFocusEvent*>(event)->reason() == Qt::MouseFocusReason)
                QTimer::singleShot(0, edit, [edit] { edit->selectAll(); });
        }
        break;
    }
    default:
        break;
    }
    return QWidget::eventFilter(watched, event);
}

}  // namespace brevanta::reg
