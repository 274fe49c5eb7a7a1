#include "generate/csv_transactions.h"

#include <QStringList>

#include "frame/failure.h"
#include "register/amount_test.h"

namespace brevanta::generate {

std::vector<std::vector<QString>> parseCsv(const QString& text) {
    std::vector<std::vector<QString>> records;
    std::vector<QString> record;
    QString field;
    bool quoted = false;       // inside a quoted field
    bool fieldStarted = false;  // the record has a field in progress (even an empty one)
    int line = 1;
    int quoteLine = 0;
    const qsizetype size = text.size();
    auto endField = [&] {
        record.push_back(field);
        field.clear();
        fieldStarted = false;
    };
    auto endRecord = [&] {
        if (fieldStarted || !record.empty()) endField();
        // A blank line (or the end after the last line break) is no record.
        const bool blank = record.empty() || (record.size() == 1 && record[0].isEmpty());
        if (!blank) records.push_back(std::move(record));
        record.clear();
    };
    for (qsizetype i = 0; i < size; ++i) {
        const QChar c = text[i];
        if (quoted) {
            if (c == u'"') {
                if (i + 1 < size && text[i + 1] == u'"') {
                    field += u'"';
                    ++i;
                } else {
                    quoted = false;
                }
            } else {
                if (c == u'\n') ++line;
                field += c;
            }
            continue;
        }
        if (c == u'"') {
            quoted = true;
            quoteLine = line;
            fieldStarted = true;
        } else if (c == u',') {
            endField();
            fieldStarted = true;
        } else if (c == u'\r' || c == u'\n') {
            if (c == u'\r' && i + 1 < size && text[i + 1] == u'\n') ++i;
            endRecord();
            ++line;
        } else {
            field += c;
            fieldStarted = true;
        }
    }
    if (quoted) throw frame::Failure(QStringLiteral("CSV: the quoted field opened on line %1 never closes").arg(quoteLine));
    endRecord();
    return records;
}

std::vector<reg::Transaction> transactionsFromCsv(const QString& text) {
    QString body = text;
    if (body.startsWith(QChar(0xFEFF))) body.remove(0, 1);
    const auto records = parseCsv(body);
    static const QStringList kHeader{QStringLiteral("Date"), QStringLiteral("Number"), QStringLiteral("Description"),
                                     QStringLiteral("Category"), QStringLiteral("Cleared"), QStringLiteral("Debit"),
                                     QStringLiteral("Credit")};
    if (records.empty()) throw frame::Failure(QStringLiteral("CSV: the header line is missing"));
    QStringList header;
    for (const QString& name : records[0]) header << name.trimmed();
    if (header != kHeader)
        throw frame::Failure(QStringLiteral("CSV: the header must be ") + kHeader.join(QLatin1Char(',')));
    std::vector<reg::Transaction> transactions;
    transactions.reserve(records.size() - 1);
    for (size_t r = 1; r < records.size(); ++r) {
        if (records[r].size() != reg::kFieldCount)
            throw frame::Failure(QStringLiteral("CSV: record %1 has %2 fields, 7 expected")
                                     .arg(r + 1).arg(records[r].size()));
        reg::Transaction t;
        for (int f = 0; f < reg::kFieldCount; ++f) t[f] = records[r][f];
        for (int f : {reg::Debit, reg::Credit})
            if (reg::amountIsZero(t[f])) t[f].clear();
        transactions.push_back(std::move(t));
    }
    return transactions;
}

}  // namespace brevanta::generate
