#pragma once
// One copy of the program per user edits the saved list. The first copy
// takes a lock file and listens on a local socket beside it; a later copy
// finds the lock taken, asks the running copy to show itself and ends. A
// lock left by a copy that crashed or was killed is taken over: its owner
// is no longer running.

#include <QLocalServer>
#include <QLockFile>
#include <QObject>
#include <QString>

namespace brevanta::app {

class SingleInstance final : public QObject {
    Q_OBJECT

public:
    enum class Role { First, Later };

    // `folder` holds the lock and the socket; empty: the user's runtime folder.
    explicit SingleInstance(const QString& folder = {}, QObject* parent = nullptr);
    ~SingleInstance() override;

    // First: this copy holds the lock (or no lock can be kept in the folder
    // at all, when it runs unguarded rather than not at all) and listens.
    // Later: another copy runs and has been asked to show itself.
    Role claim();

    // Stops listening and lets the lock go (also done on destruction and at exit).
    void release();

    QString lockFileName() const { return base_ + QStringLiteral(".lock"); }
    QString serverName() const { return base_ + QStringLiteral(".socket"); }

signals:
    // A later copy asked this one to show itself.
    void showRequested();

private:
    void listen();
    bool askRunningCopyToShow();

    QString base_;  // folder and per-user name, without the ending
    QLockFile lock_;
    QLocalServer server_;
};

}  // namespace brevanta::app
