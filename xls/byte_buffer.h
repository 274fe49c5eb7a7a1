#pragma once
// Little-endian byte writing and bounds-checked reading, the two halves of
// every record layout in the workbook stream.

#include <QByteArray>
#include <QString>
#include <cstdint>
#include <cstring>
#include <span>

#include "host/host_api.h"

namespace brevanta::xls {

class ByteWriter {
public:
    void u8(uint8_t v) { bytes_.append(static_cast<char>(v)); }
    void u16(uint16_t v) { u8(v & 0xFF); u8(v >> 8); }
    void u32(uint32_t v) { u16(v & 0xFFFF); u16(v >> 16); }
    void f64(double v) {
        uint64_t bits;
        std::memcpy(&bits, &v, 8);
        u32(static_cast<uint32_t>(bits)); u32(static_cast<uint32_t>(bits >> 32));
    }
    void zeros(int count) { bytes_.append(count, '\0'); }
    void raw(const QByteArray& data) { bytes_.append(data); }
    void raw(const char* data, int size) { bytes_.append(data, size); }
    // Overwrites a 32-bit value written earlier (stream offsets known only later).
    void patch32(int at, uint32_t v) {
        for (int i = 0; i < 4; ++i) bytes_[at + i] = static_cast<char>((v >> (8 * i)) & 0xFF);
    }
    void patch16(int at, uint16_t v) {
        bytes_[at] = static_cast<char>(v & 0xFF);
        bytes_[at + 1] = static_cast<char>(v >> 8);
    }
    int size() const { return static_cast<int>(bytes_.size()); }
    const QByteArray& bytes() const { return bytes_; }
    QByteArray& bytes() { return bytes_; }
    void reserve(int size) { bytes_.reserve(size); }

private:
    QByteArray bytes_;
};

// Reads a payload; running past its end throws HostError naming what was being read.
class ByteReader {
public:
    ByteReader(std::span<const uint8_t> data, const char* what) : data_(data), what_(what) {}

    bool atEnd() const { return pos_ >= data_.size(); }
    size_t remaining() const { return data_.size() - pos_; }
    size_t position() const { return pos_; }
    void seek(size_t pos) { if (pos > data_.size()) fail(); pos_ = pos; }

    uint8_t u8() { need(1); return data_[pos_++]; }
    uint16_t u16() { need(2); uint16_t v = data_[pos_] | (data_[pos_ + 1] << 8); pos_ += 2; return v; }
    uint32_t u32() { uint32_t lo = u16(); return lo | (static_cast<uint32_t>(u16()) << 16); }
    int16_t i16() { return static_cast<int16_t>(u16()); }
    double f64() {
        uint64_t lo = u32();
        uint64_t bits = lo | (static_cast<uint64_t>(u32()) << 32);
        double v;
        std::memcpy(&v, &bits, 8);
        return v;
    }
    void skip(size_t count) { need(count); pos_ += count; }
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
