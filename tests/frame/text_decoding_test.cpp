#include <gtest/gtest.h>

#include "frame/text_decoding.h"

using brevanta::frame::decodeText;
using brevanta::frame::TextEncoding;

namespace {

TEST(TextDecoding, AByteOrderMarkDecidesAndIsDropped) {
    const auto utf8 = decodeText("\xEF\xBB\xBF" "Caf\xC3\xA9");
    EXPECT_EQ(utf8.text, QStringLiteral("Café"));
    EXPECT_EQ(utf8.encoding, TextEncoding::Utf8WithMark);

    const auto little = decodeText(QByteArray("\xFF\xFE" "D\0a\0t\0e\0\xE9\0", 12));
    EXPECT_EQ(little.text, QStringLiteral("Dateé"));
    EXPECT_EQ(little.encoding, TextEncoding::Utf16LittleEndian);

    // A character outside the basic plane, as a surrogate pair, big-endian.
    const auto big = decodeText(QByteArray("\xFE\xFF\0A\xD8\x3D\xDE\x00", 8));
    EXPECT_EQ(big.text, QString::fromUtf8("A\xF0\x9F\x98\x80"));
    EXPECT_EQ(big.encoding, TextEncoding::Utf16BigEndian);
}

TEST(TextDecoding, ValidUtf8IsUtf8AndAnythingElseWindows1252) {
    EXPECT_EQ(decodeText("").text, QString());
    EXPECT_EQ(decodeText("plain,ascii\r\n").encoding, TextEncoding::Utf8);
    const auto utf8 = decodeText("Cr\xC3\xA8me \xE2\x82\xAC 5 \xF0\x9F\x98\x80");
    EXPECT_EQ(utf8.text, QString::fromUtf8("Crème € 5 \xF0\x9F\x98\x80"));
    EXPECT_EQ(utf8.encoding, TextEncoding::Utf8);

    // A bank export: é, the euro sign, curly quotes and the dash of Windows-1252.
    const auto bank = decodeText("Caf\xE9,\x80 5,\x93quoted\x94 \x96 x,\x81");
    EXPECT_EQ(bank.encoding, TextEncoding::Windows1252);
    EXPECT_EQ(bank.text, QStringLiteral("Café,€ 5,\u201Cquoted\u201D \u2013 x,\u0081"));

    // Broken UTF-8 (overlong, a lone continuation, a cut sequence at the end) is not UTF-8.
    for (const QByteArray& bytes : {QByteArray("\xC0\xAF"), QByteArray("a\x80"), QByteArray("ok \xE2\x82"),
                                    QByteArray("\xED\xA0\x80")}) {
        const auto decoded = decodeText(bytes);
        EXPECT_EQ(decoded.encoding, TextEncoding::Windows1252) << bytes.toHex().toStdString();
        EXPECT_EQ(decoded.text.size(), bytes.size());  // one character a byte, nothing lost
    }
}

}  // namespace
