#pragma once
// How formats are numbered in the file: colour indexes (icv) and the
// built-in number formats that need no FORMAT record.

#include <QString>
#include <cstdint>

namespace brevanta::xls {

// Palette entries 1..56 are stored as 8..63; 0 and the eight fixed colours
// below 8 stand for themselves; 0x7FFF is the automatic font colour.
inline constexpr uint16_t kIcvAutomaticFont = 0x7FFF;
inline constexpr uint16_t kIcvSystemForeground = 64;
inline constexpr uint16_t kIcvSystemBackground = 65;

uint16_t fontIcv(int colorIndex);
int fontColorIndex(uint16_t icv);
uint16_t fillIcv(int colorIndex);
int fillColorIndex(uint16_t icv);  // kColorNone for the system colours

// The built-in format number for a format text, or -1 when it needs a FORMAT record.
int builtInFormatNumber(const QString& formatText);
// The text of a built-in format number ("General" for unknown ones).
QString builtInFormatText(int number);

inline constexpr int kFirstUserFormat = 164;

}  // namespace brevanta::xls
