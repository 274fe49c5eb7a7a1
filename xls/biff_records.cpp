#include "xls/biff_records.h"

#include <algorithm>

namespace brevanta::xls {

void ByteReader::fail() const {
    throw frame::Failure(QStringLiteral("The workbook file is damaged: %1 is cut short.")
                              .arg(QLatin1String(what_)));
}

// ---------------------------------------------------------------- writing

void RecordWriter::write(uint16_t id, const QByteArray& payload) {
    int offset = 0;
    uint16_t currentId = id;
    do {
        const int length = std::min<int>(kMaxRecordData, payload.size() - offset);
        out_.u16(currentId);
        out_.u16(static_cast<uint16_t>(length));
        out_.raw(payload.constData() + offset, length);
        offset += length;
        currentId = record::Continue;
    } while (offset < payload.size());
}

void RecordWriter::end() {
    const int length = out_.size() - lengthAt_ - 2;
    if (lengthAt_ < 0 || length > kMaxRecordData)
        throw frame::Failure(QStringLiteral("A record is too long to be saved in this file format."));
    out_.patch16(lengthAt_, static_cast<uint16_t>(length));
    lengthAt_ = -1;
}

void RecordWriter::u16Record(uint16_t id, uint16_t value) {
    ByteWriter payload;
    payload.u16(value);
    write(id, payload);
}

void RecordWriter::f64Record(uint16_t id, double value) {
    ByteWriter payload;
    payload.f64(value);
    write(id, payload);
}

// ---------------------------------------------------------------- reading

RecordCursor::RecordCursor(std::span<const uint8_t> stream, size_t start)
    : stream_(stream), pos_(std::min(start, stream.size())) {}

void RecordCursor::endsInRecord() {
    throw frame::Failure(QStringLiteral("The workbook file is damaged: it ends in the middle of a record."));
}

void RecordCursor::runsPastEnd() {
    throw frame::Failure(QStringLiteral("The workbook file is damaged: a record runs past the end of the file."));
}

uint16_t RecordCursor::peekId() const {
    if (atEnd()) return 0;
    return static_cast<uint16_t>(stream_[pos_] | (stream_[pos_ + 1] << 8));
}

std::vector<std::span<const uint8_t>> withContinues(const Record& first, RecordCursor& cursor) {
    std::vector<std::span<const uint8_t>> segments{first.data};
    while (cursor.peekId() == record::Continue) segments.push_back(cursor.next().data);
    return segments;
}

ContinuedReader::ContinuedReader(std::vector<std::span<const uint8_t>> segments) : segments_(std::move(segments)) {
    for (const auto& segment : segments_) total_ += segment.size();
}

size_t ContinuedReader::segmentRemaining() {
    return segment_ < segments_.size() ? segments_[segment_].size() - pos_ : 0;
}

bool ContinuedReader::nextSegment() {
    if (segment_ >= segments_.size()) return false;
    before_ += segments_[segment_].size();
    ++segment_;
    pos_ = 0;
    return segment_ < segments_.size();
}

bool ContinuedReader::atEnd() {
    while (segment_ < segments_.size() && segmentRemaining() == 0) nextSegment();
    return segment_ >= segments_.size();
}

uint8_t ContinuedReader::u8AcrossSegments() {
    if (atEnd()) throw frame::Failure(QStringLiteral("The workbook file is damaged: the shared strings are cut short."));
    return segments_[segment_][pos_++];
}

uint32_t ContinuedReader::u32() {
    const uint32_t lo = u16();
    return lo | (static_cast<uint32_t>(u16()) << 16);
}

void ContinuedReader::skip(size_t count) {
    while (count > 0) {
        if (atEnd()) throw frame::Failure(QStringLiteral("The workbook file is damaged: the shared strings are cut short."));
        const size_t step = std::min(count, segmentRemaining());
        pos_ += step;
        count -= step;
    }
}

QString ContinuedReader::characters(uint32_t count, bool wide) {
    // Most texts lie whole in one segment: their characters are copied in one go.
    if (const size_t bytes = size_t(count) * (wide ? 2 : 1); count > 0 && bytes <= segmentRemaining()) {
        const uint8_t* from = segments_[segment_].data() + pos_;
        pos_ += bytes;
        if (!wide) return QString::fromLatin1(reinterpret_cast<const char*>(from), static_cast<qsizetype>(count));
        QString text(static_cast<qsizetype>(count), Qt::Uninitialized);
        QChar* out = text.data();
        for (uint32_t i = 0; i < count; ++i) out[i] = QChar(static_cast<char16_t>(from[2 * i] | (from[2 * i + 1] << 8)));
        return text;
    }
    // Never make room for more than the bytes that are actually there; every
    // character takes one byte at least, so a text that fits fills the room.
    const size_t available = total_ - before_ - pos_;
    QString text(static_cast<qsizetype>(std::min<size_t>(count, available)), Qt::Uninitialized);
    QChar* out = text.data();
    while (count > 0) {
        if (segmentRemaining() == 0) {
            // Character data goes on in the next CONTINUE, which starts with a fresh option byte.
            if (!nextSegment()) throw frame::Failure(QStringLiteral("The workbook file is damaged: the shared strings are cut short."));
            if (segmentRemaining() == 0) continue;
            wide = (segments_[segment_][pos_++] & 0x01) != 0;
            continue;
        }
        const auto& seg = segments_[segment_];
        if (wide) {
            if (segmentRemaining() < 2) throw frame::Failure(QStringLiteral("The workbook file is damaged: a text is split inside a character."));
            *out++ = QChar(static_cast<char16_t>(seg[pos_] | (seg[pos_ + 1] << 8)));
            pos_ += 2;
        } else {
            *out++ = QChar(static_cast<char16_t>(seg[pos_]));
            pos_ += 1;
        }
        --count;
    }
    return text;
}

}  // namespace brevanta::xls
