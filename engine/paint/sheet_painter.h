#pragma once
// How a sheet looks, as drawing commands: the one place that decides how a
// cell is drawn. Column widths and row heights in screen pixels at 96 dpi,
// fills from the palette, light grid lines where no fill is set, merged
// areas as one cell, values as displayed with their font, colour, alignment
// and wrapping, and unwrapped left-aligned text running on into empty cells
// to its right. The preview, the clipboard, files and paper all draw the
// picture this records.

#include <QLocale>

#include "engine/formula/calc.h"
#include "engine/model/workbook.h"
#include "picture/sheet_picture.h"

namespace brevanta::paint {

// Pixels of a column `characters` wide, the way spreadsheets measure it:
// 7 px per character (the widest digit of Arial 10) plus 5 px of padding,
// narrower than one character scaled down to nothing.
int columnPixels(double characters);
// A column of the sheet as drawn: its width, or none when it is hidden.
int columnPixels(const model::Sheet& sheet, int col);
// Pixels of a row `points` high at 96 dpi.
int rowPixels(double points);

struct RecordOptions {
    // The light grid of the screen around unfilled cells; paper shows it
    // only where the sheet asks for printed grid lines.
    bool gridLines = true;
};

// The picture of `range` of `sheet`, whatever its size.
SheetPicture recordSheet(const model::Workbook& workbook, const model::Sheet& sheet, engine::Calculator& calculator,
                         model::CellRange range, const QLocale& locale, const RecordOptions& options = {});

// The same picture, its bands recorded as they are first painted or when
// the whole picture is asked for. `owner` keeps the workbook, sheet and
// calculator alive until then; nothing may change them meanwhile.
SharedPicture recordSheetOnDemand(const model::Workbook& workbook, const model::Sheet& sheet,
                                  engine::Calculator& calculator, model::CellRange range, const QLocale& locale,
                                  std::shared_ptr<const void> owner, const RecordOptions& options = {});

}  // namespace brevanta::paint
