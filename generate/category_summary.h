#pragma once
// The "Category Summary" sheet, laid out on request after the register:
// one row per category of the list (sorted by name, the transactions
// without one as "(none)"), each with its count, debits, credits and net
// as live formulas over the register's Category, Debit and Credit columns,
// and a total row. Everything goes through the generation's host,
// select-then-act, in the register's colours and formats.

#include <QString>
#include <optional>
#include <vector>

#include "engine/model/workbook.h"
#include "host/connection.h"
#include "ledger/transaction_source.h"

namespace brevanta::generate {

inline constexpr char kCategorySummarySheet[] = "Category Summary";
inline constexpr char kNoCategoryLabel[] = "(none)";

// The first row of the summary's categories (1-based), under the title and header.
inline constexpr int kFirstSummaryRow = 6;
// The most categories a sheet holds with the total row under them.
inline constexpr int kMostSummaryCategories = 65536 - kFirstSummaryRow;

// "The list has 65,531 categories; ..." in place of a summary that does not fit.
QString tooManyCategoriesMessage(int count);

// One row of the summary.
struct SummaryCategory {
    QString name;    // as first written in the list; empty for "(none)"
    bool none = false;
};

// The categories, one per name regardless of case (the spelling that comes
// first in the list), sorted by name without regard to case, then "(none)"
// when a transaction has no category. Names are cut as the register cuts
// them; names too long for a criterion are one category when their
// criteria (their beginnings) are the same, so that no transaction counts twice.
std::vector<SummaryCategory> summaryCategories(const reg::TransactionSource& transactions);

// The criterion that matches exactly the category's cells in every
// spreadsheet ("" for none). A character that cannot travel in a formula's
// text through every file (a control character, half a surrogate pair) is
// "?" there, any one character; a category whose criterion would be longer
// than a formula's text constant holds (255 characters) matches by its
// beginning instead. Categories with the same criterion share a row.
QString categoryCriterion(const SummaryCategory& category);

// The figures of one category row (R1C1), over register rows 6 to
// 5 + transactionCount: the count, the debits, the credits, and the net.
QString categoryCountFormula(const SummaryCategory& category, int transactionCount);
QString categoryDebitsFormula(const SummaryCategory& category, int transactionCount);
QString categoryCreditsFormula(const SummaryCategory& category, int transactionCount);
QString categoryNetFormula();
// The total row's figure: the sum of the column above it, from the header band down.
QString summaryTotalFormula();

// Lays out the summary on the active sheet, reporting each failing step
// under "CategorySummary.GenerateSummary" and going on. Categories beyond
// what a sheet holds leave the summary out, with tooManyCategoriesMessage
// in its place.
void generateCategorySummary(const host::HostSession& session, const reg::TransactionSource& transactions);

// Where a workbook's summary holds its category names and nets (0-based),
// for a chart beside them; nothing when it has no summary with categories.
struct SummaryChartPlace {
    int sheet = 0;
    int firstRow = 0;
    int lastRow = 0;
    int nameColumn = 0;
    int netColumn = 0;
    int besideColumn = 0;  // the first column right of the table
};
std::optional<SummaryChartPlace> summaryChartPlace(const model::Workbook& workbook);

}  // namespace brevanta::generate
