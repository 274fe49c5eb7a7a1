#pragma once
// QIF: a "!Type:Bank", "!Type:Cash" or "!Type:CCard" line, then records of
// lines that each start with a field letter, closed by "^". The fields read
// are D (date), T or U (amount), N (number), P (payee), L (category),
// C (cleared: "*" or "X") and M (memo); split lines (S, E, $, %) belong to
// their parent, which is kept whole. Account lists, option lines and
// sections of other types hold no transactions of the account and are passed over.

#include <QString>

#include "statements/statement.h"

namespace brevanta::statements {

// Throws StatementError "<fileName>: line N: reason" when anything cannot be read.
Statement readQif(const QString& text, const QString& fileName);

}  // namespace brevanta::statements
