#pragma once
// One copy of the program per user edits the saved list. The first copy
// takes a lock file and listens on a local socket beside it; a later copy
// finds the lock taken, asks the running copy to show itself and ends. A
// lock left by a copy that crashed or was killed is taken over: its owner
// is no longer running.
//
// The lock and the socket are kept only in a folder of this user alone (a
// real folder, owned by the user, mode 0700): a lock or socket in a folder
// another user can write in could be planted to keep the program from
// starting, or to answer in its place. Without such a folder, and when the
// holder of the lock does not answer within a second, the copy runs
// unguarded and opens its own window rather than none.

#include <QLocalServer>
#include <QLockFile>
#include <QObject>
#include <QString>
#include <QStringList>
#include <memory>

namespace brevanta::app {

// True when `path` is a folder, not a link, owned by this user, with mode
// exactly 0700: no one else can plant or replace anything in it.
bool isPrivateFolder(const QString& path);

class SingleInstance final : public QObject {
    Q_OBJECT

public:
    enum class Role { First, Later };

    // The folders tried for the lock and the socket, in order: the user's
    // runtime folder, then the private folder for temporary files.
    static QStringList defaultFolders();

    // The first private one of `folders` holds the lock and the socket;
    // none: the copy runs unguarded. Empty: defaultFolders().
    explicit SingleInstance(const QStringList& folders = {}, QObject* parent = nullptr);
    explicit SingleInstance(const QString& folder, QObject* parent = nullptr)
        : SingleInstance(QStringList{folder}, parent) {}
    ~SingleInstance() override;

    // First: this copy opens its window. It holds the lock and listens, or
    // runs unguarded: no private folder, no lock can be kept there, or the
    // lock's holder did not answer within a second. Later: another copy
    // runs and has been asked to show itself.
    Role claim();

    // Stops listening and lets the lock go (also done on destruction and at exit).
    void release();

    // The folder chosen; empty when none was private.
    const QString& folder() const { return folder_; }
    QString lockFileName() const;
    QString serverName() const;

signals:
    // A later copy asked this one to show itself.
    void showRequested();

private:
    void listen();
    bool askRunningCopyToShow();

    QString folder_;
    QString base_;  // folder and per-user name, without the ending
    std::unique_ptr<QLockFile> lock_;
    QLocalServer server_{this};  // a child, so that it moves to the object's thread with it
};

}  // namespace brevanta::app
