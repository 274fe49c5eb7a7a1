#include "ledger/transaction_source.h"

#include "frame/failure.h"

namespace brevanta::reg {

QString TransactionList::field(int row, int field) const {
    if (row < 1 || row > rowCount() || field < 0 || field >= kFieldCount)
        throw frame::Failure(frame::failures::kSubscriptOutOfRange);
    return rows_[static_cast<size_t>(row - 1)][static_cast<size_t>(field)];
}

const Transaction& TransactionList::transaction(int row) const {
    if (row < 1 || row > rowCount()) throw frame::Failure(frame::failures::kSubscriptOutOfRange);
    return rows_[static_cast<size_t>(row - 1)];
}

}  // namespace brevanta::reg
