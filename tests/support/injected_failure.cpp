#include "tests/support/injected_failure.h"

#include "frame/failure.h"

namespace brevanta::testsupport {

// The one watch installed while any injection lives.
class InjectedFailure::Watch final : public frame::StepWatch {
public:
    void starting(const QString& location, int line) override {
        if (InjectedFailure::reached(location, line)) throw frame::Failure(InjectedFailure::kDescription);
    }
};

InjectedFailure::InjectedFailure(const QString& module, const QString& procedure, int line, int occurrence)
    : previous_(active_), location_(frame::locationPiece(module, procedure)), line_(line), occurrence_(occurrence) {
    static Watch watch;
    active_ = this;
    frame::Procedure::setWatch(&watch);
}

InjectedFailure::~InjectedFailure() {
    active_ = previous_;
    if (!active_) frame::Procedure::setWatch(nullptr);
}

bool InjectedFailure::reached(const QString& location, int line) {
    bool fails = false;
    for (InjectedFailure* injected = active_; injected; injected = injected->previous_) {
        if (injected->location_ != location) continue;
        injected->linesRun_.push_back(line);
        if (injected->line_ != line) continue;
        ++injected->runsOfLine_;
        fails = fails || injected->occurrence_ == 0 || injected->occurrence_ == injected->runsOfLine_;
    }
    return fails;
}

}  // namespace brevanta::testsupport
