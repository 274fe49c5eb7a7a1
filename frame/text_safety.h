#pragma once
// Characters a file format cannot hold, mapped to a defined replacement
// before any writer sees them: one routine for the .xls, the .xlsx, the
// CSV and the PDF, so that no text in the list can make a file unreadable.
//
// Every format: a lone surrogate and a non-character (U+FFFE, U+FFFF, the
// last two of every plane, U+FDD0 to U+FDEF) become U+FFFD.
// Xml (.xlsx): a control character XML 1.0 cannot hold (U+0000 to U+001F
// but tab, line feed and carriage return) becomes _xHHHH_, the escape the
// format reads back as the character; a text that already holds _xHHHH_
// has its underscore escaped (_x005F_), so it reads back as written.

#include <QString>

namespace brevanta::frame {

enum class TextFormat {
    Unicode,  // .xls (UTF-16), CSV (UTF-8), PDF
    Xml,      // .xlsx
};

bool isNonCharacter(char32_t codePoint);

// False when `format` can certainly hold `text` as it is: a quick look for
// writers of many cells, before asking textSafeFor.
bool mayNeedMapping(const QString& text, TextFormat format);

// `text` as `format` can hold it; the same QString (no copy) when nothing changes.
QString textSafeFor(const QString& text, TextFormat format);

}  // namespace brevanta::frame
