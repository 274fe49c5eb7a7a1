#pragma once
// The 56 colours written into every generated workbook, so the sheet's
// colour indexes mean the same colours wherever the file is opened.

#include <array>

namespace brevanta::generate {

inline constexpr int kPaletteSize = 56;

namespace detail {
// One colour as R + 256 G + 65536 B, the host's way of writing it.
constexpr int rgb(int red, int green, int blue) { return red + 256 * green + 65536 * blue; }
}  // namespace detail

// Entry i-1 holds colour index i; a constant table, ready before anything runs.
inline constexpr std::array<int, kPaletteSize> kPalette = {
    detail::rgb(0, 0, 0),       detail::rgb(255, 255, 255), detail::rgb(255, 0, 0),     detail::rgb(0, 255, 0),
    detail::rgb(104, 150, 206), detail::rgb(255, 255, 0),   detail::rgb(255, 0, 255),   detail::rgb(0, 255, 255),
    detail::rgb(128, 0, 0),     detail::rgb(84, 125, 146),  detail::rgb(184, 203, 214), detail::rgb(55, 82, 95),
    detail::rgb(59, 59, 59),    detail::rgb(0, 128, 128),   detail::rgb(224, 224, 224), detail::rgb(128, 128, 128),
    detail::rgb(153, 153, 255), detail::rgb(8, 132, 131),   detail::rgb(249, 247, 105), detail::rgb(204, 255, 255),
    detail::rgb(102, 0, 102),   detail::rgb(255, 128, 128), detail::rgb(0, 102, 204),   detail::rgb(204, 204, 255),
    detail::rgb(0, 0, 128),     detail::rgb(255, 0, 255),   detail::rgb(255, 255, 0),   detail::rgb(0, 255, 255),
    detail::rgb(128, 0, 128),   detail::rgb(128, 0, 0),     detail::rgb(0, 128, 128),   detail::rgb(0, 0, 255),
    detail::rgb(0, 204, 255),   detail::rgb(254, 252, 242), detail::rgb(234, 236, 254), detail::rgb(255, 231, 189),
    detail::rgb(252, 250, 242), detail::rgb(255, 153, 204), detail::rgb(224, 255, 215), detail::rgb(253, 247, 223),
    detail::rgb(51, 102, 255),  detail::rgb(51, 204, 204),  detail::rgb(161, 208, 255), detail::rgb(255, 204, 0),
    detail::rgb(255, 153, 0),   detail::rgb(255, 102, 0),   detail::rgb(251, 248, 239), detail::rgb(207, 207, 207),
    detail::rgb(190, 190, 190), detail::rgb(51, 153, 102),  detail::rgb(115, 158, 211), detail::rgb(236, 245, 215),
    detail::rgb(153, 51, 0),    detail::rgb(153, 51, 102),  detail::rgb(204, 255, 204), detail::rgb(51, 51, 51),
};

// The colour index fills the register uses.
namespace fill {
inline constexpr int Sheet = 2;        // white: the whole sheet and even data rows
inline constexpr int OddRow = 39;      // pale green
inline constexpr int Balance = 40;     // pale yellow: column I of data rows
inline constexpr int Header = 43;      // light blue: header cells and the band under them
}  // namespace fill

}  // namespace brevanta::generate
