// Every class of character against the two ways a file holds text.

#include <gtest/gtest.h>

#include "frame/text_safety.h"

namespace brevanta::frame {
namespace {

QString units(std::initializer_list<char16_t> codes) {
    QString text;
    for (char16_t code : codes) text += QChar(code);
    return text;
}

TEST(TextSafety, EachKindOfCharacterHasItsDefinedForm) {
    const QString replacement = units({0xFFFD});
    struct Case {
        const char* kind;
        QString text, unicode, xml;
    };
    const Case cases[] = {
        {"ASCII", "Rent 12", "Rent 12", "Rent 12"},
        {"Latin-1", units({0xE9, 0xFF}), units({0xE9, 0xFF}), units({0xE9, 0xFF})},
        {"BMP", units({0x6771, 0x20AC}), units({0x6771, 0x20AC}), units({0x6771, 0x20AC})},
        {"astral pair", units({0xD83D, 0xDE00}), units({0xD83D, 0xDE00}), units({0xD83D, 0xDE00})},
        {"lone high", units({u'a', 0xD83D, u'b'}), "a" + replacement + "b", "a" + replacement + "b"},
        {"lone low", units({u'a', 0xDE00}), "a" + replacement, "a" + replacement},
        // Long texts are looked at several units at a time: a surrogate late in one.
        {"lone high, ninth", "Rent paid" + units({0xD83D}) + "!", "Rent paid" + replacement + "!",
         "Rent paid" + replacement + "!"},
        {"euro, then lone low", units({u'1', 0x20AC, u' ', u'a', u'b', u'c', 0xDE00}),
         units({u'1', 0x20AC, u' ', u'a', u'b', u'c', 0xFFFD}), units({u'1', 0x20AC, u' ', u'a', u'b', u'c', 0xFFFD})},
        {"low before high", units({0xDE00, 0xD83D}), replacement + replacement, replacement + replacement},
        {"U+FFFE, U+FFFF", units({0xFFFE, 0xFFFF}), replacement + replacement, replacement + replacement},
        {"U+FDD0, U+FDEF", units({0xFDD0, 0xFDEF, 0xFDF0}), replacement + replacement + units({0xFDF0}),
         replacement + replacement + units({0xFDF0})},
        {"U+1FFFE, U+10FFFF", units({0xD83F, 0xDFFE, 0xDBFF, 0xDFFF}), replacement + replacement,
         replacement + replacement},
        {"NUL", units({u'a', 0, u'b'}), units({u'a', 0, u'b'}), "a_x0000_b"},
        {"C0 controls", units({1, 8, 0x0B, 0x1F}), units({1, 8, 0x0B, 0x1F}), "_x0001__x0008__x000B__x001F_"},
        {"tab, line feed, return", "a\tb\nc\r", "a\tb\nc\r", "a\tb\nc\r"},
        {"DEL, C1", units({0x7F, 0x80, 0x9F}), units({0x7F, 0x80, 0x9F}), units({0x7F, 0x80, 0x9F})},
        {"a literal escape", "_x0041_", "_x0041_", "_x005F_x0041_"},
        {"escapes side by side", "_x0041_x0042_", "_x0041_x0042_", "_x005F_x0041_x005F_x0042_"},
        {"no escape", "_x41_ _xZZZZ_ x_", "_x41_ _xZZZZ_ x_", "_x41_ _xZZZZ_ x_"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.kind);
        EXPECT_EQ(textSafeFor(c.text, TextFormat::Unicode), c.unicode);
        EXPECT_EQ(textSafeFor(c.text, TextFormat::Xml), c.xml);
    }
}

}  // namespace
}  // namespace brevanta::frame
