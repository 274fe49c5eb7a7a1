#include "picture/picture_file.h"

#include <QBuffer>
#include <QFile>
#include <QImageReader>
#include <QImageWriter>
#include <QRandomGenerator>
#include <deque>
#include <mutex>

#include "picture/picture_codec.h"
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

// A held picture's file: this mark, then its key.
constexpr QByteArrayView kHeldMark = "BRVHELD1";
constexpr qsizetype kKeyBytes = 16;
// Held pictures nobody took back (a generation that failed between saving
// and loading) are let go beyond this many.
constexpr size_t kMostHeld = 4;

struct HeldPictures {
    std::mutex mutex;
    std::deque<std::pair<QByteArray, SharedPicture>> entries;  // key, picture; oldest first
};

HeldPictures& heldPictures() {
    static HeldPictures held;
    return held;
}

bool writeBytes(const QString& path, const QByteArray& bytes) {
    // The picture file is a temporary file: a link planted under its name is
    // replaced, never written through.
    try {
        frame::writeFileSafely(path, bytes, frame::LinkAtTarget::Replace);
    } catch (const frame::Failure&) {
        return false;
    }
    return true;
}

SharedPicture takeHeldPicture(const QByteArray& bytes) {
    if (bytes.size() != kHeldMark.size() + kKeyBytes) return {};
    const QByteArray key = bytes.mid(kHeldMark.size());
    HeldPictures& held = heldPictures();
    const std::lock_guard lock(held.mutex);
    for (auto it = held.entries.begin(); it != held.entries.end(); ++it)
        if (it->first == key) {
            SharedPicture picture = std::move(it->second);
            held.entries.erase(it);
            return picture;
        }
    return {};
}

}  // namespace

bool savePictureFile(const SharedPicture& picture, const QString& path) {
    if (!picture) return false;
    if (picture->isWhole() || picture->isNull()) return savePictureFile(*picture, path);
    QByteArray key(kKeyBytes, '\0');
    QRandomGenerator::system()->generate(key.begin(), key.end());
    if (!writeBytes(path, QByteArray(kHeldMark.data(), kHeldMark.size()) + key)) return false;
    HeldPictures& held = heldPictures();
    const std::lock_guard lock(held.mutex);
    held.entries.emplace_back(key, picture);
    while (held.entries.size() > kMostHeld) held.entries.pop_front();
    return true;
}

bool savePictureFile(const SheetPicture& picture, const QString& path) {
    if (picture.isNull()) return false;
    QByteArray bytes;
    if (const QImage bitmap = picture.bitmap(); !bitmap.isNull()) {
        QBuffer buffer(&bytes);
        if (!buffer.open(QIODevice::WriteOnly) || !QImageWriter(&buffer, "bmp").write(bitmap)) return false;
    } else {
        bytes = encodePicture(picture);
    }
    return writeBytes(path, bytes);
}

SharedPicture loadPictureFile(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) return {};
    QByteArray bytes = file.read(qint64(kHeldMark.size() + kKeyBytes) + 1);
    if (bytes.startsWith(kHeldMark)) return takeHeldPicture(bytes);
    bytes += file.readAll();
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
