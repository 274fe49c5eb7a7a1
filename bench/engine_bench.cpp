// Speed of the embedded engine through the host interface: the layout's
// select-then-act pattern, call by call, and a whole register of 32,767
// transactions laid out, sorted and pictured the way the generation does it.

#include <QGuiApplication>
#include <QLocale>
#include <benchmark/benchmark.h>

#include "engine/embedded/embedded_host.h"
#include "engine/embedded/picture.h"

using namespace brevanta;

namespace {

constexpr int kRegisterRows = 32767;
const QString kBalance = QStringLiteral("=IF(AND(ISBLANK(RC[-2]),ISBLANK(RC[-1])),\"\",R[-1]C-RC[-2]+RC[-1])");

struct Counted {
    host::Application& app;
    long long calls = 0;
    void select(const QString& address) {
        app.range(address)->select();
        ++calls;
    }
    void fill(const QString& address, int index) {
        if (!address.isEmpty()) select(address);
        app.selection()->interior().setColorIndex(index);
        ++calls;
    }
    void writeCell(const QString& address, const QString& value, bool merge) {
        select(address);
        app.activeCell()->setFormulaR1C1(value);
        ++calls;
        if (merge) {
            app.selection()->merge();
            ++calls;
        }
    }
    void font(const QString& style, int size, int colorIndex) {
        const auto selection = app.selection();
        selection->font().setFontStyle(style);
        selection->font().setSize(size);
        selection->font().setColorIndex(colorIndex);
        calls += 3;
    }
    void rowHeight(const QString& rows, double height) {
        app.rows(rows)->select();
        app.selection()->setRowHeight(height);
        calls += 2;
    }
    void columnWidth(const QString& columns, double width) {
        app.columns(columns)->select();
        app.selection()->setColumnWidth(width);
        calls += 2;
    }
};

// The register's layout for `count` transactions, numbered in reverse so the sort has work.
long long layOutRegister(host::Application& app, int count) {
    Counted host{app};
    for (int i = 1; i <= 56; ++i) app.activeWorkbook()->setColor(i, (i * 0x030507) & 0xFFFFFF);
    host.calls += 56;
    app.cells()->select();
    app.cells()->clear();
    app.selection()->font().setName(QStringLiteral("Arial"));
    app.selection()->font().setSize(10);
    app.selection()->setVerticalAlignment(host::xl::Center);
    app.selection()->setWrapText(true);
    host.calls += 6;
    host.fill(QString(), 2);
    const char* columns[] = {"A:A", "B:B", "C:C", "D:D", "E:E", "F:F", "G:G", "H:H", "I:I", "J:J", "K:K"};
    const double widths[] = {2.71, 10.86, 10.43, 37.43, 15.51, 8, 11.14, 14, 15, 15, 15};
    for (int i = 0; i < 11; ++i) host.columnWidth(QString::fromLatin1(columns[i]), widths[i]);
    const double heights[] = {12, 30.75, 7.5, 19.5, 3, 20};
    for (int i = 0; i < 6; ++i) host.rowHeight(QStringLiteral("%1:%1").arg(i + 1), heights[i]);
    for (int r = 7; r <= count + 6; ++r) host.rowHeight(QStringLiteral("%1:%1").arg(r), 20);
    host.writeCell(QStringLiteral("$B$2:$I$2"), QStringLiteral("Check Register"), true);
    host.font(QStringLiteral("Bold"), 24, 0);
    const char* headers[] = {"Date", "Number", "Description Of Transaction", "Category", "Cleared", "Debit (-)", "Credit (+)", "Balance"};
    for (int i = 0; i < 8; ++i) {
        const QString cell = QStringLiteral("$%1$4").arg(QChar(u'B' + i));
        host.writeCell(cell, QString::fromLatin1(headers[i]), true);
        app.selection()->setHorizontalAlignment(host::xl::Center);
        app.selection()->setVerticalAlignment(host::xl::Center);
        app.selection()->setWrapText(true);
        host.calls += 3;
        host.fill(cell, 43);
        host.font(QStringLiteral("Bold"), 9, host::xl::ColorIndexAutomatic);
    }
    host.fill(QStringLiteral("$B$5:$I$5"), 43);
    for (int r = 6; r <= count + 5; ++r) {
        host.fill(QStringLiteral("$B$%1:$H$%1").arg(r), r % 2 == 0 ? 2 : 39);
        host.fill(QStringLiteral("$I$%1").arg(r), 40);
    }
    for (int j = 1; j <= count; ++j) {
        const int row = 5 + j;
        host.writeCell(QStringLiteral("$B$%1").arg(row), QStringLiteral("1/%1/2024").arg(j % 28 + 1), true);
        host.writeCell(QStringLiteral("$C$%1").arg(row), QString::number(count - j + 1), true);
        host.writeCell(QStringLiteral("$D$%1").arg(row), QStringLiteral("Transaction %1").arg(j), true);
        host.writeCell(QStringLiteral("$E$%1").arg(row), QStringLiteral("Household"), true);
        host.writeCell(QStringLiteral("$F$%1").arg(row), j % 3 == 0 ? QStringLiteral("Y") : QString(), true);
        host.writeCell(QStringLiteral("$G$%1").arg(row), j % 2 == 0 ? QStringLiteral("12.5") : QString(), true);
        host.writeCell(QStringLiteral("$H$%1").arg(row), j % 2 == 1 ? QStringLiteral("20") : QString(), true);
        host.writeCell(QStringLiteral("$I$%1").arg(row), kBalance, true);
    }
    host.select(QStringLiteral("B6:H%1").arg(count + 5));
    host::SortOptions options;
    options.key1 = app.range(QStringLiteral("C6"));
    app.selection()->sort(options);
    ++host.calls;
    const auto sheet = app.activeSheet();
    auto& page = sheet->pageSetup();
    page.setPrintArea(QString());
    page.setLeftMargin(app.inchesToPoints(0.7));
    page.setRightMargin(app.inchesToPoints(0.7));
    page.setTopMargin(app.inchesToPoints(0.5));
    page.setBottomMargin(app.inchesToPoints(0.5));
    page.setHeaderMargin(app.inchesToPoints(0));
    page.setFooterMargin(app.inchesToPoints(0));
    page.setPrintComments(host::xl::PrintNoComments);
    page.setOrientation(host::xl::Landscape);
    page.setPaperSize(host::xl::PaperA4);
    page.setZoomOff();
    page.setFitToPagesWide(1);
    page.setFitToPagesTall(1);
    page.setPrintTitleRows(QStringLiteral("$4:$5"));
    host.calls += 20;
    host.select(QStringLiteral("B6"));
    return host.calls;
}

host::ApplicationPtr freshHost() {
    auto app = engine::createEmbeddedApplication();
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

void BM_RegisterLayout32767(benchmark::State& state) {
    long long calls = 0;
    for (auto _ : state) {
        auto app = freshHost();
        calls += layOutRegister(*app, kRegisterRows);
        benchmark::DoNotOptimize(app->range(QStringLiteral("I6"))->value());
        state.PauseTiming();
        app.reset();  // tearing down is not part of the layout
        state.ResumeTiming();
    }
    state.counters["host_calls"] = benchmark::Counter(double(calls) / double(state.iterations()));
    state.counters["seconds_per_call"] =
        benchmark::Counter(double(calls), benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}
BENCHMARK(BM_RegisterLayout32767)->Unit(benchmark::kMillisecond)->Iterations(1)->Repetitions(3)->ReportAggregatesOnly(true);

// The picture the generation exports: the used range of a laid-out 32,767-row register.
void BM_RegisterPicture32767(benchmark::State& state) {
    auto app = freshHost();
    layOutRegister(*app, kRegisterRows);
    auto model = engine::sheetModel(*app->activeSheet());
    const auto usedRange = app->activeSheet()->usedRange();
    const model::CellRange area{usedRange->row() - 1, usedRange->column() - 1,
                                usedRange->rows()->count() + usedRange->row() - 2,
                                usedRange->columns()->count() + usedRange->column() - 2};
    for (auto _ : state) {
        model.calculator.invalidate();  // every export computes its balances afresh
        const QImage image = engine::renderPicture(model.workbook, model.sheet, model.calculator, area, QLocale());
        benchmark::DoNotOptimize(image.constBits());
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
