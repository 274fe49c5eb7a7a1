// --help and --version of both executables: answered from the raw
// arguments, before a display, the single-instance lock or a window.

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include "app/information_options.h"
#include "app/single_instance.h"

namespace brevanta::app {
namespace {

InformationRequest requestOf(std::vector<const char*> arguments,
                             std::initializer_list<std::string_view> valueOptions = {}) {
    arguments.insert(arguments.begin(), "program");
    return informationRequest(int(arguments.size()), arguments.data(), valueOptions);
}

TEST(InformationOptions, TheFirstRequestCountsAndValuesAreNotOptions) {
    EXPECT_EQ(requestOf({}), InformationRequest::None);
    EXPECT_EQ(requestOf({"-platform", "offscreen"}), InformationRequest::None);
    EXPECT_EQ(requestOf({"--help"}), InformationRequest::Help);
    EXPECT_EQ(requestOf({"-h", "--version"}), InformationRequest::Help);
    EXPECT_EQ(requestOf({"--sample", "--version", "--help"}), InformationRequest::Version);
    EXPECT_EQ(requestOf({"--versions", "-help", "help"}), InformationRequest::None);
    // "-o --help" writes a file named --help; a later request still counts.
    EXPECT_EQ(requestOf({"-o", "--help"}, {"-o"}), InformationRequest::None);
    EXPECT_EQ(requestOf({"-o", "--help", "--version"}, {"-o"}), InformationRequest::Version);
    // The program name itself is never read as a request.
    const char* named[] = {"--help"};
    EXPECT_EQ(informationRequest(1, named), InformationRequest::None);
}

TEST(InformationOptions, VersionTextNamesTheProgramVersionAndLicence) {
    const std::string text = versionText("brevanta-register");
    EXPECT_EQ(text.rfind("brevanta-register " BREVANTA_EXPECTED_VERSION "\n", 0), 0u) << text;
    EXPECT_NE(text.find("GPL version 3 or later"), std::string::npos);
}

struct Outcome {
    int exitCode = -1;
    QString out, err;
};

// The executable with no display to connect to: on the default platform a
// Qt program that made its application object here would end abnormally.
Outcome runWithoutDisplay(const QString& command, const QStringList& arguments, const QString& runtimeFolder = {},
                          const QString& platform = QStringLiteral("xcb")) {
    QProcess process;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.remove(QStringLiteral("DISPLAY"));
    environment.remove(QStringLiteral("WAYLAND_DISPLAY"));
    environment.remove(QStringLiteral("QT_QPA_PLATFORM"));
    if (!platform.isEmpty()) environment.insert(QStringLiteral("QT_QPA_PLATFORM"), platform);
    if (!runtimeFolder.isEmpty()) environment.insert(QStringLiteral("XDG_RUNTIME_DIR"), runtimeFolder);
    process.setProcessEnvironment(environment);
    process.start(command, arguments);
    if (!process.waitForFinished(30000)) process.kill();
    Outcome run;
    run.exitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    run.out = QString::fromUtf8(process.readAllStandardOutput());
    run.err = QString::fromUtf8(process.readAllStandardError());
    return run;
}

TEST(InformationOptions, BothExecutablesAnswerWithoutADisplay) {
    for (const QString command : {QStringLiteral(BREVANTA_COMMAND), QStringLiteral(BREVANTA_REGISTER_COMMAND)}) {
        const QString name = QFileInfo(command).fileName();
        SCOPED_TRACE(name.toStdString());
        const Outcome version = runWithoutDisplay(command, {QStringLiteral("--version")});
        EXPECT_EQ(version.exitCode, 0) << version.err.toStdString();
        EXPECT_TRUE(version.out.startsWith(name + QStringLiteral(" " BREVANTA_EXPECTED_VERSION "\n")))
            << version.out.toStdString();
        EXPECT_TRUE(version.err.isEmpty()) << version.err.toStdString();
        for (const char* help : {"--help", "-h"}) {
            const Outcome usage = runWithoutDisplay(command, {QLatin1String(help)});
            EXPECT_EQ(usage.exitCode, 0) << usage.err.toStdString();
            EXPECT_TRUE(usage.out.startsWith(QStringLiteral("Usage:"))) << usage.out.toStdString();
            EXPECT_TRUE(usage.out.contains(QStringLiteral("--version")));
        }
    }
    // The headless tool (left to pick its own platform) keeps the exit status
    // of its usage errors, and a request placed after a bad argument still wins.
    const QString tool = QStringLiteral(BREVANTA_REGISTER_COMMAND);
    const Outcome missing = runWithoutDisplay(tool, {QStringLiteral("-o"), QStringLiteral("--help")}, {}, {});
    EXPECT_EQ(missing.exitCode, 2);
    EXPECT_TRUE(missing.out.isEmpty());
    EXPECT_TRUE(missing.err.contains(QStringLiteral("give exactly one of"))) << missing.err.toStdString();
    const Outcome late = runWithoutDisplay(tool, {QStringLiteral("--bogus"), QStringLiteral("--version")});
    EXPECT_EQ(late.exitCode, 0);
}

TEST(InformationOptions, AskingTheVersionLeavesARunningCopyAlone) {
    QTemporaryDir runtime;
    ASSERT_TRUE(runtime.isValid());
    QFile::setPermissions(runtime.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    SingleInstance running(runtime.path());
    ASSERT_EQ(running.claim(), SingleInstance::Role::First);
    QSignalSpy shown(&running, &SingleInstance::showRequested);

    const Outcome version = runWithoutDisplay(QStringLiteral(BREVANTA_COMMAND), {QStringLiteral("--version")}, runtime.path());
    EXPECT_EQ(version.exitCode, 0);
    EXPECT_FALSE(shown.wait(300));
    EXPECT_TRUE(QFile::exists(running.lockFileName()));
}

}  // namespace
}  // namespace brevanta::app
