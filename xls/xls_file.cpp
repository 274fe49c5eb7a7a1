#include "xls/xls_file.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

#include "host/host_api.h"
#include "xls/compound_file.h"
#include "xls/workbook_stream.h"

namespace brevanta::xls {

namespace {
// Larger files are refused before they are read into memory.
constexpr qint64 kLargestFile = 512LL * 1024 * 1024;
}

void writeWorkbook(const model::Workbook& workbook, const QString& path) {
    std::vector<QByteArray> stream = encodeWorkbookStreamPieces(workbook);
    // QSaveFile writes beside the target and renames over it only when everything was written.
    QSaveFile out(path);
    out.setDirectWriteFallback(false);
    if (!out.open(QIODevice::WriteOnly))
        throw host::HostError(QStringLiteral("Cannot save the workbook as '%1': %2").arg(path, out.errorString()));
#if defined(Q_OS_UNIX)
    // libgsf packs straight into the file QSaveFile opened.
    const QString reason = writeCompoundFile(std::move(stream), out.handle());
#else
    // Packed in memory first where a descriptor cannot be handed to libgsf.
    const PackedCompoundFile file(stream);
    const QString reason = out.write(file.data(), file.size()) == file.size() ? QString() : out.errorString();
#endif
    if (!reason.isEmpty()) {
        out.cancelWriting();
        throw host::HostError(QStringLiteral("Cannot save the workbook as '%1': %2").arg(path, reason));
    }
    if (!out.commit())
        throw host::HostError(QStringLiteral("Cannot save the workbook as '%1': %2").arg(path, out.errorString()));
}

std::unique_ptr<model::Workbook> readWorkbook(const QString& path) {
    QFile in(path);
    if (!in.open(QIODevice::ReadOnly))
        throw host::HostError(QStringLiteral("Cannot open the workbook '%1': %2").arg(path, in.errorString()));
    if (in.size() > kLargestFile)
        throw host::HostError(QStringLiteral("Cannot open the workbook '%1': the file is too large.").arg(path));
    const QByteArray file = in.readAll();
    if (in.error() != QFileDevice::NoError)
        throw host::HostError(QStringLiteral("Cannot open the workbook '%1': %2").arg(path, in.errorString()));
    return decodeWorkbookFile(file);
}

}  // namespace brevanta::xls
