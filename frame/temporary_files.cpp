#include "frame/temporary_files.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <array>
#include <atomic>
#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <mutex>
#include <sys/stat.h>
#include <unistd.h>

#include "frame/failure.h"

namespace brevanta::frame {
namespace {

QString systemReason(int error) { return QString::fromLocal8Bit(std::strerror(error)); }

bool isWritableFolder(const QString& path) {
    const QByteArray name = QFile::encodeName(path);
    struct stat info {};
    return ::stat(name.constData(), &info) == 0 && S_ISDIR(info.st_mode) && ::access(name.constData(), W_OK | X_OK) == 0;
}

// True when `path` is a folder (not a link) owned by this user; its mode is
// then narrowed to the user alone.
bool isOwnPrivateFolder(const QByteArray& path) {
    struct stat info {};
    if (::lstat(path.constData(), &info) != 0 || !S_ISDIR(info.st_mode) || info.st_uid != ::getuid()) return false;
    return (info.st_mode & 077) == 0 || ::chmod(path.constData(), 0700) == 0;
}

// ---- the files to delete at the end ----

// A fixed table of C strings, so that a signal handler can walk it without
// allocating or locking; the program has a handful of temporary files at a time.
constexpr size_t kSlots = 64;
std::array<std::atomic<char*>, kSlots> gRemembered{};

void unlinkRemembered() {
    for (auto& slot : gRemembered)
        if (char* path = slot.exchange(nullptr)) ::unlink(path);  // the string is left: a handler must not free
}

extern "C" void deleteAndEndOnSignal(int signalNumber) {
    unlinkRemembered();
    std::signal(signalNumber, SIG_DFL);
    std::raise(signalNumber);
}

// Deletes what is left at the end of main and on std::exit.
struct AtEnd {
    ~AtEnd() { deleteTemporaryFiles(); }
};

void watchProgramEnd() {
    static AtEnd atEnd;
    static std::once_flag once;
    std::call_once(once, [] {
        for (int signalNumber : {SIGTERM, SIGINT, SIGHUP}) {
            struct sigaction current {};
            // A handler someone else installed keeps the signal.
            if (::sigaction(signalNumber, nullptr, &current) == 0 && current.sa_handler == SIG_DFL)
                std::signal(signalNumber, deleteAndEndOnSignal);
        }
    });
}

}  // namespace

QString privateTemporaryFolder() {
    const QString base = QDir::tempPath();
    const QString path = base + QStringLiteral("/brevanta-") + QString::number(::getuid());
    const QByteArray name = QFile::encodeName(path);
    if (::mkdir(name.constData(), 0700) == 0 || errno == EEXIST) {
        if (isOwnPrivateFolder(name)) return path;
    }
    // The name is someone else's, or no folder: a fresh one of our own.
    QByteArray pattern = name + "-XXXXXX";
    if (::mkdtemp(pattern.data())) return QFile::decodeName(pattern);
    throw Failure(QStringLiteral("Cannot create a private temporary folder in ") + base + QStringLiteral(": ") +
                  systemReason(errno));
}

QString temporaryFolder() {
    const QString temp = qEnvironmentVariable("TEMP");
    if (!temp.isEmpty() && isWritableFolder(temp)) return temp;
    return privateTemporaryFolder();
}

bool createFileExclusively(const QString& path) {
    const int fd = ::open(QFile::encodeName(path).constData(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
    if (fd < 0) {
        if (errno == EEXIST) return false;
        throw Failure(QStringLiteral("Cannot create ") + path + QStringLiteral(": ") + systemReason(errno));
    }
    ::close(fd);
    return true;
}

void rememberTemporaryFile(const QString& path) {
    watchProgramEnd();
    const QByteArray name = QFile::encodeName(QFileInfo(path).absoluteFilePath());
    for (auto& slot : gRemembered) {
        char* current = slot.load();
        if (current && name == current) return;
    }
    char* copy = ::strdup(name.constData());
    for (auto& slot : gRemembered) {
        char* expected = nullptr;
        if (slot.compare_exchange_strong(expected, copy)) return;
    }
    std::free(copy);  // a full table: this file is left to the caller's own delete
}

void forgetTemporaryFile(const QString& path) {
    const QByteArray name = QFile::encodeName(QFileInfo(path).absoluteFilePath());
    for (auto& slot : gRemembered) {
        char* current = slot.load();
        if (current && name == current && slot.compare_exchange_strong(current, nullptr)) std::free(current);
    }
}

bool isTemporaryFile(const QString& path) {
    const QByteArray name = QFile::encodeName(QFileInfo(path).absoluteFilePath());
    for (auto& slot : gRemembered) {
        const char* current = slot.load();
        if (current && name == current) return true;
    }
    return false;
}

void deleteTemporaryFiles() {
    for (auto& slot : gRemembered)
        if (char* path = slot.exchange(nullptr)) {
            ::unlink(path);
            std::free(path);
        }
}

}  // namespace brevanta::frame
