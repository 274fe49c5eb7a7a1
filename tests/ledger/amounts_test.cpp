// What the one amount reader takes for money and what it refuses, per locale.

#include <gtest/gtest.h>

#include "ledger/amounts.h"

inline void PrintTo(const QString& text, std::ostream* out) { *out << '"' << text.toStdString() << '"'; }

namespace brevanta::ledger {
namespace {

const QLocale kUs(QLocale::English, QLocale::UnitedStates);
const QLocale kGerman(QLocale::German, QLocale::Germany);
const QLocale kFrench(QLocale::French, QLocale::France);

struct Accepted {
    const char16_t* text;
    Cents cents;
};

void expectAccepted(const QLocale& locale, std::initializer_list<Accepted> cases) {
    for (const Accepted& c : cases) {
        const TypedAmount amount = readTypedAmount(QString::fromUtf16(c.text), locale);
        EXPECT_TRUE(amount.isAmount()) << QString::fromUtf16(c.text).toStdString();
        EXPECT_EQ(amount.cents, c.cents) << QString::fromUtf16(c.text).toStdString();
    }
}

void expectRefused(const QLocale& locale, std::initializer_list<const char16_t*> texts) {
    for (const char16_t* text : texts)
        EXPECT_EQ(readTypedAmount(QString::fromUtf16(text), locale).fault, AmountFault::NotAnAmount)
            << QString::fromUtf16(text).toStdString();
}

TEST(Amounts, WhatPeopleTypeUnderEnUs) {
    expectAccepted(kUs, {{u"12", 1200},         {u"$12", 1200},       {u"-$12", -1200},  {u"$-12", -1200},
                         {u"$ 12.50", 1250},    {u" 12.50 ", 1250},   {u"1,234.50", 123450},
                         {u"1,234,567", 123456700}, {u".5", 50},      {u"5.", 500},      {u"12.345", 1235},
                         {u"12.344", 1234},     {u"-0", 0},           {u"0.00", 0},      {u"", 0},
                         {u"  ", 0},            {u"0001", 100}});
    expectRefused(kUs, {u"abc", u"12.3x", u"12abc", u"$", u"-", u".", u"-.", u"1,23", u"12,50", u"1,2345",
                        u",123", u"1,,234", u"1.2.3", u"+12", u"(12)", u"12$", u"12-", u"--12", u"- 12",
                        u"\u20AC12", u"1e5", u"12 345", u"$$12"});
}

TEST(Amounts, TheLocalesSeparatorsAndTheDotAlways) {
    expectAccepted(kGerman, {{u"1.234,50", 123450}, {u"12,50", 1250},   {u"12.50", 1250}, {u"1.234", 123400},
                             {u"\u20AC12,50", 1250}, {u"-\u20AC 3", -300}});
    expectRefused(kGerman, {u"1,234.50", u"$12", u"12,5,0", u"1.23,50"});
    // A no-break space groups French amounts; a plain space is what people type.
    expectAccepted(kFrench, {{u"1 234,50", 123450}, {u"1\u202F234,50", 123450}, {u"1\u00A0234.50", 123450}});
    expectRefused(kFrench, {u"1 23,50", u"12 ,50"});
}

TEST(Amounts, BeyondWhatASpreadsheetHoldsIsRefused) {
    const QString largest = QStringLiteral("1") + QString(307, u'0');
    const TypedAmount atLimit = readTypedAmount(largest, kUs);
    EXPECT_TRUE(atLimit.isAmount());
    EXPECT_EQ(atLimit.value, 1e307);
    EXPECT_FALSE(atLimit.cents);  // too many digits for exact cents
    EXPECT_EQ(readTypedAmount(QStringLiteral("-2") + QString(307, u'0'), kUs).fault, AmountFault::TooLarge);
    EXPECT_EQ(readTypedAmount(largest + QLatin1Char('0'), kUs).fault, AmountFault::TooLarge);
    EXPECT_EQ(readTypedAmount(QString(5000, u'9'), kUs).fault, AmountFault::TooLarge);
    EXPECT_EQ(readTypedAmount(QStringLiteral("1e308"), kUs).fault, AmountFault::NotAnAmount);
    // Fifteen whole digits still count in cents; sixteen do not.
    EXPECT_EQ(readCents(QStringLiteral("999,999,999,999,999.99"), kUs), Cents(99999999999999999));
    EXPECT_FALSE(readCents(QStringLiteral("1000000000000000"), kUs));
}

TEST(Amounts, EnteringKeepsTheTextEmptiesZeroAndNamesTheFieldWhenRefused) {
    const AmountEntry dollars = enterAmount(QStringLiteral("Credit"), QStringLiteral("$12"), kUs);
    EXPECT_TRUE(dollars.accepted);
    EXPECT_EQ(dollars.text, QStringLiteral("$12"));
    for (const char* zero : {"", "0", "0.00", "-0", " 0,000.00 "}) {
        const AmountEntry entry = enterAmount(QStringLiteral("Debit"), QLatin1String(zero), kUs);
        EXPECT_TRUE(entry.accepted) << zero;
        EXPECT_EQ(entry.text, QString()) << zero;
    }
    // The workbook reads amounts the locale's way: a "." typed for the German comma is written as one.
    EXPECT_EQ(enterAmount(QStringLiteral("Debit"), QStringLiteral("\u20AC12.50"), kGerman).text, QStringLiteral("\u20AC12,50"));
    EXPECT_EQ(enterAmount(QStringLiteral("Debit"), QStringLiteral("1.234,50"), kGerman).text, QStringLiteral("1.234,50"));
    EXPECT_EQ(enterAmount(QStringLiteral("Debit"), QStringLiteral("1.234"), kGerman).text, QStringLiteral("1.234"));
    const AmountEntry junk = enterAmount(QStringLiteral("Debit"), QStringLiteral("12.3x"), kGerman);
    EXPECT_FALSE(junk.accepted);
    EXPECT_EQ(junk.text, QStringLiteral("12.3x"));
    EXPECT_EQ(junk.reason, QStringLiteral("Debit must be an amount, such as 12,50; \"12.3x\" is not one."));
    const AmountEntry huge = enterAmount(QStringLiteral("Credit"), QStringLiteral("1") + QString(400, u'0'), kUs);
    EXPECT_FALSE(huge.accepted);
    EXPECT_EQ(huge.reason, QStringLiteral("Credit must be an amount between -1E+307 and 1E+307; \"") + QString(39, u'0')
                               .prepend(u'1').left(39) + QChar(0x2026) + QStringLiteral("\" is beyond that."));
}

TEST(Amounts, NumbersBeyondWhatACellHoldsAreFoundHoweverWritten) {
    const QLocale us(QLocale::English, QLocale::UnitedStates);
    for (const char* beyond : {"1.7976931348623157e308", "-1e400", "2E307", "1" "000000000000000000000000000000000000000000000000000"
                                                                          "000000000000000000000000000000000000000000000000000"
                                                                          "000000000000000000000000000000000000000000000000000"
                                                                          "000000000000000000000000000000000000000000000000000"
                                                                          "000000000000000000000000000000000000000000000000000"
                                                                          "000000000000000000000000000000000000000000000000000"
                                                                          "0000"})
        EXPECT_TRUE(isNumberBeyondLimit(QLatin1String(beyond), us)) << beyond;
    for (const char* within : {"1e307", "9e306", "12.50", "", "abc", "inf", "nan", "0x1p2000", "1e400x"})
        EXPECT_FALSE(isNumberBeyondLimit(QLatin1String(within), us)) << within;
}

}  // namespace
}  // namespace brevanta::ledger
