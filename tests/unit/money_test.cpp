#include "pricing/money.h"

#include <gtest/gtest.h>
#include <math.h>
#include <stdint.h>

#include <random>
#include <string>
#include <vector>

namespace {

std::string Money(double dValue, const char* szSuffix = " ") {
    char szText[kMoneyTextSize];
    FormatMoney(dValue, szSuffix, szText, sizeof(szText));
    return szText;
}

TEST(Money, NumberRuleOfPriceFields) {
    struct Case {
        const char* szText;
        double dValue;
    } cases[] = {
        {"0.05", 0.05}, {" 2", 2},      {"1,50", 1},      {"3 dollars", 3}, {"$1.50", 0},   {"", 0},
        {"-2.5", -2.5}, {"+4", 4},      {".5", 0.5},      {"5.", 5},        {".", 0},       {"-", 0},
        {"1e2", 100},   {"1.5E-1", 0.15}, {"2e", 2},      {"2e+", 2},       {"\t\n 7x", 7}, {"abc", 0},
        {"0x10", 0},    {"inf", 0},     {"nan", 0},       {"- 1", 0},       {"1.2.3", 1.2}, {"007", 7},
    };
    for (const Case& c : cases) EXPECT_EQ(c.dValue, TextToMoney(c.szText)) << "text «" << c.szText << "»";
    // A long number (a field holds up to 259 bytes) still converts exactly as far as it goes.
    std::string longNumber = "1." + std::string(400, '0') + "1";
    EXPECT_EQ(1.0, TextToMoney(longNumber.c_str()));
}

TEST(Money, DialogIntegerRule) {
    struct Case {
        const char* szText;
        bool bOk;
        int nValue;
    } cases[] = {
        {"80", true, 80},          {" -12 ", true, -12},   {"+5", true, 5},
        {"", false, 0},            {"abc", false, 0},      {"12abc", false, 0},
        {"1 2", false, 0},         {"-", false, 0},        {"2147483647", true, 2147483647},
        {"-2147483648", true, -2147483647 - 1},            {"2147483648", false, 0},
        {"99999999999999999999", false, 0},
    };
    for (const Case& c : cases) {
        int nValue = 12345;
        EXPECT_EQ(c.bOk, TextToDialogInt(c.szText, &nValue)) << "text «" << c.szText << "»";
        EXPECT_EQ(c.nValue, nValue) << "text «" << c.szText << "»";
    }
}

TEST(Money, DisplayRoundsHalvesToEvenWithOneBlank) {
    EXPECT_EQ("0.12 ", Money(0.125));
    EXPECT_EQ("0.38 ", Money(0.375));
    EXPECT_EQ("1234.57 ", Money(1234.567));
    EXPECT_EQ("-2.50 ", Money(-2.5));
    EXPECT_EQ("0.00 ", Money(0));
    EXPECT_EQ("-0.00 ", Money(-0.001));
    EXPECT_EQ("0.16 ", Money(8 * 0.02));
    // 2.675 is stored as 2.67499999...: the exact value rounds down, as the C library does.
    EXPECT_EQ("2.67 ", Money(2.675));
    EXPECT_EQ("1.01 ", Money(1.005 + 1e-12));
    EXPECT_EQ("0.01 ", Money(0.005000000000000001));
    EXPECT_EQ("1000000.00 ", Money(999999.999));
    EXPECT_EQ("100000000000000000000.00 ", Money(1e20));
    EXPECT_EQ("4503599627370496.00 ", Money(4503599627370496.0));
    EXPECT_EQ("inf ", Money(INFINITY));
    EXPECT_EQ("-inf ", Money(-INFINITY));
    EXPECT_EQ("1234.50", Money(1234.5, ""));
    // A short buffer is cut and still terminated.
    char szShort[5];
    FormatMoney(1234.5, " ", szShort, sizeof(szShort));
    EXPECT_STREQ("1234", szShort);
}

#ifndef _WIN32
// The GNU C library prints the exact binary value correctly rounded: it is the reference here.
// (Windows runtimes round some halves away from zero, which is why the program formats money itself.)
TEST(Money, DisplayAgreesWithExactDecimalRounding) {
    // Every whole number of tenths of a cent: the halves fall on both sides, none is exact in binary
    // except the multiples of 1/8, which go to the even cent.
    for (int nMills = -20000; nMills <= 20000; ++nMills) {
        double dValue = nMills / 1000.0;
        char szExpected[kMoneyTextSize];
        snprintf(szExpected, sizeof(szExpected), "%.2f ", dValue);
        EXPECT_EQ(std::string(szExpected), Money(dValue)) << nMills << " mills";
    }
}
#endif

// The exact decimal value of a positive double, rounded to cents halves to even, by schoolbook
// arithmetic on decimal digits: the double is m x 2^e; for e < 0 it is m x 5^-e / 10^-e.
std::string ExactCents(double dValue) {
    int nExp = 0;
    double dMantissa = frexp(dValue, &nExp);
    uint64_t nMantissa = static_cast<uint64_t>(ldexp(dMantissa, 53));
    int e = nExp - 53;
    std::vector<int> digits;  // least significant first
    for (uint64_t n = nMantissa; n != 0; n /= 10) digits.push_back(static_cast<int>(n % 10));
    auto MultiplyBy = [&digits](int k) {
        int nCarry = 0;
        for (int& d : digits) {
            int v = d * k + nCarry;
            d = v % 10;
            nCarry = v / 10;
        }
        for (; nCarry != 0; nCarry /= 10) digits.push_back(nCarry % 10);
    };
    int nFractionDigits = 0;
    for (; e > 0; --e) MultiplyBy(2);
    for (; e < 0; ++e) {
        MultiplyBy(5);
        ++nFractionDigits;
    }
    while (static_cast<int>(digits.size()) <= nFractionDigits + 2) digits.push_back(0);
    // Keep two fraction digits; the dropped ones decide the rounding.
    int nDropped = nFractionDigits - 2;
    std::vector<int> kept(digits.begin() + (nDropped > 0 ? nDropped : 0), digits.end());
    if (nDropped < 0) kept.insert(kept.begin(), -nDropped, 0);
    if (nDropped > 0) {
        int nFirst = digits[nDropped - 1];
        bool bRestZero = true;
        for (int i = 0; i < nDropped - 1; ++i) bRestZero = bRestZero && digits[i] == 0;
        bool bUp = nFirst > 5 || (nFirst == 5 && (!bRestZero || kept[0] % 2 == 1));
        for (size_t i = 0; bUp && i < kept.size(); ++i) {
            bUp = ++kept[i] == 10;
            if (bUp) kept[i] = 0;
        }
        if (bUp) kept.push_back(1);
    }
    while (kept.size() > 3 && kept.back() == 0) kept.pop_back();
    std::string text;
    for (size_t i = kept.size(); i-- > 0;) {
        text += static_cast<char>('0' + kept[i]);
        if (i == 2) text += '.';
    }
    return text + " ";
}

TEST(Money, DisplayIsExactInEveryBinaryBand) {
    // Random doubles in every band [2^k, 2^(k+1)), and each band's edges and quarter-cent steps.
    std::mt19937_64 random(20261209);
    for (int k = -12; k <= 60; ++k) {
        double dLow = ldexp(1.0, k);
        std::vector<double> values = {dLow, nextafter(dLow, 0.0), nextafter(ldexp(1.0, k + 1), 0.0)};
        for (int i = 0; i < 400; ++i) values.push_back(ldexp(1.0 + static_cast<double>(random() >> 11) / 9007199254740992.0, k));
        for (int i = 0; i < 50; ++i) {
            double dQuarters = floor(ldexp(1.0 + static_cast<double>(random() >> 11) / 9007199254740992.0, k) * 400.0);
            values.push_back(dQuarters / 400.0);
        }
        for (double dValue : values) {
            if (dValue <= 0.0) continue;
            ASSERT_EQ(ExactCents(dValue), Money(dValue)) << "2^" << k << " band, value " << std::hexfloat << dValue;
            ASSERT_EQ("-" + ExactCents(dValue), Money(-dValue)) << std::hexfloat << -dValue;
        }
    }
    // The reported case: the total of a fixed cost alone never shows below its input.
    double dFixed = TextToMoney("4503599627370494.75");
    EXPECT_EQ(ExactCents(dFixed), Money(PriceJob({dFixed, 0.0, 0.0, 0.0}, 10, 2, 1).dTotal));
    EXPECT_EQ("70000000000000.01 ", Money(70000000000000.01));
}

TEST(Money, PricingArithmetic) {
    JobPrices defaults = {0.0, 0.0, 0.02, 0.0};
    JobCosts costs = PriceJob(defaults, 40, 8, 2);
    EXPECT_EQ("0.00 ", Money(costs.dChars));
    EXPECT_EQ("0.16 ", Money(costs.dWords));
    EXPECT_EQ("0.00 ", Money(costs.dLines));
    EXPECT_EQ("0.16 ", Money(costs.dTotal));

    JobPrices custom = {1.50, 0.01, 0.02, 0.10};
    costs = PriceJob(custom, 40, 8, 5);
    EXPECT_EQ("0.40 ", Money(costs.dChars));
    EXPECT_EQ("0.16 ", Money(costs.dWords));
    EXPECT_EQ("0.50 ", Money(costs.dLines));
    EXPECT_EQ("2.56 ", Money(costs.dTotal));

    // No text: the total is the fixed cost; negative prices give negative costs.
    EXPECT_EQ("1.50 ", Money(PriceJob(custom, 0, 0, 0).dTotal));
    JobPrices negative = {0.0, -0.5, 0.0, 0.0};
    EXPECT_EQ("-5.00 ", Money(PriceJob(negative, 10, 0, 0).dTotal));
}

TEST(Money, Int64Text) {
    char szText[32];
    FormatInt64(0, szText, sizeof(szText));
    EXPECT_STREQ("0", szText);
    FormatInt64(-9223372036854775807LL - 1, szText, sizeof(szText));
    EXPECT_STREQ("-9223372036854775808", szText);
    FormatInt64(4294967296LL, szText, sizeof(szText));
    EXPECT_STREQ("4294967296", szText);
}

}  // namespace
