// The balance at a glance, with figures worked out by hand below each case.

#include <gtest/gtest.h>

#include "ledger/register_totals.h"

using namespace brevanta::ledger;

namespace {
const QLocale kUnitedStates(QLocale::English, QLocale::UnitedStates);
const QLocale kGermany(QLocale::German, QLocale::Germany);
}  // namespace

TEST(RegisterTotals, BalanceAndClearedOfAnUnsortedListInAnyOrder) {
    const std::vector<TotalsRow> rows = {
        {"Yes", "700", ""},
        {"", "", "12.34"},
        {"yes", "", "5,000.00"},
        {"", "$45.10", ""},
        {"No", "1", "oops"},  // "oops" counts as nothing, "No" is not cleared
    };
    const RegisterTotals totals = registerTotals(rows, kUnitedStates);
    // Balance: 5000.00 - 45.10 - 1.00 - 700.00 + 12.34 = 4266.24
    // Cleared: 5000.00 - 700.00 = 4300.00
    EXPECT_EQ(totals, (RegisterTotals{426624, 430000, 5, 1}));
    // The workbook sorts the rows before its balance runs down them; the sum is the same.
    EXPECT_EQ(registerTotals({rows.rbegin(), rows.rend()}, kUnitedStates), totals);
    EXPECT_EQ(totalsText(totals, kUnitedStates), QStringLiteral("Balance 4,266.24 · Cleared 4,300.00 · 5 transactions"));
    EXPECT_EQ(totalsText({-5, 0, 1, 0}, kGermany), QStringLiteral("Balance -0,05 · Cleared 0,00 · 1 transaction"));
    EXPECT_EQ(totalsText(registerTotals({}, kUnitedStates), kUnitedStates),
              QStringLiteral("Balance 0.00 · Cleared 0.00 · 0 transactions"));
}
