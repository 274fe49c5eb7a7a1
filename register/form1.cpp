#include "register/form1.h"

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
#include <QScreen>
#include <QStyledItemDelegate>
#include <QTimer>
#include <QTreeWidget>

#include "frame/app_title.h"
#include "frame/disk_files.h"
#include "frame/failure.h"
#include "frame/program_end.h"
#include "frame/prompter.h"
#include "frame/window_look.h"
#include "ledger/dates.h"
#include "register/category_completion.h"
#include "register/cell_editing.h"
#include "register/cursor_file.h"
#include "register/date_text.h"
#include "register/date_picker.h"
#include "register/list_rescue.h"
#include "register/list_menu.h"
#include "register/program_icon.h"
#include "register/sample_transactions.h"
#include "register/whole_characters.h"
#include "statements/register_csv.h"

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
// it; the item keeps the stored text, which is what the list gives out.
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

// ---- ListViewRows ----

int ListViewRows::rowCount() const { return list_->topLevelItemCount(); }

QString ListViewRows::field(int row, int field) const {
    if (row < 1 || row > rowCount() || field < 0 || field >= kFieldCount)
        throw frame::Failure(frame::failures::kSubscriptOutOfRange);
    return list_->topLevelItem(row - 1)->text(field);
}

// ---- construction ----

Form1::Form1(QWidget* parent) : QWidget(parent), rows_(nullptr) {
    setObjectName(QStringLiteral("Form1"));
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint);
    setFixedSize(qRound(9480 / kTwipsPerPixel), qRound(9165 / kTwipsPerPixel));
    setFont(windowFont());
    frame::useWindowColours(this);
    setAutoFillBackground(true);

    buildControls();
    rows_ = ListViewRows(ListView1);
    setTabOrder();
    watchPointerAndFocus();
    watchListChanges();
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
    PushButton2 = button(entry, "PushButton2", "Add Transaction");
    place(PushButton2, 240, 3780, 8745, 405);
    // Return in any entry field adds the transaction, as the button does.
    for (QLineEdit* field : {txtNumber, txtDescription, txtCategory, txtC, txtDebit, txtCredit})
        connect(field, &QLineEdit::returnPressed, this, &Form1::PushButton2_Click);

    QGroupBox* list = Frame1[1] = frame(1, "Transactions");
    place(list, 120, 5505, 9240, 3555);
    ListView1 = new QTreeWidget(list);
    ListView1->setObjectName(QStringLiteral("ListView1"));
    ListView1->setRootIsDecorated(false);
    ListView1->setItemsExpandable(false);
    ListView1->setUniformRowHeights(true);
    ListView1->setSortingEnabled(false);
    ListView1->setSelectionMode(QAbstractItemView::SingleSelection);
    ListView1->setSelectionBehavior(QAbstractItemView::SelectRows);
    ListView1->setAllColumnsShowFocus(true);
    ListView1->setHeaderLabels({QStringLiteral("Date"), QStringLiteral("Num"),
                                QStringLiteral("Description of Transaction"), QStringLiteral("Category"),
                                QStringLiteral("Cleared"), QStringLiteral("Debit"), QStringLiteral("Credit")});
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

// Every change of the rows passes through the list's model, whichever
// control or routine makes it, so one watch there catches them all.
void Form1::watchListChanges() {
    QAbstractItemModel* model = ListView1->model();
    connect(model, &QAbstractItemModel::rowsInserted, this, &Form1::listChanged);
    connect(model, &QAbstractItemModel::rowsRemoved, this, &Form1::listChanged);
    connect(model, &QAbstractItemModel::rowsMoved, this, &Form1::listChanged);
    connect(model, &QAbstractItemModel::dataChanged, this, &Form1::listChanged);
    connect(model, &QAbstractItemModel::modelReset, this, &Form1::listChanged);
    connect(model, &QAbstractItemModel::layoutChanged, this, &Form1::listChanged);
    connect(this, &Form1::listChanged, this, &Form1::scheduleStore);
}

// One click may change a row several times (Add sets seven fields, Load
// Sample adds two rows): the store runs once, as soon as the handler that
// made the change has returned.
void Form1::scheduleStore() {
    if (restoring_ || storePending_) return;
    storePending_ = true;
    QTimer::singleShot(0, this, [this] {
        if (storePending_) storeChangedList();
    });
}

void Form1::setHooks(Hooks hooks) { hooks_ = std::move(hooks); }

void Form1::setEnvironment(Environment environment) { environment_ = std::move(environment); }

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
    readSavedList(proc);
    proc.step(154, [&] {
        if (hooks_.initPalette) hooks_.initPalette();
    });
    proc.step(156, [&] {
        if (hooks_.checkExcelInstalled) hooks_.checkExcelInstalled();
    });
}

// Restores the saved list (steps 130 to 152 of start-up). A record with k
// parts fills the fields it has; each missing field is reported at its own
// line, 140 for field 1 up to 150 for field 6.
void Form1::readSavedList(frame::Procedure& proc) {
    QString value;
    std::vector<QStringView> pieces;
    restoring_ = true;
    proc.step(130, [&] {
        try {
            value = environment_.savedList.read();
        } catch (const frame::Failure& failure) {
            throw frame::Failure(failure.description() + QStringLiteral("\r\n") + keepUnreadableList());
        }
        pieces = savedListPieces(value);
    });
    ListView1->setUpdatesEnabled(false);
    for (size_t index = 0; index < pieces.size(); ++index) {
        QStringView piece;
        proc.step(132, [&] { piece = pieces.at(index); });
        if (proc.trueOrFailed(134, [&] { return piece.isEmpty(); })) continue;
        SavedRecord record;
        proc.step(136, [&] { record = decodeSavedRecord(piece); });
        QTreeWidgetItem* row = nullptr;
        // A date stored by an earlier version takes the stored form when it
        // reads unambiguously, and stays as it was otherwise.
        proc.step(138, [&] { row = appendRow(ledger::storedFormOf(record.fields[Date])); });
        for (int field = 1; field < kFieldCount; ++field) {
            proc.step(138 + 2 * field, [&] {
                if (field >= record.partCount || !row) throw frame::Failure(frame::failures::kSubscriptOutOfRange);
                row->setText(field, record.fields[static_cast<size_t>(field)]);
            });
        }
    }
    ListView1->setUpdatesEnabled(true);
    restoring_ = false;
}

// The stored value could not be read, and the next store would replace it:
// the settings file is first copied aside. Answers what the box says of it.
QString Form1::keepUnreadableList() {
    try {
        const QString copy = environment_.savedList.keepCopyAside(QDateTime::currentDateTime());
        if (copy.isEmpty()) return QStringLiteral("The stored transaction list could not be read.");
        if (!QFileInfo(copy).isFile())
            return QStringLiteral("The stored transaction list could not be read; the settings file, which is not a "
                                  "regular file, was moved to ") +
                   copy + QLatin1Char('.');
        return QStringLiteral("The stored transaction list could not be read; the settings file was copied to ") +
               copy + QStringLiteral(" before anything replaces it.");
    } catch (const frame::Failure& failure) {
        storeBlocked_ = true;
        return QStringLiteral("The stored transaction list could not be read, nor the settings file copied aside (") +
               failure.description() + QStringLiteral("); the list will not be stored until the program starts again.");
    }
}

// Writes the list to a rescue file; answers what the box says of it.
QString Form1::rescueList() {
    const QStringList folders =
        environment_.rescueFolders.isEmpty() ? defaultRescueFolders() : environment_.rescueFolders;
    try {
        return QStringLiteral("The transactions were written to ") +
               writeRescueFile(statements::csvFromTransactions(rows_), folders) + QLatin1Char('.');
    } catch (const frame::Failure& failure) {
        return QStringLiteral("The transactions could not be written to a rescue file either: ") +
               failure.description();
    }
}

// ---- the list ----

QTreeWidgetItem* Form1::appendRow(const QString& dateText) {
    auto* row = new QTreeWidgetItem(ListView1);
    row->setText(Date, dateText);
    if (!ListView1->currentItem()) ListView1->setCurrentItem(row);
    return row;
}

void Form1::appendTransaction(const Transaction& transaction) {
    QTreeWidgetItem* row = appendRow(ledger::storedFormOf(transaction[Date]));
    for (int field = 1; field < kFieldCount; ++field) row->setText(field, transaction[static_cast<size_t>(field)]);
}

void Form1::keepCurrentRow(int preferredPosition) {
    const int count = ListView1->topLevelItemCount();
    if (count == 0) return;
    ListView1->setCurrentItem(ListView1->topLevelItem(std::clamp(preferredPosition, 0, count - 1)));
}

// ---- adding a transaction from the entry fields ----

void Form1::PushButton2_Click() {
    frame::Procedure proc(kModule, QStringLiteral("PushButton2_Click"));
    QTreeWidgetItem* row = nullptr;
    auto setField = [&](int field, const QString& text) {
        if (!row) throw frame::Failure(frame::failures::kObjectRequired);
        row->setText(field, text);
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
    proc.step(100, [&] {
        row = appendRow(ledger::storedDateText(dtpDate->date()));
        ListView1->scrollToItem(row);  // the new row in view, however long the list
    });
    proc.step(102, [&] { setField(Number, txtNumber->text()); });
    proc.step(104, [&] { setField(Description, txtDescription->text()); });
    proc.step(106, [&] { setField(Category, txtCategory->text()); });
    proc.step(108, [&] { setField(Cleared, txtC->text()); });
    proc.step(110, [&] { setField(Debit, debit.text); });
    proc.step(112, [&] { setField(Credit, credit.text); });
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
    if (proc.trueOrFailed(100, [&] { return ListView1->topLevelItemCount() == 0; })) return;
    proc.step(102, [&] {
        QTreeWidgetItem* current = ListView1->currentItem();
        if (!current) return;  // a current row is kept whenever rows exist
        const int position = ListView1->indexOfTopLevelItem(current);
        delete ListView1->takeTopLevelItem(position);
        keepCurrentRow(position);
    });
}

// ---- clearing the list and the entry fields ----

void Form1::PushButton3_Click() {
    frame::Procedure proc(kModule, QStringLiteral("PushButton3_Click"));
    proc.step(100, [&] { dtpDate->setDateTime(QDateTime::currentDateTime()); });
    proc.step(102, [&] { txtNumber->clear(); });
    proc.step(104, [&] { txtDescription->clear(); });
    proc.step(106, [&] { txtCategory->clear(); });
    proc.step(108, [&] { txtC->clear(); });
    proc.step(110, [&] { txtDebit->clear(); });
    proc.step(112, [&] { txtCredit->clear(); });
    frame::Answer answer = frame::Answer::No;
    proc.step(114, [&] {
        answer = frame::prompter().message(frame::appTitle(),
                                           QStringLiteral("Would you like to clear the Transactions list?"),
                                           frame::Buttons::YesNo, frame::Icon::None);
    });
    proc.step(116, [&] {
        if (answer == frame::Answer::Yes) ListView1->clear();
    });
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
    const std::vector<Transaction> examples = sampleTransactions();
    auto dateOf = [](const Transaction& example) { return QDate::fromString(example[Date], Qt::ISODate); };
    fillExample(proc, 100, dateOf(examples[0]), examples[0]);
    proc.step(114, [&] { PushButton2_Click(); });
    fillExample(proc, 116, dateOf(examples[1]), examples[1]);
    proc.step(130, [&] { PushButton2_Click(); });
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

void Form1::storeList() { writeList(true); }

void Form1::storeChangedList() { writeList(false); }

void Form1::writeList(bool reportEveryFailure) {
    storePending_ = false;
    frame::Procedure proc(kModule, QStringLiteral("Form_QueryUnload"));
    QString value;
    proc.step(100, [&] { value.clear(); });
    const int count = ListView1->topLevelItemCount();
    value.reserve(qsizetype(count) * 64);
    for (int row = 1; row <= count; ++row) {
        proc.step(104, [&] {
            const QTreeWidgetItem* item = ListView1->topLevelItem(row - 1);
            if (!item) throw frame::Failure(frame::failures::kSubscriptOutOfRange);
            Transaction fields;
            for (int field = 0; field < kFieldCount; ++field) fields[static_cast<size_t>(field)] = item->text(field);
            appendSavedRecord(value, fields);
        });
    }
    proc.step(108, [&] {
        try {
            if (storeBlocked_) throw frame::Failure(QStringLiteral("The stored transaction list is kept as it was"));
            environment_.savedList.write(value);
            storeFailing_ = false;
        } catch (...) {
            // While typing, a full disk shows one box, not one per change;
            // a list already said to be kept as it was shows none.
            const bool alreadyReported = storeFailing_ || storeBlocked_;
            storeFailing_ = true;
            if (!reportEveryFailure && alreadyReported) return;
            if (!reportEveryFailure) throw;
            // Closing: the list is about to go with the window.
            throw frame::Failure(frame::describe(std::current_exception()) + QStringLiteral("\r\n") + rescueList());
        }
    });
}

void Form1::closeEvent(QCloseEvent* event) {
    Form_QueryUnload();
    event->accept();
    frame::endProgram();
}

void Form1::showEvent(QShowEvent* event) {
    if (!centred_) {
        centred_ = true;
        if (QScreen* screen = this->screen() ? this->screen() : QGuiApplication::primaryScreen()) {
            QRect area = geometry();
            area.moveCenter(screen->availableGeometry().center());
            move(area.topLeft());
        }
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
