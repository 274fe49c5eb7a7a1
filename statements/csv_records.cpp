#include "statements/csv_records.h"

#include <QRegularExpression>

#include "frame/failure.h"

namespace brevanta::statements {

std::vector<CsvRecord> parseCsvRecords(const QString& text) {
    std::vector<CsvRecord> records;
    CsvRecord record;
    QString field;
    bool quoted = false;        // inside a quoted field
    bool fieldStarted = false;  // the record has a field in progress (even an empty one)
    int line = 1;
    int quoteLine = 0;
    record.line = 1;
    const qsizetype size = text.size();
    auto endField = [&] {
        record.fields.push_back(field);
        field.clear();
        fieldStarted = false;
    };
    auto endRecord = [&] {
        if (fieldStarted || !record.fields.empty()) endField();
        // A blank line (or the end after the last line break) is no record.
        const bool blank = record.fields.empty() || (record.fields.size() == 1 && record.fields[0].isEmpty());
        if (!blank) records.push_back(std::move(record));
        record = CsvRecord();
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
            record.line = line;
        } else {
            field += c;
            fieldStarted = true;
        }
    }
    if (quoted)
        throw frame::Failure(QStringLiteral("CSV: the quoted field opened on line %1 never closes").arg(quoteLine));
    endRecord();
    return records;
}

std::vector<std::vector<QString>> parseCsv(const QString& text) {
    std::vector<std::vector<QString>> fields;
    for (CsvRecord& record : parseCsvRecords(text)) fields.push_back(std::move(record.fields));
    return fields;
}

namespace {

bool isGuardedStart(QChar c) {
    return c == u'=' || c == u'+' || c == u'-' || c == u'@' || c == u'\t' || c == u'\r' || c == u'\'';
}

bool isPlainNumber(const QString& text) {
    static const QRegularExpression kNumber(QStringLiteral("^[+-]?([0-9]+([.,][0-9]+)*|[0-9]*\\.[0-9]+)$"));
    return kNumber.match(text).hasMatch();
}

}  // namespace

QString formulaGuarded(const QString& text) {
    if (text.isEmpty() || !isGuardedStart(text.front()) || isPlainNumber(text)) return text;
    return u'\'' + text;
}

QString formulaUnguarded(const QString& field) {
    if (field.size() >= 2 && field.front() == u'\'' && isGuardedStart(field[1])) return field.mid(1);
    return field;
}

QString csvField(const QString& text) {
    const bool needsQuotes = text.contains(u',') || text.contains(u'"') || text.contains(u'\n') ||
                             text.contains(u'\r') || (!text.isEmpty() && (text.front().isSpace() || text.back().isSpace()));
    if (!needsQuotes) return text;
    QString quoted = text;
    quoted.replace(QStringLiteral("\""), QStringLiteral("\"\""));
    return u'"' + quoted + u'"';
}

}  // namespace brevanta::statements
