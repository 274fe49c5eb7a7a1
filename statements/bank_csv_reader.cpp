#include "statements/bank_csv_reader.h"

#include <QStringList>

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

StatementError lineError(const QString& fileName, int line, const QString& reason) {
    return StatementError(QStringLiteral("%1: line %2: %3").arg(fileName, QString::number(line), reason));
}

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

BankCsvFile::BankCsvFile(const QString& text, const QString& fileName) : fileName_(fileName) {
    static_assert(std::tuple_size_v<decltype(where_)> == kColumnCount);
    try {
        records_ = parseCsvRecords(withoutMark(text));
    } catch (const frame::Failure& failure) {
        throw StatementError(fileName + QStringLiteral(": ") + failure.description());
    }
    if (records_.empty()) throw lineError(fileName, 1, QStringLiteral("the file holds no header line"));
    where_ = headerColumns(records_.front().fields);
    if (!isUsableHeader(where_))
        throw lineError(fileName, records_.front().line,
                        QStringLiteral("the header names no Date column and no Amount, Debit or Credit column"));
    const size_t width = records_.front().fields.size();
    std::vector<ColumnText> dateTexts, amountTexts;
    dateTexts.reserve(records_.size());
    for (size_t r = 1; r < records_.size(); ++r) {
        const CsvRecord& record = records_[r];
        if (record.fields.size() != width)
            throw lineError(fileName, record.line,
                            QStringLiteral("the record has %1 fields, the header %2").arg(record.fields.size()).arg(width));
        dateTexts.push_back({record.line, field(record, DateColumn)});
        for (const int column : {AmountColumn, DebitColumn, CreditColumn})
            if (QString text = field(record, column); !text.isEmpty()) amountTexts.push_back({record.line, text});
    }
    dates_ = decideDateOrder(dateTexts, fileName);
    amounts_ = decideDecimalMark(amountTexts, fileName);
}

QString BankCsvFile::columnName(int column) const {
    return records_.front().fields[size_t(where_[size_t(column)])].trimmed().left(40);
}

QString BankCsvFile::field(const CsvRecord& record, int column) const {
    const int at = where_[size_t(column)];
    return at < 0 ? QString() : formulaUnguarded(record.fields[size_t(at)]).trimmed();
}

StatementAmount BankCsvFile::amountOf(const CsvRecord& record, QChar decimalMark) const {
    if (where_[AmountColumn] >= 0) {
        const QString text = field(record, AmountColumn);
        if (text.isEmpty()) return {0, QStringLiteral("the %1 field is empty").arg(columnName(AmountColumn))};
        return readStatementAmount(text, decimalMark);
    }
    // Banks write withdrawals as positive or negative numbers; either way they leave the account.
    const QString debitText = field(record, DebitColumn);
    const QString creditText = field(record, CreditColumn);
    if (debitText.isEmpty() && creditText.isEmpty()) {
        QStringList names;
        for (const int column : {DebitColumn, CreditColumn})
            if (where_[size_t(column)] >= 0) names << columnName(column);
        return {0, QStringLiteral("the %1 %2 empty")
                       .arg(names.join(QStringLiteral(" and ")),
                            QLatin1String(names.size() > 1 ? "fields are both" : "field is"))};
    }
    StatementAmount debit, credit;
    if (!debitText.isEmpty()) debit = readStatementAmount(debitText, decimalMark);
    if (!debit.refusal.isEmpty()) return debit;
    if (!creditText.isEmpty()) credit = readStatementAmount(creditText, decimalMark);
    if (!credit.refusal.isEmpty()) return credit;
    const Cents net = credit.cents - (debit.cents < 0 ? -debit.cents : debit.cents);
    if (net < -kLargestStatementAmount)
        return {0, QStringLiteral("the amounts \"%1\" and \"%2\" come to more than %3")
                       .arg(debitText.left(40), creditText.left(40), QLatin1String(kLargestStatementAmountText))};
    return {net, QString()};
}

std::optional<BankCsvForm> BankCsvFile::decidedForm(std::optional<DateOrder> givenOrder,
                                                    std::optional<QChar> givenMark) const {
    const std::optional<DateOrder> order = givenOrder ? givenOrder : dates_.order;
    const std::optional<QChar> mark = givenMark ? givenMark : amounts_.decimalMark;
    if (!order || !mark) return std::nullopt;
    return BankCsvForm{*order, *mark};
}

QString BankCsvFile::openQuestion(std::optional<DateOrder> givenOrder, std::optional<QChar> givenMark) const {
    QStringList open;
    if (!givenOrder && !dates_.order)
        open << QStringLiteral("every date reads both day first and month first (line %1: \"%2\")")
                    .arg(QString::number(dates_.example.line), dates_.example.text.left(40));
    if (!givenMark && !amounts_.decimalMark)
        open << QStringLiteral("no amount shows whether \".\" or \",\" is the decimal mark (line %1: \"%2\")")
                    .arg(QString::number(amounts_.example.line), amounts_.example.text.left(40));
    return open.join(QStringLiteral("; "));
}

BankCsvRow BankCsvFile::row(size_t index, const BankCsvForm& form) const {
    const CsvRecord& record = records_.at(index + 1);
    BankCsvRow row;
    row.line = record.line;
    row.dateText = field(record, DateColumn);
    row.date = readDateInOrder(row.dateText, form.dateOrder);
    row.amount = amountOf(record, form.decimalMark);
    row.payee = field(record, PayeeColumn);
    if (row.payee.isEmpty()) row.payee = field(record, MemoColumn);
    return row;
}

Statement BankCsvFile::read(const BankCsvForm& form) const {
    // Year first is never in doubt; the others say which way the date was read.
    static const QString kOrderNames[] = {QStringLiteral(" day first"), QStringLiteral(" month first"), QString()};
    Statement statement;
    statement.entries.reserve(rowCount());
    for (size_t r = 1; r < records_.size(); ++r) {
        const CsvRecord& record = records_[r];
        StatementEntry entry;
        entry.line = record.line;
        const QString dateText = field(record, DateColumn);
        const std::optional<QDate> date = readDateInOrder(dateText, form.dateOrder);
        if (!date)
            throw lineError(fileName_, record.line,
                            QStringLiteral("the date \"%1\" cannot be read%2")
                                .arg(dateText.left(40), kOrderNames[int(form.dateOrder)]));
        entry.date = *date;
        const StatementAmount amount = amountOf(record, form.decimalMark);
        if (!amount.refusal.isEmpty()) throw lineError(fileName_, record.line, amount.refusal);
        entry.amount = amount.cents;
        entry.payee = field(record, PayeeColumn);
        entry.memo = field(record, MemoColumn);
        entry.checkNumber = field(record, NumberColumn);
        entry.category = field(record, CategoryColumn);
        entry.cleared = isClearedMark(field(record, ClearedColumn));
        statement.entries.push_back(std::move(entry));
    }
    return statement;
}

QString bankCsvFormNote(const BankCsvForm& form, bool orderChosen, bool markChosen, bool marksWritten) {
    const QString chosen = QStringLiteral(" as you chose");
    QString note = QStringLiteral("Dates read ") + dateOrderText(form.dateOrder) + (orderChosen ? chosen : QString());
    if (marksWritten || markChosen)
        note += QStringLiteral("; decimal mark \"%1\"").arg(form.decimalMark) + (markChosen ? chosen : QString());
    else
        note += QStringLiteral("; no amount has a decimal mark");
    return note + QLatin1Char('.');
}

Statement readBankCsv(const QString& text, const QString& fileName) {
    const BankCsvFile file(text, fileName);
    const std::optional<BankCsvForm> form = file.decidedForm();
    if (!form) throw StatementError(fileName + QStringLiteral(": ") + file.openQuestion());
    return file.read(*form);
}

}  // namespace brevanta::statements
