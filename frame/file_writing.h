#pragma once
// What the safe writers share: the failure they report, and on POSIX systems
// the system's reason for a failed call and a descriptor closed on every path out.

#include <QString>

#include "frame/failure.h"

#if defined(Q_OS_UNIX)
#include <fcntl.h>
#include <unistd.h>

#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <cstring>
#endif

namespace brevanta::frame::file_writing {

[[noreturn]] inline void cannotWrite(const QString& path, const QString& reason) {
    throw Failure(QStringLiteral("Cannot write ") + path + QStringLiteral(": ") + reason);
}

#if defined(Q_OS_UNIX)

inline QString systemReason(int error) { return QString::fromLocal8Bit(std::strerror(error)); }

class Descriptor {
public:
    explicit Descriptor(int fd = -1) : fd_(fd) {}
    ~Descriptor() {
        if (fd_ >= 0) ::close(fd_);
    }
    Descriptor(Descriptor&& other) noexcept : fd_(other.fd_) { other.fd_ = -1; }
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;
    int get() const { return fd_; }
    void reset(int fd) {
        if (fd_ >= 0) ::close(fd_);
        fd_ = fd;
    }
    // Closes now, so that a failing close (delayed write errors on some
    // file systems) is seen; answers errno or 0.
    int close() {
        const int fd = fd_;
        fd_ = -1;
        return ::close(fd) == 0 ? 0 : errno;
    }

private:
    int fd_;
};

// The folder a file is to be written into, opened, and the file's name in it:
// every later step works relative to this one folder, so the file written,
// the rename and the folder synced are all in the same place.
struct TargetFolder {
    Descriptor folder;
    QByteArray name;
};

inline TargetFolder openTargetFolder(const QString& path) {
    const QFileInfo target(path);
    const QByteArray name = QFile::encodeName(target.fileName());
    if (name.isEmpty()) cannotWrite(path, QStringLiteral("no file name"));
    TargetFolder opened{Descriptor(::open(QFile::encodeName(target.absolutePath()).constData(),
                                          O_RDONLY | O_DIRECTORY | O_CLOEXEC)),
                        name};
    if (opened.folder.get() < 0) cannotWrite(path, systemReason(errno));
    return opened;
}

#endif

}  // namespace brevanta::frame::file_writing
