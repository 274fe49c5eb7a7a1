// One generation against the recording host: the steps in order, the
// temporary names, the picture's way to the preview, and the carry-on
// behaviour when hosts or files fail.

#include <gtest/gtest.h>

#include <QDir>
#include <sys/wait.h>
#include <unistd.h>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QRegularExpression>
#include <QTemporaryDir>

#include "frame/error_report.h"
#include "generate/check_register.h"
#include "generate/palette.h"
#include "generate/register_layout.h"
#include "host/connection.h"
#include "tests/support/injected_failure.h"
#include "tests/host/fake_host.h"
#include "tests/support/recording.h"

namespace brevanta {
namespace {

class RecordingWindows final : public generate::GenerationWindows {
public:
    void setMainPointer(int pointer) override { calls << QStringLiteral("pointer ") + QString::number(pointer); }
    void hideMain() override { calls << QStringLiteral("hide main"); }
    void loadPreviewPicture(const QString& path) override {
        calls << QStringLiteral("load picture");
        QImage image(path, "BMP");  // the bitmap the fake host copied, kept a bitmap
        if (image.isNull()) throw frame::Failure(QStringLiteral("Invalid picture"));
        picture = image;
    }
    void setPreviewExcelFile(const QString& path) override {
        calls << QStringLiteral("excel file");
        excelFile = path;
    }
    void showPreview() override { calls << QStringLiteral("show preview"); }
    void tell(const QString& text) override { told << text; }
    QStringList calls;
    QStringList told;
    QImage picture;
    QString excelFile;
};

class TempScope {
public:
    explicit TempScope(const QByteArray& value) : saved_(qgetenv("TEMP")), had_(qEnvironmentVariableIsSet("TEMP")) {
        qputenv("TEMP", value);
    }
    ~TempScope() {
        if (had_) qputenv("TEMP", saved_);
        else qunsetenv("TEMP");
    }

private:
    QByteArray saved_;
    bool had_;
};

struct Generation {
    testsupport::SeamGuard seams;
    fakehost::FactoryGuard hosts;
    QTemporaryDir temp;
    TempScope tempVariable{temp.path().toLocal8Bit()};
    RecordingWindows windows;
    void run(const reg::TransactionSource& list) { generate::generateCheckRegister(1, list, windows); }
};

const reg::TransactionList kExample({
    {"1/1/2013", "1", "Sold My Used Car", "Automotive", "Yes", "", "5000"},
    {"1/2/2013", "2", "Thundercats Collection", "Toys", "Yes", "", "55"},
});

TEST(GenerationDriver, AWholeGenerationHandsPictureAndWorkbookToThePreview) {
    Generation g;
    g.run(kExample);

    EXPECT_TRUE(g.seams.reporter.reports.empty()) << g.seams.reporter.reports[0].text().toStdString();
    EXPECT_EQ(g.windows.calls, (QStringList{"pointer 11", "pointer 0", "load picture", "excel file", "show preview", "hide main"}));
    EXPECT_EQ(g.windows.picture.size(), QSize(40, 20));
    EXPECT_TRUE(QRegularExpression(QStringLiteral("^vantor[1-9]{8}\\.xls$"))
                    .match(QFileInfo(g.windows.excelFile).fileName()).hasMatch()) << g.windows.excelFile.toStdString();
    EXPECT_EQ(QFileInfo(g.windows.excelFile).absolutePath(), QDir(g.temp.path()).absolutePath());
    EXPECT_TRUE(QFile::exists(g.windows.excelFile));
    EXPECT_FALSE(QFile::exists(g.temp.filePath(QStringLiteral("temp.bmp"))));

    // The new workbook's three sheets are cut to one named "Check Register".
    const auto& log = g.hosts.world->log;
    EXPECT_EQ(g.hosts.world->count(QStringLiteral(".Delete")), 2);
    ASSERT_EQ(g.hosts.factory.lastCreatedBook->sheets.size(), 1u);
    EXPECT_EQ(g.hosts.factory.lastCreatedBook->sheets[0]->name, QStringLiteral("Check Register"));
    // Quiet while laying out, restored before the save, alerts off before each close.
    const QStringList expectedOrder{"CreateObject", "Visible=False", "ScreenUpdating=False", "DisplayAlerts=False",
                                    "EnableEvents=False", "EnableCancelKey=0", "Cursor=2", "Workbooks.Add",
                                    "Cursor=-4143", "ScreenUpdating=True", "DisplayAlerts=True", "EnableEvents=True",
                                    "EnableCancelKey=1", "Version",
                                    "Workbook.SaveAs " + g.windows.excelFile + " FileFormat=56",
                                    "DisplayAlerts=False", "Workbook.Close", "Quit", "CreateObject",
                                    "Workbooks.Open " + g.windows.excelFile, "UsedRange.CopyPicture",
                                    "DisplayAlerts=False", "Workbook.Close", "Quit"};
    int at = 0;
    for (const QString& line : expectedOrder) {
        const int found = g.hosts.world->indexOf(line, at);
        ASSERT_GE(found, 0) << "missing in order: " << line.toStdString();
        at = found + 1;
    }
    EXPECT_FALSE(log.contains(QStringLiteral("Visible=True")));
    EXPECT_EQ(g.hosts.world->alive, 0);
}

TEST(GenerationDriver, NamesHaveTheirFormAndTempFallsBackToThePrivateFolder) {
    std::mt19937 generator(42);
    std::set<QString> names;
    for (int i = 0; i < 200; ++i) {
        const QString name = generate::drawTemporaryName(generator);
        ASSERT_TRUE(QRegularExpression(QStringLiteral("^vantor[1-9]{8}$")).match(name).hasMatch()) << name.toStdString();
        names.insert(name);
    }
    EXPECT_GT(names.size(), 190u);  // one generator, not re-seeded per digit

    {
        TempScope empty("");
        EXPECT_EQ(generate::temporaryFolder(), QDir::tempPath() + QStringLiteral("/brevanta-") + QString::number(::getuid()));
    }
    QTemporaryDir dir;
    TempScope set(dir.path().toLocal8Bit());
    EXPECT_EQ(generate::temporaryFolder(), dir.path());
}

TEST(GenerationDriver, ANameThatExistsIsRedrawnWhole) {
    Generation g;
    generate::temporaryNameGenerator().seed(7);
    std::mt19937 preview(7);
    const QString taken = generate::drawTemporaryName(preview);
    const QString next = generate::drawTemporaryName(preview);
    QFile existing(g.temp.filePath(taken + QStringLiteral(".xls")));
    ASSERT_TRUE(existing.open(QIODevice::WriteOnly));
    existing.write("the user's");
    existing.close();

    g.run(kExample);
    EXPECT_EQ(QFileInfo(g.windows.excelFile).fileName(), next + QStringLiteral(".xls"));
    ASSERT_TRUE(existing.open(QIODevice::ReadOnly));
    EXPECT_EQ(existing.readAll(), QByteArray("the user's"));
}

TEST(GenerationDriver, NoHostGivesABoxForEveryStepAndStillShowsThePreview) {
    Generation g;
    g.hosts.world->failCreate = true;
    g.run(kExample);

    std::vector<int> driverLines;
    for (const auto& report : g.seams.reporter.reports)
        if (report.location.contains(QStringLiteral("GenerateCheckRegister"))) driverLines.push_back(report.line);
    EXPECT_EQ(driverLines, (std::vector<int>{102, 104, 106, 108, 110, 112, 114, 118, 120, 124, 128, 130, 132, 134,
                                             136, 138, 140, 158, 160, 162, 164, 168, 172, 176, 178, 180, 184}));
    // The layout reported its own steps, under its own name.
    EXPECT_GT(g.seams.reporter.reports.size(), driverLines.size() + 56);
    EXPECT_TRUE(g.windows.calls.contains(QStringLiteral("show preview")));
    EXPECT_TRUE(g.windows.calls.contains(QStringLiteral("hide main")));
}

TEST(GenerationDriver, AFailedSaveStillShowsThePreviewWithThePath) {
    Generation g;
    g.hosts.world->failOn = {QStringLiteral("SaveAs")};
    g.run(kExample);

    std::vector<int> driverLines;
    for (const auto& report : g.seams.reporter.reports)
        if (report.location.contains(QStringLiteral("GenerateCheckRegister"))) driverLines.push_back(report.line);
    EXPECT_EQ(driverLines, (std::vector<int>{158, 168, 172, 176, 178, 180, 184}));
    EXPECT_FALSE(QFile::exists(g.windows.excelFile));
    EXPECT_FALSE(g.windows.excelFile.isEmpty());
    EXPECT_EQ(g.windows.calls.mid(2), (QStringList{"load picture", "excel file", "show preview", "hide main"}));
    // The first host was still quit and released.
    EXPECT_EQ(g.hosts.world->alive, 0);
    EXPECT_GE(g.hosts.world->quits, 1);
}

TEST(GenerationDriver, TextsLongerThanACellHoldsAreNamedOnceByTheirRow) {
    Generation g;
    reg::TransactionList list(kExample.rows());
    list.append({"1/3/2013", "3", QString(32768, QLatin1Char('x')), "Rent", "", "700", ""});
    list.append({"1/4/2013", "4", "ok", "Rent", "", "700", ""});
    list.append({"1/5/2013", "5", "ok", QString(40000, QLatin1Char('y')), QString(40000, QLatin1Char('z')), "", ""});
    g.run(list);
    EXPECT_EQ(g.windows.told, QStringList{QStringLiteral(
                                  "Transactions 3, 5 have texts longer than the 32,767 characters a cell holds; "
                                  "the register shows them cut there.")});
    EXPECT_TRUE(g.windows.calls.contains(QStringLiteral("show preview")));
    EXPECT_EQ(generate::overlongTextMessage({12}),
              QStringLiteral("Transaction 12 has a text longer than the 32,767 characters a cell holds; "
                             "the register shows it cut there."));
}

TEST(GenerationDriver, AListLongerThanASheetHoldsGetsOneMessageAndNoGeneration) {
    Generation g;
    std::vector<reg::Transaction> rows(generate::kMostTransactions + 1,
                                       reg::Transaction{"1/1/2013", "1", "Item", "", "", "1", ""});
    g.run(reg::TransactionList(std::move(rows)));
    EXPECT_EQ(g.windows.told, QStringList{QStringLiteral(
                                  "The register holds at most 65,531 transactions; this list has 65,532. "
                                  "Delete some transactions, or keep them in two registers, and start again.")});
    EXPECT_TRUE(g.windows.calls.isEmpty());
    EXPECT_TRUE(g.hosts.world->log.isEmpty());
    EXPECT_TRUE(g.seams.reporter.reports.empty());
    EXPECT_TRUE(QDir(g.temp.path()).isEmpty());
}

// A link planted as temp.bmp in TEMP: the picture replaces the link, and
// the file it pointed at is never written.
TEST(GenerationDriver, APlantedPictureLinkIsNeverFollowed) {
    Generation g;
    QTemporaryDir elsewhere;
    const QString victim = elsewhere.filePath(QStringLiteral("victim"));
    {
        QFile file(victim);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write("precious");
    }
    ASSERT_TRUE(QFile::link(victim, g.temp.filePath(QStringLiteral("temp.bmp"))));
    g.run(kExample);

    EXPECT_TRUE(g.seams.reporter.reports.empty()) << g.seams.reporter.reports[0].text().toStdString();
    EXPECT_EQ(g.windows.picture.size(), QSize(40, 20));
    QFile file(victim);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll(), QByteArray("precious"));
    EXPECT_FALSE(QFileInfo(g.temp.filePath(QStringLiteral("temp.bmp"))).exists());
}

// The program ends in the middle of things (closing the main window during
// a generation ends it with std::exit): the workbook and the picture of the
// generation go with it.
TEST(GenerationDriver, TheTemporaryFilesGoWhenTheProgramEnds) {
    QTemporaryDir temp;
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        testsupport::SeamGuard seams;
        fakehost::FactoryGuard hosts;
        TempScope tempVariable(temp.path().toLocal8Bit());
        RecordingWindows windows;
        generate::generateCheckRegister(1, kExample, windows);
        std::exit(QFile::exists(windows.excelFile) ? 0 : 3);  // the preview would delete it; the end must
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0);
    EXPECT_EQ(QDir(temp.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot), QStringList());
}

}  // namespace
}  // namespace brevanta

namespace brevanta {
namespace {

// The temporary name is drawn digit by digit: a failing draw or append is
// reported at its own line and the name is still completed and used.
TEST(GenerationDriver, EachDigitOfTheTemporaryNameIsAStatementOfItsOwn) {
    for (const int line : {148, 150}) {
        Generation g;
        testsupport::InjectedFailure failure(QStringLiteral("CheckRegister"), QStringLiteral("GenerateCheckRegister"), line, 3);
        g.run(kExample);
        std::vector<int> lines;
        for (const frame::ErrorReport& report : g.seams.reporter.reports) lines.push_back(report.line);
        EXPECT_EQ(lines, std::vector<int>{line}) << "line " << line;
        const QString name = QFileInfo(g.windows.excelFile).completeBaseName();
        // A failed draw appends the digit drawn before it; a failed append leaves one digit out.
        EXPECT_EQ(name.size(), line == 150 ? 13 : 14) << name.toStdString();
        EXPECT_TRUE(QRegularExpression(QStringLiteral("^vantor[1-9]+$")).match(name).hasMatch()) << name.toStdString();
        EXPECT_TRUE(QFile::exists(g.windows.excelFile));
        const std::vector<int>& run = failure.linesRun();
        EXPECT_EQ(std::count(run.begin(), run.end(), 148), 8);
        EXPECT_EQ(std::count(run.begin(), run.end(), 150), 8);
    }
}

}  // namespace
}  // namespace brevanta
