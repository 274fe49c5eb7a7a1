// Saving the register as .xlsx at 1,000 and 32,768 rows, as the preview's
// Save does it (the temporary .xls read, then written as .xlsx), and the
// writing alone; beside LibreOffice headless converting the same .xls to
// .xlsx. Each of our runs is a child process forked from a small parent,
// so its peak memory is its own. Prints medians of the wall time and of the
// processor time (which other work on the machine disturbs less), and the
// machine's load.
//
//   xlsx_bench [repetitions] [--no-office]   (default 7; LibreOffice runs 3 times)

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <vector>

#include "tests/xls/register_workbook.h"
#include "xls/xls_file.h"
#include "xlsx/xlsx_file.h"

using namespace brevanta;

namespace {

struct Sample {
    double ms = 0;
    double cpuMs = 0;
    double peakMiB = 0;
};

double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values.empty() ? 0 : values[values.size() / 2];
}

double milliseconds(const timeval& t) { return t.tv_sec * 1e3 + t.tv_usec / 1e3; }

// Runs `work` in a child; answers its time (measured inside by `work`, which
// answers its own wall and processor milliseconds) and its peak resident memory.
template <class Work>
Sample inChild(Work&& work) {
    int pipeEnds[2];
    if (::pipe(pipeEnds) != 0) return {};
    const pid_t child = ::fork();
    if (child == 0) {
        ::close(pipeEnds[0]);
        const std::pair<double, double> times = work();
        [[maybe_unused]] const auto written = ::write(pipeEnds[1], &times, sizeof times);
        ::_exit(0);
    }
    ::close(pipeEnds[1]);
    Sample sample;
    std::pair<double, double> times{0, 0};
    [[maybe_unused]] const auto got = ::read(pipeEnds[0], &times, sizeof times);
    sample.ms = times.first;
    sample.cpuMs = times.second;
    ::close(pipeEnds[0]);
    int status = 0;
    rusage usage{};
    ::wait4(child, &status, 0, &usage);
    sample.peakMiB = usage.ru_maxrss / 1024.0;
    return sample;
}

// Times `step` as the child sees it: wall and processor milliseconds.
template <class Step>
std::pair<double, double> timed(Step&& step) {
    rusage before{}, after{};
    ::getrusage(RUSAGE_SELF, &before);
    QElapsedTimer timer;
    timer.start();
    step();
    const double wall = timer.nsecsElapsed() / 1e6;
    ::getrusage(RUSAGE_SELF, &after);
    const double cpu = milliseconds(after.ru_utime) + milliseconds(after.ru_stime) - milliseconds(before.ru_utime) -
                       milliseconds(before.ru_stime);
    return {wall, cpu};
}

void report(const char* what, int rows, const std::vector<Sample>& samples) {
    std::vector<double> ms, cpu, peak;
    for (const Sample& s : samples) {
        ms.push_back(s.ms);
        cpu.push_back(s.cpuMs);
        peak.push_back(s.peakMiB);
    }
    std::printf("%-34s %6d rows  median %8.2f ms (min %8.2f, max %8.2f)  processor %8.2f ms  peak memory %6.1f MiB\n",
                what, rows, median(ms), *std::min_element(ms.begin(), ms.end()), *std::max_element(ms.begin(), ms.end()),
                median(cpu), median(peak));
}

}  // namespace

int main(int argc, char** argv) {
    int repetitions = 7;
    bool office = true;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--no-office") == 0) office = false;
        else repetitions = std::max(1, std::atoi(argv[i]));
    }
    QTemporaryDir folder;
    double load[3] = {0, 0, 0};
    ::getloadavg(load, 3);
    std::printf("load average before: %.2f %.2f %.2f; %ld processors\n", load[0], load[1], load[2], ::sysconf(_SC_NPROCESSORS_ONLN));

    for (const int rows : {1000, 32768}) {
        const QString xls = folder.filePath(QStringLiteral("register-%1.xls").arg(rows));
        const QString xlsx = folder.filePath(QStringLiteral("register-%1.xlsx").arg(rows));
        // Made in a child too: the parent stays small, so the children it forks start small.
        inChild([&] {
            xls::writeWorkbook(*xlstest::registerWorkbook(rows), xls);
            return std::pair<double, double>{};
        });
        std::vector<Sample> saves, writes;
        for (int i = 0; i < repetitions; ++i)
            saves.push_back(inChild([&] { return timed([&] { xlsx::convertXlsWorkbook(xls, xlsx); }); }));
        report("save as .xlsx (read .xls, write)", rows, saves);
        for (int i = 0; i < repetitions; ++i)
            writes.push_back(inChild([&] {
                const auto workbook = xls::readWorkbook(xls);
                return timed([&] { xlsx::writeWorkbook(*workbook, xlsx); });
            }));
        report("  of which writing .xlsx", rows, writes);
        std::printf("%-34s %6d rows  %lld bytes\n", ".xlsx size", rows, QFile(xlsx).size());

        if (!office) continue;
        if (QStandardPaths::findExecutable(QStringLiteral("soffice")).isEmpty()) {
            std::printf("LibreOffice is not installed\n");
            continue;
        }
        const QString profile = QStringLiteral("-env:UserInstallation=file://") + folder.filePath(QStringLiteral("office-profile"));
        std::vector<Sample> office;
        for (int i = 0; i < 3; ++i) {
            QElapsedTimer timer;
            timer.start();
            QProcess process;
            process.start(QStringLiteral("soffice"), {profile, QStringLiteral("--headless"), QStringLiteral("--norestore"),
                                                      QStringLiteral("--convert-to"), QStringLiteral("xlsx"),
                                                      QStringLiteral("--outdir"), folder.filePath(QStringLiteral("office")), xls});
            process.waitForFinished(600000);
            office.push_back({timer.nsecsElapsed() / 1e6, 0});
        }
        std::vector<double> ms;
        for (const Sample& s : office) ms.push_back(s.ms);
        std::printf("%-34s %6d rows  median %9.2f ms  (includes starting the office program)\n",
                    "LibreOffice .xls -> .xlsx", rows, median(ms));
    }
    ::getloadavg(load, 3);
    std::printf("load average after: %.2f %.2f %.2f\n", load[0], load[1], load[2]);
    return 0;
}
