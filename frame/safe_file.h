#pragma once
// Replacing a file so that a crash, a kill or a power cut at any moment
// leaves either the old file or the new one, whole, and never a mix.
//
// The bytes go to a fresh file beside the target (created exclusively, so
// nothing else is ever overwritten through it), are flushed, read back and
// compared, synced to disk, and only then renamed over the target; last the
// folder itself is synced so the rename survives a power cut. A target that
// is a symbolic link is refused rather than written through or replaced.
// Any failure leaves the old file untouched and throws Failure naming the
// file and the system's reason: "Cannot write <path>: <reason>".

#include <QByteArray>
#include <QString>

namespace brevanta::frame {

void writeFileSafely(const QString& path, const QByteArray& bytes);

}  // namespace brevanta::frame
