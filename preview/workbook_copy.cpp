#include "preview/workbook_copy.h"

#include <QFile>
#include <QSaveFile>

#include "frame/failure.h"

namespace brevanta::preview {

void copyFileReplacing(const QString& source, const QString& destination) {
    QFile input(source);
    if (!input.open(QIODevice::ReadOnly))
        throw frame::Failure(QStringLiteral("Cannot read ") + source + QStringLiteral(": ") + input.errorString());

    QSaveFile output(destination);
    auto fail = [&](const QString& reason) {
        output.cancelWriting();
        throw frame::Failure(QStringLiteral("Cannot write ") + destination + QStringLiteral(": ") + reason);
    };
    if (!output.open(QIODevice::WriteOnly)) fail(output.errorString());

    constexpr qint64 kChunk = qint64(1) << 20;
    while (!input.atEnd()) {
        const QByteArray chunk = input.read(kChunk);
        if (chunk.isEmpty() && input.error() != QFileDevice::NoError) fail(input.errorString());
        if (output.write(chunk) != chunk.size()) fail(output.errorString());
    }
    if (!output.commit()) throw frame::Failure(QStringLiteral("Cannot write ") + destination + QStringLiteral(": ") + output.errorString());
}

}  // namespace brevanta::preview
