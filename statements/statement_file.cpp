#include "statements/statement_file.h"

#include <QFile>
#include <QFileInfo>

#include "frame/text_decoding.h"
#include "statements/bank_csv_reader.h"
#include "statements/ofx_reader.h"
#include "statements/qif_reader.h"

namespace brevanta::statements {
namespace {

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

Statement readStatementFile(const QString& path) {
    std::optional<StatementReading> reading = readStatement(path, {});  // nothing asks, so nothing is cancelled
    return reading ? std::move(reading->statement) : Statement();
}

std::optional<StatementReading> readStatement(const QString& path, const StatementReadOptions& options) {
    const QString fileName = QFileInfo(path).fileName();
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw StatementError(QStringLiteral("%1: cannot be read: %2").arg(fileName, file.errorString()));
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError)
        throw StatementError(QStringLiteral("%1: cannot be read: %2").arg(fileName, file.errorString()));
    const QString text = frame::decodeText(bytes).text;
    switch (recogniseStatement(text, fileName)) {
    case StatementKind::Ofx: return StatementReading{readOfx(path, bytes, text, fileName), QString()};
    case StatementKind::Qif: return StatementReading{readQif(text, fileName), QString()};
    case StatementKind::Csv: return readBankCsvFile(BankCsvFile(text, fileName), options);
    }
    return {};
}

}  // namespace brevanta::statements
