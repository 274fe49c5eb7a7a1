#include <gtest/gtest.h>

#include "engine/formula/display_format.h"

using namespace brevanta;
using model::Value;

namespace {
const QLocale kUnitedStates(QLocale::English, QLocale::UnitedStates);
const QLocale kGermany(QLocale::German, QLocale::Germany);
QString general(double number, const QLocale& locale = kUnitedStates) {
    return engine::displayText(Value(number), QString(), locale);
}
}  // namespace

TEST(DisplayFormat, GeneralNumbersLikeASpreadsheet) {
    EXPECT_EQ(general(5055), QStringLiteral("5055"));
    EXPECT_EQ(general(0.1 + 0.2), QStringLiteral("0.3"));
    EXPECT_EQ(general(1e20), QStringLiteral("1E+20"));
    EXPECT_EQ(general(-4645.1), QStringLiteral("-4645.1"));
    EXPECT_EQ(general(2.0 / 3), QStringLiteral("0.6666666667"));
    EXPECT_EQ(general(12345678901.0), QStringLiteral("12345678901"));
    EXPECT_EQ(general(123456789012.0), QStringLiteral("1.23457E+11"));
    EXPECT_EQ(general(1e-10), QStringLiteral("1E-10"));
    EXPECT_EQ(general(-0.0), QStringLiteral("0"));
    EXPECT_EQ(general(4645.1, kGermany), QStringLiteral("4645,1"));
}

TEST(DisplayFormat, TextTruthValuesErrorsAndEmpty) {
    EXPECT_EQ(engine::displayText(Value(QStringLiteral("12abc")), QString(), kUnitedStates), QStringLiteral("12abc"));
    EXPECT_EQ(engine::displayText(Value(true), QString(), kUnitedStates), QStringLiteral("TRUE"));
    EXPECT_EQ(engine::displayText(Value(model::ErrorCode::Div0), QString(), kUnitedStates), QStringLiteral("#DIV/0!"));
    EXPECT_EQ(engine::displayText(Value(), QString(), kUnitedStates), QString());
}

TEST(DisplayFormat, DatesThroughTheirFormats) {
    EXPECT_EQ(engine::displayText(Value(41275.0), QStringLiteral("m/d/yyyy"), kUnitedStates), QStringLiteral("1/1/2013"));
    EXPECT_EQ(engine::displayText(Value(41275.0), QStringLiteral("dd.mm.yyyy"), kGermany), QStringLiteral("01.01.2013"));
    EXPECT_EQ(engine::displayText(Value(41275.75), QStringLiteral("m/d/yyyy h:mm AM/PM"), kUnitedStates),
              QStringLiteral("1/1/2013 6:00 PM"));
    EXPECT_EQ(engine::displayText(Value(41275.0), QStringLiteral("dddd, mmmm d, yyyy"), kUnitedStates),
              QStringLiteral("Tuesday, January 1, 2013"));
    EXPECT_EQ(engine::displayText(Value(0.5), QStringLiteral("hh:mm:ss"), kUnitedStates), QStringLiteral("12:00:00"));
    EXPECT_EQ(engine::displayText(Value(-1.0), QStringLiteral("m/d/yyyy"), kUnitedStates), QStringLiteral("-1"));
    EXPECT_TRUE(engine::isDateFormat(QStringLiteral("m/d/yyyy")));
    EXPECT_TRUE(engine::isDateFormat(QStringLiteral("[$-409]h:mm AM/PM")));
    EXPECT_FALSE(engine::isDateFormat(QStringLiteral("General")));
    EXPECT_FALSE(engine::isDateFormat(QStringLiteral("#,##0.00")));
    EXPECT_FALSE(engine::isDateFormat(QStringLiteral("0.00\"days\"")));
}

TEST(DisplayFormat, SerialsOfThe1900System) {
    EXPECT_EQ(engine::dateToSerial(1900, 1, 1), 1);
    EXPECT_EQ(engine::dateToSerial(1900, 2, 28), 59);
    EXPECT_EQ(engine::dateToSerial(1900, 2, 29), 60);
    EXPECT_EQ(engine::dateToSerial(1900, 3, 1), 61);
    EXPECT_EQ(engine::dateToSerial(2013, 1, 1), 41275);
    EXPECT_EQ(engine::dateToSerial(9999, 12, 31), 2958465);
    EXPECT_EQ(engine::dateToSerial(2013, 2, 29), 0);
    int year = 0, month = 0, day = 0;
    for (double serial : {1.0, 59.0, 60.0, 61.0, 41275.0, 2958465.0}) {
        ASSERT_TRUE(engine::serialToDate(serial, year, month, day)) << serial;
        EXPECT_EQ(engine::dateToSerial(year, month, day), serial);
    }
    ASSERT_TRUE(engine::serialToDate(60, year, month, day));
    EXPECT_EQ((std::array{year, month, day}), (std::array{1900, 2, 29}));
    EXPECT_FALSE(engine::serialToDate(0, year, month, day));
    EXPECT_FALSE(engine::serialToDate(2958466, year, month, day));
}
