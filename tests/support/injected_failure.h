#pragma once
// Making one numbered statement of a procedure fail, as if its body had
// thrown, to check that the report names the failing statement and that
// the statements after it still run.

#include <QString>
#include <vector>

#include "frame/error_report.h"

namespace brevanta::testsupport {

// Fails statement `line` of one procedure while the object lives, and notes
// the lines of that procedure that run. Several may live at once (nested).
class InjectedFailure {
public:
    // `occurrence` 0 fails the statement every time it runs; n fails only its n-th run
    // (several statements may share a line, and loops run one many times).
    InjectedFailure(const QString& module, const QString& procedure, int line, int occurrence = 0);
    ~InjectedFailure();
    InjectedFailure(const InjectedFailure&) = delete;
    InjectedFailure& operator=(const InjectedFailure&) = delete;

    static inline const QString kDescription = QStringLiteral("Injected failure");

    // The procedure's lines that ran (or started to) while injecting, in order.
    const std::vector<int>& linesRun() const { return linesRun_; }

private:
    class Watch;
    // True when statement `line` at `location` is to fail; notes it in every living injection.
    static bool reached(const QString& location, int line);

    static inline InjectedFailure* active_ = nullptr;
    InjectedFailure* previous_;
    QString location_;
    int line_;
    int occurrence_;
    int runsOfLine_ = 0;
    std::vector<int> linesRun_;
};

}  // namespace brevanta::testsupport
