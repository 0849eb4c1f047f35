#include "platform/decimal_text.h"

#include <gtest/gtest.h>

#include <clocale>
#include <cmath>

using namespace lumivex;

TEST(DecimalText, ShortestIsFixedWithFraction) {
    EXPECT_EQ(DecimalText::shortest(1700000000.0), QStringLiteral("1700000000.0"));
    EXPECT_EQ(DecimalText::shortest(0.25), QStringLiteral("0.25"));
    EXPECT_EQ(DecimalText::shortest(5), QStringLiteral("5.0"));
    EXPECT_EQ(DecimalText::shortest(0.1), QStringLiteral("0.1"));
    EXPECT_EQ(DecimalText::shortest(1700000000.123456), QStringLiteral("1700000000.123456"));
    for (double value : {0.1, 1e-7, 123456789.987654321, 1.0 / 3.0, 1e21}) {
        EXPECT_EQ(*DecimalText::parseDouble(DecimalText::shortest(value)), value);
    }
}

TEST(DecimalText, IgnoresTheUserLocale) {
    const char* previous = std::setlocale(LC_NUMERIC, "de_DE.UTF-8");
    EXPECT_EQ(DecimalText::shortest(12.5), QStringLiteral("12.5"));
    EXPECT_EQ(DecimalText::parseDouble(u"12.5"), 12.5);
    EXPECT_EQ(DecimalText::parseDouble(u"1.5e999"), HUGE_VAL);
    if (previous != nullptr) {
        std::setlocale(LC_NUMERIC, "C");
    }
}

TEST(DecimalText, ParsesLikeStrtodWithoutSlack) {
    EXPECT_EQ(DecimalText::parseDouble(u"+3.5"), 3.5);
    EXPECT_EQ(DecimalText::parseDouble(u"-0.5"), -0.5);
    EXPECT_EQ(DecimalText::parseDouble(u"1e3"), 1000.0);
    EXPECT_EQ(DecimalText::parseDouble(u"0x10"), 16.0);
    EXPECT_TRUE(std::isnan(*DecimalText::parseDouble(u"nan")));
    EXPECT_TRUE(std::isinf(*DecimalText::parseDouble(u"-inf")));
    for (QStringView bad : {u"", u" 1", u"1 ", u"1,5", u"+-1", u"--1", u"abc", u"1.5x", u"１"}) {
        EXPECT_FALSE(DecimalText::parseDouble(bad)) << bad.toString().toStdString();
    }
}

TEST(DecimalText, OutOfRangeNumbersReadWholeLikeStrtod) {
    EXPECT_EQ(DecimalText::parseDouble(u"-1e999"), -HUGE_VAL);
    EXPECT_EQ(DecimalText::parseDouble(u"1e-400"), 0.0);
    EXPECT_EQ(DecimalText::parseDouble(u"0x1p99999"), HUGE_VAL);
    EXPECT_EQ(DecimalText::parseDouble(u"-0x1p-99999"), 0.0);
    for (QStringView bad : {u"1e-400x", u"1e999 ", u"0x1p-99999z"}) {
        EXPECT_FALSE(DecimalText::parseDouble(bad)) << bad.toString().toStdString();
    }
}

TEST(DecimalText, IntegersAreSignAndDigitsOnly) {
    EXPECT_EQ(DecimalText::parseInteger(u"+3"), 3);
    EXPECT_EQ(DecimalText::parseInteger(u"03"), 3);
    EXPECT_EQ(DecimalText::parseInteger(u"-1"), -1);
    for (QStringView bad : {u"", u"2.0", u" 1", u"+", u"-", u"+-1", u"99999999999999999999"}) {
        EXPECT_FALSE(DecimalText::parseInteger(bad)) << bad.toString().toStdString();
    }
}
