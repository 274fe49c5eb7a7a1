#include "register/statement_reading.h"

#include <QEventLoop>
#include <QFileInfo>
#include <QSemaphore>
#include <QThread>
#include <QTimer>
#include <atomic>
#include <exception>
#include <memory>
#include <optional>

#include "frame/app_title.h"
#include "frame/prompter.h"
#include "statements/statement_file.h"

namespace brevanta::reg {

namespace {
constexpr int kQuietMilliseconds = 500;  // no progress window for a reading this short
}  // namespace

std::optional<statements::StatementReading> readStatementShowingProgress(const QString& path,
                                                                        const statements::StatementReadOptions& options) {
    std::atomic<bool> cancel{false};
    std::atomic<bool> done{false};  // set before the loop is told, so no telling is missed
    std::optional<statements::StatementReading> reading;
    std::exception_ptr failure;
    QEventLoop loop;
    // The question about a bank CSV file's form is a dialog: it is asked on
    // the window's thread, which runs its event loop while the reading waits
    // for the answer, or for the reading to be cancelled.
    statements::StatementReadOptions threaded = options;
    if (options.askForm)
        threaded.askForm = [&](const statements::BankCsvFile& file, const statements::BankCsvForm& proposal) {
            struct Question {
                std::optional<statements::BankCsvForm> answer;
                std::exception_ptr failure;
                // Pending, then taken by the window (the reading waits for the
                // answer) or given up by a cancelled reading (never asked).
                enum State { Pending, Asking, GivenUp };
                std::atomic<int> state{Pending};
                QSemaphore answered;
            };
            auto question = std::make_shared<Question>();
            // Run with `loop` as its context: once the reading is over, an unrun question is dropped.
            QMetaObject::invokeMethod(
                &loop,
                [question, &options, &file, proposal] {
                    if (int pending = Question::Pending; question->state.compare_exchange_strong(pending, Question::Asking)) {
                        try {
                            question->answer = options.askForm(file, proposal);
                        } catch (...) {
                            question->failure = std::current_exception();
                        }
                    }
                    question->answered.release();
                },
                Qt::QueuedConnection);
            while (!question->answered.tryAcquire(1, 100))
                if (int pending = Question::Pending;
                    cancel && question->state.compare_exchange_strong(pending, Question::GivenUp)) {
                    throw statements::ReadCancelled(QFileInfo(path).fileName() +
                                                    QStringLiteral(": the import was cancelled"));
                }
            if (question->failure) std::rethrow_exception(question->failure);
            return question->answer;
        };
    std::unique_ptr<QThread> thread(QThread::create([&] {
        try {
            reading = statements::readStatement(path, threaded, &cancel);
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
    return reading;
}

}  // namespace brevanta::reg
