// Speed of the formula core on the register's shapes: a full balance
// column of 32,767 rows, a chain down every row, and reading typed text.

#include <benchmark/benchmark.h>

#include "engine/formula/calc.h"
#include "engine/formula/formula_text.h"
#include "engine/formula/typed_entry.h"

using namespace brevanta;

namespace {

constexpr int kRegisterRows = 32767;
constexpr int kDebit = 6, kCredit = 7, kBalance = 8, kFirstDataRow = 5;

const QString kSumBalance = QStringLiteral(
    "=IF(AND(ISBLANK(RC[-2]),ISBLANK(RC[-1])),\"\",SUM(R6C[-1]:RC[-1])-SUM(R6C[-2]:RC[-2])+0*(RC[-2]+RC[-1]))");

void fillRegister(model::Sheet& sheet) {
    const auto formula = engine::parseFormulaR1C1(kSumBalance);
    for (int i = 0; i < kRegisterRows; ++i) {
        const int row = kFirstDataRow + i;
        if (i % 3 == 0) sheet.at(row, kDebit).value = 12.34;
        else sheet.at(row, kCredit).value = 56.78;
        sheet.at(row, kBalance).formula = formula;
    }
}

// Every balance asked for, top to bottom, after a change.
void balanceColumnTopDown(benchmark::State& state) {
    model::Sheet sheet(QStringLiteral("Check Register"));
    fillRegister(sheet);
    engine::Calculator calculator(sheet);
    for (auto _ : state) {
        calculator.invalidate();
        for (int row = kFirstDataRow; row < kFirstDataRow + kRegisterRows; ++row)
            benchmark::DoNotOptimize(calculator.value(row, kBalance));
    }
    state.SetItemsProcessed(state.iterations() * kRegisterRows);
}
BENCHMARK(balanceColumnTopDown)->Unit(benchmark::kMillisecond);

// Saving: every formula's result stored in its cell.
void balanceColumnComputeAll(benchmark::State& state) {
    model::Sheet sheet(QStringLiteral("Check Register"));
    fillRegister(sheet);
    engine::Calculator calculator(sheet);
    for (auto _ : state) {
        calculator.invalidate();
        calculator.computeAll();
    }
    state.SetItemsProcessed(state.iterations() * kRegisterRows);
}
BENCHMARK(balanceColumnComputeAll)->Unit(benchmark::kMillisecond);

// Writing the column through typed entry, as the layout does, then one value.
void balanceColumnWriteThenRead(benchmark::State& state) {
    const QLocale locale(QLocale::English, QLocale::UnitedStates);
    for (auto _ : state) {
        model::Sheet sheet(QStringLiteral("Check Register"));
        engine::Calculator calculator(sheet);
        for (int i = 0; i < kRegisterRows; ++i) {
            const int row = kFirstDataRow + i;
            sheet.at(row, kCredit).value = std::get<double>(engine::interpretEntry(QStringLiteral("55"), locale).value);
            sheet.at(row, kBalance).formula = engine::interpretEntry(kSumBalance, locale).formula;
            calculator.invalidate();
        }
        benchmark::DoNotOptimize(calculator.value(kFirstDataRow + kRegisterRows - 1, kBalance));
    }
}
BENCHMARK(balanceColumnWriteThenRead)->Unit(benchmark::kMillisecond);

// The texts of register rows as the layout types them, under the user's locale.
void typedEntryOfRegisterTexts(benchmark::State& state) {
    static const char* const kTexts[] = {"3/15/2024", "32768", "Transaction 17", "Groceries", "Yes", "",
                                         "12.34",     "100",   "Sold My Used Car", "1/2/2013"};
    std::vector<QString> texts;
    for (const char* text : kTexts) texts.push_back(QString::fromLatin1(text));
    const QLocale locale;
    for (auto _ : state)
        for (const QString& text : texts) benchmark::DoNotOptimize(engine::interpretEntry(text, locale));
    state.SetItemsProcessed(state.iterations() * static_cast<int64_t>(texts.size()));
}
BENCHMARK(typedEntryOfRegisterTexts);

// R[-1]C+1 down all 65,536 rows, asked for at the bottom.
void chainDownEveryRow(benchmark::State& state) {
    model::Sheet sheet(QStringLiteral("Chain"));
    sheet.at(0, 0).value = 1.0;
    const auto next = engine::parseFormulaR1C1(QStringLiteral("=R[-1]C+1"));
    for (int row = 1; row < model::kMaxRows; ++row) sheet.at(row, 0).formula = next;
    engine::Calculator calculator(sheet);
    for (auto _ : state) {
        calculator.invalidate();
        benchmark::DoNotOptimize(calculator.value(model::kMaxRows - 1, 0));
    }
}
BENCHMARK(chainDownEveryRow)->Unit(benchmark::kMillisecond);

void parseBalanceFormula(benchmark::State& state) {
    for (auto _ : state) benchmark::DoNotOptimize(engine::parseFormulaR1C1(kSumBalance));
}
BENCHMARK(parseBalanceFormula);

}  // namespace

BENCHMARK_MAIN();
