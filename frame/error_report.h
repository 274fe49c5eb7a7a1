#pragma once
// "Report and carry on": a reporting procedure runs as numbered steps.
// When a step throws, one "Application Error" box names the failure, the
// procedure and the step's line; then the procedure goes on with its next
// step. Routines without a report of their own simply throw, so their
// failures surface at the calling step's line.
//
//     Procedure proc(QStringLiteral("Form1"), QStringLiteral("PushButton2_Click"));
//     proc.step(100, [&] { ... });
//     if (proc.trueOrFailed(110, [&] { return fileExists(path); })) { ... }

#include <QString>

#include "frame/failure.h"
#include <exception>
#include <utility>
#include <vector>

namespace brevanta::frame {

// The support address named at the foot of every error box.
inline constexpr char16_t kSupportAddress[] = u"support@brevanta.app";

struct ErrorReport {
    QString description;
    QString location;  // "in Tarnwick2021/08/31.Form1.Form_Load "
    int line = 0;

    // The box text, byte for byte: description CR LF location "at line " n CR CR request.
    QString text() const;
};

// The location piece of a procedure: "in Tarnwick2021/08/31." module "." procedure " ".
QString locationPiece(const QString& module, const QString& procedure);

// Where reports go. The default shows the warning box through the prompter;
// tests install one that records and never blocks.
class Reporter {
public:
    virtual ~Reporter() = default;
    virtual void report(const ErrorReport& report) = 0;
};

Reporter& reporter();
void setReporter(Reporter* replacement);  // not owned; nullptr restores the box

// The description of whatever was thrown.
QString describe(std::exception_ptr failure);

// Sees each numbered statement of every procedure as it starts. Nothing
// in the program watches: a test installs one to make a chosen statement
// fail (tests/support/injected_failure.h). Unwatched, a statement costs one
// null-pointer test.
class StepWatch {
public:
    virtual ~StepWatch() = default;
    // Statement `line` of the procedure at `location` (see locationPiece)
    // starts; throwing makes it fail there.
    virtual void starting(const QString& location, int line) = 0;
};

class Procedure {
public:
    Procedure(const QString& module, const QString& name) : location_(locationPiece(module, name)) {}

    // Runs one numbered step; a failure is reported at `line` and swallowed.
    template <class Body>
    void step(int line, Body&& body) {
        try {
            injectAt(line);
            std::forward<Body>(body)();
        } catch (...) {
            fail(line, std::current_exception());
        }
    }

    // The test of a conditional block: true when the condition holds, and
    // also when evaluating it fails (the failure is reported first), so the
    // block's body runs, as a procedure that carries on after a failure does.
    template <class Condition>
    bool trueOrFailed(int line, Condition&& condition) {
        try {
            injectAt(line);
            return std::forward<Condition>(condition)();
        } catch (...) {
            fail(line, std::current_exception());
            return true;
        }
    }

    const QString& location() const { return location_; }
    int failures() const { return failures_; }

    // The watch in use (null: none), and installing one (not owned; nullptr removes it).
    static StepWatch* watch() { return watch_; }
    static void setWatch(StepWatch* watch) { watch_ = watch; }

private:
    void fail(int line, std::exception_ptr failure);
    void injectAt(int line) const {
        if (watch_) watch_->starting(location_, line);
    }

    static inline StepWatch* watch_ = nullptr;
    QString location_;
    int failures_ = 0;
};

}  // namespace brevanta::frame
