// The preview's right-click menu, Ctrl+P and what Print and Export PDF do,
// with the print dialog answered by the test's prompter.

#include <QAction>
#include <QApplication>
#include <QMouseEvent>
#include <QDir>
#include <QFile>
#include <QMenu>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>

#include "preview/form2.h"
#include "preview/image_surface.h"
#include "tests/support/recording.h"
#include "tests/xls/register_workbook.h"
#include "xls/xls_file.h"

using namespace brevanta;
using preview::Form2;

namespace {

class PrintMenu : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(folder.isValid());
        form.mExcelFile = folder.filePath(QStringLiteral("vantor11223344.xls"));
        xls::writeWorkbook(*xlstest::registerWorkbook(3), form.mExcelFile);
        form.setPicture(QImage(2000, 1500, QImage::Format_RGB32));
        form.show();
    }
    QStringList files() const { return QDir(folder.path()).entryList(QDir::Files | QDir::NoDotAndDotDot); }

    testsupport::SeamGuard seams;
    QTemporaryDir folder;
    Form2 form;
};

}  // namespace

TEST_F(PrintMenu, ARightClickThatDidNotDragOffersPrintAndExportPdf) {
    EXPECT_FALSE(form.PopupMenu1->isVisible());
    QTest::mouseClick(form.Picture1, Qt::RightButton, {}, QPoint(20, 20));
    EXPECT_TRUE(form.PopupMenu1->isVisible());
    EXPECT_EQ(form.mnuPrint->text(), QStringLiteral("Print…"));
    EXPECT_EQ(form.mnuExportPdf->text(), QStringLiteral("Export PDF…"));
    form.PopupMenu1->hide();

    // A right-button drag still drags, and offers no menu.
    const QPoint before = form.Picture1->pos();
    QTest::mousePress(form.Picture1, Qt::RightButton, {}, QPoint(60, 50));
    QMouseEvent move(QEvent::MouseMove, QPointF(20, 20), form.Picture1->mapToGlobal(QPointF(20, 20)),
                     Qt::NoButton, Qt::RightButton, Qt::NoModifier);
    QApplication::sendEvent(form.Picture1, &move);
    QTest::mouseRelease(form.Picture1, Qt::RightButton, {}, QPoint(20, 20));
    EXPECT_NE(form.Picture1->pos(), before);
    EXPECT_FALSE(form.PopupMenu1->isVisible());
    EXPECT_TRUE(seams.reporter.reports.empty());
}

TEST_F(PrintMenu, CancellingThePrintDialogLeavesNoFileAndNoBox) {
    form.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&form));
    QTest::keyClick(&form, Qt::Key_P, Qt::ControlModifier);  // Ctrl+P
    EXPECT_EQ(seams.prompter.printDialogs, 1);
    form.mnuPrint->trigger();
    EXPECT_EQ(seams.prompter.printDialogs, 2);
    EXPECT_TRUE(seams.prompter.messages.empty());
    EXPECT_TRUE(seams.reporter.reports.empty());
    EXPECT_EQ(files(), QStringList{QStringLiteral("vantor11223344.xls")});
}

TEST_F(PrintMenu, PrintingAGoneWorkbookIsReportedOnceUnderItsOwnName) {
    QFile::remove(form.mExcelFile);
    form.mnuPrint_Click();
    ASSERT_EQ(seams.reporter.reports.size(), 1u);
    EXPECT_EQ(seams.reporter.reports[0].location, QStringLiteral("in Tarnwick2021/08/31.Form2.mnuPrint_Click "));
    EXPECT_EQ(seams.reporter.reports[0].line, 100);
    EXPECT_EQ(seams.prompter.printDialogs, 0);
}

TEST_F(PrintMenu, ExportPdfWritesTheChosenFileAndCancelSaysNothing) {
    form.mnuExportPdf->trigger();
    ASSERT_EQ(seams.prompter.saveRequests.size(), 1u);
    EXPECT_EQ(seams.prompter.saveRequests[0].filter, QStringLiteral("PDF Files (*.pdf)"));
    EXPECT_TRUE(seams.prompter.messages.empty());

    const QString pdf = folder.filePath(QStringLiteral("register.pdf"));
    seams.prompter.fileNames = {pdf};
    form.mnuExportPdf->trigger();
    QFile written(pdf);
    ASSERT_TRUE(written.open(QIODevice::ReadOnly));
    EXPECT_TRUE(written.readAll().startsWith("%PDF-"));
    ASSERT_EQ(seams.prompter.messages.size(), 1u);
    EXPECT_EQ(seams.prompter.messages[0].text, QStringLiteral("Done."));

    // An existing file is asked about; No leaves it alone.
    seams.prompter.fileNames = {pdf};
    seams.prompter.answers = {frame::Answer::No};
    QFile::resize(pdf, 5);
    form.mnuExportPdf->trigger();
    EXPECT_EQ(QFileInfo(pdf).size(), 5);
    EXPECT_EQ(seams.prompter.messages.back().text,
              QStringLiteral("Are you sure you wish to overwrite ") + pdf + QStringLiteral(" ?"));
    EXPECT_TRUE(seams.reporter.reports.empty());
}

TEST_F(PrintMenu, AFailedExportIsReportedAndSaysNoDone) {
    seams.prompter.fileNames = {folder.filePath(QStringLiteral("no-such-folder/register.pdf"))};
    form.mnuExportPdf_Click();
    ASSERT_EQ(seams.reporter.reports.size(), 1u);
    EXPECT_EQ(seams.reporter.reports[0].location, QStringLiteral("in Tarnwick2021/08/31.Form2.mnuExportPdf_Click "));
    EXPECT_EQ(seams.reporter.reports[0].line, 124);
    EXPECT_TRUE(seams.prompter.messages.empty());
}
