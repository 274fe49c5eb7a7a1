#include "register/statement_import.h"

#include <QFileInfo>
#include <QScopeGuard>
#include <QTreeWidget>

#include "frame/app_title.h"
#include "frame/prompter.h"
#include "ledger/dates.h"
#include "register/bank_csv_question.h"
#include "register/form1.h"
#include "register/statement_reading.h"
#include "statements/reconciler.h"
#include "statements/statement_rows.h"

namespace brevanta::reg {
namespace {

std::vector<Transaction> rowsOf(TransactionSource& source) {
    std::vector<Transaction> rows;
    rows.reserve(size_t(source.rowCount()));
    for (int r = 1; r <= source.rowCount(); ++r) {
        Transaction row;
        for (int f = 0; f < kFieldCount; ++f) row[size_t(f)] = source.field(r, f);
        rows.push_back(std::move(row));
    }
    return rows;
}

const QString kAddOpeningBalance = QStringLiteral("Add Opening Balance");

// What the offered button does, below the summary.
QString openingBalanceOffer(const Transaction& row) {
    const bool credit = !row[Credit].isEmpty();
    return QStringLiteral("%1 adds the row \"%2\" dated %3 with a %4 of %5, which makes them agree.")
        .arg(kAddOpeningBalance, row[Description], ledger::displayDateText(row[Date]), QLatin1String(credit ? "credit" : "debit"),
             credit ? row[Credit] : row[Debit]);
}

}  // namespace

StatementImport::StatementImport(Form1& form) : QObject(&form), form_(form) {
    connect(&form_, &Form1::listChanged, this, &StatementImport::listChanged);
}

void StatementImport::listChanged() {
    if (!applying_) undo_.reset();
}

void StatementImport::importFiles(const QStringList& paths) {
    if (paths.isEmpty() || importing_) return;
    importing_ = true;
    const auto done = qScopeGuard([this] { importing_ = false; });
    std::vector<Transaction> rows = rowsOf(form_.transactions());
    Undo undo;
    undo.rowCount = int(rows.size());
    std::vector<bool> recorded(rows.size(), false);
    QStringList lines;
    bool failed = false;
    bool changed = false;
    std::optional<Transaction> opening;  // the missing opening balance of the earliest statement
    QDate openingStatementStart;

    for (const QString& path : paths) {
        statements::Reconciliation reconciliation;
        QString formNote;
        try {
            // A bank CSV file that leaves its dates' order or decimal mark open is shown to the user first.
            statements::StatementReadOptions options;
            options.askForm = [](const statements::BankCsvFile& file, const statements::BankCsvForm& proposal) {
                return askBankCsvForm(file, proposal);
            };
            const std::optional<statements::StatementReading> reading = readStatementShowingProgress(path, options);
            if (!reading) {  // the user cancelled; one file needs no word about it
                if (paths.size() > 1)
                    lines << QFileInfo(path).fileName() + QStringLiteral(": cancelled; nothing was imported from this file.");
                continue;
            }
            reconciliation = statements::reconcile(rows, reading->statement);
            formNote = reading->formNote;
        } catch (const statements::ReadCancelled& cancelled) {
            lines << cancelled.description() + QStringLiteral("\nNothing was imported from this file or the ones after it.");
            failed = true;
            break;
        } catch (const frame::Failure& failure) {
            lines << failure.description() + QStringLiteral("\nNothing was imported from this file.");
            failed = true;
            continue;
        }
        lines << statements::reconciliationSummary(QFileInfo(path).fileName(), reconciliation) +
                     (formNote.isEmpty() ? QString() : QLatin1Char('\n') + formNote);
        if (reconciliation.balance) {
            const QDate start = reconciliation.balance->firstEntryDate;
            if (auto row = statements::openingBalanceRow(*reconciliation.balance);
                row && (!opening || start < openingStatementStart)) {
                opening = std::move(row);
                openingStatementStart = start;
            }
        }

        applying_ = true;
        QTreeWidget* list = form_.ListView1;
        for (int row : reconciliation.rowsToMarkCleared) {
            if (row < undo.rowCount && !recorded[size_t(row)]) {
                recorded[size_t(row)] = true;
                undo.clearedBefore.emplace_back(row, rows[size_t(row)][Cleared]);
            }
            list->topLevelItem(row)->setText(Cleared, QString::fromUtf16(statements::kClearedMark));
        }
        list->setUpdatesEnabled(false);
        for (const Transaction& added : reconciliation.rowsToAdd) form_.appendTransaction(added);
        list->setUpdatesEnabled(true);
        applying_ = false;
        changed = changed || !reconciliation.rowsToMarkCleared.empty() || !reconciliation.rowsToAdd.empty();
        statements::applyReconciliation(rows, reconciliation);
    }
    if (changed) undo_ = undo;
    if (lines.isEmpty()) return;  // the one file's question was cancelled
    const QString summary = lines.join(QStringLiteral("\n\n"));
    const frame::Icon icon = failed ? frame::Icon::Warning : frame::Icon::None;
    if (!opening) {
        frame::prompter().message(frame::appTitle(), summary, frame::Buttons::Ok, icon);
        return;
    }
    if (!frame::prompter().messageOffering(frame::appTitle(), summary + QStringLiteral("\n\n") + openingBalanceOffer(*opening),
                                           kAddOpeningBalance, icon))
        return;
    // The opening balance is undone with the import; after an import that
    // changed nothing, the last import's undo (if any) still takes it back.
    applying_ = true;
    form_.appendTransaction(*opening);
    applying_ = false;
    if (!undo_) undo_ = std::move(undo);
}

void StatementImport::undoImport() {
    if (!undo_) return;
    const Undo undo = std::move(*undo_);
    undo_.reset();
    QTreeWidget* list = form_.ListView1;
    applying_ = true;
    list->setUpdatesEnabled(false);
    while (list->topLevelItemCount() > undo.rowCount) delete list->takeTopLevelItem(list->topLevelItemCount() - 1);
    for (const auto& [row, text] : undo.clearedBefore)
        if (QTreeWidgetItem* item = list->topLevelItem(row)) item->setText(Cleared, text);
    list->setUpdatesEnabled(true);
    if (!list->currentItem() && list->topLevelItemCount() > 0) list->setCurrentItem(list->topLevelItem(0));
    applying_ = false;
}

}  // namespace brevanta::reg
