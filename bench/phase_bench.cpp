// Timing driver for the phases of one generation: runs brevanta-register
// (or any other build of it, to compare two) on synthetic transactions and
// prints the median of each phase it reports, with the peak memory. The
// reopen phase is only run when a picture is asked for, so every size is
// run twice: plain, and with --picture, whose picture phase (the picture
// handed to the preview, not the SVG written afterwards) is shown too. To compare with an earlier state,
// build that commit's brevanta-register elsewhere and give both with
// --program.
//
//   phase_bench [--runs N] [--sizes 1000,10000,32768] [--program PATH]...

#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>

#include <QCoreApplication>
#include <QFile>
#include <QRegularExpression>
#include "bench/child_process.h"

#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <map>
#include <vector>


namespace {

struct Run {
    bool ok = false;
    std::map<QString, double> phases;  // ms
    double peakMiB = 0;
};

Run runGenerator(const QStringList& arguments, const QString& errFile) {
    const brevanta::bench::ChildRun child = brevanta::bench::runChild(arguments, errFile);
    Run run;
    run.ok = child.ok;
    const QString& text = child.err;
    static const QRegularExpression timeLine(QStringLiteral("^time (\\S+)\\s+([0-9.]+) ms$"),
                                             QRegularExpression::MultilineOption);
    static const QRegularExpression peakLine(QStringLiteral("^peak-memory (\\d+) KiB$"),
                                             QRegularExpression::MultilineOption);
    for (auto it = timeLine.globalMatch(text); it.hasNext();) {
        const auto match = it.next();
        run.phases[match.captured(1)] = match.captured(2).toDouble();
    }
    if (const auto match = peakLine.match(text); match.hasMatch()) run.peakMiB = match.captured(1).toDouble() / 1024;
    return run;
}

using brevanta::bench::median;

void print(const QString& text) {
    std::fputs(text.toLocal8Bit().constData(), stdout);
    std::fflush(stdout);
}

QString loadAverage() {
    QFile file(QStringLiteral("/proc/loadavg"));
    if (!file.open(QIODevice::ReadOnly)) return QStringLiteral("?");
    return QString::fromLatin1(file.readAll()).section(QLatin1Char(' '), 0, 2);
}

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication application(argc, argv);
    int runs = 5;
    std::vector<int> sizes{1000, 10000, 32768};
    QStringList programs;
    const QStringList args = QCoreApplication::arguments();
    for (int i = 1; i < args.size(); ++i) {
        if (args[i] == QLatin1String("--runs") && i + 1 < args.size()) runs = std::max(1, args[++i].toInt());
        else if (args[i] == QLatin1String("--sizes") && i + 1 < args.size()) {
            sizes.clear();
            for (const QString& s : args[++i].split(QLatin1Char(','))) sizes.push_back(s.toInt());
        } else if (args[i] == QLatin1String("--program") && i + 1 < args.size()) programs << args[++i];
    }
    if (programs.isEmpty()) programs << QStringLiteral(BREVANTA_REGISTER_COMMAND);

    QTemporaryDir dir;
    const QString errFile = dir.filePath(QStringLiteral("stderr.txt"));
    const QString xls = dir.filePath(QStringLiteral("out.xls"));
    // SVG: a register of more than about 1,200 rows is taller than a PNG bitmap may be.
    const QString png = dir.filePath(QStringLiteral("out.svg"));
    print(QStringLiteral("medians of %1 runs, ms; peak resident MiB of the run without picture; load average %2\n\n")
              .arg(runs)
              .arg(loadAverage()));
    print(QStringLiteral("| program | rows | input | layout | save | reopen | picture | peak MiB |\n"
                         "|---|---:|---:|---:|---:|---:|---:|---:|\n"));
    for (int rows : sizes) {
        struct Series {
            std::map<QString, std::vector<double>> phases;
            std::vector<double> peaks;
            int failures = 0;
        };
        std::vector<Series> series(size_t(programs.size()));
        // The programs take turns run by run, so a change in the machine's load falls on all of them alike.
        for (int run = 0; run < runs; ++run) {
            for (qsizetype p = 0; p < programs.size(); ++p) {
                Series& s = series[size_t(p)];
                const QStringList common{programs[p], QStringLiteral("--rows"), QString::number(rows),
                                         QStringLiteral("-o"), xls, QStringLiteral("--timings")};
                const Run plain = runGenerator(common, errFile);
                const Run pictured = runGenerator(common + QStringList{QStringLiteral("--picture"), png}, errFile);
                if (!plain.ok || !pictured.ok) {
                    ++s.failures;
                    continue;
                }
                for (const char* name : {"input", "layout", "save"})
                    s.phases[QLatin1String(name)].push_back(plain.phases.at(QLatin1String(name)));
                s.phases[QStringLiteral("reopen")].push_back(pictured.phases.at(QStringLiteral("reopen")));
                s.phases[QStringLiteral("picture")].push_back(pictured.phases.at(QStringLiteral("picture")));
                s.peaks.push_back(plain.peakMiB);
            }
        }
        for (qsizetype p = 0; p < programs.size(); ++p) {
            Series& s = series[size_t(p)];
            auto cell = [&](const char* name) { return QString::number(median(s.phases[QLatin1String(name)]), 'f', 1); };
            print(QStringLiteral("| %1 | %2 | %3 | %4 | %5 | %6 | %7 | %8 |%9\n")
                      .arg(programs[p].section(QLatin1Char('/'), -1))
                      .arg(rows)
                      .arg(cell("input"), cell("layout"), cell("save"), cell("reopen"), cell("picture"),
                           QString::number(median(s.peaks), 'f', 0),
                           s.failures ? QStringLiteral(" (failed runs: %1)").arg(s.failures) : QString()));
        }
    }
    print(QStringLiteral("\nload average afterwards %1\n").arg(loadAverage()));
    return 0;
}
