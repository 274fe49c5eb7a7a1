// The CSV reader takes any bytes: it either gives transactions of seven
// fields each or refuses with a Failure, never anything else.

#include <cstddef>
#include <cstdint>

#include "frame/failure.h"
#include "statements/csv_records.h"
#include "statements/register_csv.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QString text = QString::fromUtf8(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    try {
        for (const auto& record : brevanta::statements::parseCsv(text))
            if (record.empty()) __builtin_trap();
        for (const auto& row : brevanta::statements::transactionsFromCsv(text))
            if (row.size() != 7) __builtin_trap();
    } catch (const brevanta::frame::Failure&) {
    }
    return 0;
}
