// Our files as readers nobody here wrote see them: xlrd, LibreOffice and
// Gnumeric. Each tool is skipped when it is not installed. Slow converters
// run once per suite, on all files together.

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <cmath>

#include "engine/formula/formula_text.h"
#include "tests/xls/register_workbook.h"
#include "xls/workbook_stream.h"
#include "xls/xls_file.h"

#ifndef BREVANTA_XLS_TEST_DIR
#error "BREVANTA_XLS_TEST_DIR must name the folder of this test"
#endif

namespace brevanta::xlstest {
namespace {

constexpr int kTransactions = 40;

struct ProcessResult {
    bool started = false;
    int exitCode = -1;
    QByteArray out;
    QByteArray err;
};

ProcessResult run(const QString& program, const QStringList& arguments, int timeoutMs = 120000) {
    ProcessResult result;
    QProcess process;
    process.start(program, arguments);
    if (!process.waitForStarted(10000)) return result;
    result.started = true;
    process.waitForFinished(timeoutMs);
    result.exitCode = process.exitCode();
    result.out = process.readAllStandardOutput();
    result.err = process.readAllStandardError();
    return result;
}

bool installed(const QString& program) { return !QStandardPaths::findExecutable(program).isEmpty(); }

// The register with the cases that make balances interesting: zero amounts
// (an empty balance, then errors from arithmetic on text), a text amount,
// a formula typed as a description, non-Latin text.
std::unique_ptr<model::Workbook> interopWorkbook() {
    auto workbook = registerWorkbook(kTransactions);
    model::Sheet& sheet = *workbook->sheets[0];
    sheet.at(30, 6).value = model::Value();
    sheet.at(30, 7).value = model::Value();
    sheet.at(40, 7).value = QStringLiteral("12.5 EUR");
    sheet.at(12, 3).formula = engine::parseFormulaR1C1(QStringLiteral("=100*3"));
    sheet.at(13, 3).value = QStringLiteral("Überweisung – Miete 東京");
    computeValues(*workbook);
    return workbook;
}

using Grid = std::vector<QStringList>;

Grid readCsv(const QString& path) {
    QFile file(path);
    Grid grid;
    if (!file.open(QIODevice::ReadOnly)) return grid;
    const QString text = QString::fromUtf8(file.readAll());
    QStringList row;
    QString field;
    bool quoted = false;
    for (int i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (quoted) {
            if (c == QLatin1Char('"') && i + 1 < text.size() && text[i + 1] == QLatin1Char('"')) { field += c; ++i; }
            else if (c == QLatin1Char('"')) quoted = false;
            else field += c;
        } else if (c == QLatin1Char('"')) quoted = true;
        else if (c == QLatin1Char(',')) { row << field; field.clear(); }
        else if (c == QLatin1Char('\n')) { row << field; field.clear(); grid.push_back(row); row.clear(); }
        else if (c != QLatin1Char('\r')) field += c;
    }
    if (!field.isEmpty() || !row.isEmpty()) { row << field; grid.push_back(row); }
    return grid;
}

// Compares a converter's CSV with the model from the header row on; the
// converter may leave out leading empty rows and columns, so the header's
// "Date" fixes where column B is.
void expectCsvShowsRegister(const Grid& grid, const model::Sheet& sheet, const char* tool) {
    int headerRow = -1, dateCol = -1;
    for (int r = 0; r < int(grid.size()) && headerRow < 0; ++r)
        for (int c = 0; c < grid[r].size(); ++c)
            if (grid[r][c] == QLatin1String("Date")) { headerRow = r; dateCol = c; break; }
    ASSERT_GE(headerRow, 0) << tool << ": no header row";
    int compared = 0;
    for (int i = 0; i < kTransactions; ++i) {
        const int modelRow = 5 + i;
        const int csvRow = headerRow + 2 + i;
        ASSERT_LT(csvRow, int(grid.size())) << tool;
        for (int modelCol = 2; modelCol <= 8; ++modelCol) {
            const int csvCol = dateCol + modelCol - 1;
            const QString shown = csvCol < grid[csvRow].size() ? grid[csvRow][csvCol] : QString();
            const model::Cell* cell = sheet.find(modelRow, modelCol);
            const model::Value value = cell ? cell->value : model::Value{};
            const QString where = QStringLiteral("%1 row %2 col %3").arg(QLatin1String(tool)).arg(modelRow + 1).arg(modelCol);
            if (const double* number = std::get_if<double>(&value)) {
                bool ok = false;
                const double read = shown.toDouble(&ok);
                EXPECT_TRUE(ok && std::fabs(read - *number) <= 1e-6 * std::max(1.0, std::fabs(*number)))
                    << where.toStdString() << ": " << shown.toStdString() << " vs " << *number;
            } else if (const QString* text = std::get_if<QString>(&value)) {
                EXPECT_EQ(shown, *text) << where.toStdString();
            } else if (const auto* error = std::get_if<model::ErrorCode>(&value)) {
                EXPECT_EQ(shown, model::errorText(*error)) << where.toStdString();
            } else {
                EXPECT_TRUE(shown.isEmpty()) << where.toStdString() << ": " << shown.toStdString();
            }
            ++compared;
        }
    }
    EXPECT_EQ(compared, kTransactions * 7);
}

// Another program's .xls of our register, read back: the same values,
// formulas, fills (by colour: palettes are renumbered) and layout.
void expectSameRegister(const model::Workbook& mineBook, const model::Workbook& theirsBook) {
    const model::Sheet& mine = *mineBook.sheets[0];
    const model::Sheet& theirs = *theirsBook.sheets[0];
    EXPECT_EQ(theirs.name, mine.name);
    EXPECT_EQ(theirs.merges, std::vector<model::CellRange>{mine.merges[0]});
    auto colour = [](const model::Workbook& w, int index) { return index >= 1 && index <= 56 ? w.palette[index - 1] : -1; };
    int formulas = 0;
    for (int r = 0; r < mine.rowExtent(); ++r) {
        for (int c = 0; c < 10; ++c) {
            const model::Cell* a = mine.find(r, c);
            const model::Cell* b = theirs.find(r, c);
            const model::Value va = a ? a->value : model::Value{};
            const model::Value vb = b ? b->value : model::Value{};
            EXPECT_TRUE(va == vb) << "cell " << r << "," << c << " index " << va.index() << " vs " << vb.index();
            if (a && a->formula) {
                ASSERT_TRUE(b && b->formula) << "formula lost at " << r << "," << c;
                EXPECT_EQ(engine::formulaToR1C1(b->formula->root), engine::formulaToR1C1(a->formula->root));
                ++formulas;
            }
            const model::CellStyle& sa = mineBook.styles.get(mine.effectiveStyle(r, c));
            const model::CellStyle& sb = theirsBook.styles.get(theirs.effectiveStyle(r, c));
            EXPECT_EQ(colour(mineBook, sa.fillColorIndex), colour(theirsBook, sb.fillColorIndex)) << "fill of " << r << "," << c;
            EXPECT_EQ(sa.font.bold, sb.font.bold) << r << "," << c;
            EXPECT_EQ(sa.font.size, sb.font.size) << r << "," << c;
        }
    }
    EXPECT_GT(formulas, kTransactions);
    EXPECT_NEAR(*theirs.columns[3].width, 37.43, 0.2);
    EXPECT_EQ(theirs.findRowInfo(1)->height, 30.75);
    // The printed page went through their reader and writer and ours.
    EXPECT_EQ(theirs.page.orientation, 2);
    EXPECT_EQ(theirs.page.paperSize, 9);
    EXPECT_FALSE(theirs.page.zoom.has_value()) << "fit to pages";
    EXPECT_EQ(theirs.page.fitToPagesWide, 1);
    EXPECT_EQ(theirs.page.fitToPagesTall, 0) << "as many pages down as it takes";
    EXPECT_TRUE(theirs.columns[9].hidden) << "the running totals";
    EXPECT_FALSE(theirs.columns[8].hidden || theirs.columns[10].hidden);
    EXPECT_EQ(theirs.page.printTitleRows, std::make_optional(std::make_pair(3, 4)));
    EXPECT_NEAR(theirs.page.leftMargin, 0.7 * 72, 0.01);
    EXPECT_NEAR(theirs.page.topMargin, 0.5 * 72, 0.01);
    EXPECT_EQ(theirs.activeCell, (model::CellAddress{5, 1}));
}

class Interop : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        folder_ = new QTemporaryDir;
        workbook_ = interopWorkbook().release();
        xls::writeWorkbook(*workbook_, path("register.xls"));
        // The same sheet with every cached result 0: a reader that shows the
        // right balances computed them from our formula tokens.
        auto stale = interopWorkbook();
        for (int r = 0; r < stale->sheets[0]->rowExtent(); ++r)
            for (auto& [c, cell] : stale->sheets[0]->rowCells(r))
                if (cell.formula) cell.value = 0.0;
        xls::writeWorkbook(*stale, path("stale.xls"));
    }
    static void TearDownTestSuite() {
        delete workbook_;
        delete folder_;
    }
    static QString path(const char* name) { return folder_->filePath(QLatin1String(name)); }

    static QTemporaryDir* folder_;
    static model::Workbook* workbook_;
};
QTemporaryDir* Interop::folder_ = nullptr;
model::Workbook* Interop::workbook_ = nullptr;

// ---------------------------------------------------------------- xlrd

TEST_F(Interop, XlrdReadsValuesLayoutAndFormats) {
    const QString python = QStringLiteral("/usr/bin/python3");
    if (!QFile::exists(python) || run(python, {QStringLiteral("-c"), QStringLiteral("import xlrd")}).exitCode != 0)
        GTEST_SKIP() << "python3-xlrd is not installed";
    const auto result = run(python, {QStringLiteral(BREVANTA_XLS_TEST_DIR "/xlrd_report.py"), path("register.xls")});
    ASSERT_EQ(result.exitCode, 0) << result.err.toStdString();
    const QJsonObject report = QJsonDocument::fromJson(result.out).object();
    const model::Sheet& sheet = *workbook_->sheets[0];

    EXPECT_EQ(report[QLatin1String("sheets")].toArray(), QJsonArray{QStringLiteral("Check Register")});
    EXPECT_EQ(report[QLatin1String("merged")].toArray(), (QJsonArray{QJsonArray{1, 2, 1, 9}}));

    const QJsonObject widths = report[QLatin1String("widths")].toObject();
    for (int c = 0; c < 11; ++c)
        EXPECT_EQ(widths[QString::number(c)].toInt(), xls::columnWidthUnits(*sheet.columns[c].width)) << "column " << c;
    const QJsonObject heights = report[QLatin1String("heights")].toObject();
    for (int r = 0; r <= kTransactions + 5; ++r)
        EXPECT_EQ(heights[QString::number(r)].toInt(), std::lround(*sheet.findRowInfo(r)->height * 20)) << "row " << r;

    const QJsonArray palette = report[QLatin1String("palette")].toArray();
    const model::Palette expected = registerPalette();
    for (int i = 0; i < 56; ++i)
        EXPECT_EQ(palette[i].toArray(), (QJsonArray{model::redOf(expected[i]), model::greenOf(expected[i]),
                                                    model::blueOf(expected[i])})) << "colour " << i + 1;

    const QJsonArray cells = report[QLatin1String("cells")].toArray();
    auto cell = [&](int r, int c) { return cells[r].toArray()[c].toObject(); };
    auto fill = [&](int r, int c) { return cell(r, c)[QLatin1String("fill")].toArray(); };
    auto rgb = [&](int index) {
        const auto v = expected[index - 1];
        return QJsonArray{model::redOf(v), model::greenOf(v), model::blueOf(v)};
    };
    EXPECT_EQ(fill(0, 0), rgb(2));
    EXPECT_EQ(fill(3, 1), rgb(43));
    EXPECT_EQ(fill(4, 5), rgb(43));
    EXPECT_EQ(fill(5, 3), rgb(2));
    EXPECT_EQ(fill(6, 3), rgb(39));
    EXPECT_EQ(fill(6, 8), rgb(40));
    const QJsonObject title = cell(1, 1)[QLatin1String("font")].toObject();
    EXPECT_EQ(title[QLatin1String("name")].toString(), QStringLiteral("Arial"));
    EXPECT_EQ(title[QLatin1String("height")].toInt(), 480);
    EXPECT_EQ(title[QLatin1String("bold")].toInt(), 1);
    EXPECT_EQ(title[QLatin1String("colour")].toInt(), 0);
    const QJsonObject header = cell(3, 2)[QLatin1String("font")].toObject();
    EXPECT_EQ(header[QLatin1String("height")].toInt(), 180);
    EXPECT_EQ(header[QLatin1String("colour")].toInt(), 0x7FFF);
    EXPECT_EQ(cell(3, 2)[QLatin1String("align")].toObject()[QLatin1String("h")].toInt(), 2);
    EXPECT_EQ(cell(5, 2)[QLatin1String("align")].toObject()[QLatin1String("v")].toInt(), 1);
    EXPECT_EQ(cell(5, 2)[QLatin1String("align")].toObject()[QLatin1String("wrap")].toInt(), 1);

    // Every value, as xlrd types it.
    for (int r = 0; r < report[QLatin1String("rows")].toInt(); ++r) {
        for (int c = 0; c < report[QLatin1String("cols")].toInt(); ++c) {
            const QJsonObject seen = cell(r, c);
            const int type = seen[QLatin1String("type")].toInt();
            const model::Cell* mine = sheet.find(r, c);
            const model::Value value = mine ? mine->value : model::Value{};
            if (const double* number = std::get_if<double>(&value)) {
                EXPECT_TRUE(type == 2 || type == 3) << r << "," << c;
                EXPECT_EQ(seen[QLatin1String("value")].toDouble(), *number) << r << "," << c;
            } else if (const QString* text = std::get_if<QString>(&value)) {
                EXPECT_EQ(type, 1) << r << "," << c;
                EXPECT_EQ(seen[QLatin1String("value")].toString(), *text) << r << "," << c;
            } else if (const auto* error = std::get_if<model::ErrorCode>(&value)) {
                EXPECT_EQ(type, 5) << r << "," << c;
                EXPECT_EQ(seen[QLatin1String("value")].toInt(), int(*error)) << r << "," << c;
            } else {
                EXPECT_TRUE(type == 0 || type == 6) << r << "," << c;
            }
        }
    }
    EXPECT_EQ(cell(5, 1)[QLatin1String("type")].toInt(), 3) << "a typed date is shown as a date";
}

// ---------------------------------------------------------------- LibreOffice

class LibreOfficeInterop : public Interop {
protected:
    static QStringList officeArguments(const QString& target, const QString& outdir) {
        return {QStringLiteral("-env:UserInstallation=file://") + folder_->filePath(QStringLiteral("office-profile")),
                QStringLiteral("--headless"), QStringLiteral("--norestore"), QStringLiteral("--convert-to"), target,
                QStringLiteral("--outdir"), outdir};
    }
};

TEST_F(LibreOfficeInterop, ShowsAndRecalculatesTheBalances) {
    if (!installed(QStringLiteral("soffice"))) GTEST_SKIP() << "LibreOffice is not installed";
    const QString outdir = path("office-csv");
    const auto result = run(QStringLiteral("soffice"),
                            officeArguments(QStringLiteral("csv:Text - txt - csv (StarCalc):44,34,76"), outdir) << path("register.xls") << path("stale.xls"));
    ASSERT_TRUE(result.started);
    const model::Sheet& sheet = *workbook_->sheets[0];
    expectCsvShowsRegister(readCsv(outdir + QStringLiteral("/register.csv")), sheet, "LibreOffice");
    expectCsvShowsRegister(readCsv(outdir + QStringLiteral("/stale.csv")), sheet, "LibreOffice recalculating");
}

// LibreOffice saves our register again as .xls (its own records: shared
// formulas, its XF and font tables); reading that back gives the same sheet.
TEST_F(LibreOfficeInterop, ReaderOpensWhatLibreOfficeWrites) {
    if (!installed(QStringLiteral("soffice"))) GTEST_SKIP() << "LibreOffice is not installed";
    const QString outdir = path("office-xls");
    QFile csv(path("plain.csv"));
    ASSERT_TRUE(csv.open(QIODevice::WriteOnly));
    csv.write("Name,Amount,When\nRent,-750.5,2024-03-01\n\"Caf\xC3\xA9, corner\",3.2,2024-03-02\nTotal,=SUM(B2:B3),\n");
    csv.close();
    const auto result = run(QStringLiteral("soffice"), officeArguments(QStringLiteral("xls"), outdir)
                                                           << QStringLiteral("--infilter=CSV:44,34,76")
                                                           << path("register.xls") << path("plain.csv"));
    ASSERT_TRUE(result.started);

    const auto resaved = xls::readWorkbook(outdir + QStringLiteral("/register.xls"));
    // LibreOffice caches an empty-text result as the number 0; computing the
    // formulas read back gives the text again, and checks the trees.
    computeValues(*resaved);
    expectSameRegister(*workbook_, *resaved);

    const auto plain = xls::readWorkbook(outdir + QStringLiteral("/plain.xls"));
    const model::Sheet& sheet = *plain->sheets[0];
    EXPECT_EQ(sheet.find(1, 0)->value, model::Value(QStringLiteral("Rent")));
    EXPECT_EQ(sheet.find(1, 1)->value, model::Value(-750.5));
    EXPECT_EQ(sheet.find(2, 0)->value, model::Value(QStringLiteral("Café, corner")));
    EXPECT_EQ(sheet.find(3, 1)->value, model::Value(-747.3));
    ASSERT_TRUE(sheet.find(3, 1)->formula);
    EXPECT_EQ(engine::formulaToR1C1(sheet.find(3, 1)->formula->root), QStringLiteral("=SUM(R[-2]C:R[-1]C)"));
    const double march1 = std::get<double>(sheet.find(1, 2)->value);
    EXPECT_EQ(march1, 45352);
    EXPECT_TRUE(plain->styles.get(sheet.effectiveStyle(1, 2)).numberFormat.contains(QLatin1Char('Y'), Qt::CaseInsensitive));
}

// ---------------------------------------------------------------- Gnumeric

TEST_F(Interop, GnumericConvertsWithoutWarningsAndRecalculates) {
    if (!installed(QStringLiteral("ssconvert"))) GTEST_SKIP() << "Gnumeric's ssconvert is not installed";
    const auto plain = run(QStringLiteral("ssconvert"), {path("register.xls"), path("gnumeric.csv")});
    ASSERT_EQ(plain.exitCode, 0);
    EXPECT_TRUE(plain.err.trimmed().isEmpty()) << plain.err.toStdString();
    const auto recalculated = run(QStringLiteral("ssconvert"), {QStringLiteral("--recalc"), path("stale.xls"), path("gnumeric-recalc.csv")});
    ASSERT_EQ(recalculated.exitCode, 0);
    EXPECT_TRUE(recalculated.err.trimmed().isEmpty()) << recalculated.err.toStdString();
    const model::Sheet& sheet = *workbook_->sheets[0];
    expectCsvShowsRegister(readCsv(path("gnumeric.csv")), sheet, "Gnumeric");
    expectCsvShowsRegister(readCsv(path("gnumeric-recalc.csv")), sheet, "Gnumeric recalculating");
}

TEST_F(Interop, ReaderOpensWhatGnumericWrites) {
    if (!installed(QStringLiteral("ssconvert"))) GTEST_SKIP() << "Gnumeric's ssconvert is not installed";
    const auto resave = run(QStringLiteral("ssconvert"), {path("register.xls"), path("gnumeric-resaved.xls")});
    ASSERT_EQ(resave.exitCode, 0) << resave.err.toStdString();
    expectSameRegister(*workbook_, *xls::readWorkbook(path("gnumeric-resaved.xls")));
}

}  // namespace
}  // namespace brevanta::xlstest
