#include "frame/text_decoding.h"

#include <QStringDecoder>

namespace brevanta::frame {
namespace {

// Windows-1252 where it differs from Latin-1 (0x80 to 0x9F). The five bytes
// it leaves undefined read as the control characters of the same value.
constexpr char16_t kWindows1252High[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
};

QString fromWindows1252(QByteArrayView bytes) {
    QString text(bytes.size(), Qt::Uninitialized);
    QChar* out = text.data();
    for (const char byte : bytes) {
        const auto value = static_cast<unsigned char>(byte);
        *out++ = QChar(value >= 0x80 && value < 0xA0 ? kWindows1252High[value - 0x80] : char16_t(value));
    }
    return text;
}

QString decodeWith(QStringDecoder::Encoding encoding, QByteArrayView bytes, bool* valid = nullptr) {
    QStringDecoder decoder(encoding, QStringDecoder::Flag::Stateless);
    QString text = decoder.decode(bytes);
    if (valid) *valid = !decoder.hasError();
    return text;
}

}  // namespace

DecodedText decodeText(QByteArrayView bytes) {
    if (bytes.startsWith("\xEF\xBB\xBF"))
        return {decodeWith(QStringDecoder::Utf8, bytes.sliced(3)), TextEncoding::Utf8WithMark};
    if (bytes.startsWith("\xFF\xFE"))
        return {decodeWith(QStringDecoder::Utf16LE, bytes.sliced(2)), TextEncoding::Utf16LittleEndian};
    if (bytes.startsWith("\xFE\xFF"))
        return {decodeWith(QStringDecoder::Utf16BE, bytes.sliced(2)), TextEncoding::Utf16BigEndian};
    bool valid = false;
    QString text = decodeWith(QStringDecoder::Utf8, bytes, &valid);
    if (valid) return {std::move(text), TextEncoding::Utf8};
    return {fromWindows1252(bytes), TextEncoding::Windows1252};
}

QString encodingName(TextEncoding encoding) {
    switch (encoding) {
    case TextEncoding::Utf8:
    case TextEncoding::Utf8WithMark: return QStringLiteral("UTF-8");
    case TextEncoding::Utf16LittleEndian:
    case TextEncoding::Utf16BigEndian: return QStringLiteral("UTF-16");
    case TextEncoding::Windows1252: return QStringLiteral("Windows-1252");
    }
    return {};
}

}  // namespace brevanta::frame
