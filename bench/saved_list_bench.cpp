// One store of the main window's list, as after every change: the rows read
// from the list, encoded, written as the settings file beside the old one,
// read back, synced and renamed over it. 1,000 and 32,768 transactions.

#include <QApplication>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>

#include "frame/error_report.h"
#include "register/form1.h"

namespace {

class FailOnReport final : public brevanta::frame::Reporter {
public:
    void report(const brevanta::frame::ErrorReport& report) override { failure = report.text(); }
    QString failure;
};

void fill(brevanta::reg::Form1& form, int rows) {
    for (int i = 0; i < rows; ++i)
        form.appendTransaction({QStringLiteral("1/%1/2013").arg(i % 28 + 1), QString::number(i),
                                QStringLiteral("Groceries and household, week %1").arg(i), QStringLiteral("Food"),
                                i % 2 ? QStringLiteral("Yes") : QString(), i % 3 ? QStringLiteral("84.20") : QString(),
                                i % 3 ? QString() : QStringLiteral("1250")});
}

void storeList(benchmark::State& state) {
    QTemporaryDir folder;
    brevanta::reg::Form1 form;
    brevanta::reg::Form1::Environment environment;
    environment.savedList = brevanta::reg::SavedListStore(folder.filePath(QStringLiteral("Halvorn.conf")));
    form.setEnvironment(environment);
    fill(form, int(state.range(0)));
    FailOnReport reports;
    brevanta::frame::setReporter(&reports);
    for (auto _ : state) form.storeChangedList();
    brevanta::frame::setReporter(nullptr);
    if (!reports.failure.isEmpty()) state.SkipWithError(reports.failure.toStdString().c_str());
}
BENCHMARK(storeList)->Arg(1000)->Arg(32768)->Unit(benchmark::kMillisecond)->Repetitions(9)->ReportAggregatesOnly(true);

// The two halves of a store: reading and encoding the rows, and writing the file.
void encodeRows(benchmark::State& state) {
    brevanta::reg::Form1 form;
    fill(form, int(state.range(0)));
    for (auto _ : state) benchmark::DoNotOptimize(brevanta::reg::encodeSavedList(form.transactions()));
}
BENCHMARK(encodeRows)->Arg(32768)->Unit(benchmark::kMillisecond)->Repetitions(9)->ReportAggregatesOnly(true);

void writeSettingsFile(benchmark::State& state) {
    QTemporaryDir folder;
    brevanta::reg::Form1 form;
    fill(form, int(state.range(0)));
    const QString value = brevanta::reg::encodeSavedList(form.transactions());
    const brevanta::reg::SavedListStore store(folder.filePath(QStringLiteral("Halvorn.conf")));
    for (auto _ : state) store.write(value);
}
BENCHMARK(writeSettingsFile)->Arg(32768)->Unit(benchmark::kMillisecond)->Repetitions(9)->ReportAggregatesOnly(true);

}  // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    return 0;
}
