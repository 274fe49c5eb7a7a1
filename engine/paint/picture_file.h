#pragma once
// The picture file a generation hands its sheet picture over in (the
// temporary "temp.bmp"). It holds the picture in the format it was copied
// in, whatever its name says: our vector picture as a rule, or a bitmap.

#include <QString>

#include "engine/paint/sheet_picture.h"

namespace brevanta::paint {

// Writes the picture in the format it came in: a drawn picture in its own
// format, a bitmap as a BMP. The file is replaced only once the whole picture
// is written. False when it cannot be written.
bool savePictureFile(const SheetPicture& picture, const QString& path);

// Reads a picture file, recognised by its content: our vector picture, or a
// BMP or PNG bitmap. Null for a missing file, anything else, or a damaged one.
SharedPicture loadPictureFile(const QString& path);

}  // namespace brevanta::paint
