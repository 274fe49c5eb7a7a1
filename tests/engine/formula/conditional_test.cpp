// COUNTIF and SUMIF with their criteria, and formulas that read another
// sheet of the same workbook.

#include <gtest/gtest.h>

#include "engine/formula/calc.h"
#include "engine/formula/criteria.h"
#include "engine/formula/formula_evaluator.h"
#include "engine/formula/formula_text.h"
#include "host/host_api.h"

using namespace brevanta;
using model::ErrorCode;
using model::Value;

namespace {

const QLocale kUnitedStates(QLocale::English, QLocale::UnitedStates);

bool criterionMatches(const Value& criterion, const Value& cell) {
    return engine::Criterion::read(criterion, kUnitedStates).matches(cell);
}

TEST(Criteria, LiteralCriteriaMatchOnlyTheirOwnTextWhateverItHolds) {
    const QStringList hostile = {QStringLiteral("a*c"), QStringLiteral("a?c"), QStringLiteral("~x"),
                                 QStringLiteral("=1+1"), QStringLiteral("<3"), QStringLiteral(">=a"),
                                 QStringLiteral("<>"), QStringLiteral("*"), QStringLiteral("~*~"),
                                 QStringLiteral("#N/A"), QStringLiteral("TRUE"), QStringLiteral("5")};
    const QStringList others = {QStringLiteral("abc"), QStringLiteral("axc"), QStringLiteral("x"), QStringLiteral("2"),
                                QStringLiteral("1"), QStringLiteral("b"), QStringLiteral("")};
    for (const QString& text : hostile) {
        const QString criterion = engine::literalCriterion(text);
        EXPECT_TRUE(criterionMatches(criterion, text)) << text.toStdString();
        EXPECT_TRUE(criterionMatches(criterion, text.toLower())) << text.toStdString();
        for (const QString& other : hostile + others) {
            if (other.compare(text, Qt::CaseInsensitive) != 0) {
                EXPECT_FALSE(criterionMatches(criterion, other)) << text.toStdString() << " took " << other.toStdString();
            }
        }
        EXPECT_FALSE(criterionMatches(criterion, Value{})) << text.toStdString();
    }
    EXPECT_EQ(engine::literalCriterion(QStringLiteral("a*b?c~")), QStringLiteral("=a~*b~?c~~"));
    EXPECT_EQ(engine::literalCriterion(QString()), QString());
}

TEST(Criteria, TextComparesWithoutCaseAndWildcardsStandForCharacters) {
    EXPECT_TRUE(criterionMatches(QStringLiteral("ünï"), QStringLiteral("ÜNÏ")));
    EXPECT_TRUE(criterionMatches(QStringLiteral("a*c"), QStringLiteral("abbbc")));
    EXPECT_TRUE(criterionMatches(QStringLiteral("a*c"), QStringLiteral("ac")));
    EXPECT_FALSE(criterionMatches(QStringLiteral("a*c"), QStringLiteral("acb")));
    EXPECT_TRUE(criterionMatches(QStringLiteral("a?c"), QStringLiteral("aXc")));
    EXPECT_FALSE(criterionMatches(QStringLiteral("a?c"), QStringLiteral("ac")));
    EXPECT_TRUE(criterionMatches(QStringLiteral("*b*b"), QStringLiteral("abcbb")));
    EXPECT_FALSE(criterionMatches(QStringLiteral("abc"), 5.0));
    EXPECT_TRUE(criterionMatches(QStringLiteral("<>abc"), 5.0));
    EXPECT_TRUE(criterionMatches(QStringLiteral("<>abc"), Value{}));
    EXPECT_TRUE(criterionMatches(QStringLiteral("<b"), QStringLiteral("A")));
    EXPECT_FALSE(criterionMatches(QStringLiteral("<b"), QStringLiteral("c")));
}

TEST(Criteria, NumbersBlanksAndTruthValues) {
    EXPECT_TRUE(criterionMatches(QStringLiteral(">=5"), 5.0));
    EXPECT_FALSE(criterionMatches(QStringLiteral(">5"), 5.0));
    EXPECT_FALSE(criterionMatches(QStringLiteral(">5"), QStringLiteral("9")));  // text is no number here
    EXPECT_TRUE(criterionMatches(QStringLiteral("5"), 5.0));
    EXPECT_TRUE(criterionMatches(QStringLiteral("5"), QStringLiteral("5")));
    EXPECT_TRUE(criterionMatches(5.0, 5.0));
    EXPECT_TRUE(criterionMatches(QString(), Value{}));
    EXPECT_TRUE(criterionMatches(QString(), QString()));
    EXPECT_FALSE(criterionMatches(QString(), 0.0));
    EXPECT_TRUE(criterionMatches(QStringLiteral("<>"), 0.0));
    EXPECT_FALSE(criterionMatches(QStringLiteral("<>"), Value{}));
    EXPECT_TRUE(criterionMatches(QStringLiteral("TRUE"), true));
    EXPECT_TRUE(criterionMatches(QStringLiteral("#DIV/0!"), ErrorCode::Div0));
}

// A register sheet (Category in E, Debit in G, Credit in H from row 6) and a
// summary sheet reading it, with linked calculators.
struct TwoSheets {
    model::Workbook book;
    std::vector<std::unique_ptr<engine::Calculator>> calculators;
    model::Sheet& registerSheet;
    model::Sheet& summary;

    TwoSheets()
        : registerSheet(*book.sheets.emplace_back(std::make_unique<model::Sheet>(QStringLiteral("Check Register")))),
          summary(*book.sheets.emplace_back(std::make_unique<model::Sheet>(QStringLiteral("Category Summary")))) {
        calculators = engine::linkedCalculators(book);
    }
    void row(int row, const QString& category, Value debit, Value credit) {
        if (!category.isEmpty()) registerSheet.at(row, 4).value = category;
        if (!model::isEmpty(debit)) registerSheet.at(row, 6).value = debit;
        if (!model::isEmpty(credit)) registerSheet.at(row, 7).value = credit;
        calculators[0]->invalidate();
    }
    Value summaryValue(const QString& formula) {
        summary.at(0, 0).formula = engine::parseFormulaR1C1(formula);
        calculators[1]->invalidate();
        return calculators[1]->value(0, 0);
    }
};

TEST(ConditionalFunctions, CountAndSumOverAnotherSheet) {
    TwoSheets book;
    book.row(5, QStringLiteral("Food"), 10.0, Value{});
    book.row(6, QStringLiteral("food"), 2.5, Value{});
    book.row(7, QStringLiteral("a*c"), 7.0, 100.0);
    book.row(8, QStringLiteral("abc"), 1.0, Value{});
    book.row(9, QString(), QStringLiteral("n/a"), 40.0);  // an amount that is text counts as nothing
    const QString range = QStringLiteral("'Check Register'!R6C5:R10C5");
    EXPECT_EQ(book.summaryValue(QStringLiteral("=COUNTIF(%1,\"=FOOD\")").arg(range)), Value(2.0));
    EXPECT_EQ(book.summaryValue(QStringLiteral("=SUMIF(%1,\"food\",'Check Register'!R6C7:R10C7)").arg(range)), Value(12.5));
    EXPECT_EQ(book.summaryValue(QStringLiteral("=COUNTIF(%1,\"a*c\")").arg(range)), Value(2.0));
    EXPECT_EQ(book.summaryValue(QStringLiteral("=COUNTIF(%1,\"=a~*c\")").arg(range)), Value(1.0));
    EXPECT_EQ(book.summaryValue(QStringLiteral("=SUMIF(%1,\"=a~*c\",'Check Register'!R6C8:R10C8)").arg(range)), Value(100.0));
    EXPECT_EQ(book.summaryValue(QStringLiteral("=COUNTIF(%1,\"\")").arg(range)), Value(1.0));
    EXPECT_EQ(book.summaryValue(QStringLiteral("=SUMIF(%1,\"\",'Check Register'!R6C7:R6C7)").arg(range)), Value(0.0));
    EXPECT_EQ(book.summaryValue(QStringLiteral("=SUMIF(%1,\"\",'Check Register'!R6C8)").arg(range)), Value(40.0));
    EXPECT_EQ(book.summaryValue(QStringLiteral("=SUMIF('Check Register'!R6C7:R10C7,\">2\")")), Value(19.5));
    EXPECT_EQ(book.summaryValue(QStringLiteral("=COUNTIF(Nowhere!R6C5:R10C5,\"abc\")")), Value(ErrorCode::Ref));
    EXPECT_EQ(book.summaryValue(QStringLiteral("=COUNTIF(1,\"abc\")")), Value(ErrorCode::Value));

    // A change on the register reaches the summary's computed values.
    book.summary.at(1, 0).formula = engine::parseFormulaR1C1(QStringLiteral("=SUMIF(%1,\"food\",'Check Register'!R6C7:R10C7)").arg(range));
    book.calculators[1]->invalidate();
    EXPECT_EQ(book.calculators[1]->value(1, 0), Value(12.5));
    book.row(6, QStringLiteral("food"), 102.5, Value{});
    EXPECT_EQ(book.calculators[1]->value(1, 0), Value(112.5));
    book.row(5, QStringLiteral("Rent"), 10.0, Value{});
    EXPECT_EQ(book.calculators[1]->value(1, 0), Value(102.5));
}

// The index that answers equalities and beginnings for a whole range at
// once gives what going through the cells one by one gives.
TEST(ConditionalFunctions, TheRangeIndexAgreesWithReadingCellByCell) {
    TwoSheets book;
    const QString longName = QString(300, QLatin1Char('L'));
    const std::vector<Value> categories = {
        QStringLiteral("Food"), QStringLiteral("FOOD"), QStringLiteral("5"), 5.0, true, QStringLiteral("TRUE"),
        ErrorCode::NA, QStringLiteral("#N/A"), Value{}, QString(), QStringLiteral("a*c"), longName,
        longName + QStringLiteral("x"), QStringLiteral("Ünï"), QStringLiteral("ünï"), 0.0, QStringLiteral("0")};
    const std::vector<Value> amounts = {1.5, 2.0, ErrorCode::Div0, 4.0, QStringLiteral("x"), 8.0, 16.0, Value{}};
    for (size_t i = 0; i < categories.size() * 2; ++i) {
        if (!model::isEmpty(categories[i % categories.size()])) book.registerSheet.at(5 + int(i), 4).value = categories[i % categories.size()];
        if (!model::isEmpty(amounts[i % amounts.size()])) book.registerSheet.at(5 + int(i), 6).value = amounts[i % amounts.size()];
    }
    book.calculators[0]->invalidate();
    const model::CellRange range{5, 4, 5 + int(categories.size()) * 2 - 1, 4};
    const model::CellRange sums{5, 6, range.lastRow, 6};
    QStringList criteria;
    for (const Value& category : categories)
        if (const auto* text = std::get_if<QString>(&category)) criteria << engine::literalCriterion(*text);
    criteria << QStringLiteral("=5") << QStringLiteral("0") << QStringLiteral("=TRUE") << QStringLiteral("=#N/A")
             << QStringLiteral("") << QStringLiteral("=") << QStringLiteral("=L*") << QStringLiteral("=") + longName.left(200) + QStringLiteral("*")
             << QStringLiteral("=*") << QStringLiteral("=ün*") << QStringLiteral("=nothing*") << QStringLiteral("<>Food") << QStringLiteral(">1");
    engine::CellSource& cells = book.calculators[0]->cells();
    for (const QString& text : criteria) {
        const engine::Criterion criterion = engine::Criterion::read(text, kUnitedStates);
        const engine::ConditionalTotals indexed = cells.conditionalTotals(range, sums, criterion);
        const engine::ConditionalTotals scanned = engine::scanConditionalTotals(cells, range, cells, sums, criterion);
        EXPECT_EQ(indexed.count, scanned.count) << text.left(20).toStdString();
        EXPECT_DOUBLE_EQ(indexed.sum, scanned.sum) << text.left(20).toStdString();
        EXPECT_EQ(indexed.firstError.has_value(), scanned.firstError.has_value()) << text.left(20).toStdString();
    }
}

// A sum range named by its first cell is read in the criteria range's
// shape, and the formulas there are computed before it is summed.
TEST(ConditionalFunctions, SumRangeOnTheSameSheetIsComputedFirst) {
    model::Sheet sheet(QStringLiteral("S"));
    for (int row = 0; row < 3; ++row) {
        sheet.at(row, 0).value = QStringLiteral("k");
        sheet.at(row, 1).formula = engine::parseFormulaR1C1(QStringLiteral("=%1").arg(row + 1));
    }
    sheet.at(5, 5).formula = engine::parseFormulaR1C1(QStringLiteral("=SUMIF(R1C1:R3C1,\"k\",R1C2)"));
    engine::Calculator calculator(sheet);
    EXPECT_EQ(calculator.value(5, 5), Value(6.0));
}

// Reading another sheet's range computes the formulas in it, which may count in ranges of their own.
TEST(ConditionalFunctions, FormulasInTheCountedRangeOfAnotherSheetAreComputedAsItIsRead) {
    TwoSheets book;
    book.row(5, QStringLiteral("x"), Value{}, Value{});
    book.row(6, QStringLiteral("y"), Value{}, Value{});
    book.registerSheet.at(7, 4).formula = engine::parseFormulaR1C1(QStringLiteral("=IF(COUNTIF(R6C5:R7C5,\"x\")=1,\"x\",\"z\")"));
    book.registerSheet.at(8, 4).formula = engine::parseFormulaR1C1(QStringLiteral("=IF(COUNTIF(R6C5:R8C5,\"x\")=2,\"X\",\"z\")"));
    EXPECT_EQ(book.summaryValue(QStringLiteral("=COUNTIF('Check Register'!R6C5:R9C5,\"x\")")), Value(3.0));
}

TEST(ConditionalFunctions, SheetsThatReadEachOtherGiveAnErrorInsteadOfHanging) {
    TwoSheets book;
    book.registerSheet.at(0, 0).formula = engine::parseFormulaR1C1(QStringLiteral("='Category Summary'!R1C1+1"));
    EXPECT_EQ(book.summaryValue(QStringLiteral("='Check Register'!R1C1")), Value(ErrorCode::Value));
    // A sheet may name itself.
    book.summary.at(2, 2).value = 4.0;
    EXPECT_EQ(book.summaryValue(QStringLiteral("='category summary'!R3C3*2")), Value(8.0));
}

TEST(SheetReferences, ReadAndWrittenInBothNotations) {
    const auto formula = engine::parseFormulaR1C1(QStringLiteral("=COUNTIF('Check Register'!R6C5:R9C5,\"=a\")+'It''s'!R[1]C+Plain!RC[-1]"));
    EXPECT_EQ(engine::formulaToR1C1(formula->root),
              QStringLiteral("=COUNTIF('Check Register'!R6C5:R9C5,\"=a\")+'It''s'!R[1]C+Plain!RC[-1]"));
    EXPECT_EQ(engine::formulaToA1(formula->root, 5, 2),
              QStringLiteral("=COUNTIF('Check Register'!$E$6:$E$9,\"=a\")+'It''s'!C7+Plain!B6"));
    EXPECT_EQ(engine::sheetPrefix(QStringLiteral("A1")), QStringLiteral("'A1'!"));
    for (const char* refused : {"='[Book]Sheet'!R1C1", "='a'!R1C1:'b'!R2C2", "=''!R1C1", "='S'R1C1", "='S!R1C1"})
        EXPECT_THROW(engine::parseFormulaR1C1(QLatin1String(refused)), host::HostError) << refused;
}

}  // namespace
