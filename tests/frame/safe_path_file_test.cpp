#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <sys/stat.h>

#include "frame/failure.h"
#include "frame/safe_path_file.h"
#include "tests/support/files.h"

using brevanta::frame::Failure;
using brevanta::frame::writeFileThroughPath;

namespace {

using brevanta::testsupport::contentOf;
using brevanta::testsupport::put;

using brevanta::testsupport::namesIn;

// The failure's text, or "(none)".
QString failureOf(const std::function<void()>& step) {
    try {
        step();
    } catch (const Failure& failure) {
        return failure.description();
    }
    return QStringLiteral("(none)");
}

TEST(WriteFileThroughPath, TheLibraryWritesBesideAndTheResultReplacesTheOldFileWithItsPermissions) {
    QTemporaryDir folder;
    const QString target = folder.filePath(QStringLiteral("book.xlsx"));
    put(target, "old");
    ASSERT_EQ(::chmod(QFile::encodeName(target).constData(), 0640), 0);
    QString seenByWriter, seenByCheck;
    writeFileThroughPath(
        target,
        [&](const QString& temporary) {
            seenByWriter = temporary;
            EXPECT_EQ(contentOf(target), QByteArray("old")) << "the old file stays until the new one is whole";
            put(temporary, "new bytes");
        },
        [&](const QString& temporary) { seenByCheck = temporary; });
    EXPECT_EQ(contentOf(target), QByteArray("new bytes"));
    EXPECT_EQ(seenByCheck, seenByWriter);
    // In a private folder beside the target, under the target's own name (libraries look at the extension).
    EXPECT_TRUE(seenByWriter.startsWith(folder.path() + QStringLiteral("/.book.xlsx.")));
    EXPECT_TRUE(seenByWriter.endsWith(QStringLiteral("/book.xlsx")));
    struct stat info {};
    ASSERT_EQ(::stat(QFile::encodeName(target).constData(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0640u);
    EXPECT_EQ(namesIn(folder), QStringList{QStringLiteral("book.xlsx")});
}

TEST(WriteFileThroughPath, EveryFailureKeepsTheOldFileAndLeavesNothingBehind) {
    QTemporaryDir folder;
    const QString target = folder.filePath(QStringLiteral("book.xlsx"));
    put(target, "old");
    const QString prefix = QStringLiteral("Cannot write ") + target + QStringLiteral(": ");

    EXPECT_EQ(failureOf([&] {
                  writeFileThroughPath(target, [](const QString& temporary) {
                      put(temporary, "half");
                      throw Failure(QStringLiteral("disk full"));
                  });
              }),
              prefix + QStringLiteral("disk full"));
    EXPECT_EQ(failureOf([&] { writeFileThroughPath(target, [](const QString&) {}); }),
              prefix + QStringLiteral("nothing was written"));
    EXPECT_EQ(failureOf([&] { writeFileThroughPath(target, [](const QString& temporary) { put(temporary, ""); }); }),
              prefix + QStringLiteral("nothing was written"));
    EXPECT_EQ(failureOf([&] {
                  writeFileThroughPath(
                      target, [](const QString& temporary) { put(temporary, "truncated"); },
                      [](const QString&) { throw Failure(QStringLiteral("the archive is cut short")); });
              }),
              prefix + QStringLiteral("the archive is cut short"));
    EXPECT_EQ(contentOf(target), QByteArray("old"));
    EXPECT_EQ(namesIn(folder), QStringList{QStringLiteral("book.xlsx")});

    const QString missingFolder = folder.filePath(QStringLiteral("no/such/book.xlsx"));
    EXPECT_TRUE(failureOf([&] { writeFileThroughPath(missingFolder, [](const QString&) { FAIL(); }); })
                    .startsWith(QStringLiteral("Cannot write ") + missingFolder));
}

TEST(WriteFileThroughPath, ALinkAtTheTargetIsRefusedAndWhatItPointsToKept) {
    QTemporaryDir folder;
    const QString real = folder.filePath(QStringLiteral("real.xlsx"));
    put(real, "real");
    const QString link = folder.filePath(QStringLiteral("link.xlsx"));
    ASSERT_TRUE(QFile::link(real, link));
    EXPECT_EQ(failureOf([&] { writeFileThroughPath(link, [](const QString& temporary) { put(temporary, "x"); }); }),
              QStringLiteral("Cannot write ") + link + QStringLiteral(": it is a symbolic link"));
    EXPECT_EQ(contentOf(real), QByteArray("real"));
    EXPECT_TRUE(QFileInfo(link).isSymLink());
}

}  // namespace
