#include "tests/support/recording.h"

#include <QDir>

namespace brevanta::testsupport {

std::vector<int> RecordingReporter::lines() const {
    std::vector<int> result;
    for (const auto& r : reports) result.push_back(r.line);
    return result;
}

frame::Answer ScriptedPrompter::message(const QString& title, const QString& text, frame::Buttons buttons,
                                        frame::Icon icon) {
    messages.push_back({title, text, buttons, icon});
    if (buttons == frame::Buttons::Ok) return frame::Answer::Ok;
    if (answers.empty()) return frame::Answer::No;
    const auto answer = answers.front();
    answers.pop_front();
    return answer;
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
