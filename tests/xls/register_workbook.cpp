#include "tests/xls/register_workbook.h"

#include <gtest/gtest.h>

#include <cmath>

#include "engine/formula/calc.h"
#include "engine/formula/display_format.h"
#include "engine/formula/formula_text.h"

namespace brevanta::xlstest {

using model::CellStyle;

model::Palette registerPalette() {
    constexpr int rgb[56][3] = {
        {0, 0, 0}, {255, 255, 255}, {255, 0, 0}, {0, 255, 0}, {104, 150, 206}, {255, 255, 0}, {255, 0, 255},
        {0, 255, 255}, {128, 0, 0}, {84, 125, 146}, {184, 203, 214}, {55, 82, 95}, {59, 59, 59}, {0, 128, 128},
        {224, 224, 224}, {128, 128, 128}, {153, 153, 255}, {8, 132, 131}, {249, 247, 105}, {204, 255, 255},
        {102, 0, 102}, {255, 128, 128}, {0, 102, 204}, {204, 204, 255}, {0, 0, 128}, {255, 0, 255},
        {255, 255, 0}, {0, 255, 255}, {128, 0, 128}, {128, 0, 0}, {0, 128, 128}, {0, 0, 255}, {0, 204, 255},
        {254, 252, 242}, {234, 236, 254}, {255, 231, 189}, {252, 250, 242}, {255, 153, 204}, {224, 255, 215},
        {253, 247, 223}, {51, 102, 255}, {51, 204, 204}, {161, 208, 255}, {255, 204, 0}, {255, 153, 0},
        {255, 102, 0}, {251, 248, 239}, {207, 207, 207}, {190, 190, 190}, {51, 153, 102}, {115, 158, 211},
        {236, 245, 215}, {153, 51, 0}, {153, 51, 102}, {204, 255, 204}, {51, 51, 51},
    };
    model::Palette palette{};
    for (int i = 0; i < 56; ++i) palette[i] = model::rgbValue(rgb[i][0], rgb[i][1], rgb[i][2]);
    return palette;
}

void computeValues(model::Workbook& workbook) {
    for (auto& calculator : engine::linkedCalculators(workbook)) calculator->computeAll();
}

std::unique_ptr<model::Workbook> registerWorkbook(int transactions) {
    auto workbook = std::make_unique<model::Workbook>();
    workbook->palette = registerPalette();
    auto& sheet = *workbook->sheets.emplace_back(std::make_unique<model::Sheet>(QStringLiteral("Check Register")));
    model::StyleTable& styles = workbook->styles;

    CellStyle base;
    base.vAlign = model::VAlign::Center;
    base.wrap = true;
    base.fillColorIndex = 2;
    sheet.sheetStyle = styles.intern(base);

    const double widths[] = {2.71, 10.86, 10.43, 37.43, 15.51, 8, 11.14, 14, 15, 15, 15};
    for (int c = 0; c < 11; ++c) sheet.columns[c].width = widths[c];
    const double heights[] = {12, 30.75, 7.5, 19.5, 3};
    for (int r = 0; r < 5; ++r) sheet.rowInfo(r).height = heights[r];
    for (int r = 5; r <= transactions + 5; ++r) sheet.rowInfo(r).height = 20;

    CellStyle title = base;
    title.font.bold = true;
    title.font.size = 24;
    title.font.colorIndex = 0;
    const model::StyleId titleStyle = styles.intern(title);
    for (int c = 1; c <= 8; ++c) sheet.at(1, c).style = titleStyle;
    sheet.at(1, 1).value = QStringLiteral("Check Register");
    sheet.merges.push_back({1, 1, 1, 8});

    CellStyle header = base;
    header.hAlign = model::HAlign::Center;
    header.fillColorIndex = 43;
    header.font.bold = true;
    header.font.size = 9;
    const model::StyleId headerStyle = styles.intern(header);
    const char* headers[] = {"Date", "Number", "Description Of Transaction", "Category", "Cleared",
                             "Debit (-)", "Credit (+)", "Balance"};
    for (int c = 1; c <= 8; ++c) {
        model::Cell& cell = sheet.at(3, c);
        cell.value = QString::fromLatin1(headers[c - 1]);
        cell.style = headerStyle;
    }
    CellStyle band = base;
    band.fillColorIndex = 43;
    const model::StyleId bandStyle = styles.intern(band);
    for (int c = 1; c <= 8; ++c) sheet.at(4, c).style = bandStyle;

    CellStyle odd = base;
    odd.fillColorIndex = 39;
    CellStyle balance = base;
    balance.fillColorIndex = 40;
    CellStyle even = base;
    const model::StyleId oddStyle = styles.intern(odd), evenStyle = styles.intern(even),
                         balanceStyle = styles.intern(balance);
    CellStyle evenDate = even, oddDate = odd;
    evenDate.numberFormat = oddDate.numberFormat = QStringLiteral("m/d/yyyy");
    const model::StyleId evenDateStyle = styles.intern(evenDate), oddDateStyle = styles.intern(oddDate);

    // The balance shows the running total kept in the hidden column J.
    const model::FormulaPtr balanceFormula = engine::parseFormulaR1C1(
        QStringLiteral("=IF(AND(ISBLANK(RC[-2]),ISBLANK(RC[-1])),\"\",RC[1]+0*(RC[-2]+RC[-1]))"));
    const model::FormulaPtr totalFormula = engine::parseFormulaR1C1(QStringLiteral("=R[-1]C+SUM(RC[-2])-SUM(RC[-3])"));
    sheet.columns[9].hidden = true;
    for (int i = 0; i < transactions; ++i) {
        const int r = 5 + i;
        const bool evenRow = (r + 1) % 2 == 0;
        const model::StyleId fill = evenRow ? evenStyle : oddStyle;
        sheet.at(r, 1) = {engine::dateToSerial(2024, 1 + i % 12, 1 + i % 28), nullptr, evenRow ? evenDateStyle : oddDateStyle};
        sheet.at(r, 2) = {double(i + 1), nullptr, fill};
        sheet.at(r, 3) = {QStringLiteral("Payment %1").arg(i % 50), nullptr, fill};
        sheet.at(r, 4) = {QStringLiteral("Category %1").arg(i % 7), nullptr, fill};
        sheet.at(r, 5) = {i % 3 == 0 ? model::Value(QStringLiteral("Y")) : model::Value(), nullptr, fill};
        sheet.at(r, 6) = {i % 2 ? model::Value(12.34 + i) : model::Value(), nullptr, fill};
        sheet.at(r, 7) = {i % 2 ? model::Value() : model::Value(1000.0 + i * 0.01), nullptr, fill};
        sheet.at(r, 8) = {model::Value(), balanceFormula, balanceStyle};
        sheet.at(r, 9) = {model::Value(), totalFormula, model::kNoStyle};
    }

    model::PageSetupData& page = sheet.page;
    page.leftMargin = page.rightMargin = 0.7 * 72;
    page.topMargin = page.bottomMargin = 0.5 * 72;
    page.headerMargin = page.footerMargin = 0;
    page.orientation = 2;
    page.paperSize = 9;
    page.zoom.reset();
    page.fitToPagesWide = 1;
    page.fitToPagesTall = 0;  // as many pages down as it takes
    page.printTitleRows = std::make_pair(3, 4);
    sheet.selection = {5, 1, 5, 1};
    sheet.activeCell = {5, 1};
    computeValues(*workbook);
    return workbook;
}

// ---------------------------------------------------------------- comparison

namespace {

QString describe(const model::Value& value) {
    if (model::isEmpty(value)) return QStringLiteral("(empty)");
    if (const double* d = std::get_if<double>(&value)) return QString::number(*d, 'g', 17);
    if (const QString* s = std::get_if<QString>(&value)) return QLatin1Char('"') + s->left(40) + QLatin1Char('"');
    if (const bool* b = std::get_if<bool>(&value)) return *b ? QStringLiteral("TRUE") : QStringLiteral("FALSE");
    return model::errorText(std::get<model::ErrorCode>(value));
}

bool near(double a, double b) { return std::fabs(a - b) < 1e-9; }

void expectSamePage(const model::PageSetupData& a, const model::PageSetupData& b) {
    EXPECT_TRUE(near(a.leftMargin, b.leftMargin) && near(a.rightMargin, b.rightMargin) &&
                near(a.topMargin, b.topMargin) && near(a.bottomMargin, b.bottomMargin) &&
                near(a.headerMargin, b.headerMargin) && near(a.footerMargin, b.footerMargin))
        << "margins differ";
    EXPECT_EQ(a.orientation, b.orientation);
    EXPECT_EQ(a.paperSize, b.paperSize);
    EXPECT_EQ(a.zoom, b.zoom);
    EXPECT_EQ(a.fitToPagesWide, b.fitToPagesWide);
    EXPECT_EQ(a.fitToPagesTall, b.fitToPagesTall);
    EXPECT_EQ(a.printTitleRows, b.printTitleRows);
    EXPECT_EQ(a.printArea, b.printArea);
}

void expectSameSheet(const model::Workbook& wa, const model::Sheet& a, const model::Workbook& wb, const model::Sheet& b) {
    auto style = [](const model::Workbook& w, model::StyleId id) { return w.styles.get(id); };
    EXPECT_EQ(a.name, b.name);
    EXPECT_DOUBLE_EQ(a.standardRowHeight, b.standardRowHeight);
    EXPECT_TRUE(style(wa, a.sheetStyle) == style(wb, b.sheetStyle)) << "sheet-wide format differs";
    for (int c = 0; c < model::kMaxColumns; ++c) {
        EXPECT_EQ(a.columns[c].width.has_value(), b.columns[c].width.has_value()) << "column " << c;
        EXPECT_EQ(a.columns[c].hidden, b.columns[c].hidden) << "column " << c;
        if (a.columns[c].width && b.columns[c].width) {
            EXPECT_NEAR(*a.columns[c].width, *b.columns[c].width, 0.0051) << "column " << c;
        }
        const auto styleA = style(wa, a.columns[c].style == model::kNoStyle ? a.sheetStyle : a.columns[c].style);
        const auto styleB = style(wb, b.columns[c].style == model::kNoStyle ? b.sheetStyle : b.columns[c].style);
        EXPECT_TRUE(styleA == styleB) << "column " << c << " format differs";
    }
    const int rows = std::max(a.rowExtent(), b.rowExtent());
    int columns = 0;
    auto widen = [&columns](int, int c, const model::Cell&) { columns = std::max(columns, c + 2); };
    a.forEachCell(widen);
    b.forEachCell(widen);
    columns = std::min(columns, model::kMaxColumns);
    int failures = 0;
    for (int r = 0; r < rows && failures < 20; ++r) {
        const model::RowInfo* ra = a.findRowInfo(r);
        const model::RowInfo* rb = b.findRowInfo(r);
        const auto heightA = ra ? ra->height : std::nullopt;
        const auto heightB = rb ? rb->height : std::nullopt;
        if (heightA != heightB) { ADD_FAILURE() << "height of row " << r; ++failures; }
        for (int c = 0; c < columns; ++c) {
            const model::Cell* ca = a.find(r, c);
            const model::Cell* cb = b.find(r, c);
            if (!(style(wa, a.effectiveStyle(r, c)) == style(wb, b.effectiveStyle(r, c)))) {
                ADD_FAILURE() << "format of cell " << r << "," << c;
                ++failures;
            }
            if (!ca && !cb) continue;
            const model::Value va = ca ? ca->value : model::Value{};
            const model::Value vb = cb ? cb->value : model::Value{};
            if (!(va == vb)) {
                ADD_FAILURE() << "value of cell " << r << "," << c << ": " << describe(va).toStdString()
                              << " became " << describe(vb).toStdString();
                ++failures;
            }
            const QString fa = ca && ca->formula ? engine::formulaToR1C1(ca->formula->root) : QString();
            const QString fb = cb && cb->formula ? engine::formulaToR1C1(cb->formula->root) : QString();
            if (fa != fb) {
                ADD_FAILURE() << "formula of cell " << r << "," << c << ": " << fa.toStdString() << " became "
                              << fb.toStdString();
                ++failures;
            }
        }
    }
    std::vector<model::CellRange> mergesA;
    for (const auto& m : a.merges)
        if (m.rowCount() > 1 || m.colCount() > 1) mergesA.push_back(m);
    EXPECT_EQ(mergesA, b.merges);
    expectSamePage(a.page, b.page);
    EXPECT_EQ(a.selection, b.selection);
    EXPECT_EQ(a.activeCell, b.activeCell);
}

}  // namespace

void expectSameWorkbook(const model::Workbook& expected, const model::Workbook& actual) {
    EXPECT_EQ(expected.palette, actual.palette);
    EXPECT_EQ(expected.activeSheet, actual.activeSheet);
    ASSERT_EQ(expected.sheets.size(), actual.sheets.size());
    for (size_t i = 0; i < expected.sheets.size(); ++i)
        expectSameSheet(expected, *expected.sheets[i], actual, *actual.sheets[i]);
}

}  // namespace brevanta::xlstest
