// The CSV reader and the brevanta-register command as a user runs it.

#include <gtest/gtest.h>

#include <QDeadlineTimer>
#include <tuple>

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>
#include <functional>
#include <sys/resource.h>

#include "frame/failure.h"
#include "generate/register_layout.h"
#include "ledger/saved_list.h"
#include "statements/csv_records.h"
#include "statements/register_csv.h"
#include "tests/support/small_disk.h"
#include "xls/xls_file.h"

namespace brevanta {
namespace {

using statements::parseCsv;
using statements::transactionsFromCsv;

TEST(CsvTransactions, QuotingFollowsRfc4180) {
    const auto records = parseCsv(QStringLiteral(
        "a,\"b, with comma\",\"say \"\"hi\"\"\"\r\n"
        "\"two\nlines\",,x\n"
        "\n"
        "last,\"\",\"\"\"\""));
    ASSERT_EQ(records.size(), 3u);
    EXPECT_EQ(records[0], (std::vector<QString>{"a", "b, with comma", "say \"hi\""}));
    EXPECT_EQ(records[1], (std::vector<QString>{"two\nlines", "", "x"}));
    EXPECT_EQ(records[2], (std::vector<QString>{"last", "", "\""}));
    EXPECT_THROW(parseCsv(QStringLiteral("a,\"never closed\nb")), frame::Failure);
}

TEST(CsvTransactions, AmountsPassTheZeroTestAndBadFilesAreRefused) {
    const auto rows = transactionsFromCsv(QStringLiteral(
        "\xFEFF" "Date,Number,Description,Category,Cleared,Debit,Credit\n"
        "1/1/2013,1,\"Car, used\",Automotive,Yes,0.00,5000\n"
        "1/2/2013,2,Toys,Toys,,abc,=100*3\n"));
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(rows[0], (reg::Transaction{"1/1/2013", "1", "Car, used", "Automotive", "Yes", "", "5000"}));
    // No leading number counts as zero, as in Add Transaction; a formula too.
    EXPECT_EQ(rows[1][reg::Debit], QString());
    EXPECT_EQ(rows[1][reg::Credit], QString());
    EXPECT_THROW(transactionsFromCsv(QStringLiteral("Date,Number\n1,2\n")), frame::Failure);
    EXPECT_THROW(transactionsFromCsv(QStringLiteral(
                     "Date,Number,Description,Category,Cleared,Debit,Credit\n1,2,3\n")), frame::Failure);
    EXPECT_THROW(transactionsFromCsv(QString()), frame::Failure);
}

struct CommandRun {
    int exitCode = -1;
    QString err;
};

CommandRun registerCommand(const QStringList& arguments, const QProcessEnvironment& environment = {}) {
    QProcess process;
    if (!environment.isEmpty()) process.setProcessEnvironment(environment);
    process.start(QStringLiteral(BREVANTA_REGISTER_COMMAND), arguments);
    CommandRun run;
    if (!process.waitForFinished(120000)) return run;
    run.exitCode = process.exitCode();
    run.err = QString::fromLocal8Bit(process.readAllStandardError());
    return run;
}

TEST(RegisterCommand, WritesWorkbookAndPictureFromEachKindOfInput) {
    QTemporaryDir dir;
    QFile csv(dir.filePath(QStringLiteral("in.csv")));
    ASSERT_TRUE(csv.open(QIODevice::WriteOnly));
    csv.write("Date,Number,Description,Category,Cleared,Debit,Credit\n"
              "1/1/2013,2,\"Lunch, \"\"big\"\" one\",Food,,12.5,\n"
              "1/2/2013,1,Pay,Salary,Yes,,1000\n");
    csv.close();
    QFile list(dir.filePath(QStringLiteral("list.txt")));
    ASSERT_TRUE(list.open(QIODevice::WriteOnly));
    list.write("1/1/2013^1^Sold My Used Car^Automotive^Yes^^5000|");
    list.close();

    const QString out = dir.filePath(QStringLiteral("out.xls"));
    const QString png = dir.filePath(QStringLiteral("out.png"));
    for (const QStringList& input : {QStringList{"--csv", csv.fileName()}, QStringList{"--list", list.fileName()},
                                     QStringList{"--sample"}, QStringList{"--rows", "50"}}) {
        QFile::remove(out);
        QFile::remove(png);
        const CommandRun run = registerCommand(input + QStringList{"-o", out, "--picture", png, "--timings"});
        EXPECT_EQ(run.exitCode, 0) << input.join(' ').toStdString() << "\n" << run.err.toStdString();
        EXPECT_TRUE(QFile::exists(out));
        EXPECT_FALSE(QImage(png).isNull());
        EXPECT_TRUE(run.err.contains(QStringLiteral("time layout"))) << run.err.toStdString();
    }

    // The picture of an existing workbook.
    const QString again = dir.filePath(QStringLiteral("again.png"));
    const CommandRun fromXls = registerCommand({"--from-xls", out, "--picture", again});
    EXPECT_EQ(fromXls.exitCode, 0) << fromXls.err.toStdString();
    EXPECT_EQ(QImage(again).size(), QImage(png).size());
}

TEST(RegisterCommand, PicturesAreSvgAtAnySizeAndPngOnlyWhileABitmapHoldsThem) {
    QTemporaryDir dir;
    const QString out = dir.filePath(QStringLiteral("out.xls"));
    // 2,000 transactions are 54,000 pixels tall: SVG takes them all, with the last one's text.
    const QString svg = dir.filePath(QStringLiteral("long.svg"));
    const CommandRun drawn = registerCommand({"--rows", "2000", "-o", out, "--picture", svg});
    EXPECT_EQ(drawn.exitCode, 0) << drawn.err.toStdString();
    QFile svgFile(svg);
    ASSERT_TRUE(svgFile.open(QIODevice::ReadOnly));
    const QByteArray svgText = svgFile.readAll();
    EXPECT_TRUE(svgText.contains("<svg")) << svgText.left(200).toStdString();
    EXPECT_TRUE(svgText.contains(">Transaction 2000<"));
    // The same as a PNG is refused, naming .svg, and no cut picture is written.
    const QString png = dir.filePath(QStringLiteral("long.png"));
    const CommandRun refused = registerCommand({"--rows", "2000", "-o", out, "--picture", png});
    EXPECT_EQ(refused.exitCode, 1);
    EXPECT_TRUE(refused.err.contains(QStringLiteral(".svg"))) << refused.err.toStdString();
    EXPECT_FALSE(QFile::exists(png));
    const CommandRun fromXls = registerCommand({"--from-xls", out, "--picture", png});
    EXPECT_EQ(fromXls.exitCode, 1);
    EXPECT_FALSE(QFile::exists(png));
    const CommandRun fromXlsSvg = registerCommand({"--from-xls", out, "--picture", dir.filePath(QStringLiteral("again.svg"))});
    EXPECT_EQ(fromXlsSvg.exitCode, 0) << fromXlsSvg.err.toStdString();
    // Another kind of picture is refused before any work.
    const CommandRun gif = registerCommand({"--sample", "-o", out, "--picture", dir.filePath(QStringLiteral("x.gif"))});
    EXPECT_EQ(gif.exitCode, 2);
    EXPECT_TRUE(gif.err.contains(QStringLiteral(".svg or .png"))) << gif.err.toStdString();
}

// A statement alone, or matched against a stored list, as the window does it.
TEST(RegisterCommand, ImportsAndReconcilesStatements) {
    QTemporaryDir dir;
    auto run = [&](const QStringList& arguments, QString* out = nullptr) {
        QProcess process;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("LANG"), QStringLiteral("en_US.UTF-8"));
        environment.insert(QStringLiteral("LC_ALL"), QStringLiteral("en_US.UTF-8"));
        process.setProcessEnvironment(environment);
        process.start(QStringLiteral(BREVANTA_REGISTER_COMMAND), arguments);
        EXPECT_TRUE(process.waitForFinished(120000));
        if (out) *out = QString::fromUtf8(process.readAllStandardOutput()) + QString::fromUtf8(process.readAllStandardError());
        return process.exitCode();
    };
    const QString fixtures = QStringLiteral(STATEMENT_FIXTURES "/");
    const QString xls = dir.filePath(QStringLiteral("out.xls"));
    const QString first = dir.filePath(QStringLiteral("first.txt"));
    const QString second = dir.filePath(QStringLiteral("second.txt"));
    QString output;
    EXPECT_EQ(run({"--import", fixtures + "bank_sgml.ofx", "-o", xls, "--save-list", first}, &output), 0) << output.toStdString();
    EXPECT_TRUE(QFile::exists(xls));
    QFile firstList(first);
    ASSERT_TRUE(firstList.open(QIODevice::ReadOnly));
    EXPECT_TRUE(firstList.readAll().startsWith("2025-01-15^1042^CHECK 1042^^Yes^125.00^|"));

    EXPECT_EQ(run({"--list", first, "--import", fixtures + "bank.qif", "--reconcile", "-o", xls, "--save-list", second},
                  &output), 0);
    EXPECT_TRUE(output.contains(QStringLiteral(
        "bank.qif: 2 rows added, 0 matched rows marked cleared, 2 matched rows were cleared already.")))
        << output.toStdString();
    QFile secondList(second);
    ASSERT_TRUE(secondList.open(QIODevice::ReadOnly));
    EXPECT_EQ(secondList.readAll().count('|'), 7);

    // A damaged statement: the message, a failure, and no workbook.
    QFile cut(dir.filePath(QStringLiteral("cut.qif")));
    ASSERT_TRUE(cut.open(QIODevice::WriteOnly));
    cut.write("!Type:Bank\nD1/2/2025\nT-1.00\n^\nD1/3/2025\nT-1,0.00\n^\n");
    cut.close();
    QFile::remove(xls);
    EXPECT_EQ(run({"--import", cut.fileName(), "-o", xls}, &output), 2);
    EXPECT_TRUE(output.contains(QStringLiteral("cut.qif: line 6: the amount \"-1,0.00\" is no number")))
        << output.toStdString();
    EXPECT_FALSE(QFile::exists(xls));
    EXPECT_EQ(run({"--sample", "--reconcile", "-o", xls}, &output), 2);
}

// An imported row takes the category its payee had last in the list, as in the window.
TEST(RegisterCommand, AnImportedRowTakesItsPayeesRememberedCategory) {
    QTemporaryDir dir;
    const QString list = dir.filePath(QStringLiteral("list.txt"));
    const QString saved = dir.filePath(QStringLiteral("saved.txt"));
    QFile listFile(list);
    ASSERT_TRUE(listFile.open(QIODevice::WriteOnly));
    listFile.write(reg::encodeSavedList(std::vector<reg::Transaction>{
                                            {"2024-11-29", "", "Payroll Acme Widgets", "Wages", "", "", "1400.00"},
                                            {"2024-12-31", "", "payroll acme widgets ", "Salary", "", "", "1450.00"}})
                       .toUtf8());
    listFile.close();
    const CommandRun run = registerCommand({"--list", list, "--import", QStringLiteral(STATEMENT_FIXTURES "/bank_sgml.ofx"),
                                            "-o", dir.filePath(QStringLiteral("out.xls")), "--save-list", saved});
    ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
    QFile savedFile(saved);
    ASSERT_TRUE(savedFile.open(QIODevice::ReadOnly));
    QStringList categories;
    for (const reg::SavedRecord& record : reg::decodeSavedList(QString::fromUtf8(savedFile.readAll())))
        if (record.fields[reg::Description] == QStringLiteral("PAYROLL ACME WIDGETS") ||
            record.fields[reg::Description].startsWith(QStringLiteral("Corner Cafe")))
            categories << record.fields[reg::Category];
    EXPECT_EQ(categories, (QStringList{QStringLiteral("Salary"), QString(), QString()}));
}

// The statement's new rows take the list past what a register holds: nothing is written.
TEST(RegisterCommand, ARunRefusedForTooManyTransactionsSavesNoList) {
    QTemporaryDir dir;
    const QString list = dir.filePath(QStringLiteral("list.txt"));
    const QString xls = dir.filePath(QStringLiteral("out.xls"));
    const CommandRun refused = registerCommand({"--rows", QString::number(generate::kMostTransactions), "--import",
                                                QStringLiteral(STATEMENT_FIXTURES "/bank.qif"), "--save-list", list,
                                                "-o", xls});
    EXPECT_EQ(refused.exitCode, 1);
    EXPECT_TRUE(refused.err.contains(QStringLiteral("The register holds at most 65,531 transactions")))
        << refused.err.toStdString();
    EXPECT_FALSE(QFile::exists(list));
    EXPECT_FALSE(QFile::exists(xls));
}

// Killed while libofx reads a statement built to hang it: no copy of the
// statement is left in the temporary folder, and the reader ends too.
TEST(RegisterCommand, AnImportWhoseProgramIsKilledLeavesNoCopyOfTheStatement) {
    QTemporaryDir dir, temporary;
    QFile fixture(QStringLiteral(STATEMENT_FIXTURES "/bank_sgml.ofx"));
    ASSERT_TRUE(fixture.open(QIODevice::ReadOnly));
    const QByteArray bytes = fixture.readAll();
    QFile bomb(dir.filePath(QStringLiteral("bomb.ofx")));
    ASSERT_TRUE(bomb.open(QIODevice::WriteOnly));
    bomb.write(bytes.left(bytes.indexOf("<OFX>") + 5) + QByteArray("<STMTTRNRS>").repeated(50000) + "</OFX>\n");
    bomb.close();
    auto files = [&] {
        QStringList names;
        QDirIterator it(temporary.path(), QDir::Files | QDir::Hidden | QDir::System, QDirIterator::Subdirectories);
        while (it.hasNext()) names << it.next();
        return names;
    };
    auto waitFor = [](const std::function<bool()>& condition) {
        QDeadlineTimer deadline(30000);
        while (!condition() && !deadline.hasExpired()) QThread::msleep(20);
        return condition();
    };

    QProcess process;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("TMPDIR"), temporary.path());
    environment.insert(QStringLiteral("XDG_RUNTIME_DIR"), dir.path());
    process.setProcessEnvironment(environment);
    process.start(QStringLiteral(BREVANTA_REGISTER_COMMAND),
                  {"--import", bomb.fileName(), "-o", dir.filePath(QStringLiteral("out.xls"))});
    ASSERT_TRUE(waitFor([&] { return files().join(u' ').contains(QStringLiteral("/libofxtmp")); })) << files().join(u' ').toStdString();
    process.kill();
    process.waitForFinished();
    EXPECT_TRUE(waitFor([&] { return files().isEmpty(); })) << files().join(u' ').toStdString();
}

// A bank CSV file is read in the order its columns decide, under any
// locale; one that cannot tell is refused until --date-order says it.
TEST(RegisterCommand, BankCsvDatesAreReadAsTheFileOrTheUserSays) {
    QTemporaryDir dir;
    auto run = [&](const char* locale, const QStringList& arguments, QString* out) {
        QProcess process;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("LANG"), QLatin1String(locale));
        environment.insert(QStringLiteral("LC_ALL"), QLatin1String(locale));
        process.setProcessEnvironment(environment);
        process.start(QStringLiteral(BREVANTA_REGISTER_COMMAND), arguments);
        EXPECT_TRUE(process.waitForFinished(120000));
        *out = QString::fromUtf8(process.readAllStandardOutput()) + QString::fromUtf8(process.readAllStandardError());
        return process.exitCode();
    };
    const QString fixtures = QStringLiteral(STATEMENT_FIXTURES "/");
    const QString xls = dir.filePath(QStringLiteral("out.xls"));
    const QString list = dir.filePath(QStringLiteral("list.txt"));
    auto stored = [&] {
        QFile file(list);
        return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
    };
    QString output;
    // The same entries, written in each user's own way.
    for (const auto& [locale, first] : {std::pair{"de_DE.UTF-8", "2026-01-03^1042^CHECK 1042^^^125,00^|"},
                                        std::pair{"en_US.UTF-8", "2026-01-03^1042^CHECK 1042^^^125.00^|"}}) {
        EXPECT_EQ(run(locale, {"--import", fixtures + "bank_mdy_point.csv", "--reconcile", "-o", xls, "--save-list", list},
                      &output), 0) << output.toStdString();
        EXPECT_TRUE(output.contains(QStringLiteral("Dates read month first (12/31/2026); decimal mark \".\"."))) << locale;
        EXPECT_EQ(stored().count(u'|'), 3) << locale;
        EXPECT_TRUE(stored().startsWith(QLatin1String(first))) << stored().toStdString();
    }

    // Undecided: refused, naming the option; then read as the user says.
    QFile::remove(xls);
    const QString ambiguous = fixtures + "bank_ambiguous.csv";
    EXPECT_EQ(run("en_US.UTF-8", {"--import", ambiguous, "-o", xls}, &output), 2);
    EXPECT_TRUE(output.contains(QStringLiteral("bank_ambiguous.csv: every date reads both day first and month first "
                                               "(line 2: \"01/03/2026\"); say which with --date-order dmy|mdy|ymd")))
        << output.toStdString();
    EXPECT_FALSE(QFile::exists(xls));
    EXPECT_EQ(run("en_US.UTF-8", {"--import", ambiguous, "--date-order", "dmy", "-o", xls, "--save-list", list}, &output), 0)
        << output.toStdString();
    EXPECT_TRUE(output.contains(QStringLiteral("bank_ambiguous.csv: Dates read day first (31/12/2026) as you chose; "
                                               "decimal mark \".\".")))
        << output.toStdString();
    EXPECT_TRUE(stored().startsWith(QStringLiteral("2026-03-01^^CHECK 1042^^^125.00^|"))) << stored().toStdString();

    // The user's word overrides a decided file, and every row is checked against it.
    EXPECT_EQ(run("en_US.UTF-8", {"--import", fixtures + "bank_mdy_point.csv", "--date-order", "dmy", "-o", xls}, &output), 2);
    EXPECT_TRUE(output.contains(QStringLiteral("bank_mdy_point.csv: line 3: the date \"01/13/2026\" cannot be read day first")))
        << output.toStdString();
    EXPECT_EQ(run("en_US.UTF-8", {"--import", ambiguous, "--date-order", "dym", "-o", xls}, &output), 2);
    EXPECT_TRUE(output.contains(QStringLiteral("--date-order takes dmy, mdy or ymd"))) << output.toStdString();
    EXPECT_EQ(run("en_US.UTF-8", {"--sample", "--date-order", "dmy", "-o", xls}, &output), 2);
}

// A statement's text reaches the terminal escaped: an ESC [2J in a bank's
// error text or in the statement's name would clear the screen.
TEST(RegisterCommand, ControlCharactersFromAStatementArePrintedEscaped) {
    QTemporaryDir dir;
    auto run = [&](const QStringList& arguments) {
        QProcess process;
        process.start(QStringLiteral(BREVANTA_REGISTER_COMMAND), arguments);
        EXPECT_TRUE(process.waitForFinished(120000));
        return process.readAllStandardOutput() + process.readAllStandardError();
    };
    const QString xls = dir.filePath(QStringLiteral("out.xls"));
    QFile damaged(dir.filePath(QStringLiteral("damaged.qif")));
    ASSERT_TRUE(damaged.open(QIODevice::WriteOnly));
    damaged.write("!Type:Bank\nD\x1b[2J1/2/2025\x07\r\nT-1.00\n^\n");
    damaged.close();
    QByteArray printed = run({"--import", damaged.fileName(), "-o", xls});
    EXPECT_TRUE(printed.contains("\\x1b[2J1/2/2025")) << printed.toStdString();
    EXPECT_FALSE(printed.contains('\x1b'));
    EXPECT_FALSE(printed.contains('\x07'));

    // The summary on standard output names the statement file.
    const QString named = dir.filePath(QStringLiteral("bank\x1b[2J.qif"));
    ASSERT_TRUE(QFile::copy(QStringLiteral(STATEMENT_FIXTURES "/bank.qif"), named));
    printed = run({"--sample", "--import", named, "--reconcile", "-o", xls});
    EXPECT_TRUE(printed.contains("bank\\x1b[2J.qif: ")) << printed.toStdString();
    EXPECT_FALSE(printed.contains('\x1b'));
}

TEST(RegisterCommand, WritesXlsOrXlsxByTheNameAndRefusesOtherNames) {
    QTemporaryDir dir;
    auto head = [](const QString& path) {
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? file.read(8) : QByteArray();
    };
    const QString xls = dir.filePath(QStringLiteral("register.xls"));
    const QString xlsx = dir.filePath(QStringLiteral("register.XLSX"));
    EXPECT_EQ(registerCommand({"--sample", "-o", xls}).exitCode, 0);
    EXPECT_EQ(registerCommand({"--sample", "-o", xlsx}).exitCode, 0);
    EXPECT_EQ(head(xls), QByteArray("\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1", 8)) << "a compound file";
    EXPECT_TRUE(head(xlsx).startsWith("PK\x03\x04")) << "a zip of XML parts";
    for (const char* name : {"register.xlsm", "register.ods", "register"}) {
        const CommandRun refused = registerCommand({"--sample", "-o", dir.filePath(QLatin1String(name))});
        EXPECT_EQ(refused.exitCode, 2) << name;
        EXPECT_TRUE(refused.err.contains(QStringLiteral(".xls or .xlsx"))) << refused.err.toStdString();
        EXPECT_FALSE(QFile::exists(dir.filePath(QLatin1String(name))));
    }
    // An .xlsx that cannot be written keeps what was there and says why.
    QFile::remove(xlsx);
    ASSERT_TRUE(QDir(dir.path()).mkdir(QStringLiteral("register.XLSX")));
    const CommandRun blocked = registerCommand({"--sample", "-o", xlsx});
    EXPECT_EQ(blocked.exitCode, 1);
    EXPECT_TRUE(blocked.err.contains(QStringLiteral("Cannot write ") + xlsx)) << blocked.err.toStdString();
    EXPECT_TRUE(QFileInfo(xlsx).isDir());
}

TEST(RegisterCommand, BadArgumentsAndUnreadableInputGiveUsageAndFailure) {
    QTemporaryDir dir;
    const QString out = dir.filePath(QStringLiteral("out.xls"));
    for (const QStringList& arguments :
         {QStringList{}, QStringList{"--sample"}, QStringList{"--sample", "--rows", "3", "-o", out},
          QStringList{"--rows", "many", "-o", out}, QStringList{"--bogus"}, QStringList{"--csv"},
          QStringList{"--from-xls", out}, QStringList{"--sample", "-o"}, QStringList{"--sample=yes", "-o", out},
          QStringList{"--rows", "3", "--rows", "many", "-o", out}}) {
        const CommandRun run = registerCommand(arguments);
        EXPECT_EQ(run.exitCode, 2) << arguments.join(' ').toStdString();
        EXPECT_TRUE(run.err.contains(QStringLiteral("Usage:"))) << run.err.toStdString();
    }
    const CommandRun missing = registerCommand({"--csv", dir.filePath(QStringLiteral("nope.csv")), "-o", out});
    EXPECT_EQ(missing.exitCode, 2);
    EXPECT_TRUE(missing.err.contains(QStringLiteral("cannot read"))) << missing.err.toStdString();

    QFile bad(dir.filePath(QStringLiteral("bad.csv")));
    ASSERT_TRUE(bad.open(QIODevice::WriteOnly));
    bad.write("Date,Amount\n");
    bad.close();
    const CommandRun wrongHeader = registerCommand({"--csv", bad.fileName(), "-o", out});
    EXPECT_EQ(wrongHeader.exitCode, 2);
    EXPECT_TRUE(wrongHeader.err.contains(QStringLiteral("header"))) << wrongHeader.err.toStdString();
    EXPECT_FALSE(QFile::exists(out));

    // A failing step is printed as the error report and fails the run.
    const CommandRun unwritable = registerCommand({"--sample", "-o", dir.filePath(QStringLiteral("no/such/folder/out.xls"))});
    EXPECT_EQ(unwritable.exitCode, 1);
    EXPECT_EQ(unwritable.err.count(QStringLiteral("cannot write")), 1) << unwritable.err.toStdString();

    // An option given twice takes its last value.
    const QString first = dir.filePath(QStringLiteral("first.xls"));
    EXPECT_EQ(registerCommand({"--sample", "-o", first, "--output", out}).exitCode, 0);
    EXPECT_TRUE(QFile::exists(out));
    EXPECT_FALSE(QFile::exists(first));
}

void put(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

QByteArray contentOf(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<unreadable>");
}

// The text in a cell of the written register (row and column 0-based); "<none>" for no text.
QString cellText(const QString& workbook, int row, int column) {
    const auto book = xls::readWorkbook(workbook);
    const model::Cell* cell = book->sheets[0]->find(row, column);
    const QString* text = cell ? std::get_if<QString>(&cell->value) : nullptr;
    return text ? *text : QStringLiteral("<none>");
}

// What the command itself printed, without Qt's own notes about the environment.
QString ownLines(const QString& err) {
    QStringList own;
    for (const QString& line : err.split(QLatin1Char('\n'), Qt::SkipEmptyParts))
        if (line.startsWith(QLatin1String("brevanta-register:"))) own << line;
    return own.isEmpty() ? QString() : own.join(QLatin1Char('\n')) + QLatin1Char('\n');
}

const QByteArray kCsvHeader = "Date,Number,Description,Category,Cleared,Debit,Credit\r\n";

// Every editor ends a file with a line break; bank exports come in
// Windows-1252 or UTF-16 as often as in UTF-8.
TEST(RegisterCommand, ReadsListsWithALineBreakAndCsvInEachEncoding) {
    QTemporaryDir dir;
    const QString out = dir.filePath(QStringLiteral("out.xls"));
    const QString list = dir.filePath(QStringLiteral("list.txt"));
    put(list, "1/1/2013^1^Sold My Used Car^Automotive^Yes^^5000|\n");
    const CommandRun listRun = registerCommand({"--list", list, "-o", out});
    ASSERT_EQ(listRun.exitCode, 0) << listRun.err.toStdString();
    EXPECT_EQ(cellText(out, 5, 3), QStringLiteral("Sold My Used Car"));
    EXPECT_EQ(cellText(out, 6, 1), QStringLiteral("<none>"));  // no bogus row dated with the line break

    const QString csv = dir.filePath(QStringLiteral("bank.csv"));
    const QString description = QStringLiteral("Caf\u00e9 \u20ac5 \u201cspecial\u201d");
    const QByteArray record = "1/1/2013,1," + description.toUtf8() + ",Food,,5,\r\n";
    QByteArray utf16 = "\xFF\xFE";
    const QString whole = QString::fromUtf8(kCsvHeader + record);
    utf16.append(reinterpret_cast<const char*>(whole.utf16()), whole.size() * 2);
    struct Case {
        const char* name;
        QByteArray bytes;
        bool noted;
    };
    for (const Case& input : {Case{"UTF-8", kCsvHeader + record, false},
                              Case{"UTF-8 with mark", "\xEF\xBB\xBF" + kCsvHeader + record, false},
                              Case{"UTF-16", utf16, false},
                              Case{"Windows-1252", kCsvHeader + "1/1/2013,1,Caf\xE9 \x80" "5 \x93special\x94,Food,,5,\r\n", true}}) {
        put(csv, input.bytes);
        QFile::remove(out);
        const CommandRun run = registerCommand({"--csv", csv, "-o", out});
        ASSERT_EQ(run.exitCode, 0) << input.name << ": " << run.err.toStdString();
        EXPECT_EQ(cellText(out, 5, 3), description) << input.name;
        EXPECT_EQ(run.err.contains(QStringLiteral("is not UTF-8; it is read as Windows-1252")), input.noted)
            << input.name << ": " << run.err.toStdString();
    }
}

TEST(RegisterCommand, RefusesMoreTransactionsThanASheetHoldsAndEndlessInput) {
    QTemporaryDir dir;
    const QString out = dir.filePath(QStringLiteral("out.xls"));
    const CommandRun rows = registerCommand({"--rows", "65532", "-o", out});
    EXPECT_EQ(rows.exitCode, 1);
    EXPECT_EQ(ownLines(rows.err), QStringLiteral("brevanta-register: ") + generate::tooManyTransactionsMessage(65532) +
                            QLatin1Char('\n'));

    const QString list = dir.filePath(QStringLiteral("long.txt"));
    put(list, QByteArray("1/1/2024^1^x^^^1^|").repeated(65532));
    const CommandRun longList = registerCommand({"--list", list, "-o", out});
    EXPECT_EQ(longList.exitCode, 1);
    EXPECT_TRUE(longList.err.contains(generate::tooManyTransactionsMessage(65532))) << longList.err.toStdString();
    EXPECT_EQ(ownLines(longList.err).count(QLatin1Char('\n')), 1);
    EXPECT_FALSE(QFile::exists(out));

    // An endless input is refused once it outgrows any register, not read into memory until it fails.
    const CommandRun endless = registerCommand({"--list", "/dev/zero", "-o", out});
    EXPECT_EQ(endless.exitCode, 1);
    EXPECT_TRUE(endless.err.contains(QStringLiteral("is larger than the 256 MB"))) << endless.err.toStdString();

    // An allocation failure is a message and exit 1, not an abort: 512 MB of address space is too little
    // for a 200 MB text.
    QProcess process;
    process.setChildProcessModifier([] {
        struct rlimit limit {512L << 20, 512L << 20};
        ::setrlimit(RLIMIT_AS, &limit);
    });
    put(list, QByteArray("1/1/2024^1^").append(QByteArray(200 << 20, 'x')).append("^^^1^|"));
    process.start(QStringLiteral(BREVANTA_REGISTER_COMMAND), {"--list", list, "-o", out});
    ASSERT_TRUE(process.waitForFinished(120000));
    EXPECT_EQ(process.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(process.exitCode(), 1) << process.readAllStandardError().toStdString();
}

TEST(RegisterCommand, ExactlyTheRowLimitWritesWithoutAWord) {
    QTemporaryDir dir;
    const QString out = dir.filePath(QStringLiteral("out.xls"));
    const CommandRun run = registerCommand({"--rows", "65531", "-o", out});
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_EQ(ownLines(run.err), QString());
    EXPECT_FALSE(run.err.contains(QStringLiteral("error"))) << run.err.toStdString();
    // The last row is the latest date's largest number: transaction i (from 0)
    // is dated 2024, month i % 12 + 1, day i % 28 + 1, and numbered 65531 - i.
    int last = 0;
    auto key = [](int i) { return std::tuple(i % 12, i % 28, 65531 - i); };
    for (int i = 1; i < 65531; ++i)
        if (key(i) > key(last)) last = i;
    EXPECT_EQ(cellText(out, 65535, 3), QStringLiteral("Transaction %1").arg(last + 1));
}

TEST(RegisterCommand, AnOverlongTextIsCutAndSaidOnStderr) {
    QTemporaryDir dir;
    const QString out = dir.filePath(QStringLiteral("out.xls"));
    const QString list = dir.filePath(QStringLiteral("list.txt"));
    put(list, "1/1/2013^1^short^^^1^|1/2/2013^2^" + QByteArray(32766, 'a') + "\xF0\x9F\x98\x80tail^^^1^|");
    const CommandRun run = registerCommand({"--list", list, "-o", out});
    EXPECT_EQ(run.exitCode, 0) << run.err.toStdString();
    EXPECT_EQ(ownLines(run.err), QStringLiteral("brevanta-register: Transaction 2 has a text longer than the 32,767 characters "
                                      "a cell holds; the register shows it cut there.\n"));
    EXPECT_EQ(cellText(out, 6, 3), QString(32766, QLatin1Char('a')));
}

// A full disk: where the temporary workbook goes (TMPDIR), and where the
// output goes over an existing file. Neither may end as success or leave
// the old output harmed.
TEST(RegisterCommand, AFullDiskFailsTheRunAndKeepsTheOldOutput) {
    testsupport::SmallDisk disk(256 * 1024);
    BREVANTA_NEEDS_SMALL_DISK(disk);
    QTemporaryDir dir;
    const QString out = dir.filePath(QStringLiteral("out.xls"));
    QProcessEnvironment fullTemp = QProcessEnvironment::systemEnvironment();
    fullTemp.insert(QStringLiteral("TMPDIR"), disk.path());
    disk.fill(4096);
    const CommandRun tempFull = registerCommand({"--rows", "2000", "-o", out}, fullTemp);
    EXPECT_EQ(tempFull.exitCode, 1);
    EXPECT_TRUE(tempFull.err.contains(QStringLiteral("No space left on device"))) << tempFull.err.toStdString();
    EXPECT_FALSE(QFile::exists(out));

    QFile::remove(disk.filePath(QStringLiteral(".filler")));
    const QString old = disk.filePath(QStringLiteral("old.xls"));
    ASSERT_EQ(registerCommand({"--sample", "-o", old}).exitCode, 0);
    const QByteArray before = contentOf(old);
    disk.fill(4096);
    const CommandRun outFull = registerCommand({"--rows", "2000", "-o", old});
    EXPECT_EQ(outFull.exitCode, 1);
    EXPECT_TRUE(outFull.err.contains(QStringLiteral("cannot write ") + old)) << outFull.err.toStdString();
    EXPECT_EQ(contentOf(old), before);
    EXPECT_EQ(QDir(disk.path()).entryList(QDir::Files | QDir::Hidden).size(), 2);  // no half copy beside it
}

}  // namespace
}  // namespace brevanta
