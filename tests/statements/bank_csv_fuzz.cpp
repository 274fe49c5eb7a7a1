// The bank-CSV reader takes any bytes: it either gives entries with a valid
// date or refuses with a StatementError, never anything else; the same in
// every form, and the rows shown before an import never fail.

#include <cstddef>
#include <cstdint>

#include "frame/text_decoding.h"
#include "statements/bank_csv_preview.h"
#include "statements/bank_csv_reader.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QByteArray bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    const QString text = brevanta::frame::decodeText(bytes).text;
    using namespace brevanta::statements;
    try {
        looksLikeBankCsv(text);
        const BankCsvFile file(text, QStringLiteral("f.csv"));
        for (const DateOrder order : {DateOrder::DayMonthYear, DateOrder::MonthDayYear, DateOrder::YearMonthDay})
            for (const QChar mark : {QChar(u'.'), QChar(u',')}) {
                const BankCsvForm form{order, mark};
                previewTable(file, previewRows(file), form);
                if (!formProblem(file, form).isEmpty()) continue;
                for (const auto& entry : file.read(form).entries)
                    if (!entry.date.isValid() || entry.line < 2 || entry.amount > kLargestStatementAmount ||
                        entry.amount < -kLargestStatementAmount)
                        __builtin_trap();
            }
    } catch (const StatementError&) {
    }
    return 0;
}
