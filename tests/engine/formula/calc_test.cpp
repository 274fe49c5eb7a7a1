#include <gtest/gtest.h>

#include <random>

#include "engine/formula/calc.h"
#include "engine/formula/display_format.h"
#include "engine/formula/formula_text.h"
#include "engine/formula/typed_entry.h"

using namespace brevanta;
using model::ErrorCode;
using model::Value;

namespace {

const QLocale kUnitedStates(QLocale::English, QLocale::UnitedStates);

// The register's columns (0-based): G debit, H credit, I balance; data from row 6 (index 5).
constexpr int kDebit = 6, kCredit = 7, kBalance = 8, kFirstDataRow = 5;
const QString kSumBalance = QStringLiteral(
    "=IF(AND(ISBLANK(RC[-2]),ISBLANK(RC[-1])),\"\",SUM(R6C[-1]:RC[-1])-SUM(R6C[-2]:RC[-2])+0*(RC[-2]+RC[-1]))");
const QString kChainBalance = QStringLiteral("=IF(AND(ISBLANK(RC[-2]),ISBLANK(RC[-1])),\"\",R[-1]C-RC[-2]+RC[-1])");

// Writes typed text into a cell the way the host's typed entry does.
void type(model::Sheet& sheet, int row, int col, const QString& text) {
    const engine::TypedEntry entry = engine::interpretEntry(text, kUnitedStates);
    if (entry.kind == engine::TypedEntry::Kind::Clear) {
        sheet.erase(row, col);
        return;
    }
    model::Cell& cell = sheet.at(row, col);
    cell.formula = entry.formula;
    cell.value = entry.kind == engine::TypedEntry::Kind::Constant ? entry.value : Value{};
}

// A register sheet: header, then one row per (debit, credit) pair, each with the balance formula.
struct Register {
    model::Sheet sheet{QStringLiteral("Check Register")};
    engine::Calculator calculator{sheet};

    Register(const QString& balanceFormula, const std::vector<std::pair<QString, QString>>& amounts) {
        type(sheet, kFirstDataRow - 1, kBalance, QStringLiteral("Balance"));
        const auto formula = engine::parseFormulaR1C1(balanceFormula);
        for (size_t i = 0; i < amounts.size(); ++i) {
            const int row = kFirstDataRow + static_cast<int>(i);
            type(sheet, row, kDebit, amounts[i].first);
            type(sheet, row, kCredit, amounts[i].second);
            sheet.at(row, kBalance).formula = formula;
        }
    }
    QStringList shownBalances() {
        QStringList shown;
        for (int row = kFirstDataRow; row < sheet.rowExtent(); ++row)
            shown << engine::displayText(calculator.value(row, kBalance), QString(), kUnitedStates);
        return shown;
    }
};

Value compute(const QString& formula) {
    model::Sheet sheet(QStringLiteral("S"));
    sheet.at(0, 0).formula = engine::parseFormulaR1C1(formula);
    engine::Calculator calculator(sheet);
    return calculator.value(0, 0);
}

}  // namespace

TEST(RegisterBalance, SumFormulaRunsThroughEveryKindOfAmount) {
    Register book(kSumBalance, {
                                   {QString(), QStringLiteral("5000")},      // a deposit
                                   {QString(), QString()},                   // a zero-amount row
                                   {QStringLiteral("55"), QString()},        // then rows with amounts
                                   {QStringLiteral("12abc"), QString()},     // a text amount
                                   {QStringLiteral("=100*3"), QString()},    // a formula as an amount
                                   {QStringLiteral("'5"), QString()},        // numeric text
                                   {QString(), QStringLiteral("0.1")},
                               });
    EXPECT_EQ(book.shownBalances(), (QStringList{QStringLiteral("5000"), QString(), QStringLiteral("4945"),
                                                 QStringLiteral("#VALUE!"), QStringLiteral("4645"),
                                                 QStringLiteral("4645"), QStringLiteral("4645.1")}));
}

TEST(RegisterBalance, ChainFormulaFailsOnTheHeaderAndAfterAnEmptyRow) {
    // The chain formula reads the row above: the header text, or "" after a row without amounts.
    Register book(kChainBalance, {{QString(), QStringLiteral("5000")}, {QString(), QString()}, {QStringLiteral("55"), QString()}});
    EXPECT_EQ(book.shownBalances(), (QStringList{QStringLiteral("#VALUE!"), QString(), QStringLiteral("#VALUE!")}));

    // Started from a number above, it runs, and a zero-amount row breaks everything after it.
    Register numbered(kChainBalance, {{QString(), QStringLiteral("5000")}, {QStringLiteral("55"), QString()}});
    type(numbered.sheet, kFirstDataRow - 1, kBalance, QStringLiteral("100"));
    numbered.calculator.invalidate();
    EXPECT_EQ(numbered.shownBalances(), (QStringList{QStringLiteral("5100"), QStringLiteral("5045")}));
}

TEST(RegisterBalance, ValuesFollowChangesAfterInvalidate) {
    Register book(kSumBalance, {{QString(), QStringLiteral("10")}, {QStringLiteral("3"), QString()}});
    EXPECT_EQ(book.shownBalances(), (QStringList{QStringLiteral("10"), QStringLiteral("7")}));
    type(book.sheet, kFirstDataRow, kCredit, QStringLiteral("20"));
    book.calculator.invalidate();
    EXPECT_EQ(book.shownBalances(), (QStringList{QStringLiteral("20"), QStringLiteral("17")}));
    book.calculator.computeAll();
    EXPECT_EQ(book.sheet.find(kFirstDataRow + 1, kBalance)->value, Value(17.0));
}

TEST(RegisterBalance, ThirtyTwoThousandRowsInAnyOrderAgreeWithAPlainSum) {
    std::vector<std::pair<QString, QString>> amounts;
    double expected = 0;
    for (int i = 0; i < 32767; ++i) {
        if (i % 3 == 0) {
            amounts.emplace_back(QStringLiteral("10.25"), QString());
            expected -= 10.25;
        } else {
            amounts.emplace_back(QString(), QStringLiteral("25.5"));
            expected += 25.5;
        }
    }
    Register book(kSumBalance, amounts);
    const int lastRow = kFirstDataRow + 32766;
    // Asked bottom-first (one long run), then top-down after a change.
    EXPECT_EQ(book.calculator.value(lastRow, kBalance), Value(expected));
    book.calculator.invalidate();
    for (int row = kFirstDataRow; row <= lastRow; ++row) book.calculator.value(row, kBalance);
    EXPECT_EQ(book.calculator.value(lastRow, kBalance), Value(expected));
}

TEST(Calculation, OperatorPrecedence) {
    EXPECT_EQ(compute(QStringLiteral("=-2^2")), Value(4.0));
    EXPECT_EQ(compute(QStringLiteral("=2+3*4")), Value(14.0));
    EXPECT_EQ(compute(QStringLiteral("=\"a\"&1+1")), Value(QStringLiteral("a2")));
    EXPECT_EQ(compute(QStringLiteral("=2^3^2")), Value(64.0));
    EXPECT_EQ(compute(QStringLiteral("=50%*2")), Value(1.0));
    EXPECT_EQ(compute(QStringLiteral("=1+2=3")), Value(true));
    EXPECT_EQ(compute(QStringLiteral("=(2+3)*4")), Value(20.0));
}

TEST(Calculation, TextNumbersEmptyCellsAndErrors) {
    EXPECT_EQ(compute(QStringLiteral("=\"5\"+1")), Value(6.0));
    EXPECT_EQ(compute(QStringLiteral("=\"abc\"+1")), Value(ErrorCode::Value));
    EXPECT_EQ(compute(QStringLiteral("=1/0")), Value(ErrorCode::Div0));
    EXPECT_EQ(compute(QStringLiteral("=#N/A+1/0")), Value(ErrorCode::NA));
    EXPECT_EQ(compute(QStringLiteral("=R[-1]C")), Value(ErrorCode::Ref));            // above row 1
    EXPECT_EQ(compute(QStringLiteral("=SUM(RC[-1]:RC)")), Value(ErrorCode::Ref));    // left of column A
    EXPECT_EQ(compute(QStringLiteral("=R2C1")), Value(0.0));                          // an empty cell is 0
    EXPECT_EQ(compute(QStringLiteral("=R2C1&\"x\"")), Value(QStringLiteral("x")));    // ... or ""
    EXPECT_EQ(compute(QStringLiteral("=ISBLANK(R2C1)")), Value(true));
    EXPECT_EQ(compute(QStringLiteral("=ISBLANK(\"\")")), Value(false));
    EXPECT_EQ(compute(QStringLiteral("=0.1+0.2=0.3")), Value(true));
    EXPECT_EQ(compute(QStringLiteral("=1E308*10")), Value(ErrorCode::Num));
    EXPECT_EQ(compute(QStringLiteral("=R2C1+1E308+1E308")), Value(ErrorCode::Num));   // empty + numbers
    EXPECT_EQ(compute(QStringLiteral("=(R2C1-R3C1)*3+TRUE")), Value(1.0));
    EXPECT_EQ(compute(QStringLiteral("=R2C1+#DIV/0!")), Value(ErrorCode::Div0));
    EXPECT_EQ(compute(QStringLiteral("=IF(\"maybe\",1,2)")), Value(ErrorCode::Value));
    EXPECT_EQ(compute(QStringLiteral("=IF(0,1)")), Value(false));
    EXPECT_EQ(compute(QStringLiteral("=IF(1,,2)")), Value(0.0));
}

TEST(Calculation, ComparisonsOrderNumbersTextAndTruthValues) {
    EXPECT_EQ(compute(QStringLiteral("=99999<\"a\"")), Value(true));
    EXPECT_EQ(compute(QStringLiteral("=\"zzz\"<FALSE")), Value(true));
    EXPECT_EQ(compute(QStringLiteral("=\"ABC\"=\"abc\"")), Value(true));
    EXPECT_EQ(compute(QStringLiteral("=\"a\"<\"B\"")), Value(true));
    EXPECT_EQ(compute(QStringLiteral("=R2C1=0")), Value(true));
    EXPECT_EQ(compute(QStringLiteral("=R2C1=\"\"")), Value(true));
    EXPECT_EQ(compute(QStringLiteral("=1=TRUE")), Value(false));
}

TEST(Calculation, FunctionsOverCellsAndRanges) {
    model::Sheet sheet(QStringLiteral("S"));
    // Column A: 1, "5" (text), TRUE, empty, 4; column B: an error in the middle.
    sheet.at(0, 0).value = 1.0;
    sheet.at(1, 0).value = QStringLiteral("5");
    sheet.at(2, 0).value = true;
    sheet.at(4, 0).value = 4.0;
    sheet.at(2, 1).value = ErrorCode::NA;
    const auto set = [&](int row, const char* formula) { sheet.at(row, 3).formula = engine::parseFormulaR1C1(QString::fromLatin1(formula)); };
    set(0, "=SUM(R1C1:R5C1)");
    set(1, "=AVERAGE(R1C1:R5C1)");
    set(2, "=MIN(R1C1:R5C1)+MAX(R1C1:R5C1)*10");
    set(3, "=COUNT(R1C1:R5C2)");
    set(4, "=SUM(R1C1:R5C2)");
    set(5, "=SUM(\"5\",TRUE,R2C1)");
    set(6, "=AND(R1C1:R5C1)");
    set(7, "=OR(R4C1)");
    set(8, "=ROUND(1.005,2)+ROUND(-2.5,0)+ABS(-3)");
    set(9, "=LEN(1/4)+LEN(\"abc\")+N(TRUE)+N(\"7\")");
    set(10, "=CONCATENATE(\"x\",1.5,TRUE)");
    set(11, "=ISNUMBER(R1C1)+ISTEXT(R2C1)*10+ISERROR(R3C2)*100+NOT(0)*1000");
    set(12, "=R1C1:R5C1");   // a one-column range in row 13 is outside rows 1-5
    set(13, "=AVERAGE(R4C1)");
    set(14, "=ROUND(2.5,400)+ROUND(123,-2)+ROUND(5,-400)");
    engine::Calculator calculator(sheet);
    const auto at = [&](int row) { return calculator.value(row, 3); };
    EXPECT_EQ(at(0), Value(5.0));
    EXPECT_EQ(at(1), Value(2.5));
    EXPECT_EQ(at(2), Value(41.0));
    EXPECT_EQ(at(3), Value(2.0));
    EXPECT_EQ(at(4), Value(ErrorCode::NA));
    EXPECT_EQ(at(5), Value(6.0));
    EXPECT_EQ(at(6), Value(true));
    EXPECT_EQ(at(7), Value(ErrorCode::Value));
    EXPECT_EQ(at(8), Value(1.01 - 3 + 3));
    EXPECT_EQ(at(9), Value(4.0 + 3 + 1 + 0));
    EXPECT_EQ(at(10), Value(QStringLiteral("x1.5TRUE")));
    EXPECT_EQ(at(11), Value(1111.0));
    EXPECT_EQ(at(12), Value(ErrorCode::Value));
    EXPECT_EQ(at(13), Value(ErrorCode::Div0));
    EXPECT_EQ(at(14), Value(102.5));
}

TEST(Calculation, CircularReferencesGiveAnErrorAndReturn) {
    model::Sheet sheet(QStringLiteral("S"));
    sheet.at(0, 0).formula = engine::parseFormulaR1C1(QStringLiteral("=R2C1+1"));
    sheet.at(1, 0).formula = engine::parseFormulaR1C1(QStringLiteral("=R1C1*2"));
    sheet.at(2, 0).formula = engine::parseFormulaR1C1(QStringLiteral("=RC"));
    // A balance column summing itself, including its own row, over a tall range.
    const auto selfSum = engine::parseFormulaR1C1(QStringLiteral("=SUM(R4C:RC)"));
    for (int row = 3; row < 40; ++row) sheet.at(row, 0).formula = selfSum;
    sheet.at(0, 1).formula = engine::parseFormulaR1C1(QStringLiteral("=R1C1+1"));
    engine::Calculator calculator(sheet);
    EXPECT_TRUE(model::isEmpty(calculator.value(5, 5)));
    EXPECT_EQ(calculator.value(0, 0), Value(ErrorCode::Value));
    EXPECT_EQ(calculator.value(1, 0), Value(ErrorCode::Value));
    EXPECT_EQ(calculator.value(2, 0), Value(ErrorCode::Value));
    EXPECT_EQ(calculator.value(39, 0), Value(ErrorCode::Value));
    EXPECT_EQ(calculator.value(0, 1), Value(ErrorCode::Value));
    calculator.computeAll();  // and again from a clean start
    calculator.invalidate();
    EXPECT_EQ(calculator.value(20, 0), Value(ErrorCode::Value));
}

TEST(Calculation, ChainsDownEveryRowDoNotExhaustTheStack) {
    model::Sheet sheet(QStringLiteral("S"));
    sheet.at(0, 0).value = 1.0;
    const auto next = engine::parseFormulaR1C1(QStringLiteral("=R[-1]C+1"));
    for (int row = 1; row < model::kMaxRows; ++row) sheet.at(row, 0).formula = next;
    // A second chain whose growing SUMs lean on the first column's formulas.
    const auto total = engine::parseFormulaR1C1(QStringLiteral("=SUM(R1C1:RC1)-R[-1]C"));
    for (int row = 1; row < model::kMaxRows; ++row) sheet.at(row, 1).formula = total;
    engine::Calculator calculator(sheet);
    EXPECT_EQ(calculator.value(model::kMaxRows - 1, 0), Value(65536.0));
    const double n = model::kMaxRows;
    // Row k holds SUM(1..k) - B(k-1); B alternates around the triangular numbers.
    const Value bottom = calculator.value(model::kMaxRows - 1, 1);
    ASSERT_TRUE(std::holds_alternative<double>(bottom));
    EXPECT_GT(std::get<double>(bottom), 0);
    EXPECT_LE(std::get<double>(bottom), n * (n + 1) / 2);
}

TEST(Calculation, TallRangesAgreeWithACellByCellReading) {
    // Column A: numbers, with text, truth values, gaps, formulas and one error mixed in.
    model::Sheet sheet(QStringLiteral("S"));
    std::vector<Value> columnA(400);
    for (int row = 0; row < 400; ++row) {
        Value value;
        if (row % 7 == 3) value = QStringLiteral("12abc");
        else if (row % 11 == 5) value = true;
        else if (row % 13 == 0) continue;  // an empty cell
        else value = row * 0.25 - 30;
        columnA[row] = value;
        sheet.at(row, 0).value = value;
    }
    sheet.at(150, 0).formula = engine::parseFormulaR1C1(QStringLiteral("=R2C1*2"));  // A151 = 2 * A2
    columnA[150] = std::get<double>(columnA[1]) * 2;
    sheet.at(300, 0).value = ErrorCode::Div0;
    columnA[300] = ErrorCode::Div0;

    // Growing, sliding and fixed tall ranges, next to each row.
    const auto growing = engine::parseFormulaR1C1(QStringLiteral("=SUM(R1C1:RC1)"));
    const auto sliding = engine::parseFormulaR1C1(QStringLiteral("=AVERAGE(R[-40]C1:RC1)"));
    const auto extremes = engine::parseFormulaR1C1(QStringLiteral("=MAX(R1C1:RC1)-MIN(R1C1:RC1)+COUNT(R1C1:RC1)"));
    for (int row = 40; row < 400; ++row) {
        sheet.at(row, 1).formula = growing;
        sheet.at(row, 2).formula = sliding;
        sheet.at(row, 3).formula = extremes;
    }
    engine::Calculator calculator(sheet);
    for (int row = 399; row >= 40; row -= 17) {  // from the bottom, so summaries are built out of order
        double sum = 0, windowSum = 0, windowCount = 0, count = 0;
        double low = 1e300, high = -1e300;
        bool error = false;
        for (int r = 0; r <= row; ++r) {
            if (std::holds_alternative<ErrorCode>(columnA[r])) error = true;
            const auto* number = std::get_if<double>(&columnA[r]);
            if (!number) continue;
            sum += *number;
            count += 1;
            low = std::min(low, *number);
            high = std::max(high, *number);
            if (r >= row - 40) {
                windowSum += *number;
                windowCount += 1;
            }
        }
        const bool windowError = row >= 300 && row - 40 <= 300;
        if (error) {
            EXPECT_EQ(calculator.value(row, 1), Value(ErrorCode::Div0)) << row;
            EXPECT_EQ(calculator.value(row, 3), Value(ErrorCode::Div0)) << row;
        } else {
            EXPECT_EQ(calculator.value(row, 1), Value(sum)) << row;
            EXPECT_EQ(calculator.value(row, 3), Value(high - low + count)) << row;
        }
        if (windowError) EXPECT_EQ(calculator.value(row, 2), Value(ErrorCode::Div0)) << row;
        else EXPECT_EQ(calculator.value(row, 2), Value(windowSum / windowCount)) << row;
    }
}

TEST(Calculation, TheFirstErrorOfAWideRangeIsTheTopmost) {
    model::Sheet sheet(QStringLiteral("S"));
    for (int row = 0; row < 40; ++row) {
        sheet.at(row, 0).value = 1.0;
        sheet.at(row, 1).value = 2.0;
    }
    sheet.at(30, 0).value = ErrorCode::NA;
    sheet.at(20, 1).value = ErrorCode::Num;
    sheet.at(0, 3).formula = engine::parseFormulaR1C1(QStringLiteral("=SUM(R1C1:R40C2)"));
    sheet.at(1, 3).formula = engine::parseFormulaR1C1(QStringLiteral("=SUM(R1C1:R20C2)"));
    engine::Calculator calculator(sheet);
    EXPECT_EQ(calculator.value(0, 3), Value(ErrorCode::Num));
    EXPECT_EQ(calculator.value(1, 3), Value(60.0));
}

TEST(RegisterBalance, TheWholeRegisterComputedForSavingAgreesWithARunningTotal) {
    // The register's own pair: the shown balance reads the hidden running total to its right,
    // which reads the row above, down every row a sheet has.
    constexpr int kRunning = kBalance + 1;
    model::Sheet sheet(QStringLiteral("Check Register"));
    sheet.at(0, kRunning).value = 0.0;
    const auto shown = engine::parseFormulaR1C1(
        QStringLiteral("=IF(AND(ISBLANK(RC[-2]),ISBLANK(RC[-1])),\"\",RC[1]+0*(RC[-2]+RC[-1]))"));
    const auto running = engine::parseFormulaR1C1(QStringLiteral("=R[-1]C+SUM(RC[-2])-SUM(RC[-3])"));
    std::vector<Value> expected(model::kMaxRows);
    double total = 0;
    for (int row = 1; row < model::kMaxRows; ++row) {
        if (row % 5 == 0) {
            expected[row] = QString();  // a row without amounts
        } else if (row % 2 == 0) {
            sheet.at(row, kDebit).value = 10.25;
            expected[row] = total -= 10.25;
        } else {
            sheet.at(row, kCredit).value = 25.5;
            expected[row] = total += 25.5;
        }
        sheet.at(row, kBalance).formula = shown;
        sheet.at(row, kRunning).formula = running;
    }
    engine::Calculator calculator(sheet);
    calculator.computeAll();
    for (int row = 1; row < model::kMaxRows; row += 997) {
        EXPECT_EQ(sheet.find(row, kBalance)->value, expected[row]) << row;
        EXPECT_EQ(calculator.value(row, kBalance), expected[row]) << row;
    }
    EXPECT_EQ(sheet.find(model::kMaxRows - 1, kRunning)->value, Value(total));
}

TEST(Calculation, CellsAreFoundInRowsWithGapsAndThroughTheirOwnSheetsName) {
    model::Sheet sheet(QStringLiteral("Book"));
    // Row 1 holds A, C and F; row 2 starts at D, right of the B it reads.
    sheet.at(0, 0).value = 1.0;
    sheet.at(0, 2).value = 3.0;
    sheet.at(0, 5).formula = engine::parseFormulaR1C1(QStringLiteral("=R1C3+R1C4+R1C1"));
    sheet.at(1, 3).formula = engine::parseFormulaR1C1(QStringLiteral("=R2C5*2+R2C2"));
    // Naming its own sheet (in another case), a formula still waits for the cell it reads.
    sheet.at(1, 4).formula = engine::parseFormulaR1C1(QStringLiteral("='BOOK'!R1C6+1"));
    engine::Calculator calculator(sheet);
    EXPECT_EQ(calculator.value(1, 3), Value(10.0));
    EXPECT_TRUE(model::isEmpty(calculator.value(1, 1)));
    EXPECT_TRUE(model::isEmpty(calculator.value(0, 4)));
    calculator.computeAll();
    EXPECT_EQ(sheet.find(0, 5)->value, Value(4.0));
    EXPECT_EQ(sheet.find(1, 4)->value, Value(5.0));
}

TEST(Calculation, ACircleFoundAfterWaitingMarksTheCellsThatWaitedOnIt) {
    model::Sheet sheet(QStringLiteral("S"));
    sheet.at(0, 0).formula = engine::parseFormulaR1C1(QStringLiteral("=R1C2+1"));
    sheet.at(0, 1).formula = engine::parseFormulaR1C1(QStringLiteral("=R1C3+1"));
    sheet.at(0, 2).formula = engine::parseFormulaR1C1(QStringLiteral("=IF(ISERROR(R1C1),7,R1C1)"));
    // Outside the circle, reading into it.
    sheet.at(1, 0).formula = engine::parseFormulaR1C1(QStringLiteral("=IF(ISERROR(R1C2),-1,R1C2)"));
    sheet.at(1, 1).formula = engine::parseFormulaR1C1(QStringLiteral("=5+R1C4"));

    // Entered at A1: the circle closes at C1, and everything that waited on C1 fails.
    engine::Calculator fromTheTop(sheet);
    fromTheTop.computeAll();
    for (int col = 0; col < 3; ++col) EXPECT_EQ(sheet.find(0, col)->value, Value(ErrorCode::Value)) << col;
    EXPECT_EQ(sheet.find(1, 0)->value, Value(-1.0));
    EXPECT_EQ(sheet.find(1, 1)->value, Value(5.0));

    // Entered at A2 (B1, C1, then A1): the circle closes at A1, and C1 reads it as an error.
    engine::Calculator fromBelow(sheet);
    EXPECT_EQ(fromBelow.value(1, 0), Value(8.0));
    fromBelow.computeAll();
    EXPECT_EQ(sheet.find(0, 0)->value, Value(ErrorCode::Value));
    EXPECT_EQ(sheet.find(0, 1)->value, Value(8.0));
    EXPECT_EQ(sheet.find(0, 2)->value, Value(7.0));
}

// Formulas of single cells are computed at once, without the work stack;
// the same formulas with a range added go on the stack. Over tangles of
// circles, and a chain deeper than cells are computed one inside another,
// both ways must give every cell the same value from any starting cell.
TEST(Calculation, FormulasComputedAtOnceAgreeWithTheWorkStack) {
    constexpr int kGridRows = 12, kGridCols = 5, kChainRows = 80, kChainCol = 6;
    // An empty tall range: adding 0*SUM of it changes no value but sends the formula to the stack.
    const QString kThroughTheStack = QStringLiteral("+0*SUM(R200C20:R300C20)");
    for (unsigned seed = 1; seed <= 150; ++seed) {
        std::mt19937 random(seed);
        const auto pick = [&](int below) { return int(random() % unsigned(below)); };
        const auto cell = [&] {
            if (pick(6) == 0) return QStringLiteral("R%1C%2").arg(pick(kChainRows) + 1).arg(kChainCol + 1);
            return QStringLiteral("R%1C%2").arg(pick(kGridRows) + 1).arg(pick(kGridCols) + 1);
        };
        std::vector<std::tuple<int, int, QString>> formulas;
        std::vector<std::tuple<int, int, double>> numbers;
        for (int row = 0; row < kGridRows; ++row)
            for (int col = 0; col < kGridCols; ++col) {
                const QString a = cell(), b = cell();
                switch (pick(6)) {
                case 0: numbers.emplace_back(row, col, pick(9) - 4); break;
                case 1: break;  // left empty
                case 2: formulas.emplace_back(row, col, QStringLiteral("=IF(ISERROR(%1),%2,%1+%3)").arg(a).arg(pick(9)).arg(b)); break;
                case 3: formulas.emplace_back(row, col, QStringLiteral("=IF(AND(ISBLANK(%1),ISNUMBER(%2)),%2*3,%1-%2)").arg(a, b)); break;
                case 4: formulas.emplace_back(row, col, QStringLiteral("=SUM(%1)+%2").arg(a, b)); break;
                default: formulas.emplace_back(row, col, QStringLiteral("=%1+%2*(%3)").arg(a, b, cell())); break;
                }
            }
        // Each chain cell reads the one below; the last reads the grid, or the top (a deep circle).
        for (int row = 0; row + 1 < kChainRows; ++row)
            formulas.emplace_back(row, kChainCol, QStringLiteral("=R[1]C+1"));
        formulas.emplace_back(kChainRows - 1, kChainCol, pick(2) ? QStringLiteral("=R1C%1").arg(kChainCol + 1) : QStringLiteral("=") + cell());

        model::Sheet atOnce(QStringLiteral("S")), onTheStack(QStringLiteral("S"));
        for (const auto& [row, col, number] : numbers) atOnce.at(row, col).value = onTheStack.at(row, col).value = number;
        for (const auto& [row, col, text] : formulas) {
            atOnce.at(row, col).formula = engine::parseFormulaR1C1(text);
            onTheStack.at(row, col).formula = engine::parseFormulaR1C1(text + kThroughTheStack);
        }
        engine::Calculator atOnceCalculator(atOnce), onTheStackCalculator(onTheStack);
        for (int entry = 0; entry < 3; ++entry) {
            const auto& [row, col, text] = formulas[size_t(pick(int(formulas.size())))];
            ASSERT_EQ(atOnceCalculator.value(row, col), onTheStackCalculator.value(row, col))
                << "seed " << seed << " entered at " << row << "," << col << " " << text.toStdString();
        }
        atOnceCalculator.computeAll();
        onTheStackCalculator.computeAll();
        for (const auto& [row, col, text] : formulas)
            ASSERT_EQ(atOnce.find(row, col)->value, onTheStack.find(row, col)->value)
                << "seed " << seed << " at " << row << "," << col << " " << text.toStdString();
    }
}

// Cells of every kind read by arithmetic, SUM, IF and the IS functions:
// what the quick evaluation takes, and what it leaves to the general one.
TEST(Calculation, CellsOfEveryKindInCommonFormulas) {
    model::Sheet sheet(QStringLiteral("S"));
    sheet.at(0, 0).value = QStringLiteral("abc");  // A1 text, B1 5, C1 -0, D1 empty, E1 an error, F1 TRUE
    sheet.at(0, 1).value = 5.0;
    sheet.at(0, 2).value = -0.0;
    sheet.at(0, 4).value = ErrorCode::Div0;
    sheet.at(0, 5).value = true;
    const QStringList formulas = {
        "=SUM(R1C1,R1C2,R1C4,R1C6)", "=SUM(R1C2,,(R1C2))", "=SUM(R1C5,R1C2)", "=R1C1+1",
        "=-R1C4",                    "=R1C3*R1C2",          "=R1C2*1E308*10",  "=IF(TRUE,R1C4)",
        "=IF(R1C2>1,R1C2)",          "=IF(FALSE,1)",        "=AND(ISBLANK(R1C4),R1C2)", "=ISBLANK((R1C4))",
        "=NOT(ISTEXT(R1C1))+0",      "=IF(ISERROR(R1C5),7,1)", "=R1C6+1",      "=SUM(R1C2)%",
    };
    for (int i = 0; i < formulas.size(); ++i) sheet.at(1, i).formula = engine::parseFormulaR1C1(formulas[i]);
    engine::Calculator calculator(sheet);
    const std::vector<Value> expected = {
        5.0,  10.0,  ErrorCode::Div0, ErrorCode::Value, 0.0, 0.0, ErrorCode::Num, 0.0,
        5.0,  false, true,            true,             0.0, 7.0, 2.0,          0.05,
    };
    for (int i = 0; i < formulas.size(); ++i)
        EXPECT_EQ(calculator.value(1, i), expected[size_t(i)]) << formulas[i].toStdString();
    // No negative zero: -(nothing) and -0 times a number are plain 0.
    EXPECT_FALSE(std::signbit(std::get<double>(calculator.value(1, 4))));
    EXPECT_FALSE(std::signbit(std::get<double>(calculator.value(1, 5))));
}
