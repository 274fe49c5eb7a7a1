#pragma once
// How formulas treat values: turning a value into a number, a text or a
// truth value, comparing two values, and the arithmetic operators, with
// spreadsheet rules (empty is 0 or "", numeric text counts as a number,
// errors pass through, division by zero is #DIV/0!).

#include <QLocale>
#include <cmath>
#include <optional>

#include "engine/model/formula.h"
#include "engine/model/value.h"

namespace brevanta::engine {

inline std::optional<model::ErrorCode> errorOf(const model::Value& value) {
    if (const auto* error = std::get_if<model::ErrorCode>(&value)) return *error;
    return std::nullopt;
}

// A number, or the error that stands for "not a number" (#VALUE! for other text).
struct NumberResult {
    double number = 0;
    std::optional<model::ErrorCode> error;
};
NumberResult toNumber(const model::Value& value, const QLocale& locale);

struct TextResult {
    QString text;
    std::optional<model::ErrorCode> error;
};
// Numbers as the General format writes them with up to 15 digits.
TextResult toText(const model::Value& value, const QLocale& locale);

struct TruthResult {
    bool truth = false;
    std::optional<model::ErrorCode> error;
};
// Numbers are true when not zero; the texts "TRUE"/"FALSE" (any case) count; other text is #VALUE!.
TruthResult toTruth(const model::Value& value);

// Numbers < texts < truth values; texts ignore case; empty takes the other side's kind.
model::Value compareValues(model::BinaryOp op, const model::Value& left, const model::Value& right);

// + - * / ^ & on two values.
model::Value applyBinary(model::BinaryOp op, const model::Value& left, const model::Value& right, const QLocale& locale);
model::Value applyUnary(model::UnaryOp op, const model::Value& operand, const QLocale& locale);

// A computed number as a cell keeps it (no negative zero); none when it is
// not finite.
inline std::optional<double> finiteNumber(double number) {
    if (!std::isfinite(number)) return std::nullopt;
    return number == 0 ? 0.0 : number;
}

// A computed number, or #NUM! when it is not finite.
inline model::Value finiteOrNumError(double number) {
    if (const auto finite = finiteNumber(number)) return *finite;
    return model::ErrorCode::Num;
}

// Two numbers added, taken away or multiplied, as finiteNumber keeps the
// result; none for another operator or a result that is not finite.
inline std::optional<double> plainArithmetic(model::BinaryOp op, double left, double right) {
    switch (op) {
    case model::BinaryOp::Add: return finiteNumber(left + right);
    case model::BinaryOp::Subtract: return finiteNumber(left - right);
    case model::BinaryOp::Multiply: return finiteNumber(left * right);
    default: return std::nullopt;
    }
}

}  // namespace brevanta::engine
