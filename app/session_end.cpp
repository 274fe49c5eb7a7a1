#include "app/session_end.h"

#include <QGuiApplication>
#include <QSessionManager>
#include <QSocketNotifier>

#include "frame/program_end.h"

#if defined(Q_OS_UNIX)
#include <sys/socket.h>
#include <unistd.h>

#include <csignal>
#endif

namespace brevanta::app {
namespace {

#if defined(Q_OS_UNIX)
int gSignalSocket[2] = {-1, -1};
constexpr int kSignals[] = {SIGTERM, SIGHUP, SIGINT};

void onSignal(int number) {
    const char byte = char(number);
    // Nothing to do when it fails: the socket is full, so a store is on its way.
    [[maybe_unused]] const ssize_t written = ::write(gSignalSocket[0], &byte, 1);
}
#endif

}  // namespace

SessionEnd::SessionEnd(std::function<void()> store, QObject* parent) : QObject(parent), store_(std::move(store)) {
    if (auto* application = qobject_cast<QGuiApplication*>(QCoreApplication::instance()))
        connect(application, &QGuiApplication::commitDataRequest, this, [this](QSessionManager&) { store_(); });
#if defined(Q_OS_UNIX)
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0, gSignalSocket) != 0) return;
    notifier_ = new QSocketNotifier(gSignalSocket[1], QSocketNotifier::Read, this);
    connect(notifier_, &QSocketNotifier::activated, this, &SessionEnd::signalArrived);
    struct sigaction action {};
    action.sa_handler = onSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (const int number : kSignals) sigaction(number, &action, nullptr);
#endif
}

SessionEnd::~SessionEnd() {
#if defined(Q_OS_UNIX)
    for (const int number : kSignals) std::signal(number, SIG_DFL);
    for (int& end : gSignalSocket) {
        if (end >= 0) ::close(end);
        end = -1;
    }
#endif
}

void SessionEnd::signalArrived() {
#if defined(Q_OS_UNIX)
    char byte = 0;
    while (::read(gSignalSocket[1], &byte, 1) > 0) {
    }
#endif
    store_();
    frame::endProgram(0);
}

}  // namespace brevanta::app
