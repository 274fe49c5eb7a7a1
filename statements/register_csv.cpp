#include "statements/register_csv.h"

#include <QStringList>

#include "frame/failure.h"
#include "frame/safe_file.h"
#include "frame/text_safety.h"
#include "ledger/amounts.h"
#include "ledger/amount_test.h"
#include "statements/csv_records.h"

namespace brevanta::statements {
namespace {

const QStringList& headerNames() {
    static const QStringList kHeader{QStringLiteral("Date"),     QStringLiteral("Number"),  QStringLiteral("Description"),
                                     QStringLiteral("Category"), QStringLiteral("Cleared"), QStringLiteral("Debit"),
                                     QStringLiteral("Credit")};
    return kHeader;
}

// Zero amounts are read as empty fields, as Add Transaction keeps them. An
// amount the window takes ("$12" under en_US) is zero only when it is;
// other texts keep the rule lists were always read by.
bool readAsEmpty(const QString& amount) {
    const ledger::TypedAmount typed = ledger::readTypedAmount(amount);
    return typed.isAmount() ? typed.value == 0 : reg::amountIsZero(amount);
}

}  // namespace

QString registerCsvHeader() { return headerNames().join(QLatin1Char(',')); }

std::vector<reg::Transaction> transactionsFromCsv(const QString& text) {
    QString body = text;
    if (body.startsWith(QChar(0xFEFF))) body.remove(0, 1);
    const auto records = parseCsvRecords(body);
    if (records.empty()) throw frame::Failure(QStringLiteral("CSV: the header line is missing"));
    QStringList header;
    for (const QString& name : records[0].fields) header << name.trimmed();
    if (header != headerNames()) throw frame::Failure(QStringLiteral("CSV: the header must be ") + registerCsvHeader());
    std::vector<reg::Transaction> transactions;
    transactions.reserve(records.size() - 1);
    for (size_t r = 1; r < records.size(); ++r) {
        if (records[r].fields.size() != reg::kFieldCount)
            throw frame::Failure(QStringLiteral("CSV: the record on line %1 has %2 fields, 7 expected")
                                     .arg(records[r].line)
                                     .arg(records[r].fields.size()));
        reg::Transaction t;
        for (int f = 0; f < reg::kFieldCount; ++f) t[f] = formulaUnguarded(records[r].fields[f]);
        for (int f : {reg::Debit, reg::Credit})
            if (readAsEmpty(t[f])) t[f].clear();
        transactions.push_back(std::move(t));
    }
    return transactions;
}

QByteArray csvFromTransactions(const reg::TransactionSource& rows) {
    QString text = registerCsvHeader() + QStringLiteral("\r\n");
    const int count = rows.rowCount();
    text.reserve(qsizetype(count) * 64 + text.size());
    for (int row = 1; row <= count; ++row) {
        for (int field = 0; field < reg::kFieldCount; ++field) {
            if (field > 0) text += u',';
            text += csvField(formulaGuarded(frame::textSafeFor(rows.field(row, field), frame::TextFormat::Unicode)));
        }
        text += QStringLiteral("\r\n");
    }
    return text.toUtf8();
}

void exportListAsCsv(const reg::TransactionSource& rows, const QString& path) {
    frame::writeFileSafely(path, csvFromTransactions(rows));
}

}  // namespace brevanta::statements
