// The CSV reader takes any bytes: it either gives transactions of seven
// fields each or refuses with a Failure, never anything else.

#include <cstddef>
#include <cstdint>

#include "frame/failure.h"
#include "generate/csv_transactions.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QString text = QString::fromUtf8(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    try {
        for (const auto& record : brevanta::generate::parseCsv(text))
            if (record.empty()) __builtin_trap();
        for (const auto& row : brevanta::generate::transactionsFromCsv(text))
            if (row.size() != 7) __builtin_trap();
    } catch (const brevanta::frame::Failure&) {
    }
    return 0;
}
