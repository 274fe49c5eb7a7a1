// One copy per user, from the side of another user on the same machine: a
// lock or socket in a folder someone else can write in is never trusted,
// and a start that cannot reach the running copy opens its own window.

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QLockFile>
#include <QLocalSocket>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QThread>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include "app/single_instance.h"

using brevanta::app::isPrivateFolder;
using brevanta::app::SingleInstance;

namespace {

// The running copy, in a thread of its own with its own event loop, as in
// another process: a later copy waits for its answer.
class RunningCopy {
public:
    explicit RunningCopy(const QString& folder) {
        thread_.start();
        instance_ = new SingleInstance(folder);
        instance_->moveToThread(&thread_);
        QMetaObject::invokeMethod(instance_, [this] { role_ = instance_->claim(); }, Qt::BlockingQueuedConnection);
    }
    ~RunningCopy() {
        QMetaObject::invokeMethod(instance_, [this] { delete instance_; }, Qt::BlockingQueuedConnection);
        thread_.quit();
        thread_.wait();
    }
    SingleInstance& instance() { return *instance_; }
    SingleInstance::Role role() const { return role_; }
    void release() {
        QMetaObject::invokeMethod(instance_, [this] { instance_->release(); }, Qt::BlockingQueuedConnection);
    }

private:
    QThread thread_;
    SingleInstance* instance_ = nullptr;
    SingleInstance::Role role_ = SingleInstance::Role::Later;
};

QString makeFolder(const QTemporaryDir& parent, const char* name, mode_t mode) {
    const QString path = parent.filePath(QLatin1String(name));
    EXPECT_EQ(::mkdir(QFile::encodeName(path).constData(), 0700), 0);
    EXPECT_EQ(::chmod(QFile::encodeName(path).constData(), mode), 0);
    return path;
}

}  // namespace

TEST(SingleInstance, TheFirstCopyHoldsTheLockAndALaterOneAsksItToShow) {
    QTemporaryDir folder;
    RunningCopy first(folder.path());
    ASSERT_EQ(first.role(), SingleInstance::Role::First);
    EXPECT_TRUE(QFile::exists(first.instance().lockFileName()));
    QSignalSpy shown(&first.instance(), &SingleInstance::showRequested);

    SingleInstance later(folder.path());
    EXPECT_EQ(later.lockFileName(), first.instance().lockFileName());
    EXPECT_EQ(later.claim(), SingleInstance::Role::Later);
    EXPECT_TRUE(shown.count() == 1 || shown.wait(5000));
    EXPECT_EQ(shown.size(), 1);

    // A stranger's message is no request to show.
    {
        QLocalSocket stranger;
        stranger.connectToServer(first.instance().serverName());
        ASSERT_TRUE(stranger.waitForConnected(1000));
        stranger.write("hello\n");
        stranger.waitForBytesWritten(1000);
        stranger.waitForDisconnected(5000);  // the running copy hangs up on it
    }
    EXPECT_EQ(shown.size(), 1);

    // Once the first copy lets go, the next start is a first copy again.
    first.release();
    EXPECT_FALSE(QFile::exists(first.instance().lockFileName()));
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
    EXPECT_TRUE(QFile::exists(probe.lockFileName()));
}

// Only a real folder of this user with mode 0700 holds the lock. The tests
// run as root: "someone else's" is a folder others may write in, a link, or
// a folder given to another user id.
TEST(SingleInstance, OnlyAFolderOfThisUserAloneHoldsTheLock) {
    QTemporaryDir parent;
    const QString own = makeFolder(parent, "own", 0700);
    EXPECT_TRUE(isPrivateFolder(own));
    EXPECT_FALSE(isPrivateFolder(makeFolder(parent, "shared", 0777)));
    EXPECT_FALSE(isPrivateFolder(makeFolder(parent, "sticky", 01777)));
    EXPECT_FALSE(isPrivateFolder(makeFolder(parent, "readable", 0755)));
    EXPECT_FALSE(isPrivateFolder(makeFolder(parent, "group", 0770)));
    const QString link = parent.filePath(QStringLiteral("link"));
    ASSERT_TRUE(QFile::link(own, link));
    EXPECT_FALSE(isPrivateFolder(link));
    const QString foreign = makeFolder(parent, "foreign", 0700);
    if (::getuid() == 0) {
        ASSERT_EQ(::chown(QFile::encodeName(foreign).constData(), 65534, 65534), 0);
        EXPECT_FALSE(isPrivateFolder(foreign));
    }
    const QString file = parent.filePath(QStringLiteral("file"));
    QFile(file).open(QIODevice::WriteOnly);
    QFile::setPermissions(file, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    EXPECT_FALSE(isPrivateFolder(file));
    EXPECT_FALSE(isPrivateFolder(parent.filePath(QStringLiteral("missing"))));

    // The first private folder of the list is taken; with none the copy runs unguarded.
    EXPECT_EQ(SingleInstance(QStringList{parent.filePath(QStringLiteral("shared")), link, own}).folder(), own);
    SingleInstance unguarded(QStringList{parent.filePath(QStringLiteral("shared")), link});
    EXPECT_TRUE(unguarded.folder().isEmpty());
    EXPECT_EQ(unguarded.claim(), SingleInstance::Role::First);
}

// Another user planted a lock, held by a live process, and a socket in a
// folder everyone may write in (as /tmp is): the start ignores both and
// keeps its lock in its own folder.
TEST(SingleInstance, APlantedLockInAForeignFolderIsIgnored) {
    QTemporaryDir parent;
    const QString shared = makeFolder(parent, "shared", 0777);
    const QString own = makeFolder(parent, "own", 0700);
    ASSERT_FALSE(isPrivateFolder(shared));

    // The planted lock, as a running copy would hold it.
    SingleInstance planter(QStringList{own});
    QLockFile planted(QString(planter.lockFileName()).replace(own, shared));
    ASSERT_TRUE(planted.tryLock(0));
    QLocalServer fake;
    ASSERT_TRUE(fake.listen(QString(planter.serverName()).replace(own, shared)));
    QSignalSpy called(&fake, &QLocalServer::newConnection);

    SingleInstance start(QStringList{shared, own});
    EXPECT_EQ(start.folder(), own);
    EXPECT_EQ(start.claim(), SingleInstance::Role::First);
    EXPECT_TRUE(QFile::exists(own + QStringLiteral("/") + QFileInfo(start.lockFileName()).fileName()));
    QCoreApplication::processEvents();
    EXPECT_EQ(called.size(), 0);
}

// The lock's holder is alive but never answers (hung, or its socket gone):
// the start gives up after its bounded wait and opens its own window.
TEST(SingleInstance, AHolderThatDoesNotAnswerLeadsToAWindowOfOurOwn) {
    QTemporaryDir folder;
    SingleInstance probe(folder.path());
    QLockFile held(probe.lockFileName());
    ASSERT_TRUE(held.tryLock(0));

    // No socket at all.
    EXPECT_EQ(SingleInstance(folder.path()).claim(), SingleInstance::Role::First);
    EXPECT_TRUE(held.isLocked());

    // A socket that takes the connection but never answers.
    QLocalServer hung;
    QLocalServer::removeServer(probe.serverName());
    ASSERT_TRUE(hung.listen(probe.serverName()));
    EXPECT_EQ(SingleInstance(folder.path()).claim(), SingleInstance::Role::First);
}

// The default folders, as when XDG_RUNTIME_DIR is unset and
// /tmp/runtime-<user> belongs to someone else: the private temporary folder
// holds the lock, never the shared one.
TEST(SingleInstance, AForeignRuntimeFolderGivesWayToThePrivateTemporaryFolder) {
    if (::getuid() != 0) GTEST_SKIP() << "needs root to give a folder to another user";
    QTemporaryDir parent;
    const QString temporary = makeFolder(parent, "tmp", 0777);
    const QByteArray savedRuntime = qgetenv("XDG_RUNTIME_DIR"), savedTemporary = qgetenv("TMPDIR");
    qunsetenv("XDG_RUNTIME_DIR");
    qputenv("TMPDIR", QFile::encodeName(temporary));
    // Qt's name for it, made first and given to another user.
    const QString qtRuntime = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    ASSERT_TRUE(qtRuntime.startsWith(temporary + QStringLiteral("/runtime-"))) << qtRuntime.toStdString();
    ASSERT_EQ(::chown(QFile::encodeName(qtRuntime).constData(), 65534, 65534), 0);

    SingleInstance instance;
    const QString expected = temporary + QStringLiteral("/brevanta-") + QString::number(::getuid());
    EXPECT_EQ(instance.folder().toStdString(), expected.toStdString());
    EXPECT_TRUE(isPrivateFolder(expected));
    EXPECT_EQ(instance.claim(), SingleInstance::Role::First);
    EXPECT_TRUE(instance.lockFileName().startsWith(expected + QLatin1Char('/')));
    instance.release();

    // A foreign XDG_RUNTIME_DIR is never the folder either.
    qputenv("XDG_RUNTIME_DIR", QFile::encodeName(qtRuntime));
    const QString chosen = SingleInstance().folder();
    EXPECT_NE(chosen, qtRuntime);
    EXPECT_TRUE(isPrivateFolder(chosen)) << chosen.toStdString();

    if (savedRuntime.isNull()) qunsetenv("XDG_RUNTIME_DIR");
    else qputenv("XDG_RUNTIME_DIR", savedRuntime);
    if (savedTemporary.isNull()) qunsetenv("TMPDIR");
    else qputenv("TMPDIR", savedTemporary);
}
