// The list's text through the real layout into every file the program
// writes, read back by readers nobody here wrote (xlrd, openpyxl,
// LibreOffice, pdftotext): statement text stays data, never a formula, and
// no character makes a file unreadable.

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>

#include "engine/embedded/embedded_host.h"
#include "picture/picture_file.h"
#include "generate/cell_entry.h"
#include "generate/check_register.h"
#include "generate/palette.h"
#include "host/host_factory.h"
#include "print/sheet_printout.h"
#include "statements/csv_records.h"
#include "statements/register_csv.h"
#include "tests/generate/engine_generation.h"
#include "tests/support/recording.h"
#include "xlsx/xlsx_file.h"

// Failures show every character outside printable ASCII as \uXXXX.
inline void PrintTo(const QString& text, std::ostream* out) {
    *out << '"';
    for (QChar c : text) {
        if (c.unicode() >= 0x20 && c.unicode() < 0x7F) *out << char(c.unicode());
        else *out << "\\u" << QString::number(c.unicode(), 16).rightJustified(4, u'0').toStdString();
    }
    *out << '"';
}

namespace brevanta {
namespace {


QString run(const QString& program, const QStringList& arguments) {
    QProcess process;
    process.start(program, arguments);
    if (!process.waitForFinished(300000) || process.exitCode() != 0) {
        ADD_FAILURE() << program.toStdString() << " failed: " << process.readAllStandardError().toStdString();
        return QString();
    }
    return QString::fromUtf8(process.readAllStandardOutput());
}

bool installed(const char* program) { return !QStandardPaths::findExecutable(QLatin1String(program)).isEmpty(); }

// One cell as a reader reports it.
struct Seen {
    QString type;
    QString value;
};
using SeenRows = std::vector<std::vector<Seen>>;  // columns B to I from row 6

SeenRows report(const char* reader, const QString& file) {
    const QString json = run(QStringLiteral("/usr/bin/python3"),
                             {QStringLiteral(BREVANTA_TEST_DIR "/text_cells_report.py"), QLatin1String(reader), file});
    SeenRows rows;
    for (const QJsonValue& row : QJsonDocument::fromJson(json.toUtf8()).array()) {
        std::vector<Seen> cells;
        for (const QJsonValue& cell : row.toArray())
            cells.push_back({cell[QLatin1String("type")].toString(), cell[QLatin1String("value")].toVariant().toString()});
        rows.push_back(std::move(cells));
    }
    return rows;
}

// LibreOffice's reading of each file, saved again as .xlsx for openpyxl to
// report (or as `format`, with that file name extension).
QStringList throughLibreOffice(const QStringList& files, const QString& folder, const QString& filter = {},
                               const QString& format = QStringLiteral("xlsx")) {
    QStringList arguments{QStringLiteral("-env:UserInstallation=file://") + folder + QStringLiteral("/profile"),
                          QStringLiteral("--headless")};
    if (!filter.isEmpty()) arguments << QStringLiteral("--infilter=") + filter;
    arguments << QStringLiteral("--convert-to") << format << QStringLiteral("--outdir")
              << folder + QStringLiteral("/libreoffice");
    run(QStringLiteral("soffice"), arguments + files);
    QStringList converted;
    for (const QString& file : files)
        converted << folder + QStringLiteral("/libreoffice/") + QFileInfo(file).completeBaseName() + u'.' +
                         format.section(u':', 0, 0);
    return converted;
}

// The row of `rows` whose column `column` (0 = B) shows `text`.
const std::vector<Seen>* rowShowing(const SeenRows& rows, int column, const QString& text) {
    for (const auto& row : rows)
        if (int(row.size()) > column && row[size_t(column)].value == text) return &row;
    return nullptr;
}

// A generation on the embedded engine in a private temporary folder: the
// .xls it saves, and the .xlsx made from it as the preview's Save does.
class TextCells : public testsupport::EngineGeneration {
protected:
    void generate(const std::vector<reg::Transaction>& rows) {
        generate::generateCheckRegister(1, reg::TransactionList(rows), windows_);
        ASSERT_TRUE(seams_.reporter.reports.empty()) << seams_.reporter.reports[0].text().toStdString();
        xls = path("register_xls.xls");
        xlsx = path("register_xlsx.xlsx");
        ASSERT_TRUE(QFile::copy(windows_.excelFile, xls));
        xlsx::convertXlsWorkbook(xls, xlsx);
    }
    QString path(const char* name) const { return out_.filePath(QLatin1String(name)); }

    QTemporaryDir out_;
    QString xls, xlsx;
};

TEST(DataCellEntry, TextColumnsAreAlwaysTextOthersOnlyWhenTheyWouldBeFormulas) {
    using generate::dataCellEntry;
    EXPECT_EQ(dataCellEntry(reg::Description, QStringLiteral("12345")), QStringLiteral("'12345"));
    EXPECT_EQ(dataCellEntry(reg::Category, QStringLiteral("=1+1")), QStringLiteral("'=1+1"));
    EXPECT_EQ(dataCellEntry(reg::Cleared, QStringLiteral("TRUE")), QStringLiteral("'TRUE"));
    EXPECT_EQ(dataCellEntry(reg::Description, QString()), QString());
    EXPECT_EQ(dataCellEntry(reg::Number, QStringLiteral("12")), QStringLiteral("12"));
    EXPECT_EQ(dataCellEntry(reg::Date, QStringLiteral("2025-01-02")), QStringLiteral("2025-01-02"));
    EXPECT_EQ(dataCellEntry(reg::Date, QStringLiteral("=1+1")), QStringLiteral("'=1+1"));
    EXPECT_EQ(dataCellEntry(reg::Debit, QStringLiteral("-5")), QStringLiteral("-5"));
    EXPECT_EQ(dataCellEntry(reg::Credit, QStringLiteral("=R6C9")), QStringLiteral("'=R6C9"));
    EXPECT_EQ(dataCellEntry(reg::Number, QStringLiteral("'7")), QStringLiteral("''7"));
}

// A stored or imported list may hold an amount no cell holds as a number:
// it is written as text, with one message, and no reader meets an overflow.
TEST_F(TextCells, AnAmountBeyondWhatACellHoldsStaysTextWithOneMessage) {
    generate({{"2026-01-02", "", "Huge", "", "", "1.7976931348623157e308", ""},
              {"2026-01-03", "", "Next", "", "", "", "-1e400"},
              {"2026-01-04", "", "Fine", "", "", "", "9e306"}});
    ASSERT_EQ(windows_.told.size(), 1);
    EXPECT_EQ(windows_.told[0], QStringLiteral("Transactions 1, 2 have amounts beyond 1E+307, the largest a spreadsheet "
                                               "holds; the register shows them as text, and the balance there as #VALUE!."));
    for (const auto& [reader, file] : {std::pair{"xlrd", xls}, std::pair{"openpyxl", xlsx}}) {
        const SeenRows rows = report(reader, file);
        ASSERT_EQ(rows.size(), 3u) << reader;
        EXPECT_EQ(rows[0][5].type, QStringLiteral("text")) << reader;
        EXPECT_EQ(rows[0][5].value, QStringLiteral("1.7976931348623157e308")) << reader;
        EXPECT_EQ(rows[1][6].type, QStringLiteral("text")) << reader;
        EXPECT_EQ(rows[2][6].type, QStringLiteral("number")) << reader;
    }
}

TEST_F(TextCells, StatementTextStaysDataInXlsAndXlsx) {
    const QString hyperlink = QStringLiteral("=HYPERLINK(\"http://example.invalid\",\"x\")");
    const std::vector<reg::Transaction> rows{
        {"1/1/2013", "1", "=1+1", "k1", "TRUE", "", "5"},
        {"1/2/2013", "2", "=R6C9", "k2", "", "=4+4", ""},
        {"1/3/2013", "3", "TRUE", "k3", "", "5", ""},
        {"1/4/2013", "4", "12345", "k4", "", "", ""},
        {"1/5/2013", "5", "1/2/2025", "k5", "", "", ""},
        {"1/6/2013", "6", "#DIV/0!", "k6", "", "", ""},
        {"1/7/2013", "7", hyperlink, "=2+2", "'quoted", "", "=R1C1"},
        {"=8+8", "=9+9", "'12", "k8", "", "", ""},
    };
    ASSERT_NO_FATAL_FAILURE(generate(rows));  // =HYPERLINK no longer stops the generation

    std::vector<std::pair<std::string, SeenRows>> readers{{"xlrd .xls", report("xlrd", xls)},
                                                          {"openpyxl .xlsx", report("openpyxl", xlsx)}};
    if (installed("soffice")) {
        const QStringList again = throughLibreOffice({xls, xlsx}, out_.path());
        readers.push_back({"LibreOffice .xls", report("openpyxl", again[0])});
        readers.push_back({"LibreOffice .xlsx", report("openpyxl", again[1])});
    }
    for (const auto& [reader, seen] : readers) {
        SCOPED_TRACE(reader);
        ASSERT_EQ(seen.size(), rows.size());
        for (const reg::Transaction& row : rows) {
            const std::vector<Seen>* cells = rowShowing(seen, reg::Description, row[reg::Description]);
            ASSERT_NE(cells, nullptr) << row[reg::Description].toStdString();
            for (int field = 0; field < reg::kFieldCount; ++field) {
                const QString& text = row[size_t(field)];
                const Seen& cell = (*cells)[size_t(field)];
                SCOPED_TRACE(text.toStdString());
                const bool asText = field == reg::Description || field == reg::Category || field == reg::Cleared ||
                                    text.startsWith(u'=') || text.startsWith(u'\'');
                if (text.isEmpty()) {
                    EXPECT_EQ(cell.type, QStringLiteral("empty"));
                } else if (asText) {
                    EXPECT_EQ(cell.type, QStringLiteral("text"));
                    EXPECT_EQ(cell.value, text);
                } else {  // typed entries keep their meaning
                    EXPECT_EQ(cell.type, field == reg::Date ? QStringLiteral("date") : QStringLiteral("number"));
                }
            }
            if (reader.starts_with("xlrd")) continue;  // xlrd shows a formula's result only
            EXPECT_EQ((*cells)[7].type, QStringLiteral("formula"));
        }
    }
}

TEST_F(TextCells, EveryKindOfCharacterReadsBackInEachFormat) {
    auto units = [](std::initializer_list<char16_t> codes) {
        QString text;
        for (char16_t code : codes) text += QChar(code);
        return text;
    };
    const QString fffd = units({0xFFFD});
    struct Case {
        const char* kind;
        QString text;
        QString shown;      // .xls, CSV, PDF and LibreOffice's reading of the .xlsx
        QString xlsxHolds;  // the .xlsx's own escapes, which openpyxl leaves as they are
    };
    const std::vector<Case> cases{
        {"ASCII", "Plain payee", "Plain payee", "Plain payee"},
        {"Latin-1", units({u'C', 0xE9, 0xFF}), units({u'C', 0xE9, 0xFF}), units({u'C', 0xE9, 0xFF})},
        {"BMP", units({0x6771, 0x20AC}), units({0x6771, 0x20AC}), units({0x6771, 0x20AC})},
        {"astral pair", units({u'a', 0xD83D, 0xDE00}), units({u'a', 0xD83D, 0xDE00}), units({u'a', 0xD83D, 0xDE00})},
        {"lone high", units({u'h', 0xD83D, u'h'}), "h" + fffd + "h", "h" + fffd + "h"},
        {"lone low", units({u'l', 0xDE00, u'l'}), "l" + fffd + "l", "l" + fffd + "l"},
        {"U+FFFE, U+FFFF", units({u'n', 0xFFFE, 0xFFFF, u'n'}), "n" + fffd + fffd + "n", "n" + fffd + fffd + "n"},
        {"U+FDD0", units({u'f', 0xFDD0, u'f'}), "f" + fffd + "f", "f" + fffd + "f"},
        {"NUL", units({u'z', 0, u'z'}), units({u'z', 0, u'z'}), "z_x0000_z"},
        {"C0 controls", units({u'c', 1, 0x1F, u'c'}), units({u'c', 1, 0x1F, u'c'}), "c_x0001__x001F_c"},
        {"DEL", units({u'd', 0x7F, u'd'}), units({u'd', 0x7F, u'd'}), units({u'd', 0x7F, u'd'})},
        {"C1", units({u'k', 0x85, 0x9F, u'k'}), units({u'k', 0x85, 0x9F, u'k'}), units({u'k', 0x85, 0x9F, u'k'})},
        {"a literal escape", "_x0041_", "_x0041_", "_x005F_x0041_"},
    };
    std::vector<reg::Transaction> rows;
    for (size_t i = 0; i < cases.size(); ++i)
        rows.push_back({"1/1/2013", QString::number(i + 1), cases[i].text, QString(), QString(), "1", QString()});
    ASSERT_NO_FATAL_FAILURE(generate(rows));

    // Each reader's view of column D, in list order (the numbers keep the sort as it is).
    auto descriptions = [](const SeenRows& seen) {
        QStringList texts;
        for (const auto& row : seen) texts << row[reg::Description].value;
        return texts;
    };
    QStringList shown, xlsxHolds;
    for (const Case& c : cases) {
        shown << c.shown;
        xlsxHolds << c.xlsxHolds;
    }
    EXPECT_EQ(descriptions(report("xlrd", xls)), shown);
    EXPECT_EQ(descriptions(report("openpyxl", xlsx)), xlsxHolds);

    const QString csv = path("register_csv.csv");
    QFile csvFile(csv);
    ASSERT_TRUE(csvFile.open(QIODevice::WriteOnly));
    csvFile.write(statements::csvFromTransactions(reg::TransactionList(rows)));
    csvFile.close();
    ASSERT_TRUE(csvFile.open(QIODevice::ReadOnly));
    QStringList readBack;
    for (const reg::Transaction& row : statements::transactionsFromCsv(QString::fromUtf8(csvFile.readAll())))
        readBack << row[reg::Description];
    EXPECT_EQ(readBack, shown);

    const QString pdf = path("register.pdf");
    print::writePdf(print::printoutOfWorkbookFile(xls), pdf);
    if (installed("pdftotext")) {  // each text of printable Latin-1 and U+FFFD, whole (the PDF's font has no CJK)
        const QString text = run(QStringLiteral("pdftotext"), {pdf, QStringLiteral("-")});
        auto printable = [](QChar ch) { return ch.isPrint() && (ch.unicode() < 0x100 || ch.unicode() == 0xFFFD); };
        for (const Case& c : cases)
            if (std::all_of(c.shown.begin(), c.shown.end(), printable))
                EXPECT_TRUE(text.contains(c.shown)) << c.kind;
    }

    if (installed("soffice")) {  // LibreOffice's reading, written out as UTF-8 CSV
        const QStringList again = throughLibreOffice({xls, xlsx}, out_.path(), {},
                                                     QStringLiteral("csv:Text - txt - csv (StarCalc):44,34,76"));
        auto columnD = [](const QString& file) {
            QFile in(file);
            QStringList texts;
            if (!in.open(QIODevice::ReadOnly)) return texts;
            const auto records = statements::parseCsv(QString::fromUtf8(in.readAll()));
            for (size_t r = 5; r < records.size(); ++r) texts << records[r].at(3);
            return texts;
        };
        // LibreOffice reads a NUL in an .xls as a question mark, and keeps the text after it.
        EXPECT_EQ(columnD(again[0]), QStringList(shown).replaceInStrings(QString(QChar(0)), QStringLiteral("?")))
            << "LibreOffice .xls";
        EXPECT_EQ(columnD(again[1]), shown) << "LibreOffice .xlsx";
    }
}

TEST_F(TextCells, CsvExportOpensInLibreOfficeAsTextNotFormulas) {
    if (!installed("soffice")) GTEST_SKIP() << "LibreOffice is not installed";
    const std::vector<reg::Transaction> rows{
        {"1/1/2013", "=1+1", "=HYPERLINK(\"http://example.invalid\",\"x\")", "+2+2", "-3+3", "-5", "+5"},
        {"1/2/2013", "@SUM(1)", "\t=4+4", "\r=5+5", "'=6+6", "", "12.50"},
    };
    const QString csv = path("export.csv");
    statements::exportListAsCsv(reg::TransactionList(rows), csv);
    const QString shown = throughLibreOffice({csv}, out_.path(), QStringLiteral("CSV:44,34,76,1"),
                                             QStringLiteral("csv:Text - txt - csv (StarCalc):44,34,76"))[0];
    QFile in(shown);
    ASSERT_TRUE(in.open(QIODevice::ReadOnly));
    const auto records = statements::parseCsv(QString::fromUtf8(in.readAll()));
    ASSERT_EQ(records.size(), rows.size() + 1);
    for (size_t r = 0; r < rows.size(); ++r)
        for (int field = 0; field < reg::kFieldCount; ++field) {
            const QString& text = rows[r][size_t(field)];
            const QString& cell = records[r + 1].at(size_t(field));
            // The text itself, with the guard's apostrophe in sight (a carriage return
            // becomes a line feed in a cell); no formula's result. Dates are LibreOffice's.
            if (field == reg::Debit || field == reg::Credit)
                EXPECT_EQ(cell.toDouble(), text.toDouble()) << text.toStdString();
            else if (field != reg::Date)
                EXPECT_EQ(cell, statements::formulaGuarded(text).replace(u'\r', u'\n'));
        }
}

}  // namespace
}  // namespace brevanta
