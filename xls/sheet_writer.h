#pragma once
// The records of one worksheet substream, from its BOF to its EOF.

#include <QByteArray>
#include <QString>
#include <span>
#include <vector>

#include "engine/model/sheet.h"
#include "xls/format_records.h"
#include "xls/shared_strings.h"

namespace brevanta::xls {

struct EncodedSheet {
    // The sheet's stream in consecutive pieces, each ending on a record's
    // end: a long sheet is megabytes, and a piece can go once it is packed.
    std::vector<QByteArray> pieces;
    // Places of 32-bit stream positions (INDEX) written relative to the
    // sheet's start (counted over the pieces, each whole in one of them);
    // the sheet's own position is added once it is known.
    std::vector<int> positionFields;
    bool refersToSheets = false;  // a formula reads another sheet: the globals list the sheets
};

// Encodes the sheet; texts go into `strings` and formats into `formats`;
// `sheetNames` are the workbook's sheets, which formulas may read.
EncodedSheet encodeSheet(const model::Sheet& sheet, bool active, FormatTableWriter& formats, SharedStrings& strings,
                         std::span<const QString> sheetNames = {});

}  // namespace brevanta::xls
