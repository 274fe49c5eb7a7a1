#include "register/statement_import.h"

#include <QFileInfo>
#include <QTreeWidget>

#include "frame/common.h"
#include "frame/prompter.h"
#include "register/bank_csv_question.h"
#include "register/form1.h"
#include "statements/reconciler.h"
#include "statements/statement_file.h"
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

}  // namespace

StatementImport::StatementImport(Form1& form) : QObject(&form), form_(form) {
    connect(&form_, &Form1::listChanged, this, &StatementImport::listChanged);
}

void StatementImport::listChanged() {
    if (!applying_) undo_.reset();
}

void StatementImport::importFiles(const QStringList& paths) {
    if (paths.isEmpty()) return;
    std::vector<Transaction> rows = rowsOf(form_.transactions());
    Undo undo;
    undo.rowCount = int(rows.size());
    std::vector<bool> recorded(rows.size(), false);
    QStringList lines;
    bool failed = false;
    bool changed = false;

    for (const QString& path : paths) {
        statements::Reconciliation reconciliation;
        QString formNote;
        try {
            // A bank CSV file that leaves its dates' order or decimal mark open is shown to the user first.
            statements::StatementReadOptions options;
            options.askForm = [](const statements::BankCsvFile& file, const statements::BankCsvForm& proposal) {
                return askBankCsvForm(file, proposal);
            };
            const std::optional<statements::StatementReading> reading = statements::readStatement(path, options);
            if (!reading) {  // the user cancelled; one file needs no word about it
                if (paths.size() > 1)
                    lines << QFileInfo(path).fileName() + QStringLiteral(": cancelled; nothing was imported from this file.");
                continue;
            }
            reconciliation = statements::reconcile(rows, reading->statement);
            formNote = reading->formNote;
        } catch (const frame::Failure& failure) {
            lines << failure.description() + QStringLiteral("\nNothing was imported from this file.");
            failed = true;
            continue;
        }
        lines << statements::reconciliationSummary(QFileInfo(path).fileName(), reconciliation) +
                     (formNote.isEmpty() ? QString() : QLatin1Char('\n') + formNote);

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
    if (changed) undo_ = std::move(undo);
    if (lines.isEmpty()) return;
    frame::prompter().message(frame::appTitle(), lines.join(QStringLiteral("\n\n")), frame::Buttons::Ok,
                              failed ? frame::Icon::Warning : frame::Icon::None);
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
