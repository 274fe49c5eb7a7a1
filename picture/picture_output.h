#pragma once
// A sheet picture turned into the formats other programs read: a bitmap
// (within what a bitmap can hold) and SVG (at any size).

#include <QByteArray>
#include <QImage>
#include <QString>

#include "picture/sheet_picture.h"

namespace brevanta::paint {

// The largest bitmap we make: at most this many pixels a side and in all.
inline constexpr int kLargestBitmapSide = 32767;
inline constexpr qint64 kLargestBitmapPixels = qint64(1) << 27;

// True when the whole picture fits in one bitmap at scale 1.
bool fitsInBitmap(const SheetPicture& picture);

// The picture at scale 1 as a bitmap. A picture larger than a bitmap can
// hold gives its top-left part that does.
QImage pictureToImage(const SheetPicture& picture);

// The whole picture as an SVG document, text kept as text.
QByteArray pictureToSvg(const SheetPicture& picture);

}  // namespace brevanta::paint
