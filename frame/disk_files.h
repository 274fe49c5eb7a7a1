#pragma once
// Files on disk as the windows ask about them: the program's folder, whether
// a file is there, and deleting one.

#include <QString>

namespace brevanta::frame {

// The folder the program runs from.
QString programFolder();

// True when the path names something whose modification time can be read; never fails.
bool fileExists(const QString& path);

// Deletes the file, forcing it when the ordinary delete fails; a temporary
// file deleted is no longer remembered for the program's end. Never fails,
// shows nothing, and lets no other event run meanwhile.
void deleteFileQuietly(const QString& path);

// Deletes a file even when it is read-only. Throws Failure when it cannot.
void forceDeleteFile(const QString& path);

}  // namespace brevanta::frame
