#pragma once
// A failure carries the description the error box shows on its first line.
// Host operations, file operations and our own checks all throw it (or a
// subclass); any other std::exception is reported with its what() text.

#include <QString>
#include <stdexcept>

namespace brevanta::frame {

class Failure : public std::runtime_error {
public:
    explicit Failure(const QString& description)
        : std::runtime_error(description.toStdString()), description_(description) {}
    const QString& description() const { return description_; }

private:
    QString description_;
};

// The run-time texts our own operations report, worded as the user knows them.
namespace failures {
inline const QString kObjectRequired = QStringLiteral("Object required");
inline const QString kSubscriptOutOfRange = QStringLiteral("Subscript out of range");
inline const QString kTypeMismatch = QStringLiteral("Type mismatch");
inline const QString kOverflow = QStringLiteral("Overflow");
inline const QString kDivisionByZero = QStringLiteral("Division by zero");
inline const QString kInvalidProcedureCall = QStringLiteral("Invalid procedure call or argument");
}  // namespace failures

}  // namespace brevanta::frame
