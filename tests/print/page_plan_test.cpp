// The page plan's arithmetic: scale, breaks, titles, order and placement.

#include <gtest/gtest.h>

#include "print/page_plan.h"

using namespace brevanta;
using print::planPages;
using print::SheetSizes;
using print::Span;

namespace {

// The register's shape: a narrow column A, eight columns B:I, rows 1 to 6
// of the title and header, then one 20-point row per transaction.
SheetSizes registerSizes(int transactions) {
    SheetSizes sizes;
    sizes.columnWidths = {24, 81, 78, 267, 114, 61, 83, 103, 110};
    sizes.rowHeights = {16, 41, 10, 26, 4};
    for (int i = 0; i < transactions; ++i) sizes.rowHeights.push_back(27);
    return sizes;
}

// One page wide; the height runs on to as many pages as it takes.
model::PageSetupData registerSetup() {
    model::PageSetupData setup;
    setup.leftMargin = setup.rightMargin = 0.7 * 72;
    setup.topMargin = setup.bottomMargin = 0.5 * 72;
    setup.headerMargin = setup.footerMargin = 0;
    setup.orientation = 2;
    setup.paperSize = 9;
    setup.zoom.reset();
    setup.fitToPagesWide = 1;
    setup.fitToPagesTall = 0;
    setup.printTitleRows = std::make_pair(3, 4);
    return setup;
}

// As registers were set up before: the whole sheet on one page.
model::PageSetupData onePageSetup() {
    model::PageSetupData setup = registerSetup();
    setup.fitToPagesTall = 1;
    return setup;
}

model::CellRange registerArea(int transactions) { return {0, 0, 4 + transactions, 8}; }

// Every row of the area on exactly one page, in order, for each column span.
void expectRowsCoveredOnce(const print::PagePlan& plan, const model::CellRange& area) {
    int next = area.firstRow;
    for (const auto& page : plan.pages) {
        if (page.rows.first == area.firstRow) next = area.firstRow;
        EXPECT_EQ(page.rows.first, next);
        next = page.rows.second + 1;
    }
    EXPECT_EQ(next, area.lastRow + 1);
}

}  // namespace

TEST(PagePlan, ShortRegistersFitOneLandscapeA4PageAtFullSize) {
    for (const int rows : {0, 2, 22}) {
        const auto plan = planPages(registerSetup(), registerArea(rows), registerSizes(rows));
        ASSERT_EQ(plan.pages.size(), 1u) << rows;
        EXPECT_EQ(plan.percent, 100) << rows;
        EXPECT_TRUE(plan.landscape);
        EXPECT_DOUBLE_EQ(plan.pageSize.width(), 841.89);
        EXPECT_DOUBLE_EQ(plan.pageSize.height(), 595.28);
        EXPECT_FALSE(plan.pages[0].titleRows);
        EXPECT_EQ(plan.pages[0].origin, QPointF(0.7 * 72, 0.5 * 72));
    }
    // The 921 px of columns fit the 988 px across at full size, so the width
    // never shrinks this register. One page tall gave the same page up to 22
    // rows (97 + 22 x 27 px of 697.7 px); from 23 rows it shrank the page.
    for (int rows = 0; rows <= 22; ++rows)
        EXPECT_EQ(planPages(onePageSetup(), registerArea(rows), registerSizes(rows)).percent, 100) << rows;
    EXPECT_LT(planPages(onePageSetup(), registerArea(23), registerSizes(23)).percent, 100);
    EXPECT_EQ(planPages(registerSetup(), registerArea(23), registerSizes(23)).pages.size(), 2u);
}

TEST(PagePlan, LongRegistersRunDownAsManyFullSizePagesAsTheyNeedUnderTheTitles) {
    // 697.7 px a page: rows 1 to 5 and 22 transactions on the first, the
    // 30 px of titles and 24 transactions on each later one.
    const auto plan = planPages(registerSetup(), registerArea(1000), registerSizes(1000));
    EXPECT_EQ(plan.percent, 100);
    ASSERT_EQ(plan.pages.size(), 1u + (1000 - 22 + 23) / 24);
    EXPECT_EQ(plan.pages[0].rows, Span(0, 26));
    EXPECT_FALSE(plan.pages[0].titleRows);
    for (size_t i = 1; i < plan.pages.size(); ++i) {
        ASSERT_TRUE(plan.pages[i].titleRows) << i;
        EXPECT_EQ(*plan.pages[i].titleRows, Span(3, 4));
        EXPECT_EQ(plan.pages[i].columns, Span(0, 8)) << i;
    }
    EXPECT_EQ(plan.pages[1].rows, Span(27, 50));
    expectRowsCoveredOnce(plan, registerArea(1000));

    const auto longest = planPages(registerSetup(), registerArea(32768), registerSizes(32768));
    EXPECT_EQ(longest.percent, 100);
    EXPECT_EQ(longest.pages.size(), 1u + (32768 - 22 + 23) / 24);
    expectRowsCoveredOnce(longest, registerArea(32768));

    // Too wide for one page even at the smallest scale: it prints at 10 %
    // on the pages across that takes, and the height still decides nothing.
    SheetSizes wide = registerSizes(1000);
    wide.columnWidths[3] = 12000;
    const auto cut = planPages(registerSetup(), registerArea(1000), wide);
    EXPECT_EQ(cut.percent, 10);
    EXPECT_GT(cut.pages.size(), 1u);
    expectRowsCoveredOnce(cut, registerArea(1000));
}

// Workbooks saved with the whole sheet on one page keep printing that way.
TEST(PagePlan, WhenEvenTheSmallestScaleDoesNotFitItPrintsAtTenPercentOnAsManyPagesAsItTakes) {
    const auto hundred = planPages(onePageSetup(), registerArea(100), registerSizes(100));
    ASSERT_EQ(hundred.pages.size(), 1u);
    // A hundred rows shrink to the largest whole percent that fits: 2,797 px into 697.7 px of paper.
    EXPECT_EQ(hundred.percent, 24);
    EXPECT_LE((97 + 100 * 27) * 0.24, (595.28 - 72) * 96 / 72);
    EXPECT_GT((97 + 100 * 27) * 0.25, (595.28 - 72) * 96 / 72);

    const auto plan = planPages(onePageSetup(), registerArea(1000), registerSizes(1000));
    EXPECT_EQ(plan.percent, 10);
    // 6,977 px a page at 10 %: the first page holds rows 1 to 5 and 254 transactions,
    // the others the titles and 257 each.
    ASSERT_EQ(plan.pages.size(), 4u);
    EXPECT_EQ(plan.pages[0].rows, Span(0, 258));
    EXPECT_FALSE(plan.pages[0].titleRows);
    for (size_t i = 1; i < plan.pages.size(); ++i) {
        ASSERT_TRUE(plan.pages[i].titleRows) << i;
        EXPECT_EQ(*plan.pages[i].titleRows, Span(3, 4));
    }
    EXPECT_EQ(plan.pages[1].rows, Span(259, 515));
    expectRowsCoveredOnce(plan, registerArea(1000));

    const auto longest = planPages(onePageSetup(), registerArea(32768), registerSizes(32768));
    EXPECT_EQ(longest.percent, 10);
    EXPECT_EQ(longest.pages.size(), 128u);
    expectRowsCoveredOnce(longest, registerArea(32768));
}

TEST(PagePlan, ZoomIsClampedAndPagesGoDownThenOver) {
    model::PageSetupData setup = registerSetup();
    setup.orientation = 1;
    setup.paperSize = 11;  // A5 portrait: 419.53 - 100.8 = 318.7 pt wide
    setup.zoom = 1000;
    setup.printTitleColumns = std::make_pair(0, 0);
    const auto sizes = registerSizes(40);
    const auto large = planPages(setup, registerArea(40), sizes);
    EXPECT_EQ(large.percent, 400);
    setup.zoom = 100;
    const auto plan = planPages(setup, registerArea(40), sizes);
    EXPECT_EQ(plan.percent, 100);
    EXPECT_FALSE(plan.landscape);
    EXPECT_DOUBLE_EQ(plan.pageSize.width(), 419.53);
    // 425 px across: A to C on the first pages, then the title column A
    // beside each further span.
    ASSERT_GE(plan.pages.size(), 4u);
    const Span firstColumns = plan.pages[0].columns;
    EXPECT_EQ(firstColumns, Span(0, 2));
    size_t downFirst = 0;
    while (downFirst < plan.pages.size() && plan.pages[downFirst].columns == firstColumns) ++downFirst;
    EXPECT_GT(downFirst, 1u);  // all the rows of the first columns come first
    for (size_t i = 0; i < plan.pages.size(); ++i) {
        EXPECT_EQ(plan.pages[i].rows.first == 0, i % downFirst == 0) << i;
        EXPECT_EQ(plan.pages[i].titleColumns.has_value(), i >= downFirst) << i;
    }
    EXPECT_EQ(plan.pages[downFirst].columns, Span(3, 4));
}

TEST(PagePlan, PapersMarginsAndCentring) {
    EXPECT_EQ(print::paperForCode(1).width, 612);
    EXPECT_EQ(print::paperForCode(1).height, 792);
    EXPECT_EQ(print::paperForCode(5).height, 1008);
    EXPECT_DOUBLE_EQ(print::paperForCode(8).width, 841.89);
    EXPECT_DOUBLE_EQ(print::paperForCode(11).height, 595.28);
    EXPECT_EQ(print::paperForCode(77).code, 9);

    model::PageSetupData setup = registerSetup();
    setup.paperSize = 1;
    setup.orientation = 1;
    setup.zoom = 100;
    setup.centerHorizontally = setup.centerVertically = true;
    SheetSizes sizes{{72, 72}, {96, 96}};  // two cells of 72 x 54 pt
    const auto plan = planPages(setup, {0, 0, 1, 1}, sizes);
    ASSERT_EQ(plan.pages.size(), 1u);
    const double freeWidth = 612 - 2 * 0.7 * 72 - 144, freeHeight = 792 - 72 - 108;
    EXPECT_DOUBLE_EQ(plan.pages[0].origin.x(), 0.7 * 72 + freeWidth / 2);
    EXPECT_DOUBLE_EQ(plan.pages[0].origin.y(), 0.5 * 72 + freeHeight / 2);
}
