#pragma once
// A workbook in memory: its sheets, the 56-colour palette and the format table.

#include <QString>
#include <array>
#include <cstdint>
#include <memory>
#include <vector>

#include "engine/model/sheet.h"
#include "engine/model/style.h"

namespace brevanta::model {

// A palette colour as the host passes it: R + 256 G + 65536 B.
using ColorValue = int32_t;
inline constexpr ColorValue rgbValue(int r, int g, int b) { return r + 256 * g + 65536 * b; }
inline constexpr int redOf(ColorValue v) { return v & 0xFF; }
inline constexpr int greenOf(ColorValue v) { return (v >> 8) & 0xFF; }
inline constexpr int blueOf(ColorValue v) { return (v >> 16) & 0xFF; }

using Palette = std::array<ColorValue, 56>;  // entry i holds colour index i + 1

// The standard palette of a new workbook.
const Palette& defaultPalette();

struct Workbook {
    std::vector<std::unique_ptr<Sheet>> sheets;
    int activeSheet = 0;  // 0-based
    Palette palette = defaultPalette();
    StyleTable styles;
};

}  // namespace brevanta::model
