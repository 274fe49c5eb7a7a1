// Amounts and dates as statements and the register write them.

#include <gtest/gtest.h>

#include "statements/statement_values.h"

namespace brevanta::statements {
namespace {

const QLocale kUs(QLocale::English, QLocale::UnitedStates);
const QLocale kGerman(QLocale::German, QLocale::Germany);

TEST(StatementAmounts, SignsGroupsSymbolsAndParentheses) {
    EXPECT_EQ(readAmount(QStringLiteral("-125.00")), -12500);
    EXPECT_EQ(readAmount(QStringLiteral("+12")), 1200);
    EXPECT_EQ(readAmount(QStringLiteral("1,500.00")), 150000);
    EXPECT_EQ(readAmount(QStringLiteral("-1,234,567.8")), -123456780);
    EXPECT_EQ(readAmount(QStringLiteral("(4.75)")), -475);
    EXPECT_EQ(readAmount(QStringLiteral("$5.00")), 500);
    EXPECT_EQ(readAmount(QStringLiteral("-$5.00")), -500);
    EXPECT_EQ(readAmount(QStringLiteral(".5")), 50);
    EXPECT_EQ(readAmount(QStringLiteral(" 7 ")), 700);
    EXPECT_EQ(readAmount(QStringLiteral("-4.7550")), -476);  // beyond cents: rounded
    EXPECT_EQ(readAmount(QStringLiteral("1.234,56"), u','), 123456);
}

TEST(StatementAmounts, AnythingElseIsRefused) {
    for (const char* text : {"", "-", "abc", "12abc", "1O.00", "1,23.00", "12,3456.00", ",100", "1.2.3", "--5",
                             "1e3", "12 34", "1234567890123456", "+-5", "-+5", "(-5)", "-$-5", "0,123.00"})
        EXPECT_FALSE(readAmount(QString::fromLatin1(text))) << text;
}

// The limit every statement reader keeps, at its edge (the refusals with
// their lines are in the readers' tests).
TEST(StatementAmounts, StatementAmountsStopAtTheLargestAnEntryMayBe) {
    EXPECT_EQ(readStatementAmount(QStringLiteral("-999,999,999,999.99")).cents, -kLargestStatementAmount);
    EXPECT_EQ(readStatementAmount(QStringLiteral("1.234,56"), u',').cents, 123456);
    const QString beyond = QStringLiteral(" is beyond 999,999,999,999.99, the most one entry may be");
    EXPECT_EQ(readStatementAmount(QStringLiteral("1000000000000.00")).refusal, "the amount \"1000000000000.00\"" + beyond);
    EXPECT_EQ(readStatementAmount(QStringLiteral("12345678901234567890")).refusal, "the amount \"12345678901234567890\"" + beyond);
}

TEST(StatementAmounts, RegisterColumnsReadInTheLocaleAndWithAPoint) {
    EXPECT_EQ(readRegisterAmount(QString(), kUs), 0);
    EXPECT_EQ(readRegisterAmount(QStringLiteral("12.50"), kUs), 1250);
    EXPECT_EQ(readRegisterAmount(QStringLiteral("12,50"), kGerman), 1250);
    EXPECT_EQ(readRegisterAmount(QStringLiteral("1.234,50"), kGerman), 123450);
    EXPECT_EQ(readRegisterAmount(QStringLiteral("12.50"), kGerman), 1250);  // as the amount test reads it
    EXPECT_FALSE(readRegisterAmount(QStringLiteral("12abc"), kUs));
}

TEST(StatementAmounts, TextsForTheListAndForMessages) {
    EXPECT_EQ(amountText(125000, kUs), QStringLiteral("1250.00"));
    EXPECT_EQ(amountText(475, kGerman), QStringLiteral("4,75"));
    EXPECT_EQ(amountText(5, kUs), QStringLiteral("0.05"));
    EXPECT_EQ(displayAmount(-123456789, kUs), QStringLiteral("-1,234,567.89"));
    EXPECT_EQ(displayAmount(100, kUs), QStringLiteral("1.00"));
}

TEST(StatementDates, QifWritesDatesThreeWays) {
    EXPECT_EQ(readQifDate(QStringLiteral("1/15/2025")), QDate(2025, 1, 15));
    EXPECT_EQ(readQifDate(QStringLiteral("01/16'25")), QDate(2025, 1, 16));
    EXPECT_EQ(readQifDate(QStringLiteral("1/16' 5")), QDate(2005, 1, 16));
    EXPECT_EQ(readQifDate(QStringLiteral("1/17/25")), QDate(2025, 1, 17));
    EXPECT_EQ(readQifDate(QStringLiteral("12/31/99")), QDate(1999, 12, 31));
    EXPECT_EQ(readQifDate(QStringLiteral("1-17-2025")), QDate(2025, 1, 17));
    EXPECT_EQ(readQifDate(QStringLiteral("2025-01-17")), QDate(2025, 1, 17));
    for (const char* text : {"", "13/1/2025", "2/30/2025", "1/15", "Jan 15 2025", "1/15/202", "1/15'2025"})
        EXPECT_FALSE(readQifDate(QString::fromLatin1(text))) << text;
}

// Bank CSV dates in the order their column decides, whatever the locale.
TEST(StatementDates, CsvDatesReadInTheOrderGiven) {
    EXPECT_EQ(readDateInOrder(QStringLiteral("2025-01-15"), DateOrder::YearMonthDay), QDate(2025, 1, 15));
    EXPECT_EQ(readDateInOrder(QStringLiteral("2025/1/5"), DateOrder::YearMonthDay), QDate(2025, 1, 5));
    EXPECT_EQ(readDateInOrder(QStringLiteral("20250115"), DateOrder::YearMonthDay), QDate(2025, 1, 15));
    EXPECT_EQ(readDateInOrder(QStringLiteral("1/15/2025"), DateOrder::MonthDayYear), QDate(2025, 1, 15));
    EXPECT_EQ(readDateInOrder(QStringLiteral("1/15/25"), DateOrder::MonthDayYear), QDate(2025, 1, 15));
    EXPECT_EQ(readDateInOrder(QStringLiteral("15.01.2025"), DateOrder::DayMonthYear), QDate(2025, 1, 15));
    EXPECT_EQ(readDateInOrder(QStringLiteral("3/4/2025"), DateOrder::DayMonthYear), QDate(2025, 4, 3));
    EXPECT_EQ(readDateInOrder(QStringLiteral("3/4/2025"), DateOrder::MonthDayYear), QDate(2025, 3, 4));
    EXPECT_FALSE(readDateInOrder(QStringLiteral("15/1/2025"), DateOrder::MonthDayYear));
    EXPECT_FALSE(readDateInOrder(QStringLiteral("1/15/2025"), DateOrder::YearMonthDay));
    EXPECT_FALSE(readDateInOrder(QStringLiteral("yesterday"), DateOrder::DayMonthYear));
}

TEST(StatementDates, RegisterDatesAsTheDateFieldWritesThem) {
    EXPECT_EQ(readRegisterDate(QStringLiteral("1/15/2025"), kUs), QDate(2025, 1, 15));
    EXPECT_EQ(readRegisterDate(QStringLiteral("1/15/2025 3:30 PM"), kUs), QDate(2025, 1, 15));
    EXPECT_EQ(readRegisterDate(QStringLiteral("15.01.2025"), kGerman), QDate(2025, 1, 15));
    EXPECT_EQ(readRegisterDate(QStringLiteral("15 Jan 2025"), QLocale::c()), QDate(2025, 1, 15));
    EXPECT_FALSE(readRegisterDate(QStringLiteral("someday"), kUs));
    EXPECT_FALSE(readRegisterDate(QString(), kUs));
}

TEST(StatementValues, CheckNumbersAreDigitsWithoutLeadingZeros) {
    EXPECT_EQ(checkNumberKey(QStringLiteral(" 001042 ")), QStringLiteral("1042"));
    EXPECT_EQ(checkNumberKey(QStringLiteral("0")), QStringLiteral("0"));
    EXPECT_EQ(checkNumberKey(QStringLiteral("ATM")), QString());
    EXPECT_EQ(checkNumberKey(QStringLiteral("12a")), QString());
    EXPECT_EQ(checkNumberKey(QString()), QString());
}

}  // namespace
}  // namespace brevanta::statements
