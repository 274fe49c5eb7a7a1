// Start-up of the main window carries on statement by statement: a failure
// at one statement is reported at its own line and the statements after it
// still run, also where several statements share a line.

#include <gtest/gtest.h>

#include "frame/error_report.h"
#include "ledger/saved_list.h"
#include "tests/support/injected_failure.h"
#include "tests/register/form1_fixture.h"

namespace brevanta {
namespace {

using testsupport::Form1Test;

std::vector<int> reportedLines(const testsupport::SeamGuard& seams) {
    std::vector<int> lines;
    for (const frame::ErrorReport& report : seams.reporter.reports) lines.push_back(report.line);
    return lines;
}

TEST_F(Form1Test, EachOfTheThreeStatementsAtStartUpLine104FailsAlone) {
    // Caption, icon and application title share line 104.
    for (int occurrence = 1; occurrence <= 3; ++occurrence) {
        auto window = std::make_unique<reg::Form1>();
        window->setEnvironment(environment());
        seams.reporter.reports.clear();
        testsupport::InjectedFailure failure(QStringLiteral("Form1"), QStringLiteral("Form_Load"), 104, occurrence);
        window->Form_Load();
        EXPECT_EQ(reportedLines(seams), std::vector<int>{104}) << "statement " << occurrence;
        EXPECT_EQ(window->windowTitle().isEmpty(), occurrence == 1) << "statement " << occurrence;
        EXPECT_EQ(window->windowIcon().isNull(), occurrence == 2) << "statement " << occurrence;
        const std::vector<int>& run = failure.linesRun();
        EXPECT_EQ(std::count(run.begin(), run.end(), 104), 3);
        EXPECT_EQ(run.back(), 156) << "start-up ran to its end";
    }
}

TEST_F(Form1Test, TheStoredListIsReadPieceByPieceAndAFailingPieceLeavesTheOthers) {
    store().write(QStringLiteral("1/1/2013^1^One^^^^5|1/2/2013^2^Two^^^^6||1/3/2013^3^Three^^^^7|"));
    // The second piece fails at each of its statements; the first and the rest load.
    for (const int line : {132, 134, 136}) {
        auto window = std::make_unique<reg::Form1>();
        window->setEnvironment(environment());
        seams.reporter.reports.clear();
        testsupport::InjectedFailure failure(QStringLiteral("Form1"), QStringLiteral("Form_Load"), line, 2);
        window->Form_Load();
        // Without its parts, the piece's row (136) misses every field (140 to 150).
        const std::vector<int> reports =
            line == 136 ? std::vector<int>{136, 140, 142, 144, 146, 148, 150} : std::vector<int>{line};
        EXPECT_EQ(reportedLines(seams), reports) << "line " << line;
        QStringList numbers;
        for (const reg::Transaction& row : window->model().rows()) numbers << row[reg::Number];
        // Without the piece (132), or when the test of emptiness fails and so counts as
        // passed (134), the piece is skipped; without its parts (136) its row is empty.
        const QStringList expected = line == 136 ? QStringList{"1", "", "3"} : QStringList{"1", "3"};
        EXPECT_EQ(numbers, expected) << "line " << line;
        const std::vector<int>& run = failure.linesRun();
        EXPECT_EQ(run.back(), 156) << "start-up ran to its end after " << line;
    }
}

}  // namespace
}  // namespace brevanta
