#include "statements/bank_csv_reader.h"

#include <QStringList>
#include <array>

#include "statements/csv_records.h"
#include "statements/statement_values.h"

namespace brevanta::statements {
namespace {

enum Column { DateColumn, PayeeColumn, MemoColumn, AmountColumn, DebitColumn, CreditColumn, NumberColumn,
              CategoryColumn, ClearedColumn, kColumnCount };

// "Check #" and "check_no" both become "check#" and "checkno".
QString headerKey(const QString& name) {
    QString key;
    for (QChar c : name)
        if (c.isLetterOrNumber() || c == u'#') key += c.toLower();
    return key;
}

struct ColumnName {
    Column column;
    const char* key;
};

constexpr ColumnName kColumnNames[] = {
    {DateColumn, "date"},          {DateColumn, "posteddate"},  {DateColumn, "postingdate"},
    {DateColumn, "transactiondate"}, {PayeeColumn, "description"}, {PayeeColumn, "payee"},
    {PayeeColumn, "name"},         {MemoColumn, "memo"},        {AmountColumn, "amount"},
    {DebitColumn, "debit"},        {DebitColumn, "withdrawal"}, {DebitColumn, "withdrawals"},
    {CreditColumn, "credit"},      {CreditColumn, "deposit"},   {CreditColumn, "deposits"},
    {NumberColumn, "checknumber"}, {NumberColumn, "number"},    {NumberColumn, "check#"},
    {NumberColumn, "checkno"},     {NumberColumn, "ref"},       {CategoryColumn, "category"},
    {ClearedColumn, "cleared"},
};

int columnOf(const QString& key) {
    for (const ColumnName& name : kColumnNames)
        if (key == QLatin1String(name.key)) return name.column;
    return -1;
}

// Where each known column is in the header (the first of its kind), -1 where absent.
std::array<int, kColumnCount> headerColumns(const std::vector<QString>& header) {
    std::array<int, kColumnCount> where;
    where.fill(-1);
    for (size_t i = 0; i < header.size(); ++i) {
        const int column = columnOf(headerKey(header[i]));
        if (column >= 0 && where[size_t(column)] < 0) where[size_t(column)] = int(i);
    }
    return where;
}

bool isUsableHeader(const std::array<int, kColumnCount>& where) {
    return where[DateColumn] >= 0 &&
           (where[AmountColumn] >= 0 || where[DebitColumn] >= 0 || where[CreditColumn] >= 0);
}

bool isClearedMark(const QString& text) {
    static const QStringList kMarks{QStringLiteral("yes"), QStringLiteral("y"), QStringLiteral("x"),
                                    QStringLiteral("*"),   QStringLiteral("c"), QStringLiteral("r"),
                                    QStringLiteral("cleared"), QStringLiteral("reconciled")};
    return kMarks.contains(text.trimmed().toLower());
}

QString withoutMark(const QString& text) { return text.startsWith(QChar(0xFEFF)) ? text.mid(1) : text; }

}  // namespace

bool looksLikeBankCsv(const QString& text) {
    const QString body = withoutMark(text);
    const qsizetype end = body.indexOf(u'\n');
    try {
        const auto records = parseCsvRecords(end < 0 ? body : body.left(end));
        return !records.empty() && isUsableHeader(headerColumns(records.front().fields));
    } catch (const frame::Failure&) {
        return false;
    }
}

Statement readBankCsv(const QString& text, const QString& fileName, const QLocale& locale) {
    auto fail = [&](int line, const QString& reason) -> StatementError {
        return StatementError(QStringLiteral("%1: line %2: %3").arg(fileName).arg(line).arg(reason));
    };
    std::vector<CsvRecord> records;
    try {
        records = parseCsvRecords(withoutMark(text));
    } catch (const frame::Failure& failure) {
        throw StatementError(fileName + QStringLiteral(": ") + failure.description());
    }
    if (records.empty()) throw fail(1, QStringLiteral("the file holds no header line"));
    const std::array<int, kColumnCount> where = headerColumns(records.front().fields);
    if (!isUsableHeader(where))
        throw fail(records.front().line,
                   QStringLiteral("the header names no Date column and no Amount, Debit or Credit column"));
    const QString point = locale.decimalPoint();
    const QChar decimalPoint = point.size() == 1 ? point.front() : QChar(u'.');
    const size_t width = records.front().fields.size();

    Statement statement;
    statement.entries.reserve(records.size() - 1);
    for (size_t r = 1; r < records.size(); ++r) {
        const CsvRecord& record = records[r];
        if (record.fields.size() != width)
            throw fail(record.line, QStringLiteral("the record has %1 fields, the header %2")
                                        .arg(record.fields.size())
                                        .arg(width));
        auto field = [&](Column column) {
            const int at = where[size_t(column)];
            return at < 0 ? QString() : formulaUnguarded(record.fields[size_t(at)]).trimmed();
        };
        auto amount = [&](Column column) -> Cents {
            const QString text = field(column);
            if (text.isEmpty()) return 0;
            const std::optional<Cents> value = readAmount(text, decimalPoint);
            if (!value) throw fail(record.line, QStringLiteral("the amount \"%1\" is no number").arg(text.left(40)));
            return *value;
        };
        StatementEntry entry;
        entry.line = record.line;
        const QString dateText = field(DateColumn);
        const std::optional<QDate> date = readCsvDate(dateText, locale);
        if (!date) throw fail(record.line, QStringLiteral("the date \"%1\" cannot be read").arg(dateText.left(40)));
        entry.date = *date;
        if (where[AmountColumn] >= 0) {
            entry.amount = amount(AmountColumn);
        } else {
            // Banks write withdrawals as positive or negative numbers; either way they leave the account.
            const Cents debit = amount(DebitColumn);
            entry.amount = amount(CreditColumn) - (debit < 0 ? -debit : debit);
        }
        entry.payee = field(PayeeColumn);
        entry.memo = field(MemoColumn);
        entry.checkNumber = field(NumberColumn);
        entry.category = field(CategoryColumn);
        entry.cleared = isClearedMark(field(ClearedColumn));
        statement.entries.push_back(std::move(entry));
    }
    return statement;
}

}  // namespace brevanta::statements
