// The QIF reader takes any bytes: it either gives entries with a valid date
// or refuses with a StatementError, never anything else.

#include <cstddef>
#include <cstdint>

#include "frame/text_decoding.h"
#include "statements/qif_reader.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QByteArray bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    try {
        const auto statement = brevanta::statements::readQif(brevanta::frame::decodeText(bytes).text, QStringLiteral("f.qif"));
        for (const auto& entry : statement.entries)
            if (!entry.date.isValid() || entry.line < 1) __builtin_trap();
    } catch (const brevanta::statements::StatementError&) {
    }
    return 0;
}
