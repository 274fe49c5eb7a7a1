#include "statements/contained_process.h"

#include <QDir>
#include <QFile>
#include <chrono>
#include <csignal>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <string>
#include <sys/prctl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

#include "frame/failure.h"
#include "frame/temporary_files.h"

namespace brevanta::statements {
namespace {

QString systemReason(int error) { return QString::fromLocal8Bit(std::strerror(error)); }

const QString kRunPrefix = QStringLiteral("run-");

// Folders of runs whose program is gone (killed before it could remove them).
void removeAbandonedFolders(const QString& privateFolder) {
    const QDir folder(privateFolder);
    for (const QString& name : folder.entryList({kRunPrefix + QStringLiteral("*")}, QDir::Dirs | QDir::NoDotAndDotDot)) {
        bool ok = false;
        const pid_t owner = pid_t(name.section(u'-', 1, 1).toLong(&ok));
        if (!ok || owner <= 0 || owner == ::getpid()) continue;
        if (::kill(owner, 0) == 0 || errno != ESRCH) continue;
        QDir(folder.filePath(name)).removeRecursively();
    }
}

void makeFolder(const QString& path) {
    if (::mkdir(QFile::encodeName(path).constData(), 0700) != 0)
        throw frame::Failure(QStringLiteral("Cannot create ") + path + QStringLiteral(": ") + systemReason(errno));
}

// What the child needs, prepared before fork: after it only async-signal-safe calls.
struct ChildPlan {
    std::vector<std::string> strings;
    std::vector<char*> argv, envp;
    std::string workFolder;
    ProcessLimits limits;
};

[[noreturn]] void becomeChild(const ChildPlan& plan, int outputFd, pid_t parent) {
    // Ended with the program (the helper may tidy up on SIGTERM first).
    ::prctl(PR_SET_PDEATHSIG, SIGTERM);
    if (::getppid() != parent) ::_exit(126);
    const int nothing = ::open("/dev/null", O_RDWR);
    if (nothing < 0 || ::dup2(nothing, STDIN_FILENO) < 0 || ::dup2(outputFd, STDOUT_FILENO) < 0 ||
        ::dup2(nothing, STDERR_FILENO) < 0)
        ::_exit(126);
    ::syscall(SYS_close_range, 3U, ~0U, 0U);
    if (::chdir(plan.workFolder.c_str()) != 0) ::_exit(126);
    auto limit = [](int resource, rlim_t soft, rlim_t hard) {
        const struct rlimit value {soft, hard};
        if (::setrlimit(resource, &value) != 0) ::_exit(126);
    };
    limit(RLIMIT_CPU, rlim_t(plan.limits.seconds), rlim_t(plan.limits.seconds) + 1);
    limit(RLIMIT_AS, rlim_t(plan.limits.addressSpace), rlim_t(plan.limits.addressSpace));
    limit(RLIMIT_FSIZE, rlim_t(plan.limits.fileSize), rlim_t(plan.limits.fileSize));
    limit(RLIMIT_CORE, 0, 0);
    limit(RLIMIT_NOFILE, 64, 64);
    ::execve(plan.argv[0], plan.argv.data(), plan.envp.data());
    ::_exit(127);
}

}  // namespace

ContainedFolder::ContainedFolder() {
    const QString privateFolder = frame::privateTemporaryFolder();
    removeAbandonedFolders(privateFolder);
    QByteArray pattern =
        QFile::encodeName(privateFolder + u'/' + kRunPrefix + QString::number(::getpid()) + QStringLiteral("-XXXXXX"));
    if (!::mkdtemp(pattern.data()))
        throw frame::Failure(QStringLiteral("Cannot create a private folder in ") + privateFolder + QStringLiteral(": ") +
                             systemReason(errno));
    path_ = QFile::decodeName(pattern);
    try {
        makeFolder(workFolder());
        makeFolder(temporaryFolder());
    } catch (...) {
        QDir(path_).removeRecursively();
        throw;
    }
}

ContainedFolder::~ContainedFolder() { QDir(path_).removeRecursively(); }

ProcessOutcome runContained(const QString& program, const QStringList& arguments, const ContainedFolder& folder,
                            const QStringList& environment, qsizetype mostOutput, const ProcessLimits& limits,
                            const std::atomic<bool>* cancel) {
    ChildPlan plan;
    plan.limits = limits;
    plan.workFolder = QFile::encodeName(folder.workFolder()).toStdString();
    plan.strings.push_back(QFile::encodeName(program).toStdString());
    for (const QString& argument : arguments) plan.strings.push_back(QFile::encodeName(argument).toStdString());
    const size_t argumentCount = plan.strings.size();
    const std::string temporary = QFile::encodeName(folder.temporaryFolder()).toStdString();
    for (const char* name : {"TMPDIR=", "TMP=", "TEMP="}) plan.strings.push_back(name + temporary);
    for (const QString& variable : environment) plan.strings.push_back(QFile::encodeName(variable).toStdString());
    for (size_t i = 0; i < plan.strings.size(); ++i)
        (i < argumentCount ? plan.argv : plan.envp).push_back(plan.strings[i].data());
    plan.argv.push_back(nullptr);
    plan.envp.push_back(nullptr);

    int pipeFds[2];
    if (::pipe2(pipeFds, O_CLOEXEC) != 0)
        throw frame::Failure(QStringLiteral("Cannot start ") + program + QStringLiteral(": ") + systemReason(errno));
    const pid_t parent = ::getpid();
    const pid_t child = ::fork();
    if (child == 0) becomeChild(plan, pipeFds[1], parent);
    const int forkError = errno;
    ::close(pipeFds[1]);
    if (child < 0) {
        ::close(pipeFds[0]);
        throw frame::Failure(QStringLiteral("Cannot start ") + program + QStringLiteral(": ") + systemReason(forkError));
    }

    ProcessOutcome outcome;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(limits.seconds);
    bool open = true, stopped = false, lost = false;
    int status = 0;
    auto stop = [&](ProcessOutcome::End end) {
        ::kill(child, SIGKILL);
        outcome.end = end;
        stopped = true;
    };
    while (!stopped) {
        if (cancel && cancel->load()) {
            stop(ProcessOutcome::End::Cancelled);
            break;
        }
        if (std::chrono::steady_clock::now() >= deadline) {
            stop(ProcessOutcome::End::TimedOut);
            break;
        }
        if (open) {
            struct pollfd wait {pipeFds[0], POLLIN, 0};
            if (::poll(&wait, 1, 50) <= 0) continue;
            char buffer[65536];
            const ssize_t n = ::read(pipeFds[0], buffer, sizeof buffer);
            if (n < 0 && (errno == EINTR || errno == EAGAIN)) continue;
            if (n <= 0) {
                open = false;
                continue;
            }
            if (outcome.output.size() + n > mostOutput) {
                stop(ProcessOutcome::End::TooMuchOutput);
                break;
            }
            outcome.output.append(buffer, n);
        } else {
            // The output is closed; the program should end at once.
            const pid_t ended = ::waitpid(child, &status, WNOHANG);
            if (ended == child) break;
            if (ended < 0 && errno != EINTR) {
                lost = true;  // reaped by someone else: its end is unknown
                break;
            }
            ::usleep(20000);
        }
    }
    ::close(pipeFds[0]);
    if (stopped || open) {
        while (::waitpid(child, &status, 0) < 0 && errno == EINTR) {
        }
    }
    if (stopped) {
        outcome.output.clear();
        return outcome;
    }
    if (lost) {
        outcome.end = ProcessOutcome::End::Signalled;
    } else if (WIFEXITED(status)) {
        outcome.end = ProcessOutcome::End::Exited;
        outcome.exitCode = WEXITSTATUS(status);
    } else if (WIFSIGNALED(status)) {
        outcome.end = WTERMSIG(status) == SIGXCPU ? ProcessOutcome::End::TimedOut : ProcessOutcome::End::Signalled;
        outcome.signal = WTERMSIG(status);
    }
    return outcome;
}

}  // namespace brevanta::statements
