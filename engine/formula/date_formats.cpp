#include "engine/formula/date_formats.h"

#include <QDate>
#include <cmath>
#include <vector>

#include "engine/formula/display_format.h"

namespace brevanta::engine {

namespace {

// A literal character of a format: plain when the spreadsheet leaves it alone, escaped otherwise.
QString formatLiteral(QChar c) {
    static const QString plain = QStringLiteral("/-.:, ");
    if (plain.contains(c)) return QString(c);
    return QStringLiteral("\\") + c;
}

// Qt's date/time pattern letters turned into the spreadsheet's.
QString convertPattern(const QString& pattern, bool& twelveHour) {
    QString out;
    qsizetype i = 0;
    while (i < pattern.size()) {
        const QChar c = pattern[i];
        qsizetype run = 1;
        while (i + run < pattern.size() && pattern[i + run] == c) ++run;
        if (c == QLatin1Char('\'')) {
            // Quoted literal text ('' is a quote).
            qsizetype j = i + 1;
            QString literal;
            while (j < pattern.size()) {
                if (pattern[j] == QLatin1Char('\'')) {
                    if (j + 1 < pattern.size() && pattern[j + 1] == QLatin1Char('\'')) {
                        literal += QLatin1Char('\'');
                        j += 2;
                        continue;
                    }
                    break;
                }
                literal += pattern[j++];
            }
            for (QChar l : literal) out += formatLiteral(l);
            i = j + 1;
            continue;
        }
        if (c == QLatin1Char('d')) out += QString(std::min<qsizetype>(run, 4), QLatin1Char('d'));
        else if (c == QLatin1Char('M') || c == QLatin1Char('L')) out += QString(std::min<qsizetype>(run, 4), QLatin1Char('m'));
        else if (c == QLatin1Char('y')) out += QStringLiteral("yyyy");
        else if (c == QLatin1Char('h') || c == QLatin1Char('H')) out += run >= 2 ? QStringLiteral("hh") : QStringLiteral("h");
        else if (c == QLatin1Char('m')) out += QStringLiteral("mm");
        else if (c == QLatin1Char('s')) out += QStringLiteral("ss");
        else if (c == QLatin1Char('a') || c == QLatin1Char('A')) {
            twelveHour = true;
            if (i + 1 < pattern.size() && (pattern[i + 1] == QLatin1Char('p') || pattern[i + 1] == QLatin1Char('P'))) ++run;
        } else if (c == QLatin1Char('t') || c == QLatin1Char('z')) {
            // time zone and milliseconds have no place in a cell format
        } else {
            for (qsizetype k = 0; k < run; ++k) out += c.isSpace() ? QString(QLatin1Char(' ')) : formatLiteral(c);
        }
        i += run;
    }
    return out.trimmed();
}

QString timeFormat(const QLocale& locale, bool withSeconds) {
    bool twelveHour = false;
    QString time = convertPattern(locale.timeFormat(QLocale::ShortFormat), twelveHour);
    if (time.isEmpty()) time = QStringLiteral("h:mm");
    if (withSeconds && !time.contains(QLatin1String("ss"))) {
        const qsizetype minutes = time.indexOf(QLatin1String("mm"));
        if (minutes >= 0) time.insert(minutes + 2, QStringLiteral(":ss"));
    }
    if (twelveHour) time += QStringLiteral(" AM/PM");
    return time;
}

struct Token {
    enum class Kind { Literal, Day, Month, Year, Hour, Minute, Second, AmPm } kind;
    int width = 0;
    QString text;
};

// Splits a date/time format into its parts; "m" after an hour or before a second means minutes.
std::vector<Token> tokenize(const QString& format) {
    std::vector<Token> tokens;
    qsizetype i = 0;
    while (i < format.size()) {
        const QChar c = format[i];
        const QChar lower = c.toLower();
        if (c == QLatin1Char('"')) {
            qsizetype j = i + 1;
            QString literal;
            while (j < format.size() && format[j] != QLatin1Char('"')) literal += format[j++];
            tokens.push_back({Token::Kind::Literal, 0, literal});
            i = j + 1;
            continue;
        }
        if (c == QLatin1Char('\\') && i + 1 < format.size()) {
            tokens.push_back({Token::Kind::Literal, 0, QString(format[i + 1])});
            i += 2;
            continue;
        }
        if (c == QLatin1Char('[')) {  // colour or locale tags
            const qsizetype close = format.indexOf(QLatin1Char(']'), i);
            i = close < 0 ? format.size() : close + 1;
            continue;
        }
        if (format.mid(i, 5).compare(QLatin1String("AM/PM"), Qt::CaseInsensitive) == 0) {
            tokens.push_back({Token::Kind::AmPm, 5, {}});
            i += 5;
            continue;
        }
        if (format.mid(i, 3).compare(QLatin1String("A/P"), Qt::CaseInsensitive) == 0) {
            tokens.push_back({Token::Kind::AmPm, 3, {}});
            i += 3;
            continue;
        }
        if (lower == QLatin1Char('d') || lower == QLatin1Char('m') || lower == QLatin1Char('y') ||
            lower == QLatin1Char('h') || lower == QLatin1Char('s')) {
            int run = 1;
            while (i + run < format.size() && format[i + run].toLower() == lower) ++run;
            Token::Kind kind = lower == QLatin1Char('d')   ? Token::Kind::Day
                               : lower == QLatin1Char('m') ? Token::Kind::Month
                               : lower == QLatin1Char('y') ? Token::Kind::Year
                               : lower == QLatin1Char('h') ? Token::Kind::Hour
                                                           : Token::Kind::Second;
            tokens.push_back({kind, run, {}});
            i += run;
            continue;
        }
        tokens.push_back({Token::Kind::Literal, 0, QString(c)});
        ++i;
    }
    // Minutes: an "m"/"mm" right after an hour or right before a second (skipping literals).
    for (size_t t = 0; t < tokens.size(); ++t) {
        if (tokens[t].kind != Token::Kind::Month || tokens[t].width > 2) continue;
        bool afterHour = false, beforeSecond = false;
        for (size_t b = t; b-- > 0;) {
            if (tokens[b].kind == Token::Kind::Literal) continue;
            afterHour = tokens[b].kind == Token::Kind::Hour;
            break;
        }
        for (size_t a = t + 1; a < tokens.size(); ++a) {
            if (tokens[a].kind == Token::Kind::Literal) continue;
            beforeSecond = tokens[a].kind == Token::Kind::Second;
            break;
        }
        if (afterHour || beforeSecond) tokens[t].kind = Token::Kind::Minute;
    }
    return tokens;
}

QString padded(int value, int width) { return QString::number(value).rightJustified(width, QLatin1Char('0')); }

}  // namespace

QString localeDateFormat(const QLocale& locale) {
    bool twelveHour = false;
    QString format = convertPattern(locale.dateFormat(QLocale::ShortFormat), twelveHour);
    if (!format.contains(QLatin1Char('d')) || !format.contains(QLatin1Char('m')) || !format.contains(QLatin1Char('y')))
        return QStringLiteral("m/d/yyyy");
    return format;
}

QString localeDateTimeFormat(const QLocale& locale, bool withSeconds) {
    return localeDateFormat(locale) + QLatin1Char(' ') + timeFormat(locale, withSeconds);
}

bool formatHasDateParts(const QString& numberFormat) {
    if (numberFormat.isEmpty() || numberFormat.compare(QLatin1String("General"), Qt::CaseInsensitive) == 0) return false;
    for (const Token& token : tokenize(numberFormat))
        if (token.kind != Token::Kind::Literal) return true;
    return false;
}

std::optional<QString> formatSerial(double serial, const QString& numberFormat, const QLocale& locale) {
    if (!std::isfinite(serial) || serial < 0 || serial >= 2958466) return std::nullopt;
    const auto tokens = tokenize(numberFormat);
    bool hasAmPm = false, hasSeconds = false;
    for (const Token& token : tokens) {
        hasAmPm |= token.kind == Token::Kind::AmPm;
        hasSeconds |= token.kind == Token::Kind::Second;
    }
    // Round to the shown unit so 23:59:59.7 does not show as 23:59:60.
    double whole = std::floor(serial);
    long long seconds = std::llround((serial - whole) * 86400.0);
    if (!hasSeconds) seconds = (seconds / 60) * 60 + ((seconds % 60) >= 30 ? 60 : 0);
    if (seconds >= 86400) {
        seconds -= 86400;
        whole += 1;
    }
    int year = 1900, month = 1, day = 0;
    if (whole >= 1 && !serialToDate(whole, year, month, day)) return std::nullopt;
    const int hour = static_cast<int>(seconds / 3600);
    const int minute = static_cast<int>(seconds / 60 % 60);
    const int second = static_cast<int>(seconds % 60);
    // Day of the week (1 = Monday .. 7 = Sunday). Before March 1900 the fictitious
    // 29 February shifts the spreadsheet's weekdays: serial 1 is a Sunday there.
    const int weekday = whole >= 61 ? QDate(year, month, day).dayOfWeek() : (static_cast<int>(whole) + 5) % 7 + 1;
    QString out;
    for (const Token& token : tokens) {
        switch (token.kind) {
        case Token::Kind::Literal: out += token.text; break;
        case Token::Kind::Day:
            if (token.width <= 2) out += padded(day, token.width);
            else out += locale.dayName(weekday, token.width == 3 ? QLocale::ShortFormat : QLocale::LongFormat);
            break;
        case Token::Kind::Month:
            if (token.width <= 2) out += padded(month, token.width);
            else if (token.width == 5) out += locale.monthName(month, QLocale::NarrowFormat);
            else out += locale.monthName(month, token.width == 3 ? QLocale::ShortFormat : QLocale::LongFormat);
            break;
        case Token::Kind::Year: out += token.width <= 2 ? padded(year % 100, 2) : padded(year, 4); break;
        case Token::Kind::Hour: {
            int shown = hour;
            if (hasAmPm) shown = hour % 12 == 0 ? 12 : hour % 12;
            out += padded(shown, std::min(token.width, 2));
            break;
        }
        case Token::Kind::Minute: out += padded(minute, std::min(token.width, 2)); break;
        case Token::Kind::Second: out += padded(second, std::min(token.width, 2)); break;
        case Token::Kind::AmPm:
            if (token.width == 5) out += hour < 12 ? QStringLiteral("AM") : QStringLiteral("PM");
            else out += hour < 12 ? QStringLiteral("A") : QStringLiteral("P");
            break;
        }
    }
    return out;
}

}  // namespace brevanta::engine
