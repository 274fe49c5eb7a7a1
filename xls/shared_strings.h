#pragma once
// The shared-string table: every text cell refers to its text by number.

#include <QString>
#include <cstdint>
#include <span>
#include <vector>

#include "xls/biff_records.h"

namespace brevanta::xls {

class SharedStrings {
public:
    SharedStrings();
    // The number of a text, adding it on first use; counts every reference.
    uint32_t add(const QString& text);
    // Counts one more reference to a text already added as `number`.
    uint32_t addAgain(uint32_t number) {
        ++references_;
        return number;
    }
    // Room for `count` different texts, so that the table is not rebuilt as it grows.
    void reserve(qsizetype count);
    const std::vector<QString>& texts() const { return texts_; }
    uint32_t references() const { return references_; }

private:
    // Every text cell looks its text up: an open table of numbers, each text
    // hashed once and its hash kept for when the table grows.
    struct Slot {
        uint32_t number = 0;  // the text's number + 1; 0 for an empty slot
        uint32_t tag = 0;     // the high half of its hash, compared before the texts are
    };
    uint64_t hashOf(const QString& text) const;
    void rebuild(size_t slotCount);

    std::vector<Slot> slots_;      // a power of two long, at most half full
    std::vector<QString> texts_;
    std::vector<uint64_t> hashes_;  // by number
    uint64_t seed_;
    uint32_t references_ = 0;
};

// SST with its CONTINUE records, then EXTSST (the lookup table of bucket
// starts, which needs the stream positions the strings end up at).
void writeSharedStrings(RecordWriter& out, const SharedStrings& strings);

// The texts of an SST record and its CONTINUE records (rich-text runs and
// phonetic data are skipped).
std::vector<QString> readSharedStrings(const std::vector<std::span<const uint8_t>>& segments);

}  // namespace brevanta::xls
