#include "ledger/register_totals.h"

#include <QHash>
#include <algorithm>
#include <optional>

#include "ledger/dates.h"

namespace brevanta::ledger {
namespace {

// How the workbook's sort ranks a Number cell: numbers by value, then texts
// by their letters with case ignored, then blank cells.
struct NumberKey {
    int kind = 2;  // 0 number, 1 text, 2 blank
    double value = 0;
    QString text;
};

NumberKey numberKey(const QString& number) {
    const QString trimmed = number.trimmed();
    if (trimmed.isEmpty()) return {};
    bool isNumber = false;
    const double value = trimmed.toDouble(&isNumber);
    if (isNumber) return {0, value, {}};
    return {1, 0, trimmed.toCaseFolded()};
}

bool before(const NumberKey& left, const NumberKey& right) {
    if (left.kind != right.kind) return left.kind < right.kind;
    if (left.kind == 0) return left.value < right.value;
    return left.text < right.text;
}

}  // namespace

std::vector<int> timeOrder(const std::vector<TotalsRow>& rows, const QLocale& locale) {
    struct Dated {
        int position;
        QDateTime when;
        NumberKey number;
    };
    std::vector<Dated> dated;
    std::vector<int> undated;
    // Many rows share a date text: each is read once.
    QHash<QString, QDateTime> read;
    for (int position = 0; position < int(rows.size()); ++position) {
        const QString& text = rows[size_t(position)].date;
        auto known = read.constFind(text);
        if (known == read.constEnd()) {
            const auto date = readDate(text, locale);
            known = read.insert(text, date ? QDateTime(date->date, date->time.isValid() ? date->time : QTime(0, 0))
                                           : QDateTime());
        }
        if (known->isValid())
            dated.push_back({position, *known, numberKey(rows[size_t(position)].number)});
        else
            undated.push_back(position);
    }
    std::stable_sort(dated.begin(), dated.end(), [](const Dated& left, const Dated& right) {
        if (left.when != right.when) return left.when < right.when;
        return before(left.number, right.number);
    });
    std::vector<int> order;
    order.reserve(rows.size());
    for (const Dated& row : dated) order.push_back(row.position);
    order.insert(order.end(), undated.begin(), undated.end());
    return order;
}

bool isMarkedCleared(const QString& cleared) {
    const QString mark = cleared.trimmed();
    return !mark.isEmpty() && mark.compare(QLatin1String("No"), Qt::CaseInsensitive) != 0 &&
           mark.compare(QLatin1String("N"), Qt::CaseInsensitive) != 0;
}

RegisterTotals registerTotals(const std::vector<TotalsRow>& rows, const QLocale& locale) {
    RegisterTotals totals;
    totals.transactions = int(rows.size());
    auto amount = [&](const QString& text) -> Cents {
        if (text.trimmed().isEmpty()) return 0;
        const std::optional<Cents> cents = readCents(text, locale);
        if (!cents) ++totals.unreadableAmounts;
        return cents.value_or(0);
    };
    for (const int position : timeOrder(rows, locale)) {
        const TotalsRow& row = rows[size_t(position)];
        const Cents change = amount(row.credit) - amount(row.debit);
        totals.balance += change;
        if (isMarkedCleared(row.cleared)) totals.cleared += change;
    }
    return totals;
}

namespace {
QString money(Cents cents, const QLocale& locale) {
    const QString whole = locale.toString(qlonglong(cents / 100 < 0 ? -(cents / 100) : cents / 100));
    const int hundredths = int(cents % 100 < 0 ? -(cents % 100) : cents % 100);
    const QString sign = cents < 0 ? locale.negativeSign() : QString();
    return sign + whole + locale.decimalPoint() + QStringLiteral("%1").arg(hundredths, 2, 10, QLatin1Char('0'));
}
}  // namespace

QString totalsText(const RegisterTotals& totals, const QLocale& locale) {
    const QString count = locale.toString(totals.transactions) +
                          (totals.transactions == 1 ? QStringLiteral(" transaction") : QStringLiteral(" transactions"));
    return QStringLiteral("Balance %1 · Cleared %2 · %3")
        .arg(money(totals.balance, locale), money(totals.cleared, locale), count);
}

}  // namespace brevanta::ledger
