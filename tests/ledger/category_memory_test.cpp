// What the list remembers of its categories: the most recent row of a payee
// wins, payees are one whatever their case and blanks, empty categories say
// nothing, and a typed category is never replaced. The completion lists are
// tested through the window (tests/register/statement_window_test.cpp).

#include <gtest/gtest.h>

#include "ledger/category_memory.h"

inline void PrintTo(const QString& text, std::ostream* out) { *out << '"' << text.toStdString() << '"'; }

namespace brevanta::ledger {
namespace {

CategoryMemory memoryOf(std::initializer_list<std::pair<const char*, const char*>> rows) {
    CategoryMemory memory;
    for (const auto& [description, category] : rows)
        memory.remember(QString::fromUtf8(description), QString::fromUtf8(category));
    return memory;
}

TEST(CategoryMemory, TheMostRecentRowOfAPayeeWinsWhateverItsCaseAndBlanks) {
    const CategoryMemory memory = memoryOf({{"Corner Cafe", "Dining"},
                                            {"Harbor Plumbing", "Home"},
                                            {" CORNER CAFE ", "Coffee"},
                                            {"corner cafe", ""},  // says nothing of the category
                                            {"Harbor Plumbing", "   "},
                                            {"", "Orphan"}});
    EXPECT_EQ(memory.categoryOf(QStringLiteral("Corner Cafe")), QStringLiteral("Coffee"));
    EXPECT_EQ(memory.categoryOf(QStringLiteral("  corner CAFE")), QStringLiteral("Coffee"));
    EXPECT_EQ(memory.categoryOf(QStringLiteral("Harbor Plumbing")), QStringLiteral("Home"));
    EXPECT_EQ(memory.categoryOf(QStringLiteral("Corner")), QString());  // only whole descriptions
    EXPECT_EQ(memory.categoryOf(QString()), QString());
}

TEST(CategoryMemory, TheFieldIsFilledWhileEmptyOrStillHoldingTheFillNeverOverATypedCategory) {
    const CategoryMemory memory = memoryOf({{"Corner Cafe", "Dining"}, {"Payroll", "Salary"}});
    const QString dining = QStringLiteral("Dining");
    const QString typed = QStringLiteral("Treats");
    struct Case {
        const char* description;
        QString shown, filled, expected;
    };
    const Case cases[] = {
        {"corner cafe", {}, {}, dining},                             // empty: filled
        {"Unknown", {}, {}, {}},                                     // nothing known: stays empty
        {"Corner Cafe", typed, {}, typed},                           // typed: kept
        {"Unknown", typed, {}, typed},
        {"Payroll", dining, dining, QStringLiteral("Salary")},       // the earlier fill follows the description
        {"Payroll Acme", dining, dining, {}},                        // ... and goes when nothing is known
        {"Payroll", typed, dining, typed},                           // typed over the fill: kept
    };
    for (const Case& c : cases)
        EXPECT_EQ(memory.categoryForField(QString::fromUtf8(c.description), c.shown, c.filled), c.expected)
            << c.description << " / " << c.shown.toStdString() << " / " << c.filled.toStdString();
}

}  // namespace
}  // namespace brevanta::ledger
