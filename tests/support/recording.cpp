#include "tests/support/recording.h"

#include <QDir>
#include <QTimer>

namespace brevanta::testsupport {

std::vector<int> RecordingReporter::lines() const {
    std::vector<int> result;
    for (const auto& r : reports) result.push_back(r.line);
    return result;
}

frame::Answer ScriptedPrompter::message(const QString& title, const QString& text, frame::Buttons buttons,
                                        frame::Icon icon) {
    messages.push_back({title, text, buttons, icon, {}, {}});
    if (buttons == frame::Buttons::Ok) return frame::Answer::Ok;
    if (answers.empty()) return frame::Answer::No;
    const auto answer = answers.front();
    answers.pop_front();
    return answer;
}

bool ScriptedPrompter::messageOffering(const QString& title, const QString& text, const QString& action,
                                       frame::Icon icon) {
    messages.push_back({title, text, frame::Buttons::Ok, icon, action, {}});
    if (answers.empty()) return false;
    const auto answer = answers.front();
    answers.pop_front();
    return answer == frame::Answer::Yes;
}

void ScriptedPrompter::messageWithDetails(const QString& title, const QString& text, const QString& details,
                                          frame::Icon icon) {
    messages.push_back({title, text, frame::Buttons::Ok, icon, {}, details});
}

bool ScriptedPrompter::printDialog(QPrinter&) {
    ++printDialogs;
    if (printAnswers.empty()) return false;
    const bool answer = printAnswers.front();
    printAnswers.pop_front();
    return answer;
}

QString ScriptedPrompter::saveFileName(const frame::SaveDialogRequest& request) {
    saveRequests.push_back(request);
    if (request.chosenFilter) {
        *request.chosenFilter = filters.empty() ? request.filter.section(QStringLiteral(";;"), 0, 0) : filters.front();
        if (!filters.empty()) filters.pop_front();
    }
    if (fileNames.empty()) return {};
    auto name = fileNames.front();
    fileNames.pop_front();
    return name;
}

QStringList ScriptedPrompter::openFileNames(const frame::OpenDialogRequest& request) {
    openRequests.push_back(request);
    if (openNames.empty()) return {};
    auto names = openNames.front();
    openNames.pop_front();
    return names;
}

namespace {
class RecordedProgress final : public frame::ProgressWindow {
public:
    explicit RecordedProgress(bool& open) : open_(open) { open_ = true; }
    ~RecordedProgress() override { open_ = false; }
    QObject life;  // the pressed Cancel goes with the window

private:
    bool& open_;
};
}  // namespace

std::unique_ptr<frame::ProgressWindow> ScriptedPrompter::showProgress(const QString&, const QString& text,
                                                                      std::function<void()> cancel) {
    progressTexts << text;
    auto window = std::make_unique<RecordedProgress>(progressOpen);
    if (cancelProgress) QTimer::singleShot(0, &window->life, std::move(cancel));  // once the caller waits
    return window;
}

std::optional<std::vector<int>> ScriptedPrompter::chooseReading(const frame::ReadingChoiceRequest& request) {
    std::vector<int> proposed;
    for (const frame::ReadingSetting& setting : request.settings) proposed.push_back(setting.chosen);
    readings.push_back({request.title, request.text, request.settings, request.columns,
                        request.rows ? request.rows(proposed) : std::vector<QStringList>(),
                        request.problem ? request.problem(proposed) : QString()});
    if (onReading) onReading(request);
    if (readingAnswers.empty()) return std::nullopt;
    auto answer = readingAnswers.front();
    readingAnswers.pop_front();
    return answer;
}

SeamGuard::SeamGuard() {
    frame::setReporter(&reporter);
    frame::setPrompter(&prompter);
}

SeamGuard::~SeamGuard() {
    frame::setReporter(nullptr);
    frame::setPrompter(nullptr);
}

QString testOutputDir() {
    QString dir = qEnvironmentVariable("BREVANTA_TEST_OUTPUT");
    if (dir.isEmpty()) dir = QDir::tempPath() + QStringLiteral("/brevanta-test-output");
    QDir().mkpath(dir);
    return dir;
}

}  // namespace brevanta::testsupport
