// Speed of the embedded engine through the host interface: the layout's
// select-then-act pattern, call by call, and a whole register of 32,767
// transactions laid out, sorted and pictured by the generation's own layout
// code (generate::generateReport).

#include <QGuiApplication>
#include <QLocale>
#include <benchmark/benchmark.h>

#include "engine/embedded/embedded_host.h"
#include "engine/paint/sheet_painter.h"
#include "frame/error_report.h"
#include "generate/palette.h"
#include "generate/register_layout.h"
#include "host/connection.h"
#include "ledger/transaction_source.h"
#include "xls/xls_file.h"

using namespace brevanta;

namespace {

constexpr int kRegisterRows = 32767;

// Layout failures are counted, never shown: a failing step would make the time meaningless.
class CountingReporter final : public frame::Reporter {
public:
    void report(const frame::ErrorReport&) override { ++failures; }
    long long failures = 0;
};

// `count` transactions numbered in reverse, so the sort has work.
reg::TransactionList registerTransactions(int count) {
    std::vector<reg::Transaction> rows;
    rows.reserve(size_t(count));
    for (int j = 1; j <= count; ++j) {
        reg::Transaction t;
        t[reg::Date] = QStringLiteral("1/%1/2024").arg(j % 28 + 1);
        t[reg::Number] = QString::number(count - j + 1);
        t[reg::Description] = QStringLiteral("Transaction %1").arg(j);
        t[reg::Category] = QStringLiteral("Household");
        t[reg::Cleared] = j % 3 == 0 ? QStringLiteral("Y") : QString();
        t[reg::Debit] = j % 2 == 0 ? QStringLiteral("12.5") : QString();
        t[reg::Credit] = j % 2 == 1 ? QStringLiteral("20") : QString();
        rows.push_back(std::move(t));
    }
    return reg::TransactionList(std::move(rows));
}

// The register's layout, exactly as a generation lays it out, on `app`'s active sheet.
void layOutRegister(const host::ApplicationPtr& app, const reg::TransactionList& transactions) {
    generate::generateReport(host::HostSession{app, nullptr}, 1, transactions);
}

host::ApplicationPtr freshHost() {
    static xls::XlsWorkbookFiles files;
    auto app = engine::createEmbeddedApplication(files);
    app->workbooks().add();
    return app;
}

// Range(address).Select followed by Selection.Interior.ColorIndex = n, over 1,000 banded rows.
void BM_SelectThenFill(benchmark::State& state) {
    auto app = freshHost();
    QStringList addresses;
    for (int r = 6; r < 1006; ++r) addresses << QStringLiteral("$B$%1:$H$%1").arg(r);
    long long calls = 0;
    qsizetype next = 0;
    for (auto _ : state) {
        app->range(addresses[next])->select();
        app->selection()->interior().setColorIndex(next % 2 == 0 ? 2 : 39);
        calls += 2;
        next = (next + 1) % addresses.size();
    }
    state.counters["calls_per_second"] = benchmark::Counter(double(calls), benchmark::Counter::kIsRate);
    state.counters["seconds_per_call"] =
        benchmark::Counter(double(calls), benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}
BENCHMARK(BM_SelectThenFill);

// The layout's writeCell: Range(address).Select, ActiveCell.FormulaR1C1 = text, Selection.Merge, over 1,000 rows.
void BM_SelectTypeMerge(benchmark::State& state) {
    auto app = freshHost();
    QStringList addresses;
    for (int r = 6; r < 1006; ++r) addresses << QStringLiteral("$E$%1").arg(r);
    const QString text = QStringLiteral("Groceries");
    long long calls = 0;
    qsizetype next = 0;
    for (auto _ : state) {
        app->range(addresses[next])->select();
        app->activeCell()->setFormulaR1C1(text);
        app->selection()->merge();
        calls += 3;
        next = (next + 1) % addresses.size();
    }
    state.counters["seconds_per_call"] =
        benchmark::Counter(double(calls), benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}
BENCHMARK(BM_SelectTypeMerge);

void BM_RegisterLayout32767(benchmark::State& state) {
    const reg::TransactionList transactions = registerTransactions(kRegisterRows);
    CountingReporter reporter;
    frame::setReporter(&reporter);
    for (auto _ : state) {
        auto app = freshHost();
        layOutRegister(app, transactions);
        benchmark::DoNotOptimize(app->range(QStringLiteral("I6"))->value());
        state.PauseTiming();
        app.reset();  // tearing down is not part of the layout
        state.ResumeTiming();
    }
    frame::setReporter(nullptr);
    if (reporter.failures) state.SkipWithError("steps of the layout failed");
}
BENCHMARK(BM_RegisterLayout32767)->Unit(benchmark::kMillisecond)->Iterations(1)->Repetitions(3)->ReportAggregatesOnly(true);

// The picture the generation exports: the used range of a laid-out 32,767-row register.
void BM_RegisterPicture32767(benchmark::State& state) {
    CountingReporter reporter;
    frame::setReporter(&reporter);
    auto app = freshHost();
    layOutRegister(app, registerTransactions(kRegisterRows));
    frame::setReporter(nullptr);
    if (reporter.failures) state.SkipWithError("steps of the layout failed");
    auto model = engine::sheetModel(*app->activeSheet());
    const auto usedRange = app->activeSheet()->usedRange();
    const model::CellRange area{usedRange->row() - 1, usedRange->column() - 1,
                                usedRange->rows()->count() + usedRange->row() - 2,
                                usedRange->columns()->count() + usedRange->column() - 2};
    for (auto _ : state) {
        model.calculator.invalidate();  // every export computes its balances afresh
        const paint::SheetPicture picture = paint::recordSheet(model.workbook, model.sheet, model.calculator, area, QLocale());
        benchmark::DoNotOptimize(picture.bands.data());
    }
}
BENCHMARK(BM_RegisterPicture32767)->Unit(benchmark::kMillisecond)->Iterations(1)->Repetitions(3)->ReportAggregatesOnly(true);

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication application(argc, argv);
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
