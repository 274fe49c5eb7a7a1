#pragma once
// Where a sheet's cells fall on paper, by the sheet's page set-up: the
// paper and its orientation, the margins, the scale (a fixed zoom, or the
// largest that fits the pages wide and tall asked for), the pages the
// printed area breaks into on row and column boundaries, the title rows and
// columns repeated on each page, and the page order, down then over.
//
// Plain arithmetic on row heights and column widths in the picture's
// pixels (96 dpi), so it is the same for a printer, a PDF and a test.

#include <QPointF>
#include <QSizeF>
#include <optional>
#include <utility>
#include <vector>

#include "engine/model/sheet.h"

namespace brevanta::print {

// A paper by the sheet's paper code, in points, upright.
struct Paper {
    int code = 9;  // 1 Letter, 5 Legal, 8 A3, 9 A4, 11 A5
    double width = 0;
    double height = 0;
};
// Codes without a size of their own here print on A4.
Paper paperForCode(int code);

// Points to the picture's pixels and back.
inline constexpr double kPixelsPerPoint = 96.0 / 72.0;

// Spreadsheets never scale paper below a tenth or above four times.
inline constexpr int kSmallestPercent = 10;
inline constexpr int kLargestPercent = 400;

using Span = std::pair<int, int>;  // first and last row or column, inclusive

struct SheetSizes {
    std::vector<int> rowHeights;    // pixels of rows 0, 1, 2, … as far as printing reaches
    std::vector<int> columnWidths;  // pixels of columns 0, 1, 2, …
};

struct PrintedPage {
    Span rows;                          // rows of the printed area on this page
    Span columns;                       // its columns
    std::optional<Span> titleRows;      // repeated above them, when the page starts below the titles
    std::optional<Span> titleColumns;   // repeated to their left
    QPointF origin;                     // top-left of the printed block on the paper, in points
};

struct PagePlan {
    Paper paper;
    bool landscape = false;
    QSizeF pageSize;  // points, as the page lies
    model::PageSetupData setup;
    int percent = 100;  // the scale the cells print at
    std::vector<PrintedPage> pages;  // down, then over

    double scale() const { return percent / 100.0; }
};

// `area` is what prints: the print area, or the used range when none is
// set. `sizes` must reach every row and column of the area and the titles.
PagePlan planPages(const model::PageSetupData& setup, const model::CellRange& area, const SheetSizes& sizes);

}  // namespace brevanta::print
