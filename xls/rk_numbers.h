#pragma once
// RK numbers: a double or an integer, optionally times 100, in 30 bits.

#include <cstdint>
#include <optional>

namespace brevanta::xls {

// The RK form of a number when it holds the number exactly.
std::optional<uint32_t> encodeRk(double value);
double decodeRk(uint32_t rk);

}  // namespace brevanta::xls
