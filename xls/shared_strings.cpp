#include "xls/shared_strings.h"

#include <QHashFunctions>

#include <algorithm>
#include <cstring>

#include "xls/biff_strings.h"

namespace brevanta::xls {

SharedStrings::SharedStrings() : seed_(QHashSeed::globalSeed()) { rebuild(64); }

void SharedStrings::reserve(qsizetype count) {
    texts_.reserve(static_cast<size_t>(count));
    hashes_.reserve(static_cast<size_t>(count));
    size_t slotCount = slots_.size();
    while (slotCount < 2 * static_cast<size_t>(count)) slotCount *= 2;
    if (slotCount != slots_.size()) rebuild(slotCount);
}

// A multiply-and-shift mix over four characters at a time, seeded per process like Qt's own hashes.
uint64_t SharedStrings::hashOf(const QString& text) const {
    const char16_t* at = reinterpret_cast<const char16_t*>(text.constData());
    size_t left = static_cast<size_t>(text.size());
    uint64_t h = seed_ ^ (left * 0x9E3779B97F4A7C15ULL);
    for (; left >= 4; left -= 4, at += 4) {
        uint64_t word;
        std::memcpy(&word, at, 8);
        h = (h ^ word) * 0xBF58476D1CE4E5B9ULL;
        h ^= h >> 31;
    }
    uint64_t tail = 0;
    std::memcpy(&tail, at, left * 2);
    h = (h ^ tail) * 0x94D049BB133111EBULL;
    h ^= h >> 29;
    h *= 0xBF58476D1CE4E5B9ULL;
    return h ^ (h >> 32);
}

void SharedStrings::rebuild(size_t slotCount) {
    slots_.assign(slotCount, Slot{});
    const size_t mask = slotCount - 1;
    for (size_t number = 0; number < hashes_.size(); ++number) {
        size_t at = hashes_[number] & mask;
        while (slots_[at].number != 0) at = (at + 1) & mask;
        slots_[at] = {static_cast<uint32_t>(number + 1), static_cast<uint32_t>(hashes_[number] >> 32)};
    }
}

uint32_t SharedStrings::add(const QString& text) {
    ++references_;
    if (2 * (texts_.size() + 1) > slots_.size()) rebuild(2 * slots_.size());
    const uint64_t hash = hashOf(text);
    const uint32_t tag = static_cast<uint32_t>(hash >> 32);
    const size_t mask = slots_.size() - 1;
    for (size_t at = hash & mask;; at = (at + 1) & mask) {
        Slot& slot = slots_[at];
        if (slot.number == 0) {
            const auto number = static_cast<uint32_t>(texts_.size());
            slot = {number + 1, tag};
            texts_.push_back(text);
            hashes_.push_back(hash);
            return number;
        }
        if (slot.tag == tag && texts_[slot.number - 1] == text) return slot.number - 1;
    }
}

namespace {

// Builds the SST and its CONTINUE records, keeping a string's header and
// first character together and repeating the option byte where character
// data carries on into the next record.
class SstBuilder {
public:
    SstBuilder(RecordWriter& out, int stringsPerBucket) : out_(out), stringsPerBucket_(stringsPerBucket) {}

    void begin(uint32_t total, uint32_t unique) {
        payload_.u32(total);
        payload_.u32(unique);
    }

    void addString(int number, const QString& text) {
        const bool wide = !fitsCompressed(text);
        const int charSize = wide ? 2 : 1;
        if (room() < 3 + charSize) flush();
        if (number % stringsPerBucket_ == 0) buckets_.push_back({recordsWritten_, payload_.size()});
        payload_.u16(static_cast<uint16_t>(text.size()));
        payload_.u8(wide ? 0x01 : 0x00);
        const QChar* characters = text.constData();
        int next = 0;
        while (next < text.size()) {
            if (room() < charSize) {
                flush();
                payload_.u8(wide ? 0x01 : 0x00);
            }
            const int count = std::min<int>(text.size() - next, room() / charSize);
            char* at = payload_.extend(count * charSize);
            const char16_t* from = reinterpret_cast<const char16_t*>(characters + next);
            if (wide) {
                for (int i = 0; i < count; ++i) {
                    at[2 * i] = static_cast<char>(from[i] & 0xFF);
                    at[2 * i + 1] = static_cast<char>(from[i] >> 8);
                }
            } else {
                for (int i = 0; i < count; ++i) at[i] = static_cast<char>(from[i]);
            }
            next += count;
        }
    }

    void finish() {
        flush();
        ByteWriter ext;
        ext.u16(static_cast<uint16_t>(stringsPerBucket_));
        for (const auto& bucket : buckets_) {
            const int recordStart = recordStarts_[bucket.record];
            ext.u32(static_cast<uint32_t>(recordStart + 4 + bucket.offset));
            ext.u16(static_cast<uint16_t>(4 + bucket.offset));
            ext.u16(0);
        }
        out_.write(record::ExtSst, ext);
    }

private:
    int room() const { return kMaxRecordData - payload_.size(); }
    void flush() {
        recordStarts_.push_back(out_.position());
        out_.write(recordsWritten_ == 0 ? record::Sst : record::Continue, payload_);
        ++recordsWritten_;
        payload_.clear();
    }

    struct Bucket { int record; int offset; };
    RecordWriter& out_;
    int stringsPerBucket_;
    ByteWriter payload_;
    int recordsWritten_ = 0;
    std::vector<int> recordStarts_;
    std::vector<Bucket> buckets_;
};

}  // namespace

void writeSharedStrings(RecordWriter& out, const SharedStrings& strings) {
    const auto& texts = strings.texts();
    const int unique = static_cast<int>(texts.size());
    const int perBucket = std::max(8, (unique + 127) / 128);  // at most 128 buckets
    SstBuilder builder(out, perBucket);
    builder.begin(strings.references(), static_cast<uint32_t>(unique));
    for (int i = 0; i < unique; ++i) builder.addString(i, texts[i]);
    builder.finish();
}

std::vector<QString> readSharedStrings(const std::vector<std::span<const uint8_t>>& segments) {
    size_t totalBytes = 0;
    for (const auto& s : segments) totalBytes += s.size();
    ContinuedReader in(segments);
    in.u32();  // references
    const uint32_t unique = in.u32();
    std::vector<QString> texts;
    texts.reserve(std::min<size_t>(unique, totalBytes / 3));  // a string takes three bytes at least
    for (uint32_t i = 0; i < unique && !in.atEnd(); ++i) {
        const uint16_t length = in.u16();
        const uint8_t options = in.u8();
        const uint16_t runs = (options & 0x08) ? in.u16() : 0;
        const uint32_t phonetic = (options & 0x04) ? in.u32() : 0;
        texts.push_back(in.characters(length, options & 0x01));
        in.skip(4u * runs);
        in.skip(phonetic);
    }
    return texts;
}

}  // namespace brevanta::xls
