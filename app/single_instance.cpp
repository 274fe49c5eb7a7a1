#include "app/single_instance.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QLocalSocket>
#include <QStandardPaths>
#include <QThread>
#include <algorithm>
#include <cstdlib>

#include "frame/failure.h"
#include "frame/temporary_files.h"

#if defined(Q_OS_UNIX)
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace brevanta::app {
namespace {

const QByteArray kShowMessage = QByteArrayLiteral("show\n");
const QByteArray kShownAnswer = QByteArrayLiteral("shown\n");

// How long a later copy tries to reach the running one before it opens its own window.
constexpr int kAnswerMilliseconds = 1000;

int remaining(const QDeadlineTimer& deadline) { return int(std::max<qint64>(1, deadline.remainingTime())); }

QString userPart() {
#if defined(Q_OS_UNIX)
    return QString::number(::getuid());
#else
    QString user = qEnvironmentVariable("USERNAME");
    return user.isEmpty() ? QStringLiteral("user") : user;
#endif
}

// The copy holding the lock. The program ends through std::exit, which
// skips the destructors of main's objects; the lock is let go all the same.
SingleInstance* gHolder = nullptr;

void releaseAtExit() {
    if (gHolder) gHolder->release();
}

}  // namespace

bool isPrivateFolder(const QString& path) {
    if (path.isEmpty()) return false;
#if defined(Q_OS_UNIX)
    struct stat info {};
    return ::lstat(QFile::encodeName(path).constData(), &info) == 0 && S_ISDIR(info.st_mode) &&
           info.st_uid == ::getuid() && (info.st_mode & 07777) == 0700;
#else
    return QFileInfo(path).isDir();
#endif
}

QStringList SingleInstance::defaultFolders() {
    QStringList folders;
    // Qt answers nothing here when the folder it would use is someone else's.
    const QString runtime = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    if (!runtime.isEmpty()) folders << runtime;
    try {
        folders << frame::privateTemporaryFolder();
    } catch (const frame::Failure&) {
        // none to be had: the copy runs unguarded
    }
    return folders;
}

SingleInstance::SingleInstance(const QStringList& folders, QObject* parent) : QObject(parent) {
    for (const QString& folder : folders.isEmpty() ? defaultFolders() : folders) {
        if (!isPrivateFolder(folder)) continue;
        folder_ = folder;
        base_ = QDir(folder).filePath(QStringLiteral("brevanta-") + userPart());
        lock_ = std::make_unique<QLockFile>(lockFileName());
        // Only a lock whose owner is gone counts as stale, however long a copy runs.
        lock_->setStaleLockTime(0);
        break;
    }
}

SingleInstance::~SingleInstance() { release(); }

QString SingleInstance::lockFileName() const { return base_.isEmpty() ? QString() : base_ + QStringLiteral(".lock"); }

QString SingleInstance::serverName() const { return base_.isEmpty() ? QString() : base_ + QStringLiteral(".socket"); }

void SingleInstance::release() {
    if (gHolder == this) gHolder = nullptr;
    server_.close();
    if (lock_) lock_->unlock();
}

SingleInstance::Role SingleInstance::claim() {
    if (!lock_) return Role::First;
    if (lock_->tryLock(0)) {
        listen();
        return Role::First;
    }
    if (lock_->error() != QLockFile::LockFailedError) return Role::First;
    if (askRunningCopyToShow()) return Role::Later;
    // Nobody answers: a copy that died between creating the lock file and
    // writing its number into it. A live owner keeps the file locked, and
    // then the removal fails.
    if (lock_->removeStaleLockFile() && lock_->tryLock(0)) {
        listen();
        return Role::First;
    }
    // A holder that does not answer (hung, or stopped): a window of our own
    // rather than none.
    return Role::First;
}

void SingleInstance::listen() {
    if (!gHolder) {
        static const bool registered = std::atexit(releaseAtExit) == 0;
        Q_UNUSED(registered);
        gHolder = this;
    }
    // A socket left by a copy that was killed is ours to remove: we hold the lock.
    QLocalServer::removeServer(serverName());
    server_.setSocketOptions(QLocalServer::UserAccessOption);
    if (!server_.listen(serverName())) return;  // this copy still runs; later copies open their own
    connect(&server_, &QLocalServer::newConnection, this, [this] {
        while (QLocalSocket* caller = server_.nextPendingConnection()) {
            connect(caller, &QLocalSocket::disconnected, caller, &QObject::deleteLater);
            connect(caller, &QLocalSocket::readyRead, this, [this, caller] {
                if (!caller->canReadLine()) return;
                if (caller->readLine() == kShowMessage) {
                    emit showRequested();
                    caller->write(kShownAnswer);
                    caller->flush();
                }
                caller->disconnectFromServer();
            });
        }
    });
}

bool SingleInstance::askRunningCopyToShow() {
    // The running copy may have taken the lock a moment ago and not listen yet.
    const QDeadlineTimer deadline(kAnswerMilliseconds);
    while (true) {
        QLocalSocket socket;
        socket.connectToServer(serverName());
        if (socket.waitForConnected(remaining(deadline))) {
            // A connection alone proves little: the system accepts it for a
            // copy that hangs. Only the running copy's answer counts.
            socket.write(kShowMessage);
            socket.flush();
            while (!socket.canReadLine() && socket.waitForReadyRead(remaining(deadline))) {
            }
            const bool answered = socket.canReadLine() && socket.readLine() == kShownAnswer;
            socket.abort();
            return answered;
        }
        if (deadline.hasExpired()) return false;
        QThread::msleep(50);
    }
}

}  // namespace brevanta::app
