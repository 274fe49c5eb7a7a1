// The bank-CSV reader takes any bytes: it either gives entries with a valid
// date or refuses with a StatementError, never anything else.

#include <QLocale>
#include <cstddef>
#include <cstdint>

#include "frame/text_decoding.h"
#include "statements/bank_csv_reader.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QByteArray bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    const QString text = brevanta::frame::decodeText(bytes).text;
    const QLocale locale(QLocale::English, QLocale::UnitedStates);
    try {
        brevanta::statements::looksLikeBankCsv(text);
        const auto statement = brevanta::statements::readBankCsv(text, QStringLiteral("f.csv"), locale);
        for (const auto& entry : statement.entries)
            if (!entry.date.isValid() || entry.line < 2) __builtin_trap();
    } catch (const brevanta::statements::StatementError&) {
    }
    return 0;
}
