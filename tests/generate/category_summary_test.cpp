// The Category Summary: its rows from the list, and the workbooks
// brevanta-register writes with --summary as readers nobody here wrote see
// them (xlrd, openpyxl, LibreOffice recalculating and after an edit).

#include <gtest/gtest.h>

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QMap>
#include <QProcess>
#include <QTemporaryDir>
#include <cmath>

#include "engine/formula/criteria.h"
#include "generate/category_summary.h"
#include "ledger/sample_transactions.h"
#include "ledger/saved_list.h"
#include "xls/xls_file.h"

// Failures show texts as texts.
inline void PrintTo(const QString& text, std::ostream* out) { *out << '"' << text.toStdString() << '"'; }

namespace brevanta {
namespace {

using generate::SummaryCategory;

reg::Transaction transaction(const QString& category, const QString& debit, const QString& credit) {
    return {QStringLiteral("2024-03-01"), QString(), QStringLiteral("x"), category, QString(), debit, credit};
}

// Rows out of date order, and the most rows a register holds, over 200 categories.
std::vector<reg::Transaction> unsortedRows() {
    return {{QStringLiteral("2024-05-09"), QStringLiteral("12"), QStringLiteral("x"), QStringLiteral("Fuel"), {}, QStringLiteral("40.10"), {}},
            {QStringLiteral("2024-01-02"), {}, QStringLiteral("x"), QStringLiteral("Salary"), {}, {}, QStringLiteral("2500")},
            {QStringLiteral("not a date"), {}, QStringLiteral("x"), QStringLiteral("Fuel"), {}, QStringLiteral("9.90"), {}},
            {QStringLiteral("2024-03-30"), QStringLiteral("3"), QStringLiteral("x"), QString(), {}, QStringLiteral("100"), {}}};
}

std::vector<reg::Transaction> mostRows() {
    std::vector<reg::Transaction> rows;
    rows.reserve(32768);
    for (int i = 0; i < 32768; ++i) {
        const QString cents = QString::number(100 + i % 997) + QStringLiteral(".") + QString::number(10 + i % 90);
        rows.push_back({QStringLiteral("2024-%1-%2").arg(1 + i % 12, 2, 10, QLatin1Char('0')).arg(1 + i % 28, 2, 10, QLatin1Char('0')),
                        QString::number(i), QStringLiteral("x"), QStringLiteral("Category %1").arg(i % 200), {},
                        i % 3 ? cents : QString(), i % 3 ? QString() : cents});
    }
    return rows;
}

QStringList names(const std::vector<SummaryCategory>& categories) {
    QStringList list;
    for (const SummaryCategory& category : categories) list << (category.none ? QStringLiteral("(none)") : category.name);
    return list;
}

TEST(CategorySummaryRows, OnePerNameWhateverItsCaseSortedWithNoneLast) {
    const reg::TransactionList list({transaction(QStringLiteral("Rent"), {}, {}), transaction(QString(), {}, {}),
                                     transaction(QStringLiteral("food"), {}, {}), transaction(QStringLiteral("Food"), {}, {}),
                                     transaction(QStringLiteral("Äpfel"), {}, {}), transaction(QStringLiteral("äPFEL"), {}, {}),
                                     transaction(QStringLiteral("bank"), {}, {})});
    EXPECT_EQ(names(generate::summaryCategories(list)),
              (QStringList{"bank", "food", "Rent", "Äpfel", "(none)"}));
    EXPECT_TRUE(generate::summaryCategories(reg::TransactionList()).empty());
    // Names told apart only after the first 253 characters share one criterion, so they share a row.
    const QString longName = QString(300, QLatin1Char('x'));
    EXPECT_EQ(generate::summaryCategories(reg::TransactionList({transaction(longName + QStringLiteral("a"), {}, {}),
                                                                transaction(longName + QStringLiteral("b"), {}, {})}))
                  .size(),
              1u);
}

TEST(CategorySummaryRows, FormulasReadTheRegistersColumnsWithLiteralCriteria) {
    const SummaryCategory hostile{QStringLiteral("say \"=a*\""), false};
    EXPECT_EQ(generate::categoryCountFormula(hostile, 3),
              QStringLiteral("=COUNTIF('Check Register'!R6C5:R8C5,\"=say \"\"=a~*\"\"\")"));
    EXPECT_EQ(generate::categoryCreditsFormula({QString(), true}, 1),
              QStringLiteral("=SUMIF('Check Register'!R6C5:R6C5,\"\",'Check Register'!R6C8:R6C8)"));
    EXPECT_EQ(generate::categoryDebitsFormula({QStringLiteral("a"), false}, 2),
              QStringLiteral("=SUMIF('Check Register'!R6C5:R7C5,\"=a\",'Check Register'!R6C7:R7C7)"));
    // What a formula's text cannot carry through every file stands for any one character.
    EXPECT_EQ(generate::categoryCriterion({QStringLiteral("a\x01" "b\nc") + QChar(0xD800) + QStringLiteral("_x0041_~"), false}),
              QStringLiteral("=a?b?c??x0041_~~"));
    EXPECT_EQ(generate::categoryCriterion({QStringLiteral("\U0001F600?"), false}), QStringLiteral("=\U0001F600~?"));
    // Too long for a formula's text: its beginning, never a cut escape.
    for (const QString& name : {QString(300, QLatin1Char('*')), QString(253, QLatin1Char('x')) + QStringLiteral("~~~~")}) {
        const QString criterion = generate::categoryCriterion({name, false});
        EXPECT_LE(criterion.size(), 255);
        EXPECT_TRUE(engine::Criterion::read(criterion, QLocale::c()).matches(name));
        EXPECT_FALSE(engine::Criterion::read(criterion, QLocale::c()).matches(QStringLiteral("y")));
    }
}

// ---------------------------------------------------------------- written workbooks

QString run(const QString& program, const QStringList& arguments) {
    QProcess process;
    process.start(program, arguments);
    if (!process.waitForFinished(300000) || process.exitStatus() != QProcess::NormalExit || process.exitCode() != 0) {
        ADD_FAILURE() << program.toStdString() << " " << arguments.join(QLatin1Char(' ')).toStdString()
                      << " failed: " << process.readAllStandardError().toStdString();
        return QString();
    }
    return QString::fromUtf8(process.readAllStandardOutput());
}

struct Figures {
    double count = 0, debits = 0, credits = 0;
};

// What the summary must show, added up here from the list: by category
// regardless of case (the first spelling), in the summary's order, and the total.
std::vector<std::pair<QString, Figures>> expectedRows(const std::vector<reg::Transaction>& rows) {
    QMap<QString, Figures> byKey;
    QMap<QString, QString> spelling;
    Figures total;
    for (const reg::Transaction& t : rows) {
        const QString key = t[reg::Category].toCaseFolded();
        if (!spelling.contains(key)) spelling[key] = t[reg::Category];
        Figures& f = byKey[key];
        f.count += 1;
        f.debits += t[reg::Debit].toDouble();
        f.credits += t[reg::Credit].toDouble();
        total.count += 1;
        total.debits += t[reg::Debit].toDouble();
        total.credits += t[reg::Credit].toDouble();
    }
    std::vector<std::pair<QString, Figures>> expected;
    for (const SummaryCategory& category : generate::summaryCategories(reg::TransactionList(rows)))
        expected.emplace_back(category.none ? QStringLiteral("(none)") : category.name,
                              byKey[category.name.toCaseFolded()]);
    expected.emplace_back(QStringLiteral("Total"), total);
    return expected;
}

void expectRows(const QJsonArray& rows, const std::vector<std::pair<QString, Figures>>& expected, const QString& what) {
    ASSERT_EQ(rows.size(), qsizetype(expected.size())) << what.toStdString();
    for (qsizetype i = 0; i < rows.size(); ++i) {
        const QJsonArray row = rows[i].toArray();
        const auto& [label, figures] = expected[size_t(i)];
        EXPECT_EQ(row[0].toString(), label) << what.toStdString();
        EXPECT_NEAR(row[1].toDouble(), figures.count, 1e-9) << what.toStdString() << " " << label.toStdString();
        // Sums of thousands of amounts may differ in their last binary digits with the order they are added in.
        auto near = [](double figure) { return 1e-6 + 1e-11 * std::abs(figure); };
        EXPECT_NEAR(row[2].toDouble(), figures.debits, near(figures.debits)) << what.toStdString() << " " << label.toStdString();
        EXPECT_NEAR(row[3].toDouble(), figures.credits, near(figures.credits)) << what.toStdString() << " " << label.toStdString();
        EXPECT_NEAR(row[4].toDouble(), figures.credits - figures.debits, near(figures.credits + figures.debits))
            << what.toStdString();
    }
}

TEST(CategorySummaryWorkbooks, TotalsAddUpInEveryReaderAndFollowAnEditedAmount) {
    QTemporaryDir folder;
    ASSERT_TRUE(folder.isValid());
    const std::vector<std::pair<QString, std::vector<reg::Transaction>>> lists = {
        {QStringLiteral("sample"), reg::sampleTransactions()},
        {QStringLiteral("empty"), {}},
        {QStringLiteral("one"), {transaction(QStringLiteral("Rent"), QStringLiteral("950.5"), {})}},
        {QStringLiteral("mixed"),
         {transaction(QString(), QStringLiteral("12.25"), {}), transaction(QStringLiteral("Café"), {}, QStringLiteral("40")),
          transaction(QStringLiteral("CAFÉ"), QStringLiteral("3.5"), {}), transaction(QStringLiteral("東京"), QStringLiteral("7"), {}),
          transaction(QString(), {}, QStringLiteral("1000"))}},
        {QStringLiteral("unsorted"), unsortedRows()},
        {QStringLiteral("most"), mostRows()},
        {QStringLiteral("hostile"),
         {transaction(QStringLiteral("a*c"), QStringLiteral("10"), {}), transaction(QStringLiteral("abc"), QStringLiteral("20"), {}),
          transaction(QStringLiteral("=1+1"), QStringLiteral("30"), {}), transaction(QStringLiteral("<3"), QStringLiteral("40"), {}),
          transaction(QStringLiteral("~x"), QStringLiteral("50"), {}), transaction(QStringLiteral("a?c"), {}, QStringLiteral("60")),
          transaction(QStringLiteral(">=a"), QStringLiteral("70"), {}), transaction(QStringLiteral("say \"hi\""), QStringLiteral("80"), {}),
          transaction(QStringLiteral("#N/A"), QStringLiteral("90"), {}), transaction(QStringLiteral("5"), QStringLiteral("100"), {}),
          transaction(QStringLiteral("'quoted"), QStringLiteral("110"), {}), transaction(QStringLiteral("*"), QStringLiteral("120"), {}),
          transaction(QStringLiteral("bell\x01" "char"), QStringLiteral("130"), {}), transaction(QStringLiteral("two\nlines"), QStringLiteral("140"), {}),
          transaction(QStringLiteral("_x0041_"), QStringLiteral("150"), {}), transaction(QStringLiteral("A"), QStringLiteral("160"), {})}},
    };
    QStringList files;
    for (const auto& [name, rows] : lists) {
        const QString list = folder.filePath(name + QStringLiteral(".list"));
        QFile file(list);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(reg::encodeSavedList(rows).toUtf8());
        file.close();
        for (const char* extension : {".xls", ".xlsx"}) {
            const QString out = folder.filePath(name + QLatin1String(extension));
            run(QStringLiteral(BREVANTA_REGISTER_COMMAND), {QStringLiteral("--list"), list, QStringLiteral("--summary"),
                                                            QStringLiteral("-o"), out});
            files << out;
        }
    }
    // Off by default: the workbook is the register alone.
    const QString plain = folder.filePath(QStringLiteral("plain.xls"));
    run(QStringLiteral(BREVANTA_REGISTER_COMMAND), {QStringLiteral("--sample"), QStringLiteral("-o"), plain});
    EXPECT_EQ(xls::readWorkbook(plain)->sheets.size(), 1u);
    const auto withSummary = xls::readWorkbook(files[0]);
    ASSERT_EQ(withSummary->sheets.size(), 2u);
    EXPECT_EQ(withSummary->activeSheet, 0);  // the register is what opens
    const model::PageSetupData& page = withSummary->sheets[1]->page;
    EXPECT_FALSE(page.zoom.has_value());  // printed one page wide, as long as it needs
    EXPECT_EQ(page.fitToPagesWide, 1);
    EXPECT_EQ(page.fitToPagesTall, 0);
    // A workbook read back is no place for a summary.
    QProcess refused;
    refused.start(QStringLiteral(BREVANTA_REGISTER_COMMAND),
                  {QStringLiteral("--from-xls"), plain, QStringLiteral("--pdf"), folder.filePath(QStringLiteral("x.pdf")),
                   QStringLiteral("--summary")});
    ASSERT_TRUE(refused.waitForFinished(60000));
    EXPECT_EQ(refused.exitCode(), 2);

    const QJsonObject report = QJsonDocument::fromJson(
        run(QStringLiteral("/usr/bin/python3"), QStringList{QStringLiteral(BREVANTA_TEST_DIR "/category_summary_report.py")} + files)
            .toUtf8()).object();
    ASSERT_EQ(report.size(), files.size());
    int index = 0;
    for (const auto& [name, rows] : lists) {
        const auto expected = expectedRows(rows);
        for (const char* extension : {".xls", ".xlsx"}) {
            const QString file = files[index++];
            const QJsonObject seen = report[file].toObject();
            const QString what = name + QLatin1String(extension);
            expectRows(seen[QLatin1String("cached")].toArray(), expected, what + QStringLiteral(" as saved"));
            expectRows(seen[QLatin1String("office")].toArray(), expected, what + QStringLiteral(" recalculated"));
            // 100 more on the register's first debit: that category's debits and the total's, nothing else.
            auto edited = expected;
            const QString category = seen[QLatin1String("editedCategory")].toString();
            if (!rows.empty()) {
                for (auto& [label, figures] : edited)
                    if (label == QLatin1String("Total") || label.compare(category, Qt::CaseInsensitive) == 0 ||
                        (category.isEmpty() && label == QLatin1String("(none)")))
                        figures.debits += 100;
            }
            expectRows(seen[QLatin1String("edited")].toArray(), edited, what + QStringLiteral(" edited"));
            const bool xlsx = QLatin1String(extension) == QLatin1String(".xlsx");
            EXPECT_EQ(seen[QLatin1String("charts")].toInt(), xlsx && !rows.empty() ? 1 : 0) << what.toStdString();
            for (const QJsonValue& formula : seen[QLatin1String("formulas")].toArray())
                EXPECT_TRUE(formula.toString().startsWith(QStringLiteral("=COUNTIF('Check Register'!$E$6:$E$%1,")
                                                              .arg(5 + rows.size())))
                    << formula.toString().toStdString();
        }
    }
}

}  // namespace
}  // namespace brevanta
