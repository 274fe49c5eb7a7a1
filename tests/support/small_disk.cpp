#include "tests/support/small_disk.h"

#include <QFile>
#include <cerrno>
#include <cstring>
#include <sys/mount.h>
#include <sys/statvfs.h>
#include <unistd.h>

namespace brevanta::testsupport {

SmallDisk::SmallDisk(qint64 bytes, bool readOnly) {
    if (!folder_.isValid()) {
        whyNot_ = QStringLiteral("no temporary folder");
        return;
    }
    if (::geteuid() != 0) {
        whyNot_ = QStringLiteral("mounting needs root");
        return;
    }
    const QByteArray options = "size=" + QByteArray::number(bytes) + ",mode=0755";
    if (::mount("tmpfs", QFile::encodeName(folder_.path()).constData(), "tmpfs", readOnly ? MS_RDONLY : 0,
                options.constData()) != 0) {
        whyNot_ = QStringLiteral("mount refused: ") + QString::fromLocal8Bit(std::strerror(errno));
        return;
    }
    mounted_ = true;
}

SmallDisk::~SmallDisk() {
    if (mounted_) ::umount2(QFile::encodeName(folder_.path()).constData(), MNT_DETACH);
}

qint64 SmallDisk::fill(qint64 leave) const {
    struct statvfs info {};
    if (::statvfs(QFile::encodeName(folder_.path()).constData(), &info) != 0) return 0;
    const qint64 room = qint64(info.f_bavail) * qint64(info.f_frsize) - leave;
    if (room <= 0) return 0;
    QFile filler(filePath(QStringLiteral(".filler")));
    if (!filler.open(QIODevice::WriteOnly)) return 0;
    const QByteArray block(4096, 'f');
    qint64 written = 0;
    while (written + block.size() <= room && filler.write(block) == block.size()) written += block.size();
    filler.flush();
    return written;
}

bool SmallDisk::setReadOnly(bool readOnly) const {
    return ::mount("tmpfs", QFile::encodeName(folder_.path()).constData(), "tmpfs",
                   MS_REMOUNT | (readOnly ? MS_RDONLY : 0), nullptr) == 0;
}

}  // namespace brevanta::testsupport
