#pragma once
// Windows cursor files (.cur) as pointer images: the picture through Qt's
// icon reader, the hot spot from the file's first directory entry.

#include <QCursor>
#include <QString>
#include <QStringList>

namespace brevanta::reg {

// The name of the hand cursor looked up in the program folder.
inline constexpr char kHandCursorFile[] = "HAND-M.CUR";

// Where the hand cursor is looked for, in order: beside the executable, then
// the installed data folder found relative to it (bin/../share/brevanta), so
// an installed copy finds its cursor wherever the whole tree was put.
QStringList handCursorPlaces(const QString& programFolder);

// The first of those places that holds a file; the first place when none does.
QString handCursorPath(const QString& programFolder);

// Throws Failure when the file cannot be read as a cursor or icon.
QCursor loadCursorFile(const QString& path);

}  // namespace brevanta::reg
