#include "xls/biff_strings.h"

namespace brevanta::xls {

QString leftWholeCharacters(const QString& text, qsizetype units) {
    if (text.size() <= units) return text;
    if (units > 0 && text.at(units - 1).isHighSurrogate() && text.at(units).isLowSurrogate()) --units;
    return text.left(units);
}

bool fitsCompressed(const QString& text) {
    // Every unit looked at, without stopping early: the loop runs many units at a time.
    const char16_t* units = reinterpret_cast<const char16_t*>(text.constData());
    char16_t high = 0;
    for (qsizetype i = 0, n = text.size(); i < n; ++i) high |= units[i];
    return high <= 0xFF;
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
