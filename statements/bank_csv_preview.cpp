#include "statements/bank_csv_preview.h"

#include <algorithm>

#include "statements/statement_values.h"

namespace brevanta::statements {

std::vector<size_t> previewRows(const BankCsvFile& file, size_t count) {
    // Two forms that differ in what the file leaves open.
    const BankCsvForm one{DateOrder::DayMonthYear, u'.'};
    const BankCsvForm other{file.dates().order ? DateOrder::DayMonthYear : DateOrder::MonthDayYear,
                            file.amounts().decimalMark ? u'.' : u','};
    std::vector<size_t> telling, others;
    for (size_t index = 0; index < file.rowCount() && telling.size() < count; ++index) {
        const BankCsvRow first = file.row(index, one), second = file.row(index, other);
        const bool tells = first.date != second.date || first.amount.cents != second.amount.cents ||
                           first.amount.refusal.isEmpty() != second.amount.refusal.isEmpty();
        if (tells) telling.push_back(index);
        else if (others.size() < count) others.push_back(index);
    }
    std::vector<size_t> rows = telling;
    for (size_t index : others)
        if (rows.size() < count) rows.push_back(index);
    std::sort(rows.begin(), rows.end());
    return rows;
}

QStringList previewColumns() {
    return {QStringLiteral("Line"), QStringLiteral("In the file"), QStringLiteral("Read as"), QStringLiteral("Amount"),
            QStringLiteral("Payee")};
}

std::vector<QStringList> previewTable(const BankCsvFile& file, const std::vector<size_t>& rows,
                                      const BankCsvForm& form, const QLocale& locale) {
    const QString unreadable = QStringLiteral("cannot be read");
    std::vector<QStringList> table;
    table.reserve(rows.size());
    for (size_t index : rows) {
        const BankCsvRow row = file.row(index, form);
        table.push_back({QString::number(row.line), row.dateText,
                         row.date ? locale.toString(*row.date, QLocale::LongFormat) : unreadable,
                         row.amount.refusal.isEmpty() ? displayAmount(row.amount.cents, locale) : unreadable,
                         row.payee});
    }
    return table;
}

QString formProblem(const BankCsvFile& file, const BankCsvForm& form) {
    try {
        file.read(form);
    } catch (const StatementError& error) {
        return error.description();
    }
    return QString();
}

}  // namespace brevanta::statements
