#include <QDir>
#include <QFileInfo>
#include <QFile>
#include <QPushButton>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include "frame/app_title.h"
#include "preview/form2.h"
#include "tests/support/recording.h"
#include "tests/support/small_disk.h"
#include "tests/xls/register_workbook.h"
#include "xls/xls_file.h"

using namespace brevanta;
using preview::Form2;

namespace {

class SaveWorkbook : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(folder.isValid());
        temporary.mkpath(QStringLiteral("."));
        form.mExcelFile = write(temporary.filePath(QStringLiteral("vantor11223344.xls")), "NEW WORKBOOK");
    }

    QString write(const QString& path, const QByteArray& bytes) {
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
        return path;
    }
    static QByteArray read(const QString& path) {
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
    }
    QString target(const QString& name) const { return folder.filePath(name); }
    QStringList savedFolder() const { return QDir(folder.path()).entryList(QDir::Files | QDir::NoDotAndDotDot); }
    QStringList texts() const {
        QStringList result;
        for (const auto& shown : seams.prompter.messages) result << shown.text;
        return result;
    }

    testsupport::SeamGuard seams;
    QTemporaryDir folder;
    QTemporaryDir temporaryFolder;
    QDir temporary{temporaryFolder.path()};
    Form2 form;
};

const QString kDone = QStringLiteral("Done.");

}  // namespace

TEST_F(SaveWorkbook, CancelWritesNothingAndSaysDone) {
    form.PushButton6->click();
    ASSERT_EQ(seams.prompter.saveRequests.size(), 1u);
    EXPECT_EQ(seams.prompter.saveRequests[0].title, QStringLiteral("Save File"));
    EXPECT_EQ(seams.prompter.saveRequests[0].filter, QStringLiteral("Excel Files (*.xls);;Excel Workbook (*.xlsx)"));
    const QFileInfo suggested(seams.prompter.saveRequests[0].fileName);
    EXPECT_EQ(suggested.fileName(), QStringLiteral("Check Register.xls"));
    EXPECT_TRUE(suggested.isAbsolute());  // in a folder of the user's, never the one the program started from
    EXPECT_EQ(texts(), QStringList({kDone}));
    EXPECT_EQ(seams.prompter.messages[0].icon, frame::Icon::None);
    EXPECT_TRUE(savedFolder().isEmpty());
}

TEST_F(SaveWorkbook, NewNameIsWrittenWithItsFiltersExtensionWithoutAsking) {
    seams.prompter.fileNames = {target(QStringLiteral("register"))};
    form.PushButton6_Click();
    EXPECT_EQ(read(target(QStringLiteral("register.xls"))), QByteArray("NEW WORKBOOK"));
    EXPECT_EQ(savedFolder(), QStringList({QStringLiteral("register.xls")}));  // the chosen filter's extension
    EXPECT_EQ(texts(), QStringList({kDone}));
    EXPECT_EQ(seams.prompter.messages[0].details, QDir::toNativeSeparators(target(QStringLiteral("register.xls"))));
    EXPECT_TRUE(QFile::exists(form.mExcelFile));  // the temporary workbook stays for further saves
}

TEST_F(SaveWorkbook, ExistingFileIsReplacedOnlyAfterYes) {
    const QString existing = write(target(QStringLiteral("register.xls")), "OLD WORKBOOK");
    const QString question = QStringLiteral("Are you sure you wish to overwrite ") + existing + QStringLiteral(" ?");

    seams.prompter.fileNames = {existing, existing};
    seams.prompter.answers = {frame::Answer::No, frame::Answer::Yes};
    form.PushButton6_Click();
    EXPECT_EQ(read(existing), QByteArray("OLD WORKBOOK"));
    EXPECT_EQ(texts(), QStringList({question, kDone}));
    EXPECT_EQ(seams.prompter.messages[0].buttons, frame::Buttons::YesNo);
    EXPECT_EQ(seams.prompter.messages[0].icon, frame::Icon::None);
    EXPECT_EQ(seams.prompter.messages[0].title, frame::appTitle());

    form.PushButton6_Click();
    EXPECT_EQ(read(existing), QByteArray("NEW WORKBOOK"));
    EXPECT_EQ(texts(), QStringList({question, kDone, question, kDone}));
    EXPECT_EQ(savedFolder(), QStringList({QStringLiteral("register.xls")}));
}

TEST_F(SaveWorkbook, SavingTwiceToOneNameAsksTheSecondTime) {
    const QString name = target(QStringLiteral("twice.xls"));
    seams.prompter.fileNames = {name, name};
    form.PushButton6_Click();
    form.PushButton6_Click();
    EXPECT_EQ(texts(), QStringList({kDone, QStringLiteral("Are you sure you wish to overwrite ") + name +
                                               QStringLiteral(" ?"),
                                    kDone}));
}

TEST_F(SaveWorkbook, FailedCopyIsReportedKeepsTheOldFileAndSaysNoDone) {
    // A destination whose parent is a regular file cannot be written.
    const QString notAFolder = write(target(QStringLiteral("plain-file")), "x");
    seams.prompter.fileNames = {notAFolder + QStringLiteral("/register.xls")};
    form.PushButton6_Click();
    ASSERT_EQ(seams.reporter.lines(), std::vector<int>({124}));
    EXPECT_EQ(seams.reporter.reports[0].location, QStringLiteral("in Tarnwick2021/08/31.Form2.PushButton6_Click "));
    EXPECT_FALSE(seams.reporter.reports[0].description.isEmpty());
    EXPECT_TRUE(texts().isEmpty());

    // The temporary workbook has gone: replacing an existing file fails and the old one survives.
    const QString existing = write(target(QStringLiteral("keep.xls")), "OLD WORKBOOK");
    QFile::remove(form.mExcelFile);
    seams.prompter.fileNames = {existing};
    seams.prompter.answers = {frame::Answer::Yes};
    form.PushButton6_Click();
    EXPECT_EQ(seams.reporter.lines(), std::vector<int>({124, 124}));
    EXPECT_EQ(read(existing), QByteArray("OLD WORKBOOK"));
    EXPECT_EQ(texts(), QStringList({QStringLiteral("Are you sure you wish to overwrite ") + existing +
                                    QStringLiteral(" ?")}));
    EXPECT_EQ(savedFolder(), QStringList({QStringLiteral("keep.xls"), QStringLiteral("plain-file")}));
}

// A disk with 4 KB left: the copy over an existing file fails, the old file
// stays whole, no half copy is left beside it and "Done." is not said.
TEST_F(SaveWorkbook, AFullDiskKeepsTheOldFileAndSaysNoDone) {
    testsupport::SmallDisk disk(128 * 1024);
    BREVANTA_NEEDS_SMALL_DISK(disk);
    form.mExcelFile = write(temporary.filePath(QStringLiteral("vantor55667788.xls")), QByteArray(60000, 'N'));
    const QString existing = write(disk.filePath(QStringLiteral("register.xls")), QByteArray(30000, 'O'));
    disk.fill(4096);
    seams.prompter.fileNames = {existing};
    seams.prompter.answers = {frame::Answer::Yes};
    form.PushButton6_Click();

    ASSERT_EQ(seams.reporter.lines(), std::vector<int>({124}));
    EXPECT_TRUE(seams.reporter.reports[0].description.endsWith(QStringLiteral("No space left on device")))
        << seams.reporter.reports[0].description.toStdString();
    EXPECT_EQ(read(existing), QByteArray(30000, 'O'));
    EXPECT_FALSE(texts().contains(kDone));
    EXPECT_EQ(QDir(disk.path()).entryList(QDir::Files | QDir::Hidden).size(), 2);  // the file and the filler
}

// --------------------------------------------------------------- .xlsx

namespace {

bool isZip(const QByteArray& bytes) { return bytes.startsWith("PK\x03\x04"); }

class SaveWorkbookAsXlsx : public SaveWorkbook {
protected:
    void SetUp() override {
        SaveWorkbook::SetUp();
        xls::writeWorkbook(*xlstest::registerWorkbook(3), form.mExcelFile);
    }
};

}  // namespace

TEST_F(SaveWorkbookAsXlsx, TheSecondFilterOrAnXlsxNameConvertsTheXlsFirstStaysAByteCopy) {
    const QByteArray original = read(form.mExcelFile);
    seams.prompter.fileNames = {target(QStringLiteral("by-filter")), target(QStringLiteral("typed.xlsx")),
                                target(QStringLiteral("plain.xls")), target(QStringLiteral("typed-over-filter.xls")),
                                target(QStringLiteral("TYPED.XLSX"))};
    seams.prompter.filters = {QStringLiteral("Excel Workbook (*.xlsx)"), QStringLiteral("Excel Files (*.xls)"),
                              QStringLiteral("Excel Files (*.xls)"), QStringLiteral("Excel Workbook (*.xlsx)")};
    for (int i = 0; i < 5; ++i) form.PushButton6_Click();
    EXPECT_TRUE(seams.reporter.reports.empty()) << seams.reporter.reports[0].description.toStdString();
    EXPECT_TRUE(isZip(read(target(QStringLiteral("by-filter.xlsx")))));  // the chosen filter's extension added
    EXPECT_TRUE(isZip(read(target(QStringLiteral("typed.xlsx")))));
    EXPECT_TRUE(isZip(read(target(QStringLiteral("TYPED.XLSX")))));  // no filter given: the default, and the name wins
    EXPECT_EQ(read(target(QStringLiteral("plain.xls"))), original);
    EXPECT_EQ(read(target(QStringLiteral("typed-over-filter.xls"))), original) << "the format matches the typed name";
    EXPECT_EQ(texts(), QStringList({kDone, kDone, kDone, kDone, kDone}));
    EXPECT_EQ(savedFolder().size(), 5);  // nothing left beside them
}

TEST_F(SaveWorkbookAsXlsx, ReplacingAnXlsxAsksFirstAndNoKeepsTheOldFile) {
    const QString existing = write(target(QStringLiteral("register.xlsx")), "OLD WORKBOOK");
    seams.prompter.fileNames = {existing, existing};
    seams.prompter.answers = {frame::Answer::No, frame::Answer::Yes};
    form.PushButton6_Click();
    EXPECT_EQ(read(existing), QByteArray("OLD WORKBOOK"));
    form.PushButton6_Click();
    EXPECT_TRUE(isZip(read(existing)));
    const QString question = QStringLiteral("Are you sure you wish to overwrite ") + existing + QStringLiteral(" ?");
    EXPECT_EQ(texts(), QStringList({question, kDone, question, kDone}));
    EXPECT_EQ(savedFolder(), QStringList({QStringLiteral("register.xlsx")}));
}

TEST_F(SaveWorkbookAsXlsx, AFailedConversionIsReportedAtTheCopyLineAndKeepsTheOldFileWhole) {
    const QString existing = write(target(QStringLiteral("register.xlsx")), "OLD WORKBOOK");
    write(form.mExcelFile, "not a workbook");
    seams.prompter.fileNames = {existing};
    seams.prompter.answers = {frame::Answer::Yes};
    form.PushButton6_Click();
    ASSERT_EQ(seams.reporter.lines(), std::vector<int>({124}));
    EXPECT_FALSE(seams.reporter.reports[0].description.isEmpty());
    EXPECT_EQ(read(existing), QByteArray("OLD WORKBOOK"));
    EXPECT_EQ(savedFolder(), QStringList({QStringLiteral("register.xlsx")}));
    EXPECT_FALSE(texts().contains(kDone));
}
