#include "xls/biff_strings.h"

#include <cstring>

namespace brevanta::xls {

QString leftWholeCharacters(const QString& text, qsizetype units) {
    if (text.size() <= units) return text;
    if (units > 0 && text.at(units - 1).isHighSurrogate() && text.at(units).isLowSurrogate()) --units;
    return text.left(units);
}

bool fitsCompressed(const QString& text) { return !anyUnitHasBits(text, 0xFF00); }

bool anyUnitHasBits(const QString& text, char16_t mask) {
    // Four units at a time: every text cell of a saved sheet is looked at so.
    const char16_t* at = reinterpret_cast<const char16_t*>(text.constData());
    size_t left = static_cast<size_t>(text.size());
    const uint64_t masks = mask * 0x0001000100010001ULL;
    for (; left >= 4; left -= 4, at += 4) {
        uint64_t units;
        std::memcpy(&units, at, 8);
        if (units & masks) return true;
    }
    for (; left > 0; --left, ++at)
        if (*at & mask) return true;
    return false;
}

void writeOptionAndCharacters(ByteWriter& out, const QString& text) {
    if (fitsCompressed(text)) {
        out.u8(0x00);
        for (QChar c : text) out.u8(static_cast<uint8_t>(c.unicode()));
    } else {
        out.u8(0x01);
        for (QChar c : text) out.u16(c.unicode());
    }
}

void writeUnicodeString(ByteWriter& out, const QString& text) {
    out.u16(static_cast<uint16_t>(text.size()));
    writeOptionAndCharacters(out, text);
}

void writeShortUnicodeString(ByteWriter& out, const QString& text) {
    const QString cut = leftWholeCharacters(text, 255);
    out.u8(static_cast<uint8_t>(cut.size()));
    writeOptionAndCharacters(out, cut);
}

QString readCharacters(ByteReader& in, int count) {
    const uint8_t option = in.u8();
    const bool wide = option & 0x01;
    QString text;
    if (static_cast<size_t>(count) * (wide ? 2 : 1) > in.remaining()) in.skip(in.remaining() + 1);
    text.reserve(count);
    for (int i = 0; i < count; ++i) text.append(QChar(static_cast<char16_t>(wide ? in.u16() : in.u8())));
    return text;
}

QString readUnicodeString(ByteReader& in) { return readCharacters(in, in.u16()); }

QString readShortUnicodeString(ByteReader& in) { return readCharacters(in, in.u8()); }

}  // namespace brevanta::xls
