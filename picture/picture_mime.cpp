#include "picture/picture_mime.h"

#include <QBuffer>
#include <QClipboard>
#include <QGuiApplication>
#include <QImage>
#include <QImageWriter>

#include "picture/picture_codec.h"
#include "picture/picture_output.h"

namespace brevanta::paint {
namespace {

const QString kPrivateType = QString::fromLatin1(kPictureMimeType);
const QString kSvgType = QStringLiteral("image/svg+xml");
const QString kPngType = QStringLiteral("image/png");

QByteArray pngBytes(const QImage& image) {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter(&buffer, "png").write(image);
    return bytes;
}

}  // namespace

PictureMimeData::PictureMimeData(SharedPicture picture) : picture_(std::move(picture)) {}

QStringList PictureMimeData::formats() const { return {kPrivateType, kSvgType, kPngType}; }

bool PictureMimeData::hasFormat(const QString& mimeType) const { return formats().contains(mimeType); }

QVariant PictureMimeData::retrieveData(const QString& mimeType, QMetaType) const {
    if (!picture_) return {};
    if (mimeType == kPrivateType) return encodePicture(*picture_);
    if (mimeType == kSvgType) return pictureToSvg(*picture_);
    if (mimeType == kPngType) return pngBytes(pictureToImage(*picture_));
    return {};
}

SharedPicture pictureFromMimeData(const QMimeData* data) {
    if (!data) return {};
    if (const auto* ours = qobject_cast<const PictureMimeData*>(data)) return ours->picture();
    if (data->hasFormat(kPrivateType)) {
        if (auto picture = decodePicture(data->data(kPrivateType)))
            return std::make_shared<const SheetPicture>(std::move(*picture));
    }
    if (data->hasImage()) {
        const QImage image = qvariant_cast<QImage>(data->imageData());
        if (!image.isNull()) return std::make_shared<const SheetPicture>(SheetPicture::fromImage(image));
    }
    return {};
}

SharedPicture pictureFromClipboard() {
    const QClipboard* clipboard = QGuiApplication::clipboard();
    return clipboard ? pictureFromMimeData(clipboard->mimeData()) : SharedPicture{};
}

}  // namespace brevanta::paint
