#pragma once
// The program's run from the command line to the end of its event loop:
// --help and --version, one copy per user, the main window wired to the
// rest of the program, its start-up, and the session's end. `brevanta` is
// this run and nothing else; a test executable adds a driver.

class QWidget;

namespace brevanta::reg {
class Form1;
}

namespace brevanta::app {

// What a test executable adds to the run. The shipped program has none.
class ProgramDriver {
public:
    virtual ~ProgramDriver() = default;
    // The main window is made and wired; its start-up has not run yet.
    virtual void attach(reg::Form1& form1) = 0;
    // The main window shows and the event loop is about to run.
    virtual void started() = 0;
    // A later copy asked this one to show itself; `shown` came to the front (null: none).
    virtual void broughtToFront(const QWidget* shown) = 0;
};

int runProgram(int argc, char** argv, ProgramDriver* driver = nullptr);

}  // namespace brevanta::app
