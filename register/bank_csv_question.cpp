#include "register/bank_csv_question.h"

#include <algorithm>

#include "frame/app_title.h"
#include "frame/prompter.h"
#include "statements/bank_csv_preview.h"

namespace brevanta::reg {
namespace {

using statements::BankCsvForm;
using statements::DateOrder;

// The options in the order the dialog lists them.
constexpr DateOrder kOrders[] = {DateOrder::DayMonthYear, DateOrder::MonthDayYear, DateOrder::YearMonthDay};
constexpr char16_t kMarks[] = {u'.', u','};

int indexOf(DateOrder order) { return order == DateOrder::DayMonthYear ? 0 : order == DateOrder::MonthDayYear ? 1 : 2; }

}  // namespace

std::optional<BankCsvForm> askBankCsvForm(const statements::BankCsvFile& file, const BankCsvForm& proposal,
                                          const QLocale& locale) {
    const bool markOpen = !file.amounts().decimalMark;
    BankCsvForm start = proposal;
    if (!file.dates().order) start.dateOrder = statements::localeDateOrder(locale);
    if (markOpen) start.decimalMark = locale.decimalPoint() == QStringLiteral(",") ? u',' : u'.';

    frame::ReadingChoiceRequest request;
    request.title = frame::appTitle();
    request.text = QStringLiteral("%1: %2.\nChoose how the file writes them; nothing is imported until you press OK.")
                       .arg(file.fileName(), file.openQuestion());
    request.settings.push_back({QStringLiteral("Dates"),
                                {QStringLiteral("d/m/y (31/12/2026)"), QStringLiteral("m/d/y (12/31/2026)"),
                                 QStringLiteral("y/m/d (2026-12-31)")},
                                indexOf(start.dateOrder)});
    if (markOpen)
        request.settings.push_back({QStringLiteral("Decimal mark"),
                                    {QStringLiteral("\".\" (1,234.56)"), QStringLiteral("\",\" (1.234,56)")},
                                    start.decimalMark == u',' ? 1 : 0});
    auto formOf = [&](const std::vector<int>& chosen) {
        BankCsvForm form = start;
        if (!chosen.empty()) form.dateOrder = kOrders[std::clamp(chosen[0], 0, 2)];
        if (markOpen && chosen.size() > 1) form.decimalMark = QChar(kMarks[std::clamp(chosen[1], 0, 1)]);
        return form;
    };
    const std::vector<size_t> rows = statements::previewRows(file);
    request.columns = statements::previewColumns();
    request.rows = [&](const std::vector<int>& chosen) { return statements::previewTable(file, rows, formOf(chosen), locale); };
    request.problem = [&](const std::vector<int>& chosen) { return statements::formProblem(file, formOf(chosen)); };

    const std::optional<std::vector<int>> answer = frame::prompter().chooseReading(request);
    if (!answer) return std::nullopt;
    return formOf(*answer);
}

}  // namespace brevanta::reg
