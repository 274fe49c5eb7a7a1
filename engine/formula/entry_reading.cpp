#include "engine/formula/entry_reading.h"

#include <QStringList>
#include <QVarLengthArray>
#include <algorithm>
#include <array>
#include <cmath>
#include <vector>

#include "engine/formula/display_format.h"
#include "engine/formula/locale_facts.h"

namespace brevanta::engine {

namespace {

bool isBlank(QChar c) { return c.isSpace() || c == QChar(0x00A0) || c == QChar(0x202F); }

QString trimmedBlanks(const QString& text) {
    qsizetype begin = 0, end = text.size();
    while (begin < end && isBlank(text[begin])) ++begin;
    while (end > begin && isBlank(text[end - 1])) --end;
    return text.mid(begin, end - begin);
}

bool isAsciiDigit(QChar c) { return c >= QLatin1Char('0') && c <= QLatin1Char('9'); }

// Removes `symbol` from the start or the end of `text` (with blanks next to it).
bool stripAffix(QString& text, const QString& symbol) {
    if (symbol.isEmpty()) return false;
    if (text.startsWith(symbol)) {
        text = trimmedBlanks(text.mid(symbol.size()));
        return true;
    }
    if (text.endsWith(symbol)) {
        text = trimmedBlanks(text.left(text.size() - symbol.size()));
        return true;
    }
    return false;
}

// The number in C notation, as the unsigned digits part reads: ASCII only, so kept in chars.
using CNotation = QVarLengthArray<char, 64>;

// The unsigned digits part: groups, decimal separator, exponent. Gives the
// number in C notation, or false when the text is not one.
bool plainNumber(const QString& text, QChar decimalPoint, QChar groupSeparator, CNotation& out) {
    qsizetype i = 0;
    const qsizetype n = text.size();
    int integerDigits = 0;
    int digitsSinceGroup = 0;
    bool grouped = false;
    while (i < n) {
        const QChar c = text[i];
        if (isAsciiDigit(c)) {
            out.append(static_cast<char>(c.unicode()));
            ++integerDigits;
            ++digitsSinceGroup;
            ++i;
        } else if (c == groupSeparator && c != decimalPoint) {
            // A group separator needs 1-3 digits before the first and exactly three after each.
            if (integerDigits == 0 || (!grouped && digitsSinceGroup > 3) || (grouped && digitsSinceGroup != 3))
                return false;
            grouped = true;
            digitsSinceGroup = 0;
            ++i;
        } else {
            break;
        }
    }
    if (grouped && digitsSinceGroup != 3) return false;
    int fractionDigits = 0;
    if (i < n && text[i] == decimalPoint) {
        out.append('.');
        ++i;
        while (i < n && isAsciiDigit(text[i])) {
            out.append(static_cast<char>(text[i++].unicode()));
            ++fractionDigits;
        }
    }
    if (integerDigits + fractionDigits == 0) return false;
    if (i < n && (text[i] == QLatin1Char('e') || text[i] == QLatin1Char('E'))) {
        out.append('E');
        ++i;
        if (i < n && (text[i] == QLatin1Char('+') || text[i] == QLatin1Char('-')))
            out.append(static_cast<char>(text[i++].unicode()));
        int exponentDigits = 0;
        while (i < n && isAsciiDigit(text[i])) {
            out.append(static_cast<char>(text[i++].unicode()));
            ++exponentDigits;
        }
        if (exponentDigits == 0) return false;
    }
    return i == n;
}

// Digits with at most a decimal point and no exponent, whose digits fit a
// double exactly, are the whole digits over a power of ten: one correctly
// rounded division gives the very double a full conversion gives, without
// its cost. Anything else is left to the full conversion.
constexpr double kPowersOfTen[] = {1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,  1e8,  1e9,  1e10, 1e11,
                                   1e12, 1e13, 1e14, 1e15, 1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22};

std::optional<double> exactDecimal(const CNotation& digits) {
    constexpr uint64_t kExactLimit = uint64_t(1) << 53;
    uint64_t whole = 0;
    int fraction = -1;  // digits after the point; -1 before it
    for (const char c : digits) {
        if (c == '.') {
            fraction = 0;
            continue;
        }
        if (c < '0' || c > '9') return std::nullopt;
        whole = whole * 10 + static_cast<uint64_t>(c - '0');
        if (whole > kExactLimit) return std::nullopt;
        if (fraction >= 0 && ++fraction > 22) return std::nullopt;
    }
    return static_cast<double>(whole) / kPowersOfTen[std::max(fraction, 0)];
}

}  // namespace

std::optional<double> readTypedNumber(const QString& typed, const QLocale& locale) {
    // Every number has a digit; most texts that are no number have none, and need no locale.
    if (std::none_of(typed.begin(), typed.end(), isAsciiDigit)) return std::nullopt;
    QString text = trimmedBlanks(typed);
    if (text.isEmpty()) return std::nullopt;
    bool negative = false;
    bool percent = false;
    bool currency = false;
    const LocaleFacts& facts = localeFacts(locale);
    const QString& currencySymbol = facts.currencySymbol;

    if (text.startsWith(QLatin1Char('(')) && text.endsWith(QLatin1Char(')'))) {
        negative = true;
        text = trimmedBlanks(text.mid(1, text.size() - 2));
    }
    currency = stripAffix(text, currencySymbol);
    if (!negative && (text.startsWith(QLatin1Char('-')) || text.startsWith(QLatin1Char('+')))) {
        negative = text.startsWith(QLatin1Char('-'));
        text = text.mid(1);
        if (!currency) currency = stripAffix(text, currencySymbol);
    }
    if (text.endsWith(QLatin1Char('%')) && !currency) {
        percent = true;
        text = trimmedBlanks(text.left(text.size() - 1));
    }
    if (text.isEmpty()) return std::nullopt;

    const QString& decimalPoint = facts.decimalPoint;
    const QString& groupSeparator = facts.groupSeparator;
    if (decimalPoint.size() != 1) return std::nullopt;
    QChar group = groupSeparator.size() == 1 ? groupSeparator[0] : QChar(0xFFFF);
    // Locales that group with a (narrow) no-break space: a plain space is what people type.
    QString normalised = text;
    if (group == QChar(0x00A0) || group == QChar(0x202F)) {
        normalised.replace(QChar(0x00A0), QChar(0x202F));
        normalised.replace(QLatin1Char(' '), QChar(0x202F));
        group = QChar(0x202F);
    }
    CNotation digits;
    if (!plainNumber(normalised, decimalPoint[0], group, digits)) return std::nullopt;
    double value = 0;
    if (const auto exact = exactDecimal(digits)) {
        value = *exact;
    } else {
        bool ok = false;
        value = QString::fromLatin1(digits.constData(), digits.size()).toDouble(&ok);
        if (!ok || !std::isfinite(value)) return std::nullopt;
    }
    if (percent) value /= 100.0;
    return negative ? -value : value;
}

std::optional<double> readPlainNumber(QStringView text, const QLocale& locale) {
    // Only what the locale cannot change: no sign but a leading minus, no
    // group separator, no blanks, percent or currency; a decimal point only
    // where the locale's is one. Read as exactDecimal reads the C notation.
    constexpr uint64_t kExactLimit = uint64_t(1) << 53;
    const bool negative = text.startsWith(QLatin1Char('-'));
    uint64_t whole = 0;
    int fraction = -1;  // digits after the point; -1 before it
    bool anyDigit = false;
    for (qsizetype i = negative ? 1 : 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (c == QLatin1Char('.') && fraction < 0) {
            fraction = 0;
            continue;
        }
        if (!isAsciiDigit(c)) return std::nullopt;
        anyDigit = true;
        whole = whole * 10 + static_cast<uint64_t>(c.unicode() - '0');
        if (whole > kExactLimit) return std::nullopt;
        if (fraction >= 0 && ++fraction > 22) return std::nullopt;
    }
    if (!anyDigit) return std::nullopt;
    const LocaleFacts& facts = localeFacts(locale);
    if (facts.decimalPoint.size() != 1 || (fraction >= 0 && facts.decimalPoint[0] != QLatin1Char('.')))
        return std::nullopt;
    // A currency symbol made of these characters would be taken off first.
    const auto plain = [](QChar c) { return isAsciiDigit(c) || c == QLatin1Char('.') || c == QLatin1Char('-'); };
    const QString& currency = facts.currencySymbol;
    if (!currency.isEmpty() && (plain(currency.front()) || plain(currency.back()))) return std::nullopt;
    const double value = static_cast<double>(whole) / kPowersOfTen[std::max(fraction, 0)];
    return negative ? -value : value;
}

namespace {

std::optional<int> smallNumber(QStringView text, int maxDigits) {
    if (text.isEmpty() || text.size() > maxDigits) return std::nullopt;
    int value = 0;
    for (QChar c : text) {
        if (!isAsciiDigit(c)) return std::nullopt;
        value = value * 10 + (c.unicode() - '0');
    }
    return value;
}

int fullYear(int typed, qsizetype digits) {
    if (digits > 2) return typed;
    return typed < 30 ? 2000 + typed : 1900 + typed;
}

// A month written as a word: the locale's or English names, long or short, any case, with or without a full stop.
std::optional<int> monthFromName(QStringView word, const QLocale& locale) {
    if (word.endsWith(QLatin1Char('.'))) word.chop(1);
    if (word.isEmpty()) return std::nullopt;
    for (const auto& [name, month] : localeFacts(locale).monthNames)
        if (word.compare(name, Qt::CaseInsensitive) == 0) return month;
    return std::nullopt;
}

// Three numbers in the locale's order, split by the locale's separator, "/" or "-".
std::optional<double> readNumericDate(const QString& text, const QLocale& locale) {
    const LocaleFacts& facts = localeFacts(locale);
    for (QChar separator : {facts.dateSeparator, QChar(u'/'), QChar(u'-')}) {
        // Exactly two separators make the three fields.
        const qsizetype first = text.indexOf(separator);
        if (first < 0) continue;
        const qsizetype second = text.indexOf(separator, first + 1);
        if (second < 0 || text.indexOf(separator, second + 1) >= 0) continue;
        const QStringView whole(text);
        const std::array<QStringView, 3> fields{whole.first(first), whole.sliced(first + 1, second - first - 1),
                                                whole.sliced(second + 1)};
        const auto& order = facts.dateOrder;
        int day = 0, month = 0, year = 0;
        bool valid = true;
        for (int i = 0; i < 3 && valid; ++i) {
            const int maxDigits = order[i] == DatePart::Year ? 4 : 2;
            const auto number = smallNumber(fields[i], maxDigits);
            if (!number || (order[i] == DatePart::Year && fields[i].size() == 3)) {
                valid = false;
                break;
            }
            if (order[i] == DatePart::Day) day = *number;
            else if (order[i] == DatePart::Month) month = *number;
            else year = fullYear(*number, fields[i].size());
        }
        if (!valid || year < 1900) continue;
        const double serial = dateToSerial(year, month, day);
        if (serial <= 0) continue;
        return serial;
    }
    return std::nullopt;
}

bool isAsciiSpace(QChar c) { return c == QLatin1Char(' ') || (c >= QLatin1Char('\t') && c <= QLatin1Char('\r')); }

bool isNamedDateSeparator(QChar c) {
    return isAsciiSpace(c) || c == QChar(0x00A0) || c == QLatin1Char('/') || c == QLatin1Char(',') ||
           c == QLatin1Char('-');
}

}  // namespace

NamedDateFields namedDateFields(QStringView text) {
    NamedDateFields result;
    const qsizetype n = text.size();
    // The pattern matches nothing in broken UTF-16 (a lone surrogate): the whole text is one field.
    for (qsizetype i = 0; i < n; ++i) {
        if (text[i].isHighSurrogate() && i + 1 < n && text[i + 1].isLowSurrogate()) ++i;
        else if (text[i].isSurrogate()) return {1, {text}};
    }
    qsizetype fieldStart = 0;
    auto endField = [&](qsizetype end) {
        if (end > fieldStart && result.count < 4) {
            if (result.count < 3) result.fields[result.count] = text.sliced(fieldStart, end - fieldStart);
            ++result.count;
        }
    };
    qsizetype i = 0;
    while (i < n && result.count < 4) {
        qsizetype end = i;  // the end of a separator starting at i, if one does
        if (isNamedDateSeparator(text[i])) {
            while (end < n && isNamedDateSeparator(text[end])) ++end;
        } else if (text[i] == QLatin1Char('.')) {
            qsizetype after = i + 1;
            while (after < n && isAsciiSpace(text[after])) ++after;
            if (after < n && isAsciiDigit(text[after])) end = after;
        }
        if (end == i) {
            ++i;
            continue;
        }
        endField(i);
        fieldStart = i = end;
    }
    endField(n);
    return result;
}

namespace {

// A day, a month name and a year: "1 Jan 2013", "1-Jan-13", "January 1, 2013".
std::optional<double> readNamedMonthDate(const QString& text, const QLocale& locale) {
    const NamedDateFields split = namedDateFields(text);
    if (split.count != 3) return std::nullopt;
    std::optional<int> month;
    std::vector<QStringView> numbers;
    for (QStringView field : split.fields) {
        if (field[0].isLetter()) {
            if (month) return std::nullopt;
            month = monthFromName(field, locale);
            if (!month) return std::nullopt;
        } else {
            numbers.push_back(field.endsWith(QLatin1Char('.')) ? field.first(field.size() - 1) : field);
        }
    }
    if (!month || numbers.size() != 2) return std::nullopt;
    // The year is the field of three or four digits, or else the last number.
    const bool yearFirst = numbers[0].size() > 2;
    const QStringView dayText = yearFirst ? numbers[1] : numbers[0];
    const QStringView yearText = yearFirst ? numbers[0] : numbers[1];
    const auto day = smallNumber(dayText, 2);
    const auto year = smallNumber(yearText, 4);
    if (!day || !year || yearText.size() == 3) return std::nullopt;
    const int fullYearValue = fullYear(*year, yearText.size());
    if (fullYearValue < 1900) return std::nullopt;
    const double serial = dateToSerial(fullYearValue, *month, *day);
    if (serial <= 0) return std::nullopt;
    return serial;
}

// A year-first ISO date, "2013-01-03": a date under every locale, as a
// spreadsheet reads it whatever the locale's own order.
std::optional<double> readIsoDate(QStringView text) {
    if (text.size() < 8 || text.size() > 10 || text[4] != QLatin1Char('-')) return std::nullopt;
    const qsizetype second = text.indexOf(QLatin1Char('-'), 5);
    if (second < 0) return std::nullopt;
    const auto year = smallNumber(text.first(4), 4);
    const auto month = smallNumber(text.sliced(5, second - 5), 2);
    const auto day = smallNumber(text.sliced(second + 1), 2);
    if (!year || !month || !day || *year < 1900) return std::nullopt;
    const double serial = dateToSerial(*year, *month, *day);
    if (serial <= 0) return std::nullopt;
    return serial;
}

std::optional<double> readDatePart(const QString& text, const QLocale& locale) {
    if (text.isEmpty()) return std::nullopt;
    if (const auto serial = readIsoDate(text)) return serial;
    if (const auto serial = readNumericDate(text, locale)) return serial;
    return readNamedMonthDate(text, locale);
}

struct TimeOfDay {
    double fraction = 0;
    bool hasSeconds = false;
};

std::optional<TimeOfDay> readTimePart(QString text, const QLocale& locale) {
    int hourShift = -1;  // -1: 24-hour clock; 0: AM; 12: PM
    for (const auto& [marker, shift] : {std::pair{QStringLiteral("AM"), 0}, std::pair{QStringLiteral("PM"), 12},
                                        std::pair{locale.amText(), 0}, std::pair{locale.pmText(), 12}}) {
        if (!marker.isEmpty() && text.endsWith(marker, Qt::CaseInsensitive)) {
            text = trimmedBlanks(text.left(text.size() - marker.size()));
            hourShift = shift;
            break;
        }
    }
    const QStringList fields = text.split(QLatin1Char(':'));
    if (fields.size() < 2 || fields.size() > 3) return std::nullopt;
    const auto hour = smallNumber(fields[0], 2);
    std::optional<int> minute;
    if (fields[1].size() == 2) minute = smallNumber(fields[1], 2);
    std::optional<int> second = 0;
    if (fields.size() == 3) second = fields[2].size() == 2 ? smallNumber(fields[2], 2) : std::nullopt;
    if (!hour || !minute || !second || *minute > 59 || *second > 59) return std::nullopt;
    int hours = *hour;
    if (hourShift >= 0) {
        if (hours < 1 || hours > 12) return std::nullopt;
        hours = hours % 12 + hourShift;
    } else if (hours > 23) {
        return std::nullopt;
    }
    return TimeOfDay{(hours * 3600 + *minute * 60 + *second) / 86400.0, fields.size() == 3};
}

}  // namespace

std::optional<TypedDate> readTypedDate(const QString& typed, const QLocale& locale) {
    const QString text = trimmedBlanks(typed);
    // Every date has digits; cheap refusals first, as most texts are no dates.
    if (text.isEmpty() || text.size() > 64 || std::none_of(text.begin(), text.end(), isAsciiDigit)) return std::nullopt;
    if (const auto serial = readDatePart(text, locale)) return TypedDate{*serial, false, false};
    // ISO's date and time of day, "2013-01-03T15:30".
    if (text.size() > 11 && text[10] == QLatin1Char('T')) {
        if (const auto serial = readIsoDate(QStringView(text).first(10))) {
            const auto time = readTimePart(text.mid(11), locale);
            if (!time) return std::nullopt;
            return TypedDate{*serial + time->fraction, true, time->hasSeconds};
        }
    }
    // A date followed by a time of day: try each blank, from the right, as the place they meet.
    const qsizetype colon = text.indexOf(QLatin1Char(':'));
    if (colon < 0) return std::nullopt;
    for (qsizetype blank = colon - 1; blank > 0; --blank) {
        if (!isBlank(text[blank])) continue;
        const auto serial = readDatePart(trimmedBlanks(text.left(blank)), locale);
        if (!serial) continue;
        const auto time = readTimePart(trimmedBlanks(text.mid(blank + 1)), locale);
        if (!time) return std::nullopt;
        return TypedDate{*serial + time->fraction, true, time->hasSeconds};
    }
    return std::nullopt;
}

}  // namespace brevanta::engine
