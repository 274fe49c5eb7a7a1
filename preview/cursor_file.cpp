#include "preview/cursor_file.h"

#include <QBuffer>
#include <QFile>
#include <QImage>
#include <QImageReader>
#include <QtEndian>

#include "frame/failure.h"

namespace brevanta::preview {
namespace {

// A cursor file starts like an icon file: reserved 0, type 2, count, then
// 16-byte entries whose bytes 4..7 hold the hot spot's x and y.
constexpr int kHeaderSize = 6;
constexpr int kEntrySize = 16;
constexpr quint16 kCursorType = 2;

}  // namespace

QCursor loadCursorFile(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) throw frame::Failure(QStringLiteral("File not found"));
    QByteArray bytes = file.readAll();
    if (bytes.size() < kHeaderSize + kEntrySize) throw frame::Failure(QStringLiteral("Invalid picture"));
    const auto* data = reinterpret_cast<const uchar*>(bytes.constData());
    const quint16 type = qFromLittleEndian<quint16>(data + 2);
    const int hotX = qFromLittleEndian<quint16>(data + kHeaderSize + 4);
    const int hotY = qFromLittleEndian<quint16>(data + kHeaderSize + 6);

    QBuffer buffer(&bytes);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer, type == kCursorType ? "cur" : "ico");
    QImage image = reader.read();
    if (image.isNull()) throw frame::Failure(QStringLiteral("Invalid picture"));
    const int x = type == kCursorType ? qBound(0, hotX, image.width() - 1) : 0;
    const int y = type == kCursorType ? qBound(0, hotY, image.height() - 1) : 0;
    return QCursor(QPixmap::fromImage(image), x, y);
}

}  // namespace brevanta::preview
