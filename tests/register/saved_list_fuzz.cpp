// Any text read as a saved list: no crash, and writing what was read and
// reading it again gives the same rows.

#include <cstdint>
#include <cstdlib>

#include "ledger/saved_list.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace brevanta::reg;
    const QString value = QString::fromUtf8(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    const std::vector<SavedRecord> records = decodeSavedList(value);

    std::vector<Transaction> rows;
    for (const SavedRecord& record : records) {
        if (record.partCount < 1 || record.partCount > kFieldCount) std::abort();
        rows.push_back(record.fields);
    }
    const QString written = encodeSavedList(rows);
    const std::vector<SavedRecord> again = decodeSavedList(written);
    if (again.size() != records.size()) std::abort();
    for (size_t i = 0; i < again.size(); ++i)
        if (again[i].fields != records[i].fields || again[i].partCount != kFieldCount) std::abort();
    if (encodeSavedList(rows) != written) std::abort();
    return 0;
}
