#pragma once
// A1-style addresses as the register writes them: "B6", "$B$4",
// "B6:H8", "A:K", "$4:$5", and the same texts back from a range.

#include <QString>
#include <optional>

#include "engine/model/sheet.h"

namespace brevanta::engine {

// The range an address names, 0-based, with its corners put in order
// ("B6:H5" becomes B5:H6). Nothing when the text is no address inside
// 65,536 rows by 256 columns.
std::optional<model::CellRange> parseAddress(const QString& text);

// The same, throwing host::HostError "Invalid address: <text>".
model::CellRange parseAddressOrThrow(const QString& text);

// "A", "B", ..., "IV" for 0..255.
QString columnLetters(int column);

// Absolute A1 text: "$B$2", "$B$2:$I$2", "$A:$A", "$4:$5".
QString rangeAddress(const model::CellRange& range);

bool coversAllRows(const model::CellRange& range);
bool coversAllColumns(const model::CellRange& range);

}  // namespace brevanta::engine
