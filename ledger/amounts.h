#pragma once
// The register's amounts: the one reader of what people type for money.
//
// An amount is, after blanks at either end:
//   - an optional leading "-", then an optional currency symbol of the
//     user's locale ("$" under en_US, "€" under de_DE), blanks after it
//     allowed; a minus may also follow the symbol ("$-12");
//   - digits, grouped or not: a group separator of the locale (a plain space
//     where the locale groups with a no-break space) needs one to three
//     digits before the first and exactly three after each;
//   - an optional decimal separator with digits after it: the locale's, or
//     "." always ("12.50" under de_DE, where "1.234,50" is 1234.50 and
//     "1.234" is 1234).
// At least one digit. Nothing else: no plus, no brackets, no exponent, no
// trailing symbol or letters. A blank text is zero. Amounts whose magnitude
// is above 1e307 are refused too: a spreadsheet cell cannot hold them.
//
// This reads what people type; texts stored by earlier versions are loaded
// as they are, not through it.

#include <QLocale>
#include <QString>
#include <optional>

namespace brevanta::ledger {

// Money counted in cents, so sums and comparisons are exact.
using Cents = qint64;

// The largest magnitude an amount may have.
inline constexpr double kLargestAmount = 1e307;

enum class AmountFault { None, NotAnAmount, TooLarge };

struct TypedAmount {
    AmountFault fault = AmountFault::None;
    double value = 0;            // the amount, when there is no fault
    std::optional<Cents> cents;  // rounded half up to the cent; none beyond 15 whole digits
    bool dotInstead = false;     // read with "." for the decimal separator the locale writes otherwise
    bool isAmount() const { return fault == AmountFault::None; }
};

TypedAmount readTypedAmount(const QString& text, const QLocale& locale = QLocale());

// True when `text` is a number, however written ("1.7976931348623157e308"
// too), whose magnitude is beyond kLargestAmount. Lists stored earlier or
// made elsewhere may hold one; no spreadsheet cell holds it as a number.
bool isNumberBeyondLimit(const QString& text, const QLocale& locale = QLocale());

// The amount in cents; none when the text is no amount or too large to count in cents.
std::optional<Cents> readCents(const QString& text, const QLocale& locale = QLocale());

// What a typed Debit or Credit becomes in the list: the text as typed, or
// empty when the amount is zero (blank, "0", "0.00", "-0"). A "." typed for
// the locale's decimal separator is written the locale's way ("12.50" is
// kept as "12,50" under de_DE), as the workbook reads the list in the
// user's locale and would take "12.50" for text. A text that is no amount
// is refused with one message naming the field and the text.
struct AmountEntry {
    bool accepted = false;
    QString text;    // what the field will hold
    QString reason;  // why it was refused
};
AmountEntry enterAmount(const QString& fieldName, const QString& typed, const QLocale& locale = QLocale());

}  // namespace brevanta::ledger
