// The text decoding takes any bytes and gives a text: every byte of an
// input without a byte-order mark that is not UTF-8 is one character, and
// a text that came as UTF-8 goes back to the same bytes.

#include <cstddef>
#include <cstdint>

#include "frame/text_decoding.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QByteArrayView bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    const brevanta::frame::DecodedText decoded = brevanta::frame::decodeText(bytes);
    using brevanta::frame::TextEncoding;
    if (decoded.encoding == TextEncoding::Windows1252 && decoded.text.size() != bytes.size()) __builtin_trap();
    if (decoded.encoding == TextEncoding::Utf8 && decoded.text.toUtf8() != bytes) __builtin_trap();
    if (brevanta::frame::encodingName(decoded.encoding).isEmpty()) __builtin_trap();
    return 0;
}
