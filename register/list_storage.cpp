#include "register/list_storage.h"

#include <QDateTime>
#include <QFileInfo>
#include <QTimer>

#include "frame/failure.h"
#include "ledger/dates.h"
#include "ledger/list_rescue.h"
#include "ledger/transaction_model.h"
#include "statements/register_csv.h"

namespace brevanta::reg {
namespace {

const QString kModule = QStringLiteral("Form1");

}  // namespace

ListStorage::ListStorage(TransactionModel& model, QObject* parent) : QObject(parent), model_(model) {}

void ListStorage::setPlaces(SavedListStore store, QStringList rescueFolders) {
    store_ = std::move(store);
    rescueFolders_ = std::move(rescueFolders);
}

void ListStorage::restore(frame::Procedure& proc) {
    QString value;
    std::vector<QStringView> pieces;
    restoring_ = true;
    proc.step(130, [&] {
        try {
            value = store_.read();
        } catch (const frame::Failure& failure) {
            throw frame::Failure(failure.description() + QStringLiteral("\r\n") + keepUnreadableList());
        }
        pieces = savedListPieces(value);
    });
    std::vector<Transaction> rows;
    rows.reserve(pieces.size());
    for (size_t index = 0; index < pieces.size(); ++index) {
        QStringView piece;
        proc.step(132, [&] { piece = pieces.at(index); });
        if (proc.trueOrFailed(134, [&] { return piece.isEmpty(); })) continue;
        SavedRecord record;
        proc.step(136, [&] { record = decodeSavedRecord(piece); });
        Transaction* row = nullptr;
        // A date stored by an earlier version takes the stored form when it
        // reads unambiguously, and stays as it was otherwise.
        proc.step(138, [&] {
            rows.push_back(Transaction{ledger::storedFormOf(record.fields[Date])});
            row = &rows.back();
        });
        for (int field = 1; field < kFieldCount; ++field) {
            proc.step(138 + 2 * field, [&] {
                if (field >= record.partCount || !row) throw frame::Failure(frame::failures::kSubscriptOutOfRange);
                (*row)[static_cast<size_t>(field)] = record.fields[static_cast<size_t>(field)];
            });
        }
    }
    model_.restore(std::move(rows));
    restoring_ = false;
}

// The stored value could not be read, and the next store would replace it:
// the settings file is first copied aside. Answers what the box says of it.
QString ListStorage::keepUnreadableList() {
    try {
        const QString copy = store_.keepCopyAside(QDateTime::currentDateTime());
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
QString ListStorage::rescueList() {
    const QStringList folders = rescueFolders_.isEmpty() ? defaultRescueFolders() : rescueFolders_;
    try {
        return QStringLiteral("The transactions were written to ") +
               writeRescueFile(statements::csvFromTransactions(model_.transactions()), folders) + QLatin1Char('.');
    } catch (const frame::Failure& failure) {
        return QStringLiteral("The transactions could not be written to a rescue file either: ") +
               failure.description();
    }
}

void ListStorage::scheduleStore() {
    if (restoring_ || storePending_) return;
    storePending_ = true;
    QTimer::singleShot(0, this, [this] {
        if (storePending_) storeChangedList();
    });
}

void ListStorage::write(bool reportEveryFailure) {
    storePending_ = false;
    frame::Procedure proc(kModule, QStringLiteral("Form_QueryUnload"));
    QString value;
    proc.step(100, [&] { value.clear(); });
    const std::vector<Transaction>& rows = model_.rows();
    const int count = static_cast<int>(rows.size());
    value.reserve(qsizetype(count) * 64);
    for (int row = 1; row <= count; ++row) {
        proc.step(104, [&] {
            if (row > static_cast<int>(rows.size())) throw frame::Failure(frame::failures::kSubscriptOutOfRange);
            appendSavedRecord(value, rows[static_cast<size_t>(row - 1)]);
        });
    }
    proc.step(108, [&] {
        try {
            if (storeBlocked_) throw frame::Failure(QStringLiteral("The stored transaction list is kept as it was"));
            store_.write(value);
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

}  // namespace brevanta::reg
