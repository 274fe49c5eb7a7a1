#pragma once
// The workbook stream (the BIFF8 records inside the compound file), apart
// from files: the writer and reader entry points tests and the fuzz target
// call directly.

#include <QByteArray>
#include <cstdint>
#include <memory>
#include <span>
#include <vector>

#include "engine/model/workbook.h"

namespace brevanta::xls {

QByteArray encodeWorkbookStream(const model::Workbook& workbook);
// The same stream in the pieces it is made in (the globals, then each
// sheet), for writing out without joining them first.
std::vector<QByteArray> encodeWorkbookStreamPieces(const model::Workbook& workbook);

// Throws frame::Failure for anything that is not a readable BIFF8 workbook stream.
std::unique_ptr<model::Workbook> decodeWorkbookStream(std::span<const uint8_t> stream);

// A whole .xls file held in memory.
QByteArray encodeWorkbookFile(const model::Workbook& workbook);
std::unique_ptr<model::Workbook> decodeWorkbookFile(const QByteArray& file);

// Column widths as stored in COLINFO: 1/256 of a character, padding included.
uint16_t columnWidthUnits(double characters);
double columnWidthCharacters(uint16_t units);

}  // namespace brevanta::xls
