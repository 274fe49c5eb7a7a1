#pragma once
// The 56 colours written into every generated workbook, so the sheet's
// colour indexes mean the same colours wherever the file is opened.

#include <array>

namespace brevanta::generate {

inline constexpr int kPaletteSize = 56;

// Entry i-1 holds colour index i as R + 256 G + 65536 B.
extern std::array<int, kPaletteSize> mPalette;

// Fills mPalette; the main window calls it once at start-up.
void initPalette();

// The colour index fills the register uses.
namespace fill {
inline constexpr int Sheet = 2;        // white: the whole sheet and even data rows
inline constexpr int OddRow = 39;      // pale green
inline constexpr int Balance = 40;     // pale yellow: column I of data rows
inline constexpr int Header = 43;      // light blue: header cells and the band under them
}  // namespace fill

}  // namespace brevanta::generate
