#include "register/statement_import.h"

#include <QFileInfo>
#include <QScopeGuard>
#include <QUndoStack>
#include <memory>

#include "frame/app_title.h"
#include "frame/prompter.h"
#include "ledger/dates.h"
#include "ledger/transaction_history.h"
#include "ledger/transaction_model.h"
#include "register/bank_csv_question.h"
#include "register/form1.h"
#include "register/statement_reading.h"
#include "statements/reconciler.h"
#include "statements/statement_rows.h"

namespace brevanta::reg {
namespace {

// The latest change of the history, empty when there is none to undo.
QString latestChange(const QUndoStack& history) {
    const QUndoCommand* latest = history.index() > 0 ? history.command(history.index() - 1) : nullptr;
    return latest ? latest->text() : QString();
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

StatementImport::StatementImport(Form1& form) : QObject(&form), form_(form) {}

void StatementImport::importFiles(const QStringList& paths) {
    if (paths.isEmpty() || importing_) return;
    importing_ = true;
    const auto done = qScopeGuard([this] { importing_ = false; });
    TransactionModel& model = form_.model();
    std::vector<Transaction> rows = model.rows();
    // What every file changes, in order: the cleared marks, then the added rows.
    auto import = std::make_unique<QUndoCommand>(change::kImportBankStatement);
    bool changed = false;
    QStringList lines;
    bool failed = false;
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

        const QString mark = QString::fromUtf16(statements::kClearedMark);
        std::vector<FieldChange> marks;
        for (int row : reconciliation.rowsToMarkCleared) {
            if (row < 0 || size_t(row) >= rows.size()) continue;
            if (const QString& before = rows[size_t(row)][Cleared]; before != mark) marks.push_back({row, Cleared, before, mark});
        }
        std::vector<Transaction> added;
        for (Transaction row : reconciliation.rowsToAdd) {
            row[Date] = ledger::storedFormOf(row[Date]);
            added.push_back(std::move(row));
        }
        changed = changed || !marks.empty() || !added.empty();
        if (!marks.empty()) new ChangeFields(model, change::kImportBankStatement, std::move(marks), import.get());
        if (!added.empty())
            new InsertRows(model, change::kImportBankStatement, int(rows.size()), std::move(added), import.get());
        statements::applyReconciliation(rows, reconciliation);
    }
    if (changed) model.push(import.release());
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
    // Undo Import takes the opening balance back with the import before it.
    Transaction row = *opening;
    row[Date] = ledger::storedFormOf(row[Date]);
    model.push(new InsertRows(model, change::kOpeningBalance, model.rowCount(), {row}));
}

bool StatementImport::canUndo() const {
    const QString latest = latestChange(form_.history());
    return latest == change::kImportBankStatement || latest == change::kOpeningBalance;
}

void StatementImport::undoImport() {
    QUndoStack& history = form_.history();
    if (latestChange(history) == change::kOpeningBalance) history.undo();
    if (latestChange(history) == change::kImportBankStatement) history.undo();
}

}  // namespace brevanta::reg
