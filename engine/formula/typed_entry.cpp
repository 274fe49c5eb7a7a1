#include "engine/formula/typed_entry.h"

#include "engine/formula/date_formats.h"
#include "engine/formula/entry_reading.h"
#include "engine/formula/formula_text.h"
#include "engine/formula/locale_facts.h"

namespace brevanta::engine {

TypedEntry interpretEntry(const QString& text, const QLocale& locale) {
    TypedEntry entry;
    if (text.isEmpty()) return entry;  // clears the content
    if (text.startsWith(QLatin1Char('\''))) {
        entry.kind = TypedEntry::Kind::Constant;
        entry.value = text.mid(1);
        return entry;
    }
    if (text.startsWith(QLatin1Char('='))) {
        entry.kind = TypedEntry::Kind::Formula;
        entry.formula = parseFormulaR1C1(text);
        return entry;
    }
    entry.kind = TypedEntry::Kind::Constant;
    if (const auto number = readPlainNumber(text, locale)) {  // nothing else reads digits alone as anything
        entry.value = *number;
        return entry;
    }
    const QString trimmed = text.trimmed();
    if (trimmed.compare(QLatin1String("TRUE"), Qt::CaseInsensitive) == 0) {
        entry.value = true;
    } else if (trimmed.compare(QLatin1String("FALSE"), Qt::CaseInsensitive) == 0) {
        entry.value = false;
    } else if (const auto error = trimmed.startsWith(QLatin1Char('#')) ? model::errorFromText(trimmed) : std::nullopt) {
        entry.value = *error;
    } else if (const auto number = readTypedNumber(text, locale)) {
        entry.value = *number;
    } else if (const auto date = readTypedDate(text, locale)) {
        entry.value = date->serial;
        entry.numberFormat =
            date->hasTime ? localeDateTimeFormat(locale, date->hasSeconds) : localeFacts(locale).dateFormat;
    } else {
        entry.value = text;
    }
    return entry;
}

}  // namespace brevanta::engine
