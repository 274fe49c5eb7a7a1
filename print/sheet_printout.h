#pragma once
// A sheet made ready for paper: its picture, recorded once by the one
// painter of cells, and the plan of its pages. The same printout goes to a
// PDF file or to a printer; each page is drawn from the picture's commands,
// so text stays text and nothing is drawn as a bitmap.

#include <QByteArray>
#include <QLocale>
#include <QString>

#include "engine/formula/calc.h"
#include "engine/model/workbook.h"
#include "picture/sheet_picture.h"
#include "print/page_plan.h"

class QPagedPaintDevice;
class QPrinter;

namespace brevanta::print {

struct Printout {
    paint::SharedPicture picture;  // the cells from `origin` to the printed area's far corner
    model::CellAddress origin;     // the sheet's cell at the picture's top-left corner
    SheetSizes sizes;
    PagePlan plan;
};

// The printed area: the print area when the sheet has a readable one,
// otherwise every cell in use.
model::CellRange printedArea(const model::Sheet& sheet);

Printout makePrintout(const model::Workbook& workbook, model::Sheet& sheet, engine::Calculator& calculator,
                      const QLocale& locale = QLocale());
// The printout of a workbook file's active sheet, with the results it was
// saved with. Throws frame::Failure when the file is not a readable workbook.
Printout printoutOfWorkbookFile(const QString& path);

// Draws every page on `device`, whose page must already be the plan's paper
// with the origin at the paper's top-left corner.
void paintPages(const Printout& printout, QPagedPaintDevice& device);

// The document title and creator of every PDF the program writes.
inline constexpr char16_t kPdfTitle[] = u"Check Register";
inline constexpr char16_t kPdfCreator[] = u"Brevanta";

QByteArray pdfOf(const Printout& printout);
// Writes the PDF beside `path` and renames it over; throws frame::Failure.
void writePdf(const Printout& printout, const QString& path);

// The printer's paper, orientation and margins as the page set-up says.
void setUpPrinter(QPrinter& printer, const PagePlan& plan);
// Prints on a printer set up by setUpPrinter; throws frame::Failure when
// the printer cannot be started.
void printOn(QPrinter& printer, const Printout& printout);

}  // namespace brevanta::print
