#pragma once
// The shared-string table: every text cell refers to its text by number.

#include <QHash>
#include <QString>
#include <cstdint>
#include <span>
#include <vector>

#include "xls/biff_records.h"

namespace brevanta::xls {

class SharedStrings {
public:
    // The number of a text, adding it on first use; counts every reference.
    uint32_t add(const QString& text);
    // Room for `count` different texts, so that the table is not rebuilt as it grows.
    void reserve(qsizetype count) {
        index_.reserve(count);
        texts_.reserve(static_cast<size_t>(count));
    }
    const std::vector<QString>& texts() const { return texts_; }
    uint32_t references() const { return references_; }

private:
    QHash<QString, uint32_t> index_;
    std::vector<QString> texts_;
    uint32_t references_ = 0;
};

// SST with its CONTINUE records, then EXTSST (the lookup table of bucket
// starts, which needs the stream positions the strings end up at).
void writeSharedStrings(RecordWriter& out, const SharedStrings& strings);

// The texts of an SST record and its CONTINUE records (rich-text runs and
// phonetic data are skipped).
std::vector<QString> readSharedStrings(const std::vector<std::span<const uint8_t>>& segments);

}  // namespace brevanta::xls
