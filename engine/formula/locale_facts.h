#pragma once
// What reading typed entries asks of a locale, read once per locale.
// Asking Qt for the system locale's symbols goes through its settings on
// every call, and typing a long register asks for them for every cell. The
// system locale's settings are taken as they were when first read, as a
// spreadsheet takes the regional settings when it starts.

#include <QLocale>
#include <QString>
#include <array>
#include <utility>
#include <vector>

namespace brevanta::engine {

enum class DatePart { Day, Month, Year };

struct LocaleFacts {
    QString currencySymbol;
    QString decimalPoint;
    QString groupSeparator;
    std::array<DatePart, 3> dateOrder{};  // of the short date pattern
    QChar dateSeparator;                  // of the short date pattern
    QString dateFormat;                   // localeDateFormat()
    // Month names to read: the locale's, then English; long, then short; without a closing full stop.
    std::vector<std::pair<QString, int>> monthNames;
};

// The facts of `locale`; the reference holds until the next call with another locale (per thread).
const LocaleFacts& localeFacts(const QLocale& locale);

}  // namespace brevanta::engine
