#pragma once
// A helper program run so that a hostile input cannot harm the program or
// the user: in a fresh private folder (made 0700 inside the program's
// private temporary folder, its temporary and working folders both inside
// it), with an environment of our own making, limits on CPU time, wall time,
// address space and file size, and the answer read from its standard output
// up to a bound. The folder goes again whatever happened; one left by a run
// that was itself killed is removed by the next run.

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <atomic>

namespace brevanta::statements {

struct ProcessLimits {
    int seconds = 20;                        // CPU and wall time; then SIGKILL
    qint64 addressSpace = qint64(1) << 30;   // RLIMIT_AS
    qint64 fileSize = qint64(128) << 20;     // RLIMIT_FSIZE
};

struct ProcessOutcome {
    enum class End { Exited, Signalled, TimedOut, Cancelled, TooMuchOutput };
    End end = End::Exited;
    int exitCode = 0;  // when Exited
    int signal = 0;    // when Signalled
    QByteArray output;
};

// A private folder for one run: `<folder>/work` (the working folder) and
// `<folder>/tmp` (TMPDIR, TMP and TEMP). Removed with all it holds when it goes.
class ContainedFolder {
public:
    ContainedFolder();  // throws frame::Failure when it cannot be made
    ~ContainedFolder();
    ContainedFolder(const ContainedFolder&) = delete;
    ContainedFolder& operator=(const ContainedFolder&) = delete;

    QString path() const { return path_; }
    QString workFolder() const { return path_ + QStringLiteral("/work"); }
    QString temporaryFolder() const { return path_ + QStringLiteral("/tmp"); }

private:
    QString path_;
};

// Runs `program` with `arguments` in `folder`, its environment only
// `environment` ("NAME=value") plus TMPDIR, TMP and TEMP naming the folder's
// temporary folder. Standard input and error are /dev/null. The run is
// killed (SIGKILL) when it passes a limit, when `cancel` becomes true, or
// when its output passes `mostOutput` bytes; it gets SIGTERM when the
// program itself ends meanwhile. Throws frame::Failure when the program
// cannot be started.
ProcessOutcome runContained(const QString& program, const QStringList& arguments, const ContainedFolder& folder,
                            const QStringList& environment, qsizetype mostOutput, const ProcessLimits& limits,
                            const std::atomic<bool>* cancel);

}  // namespace brevanta::statements
