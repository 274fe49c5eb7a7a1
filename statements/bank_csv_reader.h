#pragma once
// CSV statements: the register's own seven-column layout and the layouts
// banks export. The header line names the columns; names are matched
// without regard to case, blanks or punctuation:
//   date:     Date, Posted Date, Posting Date, Transaction Date
//   payee:    Description, Payee, Name        memo: Memo
//   amount:   Amount (signed), or Debit/Withdrawal and Credit/Deposit
//   number:   Check Number, Number, Check #, Check No, Ref
//   category: Category                         cleared: Cleared
// Other columns are passed over. The order of the dates' day, month and
// year and the amounts' decimal mark are the file's own, decided from the
// whole column (statements/bank_csv_columns.h), or given by the user where
// the columns cannot tell; the user's locale plays no part.

#include <QString>
#include <array>
#include <optional>
#include <vector>

#include "statements/bank_csv_columns.h"
#include "statements/csv_records.h"
#include "statements/statement.h"

namespace brevanta::statements {

// How a bank's CSV file writes its dates and amounts.
struct BankCsvForm {
    DateOrder dateOrder = DateOrder::DayMonthYear;
    QChar decimalMark = u'.';
};

// One record read in one form, for showing before it is imported.
struct BankCsvRow {
    int line = 0;
    QString dateText;           // as the file writes it
    std::optional<QDate> date;  // none: it cannot be read in the form
    StatementAmount amount;     // its refusal says why it cannot be read
    QString payee;
};

// A bank's CSV file: its records and what its columns decide.
class BankCsvFile {
public:
    // Throws StatementError "<fileName>: line N: reason" for a missing or
    // unknown header, a record of another width, a date that is no date in
    // any order, and columns that contradict themselves (naming the lines).
    BankCsvFile(const QString& text, const QString& fileName);

    const QString& fileName() const { return fileName_; }
    size_t rowCount() const { return records_.size() - 1; }
    const DateColumnDecision& dates() const { return dates_; }
    const AmountColumnDecision& amounts() const { return amounts_; }

    // The form the columns decide, with the user's word where given (it
    // overrides the columns: every row is then checked against it); nothing
    // while the order or the mark is still open.
    std::optional<BankCsvForm> decidedForm(std::optional<DateOrder> givenOrder = {},
                                           std::optional<QChar> givenMark = {}) const;
    // Why decidedForm() gives nothing: "every date reads both day first and month first
    // (line 2: "01/03/2026")", and the same of the amounts.
    QString openQuestion(std::optional<DateOrder> givenOrder = {}, std::optional<QChar> givenMark = {}) const;

    // Row `index` (0: the first after the header) as it reads in `form`.
    BankCsvRow row(size_t index, const BankCsvForm& form) const;
    // Every row in `form`; throws StatementError naming the first line that does not read so.
    Statement read(const BankCsvForm& form) const;

private:
    QString field(const CsvRecord& record, int column) const;
    QString columnName(int column) const;  // as the header writes it
    StatementAmount amountOf(const CsvRecord& record, QChar decimalMark) const;

    QString fileName_;
    std::vector<CsvRecord> records_;  // the header first
    std::array<int, 9> where_{};      // the field of each known column, -1 where absent
    DateColumnDecision dates_;
    AmountColumnDecision amounts_;
};

// "Dates read day first (31/12/2026); decimal mark ","." for the summary of
// an import; "as you chose" marks what the user said, not the file.
QString bankCsvFormNote(const BankCsvForm& form, bool orderChosen, bool markChosen, bool marksWritten);

// Whether the first record of `text` is a header this reader knows.
bool looksLikeBankCsv(const QString& text);

// A whole file whose columns decide their form; throws StatementError
// naming the open question otherwise.
Statement readBankCsv(const QString& text, const QString& fileName);

}  // namespace brevanta::statements
