#include "generate/cell_entry.h"

#include "ledger/amounts.h"
#include "ledger/dates.h"
#include "ledger/transaction_source.h"

namespace brevanta::generate {
namespace {

bool isAlwaysText(int field) {
    return field == reg::Description || field == reg::Category || field == reg::Cleared;
}

// Typed, these would not stay the characters they are: a formula, or a
// text whose own leading apostrophe the host would take as its text mark.
bool wouldNotStayData(const QString& text) {
    return !text.isEmpty() && (text.front() == QLatin1Char('=') || text.front() == QLatin1Char('\''));
}

}  // namespace

QString dateCellEntry(const QString& text) {
    if (text.isEmpty()) return text;
    if (const std::optional<ledger::RegisterDate> date = ledger::readDate(text)) return ledger::storedDateText(*date);
    return QLatin1Char('\'') + text;
}

host::CellEntry dataCell(int field, const QString& text) { return dataCell(field, text, QLocale()); }

host::CellEntry dataCell(int field, const QString& text, const QLocale& locale) {
    if (text.isEmpty()) return {text};  // an empty cell, as before: the balance tests for blanks
    if (field == reg::Date) return {dateCellEntry(text)};
    // A number no cell holds would overflow in every reader: it stays the text it is.
    if ((field == reg::Debit || field == reg::Credit) && ledger::isNumberBeyondLimit(text, locale)) return {text, true};
    if (isAlwaysText(field) || wouldNotStayData(text)) return {text, true};
    return {text};
}

QString dataCellEntry(int field, const QString& text) { return dataCell(field, text).typed(); }

}  // namespace brevanta::generate
