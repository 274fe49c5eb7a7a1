#pragma once
// A cell's value: empty, number, text, truth value or error.

#include <QString>
#include <cstdint>
#include <optional>
#include <variant>

namespace brevanta::model {

// Error values with their BIFF8 codes.
enum class ErrorCode : uint8_t { Null = 0x00, Div0 = 0x07, Value = 0x0F, Ref = 0x17, Name = 0x1D, Num = 0x24, NA = 0x2A };

QString errorText(ErrorCode code);                       // "#VALUE!"
std::optional<ErrorCode> errorFromText(const QString&);   // case-insensitive
std::optional<ErrorCode> errorFromCode(uint8_t code);

using Empty = std::monostate;
using Value = std::variant<Empty, double, QString, bool, ErrorCode>;

inline bool isEmpty(const Value& v) { return std::holds_alternative<Empty>(v); }

}  // namespace brevanta::model
