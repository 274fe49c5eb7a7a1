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
    std::optional<statements::Statement> statement;
    std::exception_ptr failure;
    std::unique_ptr<QThread> thread(QThread::create([&] {
        try {
            statement = statements::readStatementFile(path, QLocale(), &cancel);
        } catch (...) {
            failure = std::current_exception();
        }
    }));
    QEventLoop loop;
    QObject::connect(thread.get(), &QThread::finished, &loop, &QEventLoop::quit);
    thread->start();

    // At first the window only paints: a click now would change the list
    // the statement is about to be reconciled with.
    QTimer::singleShot(kQuietMilliseconds, &loop, &QEventLoop::quit);
    loop.exec(QEventLoop::ExcludeUserInputEvents);
    std::unique_ptr<frame::ProgressWindow> progress;
    if (!thread->isFinished()) {
        progress = frame::prompter().showProgress(
            frame::appTitle(), QStringLiteral("Reading %1…").arg(QFileInfo(path).fileName()), [&] { cancel = true; });
        // The progress window is modal: it keeps the list as it is, and takes the Cancel.
        if (!thread->isFinished()) loop.exec();
    }
    thread->wait();
    progress.reset();
    if (failure) std::rethrow_exception(failure);
    return std::move(*statement);
}

}  // namespace brevanta::reg
