#include "ledger/date_text.h"

#include <QRegularExpression>

#include "frame/failure.h"

namespace brevanta::reg {

QString dateText(const QDate& value, const QLocale& locale) {
    return ledger::displayDateText(ledger::RegisterDate{value, {}}, locale);
}

QString dateText(const QDateTime& value, const QLocale& locale) {
    return ledger::displayDateText(ledger::RegisterDate{value.date(), value.time()}, locale);
}

QString pickerDateFormat(const QLocale& locale) {
    // "dddd" or "ddd" (the weekday, unlike "d" and "dd") with the separator after
    // it, or before it when it ends the format; quoted literals are left alone.
    static const QRegularExpression weekday(QStringLiteral("d{3,}[,.،]?\\s*|\\s*[,.،]?\\s*d{3,}$"));
    const QString format = locale.dateFormat(QLocale::LongFormat);
    QString withoutWeekday = format;
    withoutWeekday.remove(weekday);
    withoutWeekday = withoutWeekday.trimmed();
    if (withoutWeekday.contains(QLatin1String("yy")) && withoutWeekday.contains(QLatin1Char('M')) &&
        withoutWeekday.contains(QLatin1Char('d')))
        return withoutWeekday;
    return ledger::shortDateFormatWithFullYear(locale);
}

QDate readMonthDayYear(const QString& text) {
    const std::optional<QDate> date = ledger::readMonthDayYear(text);
    if (!date) throw frame::Failure(frame::failures::kTypeMismatch);
    return *date;
}

}  // namespace brevanta::reg
