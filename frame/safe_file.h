#pragma once
// Replacing a file so that a crash, a kill or a power cut at any moment
// leaves either the old file or the new one, whole, and never a mix.
//
// The bytes go to a fresh file beside the target (created exclusively, so
// nothing else is ever overwritten through it), are flushed, read back and
// compared, synced to disk, and only then renamed over the target; last the
// folder itself is synced so the rename survives a power cut. The program's
// own temporary files are not synced: they are gone after the run anyway. A
// target that is a symbolic link is never written through: it is refused,
// or (for the program's own temporary files) the link itself is replaced.
// Any failure leaves the old file untouched and throws Failure naming the
// file and the system's reason: "Cannot write <path>: <reason>".
//
// Every file the program writes goes through here.

#include <QByteArray>
#include <QString>

namespace brevanta::frame {

enum class LinkAtTarget {
    Refuse,   // a file the user named: their link stays as it is
    Replace,  // a temporary file: a link planted under its name is replaced, never followed
};

void writeFileSafely(const QString& path, const QByteArray& bytes, LinkAtTarget link = LinkAtTarget::Refuse);

// Copies `source` to `destination` through writeFileSafely; nothing happens
// when both name the same file. Throws Failure ("Cannot read <source>:
// <reason>") when the source cannot be read whole, or one larger than
// `largestSource` bytes.
void copyFileSafely(const QString& source, const QString& destination, LinkAtTarget link = LinkAtTarget::Refuse,
                    qint64 largestSource = qint64(1) << 31);

}  // namespace brevanta::frame
