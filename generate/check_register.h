#pragma once
// One whole generation: a hidden host lays out the register, the workbook
// is saved under a fresh name in the temporary folder, a second host
// reopens it to export the sheet's picture, and the preview window gets
// picture and workbook while the main window hides.

#include <QString>
#include <random>

#include "generate/generation_windows.h"
#include "ledger/transaction_source.h"

namespace brevanta::generate {

// Reports each failing step under "CheckRegister.GenerateCheckRegister" and
// goes on, so the preview is shown even when steps failed. A list longer
// than a sheet holds is refused before anything starts, with one message
// through `windows.tell`; texts too long for a cell are named the same way
// and then cut. The temporary files are remembered, so that they go when
// the program ends even if nothing else deletes them.
void generateCheckRegister(int selector, const reg::TransactionSource& transactions, GenerationWindows& windows);

// The folder for the temporary workbook and picture: TEMP when it names a
// writable folder, otherwise the user's private temporary folder
// (frame::temporaryFolder).
QString temporaryFolder();

// "vantor" and eight digits 1 to 9.
QString drawTemporaryName(std::mt19937& generator);
// One digit of the name, 1 to 9.
int drawTemporaryNameDigit(std::mt19937& generator);
// The generator the driver draws names from: seeded once per run.
std::mt19937& temporaryNameGenerator();

// The name of the picture file in the temporary folder.
inline constexpr char kPictureFileName[] = "temp.bmp";

}  // namespace brevanta::generate
