#pragma once
// The record layer of the workbook stream: record numbers, a writer that
// frames payloads (splitting long ones into CONTINUE records) and a cursor
// that walks the records of a stream without trusting any length in it.

#include <QByteArray>
#include <QtEndian>
#include <cstdint>
#include <span>
#include <vector>

#include "xls/byte_buffer.h"

namespace brevanta::xls {

namespace record {
inline constexpr uint16_t Formula = 0x0006, Eof = 0x000A, CalcCount = 0x000C, CalcMode = 0x000D,
    Precision = 0x000E, RefMode = 0x000F, Delta = 0x0010, Iteration = 0x0011, Password = 0x0013,
    Header = 0x0014, Footer = 0x0015, ExternSheet = 0x0017, Name = 0x0018, WindowProtect = 0x0019,
    Selection = 0x001D, DateMode = 0x0022, LeftMargin = 0x0026, RightMargin = 0x0027,
    TopMargin = 0x0028, BottomMargin = 0x0029, PrintHeaders = 0x002A, PrintGridlines = 0x002B,
    FilePass = 0x002F, Font = 0x0031, Continue = 0x003C, Window1 = 0x003D, Backup = 0x0040,
    CodePage = 0x0042, DefColWidth = 0x0055, WriteAccess = 0x005C, Label = 0x0204,
    Country = 0x008C, HideObj = 0x008D, Palette = 0x0092, Guts = 0x0080, WsBool = 0x0081,
    GridSet = 0x0082, HCenter = 0x0083, VCenter = 0x0084, BoundSheet = 0x0085, Style = 0x0293,
    Setup = 0x00A1, MulRk = 0x00BD, MulBlank = 0x00BE, Mms = 0x00C1, InterfaceHdr = 0x00E1,
    InterfaceEnd = 0x00E2, Xf = 0x00E0, MergedCells = 0x00E5, Sst = 0x00FC, LabelSst = 0x00FD,
    ExtSst = 0x00FF, BookBool = 0x00DA, Dsf = 0x0161, SupBook = 0x01AE, RefreshAll = 0x01B7,
    SaveRecalc = 0x005F, Dimensions = 0x0200, Blank = 0x0201, Number = 0x0203, BoolErr = 0x0205,
    String = 0x0207, Row = 0x0208, Index = 0x020B, DefaultRowHeight = 0x0225, Window2 = 0x023E,
    Rk = 0x027E, Format = 0x041E, Bof = 0x0809, ColInfo = 0x007D, Shrfmla = 0x04BC,
    Array = 0x0221, Table = 0x0236, Rstring = 0x00D6, DbCell = 0x00D7, TabId = 0x013D;
}  // namespace record

// The most data bytes one record may carry.
inline constexpr int kMaxRecordData = 8224;

// Appends framed records to a stream.
class RecordWriter {
public:
    explicit RecordWriter(ByteWriter& out) : out_(out) {}
    // Writes one record; a payload longer than a record holds goes on in CONTINUE records.
    void write(uint16_t id, const QByteArray& payload);
    void write(uint16_t id, const ByteWriter& payload) { write(id, payload.bytes()); }
    void empty(uint16_t id) { write(id, QByteArray()); }
    // A record whose payload is written straight into the stream, for
    // payloads known to fit one record: begin() writes the header and hands
    // out the stream, end() fills in the length.
    ByteWriter& begin(uint16_t id) {
        out_.u16(id);
        lengthAt_ = out_.size();
        out_.u16(0);
        return out_;
    }
    void end();
    void u16Record(uint16_t id, uint16_t value);
    void f64Record(uint16_t id, double value);
    int position() const { return out_.size(); }
    ByteWriter& stream() { return out_; }

private:
    ByteWriter& out_;
    int lengthAt_ = -1;
};

// A record whose payload length is known before it is written, as most cell
// records are: its bytes are taken from the stream at once and filled in
// place, without a check for room per value. Exactly `length` bytes must be
// written before it ends.
class FixedRecord {
public:
    FixedRecord(ByteWriter& out, uint16_t id, int length)
        : at_(reinterpret_cast<uint8_t*>(out.extend(4 + length))), end_(at_ + 4 + length) {
        Q_ASSERT(length >= 0 && length <= kMaxRecordData);
        u16(id);
        u16(static_cast<uint16_t>(length));
    }
    ~FixedRecord() { Q_ASSERT(at_ == end_); }
    FixedRecord(const FixedRecord&) = delete;
    FixedRecord& operator=(const FixedRecord&) = delete;

    // Each value is stored whole: byte stores through the member pointer would
    // make the compiler read the pointer back after every byte.
    FixedRecord& u8(uint8_t v) { *at_++ = v; return *this; }
    FixedRecord& u16(uint16_t v) { return put(v); }
    FixedRecord& u32(uint32_t v) { return put(v); }
    FixedRecord& f64(double v) {
        uint64_t bits;
        std::memcpy(&bits, &v, 8);
        return put(bits);
    }
    FixedRecord& raw(const char* data, int size) {
        std::memcpy(at_, data, static_cast<size_t>(size));
        at_ += size;
        return *this;
    }
    // `size` bytes to be filled in by the caller.
    char* skip(int size) {
        char* at = reinterpret_cast<char*>(at_);
        at_ += size;
        return at;
    }

private:
    template <class T>
    FixedRecord& put(T v) {
        qToLittleEndian(v, at_);
        at_ += sizeof(T);
        return *this;
    }
    uint8_t* at_;
    [[maybe_unused]] uint8_t* end_;
};

struct Record {
    uint16_t id = 0;
    std::span<const uint8_t> data;
    size_t offset = 0;  // stream position of the record header
};

// Walks records from a stream position. A length running past the end of
// the stream is a frame::Failure ("truncated"), never a read beyond it.
class RecordCursor {
public:
    RecordCursor(std::span<const uint8_t> stream, size_t start);
    bool atEnd() const { return pos_ + 4 > stream_.size(); }
    // Defined here: a sheet is hundreds of thousands of records, each read through it.
    Record next() {
        if (pos_ + 4 > stream_.size()) endsInRecord();
        Record r;
        r.offset = pos_;
        r.id = static_cast<uint16_t>(stream_[pos_] | (stream_[pos_ + 1] << 8));
        const size_t length = stream_[pos_ + 2] | (stream_[pos_ + 3] << 8);
        if (pos_ + 4 + length > stream_.size()) runsPastEnd();
        r.data = stream_.subspan(pos_ + 4, length);
        pos_ += 4 + length;
        return r;
    }
    // The record that follows, without moving (id 0 at the end of the stream).
    uint16_t peekId() const;
    size_t position() const { return pos_; }

private:
    [[noreturn]] static void endsInRecord();
    [[noreturn]] static void runsPastEnd();
    std::span<const uint8_t> stream_;
    size_t pos_;
};

// A record and the CONTINUE records after it, read as one sequence of
// segments. Strings read through it repeat their option byte at the start
// of every segment their characters continue into.
class ContinuedReader {
public:
    explicit ContinuedReader(std::vector<std::span<const uint8_t>> segments);
    bool atEnd();
    // The one- and two-byte reads inside a segment are defined here: every shared string starts with them.
    uint8_t u8() {
        if (segment_ < segments_.size() && pos_ < segments_[segment_].size()) return segments_[segment_][pos_++];
        return u8AcrossSegments();
    }
    uint16_t u16() {
        if (segment_ < segments_.size() && pos_ + 2 <= segments_[segment_].size()) {
            const uint8_t* at = segments_[segment_].data() + pos_;
            pos_ += 2;
            return static_cast<uint16_t>(at[0] | (at[1] << 8));
        }
        const uint16_t lo = u8AcrossSegments();
        return static_cast<uint16_t>(lo | (u8() << 8));
    }
    uint32_t u32();
    void skip(size_t count);
    // A string of `count` characters after its option byte was read.
    QString characters(uint32_t count, bool wide);

private:
    size_t segmentRemaining();
    bool nextSegment();
    uint8_t u8AcrossSegments();
    std::vector<std::span<const uint8_t>> segments_;
    size_t segment_ = 0;
    size_t pos_ = 0;
    size_t before_ = 0;  // bytes in the segments before the current one
    size_t total_ = 0;   // bytes in all segments
};

// Collects a record and the CONTINUE records that follow it.
std::vector<std::span<const uint8_t>> withContinues(const Record& first, RecordCursor& cursor);

}  // namespace brevanta::xls
