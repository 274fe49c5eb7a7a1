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

// Makes the numbered statement `line` of one procedure fail as if its body
// had thrown, while the object lives, and notes the lines of that procedure
// that run: tests check that the report names the failing statement and that
// the statements after it still run.
class InjectedFailure {
public:
    // `occurrence` 0 fails the statement every time it runs; n fails only its n-th run
    // (several statements may share a line, and loops run one many times).
    InjectedFailure(const QString& module, const QString& procedure, int line, int occurrence = 0);
    ~InjectedFailure();
    InjectedFailure(const InjectedFailure&) = delete;
    InjectedFailure& operator=(const InjectedFailure&) = delete;

    static inline const QString kDescription = QStringLiteral("Injected failure");
    // Called by every statement; true when this one is to fail.
    static bool reached(const QString& location, int line);
    static bool active() { return active_ != nullptr; }

    // The procedure's lines that ran (or started to) while injecting, in order.
    const std::vector<int>& linesRun() const { return linesRun_; }

private:
    static inline InjectedFailure* active_ = nullptr;
    InjectedFailure* previous_;
    QString location_;
    int line_;
    int occurrence_;
    int runsOfLine_ = 0;
    std::vector<int> linesRun_;
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

private:
    void fail(int line, std::exception_ptr failure);
    void injectAt(int line) const {
        if (InjectedFailure::active() && InjectedFailure::reached(location_, line))
            throw Failure(InjectedFailure::kDescription);
    }

    QString location_;
    int failures_ = 0;
};

}  // namespace brevanta::frame
