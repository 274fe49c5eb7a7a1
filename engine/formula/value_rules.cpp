#include "engine/formula/value_rules.h"

#include <cmath>

#include "engine/formula/display_format.h"
#include "engine/formula/entry_reading.h"

namespace brevanta::engine {

using model::ErrorCode;
using model::Value;

namespace {
constexpr int kTextDigits = 15;

QChar decimalPointOf(const QLocale& locale) {
    const QString point = locale.decimalPoint();
    return point.size() == 1 ? point[0] : QLatin1Char('.');
}

// Kinds in comparison order: numbers, then texts, then truth values.
int kindRank(const Value& value) {
    if (std::holds_alternative<double>(value)) return 0;
    if (std::holds_alternative<QString>(value)) return 1;
    return 2;
}

// An empty operand compares as the other side's kind of nothing: 0, "" or FALSE.
Value emptyLike(const Value& other) {
    if (std::holds_alternative<QString>(other)) return QString();
    if (std::holds_alternative<bool>(other)) return false;
    return 0.0;
}

// Numbers equal to 15 significant digits compare equal (0.1+0.2 = 0.3).
int compareNumbers(double left, double right) {
    if (left == right) return 0;
    if (std::fabs(left - right) <= std::max(std::fabs(left), std::fabs(right)) * 1e-15) return 0;
    return left < right ? -1 : 1;
}
}  // namespace

NumberResult toNumber(const Value& value, const QLocale& locale) {
    if (std::holds_alternative<model::Empty>(value)) return {0, {}};
    if (const auto* number = std::get_if<double>(&value)) return {*number, {}};
    if (const auto* truth = std::get_if<bool>(&value)) return {*truth ? 1.0 : 0.0, {}};
    if (const auto* error = std::get_if<ErrorCode>(&value)) return {0, *error};
    const QString& text = std::get<QString>(value);
    if (const auto number = readTypedNumber(text, locale)) return {*number, {}};
    if (const auto date = readTypedDate(text, locale)) return {date->serial, {}};
    return {0, ErrorCode::Value};
}

TextResult toText(const Value& value, const QLocale& locale) {
    if (std::holds_alternative<model::Empty>(value)) return {};
    if (const auto* text = std::get_if<QString>(&value)) return {*text, {}};
    if (const auto* number = std::get_if<double>(&value))
        return {generalNumberText(*number, kTextDigits, decimalPointOf(locale)), {}};
    if (const auto* truth = std::get_if<bool>(&value)) return {*truth ? QStringLiteral("TRUE") : QStringLiteral("FALSE"), {}};
    return {{}, std::get<ErrorCode>(value)};
}

TruthResult toTruth(const Value& value) {
    if (std::holds_alternative<model::Empty>(value)) return {false, {}};
    if (const auto* number = std::get_if<double>(&value)) return {*number != 0, {}};
    if (const auto* truth = std::get_if<bool>(&value)) return {*truth, {}};
    if (const auto* error = std::get_if<ErrorCode>(&value)) return {false, *error};
    const QString& text = std::get<QString>(value);
    if (text.compare(QLatin1String("TRUE"), Qt::CaseInsensitive) == 0) return {true, {}};
    if (text.compare(QLatin1String("FALSE"), Qt::CaseInsensitive) == 0) return {false, {}};
    return {false, ErrorCode::Value};
}

Value compareValues(model::BinaryOp op, const Value& leftIn, const Value& rightIn) {
    if (const auto error = errorOf(leftIn)) return *error;
    if (const auto error = errorOf(rightIn)) return *error;
    const Value left = model::isEmpty(leftIn) ? emptyLike(rightIn) : leftIn;
    const Value right = model::isEmpty(rightIn) ? emptyLike(leftIn) : rightIn;
    int order;
    if (kindRank(left) != kindRank(right)) {
        order = kindRank(left) < kindRank(right) ? -1 : 1;
    } else if (const auto* number = std::get_if<double>(&left)) {
        order = compareNumbers(*number, std::get<double>(right));
    } else if (const auto* text = std::get_if<QString>(&left)) {
        order = text->compare(std::get<QString>(right), Qt::CaseInsensitive);
        order = order < 0 ? -1 : (order > 0 ? 1 : 0);
    } else {
        order = int(std::get<bool>(left)) - int(std::get<bool>(right));
    }
    switch (op) {
    case model::BinaryOp::Less: return order < 0;
    case model::BinaryOp::LessEqual: return order <= 0;
    case model::BinaryOp::Equal: return order == 0;
    case model::BinaryOp::GreaterEqual: return order >= 0;
    case model::BinaryOp::Greater: return order > 0;
    case model::BinaryOp::NotEqual: return order != 0;
    default: return ErrorCode::Value;
    }
}

Value applyBinary(model::BinaryOp op, const Value& left, const Value& right, const QLocale& locale) {
    switch (op) {
    case model::BinaryOp::Less:
    case model::BinaryOp::LessEqual:
    case model::BinaryOp::Equal:
    case model::BinaryOp::GreaterEqual:
    case model::BinaryOp::Greater:
    case model::BinaryOp::NotEqual: return compareValues(op, left, right);
    case model::BinaryOp::Concat: {
        const TextResult first = toText(left, locale);
        if (first.error) return *first.error;
        const TextResult second = toText(right, locale);
        if (second.error) return *second.error;
        return first.text + second.text;
    }
    default: break;
    }
    const NumberResult a = toNumber(left, locale);
    if (a.error) return *a.error;
    const NumberResult b = toNumber(right, locale);
    if (b.error) return *b.error;
    switch (op) {
    case model::BinaryOp::Add: return finiteOrNumError(a.number + b.number);
    case model::BinaryOp::Subtract: return finiteOrNumError(a.number - b.number);
    case model::BinaryOp::Multiply: return finiteOrNumError(a.number * b.number);
    case model::BinaryOp::Divide:
        if (b.number == 0) return ErrorCode::Div0;
        return finiteOrNumError(a.number / b.number);
    case model::BinaryOp::Power:
        if (a.number == 0 && b.number == 0) return ErrorCode::Num;
        if (a.number == 0 && b.number < 0) return ErrorCode::Div0;
        return finiteOrNumError(std::pow(a.number, b.number));
    default: return ErrorCode::Value;
    }
}

Value applyUnary(model::UnaryOp op, const Value& operand, const QLocale& locale) {
    if (op == model::UnaryOp::Plus) return operand;  // unary plus leaves its operand alone, text included
    const NumberResult value = toNumber(operand, locale);
    if (value.error) return *value.error;
    switch (op) {
    case model::UnaryOp::Plus: return finiteOrNumError(value.number);
    case model::UnaryOp::Minus: return finiteOrNumError(-value.number);
    case model::UnaryOp::Percent: return finiteOrNumError(value.number / 100.0);
    }
    return ErrorCode::Value;
}

}  // namespace brevanta::engine
