#include "statements/ofx_reader.h"

#include <libofx/libofx.h>

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QTemporaryFile>
#include <QRegularExpression>
#include <QTimeZone>
#include <algorithm>
#include <cmath>
#include <vector>

#include "frame/text_decoding.h"
#include "statements/statement_values.h"

namespace brevanta::statements {
namespace {

// ---- the check of the text before libofx reads it ----

struct CheckedTransaction {
    int line = 0;
    QDate date;
    Cents amount = 0;
};

struct CheckedText {
    std::vector<CheckedTransaction> transactions;
    QDate ledgerBalanceDate;
};

// Line numbers of positions met in order, counted from the last one.
class LineCounter {
public:
    explicit LineCounter(const QString& text) : text_(text) {}
    int lineAt(qsizetype position) {
        line_ += int(QStringView(text_).mid(counted_, position - counted_).count(u'\n'));
        counted_ = position;
        return line_;
    }

private:
    const QString& text_;
    qsizetype counted_ = 0;
    int line_ = 1;
};

// The value of an SGML or XML element: the text after the tag up to the next tag or line end.
QString elementValue(const QString& text, qsizetype afterTag) {
    qsizetype end = afterTag;
    while (end < text.size() && text.at(end) != u'<' && text.at(end) != u'\n' && text.at(end) != u'\r') ++end;
    return text.mid(afterTag, end - afterTag).trimmed();
}

// An OFX date: YYYYMMDD, maybe followed by a time and a zone ("20250115120000.000[-5:EST]").
std::optional<QDate> ofxDate(const QString& value) {
    static const QRegularExpression kDate(QStringLiteral("^(\\d{4})(\\d{2})(\\d{2})(\\d{2,6}(\\.\\d+)?)?(\\[[^\\]]*\\])?$"));
    const QRegularExpressionMatch match = kDate.match(value);
    if (!match.hasMatch()) return std::nullopt;
    const QDate date(match.captured(1).toInt(), match.captured(2).toInt(), match.captured(3).toInt());
    if (!date.isValid()) return std::nullopt;
    return date;
}

// An OFX amount: a sign, digits, and "." or "," as the decimal mark; no digit
// groups. Within the limits every statement reader keeps.
StatementAmount ofxAmount(const QString& value) {
    static const QRegularExpression kAmount(QStringLiteral("^[+-]?(\\d+([.,]\\d*)?|[.,]\\d+)$"));
    if (!kAmount.match(value).hasMatch())
        return {0, QStringLiteral("the amount \"%1\" is no OFX amount").arg(value.left(40))};
    QString normal = value;
    normal.replace(u',', u'.');
    return readStatementAmount(normal, u'.');
}

CheckedText checkText(const QString& text, const QString& fileName) {
    auto fail = [&](const QString& reason) { return StatementError(fileName + QStringLiteral(": ") + reason); };
    if (text.indexOf(QLatin1String("<OFX>"), 0, Qt::CaseInsensitive) < 0)
        throw fail(QStringLiteral("there is no <OFX> element: this is no OFX statement"));
    if (text.lastIndexOf(QLatin1String("</OFX>"), -1, Qt::CaseInsensitive) < 0)
        throw fail(QStringLiteral("the file ends before </OFX>: it was cut short"));

    CheckedText checked;
    LineCounter lines(text);
    const QLatin1String open("<STMTTRN>"), close("</STMTTRN>");
    qsizetype at = 0;
    while ((at = text.indexOf(open, at, Qt::CaseInsensitive)) >= 0) {
        CheckedTransaction transaction;
        transaction.line = lines.lineAt(at);
        const int number = int(checked.transactions.size()) + 1;
        auto failHere = [&](const QString& reason) {
            return fail(QStringLiteral("transaction %1 (line %2): %3").arg(number).arg(transaction.line).arg(reason));
        };
        const qsizetype end = text.indexOf(close, at, Qt::CaseInsensitive);
        const qsizetype next = text.indexOf(open, at + open.size(), Qt::CaseInsensitive);
        if (end < 0 || (next >= 0 && next < end)) throw failHere(QStringLiteral("the transaction has no </STMTTRN>"));
        const QString body = text.mid(at, end - at);
        const qsizetype posted = body.indexOf(QLatin1String("<DTPOSTED>"), 0, Qt::CaseInsensitive);
        if (posted < 0) throw failHere(QStringLiteral("the transaction has no date (DTPOSTED)"));
        const QString dateValue = elementValue(body, posted + 10);
        const std::optional<QDate> date = ofxDate(dateValue);
        if (!date) throw failHere(QStringLiteral("the date \"%1\" cannot be read").arg(dateValue.left(40)));
        const qsizetype amountAt = body.indexOf(QLatin1String("<TRNAMT>"), 0, Qt::CaseInsensitive);
        if (amountAt < 0) throw failHere(QStringLiteral("the transaction has no amount (TRNAMT)"));
        const QString amountValue = elementValue(body, amountAt + 8);
        const StatementAmount amount = ofxAmount(amountValue);
        if (!amount.refusal.isEmpty()) throw failHere(amount.refusal);
        transaction.date = *date;
        transaction.amount = amount.cents;
        checked.transactions.push_back(transaction);
        at = end + close.size();
    }
    const qsizetype ledger = text.indexOf(QLatin1String("<LEDGERBAL>"), 0, Qt::CaseInsensitive);
    if (ledger >= 0) {
        const qsizetype asOf = text.indexOf(QLatin1String("<DTASOF>"), ledger, Qt::CaseInsensitive);
        if (asOf >= 0)
            if (std::optional<QDate> date = ofxDate(elementValue(text, asOf + 8))) checked.ledgerBalanceDate = *date;
    }
    return checked;
}

// ---- libofx ----

struct LibofxTransaction {
    bool hasAmount = false;
    double amount = 0;
    QString checkNumber, payee, memo;
};

struct LibofxResult {
    std::vector<LibofxTransaction> transactions;
    bool hasLedgerBalance = false;
    double ledgerBalance = 0;
    QDate ledgerBalanceDate;
    QString bankError;
};

// libofx hands over bytes, UTF-8 when it converted them, the file's own bytes otherwise.
QString libofxText(const char* bytes, int valid) {
    if (!valid) return QString();
    return frame::decodeText(QByteArray(bytes)).text.trimmed();
}

int onTransaction(const OfxTransactionData data, void* context) {
    LibofxTransaction transaction;
    transaction.hasAmount = data.amount_valid;
    transaction.amount = data.amount;
    transaction.checkNumber = libofxText(data.check_number, data.check_number_valid);
    transaction.payee = libofxText(data.name, data.name_valid);
    transaction.memo = libofxText(data.memo, data.memo_valid);
    static_cast<LibofxResult*>(context)->transactions.push_back(std::move(transaction));
    return 0;
}

int onStatement(const OfxStatementData data, void* context) {
    auto* result = static_cast<LibofxResult*>(context);
    if (data.ledger_balance_valid) {
        result->hasLedgerBalance = true;
        result->ledgerBalance = data.ledger_balance;
        if (data.ledger_balance_date_valid)
            result->ledgerBalanceDate = QDateTime::fromSecsSinceEpoch(data.ledger_balance_date, Qt::UTC).date();
    }
    return 0;
}

int onStatus(const OfxStatusData data, void* context) {
    if (data.severity_valid && data.severity == OfxStatusData::ERROR) {
        auto* result = static_cast<LibofxResult*>(context);
        QString text = QStringLiteral("the bank reports error %1").arg(data.code);
        if (data.code_valid && data.name) text += QStringLiteral(" (%1)").arg(QString::fromUtf8(data.name));
        if (data.server_message_valid && data.server_message)
            text += QStringLiteral(": ") + QString::fromUtf8(data.server_message);
        if (result->bankError.isEmpty()) result->bankError = text;
    }
    return 0;
}

// libofx writes its messages to the console unless told not to.
void quietLibofx() {
    ofx_PARSER_msg = ofx_DEBUG_msg = ofx_DEBUG1_msg = ofx_DEBUG2_msg = ofx_DEBUG3_msg = ofx_DEBUG4_msg =
        ofx_DEBUG5_msg = ofx_STATUS_msg = ofx_INFO_msg = ofx_WARNING_msg = ofx_ERROR_msg = ofx_show_position = 0;
}

// Adds what libofx reads of the file at `path` to `result`.
void runLibofx(const QString& path, const QString& fileName, LibofxResult& result) {
    quietLibofx();
    LibofxContextPtr context = libofx_get_new_context();
    ofx_set_transaction_cb(context, onTransaction, &result);
    ofx_set_statement_cb(context, onStatement, &result);
    ofx_set_status_cb(context, onStatus, &result);
    const int outcome = libofx_proc_file(context, QFile::encodeName(path).constData(), AUTODETECT);
    libofx_free_context(context);
    if (outcome < 0) throw StatementError(fileName + QStringLiteral(": libofx cannot read the file as OFX"));
}

// libofx takes time that grows with the square of the transactions in one
// file (10,000 take over a second, 2,000 a twentieth of that). A long
// statement is therefore given to it in parts: the file's own bytes before
// the first <STMTTRN>, a run of whole transactions, and the bytes after the
// last </STMTTRN>, each part a complete statement in the file's encoding.
constexpr size_t kTransactionsPerPart = 2000;

// The byte ranges of the transactions, or nothing when the bytes do not show
// exactly the transactions the text check found (UTF-16, lower-case tags).
std::vector<std::pair<qsizetype, qsizetype>> transactionBytes(const QByteArray& bytes, size_t expected) {
    std::vector<std::pair<qsizetype, qsizetype>> ranges;
    const QByteArray open("<STMTTRN>"), close("</STMTTRN>");
    qsizetype at = 0;
    while ((at = bytes.indexOf(open, at)) >= 0) {
        const qsizetype end = bytes.indexOf(close, at);
        if (end < 0) return {};
        ranges.emplace_back(at, end + close.size());
        at = end + close.size();
    }
    if (ranges.size() != expected) return {};
    return ranges;
}

LibofxResult readWithLibofx(const QString& path, const QByteArray& bytes, size_t transactionCount,
                            const QString& fileName) {
    LibofxResult result;
    std::vector<std::pair<qsizetype, qsizetype>> ranges;
    if (transactionCount > kTransactionsPerPart) ranges = transactionBytes(bytes, transactionCount);
    if (ranges.empty()) {
        runLibofx(path, fileName, result);
        return result;
    }
    const QByteArray head = bytes.left(ranges.front().first);
    const QByteArray tail = bytes.mid(ranges.back().second);
    for (size_t first = 0; first < ranges.size(); first += kTransactionsPerPart) {
        const size_t last = std::min(ranges.size(), first + kTransactionsPerPart) - 1;
        QTemporaryFile part(QDir::tempPath() + QStringLiteral("/brevanta-statement-XXXXXX.ofx"));
        if (!part.open()) throw StatementError(fileName + QStringLiteral(": no room for a temporary file"));
        const QByteArray body = bytes.mid(ranges[first].first, ranges[last].second - ranges[first].first);
        if (part.write(head) < 0 || part.write(body) < 0 || part.write(tail) < 0 || !part.flush())
            throw StatementError(fileName + QStringLiteral(": no room for a temporary file"));
        runLibofx(part.fileName(), fileName, result);
    }
    return result;
}

}  // namespace

bool looksLikeOfx(const QString& text) {
    const QString start = text.left(4096).trimmed();
    if (start.startsWith(QLatin1String("OFXHEADER"), Qt::CaseInsensitive)) return true;
    if (start.startsWith(QLatin1String("<?xml"), Qt::CaseInsensitive))
        return start.contains(QLatin1String("<?OFX"), Qt::CaseInsensitive) ||
               start.contains(QLatin1String("<OFX>"), Qt::CaseInsensitive);
    return start.startsWith(QLatin1String("<OFX>"), Qt::CaseInsensitive);
}

Statement readOfx(const QString& path, const QByteArray& bytes, const QString& text, const QString& fileName) {
    const CheckedText checked = checkText(text, fileName);
    const LibofxResult read = readWithLibofx(path, bytes, checked.transactions.size(), fileName);
    if (!read.bankError.isEmpty() && read.transactions.empty())
        throw StatementError(fileName + QStringLiteral(": ") + read.bankError);
    if (read.transactions.size() != checked.transactions.size())
        throw StatementError(QStringLiteral("%1: libofx read %2 of the %3 transactions; the file is damaged")
                                 .arg(fileName)
                                 .arg(read.transactions.size())
                                 .arg(checked.transactions.size()));
    Statement statement;
    statement.entries.reserve(checked.transactions.size());
    for (size_t i = 0; i < checked.transactions.size(); ++i) {
        const CheckedTransaction& expected = checked.transactions[i];
        const LibofxTransaction& transaction = read.transactions[i];
        const Cents libofxCents = std::llround(transaction.amount * 100);
        if (!transaction.hasAmount || libofxCents != expected.amount)
            throw StatementError(QStringLiteral("%1: transaction %2 (line %3): libofx read its amount differently; "
                                                "the file is damaged")
                                     .arg(fileName)
                                     .arg(i + 1)
                                     .arg(expected.line));
        StatementEntry entry;
        entry.line = expected.line;
        entry.date = expected.date;
        entry.amount = expected.amount;
        entry.checkNumber = transaction.checkNumber;
        entry.payee = transaction.payee;
        entry.memo = transaction.memo;
        entry.cleared = true;
        statement.entries.push_back(std::move(entry));
    }
    if (read.hasLedgerBalance) {
        statement.ledgerBalance = std::llround(read.ledgerBalance * 100);
        statement.ledgerBalanceDate =
            checked.ledgerBalanceDate.isValid() ? checked.ledgerBalanceDate : read.ledgerBalanceDate;
    }
    return statement;
}

}  // namespace brevanta::statements
