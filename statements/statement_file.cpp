#include "statements/statement_file.h"

#include <QFile>
#include <QFileInfo>
#include <cerrno>
#include <cstring>
#include <sys/stat.h>

#include "frame/text_decoding.h"
#include "statements/bank_csv_reader.h"
#include "statements/ofx_reader.h"
#include "statements/qif_reader.h"

namespace brevanta::statements {
namespace {

QString thousands(qint64 number) { return QLocale(QLocale::English).toString(number); }

QString tooManyMessage(const QString& fileName, qint64 count) {
    return QStringLiteral("%1: the statement has %2 transactions; a register holds at most %3, so nothing was read")
        .arg(fileName, thousands(count), thousands(kMostStatementTransactions));
}

// The transactions a statement shows before any reader parses it: OFX
// <STMTTRN> elements, QIF "^" record ends. Other kinds are counted by their reader.
qint64 transactionsShown(StatementKind kind, const QString& text) {
    if (kind == StatementKind::Ofx) return text.count(QLatin1String("<STMTTRN>"), Qt::CaseInsensitive);
    if (kind == StatementKind::Qif) {
        qint64 count = 0;
        for (QStringView line : QStringView(text).tokenize(u'\n'))
            if (line.trimmed().startsWith(u'^')) ++count;
        return count;
    }
    return 0;
}

// A bank CSV file in the form its columns decide, the user says, or the
// question answers; the user's locale plays no part.
std::optional<StatementReading> readBankCsvFile(const BankCsvFile& file, const StatementReadOptions& options) {
    std::optional<BankCsvForm> form = file.decidedForm(options.dateOrder, options.decimalMark);
    bool orderChosen = options.dateOrder.has_value(), markChosen = options.decimalMark.has_value();
    if (!form) {
        if (!options.askForm) throw StatementError(file.fileName() + QStringLiteral(": ") +
                                                   file.openQuestion(options.dateOrder, options.decimalMark));
        const BankCsvForm proposal{options.dateOrder.value_or(file.dates().order.value_or(DateOrder::DayMonthYear)),
                                   options.decimalMark.value_or(file.amounts().decimalMark.value_or(u'.'))};
        form = options.askForm(file, proposal);
        if (!form) return std::nullopt;
        orderChosen = orderChosen || !file.dates().order || form->dateOrder != *file.dates().order;
        markChosen = markChosen || !file.amounts().decimalMark || form->decimalMark != *file.amounts().decimalMark;
    }
    return StatementReading{file.read(*form),
                            bankCsvFormNote(*form, orderChosen, markChosen, file.amounts().marksWritten)};
}

}  // namespace

StatementKind recogniseStatement(const QString& text, const QString& fileName) {
    if (text.trimmed().isEmpty()) throw StatementError(fileName + QStringLiteral(": the file is empty"));
    if (looksLikeOfx(text)) return StatementKind::Ofx;
    const QString start = text.left(256).trimmed();
    if (start.startsWith(QLatin1String("!Type:"), Qt::CaseInsensitive) ||
        start.startsWith(QLatin1String("!Account"), Qt::CaseInsensitive) ||
        start.startsWith(QLatin1String("!Option"), Qt::CaseInsensitive))
        return StatementKind::Qif;
    if (looksLikeBankCsv(text)) return StatementKind::Csv;
    throw StatementError(fileName + QStringLiteral(": this is no bank statement the program knows "
                                                   "(OFX, QFX, QIF, or CSV with a Date and an Amount column)"));
}

Statement readStatementFile(const QString& path, const std::atomic<bool>* cancel) {
    std::optional<StatementReading> reading = readStatement(path, {}, cancel);  // nothing asks, so nothing is cancelled
    return reading ? std::move(reading->statement) : Statement();
}

std::optional<StatementReading> readStatement(const QString& path, const StatementReadOptions& options,
                                              const std::atomic<bool>* cancel) {
    const QString fileName = QFileInfo(path).fileName();
    // A FIFO or device would hang the open or the read, or never end.
    struct stat info {};
    if (::stat(QFile::encodeName(path).constData(), &info) != 0)
        throw StatementError(
            QStringLiteral("%1: cannot be read: %2").arg(fileName, QString::fromLocal8Bit(std::strerror(errno))));
    if (!S_ISREG(info.st_mode)) throw StatementError(fileName + QStringLiteral(": this is no ordinary file"));
    const QString tooLarge = QStringLiteral("%1: the file is %2 MB; statements larger than 50 MB are not read")
                                 .arg(fileName, thousands((qint64(info.st_size) + (1 << 20) - 1) >> 20));
    if (info.st_size > kLargestStatementBytes) throw StatementError(tooLarge);
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw StatementError(QStringLiteral("%1: cannot be read: %2").arg(fileName, file.errorString()));
    const QByteArray bytes = file.read(kLargestStatementBytes + 1);  // it may have grown since
    if (file.error() != QFileDevice::NoError)
        throw StatementError(QStringLiteral("%1: cannot be read: %2").arg(fileName, file.errorString()));
    if (bytes.size() > kLargestStatementBytes) throw StatementError(tooLarge);
    const QString text = frame::decodeText(bytes).text;
    const StatementKind kind = recogniseStatement(text, fileName);
    if (const qint64 shown = transactionsShown(kind, text); shown > kMostStatementTransactions)
        throw StatementError(tooManyMessage(fileName, shown));
    std::optional<StatementReading> reading;
    switch (kind) {
    case StatementKind::Ofx: reading = StatementReading{readOfx(bytes, text, fileName, cancel, options.ofxLimits), QString()}; break;
    case StatementKind::Qif: reading = StatementReading{readQif(text, fileName), QString()}; break;
    case StatementKind::Csv: reading = readBankCsvFile(BankCsvFile(text, fileName), options); break;
    }
    if (reading && reading->statement.entries.size() > size_t(kMostStatementTransactions))
        throw StatementError(tooManyMessage(fileName, qint64(reading->statement.entries.size())));
    return reading;
}

}  // namespace brevanta::statements
