#pragma once
// The picture file the exported sheet travels in (the temporary "temp.bmp")
// and the image buffers of whole-sheet pictures.
//
// A long register pictures as tens of millions of pixels, so the file is an
// uncompressed 32-bit BMP whose rows are the image's own rows, top row first:
// it is written in one piece, and reading it maps the file as the image's
// buffer, with no conversion or copy of pixels on either side. Qt's BMP reader
// reads it as well.

#include <QImage>
#include <QString>

namespace brevanta::frame {

// An image of the given size and format whose pixels are not yet set. Large
// buffers are asked for in huge pages: first touches of hundreds of thousands
// of small pages cost more than drawing the picture.
QImage uninitialisedImage(int width, int height, QImage::Format format);

// Writes the picture as a 32-bit BMP (BI_BITFIELDS, top-down). False when the
// file cannot be written or the picture is null.
bool savePictureFile(const QImage& picture, const QString& path);

// Reads a picture file. The layout savePictureFile writes becomes a Format_RGB32
// image over the mapped file (it stays valid when the file is deleted; painting
// on it copies it first), or a copy where the mapping is not possible; any other
// file goes through QImage's readers. A null image when the file cannot be read
// as a picture.
QImage loadPictureFile(const QString& path);

}  // namespace brevanta::frame
