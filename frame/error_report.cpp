#include "frame/error_report.h"

#include "frame/failure.h"
#include "frame/prompter.h"

namespace brevanta::frame {
namespace {

class BoxReporter final : public Reporter {
public:
    void report(const ErrorReport& report) override {
        prompter().message(QStringLiteral("Application Error"), report.text(), Buttons::Ok, Icon::Warning);
    }
};

BoxReporter gBoxReporter;
Reporter* gReporter = nullptr;

}  // namespace

QString ErrorReport::text() const {
    return description + QStringLiteral("\r\n") + location + QStringLiteral("at line ") + QString::number(line) +
           QStringLiteral("\r\rPlease email screenshot of this message to ") + QString::fromUtf16(kSupportAddress);
}

QString locationPiece(const QString& module, const QString& procedure) {
    return QStringLiteral("in Tarnwick2021/08/31.") + module + QLatin1Char('.') + procedure + QLatin1Char(' ');
}

Reporter& reporter() { return gReporter ? *gReporter : gBoxReporter; }

void setReporter(Reporter* replacement) { gReporter = replacement; }

QString describe(std::exception_ptr failure) {
    try {
        std::rethrow_exception(failure);
    } catch (const Failure& known) {
        return known.description();
    } catch (const std::bad_alloc&) {
        return QStringLiteral("Out of memory");
    } catch (const std::exception& other) {
        return QString::fromUtf8(other.what());
    } catch (...) {
        return QStringLiteral("Automation error");
    }
}

InjectedFailure::InjectedFailure(const QString& module, const QString& procedure, int line, int occurrence)
    : previous_(active_), location_(locationPiece(module, procedure)), line_(line), occurrence_(occurrence) {
    active_ = this;
}

InjectedFailure::~InjectedFailure() { active_ = previous_; }

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

void Procedure::fail(int line, std::exception_ptr failure) {
    ++failures_;
    reporter().report(ErrorReport{describe(failure), location_, line});
}

}  // namespace brevanta::frame
