#include "frame/safe_path_file.h"

#include <QDir>
#include <QFileInfo>
#include <optional>

#include "frame/failure.h"
#include "frame/file_writing.h"

#if defined(Q_OS_UNIX)
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#else
#include <QTemporaryDir>
#include <filesystem>
#endif

namespace brevanta::frame {
namespace {

using file_writing::cannotWrite;

// Runs the caller's step; its failure becomes the reason of ours.
template <class Step>
void runStep(const QString& path, Step&& step) {
    try {
        step();
    } catch (const Failure& failure) {
        cannotWrite(path, failure.description());
    } catch (const std::exception& error) {
        cannotWrite(path, QString::fromLocal8Bit(error.what()));
    }
}

}  // namespace

#if defined(Q_OS_UNIX)

namespace {

using file_writing::Descriptor;
using file_writing::systemReason;

// The private folder and whatever is left in it go on every path out.
class PrivateFolder {
public:
    explicit PrivateFolder(QByteArray pathTemplate) : path_(std::move(pathTemplate)) {
        made_ = ::mkdtemp(path_.data()) != nullptr;
    }
    ~PrivateFolder() {
        if (made_) QDir(QFile::decodeName(path_)).removeRecursively();
    }
    PrivateFolder(const PrivateFolder&) = delete;
    PrivateFolder& operator=(const PrivateFolder&) = delete;
    bool made() const { return made_; }
    const QByteArray& path() const { return path_; }

private:
    QByteArray path_;
    bool made_ = false;
};

}  // namespace

void writeFileThroughPath(const QString& path, const PathWriter& write, const WrittenFileCheck& check) {
    const file_writing::TargetFolder target = file_writing::openTargetFolder(path);
    const file_writing::Descriptor& folder = target.folder;
    const QByteArray& name = target.name;

    std::optional<mode_t> oldMode;
    struct stat existing {};
    if (::fstatat(folder.get(), name.constData(), &existing, AT_SYMLINK_NOFOLLOW) == 0) {
        if (S_ISLNK(existing.st_mode)) cannotWrite(path, QStringLiteral("it is a symbolic link"));
        if (S_ISREG(existing.st_mode)) oldMode = existing.st_mode & 07777;
    }

    PrivateFolder privateFolder(QFile::encodeName(QFileInfo(path).absolutePath()) + "/." + name + ".XXXXXX");
    if (!privateFolder.made()) cannotWrite(path, systemReason(errno));
    const QByteArray written = privateFolder.path() + '/' + name;
    runStep(path, [&] { write(QFile::decodeName(written)); });

    Descriptor file(::open(written.constData(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC));
    if (file.get() < 0) cannotWrite(path, errno == ENOENT ? QStringLiteral("nothing was written") : systemReason(errno));
    struct stat info {};
    if (::fstat(file.get(), &info) != 0) cannotWrite(path, systemReason(errno));
    if (!S_ISREG(info.st_mode) || info.st_size == 0) cannotWrite(path, QStringLiteral("nothing was written"));
    if (check) runStep(path, [&] { check(QFile::decodeName(written)); });
    if (oldMode && ::fchmod(file.get(), *oldMode) != 0) cannotWrite(path, systemReason(errno));
    if (::fsync(file.get()) != 0) cannotWrite(path, systemReason(errno));
    if (::renameat(AT_FDCWD, written.constData(), folder.get(), name.constData()) != 0)
        cannotWrite(path, systemReason(errno));
    // Some file systems cannot sync a folder and say so; that is no failure of ours.
    if (::fsync(folder.get()) != 0 && errno != EINVAL && errno != ENOTSUP) cannotWrite(path, systemReason(errno));
}

#else

void writeFileThroughPath(const QString& path, const PathWriter& write, const WrittenFileCheck& check) {
    const QFileInfo target(path);
    if (target.isSymLink()) cannotWrite(path, QStringLiteral("it is a symbolic link"));
    QTemporaryDir privateFolder(target.absolutePath() + QStringLiteral("/.") + target.fileName() + QStringLiteral(".XXXXXX"));
    if (!privateFolder.isValid()) cannotWrite(path, privateFolder.errorString());
    const QString written = privateFolder.filePath(target.fileName());
    runStep(path, [&] { write(written); });
    if (QFileInfo(written).size() == 0) cannotWrite(path, QStringLiteral("nothing was written"));
    if (check) runStep(path, [&] { check(written); });
    std::error_code error;
    std::filesystem::rename(written.toStdWString(), target.absoluteFilePath().toStdWString(), error);
    if (error) cannotWrite(path, QString::fromLocal8Bit(error.message()));
}

#endif

}  // namespace brevanta::frame
