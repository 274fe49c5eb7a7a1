#pragma once
// The list is stored when the session ends without the windows being closed:
// when the desktop's session manager asks the program to save its data, and
// on SIGTERM, SIGHUP or SIGINT. A signal handler may do almost nothing, so it
// only writes the signal's number to a socket; the store runs in the event
// loop, where the rest of the program may be used, and the program then ends.

#include <QObject>
#include <functional>

class QSocketNotifier;

namespace brevanta::app {

class SessionEnd final : public QObject {
    Q_OBJECT
public:
    // `store` writes the list as closing the main window does. Only one
    // SessionEnd may exist at a time: it owns the signals' handlers.
    explicit SessionEnd(std::function<void()> store, QObject* parent = nullptr);
    ~SessionEnd() override;

private:
    void signalArrived();

    std::function<void()> store_;
    QSocketNotifier* notifier_ = nullptr;
};

}  // namespace brevanta::app
