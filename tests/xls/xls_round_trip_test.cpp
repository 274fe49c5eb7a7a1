// Model -> .xls -> model, for the register and for the awkward cases.

// GLib's headers name members like Qt's keyword macros, so they come first.
#include <glib.h>
#include <gtest/gtest.h>

#include <QDir>
#include <QProcess>
#include <QFile>
#include <QTemporaryDir>

#include "engine/formula/formula_text.h"
#include "frame/failure.h"
#include "tests/xls/register_workbook.h"
#include "xls/biff_strings.h"
#include "xls/compound_file.h"
#include "xls/workbook_stream.h"
#include "xls/xls_file.h"

namespace brevanta::xlstest {
namespace {

std::unique_ptr<model::Workbook> roundTrip(const model::Workbook& workbook) {
    return xls::decodeWorkbookFile(xls::encodeWorkbookFile(workbook));
}

class RegisterRoundTrip : public ::testing::TestWithParam<int> {};

TEST_P(RegisterRoundTrip, ReadsBackTheSheetItWrote) {
    const auto original = registerWorkbook(GetParam());
    QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("register.xls"));
    xls::writeWorkbook(*original, path);
    const auto read = xls::readWorkbook(path);
    expectSameWorkbook(*original, *read);
}

INSTANTIATE_TEST_SUITE_P(Transactions, RegisterRoundTrip, ::testing::Values(0, 1, 2, 100, 32767));

TEST(RoundTrip, RegisterDetailsSurviveExactly) {
    const auto read = roundTrip(*registerWorkbook(3));
    const model::Sheet& sheet = *read->sheets[0];
    const model::CellStyle& title = read->styles.get(sheet.effectiveStyle(1, 1));
    EXPECT_EQ(title.font.colorIndex, 0) << "the title's colour index 0 must not turn automatic";
    EXPECT_TRUE(title.font.bold);
    EXPECT_EQ(title.font.size, 24);
    EXPECT_EQ(read->styles.get(sheet.effectiveStyle(3, 1)).font.colorIndex, model::kColorAutomatic);
    EXPECT_EQ(read->styles.get(sheet.effectiveStyle(5, 1)).numberFormat, QStringLiteral("m/d/yyyy"));
    // Far outside anything written, the sheet-wide fill still applies.
    EXPECT_EQ(read->styles.get(sheet.effectiveStyle(60000, 200)).fillColorIndex, 2);
    EXPECT_EQ(engine::formulaToR1C1(sheet.find(5, 8)->formula->root),
              QStringLiteral("=IF(AND(ISBLANK(RC[-2]),ISBLANK(RC[-1])),\"\",RC[1]+0*(RC[-2]+RC[-1]))"));
    EXPECT_EQ(engine::formulaToR1C1(sheet.find(5, 9)->formula->root), QStringLiteral("=R[-1]C+SUM(RC[-2])-SUM(RC[-3])"));
    EXPECT_EQ(std::get<double>(sheet.find(7, 8)->value), 1000.0 - 13.34 + 1000.02);
    EXPECT_TRUE(sheet.columns[9].hidden);
    EXPECT_FALSE(sheet.columns[8].hidden || sheet.columns[10].hidden);
    EXPECT_EQ(sheet.page.fitToPagesWide, 1);
    EXPECT_EQ(sheet.page.fitToPagesTall, 0);
}

// The edge cases a register meets: zero amounts (an empty balance, then
// arithmetic on text), text amounts, a user formula, long and non-Latin
// texts, and more texts than one SST record holds.
TEST(RoundTrip, EdgeCasesOfTheRegister) {
    auto workbook = registerWorkbook(6);
    model::Sheet& sheet = *workbook->sheets[0];
    sheet.at(6, 6).value = model::Value();            // zero amounts: both empty
    sheet.at(6, 7).value = model::Value();
    sheet.at(7, 6).value = QStringLiteral("12,50");   // an amount that stayed text
    sheet.at(8, 3).formula = engine::parseFormulaR1C1(QStringLiteral("=100*3"));
    sheet.at(9, 3).value = QStringLiteral("Überweisung – Miete 東京 €");
    sheet.at(10, 3).value = QString(300, QLatin1Char('x')) + QStringLiteral("end");
    sheet.at(5, 2).value = 5.0;                        // numbers out of order
    sheet.at(6, 2).value = -0.5;
    sheet.at(7, 2).value = 1e300;
    sheet.at(8, 2).value = 123456789.123;
    for (int i = 0; i < 3000; ++i)                     // about 40 KB of texts: SST plus CONTINUE records
        sheet.at(20 + i, 10).value = QStringLiteral("Reference text number %1 — ümlaut").arg(i);
    sheet.at(20, 11).value = QString(20000, QChar(0x6771));  // one text spanning several records
    sheet.at(21, 11).value = true;
    sheet.at(22, 11).value = model::ErrorCode::Div0;
    computeValues(*workbook);
    ASSERT_TRUE(std::holds_alternative<model::ErrorCode>(sheet.find(7, 8)->value)) << "text arithmetic gives an error";

    const auto read = roundTrip(*workbook);
    expectSameWorkbook(*workbook, *read);
}

// A cell holds 32,767 UTF-16 units. A longer text is cut before the last
// whole character: never between the two halves of a surrogate pair, which
// readers refuse (xlrd gives up on the whole workbook).
TEST(RoundTrip, TextsLongerThanACellHoldsAreCutOnAWholeCharacter) {
    const QString face = QString::fromUtf8("\xF0\x9F\x98\x80");  // two UTF-16 units
    EXPECT_EQ(xls::leftWholeCharacters(QStringLiteral("abc"), 5), QStringLiteral("abc"));
    EXPECT_EQ(xls::leftWholeCharacters(QStringLiteral("ab") + face, 3), QStringLiteral("ab"));
    EXPECT_EQ(xls::leftWholeCharacters(QStringLiteral("ab") + face, 4), QStringLiteral("ab") + face);
    EXPECT_EQ(xls::leftWholeCharacters(face + face, 1), QString());

    auto workbook = registerWorkbook(2);
    model::Sheet& sheet = *workbook->sheets[0];
    sheet.at(6, 3).value = QString(32766, QLatin1Char('a')) + face + QStringLiteral("tail");
    sheet.at(7, 3).value = QString(40000, QChar(0x6771));
    computeValues(*workbook);
    const auto read = roundTrip(*workbook);
    EXPECT_EQ(std::get<QString>(read->sheets[0]->find(6, 3)->value), QString(32766, QLatin1Char('a')));
    EXPECT_EQ(std::get<QString>(read->sheets[0]->find(7, 3)->value), QString(32767, QChar(0x6771)));

    const QString python = QStringLiteral("/usr/bin/python3");
    if (!QFile::exists(python) || QProcess::execute(python, {QStringLiteral("-c"), QStringLiteral("import xlrd")}) != 0)
        GTEST_SKIP() << "python3-xlrd is not installed";
    QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("long.xls"));
    xls::writeWorkbook(*workbook, path);
    QProcess xlrd;
    xlrd.start(python, {QStringLiteral("-c"),
                        QStringLiteral("import sys, xlrd; s = xlrd.open_workbook(sys.argv[1]).sheet_by_index(0); "
                                       "print(len(s.cell_value(6, 3)), len(s.cell_value(7, 3)))"),
                        path});
    ASSERT_TRUE(xlrd.waitForFinished(60000));
    EXPECT_EQ(xlrd.exitCode(), 0) << xlrd.readAllStandardError().toStdString();
    EXPECT_EQ(xlrd.readAllStandardOutput().trimmed(), QByteArray("32766 32767"));
}

TEST(RoundTrip, SeveralSheetsKeepNamesActiveSheetAndFormats) {
    auto workbook = registerWorkbook(2);
    auto& second = *workbook->sheets.emplace_back(std::make_unique<model::Sheet>(QStringLiteral("Zweites Blatt ü")));
    model::CellStyle red;
    red.font.colorIndex = 3;
    red.font.italic = true;
    red.font.underline = true;
    red.font.name = QStringLiteral("Courier New");
    red.hAlign = model::HAlign::Right;
    red.vAlign = model::VAlign::Top;
    red.numberFormat = QStringLiteral("0.000");
    second.at(0, 0) = {1.5, nullptr, workbook->styles.intern(red)};
    second.rowInfo(2).style = workbook->styles.intern(red);
    second.columns[4].style = workbook->styles.intern(red);
    second.columns[5].width = 0.5;
    second.selection = {2, 1, 4, 3};
    second.activeCell = {3, 2};
    second.page.printTitleRows.reset();
    second.page.printArea = QStringLiteral("$B$2:$AA$40");
    second.page.zoom = 85;
    second.page.orientation = 1;
    second.page.printGridlines = true;
    second.page.centerHorizontally = true;
    second.page.centerVertically = true;
    workbook->activeSheet = 1;
    const auto read = roundTrip(*workbook);
    expectSameWorkbook(*workbook, *read);
    EXPECT_EQ(read->sheets[1]->page.printArea, QStringLiteral("$B$2:$AA$40"));
    EXPECT_EQ(read->sheets[0]->page.printArea, QString());
}

TEST(RoundTrip, OutputIsByteStable) {
    const auto workbook = registerWorkbook(5);
    EXPECT_EQ(xls::encodeWorkbookFile(*workbook), xls::encodeWorkbookFile(*workbook));
}

// Saving packs the stream straight into the file, piece by piece; the file is the one packed in memory,
// for a stream in the mini-stream's range and a long one, and a file that cannot be written says so.
TEST(RoundTrip, SavedFileIsTheFilePackedInMemory) {
    QTemporaryDir folder;
    ASSERT_TRUE(folder.isValid());
    for (int rows : {0, 3, 2000}) {
        const auto workbook = registerWorkbook(rows);
        const QString path = folder.filePath(QStringLiteral("saved%1.xls").arg(rows));
        xls::writeWorkbook(*workbook, path);
        QFile saved(path);
        ASSERT_TRUE(saved.open(QIODevice::ReadOnly));
        EXPECT_EQ(saved.readAll(), xls::encodeWorkbookFile(*workbook)) << rows << " rows";
        EXPECT_EQ(xls::encodeWorkbookStream(*workbook), xls::encodeWorkbookStreamPieces(*workbook).front() +
                                                             xls::encodeWorkbookStreamPieces(*workbook).back());
    }
#if defined(Q_OS_UNIX)
    QFile readOnly(folder.filePath(QStringLiteral("saved3.xls")));
    ASSERT_TRUE(readOnly.open(QIODevice::ReadOnly));
    EXPECT_FALSE(xls::writeCompoundFile({QByteArray(5000, 'x')}, readOnly.handle()).isEmpty());
#endif
}

// Whatever the container library logs (its failed checks come as criticals
// with or without a domain) while a workbook is written and read back.
TEST(RoundTrip, WritingAndReadingLogNothing) {
    static QStringList logged;
    logged.clear();
    const GLogFunc previous = g_log_set_default_handler(
        [](const gchar* domain, GLogLevelFlags, const gchar* message, gpointer) {
            logged << QString::fromUtf8(domain ? domain : "") + QStringLiteral(": ") + QString::fromUtf8(message);
        },
        nullptr);
    QTemporaryDir folder;
    for (int transactions : {0, 2, 1000}) {
        const QString path = folder.filePath(QStringLiteral("register%1.xls").arg(transactions));
        xls::writeWorkbook(*registerWorkbook(transactions), path);
        xls::readWorkbook(path);
    }
    g_log_set_default_handler(previous, nullptr);
    EXPECT_TRUE(logged.isEmpty()) << logged.join(QLatin1Char('\n')).toStdString();
}

// ---------------------------------------------------------------- files

TEST(WorkbookFile, UnwritablePathIsAFailureAndLeavesNothingBehind) {
    QTemporaryDir folder;
    const QString missing = folder.filePath(QStringLiteral("no/such/folder/book.xls"));
    try {
        xls::writeWorkbook(*registerWorkbook(1), missing);
        FAIL() << "no error";
    } catch (const frame::Failure& error) {
        EXPECT_TRUE(error.description().contains(missing)) << error.description().toStdString();
    }
    EXPECT_TRUE(QDir(folder.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot).isEmpty());
    try {
        xls::readWorkbook(missing);
        FAIL() << "no error";
    } catch (const frame::Failure& error) {
        EXPECT_TRUE(error.description().contains(QLatin1String("No such file"))) << error.description().toStdString();
    }
}

TEST(WorkbookFile, ReplacesAnExistingFileWhole) {
    QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("book.xls"));
    QFile old(path);
    ASSERT_TRUE(old.open(QIODevice::WriteOnly));
    old.write(QByteArray(200000, 'z'));
    old.close();
    xls::writeWorkbook(*registerWorkbook(1), path);
    EXPECT_EQ(xls::readWorkbook(path)->sheets[0]->name, QStringLiteral("Check Register"));
    EXPECT_EQ(QDir(folder.path()).entryList(QDir::Files).size(), 1);
}

// Bad input: a clear Failure, never a crash.
TEST(WorkbookFile, RefusesWhatIsNotAReadableWorkbook) {
    auto refuses = [](const QByteArray& bytes, const char* expectedWords) {
        try {
            xls::decodeWorkbookFile(bytes);
            ADD_FAILURE() << "accepted: " << expectedWords;
        } catch (const frame::Failure& error) {
            EXPECT_TRUE(error.description().contains(QLatin1String(expectedWords)))
                << error.description().toStdString();
        }
    };
    refuses(QByteArray("just some text, not a workbook"), "not an Excel 97-2003 workbook");
    refuses(QByteArray(), "not an Excel 97-2003 workbook");

    const QByteArray good = xls::encodeWorkbookStream(*registerWorkbook(2));
    const QByteArray file = xls::encodeWorkbookFile(*registerWorkbook(2));
    refuses(file.left(file.size() / 2), "");

    // Stream-level damage.
    auto refusesStream = [&](QByteArray stream, const char* words) {
        try {
            xls::decodeWorkbookStream({reinterpret_cast<const uint8_t*>(stream.constData()), size_t(stream.size())});
            ADD_FAILURE() << "accepted: " << words;
        } catch (const frame::Failure& error) {
            EXPECT_TRUE(error.description().contains(QLatin1String(words))) << error.description().toStdString();
        }
    };
    refusesStream(good.left(good.size() - 3), "damaged");
    refusesStream(good.left(good.size() / 3), "damaged");
    QByteArray older = good;
    older[4] = 0x00; older[5] = 0x05;  // BOF version 0x0500
    refusesStream(older, "Excel 5.0/95");
    QByteArray encrypted = good;
    const QByteArray filePass("\x2F\x00\x06\x00\x00\x00\x01\x00\x01\x00", 10);
    encrypted.insert(20, filePass);
    refusesStream(encrypted, "password");
    QByteArray badIndex = good;
    const int sst = badIndex.indexOf(QByteArray("\xFD\x00\x0A\x00", 4));  // first LABELSST
    ASSERT_GT(sst, 0);
    badIndex[sst + 4 + 6] = char(0xFF); badIndex[sst + 4 + 7] = char(0xFF);
    refusesStream(badIndex, "text that does not exist");
}

}  // namespace
}  // namespace brevanta::xlstest
