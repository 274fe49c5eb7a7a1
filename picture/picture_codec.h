#pragma once
// The sheet picture's own file format, used for the picture file and for the
// private clipboard type.
//
// Layout (all integers unsigned LEB128 unless said otherwise; signed values
// zig-zag encoded; texts as a length in UTF-16 code units, then the units
// little-endian):
//   magic "BRVSHEET", u8 version (1)
//   width, height
//   colours: count, then each colour as 0xAARRGGBB
//   fonts: count, then each: family, pixel size in 1/64 px, style bits
//          (1 bold, 2 italic, 4 underline, 8 strike-out)
//   texts: count, then each text
//   bands: count, then each: top, bottom - top, and the counts of fills,
//          rules, texts and images, followed by
//     fills and rules: left, top, width, height, colour index; left and top
//                      signed, relative to the previous command of the kind
//     texts: the box as a fill's rectangle, the clip as left, top, width,
//            height relative to the box (width 0: no clip), text index,
//            font index, flags, colour index
//     images: left, top, width, height, byte count, PNG bytes
// Relative coordinates keep a long register's file small: most commands
// differ from the one before by a cell's width or a row's height.

#include <QByteArray>
#include <QByteArrayView>
#include <optional>

#include "picture/sheet_picture.h"

namespace brevanta::paint {

inline constexpr char kPictureMagic[] = "BRVSHEET";

QByteArray encodePicture(const SheetPicture& picture);

// True when the bytes start like a picture of this format.
bool looksLikePicture(QByteArrayView bytes);

// The picture, or none when the bytes are not a complete, well-formed
// picture. Never reads outside the bytes, and sizes everything it allocates
// by what the bytes can really hold.
std::optional<SheetPicture> decodePicture(QByteArrayView bytes);

}  // namespace brevanta::paint
