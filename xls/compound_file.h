#pragma once
// The compound-file container around the workbook stream. It knows nothing
// of the records inside.

#include <QByteArray>

namespace brevanta::xls {

// A whole compound file holding `stream` as its "Workbook" stream.
QByteArray wrapInCompoundFile(const QByteArray& stream);

// The "Workbook" stream of a compound file held in memory. HostError when
// the bytes are not a compound file, hold no workbook stream, or hold an
// older (BIFF5 "Book") workbook only.
QByteArray workbookStreamOf(const QByteArray& file);

}  // namespace brevanta::xls
