#include "statements/reconciler.h"

#include <algorithm>
#include <limits>
#include <unordered_map>

#include "ledger/category_memory.h"
#include "ledger/date_text.h"
#include "statements/statement_rows.h"
#include "statements/statement_values.h"

namespace brevanta::statements {
namespace {

constexpr qint64 kDaysBefore = 4;  // a row may be dated up to 4 days before the bank's date...
constexpr qint64 kDaysAfter = 2;   // ...and up to 2 days after it
constexpr qint64 kNoDay = std::numeric_limits<qint64>::max();

// A row as the matching sees it.
struct RowKey {
    std::optional<Cents> amount;  // credit minus debit
    qint64 day = kNoDay;          // Julian day, kNoDay when the date cannot be read
    QString checkNumber;
};

RowKey keyOf(const reg::Transaction& row, const QLocale& locale) {
    RowKey key;
    const std::optional<Cents> debit = readRegisterAmount(row[reg::Debit], locale);
    const std::optional<Cents> credit = readRegisterAmount(row[reg::Credit], locale);
    if (debit && credit) key.amount = *credit - *debit;
    if (const std::optional<QDate> date = readRegisterDate(row[reg::Date], locale)) key.day = date->toJulianDay();
    key.checkNumber = checkNumberKey(row[reg::Number]);
    return key;
}

// Rows of one amount: all of them by position, and those with a date by day.
struct AmountRows {
    std::vector<int> byPosition;
    std::vector<std::pair<qint64, int>> byDay;  // (day, row), sorted
};

class Matcher {
public:
    Matcher(const std::vector<reg::Transaction>& rows, const QLocale& locale) : used_(rows.size(), false) {
        keys_.reserve(rows.size());
        for (size_t i = 0; i < rows.size(); ++i) {
            keys_.push_back(keyOf(rows[i], locale));
            const RowKey& key = keys_.back();
            if (!key.amount || *key.amount == 0) continue;  // a row without a direction matches nothing
            AmountRows& bucket = byAmount_[*key.amount];
            bucket.byPosition.push_back(int(i));
            if (key.day != kNoDay) bucket.byDay.emplace_back(key.day, int(i));
        }
        for (auto& [amount, bucket] : byAmount_) std::sort(bucket.byDay.begin(), bucket.byDay.end());
    }

    // The row with the entry's amount and check number: nearest date, then earliest row.
    int matchByNumber(const StatementEntry& entry, const QString& number) {
        const AmountRows* bucket = rowsOf(entry.amount);
        if (!bucket) return -1;
        const qint64 day = entry.date.toJulianDay();
        int best = -1;
        qint64 bestDistance = kNoDay;
        for (int row : bucket->byPosition) {
            if (used_[size_t(row)] || keys_[size_t(row)].checkNumber != number) continue;
            const qint64 rowDay = keys_[size_t(row)].day;
            const qint64 distance = rowDay == kNoDay ? kNoDay - 1 : std::abs(rowDay - day);
            if (best < 0 || distance < bestDistance) best = row, bestDistance = distance;
        }
        return take(best);
    }

    // The row with the entry's amount dated within the window, where not both carry check numbers.
    int matchByDate(const StatementEntry& entry, const QString& number) {
        const AmountRows* bucket = rowsOf(entry.amount);
        if (!bucket) return -1;
        const qint64 day = entry.date.toJulianDay();
        auto at = std::lower_bound(bucket->byDay.begin(), bucket->byDay.end(), std::make_pair(day - kDaysBefore, -1));
        int best = -1;
        qint64 bestDistance = kNoDay;
        for (; at != bucket->byDay.end() && at->first <= day + kDaysAfter; ++at) {
            const int row = at->second;
            if (used_[size_t(row)]) continue;
            if (!number.isEmpty() && !keys_[size_t(row)].checkNumber.isEmpty()) continue;
            const qint64 distance = std::abs(at->first - day);
            if (best < 0 || distance < bestDistance || (distance == bestDistance && row < best))
                best = row, bestDistance = distance;
        }
        return take(best);
    }

    const std::vector<RowKey>& keys() const { return keys_; }

private:
    const AmountRows* rowsOf(Cents amount) const {
        if (amount == 0) return nullptr;
        const auto found = byAmount_.find(amount);
        return found == byAmount_.end() ? nullptr : &found->second;
    }

    int take(int row) {
        if (row >= 0) used_[size_t(row)] = true;
        return row;
    }

    std::vector<RowKey> keys_;
    std::vector<bool> used_;
    std::unordered_map<Cents, AmountRows> byAmount_;
};

QString rowsText(int count, const char* one, const char* many) {
    return QStringLiteral("%1 %2").arg(count).arg(QLatin1String(count == 1 ? one : many));
}

// The statement's earliest transaction, and its opening balance: the bank's
// balance less the transactions up to the balance's date.
void readStatementStart(const Statement& statement, qint64 lastDay, BalanceComparison& balance) {
    balance.statementOpening = balance.bank;
    for (const StatementEntry& entry : statement.entries) {
        if (!entry.date.isValid()) continue;
        if (!balance.firstEntryDate.isValid() || entry.date < balance.firstEntryDate) balance.firstEntryDate = entry.date;
        if (entry.date.toJulianDay() <= lastDay) balance.statementOpening -= entry.amount;
    }
}

// The rows' keys were read once for the matching; the balance reuses them.
BalanceComparison compareBalance(const std::vector<reg::Transaction>& rows, const std::vector<RowKey>& keys,
                                 const std::vector<bool>& markedCleared, const std::vector<bool>& matched,
                                 const std::vector<reg::Transaction>& added, const Statement& statement,
                                 const QLocale& locale) {
    BalanceComparison balance;
    balance.date = statement.ledgerBalanceDate;
    balance.bank = *statement.ledgerBalance;
    const qint64 lastDay = statement.ledgerBalanceDate.isValid() ? statement.ledgerBalanceDate.toJulianDay() : kNoDay;
    readStatementStart(statement, lastDay, balance);
    const qint64 firstDay = balance.firstEntryDate.isValid() ? balance.firstEntryDate.toJulianDay() : kNoDay;
    auto count = [&](const RowKey& key) {
        if (!key.amount || key.day == kNoDay) {
            ++balance.unreadableRows;
            return false;
        }
        if (key.day > lastDay) return false;
        balance.register_ += *key.amount;
        return true;
    };
    qint64 firstMatchedDay = firstDay;
    for (size_t i = 0; i < rows.size(); ++i) {
        const RowKey& key = keys[i];
        if (matched[i]) firstMatchedDay = std::min(firstMatchedDay, key.day);
        else if (key.day < firstDay) balance.rowsBeforeStatement = true;
        const bool clearedBefore = isClearedRow(rows[i]);
        if (!(markedCleared[i] || clearedBefore) || !count(key)) continue;
        if (clearedBefore && !matched[i] && key.day >= firstDay) {
            ++balance.clearedOffStatementRows;
            balance.clearedOffStatement += *key.amount;
        }
    }
    for (const reg::Transaction& row : added)
        if (isClearedRow(row)) count(keyOf(row, locale));
    if (firstMatchedDay != kNoDay) balance.firstMatchedDate = QDate::fromJulianDay(firstMatchedDay);
    return balance;
}

QString differenceText(const BalanceComparison& balance, const QLocale& locale) {
    switch (differenceCause(balance)) {
    case DifferenceCause::None: return {};
    case DifferenceCause::OpeningBalanceMissing:
        return QStringLiteral("\nThe difference is the statement's opening balance, %1: the register's opening "
                              "balance is probably missing.")
            .arg(displayAmount(balance.statementOpening, locale));
    case DifferenceCause::NoRowBeforeStatement:
        return QStringLiteral("\nThe register has no row before the statement's first transaction on %1: its opening "
                              "balance is probably missing.")
            .arg(reg::dateText(balance.firstEntryDate, locale));
    case DifferenceCause::ClearedAfterStatement: {
        const bool one = balance.clearedOffStatementRows == 1;
        return QStringLiteral("\nThe difference is %1 marked cleared in the register that the statement does not "
                              "show: %2 probably cleared after %3.")
            .arg(rowsText(balance.clearedOffStatementRows, "row", "rows"),
                 QLatin1String(one ? "it" : "they"), reg::dateText(balance.date, locale));
    }
    }
    return {};
}

// What the list's rows say of their payees' categories.
ledger::CategoryMemory categoriesOf(const std::vector<reg::Transaction>& rows) {
    ledger::CategoryMemory memory;
    for (const reg::Transaction& row : rows) memory.remember(row[reg::Description], row[reg::Category]);
    return memory;
}

// A new row without a category of its own takes its payee's most recent
// one; it is then the payee's most recent row.
reg::Transaction rowWithCategory(reg::Transaction row, ledger::CategoryMemory& memory) {
    if (row[reg::Category].trimmed().isEmpty()) row[reg::Category] = memory.categoryOf(row[reg::Description]);
    memory.remember(row[reg::Description], row[reg::Category]);
    return row;
}

}  // namespace

bool isClearedRow(const reg::Transaction& row) {
    return row[reg::Cleared].trimmed().compare(QStringView(kClearedMark), Qt::CaseInsensitive) == 0;
}

Reconciliation reconcile(const std::vector<reg::Transaction>& rows, const Statement& statement,
                         const QLocale& locale) {
    Reconciliation result;
    const size_t entryCount = statement.entries.size();
    result.matchedRow.assign(entryCount, -1);
    Matcher matcher(rows, locale);
    std::vector<QString> numbers(entryCount);
    for (size_t e = 0; e < entryCount; ++e) {
        numbers[e] = checkNumberKey(statement.entries[e].checkNumber);
        if (!numbers[e].isEmpty()) result.matchedRow[e] = matcher.matchByNumber(statement.entries[e], numbers[e]);
    }
    for (size_t e = 0; e < entryCount; ++e)
        if (result.matchedRow[e] < 0) result.matchedRow[e] = matcher.matchByDate(statement.entries[e], numbers[e]);

    std::vector<bool> marked(rows.size(), false);
    std::vector<bool> matched(rows.size(), false);
    ledger::CategoryMemory categories = categoriesOf(rows);
    for (size_t e = 0; e < entryCount; ++e) {
        const int row = result.matchedRow[e];
        if (row >= 0) matched[size_t(row)] = true;
        if (row < 0) {
            result.rowsToAdd.push_back(rowWithCategory(transactionFromEntry(statement.entries[e], locale), categories));
        } else if (isClearedRow(rows[size_t(row)])) {
            ++result.alreadyCleared;
        } else {
            marked[size_t(row)] = true;
        }
    }
    for (size_t i = 0; i < rows.size(); ++i)
        if (marked[i]) result.rowsToMarkCleared.push_back(int(i));
    if (statement.ledgerBalance)
        result.balance = compareBalance(rows, matcher.keys(), marked, matched, result.rowsToAdd, statement, locale);
    return result;
}

DifferenceCause differenceCause(const BalanceComparison& balance) {
    const Cents difference = balance.difference();
    if (difference == 0 || !balance.firstEntryDate.isValid()) return DifferenceCause::None;
    if (difference == balance.statementOpening) return DifferenceCause::OpeningBalanceMissing;
    if (balance.clearedOffStatementRows > 0 && difference == -balance.clearedOffStatement)
        return DifferenceCause::ClearedAfterStatement;
    if (!balance.rowsBeforeStatement) return DifferenceCause::NoRowBeforeStatement;
    return DifferenceCause::None;
}

std::optional<reg::Transaction> openingBalanceRow(const BalanceComparison& balance, const QLocale& locale) {
    const DifferenceCause cause = differenceCause(balance);
    if (cause != DifferenceCause::OpeningBalanceMissing && cause != DifferenceCause::NoRowBeforeStatement)
        return std::nullopt;
    StatementEntry opening;
    opening.date = balance.firstMatchedDate.addDays(-1);
    if (balance.date.isValid() && opening.date > balance.date) return std::nullopt;  // it would not count
    opening.amount = balance.difference();
    opening.payee = QStringLiteral("Opening balance");
    opening.cleared = true;
    return transactionFromEntry(opening, locale);
}

void applyReconciliation(std::vector<reg::Transaction>& rows, const Reconciliation& reconciliation) {
    for (int row : reconciliation.rowsToMarkCleared) rows[size_t(row)][reg::Cleared] = QString::fromUtf16(kClearedMark);
    rows.insert(rows.end(), reconciliation.rowsToAdd.begin(), reconciliation.rowsToAdd.end());
}

QString reconciliationSummary(const QString& fileName, const Reconciliation& reconciliation, const QLocale& locale) {
    QString text = QStringLiteral("%1: %2 added, %3 marked cleared, %4 cleared already.")
                       .arg(fileName)
                       .arg(rowsText(int(reconciliation.rowsToAdd.size()), "row", "rows"))
                       .arg(rowsText(int(reconciliation.rowsToMarkCleared.size()), "matched row", "matched rows"))
                       .arg(rowsText(reconciliation.alreadyCleared, "matched row was", "matched rows were"));
    if (const auto& balance = reconciliation.balance) {
        const QString date = balance->date.isValid() ? reg::dateText(balance->date, locale) : QStringLiteral("?");
        text += QStringLiteral("\nThe bank's balance on %1 is %2; the register's cleared balance up to that date is %3")
                    .arg(date, displayAmount(balance->bank, locale), displayAmount(balance->register_, locale));
        if (balance->agrees()) text += QStringLiteral(": they agree.");
        else
            text += QStringLiteral(": they differ by %1.")
                        .arg(displayAmount(std::abs(balance->difference()), locale)) +
                    differenceText(*balance, locale);
        if (balance->unreadableRows > 0)
            text += QStringLiteral("\n%1 whose date or amount cannot be read %2 left out of the cleared balance.")
                        .arg(rowsText(balance->unreadableRows, "cleared row", "cleared rows"))
                        .arg(QLatin1String(balance->unreadableRows == 1 ? "is" : "are"));
    }
    return text;
}

}  // namespace brevanta::statements
