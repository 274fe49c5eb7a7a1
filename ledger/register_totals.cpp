#include "ledger/register_totals.h"

#include <optional>

namespace brevanta::ledger {

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
    for (const TotalsRow& row : rows) {
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
