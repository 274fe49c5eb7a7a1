// Shared main of every test executable: a QApplication on the offscreen
// platform, settings and standard paths redirected away from the user's,
// and the error box replaced by a recorder that fails loudly if a test
// forgets to install its own.

#include <QApplication>
#include <QStandardPaths>
#include <gtest/gtest.h>

#include "frame/error_report.h"

namespace {
class UnexpectedReport final : public brevanta::frame::Reporter {
public:
    void report(const brevanta::frame::ErrorReport& report) override {
        ADD_FAILURE() << "unexpected error box: " << report.text().toStdString();
    }
};
}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QStandardPaths::setTestModeEnabled(true);
    QApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("BrevantaTests"));
    UnexpectedReport unexpected;
    brevanta::frame::setReporter(&unexpected);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
