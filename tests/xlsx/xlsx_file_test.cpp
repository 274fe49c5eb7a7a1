// Our .xlsx as a reader nobody here wrote sees it: openpyxl (skipped when
// it is not installed). Each workbook is written once and read once.

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>

#include <cmath>

#include "engine/formula/formula_text.h"
#include "frame/failure.h"
#include "tests/xls/register_workbook.h"
#include "xlsx/xlsx_file.h"

#ifndef BREVANTA_XLSX_TEST_DIR
#error "BREVANTA_XLSX_TEST_DIR must name the folder of this test"
#endif

namespace brevanta {
namespace {

constexpr int kTransactions = 40;
const QString kPython = QStringLiteral("/usr/bin/python3");

bool haveOpenpyxl() {
    QProcess probe;
    probe.start(kPython, {QStringLiteral("-c"), QStringLiteral("import openpyxl")});
    return probe.waitForFinished(30000) && probe.exitStatus() == QProcess::NormalExit && probe.exitCode() == 0;
}

QJsonObject openpyxlReport(const QString& path, const QStringList& options = {}) {
    QProcess process;
    process.start(kPython, QStringList{QStringLiteral(BREVANTA_XLSX_TEST_DIR "/openpyxl_report.py"), path} + options);
    EXPECT_TRUE(process.waitForFinished(120000));
    EXPECT_EQ(process.exitCode(), 0) << process.readAllStandardError().toStdString();
    return QJsonDocument::fromJson(process.readAllStandardOutput()).object();
}

QString cellName(int row, int col) { return QString(QLatin1Char(char('A' + col))) + QString::number(row + 1); }

// The width a reader finds: ours in characters plus the cell padding, in 256ths.
double storedWidth(double characters) { return (std::floor(characters * 7 + 0.5) + 5) / 7; }

QString hex(model::ColorValue value) {
    return QStringLiteral("%1%2%3")
        .arg(model::redOf(value), 2, 16, QLatin1Char('0'))
        .arg(model::greenOf(value), 2, 16, QLatin1Char('0'))
        .arg(model::blueOf(value), 2, 16, QLatin1Char('0'))
        .toUpper();
}

// The register with what makes a writer work: zero amounts (an empty
// balance, then errors from arithmetic on text), a text amount, a formula
// typed as a description, non-Latin and long texts, an error constant.
std::unique_ptr<model::Workbook> edgeRegister() {
    auto workbook = xlstest::registerWorkbook(kTransactions);
    model::Sheet& sheet = *workbook->sheets[0];
    sheet.at(30, 6).value = model::Value();
    sheet.at(30, 7).value = model::Value();
    sheet.at(40, 7).value = QStringLiteral("12.5 EUR");
    sheet.at(12, 3).formula = engine::parseFormulaR1C1(QStringLiteral("=100*3"));
    sheet.at(13, 3).value = QStringLiteral("Überweisung – Miete 東京 😀");
    sheet.at(14, 3).value = QString(5000, QLatin1Char('x'));
    sheet.at(15, 4).value = model::ErrorCode::NA;
    sheet.at(16, 4).value = true;
    xlstest::computeValues(*workbook);
    return workbook;
}

class XlsxByOpenpyxl : public ::testing::Test {
protected:
    void SetUp() override {
        if (!haveOpenpyxl()) GTEST_SKIP() << "python3-openpyxl is not installed";
    }
    QTemporaryDir folder;
};

TEST_F(XlsxByOpenpyxl, TheRegisterKeepsValuesFormulasFormatsAndItsPrintedPage) {
    const auto workbook = edgeRegister();
    const model::Sheet& sheet = *workbook->sheets[0];
    const QString path = folder.filePath(QStringLiteral("register.xlsx"));
    xlsx::writeWorkbook(*workbook, path);
    const QJsonObject report = openpyxlReport(path);

    EXPECT_EQ(report[QLatin1String("sheets")].toArray(), QJsonArray{QStringLiteral("Check Register")});
    EXPECT_EQ(report[QLatin1String("merged")].toArray(), QJsonArray{QStringLiteral("B2:I2")});

    // Every value, and every formula with its cached result.
    const QJsonObject cells = report[QLatin1String("cells")].toObject();
    int formulas = 0;
    for (int r = 0; r < sheet.rowExtent(); ++r) {
        sheet.forEachCellInRow(r, [&](int c, const model::Cell& cell) {
            const QJsonObject seen = cells[cellName(r, c)].toObject();
            const std::string where = cellName(r, c).toStdString();
            const QJsonValue cached = seen[QLatin1String("cached")];
            if (cell.formula) {
                ++formulas;
                EXPECT_EQ(seen[QLatin1String("value")].toString(), engine::formulaToA1(cell.formula->root, r, c)) << where;
            }
            if (const double* number = std::get_if<double>(&cell.value)) {
                if (seen[QLatin1String("type")] == QLatin1String("d")) return;  // a date: shown as one, checked below
                // Written with 16 significant digits: the last bit of a sum may differ.
                EXPECT_NEAR(cached.toDouble(), *number, 1e-15 * std::max(1.0, std::fabs(*number))) << where;
            } else if (const QString* text = std::get_if<QString>(&cell.value)) {
                EXPECT_EQ(cached.toString(), *text) << where;
            } else if (const auto* error = std::get_if<model::ErrorCode>(&cell.value)) {
                EXPECT_EQ(cached.toString(), model::errorText(*error)) << where;
            } else if (const bool* truth = std::get_if<bool>(&cell.value)) {
                EXPECT_EQ(cached.toBool(), *truth) << where;
            } else {
                EXPECT_TRUE(cached.isNull() || cached.isUndefined()) << where;  // covered cells are not listed
            }
        });
    }
    EXPECT_EQ(formulas, 2 * kTransactions + 1);  // balance and running total
    EXPECT_EQ(cells[QLatin1String("B6")].toObject()[QLatin1String("type")].toString(), QStringLiteral("d"));
    EXPECT_EQ(cells[QLatin1String("B6")].toObject()[QLatin1String("value")].toString(), QStringLiteral("2024-01-01T00:00:00"));
    EXPECT_EQ(cells[QLatin1String("B6")].toObject()[QLatin1String("format")].toString(), QStringLiteral("mm-dd-yy"))
        << "the built-in short date, shown in the reader's own order";

    // Fills by the palette's colours, fonts and alignment.
    const model::Palette palette = xlstest::registerPalette();
    auto cell = [&](const char* name) { return cells[QLatin1String(name)].toObject(); };
    EXPECT_EQ(cell("B2")[QLatin1String("fill")].toString(), hex(palette[1]));
    EXPECT_EQ(cell("B4")[QLatin1String("fill")].toString(), hex(palette[42]));
    EXPECT_EQ(cell("E5")[QLatin1String("fill")].toString(), hex(palette[42]));
    EXPECT_EQ(cell("D6")[QLatin1String("fill")].toString(), hex(palette[1]));
    EXPECT_EQ(cell("D7")[QLatin1String("fill")].toString(), hex(palette[38]));
    EXPECT_EQ(cell("I7")[QLatin1String("fill")].toString(), hex(palette[39]));
    const QJsonObject title = cell("B2")[QLatin1String("font")].toObject();
    EXPECT_EQ(title[QLatin1String("name")].toString(), QStringLiteral("Arial"));
    EXPECT_EQ(title[QLatin1String("size")].toDouble(), 24);
    EXPECT_TRUE(title[QLatin1String("bold")].toBool());
    EXPECT_EQ(title[QLatin1String("colour")].toString(), QStringLiteral("000000")) << "colour index 0 draws black";
    const QJsonObject header = cell("C4")[QLatin1String("font")].toObject();
    EXPECT_EQ(header[QLatin1String("size")].toDouble(), 9);
    EXPECT_TRUE(header[QLatin1String("colour")].isNull()) << "automatic";
    EXPECT_EQ(cell("C4")[QLatin1String("h")].toString(), QStringLiteral("center"));
    EXPECT_EQ(cell("D6")[QLatin1String("v")].toString(), QStringLiteral("center"));
    EXPECT_TRUE(cell("D6")[QLatin1String("wrap")].toBool());
    EXPECT_EQ(cell("D6")[QLatin1String("font")].toObject()[QLatin1String("size")].toDouble(), 10);

    // Widths in characters, heights in points.
    const QJsonObject widths = report[QLatin1String("widths")].toObject();
    const char* letters[] = {"A", "B", "C", "D", "E", "F", "G", "H", "I"};
    for (int c = 0; c < 9; ++c)
        EXPECT_NEAR(widths[QLatin1String(letters[c])].toDouble(), storedWidth(*sheet.columns[c].width), 1.0 / 256) << letters[c];
    const QJsonObject heights = report[QLatin1String("heights")].toObject();
    for (int r = 0; r <= kTransactions + 5; ++r)
        EXPECT_EQ(heights[QString::number(r + 1)].toDouble(), *sheet.findRowInfo(r)->height) << "row " << r + 1;
    EXPECT_EQ(report[QLatin1String("default_height")].toDouble(), 12.75);

    // The printed page, its titles and the selection.
    const QJsonObject page = report[QLatin1String("page")].toObject();
    EXPECT_EQ(page[QLatin1String("paper")].toInt(), 9);
    EXPECT_EQ(page[QLatin1String("orientation")].toString(), QStringLiteral("landscape"));
    EXPECT_TRUE(page[QLatin1String("fit")].toBool());
    EXPECT_EQ(page[QLatin1String("fit_wide")].toInt(1), 1) << "left out: the default, 1";
    EXPECT_EQ(page[QLatin1String("fit_tall")].toInt(-1), 0) << "as many pages down as it takes";
    EXPECT_EQ(report[QLatin1String("hidden_columns")].toArray(), QJsonArray{QStringLiteral("J")});
    EXPECT_TRUE(page[QLatin1String("scale")].isNull());
    EXPECT_EQ(page[QLatin1String("margins")].toArray(), (QJsonArray{0.7, 0.7, 0.5, 0.5, 0.0, 0.0}));
    EXPECT_FALSE(page[QLatin1String("gridlines")].toBool());
    EXPECT_EQ(page[QLatin1String("centred")].toArray(), (QJsonArray{false, false}));
    EXPECT_EQ(report[QLatin1String("print_titles")].toString(), QStringLiteral("$4:$5"));
    EXPECT_TRUE(report[QLatin1String("print_area")].isNull());
    EXPECT_EQ(report[QLatin1String("active_cell")].toString(), QStringLiteral("B6"));
    EXPECT_EQ(report[QLatin1String("selection")].toString(), QStringLiteral("B6"));
}

// The longest register the list allows, written with rows streamed: its
// last rows carry the same formats, formula and balance as the first.
TEST_F(XlsxByOpenpyxl, ALongRegisterEndsAsItBegins) {
    constexpr int kRows = 32768;
    const auto workbook = xlstest::registerWorkbook(kRows);
    const model::Sheet& sheet = *workbook->sheets[0];
    const QString path = folder.filePath(QStringLiteral("long.xlsx"));
    xlsx::writeWorkbook(*workbook, path);
    const QJsonObject report = openpyxlReport(path, {QStringLiteral("--last-rows")});
    EXPECT_EQ(report[QLatin1String("max_row")].toInt(), kRows + 6) << "the empty banded row below the last";
    const QJsonObject cells = report[QLatin1String("cells")].toObject();
    const int last = kRows + 4;  // 0-based
    const QJsonObject balance = cells[cellName(last, 8)].toObject();
    EXPECT_EQ(balance[QLatin1String("value")].toString(), engine::formulaToA1(sheet.find(last, 8)->formula->root, last, 8));
    EXPECT_NEAR(balance[QLatin1String("cached")].toDouble(), std::get<double>(sheet.find(last, 8)->value), 1e-6);
    EXPECT_EQ(balance[QLatin1String("fill")].toString(), hex(workbook->palette[39]));
    EXPECT_EQ(cells[cellName(last, 3)].toObject()[QLatin1String("value")].toString(),
              std::get<QString>(sheet.find(last, 3)->value));
}

// What the register does not use but the model holds: merges over several
// rows (written without streaming rows), several sheets, the active one,
// a print area, a zoom, and an active cell in a corner of its selection.
TEST_F(XlsxByOpenpyxl, MergesOverRowsSheetsPrintAreaZoomAndSelection) {
    model::Workbook workbook;
    auto& first = *workbook.sheets.emplace_back(std::make_unique<model::Sheet>(QStringLiteral("Notes")));
    first.at(0, 0).value = QStringLiteral("first");
    auto& sheet = *workbook.sheets.emplace_back(std::make_unique<model::Sheet>(QStringLiteral("Täglich")));
    workbook.activeSheet = 1;
    model::CellStyle red;
    red.fillColorIndex = 3;
    red.font.italic = true;
    model::CellStyle blue = red;
    blue.fillColorIndex = 32;
    const model::StyleId redStyle = workbook.styles.intern(red), blueStyle = workbook.styles.intern(blue);
    sheet.at(1, 1) = {QStringLiteral("merged"), nullptr, redStyle};
    sheet.at(3, 2).style = blueStyle;  // a covered cell with a format of its own
    sheet.merges.push_back({1, 1, 3, 2});
    sheet.at(5, 1).value = 7.0;
    sheet.at(6, 1).formula = engine::parseFormulaR1C1(QStringLiteral("=R[-1]C*2"));
    xlstest::computeValues(workbook);
    sheet.page.printArea = QStringLiteral("$B$2:$C$7");
    sheet.page.zoom = 85;
    sheet.page.orientation = 1;
    sheet.page.printTitleColumns = std::make_pair(0, 1);
    sheet.page.printGridlines = true;
    sheet.page.centerHorizontally = true;
    sheet.selection = {1, 1, 6, 2};
    sheet.activeCell = {6, 2};

    const QString path = folder.filePath(QStringLiteral("book.xlsx"));
    xlsx::writeWorkbook(workbook, path);
    const QJsonObject report = openpyxlReport(path);
    EXPECT_EQ(report[QLatin1String("sheets")].toArray(), (QJsonArray{QStringLiteral("Notes"), QStringLiteral("Täglich")}));
    EXPECT_EQ(report[QLatin1String("active")].toString(), QStringLiteral("Täglich"));
    EXPECT_EQ(report[QLatin1String("merged")].toArray(), QJsonArray{QStringLiteral("B2:C4")});
    const QJsonObject cells = report[QLatin1String("cells")].toObject();
    EXPECT_EQ(cells[QLatin1String("B2")].toObject()[QLatin1String("value")].toString(), QStringLiteral("merged"));
    EXPECT_EQ(cells[QLatin1String("B2")].toObject()[QLatin1String("fill")].toString(), QStringLiteral("FF0000"));
    EXPECT_TRUE(cells[QLatin1String("B2")].toObject()[QLatin1String("font")].toObject()[QLatin1String("italic")].toBool());
    EXPECT_EQ(cells[QLatin1String("B7")].toObject()[QLatin1String("value")].toString(), QStringLiteral("=B6*2"));
    EXPECT_EQ(cells[QLatin1String("B7")].toObject()[QLatin1String("cached")].toDouble(), 14);
    EXPECT_EQ(report[QLatin1String("print_area")].toArray(), QJsonArray{QStringLiteral("$B$2:$C$7")});
    const QJsonObject page = report[QLatin1String("page")].toObject();
    EXPECT_EQ(page[QLatin1String("scale")].toInt(), 85);
    EXPECT_FALSE(page[QLatin1String("fit")].toBool());
    EXPECT_EQ(page[QLatin1String("orientation")].toString(), QStringLiteral("portrait"));
    EXPECT_TRUE(page[QLatin1String("gridlines")].toBool());
    EXPECT_EQ(page[QLatin1String("centred")].toArray(), (QJsonArray{true, false}));
    EXPECT_EQ(report[QLatin1String("print_title_columns")].toString(), QStringLiteral("$A:$B"));
    EXPECT_EQ(report[QLatin1String("active_cell")].toString(), QStringLiteral("C7"));
    EXPECT_EQ(report[QLatin1String("selection")].toString(), QStringLiteral("B2:C7"));
}

QStringList namesIn(const QTemporaryDir& folder) {
    return QDir(folder.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot);
}

TEST(XlsxFile, AWorkbookThatCannotBeWrittenLeavesTheOldFileWholeAndNothingBeside) {
    QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("register.xlsx"));
    {
        QFile old(path);
        ASSERT_TRUE(old.open(QIODevice::WriteOnly));
        old.write("OLD");
    }
    auto workbook = xlstest::registerWorkbook(2);
    workbook->sheets[0]->name = QStringLiteral("Check [Register]");  // brackets are not allowed in a sheet name
    try {
        xlsx::writeWorkbook(*workbook, path);
        ADD_FAILURE() << "written";
    } catch (const frame::Failure& failure) {
        EXPECT_TRUE(failure.description().startsWith(QStringLiteral("Cannot write ") + path + QStringLiteral(": ")))
            << failure.description().toStdString();
        EXPECT_TRUE(failure.description().contains(QStringLiteral("Check [Register]"))) << failure.description().toStdString();
    }
    QFile old(path);
    ASSERT_TRUE(old.open(QIODevice::ReadOnly));
    EXPECT_EQ(old.readAll(), QByteArray("OLD"));
    EXPECT_EQ(namesIn(folder), QStringList{QStringLiteral("register.xlsx")});

    // A number format longer than libxlsxwriter keeps is refused, not cut.
    auto longFormat = xlstest::registerWorkbook(1);
    model::CellStyle style;
    style.numberFormat = QStringLiteral("0.00") + QString(200, QLatin1Char('_'));
    longFormat->sheets[0]->at(5, 2).style = longFormat->styles.intern(style);
    try {
        xlsx::writeWorkbook(*longFormat, path);
        ADD_FAILURE() << "written";
    } catch (const frame::Failure& failure) {
        EXPECT_TRUE(failure.description().contains(QStringLiteral("too long"))) << failure.description().toStdString();
    }
    EXPECT_EQ(namesIn(folder), QStringList{QStringLiteral("register.xlsx")});

    // A source that is no workbook is refused before anything is written.
    const QString garbage = folder.filePath(QStringLiteral("garbage.xls"));
    {
        QFile file(garbage);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write("not a workbook");
    }
    EXPECT_THROW(xlsx::convertXlsWorkbook(garbage, path), frame::Failure);
    EXPECT_EQ(namesIn(folder), (QStringList{QStringLiteral("garbage.xls"), QStringLiteral("register.xlsx")}));
}

}  // namespace
}  // namespace brevanta
