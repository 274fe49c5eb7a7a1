#include "frame/text_safety.h"

#include <cstdint>
#include <cstring>

namespace brevanta::frame {
namespace {

constexpr char16_t kReplacement = 0xFFFD;

bool isXmlControl(char16_t unit) { return unit < 0x20 && unit != u'\t' && unit != u'\n' && unit != u'\r'; }

bool isHexDigit(QChar c) {
    return (c >= u'0' && c <= u'9') || (c >= u'A' && c <= u'F') || (c >= u'a' && c <= u'f');
}

// "_xHHHH_" at `at`: what a reader of the .xlsx would turn into one character.
bool isXmlEscapeAt(const QString& text, qsizetype at) {
    if (at + 7 > text.size() || text[at] != u'_' || text[at + 1] != u'x' || text[at + 6] != u'_') return false;
    for (qsizetype i = at + 2; i < at + 6; ++i)
        if (!isHexDigit(text[i])) return false;
    return true;
}

QString escapeCode(char16_t unit) {
    return QStringLiteral("_x") + QString::number(unsigned(unit), 16).toUpper().rightJustified(4, u'0') + u'_';
}

}  // namespace

bool isNonCharacter(char32_t codePoint) {
    return (codePoint >= 0xFDD0 && codePoint <= 0xFDEF) || (codePoint & 0xFFFE) == 0xFFFE;
}

bool mayNeedMapping(const QString& text, TextFormat format) {
    if (format == TextFormat::Unicode) {
        // Only surrogates and the non-characters at the top of the plane need
        // a look. Four units at a time first: nearly every text has none from
        // U+0800 up, and writers ask this of every text cell they save.
        const char16_t* units = reinterpret_cast<const char16_t*>(text.constData());
        const qsizetype n = text.size();
        qsizetype i = 0;
        constexpr uint64_t kFromU0800 = 0xF800F800F800F800ULL;
        for (; i + 4 <= n; i += 4) {
            uint64_t four;
            std::memcpy(&four, units + i, sizeof four);
            if (four & kFromU0800) break;
        }
        bool high = false;
        for (; i < n; ++i) high |= units[i] >= 0xD800;
        return high;
    }
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (c.unicode() >= 0xD800 || (format == TextFormat::Xml && (isXmlControl(c.unicode()) || c == u'_')))
            return true;  // looked at closely by textSafeFor
    }
    return false;
}

QString textSafeFor(const QString& text, TextFormat format) {
    if (!mayNeedMapping(text, format)) return text;
    QString safe;
    safe.reserve(text.size() + 8);
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t unit = text[i].unicode();
        if (QChar::isHighSurrogate(unit) && i + 1 < text.size() && QChar::isLowSurrogate(text[i + 1].unicode())) {
            const char32_t codePoint = QChar::surrogateToUcs4(unit, text[i + 1].unicode());
            if (isNonCharacter(codePoint)) {
                safe += QChar(kReplacement);
            } else {
                safe += text[i];
                safe += text[i + 1];
            }
            ++i;
        } else if (QChar::isSurrogate(unit) || isNonCharacter(unit)) {
            safe += QChar(kReplacement);
        } else if (format == TextFormat::Xml && isXmlControl(unit)) {
            safe += escapeCode(unit);
        } else if (format == TextFormat::Xml && isXmlEscapeAt(text, i)) {
            // The underscore escaped; the closing one may open the next escape.
            safe += QStringLiteral("_x005F_");
            safe += text.mid(i + 1, 5);
            i += 5;
        } else {
            safe += QChar(unit);
        }
    }
    return safe;
}

}  // namespace brevanta::frame
