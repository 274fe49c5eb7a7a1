#include "engine/paint/picture_file.h"

#include <QBuffer>
#include <QFile>
#include <QImageReader>
#include <QImageWriter>
#include <QSaveFile>

#include "engine/paint/picture_codec.h"

namespace brevanta::paint {
namespace {

// The bitmap formats a picture file may hold, by their first bytes.
const char* bitmapFormat(const QByteArray& bytes) {
    if (bytes.startsWith("BM")) return "bmp";
    if (bytes.startsWith("\x89PNG\r\n\x1a\n")) return "png";
    return nullptr;
}

}  // namespace

bool savePictureFile(const SheetPicture& picture, const QString& path) {
    if (picture.isNull()) return false;
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) return false;
    const QImage bitmap = picture.bitmap();
    if (!bitmap.isNull()) return QImageWriter(&file, "bmp").write(bitmap) && file.commit();
    const QByteArray bytes = encodePicture(picture);
    return file.write(bytes) == bytes.size() && file.commit();
}

SharedPicture loadPictureFile(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) return {};
    QByteArray bytes = file.readAll();
    if (looksLikePicture(bytes)) {
        if (auto picture = decodePicture(bytes)) return std::make_shared<const SheetPicture>(std::move(*picture));
        return {};
    }
    const char* format = bitmapFormat(bytes);
    if (!format) return {};
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer, format);
    const QImage image = reader.read();
    if (image.isNull()) return {};
    return std::make_shared<const SheetPicture>(SheetPicture::fromImage(image));
}

}  // namespace brevanta::paint
