#include <QFile>
#include <QSettings>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include "frame/failure.h"
#include "ledger/saved_list.h"

using namespace brevanta::reg;

namespace {

Transaction row(const char* date, const char* number, const char* description, const char* category,
                const char* cleared, const char* debit, const char* credit) {
    return {QString::fromUtf8(date),    QString::fromUtf8(number), QString::fromUtf8(description),
            QString::fromUtf8(category), QString::fromUtf8(cleared), QString::fromUtf8(debit),
            QString::fromUtf8(credit)};
}

std::vector<Transaction> fieldsOf(const std::vector<SavedRecord>& records) {
    std::vector<Transaction> rows;
    for (const auto& record : records) rows.push_back(record.fields);
    return rows;
}

}  // namespace

TEST(SavedList, ExampleRowsUseTheExactLayout) {
    const std::vector<Transaction> rows = {
        row("1/1/2013", "1", "Sold My Used Car", "Automotive", "Yes", "", "5000"),
        row("1/2/2013", "2", "Thundercats Collection", "Toys", "Yes", "", "55")};
    const QString value = encodeSavedList(rows);
    EXPECT_EQ(value, QStringLiteral("1/1/2013^1^Sold My Used Car^Automotive^Yes^^5000|"
                                    "1/2/2013^2^Thundercats Collection^Toys^Yes^^55|"));
    EXPECT_EQ(fieldsOf(decodeSavedList(value)), rows);
    EXPECT_EQ(encodeSavedList(std::vector<Transaction>{}), QString());
}

TEST(SavedList, TextsWithSeparatorsAndTheEscapeComeBackWhole) {
    const std::vector<Transaction> rows = {
        row("1|2|2013", "^", "a|b^c", "\x1b", "\x1bp", "|^|", "\x1b\x1b^"),
        row("", "", "", "", "", "", ""),
        row("31.12.2025", "7", "Miete für Dezember – Küche ☕", "Wohnung", "", "1.234,56", ""),
        row("x", "y\x1b", "\x1b" "e", "end\x1b", "", "", "z")};
    const QString value = encodeSavedList(rows);
    // Escaped texts never hold the separators themselves: 4 records, 24 field separators.
    EXPECT_EQ(value.count(QLatin1Char('|')), 4);
    EXPECT_EQ(value.count(QLatin1Char('^')), 24);
    EXPECT_EQ(fieldsOf(decodeSavedList(value)), rows);
    // Plain texts stay byte for byte as they were.
    EXPECT_TRUE(value.contains(QString::fromUtf8("^Miete für Dezember – Küche ☕^Wohnung^^1.234,56^|")));
}

TEST(SavedList, ReadingCutsRecordsAndCountsTheirParts) {
    const auto records = decodeSavedList(QStringLiteral("|||whole record|a^b^c||1^2^3^4^5^6^7^8^9|\x1bz^\x1b|tail"));
    ASSERT_EQ(records.size(), 5u);
    EXPECT_EQ(records[0].partCount, 1);
    EXPECT_EQ(records[0].fields, row("whole record", "", "", "", "", "", ""));
    EXPECT_EQ(records[1].partCount, 3);
    EXPECT_EQ(records[1].fields, row("a", "b", "c", "", "", "", ""));
    EXPECT_EQ(records[2].partCount, 7);  // parts after the seventh are dropped
    EXPECT_EQ(records[2].fields, row("1", "2", "3", "4", "5", "6", "7"));
    // An escape not followed by a known code reads as itself; the last piece needs no "|".
    EXPECT_EQ(records[3].partCount, 2);
    EXPECT_EQ(records[3].fields[0], QStringLiteral("\x1bz"));
    EXPECT_EQ(records[3].fields[1], QStringLiteral("\x1b"));
    EXPECT_EQ(records[4].fields[0], QStringLiteral("tail"));
    EXPECT_TRUE(decodeSavedList(QString()).empty());
    EXPECT_TRUE(decodeSavedList(QStringLiteral("||||")).empty());
}

TEST(SavedList, StoreKeepsTheTextInItsIniFile) {
    QTemporaryDir folder;
    const SavedListStore store(folder.filePath(QStringLiteral("settings.ini")));
    EXPECT_EQ(store.read(), QString());  // nothing stored yet
    const QString value = encodeSavedList({row("1/1/2013", "1", "Car, sold; \"cheap\" = yes", "A\\B", "#", "", "5"),
                                           row("x\ny", "\t", "  ", "é", "[Brevanta]", "%20", "\x1b|")});
    store.write(value);
    EXPECT_EQ(store.read(), value);

    QSettings raw(store.iniFile(), QSettings::IniFormat);
    EXPECT_EQ(raw.value(QStringLiteral("Brevanta/Check Register")).toString(), value);

    store.write(QString());  // an empty list stores the empty text, not "no value"
    EXPECT_TRUE(raw.contains(QStringLiteral("Brevanta/Check Register")));
    EXPECT_EQ(store.read(), QString());
}

TEST(SavedList, UserSettingsAddressIsHalvornBrevantaCheckRegister) {
    // Only under CTest, whose home folder lies in the build folder.
    if (!qEnvironmentVariable("HOME").contains(QStringLiteral("test-home")))
        GTEST_SKIP() << "needs the private settings home CTest sets";
    const SavedListStore store;
    store.write(QStringLiteral("1/1/2013^1^a^b^c^^5|"));
    QSettings raw(QSettings::NativeFormat, QSettings::UserScope, QStringLiteral("Halvorn"));
    EXPECT_TRUE(raw.fileName().startsWith(qEnvironmentVariable("HOME"))) << raw.fileName().toStdString();
    EXPECT_TRUE(raw.fileName().endsWith(QStringLiteral("/Halvorn.conf"))) << raw.fileName().toStdString();
    EXPECT_EQ(raw.value(QStringLiteral("Brevanta/Check Register")).toString(), QStringLiteral("1/1/2013^1^a^b^c^^5|"));
    EXPECT_EQ(store.read(), QStringLiteral("1/1/2013^1^a^b^c^^5|"));
    raw.remove(QStringLiteral("Brevanta"));
}
