#pragma once
// Text files from elsewhere (saved lists, CSV exports of banks and other
// programs) come in whatever encoding their writer used. One rule reads
// them all: a UTF-8 or UTF-16 byte-order mark decides (and is dropped);
// otherwise bytes that are valid UTF-8 are UTF-8, and anything else is
// Windows-1252, the encoding such exports use when they are not UTF-8.

#include <QByteArrayView>
#include <QString>

namespace brevanta::frame {

enum class TextEncoding { Utf8, Utf8WithMark, Utf16LittleEndian, Utf16BigEndian, Windows1252 };

struct DecodedText {
    QString text;
    TextEncoding encoding = TextEncoding::Utf8;
};

// Never fails: every byte sequence gives a text.
DecodedText decodeText(QByteArrayView bytes);

// The encoding's name for messages: "UTF-8", "UTF-16", "Windows-1252".
QString encodingName(TextEncoding encoding);

}  // namespace brevanta::frame
