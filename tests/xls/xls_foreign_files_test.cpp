// Reading a file another program wrote (fixtures/office_plain.xls, made by
// make_fixtures.sh with LibreOffice): MULRK, SST, shared formulas, tAttrSum,
// user number formats.

#include <gtest/gtest.h>

#include "engine/formula/formula_text.h"
#include "xls/xls_file.h"

namespace brevanta::xlstest {
namespace {

TEST(ForeignFile, ValuesFormulasAndFormatsOfALibreOfficeFile) {
    const auto workbook = xls::readWorkbook(QStringLiteral(BREVANTA_XLS_TEST_DIR "/fixtures/office_plain.xls"));
    ASSERT_EQ(workbook->sheets.size(), 1u);
    const model::Sheet& sheet = *workbook->sheets[0];
    EXPECT_EQ(sheet.name, QStringLiteral("office_plain"));
    auto value = [&](int r, int c) { const model::Cell* cell = sheet.find(r, c); return cell ? cell->value : model::Value{}; };
    auto formula = [&](int r, int c) {
        const model::Cell* cell = sheet.find(r, c);
        return cell && cell->formula ? engine::formulaToR1C1(cell->formula->root) : QString();
    };
    EXPECT_EQ(value(0, 3), model::Value(QStringLiteral("Note")));
    EXPECT_EQ(value(1, 1), model::Value(-750.5));
    EXPECT_EQ(value(2, 0), model::Value(QStringLiteral("Café, corner")));
    EXPECT_EQ(value(2, 3), model::Value(QStringLiteral("東京")));
    EXPECT_EQ(value(1, 2), model::Value(45352.0));
    EXPECT_EQ(workbook->styles.get(sheet.effectiveStyle(1, 2)).numberFormat, QStringLiteral("yyyy\\-mm\\-dd"));
    EXPECT_EQ(value(3, 1), model::Value(-747.3));
    EXPECT_EQ(formula(3, 1), QStringLiteral("=SUM(R[-2]C:R[-1]C)"));
    for (int r = 4; r <= 6; ++r) EXPECT_EQ(formula(r, 1), QStringLiteral("=R[-3]C*2")) << "shared formula in row " << r;
    EXPECT_EQ(value(5, 1), model::Value(6.4));
}

}  // namespace
}  // namespace brevanta::xlstest
