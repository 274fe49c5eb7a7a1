#include "ledger/transaction_model.h"

#include <QUndoStack>
#include <algorithm>
#include <iterator>

#include "frame/failure.h"
#include "ledger/transaction_history.h"

namespace brevanta::reg {
namespace {

const char* const kHeaders[kFieldCount] = {"Date",     "Num",     "Description of Transaction", "Category",
                                           "Cleared",  "Debit",   "Credit"};

bool isField(int field) { return field >= 0 && field < kFieldCount; }

}  // namespace

QString TransactionModel::Source::field(int row, int field) const {
    if (row < 1 || row > rowCount() || !isField(field)) throw frame::Failure(frame::failures::kSubscriptOutOfRange);
    return rows_[static_cast<size_t>(row - 1)][static_cast<size_t>(field)];
}

const Transaction& TransactionModel::Source::transaction(int row) const {
    if (row < 1 || row > rowCount()) throw frame::Failure(frame::failures::kSubscriptOutOfRange);
    return rows_[static_cast<size_t>(row - 1)];
}

TransactionModel::TransactionModel(QObject* parent)
    : QAbstractTableModel(parent), history_(new QUndoStack(this)) {}

// ---- the table ----

int TransactionModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(rows_.size());
}

int TransactionModel::columnCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : kFieldCount; }

QVariant TransactionModel::data(const QModelIndex& index, int role) const {
    if (!checkIndex(index, CheckIndexOption::IndexIsValid | CheckIndexOption::ParentIsInvalid)) return {};
    if (role != Qt::DisplayRole && role != Qt::EditRole) return {};
    return rows_[static_cast<size_t>(index.row())][static_cast<size_t>(index.column())];
}

QVariant TransactionModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole || !isField(section)) return {};
    return QString::fromLatin1(kHeaders[section]);
}

Qt::ItemFlags TransactionModel::flags(const QModelIndex& index) const {
    if (!index.isValid()) return Qt::NoItemFlags;
    return Qt::ItemIsSelectable | Qt::ItemIsEnabled | Qt::ItemIsEditable | Qt::ItemNeverHasChildren;
}

bool TransactionModel::setData(const QModelIndex& index, const QVariant& value, int role) {
    if (role != Qt::EditRole || !checkIndex(index, CheckIndexOption::IndexIsValid | CheckIndexOption::ParentIsInvalid))
        return false;
    edit(index.row(), index.column(), value.toString());
    return true;
}

// ---- the changes ----

void TransactionModel::append(const Transaction& row) {
    history_->push(new InsertRows(*this, change::kAddTransaction, rowCount(), {row}));
}

void TransactionModel::remove(int position) {
    if (position < 0 || position >= rowCount()) return;
    history_->push(new RemoveRows(*this, change::kDeleteTransaction, position, 1));
}

void TransactionModel::clear() {
    if (rows_.empty()) return;
    history_->push(new RemoveRows(*this, change::kClearTransactions, 0, rowCount()));
}

void TransactionModel::edit(int position, int field, const QString& text) {
    if (position < 0 || position >= rowCount() || !isField(field)) return;
    const QString& before = rows_[static_cast<size_t>(position)][static_cast<size_t>(field)];
    if (before == text) return;
    history_->push(new ChangeFields(*this, change::kEditCell, {{position, field, before, text}}));
}

void TransactionModel::push(QUndoCommand* command) { history_->push(command); }

void TransactionModel::restore(std::vector<Transaction> rows) {
    beginResetModel();
    rows_ = std::move(rows);
    endResetModel();
    history_->clear();
}

// ---- what the commands do ----

void TransactionModel::insertRowsAt(int position, const std::vector<Transaction>& rows) {
    if (rows.empty()) return;
    position = std::clamp(position, 0, rowCount());
    beginInsertRows({}, position, position + static_cast<int>(rows.size()) - 1);
    rows_.insert(rows_.begin() + position, rows.begin(), rows.end());
    endInsertRows();
}

std::vector<Transaction> TransactionModel::takeRows(int position, int count) {
    count = std::min(count, rowCount() - position);
    if (position < 0 || count <= 0) return {};
    beginRemoveRows({}, position, position + count - 1);
    const auto first = rows_.begin() + position;
    std::vector<Transaction> taken(std::make_move_iterator(first), std::make_move_iterator(first + count));
    rows_.erase(first, first + count);
    endRemoveRows();
    return taken;
}

void TransactionModel::setField(int position, int field, const QString& text) {
    if (position < 0 || position >= rowCount() || !isField(field)) return;
    rows_[static_cast<size_t>(position)][static_cast<size_t>(field)] = text;
    const QModelIndex changed = index(position, field);
    emit dataChanged(changed, changed, {Qt::DisplayRole, Qt::EditRole});
}

}  // namespace brevanta::reg
