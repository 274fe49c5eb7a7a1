#include "generate/category_summary.h"

#include <QHash>
#include <cctype>
#include <QLocale>
#include <algorithm>
#include <array>

#include "engine/formula/criteria.h"
#include "engine/formula/formula_text.h"
#include "frame/error_report.h"
#include "frame/text_safety.h"
#include "generate/cell_entry.h"
#include "generate/palette.h"
#include "host/host_factory.h"
#include "generate/register_layout.h"

namespace brevanta::generate {

using host::must;
namespace xl = host::xl;

namespace {

host::Application& app(const host::HostSession& session) { return must(session.excelApp); }

QString number(int value) { return QString::number(value); }

// The register's sheet and the columns the summary reads there (1-based):
// Category in E, Debit (-) in G, Credit (+) in H, transactions from row 6.
constexpr char kRegisterSheet[] = "Check Register";
constexpr int kCategoryColumn = 5;
constexpr int kDebitColumn = 7;
constexpr int kCreditColumn = 8;

// The longest text constant a formula holds.
constexpr qsizetype kLongestFormulaText = 255;

constexpr std::array<HeaderCell, 5> kHeader = {{
    {"$B$4", "Category"},
    {"$C$4", "Count"},
    {"$D$4", "Debits (-)"},
    {"$E$4", "Credits (+)"},
    {"$F$4", "Net"},
}};

constexpr std::array<ColumnWidth, 6> kColumnWidths = {{
    {"A:A", 2.71}, {"B:B", 30}, {"C:C", 8}, {"D:D", 14}, {"E:E", 14}, {"F:F", 15},
}};

constexpr std::array<RowHeight, 5> kRowHeights = {{
    {"1:1", 12}, {"2:2", 30.75}, {"3:3", 7.5}, {"4:4", 19.5}, {"5:5", 3},
}};
constexpr double kDataRowHeight = 20;

// 'Check Register'!R6C5:R<last>C5 for one of the register's columns.
QString registerColumn(int column, int transactionCount) {
    return engine::sheetPrefix(QLatin1String(kRegisterSheet)) + QStringLiteral("R%1C%2:R%3C%2")
        .arg(kFirstTransactionRow)
        .arg(column)
        .arg(kFirstTransactionRow + transactionCount - 1);
}

// The criterion as a formula's text constant, its quotes doubled.
QString quoted(const QString& text) {
    QString escaped = text;
    escaped.replace(QLatin1Char('"'), QStringLiteral("\"\""));
    return QLatin1Char('"') + escaped + QLatin1Char('"');
}

QString sumOfColumn(const SummaryCategory& category, int column, int transactionCount) {
    return QStringLiteral("=SUMIF(%1,%2,%3)")
        .arg(registerColumn(kCategoryColumn, transactionCount), quoted(categoryCriterion(category)),
             registerColumn(column, transactionCount));
}

// "$B$7:$E$7" for columns B to E of a row.
QString span(char first, char last, int row) {
    return QStringLiteral("$%1$%2:$%3$%2").arg(QLatin1Char(first)).arg(row).arg(QLatin1Char(last));
}

}  // namespace

std::vector<SummaryCategory> summaryCategories(const reg::TransactionSource& transactions) {
    std::vector<SummaryCategory> categories;
    QHash<QString, bool> seen;  // by case-folded name
    bool none = false;
    const int count = transactions.rowCount();
    for (int row = 1; row <= count; ++row) {
        const QString name = transactions.field(row, reg::Category).left(kLongestCellText);
        if (name.isEmpty()) {
            none = true;
            continue;
        }
        // Names a criterion tells apart: regardless of case, and the longest by their beginnings.
        const QString key = categoryCriterion({name, false}).toCaseFolded();
        if (seen.contains(key)) continue;
        seen.insert(key, true);
        categories.push_back({name, false});
    }
    std::sort(categories.begin(), categories.end(), [](const SummaryCategory& a, const SummaryCategory& b) {
        const int order = a.name.compare(b.name, Qt::CaseInsensitive);
        return order != 0 ? order < 0 : a.name < b.name;
    });
    if (none) categories.push_back({QString(), true});
    return categories;
}

QString tooManyCategoriesMessage(int count) {
    const QLocale english(QLocale::English);
    return QStringLiteral("The list has %1 categories; a sheet holds at most %2 of them, so the summary is left out.")
        .arg(english.toString(count), english.toString(kMostSummaryCategories));
}

namespace {

// "_xHHHH_" at `at`: what a reader of an .xlsx turns into one character.
bool isXmlEscapeAt(const QString& text, qsizetype at) {
    if (at + 7 > text.size() || text[at] != u'_' || text[at + 1] != u'x' || text[at + 6] != u'_') return false;
    for (qsizetype i = at + 2; i < at + 6; ++i)
        if (!isxdigit(text[i].unicode() < 0x80 ? int(text[i].unicode()) : 0)) return false;
    return true;
}

// Characters a formula's text cannot carry into every file and back the
// same: controls (the .xlsx holds its formulas as XML text), a lone half of
// a surrogate pair or a non-character (the writers store U+FFFD for them),
// and the underscore of what an .xlsx reader takes for an escape. The
// criterion has "?" (any one character) there.
bool travelsBadly(const QString& text, qsizetype at) {
    const QChar c = text[at];
    if (c.unicode() < 0x20) return true;
    if (c.isHighSurrogate() && at + 1 < text.size() && text[at + 1].isLowSurrogate())
        return frame::isNonCharacter(QChar::surrogateToUcs4(c, text[at + 1]));
    if (c.isSurrogate()) return true;
    return frame::isNonCharacter(c.unicode()) || isXmlEscapeAt(text, at);
}

}  // namespace

QString categoryCriterion(const SummaryCategory& category) {
    if (category.none) return QString();
    // As engine::literalCriterion writes it, but for the characters that travel badly.
    QString criterion = QStringLiteral("=");
    const QString& name = category.name;
    for (qsizetype i = 0; i < name.size(); ++i) {
        const QChar c = name[i];
        if (c.isHighSurrogate() && i + 1 < name.size() && name[i + 1].isLowSurrogate() && !travelsBadly(name, i)) {
            criterion += c;
            criterion += name[++i];
            continue;
        }
        if (travelsBadly(name, i)) {
            criterion += QLatin1Char('?');
            continue;
        }
        if (c == QLatin1Char('~') || c == QLatin1Char('*') || c == QLatin1Char('?')) criterion += QLatin1Char('~');
        criterion += c;
    }
    if (criterion.size() <= kLongestFormulaText) return criterion;
    // The beginning, and "*" for the rest: never a cut escape (~) or half a character.
    criterion.truncate(kLongestFormulaText - 1);
    qsizetype tildes = 0;
    for (qsizetype i = criterion.size() - 1; i >= 0 && criterion[i] == QLatin1Char('~'); --i) ++tildes;
    if (tildes % 2 == 1) criterion.chop(1);
    if (!criterion.isEmpty() && criterion.back().isHighSurrogate()) criterion.chop(1);
    return criterion + QLatin1Char('*');
}

QString categoryCountFormula(const SummaryCategory& category, int transactionCount) {
    return QStringLiteral("=COUNTIF(%1,%2)")
        .arg(registerColumn(kCategoryColumn, transactionCount), quoted(categoryCriterion(category)));
}

QString categoryDebitsFormula(const SummaryCategory& category, int transactionCount) {
    return sumOfColumn(category, kDebitColumn, transactionCount);
}

QString categoryCreditsFormula(const SummaryCategory& category, int transactionCount) {
    return sumOfColumn(category, kCreditColumn, transactionCount);
}

QString categoryNetFormula() { return QStringLiteral("=RC[-1]-RC[-2]"); }

QString summaryTotalFormula() { return QStringLiteral("=SUM(R5C:R[-1]C)"); }

void generateCategorySummary(const host::HostSession& session, const reg::TransactionSource& transactions) {
    frame::Procedure proc(QStringLiteral("CategorySummary"), QStringLiteral("GenerateSummary"));

    setUpSheet(proc, session, kColumnWidths, kRowHeights);

    int transactionCount = 0;
    std::vector<SummaryCategory> categories;
    proc.step(150, [&] { transactionCount = transactions.rowCount(); });
    proc.step(152, [&] { categories = summaryCategories(transactions); });
    const int categoryCount = int(categories.size());
    const bool fits = categoryCount <= kMostSummaryCategories;
    if (!fits) categories.clear();  // the header and a note only
    const int totalRow = kFirstSummaryRow + int(categories.size());
    for (int row = kFirstSummaryRow; row <= totalRow; ++row)
        proc.step(154, [&] { setRowHeight(session, number(row) + QLatin1Char(':') + number(row), kDataRowHeight); });

    writeTitleAndHeader(proc, session, QStringLiteral("$B$2:$F$2"), QLatin1String(kCategorySummarySheet), kHeader);
    proc.step(204, [&] { fillRange(session, span('B', 'F', 5), fill::Header); });
    if (!fits) {
        proc.step(206, [&] {
            writeCell(session, QStringLiteral("$B$6"),
                      QLatin1Char('\'') + tooManyCategoriesMessage(categoryCount), false);
        });
        proc.step(244, [&] { setupPage(session); });
        return;
    }

    // One row per category, banded as the register's rows are.
    int row = kFirstSummaryRow;
    for (const SummaryCategory& category : categories) {
        const QString rowText = number(row);
        const QString name = category.none ? QLatin1String(kNoCategoryLabel) : category.name;
        proc.step(210, [&] { fillRange(session, span('B', 'E', row), row % 2 == 0 ? fill::Sheet : fill::OddRow); });
        proc.step(212, [&] { fillRange(session, QStringLiteral("$F$") + rowText, fill::Balance); });
        proc.step(214, [&] { writeCell(session, QStringLiteral("$B$") + rowText, dataCellEntry(reg::Category, name), false); });
        if (category.none) proc.step(216, [&] { setSelectionFont(session, QStringLiteral("Italic"), 10, xl::ColorIndexAutomatic); });
        proc.step(218, [&] {
            writeCell(session, QStringLiteral("$C$") + rowText, categoryCountFormula(category, transactionCount), false);
        });
        proc.step(220, [&] {
            writeCell(session, QStringLiteral("$D$") + rowText, categoryDebitsFormula(category, transactionCount), false);
        });
        proc.step(222, [&] {
            writeCell(session, QStringLiteral("$E$") + rowText, categoryCreditsFormula(category, transactionCount), false);
        });
        proc.step(224, [&] { writeCell(session, QStringLiteral("$F$") + rowText, categoryNetFormula(), false); });
        ++row;
    }

    // The total row: the sums of the columns above it.
    const QString totalText = number(totalRow);
    proc.step(230, [&] { fillRange(session, span('B', 'F', totalRow), fill::Header); });
    proc.step(232, [&] { writeCell(session, QStringLiteral("$B$") + totalText, QStringLiteral("Total"), false); });
    int line = 234;
    for (const char column : {'C', 'D', 'E', 'F'}) {
        proc.step(line, [&] {
            writeCell(session, QStringLiteral("$%1$").arg(QLatin1Char(column)) + totalText, summaryTotalFormula(), false);
        });
        line += 2;
    }
    proc.step(242, [&] {
        must(app(session).range(span('B', 'F', totalRow))).select();
        setSelectionFont(session, QStringLiteral("Bold"), 10, xl::ColorIndexAutomatic);
    });

    proc.step(244, [&] { setupPage(session); });
    proc.step(246, [&] { must(app(session).range(QStringLiteral("B6"))).select(); });
}

std::optional<SummaryChartPlace> summaryChartPlace(const model::Workbook& workbook) {
    for (size_t i = 0; i < workbook.sheets.size(); ++i) {
        const model::Sheet& sheet = *workbook.sheets[i];
        if (sheet.name != QLatin1String(kCategorySummarySheet)) continue;
        // The category rows are those whose count is a COUNTIF over the register.
        SummaryChartPlace place;
        place.sheet = int(i);
        place.nameColumn = 1;  // B
        place.netColumn = 5;   // F
        place.besideColumn = 7;
        place.firstRow = kFirstSummaryRow - 1;
        int row = place.firstRow;
        for (;; ++row) {
            const model::Cell* count = sheet.find(row, 2);
            if (!count || !count->formula || count->formula->root.kind != model::FormulaNode::Kind::Function ||
                count->formula->root.function != model::FunctionId::CountIf)
                break;
        }
        if (row == place.firstRow) return std::nullopt;
        place.lastRow = row - 1;
        return place;
    }
    return std::nullopt;
}

}  // namespace brevanta::generate
