// One generation on the embedded engine: the saved workbook and what it
// holds when reopened, the picture and file the preview is shown with, the
// temporary names, and the carry-on behaviour when hosts or files fail.

#include <gtest/gtest.h>

#include <QDir>
#include <sys/wait.h>
#include <unistd.h>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QTemporaryDir>

#include "frame/error_report.h"
#include "generate/check_register.h"
#include "generate/register_layout.h"
#include "host/connection.h"
#include "tests/generate/engine_generation.h"
#include "tests/support/injected_failure.h"

namespace brevanta {
namespace {

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

const reg::TransactionList kExample({
    {"1/1/2013", "1", "Sold My Used Car", "Automotive", "Yes", "", "5000"},
    {"1/2/2013", "2", "Thundercats Collection", "Toys", "Yes", "", "55"},
});

class GenerationDriver : public testsupport::EngineGeneration {
protected:
    void run(const reg::TransactionSource& list) { generate::generateCheckRegister(1, list, windows_); }
    // The lines of the driver's own boxes, in order.
    std::vector<int> driverLines() const {
        std::vector<int> lines;
        for (const auto& report : seams_.reporter.reports)
            if (report.location.contains(QStringLiteral("GenerateCheckRegister"))) lines.push_back(report.line);
        return lines;
    }
    // The preview came up with the workbook's path, the hourglass had come
    // and gone, and only then did the main window hide.
    void expectPreviewShownWith(const QString& path) const {
        EXPECT_TRUE(windows_.previewShown);
        EXPECT_EQ(windows_.shownWithFile, path);
        EXPECT_EQ(windows_.pointers, (std::vector<int>{11, 0}));
        EXPECT_TRUE(windows_.mainHiddenAfterPreview);
    }
};

TEST_F(GenerationDriver, AWholeGenerationSavesTheWorkbookAndShowsItsPicture) {
    run(kExample);

    ASSERT_TRUE(seams_.reporter.reports.empty()) << seams_.reporter.reports[0].text().toStdString();
    const QString path = windows_.excelFile;
    EXPECT_TRUE(QRegularExpression(QStringLiteral("^vantor[1-9]{8}\\.xls$")).match(QFileInfo(path).fileName()).hasMatch())
        << path.toStdString();
    EXPECT_EQ(QFileInfo(path).absolutePath(), QDir(temp_.path()).absolutePath());
    expectPreviewShownWith(path);
    EXPECT_TRUE(windows_.shownWithPicture);
    EXPECT_FALSE(QFile::exists(temp_.filePath(QStringLiteral("temp.bmp"))));
    // One host laid out and saved, a second reopened the file for the picture; neither outlives the generation.
    EXPECT_EQ(factory_.created(), 2);
    EXPECT_FALSE(factory_.anyAlive());

    // The saved file: one sheet named "Check Register", with its computed
    // balances, and its used range is the picture the preview holds.
    host::ApplicationPtr reader = engine::createEmbeddedApplication(testsupport::xlsFiles());
    host::WorkbookPtr book = reader->workbooks().open(path);
    ASSERT_EQ(book->sheets().count(), 1);
    host::WorksheetPtr sheet = book->sheets().item(1);
    EXPECT_EQ(sheet->name(), QStringLiteral("Check Register"));
    EXPECT_EQ(sheet->range(QStringLiteral("B2"))->value(), host::Value(QStringLiteral("Check Register")));
    EXPECT_EQ(sheet->range(QStringLiteral("D7"))->value(), host::Value(QStringLiteral("Thundercats Collection")));
    EXPECT_EQ(sheet->range(QStringLiteral("I7"))->value(), host::Value(5055.0));
    EXPECT_EQ(reader->selection()->address(), QStringLiteral("$B$6"));
    ASSERT_TRUE(windows_.picture);
    const paint::SharedPicture saved = sheet->usedRange()->picture();
    ASSERT_TRUE(saved);
    EXPECT_FALSE(windows_.picture->isNull());
    EXPECT_TRUE(*windows_.picture == *saved);
    reader->quit();
}

TEST(GenerationNames, NamesHaveTheirFormAndTempFallsBackToThePrivateFolder) {
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

TEST_F(GenerationDriver, ANameThatExistsIsRedrawnWhole) {
    generate::temporaryNameGenerator().seed(7);
    std::mt19937 preview(7);
    const QString taken = generate::drawTemporaryName(preview);
    const QString next = generate::drawTemporaryName(preview);
    QFile existing(temp_.filePath(taken + QStringLiteral(".xls")));
    ASSERT_TRUE(existing.open(QIODevice::WriteOnly));
    existing.write("the user's");
    existing.close();

    run(kExample);
    EXPECT_EQ(QFileInfo(windows_.excelFile).fileName(), next + QStringLiteral(".xls"));
    ASSERT_TRUE(existing.open(QIODevice::ReadOnly));
    EXPECT_EQ(existing.readAll(), QByteArray("the user's"));
}

TEST_F(GenerationDriver, NoHostGivesABoxForEveryStepAndStillShowsThePreview) {
    factory_.refuseToCreate = true;
    run(kExample);

    EXPECT_EQ(driverLines(), (std::vector<int>{102, 104, 106, 108, 110, 112, 114, 118, 120, 124, 128, 130, 132, 134,
                                               136, 138, 140, 158, 160, 162, 164, 168, 172, 176, 178, 180, 184}));
    // The layout reported its own steps, under its own name.
    EXPECT_GT(seams_.reporter.reports.size(), driverLines().size() + 56);
    expectPreviewShownWith(windows_.excelFile);
    EXPECT_FALSE(windows_.shownWithPicture);
    EXPECT_FALSE(QFile::exists(windows_.excelFile));  // no empty file left under the name
}

TEST_F(GenerationDriver, AFailedSaveStillShowsThePreviewWithThePath) {
    files_.refuseSave = true;
    run(kExample);

    EXPECT_EQ(driverLines(), (std::vector<int>{158, 168, 172, 176, 178, 180, 184}));
    ASSERT_FALSE(seams_.reporter.reports.empty());
    EXPECT_TRUE(seams_.reporter.reports[0].description.contains(QStringLiteral("No space left on device")))
        << seams_.reporter.reports[0].description.toStdString();
    EXPECT_FALSE(windows_.excelFile.isEmpty());
    EXPECT_FALSE(QFile::exists(windows_.excelFile));
    expectPreviewShownWith(windows_.excelFile);
    EXPECT_FALSE(windows_.shownWithPicture);
    // The host that failed to save was still let go.
    EXPECT_FALSE(factory_.anyAlive());
}

TEST_F(GenerationDriver, TextsLongerThanACellHoldsAreNamedOnceByTheirRow) {
    reg::TransactionList list(kExample.rows());
    list.append({"1/3/2013", "3", QString(32768, QLatin1Char('x')), "Rent", "", "700", ""});
    list.append({"1/4/2013", "4", "ok", "Rent", "", "700", ""});
    list.append({"1/5/2013", "5", "ok", QString(40000, QLatin1Char('y')), QString(40000, QLatin1Char('z')), "", ""});
    run(list);
    EXPECT_EQ(windows_.told, QStringList{QStringLiteral(
                                 "Transactions 3, 5 have texts longer than the 32,767 characters a cell holds; "
                                 "the register shows them cut there.")});
    EXPECT_TRUE(windows_.previewShown);
    EXPECT_EQ(generate::overlongTextMessage({12}),
              QStringLiteral("Transaction 12 has a text longer than the 32,767 characters a cell holds; "
                             "the register shows it cut there."));
}

TEST_F(GenerationDriver, AListLongerThanASheetHoldsGetsOneMessageAndNoGeneration) {
    std::vector<reg::Transaction> rows(generate::kMostTransactions + 1,
                                       reg::Transaction{"1/1/2013", "1", "Item", "", "", "1", ""});
    run(reg::TransactionList(std::move(rows)));
    EXPECT_EQ(windows_.told, QStringList{QStringLiteral(
                                 "The register holds at most 65,531 transactions; this list has 65,532. "
                                 "Delete some transactions, or keep them in two registers, and start again.")});
    EXPECT_TRUE(windows_.pointers.empty());
    EXPECT_FALSE(windows_.previewShown);
    EXPECT_FALSE(windows_.mainHidden);
    EXPECT_EQ(factory_.created(), 0);
    EXPECT_TRUE(seams_.reporter.reports.empty());
    EXPECT_TRUE(QDir(temp_.path()).isEmpty());
}

// A link planted as temp.bmp in TEMP: the picture replaces the link, and
// the file it pointed at is never written.
TEST_F(GenerationDriver, APlantedPictureLinkIsNeverFollowed) {
    QTemporaryDir elsewhere;
    const QString victim = elsewhere.filePath(QStringLiteral("victim"));
    {
        QFile file(victim);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write("precious");
    }
    ASSERT_TRUE(QFile::link(victim, temp_.filePath(QStringLiteral("temp.bmp"))));
    run(kExample);

    EXPECT_TRUE(seams_.reporter.reports.empty()) << seams_.reporter.reports[0].text().toStdString();
    ASSERT_TRUE(windows_.picture);
    EXPECT_FALSE(windows_.picture->isNull());
    QFile file(victim);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll(), QByteArray("precious"));
    EXPECT_FALSE(QFileInfo(temp_.filePath(QStringLiteral("temp.bmp"))).exists());
}

// The program ends in the middle of things (closing the main window during
// a generation ends it with std::exit): the workbook and the picture of the
// generation go with it.
TEST(GenerationEnd, TheTemporaryFilesGoWhenTheProgramEnds) {
    QTemporaryDir temp;
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        testsupport::SeamGuard seams;
        engine::EmbeddedHostFactory hosts(testsupport::xlsFiles());
        host::setHostFactory(&hosts);
        TempScope tempVariable(temp.path().toLocal8Bit());
        testsupport::KeptWindows windows;
        generate::generateCheckRegister(1, kExample, windows);
        std::exit(QFile::exists(windows.excelFile) ? 0 : 3);  // the preview would delete it; the end must
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0);
    EXPECT_EQ(QDir(temp.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot), QStringList());
}

// The temporary name is drawn digit by digit: a failing draw or append is
// reported at its own line and the name is still completed and used.
TEST_F(GenerationDriver, EachDigitOfTheTemporaryNameIsAStatementOfItsOwn) {
    for (const int line : {148, 150}) {
        windows_ = testsupport::KeptWindows();
        seams_.reporter.reports.clear();
        testsupport::InjectedFailure failure(QStringLiteral("CheckRegister"), QStringLiteral("GenerateCheckRegister"), line, 3);
        run(kExample);
        EXPECT_EQ(seams_.reporter.lines(), std::vector<int>{line}) << "line " << line;
        const QString name = QFileInfo(windows_.excelFile).completeBaseName();
        // A failed draw appends the digit drawn before it; a failed append leaves one digit out.
        EXPECT_EQ(name.size(), line == 150 ? 13 : 14) << name.toStdString();
        EXPECT_TRUE(QRegularExpression(QStringLiteral("^vantor[1-9]+$")).match(name).hasMatch()) << name.toStdString();
        EXPECT_TRUE(QFile::exists(windows_.excelFile));
        const std::vector<int>& ran = failure.linesRun();
        EXPECT_EQ(std::count(ran.begin(), ran.end(), 148), 8);
        EXPECT_EQ(std::count(ran.begin(), ran.end(), 150), 8);
    }
}

}  // namespace
}  // namespace brevanta
