#pragma once
// Replacing a file whose bytes only a library that writes to a path can
// produce (a zip writer that opens the file itself, say), with the same
// promise as writeFileSafely: any failure leaves the old file whole.
//
// The library writes into a private folder made beside the target (mode
// 0700, so nothing else can plant a link or a file there). The result must
// be a regular, non-empty file and pass the caller's check; it is then given
// the old file's permissions, synced, and renamed over the target, and the
// folder is synced. The private folder is removed on every path out. A
// target that is a symbolic link is refused. Failures throw Failure naming
// the file and the reason: "Cannot write <path>: <reason>".

#include <QString>
#include <functional>

namespace brevanta::frame {

// Both receive the temporary path; they report a failure by throwing
// Failure, whose description becomes the reason.
using PathWriter = std::function<void(const QString& temporaryPath)>;
using WrittenFileCheck = std::function<void(const QString& temporaryPath)>;

void writeFileThroughPath(const QString& path, const PathWriter& write, const WrittenFileCheck& check = {});

}  // namespace brevanta::frame
