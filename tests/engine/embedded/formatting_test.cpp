// Formats, sizes, merges, Clear and the used range through the host.

#include <cmath>

#include "tests/engine/embedded/engine_fixture.h"

using namespace brevanta;
using testsupport::EngineTest;

namespace {
int storedCells(const model::Sheet& sheet) {
    int count = 0;
    sheet.forEachCell([&](int, int, const model::Cell&) { ++count; });
    return count;
}
}  // namespace

TEST_F(EngineTest, WholeSheetFormatIsOneDefaultAndStoresNoCells) {
    app->cells()->select();
    app->cells()->clear();
    auto selection = app->selection();
    selection->font().setName(QStringLiteral("Arial"));
    selection->font().setSize(10);
    selection->setVerticalAlignment(host::xl::Center);
    selection->setWrapText(true);
    selection->interior().setColorIndex(2);

    EXPECT_EQ(storedCells(sheet()), 0);
    EXPECT_EQ(sheet().rowExtent(), 0);
    EXPECT_EQ(styleAt(65536, 256).fillColorIndex, 2);
    EXPECT_EQ(app->range(QStringLiteral("C7"))->interior().colorIndex(), 2);
    EXPECT_EQ(app->range(QStringLiteral("C7"))->verticalAlignment(), host::xl::Center);
    EXPECT_TRUE(app->range(QStringLiteral("A1:IV65536"))->wrapText());
    EXPECT_LE(workbookModel().styles.size(), 8u);  // each step derives one format, not one per cell
}

TEST_F(EngineTest, RowAndColumnFormatsMeetWhereTheyCross) {
    app->cells()->interior().setColorIndex(2);
    app->rows(QStringLiteral("3:3"))->interior().setColorIndex(6);
    app->columns(QStringLiteral("C:C"))->font().setFontStyle(QStringLiteral("Bold"));
    EXPECT_EQ(styleAt(3, 3).fillColorIndex, 6);  // the row's fill and the column's bold
    EXPECT_TRUE(styleAt(3, 3).font.bold);
    EXPECT_FALSE(styleAt(3, 4).font.bold);
    EXPECT_EQ(styleAt(3, 4).fillColorIndex, 6);
    EXPECT_TRUE(styleAt(900, 3).font.bold);
    EXPECT_EQ(styleAt(900, 3).fillColorIndex, 2);

    app->rows(QStringLiteral("5:5"))->font().setColorIndex(3);  // a later row over the bold column
    EXPECT_TRUE(styleAt(5, 3).font.bold);
    EXPECT_EQ(styleAt(5, 3).font.colorIndex, 3);
    EXPECT_LE(storedCells(sheet()), 2);
}

TEST_F(EngineTest, FormattingABlockKeepsWhatItsCellsHad) {
    write(QStringLiteral("B2"), QStringLiteral("title"));
    app->range(QStringLiteral("B2"))->font().setFontStyle(QStringLiteral("bold italic"));
    app->range(QStringLiteral("B2:C3"))->interior().setColorIndex(43);
    EXPECT_TRUE(styleAt(2, 2).font.bold && styleAt(2, 2).font.italic);
    EXPECT_EQ(styleAt(2, 2).fillColorIndex, 43);
    EXPECT_FALSE(styleAt(3, 3).font.bold);
    EXPECT_EQ(styleAt(3, 3).fillColorIndex, 43);
    EXPECT_EQ(styleAt(4, 3).fillColorIndex, model::kColorNone);
    EXPECT_EQ(app->range(QStringLiteral("B2"))->font().fontStyle(), QStringLiteral("Bold Italic"));
}

// Fills and row heights made in one call are what each range's interior or
// height makes, in order; the selection stays and a refused value stops them.
TEST_F(EngineTest, FillsAndHeightsInOneCallAreEachRangesAndStopAtARefusal) {
    app->range(QStringLiteral("B2"))->font().setFontStyle(QStringLiteral("bold"));
    app->range(QStringLiteral("A1"))->select();
    const std::vector<host::AreaFill> fills = {{2, 2, 3, 3, 43}, {3, 3, 3, 4, 39}, {5, 2, 5, 2, 57}, {6, 2, 6, 2, 40}};
    EXPECT_EQ(app->fillAreas(fills), 2);
    EXPECT_EQ(app->selection()->address(), QStringLiteral("$A$1"));
    EXPECT_TRUE(styleAt(2, 2).font.bold);
    EXPECT_EQ(styleAt(2, 2).fillColorIndex, 43);
    EXPECT_EQ(styleAt(3, 3).fillColorIndex, 39);  // the later fill over the earlier
    EXPECT_EQ(styleAt(3, 4).fillColorIndex, 39);
    EXPECT_EQ(styleAt(5, 2).fillColorIndex, model::kColorNone);
    EXPECT_EQ(styleAt(6, 2).fillColorIndex, model::kColorNone);

    // Row heights likewise: a height no row can have sets none.
    EXPECT_EQ(app->setRowHeights(7, 9, 20), 3);
    EXPECT_EQ(app->rows(QStringLiteral("7:9"))->rowHeight(), 20);
    EXPECT_EQ(app->setRowHeights(10, 10, 500), 0);
    EXPECT_NE(app->rows(QStringLiteral("10:10"))->rowHeight(), 500);
    EXPECT_EQ(app->selection()->address(), QStringLiteral("$A$1"));
}

TEST_F(EngineTest, DifferingCellsReadAsMixed) {
    auto area = app->range(QStringLiteral("B4:C4"));
    area->font().setSize(9);
    area->interior().setColorIndex(43);
    EXPECT_EQ(area->font().size(), 9);
    EXPECT_EQ(area->interior().colorIndex(), 43);
    app->range(QStringLiteral("B4"))->font().setSize(24);
    app->range(QStringLiteral("C4"))->setHorizontalAlignment(host::xl::Right);
    app->range(QStringLiteral("C4"))->font().setFontStyle(QStringLiteral("Italic"));
    EXPECT_TRUE(std::isnan(area->font().size()));
    EXPECT_EQ(area->horizontalAlignment(), engine::kMixedNumber);
    EXPECT_EQ(area->font().fontStyle(), QString());
    EXPECT_EQ(area->interior().colorIndex(), 43);
    // A range reaching past the formatted cells mixes with the sheet's format.
    EXPECT_EQ(app->range(QStringLiteral("B4:B5"))->interior().colorIndex(), engine::kMixedNumber);
    EXPECT_EQ(app->columns(QStringLiteral("B:B"))->interior().colorIndex(), engine::kMixedNumber);
}

TEST_F(EngineTest, FormatValuesOutsideTheirRangesAreRefused) {
    auto cell = app->range(QStringLiteral("B4"));
    EXPECT_HOST_ERROR(cell->font().setFontStyle(QStringLiteral("Heavy")), "Unable to set the FontStyle property of the Font class");
    EXPECT_HOST_ERROR(cell->font().setSize(0), "Unable to set the Size property of the Font class");
    EXPECT_HOST_ERROR(cell->font().setSize(409.5), "Unable to set the Size property of the Font class");
    EXPECT_HOST_ERROR(cell->font().setSize(std::nan("")), "Unable to set the Size property of the Font class");
    EXPECT_HOST_ERROR(cell->font().setColorIndex(57), "Unable to set the ColorIndex property of the Font class");
    EXPECT_HOST_ERROR(cell->font().setColorIndex(-1), "Unable to set the ColorIndex property of the Font class");
    EXPECT_HOST_ERROR(cell->font().setName(QString()), "Unable to set the Name property of the Font class");
    EXPECT_HOST_ERROR(cell->interior().setColorIndex(0), "Unable to set the ColorIndex property of the Interior class");
    EXPECT_HOST_ERROR(cell->interior().setColorIndex(host::xl::ColorIndexAutomatic), "Unable to set the ColorIndex property of the Interior class");
    EXPECT_HOST_ERROR(cell->setHorizontalAlignment(99), "Unable to set the HorizontalAlignment property of the Range class");
    EXPECT_HOST_ERROR(cell->setVerticalAlignment(host::xl::Left), "Unable to set the VerticalAlignment property of the Range class");
    EXPECT_HOST_ERROR(cell->borders(6), "Unable to get the Item property of the Borders class");
    EXPECT_HOST_ERROR(cell->borders(13), "Unable to get the Item property of the Borders class");
    EXPECT_EQ(storedCells(sheet()), 0);  // nothing refused left a trace

    for (int edge = host::xl::EdgeLeft; edge <= host::xl::InsideHorizontal; ++edge)
        EXPECT_EQ(cell->borders(edge).lineStyle(), host::xl::LineStyleNone);
    cell->font().setColorIndex(0);  // the title's colour index, kept as given
    EXPECT_EQ(cell->font().colorIndex(), 0);
    cell->font().setColorIndex(host::xl::ColorIndexAutomatic);
    cell->font().setSize(409);
    cell->setHorizontalAlignment(-4130);
    EXPECT_EQ(cell->horizontalAlignment(), -4130);
}

TEST_F(EngineTest, RowHeightsAndColumnWidthsApplyToTheRangesRowsAndColumns) {
    app->rows(QStringLiteral("2:2"))->setRowHeight(30.75);
    app->rows(QStringLiteral("5:5"))->setRowHeight(3);
    app->range(QStringLiteral("B6:H8"))->setRowHeight(20);
    app->columns(QStringLiteral("D:D"))->setColumnWidth(37.43);
    app->range(QStringLiteral("F1:G1"))->setColumnWidth(8);
    EXPECT_DOUBLE_EQ(*sheet().findRowInfo(1)->height, 30.75);
    EXPECT_DOUBLE_EQ(app->rows(QStringLiteral("6:8"))->rowHeight(), 20);
    EXPECT_TRUE(std::isnan(app->rows(QStringLiteral("5:6"))->rowHeight()));
    EXPECT_DOUBLE_EQ(app->range(QStringLiteral("D9"))->columnWidth(), 37.43);
    EXPECT_DOUBLE_EQ(app->columns(QStringLiteral("F:G"))->columnWidth(), 8);
    EXPECT_TRUE(std::isnan(app->columns(QStringLiteral("C:D"))->columnWidth()));

    app->rows(QStringLiteral("1:1"))->setRowHeight(0);  // hidden is allowed
    app->rows(QStringLiteral("1:1"))->setRowHeight(409);
    EXPECT_HOST_ERROR(app->rows(QStringLiteral("1:1"))->setRowHeight(409.5), "Unable to set the RowHeight property of the Range class");
    EXPECT_HOST_ERROR(app->rows(QStringLiteral("1:1"))->setRowHeight(-0.1), "Unable to set the RowHeight property of the Range class");
    EXPECT_HOST_ERROR(app->columns(QStringLiteral("A:A"))->setColumnWidth(255.5), "Unable to set the ColumnWidth property of the Range class");
    EXPECT_HOST_ERROR(app->columns(QStringLiteral("A:A"))->setColumnWidth(-1), "Unable to set the ColumnWidth property of the Range class");
    EXPECT_DOUBLE_EQ(app->rows(QStringLiteral("1:1"))->rowHeight(), 409);
}

TEST_F(EngineTest, MergeKeepsTheTopLeftValueAndTakesInOverlappingAreas) {
    write(QStringLiteral("$B$2:$I$2"), QStringLiteral("Check Register"));
    write(QStringLiteral("D2"), QStringLiteral("lost"));
    app->range(QStringLiteral("$B$2:$I$2"))->select();
    app->selection()->merge();
    ASSERT_EQ(sheet().merges.size(), 1u);
    EXPECT_EQ(sheet().merges[0], (model::CellRange{1, 1, 1, 8}));
    EXPECT_EQ(valueAt(QStringLiteral("B2")), host::Value(QStringLiteral("Check Register")));
    EXPECT_EQ(valueAt(QStringLiteral("D2")), host::Value());
    EXPECT_EQ(app->selection()->address(), QStringLiteral("$B$2:$I$2"));

    app->range(QStringLiteral("$B$4"))->merge();  // a single cell changes nothing
    EXPECT_EQ(sheet().merges.size(), 1u);

    app->range(QStringLiteral("H1:K3"))->merge();  // overlaps the title: one area covering both
    ASSERT_EQ(sheet().merges.size(), 1u);
    EXPECT_EQ(sheet().merges[0], (model::CellRange{0, 1, 2, 10}));
}

TEST_F(EngineTest, ClearRemovesContentFormatsAndMergesButKeepsSizes) {
    write(QStringLiteral("B2"), QStringLiteral("title"));
    app->range(QStringLiteral("B2:C2"))->merge();
    app->range(QStringLiteral("B6:H6"))->interior().setColorIndex(39);
    app->cells()->font().setSize(12);
    app->rows(QStringLiteral("2:2"))->setRowHeight(30.75);
    app->columns(QStringLiteral("D:D"))->setColumnWidth(37.43);

    app->range(QStringLiteral("G6:H6"))->clear();  // a block: only its cells lose their format
    EXPECT_EQ(styleAt(6, 7).fillColorIndex, model::kColorNone);
    EXPECT_EQ(styleAt(6, 7).font.size, 10);
    EXPECT_EQ(styleAt(6, 6).fillColorIndex, 39);

    app->cells()->clear();
    EXPECT_EQ(storedCells(sheet()), 0);
    EXPECT_TRUE(sheet().merges.empty());
    EXPECT_EQ(styleAt(6, 2), model::CellStyle{});
    EXPECT_DOUBLE_EQ(app->rows(QStringLiteral("2:2"))->rowHeight(), 30.75);
    EXPECT_DOUBLE_EQ(app->columns(QStringLiteral("D:D"))->columnWidth(), 37.43);
}

TEST_F(EngineTest, UsedRangeCoversContentFormatsMergesAndSizedRows) {
    auto used = [&] { return app->activeSheet()->usedRange(); };
    EXPECT_EQ(used()->address(), QStringLiteral("$A$1"));
    app->cells()->interior().setColorIndex(2);  // sheet-wide formats do not count
    app->columns(QStringLiteral("K:K"))->setColumnWidth(15);
    EXPECT_EQ(used()->address(), QStringLiteral("$A$1"));

    app->rows(QStringLiteral("1:1"))->setRowHeight(12);
    app->rows(QStringLiteral("9:9"))->setRowHeight(20);
    EXPECT_EQ(used()->address(), QStringLiteral("$A$1:$A$9"));
    app->range(QStringLiteral("B2:I2"))->merge();
    write(QStringLiteral("C6"), QStringLiteral("1"));
    app->range(QStringLiteral("B8:H8"))->interior().setColorIndex(39);
    EXPECT_EQ(used()->address(), QStringLiteral("$B$1:$I$9"));

    auto range = used();
    EXPECT_EQ(range->rows()->item(range->rows()->count())->row(), 9);
    EXPECT_EQ(range->columns()->item(range->columns()->count())->column(), 9);
    EXPECT_EQ(range->count(), 9 * 8);
}

TEST_F(EngineTest, RowsColumnsAndItemStepAsTheRangeSays) {
    auto area = app->range(QStringLiteral("B6:H8"));
    EXPECT_EQ(area->count(), 21);
    EXPECT_EQ(area->rows()->count(), 3);
    EXPECT_EQ(area->columns()->count(), 7);
    EXPECT_EQ(area->item(8)->address(), QStringLiteral("$B$7"));
    EXPECT_EQ(area->rows()->item(2)->address(), QStringLiteral("$B$7:$H$7"));
    EXPECT_EQ(area->columns()->item(7)->address(), QStringLiteral("$H$6:$H$8"));
    EXPECT_EQ(area->row(), 6);
    EXPECT_EQ(area->column(), 2);
    EXPECT_EQ(app->rows(QStringLiteral("7:9"))->count(), 3);
    EXPECT_EQ(app->columns(QStringLiteral("A:K"))->count(), 11);
    EXPECT_EQ(app->cells()->count(), 65536 * 256);
    EXPECT_HOST_ERROR(area->item(0), "Unable to get the Item property of the Range class");
    EXPECT_HOST_ERROR(app->activeSheet()->cell(65536, 1)->rows()->item(2), "Unable to get the Item property of the Range class");
}

// The same edit on cells of different formats gives each the edit on top of its own format, every time it
// is made; the same edit on the same format gives the same format.
TEST_F(EngineTest, RepeatedEditsBuildOnEachCellsOwnFormat) {
    app->range(QStringLiteral("B2"))->font().setFontStyle(QStringLiteral("Bold"));
    app->range(QStringLiteral("B3"))->font().setSize(14);
    for (int round = 0; round < 2; ++round) {
        for (const char* address : {"B2", "B3", "B4"}) app->range(QLatin1String(address))->interior().setColorIndex(6);
        EXPECT_TRUE(styleAt(2, 2).font.bold);
        EXPECT_EQ(styleAt(2, 2).font.size, 10);
        EXPECT_FALSE(styleAt(3, 2).font.bold);
        EXPECT_EQ(styleAt(3, 2).font.size, 14);
        EXPECT_FALSE(styleAt(4, 2).font.bold);
        for (int row = 2; row <= 4; ++row) EXPECT_EQ(styleAt(row, 2).fillColorIndex, 6) << row;
        app->range(QStringLiteral("B2:B4"))->interior().setColorIndex(7);
        for (int row = 2; row <= 4; ++row) EXPECT_EQ(styleAt(row, 2).fillColorIndex, 7) << row;
    }
    app->range(QStringLiteral("C4"))->interior().setColorIndex(7);
    EXPECT_EQ(sheet().effectiveStyle(3, 2), sheet().effectiveStyle(3, 1));  // C4 and B4: one format
    app->range(QStringLiteral("B2:B4"))->setHorizontalAlignment(host::xl::Right);
    app->range(QStringLiteral("B2:B4"))->setWrapText(true);
    EXPECT_TRUE(styleAt(2, 2).font.bold && styleAt(2, 2).wrap && styleAt(2, 2).hAlign == model::HAlign::Right);
    EXPECT_FALSE(styleAt(4, 3).wrap);
}
