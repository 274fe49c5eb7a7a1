// The preview's reporting procedures carry on statement by statement: a
// failure at any numbered statement is reported at that statement's own
// line, and the statements after it still run.

#include <QCoreApplication>
#include <QMouseEvent>
#include <QScrollBar>
#include <gtest/gtest.h>

#include "frame/error_report.h"
#include "preview/form2.h"
#include "preview/image_surface.h"
#include "tests/support/injected_failure.h"
#include "tests/preview/register_picture.h"
#include "tests/support/recording.h"

using namespace brevanta;
using preview::Form2;

namespace {

void sendMouse(QWidget* target, QEvent::Type type, QPoint position, Qt::MouseButtons held) {
    QMouseEvent event(type, QPointF(position), QPointF(target->mapToGlobal(position)),
                      type == QEvent::MouseMove ? Qt::NoButton : Qt::LeftButton, held, Qt::NoModifier);
    QCoreApplication::sendEvent(target, &event);
}

std::vector<int> reportedLines(const testsupport::SeamGuard& seams) {
    std::vector<int> lines;
    for (const frame::ErrorReport& report : seams.reporter.reports) lines.push_back(report.line);
    return lines;
}

}  // namespace

// The lines after `line` in `path` all ran, in order, after it failed.
void expectCarriedOn(const testsupport::InjectedFailure& failure, const std::vector<int>& path, int line) {
    const auto at = std::find(path.begin(), path.end(), line);
    ASSERT_NE(at, path.end());
    const std::vector<int>& run = failure.linesRun();
    const auto ranAt = std::find(run.begin(), run.end(), line);
    ASSERT_NE(ranAt, run.end()) << "line " << line << " never reached";
    EXPECT_EQ(std::vector<int>(ranAt, run.end()), std::vector<int>(at, path.end())) << "after line " << line;
}

TEST(PreviewStatements, InitialSetUpCarriesOnAfterEachStatement) {
    const std::vector<int> path{100, 102, 104, 106, 122, 124, 126, 128, 130, 132, 134, 136, 138};
    for (const int line : {102, 104, 106, 122, 124, 126, 128, 130, 132, 134, 136}) {
        testsupport::SeamGuard seams;
        testsupport::InjectedFailure failure(QStringLiteral("Form2"), QStringLiteral("Form_Activate"), line);
        Form2 form;
        form.setPicture(testsupport::registerPicture(100));
        form.show();
        EXPECT_EQ(reportedLines(seams), std::vector<int>{line}) << "line " << line;
        expectCarriedOn(failure, path, line);
        EXPECT_FALSE(form.setupPending()) << "138 ran after " << line;
    }
}

TEST(PreviewStatements, RepaintCarriesOnAfterEachStatement) {
    const std::vector<int> path{100, 102, 104, 106, 108, 110, 112, 114, 116, 118, 120, 122};
    for (const int line : {100, 102, 104, 106, 108, 110, 112, 114, 116, 118, 120, 122}) {
        testsupport::SeamGuard seams;
        Form2 form;
        form.setPicture(testsupport::registerPicture(100));
        form.show();
        form.VScroll1->setValue(form.VScroll1->maximum());
        testsupport::InjectedFailure failure(QStringLiteral("Form2"), QStringLiteral("RedrawImage"), line);
        form.PushButton1_Click();
        EXPECT_EQ(reportedLines(seams), std::vector<int>{line}) << "line " << line;
        expectCarriedOn(failure, path, line);
        if (line != 118) EXPECT_EQ(form.VScroll1->value(), 0) << line;
    }
    // Beyond what a surface can be, the fall-back statements carry on the same way.
    const std::vector<int> fallBack{100, 102, 104, 124, 126, 128, 130, 132};
    for (const int line : {124, 126, 128, 130, 132}) {
        testsupport::SeamGuard seams;
        Form2 form;
        auto tall = std::make_shared<paint::SheetPicture>();
        tall->width = 100;
        tall->height = 6'300'000;  // 2.75 times this is more than a widget can be tall
        tall->finish();
        form.setPicture(paint::SharedPicture(tall));
        form.show();
        for (int step = 0; step < 6; ++step) form.PushButton1_Click();
        ASSERT_FLOAT_EQ(form.viewer().zoom(), 2.5f);
        testsupport::InjectedFailure failure(QStringLiteral("Form2"), QStringLiteral("RedrawImage"), line);
        form.PushButton1_Click();
        EXPECT_EQ(reportedLines(seams), std::vector<int>{line}) << "line " << line;
        expectCarriedOn(failure, fallBack, line);
        if (line != 124) EXPECT_FLOAT_EQ(form.viewer().zoom(), 1.0f) << line;
    }
}

TEST(PreviewStatements, DragAndReleaseCarryOnAfterEachStatement) {
    // Dragged down and right, the "> 0" clamps apply; up and left, the far-edge clamps.
    const std::vector<int> towardsStart{100, 104, 106, 108, 114, 116, 118, 124};
    const std::vector<int> towardsEnd{100, 104, 106, 110, 112, 114, 116, 120, 122, 124};
    for (const int line : {104, 106, 108, 110, 112, 114, 116, 118, 120, 122}) {
        const bool farEdge = line == 110 || line == 112 || line == 120 || line == 122;
        testsupport::SeamGuard seams;
        Form2 form;
        form.setPicture(testsupport::registerPicture(100));
        form.show();
        sendMouse(form.Picture1, QEvent::MouseButtonPress, {300, 300}, Qt::LeftButton);
        testsupport::InjectedFailure failure(QStringLiteral("Form2"), QStringLiteral("picture1_MouseMove"), line);
        sendMouse(form.Picture1, QEvent::MouseMove, farEdge ? QPoint(-9000, -9000) : QPoint(400, 400), Qt::LeftButton);
        EXPECT_EQ(reportedLines(seams), std::vector<int>{line}) << "line " << line;
        // A failed test counts as passed, so its clamp runs and the path stays the same; a failed
        // move leaves that edge where it was, inside both clamps.
        if (line == 104) expectCarriedOn(failure, {104, 106, 110, 114, 116, 118, 124}, line);
        else if (line == 114) expectCarriedOn(failure, {114, 116, 120, 124}, line);
        else expectCarriedOn(failure, farEdge ? towardsEnd : towardsStart, line);
    }
    for (const int line : {100, 102, 104, 106}) {
        testsupport::SeamGuard seams;
        Form2 form;
        form.setPicture(testsupport::registerPicture(100));
        form.show();
        sendMouse(form.Picture1, QEvent::MouseButtonPress, {300, 300}, Qt::LeftButton);
        sendMouse(form.Picture1, QEvent::MouseMove, {200, 100}, Qt::LeftButton);
        testsupport::InjectedFailure failure(QStringLiteral("Form2"), QStringLiteral("Picture1_MouseUp"), line);
        sendMouse(form.Picture1, QEvent::MouseButtonRelease, {200, 100}, Qt::NoButton);
        EXPECT_EQ(reportedLines(seams), std::vector<int>{line}) << "line " << line;
        expectCarriedOn(failure, {100, 102, 104, 106}, line);
    }
}

TEST(PreviewStatements, LoadAndSaveCarryOnAfterEachStatement) {
    {
        // Caption and icon share line 104: the icon is set although the caption failed.
        testsupport::SeamGuard seams;
        testsupport::InjectedFailure failure(QStringLiteral("Form2"), QStringLiteral("Form_Load"), 104, 1);
        Form2 form;
        EXPECT_EQ(reportedLines(seams), std::vector<int>{104});
        EXPECT_TRUE(form.windowTitle().isEmpty());
        EXPECT_FALSE(form.windowIcon().isNull());
    }
    {
        // The name the dialog gave is taken at 108 on its own: when that fails, nothing is
        // written and the handler goes on to its end.
        testsupport::SeamGuard seams;
        Form2 form;
        seams.prompter.fileNames = {QStringLiteral("/nonexistent/never.xls")};
        testsupport::InjectedFailure failure(QStringLiteral("Form2"), QStringLiteral("PushButton6_Click"), 108);
        form.PushButton6_Click();
        EXPECT_EQ(reportedLines(seams), std::vector<int>{108});
        expectCarriedOn(failure, {100, 102, 104, 106, 108, 110, 122, 126}, 108);
    }
}
