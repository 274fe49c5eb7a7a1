#include "frame/text_decoding.h"

#include <QStringDecoder>

namespace brevanta::frame {
namespace {

// Windows-1252 bytes 0x80..0x9F; the five holes read as the C1 controls.
constexpr char16_t kWindows1252High[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

QString fromWindows1252(const QByteArray& bytes) {
    QString text(bytes.size(), Qt::Uninitialized);
    QChar* out = text.data();
    for (const char byte : bytes) {
        const auto value = static_cast<unsigned char>(byte);
        *out++ = QChar(value >= 0x80 && value < 0xA0 ? kWindows1252High[value - 0x80] : char16_t(value));
    }
    return text;
}

QString decodeStrictly(QStringDecoder::Encoding encoding, const QByteArray& bytes, bool* valid) {
    QStringDecoder decoder(encoding, QStringDecoder::Flag::Stateless);
    QString text = decoder.decode(bytes);
    *valid = !decoder.hasError();
    return text;
}

}  // namespace

QString decodeText(const QByteArray& bytes) {
    bool valid = false;
    if (bytes.startsWith("\xEF\xBB\xBF")) return decodeStrictly(QStringDecoder::Utf8, bytes.mid(3), &valid);
    if (bytes.startsWith("\xFF\xFE")) return decodeStrictly(QStringDecoder::Utf16LE, bytes.mid(2), &valid);
    if (bytes.startsWith("\xFE\xFF")) return decodeStrictly(QStringDecoder::Utf16BE, bytes.mid(2), &valid);
    QString text = decodeStrictly(QStringDecoder::Utf8, bytes, &valid);
    return valid ? text : fromWindows1252(bytes);
}

}  // namespace brevanta::frame
