#pragma once
// Test doubles for the program's seams: a reporter that records every error
// report, and a prompter that records every box and answers from a script.

#include <QStringList>
#include <QTemporaryDir>
#include <deque>
#include <functional>
#include <vector>

#include "frame/error_report.h"
#include "frame/prompter.h"

namespace brevanta::testsupport {

class RecordingReporter final : public frame::Reporter {
public:
    void report(const frame::ErrorReport& report) override { reports.push_back(report); }
    std::vector<int> lines() const;
    std::vector<frame::ErrorReport> reports;
};

struct ShownMessage {
    QString title;
    QString text;
    frame::Buttons buttons;
    frame::Icon icon;
    QString action;  // the one more button a box offered, if any
    QString details; // what the box showed behind "Show Details…", if anything
};

// A reading choice as it was first shown: the request and its table and problem under the options proposed.
struct ShownReading {
    QString title;
    QString text;
    std::vector<frame::ReadingSetting> settings;
    QStringList columns;
    std::vector<QStringList> rows;
    QString problem;
};

class ScriptedPrompter final : public frame::Prompter {
public:
    frame::Answer message(const QString& title, const QString& text, frame::Buttons buttons,
                          frame::Icon icon) override;
    QString saveFileName(const frame::SaveDialogRequest& request) override;
    bool printDialog(QPrinter& printer) override;
    QStringList openFileNames(const frame::OpenDialogRequest& request) override;
    std::unique_ptr<frame::ProgressWindow> showProgress(const QString& title, const QString& text,
                                                        std::function<void()> cancel) override;
    bool messageOffering(const QString& title, const QString& text, const QString& action, frame::Icon icon) override;
    void messageWithDetails(const QString& title, const QString& text, const QString& details,
                            frame::Icon icon) override;
    // A settings file of this prompter's own, so no test remembers a folder for another.
    QString folderSettingsFile() override { return settingsFolder.filePath(QStringLiteral("settings.ini")); }
    std::optional<std::vector<int>> chooseReading(const frame::ReadingChoiceRequest& request) override;

    std::deque<frame::Answer> answers;        // for Yes/No boxes (Yes: the offered button); No when the script runs dry
    std::deque<QString> fileNames;            // for the Save dialog; "" (cancel) when dry
    std::deque<QString> filters;              // the filter left chosen; the first offered when dry
    std::vector<ShownMessage> messages;
    std::vector<frame::SaveDialogRequest> saveRequests;
    std::deque<bool> printAnswers;            // for the print dialog; cancel when dry
    int printDialogs = 0;                     // how often the print dialog was shown
    std::deque<QStringList> openNames;        // for the Open dialog; none (cancel) when dry
    std::vector<frame::OpenDialogRequest> openRequests;
    QStringList progressTexts;                // every progress window shown
    bool cancelProgress = false;              // press Cancel as soon as one shows
    bool progressOpen = false;                // one is showing now
    std::vector<ShownReading> readings;       // every reading choice shown
    std::deque<std::optional<std::vector<int>>> readingAnswers;  // nothing (cancel) when dry
    std::function<void(const frame::ReadingChoiceRequest&)> onReading;  // sees the request while it is shown
    QTemporaryDir settingsFolder;
};

// Installs both doubles for the lifetime of the object.
class SeamGuard {
public:
    SeamGuard();
    ~SeamGuard();
    RecordingReporter reporter;
    ScriptedPrompter prompter;
};

// Folder for files tests leave for eyes (pictures); under the build folder.
QString testOutputDir();

}  // namespace brevanta::testsupport
