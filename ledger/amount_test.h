#pragma once
// Whether a Debit or Credit text counts as zero. Blanks, tabs and line feeds
// are ignored; the longest leading number is read (sign, digits with at most
// one ".", whatever the locale); "&H" and "&O" read hexadecimal and octal
// digits. Text that starts with no number counts as zero: "", "0", "0.00",
// "-0", "abc" and "$5" are zero; "12abc", "-5", ".5" and "0 5" are not.
// Texts read from files keep this old rule; typed amounts are checked by
// ledger/amounts.h instead.

#include <QString>

namespace brevanta::reg {

bool amountIsZero(const QString& text);

}  // namespace brevanta::reg
