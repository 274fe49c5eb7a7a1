#pragma once
// The hand pointer shown over the buttons, drawn here, and the Windows
// cursor file (.cur) it is stored in: an icon container of type 2 whose one
// entry carries the hot spot, holding a 32-bit bitmap and its mask.

#include <QByteArray>
#include <QImage>
#include <QPoint>

namespace brevanta::data {

// The tip of the pointing finger.
inline constexpr QPoint kHandHotSpot{11, 1};

// A 32 x 32 white hand with a black outline, its index finger pointing up.
QImage drawHandCursor();

// The image (at most 256 pixels a side) as a .cur file with that hot spot.
QByteArray encodeCursorFile(const QImage& image, QPoint hotSpot);

}  // namespace brevanta::data
