// The registers the headless tool writes, as .xls and as .xlsx of the same
// list, opened by LibreOffice: it shows the same values and balances for
// both, recalculates the .xlsx's balances itself, and prints the register
// on one landscape A4 page. Skipped when LibreOffice is not installed; the
// slow converter runs once per suite, on all files together.

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <cmath>
#include <utility>

#include "xls/xls_file.h"
#include "xlsx/xlsx_file.h"

namespace brevanta {
namespace {

struct ProcessRun {
    int exitCode = -1;
    QByteArray out, err;
};

ProcessRun run(const QString& program, const QStringList& arguments, int timeoutMs = 300000) {
    QProcess process;
    process.start(program, arguments);
    ProcessRun result;
    if (!process.waitForFinished(timeoutMs)) return result;
    result.exitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    result.out = process.readAllStandardOutput();
    result.err = process.readAllStandardError();
    return result;
}

bool installed(const QString& program) { return !QStandardPaths::findExecutable(program).isEmpty(); }

// The edge registers: a list of texts nobody types every day, long ones,
// and zero amounts (an empty balance).
const char kEdgeCsv[] =
    "Date,Number,Description,Category,Cleared,Debit,Credit\n"
    "1/3/2024,3,\"\xC3\x9C" "berweisung \xE2\x80\x93 Miete \xE6\x9D\xB1\xE4\xBA\xAC \xF0\x9F\x98\x80\",Wohnung,Yes,750.50,\n"
    "1/5/2024,5,\"Quote \"\"x\"\", comma\",Food,,12.25,\n"
    "1/4/2024,4,LONG,Misc,,0,0\n"
    "1/6/2024,6,Pay,Salary,Yes,,1000\n"
    "1/7/2024,7,Later,Misc,,,\n";

class LibreOfficeXlsx : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        if (!installed(QStringLiteral("soffice"))) return;
        folder_ = new QTemporaryDir;
        QString csv = QString::fromUtf8(kEdgeCsv);
        csv.replace(QStringLiteral("LONG"), QString(2000, QLatin1Char('L')) + QStringLiteral(" end"));
        QFile input(path("edge-input.csv"));
        input.open(QIODevice::WriteOnly);
        input.write(csv.toUtf8());
        input.close();

        const std::vector<std::pair<QString, QStringList>> registers = {
            {QStringLiteral("sample"), {QStringLiteral("--sample")}},
            {QStringLiteral("empty"), {QStringLiteral("--rows"), QStringLiteral("0")}},
            {QStringLiteral("one"), {QStringLiteral("--rows"), QStringLiteral("1")}},
            {QStringLiteral("edge"), {QStringLiteral("--csv"), path("edge-input.csv")}},
            {QStringLiteral("hundred"), {QStringLiteral("--rows"), QStringLiteral("100")}},
            {QStringLiteral("long"), {QStringLiteral("--rows"), QStringLiteral("32768")}},
        };
        QStringList files;
        for (const auto& [name, source] : registers) {
            for (const char* extension : {".xls", ".xlsx"}) {
                const QString out = path(name + QLatin1String(extension));
                const ProcessRun made = run(QStringLiteral(BREVANTA_REGISTER_COMMAND), source + QStringList{QStringLiteral("-o"), out});
                if (made.exitCode != 0) failures_ += name + QLatin1String(extension) + QStringLiteral(": ") + QString::fromLocal8Bit(made.err);
                files << out;
            }
        }
        // The same long register with every cached balance 0: balances shown right were computed by LibreOffice.
        auto stale = xls::readWorkbook(path("edge.xls"));
        for (int r = 0; r < stale->sheets[0]->rowExtent(); ++r)
            for (auto& [c, cell] : stale->sheets[0]->rowCells(r))
                if (cell.formula) cell.value = 0.0;
        xlsx::writeWorkbook(*stale, path("stale.xlsx"));

        // By default LibreOffice shows an .xlsx's cached results; a second
        // profile has it recalculate every .xlsx it loads.
        QDir().mkpath(path("recalculating-profile/user"));
        QFile settings(path("recalculating-profile/user/registrymodifications.xcu"));
        settings.open(QIODevice::WriteOnly);
        settings.write(
            "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
            "<oor:items xmlns:oor=\"http://openoffice.org/2001/registry\" xmlns:xs=\"http://www.w3.org/2001/XMLSchema\" "
            "xmlns:xsi=\"http://www.w3.org/2001/XMLSchema-instance\">\n"
            "<item oor:path=\"/org.openoffice.Office.Calc/Formula/Load\"><prop oor:name=\"OOXMLRecalcMode\" "
            "oor:op=\"fuse\"><value>0</value></prop></item>\n"
            "</oor:items>\n");
        settings.close();
        auto convertIn = [&](const char* profile, const QString& target, const QStringList& inputs,
                             const char* outdir = "out") {
            run(QStringLiteral("soffice"),
                QStringList{QStringLiteral("-env:UserInstallation=file://") + path(profile), QStringLiteral("--headless"),
                            QStringLiteral("--norestore"), QStringLiteral("--convert-to"), target,
                            QStringLiteral("--outdir"), path(outdir)} + inputs);
        };
        auto convert = [&](const QString& target, const QStringList& inputs) { convertIn("office-profile", target, inputs); };
        // Converted one kind at a time: the .xls and .xlsx of one register share their base name.
        QStringList xlsInputs, xlsxInputs;
        for (const QString& file : files) (file.endsWith(QLatin1String(".xlsx")) ? xlsxInputs : xlsInputs) << file;
        convert(QStringLiteral("csv:Text - txt - csv (StarCalc):44,34,76"), xlsInputs);
        QDir out(path("out"));
        for (const QString& name : out.entryList({QStringLiteral("*.csv")})) out.rename(name, QStringLiteral("xls-") + name);
        convert(QStringLiteral("csv:Text - txt - csv (StarCalc):44,34,76"), xlsxInputs);
        convert(QStringLiteral("pdf"), {path("sample.xlsx"), path("hundred.xlsx")});
        convertIn("recalculating-profile", QStringLiteral("csv:Text - txt - csv (StarCalc):44,34,76"),
                  xlsxInputs + QStringList{path("stale.xlsx")}, "out/recalculated");
    }
    static void TearDownTestSuite() {
        delete folder_;
        folder_ = nullptr;
    }
    void SetUp() override {
        if (!folder_) GTEST_SKIP() << "LibreOffice is not installed";
        ASSERT_TRUE(failures_.isEmpty()) << failures_.join(QLatin1Char('\n')).toStdString();
    }
    static QString path(const QString& name) { return folder_->filePath(name); }
    static QString path(const char* name) { return path(QString::fromLatin1(name)); }
    static QByteArray read(const QString& file) {
        QFile f(file);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }

    static QTemporaryDir* folder_;
    static QStringList failures_;
};
QTemporaryDir* LibreOfficeXlsx::folder_ = nullptr;
QStringList LibreOfficeXlsx::failures_;

// The first line where two CSV texts differ, compared field by field; numbers
// within `tolerance` (relative) count as equal.
QString firstDifference(const QByteArray& mine, const QByteArray& theirs, double tolerance) {
    const QList<QByteArray> a = mine.split('\n'), b = theirs.split('\n');
    if (a.size() != b.size()) return QStringLiteral("%1 lines vs %2").arg(a.size()).arg(b.size());
    for (int i = 0; i < a.size(); ++i) {
        if (a[i] == b[i]) continue;
        const QList<QByteArray> fa = a[i].split(','), fb = b[i].split(',');
        bool same = fa.size() == fb.size();
        for (int f = 0; same && f < fa.size(); ++f) {
            bool okA = false, okB = false;
            const double x = fa[f].toDouble(&okA), y = fb[f].toDouble(&okB);
            same = fa[f] == fb[f] || (okA && okB && std::fabs(x - y) <= tolerance * std::max(1.0, std::fabs(y)));
        }
        if (!same) return QStringLiteral("line %1:\n%2\nvs\n%3").arg(i + 1).arg(QString::fromUtf8(a[i]), QString::fromUtf8(b[i]));
    }
    return {};
}

const char* const kRegisters[] = {"sample", "empty", "one", "edge", "hundred", "long"};

// As a user opening the file sees it: LibreOffice shows the results the
// .xlsx carries, computed by our engine, and recalculates the .xls; long
// running sums may differ in the last of their 15 digits.
TEST_F(LibreOfficeXlsx, ShowsTheSameValuesAndBalancesAsForTheXlsOfTheSameList) {
    for (const char* name : kRegisters) {
        const QByteArray fromXls = read(path("out/xls-") + QLatin1String(name) + QStringLiteral(".csv"));
        const QByteArray fromXlsx = read(path("out/") + QLatin1String(name) + QStringLiteral(".csv"));
        ASSERT_FALSE(fromXls.isEmpty()) << name;
        const QString difference = firstDifference(fromXlsx, fromXls, 1e-12);
        EXPECT_TRUE(difference.isEmpty()) << name << " " << difference.toStdString();
    }
    // What the lists hold, as shown: the sample's balances, a unicode text, the errors after zero amounts.
    const QString sample = QString::fromUtf8(read(path("out/sample.csv")));
    EXPECT_TRUE(sample.contains(QStringLiteral("Sold My Used Car"))) << sample.toStdString();
    EXPECT_TRUE(sample.contains(QStringLiteral(",5055"))) << sample.toStdString();
    const QString edge = QString::fromUtf8(read(path("out/edge.csv")));
    EXPECT_TRUE(edge.contains(QStringLiteral("Überweisung – Miete 東京 😀"))) << edge.toStdString();
    EXPECT_TRUE(edge.contains(QStringLiteral(" end,"))) << "the long text whole";
    // No amounts: an empty balance, and the hidden running total (the CSV's
    // last column) carries on: -750.50 - 12.25 + 1000.
    EXPECT_TRUE(edge.contains(QStringLiteral(",Later,Misc,,,,,237.25\n"))) << edge.toStdString();
    const QString last = QString::fromUtf8(read(path("out/long.csv"))).trimmed().section(QLatin1Char('\n'), -1);
    EXPECT_TRUE(last.contains(QStringLiteral("Transaction"))) << last.toStdString();
}

// Recalculating every .xlsx it loads, LibreOffice shows exactly what it
// shows for the .xls, also for a file whose cached balances are all 0.
TEST_F(LibreOfficeXlsx, RecalculatedBalancesEqualThoseOfTheXls) {
    for (const char* name : kRegisters) {
        const QByteArray recalculated = read(path("out/recalculated/") + QLatin1String(name) + QStringLiteral(".csv"));
        ASSERT_FALSE(recalculated.isEmpty()) << name;
        const QString difference =
            firstDifference(recalculated, read(path("out/xls-") + QLatin1String(name) + QStringLiteral(".csv")), 0);
        EXPECT_TRUE(difference.isEmpty()) << name << " " << difference.toStdString();
    }
    const QByteArray stale = read(path("out/recalculated/stale.csv"));
    ASSERT_FALSE(stale.isEmpty());
    const QString difference = firstDifference(stale, read(path("out/xls-edge.csv")), 0);
    EXPECT_TRUE(difference.isEmpty()) << difference.toStdString();
}

// One landscape A4 page wide, as many down as the rows take: the sample on
// one page, a hundred rows on several. LibreOffice prints an .xlsx fitted
// one page wide with automatic height at about 77 % (four pages; the .xls
// at full size takes five), with or without the hidden column.
TEST_F(LibreOfficeXlsx, PrintsOneLandscapeA4PageWideAndAsManyDownAsTheRowsTake) {
    if (!installed(QStringLiteral("pdfinfo"))) GTEST_SKIP() << "pdfinfo (poppler-utils) is not installed";
    for (const auto& [name, pages] : {std::pair{"sample", 1}, std::pair{"hundred", 4}}) {
        const ProcessRun info = run(QStringLiteral("pdfinfo"), {path("out/") + QLatin1String(name) + QStringLiteral(".pdf")});
        ASSERT_EQ(info.exitCode, 0) << name << info.err.toStdString();
        const QString text = QString::fromLocal8Bit(info.out);
        EXPECT_TRUE(text.contains(QRegularExpression(QStringLiteral("Pages:\\s+%1\\n").arg(pages)))) << name << text.toStdString();
        EXPECT_TRUE(text.contains(QRegularExpression(QStringLiteral("Page size:\\s+841\\.[89]\\d* x 595\\.\\d+ pts"))))
            << name << text.toStdString();
    }
}

}  // namespace
}  // namespace brevanta
