// Timing driver for the register generation: runs brevanta-register on
// synthetic transactions of several sizes, the program's whole window path
// (window_bench: Start to the painted preview, one process a run, on the
// platform Qt is given), and, in the same run, LibreOffice and ssconvert
// turning the same transactions (as CSV) into .xls. Prints a table of medians
// with the peak memory of each run.
//
//   generate_bench [--runs N] [--sizes 100,1000,...] [--no-others]

#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>

#include "bench/child_process.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <map>
#include <vector>


namespace {

using Outcome = brevanta::bench::ChildRun;
using brevanta::bench::median;

Outcome runProgram(const QStringList& arguments, const QString& errFile) {
    return brevanta::bench::runChild(arguments, errFile);
}

void writeCsv(const QString& path, int rows) {
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly)) return;
    file.write("Date,Number,Description,Category,Cleared,Debit,Credit\n");
    static const char* kCategories[] = {"Groceries", "Automotive", "Utilities", "Salary", "Toys", "Rent"};
    for (int i = 0; i < rows; ++i) {
        QByteArray line = QByteArray::number(i % 12 + 1) + '/' + QByteArray::number(i % 28 + 1) + "/2024," +
                          QByteArray::number(rows - i) + ",\"Transaction " + QByteArray::number(i + 1) + ", paid\"," +
                          kCategories[i % 6] + ',' + (i % 3 ? "Yes" : "") + ',';
        if (i % 5 == 0) line += ',' + QByteArray::number(100 + i % 900);
        else line += QByteArray::number(i % 97 + 1) + '.' + QByteArray::number(10 + i % 90) + ',';
        file.write(line + '\n');
    }
}

struct Series {
    std::map<QString, std::vector<double>> phases;  // name -> ms per run
    std::vector<double> wall;
    std::vector<double> peakMiB;
    int failures = 0;
    void add(const Outcome& outcome) {
        if (!outcome.ok) {
            ++failures;
            return;
        }
        wall.push_back(outcome.ms);
        peakMiB.push_back(outcome.peakKiB / 1024.0);
        static const QRegularExpression timeLine(QStringLiteral("^time (\\S+)\\s+([0-9.]+) ms$"),
                                                 QRegularExpression::MultilineOption);
        auto it = timeLine.globalMatch(outcome.err);
        while (it.hasNext()) {
            const auto match = it.next();
            phases[match.captured(1)].push_back(match.captured(2).toDouble());
        }
    }
    QString cell(const QString& phase) const {
        auto it = phases.find(phase);
        return it == phases.end() ? QStringLiteral("-") : QString::number(median(it->second), 'f', 1);
    }
};

void print(const QString& text) { std::fputs(text.toLocal8Bit().constData(), stdout); std::fflush(stdout); }

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication application(argc, argv);
    int runs = 5;
    std::vector<int> sizes{1000, 10000, 32768};
    bool others = true;
    const QStringList args = QCoreApplication::arguments();
    for (int i = 1; i < args.size(); ++i) {
        if (args[i] == QLatin1String("--runs") && i + 1 < args.size()) runs = std::max(1, args[++i].toInt());
        else if (args[i] == QLatin1String("--sizes") && i + 1 < args.size()) {
            sizes.clear();
            for (const QString& s : args[++i].split(QLatin1Char(','))) sizes.push_back(s.toInt());
        } else if (args[i] == QLatin1String("--no-others")) others = false;
    }
    const QString generator = QStringLiteral(BREVANTA_REGISTER_COMMAND);
    const QString windowBench = QStringLiteral(BREVANTA_WINDOW_BENCH_COMMAND);
    const QString soffice = others ? QStandardPaths::findExecutable(QStringLiteral("soffice")) : QString();
    const QString ssconvert = others ? QStandardPaths::findExecutable(QStringLiteral("ssconvert")) : QString();
    QTemporaryDir dir;
    const QString errFile = dir.filePath(QStringLiteral("stderr.txt"));
    const QString profile = QStringLiteral("-env:UserInstallation=file://") + dir.filePath(QStringLiteral("office-profile"));
    if (!soffice.isEmpty())  // the first start of a fresh profile is slow; keep it out of the medians
        runProgram({soffice, profile, QStringLiteral("--headless"), QStringLiteral("--version")}, errFile);

    print(QStringLiteral("medians of %1 runs; times in ms, memory in MiB (peak resident); window path on %2\n\n")
              .arg(runs)
              .arg(qEnvironmentVariable("QT_QPA_PLATFORM", qEnvironmentVariableIsEmpty("DISPLAY")
                                                                 ? QStringLiteral("(no display)")
                                                                 : QStringLiteral("xcb ") + qEnvironmentVariable("DISPLAY"))));
    print(QStringLiteral("| rows | generation | input | layout | save | process wall | peak MiB | window path: Start to painted preview | peak MiB | LibreOffice wall | peak MiB | ssconvert wall | peak MiB |\n"));
    print(QStringLiteral("|---:|---:|---:|---:|---:|---:|---:|---:|---:|---:|---:|---:|---:|\n"));
    for (int rows : sizes) {
        const QString csv = dir.filePath(QStringLiteral("register%1.csv").arg(rows));
        writeCsv(csv, rows);
        Series plain, pictured, office, gnumeric;
        for (int run = 0; run < runs; ++run) {
            plain.add(runProgram({generator, QStringLiteral("--csv"), csv, QStringLiteral("-o"),
                                  dir.filePath(QStringLiteral("out.xls")), QStringLiteral("--timings")}, errFile));
            pictured.add(runProgram({windowBench, QStringLiteral("--rows"), QString::number(rows), QStringLiteral("--runs"),
                                     QStringLiteral("1")}, errFile));
            if (!soffice.isEmpty())
                office.add(runProgram({soffice, profile, QStringLiteral("--headless"), QStringLiteral("--norestore"),
                                       QStringLiteral("--convert-to"), QStringLiteral("xls"), QStringLiteral("--outdir"),
                                       dir.filePath(QStringLiteral("office")), csv}, errFile));
            if (!ssconvert.isEmpty())
                gnumeric.add(runProgram({ssconvert, csv, dir.filePath(QStringLiteral("gnumeric.xls"))}, errFile));
        }
        auto wall = [](const Series& s) {
            return s.wall.empty() ? QStringLiteral("-") : QString::number(median(s.wall), 'f', 1);
        };
        auto peak = [](const Series& s) {
            return s.peakMiB.empty() ? QStringLiteral("-") : QString::number(median(s.peakMiB), 'f', 0);
        };
        print(QStringLiteral("| %1 | %2 | %3 | %4 | %5 | %6 | %7 | %8 | %9 | %10 | %11 | %12 | %13 |%14\n")
                  .arg(rows).arg(plain.cell(QStringLiteral("total")), plain.cell(QStringLiteral("input")),
                                 plain.cell(QStringLiteral("layout")), plain.cell(QStringLiteral("save")), wall(plain),
                                 peak(plain), pictured.cell(QStringLiteral("window")), peak(pictured))
                  .arg(wall(office), peak(office), wall(gnumeric), peak(gnumeric),
                       plain.failures + pictured.failures + office.failures + gnumeric.failures
                           ? QStringLiteral(" (failed runs: %1)").arg(plain.failures + pictured.failures +
                                                                     office.failures + gnumeric.failures)
                           : QString()));
    }
    return 0;
}
