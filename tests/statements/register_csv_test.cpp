// The list written as the register's CSV comes back the same.

#include <QLocale>
#include <gtest/gtest.h>

#include "register/transaction_source.h"
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
