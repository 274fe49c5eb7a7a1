#include <gtest/gtest.h>

#include "ledger/amount_test.h"

using brevanta::reg::amountIsZero;

TEST(AmountTest, TextsThatCountAsZero) {
    for (const char* text : {"", "0", "0.00", "-0", "+0", "abc", "$5", ".", "-", "0.0.5", "  0  ", "\t0\n", "--5",
                             "&H", "&H0", "&h000", "&O", "&O0", "&O8", "&X5", "0e5", "\r5"})
        EXPECT_TRUE(amountIsZero(QString::fromLatin1(text))) << '"' << text << '"';
}

TEST(AmountTest, TextsThatAreNotZero) {
    for (const char* text : {"12abc", "-5", ".5", "0 5", "0\t5", "0\n5", "5000", "0.001", "+7", "&H1F", "&hff",
                             "&O7", "& H 1", "1e-400", "00000000000000000000001"})
        EXPECT_FALSE(amountIsZero(QString::fromLatin1(text))) << '"' << text << '"';
}
