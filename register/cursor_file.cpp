#include "register/cursor_file.h"

#include <QDir>
#include <QFile>
#include <QImageReader>
#include <QPixmap>
#include <QtEndian>

#include "frame/disk_files.h"
#include "frame/failure.h"

namespace brevanta::reg {

QStringList handCursorPlaces(const QString& programFolder) {
    const QString name = QString::fromLatin1(kHandCursorFile);
    const QDir folder(programFolder);
    return {folder.filePath(name),
            QDir::cleanPath(folder.filePath(QStringLiteral(BREVANTA_DATA_FROM_PROGRAM "/") + name))};
}

QString handCursorPath(const QString& programFolder) {
    const QStringList places = handCursorPlaces(programFolder);
    for (const QString& place : places)
        if (frame::fileExists(place)) return place;
    return places.first();
}

QCursor loadCursorFile(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) throw frame::Failure(QStringLiteral("File not found"));
    const QByteArray bytes = file.readAll();

    QImageReader reader(path, "ico");
    const QImage image = reader.read();
    if (image.isNull()) throw frame::Failure(QStringLiteral("Invalid picture"));

    // Header: reserved, type (2 = cursor), count; then 16-byte entries
    // whose bytes 4..7 hold the hot spot of a cursor.
    int hotX = -1;
    int hotY = -1;
    if (bytes.size() >= 22 && qFromLittleEndian<quint16>(bytes.constData() + 2) == 2) {
        hotX = qFromLittleEndian<quint16>(bytes.constData() + 10);
        hotY = qFromLittleEndian<quint16>(bytes.constData() + 12);
        if (hotX >= image.width() || hotY >= image.height()) hotX = hotY = -1;
    }
    return QCursor(QPixmap::fromImage(image), hotX, hotY);
}

}  // namespace brevanta::reg
