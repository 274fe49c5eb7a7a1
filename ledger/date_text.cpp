#include "ledger/date_text.h"

#include "frame/failure.h"

namespace brevanta::reg {

QString dateText(const QDate& value, const QLocale& locale) {
    return ledger::displayDateText(ledger::RegisterDate{value, {}}, locale);
}

QString dateText(const QDateTime& value, const QLocale& locale) {
    return ledger::displayDateText(ledger::RegisterDate{value.date(), value.time()}, locale);
}

QDate readMonthDayYear(const QString& text) {
    const std::optional<QDate> date = ledger::readMonthDayYear(text);
    if (!date) throw frame::Failure(frame::failures::kTypeMismatch);
    return *date;
}

}  // namespace brevanta::reg
