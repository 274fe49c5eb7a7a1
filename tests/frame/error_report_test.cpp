#include <gtest/gtest.h>

#include "frame/error_report.h"
#include "frame/failure.h"
#include "tests/support/recording.h"

using namespace brevanta;

TEST(ErrorReport, TextIsExactByteForByte) {
    frame::ErrorReport report{QStringLiteral("Object required"),
                              frame::locationPiece(QStringLiteral("Form1"), QStringLiteral("Form_Load")), 156};
    EXPECT_EQ(report.text(),
              QStringLiteral("Object required\r\nin Tarnwick2021/08/31.Form1.Form_Load at line 156\r\r"
                             "Please email screenshot of this message to support@brevanta.app"));
}

TEST(ErrorReport, BoxIsWarningTitledApplicationErrorWithOk) {
    testsupport::ScriptedPrompter prompter;
    frame::setPrompter(&prompter);
    frame::setReporter(nullptr);  // the real box reporter, shown through the prompter
    frame::Procedure proc(QStringLiteral("Form2"), QStringLiteral("Picture1_MouseUp"));
    proc.step(100, [] { throw frame::Failure(QStringLiteral("Division by zero")); });
    frame::setPrompter(nullptr);
    ASSERT_EQ(prompter.messages.size(), 1u);
    EXPECT_EQ(prompter.messages[0].title, QStringLiteral("Application Error"));
    EXPECT_EQ(prompter.messages[0].buttons, frame::Buttons::Ok);
    EXPECT_EQ(prompter.messages[0].icon, frame::Icon::Warning);
    EXPECT_TRUE(prompter.messages[0].text.contains(QStringLiteral("Form2.Picture1_MouseUp at line 100\r\r")));
}

TEST(ErrorReport, CarriesOnAfterEachFailureWithItsOwnBox) {
    testsupport::SeamGuard seams;
    frame::Procedure proc(QStringLiteral("CheckRegister"), QStringLiteral("GenerateCheckRegister"));
    int reached = 0;
    int assigned = 7;
    proc.step(100, [&] { throw frame::Failure(QStringLiteral("first")); });
    proc.step(102, [&] {
        throw std::runtime_error("second");
        assigned = 1;  // never reached: a failed statement assigns nothing
    });
    proc.step(104, [&] { ++reached; });
    if (proc.trueOrFailed(106, [&]() -> bool { throw frame::Failure(QStringLiteral("test")); })) ++reached;
    if (proc.trueOrFailed(108, [] { return false; })) reached += 100;

    EXPECT_EQ(reached, 2);  // the failed test ran its block, the false one did not
    EXPECT_EQ(assigned, 7);
    ASSERT_EQ(seams.reporter.lines(), (std::vector<int>{100, 102, 106}));
    EXPECT_EQ(seams.reporter.reports[1].description, QStringLiteral("second"));
    EXPECT_EQ(seams.reporter.reports[0].location,
              QStringLiteral("in Tarnwick2021/08/31.CheckRegister.GenerateCheckRegister "));
}

TEST(ErrorReport, NestedRoutineFailsAtTheCallersLine) {
    testsupport::SeamGuard seams;
    auto routineWithoutReport = [] { throw frame::Failure(QStringLiteral("inner")); };
    frame::Procedure proc(QStringLiteral("CheckRegister"), QStringLiteral("GenerateCheckRegister"));
    proc.step(168, [&] { routineWithoutReport(); });
    ASSERT_EQ(seams.reporter.reports.size(), 1u);
    EXPECT_EQ(seams.reporter.reports[0].line, 168);
    EXPECT_EQ(seams.reporter.reports[0].description, QStringLiteral("inner"));
}
