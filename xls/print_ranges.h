#pragma once
// The built-in names that carry a sheet's printed ranges: Print_Area (an
// A1 range such as "$B$2:$I$40") and Print_Titles (whole rows).

#include <QString>
#include <optional>

#include "engine/model/sheet.h"

namespace brevanta::xls {

inline constexpr uint8_t kPrintAreaName = 0x06;
inline constexpr uint8_t kPrintTitlesName = 0x07;

// "$B$2:$I$40", "B2:I40" or "B2" (case-insensitive); nothing for other texts.
std::optional<model::CellRange> parsePrintArea(const QString& text);
// The range as "$B$2:$I$40".
QString printAreaText(const model::CellRange& range);

}  // namespace brevanta::xls
