#pragma once
// The picture file a generation hands its sheet picture over in (the
// temporary "temp.bmp"). It holds the picture in the format it was copied
// in, whatever its name says: our vector picture as a rule, or a bitmap.

#include <QString>

#include "picture/sheet_picture.h"

namespace brevanta::paint {

// Writes the picture in the format it came in: a drawn picture in its own
// format, a bitmap as a BMP. The file is replaced only once the whole picture
// is written. False when it cannot be written.
bool savePictureFile(const SheetPicture& picture, const QString& path);
// The same, except that a picture still recorded as it is looked at is not
// recorded whole to be written: it stays in this process, and the file holds
// a random key that loadPictureFile, in this process, exchanges for it once.
bool savePictureFile(const SharedPicture& picture, const QString& path);

// Reads a picture file, recognised by its content: our vector picture, or a
// BMP or PNG bitmap, or the key of a picture this process holds. Null for a
// missing file, anything else, a damaged one, or a key nobody holds.
SharedPicture loadPictureFile(const QString& path);

}  // namespace brevanta::paint
