#include "ledger/dates.h"

#include <array>
#include <initializer_list>
#include <vector>

namespace brevanta::ledger {
namespace {

constexpr qsizetype kLongestDateText = 64;

bool isDigit(QChar c) { return c >= u'0' && c <= u'9'; }

int numberOf(QStringView digits) {
    int value = 0;
    for (QChar c : digits) value = value * 10 + (c.unicode() - u'0');
    return value;
}

// A year written with two digits: 70..99 are the 1900s, the rest the 2000s.
int fullYear(int year, qsizetype digits) {
    if (digits > 2) return year;
    return year < 70 ? 2000 + year : 1900 + year;
}

std::optional<QDate> dateOf(int year, int month, int day) {
    const QDate date(year, month, day);
    if (!date.isValid()) return std::nullopt;
    return date;
}

// ---- the shape of a numeric date ----

enum class DatePart { Day, Month, Year };

// Three runs of digits in a given order with given texts around and between
// them: the locale's "dd.MM.yyyy" is ("", Day, ".", Month, ".", Year, "").
struct DateShape {
    std::array<DatePart, 3> order{};
    std::array<QString, 4> literals;  // before, between, between, after
    bool numeric = false;             // false: the pattern has month names or quotes
};

DateShape shapeOf(const QString& pattern) {
    DateShape shape;
    int found = 0;
    for (qsizetype i = 0; i < pattern.size();) {
        const QChar c = pattern.at(i);
        if (c == u'd' || c == u'M' || c == u'y') {
            qsizetype run = 1;
            while (i + run < pattern.size() && pattern.at(i + run) == c) ++run;
            if (found == 3 || (c != u'y' && run > 2)) return {};  // a name of a month or weekday
            shape.order[size_t(found++)] = c == u'd' ? DatePart::Day : (c == u'M' ? DatePart::Month : DatePart::Year);
            i += run;
            continue;
        }
        if (c.isLetter() || c == u'\'') return {};
        shape.literals[size_t(found)] += c;
        ++i;
    }
    shape.numeric = found == 3;
    return shape;
}

// Reads `text` in `shape`: days and months of one or two digits, years of
// two or four.
std::optional<QDate> readShaped(QStringView text, const DateShape& shape) {
    if (!shape.numeric) return std::nullopt;
    qsizetype at = 0;
    auto literal = [&](const QString& expected) {
        if (!text.mid(at).startsWith(expected)) return false;
        at += expected.size();
        return true;
    };
    int day = 0, month = 0, year = 0;
    for (size_t field = 0; field < 3; ++field) {
        if (!literal(shape.literals[field])) return std::nullopt;
        const qsizetype start = at;
        while (at < text.size() && isDigit(text[at]) && at - start < 4) ++at;
        const qsizetype digits = at - start;
        if (at < text.size() && isDigit(text[at])) return std::nullopt;
        const int value = numberOf(text.mid(start, digits));
        switch (shape.order[field]) {
        case DatePart::Day:
            if (digits < 1 || digits > 2) return std::nullopt;
            day = value;
            break;
        case DatePart::Month:
            if (digits < 1 || digits > 2) return std::nullopt;
            month = value;
            break;
        case DatePart::Year:
            if (digits != 2 && digits != 4) return std::nullopt;
            year = fullYear(value, digits);
            break;
        }
    }
    if (!literal(shape.literals[3]) || at != text.size()) return std::nullopt;
    return dateOf(year, month, day);
}

DateShape fixedShape(DatePart first, DatePart second, DatePart third, QChar separator) {
    DateShape shape;
    shape.order = {first, second, third};
    shape.literals = {QString(), QString(separator), QString(separator), QString()};
    shape.numeric = true;
    return shape;
}

// ---- what is read of the locale, once per locale ----

struct LocaleDates {
    QLocale locale;
    QString shortFormat;
    QString fullYearFormat;
    DateShape shape;
    QString amText, pmText;
};

const LocaleDates& localeDates(const QLocale& locale) {
    thread_local std::optional<LocaleDates> cached;
    if (!cached || !(cached->locale == locale)) {
        LocaleDates dates;
        dates.locale = locale;
        dates.shortFormat = locale.dateFormat(QLocale::ShortFormat);
        dates.fullYearFormat = shortDateFormatWithFullYear(locale);
        dates.shape = shapeOf(dates.shortFormat);
        dates.amText = locale.amText();
        dates.pmText = locale.pmText();
        cached = std::move(dates);
    }
    return *cached;
}

// ---- the rules, in their order ----

// 1. ISO 8601: "2013-01-03".
std::optional<QDate> readIso(QStringView text) {
    static const DateShape shape = fixedShape(DatePart::Year, DatePart::Month, DatePart::Day, u'-');
    if (text.size() < 8 || !isDigit(text[0]) || !isDigit(text[3]) || text[4] != u'-') return std::nullopt;
    // The stored form itself, "yyyy-MM-dd", read straight: what the shape reads of it.
    const auto digitsAt = [&](std::initializer_list<qsizetype> places) {
        for (qsizetype place : places)
            if (!isDigit(text[place])) return false;
        return true;
    };
    if (text.size() == 10 && text[7] == u'-' && digitsAt({1, 2, 5, 6, 8, 9}))
        return dateOf(numberOf(text.first(4)), numberOf(text.sliced(5, 2)), numberOf(text.sliced(8, 2)));
    return readShaped(text, shape);
}

// 2. The locale's short date, four- or two-digit year.
std::optional<QDate> readLocaleShortDate(QStringView text, const QLocale& locale) {
    const LocaleDates& dates = localeDates(locale);
    if (dates.shape.numeric) return readShaped(text, dates.shape);
    // A pattern with month names: Qt reads it.
    const QString whole = text.toString();
    QDate date = locale.toDate(whole, dates.fullYearFormat);
    if (date.isValid()) return date;
    date = locale.toDate(whole, dates.shortFormat);
    if (!date.isValid()) return std::nullopt;
    // Qt puts a two-digit year in the 1900s.
    if (date.year() < 1970) date = date.addYears(100);
    return date;
}

// 3. English month names: "Jan 3, 2013", "January 3, 2013", "3 Jan 2013", "3-Jan-13".
std::optional<int> englishMonth(QStringView word) {
    static const std::vector<std::pair<QString, int>> names = [] {
        std::vector<std::pair<QString, int>> all;
        const QLocale english = QLocale::c();
        for (int month = 1; month <= 12; ++month) {
            all.emplace_back(english.monthName(month, QLocale::LongFormat), month);
            all.emplace_back(english.monthName(month, QLocale::ShortFormat), month);
        }
        all.emplace_back(QStringLiteral("Sept"), 9);
        return all;
    }();
    for (const auto& [name, month] : names)
        if (word.compare(name, Qt::CaseInsensitive) == 0) return month;
    return std::nullopt;
}

std::optional<QDate> readEnglishMonthName(QStringView text) {
    std::vector<QStringView> words;
    qsizetype start = -1;
    for (qsizetype i = 0; i <= text.size(); ++i) {
        const bool separator = i == text.size() || text[i].isSpace() || text[i] == u',' || text[i] == u'-' ||
                               text[i] == u'.' || text[i] == u'/';
        if (!separator && start < 0) start = i;
        if (separator && start >= 0) {
            words.push_back(text.mid(start, i - start));
            start = -1;
            if (words.size() > 3) return std::nullopt;
        }
    }
    if (words.size() != 3) return std::nullopt;
    const bool monthFirst = !words[0].isEmpty() && words[0][0].isLetter();
    const std::optional<int> month = englishMonth(monthFirst ? words[0] : words[1]);
    const QStringView day = monthFirst ? words[1] : words[0];
    const QStringView year = words[2];
    if (!month || day.isEmpty() || day.size() > 2 || (year.size() != 2 && year.size() != 4)) return std::nullopt;
    for (QStringView digits : {day, year})
        for (QChar c : digits)
            if (!isDigit(c)) return std::nullopt;
    return dateOf(fullYear(numberOf(year), year.size()), *month, numberOf(day));
}

// 4. Month-first numbers with "/": "1/3/2013", "01/03/13".
std::optional<QDate> readMonthFirst(QStringView text) {
    static const DateShape shape = fixedShape(DatePart::Month, DatePart::Day, DatePart::Year, u'/');
    return readShaped(text, shape);
}

// 5. Day-first numbers with ".": "03.01.2013".
std::optional<QDate> readDayFirstDotted(QStringView text) {
    static const DateShape shape = fixedShape(DatePart::Day, DatePart::Month, DatePart::Year, u'.');
    return readShaped(text, shape);
}

// Every rule's reading of a date without a time, in the rules' order.
template <typename Visit>
void eachReading(QStringView text, const QLocale& locale, Visit visit) {
    if (visit(readIso(text))) return;
    if (visit(readLocaleShortDate(text, locale))) return;
    if (visit(readEnglishMonthName(text))) return;
    if (visit(readMonthFirst(text))) return;
    visit(readDayFirstDotted(text));
}

// ---- the time of day ----

// "15:30", "15:30:05", "3:30 PM", the locale's own AM and PM texts.
std::optional<QTime> readTimeOfDay(QString text, const QLocale& locale) {
    const LocaleDates& dates = localeDates(locale);
    int hourShift = -1;  // -1: a 24-hour clock; 0: AM; 12: PM
    for (const auto& [marker, shift] : {std::pair{QStringLiteral("AM"), 0}, std::pair{QStringLiteral("PM"), 12},
                                        std::pair{dates.amText, 0}, std::pair{dates.pmText, 12}}) {
        if (!marker.isEmpty() && text.endsWith(marker, Qt::CaseInsensitive)) {
            text = text.left(text.size() - marker.size()).trimmed();
            hourShift = shift;
            break;
        }
    }
    const QStringList fields = text.split(u':');
    if (fields.size() < 2 || fields.size() > 3) return std::nullopt;
    std::array<int, 3> values{0, 0, 0};
    for (qsizetype i = 0; i < fields.size(); ++i) {
        const QString& field = fields[i];
        if (field.isEmpty() || field.size() > 2 || (i > 0 && field.size() != 2)) return std::nullopt;
        for (QChar c : field)
            if (!isDigit(c)) return std::nullopt;
        values[size_t(i)] = numberOf(field);
    }
    int hour = values[0];
    if (hourShift >= 0) {
        if (hour < 1 || hour > 12) return std::nullopt;
        hour = hour % 12 + hourShift;
    }
    const QTime time(hour, values[1], values[2]);
    if (!time.isValid()) return std::nullopt;
    return time;
}

// The text cut where a time of day begins: "2013-01-03T15:30" at the "T",
// "1/3/2013 3:30 PM" at the blank before the first ":". No cut: no time.
struct DateAndTime {
    QStringView date;
    QStringView time;
};

DateAndTime splitTimeOfDay(QStringView text) {
    const qsizetype colon = text.indexOf(u':');
    if (colon < 0) return {text, {}};
    if (text.size() > 10 && text[10] == u'T' && colon > 10) return {text.first(10), text.sliced(11)};
    qsizetype blank = colon - 1;
    while (blank > 0 && !text[blank].isSpace()) --blank;
    if (blank <= 0) return {{}, {}};
    QStringView date = text.first(blank).trimmed();
    if (date.endsWith(u',')) date.chop(1);
    return {date.trimmed(), text.sliced(blank + 1).trimmed()};
}

std::optional<RegisterDate> readWith(const QString& text, const QLocale& locale, bool unambiguous) {
    // A date in the stored form, with nothing around it, is what rule 1 reads of it: it answers first.
    if (!unambiguous && text.size() <= 10)
        if (const std::optional<QDate> date = readIso(text)) return RegisterDate{*date, QTime()};
    const QString trimmed = text.trimmed();
    if (trimmed.isEmpty() || trimmed.size() > kLongestDateText) return std::nullopt;
    const DateAndTime parts = splitTimeOfDay(trimmed);
    if (parts.date.isEmpty()) return std::nullopt;
    RegisterDate result;
    if (!parts.time.isEmpty()) {
        const std::optional<QTime> time = readTimeOfDay(parts.time.toString(), locale);
        if (!time) return std::nullopt;
        result.time = *time;
    }
    bool disagree = false;
    eachReading(parts.date, locale, [&](const std::optional<QDate>& date) {
        if (!date) return false;
        if (!result.date.isValid()) result.date = *date;
        else if (*date != result.date) disagree = true;
        return !unambiguous;  // the first reading answers; to be sure, every rule is asked
    });
    if (!result.date.isValid() || disagree) return std::nullopt;
    return result;
}

}  // namespace

QString storedDateText(const QDate& date) {
    // Years 0 to 9999 are written here, digit by digit: a long register
    // stores tens of thousands of dates, and the general formatter costs
    // several times more. Other years (Qt gives them no ISO form) go to it.
    const int year = date.year();
    if (!date.isValid() || year < 0 || year > 9999) return date.toString(Qt::ISODate);
    const int month = date.month(), day = date.day();
    const char16_t text[10] = {char16_t(u'0' + year / 1000), char16_t(u'0' + year / 100 % 10),
                               char16_t(u'0' + year / 10 % 10), char16_t(u'0' + year % 10), u'-',
                               char16_t(u'0' + month / 10), char16_t(u'0' + month % 10), u'-',
                               char16_t(u'0' + day / 10), char16_t(u'0' + day % 10)};
    return QString(reinterpret_cast<const QChar*>(text), 10);
}

QString storedDateText(const QDateTime& value) { return storedDateText(RegisterDate{value.date(), value.time()}); }

QString storedDateText(const RegisterDate& value) {
    QString text = storedDateText(value.date);
    if (value.hasTimeOfDay()) text += QLatin1Char('T') + value.time.toString(QStringLiteral("HH:mm"));
    return text;
}

std::optional<RegisterDate> readDate(const QString& text, const QLocale& locale) {
    return readWith(text, locale, false);
}

std::optional<RegisterDate> readDateUnambiguously(const QString& text, const QLocale& locale) {
    return readWith(text, locale, true);
}

QString storedFormOf(const QString& text, const QLocale& locale) {
    const std::optional<RegisterDate> date = readDateUnambiguously(text, locale);
    return date ? storedDateText(*date) : text;
}

QString shortDateFormatWithFullYear(const QLocale& locale) {
    const QString format = locale.dateFormat(QLocale::ShortFormat);
    QString result;
    bool quoted = false;
    for (qsizetype i = 0; i < format.size(); ++i) {
        const QChar c = format.at(i);
        if (c == QLatin1Char('\'')) quoted = !quoted;
        if (!quoted && c == QLatin1Char('y')) {
            while (i + 1 < format.size() && format.at(i + 1) == QLatin1Char('y')) ++i;
            result += QStringLiteral("yyyy");
            continue;
        }
        result += c;
    }
    return result;
}

QString displayDateText(const RegisterDate& value, const QLocale& locale) {
    QString text = locale.toString(value.date, localeDates(locale).fullYearFormat);
    if (value.hasTimeOfDay()) text += QLatin1Char(' ') + locale.toString(value.time, QLocale::ShortFormat);
    return text;
}

QString displayDateText(const QString& text, const QLocale& locale) {
    const std::optional<RegisterDate> date = readDate(text, locale);
    return date ? displayDateText(*date, locale) : text;
}

std::optional<QDate> readMonthDayYear(const QString& text) { return readMonthFirst(QStringView(text).trimmed()); }

}  // namespace brevanta::ledger
