#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <csignal>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include "frame/failure.h"
#include "frame/safe_file.h"
#include "tests/support/small_disk.h"
#include "tests/support/files.h"

using brevanta::frame::Failure;
using brevanta::frame::writeFileSafely;

namespace {

using brevanta::testsupport::contentOf;
using brevanta::testsupport::put;

using brevanta::testsupport::namesIn;

// The description of the failure `write` throws; empty when it throws none.
template <class Write>
QString failureOf(Write&& write) {
    try {
        write();
    } catch (const Failure& failure) {
        return failure.description();
    }
    return {};
}

}  // namespace

TEST(SafeFile, WritesANewFileAndReplacesAnOldOneKeepingItsMode) {
    QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("list.conf"));
    writeFileSafely(path, "first");
    EXPECT_EQ(contentOf(path), "first");

    ASSERT_EQ(::chmod(QFile::encodeName(path).constData(), 0640), 0);
    const QByteArray big(3 * 1024 * 1024 + 17, 'x');
    writeFileSafely(path, big);
    EXPECT_EQ(contentOf(path), big);
    struct stat info {};
    ASSERT_EQ(::stat(QFile::encodeName(path).constData(), &info), 0);
    EXPECT_EQ(info.st_mode & 07777, 0640u);

    writeFileSafely(path, QByteArray());
    EXPECT_EQ(contentOf(path), QByteArray());
    EXPECT_EQ(namesIn(folder), QStringList{QStringLiteral("list.conf")});
}

TEST(SafeFile, ASymbolicLinkIsRefusedAndWhatItPointsAtIsLeftAlone) {
    QTemporaryDir folder;
    const QString elsewhere = folder.filePath(QStringLiteral("elsewhere"));
    const QString link = folder.filePath(QStringLiteral("list.conf"));
    put(elsewhere, "precious");
    ASSERT_TRUE(QFile::link(elsewhere, link));

    const QString failure = failureOf([&] { writeFileSafely(link, "new"); });
    EXPECT_EQ(failure, QStringLiteral("Cannot write ") + link + QStringLiteral(": it is a symbolic link"));
    EXPECT_EQ(contentOf(elsewhere), "precious");
    EXPECT_EQ(QFileInfo(link).symLinkTarget(), elsewhere);
    EXPECT_EQ(namesIn(folder).size(), 2);
}

// Paths that cannot be written, whoever runs the test (root ignores permissions).
TEST(SafeFile, UnwritablePathsFailWithTheSystemsReasonAndLeaveNothingBehind) {
    QTemporaryDir folder;
    const QString plainFile = folder.filePath(QStringLiteral("plain"));
    put(plainFile, "plain");
    const QString underFile = plainFile + QStringLiteral("/list.conf");
    EXPECT_EQ(failureOf([&] { writeFileSafely(underFile, "x"); }),
              QStringLiteral("Cannot write ") + underFile + QStringLiteral(": Not a directory"));

    const QString aFolder = folder.filePath(QStringLiteral("folder"));
    ASSERT_TRUE(QDir().mkdir(aFolder));
    EXPECT_EQ(failureOf([&] { writeFileSafely(aFolder, "x"); }),
              QStringLiteral("Cannot write ") + aFolder + QStringLiteral(": Is a directory"));
    EXPECT_TRUE(QFileInfo(aFolder).isDir());
    EXPECT_EQ(namesIn(folder).size(), 2);  // no temporary file left beside
}

// A disk that fills up in the middle: writes stop short, as they do when the
// file-size limit is reached.
TEST(SafeFile, AShortWriteFailsAndTheOldFileStaysWhole) {
    QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("list.conf"));
    put(path, "old list");

    struct rlimit saved {};
    ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &saved), 0);
    auto* previousHandler = std::signal(SIGXFSZ, SIG_IGN);
    struct rlimit small = saved;
    small.rlim_cur = 4096;
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &small), 0);
    const QString failure = failureOf([&] { writeFileSafely(path, QByteArray(100000, 'n')); });
    ::setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, previousHandler);

    EXPECT_EQ(failure, QStringLiteral("Cannot write ") + path + QStringLiteral(": File too large"));
    EXPECT_EQ(contentOf(path), "old list");
    EXPECT_EQ(namesIn(folder), QStringList{QStringLiteral("list.conf")});
}

// A temporary file's name may hold a link someone planted: the link itself
// is replaced, and what it points at is never written.
TEST(SafeFile, ATemporaryFileReplacesALinkUnderItsNameInsteadOfFollowingIt) {
    QTemporaryDir folder;
    const QString elsewhere = folder.filePath(QStringLiteral("elsewhere"));
    const QString link = folder.filePath(QStringLiteral("temp.bmp"));
    put(elsewhere, "precious");
    ASSERT_TRUE(QFile::link(elsewhere, link));

    writeFileSafely(link, "picture", brevanta::frame::LinkAtTarget::Replace);
    EXPECT_FALSE(QFileInfo(link).isSymLink());
    EXPECT_EQ(contentOf(link), "picture");
    EXPECT_EQ(contentOf(elsewhere), "precious");
}

TEST(SafeFile, ACopyIsWholeOrNothingAndACopyOntoItselfDoesNothing) {
    QTemporaryDir folder;
    const QString source = folder.filePath(QStringLiteral("vantor12345678.xls"));
    const QString destination = folder.filePath(QStringLiteral("saved.xls"));
    put(source, QByteArray(200000, 'w'));
    put(destination, "old");

    brevanta::frame::copyFileSafely(source, destination);
    EXPECT_EQ(contentOf(destination), QByteArray(200000, 'w'));
    brevanta::frame::copyFileSafely(destination, destination);
    EXPECT_EQ(contentOf(destination), QByteArray(200000, 'w'));

    put(destination, "old");
    const QString missing = folder.filePath(QStringLiteral("gone.xls"));
    EXPECT_TRUE(failureOf([&] { brevanta::frame::copyFileSafely(missing, destination); })
                    .startsWith(QStringLiteral("Cannot read ") + missing));
    EXPECT_EQ(failureOf([&] { brevanta::frame::copyFileSafely(source, destination, {}, 1000); }),
              QStringLiteral("Cannot read ") + source + QStringLiteral(": the file is too large"));
    EXPECT_EQ(contentOf(destination), "old");
}

// A real full disk (a small tmpfs): the write stops with "No space left on
// device", the old file stays whole, and no temporary file is left to fill it further.
TEST(SafeFile, AFullDiskFailsAndTheOldFileStaysWhole) {
    brevanta::testsupport::SmallDisk disk(64 * 1024);
    BREVANTA_NEEDS_SMALL_DISK(disk);
    const QString path = disk.filePath(QStringLiteral("Halvorn.conf"));
    const QByteArray old(33487, 'o');
    writeFileSafely(path, old);
    disk.fill(20 * 1024);

    const QString failure = failureOf([&] { writeFileSafely(path, QByteArray(33000, 'n')); });
    EXPECT_EQ(failure, QStringLiteral("Cannot write ") + path + QStringLiteral(": No space left on device"));
    EXPECT_EQ(contentOf(path), old);
    EXPECT_EQ(QDir(disk.path()).entryList(QDir::Files | QDir::Hidden).size(), 2);  // the file and the filler
}

// Saving over a read-only file the user may delete replaces it, as deleting
// it first and copying would; checked as an ordinary user, since root passes
// every permission check anyway.
TEST(SafeFile, AReadOnlyFileTheUserMayDeleteIsReplacedAsAnOrdinaryUser) {
    QTemporaryDir folder;
    const QString source = folder.filePath(QStringLiteral("new.xls"));
    const QString target = folder.filePath(QStringLiteral("read-only.xls"));
    for (const auto& [path, bytes] : {std::pair{source, QByteArray("new contents")}, {target, QByteArray("old")}}) {
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
    }
    ASSERT_EQ(::chmod(QFile::encodeName(target).constData(), 0444), 0);

    const bool root = ::geteuid() == 0;
    if (root) {
        // Hand the folder and files to "nobody" and copy as that user in a child.
        const uid_t nobody = 65534;
        for (const QString& path : {folder.path(), source, target})
            ASSERT_EQ(::chown(QFile::encodeName(path).constData(), nobody, nobody), 0);
        const pid_t child = ::fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            if (::setgid(nobody) != 0 || ::setuid(nobody) != 0) ::_exit(3);
            if (::access(QFile::encodeName(target).constData(), W_OK) == 0) ::_exit(4);  // really read-only now
            try {
                brevanta::frame::copyFileSafely(source, target);
            } catch (...) {
                ::_exit(1);
            }
            ::_exit(0);
        }
        int status = 0;
        ASSERT_EQ(::waitpid(child, &status, 0), child);
        ASSERT_TRUE(WIFEXITED(status));
        EXPECT_EQ(WEXITSTATUS(status), 0) << "3: cannot become nobody, 4: the file was writable, 1: the copy failed";
    } else {
        EXPECT_NO_THROW(brevanta::frame::copyFileSafely(source, target));
    }
    QFile replaced(target);
    ASSERT_TRUE(replaced.open(QIODevice::ReadOnly));
    EXPECT_EQ(replaced.readAll(), QByteArray("new contents"));
    EXPECT_FALSE(QFileInfo(target).isWritable() && !root);  // it stays read-only
}
