#include <gtest/gtest.h>

#include "engine/embedded/address.h"

using namespace brevanta;
using engine::parseAddress;
using model::CellRange;

TEST(Address, ReadsTheFormsTheRegisterWrites) {
    EXPECT_EQ(parseAddress(QStringLiteral("B6")), (CellRange{5, 1, 5, 1}));
    EXPECT_EQ(parseAddress(QStringLiteral("$B$4")), (CellRange{3, 1, 3, 1}));
    EXPECT_EQ(parseAddress(QStringLiteral("$B$2:$I$2")), (CellRange{1, 1, 1, 8}));
    EXPECT_EQ(parseAddress(QStringLiteral("B6:H8")), (CellRange{5, 1, 7, 7}));
    EXPECT_EQ(parseAddress(QStringLiteral("A:A")), (CellRange{0, 0, 65535, 0}));
    EXPECT_EQ(parseAddress(QStringLiteral("A:K")), (CellRange{0, 0, 65535, 10}));
    EXPECT_EQ(parseAddress(QStringLiteral("7:7")), (CellRange{6, 0, 6, 255}));
    EXPECT_EQ(parseAddress(QStringLiteral("$4:$5")), (CellRange{3, 0, 4, 255}));
    EXPECT_EQ(parseAddress(QStringLiteral("iv65536")), (CellRange{65535, 255, 65535, 255}));
    EXPECT_EQ(parseAddress(QStringLiteral("B$6")), (CellRange{5, 1, 5, 1}));
}

TEST(Address, ReversedCornersAreNormalised) {
    // The sort range of an empty register.
    EXPECT_EQ(parseAddress(QStringLiteral("B6:H5")), (CellRange{4, 1, 5, 7}));
    EXPECT_EQ(parseAddress(QStringLiteral("H8:B6")), (CellRange{5, 1, 7, 7}));
    EXPECT_EQ(parseAddress(QStringLiteral("K:A")), (CellRange{0, 0, 65535, 10}));
}

TEST(Address, RefusesWhatIsNoAddressOrLiesOutsideTheSheet) {
    for (const char* text : {"", "B0", "A65537", "IW1", "AAAA1", "A", "7", "A1:", ":A1", "A1:B", "A:1", "$$A1",
                             "B$", "A 1", " A1", "A1,B2", "R1C1", "A1:B2:C3", "A-1", "1A", "A1$"})
        EXPECT_FALSE(parseAddress(QString::fromLatin1(text))) << text;
}

TEST(Address, WritesAbsoluteTextBack) {
    EXPECT_EQ(engine::rangeAddress({1, 1, 1, 8}), QStringLiteral("$B$2:$I$2"));
    EXPECT_EQ(engine::rangeAddress({5, 1, 5, 1}), QStringLiteral("$B$6"));
    EXPECT_EQ(engine::rangeAddress({0, 0, 65535, 10}), QStringLiteral("$A:$K"));
    EXPECT_EQ(engine::rangeAddress({3, 0, 4, 255}), QStringLiteral("$4:$5"));
    EXPECT_EQ(engine::rangeAddress({0, 0, 65535, 255}), QStringLiteral("$1:$65536"));
    EXPECT_EQ(engine::columnLetters(25), QStringLiteral("Z"));
    EXPECT_EQ(engine::columnLetters(26), QStringLiteral("AA"));
    EXPECT_EQ(engine::columnLetters(255), QStringLiteral("IV"));
}
