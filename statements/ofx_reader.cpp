#include "statements/ofx_reader.h"

#include <libofx/libofx.h>

#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStringDecoder>
#include <QRegularExpression>
#include <QScopeGuard>
#include <QTimeZone>
#include <algorithm>
#include <cmath>
#include <vector>

#include "frame/temporary_files.h"
#include "frame/text_decoding.h"
#include "statements/contained_process.h"
#include "statements/ofx_reader_protocol.h"
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
    std::optional<Cents> ledgerBalance;
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
        const qsizetype amount = text.indexOf(QLatin1String("<BALAMT>"), ledger, Qt::CaseInsensitive);
        if (amount >= 0)
            if (const StatementAmount balance = ofxAmount(elementValue(text, amount + 8)); balance.refusal.isEmpty())
                checked.ledgerBalance = balance.cents;
    }
    return checked;
}

// ---- libofx, in a process of its own ----

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

// libofx keeps at most this many bytes of a field, cut wherever they end.
constexpr qsizetype kCheckNumberBytes = OFX_CHECK_NUMBER_LENGTH - 1;
constexpr qsizetype kNameBytes = OFX_TRANSACTION_NAME_LENGTH - 1;
constexpr qsizetype kMemoBytes = OFX_MEMO2_LENGTH - 1;

bool isUtf8(QByteArrayView bytes) {
    QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    (void)QString(decoder.decode(bytes));
    return !decoder.hasError();
}

// One field as libofx gave it: UTF-8 when it converted the file, the file's
// own bytes otherwise. A field libofx cut at its length may end in part of a
// UTF-8 character; that part is dropped, so the rest still reads as UTF-8
// rather than the whole field as Windows-1252.
QString fieldText(QByteArray bytes, qsizetype cutLength) {
    if (bytes.size() >= cutLength && !isUtf8(bytes)) {
        qsizetype start = bytes.size();
        while (start > 0 && bytes.size() - start < 3 && (uchar(bytes.at(start - 1)) & 0xC0) == 0x80) --start;
        if (start > 0) {
            const uchar lead = uchar(bytes.at(start - 1));
            const qsizetype needed = lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC2 ? 2 : 0;
            const qsizetype have = bytes.size() - (start - 1);
            if (lead < 0xF5 && needed > have && isUtf8(QByteArrayView(bytes).first(start - 1))) bytes.truncate(start - 1);
        }
    }
    return frame::decodeText(bytes).text.trimmed();
}

QString ofxReaderProgram(const QString& fileName) {
    for (const QString& place : ofxReaderPlaces(QCoreApplication::applicationDirPath())) {
        const QFileInfo info(place);
        if (info.isFile() && info.isExecutable()) return info.absoluteFilePath();
    }
    throw StatementError(fileName + QStringLiteral(": the OFX reader (%1) is missing; the program is not installed "
                                                   "completely")
                             .arg(QLatin1String(kOfxReaderName)));
}

// Reverses the field escape of brevanta-ofx-reader; nothing when it is not one.
std::optional<QByteArray> unescapeField(QByteArrayView text) {
    if (text == "-") return QByteArray();
    QByteArray bytes;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c == '-') return std::nullopt;
        if (c != '%') {
            bytes += c;
            continue;
        }
        if (i + 2 >= text.size()) return std::nullopt;
        bool ok = false;
        const uint value = QByteArray(text.sliced(i + 1, 2).data(), 2).toUInt(&ok, 16);
        if (!ok) return std::nullopt;
        bytes += char(value);
        i += 2;
    }
    if (bytes.size() > qsizetype(ofxprotocol::kLongestField)) return std::nullopt;
    return bytes;
}

// "%.17g" of an amount a statement may hold.
std::optional<double> readNumber(QByteArrayView text) {
    if (text.isEmpty() || text.size() > 40) return std::nullopt;
    bool ok = false;
    const double value = QByteArray(text.data(), text.size()).toDouble(&ok);
    if (!ok || !std::isfinite(value) || std::fabs(value) > 1e15) return std::nullopt;
    return value;
}

std::optional<bool> readFlag(QByteArrayView text) {
    if (text == "0") return false;
    if (text == "1") return true;
    return std::nullopt;
}

// The reader's answer, checked line by line; nothing when any part is wrong.
// (Its length is bounded by the caller; the count is compared with the text's afterwards.)
std::optional<LibofxResult> readAnswer(const QByteArray& output, bool& libofxFailed) {
    if (!output.endsWith('\n')) return std::nullopt;
    const QList<QByteArray> lines = output.first(output.size() - 1).split('\n');
    if (lines.size() < 2 || lines.front() != ofxprotocol::kFirstLine) return std::nullopt;
    LibofxResult result;
    for (qsizetype i = 1; i < lines.size(); ++i) {
        const QByteArray& line = lines[i];
        if (line.size() > qsizetype(ofxprotocol::kLongestLine)) return std::nullopt;
        const QList<QByteArray> parts = line.split(' ');
        const bool last = i == lines.size() - 1;
        if (parts[0] == "T" && parts.size() == 6 && !last) {
            const std::optional<bool> valid = readFlag(parts[1]);
            const std::optional<double> amount = readNumber(parts[2]);
            const std::optional<QByteArray> check = unescapeField(parts[3]), name = unescapeField(parts[4]),
                                            memo = unescapeField(parts[5]);
            if (!valid || !amount || !check || !name || !memo) return std::nullopt;
            LibofxTransaction transaction;
            transaction.hasAmount = *valid;
            transaction.amount = *amount;
            transaction.checkNumber = fieldText(*check, kCheckNumberBytes);
            transaction.payee = fieldText(*name, kNameBytes);
            transaction.memo = fieldText(*memo, kMemoBytes);
            result.transactions.push_back(std::move(transaction));
        } else if (parts[0] == "S" && parts.size() == 5 && !last) {
            const std::optional<bool> valid = readFlag(parts[1]), dateValid = readFlag(parts[3]);
            const std::optional<double> balance = readNumber(parts[2]);
            bool ok = false;
            const qint64 seconds = parts[4].toLongLong(&ok);
            if (!valid || !dateValid || !balance || !ok || *valid != true) return std::nullopt;
            result.hasLedgerBalance = true;
            result.ledgerBalance = *balance;
            const QDate date = QDateTime::fromSecsSinceEpoch(seconds, Qt::UTC).date();
            result.ledgerBalanceDate = *dateValid && date.isValid() && date.year() >= 1900 && date.year() <= 9999 ? date : QDate();
        } else if (parts[0] == "E" && parts.size() == 4 && !last) {
            bool ok = false;
            const int code = parts[1].toInt(&ok);
            const std::optional<QByteArray> name = unescapeField(parts[2]), message = unescapeField(parts[3]);
            if (!ok || !name || !message) return std::nullopt;
            if (result.bankError.isEmpty()) {
                QString text = QStringLiteral("the bank reports error %1").arg(code);
                if (!name->isEmpty()) text += QStringLiteral(" (%1)").arg(fieldText(*name, 0).left(200));
                if (!message->isEmpty()) text += QStringLiteral(": ") + fieldText(*message, 0).left(200);
                result.bankError = text;
            }
        } else if (parts[0] == "FAIL" && parts.size() == 1 && last) {
            libofxFailed = true;
        } else if (parts[0] == "END" && parts.size() == 2 && last) {
            bool ok = false;
            if (parts[1].toULongLong(&ok) != result.transactions.size() || !ok) return std::nullopt;
        } else {
            return std::nullopt;
        }
    }
    return result;
}

LibofxResult readWithLibofx(const QByteArray& bytes, size_t transactionCount, const QString& fileName,
                            const std::atomic<bool>* cancel, const ProcessLimits& limits) {
    auto fail = [&](const QString& reason) { return StatementError(fileName + QStringLiteral(": ") + reason); };
    const QString program = ofxReaderProgram(fileName);
    const ContainedFolder folder;
    const QString copy = folder.workFolder() + QStringLiteral("/statement.ofx");
    // The copy holds account numbers: it goes even when the program is ended meanwhile.
    frame::rememberTemporaryFile(copy);
    const auto forget = qScopeGuard([&] { frame::forgetTemporaryFile(copy); });
    {
        QFile file(copy);
        if (!file.open(QIODevice::WriteOnly | QIODevice::NewOnly) || file.write(bytes) != bytes.size() || !file.flush())
            throw fail(QStringLiteral("no room for a temporary copy: ") + file.errorString());
    }
    // Only our own folders for the SGML parser's catalogs (there are none),
    // nothing from our environment, which may name others.
    const qsizetype mostOutput = qsizetype(ofxprotocol::kLongestLine) * qsizetype(transactionCount + 64);
    const ProcessOutcome outcome =
        runContained(program, {copy, QString::number(transactionCount), QStringLiteral("--copy")}, folder,
                     {QStringLiteral("LC_ALL=C"), QStringLiteral("SGML_SEARCH_PATH=") + folder.workFolder(),
                      QStringLiteral("SGML_CATALOG_FILES=") + folder.workFolder() + QStringLiteral("/catalog")},
                     mostOutput, limits, cancel);
    switch (outcome.end) {
    case ProcessOutcome::End::Cancelled: throw ReadCancelled(fileName + QStringLiteral(": the import was cancelled"));
    case ProcessOutcome::End::TimedOut:
        throw fail(QStringLiteral("reading the statement took more than %1 seconds and was stopped; "
                                  "the file may be built to hang the program")
                       .arg(limits.seconds));
    case ProcessOutcome::End::Signalled:
        throw fail(QStringLiteral("the OFX reader failed on this file (signal %1); "
                                  "the file may be damaged or built to harm")
                       .arg(outcome.signal));
    case ProcessOutcome::End::TooMuchOutput:
        throw fail(QStringLiteral("the OFX reader gave more than the file holds; the file is damaged"));
    case ProcessOutcome::End::Exited: break;
    }
    bool libofxFailed = false;
    const std::optional<LibofxResult> result = readAnswer(outcome.output, libofxFailed);
    if (libofxFailed && outcome.exitCode == 1) throw fail(QStringLiteral("libofx cannot read the file as OFX"));
    if (!result || outcome.exitCode != 0)
        throw fail(QStringLiteral("the OFX reader gave no answer that can be read (exit code %1)").arg(outcome.exitCode));
    return *result;
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

QStringList ofxReaderPlaces(const QString& programFolder) {
    const QString name = QLatin1String(kOfxReaderName);
    const QDir folder(programFolder);
    return {folder.filePath(name),
            QDir::cleanPath(folder.filePath(QStringLiteral(BREVANTA_LIBEXEC_FROM_PROGRAM "/") + name))};
}

Statement readOfx(const QByteArray& bytes, const QString& text, const QString& fileName,
                  const std::atomic<bool>* cancel, const ProcessLimits& limits) {
    const CheckedText checked = checkText(text, fileName);
    const LibofxResult read = readWithLibofx(bytes, checked.transactions.size(), fileName, cancel, limits);
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
    // The balance as the amounts are read; libofx's only says that there is one.
    if (read.hasLedgerBalance && checked.ledgerBalance) {
        statement.ledgerBalance = *checked.ledgerBalance;
        statement.ledgerBalanceDate =
            checked.ledgerBalanceDate.isValid() ? checked.ledgerBalanceDate : read.ledgerBalanceDate;
    }
    return statement;
}

}  // namespace brevanta::statements
