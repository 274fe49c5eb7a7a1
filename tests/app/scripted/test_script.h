#pragma once
// The driver of brevanta_scripted, the program's test executable (never
// installed; `brevanta` itself has no such driver): when the environment
// variable BREVANTA_TEST_SCRIPT holds actions, one a line, the program runs
// them once its window shows, so a test can drive the real program as a
// process and kill it. Without the variable nothing here does anything.
//
//   add N^Description^Category^Cleared^Debit^Credit  types the fields, presses Add
//   select R            makes row R (from 1) the current row
//   delete              presses Delete Selected Transaction
//   clear yes|no        presses Clear/Reset Data and answers the question
//   sample              presses Load Sample/Example Data
//   edit R^F^text       changes field F of row R in place
//   import N^tag        appends N rows "tag 1" .. "tag N" to the list
//   generate            presses Start Creating Template
//   print               writes "list " and the list as stored, on one line
//   churn               changes row 1 for ever, writing "stored N" after each store
//   quit                closes the main window
//
// After the last action it writes "done"; a show request from a later copy
// writes "shown" and the name of the window brought to the front. Boxes
// are answered without showing (Yes/No from "clear") and written to
// standard error; the web site is never opened.

#include <QStringList>
#include <deque>
#include <memory>

class QWidget;

namespace brevanta::reg {
class Form1;
}

namespace brevanta::app {

class TestScript {
public:
    // Null unless the environment asks for a script; call before start-up.
    static std::unique_ptr<TestScript> fromEnvironment(reg::Form1& form1);
    ~TestScript();

    // Runs the actions once the event loop runs.
    void start();
    void noteShown(const QWidget* window);

private:
    class AnsweringPrompter;
    TestScript(reg::Form1& form1, QStringList actions);
    void runFrom(int index);
    void run(const QString& action);
    void churn(int count);

    reg::Form1& form1_;
    QStringList actions_;
    std::unique_ptr<AnsweringPrompter> prompter_;
};

}  // namespace brevanta::app
