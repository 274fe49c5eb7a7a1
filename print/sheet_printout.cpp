#include "print/sheet_printout.h"

#include <QBuffer>
#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <QPrinter>
#include <algorithm>
#include <cmath>

#include "engine/embedded/sheet_edit.h"
#include "engine/paint/sheet_painter.h"
#include "frame/failure.h"
#include "frame/safe_file.h"
#include "xls/print_ranges.h"
#include "xls/xls_file.h"

namespace brevanta::print {
namespace {

// Fine enough that every cell edge lands within a fortieth of a point.
constexpr int kPdfResolution = 1200;

QPageSize pageSizeOf(const Paper& paper) {
    switch (paper.code) {
        case 1: return QPageSize(QPageSize::Letter);
        case 5: return QPageSize(QPageSize::Legal);
        case 8: return QPageSize(QPageSize::A3);
        case 11: return QPageSize(QPageSize::A5);
        default: return QPageSize(QPageSize::A4);
    }
}

QPageLayout pageLayoutOf(const PagePlan& plan) {
    const model::PageSetupData& setup = plan.setup;
    return QPageLayout(pageSizeOf(plan.paper), plan.landscape ? QPageLayout::Landscape : QPageLayout::Portrait,
                       QMarginsF(setup.leftMargin, setup.topMargin, setup.rightMargin, setup.bottomMargin),
                       QPageLayout::Point);
}

// Pixel edges of the picture along one axis: edges[i] where sheet item
// origin + i starts, as the recorder laid them out.
std::vector<long> edgesFrom(const std::vector<int>& sizes, int origin) {
    std::vector<long> edges{0};
    edges.reserve(sizes.size() - size_t(origin) + 1);
    for (size_t i = size_t(origin); i < sizes.size(); ++i) edges.push_back(edges.back() + sizes[i]);
    return edges;
}

}  // namespace

model::CellRange printedArea(const model::Sheet& sheet) {
    if (const auto area = xls::parsePrintArea(sheet.page.printArea)) return *area;
    return engine::usedRange(sheet);
}

Printout makePrintout(const model::Workbook& workbook, model::Sheet& sheet, engine::Calculator& calculator,
                      const QLocale& locale) {
    const model::PageSetupData& setup = sheet.page;
    const model::CellRange area = printedArea(sheet);
    // The picture starts at the titles when they lie above or left of the area.
    Printout printout;
    printout.origin = {area.firstRow, area.firstCol};
    int lastRow = area.lastRow, lastCol = area.lastCol;
    if (const auto& titles = setup.printTitleRows) {
        printout.origin.row = std::min(printout.origin.row, titles->first);
        lastRow = std::max(lastRow, titles->second);
    }
    if (const auto& titles = setup.printTitleColumns) {
        printout.origin.col = std::min(printout.origin.col, titles->first);
        lastCol = std::max(lastCol, titles->second);
    }
    lastRow = std::min(lastRow, model::kMaxRows - 1);
    lastCol = std::min(lastCol, model::kMaxColumns - 1);

    // Sizes as the recorder measures them, so pages break on the picture's own edges.
    printout.sizes.rowHeights.resize(size_t(lastRow) + 1, 0);
    for (int row = printout.origin.row; row <= lastRow; ++row) {
        const model::RowInfo* info = sheet.findRowInfo(row);
        printout.sizes.rowHeights[size_t(row)] =
            paint::rowPixels(info && info->height ? *info->height : sheet.standardRowHeight);
    }
    printout.sizes.columnWidths.resize(size_t(lastCol) + 1, 0);
    for (int col = printout.origin.col; col <= lastCol; ++col)
        printout.sizes.columnWidths[size_t(col)] = paint::columnPixels(sheet, col);

    printout.picture = std::make_shared<const paint::SheetPicture>(
        paint::recordSheet(workbook, sheet, calculator,
                           {printout.origin.row, printout.origin.col, lastRow, lastCol}, locale,
                           paint::RecordOptions{.gridLines = setup.printGridlines}));
    printout.plan = planPages(setup, area, printout.sizes);
    return printout;
}

Printout printoutOfWorkbookFile(const QString& path) {
    const std::unique_ptr<model::Workbook> workbook = xls::readWorkbook(path);
    if (!workbook || workbook->sheets.empty())
        throw frame::Failure(QStringLiteral("The workbook holds no sheet to print: ") + path);
    const size_t active = size_t(std::clamp<int>(workbook->activeSheet, 0, int(workbook->sheets.size()) - 1));
    model::Sheet& sheet = *workbook->sheets[active];
    engine::Calculator calculator(sheet);
    calculator.trustStoredResults();  // the results the file was saved with, as on screen
    return makePrintout(*workbook, sheet, calculator);
}

void paintPages(const Printout& printout, QPagedPaintDevice& device) {
    if (!printout.picture || printout.plan.pages.empty()) return;
    QPainter painter;
    if (!painter.begin(&device)) throw frame::Failure(QStringLiteral("The printer could not be started"));
    const std::vector<long> rowEdges = edgesFrom(printout.sizes.rowHeights, printout.origin.row);
    const std::vector<long> columnEdges = edgesFrom(printout.sizes.columnWidths, printout.origin.col);
    const double devicePerPoint = device.logicalDpiX() / 72.0;
    const double scale = printout.plan.scale() * device.logicalDpiX() / 96.0;  // device pixels per picture pixel
    auto devicePixels = [&](double value) { return long(std::lround(value)); };

    // One block of cells, its top-left corner at `at` (device pixels).
    auto paintBlock = [&](const Span& rows, const Span& columns, QPointF at) {
        const long left = columnEdges[size_t(columns.first - printout.origin.col)];
        const long right = columnEdges[size_t(columns.second + 1 - printout.origin.col)];
        const long top = rowEdges[size_t(rows.first - printout.origin.row)];
        const long bottom = rowEdges[size_t(rows.second + 1 - printout.origin.row)];
        if (right <= left || bottom <= top) return;
        // The picture is painted on whole device pixels, so the block moves by whole ones too.
        const QRect target(QPoint(int(devicePixels(left * scale)), int(devicePixels(top * scale))),
                           QPoint(int(devicePixels(right * scale)) - 1, int(devicePixels(bottom * scale)) - 1));
        painter.save();
        painter.translate(double(devicePixels(at.x()) - target.left()), double(devicePixels(at.y()) - target.top()));
        painter.setClipRect(target);
        // The painter takes a pixel of slack around its target; the block's
        // neighbours must not be drawn at all, or a reader of the PDF finds
        // their text on this page too.
        printout.picture->paint(painter, target.adjusted(1, 1, -1, -1), scale, scale);
        painter.restore();
    };
    auto extent = [&](const std::optional<Span>& span, const std::vector<long>& edges, int origin) {
        if (!span) return 0.0;
        return (edges[size_t(span->second + 1 - origin)] - edges[size_t(span->first - origin)]) * scale;
    };

    bool first = true;
    for (const PrintedPage& page : printout.plan.pages) {
        if (!first && !device.newPage()) throw frame::Failure(QStringLiteral("The printer could not start a page"));
        first = false;
        const QPointF origin = page.origin * devicePerPoint;
        const double titlesWidth = extent(page.titleColumns, columnEdges, printout.origin.col);
        const double titlesHeight = extent(page.titleRows, rowEdges, printout.origin.row);
        if (page.titleRows && page.titleColumns) paintBlock(*page.titleRows, *page.titleColumns, origin);
        if (page.titleRows) paintBlock(*page.titleRows, page.columns, origin + QPointF(titlesWidth, 0));
        if (page.titleColumns) paintBlock(page.rows, *page.titleColumns, origin + QPointF(0, titlesHeight));
        paintBlock(page.rows, page.columns, origin + QPointF(titlesWidth, titlesHeight));
    }
    painter.end();
}

QByteArray pdfOf(const Printout& printout) {
    QByteArray bytes;
    {
        QBuffer buffer(&bytes);
        buffer.open(QIODevice::WriteOnly);
        QPdfWriter writer(&buffer);
        writer.setResolution(kPdfResolution);
        writer.setTitle(QString::fromUtf16(kPdfTitle));
        writer.setCreator(QString::fromUtf16(kPdfCreator));
        // The pages are drawn from the paper's corner; the plan holds the margins.
        QPageLayout layout = pageLayoutOf(printout.plan);
        layout.setMinimumMargins(QMarginsF());
        layout.setMargins(QMarginsF());
        writer.setPageLayout(layout);
        paintPages(printout, writer);
    }
    return bytes;
}

void writePdf(const Printout& printout, const QString& path) { frame::writeFileSafely(path, pdfOf(printout)); }

void setUpPrinter(QPrinter& printer, const PagePlan& plan) {
    printer.setPageLayout(pageLayoutOf(plan));
    printer.setFullPage(true);  // the plan places the cells from the paper's corner
    printer.setDocName(QString::fromUtf16(kPdfTitle));
    printer.setCreator(QString::fromUtf16(kPdfCreator));
}

void printOn(QPrinter& printer, const Printout& printout) { paintPages(printout, printer); }

}  // namespace brevanta::print
