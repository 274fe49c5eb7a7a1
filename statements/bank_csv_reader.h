#pragma once
// CSV statements: the register's own seven-column layout and the layouts
// banks export. The header line names the columns; names are matched
// without regard to case, blanks or punctuation:
//   date:     Date, Posted Date, Posting Date, Transaction Date
//   payee:    Description, Payee, Name        memo: Memo
//   amount:   Amount (signed), or Debit/Withdrawal and Credit/Deposit
//   number:   Check Number, Number, Check #, Check No, Ref
//   category: Category                         cleared: Cleared
// Dates are ISO or the locale's short dates; amounts are read with the
// locale's decimal separator. Other columns are passed over.

#include <QLocale>
#include <QString>

#include "statements/statement.h"

namespace brevanta::statements {

// Whether the first record of `text` is a header this reader knows.
bool looksLikeBankCsv(const QString& text);

// Throws StatementError "<fileName>: line N: reason" when anything cannot be read.
Statement readBankCsv(const QString& text, const QString& fileName, const QLocale& locale = QLocale());

}  // namespace brevanta::statements
