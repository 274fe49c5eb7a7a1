#include <gtest/gtest.h>

#include "app/terminal_text.h"

using brevanta::app::terminalText;

// C0 controls, DEL and the one-character CSI of C1 are shown; line breaks,
// tabs, a backslash and characters beyond Latin-1 are kept.
TEST(TerminalText, ControlCharactersAreShownEscaped) {
    EXPECT_EQ(terminalText(QStringLiteral("a\x1b[2Jb")), QStringLiteral("a\\x1b[2Jb"));
    EXPECT_EQ(terminalText(QStringLiteral("over\rwrite\x07\x7f")), QStringLiteral("over\\x0dwrite\\x07\\x7f"));
    EXPECT_EQ(terminalText(QString(QChar(0x9b)) + QStringLiteral("2J")), QStringLiteral("\\x9b2J"));
    EXPECT_EQ(terminalText(QString(QChar(0)) + QStringLiteral("x")), QStringLiteral("\\x00x"));
    const QString kept = QStringLiteral("line 1\n\tC:\\path \u00e9\u20ac ") + QString::fromUcs4(U"\U0001F600");
    EXPECT_EQ(terminalText(kept), kept);
}
