#include "print/page_plan.h"

#include <algorithm>
#include <numeric>

namespace brevanta::print {
namespace {

// One axis of the paper: rows down a page or columns across it.
struct Axis {
    const std::vector<int>& sizes;  // pixels of each row or column
    Span area;
    std::optional<Span> titles;

    int size(int index) const { return index < int(sizes.size()) ? sizes[size_t(index)] : 0; }
    int sum(const Span& span) const {
        int total = 0;
        for (int i = span.first; i <= span.second; ++i) total += size(i);
        return total;
    }
    // The titles repeated on a page whose own part starts at `first`: those
    // above it, since the titles at or below it print in their own place.
    std::optional<Span> titlesBefore(int first) const {
        if (!titles || first <= titles->first) return std::nullopt;
        return Span{titles->first, std::min(titles->second, first - 1)};
    }

    // The spans of the area, each as much as fits into `room` pixels beside
    // its titles; a single row or column larger than a page gets a page of
    // its own and is cut at the paper's edge.
    std::vector<Span> breaks(double room) const {
        std::vector<Span> spans;
        for (int first = area.first; first <= area.second;) {
            const std::optional<Span> repeated = titlesBefore(first);
            const double free = room - (repeated ? sum(*repeated) : 0);
            int last = first;
            double used = size(first);
            while (last < area.second && used + size(last + 1) <= free + 1e-9) used += size(++last);
            spans.push_back({first, last});
            first = last + 1;
        }
        return spans;
    }
};

// The printable size of the page in pixels at 100 %.
QSizeF printableSize(const model::PageSetupData& setup, const QSizeF& page) {
    return QSizeF(std::max(1.0, page.width() - setup.leftMargin - setup.rightMargin) * kPixelsPerPoint,
                  std::max(1.0, page.height() - setup.topMargin - setup.bottomMargin) * kPixelsPerPoint);
}

}  // namespace

Paper paperForCode(int code) {
    switch (code) {
        case 1: return {1, 612, 792};
        case 5: return {5, 612, 1008};
        case 8: return {8, 841.89, 1190.55};
        case 11: return {11, 419.53, 595.28};
        default: return {9, 595.28, 841.89};
    }
}

PagePlan planPages(const model::PageSetupData& setup, const model::CellRange& area, const SheetSizes& sizes) {
    PagePlan plan;
    plan.setup = setup;
    plan.paper = paperForCode(setup.paperSize);
    plan.landscape = setup.orientation == 2;
    plan.pageSize = plan.landscape ? QSizeF(plan.paper.height, plan.paper.width)
                                   : QSizeF(plan.paper.width, plan.paper.height);
    const QSizeF printable = printableSize(setup, plan.pageSize);
    const Axis down{sizes.rowHeights, {area.firstRow, area.lastRow}, setup.printTitleRows};
    const Axis across{sizes.columnWidths, {area.firstCol, area.lastCol}, setup.printTitleColumns};

    auto breaksAt = [&](int percent) {
        return std::make_pair(across.breaks(printable.width() * 100.0 / percent),
                              down.breaks(printable.height() * 100.0 / percent));
    };
    if (setup.zoom) {
        plan.percent = std::clamp(*setup.zoom, kSmallestPercent, kLargestPercent);
    } else {
        // Fitting only ever shrinks, as spreadsheets do: the largest whole
        // percent from 100 down whose pages fit; when even the smallest does
        // not, it prints at the smallest on as many pages as that takes.
        const int wide = setup.fitToPagesWide, tall = setup.fitToPagesTall;
        auto fits = [&](int percent) {
            const auto [columns, rows] = breaksAt(percent);
            return (wide <= 0 || int(columns.size()) <= wide) && (tall <= 0 || int(rows.size()) <= tall);
        };
        int low = kSmallestPercent, high = 100;
        if (fits(high)) low = high;
        while (low < high) {  // fits(low) or low is the smallest; !fits(high)
            const int middle = (low + high + 1) / 2;
            if (fits(middle)) low = middle;
            else high = middle - 1;
        }
        plan.percent = low;
    }

    const auto [columnSpans, rowSpans] = breaksAt(plan.percent);
    const double pointsPerPixel = plan.scale() / kPixelsPerPoint;
    for (const Span& columns : columnSpans)
        for (const Span& rows : rowSpans) {
            PrintedPage page{rows, columns, down.titlesBefore(rows.first), across.titlesBefore(columns.first), {}};
            const double width = (across.sum(columns) + (page.titleColumns ? across.sum(*page.titleColumns) : 0)) *
                                 pointsPerPixel;
            const double height = (down.sum(rows) + (page.titleRows ? down.sum(*page.titleRows) : 0)) *
                                  pointsPerPixel;
            const double freeWidth = plan.pageSize.width() - setup.leftMargin - setup.rightMargin - width;
            const double freeHeight = plan.pageSize.height() - setup.topMargin - setup.bottomMargin - height;
            page.origin = QPointF(setup.leftMargin + (setup.centerHorizontally ? std::max(0.0, freeWidth / 2) : 0),
                                  setup.topMargin + (setup.centerVertically ? std::max(0.0, freeHeight / 2) : 0));
            plan.pages.push_back(page);
        }
    return plan;
}

}  // namespace brevanta::print
