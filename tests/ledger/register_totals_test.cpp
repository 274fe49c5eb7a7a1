// The balance at a glance: the workbook's time order and the totals, with
// figures worked out by hand below each case.

#include <gtest/gtest.h>

#include "ledger/register_totals.h"

using namespace brevanta::ledger;

namespace {
const QLocale kUnitedStates(QLocale::English, QLocale::UnitedStates);
const QLocale kGermany(QLocale::German, QLocale::Germany);
}  // namespace

TEST(RegisterTotals, RowsGoInTheWorkbooksTimeOrderWithUnreadableDatesLast) {
    const std::vector<TotalsRow> rows = {
        {"2026-03-01", "", "", "", ""},           // 0
        {"someday", "1", "", "", ""},             // 1: unreadable, last in list order
        {"1/15/2026", "12", "", "", ""},          // 2
        {"2026-01-15", "9", "", "", ""},          // 3: same day, lower number first
        {"2026-01-15", "", "", "", ""},           // 4: blank numbers after numbered ones
        {"2026-01-15", "Cash", "", "", ""},       // 5: text after numbers, before blanks
        {"2026-01-15T08:00", "99", "", "", ""},   // 6: a time of day comes after midnight
        {"", "", "", "", ""},                     // 7: no date
        {"2026-01-15", "9", "", "", ""},          // 8: the same as 3: list order
    };
    EXPECT_EQ(timeOrder(rows, kUnitedStates), (std::vector<int>{3, 8, 2, 5, 4, 6, 0, 1, 7}));
}

TEST(RegisterTotals, BalanceAndClearedOfAnUnsortedListWithAnUnreadableDate) {
    const std::vector<TotalsRow> rows = {
        {"2026-02-01", "2", "Yes", "700", ""},
        {"not a date", "", "", "", "12.34"},
        {"1/1/2026", "1", "yes", "", "5,000.00"},
        {"2026-01-20", "", "", "$45.10", ""},
        {"2026-01-21", "", "No", "1", "oops"},  // "oops" counts as nothing, "No" is not cleared
    };
    const RegisterTotals totals = registerTotals(rows, kUnitedStates);
    // Balance: 5000.00 - 45.10 - 1.00 - 700.00 + 12.34 = 4266.24
    // Cleared: 5000.00 - 700.00 = 4300.00
    EXPECT_EQ(totals, (RegisterTotals{426624, 430000, 5, 1}));
    EXPECT_EQ(totalsText(totals, kUnitedStates), QStringLiteral("Balance 4,266.24 · Cleared 4,300.00 · 5 transactions"));
    EXPECT_EQ(totalsText({-5, 0, 1, 0}, kGermany), QStringLiteral("Balance -0,05 · Cleared 0,00 · 1 transaction"));
    EXPECT_EQ(totalsText(registerTotals({}, kUnitedStates), kUnitedStates),
              QStringLiteral("Balance 0.00 · Cleared 0.00 · 0 transactions"));
}
