#pragma once
// A register-like workbook built straight in the model, as the layout
// leaves it, and a comparison of two workbooks cell by cell.

#include <memory>

#include "engine/model/workbook.h"

namespace brevanta::xlstest {

// The register sheet with `transactions` data rows; every balance holds its computed value.
std::unique_ptr<model::Workbook> registerWorkbook(int transactions);

// The palette the register writes into its workbooks.
model::Palette registerPalette();

// Fills the cached value of every formula of every sheet.
void computeValues(model::Workbook& workbook);

// Adds one gtest failure per difference a reader of the file would see.
void expectSameWorkbook(const model::Workbook& expected, const model::Workbook& actual);

}  // namespace brevanta::xlstest
