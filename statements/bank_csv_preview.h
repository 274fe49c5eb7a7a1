#pragma once
// What the window shows of a bank's CSV file whose columns leave the order
// of its dates or its decimal mark open: a few rows as they read in the form
// the user is choosing, and what would stop the import in that form.

#include <QLocale>
#include <QStringList>
#include <vector>

#include "statements/bank_csv_reader.h"

namespace brevanta::statements {

// The rows to show, by index: up to `count`, first those that read
// differently with the day first and the month first, then the others, in
// the file's order.
std::vector<size_t> previewRows(const BankCsvFile& file, size_t count = 10);

// "Line", "In the file", "Read as", "Amount", "Payee".
QStringList previewColumns();

// The rows in `form`: the line, the date as written, the date as read (the
// locale's long date, so no order is in doubt), the amount, the payee.
std::vector<QStringList> previewTable(const BankCsvFile& file, const std::vector<size_t>& rows,
                                      const BankCsvForm& form, const QLocale& locale = QLocale());

// Why the whole file cannot be read in `form` (the first refused line, as
// the import would say it); empty when it can.
QString formProblem(const BankCsvFile& file, const BankCsvForm& form);

}  // namespace brevanta::statements
