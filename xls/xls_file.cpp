#include "xls/xls_file.h"

#include <QFile>
#include <QFileInfo>

#include "frame/failure.h"
#include "frame/safe_file.h"
#include "xls/compound_file.h"
#include "xls/workbook_stream.h"

namespace brevanta::xls {

namespace {
// Larger files are refused before they are read into memory.
constexpr qint64 kLargestFile = 512LL * 1024 * 1024;
}

void writeWorkbook(const model::Workbook& workbook, const QString& path) {
    // Packed in memory, then written beside the target, synced, read back and renamed over it, so a
    // full disk or a kill never leaves a short workbook under the name.
    const PackedCompoundFile file(encodeWorkbookStreamPieces(workbook));
    try {
        frame::writeFileSafely(path, QByteArray::fromRawData(file.data(), file.size()));
    } catch (const frame::Failure& failure) {
        QString reason = failure.description();
        const QString prefix = QStringLiteral("Cannot write ") + path + QStringLiteral(": ");
        if (reason.startsWith(prefix)) reason.remove(0, prefix.size());
        throw frame::Failure(QStringLiteral("Cannot save the workbook as '%1': %2").arg(path, reason));
    }
}

std::unique_ptr<model::Workbook> readWorkbook(const QString& path) {
    QFile in(path);
    if (!in.open(QIODevice::ReadOnly))
        throw frame::Failure(QStringLiteral("Cannot open the workbook '%1': %2").arg(path, in.errorString()));
    if (in.size() > kLargestFile)
        throw frame::Failure(QStringLiteral("Cannot open the workbook '%1': the file is too large.").arg(path));
    // Read at its size, and let go once its workbook stream is out: a long
    // register's file is megabytes, held twice otherwise while the cells are read.
    QByteArray stream;
    {
        QByteArray file = in.read(in.size());
        if (in.error() != QFileDevice::NoError)
            throw frame::Failure(QStringLiteral("Cannot open the workbook '%1': %2").arg(path, in.errorString()));
        stream = workbookStreamOf(file);
    }
    return decodeWorkbookStream({reinterpret_cast<const uint8_t*>(stream.constData()), static_cast<size_t>(stream.size())});
}

}  // namespace brevanta::xls
