// The PDF of a register workbook of 1,000 and 32,768 rows, from the file
// to the PDF's bytes (reading, recording the picture, paging, drawing), and
// LibreOffice headless exporting the same file to PDF for comparison (its
// time includes starting the office program).

#include <benchmark/benchmark.h>

#include <QGuiApplication>
#include <QLocale>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>

#include "print/sheet_printout.h"
#include "tests/xls/register_workbook.h"
#include "xls/xls_file.h"

using namespace brevanta;

namespace {

QTemporaryDir& folder() {
    static QTemporaryDir dir;
    return dir;
}

QString registerFile(int rows) {
    const QString path = folder().filePath(QStringLiteral("register-%1.xls").arg(rows));
    if (!QFile::exists(path)) xls::writeWorkbook(*xlstest::registerWorkbook(rows), path);
    return path;
}

void pdfOfRegister(benchmark::State& state) {
    const QString path = registerFile(int(state.range(0)));
    size_t pages = 0, bytes = 0;
    for (auto _ : state) {
        const print::Printout printout = print::printoutOfWorkbookFile(path);
        const QByteArray pdf = print::pdfOf(printout);
        pages = printout.plan.pages.size();
        bytes = size_t(pdf.size());
    }
    state.counters["pages"] = double(pages);
    state.counters["bytes"] = double(bytes);
}
BENCHMARK(pdfOfRegister)->Arg(1000)->Unit(benchmark::kMillisecond)->Iterations(1)->Repetitions(15)->ReportAggregatesOnly(true);
BENCHMARK(pdfOfRegister)->Arg(32768)->Unit(benchmark::kMillisecond)->Iterations(1)->Repetitions(5)->ReportAggregatesOnly(true);

void officeExportsPdf(benchmark::State& state) {
    if (QStandardPaths::findExecutable(QStringLiteral("soffice")).isEmpty()) {
        state.SkipWithError("LibreOffice is not installed");
        return;
    }
    const QString path = registerFile(int(state.range(0)));
    const QString profile =
        QStringLiteral("-env:UserInstallation=file://") + folder().filePath(QStringLiteral("office-profile"));
    for (auto _ : state) {
        QProcess office;
        office.start(QStringLiteral("soffice"), {profile, QStringLiteral("--headless"), QStringLiteral("--norestore"),
                                                 QStringLiteral("--convert-to"), QStringLiteral("pdf"),
                                                 QStringLiteral("--outdir"), folder().filePath(QStringLiteral("office")),
                                                 path});
        office.waitForFinished(600000);
    }
}
BENCHMARK(officeExportsPdf)->Arg(1000)->Arg(32768)->Unit(benchmark::kMillisecond)->Iterations(1)->Repetitions(3)->ReportAggregatesOnly(true);

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
