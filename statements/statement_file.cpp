#include "statements/statement_file.h"

#include <QFile>
#include <QFileInfo>

#include "frame/text_decoding.h"
#include "statements/bank_csv_reader.h"
#include "statements/ofx_reader.h"
#include "statements/qif_reader.h"

namespace brevanta::statements {

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

Statement readStatementFile(const QString& path, const QLocale& locale) {
    const QString fileName = QFileInfo(path).fileName();
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw StatementError(QStringLiteral("%1: cannot be read: %2").arg(fileName, file.errorString()));
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError)
        throw StatementError(QStringLiteral("%1: cannot be read: %2").arg(fileName, file.errorString()));
    const QString text = frame::decodeText(bytes).text;
    switch (recogniseStatement(text, fileName)) {
    case StatementKind::Ofx: return readOfx(path, bytes, text, fileName);
    case StatementKind::Qif: return readQif(text, fileName);
    case StatementKind::Csv: return readBankCsv(text, fileName, locale);
    }
    return {};
}

}  // namespace brevanta::statements
