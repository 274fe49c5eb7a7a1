#include "frame/disk_files.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QFile>
#include <QFileInfo>

#include "frame/failure.h"
#include "frame/temporary_files.h"

namespace brevanta::frame {

QString programFolder() { return QCoreApplication::applicationDirPath(); }

bool fileExists(const QString& path) {
    if (path.isEmpty()) return false;
    const QFileInfo info(path);
    return info.exists() && info.lastModified().isValid();
}

void deleteFileQuietly(const QString& path) {
    try {
        if (path.isEmpty()) return;
        if (!QFile::remove(path)) forceDeleteFile(path);
        forgetTemporaryFile(path);
    } catch (...) {
        // a file that cannot be deleted stays where it is (a temporary one still goes at the end)
    }
}

void forceDeleteFile(const QString& path) {
    QFile file(path);
    if (!file.exists()) throw Failure(QStringLiteral("File not found"));
    file.setPermissions(file.permissions() | QFileDevice::WriteOwner | QFileDevice::WriteUser);
    if (!file.remove()) throw Failure(QStringLiteral("Permission denied"));
}

}  // namespace brevanta::frame
