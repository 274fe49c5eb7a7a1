#include "register/statement_reading.h"

#include <QEventLoop>
#include <QFileInfo>
#include <QThread>
#include <QTimer>
#include <atomic>
#include <exception>
#include <memory>
#include <optional>

#include "frame/common.h"
#include "frame/prompter.h"
#include "statements/statement_file.h"

namespace brevanta::reg {

namespace {
constexpr int kQuietMilliseconds = 500;  // no progress window for a reading this short
}  // namespace

statements::Statement readStatementShowingProgress(const QString& path) {
    std::atomic<bool> cancel{false};
    std::atomic<bool> done{false};  // set before the loop is told, so no telling is missed
    std::optional<statements::Statement> statement;
    std::exception_ptr failure;
    QEventLoop loop;
    std::unique_ptr<QThread> thread(QThread::create([&] {
        try {
            statement = statements::readStatementFile(path, QLocale(), &cancel);
        } catch (...) {
            failure = std::current_exception();
        }
        done = true;
        QMetaObject::invokeMethod(&loop, [&loop] { loop.quit(); }, Qt::QueuedConnection);
    }));
    thread->start();

    // At first the window only paints: a click now would change the list
    // the statement is about to be reconciled with.
    QTimer::singleShot(kQuietMilliseconds, &loop, &QEventLoop::quit);
    loop.exec(QEventLoop::ExcludeUserInputEvents);
    std::unique_ptr<frame::ProgressWindow> progress;
    if (!done) {
        progress = frame::prompter().showProgress(
            frame::appTitle(), QStringLiteral("Reading %1…").arg(QFileInfo(path).fileName()), [&] { cancel = true; });
        // The progress window is modal: it keeps the list as it is, and takes the Cancel.
        if (!done) loop.exec();
    }
    // A loop ended from outside (the program is quitting): the reading ends too.
    if (!done) cancel = true;
    thread->wait();
    progress.reset();
    if (failure) std::rethrow_exception(failure);
    return std::move(*statement);
}

}  // namespace brevanta::reg
