#include "engine/paint/picture_file.h"

#include <QBuffer>
#include <QFile>
#include <QImageReader>
#include <QImageWriter>

#include "engine/paint/picture_codec.h"
#include "frame/failure.h"
#include "frame/safe_file.h"

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
    QByteArray bytes;
    if (const QImage bitmap = picture.bitmap(); !bitmap.isNull()) {
        QBuffer buffer(&bytes);
        if (!buffer.open(QIODevice::WriteOnly) || !QImageWriter(&buffer, "bmp").write(bitmap)) return false;
    } else {
        bytes = encodePicture(picture);
    }
    // The picture file is a temporary file: a link planted under its name is
    // replaced, never written through.
    try {
        frame::writeFileSafely(path, bytes, frame::LinkAtTarget::Replace);
    } catch (const frame::Failure&) {
        return false;
    }
    return true;
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
