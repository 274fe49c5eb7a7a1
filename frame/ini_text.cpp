#include "frame/ini_text.h"

#include <QList>
#include <optional>
#include <QStringEncoder>

namespace brevanta::frame {
namespace {

constexpr char kHexDigits[] = "0123456789ABCDEF";

bool isHexDigit(char16_t c) { return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F'); }

bool isAsciiLetterOrDigit(char16_t c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9'); }

int hexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

// The name a group header or key stands for: "%XX" and "%UXXXX" decoded, "\" read as "/".
QString unescapedName(QByteArrayView escaped) {
    QString name;
    for (qsizetype i = 0; i < escaped.size(); ++i) {
        const char c = escaped[i];
        if (c == '\\') {
            name += u'/';
        } else if (c == '%' && i + 5 < escaped.size() && escaped[i + 1] == 'U') {
            int code = 0;
            bool valid = true;
            for (int k = 2; k < 6 && valid; ++k) {
                const int digit = hexValue(escaped[i + k]);
                valid = digit >= 0;
                code = code * 16 + digit;
            }
            if (!valid) { name += u'%'; continue; }
            name += QChar(char16_t(code));
            i += 5;
        } else if (c == '%' && i + 2 < escaped.size() && hexValue(escaped[i + 1]) >= 0 && hexValue(escaped[i + 2]) >= 0) {
            name += QChar(char16_t(hexValue(escaped[i + 1]) * 16 + hexValue(escaped[i + 2])));
            i += 2;
        } else {
            name += QLatin1Char(c);
        }
    }
    return name;
}

// One logical line of the file: its bytes (continuation lines included) and
// its text without the line end.
struct Line {
    qsizetype start = 0;
    qsizetype end = 0;  // just past the line end
    QByteArrayView text;
};

QList<Line> splitLines(const QByteArray& ini) {
    QList<Line> lines;
    qsizetype start = 0;
    while (start < ini.size()) {
        qsizetype end = start;
        qsizetype textEnd = start;
        while (true) {
            qsizetype newline = ini.indexOf('\n', end);
            if (newline < 0) newline = ini.size();
            textEnd = newline;
            if (textEnd > end && ini[textEnd - 1] == '\r') --textEnd;
            end = newline < ini.size() ? newline + 1 : newline;
            // An odd run of backslashes before the line end carries the line on.
            qsizetype backslashes = 0;
            while (textEnd - backslashes > start && ini[textEnd - backslashes - 1] == '\\') ++backslashes;
            if (backslashes % 2 == 0 || end >= ini.size()) break;
        }
        lines.push_back({start, end, QByteArrayView(ini).sliced(start, textEnd - start)});
        start = end;
    }
    return lines;
}

QByteArrayView trimmed(QByteArrayView text) {
    while (!text.isEmpty() && (text.front() == ' ' || text.front() == '\t')) text = text.sliced(1);
    while (!text.isEmpty() && (text.back() == ' ' || text.back() == '\t')) text.chop(1);
    return text;
}

// The group a header line opens, or nothing when the line is no header.
std::optional<QString> headerGroup(QByteArrayView text) {
    text = trimmed(text);
    if (!text.startsWith('[')) return std::nullopt;
    qsizetype close = text.lastIndexOf(']');
    if (close < 0) close = text.size();
    return unescapedName(text.sliced(1, close - 1));
}

std::optional<QString> lineKey(QByteArrayView text) {
    const qsizetype equals = text.indexOf('=');
    if (equals < 0) return std::nullopt;
    return unescapedName(trimmed(text.first(equals)));
}

}  // namespace

QByteArray iniKey(const QString& name) {
    QByteArray result;
    result.reserve(name.size() * 3 / 2);
    for (QChar qc : name) {
        const char16_t c = qc.unicode();
        if (c == '/') {
            result += '\\';
        } else if (isAsciiLetterOrDigit(c) || c == '_' || c == '-' || c == '.') {
            result += char(c);
        } else if (c <= 0xFF) {
            result += '%';
            result += kHexDigits[c / 16];
            result += kHexDigits[c % 16];
        } else {
            result += "%U";
            for (int shift = 12; shift >= 0; shift -= 4) result += kHexDigits[(c >> shift) & 0xF];
        }
    }
    return result;
}

QByteArray iniTextValue(const QString& text) {
    // QSettings marks texts it could mistake for its own "@" forms.
    QString marked = text;
    if (text.contains(QChar(u'\0'))) marked = QStringLiteral("@String(") + text + u')';
    else if (text.startsWith(u'@')) marked = u'@' + text;
    const bool asUtf8 = !marked.startsWith(QLatin1String("@ByteArray(")) &&
                        !marked.startsWith(QLatin1String("@Variant(")) &&
                        !marked.startsWith(QLatin1String("@DateTime("));

    // Written through a pointer into room for the worst case (six bytes a
    // character, "\\xffff"): appending byte by byte costs more than the rest.
    QByteArray result(marked.size() * 6, Qt::Uninitialized);
    char* out = result.data();
    QStringEncoder toUtf8(QStringEncoder::Utf8);
    bool needsQuotes = false;
    bool escapeNextIfHexDigit = false;
    bool surrogatePending = false;
    auto put = [&out](const char* text) {
        while (*text) *out++ = *text++;
    };
    auto hexEscape = [&](char16_t c) {
        put("\\x");
        bool leading = true;
        for (int shift = 12; shift >= 0; shift -= 4) {
            const int digit = (c >> shift) & 0xF;
            if (leading && digit == 0 && shift > 0) continue;
            leading = false;
            *out++ = "0123456789abcdef"[digit];
        }
    };
    for (QChar qc : std::as_const(marked)) {
        const char16_t c = qc.unicode();
        if (c == ';' || c == ',' || c == '=') needsQuotes = true;
        if (c >= 0x20 && c < 0x7F && c != '"' && c != '\\' && !surrogatePending &&
            !(escapeNextIfHexDigit && isHexDigit(c))) {
            // The common case: a printable ASCII character stands for itself.
            escapeNextIfHexDigit = false;
            *out++ = char(c);
            continue;
        }
        // After "\\x.." a following hex digit would run into the escape.
        if (escapeNextIfHexDigit && isHexDigit(c)) {
            hexEscape(c);
            continue;
        }
        escapeNextIfHexDigit = false;
        switch (c) {
        case '\0': put("\\0"); escapeNextIfHexDigit = true; break;
        case '\a': put("\\a"); break;
        case '\b': put("\\b"); break;
        case '\f': put("\\f"); break;
        case '\n': put("\\n"); break;
        case '\r': put("\\r"); break;
        case '\t': put("\\t"); break;
        case '\v': put("\\v"); break;
        case '"': put("\\\""); break;
        case '\\': put("\\\\"); break;
        default:
            if (c <= 0x1F || (c >= 0x7F && !asUtf8)) {
                hexEscape(c);
                escapeNextIfHexDigit = true;
            } else {
                // One character at a time, as QSettings does: a surrogate
                // waits in the encoder for the next character, and is
                // dropped if an escape comes between.
                out = toUtf8.appendToBuffer(out, QStringView(&qc, 1));
                surrogatePending = qc.isSurrogate();
            }
        }
    }
    result.truncate(out - result.constData());
    if (needsQuotes || (!result.isEmpty() && (result.front() == ' ' || result.back() == ' '))) {
        result.prepend('"');
        result += '"';
    }
    return result;
}

QByteArray withIniTextValue(const QByteArray& ini, const QString& group, const QString& key, const QString& value) {
    const QByteArray keyLine = iniKey(key) + '=' + iniTextValue(value) + '\n';
    const QList<Line> lines = splitLines(ini);

    QByteArray result;
    result.reserve(ini.size() + keyLine.size());
    bool inGroup = false;
    bool written = false;
    qsizetype groupContentEnd = -1;  // in `result`, after the first group's last non-blank line
    for (const Line& line : lines) {
        if (const auto opened = headerGroup(line.text)) {
            if (inGroup && !written) {
                result.insert(groupContentEnd, keyLine);
                written = true;
            }
            inGroup = *opened == group;
        } else if (inGroup && lineKey(line.text) == key) {
            if (!written) {
                result += keyLine;
                written = true;
            }
            continue;  // a repeat of the key would shadow the value just written
        }
        result += QByteArrayView(ini).sliced(line.start, line.end - line.start);
        if (!line.text.isEmpty() && !result.endsWith('\n')) result += '\n';
        if (inGroup && !written && !trimmed(line.text).isEmpty()) groupContentEnd = result.size();
    }
    if (inGroup && !written) {
        result.insert(groupContentEnd, keyLine);
        written = true;
    }
    if (!written) {
        if (!result.isEmpty()) {
            if (!result.endsWith('\n')) result += '\n';
            if (!result.endsWith("\n\n")) result += '\n';
        }
        result += '[' + iniKey(group) + "]\n" + keyLine;
    }
    return result;
}

}  // namespace brevanta::frame
