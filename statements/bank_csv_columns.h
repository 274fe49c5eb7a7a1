#pragma once
// How a bank's CSV file writes its dates and amounts, decided from the whole
// column and never from the user's locale:
//   dates:   a first number above 12 proves the day first, a second number
//            above 12 the month first, four digits first the year first;
//   amounts: a "." or "," that can be no digit group (not followed by
//            exactly three digits, or after a lone 0) is the decimal mark,
//            one written twice or before the other is the group separator.
// Rows that prove different things are an error naming both lines; a column
// that proves nothing leaves its question open for the user to answer.

#include <QString>
#include <optional>
#include <vector>

#include "statements/statement.h"
#include "statements/statement_values.h"

namespace brevanta::statements {

// One field of a column and the line it is on.
struct ColumnText {
    int line = 0;
    QString text;
};

struct DateColumnDecision {
    std::optional<DateOrder> order;  // none: the dates read both day first and month first, differently
    ColumnText example;              // open: a date that reads differently either way
};

struct AmountColumnDecision {
    std::optional<QChar> decimalMark;  // none: no amount shows it...
    bool marksWritten = false;         // ...and some amount holds a "." or "," all the same
    ColumnText example;                // open: an amount that reads differently with either mark
};

// Throws StatementError "<fileName>: line N: ..." for a date that is no
// three numbers or fits no order, and "<fileName>: lines N and M: ..." for
// dates that prove different orders. When the order makes no difference
// to any date (every day equals its month), the day comes first.
DateColumnDecision decideDateOrder(const std::vector<ColumnText>& dates, const QString& fileName);

// Throws StatementError "<fileName>: lines N and M: ..." for amounts that prove different marks.
AmountColumnDecision decideDecimalMark(const std::vector<ColumnText>& amounts, const QString& fileName);

// "day first (31/12/2026)", "month first (12/31/2026)", "year first (2026-12-31)".
QString dateOrderText(DateOrder order);

}  // namespace brevanta::statements
