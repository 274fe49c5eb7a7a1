// The one date reader: the stored form, the order of the rules, what is
// ambiguous, and how the list shows a date under each language.

#include <gtest/gtest.h>

#include "ledger/dates.h"

namespace brevanta::ledger {
namespace {

const QLocale kUs(QLocale::English, QLocale::UnitedStates);
const QLocale kUk(QLocale::English, QLocale::UnitedKingdom);
const QLocale kGerman(QLocale::German, QLocale::Germany);
const QLocale kFrench(QLocale::French, QLocale::France);

QDate dayOf(const QString& text, const QLocale& locale) {
    const auto date = readDate(text, locale);
    return date ? date->date : QDate();
}

TEST(LedgerDates, StoredFormIsIsoWithATimeOnlyWhenNotMidnight) {
    EXPECT_EQ(storedDateText(QDate(2013, 1, 3)), QStringLiteral("2013-01-03"));
    EXPECT_EQ(storedDateText(QDateTime(QDate(2013, 1, 3), QTime(0, 0))), QStringLiteral("2013-01-03"));
    EXPECT_EQ(storedDateText(QDateTime(QDate(2013, 1, 3), QTime(15, 30, 12))), QStringLiteral("2013-01-03T15:30"));
    for (const QLocale& locale : {kUs, kUk, kGerman, kFrench}) {
        EXPECT_EQ(dayOf(QStringLiteral("2013-01-03"), locale), QDate(2013, 1, 3));
        const auto timed = readDate(QStringLiteral("2013-01-03T15:30"), locale);
        ASSERT_TRUE(timed);
        EXPECT_EQ(timed->time, QTime(15, 30));
        EXPECT_EQ(storedDateText(*timed), QStringLiteral("2013-01-03T15:30"));
    }
}

TEST(LedgerDates, EachRuleReadsItsTexts) {
    const struct {
        const char* text;
        QLocale locale;
        QDate date;
    } cases[] = {
        {"03.01.2013", kGerman, {2013, 1, 3}},     // the locale's short date
        {"3.1.13", kGerman, {2013, 1, 3}},         // ... with a two-digit year
        {"03/01/2013", kUk, {2013, 1, 3}},
        {"03/01/2013", kFrench, {2013, 1, 3}},
        {"1/3/2013", kUs, {2013, 1, 3}},
        {"1/3/13", kUs, {2013, 1, 3}},
        {"1/3/2013", kGerman, {2013, 1, 3}},       // month-first, as the example data writes it
        {"1/3/2013", kFrench, {2013, 3, 1}},       // ... but the locale's own short date comes first
        {"Jan 3, 2013", kGerman, {2013, 1, 3}},    // English month names
        {"January 3, 2013", kFrench, {2013, 1, 3}},
        {"3 Jan 2013", kUs, {2013, 1, 3}},
        {"3-jan-13", kUk, {2013, 1, 3}},
        {"03.01.2013", kUs, {2013, 1, 3}},         // dots are day-first everywhere
        {"  2013-01-03 ", kUs, {2013, 1, 3}},
        {"1/15/2025 3:30 PM", kUs, {2025, 1, 15}},
        {"15.01.2025 15:30", kGerman, {2025, 1, 15}},
    };
    for (const auto& c : cases) EXPECT_EQ(dayOf(QLatin1String(c.text), c.locale), c.date) << c.text;
    const auto afternoon = readDate(QStringLiteral("1/15/2025 3:30 PM"), kUs);
    ASSERT_TRUE(afternoon);
    EXPECT_EQ(afternoon->time, QTime(15, 30));
}

TEST(LedgerDates, TextsThatAreNoDatesAreNotRead) {
    for (const char* text : {"", "someday", "2/30/2013", "13/13/2013", "1/3/201", "1/3/20133", "1.3/2013",
                             "=TODAY()", "2013-1-3x", "1/3/2013 25:00", "1/3/2013 3:30 XM", "Jan 3 2013 4",
                             "01/03/2013/05"})
        EXPECT_FALSE(readDate(QLatin1String(text), kUs)) << text;
    EXPECT_FALSE(readDate(QStringLiteral("1/3/2013") + QString(60, u' ') + QStringLiteral("x"), kUs));
}

TEST(LedgerDates, OnlyUnambiguousTextsTakeTheStoredForm) {
    // en_GB reads "1/2/2013" as 1 February, month-first numbers as 2 January.
    EXPECT_EQ(dayOf(QStringLiteral("1/2/2013"), kUk), QDate(2013, 2, 1));
    EXPECT_FALSE(readDateUnambiguously(QStringLiteral("1/2/2013"), kUk));
    EXPECT_EQ(storedFormOf(QStringLiteral("1/2/2013"), kUk), QStringLiteral("1/2/2013"));
    // Where every rule that reads it agrees, the text takes the stored form.
    EXPECT_EQ(storedFormOf(QStringLiteral("1/2/2013"), kUs), QStringLiteral("2013-01-02"));
    EXPECT_EQ(storedFormOf(QStringLiteral("13/01/2013"), kUk), QStringLiteral("2013-01-13"));
    EXPECT_EQ(storedFormOf(QStringLiteral("02.01.2013"), kGerman), QStringLiteral("2013-01-02"));
    EXPECT_EQ(storedFormOf(QStringLiteral("1/15/2025 3:30 PM"), kUs), QStringLiteral("2025-01-15T15:30"));
    EXPECT_EQ(storedFormOf(QStringLiteral("someday"), kUs), QStringLiteral("someday"));
}

TEST(LedgerDates, TheListShowsTheLocalesShortDateWithAFullYear) {
    EXPECT_EQ(displayDateText(QStringLiteral("2013-01-03"), kUs), QStringLiteral("1/3/2013"));
    EXPECT_EQ(displayDateText(QStringLiteral("2013-01-03"), kGerman), QStringLiteral("03.01.2013"));
    EXPECT_EQ(displayDateText(QStringLiteral("2013-01-03"), kUk), QStringLiteral("03/01/2013"));
    EXPECT_EQ(displayDateText(QStringLiteral("2013-01-03T15:30"), kGerman), QStringLiteral("03.01.2013 15:30"));
    EXPECT_EQ(displayDateText(QStringLiteral("someday"), kGerman), QStringLiteral("someday"));
    // What the list shows reads back as the same day under its locale.
    for (const QLocale& locale : {kUs, kUk, kGerman, kFrench})
        EXPECT_EQ(dayOf(displayDateText(QStringLiteral("2013-12-31"), locale), locale), QDate(2013, 12, 31));
}

}  // namespace
}  // namespace brevanta::ledger
