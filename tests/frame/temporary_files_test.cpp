#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <csignal>
#include <cstdlib>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include "frame/failure.h"
#include "frame/temporary_files.h"
#include "tests/support/small_disk.h"

namespace brevanta {
namespace {

// Sets an environment variable for one scope (unset when `value` is null).
class EnvironmentScope {
public:
    EnvironmentScope(const char* name, const char* value)
        : name_(name), saved_(qgetenv(name)), had_(qEnvironmentVariableIsSet(name)) {
        if (value) qputenv(name, value);
        else qunsetenv(name);
    }
    ~EnvironmentScope() {
        if (had_) qputenv(name_, saved_);
        else qunsetenv(name_);
    }

private:
    const char* name_;
    QByteArray saved_;
    bool had_;
};

mode_t modeOf(const QString& path) {
    struct stat info {};
    return ::lstat(QFile::encodeName(path).constData(), &info) == 0 ? info.st_mode : 0;
}

void put(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

QByteArray contentOf(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<unreadable>");
}

TEST(TemporaryFiles, TempIsUsedOnlyWhenItIsAWritableFolderElseThePrivateFolder) {
    QTemporaryDir system;
    EnvironmentScope tmpdir("TMPDIR", system.path().toLocal8Bit().constData());
    const QString privateFolder = system.path() + QStringLiteral("/brevanta-") + QString::number(::getuid());
    const QByteArray plainFile = QFile::encodeName(system.filePath(QStringLiteral("plain")));
    put(QString::fromLocal8Bit(plainFile), "x");

    for (const char* temp : {static_cast<const char*>(nullptr), "", "/no/such/folder", plainFile.constData()}) {
        EnvironmentScope scope("TEMP", temp);
        EXPECT_EQ(frame::temporaryFolder(), privateFolder) << (temp ? temp : "(unset)");
    }
    EXPECT_TRUE(S_ISDIR(modeOf(privateFolder)));
    EXPECT_EQ(modeOf(privateFolder) & 07777, 0700u);

    // A private folder someone widened is narrowed again.
    ASSERT_EQ(::chmod(QFile::encodeName(privateFolder).constData(), 0777), 0);
    EXPECT_EQ(frame::privateTemporaryFolder(), privateFolder);
    EXPECT_EQ(modeOf(privateFolder) & 07777, 0700u);

    QTemporaryDir chosen;
    EnvironmentScope scope("TEMP", chosen.path().toLocal8Bit().constData());
    EXPECT_EQ(frame::temporaryFolder(), chosen.path());
}

TEST(TemporaryFiles, AReadOnlyTempIsPassedOverForThePrivateFolder) {
    testsupport::SmallDisk readOnly(64 * 1024, true);
    BREVANTA_NEEDS_SMALL_DISK(readOnly);
    QTemporaryDir system;
    EnvironmentScope tmpdir("TMPDIR", system.path().toLocal8Bit().constData());
    EnvironmentScope temp("TEMP", readOnly.path().toLocal8Bit().constData());
    EXPECT_EQ(frame::temporaryFolder(), system.path() + QStringLiteral("/brevanta-") + QString::number(::getuid()));
}

TEST(TemporaryFiles, APlantedLinkUnderThePrivateNameIsNeverUsed) {
    QTemporaryDir system;
    QTemporaryDir elsewhere;
    EnvironmentScope tmpdir("TMPDIR", system.path().toLocal8Bit().constData());
    const QString privateName = system.path() + QStringLiteral("/brevanta-") + QString::number(::getuid());
    ASSERT_TRUE(QFile::link(elsewhere.path(), privateName));

    const QString folder = frame::privateTemporaryFolder();
    EXPECT_NE(folder, privateName);
    EXPECT_TRUE(folder.startsWith(privateName + QLatin1Char('-'))) << folder.toStdString();
    EXPECT_TRUE(S_ISDIR(modeOf(folder)));
    EXPECT_EQ(modeOf(folder) & 07777, 0700u);
    EXPECT_TRUE(QDir(elsewhere.path()).isEmpty());
}

TEST(TemporaryFiles, AFileIsCreatedExclusivelyAndNeverThroughALink) {
    QTemporaryDir folder;
    const QString target = folder.filePath(QStringLiteral("target"));
    put(target, "precious");
    const QString link = folder.filePath(QStringLiteral("vantor11111111.xls"));
    const QString dangling = folder.filePath(QStringLiteral("vantor22222222.xls"));
    ASSERT_TRUE(QFile::link(target, link));
    ASSERT_TRUE(QFile::link(folder.filePath(QStringLiteral("not yet")), dangling));

    EXPECT_FALSE(frame::createFileExclusively(link));
    EXPECT_FALSE(frame::createFileExclusively(dangling));
    EXPECT_FALSE(frame::createFileExclusively(target));
    EXPECT_EQ(contentOf(target), "precious");
    EXPECT_FALSE(QFileInfo::exists(folder.filePath(QStringLiteral("not yet"))));

    const QString fresh = folder.filePath(QStringLiteral("vantor33333333.xls"));
    EXPECT_TRUE(frame::createFileExclusively(fresh));
    EXPECT_EQ(modeOf(fresh) & 07777, 0600u);
    EXPECT_THROW(frame::createFileExclusively(folder.filePath(QStringLiteral("no/such/name"))), frame::Failure);
}

// Whatever ends the program, its remembered temporary files go: a normal
// end or std::exit (closing a window ends the program that way), or a signal.
TEST(TemporaryFiles, RememberedFilesGoWhenTheProgramEnds) {
    QTemporaryDir folder;
    for (int ending : {0, SIGTERM, SIGINT, SIGHUP}) {
        const QString workbook = folder.filePath(QStringLiteral("vantor12345678.xls"));
        const QString picture = folder.filePath(QStringLiteral("temp.bmp"));
        const QString kept = folder.filePath(QStringLiteral("kept.xls"));
        const pid_t child = ::fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            for (const QString& path : {workbook, picture, kept}) {
                QFile file(path);
                if (!file.open(QIODevice::WriteOnly)) ::_exit(3);
            }
            frame::rememberTemporaryFile(workbook);
            frame::rememberTemporaryFile(picture);
            frame::rememberTemporaryFile(kept);
            frame::forgetTemporaryFile(kept);
            if (ending) ::raise(ending);
            std::exit(0);
        }
        int status = 0;
        ASSERT_EQ(::waitpid(child, &status, 0), child);
        if (ending) {
            EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == ending) << "signal " << ending;
        } else {
            EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
        }
        EXPECT_FALSE(QFileInfo::exists(workbook)) << "ending " << ending;
        EXPECT_FALSE(QFileInfo::exists(picture)) << "ending " << ending;
        EXPECT_TRUE(QFileInfo::exists(kept)) << "ending " << ending;
        QFile::remove(kept);
    }
}

}  // namespace
}  // namespace brevanta
