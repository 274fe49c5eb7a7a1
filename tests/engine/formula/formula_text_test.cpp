#include <gtest/gtest.h>

#include "engine/formula/formula_text.h"
#include "host/host_api.h"

using namespace brevanta;
using Kind = model::FormulaNode::Kind;

namespace {

QString roundTrip(const QString& text) { return engine::formulaToR1C1(engine::parseFormulaR1C1(text)->root); }

QString refusal(const QString& text) {
    try {
        engine::parseFormulaR1C1(text);
    } catch (const host::HostError& error) {
        return error.description();
    }
    return QStringLiteral("(accepted)");
}

}  // namespace

TEST(FormulaText, RegisterFormulasRoundTripExactly) {
    for (const QString& text : {
             QStringLiteral("=IF(AND(ISBLANK(RC[-2]),ISBLANK(RC[-1])),\"\",SUM(R6C[-1]:RC[-1])-SUM(R6C[-2]:RC[-2])+0*(RC[-2]+RC[-1]))"),
             QStringLiteral("=IF(AND(ISBLANK(RC[-2]),ISBLANK(RC[-1])),\"\",R[-1]C-RC[-2]+RC[-1])"),
         })
        EXPECT_EQ(roundTrip(text), text);
}

TEST(FormulaText, CanonicalFormOfLiteralsReferencesAndOperators) {
    EXPECT_EQ(roundTrip(QStringLiteral("=r[0]c[0]+R1C1+R65536C256+r[-1]c[+2]")), QStringLiteral("=RC+R1C1+R65536C256+R[-1]C[2]"));
    EXPECT_EQ(roundTrip(QStringLiteral("= 1 + 2 ")), QStringLiteral("=1+2"));
    EXPECT_EQ(roundTrip(QStringLiteral("=\"say \"\"hi\"\"\"&TRUE&false&#div/0!&#N/A")),
              QStringLiteral("=\"say \"\"hi\"\"\"&TRUE&FALSE&#DIV/0!&#N/A"));
    EXPECT_EQ(roundTrip(QStringLiteral("=0.1+1000000+1E+20+1.5e-7+.5")), QStringLiteral("=0.1+1000000+1E+20+1.5E-07+0.5"));
    EXPECT_EQ(roundTrip(QStringLiteral("=-(1+2)%*+3^2<=4<>5>=6&7")), QStringLiteral("=-(1+2)%*+3^2<=4<>5>=6&7"));
    EXPECT_EQ(roundTrip(QStringLiteral("=if(1,,3)+sum()+true()")), QStringLiteral("=IF(1,,3)+SUM()+TRUE()"));
    EXPECT_EQ(roundTrip(QStringLiteral("=((1))")), QStringLiteral("=((1))"));
}

TEST(FormulaText, PrecedenceShapesTheTree) {
    // Unary minus binds tighter than ^: =-2^2 is (-2)^2.
    const auto power = engine::parseFormulaR1C1(QStringLiteral("=-2^2"));
    ASSERT_EQ(power->root.kind, Kind::Binary);
    EXPECT_EQ(power->root.binary, model::BinaryOp::Power);
    EXPECT_EQ(power->root.children[0].kind, Kind::Unary);

    const auto sum = engine::parseFormulaR1C1(QStringLiteral("=2+3*4"));
    EXPECT_EQ(sum->root.binary, model::BinaryOp::Add);
    EXPECT_EQ(sum->root.children[1].binary, model::BinaryOp::Multiply);

    const auto joined = engine::parseFormulaR1C1(QStringLiteral("=\"a\"&1+1"));
    EXPECT_EQ(joined->root.binary, model::BinaryOp::Concat);
    EXPECT_EQ(joined->root.children[1].binary, model::BinaryOp::Add);

    const auto area = engine::parseFormulaR1C1(QStringLiteral("=SUM(R6C[-1]:RC[-1])"));
    const auto& range = area->root.children.at(0);
    ASSERT_EQ(range.kind, Kind::Area);
    EXPECT_EQ(range.first, (model::CellRef{{5, false}, {-1, true}}));
    EXPECT_EQ(range.last, (model::CellRef{{0, true}, {-1, true}}));

    const auto explicitParens = engine::parseFormulaR1C1(QStringLiteral("=(1+2)*3"));
    EXPECT_EQ(explicitParens->root.children[0].kind, Kind::Paren);
}

TEST(FormulaText, TreesWithoutParenNodesPrintWithTheParenthesesTheyNeed) {
    const auto number = [](double value) {
        model::FormulaNode node;
        node.kind = Kind::Number;
        node.number = value;
        return node;
    };
    const auto binary = [](model::BinaryOp op, model::FormulaNode left, model::FormulaNode right) {
        model::FormulaNode node;
        node.kind = Kind::Binary;
        node.binary = op;
        node.children = {std::move(left), std::move(right)};
        return node;
    };
    const auto sum = binary(model::BinaryOp::Add, number(1), number(1));
    EXPECT_EQ(engine::formulaToR1C1(binary(model::BinaryOp::Multiply, sum, sum)), QStringLiteral("=(1+1)*(1+1)"));
    EXPECT_EQ(engine::formulaToR1C1(binary(model::BinaryOp::Subtract, number(1), sum)), QStringLiteral("=1-(1+1)"));
    EXPECT_EQ(engine::formulaToR1C1(binary(model::BinaryOp::Subtract, sum, number(1))), QStringLiteral("=1+1-1"));
}

TEST(FormulaText, RefusesWhatCannotBeReadOrSaved) {
    EXPECT_EQ(refusal(QStringLiteral("=SUMM(R1C1)")), QStringLiteral("Unknown function: SUMM"));
    EXPECT_EQ(refusal(QStringLiteral("=[Book1]Sheet1!R1C1")),
              QStringLiteral("The formula contains an error: =[Book1]Sheet1!R1C1"));
    // Another sheet of the same workbook may be named; another workbook may not.
    EXPECT_EQ(refusal(QStringLiteral("=Sheet1!R1C1")), QStringLiteral("(accepted)"));
    EXPECT_EQ(refusal(QStringLiteral("='My Sheet'!R1C1")), QStringLiteral("(accepted)"));
    for (const char* text : {"=", "=1+", "=(1", "=1)", "=a|b!c", "=R1C1!x",
                             "=name", "=R", "=C2", "=R1C1:5", "=R65537C1", "=R1C257", "=R0C1", "=R[65536]C",
                             "=C[256]", "=\"open", "=#BAD!", "=1 2", "=R1C1 R2C2", "=NOT(1,2)", "=ROUND(1)",
                             "=ISBLANK()", "=SUM(1,2", "=1..2", "=\u0661+1", "=IF(1,2,3,4)"})
        EXPECT_TRUE(refusal(QString::fromUtf8(text)).startsWith(QLatin1String("The formula contains an error: ")))
            << text;
    EXPECT_TRUE(refusal(QStringLiteral("1+1")).startsWith(QLatin1String("The formula contains an error")));
}

TEST(FormulaText, RefusesWhatTheSavedFileCannotHold) {
    const auto quoted = [](int length) { return QStringLiteral("=\"") + QString(length, QLatin1Char('x')) + QStringLiteral("\""); };
    EXPECT_EQ(refusal(quoted(255)), QStringLiteral("(accepted)"));
    EXPECT_NE(refusal(quoted(256)), QStringLiteral("(accepted)"));
    // Deep nesting and over-long formulas are refused instead of overflowing the stack later.
    EXPECT_NE(refusal(QStringLiteral("=") + QString(300, QLatin1Char('(')) + QStringLiteral("1") + QString(300, QLatin1Char(')'))),
              QStringLiteral("(accepted)"));
    EXPECT_NE(refusal(QStringLiteral("=") + QString(5000, QLatin1Char('-')) + QStringLiteral("1")), QStringLiteral("(accepted)"));
    QString longSum = QStringLiteral("=1");
    while (longSum.size() < 1100) longSum += QStringLiteral("+1");
    EXPECT_NE(refusal(longSum), QStringLiteral("(accepted)"));
}

TEST(FormulaText, TheSameTextGivesTheSameSharedTree) {
    const QString balance = QStringLiteral("=IF(AND(ISBLANK(RC[-2]),ISBLANK(RC[-1])),\"\",R[-1]C-RC[-2]+RC[-1])");
    EXPECT_EQ(engine::parseFormulaR1C1(balance), engine::parseFormulaR1C1(balance));
    EXPECT_NE(engine::parseFormulaR1C1(QStringLiteral("=1+1")), engine::parseFormulaR1C1(QStringLiteral("=1+2")));
}

namespace {
std::string a1(const QString& r1c1, int row, int col) {
    return engine::formulaToA1(engine::parseFormulaR1C1(r1c1)->root, row, col).toStdString();
}
}  // namespace

TEST(FormulaText, A1TextIsSeenFromTheFormulasOwnCell) {
    // The balance of row 6 (I6), and the same tree seen from row 7.
    const QString balance = QStringLiteral("=IF(AND(ISBLANK(RC[-2]),ISBLANK(RC[-1])),\"\",R[-1]C-RC[-2]+RC[-1])");
    EXPECT_EQ(a1(balance, 5, 8), "=IF(AND(ISBLANK(G6),ISBLANK(H6)),\"\",I5-G6+H6)");
    EXPECT_EQ(a1(balance, 6, 8), "=IF(AND(ISBLANK(G7),ISBLANK(H7)),\"\",I6-G7+H7)");
    // Absolute parts get "$"; mixed ones only where they are absolute.
    EXPECT_EQ(a1(QStringLiteral("=R6C9+R6C[-1]+R[1]C1+SUM(R1C1:R[-1]C)"), 9, 2),
              "=$I$6+B$6+$A11+SUM($A$1:C9)");
    // Column letters past Z, and the last cell of a BIFF8 sheet.
    EXPECT_EQ(a1(QStringLiteral("=RC[25]+RC[26]+RC[51]+RC[52]+RC[255]+R65536C256"), 0, 0),
              "=Z1+AA1+AZ1+BA1+IV1+$IV$65536");
    // Texts, operators and parentheses print as in R1C1.
    EXPECT_EQ(a1(QStringLiteral("=\"a\"\"b\"&-(RC[1]+2)%"), 0, 0), "=\"a\"\"b\"&-(B1+2)%");
}

TEST(FormulaText, A1ReferencesOffTheSheetShowRef) {
    // The first row's "row above", as in a balance copied to row 1.
    EXPECT_EQ(a1(QStringLiteral("=R[-1]C+1"), 0, 3), "=#REF!+1");
    EXPECT_EQ(a1(QStringLiteral("=SUM(R[-1]C:RC)"), 0, 0), "=SUM(#REF!)");
    EXPECT_EQ(a1(QStringLiteral("=RC[1]"), 0, 255), "=#REF!");
}
