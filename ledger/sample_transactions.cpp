#include "ledger/sample_transactions.h"

namespace brevanta::reg {

std::vector<Transaction> sampleTransactions() {
    return {{"2013-01-01", "1", "Sold My Used Car", "Automotive", "Yes", "", "5000"},
            {"2013-01-02", "2", "Thundercats Collection", "Toys", "Yes", "", "55"}};
}

}  // namespace brevanta::reg
