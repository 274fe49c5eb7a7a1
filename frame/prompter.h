#pragma once
// Every box and dialog the program shows goes through one replaceable
// prompter: the real one uses Qt's message boxes and file dialog, tests
// install one that records what was shown and answers from a script.

#include <QString>
#include <QStringList>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

class QPrinter;
class QWidget;

namespace brevanta::frame {

enum class Answer { Ok, Yes, No };

enum class Buttons { Ok, YesNo };

enum class Icon { None, Warning };

struct SaveDialogRequest {
    QString title;       // "Save File"
    QString filter;      // "Excel Files (*.xls);;Excel Workbook (*.xlsx)": entries split by ";;", the first the default
    QString fileName;    // initial name
    QString* chosenFilter = nullptr;  // when given, receives the filter entry the user left chosen
};

// `name` with the extension of the Save dialog's filter entry `filter`
// ("Excel Workbook (*.xlsx)"; of several entries, the first) when the name
// has none: "reg" saved as an Excel Workbook is "reg.xlsx".
QString withFilterExtension(const QString& name, const QString& filter);

struct OpenDialogRequest {
    QString title;       // "Import Bank Statement"
    QString filter;      // "Bank Statements (*.ofx *.qfx *.qif *.csv);;All Files (*)"
    QString folder = {}; // where the dialog starts; empty: the dialog's own choice
};

// A window saying that a long task runs, with a Cancel button; it goes
// when this object goes.
class ProgressWindow {
public:
    virtual ~ProgressWindow() = default;
};

// A choice among ways to read a file, shown as a table of what its first
// rows read as under the options chosen (the date order of a bank's CSV file).
struct ReadingSetting {
    QString label;        // "Dates"
    QStringList options;  // "d/m/y", "m/d/y", "y/m/d"
    int chosen = 0;       // the one proposed
};

struct ReadingChoiceRequest {
    QString title;
    QString text;                          // what the file leaves open
    std::vector<ReadingSetting> settings;
    QStringList columns;                   // the table's headings
    // Under the options chosen (one per setting): the table's rows, and what
    // stops the file from being read (empty: nothing; OK is offered only then).
    std::function<std::vector<QStringList>(const std::vector<int>& chosen)> rows;
    std::function<QString(const std::vector<int>& chosen)> problem;
};

class Prompter {
public:
    virtual ~Prompter() = default;
    // A modal message box; returns the button pressed.
    virtual Answer message(const QString& title, const QString& text, Buttons buttons, Icon icon) = 0;
    // The Save dialog; returns the chosen name exactly as given, empty when cancelled.
    // It never asks about overwriting by itself: the caller asks.
    virtual QString saveFileName(const SaveDialogRequest& request) = 0;
    // The system's print dialog for `printer`, which it may change; true
    // when the user chose to print, false when cancelled.
    virtual bool printDialog(QPrinter& printer) = 0;
    // The Open dialog for one or more existing files; empty when cancelled.
    // Prompters that never show it answer as if cancelled.
    virtual QStringList openFileNames(const OpenDialogRequest& request);
    // Shows `text` while a long task runs; `cancel` is called when the user
    // presses Cancel. The caller keeps the event loop running meanwhile.
    // Prompters that never show it answer nullptr, and never cancel.
    virtual std::unique_ptr<ProgressWindow> showProgress(const QString& title, const QString& text,
                                                         std::function<void()> cancel);
    // A message box with OK and one more button, labelled `action`; true when
    // the user pressed `action`. Prompters that never show such a box show
    // the plain message and answer OK.
    virtual bool messageOffering(const QString& title, const QString& text, const QString& action, Icon icon);
    // A box with OK and `details` behind its "Show Details…" button (a
    // saved file's whole path, say). Prompters that never show details
    // show the plain message.
    virtual void messageWithDetails(const QString& title, const QString& text, const QString& details, Icon icon);
    // The INI file the last folder used is kept in (frame/last_folder.h);
    // empty, as the Qt prompter answers: the user's settings.
    virtual QString folderSettingsFile();
    // The choice of a reading; the options chosen, one per setting, or
    // nothing when cancelled. Prompters that never show it answer as if cancelled.
    virtual std::optional<std::vector<int>> chooseReading(const ReadingChoiceRequest& request);
};

// The prompter in use. Until one is installed, the Qt prompter is used.
Prompter& prompter();
// Installs a prompter (not owned); nullptr restores the Qt one.
void setPrompter(Prompter* replacement);

// The window boxes fall back to when no window of the program is shown (may be null).
void setDialogParent(QWidget* parent);
// The window the Qt prompter's boxes and dialogs open over: the one the user
// is looking at. That is the active window, else the named one while it is
// shown, else any shown window of the program (the preview, while the main
// window hides behind it), else the named one.
QWidget* dialogParent();

}  // namespace brevanta::frame
