#include "xls/shared_strings.h"

#include <algorithm>

#include "xls/biff_strings.h"

namespace brevanta::xls {

uint32_t SharedStrings::add(const QString& text) {
    ++references_;
    const qsizetype known = index_.size();
    uint32_t& number = index_[text];  // one look-up, whether the text is new or not
    if (index_.size() != known) {
        number = static_cast<uint32_t>(texts_.size());
        texts_.push_back(text);
    }
    return number;
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
        int next = 0;
        while (next < text.size()) {
            if (room() < charSize) {
                flush();
                payload_.u8(wide ? 0x01 : 0x00);
            }
            const int count = std::min<int>(text.size() - next, room() / charSize);
            for (int i = 0; i < count; ++i) {
                const char16_t c = text[next + i].unicode();
                if (wide) payload_.u16(c);
                else payload_.u8(static_cast<uint8_t>(c));
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
        payload_ = ByteWriter();
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
