// Timing driver for the Category Summary: brevanta-register on one list of
// synthetic transactions (32,768 rows in 200 categories unless told), each
// run once without and once with --summary, in turn, to .xls and to .xlsx.
// Prints the medians of the whole run and of its layout and save phases,
// and what the summary adds as a ratio.
//
//   summary_bench [--runs N] [--rows N] [--categories N]

#include "bench/child_process.h"

#include <QCoreApplication>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <cstdio>
#include <map>

namespace {

using brevanta::bench::median;

// The list as CSV: every category in turn, a debit in four rows of five and a credit in the fifth.
void writeCsv(const QString& path, int rows, int categories) {
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly)) return;
    file.write("Date,Number,Description,Category,Cleared,Debit,Credit\n");
    for (int i = 0; i < rows; ++i) {
        QByteArray line = "2024-" + QByteArray::number(i % 12 + 1).rightJustified(2, '0') + '-' +
                          QByteArray::number(i % 28 + 1).rightJustified(2, '0') + ',' + QByteArray::number(rows - i) +
                          ",Transaction " + QByteArray::number(i + 1) + ",Category " +
                          QByteArray::number(i % categories).rightJustified(3, '0') + ",,";
        if (i % 5 == 0) line += ',' + QByteArray::number(100 + i % 900);
        else line += QByteArray::number(i % 97 + 1) + '.' + QByteArray::number(10 + i % 90) + ',';
        file.write(line + '\n');
    }
}

struct Series {
    std::vector<double> wall;
    std::map<QString, std::vector<double>> phases;
    int failures = 0;
    void add(const brevanta::bench::ChildRun& run) {
        if (!run.ok) {
            ++failures;
            return;
        }
        wall.push_back(run.ms);
        static const QRegularExpression timeLine(QStringLiteral("^time (\\S+)\\s+([0-9.]+) ms$"),
                                                 QRegularExpression::MultilineOption);
        for (auto it = timeLine.globalMatch(run.err); it.hasNext();) {
            const auto match = it.next();
            phases[match.captured(1)].push_back(match.captured(2).toDouble());
        }
    }
    double phase(const char* name) const {
        const auto it = phases.find(QLatin1String(name));
        return it == phases.end() ? 0 : median(it->second);
    }
};

void print(const QString& text) {
    std::fputs(text.toLocal8Bit().constData(), stdout);
    std::fflush(stdout);
}

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication application(argc, argv);
    int runs = 7, rows = 32768, categories = 200;
    const QStringList arguments = application.arguments();
    for (int i = 1; i + 1 < arguments.size(); i += 2) {
        if (arguments[i] == QLatin1String("--runs")) runs = arguments[i + 1].toInt();
        else if (arguments[i] == QLatin1String("--rows")) rows = arguments[i + 1].toInt();
        else if (arguments[i] == QLatin1String("--categories")) categories = arguments[i + 1].toInt();
    }
    QTemporaryDir dir;
    const QString csv = dir.filePath(QStringLiteral("list.csv"));
    const QString errFile = dir.filePath(QStringLiteral("err.txt"));
    writeCsv(csv, rows, std::max(categories, 1));
    const QString generator = QStringLiteral(BREVANTA_REGISTER_COMMAND);
    print(QStringLiteral("%1 rows, %2 categories, %3 runs each (medians, ms)\n").arg(rows).arg(categories).arg(runs));
    print(QStringLiteral("%1 %2 %3 %4 %5\n").arg(QStringLiteral("format"), -22).arg(QStringLiteral("total"), 9)
              .arg(QStringLiteral("layout"), 9).arg(QStringLiteral("save"), 9).arg(QStringLiteral("output"), 9));
    for (const char* format : {"xls", "xlsx"}) {
        Series without, with;
        const QString out = dir.filePath(QStringLiteral("register.") + QLatin1String(format));
        for (int run = 0; run < runs; ++run) {
            const QStringList common{generator, QStringLiteral("--csv"), csv, QStringLiteral("-o"), out, QStringLiteral("--timings")};
            without.add(brevanta::bench::runChild(common, errFile));
            with.add(brevanta::bench::runChild(common + QStringList{QStringLiteral("--summary")}, errFile));
        }
        const auto line = [&](const QString& name, const Series& series) {
            print(QStringLiteral("%1 %2 %3 %4 %5%6\n")
                      .arg(name, -22)
                      .arg(median(series.wall), 9, 'f', 1)
                      .arg(series.phase("layout"), 9, 'f', 1)
                      .arg(series.phase("save"), 9, 'f', 1)
                      .arg(series.phase("output"), 9, 'f', 1)
                      .arg(series.failures ? QStringLiteral("  (%1 runs failed)").arg(series.failures) : QString()));
        };
        line(QLatin1String(format), without);
        line(QLatin1String(format) + QStringLiteral(" --summary"), with);
        const double ratio = median(without.wall) > 0 ? median(with.wall) / median(without.wall) : 0;
        print(QStringLiteral("%1 with/without: %2 (+%3 %)\n")
                  .arg(QLatin1String(format), -22)
                  .arg(ratio, 0, 'f', 3)
                  .arg((ratio - 1) * 100, 0, 'f', 1));
    }
    return 0;
}
