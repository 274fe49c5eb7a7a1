#pragma once
// Reads a pointer image from a cursor file (.cur), keeping the hot spot the
// file names, so a hand pointer points with its finger.

#include <QCursor>
#include <QString>

namespace brevanta::preview {

// Throws frame::Failure when the file cannot be read as a cursor.
QCursor loadCursorFile(const QString& path);

}  // namespace brevanta::preview
