#include "ledger/list_rescue.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

#include "frame/failure.h"
#include "frame/safe_file.h"
#include "frame/temporary_files.h"

namespace brevanta::reg {
QStringList defaultRescueFolders() {
    QStringList folders;
    const QString documents = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    if (!documents.isEmpty()) folders << documents;
    try {
        folders << frame::temporaryFolder();
    } catch (const frame::Failure&) {
        // the documents folder alone, then
    }
    return folders;
}

QString writeRescueFile(const QByteArray& csv, const QStringList& folders, const QDateTime& now) {
    const QString stem = QStringLiteral("Brevanta list ") + now.toString(QStringLiteral("yyyyMMdd-HHmmss"));
    QString lastFailure = QStringLiteral("no folder to write the list in");
    for (const QString& folder : folders) {
        QDir().mkpath(folder);
        QString path = QDir(folder).filePath(stem + QStringLiteral(".csv"));
        for (int number = 2; QFileInfo::exists(path) || QFileInfo(path).isSymLink(); ++number)
            path = QDir(folder).filePath(stem + QStringLiteral(" (%1).csv").arg(number));
        try {
            frame::writeFileSafely(path, csv);
            return path;
        } catch (const frame::Failure& failure) {
            lastFailure = failure.description();
        }
    }
    throw frame::Failure(lastFailure);
}

}  // namespace brevanta::reg
