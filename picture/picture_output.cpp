#include "picture/picture_output.h"

#include <QPainter>
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

}  // namespace brevanta::paint
