#include <QCoreApplication>
#include <QFile>
#include <QLocalSocket>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include "app/single_instance.h"

using brevanta::app::SingleInstance;

TEST(SingleInstance, TheFirstCopyHoldsTheLockAndALaterOneAsksItToShow) {
    QTemporaryDir folder;
    SingleInstance first(folder.path());
    ASSERT_EQ(first.claim(), SingleInstance::Role::First);
    EXPECT_TRUE(QFile::exists(first.lockFileName()));
    QSignalSpy shown(&first, &SingleInstance::showRequested);

    SingleInstance later(folder.path());
    EXPECT_EQ(later.lockFileName(), first.lockFileName());
    EXPECT_EQ(later.claim(), SingleInstance::Role::Later);
    EXPECT_TRUE(shown.wait(5000));
    EXPECT_EQ(shown.size(), 1);

    // A stranger's message is no request to show.
    {
        QLocalSocket stranger;
        stranger.connectToServer(first.serverName());
        ASSERT_TRUE(stranger.waitForConnected(1000));
        stranger.write("hello\n");
        stranger.waitForBytesWritten(1000);
    }
    EXPECT_FALSE(shown.wait(300));

    // Once the first copy lets go, the next start is a first copy again.
    first.release();
    EXPECT_FALSE(QFile::exists(first.lockFileName()));
    SingleInstance next(folder.path());
    EXPECT_EQ(next.claim(), SingleInstance::Role::First);
}

TEST(SingleInstance, AnEmptyLockNobodyAnswersForIsTakenOver) {
    QTemporaryDir folder;
    SingleInstance probe(folder.path());
    {
        QFile lock(probe.lockFileName());  // as left by a copy killed while writing it
        ASSERT_TRUE(lock.open(QIODevice::WriteOnly));
    }
    EXPECT_EQ(probe.claim(), SingleInstance::Role::First);
    SingleInstance later(folder.path());
    EXPECT_EQ(later.claim(), SingleInstance::Role::Later);
}
