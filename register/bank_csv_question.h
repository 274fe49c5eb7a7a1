#pragma once
// The question the window asks, through the prompter, when a bank's CSV
// file leaves the order of its dates or its decimal mark open: the rows
// that tell the choices apart as they read, with the date order (and the
// mark, when open) to switch. Cancel imports nothing.

#include <QLocale>
#include <optional>

#include "statements/bank_csv_reader.h"

namespace brevanta::reg {

// The form the user chose for `file`, starting from `proposal` where the
// file decides and from the user's locale where it does not; nothing when cancelled.
std::optional<statements::BankCsvForm> askBankCsvForm(const statements::BankCsvFile& file,
                                                      const statements::BankCsvForm& proposal,
                                                      const QLocale& locale = QLocale());

}  // namespace brevanta::reg
