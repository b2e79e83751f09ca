// Number texts and number parsing, the same in every locale.
#include <gtest/gtest.h>

#include <climits>
#include <clocale>
#include <cmath>
#include <cstdio>
#include <random>
#include <string>

#include "run/NumberText.h"

namespace {

std::string doubleText(double value) {
    char text[zor::numberTextSize];
    zor::formatDouble(value, text);
    return text;
}

}  // namespace

TEST(NumberTextTest, FormatsLikeTheCFormats) {
    char text[zor::numberTextSize];
    EXPECT_EQ(zor::formatInt(INT_MIN, text), 11);
    EXPECT_STREQ(text, "-2147483648");
    zor::formatHex(-1, text);
    EXPECT_STREQ(text, "ffffffff");
    zor::formatHex(0x1f, text);
    EXPECT_STREQ(text, "1f");
    EXPECT_EQ(doubleText(0.0000004), "0.000000");
    EXPECT_EQ(doubleText(-0.0), "-0.000000");
    EXPECT_EQ(doubleText(INFINITY), "inf");
    EXPECT_EQ(doubleText(-INFINITY), "-inf");
    EXPECT_EQ(doubleText(NAN), "nan");
}

TEST(NumberTextTest, DoublesMatchPrintfInTheCLocale) {
    std::mt19937_64 random(7);
    std::uniform_real_distribution<double> mantissa(-10.0, 10.0);
    std::uniform_int_distribution<int> exponent(-12, 40);
    for (int i = 0; i < 20000; ++i) {
        double value = std::ldexp(mantissa(random), exponent(random));
        char expected[400];
        std::snprintf(expected, sizeof expected, "%lf", value);
        ASSERT_EQ(doubleText(value), expected) << "value " << value;
    }
}

TEST(NumberTextTest, ParsesAndClampsToThirtyTwoBits) {
    EXPECT_EQ(zor::parseInt("123abc"), 123);
    EXPECT_EQ(zor::parseInt("-45"), -45);
    EXPECT_EQ(zor::parseInt("+7"), 7);
    EXPECT_EQ(zor::parseInt("x"), 0);
    EXPECT_EQ(zor::parseInt(""), 0);
    EXPECT_EQ(zor::parseInt("2147483648"), INT_MAX);
    EXPECT_EQ(zor::parseInt("-99999999999999999999"), INT_MIN);
    EXPECT_EQ(zor::parseDouble("2.5"), 2.5);
    EXPECT_EQ(zor::parseDouble("-1e3x"), -1000.0);
    EXPECT_EQ(zor::parseDouble("1e999"), HUGE_VAL);
    EXPECT_EQ(zor::parseDouble("abc"), 0.0);
}

TEST(NumberTextTest, CommaLocaleChangesNothing) {
    if (!std::setlocale(LC_ALL, "de_DE.UTF-8")) GTEST_SKIP() << "locale de_DE.UTF-8 missing";
    std::string text = doubleText(3.5);
    double parsed = zor::parseDouble("2.5");
    std::setlocale(LC_ALL, "C");
    EXPECT_EQ(text, "3.500000");
    EXPECT_EQ(parsed, 2.5);
}
