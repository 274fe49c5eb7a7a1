// The program as wired together, on the offscreen platform: start-up with
// and without a host, the running-host question, and one generation from
// the main window's list to the preview window.

#include <gtest/gtest.h>

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QProcess>
#include <QTemporaryDir>

#include "app/wiring.h"
#include "engine/embedded/embedded_host.h"
#include "tests/support/xls_files.h"
#include "host/host_factory.h"
#include "preview/form2.h"
#include "preview/summary_option.h"
#include "ledger/saved_list.h"
#include "xls/xls_file.h"
#include <QAction>
#include <QMenu>
#include "tests/host/fake_host.h"
#include "tests/register/form1_fixture.h"

namespace brevanta {
namespace {

// Hosts from the engine; a running host to attach to from the fake.
class EngineWithRunningHost final : public host::HostFactory {
public:
    host::ApplicationPtr create() override { return engine_.create(); }
    host::ApplicationPtr attachRunning() override { return running.attachRunning(); }
    engine::EmbeddedHostFactory engine_{testsupport::xlsFiles()};
    fakehost::FakeFactory running{std::make_shared<fakehost::FakeWorld>()};
};

class WiredApplication : public testsupport::Form1Test {
protected:
    void SetUp() override {
        Form1Test::SetUp();
        savedTemp_ = qgetenv("TEMP");
        qputenv("TEMP", temp.path().toLocal8Bit());
    }
    void TearDown() override {
        Form1Test::TearDown();  // the preview window goes with the main window
        host::setHostFactory(nullptr);
        qputenv("TEMP", savedTemp_);
    }
    static preview::Form2* previewWindow() {
        for (QWidget* widget : QApplication::topLevelWidgets())
            if (auto* form2 = qobject_cast<preview::Form2*>(widget)) return form2;
        return nullptr;
    }
    void addTransaction(const char* number, const char* debit, const char* credit) {
        form->txtNumber->setText(QLatin1String(number));
        form->txtDescription->setText(QStringLiteral("Typed in"));
        form->txtDebit->setText(QLatin1String(debit));
        form->txtCredit->setText(QLatin1String(credit));
        form->PushButton2_Click();
    }
    QTemporaryDir temp;
    QByteArray savedTemp_;
};

TEST_F(WiredApplication, StartShowsThePreviewWithThePictureAndHidesTheMainWindow) {
    app::wireApplication(*form);
    form->Form_Load();
    form->show();
    form->PushButton4_Click();  // the two examples
    addTransaction("3", "0.00", "");  // a zero amount: stored empty
    addTransaction("4", "120", "");
    ASSERT_EQ(form->transactions().rowCount(), 4);

    form->PushButton22_Click();

    EXPECT_TRUE(seams.reporter.reports.empty()) << seams.reporter.reports[0].text().toStdString();
    EXPECT_TRUE(seams.prompter.messages.empty());
    preview::Form2* form2 = previewWindow();
    ASSERT_NE(form2, nullptr);
    EXPECT_TRUE(form2->isVisible());
    EXPECT_TRUE(form->isHidden());
    ASSERT_TRUE(form2->Zoom_Ori);
    EXPECT_GT(form2->Zoom_Ori->width, 600);
    EXPECT_EQ(form->pointer(), 0);
    EXPECT_FALSE(QFile::exists(temp.filePath(QStringLiteral("temp.bmp"))));
    EXPECT_TRUE(form2->mExcelFile.startsWith(temp.path())) << form2->mExcelFile.toStdString();
    ASSERT_TRUE(QFile::exists(form2->mExcelFile));
    form2->grab().save(testsupport::testOutputDir() + QStringLiteral("/wired_preview.png"));

    QProcess xlrd;
    xlrd.start(QStringLiteral("/usr/bin/python3"),
               {QStringLiteral("-c"),
                QStringLiteral("import sys, xlrd\n"
                               "s = xlrd.open_workbook(sys.argv[1]).sheet_by_name('Check Register')\n"
                               "print([s.cell_value(r, 2) for r in range(5, 9)])\n"
                               "print([s.cell_value(r, 8) for r in range(5, 9)])\n"),
                form2->mExcelFile});
    ASSERT_TRUE(xlrd.waitForFinished(60000));
    EXPECT_EQ(QString::fromUtf8(xlrd.readAllStandardOutput()).trimmed(),
              QStringLiteral("[1.0, 2.0, 3.0, 4.0]\n[5000.0, 5055.0, '', 4935.0]"))
        << xlrd.readAllStandardError().toStdString();

    // Back: the main window returns and a second generation works the same way.
    form2->PushButton8_Click();
    EXPECT_TRUE(form->isVisible());
    const QString first = form2->mExcelFile;
    form->PushButton22_Click();
    EXPECT_TRUE(seams.reporter.reports.empty());
    EXPECT_NE(previewWindow()->mExcelFile, first);
    EXPECT_TRUE(previewWindow()->isVisible());
}

// "Include Category Summary" in the preview's right-click menu: off at
// first; toggled on, it is stored beside the list and the workbook is made
// again with the summary, while the preview keeps showing the register.
TEST_F(WiredApplication, TheSummaryOptionIsRememberedAndRegeneratesTheWorkbook) {
    app::ProgramWindows& windows = app::wireApplication(*form);
    form->Form_Load();
    form->show();
    form->PushButton4_Click();
    form->PushButton22_Click();
    preview::Form2* form2 = previewWindow();
    ASSERT_NE(form2, nullptr);
    QAction* option = windows.summaryOption().action();
    ASSERT_TRUE(form2->viewMenu()->actions().contains(option));
    EXPECT_FALSE(option->isChecked());
    EXPECT_EQ(xls::readWorkbook(form2->mExcelFile)->sheets.size(), 1u);
    const QString first = form2->mExcelFile;
    const int pictureWidth = form2->Zoom_Ori->width;

    option->setChecked(true);

    EXPECT_TRUE(seams.reporter.reports.empty()) << seams.reporter.reports[0].text().toStdString();
    EXPECT_NE(form2->mExcelFile, first);
    EXPECT_FALSE(QFile::exists(first));
    const auto workbook = xls::readWorkbook(form2->mExcelFile);
    ASSERT_EQ(workbook->sheets.size(), 2u);
    EXPECT_EQ(workbook->sheets[1]->name, QStringLiteral("Category Summary"));
    EXPECT_EQ(workbook->activeSheet, 0);
    EXPECT_EQ(form2->Zoom_Ori->width, pictureWidth);  // still the register's picture
    EXPECT_TRUE(form2->isVisible());
    EXPECT_EQ(reg::SavedListStore(settingsFile()).readBeside(QLatin1String(preview::kSummaryOptionKey)),
              QStringLiteral("True"));
    // The list itself is stored as before, beside the option.
    form->storeList();
    EXPECT_EQ(reg::decodeSavedList(reg::SavedListStore(settingsFile()).read()).size(), 2u);
    EXPECT_TRUE(preview::SummaryOption(reg::SavedListStore(settingsFile())).included());
}

// The wiring owns the preview window: bringing the program to the front
// finds the preview while the main window hides behind it, and the preview
// goes when the main window goes.
TEST_F(WiredApplication, ThePreviewBelongsToTheMainWindowAndComesToTheFrontInItsPlace) {
    app::ProgramWindows& windows = app::wireApplication(*form);
    EXPECT_EQ(windows.bringToFront(), nullptr);  // nothing shown yet
    form->Form_Load();
    form->show();
    EXPECT_EQ(windows.bringToFront(), form.get());

    form->PushButton4_Click();
    form->PushButton22_Click();
    preview::Form2* form2 = previewWindow();
    ASSERT_NE(form2, nullptr);
    ASSERT_TRUE(form->isHidden());
    EXPECT_EQ(windows.bringToFront(), form2);

    form.reset();
    EXPECT_EQ(previewWindow(), nullptr);
}

// One transaction more than a sheet holds: Start shows one clear box and
// starts nothing; the main window stays.
TEST_F(WiredApplication, AListLongerThanASheetHoldsGetsOneBoxAndNoGeneration) {
    app::wireApplication(*form);
    form->Form_Load();
    form->show();
    for (int i = 0; i < 65532; ++i)
        form->appendTransaction({QStringLiteral("1/1/2013"), QString::number(i), QStringLiteral("Item"), QString(),
                                 QString(), QStringLiteral("1"), QString()});
    form->PushButton22_Click();

    ASSERT_EQ(seams.prompter.messages.size(), 1u);
    EXPECT_TRUE(seams.prompter.messages[0].text.startsWith(
        QStringLiteral("The register holds at most 65,531 transactions; this list has 65,532.")));
    EXPECT_TRUE(seams.reporter.reports.empty());
    EXPECT_EQ(previewWindow(), nullptr);
    EXPECT_TRUE(form->isVisible());
    EXPECT_EQ(form->pointer(), 0);
    EXPECT_TRUE(QDir(temp.path()).isEmpty());
}

TEST_F(WiredApplication, ARunningGenuineHostAsksAndNoChangesNothing) {
    EngineWithRunningHost hosts;
    hosts.running.world().running = true;
    host::setHostFactory(&hosts);
    app::wireApplication(*form);
    form->Form_Load();
    form->show();
    form->PushButton4_Click();

    seams.prompter.answers = {frame::Answer::No};
    form->PushButton22_Click();
    ASSERT_EQ(seams.prompter.messages.size(), 1u);
    EXPECT_EQ(seams.prompter.messages[0].buttons, frame::Buttons::YesNo);
    EXPECT_TRUE(seams.prompter.messages[0].text.startsWith(QStringLiteral("Excel may be open.")));
    EXPECT_TRUE(form->isVisible());
    EXPECT_EQ(previewWindow(), nullptr);
    EXPECT_TRUE(QDir(temp.path()).entryList(QDir::Files).isEmpty());

    seams.prompter.answers = {frame::Answer::Yes};
    form->PushButton22_Click();
    EXPECT_EQ(seams.prompter.messages.size(), 2u);
    ASSERT_NE(previewWindow(), nullptr);
    EXPECT_TRUE(previewWindow()->isVisible());
    EXPECT_TRUE(form->isHidden());
    // The user's host was only looked at.
    EXPECT_EQ(hosts.running.world().quits, 0);
}

TEST_F(WiredApplication, NoHostAtStartUpShowsTheGuidanceAndEndsBeforeTheWindowShows) {
    fakehost::FactoryGuard failing;
    failing.world->failCreate = true;
    store().write(QStringLiteral("1/1/2013^1^Kept^^^^5|"));
    app::wireApplication(*form);
    form->Form_Load();

    ASSERT_EQ(seams.prompter.messages.size(), 1u);
    EXPECT_TRUE(seams.prompter.messages[0].text.startsWith(QStringLiteral("Error 842001.")));
    EXPECT_EQ(programEnds, std::vector<int>{0});
    EXPECT_FALSE(form->isVisible());
    EXPECT_EQ(store().read(), QStringLiteral("1/1/2013^1^Kept^^^^5|"));
}

}  // namespace
}  // namespace brevanta
