#pragma once
// The balance at a glance, in the main window's menu bar: "Balance 1,234.56
// · Cleared 1,000.00 · 42 transactions", worked out as the workbook works it
// out (ledger/register_totals.h) and brought up to date after every change
// of the list, once the change is done.

#include <QLabel>
#include <vector>

#include "ledger/register_totals.h"

namespace brevanta::reg {

class Form1;
class TransactionSource;

// The fields of every row the totals read.
std::vector<ledger::TotalsRow> totalsRows(const TransactionSource& transactions);

class BalanceGlance final : public QLabel {
    Q_OBJECT

public:
    BalanceGlance(Form1& form, QWidget* parent);

    // Works the figures out now (the window does it after each change).
    void refresh();
    const ledger::RegisterTotals& totals() const { return totals_; }

private:
    Form1& form_;
    ledger::RegisterTotals totals_;
    bool pending_ = false;
};

}  // namespace brevanta::reg
