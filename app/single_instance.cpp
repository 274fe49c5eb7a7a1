#include "app/single_instance.h"

#include <QDir>
#include <QLocalSocket>
#include <QStandardPaths>
#include <QThread>
#include <cstdlib>

#if defined(Q_OS_UNIX)
#include <unistd.h>
#endif

namespace brevanta::app {
namespace {

const QByteArray kShowMessage = QByteArrayLiteral("show\n");

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

QString defaultFolder() {
    const QString runtime = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    return runtime.isEmpty() ? QDir::tempPath() : runtime;
}

}  // namespace

SingleInstance::SingleInstance(const QString& folder, QObject* parent)
    : QObject(parent),
      base_(QDir(folder.isEmpty() ? defaultFolder() : folder).filePath(QStringLiteral("brevanta-") + userPart())),
      lock_(lockFileName()) {
    // Only a lock whose owner is gone counts as stale, however long a copy runs.
    lock_.setStaleLockTime(0);
}

SingleInstance::~SingleInstance() { release(); }

void SingleInstance::release() {
    if (gHolder == this) gHolder = nullptr;
    server_.close();
    lock_.unlock();
}

SingleInstance::Role SingleInstance::claim() {
    if (lock_.tryLock(0)) {
        listen();
        return Role::First;
    }
    if (lock_.error() != QLockFile::LockFailedError) return Role::First;
    if (askRunningCopyToShow()) return Role::Later;
    // Nobody answers: a copy that died between creating the lock file and
    // writing its number into it. A live owner keeps the file locked, and
    // then the removal fails.
    if (lock_.removeStaleLockFile() && lock_.tryLock(0)) {
        listen();
        return Role::First;
    }
    return Role::Later;
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
    if (!server_.listen(serverName())) return;  // this copy still runs; later copies just end
    connect(&server_, &QLocalServer::newConnection, this, [this] {
        while (QLocalSocket* caller = server_.nextPendingConnection()) {
            connect(caller, &QLocalSocket::disconnected, caller, &QObject::deleteLater);
            connect(caller, &QLocalSocket::readyRead, this, [this, caller] {
                if (!caller->canReadLine()) return;
                if (caller->readLine() == kShowMessage) emit showRequested();
                caller->disconnectFromServer();
            });
        }
    });
}

bool SingleInstance::askRunningCopyToShow() {
    // The running copy may have taken the lock a moment ago and not listen yet.
    for (int attempt = 0; attempt < 30; ++attempt) {
        QLocalSocket socket;
        socket.connectToServer(serverName());
        if (socket.waitForConnected(200)) {
            socket.write(kShowMessage);
            socket.waitForBytesWritten(1000);
            socket.disconnectFromServer();
            return true;
        }
        QThread::msleep(100);
    }
    return false;
}

}  // namespace brevanta::app
