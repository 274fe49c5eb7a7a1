#include "xls/rk_numbers.h"

#include <cmath>
#include <cstring>

namespace brevanta::xls {

namespace {
inline double decode(uint32_t rk) {
    double value;
    if (rk & 0x02) {
        value = static_cast<double>(static_cast<int32_t>(rk) >> 2);
    } else {
        const uint64_t bits = static_cast<uint64_t>(rk & 0xFFFFFFFC) << 32;
        std::memcpy(&value, &bits, 8);
    }
    return (rk & 0x01) ? value / 100 : value;
}
}  // namespace

double decodeRk(uint32_t rk) { return decode(rk); }

namespace {
bool sameBits(double a, double b) { return std::memcmp(&a, &b, sizeof a) == 0; }

std::optional<uint32_t> tryEncode(double scaled, bool times100, double original) {
    const uint32_t flag = times100 ? 0x01 : 0x00;
    // In range first (never true for NaN or infinity), then whole: the cast
    // is exact there and spares a library call per number.
    if (scaled >= -(1 << 29) && scaled < (1 << 29) && static_cast<double>(static_cast<int32_t>(scaled)) == scaled) {
        const uint32_t rk = (static_cast<uint32_t>(static_cast<int32_t>(scaled)) << 2) | 0x02 | flag;
        if (sameBits(decode(rk), original)) return rk;
    }
    uint64_t bits;
    std::memcpy(&bits, &scaled, 8);
    if ((bits & 0x3FFFFFFFFULL) == 0) {
        const uint32_t rk = static_cast<uint32_t>(bits >> 32) | flag;
        if (sameBits(decode(rk), original)) return rk;
    }
    return std::nullopt;
}
}  // namespace

std::optional<uint32_t> encodeRk(double value) {
    if (auto rk = tryEncode(value, false, value)) return rk;
    // Rounded to the nearest whole number, ties to even, as nearbyint() does;
    // below 2^51 adding and taking away 1.5 * 2^52 does the same without a library call.
    const double hundredfold = value * 100;
    const double whole = std::fabs(hundredfold) < 0x1p51 ? (hundredfold + 0x1.8p52) - 0x1.8p52 : std::nearbyint(hundredfold);
    return tryEncode(whole, true, value);
}

}  // namespace brevanta::xls
