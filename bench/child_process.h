#pragma once
// For the timing drivers: runs a program to its end as a child process, with
// its wall time, its peak memory (itself and the children it waited for) and
// what it printed on stderr; and the median of a series.

#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>

#include <QElapsedTimer>
#include <QFile>
#include <QStringList>
#include <algorithm>
#include <vector>

extern char** environ;

namespace brevanta::bench {

struct ChildRun {
    bool ok = false;  // ran and exited with 0
    double ms = 0;
    long peakKiB = 0;
    QString err;
};

// Standard output goes nowhere; standard error into `errFile`, then into the result.
inline ChildRun runChild(const QStringList& arguments, const QString& errFile) {
    std::vector<QByteArray> storage;
    for (const QString& a : arguments) storage.push_back(a.toLocal8Bit());
    std::vector<char*> argv;
    for (QByteArray& s : storage) argv.push_back(s.data());
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    const QByteArray errPath = errFile.toLocal8Bit();
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 2, errPath.constData(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    ChildRun run;
    QElapsedTimer timer;
    timer.start();
    pid_t pid = 0;
    const bool started = posix_spawnp(&pid, argv[0], &actions, nullptr, argv.data(), environ) == 0;
    posix_spawn_file_actions_destroy(&actions);
    if (!started) return run;
    int status = 0;
    rusage usage{};
    wait4(pid, &status, 0, &usage);
    run.ms = timer.nsecsElapsed() / 1e6;
    run.ok = WIFEXITED(status) && WEXITSTATUS(status) == 0;
    run.peakKiB = usage.ru_maxrss;
    QFile err(errFile);
    if (err.open(QIODevice::ReadOnly)) run.err = QString::fromLocal8Bit(err.readAll());
    return run;
}

inline double median(std::vector<double> values) {
    if (values.empty()) return 0;
    std::sort(values.begin(), values.end());
    const size_t n = values.size();
    return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

}  // namespace brevanta::bench
