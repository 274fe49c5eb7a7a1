// Any text typed into a cell: read it under two locales, put it into a
// small sheet next to cells that refer to it, compute and show everything.
// Nothing may crash or hang; refusals are fine.

#include <QLocale>
#include <cstddef>
#include <cstdint>

#include "engine/formula/calc.h"
#include "engine/formula/display_format.h"
#include "engine/formula/formula_text.h"
#include "engine/formula/typed_entry.h"
#include "host/host_api.h"

using namespace brevanta;

namespace {

void place(model::Sheet& sheet, int row, int col, const engine::TypedEntry& entry) {
    if (entry.kind == engine::TypedEntry::Kind::Clear) return;
    model::Cell& cell = sheet.at(row, col);
    cell.formula = entry.formula;
    cell.value = entry.value;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size > 4096) return 0;
    const QString text = QString::fromUtf8(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    static const QLocale locales[] = {QLocale(QLocale::English, QLocale::UnitedStates),
                                      QLocale(QLocale::German, QLocale::Germany)};
    // The same text as a formula, too, so every byte pattern reaches the parser.
    const QString asFormula = text.startsWith(QLatin1Char('=')) ? text : QStringLiteral("=") + text;
    try {
        const auto formula = engine::parseFormulaR1C1(asFormula);
        const QString printed = engine::formulaToR1C1(formula->root);
        const auto again = engine::parseFormulaR1C1(printed);
        if (engine::formulaToR1C1(again->root) != printed) __builtin_trap();  // printing must be stable
    } catch (const host::HostError&) {
    }
    for (const QLocale& locale : locales) {
        model::Sheet sheet(QStringLiteral("Fuzz"));
        try {
            const engine::TypedEntry entry = engine::interpretEntry(text, locale);
            // The entry in a few places, among cells that refer to it and to each other.
            place(sheet, 0, 0, entry);
            place(sheet, 5, 1, entry);
            place(sheet, 40, 2, entry);
            const auto neighbours = engine::parseFormulaR1C1(QStringLiteral("=SUM(R1C1:R50C3)+R[-1]C+COUNT(R1C1:R41C3)"));
            for (int row = 1; row < 45; row += 7) sheet.at(row, 3).formula = neighbours;
            sheet.at(2, 0).formula = engine::parseFormulaR1C1(QStringLiteral("=IF(ISBLANK(R1C1),\"\",R1C1&R6C2)"));
        } catch (const host::HostError&) {
            continue;
        }
        engine::Calculator calculator(sheet);
        sheet.forEachCell([&](int row, int col, const model::Cell&) {
            const model::Value value = calculator.value(row, col);
            (void)engine::displayText(value, QStringLiteral("m/d/yyyy h:mm"), locale);
            (void)engine::displayText(value, QString(), locale);
        });
        calculator.computeAll();
    }
    return 0;
}
