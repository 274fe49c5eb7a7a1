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

// The one service point for reports: null while the box is in use.
Reporter* installedReporter = nullptr;

}  // namespace

QString ErrorReport::text() const {
    return description + QStringLiteral("\r\n") + location + QStringLiteral("at line ") + QString::number(line) +
           QStringLiteral("\r\rPlease email screenshot of this message to ") + QString::fromUtf16(kSupportAddress);
}

QString locationPiece(const QString& module, const QString& procedure) {
    return QStringLiteral("in Tarnwick2021/08/31.") + module + QLatin1Char('.') + procedure + QLatin1Char(' ');
}

Reporter& reporter() {
    static BoxReporter box;
    return installedReporter ? *installedReporter : box;
}

void setReporter(Reporter* replacement) { installedReporter = replacement; }

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

void Procedure::fail(int line, std::exception_ptr failure) {
    ++failures_;
    reporter().report(ErrorReport{describe(failure), location_, line});
}

}  // namespace brevanta::frame
