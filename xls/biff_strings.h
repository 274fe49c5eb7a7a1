#pragma once
// The two unicode string layouts records use outside the shared-string
// table: a length (one or two bytes), an option byte (0 = one byte per
// character, 1 = UTF-16), then the characters.

#include <QString>

#include "xls/byte_buffer.h"

namespace brevanta::xls {

// At most `units` UTF-16 code units of `text`, cut before a character rather
// than inside it: a surrogate pair is kept whole or left out whole.
QString leftWholeCharacters(const QString& text, qsizetype units);

// True when every character fits the one-byte form.
bool fitsCompressed(const QString& text);

// True when some UTF-16 unit of `text` has a bit of `mask` set.
bool anyUnitHasBits(const QString& text, char16_t mask);

void writeUnicodeString(ByteWriter& out, const QString& text);       // two-byte length
void writeShortUnicodeString(ByteWriter& out, const QString& text);  // one-byte length (at most 255)
// Characters and option byte only, for layouts whose length field stands elsewhere.
void writeOptionAndCharacters(ByteWriter& out, const QString& text);

QString readUnicodeString(ByteReader& in);
QString readShortUnicodeString(ByteReader& in);
QString readCharacters(ByteReader& in, int count);  // reads the option byte first

}  // namespace brevanta::xls
