#pragma once
// Reads one worksheet substream into a model sheet.

#include <QString>
#include <memory>
#include <span>
#include <vector>

#include "engine/model/sheet.h"
#include "xls/format_records.h"

namespace brevanta::xls {

struct SheetSources {
    FormatTableReader& formats;
    const std::vector<QString>& strings;
    model::StyleTable& styles;
    std::span<const QString> externSheets = {};  // the sheet each EXTERNSHEET entry names, for 3-D references
};

// The sheet whose BOF is at `offset` of the stream.
std::unique_ptr<model::Sheet> decodeSheet(std::span<const uint8_t> stream, size_t offset, const QString& name,
                                          SheetSources sources);

}  // namespace brevanta::xls
