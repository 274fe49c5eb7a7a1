#pragma once
// The picture file the exported sheet travels in (the temporary "temp.bmp")
// and the image buffers of whole-sheet pictures.
//
// A long register pictures as tens of millions of pixels, so the file is an
// uncompressed 32-bit BMP whose rows are the image's own rows, top row first:
// it is written in one piece and read back straight into the image, with no
// conversion of pixels on either side. Qt's BMP reader reads it as well.

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

// Reads a picture file. The layout savePictureFile writes is read directly into
// a Format_RGB32 image; any other file goes through QImage's readers. A null
// image when the file cannot be read as a picture.
QImage loadPictureFile(const QString& path);

}  // namespace brevanta::frame
