#pragma once
// A bitmap of a range as a spreadsheet displays it at 96 dpi: column
// widths and row heights in screen pixels, fills from the palette, fonts,
// alignment, wrapping, merged areas as one cell, values as displayed and
// light grid lines where no fill is set.

#include <QImage>
#include <QLocale>

#include "engine/formula/calc.h"
#include "engine/model/workbook.h"

namespace brevanta::engine {

// Pixels of a column `characters` wide, the way spreadsheets measure it:
// 7 px per character (the widest digit of Arial 10) plus 5 px of padding,
// narrower than one character scaled down to nothing.
int columnPixels(double characters);
// Pixels of a row `points` high at 96 dpi.
int rowPixels(double points);

// The picture is at most this many pixels wide and tall, and at most
// kMaxPicturePixels in all; what does not fit is left out at the bottom
// (rows) and on the right (columns), never at the top or left.
inline constexpr int kMaxPictureSide = 32767;
inline constexpr qint64 kMaxPicturePixels = qint64(1) << 27;

QImage renderPicture(const model::Workbook& workbook, const model::Sheet& sheet, Calculator& calculator,
                     model::CellRange range, const QLocale& locale);

}  // namespace brevanta::engine
