#include "register/balance_glance.h"

#include <QCoreApplication>
#include <QResizeEvent>
#include <QTimer>

#include "register/form1.h"
#include "ledger/transaction_source.h"

namespace brevanta::reg {

std::vector<ledger::TotalsRow> totalsRows(const TransactionSource& transactions) {
    std::vector<ledger::TotalsRow> rows;
    const int count = transactions.rowCount();
    rows.reserve(size_t(std::max(count, 0)));
    for (int row = 1; row <= count; ++row)
        rows.push_back({transactions.field(row, Cleared), transactions.field(row, Debit),
                        transactions.field(row, Credit)});
    return rows;
}

BalanceGlance::BalanceGlance(Form1& form, QWidget* parent) : QLabel(parent), form_(form) {
    setObjectName(QStringLiteral("BalanceGlance"));
    setContentsMargins(0, 0, 8, 0);
    setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    setToolTip(QStringLiteral("The list's balance (credits minus debits), the same over the transactions marked "
                              "in the Cleared column, and how many transactions there are"));
    // One click may change a row several times: the figures are worked out
    // once, when the handler that made the change has returned.
    connect(&form_, &Form1::listChanged, this, [this] {
        if (pending_) return;
        pending_ = true;
        QTimer::singleShot(0, this, [this] {
            if (pending_) refresh();
        });
    });
    refresh();
}

void BalanceGlance::refresh() {
    pending_ = false;
    totals_ = ledger::registerTotals(totalsRows(form_.transactions()), locale());
    setText(ledger::totalsText(totals_, locale()));
    // The bar gives its corner the room the text now needs.
    updateGeometry();
    if (QWidget* bar = parentWidget()) {
        resize(sizeHint());
        QResizeEvent relayout(bar->size(), bar->size());
        QCoreApplication::sendEvent(bar, &relayout);
    }
}

}  // namespace brevanta::reg
