#pragma once
// Copies a workbook file to the name the user chose without ever leaving
// them worse off: the copy is complete and verified on disk before it
// replaces anything, so a failure (a full disk too) keeps any old file intact.
// The same for the workbook converted to .xlsx.

#include <QString>

#include "frame/prompter.h"

namespace brevanta::preview {

// The question before a chosen file that exists is replaced: Yes or No.
frame::Answer askToOverwrite(const QString& chosenName);

// Throws frame::Failure with the system's reason when the copy fails.
void copyFileReplacing(const QString& source, const QString& destination);

// The two ways out of the Save dialog: the workbook as it is, or as .xlsx.
inline const QString kXlsFilter = QStringLiteral("Excel Files (*.xls)");
inline const QString kXlsxFilter = QStringLiteral("Excel Workbook (*.xlsx)");

// True when the user asked for .xlsx: by a name ending in .xlsx, or by its
// filter for a name ending in neither .xls nor .xlsx.
bool wantsXlsx(const QString& chosenName, const QString& chosenFilter);

// Saves the .xls workbook at `source` to `destination`: byte for byte, or
// converted to .xlsx through the workbook reader. Either way a failure
// leaves any old file whole and throws frame::Failure.
void saveWorkbookAs(const QString& source, const QString& destination, bool asXlsx);

}  // namespace brevanta::preview
