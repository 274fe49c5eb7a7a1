// The whole install, staged with DESTDIR as a package build does: every
// file in place, nothing pointing back into the build or source tree, the
// installed tools running from there, and the desktop entry and metadata
// passing their validators.

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QImageReader>
#include <QProcess>
#include <QRegularExpression>
#include <QSettings>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include "register/cursor_file.h"

namespace brevanta {
namespace {

const QString kAppId = QStringLiteral("app.brevanta.Brevanta");

struct Outcome {
    int exitCode = -1;
    QString out;  // standard output and error together
};

Outcome run(const QString& program, const QStringList& arguments, const QProcessEnvironment& environment = {}) {
    QProcess process;
    process.setProcessChannelMode(QProcess::MergedChannels);
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    for (const QString& key : environment.keys()) env.insert(key, environment.value(key));
    process.setProcessEnvironment(env);
    process.start(program, arguments);
    if (!process.waitForStarted(10000)) return {-1, process.errorString()};
    if (!process.waitForFinished(300000)) process.kill();
    Outcome outcome;
    outcome.exitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    outcome.out = QString::fromUtf8(process.readAll());
    return outcome;
}

QByteArray readAll(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// One staged install shared by the tests below.
class Installed : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        staging = new QTemporaryDir();
        ASSERT_TRUE(staging->isValid());
        QProcessEnvironment env;
        env.insert(QStringLiteral("DESTDIR"), staging->path());
        const Outcome install = run(QStringLiteral(CMAKE_COMMAND),
                                    {QStringLiteral("--install"), QStringLiteral(BUILD_DIR), QStringLiteral("--prefix"),
                                     QStringLiteral("/usr"), QStringLiteral("--strip")},
                                    env);
        ASSERT_EQ(install.exitCode, 0) << install.out.toStdString();
    }
    static void TearDownTestSuite() {
        delete staging;
        staging = nullptr;
    }
    void SetUp() override {
        if (!staging || !QFileInfo(usr()).isDir()) GTEST_SKIP() << "the install failed";
    }

    static QString usr(const QString& path = {}) { return staging->path() + QStringLiteral("/usr/") + path; }

    static QTemporaryDir* staging;
};
QTemporaryDir* Installed::staging = nullptr;

TEST_F(Installed, EveryFileIsInItsPlaceAndNothingElse) {
    QStringList expected = {
        QStringLiteral("bin/brevanta"),
        QStringLiteral("bin/brevanta-register"),
        QStringLiteral("libexec/brevanta/brevanta-ofx-reader"),
        QStringLiteral("share/applications/") + kAppId + QStringLiteral(".desktop"),
        QStringLiteral("share/metainfo/") + kAppId + QStringLiteral(".metainfo.xml"),
        QStringLiteral("share/icons/hicolor/scalable/apps/") + kAppId + QStringLiteral(".svg"),
        QStringLiteral("share/man/man1/brevanta.1.gz"),
        QStringLiteral("share/man/man1/brevanta-register.1.gz"),
        QStringLiteral("share/brevanta/HAND-M.CUR"),
        QStringLiteral("share/doc/brevanta/copyright"),
        QStringLiteral("share/doc/brevanta/changelog.gz"),
    };
    const QList<int> sizes = {16, 22, 24, 32, 48, 64, 128, 256};
    for (int size : sizes)
        expected << QStringLiteral("share/icons/hicolor/%1x%1/apps/%2.png").arg(size).arg(kAppId);

    QStringList found;
    QDirIterator it(usr(), QDir::Files, QDirIterator::Subdirectories);
    while (it.hasNext()) found << QDir(usr()).relativeFilePath(it.next());
    found.sort();
    expected.sort();
    EXPECT_EQ(found, expected);

    for (const char* program : {"bin/brevanta", "bin/brevanta-register", "libexec/brevanta/brevanta-ofx-reader"})
        EXPECT_TRUE(QFileInfo(usr(QLatin1String(program))).isExecutable()) << program;
    // Each PNG really is the size its folder names.
    for (int size : sizes) {
        QImageReader reader(usr(QStringLiteral("share/icons/hicolor/%1x%1/apps/%2.png").arg(size).arg(kAppId)));
        EXPECT_EQ(reader.size(), QSize(size, size)) << size;
    }
}

TEST_F(Installed, NothingPointsBackIntoTheBuildOrSourceTree) {
    QDirIterator it(usr(), QDir::Files, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        const QByteArray bytes = readAll(path);
        for (const char* tree : {BUILD_DIR, SOURCE_DIR})
            EXPECT_FALSE(bytes.contains(QByteArray(tree) + '/')) << path.toStdString() << " names " << tree;
    }
}

TEST_F(Installed, TheInstalledToolRunsFromWhereverItWasPut) {
    QTemporaryDir work;
    QProcessEnvironment env;
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    const QString tool = usr(QStringLiteral("bin/brevanta-register"));

    const Outcome version = run(tool, {QStringLiteral("--version")}, env);
    EXPECT_EQ(version.exitCode, 0);
    EXPECT_TRUE(version.out.startsWith(QStringLiteral("brevanta-register " PROJECT_VERSION "\n"))) << version.out.toStdString();

    const QString workbook = work.filePath(QStringLiteral("x.xls"));
    const Outcome sample = run(tool, {QStringLiteral("--sample"), QStringLiteral("-o"), workbook}, env);
    EXPECT_EQ(sample.exitCode, 0) << sample.out.toStdString();
    // A compound file, as every .xls workbook is.
    EXPECT_TRUE(readAll(workbook).startsWith(QByteArray::fromHex("d0cf11e0a1b11ae1")));
    // It finds the statement reader in libexec/ through the path relative to bin/.
    const Outcome imported = run(tool, {QStringLiteral("--import"), QStringLiteral(SOURCE_DIR "/tests/statements/fixtures/bank_sgml.ofx"),
                                        QStringLiteral("-o"), work.filePath(QStringLiteral("imported.xls"))}, env);
    EXPECT_EQ(imported.exitCode, 0) << imported.out.toStdString();

    const Outcome program = run(usr(QStringLiteral("bin/brevanta")), {QStringLiteral("--version")}, env);
    EXPECT_EQ(program.exitCode, 0);
    EXPECT_TRUE(program.out.startsWith(QStringLiteral("brevanta " PROJECT_VERSION "\n"))) << program.out.toStdString();

    // The program finds its hand cursor through the path relative to bin/.
    const QString cursor = reg::handCursorPath(usr(QStringLiteral("bin")));
    EXPECT_EQ(QFileInfo(cursor).canonicalFilePath(),
              QFileInfo(usr(QStringLiteral("share/brevanta/HAND-M.CUR"))).canonicalFilePath());
    EXPECT_EQ(reg::loadCursorFile(cursor).hotSpot(), QPoint(11, 1));
}

TEST_F(Installed, DesktopEntryAndMetadataAgreeAndPassTheirValidators) {
    const QString desktopFile = usr(QStringLiteral("share/applications/") + kAppId + QStringLiteral(".desktop"));
    const QString metainfo = usr(QStringLiteral("share/metainfo/") + kAppId + QStringLiteral(".metainfo.xml"));

    QSettings entry(desktopFile, QSettings::IniFormat);
    entry.beginGroup(QStringLiteral("Desktop Entry"));
    EXPECT_TRUE(QFileInfo(usr(QStringLiteral("bin/") + entry.value(QStringLiteral("Exec")).toString())).isExecutable());
    const QString icon = entry.value(QStringLiteral("Icon")).toString();
    EXPECT_TRUE(QFileInfo::exists(usr(QStringLiteral("share/icons/hicolor/scalable/apps/") + icon + QStringLiteral(".svg"))));
    EXPECT_TRUE(QFileInfo::exists(usr(QStringLiteral("share/icons/hicolor/48x48/apps/") + icon + QStringLiteral(".png"))));
    EXPECT_FALSE(entry.contains(QStringLiteral("MimeType")));  // the program opens no file it is handed

    // The newest release named in the metadata and the changelog is this version.
    const QString metadata = QString::fromUtf8(readAll(metainfo));
    EXPECT_TRUE(metadata.contains(QStringLiteral("<launchable type=\"desktop-id\">") + kAppId + QStringLiteral(".desktop<")));
    const auto release = QRegularExpression(QStringLiteral("<release version=\"([^\"]+)\"")).match(metadata);
    EXPECT_EQ(release.captured(1), QStringLiteral(PROJECT_VERSION));
    EXPECT_TRUE(metadata.contains(QStringLiteral("<project_license>GPL-3.0-or-later</project_license>")));
    const Outcome changelog = run(QStringLiteral("gzip"), {QStringLiteral("-dc"), usr(QStringLiteral("share/doc/brevanta/changelog.gz"))});
    EXPECT_TRUE(changelog.out.startsWith(QStringLiteral("brevanta (" PROJECT_VERSION ") "))) << changelog.out.toStdString();

    const QString desktopValidate = QStandardPaths::findExecutable(QStringLiteral("desktop-file-validate"));
    const QString appstreamcli = QStandardPaths::findExecutable(QStringLiteral("appstreamcli"));
    if (desktopValidate.isEmpty() || appstreamcli.isEmpty())
        GTEST_SKIP() << "desktop-file-validate (desktop-file-utils) or appstreamcli (appstream) is not installed";
    const Outcome desktop = run(desktopValidate, {desktopFile});
    EXPECT_EQ(desktop.exitCode, 0);
    EXPECT_EQ(desktop.out, QString()) << "warnings count too";
    const Outcome appstream = run(appstreamcli, {QStringLiteral("validate"), QStringLiteral("--no-net"),
                                                 QStringLiteral("--pedantic"), metainfo});
    EXPECT_EQ(appstream.exitCode, 0) << appstream.out.toStdString();
}

TEST_F(Installed, ManualPagesFormatWithoutWarnings) {
    const QString man = QStandardPaths::findExecutable(QStringLiteral("man"));
    if (man.isEmpty()) GTEST_SKIP() << "man (man-db) is not installed";
    QProcessEnvironment env;
    env.insert(QStringLiteral("LC_ALL"), QStringLiteral("C.UTF-8"));
    env.insert(QStringLiteral("MANWIDTH"), QStringLiteral("80"));
    for (const char* page : {"brevanta.1.gz", "brevanta-register.1.gz"}) {
        const Outcome formatted = run(man, {QStringLiteral("--warnings"), QStringLiteral("-E"), QStringLiteral("UTF-8"),
                                            QStringLiteral("-l"),
                                            usr(QStringLiteral("share/man/man1/")) + QLatin1String(page)},
                                      env);
        EXPECT_EQ(formatted.exitCode, 0) << page;
        EXPECT_TRUE(formatted.out.contains(QStringLiteral("EXIT STATUS"))) << page;
        EXPECT_FALSE(formatted.out.contains(QStringLiteral("warning"))) << formatted.out.toStdString();
    }
}

}  // namespace
}  // namespace brevanta
