// Sorting rows the way the register's Selection.Sort asks for it.

#include "engine/embedded/sort.h"
#include "tests/engine/embedded/engine_fixture.h"

using namespace brevanta;
using testsupport::EngineTest;

namespace {

host::SortOptions registerOptions(const host::RangePtr& key) {
    host::SortOptions options;
    options.key1 = key;
    options.order1 = host::xl::Ascending;
    options.header = host::xl::HeaderGuess;
    options.orderCustom = 1;
    options.matchCase = false;
    options.orientation = host::xl::TopToBottom;
    options.dataOption1 = host::xl::SortNormal;
    return options;
}

QString shown(const host::Value& value) {
    if (const double* number = std::get_if<double>(&value)) return QString::number(*number);
    if (const QString* text = std::get_if<QString>(&value)) return *text;
    if (const bool* truth = std::get_if<bool>(&value)) return *truth ? QStringLiteral("TRUE") : QStringLiteral("FALSE");
    if (const auto* error = std::get_if<host::ErrorValue>(&value)) return error->text;
    return QStringLiteral("_");
}

}  // namespace

class SortTest : public EngineTest {
protected:
    // Column C from row 6 down, then the sort of B6:H<last> by C.
    void fillKeys(const QStringList& keys) {
        for (int i = 0; i < keys.size(); ++i) {
            write(QStringLiteral("C%1").arg(6 + i), keys[i]);
            write(QStringLiteral("D%1").arg(6 + i), QStringLiteral("row%1").arg(i));
        }
    }
    void sortBy(int lastRow, host::SortOptions options = {}) {
        auto key = app->range(QStringLiteral("C6"));
        if (!options.key1) options = registerOptions(key);
        app->range(QStringLiteral("B6:H%1").arg(lastRow))->select();
        app->selection()->sort(options);
    }
    QStringList column(QChar letter, int first, int last) {
        QStringList out;
        for (int row = first; row <= last; ++row) out << shown(valueAt(QStringLiteral("%1%2").arg(letter).arg(row)));
        return out;
    }
};

TEST_F(SortTest, NumbersThenTextsThenTruthValuesThenErrorsEmptiesLast) {
    fillKeys({QStringLiteral("b"), QString(), QStringLiteral("#N/A"), QStringLiteral("TRUE"), QStringLiteral("10"),
              QStringLiteral("A"), QStringLiteral("FALSE"), QStringLiteral("2")});
    sortBy(13);
    EXPECT_EQ(column(u'C', 6, 13), QStringList({"2", "10", "A", "b", "FALSE", "TRUE", "#N/A", "_"}));
    EXPECT_EQ(column(u'D', 6, 13).last(), QStringLiteral("row1"));  // the row moved with its key

    auto options = registerOptions(app->range(QStringLiteral("C6")));
    options.order1 = host::xl::Descending;
    sortBy(13, options);
    EXPECT_EQ(column(u'C', 6, 13), QStringList({"#N/A", "TRUE", "FALSE", "b", "A", "10", "2", "_"}));
}

TEST_F(SortTest, TextIgnoresCaseAndEqualKeysKeepTheirOrder) {
    fillKeys({QStringLiteral("beta"), QStringLiteral("Alpha"), QStringLiteral("BETA"), QStringLiteral("alpha"),
              QStringLiteral("Beta")});
    sortBy(10);
    EXPECT_EQ(column(u'C', 6, 10), QStringList({"Alpha", "alpha", "beta", "BETA", "Beta"}));
    EXPECT_EQ(column(u'D', 6, 10), QStringList({"row1", "row3", "row0", "row2", "row4"}));

    auto options = registerOptions(app->range(QStringLiteral("C6")));
    options.matchCase = true;
    sortBy(10, options);
    EXPECT_EQ(column(u'C', 6, 10), QStringList({"alpha", "Alpha", "beta", "Beta", "BETA"}));
}

TEST_F(SortTest, FormatsMoveWithTheirRowsAndColumnIStays) {
    // Three register rows in the wrong order, banded by row number, with balances.
    const QStringList numbers{QStringLiteral("3"), QStringLiteral("1"), QStringLiteral("2")};
    const QStringList credits{QStringLiteral("300"), QStringLiteral("100"), QStringLiteral("20")};
    for (int i = 0; i < 3; ++i) {
        const int row = 6 + i;
        app->range(QStringLiteral("$B$%1:$H$%1").arg(row))->interior().setColorIndex(row % 2 == 0 ? 2 : 39);
        app->range(QStringLiteral("$I$%1").arg(row))->interior().setColorIndex(40);
        write(QStringLiteral("$C$%1").arg(row), numbers[i]);
        write(QStringLiteral("$H$%1").arg(row), credits[i]);
        write(QStringLiteral("$I$%1").arg(row),
              QStringLiteral("=IF(AND(ISBLANK(RC[-2]),ISBLANK(RC[-1])),\"\",R[-1]C-RC[-2]+RC[-1])"));
    }
    write(QStringLiteral("A7"), QStringLiteral("outside"));
    write(QStringLiteral("J6"), QStringLiteral("=RC[-1]"));
    sortBy(8);

    EXPECT_EQ(column(u'C', 6, 8), QStringList({"1", "2", "3"}));
    EXPECT_EQ(column(u'H', 6, 8), QStringList({"100", "20", "300"}));
    EXPECT_EQ(styleAt(6, 3).fillColorIndex, 39);  // number 1 was written in odd row 7
    EXPECT_EQ(styleAt(7, 3).fillColorIndex, 2);
    EXPECT_EQ(styleAt(8, 8).fillColorIndex, 2);
    for (int row = 6; row <= 8; ++row) EXPECT_EQ(styleAt(row, 9).fillColorIndex, 40);
    EXPECT_EQ(column(u'I', 6, 8), QStringList({"100", "120", "420"}));  // balances in the sorted order
    EXPECT_EQ(shown(valueAt(QStringLiteral("A7"))), QStringLiteral("outside"));
    EXPECT_EQ(shown(valueAt(QStringLiteral("J6"))), QStringLiteral("100"));
    EXPECT_TRUE(sheet().merges.empty());
}

TEST_F(SortTest, HeaderRuleAndTheEmptyRegistersReversedRange) {
    fillKeys({QStringLiteral("Number"), QStringLiteral("9"), QStringLiteral("1")});
    sortBy(8);  // "guess" never takes the first row for a header
    EXPECT_EQ(column(u'C', 6, 8), QStringList({"1", "9", "Number"}));

    auto options = registerOptions(app->range(QStringLiteral("C6")));
    options.header = host::xl::HeaderYes;
    write(QStringLiteral("C6"), QStringLiteral("Number"));
    write(QStringLiteral("C8"), QStringLiteral("1"));
    sortBy(8, options);
    EXPECT_EQ(column(u'C', 6, 8), QStringList({"Number", "1", "9"}));

    // B6:H5 with no transactions: nothing moves and nothing fails.
    auto fresh = engine::createEmbeddedApplication(testsupport::xlsFiles());
    fresh->workbooks().add();
    fresh->range(QStringLiteral("$B$5:$I$5"))->interior().setColorIndex(43);
    fresh->range(QStringLiteral("B6:H5"))->select();
    fresh->selection()->sort(registerOptions(fresh->range(QStringLiteral("C6"))));
    EXPECT_EQ(fresh->range(QStringLiteral("B5:I5"))->interior().colorIndex(), 43);
    EXPECT_EQ(fresh->selection()->address(), QStringLiteral("$B$5:$H$6"));
}

// Key2 orders the ties of Key1, Key3 the ties of both; empties are last
// under every key; rows equal by all keys keep their order.
TEST_F(SortTest, SecondAndThirdKeysOrderTheTies) {
    const QStringList dates{"3", "1", "3", "1", "3", "", "1"};
    const QStringList numbers{"20", "", "10", "5", "", "1", "5"};
    const QStringList kinds{"b", "x", "a", "y", "z", "w", "a"};
    for (int i = 0; i < dates.size(); ++i) {
        write(QStringLiteral("B%1").arg(6 + i), dates[i]);
        write(QStringLiteral("C%1").arg(6 + i), numbers[i]);
        write(QStringLiteral("E%1").arg(6 + i), kinds[i]);
        write(QStringLiteral("D%1").arg(6 + i), QStringLiteral("row%1").arg(i));
    }
    auto options = registerOptions(app->range(QStringLiteral("B6")));
    options.key2 = app->range(QStringLiteral("C6"));
    sortBy(12, options);
    EXPECT_EQ(column(u'D', 6, 12), QStringList({"row3", "row6", "row1", "row2", "row0", "row4", "row5"}));

    options.key3 = app->range(QStringLiteral("E6"));
    options.order2 = host::xl::Descending;
    sortBy(12, options);
    // Date 1: numbers 5, 5 (kind a before y), then the empty one; date 3: 20, 10, empty.
    EXPECT_EQ(column(u'D', 6, 12), QStringList({"row6", "row3", "row1", "row0", "row2", "row4", "row5"}));
}

TEST_F(SortTest, UnsupportedSortArgumentsAreRefused) {
    fillKeys({QStringLiteral("2"), QStringLiteral("1")});
    auto area = app->range(QStringLiteral("B6:H7"));
    auto bad = [&](auto change) {
        auto options = registerOptions(app->range(QStringLiteral("C6")));
        change(options);
        EXPECT_HOST_ERROR(area->sort(options), "Sort method of Range class failed");
    };
    bad([&](host::SortOptions& o) { o.key1 = nullptr; });
    bad([&](host::SortOptions& o) { o.key1 = app->range(QStringLiteral("I6")); });
    bad([&](host::SortOptions& o) { o.key1 = app->sheets().item(2)->range(QStringLiteral("C6")); });
    bad([](host::SortOptions& o) { o.order1 = 3; });
    bad([](host::SortOptions& o) { o.header = 5; });
    bad([](host::SortOptions& o) { o.orientation = host::xl::LeftToRight; });
    bad([](host::SortOptions& o) { o.orderCustom = 2; });
    bad([](host::SortOptions& o) { o.dataOption1 = 1; });
    bad([&](host::SortOptions& o) { o.key2 = app->range(QStringLiteral("I6")); });
    bad([&](host::SortOptions& o) { o.key2 = app->range(QStringLiteral("D6")), o.order2 = 3; });
    bad([&](host::SortOptions& o) { o.key3 = app->range(QStringLiteral("D6")), o.dataOption3 = 1; });
    app->range(QStringLiteral("D6:E7"))->merge();
    EXPECT_ANY_HOST_ERROR(area->sort(registerOptions(app->range(QStringLiteral("C6")))));
    EXPECT_EQ(column(u'C', 6, 7), QStringList({"2", "1"}));
}

TEST(SortKeys, CompareAcrossTypes) {
    using model::Value;
    EXPECT_LT(engine::compareSortKeys(Value(1e9), Value(QStringLiteral("0")), false), 0);
    EXPECT_LT(engine::compareSortKeys(Value(QStringLiteral("zz")), Value(false), false), 0);
    EXPECT_LT(engine::compareSortKeys(Value(true), Value(model::ErrorCode::Div0), false), 0);
    EXPECT_EQ(engine::compareSortKeys(Value(model::ErrorCode::NA), Value(model::ErrorCode::Div0), false), 0);
    EXPECT_EQ(engine::compareSortKeys(Value(QStringLiteral("abc")), Value(QStringLiteral("ABC")), false), 0);
    EXPECT_LT(engine::compareSortKeys(Value(QStringLiteral("abc")), Value(QStringLiteral("ABC")), true), 0);
    EXPECT_LT(engine::compareSortKeys(Value(-2.0), Value(-1.0), false), 0);
}

// Rows holding different columns inside the sorted range each take their own cells along, whatever
// their number; the cells outside the range stay in their rows.
TEST_F(SortTest, RowsOfDifferentShapesMoveWholeAndOutsideCellsStay) {
    write(QStringLiteral("C6"), QStringLiteral("3"));
    write(QStringLiteral("B6"), QStringLiteral("b3"));
    write(QStringLiteral("E6"), QStringLiteral("e3"));
    write(QStringLiteral("H6"), QStringLiteral("h3"));
    write(QStringLiteral("C7"), QStringLiteral("1"));
    write(QStringLiteral("C8"), QStringLiteral("2"));
    write(QStringLiteral("D8"), QStringLiteral("d2"));
    for (int row = 6; row <= 8; ++row) {
        write(QStringLiteral("A%1").arg(row), QStringLiteral("a%1").arg(row));
        write(QStringLiteral("I%1").arg(row), QStringLiteral("i%1").arg(row));
    }
    sortBy(8);
    EXPECT_EQ(column(u'C', 6, 8), QStringList({"1", "2", "3"}));
    EXPECT_EQ(column(u'B', 6, 8), QStringList({"_", "_", "b3"}));
    EXPECT_EQ(column(u'D', 6, 8), QStringList({"_", "d2", "_"}));
    EXPECT_EQ(column(u'E', 6, 8), QStringList({"_", "_", "e3"}));
    EXPECT_EQ(column(u'H', 6, 8), QStringList({"_", "_", "h3"}));
    EXPECT_EQ(column(u'A', 6, 8), QStringList({"a6", "a7", "a8"}));
    EXPECT_EQ(column(u'I', 6, 8), QStringList({"i6", "i7", "i8"}));
}

// Rows move along the cycles of the order (here one of three rows, one of
// two, and rows that stay), each taking its own cells and no others.
TEST_F(SortTest, RowsOnCyclesOfTheOrderEachTakeTheirOwnCells) {
    fillKeys({"20", "30", "10", "40", "60", "50", "70"});
    write(QStringLiteral("E6"), QStringLiteral("e0"));
    write(QStringLiteral("E11"), QStringLiteral("e5"));
    for (int row = 6; row <= 12; ++row) {
        write(QStringLiteral("A%1").arg(row), QStringLiteral("a%1").arg(row));
        write(QStringLiteral("I%1").arg(row), QStringLiteral("i%1").arg(row));
    }
    sortBy(12);
    EXPECT_EQ(column(u'C', 6, 12), QStringList({"10", "20", "30", "40", "50", "60", "70"}));
    EXPECT_EQ(column(u'D', 6, 12), QStringList({"row2", "row0", "row1", "row3", "row5", "row4", "row6"}));
    EXPECT_EQ(column(u'E', 6, 12), QStringList({"_", "e0", "_", "_", "e5", "_", "_"}));
    EXPECT_EQ(column(u'A', 6, 12), QStringList({"a6", "a7", "a8", "a9", "a10", "a11", "a12"}));
    EXPECT_EQ(column(u'I', 6, 12), QStringList({"i6", "i7", "i8", "i9", "i10", "i11", "i12"}));
}

// A longer column of mixed keys comes out as a plain stable sort of the
// same keys gives: descending, texts before numbers, each from the largest,
// empties last, ties kept in their order.
TEST_F(SortTest, ManyRowsComeOutAsAStableSortOfTheirKeys) {
    struct Row {
        int rank;  // 0 number, 1 text, 2 empty
        double number;
        QString text;
        int index;
    };
    std::vector<Row> rows;
    for (int i = 0; i < 60; ++i) {
        const int kind = i % 7 == 3 ? 1 : (i % 11 == 5 ? 2 : 0);
        Row row{kind, double((i * 37) % 9) - 4, QStringLiteral("t%1").arg((i * 5) % 3), i};
        rows.push_back(row);
        write(QStringLiteral("C%1").arg(6 + i), kind == 0 ? QString::number(row.number) : kind == 1 ? row.text : QString());
        write(QStringLiteral("D%1").arg(6 + i), QStringLiteral("row%1").arg(i));
    }
    auto options = registerOptions(app->range(QStringLiteral("C6")));
    options.order1 = host::xl::Descending;
    sortBy(65, options);
    std::stable_sort(rows.begin(), rows.end(), [](const Row& a, const Row& b) {
        if (a.rank == 2 || b.rank == 2) return b.rank == 2 && a.rank != 2;
        if (a.rank != b.rank) return a.rank > b.rank;
        return a.rank == 0 ? a.number > b.number : a.text > b.text;
    });
    QStringList expected;
    for (const Row& row : rows) expected << QStringLiteral("row%1").arg(row.index);
    EXPECT_EQ(column(u'D', 6, 65), expected);
}

// Rows full across the range, with cells beside it in some rows and not
// others: the cells in the range move with their keys, the ones beside it
// (A, I and J, in no two rows alike) stay in their rows.
TEST_F(SortTest, FullRowsMoveAndUnevenCellsBesideTheRangeStay) {
    const QStringList keys = {"5", "3", "8", "3", "1", "7", "2", "6"};
    const QString outside = QStringLiteral("AIJ");
    for (int i = 0; i < keys.size(); ++i) {
        const int row = 6 + i;
        for (QChar letter : QStringLiteral("BDEFGH"))
            write(QStringLiteral("%1%2").arg(letter).arg(row), QStringLiteral("%1%2").arg(letter.toLower()).arg(i));
        write(QStringLiteral("C%1").arg(row), keys[i]);
        for (int o = 0; o < 3; ++o)
            if ((i >> o) & 1) write(QStringLiteral("%1%2").arg(outside[o]).arg(row), QStringLiteral("out%1").arg(row));
    }
    sortBy(13);
    EXPECT_EQ(column(u'C', 6, 13), QStringList({"1", "2", "3", "3", "5", "6", "7", "8"}));
    const QStringList rowsInOrder = {"4", "6", "1", "3", "0", "7", "5", "2"};
    for (QChar letter : QStringLiteral("BDEFGH")) {
        QStringList expected;
        for (const QString& i : rowsInOrder) expected << letter.toLower() + i;
        EXPECT_EQ(column(letter, 6, 13), expected) << letter.toLatin1();
    }
    for (int o = 0; o < 3; ++o) {
        QStringList expected;
        for (int i = 0; i < keys.size(); ++i)
            expected << (((i >> o) & 1) ? QStringLiteral("out%1").arg(6 + i) : QStringLiteral("_"));
        EXPECT_EQ(column(outside[o], 6, 13), expected) << outside[o].toLatin1();
    }
}

// Keys that are all numbers or empty: negatives below zero, -0 equal to 0,
// empties last in either order, ties kept as listed, as a plain stable sort
// of the same keys gives.
TEST_F(SortTest, NumberKeysComeOutAsAStableSortOfTheirKeys) {
    struct Row {
        std::optional<double> first, second;
        int index;
    };
    const QStringList firsts = {"-2.5", "0", "-0", "3", "", "-2.5", "1e3", "0", "", "3", "-7", "0.25"};
    const QStringList seconds = {"1", "", "1", "-1", "2", "1", "", "-0", "1", "-1", "4", ""};
    std::vector<Row> rows;
    for (int i = 0; i < firsts.size(); ++i) {
        write(QStringLiteral("B%1").arg(6 + i), firsts[i]);
        write(QStringLiteral("C%1").arg(6 + i), seconds[i]);
        write(QStringLiteral("D%1").arg(6 + i), QStringLiteral("row%1").arg(i));
        const auto number = [](const QString& text) { return text.isEmpty() ? std::nullopt : std::optional(text.toDouble()); };
        rows.push_back({number(firsts[i]), number(seconds[i]), i});
    }
    auto options = registerOptions(app->range(QStringLiteral("B6")));
    options.order1 = host::xl::Descending;
    options.key2 = app->range(QStringLiteral("C6"));
    sortBy(5 + int(firsts.size()), options);
    // Empties last; otherwise the first key from the largest, then the second from the smallest.
    const auto before = [](const std::optional<double>& a, const std::optional<double>& b, bool descending) {
        if (!a || !b) return a.has_value() && !b.has_value() ? -1 : (!a && b ? 1 : 0);
        if (*a == *b) return 0;
        return (*a < *b) != descending ? -1 : 1;
    };
    std::stable_sort(rows.begin(), rows.end(), [&](const Row& a, const Row& b) {
        const int first = before(a.first, b.first, true);
        return first != 0 ? first < 0 : before(a.second, b.second, false) < 0;
    });
    QStringList expected;
    for (const Row& row : rows) expected << QStringLiteral("row%1").arg(row.index);
    EXPECT_EQ(column(u'D', 6, 5 + int(firsts.size())), expected);
}
