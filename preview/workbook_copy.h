#pragma once
// Copies a workbook file to the name the user chose without ever leaving
// them worse off: the copy is complete and verified on disk before it
// replaces anything, so a failure (a full disk too) keeps any old file intact.

#include <QString>

namespace brevanta::preview {

// Throws frame::Failure with the system's reason when the copy fails.
void copyFileReplacing(const QString& source, const QString& destination);

}  // namespace brevanta::preview
