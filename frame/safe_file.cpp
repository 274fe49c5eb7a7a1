#include "frame/safe_file.h"

#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>

#include "frame/failure.h"
#include "frame/file_writing.h"
#include "frame/temporary_files.h"

#if defined(Q_OS_UNIX)
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#else
#include <QSaveFile>
#endif

namespace brevanta::frame {

using file_writing::cannotWrite;

#if defined(Q_OS_UNIX)

namespace {

using file_writing::Descriptor;
using file_writing::systemReason;

QString randomSuffix() {
    static constexpr char kLetters[] = "abcdefghijklmnopqrstuvwxyz0123456789";
    QString suffix;
    for (int i = 0; i < 8; ++i)
        suffix += QLatin1Char(kLetters[QRandomGenerator::global()->bounded(int(sizeof kLetters - 1))]);
    return suffix;
}

// Writes all of `bytes`; a write that makes no progress counts as a full disk.
int writeAll(int fd, const QByteArray& bytes) {
    const char* data = bytes.constData();
    qsizetype left = bytes.size();
    while (left > 0) {
        const ssize_t written = ::write(fd, data, size_t(left));
        if (written < 0) {
            if (errno == EINTR) continue;
            return errno;
        }
        if (written == 0) return ENOSPC;
        data += written;
        left -= written;
    }
    return 0;
}

// True when the file holds exactly `bytes`.
bool readsBackAs(int fd, const QByteArray& bytes) {
    struct stat info {};
    if (::fstat(fd, &info) != 0 || info.st_size != bytes.size()) return false;
    char buffer[64 * 1024];
    qsizetype offset = 0;
    while (offset < bytes.size()) {
        const ssize_t got = ::pread(fd, buffer, sizeof buffer, off_t(offset));
        if (got < 0 && errno == EINTR) continue;
        if (got <= 0) return false;
        if (std::memcmp(buffer, bytes.constData() + offset, size_t(got)) != 0) return false;
        offset += got;
    }
    return true;
}

}  // namespace

void writeFileSafely(const QString& path, const QByteArray& bytes, LinkAtTarget link) {
    const file_writing::TargetFolder target = file_writing::openTargetFolder(path);
    const file_writing::Descriptor& folder = target.folder;
    const QByteArray& name = target.name;

    mode_t mode = 0666;  // narrowed by the umask, as any new file
    bool keepMode = false;
    struct stat existing {};
    if (::fstatat(folder.get(), name.constData(), &existing, AT_SYMLINK_NOFOLLOW) == 0) {
        if (S_ISLNK(existing.st_mode) && link == LinkAtTarget::Refuse)
            cannotWrite(path, QStringLiteral("it is a symbolic link"));
        if (S_ISREG(existing.st_mode)) {
            mode = existing.st_mode & 07777;
            keepMode = true;
        }
    }

    QByteArray tempName;
    Descriptor temp;
    for (int attempt = 0; attempt < 100 && temp.get() < 0; ++attempt) {
        tempName = '.' + name + '.' + QFile::encodeName(randomSuffix());
        temp.reset(::openat(folder.get(), tempName.constData(), O_RDWR | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC,
                            mode));
        if (temp.get() < 0 && errno != EEXIST) cannotWrite(path, systemReason(errno));
    }
    if (temp.get() < 0) cannotWrite(path, systemReason(EEXIST));

    auto fail = [&](const QString& reason) {
        ::unlinkat(folder.get(), tempName.constData(), 0);
        cannotWrite(path, reason);
    };
    if (keepMode && ::fchmod(temp.get(), mode) != 0) fail(systemReason(errno));
    // A temporary file of this run is deleted when the program ends and made
    // again from the list when wanted: it is replaced whole like any other,
    // but a power cut need not find it on the disk, so it is not synced
    // (megabytes of a long register's workbook, every generation).
    const bool durable = !isTemporaryFile(path);
    if (const int error = writeAll(temp.get(), bytes)) fail(systemReason(error));
    if (durable && ::fsync(temp.get()) != 0) fail(systemReason(errno));
    if (!readsBackAs(temp.get(), bytes)) fail(QStringLiteral("the file read back differs from what was written"));
    if (const int error = temp.close()) fail(systemReason(error));
    if (::renameat(folder.get(), tempName.constData(), folder.get(), name.constData()) != 0)
        fail(systemReason(errno));
    // Some file systems cannot sync a folder and say so; that is no failure of ours.
    if (durable && ::fsync(folder.get()) != 0 && errno != EINVAL && errno != ENOTSUP)
        cannotWrite(path, systemReason(errno));
}

#else

void writeFileSafely(const QString& path, const QByteArray& bytes, LinkAtTarget link) {
    if (QFileInfo(path).isSymLink() && link == LinkAtTarget::Refuse) cannotWrite(path, QStringLiteral("it is a symbolic link"));
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) cannotWrite(path, file.errorString());
    if (file.write(bytes) != bytes.size() || !file.flush()) cannotWrite(path, file.errorString());
    if (!file.commit()) cannotWrite(path, file.errorString());
}

#endif

void copyFileSafely(const QString& source, const QString& destination, LinkAtTarget link, qint64 largestSource) {
    if (QFileInfo(source).canonicalFilePath() == QFileInfo(destination).canonicalFilePath() &&
        QFileInfo::exists(destination))
        return;
    QFile input(source);
    auto cannotRead = [&](const QString& reason) {
        throw Failure(QStringLiteral("Cannot read ") + source + QStringLiteral(": ") + reason);
    };
    if (!input.open(QIODevice::ReadOnly)) cannotRead(input.errorString());
    if (input.size() > largestSource) cannotRead(QStringLiteral("the file is too large"));
    const QByteArray bytes = input.readAll();
    if (input.error() != QFileDevice::NoError) cannotRead(input.errorString());
    if (bytes.size() != input.size()) cannotRead(QStringLiteral("the file changed while it was read"));
    writeFileSafely(destination, bytes, link);
}

}  // namespace brevanta::frame
