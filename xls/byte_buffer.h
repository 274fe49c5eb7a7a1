#pragma once
// Little-endian byte writing and bounds-checked reading, the two halves of
// every record layout in the workbook stream.

#include <QByteArray>
#include <utility>
#include <QString>
#include <algorithm>
#include <cstdint>
#include <cstring>
#include <span>

#include "frame/failure.h"

namespace brevanta::xls {

// Writes into spare room at the end of its array; the array is cut to what
// was written only when it is looked at. A file is millions of two- and
// four-byte values, and appending them one byte at a time cost a call each.
class ByteWriter {
public:
    void u8(uint8_t v) { *room(1) = static_cast<char>(v); }
    void u16(uint16_t v) {
        char* at = room(2);
        at[0] = static_cast<char>(v & 0xFF);
        at[1] = static_cast<char>(v >> 8);
    }
    void u32(uint32_t v) {
        char* at = room(4);
        for (int i = 0; i < 4; ++i) at[i] = static_cast<char>((v >> (8 * i)) & 0xFF);
    }
    void f64(double v) {
        uint64_t bits;
        std::memcpy(&bits, &v, 8);
        char* at = room(8);
        for (int i = 0; i < 8; ++i) at[i] = static_cast<char>((bits >> (8 * i)) & 0xFF);
    }
    void zeros(int count) {
        if (count > 0) std::memset(room(count), 0, static_cast<size_t>(count));
    }
    void raw(const QByteArray& data) { raw(data.constData(), static_cast<int>(data.size())); }
    void raw(const char* data, int size) {
        if (size > 0) std::memcpy(room(size), data, static_cast<size_t>(size));
    }
    // Overwrites a 32-bit value written earlier (stream offsets known only later).
    void patch32(int at, uint32_t v) {
        for (int i = 0; i < 4; ++i) bytes_[at + i] = static_cast<char>((v >> (8 * i)) & 0xFF);
    }
    void patch16(int at, uint16_t v) {
        bytes_[at] = static_cast<char>(v & 0xFF);
        bytes_[at + 1] = static_cast<char>(v >> 8);
    }
    int size() const { return static_cast<int>(size_); }
    // The bytes written so far.
    const QByteArray& bytes() const {
        if (bytes_.size() != size_) bytes_.resize(size_);  // keeps the room for further writing
        return bytes_;
    }
    void reserve(int size) { bytes_.reserve(size); }
    // The bytes written, in an array of just their size; the writer is left empty.
    QByteArray take() {
        bytes_.resize(size_);
        bytes_.squeeze();
        size_ = 0;
        return std::exchange(bytes_, QByteArray());
    }
    // Forgets what was written and keeps the room, for writing the next record.
    void clear() { size_ = 0; }
    // `count` bytes more, to be filled in at once by the caller (through the
    // pointer, before anything else is written).
    char* extend(int count) { return room(count); }

private:
    char* room(qsizetype count) {
        if (const qsizetype needed = size_ + count; needed > bytes_.size())
            bytes_.resize(needed <= bytes_.capacity() ? bytes_.capacity()
                                                      : std::max<qsizetype>({needed, 2 * size_, 64}));
        char* at = bytes_.data() + size_;
        size_ += count;
        return at;
    }
    mutable QByteArray bytes_;  // may run past size_ with room not yet written
    qsizetype size_ = 0;
};

// Reads a payload; running past its end throws frame::Failure naming what was being read.
class ByteReader {
public:
    ByteReader(std::span<const uint8_t> data, const char* what) : data_(data), what_(what) {}

    bool atEnd() const { return pos_ >= data_.size(); }
    size_t remaining() const { return data_.size() - pos_; }

    uint8_t u8() { need(1); return data_[pos_++]; }
    uint16_t u16() { need(2); uint16_t v = data_[pos_] | (data_[pos_ + 1] << 8); pos_ += 2; return v; }
    uint32_t u32() { uint32_t lo = u16(); return lo | (static_cast<uint32_t>(u16()) << 16); }
    double f64() {
        uint64_t lo = u32();
        uint64_t bits = lo | (static_cast<uint64_t>(u32()) << 32);
        double v;
        std::memcpy(&v, &bits, 8);
        return v;
    }
    void skip(size_t count) { need(count); pos_ += count; }
    // The next `count` bytes, checked once, for a layout of fixed fields read straight from them.
    const uint8_t* fixed(size_t count) {
        need(count);
        const uint8_t* at = data_.data() + pos_;
        pos_ += count;
        return at;
    }
    std::span<const uint8_t> take(size_t count) {
        need(count);
        auto part = data_.subspan(pos_, count);
        pos_ += count;
        return part;
    }

private:
    void need(size_t count) const { if (count > remaining()) fail(); }
    [[noreturn]] void fail() const;
    std::span<const uint8_t> data_;
    size_t pos_ = 0;
    const char* what_;
};

}  // namespace brevanta::xls
