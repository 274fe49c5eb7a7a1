#pragma once
// The two example transactions: what the window's Load Sample adds and what
// brevanta-register --sample lays out.

#include <vector>

#include "ledger/transaction_source.h"

namespace brevanta::reg {

// The examples as the list holds them: dates in the stored form, a debit of
// zero left empty.
std::vector<Transaction> sampleTransactions();

}  // namespace brevanta::reg
