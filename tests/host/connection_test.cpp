// The start-up probe, the running-host question, the save format and the
// picture export, against the recording host.

#include <gtest/gtest.h>

#include <QClipboard>
#include <QFile>
#include <QGuiApplication>
#include <QImage>
#include <QLocale>
#include <QTemporaryDir>

#include "frame/app_title.h"
#include "frame/program_end.h"
#include "host/connection.h"
#include "tests/host/fake_host.h"
#include "tests/support/recording.h"

namespace brevanta {
namespace {

using frame::Answer;

struct ProgramEndCatcher {
    ProgramEndCatcher() { frame::setProgramEndAction([this](int) { ++ends; }); }
    ~ProgramEndCatcher() { frame::setProgramEndAction({}); }
    int ends = 0;
};

TEST(HostConnection, NoHostGivesTheGuidanceBoxAndEndsTheProgram) {
    testsupport::SeamGuard seams;
    fakehost::FactoryGuard hosts;
    ProgramEndCatcher end;
    hosts.world->failCreate = true;

    host::checkExcelInstalled();

    ASSERT_EQ(seams.prompter.messages.size(), 1u);
    const auto& box = seams.prompter.messages[0];
    EXPECT_EQ(box.title, frame::appTitle());
    EXPECT_EQ(box.buttons, frame::Buttons::Ok);
    EXPECT_EQ(box.icon, frame::Icon::None);
    EXPECT_TRUE(box.text.startsWith(QStringLiteral("Error 842001. A normal instance of Excel could not be created.\r\n\r\n1. Please")));
    EXPECT_TRUE(box.text.endsWith(QStringLiteral("except for the rare Excel Starter and Student editions.")));
    EXPECT_EQ(box.text.count(QStringLiteral("\r\n\r\n")), 4);
    EXPECT_EQ(end.ends, 1);
    EXPECT_TRUE(seams.reporter.reports.empty());
}

TEST(HostConnection, NoFactoryAtAllCountsAsNoHost) {
    testsupport::SeamGuard seams;
    ProgramEndCatcher end;
    host::checkExcelInstalled();
    EXPECT_EQ(seams.prompter.messages.size(), 1u);
    EXPECT_EQ(end.ends, 1);
}

TEST(HostConnection, AWorkingHostIsProbedSilentlyAndNotToldToQuit) {
    testsupport::SeamGuard seams;
    fakehost::FactoryGuard hosts;
    ProgramEndCatcher end;
    host::checkExcelInstalled();
    EXPECT_TRUE(seams.prompter.messages.empty());
    EXPECT_EQ(end.ends, 0);
    EXPECT_EQ(hosts.world->created, 1);
    EXPECT_EQ(hosts.world->quits, 0);
}

TEST(HostConnection, OnlyAGenuineRunningHostAsksAndNoMeansStop) {
    testsupport::SeamGuard seams;
    fakehost::FactoryGuard hosts;

    // Nothing running: no question, proceed.
    EXPECT_FALSE(host::warnIfExcelOpen());
    EXPECT_TRUE(seams.prompter.messages.empty());

    // Something running that is not the genuine host: no question.
    hosts.world->running = true;
    hosts.world->runningDefaultValue = QStringLiteral("Some Other Sheet");
    EXPECT_FALSE(host::warnIfExcelOpen());
    EXPECT_TRUE(seams.prompter.messages.empty());

    // The genuine host: asked every time; Yes proceeds, No stops.
    hosts.world->runningDefaultValue = QStringLiteral("Microsoft Excel");
    seams.prompter.answers = {Answer::Yes, Answer::No};
    EXPECT_FALSE(host::warnIfExcelOpen());
    EXPECT_TRUE(host::warnIfExcelOpen());
    ASSERT_EQ(seams.prompter.messages.size(), 2u);
    const auto& box = seams.prompter.messages[0];
    EXPECT_EQ(box.text, QStringLiteral("Excel may be open. It is recommended that you close Excel first.\r"
                                       "Use Ctrl+Alt+Del > Task Manager > EXCEL.EXE if necessary.\r\n\r\n"
                                       "Would you like to proceed anyway?"));
    EXPECT_EQ(box.title, frame::appTitle());
    EXPECT_EQ(box.buttons, frame::Buttons::YesNo);
    EXPECT_EQ(box.icon, frame::Icon::None);
    // The user's host is only looked at.
    EXPECT_EQ(hosts.world->quits, 0);
}

TEST(HostConnection, AFailingAttachCountsAsNotRunning) {
    testsupport::SeamGuard seams;
    fakehost::FactoryGuard hosts;
    hosts.world->running = true;
    hosts.world->failOn = {QStringLiteral("GetObject")};
    EXPECT_FALSE(host::isExcelRunning());
}

class LocaleScope {
public:
    explicit LocaleScope(const QLocale& locale) : saved_(QLocale()) { QLocale::setDefault(locale); }
    ~LocaleScope() { QLocale::setDefault(saved_); }

private:
    QLocale saved_;
};

TEST(HostConnection, SaveFormatFollowsTheMajorVersionInDotAndCommaLocales) {
    for (const char* localeName : {"en_US", "de_DE"}) {
        LocaleScope locale{QLocale(QLatin1String(localeName))};
        SCOPED_TRACE(localeName);
        EXPECT_EQ(host::saveFormatForVersion(QStringLiteral("11.0")), -4143);
        EXPECT_EQ(host::saveFormatForVersion(QStringLiteral("12.0")), 56);
        EXPECT_EQ(host::saveFormatForVersion(QStringLiteral("16.0")), 56);
        EXPECT_EQ(host::saveFormatForVersion(QStringLiteral("11.4")), -4143);
        EXPECT_EQ(host::saveFormatForVersion(QStringLiteral("11.5")), 56);  // halves go to the even neighbour, 12
        EXPECT_EQ(host::saveFormatForVersion(QStringLiteral(" 11,4 ")), -4143);  // a comma reads as the point too
        EXPECT_EQ(host::saveFormatForVersion(QStringLiteral("12,0")), 56);
        EXPECT_THROW(host::saveFormatForVersion(QStringLiteral("sixteen")), host::HostError);
    }
}

TEST(HostConnection, SaveFormatWithoutAHostAsksAFreshOneAndQuitsIt) {
    fakehost::FactoryGuard hosts;
    hosts.world->version = QStringLiteral("11.0");
    EXPECT_EQ(host::excelSaveFormat(), -4143);
    EXPECT_EQ(hosts.world->created, 1);
    EXPECT_EQ(hosts.world->quits, 1);
}

// A workbook in a fresh fake host whose active sheet has `lastRow` x `lastColumn` cells in use.
host::WorkbookPtr bookWithUsedRange(fakehost::FactoryGuard& hosts, const QString& corner) {
    host::ApplicationPtr app = hosts.factory.create();
    host::WorkbookPtr book = app->workbooks().add();
    app->range(QStringLiteral("A1"))->setFormulaR1C1(QStringLiteral("x"));
    app->range(corner)->setFormulaR1C1(QStringLiteral("y"));
    return book;
}

TEST(HostConnection, PictureOfTheUsedRangeReplacesTheFile) {
    testsupport::SeamGuard seams;
    fakehost::FactoryGuard hosts;
    QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("temp.bmp"));
    {
        QFile old(path);
        ASSERT_TRUE(old.open(QIODevice::WriteOnly));
        old.write("old contents");
    }
    host::saveCellsActivesheet(bookWithUsedRange(hosts, QStringLiteral("C3")), path);
    EXPECT_TRUE(seams.reporter.reports.empty());
    QImage written(path, "BMP");
    EXPECT_EQ(written.size(), QSize(40, 20));
}

TEST(HostConnection, TheDirectPictureLeavesTheClipboardAlone) {
    testsupport::SeamGuard seams;
    fakehost::FactoryGuard hosts;
    QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("temp.bmp"));
    QGuiApplication::clipboard()->setText(QStringLiteral("marker"));
    host::saveCellsActivesheet(bookWithUsedRange(hosts, QStringLiteral("C3")), path, host::PictureRoute::Direct);
    EXPECT_TRUE(seams.reporter.reports.empty());
    EXPECT_EQ(QImage(path, "BMP").size(), QSize(40, 20));
    EXPECT_EQ(hosts.world->count(QStringLiteral("CopyPicture")), 0);
    EXPECT_EQ(QGuiApplication::clipboard()->text(), QStringLiteral("marker"));

    // A sheet that gives no picture fails at the same line as the copy.
    hosts.world->failOn = {QStringLiteral(".Picture")};
    QFile::remove(path);
    host::saveCellsActivesheet(bookWithUsedRange(hosts, QStringLiteral("C3")), path, host::PictureRoute::Direct);
    EXPECT_EQ(seams.reporter.lines(), (std::vector<int>{110, 112}));
    EXPECT_FALSE(QFile::exists(path));
}

TEST(HostConnection, UsedRangeEndingInRowOneOrColumnAWritesNothing) {
    testsupport::SeamGuard seams;
    fakehost::FactoryGuard hosts;
    QTemporaryDir folder;
    for (const char* corner : {"D1", "A5"}) {
        const QString path = folder.filePath(QLatin1String(corner) + QStringLiteral(".bmp"));
        host::saveCellsActivesheet(bookWithUsedRange(hosts, QLatin1String(corner)), path);
        EXPECT_FALSE(QFile::exists(path)) << corner;
    }
    EXPECT_TRUE(seams.reporter.reports.empty());
    EXPECT_EQ(hosts.world->count(QStringLiteral("CopyPicture")), 0);
}

TEST(HostConnection, EachFailingExportStepReportsItsOwnLine) {
    testsupport::SeamGuard seams;
    fakehost::FactoryGuard hosts;
    QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("temp.bmp"));
    host::WorkbookPtr book = bookWithUsedRange(hosts, QStringLiteral("C3"));

    // No workbook at all: the sheet is missing, the used range cannot be
    // measured, and the export stops there without writing.
    host::saveCellsActivesheet(nullptr, path);
    EXPECT_EQ(seams.reporter.lines(), (std::vector<int>{100, 102, 104}));
    EXPECT_EQ(seams.reporter.reports[0].location, QStringLiteral("in Tarnwick2021/08/31.Excel1.saveCellsActivesheet "));
    seams.reporter.reports.clear();

    // The copy fails and the clipboard holds no picture: 110 and 112.
    QGuiApplication::clipboard()->clear();
    hosts.world->failOn = {QStringLiteral("CopyPicture")};
    host::saveCellsActivesheet(book, path);
    EXPECT_EQ(seams.reporter.lines(), (std::vector<int>{110, 112}));
    EXPECT_FALSE(QFile::exists(path));
}

}  // namespace
}  // namespace brevanta
