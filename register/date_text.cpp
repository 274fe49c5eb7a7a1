#include "register/date_text.h"

#include "frame/failure.h"

namespace brevanta::reg {

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

QString dateText(const QDate& value, const QLocale& locale) {
    return locale.toString(value, shortDateFormatWithFullYear(locale));
}

QString dateText(const QDateTime& value, const QLocale& locale) {
    QString text = dateText(value.date(), locale);
    if (value.time().isValid() && value.time() != QTime(0, 0))
        text += QLatin1Char(' ') + locale.toString(value.time(), QLocale::ShortFormat);
    return text;
}

QDate readMonthDayYear(const QString& text) {
    const QDate date = QDate::fromString(text.trimmed(), QStringLiteral("M/d/yyyy"));
    if (!date.isValid()) throw frame::Failure(frame::failures::kTypeMismatch);
    return date;
}

}  // namespace brevanta::reg
