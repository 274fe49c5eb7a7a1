#include "engine/paint/picture_output.h"

#include <QBuffer>
#include <QPainter>
#include <QSvgGenerator>
#include <algorithm>

namespace brevanta::paint {

bool fitsInBitmap(const SheetPicture& picture) {
    return !picture.isNull() && picture.width <= kLargestBitmapSide && picture.height <= kLargestBitmapSide &&
           qint64(picture.width) * picture.height <= kLargestBitmapPixels;
}

QImage pictureToImage(const SheetPicture& picture) {
    if (picture.isNull()) return {};
    const int width = std::min(picture.width, kLargestBitmapSide);
    const int height = int(std::min<qint64>({picture.height, kLargestBitmapSide, kLargestBitmapPixels / width}));
    QImage image(width, height, QImage::Format_RGB32);
    if (image.isNull()) return image;
    image.fill(Qt::white);
    QPainter painter(&image);
    picture.paint(painter, image.rect(), 1.0, 1.0);
    return image;
}

QByteArray pictureToSvg(const SheetPicture& picture) {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QSvgGenerator generator;
    generator.setOutputDevice(&buffer);
    generator.setResolution(96);
    generator.setSize(QSize(picture.width, picture.height));
    generator.setViewBox(QRect(0, 0, picture.width, picture.height));
    QPainter painter(&generator);
    painter.fillRect(QRect(0, 0, picture.width, picture.height), Qt::white);
    picture.paint(painter, QRect(0, 0, picture.width, picture.height), 1.0, 1.0);
    painter.end();
    return bytes;
}

}  // namespace brevanta::paint
