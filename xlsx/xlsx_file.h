#pragma once
// Office Open XML workbooks (.xlsx): the register's workbook as today's
// spreadsheet programs expect it, written through libxlsxwriter.

#include <QString>

#include "engine/model/workbook.h"

namespace brevanta::xlsx {

// Writes the workbook: values with their types, formulas in A1 notation
// with their cached results (every formula cell's Cell::value must hold its
// current result), fonts, fills in the palette's colours, alignment and
// wrap, column widths and row heights, merges, the active cell and
// selection, sheet names and the page set-up; beside a Category Summary
// (generate/category_summary.h), a bar chart of its nets. The file is made beside the
// target and renamed over it once whole, so a failure keeps any old file.
// Throws frame::Failure "Cannot write <path>: <reason>".
void writeWorkbook(const model::Workbook& workbook, const QString& path);

// Reads a BIFF8 workbook (.xls) and writes it as .xlsx. Throws
// frame::Failure when the source cannot be read or the target written.
void convertXlsWorkbook(const QString& xlsPath, const QString& xlsxPath);

}  // namespace brevanta::xlsx
