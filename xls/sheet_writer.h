#pragma once
// The records of one worksheet substream, from its BOF to its EOF.

#include <QByteArray>

#include "engine/model/sheet.h"
#include "xls/format_records.h"
#include "xls/shared_strings.h"

namespace brevanta::xls {

// Encodes the sheet; texts go into `strings` and formats into `formats`.
QByteArray encodeSheet(const model::Sheet& sheet, bool active, FormatTableWriter& formats, SharedStrings& strings);

}  // namespace brevanta::xls
