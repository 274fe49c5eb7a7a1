#pragma once
// Read-only access to the transaction list, as the sheet layout and the
// saved-list writer read it: rows 1..rowCount(), fields 0..6 (Date, Number,
// Description, Category, Cleared, Debit, Credit), all text.

#include <QString>
#include <array>
#include <vector>

namespace brevanta::reg {

inline constexpr int kFieldCount = 7;
enum Field { Date = 0, Number, Description, Category, Cleared, Debit, Credit };

using Transaction = std::array<QString, kFieldCount>;

class TransactionSource {
public:
    virtual ~TransactionSource() = default;
    virtual int rowCount() const = 0;
    virtual QString field(int row, int field) const = 0;  // row 1-based; throws Failure when out of range
    // Every field of a row at once, for readers that go through all rows:
    // as field() each, without a call and a copy per field.
    virtual const Transaction& transaction(int row) const = 0;  // row 1-based; throws Failure when out of range
};

// A plain list of transactions (the headless generator, tests).
class TransactionList final : public TransactionSource {
public:
    TransactionList() = default;
    explicit TransactionList(std::vector<Transaction> rows) : rows_(std::move(rows)) {}
    int rowCount() const override { return static_cast<int>(rows_.size()); }
    QString field(int row, int field) const override;
    const Transaction& transaction(int row) const override;
    void append(const Transaction& t) { rows_.push_back(t); }
    const std::vector<Transaction>& rows() const { return rows_; }

private:
    std::vector<Transaction> rows_;
};

}  // namespace brevanta::reg
