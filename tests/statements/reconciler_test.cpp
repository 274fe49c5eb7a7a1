// The matching rules of reconciling, one by one, and the balance message.

#include <gtest/gtest.h>

#include "statements/reconciler.h"

namespace brevanta::statements {
namespace {

using reg::Transaction;

const QLocale kUs(QLocale::English, QLocale::UnitedStates);
const QDate kDay(2025, 1, 15);

Transaction row(const QString& date, const QString& number, const QString& description, const QString& debit,
                const QString& credit = QString(), const QString& cleared = QString()) {
    return {date, number, description, QString(), cleared, debit, credit};
}

QString us(const QDate& date) { return QStringLiteral("%1/%2/%3").arg(date.month()).arg(date.day()).arg(date.year()); }

StatementEntry entry(const QDate& date, Cents amount, const QString& number = QString(),
                     const QString& payee = QStringLiteral("BANK TEXT")) {
    StatementEntry e;
    e.date = date;
    e.amount = amount;
    e.checkNumber = number;
    e.payee = payee;
    e.cleared = true;
    return e;
}

Statement statementOf(std::vector<StatementEntry> entries) {
    Statement s;
    s.entries = std::move(entries);
    return s;
}

std::vector<int> matchesOf(const std::vector<Transaction>& rows, std::vector<StatementEntry> entries) {
    return reconcile(rows, statementOf(std::move(entries)), kUs).matchedRow;
}

TEST(Reconcile, CheckNumberBeatsDate) {
    const std::vector<Transaction> rows{row(us(kDay), "", "Groceries", "125.00"),
                                        row(us(kDay.addDays(-20)), "1042", "Plumber", "125.00")};
    EXPECT_EQ(matchesOf(rows, {entry(kDay, -12500, "1042")}), (std::vector<int>{1}));
    // A different number on both sides never matches, however close the date.
    const std::vector<Transaction> numbered{row(us(kDay), "1041", "Plumber", "125.00")};
    EXPECT_EQ(matchesOf(numbered, {entry(kDay, -12500, "1042")}), (std::vector<int>{-1}));
    // Leading zeros are no difference.
    EXPECT_EQ(matchesOf(rows, {entry(kDay.addDays(30), -12500, "001042")}), (std::vector<int>{1}));
}

TEST(Reconcile, ATypedCheckWithAnotherDescriptionIsMatchedByNumber) {
    const std::vector<Transaction> rows{row(QStringLiteral("1/10/2025"), "305", "Rent for January", "900.00")};
    const Reconciliation result = reconcile(rows, statementOf({entry(kDay, -90000, "305", "CHECK 305")}), kUs);
    EXPECT_EQ(result.matchedRow, (std::vector<int>{0}));
    EXPECT_TRUE(result.rowsToAdd.empty());
    std::vector<Transaction> after = rows;
    applyReconciliation(after, result);
    // Only Cleared changes; the user's description stays.
    EXPECT_EQ(after, (std::vector<Transaction>{{"1/10/2025", "305", "Rent for January", "", "Yes", "900.00", ""}}));
}

TEST(Reconcile, TheDateWindowRunsFrom4DaysBeforeTo2DaysAfter) {
    for (const auto& [offset, matches] : std::vector<std::pair<int, bool>>{
             {-4, true}, {-5, false}, {2, true}, {3, false}, {0, true}}) {
        const std::vector<Transaction> rows{row(us(kDay.addDays(offset)), "", "Coffee", "4.75")};
        EXPECT_EQ(matchesOf(rows, {entry(kDay, -475)}), (std::vector<int>{matches ? 0 : -1})) << offset;
    }
    // An entry with a number still meets an unnumbered row by date, but only within the window.
    const std::vector<Transaction> unnumbered{row(us(kDay.addDays(-3)), "", "Check to Ann", "50.00")};
    EXPECT_EQ(matchesOf(unnumbered, {entry(kDay, -5000, "77")}), (std::vector<int>{0}));
    const std::vector<Transaction> early{row(us(kDay.addDays(-6)), "", "Check to Ann", "50.00")};
    EXPECT_EQ(matchesOf(early, {entry(kDay, -5000, "77")}), (std::vector<int>{-1}));
}

TEST(Reconcile, AmongSeveralRowsTheNearestDateThenTheEarliestRow) {
    const std::vector<Transaction> rows{row(us(kDay.addDays(-3)), "", "a", "10.00"),
                                        row(us(kDay.addDays(1)), "", "b", "10.00"),
                                        row(us(kDay.addDays(-1)), "", "c", "10.00"),
                                        row(us(kDay.addDays(1)), "", "d", "10.00")};
    // -1 and +1 are as near: the earlier row (position 1) of the two.
    EXPECT_EQ(matchesOf(rows, {entry(kDay, -1000)}), (std::vector<int>{1}));
    EXPECT_EQ(matchesOf(rows, {entry(kDay, -1000), entry(kDay, -1000), entry(kDay, -1000)}),
              (std::vector<int>{1, 2, 3}));
    EXPECT_EQ(matchesOf(rows, {entry(kDay.addDays(-3), -1000)}), (std::vector<int>{0}));
}

TEST(Reconcile, IdenticalEntriesMeetAsManyRowsAndTheRestAreAdded) {
    // Two identical coffees on one day, one typed by hand: one matched, one added.
    const std::vector<Transaction> rows{row(us(kDay), "", "Coffee", "4.75")};
    const Reconciliation result =
        reconcile(rows, statementOf({entry(kDay, -475, {}, "CAFE"), entry(kDay, -475, {}, "CAFE")}), kUs);
    EXPECT_EQ(result.matchedRow, (std::vector<int>{0, -1}));
    ASSERT_EQ(result.rowsToAdd.size(), 1u);
    EXPECT_EQ(result.rowsToAdd[0], (Transaction{"2025-01-15", "", "CAFE", "", "Yes", "4.75", ""}));
}

TEST(Reconcile, DebitNeverMeetsCredit) {
    const std::vector<Transaction> rows{row(us(kDay), "", "Refund", QString(), "20.00"),
                                        row(us(kDay), "", "Both", "20.00", "40.00")};
    EXPECT_EQ(matchesOf(rows, {entry(kDay, -2000)}), (std::vector<int>{-1}));
    EXPECT_EQ(matchesOf(rows, {entry(kDay, 2000)}), (std::vector<int>{0}));  // a credit of 20, and 40 - 20
}

TEST(Reconcile, OverlappingStatementsOneAfterTheOtherAddNothingTwice) {
    std::vector<Transaction> rows{row(QStringLiteral("1/3/2025"), "", "Typed lunch", "12.00")};
    const Statement first = statementOf({entry(QDate(2025, 1, 3), -1200), entry(QDate(2025, 1, 5), -475),
                                         entry(QDate(2025, 1, 5), -475), entry(QDate(2025, 1, 9), 150000)});
    const Statement second = statementOf({entry(QDate(2025, 1, 5), -475), entry(QDate(2025, 1, 5), -475),
                                          entry(QDate(2025, 1, 9), 150000), entry(QDate(2025, 1, 12), -3000)});
    applyReconciliation(rows, reconcile(rows, first, kUs));
    ASSERT_EQ(rows.size(), 4u);
    const Reconciliation again = reconcile(rows, second, kUs);
    EXPECT_EQ(again.rowsToAdd.size(), 1u);
    EXPECT_EQ(again.alreadyCleared, 3);
    applyReconciliation(rows, again);
    EXPECT_EQ(rows.size(), 5u);
}

TEST(Reconcile, AddedRowsTakeTheirPayeesMostRecentCategoryUnlessTheEntryCarriesOne) {
    const auto withCategory = [](Transaction t, const char* category) {
        t[reg::Category] = QLatin1String(category);
        return t;
    };
    const std::vector<Transaction> rows{withCategory(row(us(kDay), "", "Corner Cafe", "4.75"), "Dining"),
                                        withCategory(row(us(kDay), "", "corner cafe ", "9.00"), "Coffee"),
                                        withCategory(row(us(kDay), "", "Harbor Plumbing", "125.00"), "Home")};
    StatementEntry ownCategory = entry(kDay, -300, {}, QStringLiteral("Harbor Plumbing"));
    ownCategory.category = QStringLiteral("Repairs");
    const Reconciliation result = reconcile(
        rows,
        statementOf({entry(kDay, -475, {}, QStringLiteral("Harbor Plumbing")),  // matches the Dining row
                     entry(kDay.addDays(20), -200, {}, QStringLiteral("CORNER CAFE")), ownCategory,
                     entry(kDay.addDays(21), -100, {}, QStringLiteral("HARBOR PLUMBING")),
                     entry(kDay.addDays(22), -100, {}, QStringLiteral("Unknown"))}),
        kUs);
    EXPECT_EQ(result.matchedRow, (std::vector<int>{0, -1, -1, -1, -1}));
    std::vector<QString> categories;
    for (const Transaction& added : result.rowsToAdd) categories.push_back(added[reg::Category]);
    // The second Harbor Plumbing row follows the statement's own, the most recent.
    EXPECT_EQ(categories, (std::vector<QString>{QStringLiteral("Coffee"), QStringLiteral("Repairs"),
                                                QStringLiteral("Repairs"), QString()}));
}

TEST(Reconcile, MatchedRowsAreMarkedClearedOrCountedAsClearedAlready) {
    const std::vector<Transaction> rows{row(us(kDay), "", "a", "1.00", {}, "Yes"), row(us(kDay), "", "b", "2.00", {}, "")};
    const Reconciliation result = reconcile(rows, statementOf({entry(kDay, -100), entry(kDay, -200)}), kUs);
    EXPECT_EQ(result.alreadyCleared, 1);
    EXPECT_EQ(result.rowsToMarkCleared, (std::vector<int>{1}));
    EXPECT_EQ(reconciliationSummary(QStringLiteral("s.ofx"), result, kUs),
              QStringLiteral("s.ofx: 0 rows added, 1 matched row marked cleared, 1 matched row was cleared already."));
}

TEST(Reconcile, TheBanksBalanceAgreesOrDiffersAndUnreadableDatesAreCounted) {
    std::vector<Transaction> rows{row(QStringLiteral("1/2/2025"), "", "Opening", QString(), "1000.00", "Yes"),
                                  row(QStringLiteral("1/10/2025"), "", "Groceries", "84.37"),
                                  row(QStringLiteral("2/1/2025"), "", "Later", "500.00", QString(), "Yes"),
                                  row(QStringLiteral("not a date"), "", "Odd", "1.00", QString(), "Yes")};
    Statement statement = statementOf({entry(QDate(2025, 1, 11), -8437), entry(QDate(2025, 1, 20), -1500)});
    statement.ledgerBalanceDate = QDate(2025, 1, 31);
    statement.ledgerBalance = 100000 - 8437 - 1500;
    Reconciliation result = reconcile(rows, statement, kUs);
    ASSERT_TRUE(result.balance);
    EXPECT_TRUE(result.balance->agrees());
    EXPECT_EQ(result.balance->unreadableRows, 1);
    EXPECT_EQ(reconciliationSummary(QStringLiteral("jan.ofx"), result, kUs),
              QStringLiteral("jan.ofx: 1 row added, 1 matched row marked cleared, 0 matched rows were cleared already.\n"
                             "The bank's balance on 1/31/2025 is 900.63; the register's cleared balance up to that "
                             "date is 900.63: they agree.\n"
                             "1 cleared row whose date or amount cannot be read is left out of the cleared balance."));

    statement.ledgerBalance = 95063;
    result = reconcile(rows, statement, kUs);
    EXPECT_FALSE(result.balance->agrees());
    EXPECT_TRUE(reconciliationSummary(QStringLiteral("jan.ofx"), result, kUs)
                    .contains(QStringLiteral("is 900.63: they differ by 50.00.")));
    EXPECT_FALSE(reconcile(rows, statementOf({}), kUs).balance);  // no ledger balance, no comparison
}

// A January statement: pay in on the 10th, groceries out on the 20th, the
// bank's balance on the 31st its opening balance plus both.
Statement january(Cents opening) {
    Statement statement = statementOf({entry(QDate(2025, 1, 10), 150000, {}, "PAYROLL"),
                                       entry(QDate(2025, 1, 20), -8437, {}, "GROCER")});
    statement.ledgerBalanceDate = QDate(2025, 1, 31);
    statement.ledgerBalance = opening + 150000 - 8437;
    return statement;
}

TEST(Reconcile, ADifferenceIsExplainedAndAMissingOpeningBalanceOffered) {
    const QString differ = QStringLiteral(": they differ by ");
    struct Case {
        const char* name;
        std::vector<Transaction> rows;
        Cents opening;
        DifferenceCause cause;
        QString explanation;  // the summary after "they differ by "
        std::optional<Transaction> openingRow;
    };
    const std::vector<Case> cases{
        {"a register started with the statement; the pay typed two days early",
         {row(QStringLiteral("1/8/2025"), "", "Pay", QString(), "1500.00")},
         80000,
         DifferenceCause::OpeningBalanceMissing,
         QStringLiteral("800.00.\nThe difference is the statement's opening balance, 800.00: the register's opening "
                        "balance is probably missing."),
         Transaction{"2025-01-07", "", "Opening balance", "", "Yes", "", "800.00"}},
        {"an overdrawn start",
         {},
         -5000,
         DifferenceCause::OpeningBalanceMissing,
         QStringLiteral("50.00.\nThe difference is the statement's opening balance, -50.00: the register's opening "
                        "balance is probably missing."),
         Transaction{"2025-01-09", "", "Opening balance", "", "Yes", "50.00", ""}},
        {"nothing before the statement, and cash the bank never saw",
         {row(QStringLiteral("1/15/2025"), "", "Cash", "20.00", QString(), "Yes")},
         80000,
         DifferenceCause::NoRowBeforeStatement,
         QStringLiteral("820.00.\nThe register has no row before the statement's first transaction on 1/10/2025: its "
                        "opening balance is probably missing."),
         Transaction{"2025-01-09", "", "Opening balance", "", "Yes", "", "820.00"}},
        {"a check marked cleared that cleared in February",
         {row(QStringLiteral("1/2/2025"), "", "Opening", QString(), "800.00", "Yes"),
          row(QStringLiteral("1/28/2025"), "1043", "Plumber", "300.00", QString(), "Yes")},
         80000,
         DifferenceCause::ClearedAfterStatement,
         QStringLiteral("300.00.\nThe difference is 1 row marked cleared in the register that the statement does not "
                        "show: it probably cleared after 1/31/2025."),
         std::nullopt},
        {"a wrong opening balance: no guess",
         {row(QStringLiteral("1/2/2025"), "", "Opening", QString(), "700.00", "Yes")},
         80000,
         DifferenceCause::None,
         QStringLiteral("100.00."),
         std::nullopt},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::vector<Transaction> rows = c.rows;
        const Reconciliation result = reconcile(rows, january(c.opening), kUs);
        ASSERT_TRUE(result.balance);
        EXPECT_EQ(differenceCause(*result.balance), c.cause);
        const QString summary = reconciliationSummary(QStringLiteral("jan.ofx"), result, kUs);
        EXPECT_EQ(summary.mid(summary.indexOf(differ) + differ.size()), c.explanation);
        const std::optional<Transaction> opening = openingBalanceRow(*result.balance, kUs);
        EXPECT_EQ(opening, c.openingRow);
        if (!opening) continue;
        // The offered row makes them agree.
        applyReconciliation(rows, result);
        rows.push_back(*opening);
        const Reconciliation again = reconcile(rows, january(c.opening), kUs);
        EXPECT_TRUE(again.balance->agrees());
        EXPECT_EQ(differenceCause(*again.balance), DifferenceCause::None);
    }
}

}  // namespace
}  // namespace brevanta::statements
