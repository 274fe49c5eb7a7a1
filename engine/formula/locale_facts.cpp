#include "engine/formula/locale_facts.h"

#include <optional>

#include "engine/formula/date_formats.h"

namespace brevanta::engine {

namespace {

bool isBlank(QChar c) { return c.isSpace() || c == QChar(0x00A0) || c == QChar(0x202F); }

// The order of day, month and year in the locale's short date pattern.
std::array<DatePart, 3> dateOrderOf(const QString& pattern) {
    std::array<DatePart, 3> order{DatePart::Month, DatePart::Day, DatePart::Year};
    int found = 0;
    bool seen[3] = {false, false, false};
    bool quoted = false;
    for (QChar c : pattern) {
        if (c == QLatin1Char('\'')) quoted = !quoted;
        if (quoted) continue;
        DatePart part;
        if (c == QLatin1Char('d')) part = DatePart::Day;
        else if (c == QLatin1Char('M') || c == QLatin1Char('L')) part = DatePart::Month;
        else if (c == QLatin1Char('y')) part = DatePart::Year;
        else continue;
        if (seen[int(part)] || found == 3) continue;
        seen[int(part)] = true;
        order[found++] = part;
    }
    if (found != 3) return {DatePart::Month, DatePart::Day, DatePart::Year};
    return order;
}

QChar dateSeparatorOf(const QString& pattern) {
    for (QChar c : pattern)
        if (!c.isLetter() && !isBlank(c) && c != QLatin1Char('\'')) return c;
    return QLatin1Char('/');
}

struct CachedFacts {
    QLocale locale;
    LocaleFacts facts;
};

}  // namespace

const LocaleFacts& localeFacts(const QLocale& locale) {
    thread_local std::optional<CachedFacts> cached;
    if (!cached || !(cached->locale == locale)) {
        LocaleFacts facts;
        facts.currencySymbol = locale.currencySymbol();
        facts.decimalPoint = locale.decimalPoint();
        facts.groupSeparator = locale.groupSeparator();
        const QString pattern = locale.dateFormat(QLocale::ShortFormat);
        facts.dateOrder = dateOrderOf(pattern);
        facts.dateSeparator = dateSeparatorOf(pattern);
        facts.dateFormat = localeDateFormat(locale);
        for (const QLocale& names : {locale, QLocale::c()})
            for (int month = 1; month <= 12; ++month)
                for (auto format : {QLocale::LongFormat, QLocale::ShortFormat}) {
                    QString name = names.monthName(month, format);
                    if (name.endsWith(QLatin1Char('.'))) name.chop(1);
                    if (!name.isEmpty()) facts.monthNames.emplace_back(std::move(name), month);
                }
        cached = CachedFacts{locale, std::move(facts)};
    }
    return cached->facts;
}

}  // namespace brevanta::engine
