// Typed entry through ActiveCell.FormulaR1C1, under the user's locale, and
// the register's running balance computed by the engine.

#include "tests/engine/embedded/engine_fixture.h"

using namespace brevanta;
using testsupport::DefaultLocaleGuard;
using testsupport::EngineTest;

namespace {
const QString kBalance = QStringLiteral("=IF(AND(ISBLANK(RC[-2]),ISBLANK(RC[-1])),\"\",R[-1]C-RC[-2]+RC[-1])");
const host::Value kEmptyText = QString();
const host::Value kValueError = host::ErrorValue{QStringLiteral("#VALUE!")};
}  // namespace

TEST_F(EngineTest, TypedEntryFollowsTheUsersLocale) {
    {
        DefaultLocaleGuard locale(QLocale(QLocale::English, QLocale::UnitedStates));
        write(QStringLiteral("B6"), QStringLiteral("1/15/2024"));
        write(QStringLiteral("G6"), QStringLiteral("1.5"));
    }
    {
        DefaultLocaleGuard locale(QLocale(QLocale::German, QLocale::Germany));
        write(QStringLiteral("B7"), QStringLiteral("15.01.2024"));
        write(QStringLiteral("G7"), QStringLiteral("1,5"));
        EXPECT_EQ(app->range(QStringLiteral("B7"))->text(), QStringLiteral("15.01.2024"));
    }
    EXPECT_EQ(valueAt(QStringLiteral("B6")), host::Value(45306.0));
    EXPECT_EQ(valueAt(QStringLiteral("B7")), host::Value(45306.0));
    EXPECT_EQ(valueAt(QStringLiteral("G6")), host::Value(1.5));
    EXPECT_EQ(valueAt(QStringLiteral("G7")), host::Value(1.5));
    EXPECT_TRUE(styleAt(6, 2).numberFormat.contains(u'y'));  // the date got a date format of its own
    EXPECT_EQ(styleAt(6, 7).numberFormat, QStringLiteral("General"));
    {
        DefaultLocaleGuard locale(QLocale(QLocale::English, QLocale::UnitedStates));
        EXPECT_EQ(app->range(QStringLiteral("B6"))->text(), QStringLiteral("1/15/2024"));
        EXPECT_EQ(app->range(QStringLiteral("B6"))->formulaR1C1(), QStringLiteral("1/15/2024"));
    }
}

TEST_F(EngineTest, TypedEntryKindsThroughTheHost) {
    app->range(QStringLiteral("D6"))->interior().setColorIndex(39);
    write(QStringLiteral("D6"), QStringLiteral("Groceries"));
    write(QStringLiteral("E6"), QStringLiteral("true"));
    write(QStringLiteral("F6"), QStringLiteral("=100*3"));
    write(QStringLiteral("C6"), QStringLiteral("42"));
    EXPECT_EQ(valueAt(QStringLiteral("D6")), host::Value(QStringLiteral("Groceries")));
    EXPECT_EQ(valueAt(QStringLiteral("E6")), host::Value(true));
    EXPECT_EQ(valueAt(QStringLiteral("F6")), host::Value(300.0));
    EXPECT_EQ(app->range(QStringLiteral("F6"))->formulaR1C1(), QStringLiteral("=100*3"));
    EXPECT_EQ(app->range(QStringLiteral("C6"))->formulaR1C1(), QStringLiteral("42"));
    EXPECT_EQ(app->range(QStringLiteral("C6"))->text(), QStringLiteral("42"));

    write(QStringLiteral("D6"), QString());  // the empty text clears the value, not the format
    EXPECT_EQ(valueAt(QStringLiteral("D6")), host::Value());
    EXPECT_EQ(styleAt(6, 4).fillColorIndex, 39);
    write(QStringLiteral("Z99"), QString());  // clearing an empty cell stores nothing
    EXPECT_FALSE(sheet().find(98, 25));

    // With a multi-cell selection the value lands in its first cell.
    app->range(QStringLiteral("B9:C10"))->select();
    app->activeCell()->setFormulaR1C1(QStringLiteral("x"));
    EXPECT_EQ(valueAt(QStringLiteral("B9")), host::Value(QStringLiteral("x")));
}

TEST_F(EngineTest, RefusedFormulaLeavesTheCellAsItWas) {
    write(QStringLiteral("I6"), QStringLiteral("7"));
    app->range(QStringLiteral("I6"))->select();
    EXPECT_ANY_HOST_ERROR(app->activeCell()->setFormulaR1C1(QStringLiteral("=SUM(")));
    EXPECT_ANY_HOST_ERROR(app->activeCell()->setFormulaR1C1(QStringLiteral("=NOSUCHFUNCTION(1)")));
    EXPECT_EQ(valueAt(QStringLiteral("I6")), host::Value(7.0));
}

// Rows 6.. hold (debit, credit); column I holds the balance formula.
class BalanceTest : public EngineTest {
protected:
    void entries(const std::vector<std::pair<QString, QString>>& rows) {
        int row = 6;
        for (const auto& [debit, credit] : rows) {
            write(QStringLiteral("$G$%1").arg(row), debit);
            write(QStringLiteral("$H$%1").arg(row), credit);
            write(QStringLiteral("$I$%1").arg(row), kBalance);
            ++row;
        }
    }
    host::Value balance(int row) { return valueAt(QStringLiteral("I%1").arg(row)); }
};

TEST_F(BalanceTest, RunsFromTheEmptyBandRowDownward) {
    entries({{QString(), QStringLiteral("5000")}, {QString(), QStringLiteral("55")}, {QStringLiteral("20.5"), QString()}});
    EXPECT_EQ(balance(6), host::Value(5000.0));
    EXPECT_EQ(balance(7), host::Value(5055.0));
    EXPECT_EQ(balance(8), host::Value(5034.5));
    EXPECT_EQ(app->range(QStringLiteral("I8"))->text(), QStringLiteral("5034.5"));
    EXPECT_EQ(app->range(QStringLiteral("I6"))->formulaR1C1(), kBalance);
}

TEST_F(BalanceTest, ZeroAmountRowShowsEmptyTextAndLaterAmountsAnError) {
    entries({{QString(), QString()}, {QStringLiteral("10"), QString()}, {QString(), QString()}, {QString(), QStringLiteral("1")}});
    EXPECT_EQ(balance(6), kEmptyText);
    EXPECT_EQ(balance(7), kValueError);  // arithmetic on the empty text above
    EXPECT_EQ(balance(8), kEmptyText);
    EXPECT_EQ(balance(9), kValueError);
}

TEST_F(BalanceTest, TextAndFormulaAmounts) {
    entries({{QStringLiteral("abc"), QString()}, {QString(), QStringLiteral("=100*3")}});
    EXPECT_EQ(balance(6), kValueError);
    EXPECT_EQ(balance(7), kValueError);
    entries({{QString(), QStringLiteral("=100*3")}});
    EXPECT_EQ(balance(6), host::Value(300.0));
    EXPECT_EQ(balance(7), host::Value(600.0));  // row 7 still holds "=100*3"
}

TEST_F(BalanceTest, ValuesFollowLaterChanges) {
    entries({{QString(), QStringLiteral("100")}, {QStringLiteral("30"), QString()}});
    EXPECT_EQ(balance(7), host::Value(70.0));
    write(QStringLiteral("H6"), QStringLiteral("200"));
    EXPECT_EQ(balance(7), host::Value(170.0));
}

// A row typed in one call holds what typing each cell would have, leaves
// the selection alone, and stops before a refused formula.
TEST_F(EngineTest, AWrittenRowHoldsWhatTypingEachCellGivesAndStopsAtARefusal) {
    DefaultLocaleGuard locale(QLocale(QLocale::English, QLocale::UnitedStates));
    const std::vector<host::CellEntry> entries = {
        {QStringLiteral("2013-01-02")}, {QStringLiteral("=x"), true}, {QStringLiteral("12.5")}, {},
        {QStringLiteral("=RC[-2]*2")},  {QStringLiteral("=SUM(")},     {QStringLiteral("7")}};
    app->range(QStringLiteral("A1"))->select();
    EXPECT_EQ(app->writeRow(3, 2, entries), 5);
    EXPECT_EQ(app->selection()->address(), QStringLiteral("$A$1"));
    for (int i = 0; i < 5; ++i) write(app->activeSheet()->cell(4, 2 + i)->address(), entries[size_t(i)].typed());
    for (int column = 2; column <= 6; ++column) {
        const host::RangePtr typed = app->activeSheet()->cell(4, column), written = app->activeSheet()->cell(3, column);
        EXPECT_EQ(written->formulaR1C1(), typed->formulaR1C1()) << column;
        EXPECT_EQ(written->value(), typed->value()) << column;
        EXPECT_EQ(written->text(), typed->text()) << column;
    }
    EXPECT_EQ(valueAt(QStringLiteral("F3")), host::Value(25.0));
    EXPECT_EQ(valueAt(QStringLiteral("G3")), host::Value());  // refused: nothing changed from there on
    EXPECT_EQ(valueAt(QStringLiteral("H3")), host::Value());
    EXPECT_EQ(app->writeRow(0, 2, entries), 0);
}

// A date handed over as a date holds what typing its ISO form gives: the
// same number, format and display, over cells of differing formats, with
// a time of day kept to the minute; years typing would not read as dates
// are what their text reads as.
TEST_F(EngineTest, ADateWrittenAsADateHoldsWhatTypingItsIsoFormGives) {
    const std::vector<host::CellEntry> dates = {
        host::CellEntry::ofDate(QDate(2013, 1, 3)),
        host::CellEntry::ofDate(QDate(2024, 2, 29), QTime(15, 30, 45)),
        host::CellEntry::ofDate(QDate(2024, 12, 31), QTime(0, 0)),
        host::CellEntry::ofDate(QDate(1900, 1, 1)),
        host::CellEntry::ofDate(QDate(1899, 12, 31)),
        host::CellEntry::ofDate(QDate(9999, 12, 31), QTime(23, 59)),
        host::CellEntry::ofDate(QDate(2013, 1, 4), QTime(0, 0, 30))};
    for (const QLocale& locale : {QLocale(QLocale::English, QLocale::UnitedStates), QLocale(QLocale::German, QLocale::Germany)}) {
        DefaultLocaleGuard guard(locale);
        app->range(QStringLiteral("B1:E30"))->clear();
        app->range(QStringLiteral("B3:D4"))->interior().setColorIndex(43);
        app->range(QStringLiteral("E3:H4"))->interior().setColorIndex(39);
        ASSERT_EQ(app->writeRow(3, 2, dates), int(dates.size()));
        for (size_t i = 0; i < dates.size(); ++i) write(app->activeSheet()->cell(4, 2 + int(i))->address(), dates[i].typed());
        for (int column = 2; column < 2 + int(dates.size()); ++column) {
            const host::RangePtr typed = app->activeSheet()->cell(4, column), written = app->activeSheet()->cell(3, column);
            EXPECT_EQ(written->value(), typed->value()) << column;
            EXPECT_EQ(written->formulaR1C1(), typed->formulaR1C1()) << column;
            EXPECT_EQ(written->text(), typed->text()) << column;
            EXPECT_EQ(styleAt(3, column), styleAt(4, column)) << column;
        }
        EXPECT_EQ(valueAt(QStringLiteral("B3")), host::Value(41277.0));
        EXPECT_EQ(valueAt(QStringLiteral("F3")), host::Value(QStringLiteral("1899-12-31")));
    }
}

// A row written again over cells it filled: emptied cells go, the others
// take their new entries, wherever the row's cells have come and gone.
TEST_F(EngineTest, ARowWrittenOverItselfHoldsWhatTypingEachCellGives) {
    DefaultLocaleGuard locale(QLocale(QLocale::English, QLocale::UnitedStates));
    app->range(QStringLiteral("D3:D4"))->interior().setColorIndex(43);
    const std::vector<host::CellEntry> first = {{QStringLiteral("1")}, {QStringLiteral("two"), true}, {QStringLiteral("3")},
                                                {QStringLiteral("=RC[-3]+1")}, {QStringLiteral("5")}};
    const std::vector<host::CellEntry> second = {{}, {QStringLiteral("-2.5")}, {}, {QStringLiteral("x"), true}, {},
                                                 host::CellEntry::ofDate(QDate(2020, 5, 6))};
    ASSERT_EQ(app->writeRow(3, 2, first), int(first.size()));
    ASSERT_EQ(app->writeRow(3, 2, second), int(second.size()));
    for (const auto& entries : {first, second})
        for (size_t i = 0; i < entries.size(); ++i) write(app->activeSheet()->cell(4, 2 + int(i))->address(), entries[i].typed());
    for (int column = 2; column <= 8; ++column) {
        const host::RangePtr typed = app->activeSheet()->cell(4, column), written = app->activeSheet()->cell(3, column);
        EXPECT_EQ(written->value(), typed->value()) << column;
        EXPECT_EQ(written->formulaR1C1(), typed->formulaR1C1()) << column;
        EXPECT_EQ(styleAt(3, column), styleAt(4, column)) << column;
        EXPECT_EQ(sheet().find(2, column - 1) != nullptr, sheet().find(3, column - 1) != nullptr) << column;
    }
}
