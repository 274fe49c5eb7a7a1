// The list written as the register's CSV comes back the same.

#include <QLocale>
#include <gtest/gtest.h>

#include "ledger/transaction_source.h"
#include "statements/bank_csv_reader.h"
#include "statements/csv_records.h"
#include "statements/register_csv.h"

namespace brevanta::statements {
namespace {

TEST(RegisterCsv, ExportReadsBackToTheSameList) {
    const std::vector<reg::Transaction> rows{
        {"1/1/2013", "1", "Sold My Used Car", "Automotive", "Yes", "", "5000"},
        {"1/2/2013", "", "Quotes \"and\", commas", "A|B^C", "", "12.50", ""},
        {"1/3/2013 3:30 PM", "2", "Two\nlines\r\nhere", " padded ", "", "", "0.05"},
        {"", "", "", "", "", "", ""},
        {QStringLiteral("1/4/2013"), "", QStringLiteral("Grüne Küche €"), "", "", "-5", ""}};
    const QByteArray csv = csvFromTransactions(reg::TransactionList(rows));
    EXPECT_TRUE(csv.startsWith("Date,Number,Description,Category,Cleared,Debit,Credit\r\n"
                               "1/1/2013,1,Sold My Used Car,Automotive,Yes,,5000\r\n"
                               "1/2/2013,,\"Quotes \"\"and\"\", commas\",A|B^C,,12.50,\r\n"));
    EXPECT_EQ(transactionsFromCsv(QString::fromUtf8(csv)), rows);
    EXPECT_EQ(transactionsFromCsv(QString::fromUtf8(csvFromTransactions(reg::TransactionList()))).size(), 0u);
}

TEST(RegisterCsv, AmountsTypedWithTheCurrencySymbolReadBackAndZeroStaysEmpty) {
    const QLocale previous;
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
    const std::vector<reg::Transaction> typed{{"1/5/2013", "", "Cash", "", "", "$12", ""},
                                              {"1/6/2013", "", "Refund", "", "", "", "-$1,234.50"}};
    EXPECT_EQ(transactionsFromCsv(QString::fromUtf8(csvFromTransactions(reg::TransactionList(typed)))), typed);
    const auto zero = transactionsFromCsv(QStringLiteral("Date,Number,Description,Category,Cleared,Debit,Credit\r\n"
                                                         "1/7/2013,,,,,$0.00,abc\r\n"));
    EXPECT_EQ(zero, (std::vector<reg::Transaction>{{"1/7/2013", "", "", "", "", "", ""}}));
    QLocale::setDefault(previous);
}

TEST(RegisterCsv, FieldsASpreadsheetWouldRunAreGuardedAndReadBackAsWritten) {
    const std::vector<reg::Transaction> rows{
        {"1/1/2013", "=1+1", "=HYPERLINK(\"http://example.invalid\",\"x\")", "+SUM(1)", "-cmd", "-5", "+1,234.50"},
        {"1/2/2013", "@A1", "\tTab", "\rReturn", "'quoted", "-5 EUR", ".5"},
        {"1/3/2013", "'", "''", "'=x", "=", "", ""},
    };
    const QString text = QString::fromUtf8(csvFromTransactions(reg::TransactionList(rows)));
    // Plain numbers stay numbers; every other field that begins dangerously gets the apostrophe.
    EXPECT_TRUE(text.contains(QStringLiteral("\r\n1/1/2013,'=1+1,\"'=HYPERLINK(\"\"http://example.invalid\"\",\"\"x\"\")\","
                                             "'+SUM(1),'-cmd,-5,\"+1,234.50\"\r\n")));
    EXPECT_TRUE(text.contains(QStringLiteral("\r\n1/2/2013,'@A1,'\tTab,\"'\rReturn\",''quoted,'-5 EUR,.5\r\n")));
    EXPECT_TRUE(text.contains(QStringLiteral("\r\n1/3/2013,'',''',''=x,'=,,\r\n")));
    EXPECT_EQ(transactionsFromCsv(text), rows);

    // Imported as a bank statement, the export gives the same texts.
    const std::vector<reg::Transaction> statementRows{
        {"2013-01-01", "@A1", "=HYPERLINK(\"http://example.invalid\",\"x\")", "+SUM(1)", "", "5", ""},
        {"2013-01-02", "'7", "'quoted", "-cat", "", "", "1"}};
    const Statement statement = readBankCsv(QString::fromUtf8(csvFromTransactions(reg::TransactionList(statementRows))),
                                            QStringLiteral("register.csv"));
    ASSERT_EQ(statement.entries.size(), 2u);
    for (size_t i = 0; i < 2; ++i) {
        EXPECT_EQ(statement.entries[i].checkNumber, statementRows[i][reg::Number]);
        EXPECT_EQ(statement.entries[i].payee, statementRows[i][reg::Description]);
        EXPECT_EQ(statement.entries[i].category, statementRows[i][reg::Category]);
    }
}

TEST(RegisterCsv, FieldsAreQuotedOnlyWhenTheyMustBe) {
    EXPECT_EQ(csvField(QStringLiteral("plain")), QStringLiteral("plain"));
    EXPECT_EQ(csvField(QStringLiteral("a,b")), QStringLiteral("\"a,b\""));
    EXPECT_EQ(csvField(QStringLiteral("say \"hi\"")), QStringLiteral("\"say \"\"hi\"\"\""));
    EXPECT_EQ(csvField(QStringLiteral(" x")), QStringLiteral("\" x\""));
    EXPECT_EQ(csvField(QString()), QString());
}

TEST(RegisterCsv, RecordsKnowTheirLines) {
    const auto records = parseCsvRecords(QStringLiteral("a\r\n\r\n\"b\nc\",d\ne\n"));
    ASSERT_EQ(records.size(), 3u);
    EXPECT_EQ(records[0].line, 1);
    EXPECT_EQ(records[1].line, 3);
    EXPECT_EQ(records[2].line, 5);
}

}  // namespace
}  // namespace brevanta::statements
