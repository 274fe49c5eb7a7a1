#pragma once
// Windows cursor files (.cur) as pointer images: the picture through Qt's
// icon reader, the hot spot from the file's first directory entry.

#include <QCursor>
#include <QString>

namespace brevanta::reg {

// The name of the hand cursor looked up in the program folder.
inline constexpr char kHandCursorFile[] = "HAND-M.CUR";

// Throws Failure when the file cannot be read as a cursor or icon.
QCursor loadCursorFile(const QString& path);

}  // namespace brevanta::reg
