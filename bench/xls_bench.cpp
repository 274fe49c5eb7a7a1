// Saving and opening the register as .xls at 1,000 and 32,767 rows, and
// LibreOffice headless converting the same register from CSV to .xls for
// comparison (its time includes starting the office program).

#include <benchmark/benchmark.h>

#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>

#include "engine/formula/display_format.h"
#include "tests/xls/register_workbook.h"
#include "xls/xls_file.h"

using namespace brevanta;

namespace {

QTemporaryDir& folder() {
    static QTemporaryDir dir;
    return dir;
}

const model::Workbook& registerOf(int rows) {
    static std::map<int, std::unique_ptr<model::Workbook>> cache;
    auto& slot = cache[rows];
    if (!slot) slot = xlstest::registerWorkbook(rows);
    return *slot;
}

void saveRegister(benchmark::State& state) {
    const auto& workbook = registerOf(static_cast<int>(state.range(0)));
    const QString path = folder().filePath(QStringLiteral("save.xls"));
    for (auto _ : state) xls::writeWorkbook(workbook, path);
    state.counters["bytes"] = static_cast<double>(QFile(path).size());
}
BENCHMARK(saveRegister)->Arg(1000)->Arg(32767)->Unit(benchmark::kMillisecond)->Repetitions(5)->ReportAggregatesOnly(true);

void openRegister(benchmark::State& state) {
    const QString path = folder().filePath(QStringLiteral("open-%1.xls").arg(state.range(0)));
    xls::writeWorkbook(registerOf(static_cast<int>(state.range(0))), path);
    for (auto _ : state) benchmark::DoNotOptimize(xls::readWorkbook(path));
}
BENCHMARK(openRegister)->Arg(1000)->Arg(32767)->Unit(benchmark::kMillisecond)->Repetitions(5)->ReportAggregatesOnly(true);

// The register's cells as CSV, for the office program to convert.
QString registerCsv(int rows) {
    const QString path = folder().filePath(QStringLiteral("register-%1.csv").arg(rows));
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly)) return {};
    const model::Sheet& sheet = *registerOf(rows).sheets[0];
    for (int r = 0; r < sheet.rowExtent(); ++r) {
        QStringList fields;
        for (int c = 0; c < 9; ++c) {
            const model::Cell* cell = sheet.find(r, c);
            QString field;
            if (cell && std::holds_alternative<double>(cell->value)) field = QString::number(std::get<double>(cell->value), 'g', 15);
            else if (cell && std::holds_alternative<QString>(cell->value)) field = std::get<QString>(cell->value);
            if (cell && cell->formula && r > 5) field = QStringLiteral("=IF(AND(ISBLANK(G%1),ISBLANK(H%1)),\"\",I%2-G%1+H%1)").arg(r + 1).arg(r);
            fields << QLatin1Char('"') + field + QLatin1Char('"');
        }
        file.write(fields.join(QLatin1Char(',')).toUtf8() + '\n');
    }
    return path;
}

void officeConvertsRegister(benchmark::State& state) {
    if (QStandardPaths::findExecutable(QStringLiteral("soffice")).isEmpty()) {
        state.SkipWithError("LibreOffice is not installed");
        return;
    }
    const QString csv = registerCsv(static_cast<int>(state.range(0)));
    const QString profile = QStringLiteral("-env:UserInstallation=file://") + folder().filePath(QStringLiteral("office-profile"));
    for (auto _ : state) {
        QProcess office;
        office.start(QStringLiteral("soffice"), {profile, QStringLiteral("--headless"), QStringLiteral("--norestore"),
                                                 QStringLiteral("--convert-to"), QStringLiteral("xls"),
                                                 QStringLiteral("--outdir"), folder().filePath(QStringLiteral("office")), csv});
        office.waitForFinished(600000);
    }
}
BENCHMARK(officeConvertsRegister)->Arg(1000)->Arg(32767)->Unit(benchmark::kMillisecond)->Iterations(1)->Repetitions(3)->ReportAggregatesOnly(true);

}  // namespace

BENCHMARK_MAIN();
