#pragma once
// When the list cannot be stored as the program closes, it is not lost: it
// is written as CSV (statements::csvFromTransactions, the export's and the
// headless tool's --csv format, so it can be read
// back or opened in a spreadsheet) to a rescue file in the user's documents
// folder, or the temporary folder when that fails.

#include <QDateTime>
#include <QStringList>

namespace brevanta::reg {

// The documents folder, then the temporary folder.
QStringList defaultRescueFolders();

// Writes `csv` as "Brevanta list YYYYMMDD-HHMMSS.csv" (a number added when
// that name is taken) in the first folder that takes it; answers its path.
// Throws the last folder's Failure when none does.
QString writeRescueFile(const QByteArray& csv, const QStringList& folders,
                        const QDateTime& now = QDateTime::currentDateTime());

}  // namespace brevanta::reg
