#include "pricing/rate_forms.h"

#include <gtest/gtest.h>
#include <string.h>

#include <string>

namespace {

std::u16string Units(const char16_t* sz) { return sz; }

// Every value of pRates stored and read back into a record made new.
Rates RoundTrip(const Rates& rates, int nIndex) {
    Rates read;
    SetDefaultRates(&read, nIndex);
    for (int i = 0; i < kRateValueCount; ++i) {
        char szStored[kRatePriceTextSize];
        FormatRateValue(rates, static_cast<RateValue>(i), szStored);
        ReadRateValue(szStored, static_cast<RateValue>(i), &read);
    }
    return read;
}

TEST(RateForms, EveryValueRoundTrips) {
    Rates rates;
    SetDefaultRates(&rates, 3);
    const char16_t szName[] = u"Z\u00FCrich \\ DE>EN \u6587 \U0001F600";
    memcpy(rates.szName, szName, sizeof(szName));
    strcpy(rates.szFixed, "12.5");
    strcpy(rates.szPerChar, "1,50 each");
    strcpy(rates.szPerWord, "");
    strcpy(rates.szCharsPerLine, "55");
    strcpy(rates.szPerLine, "1.4");
    strcpy(rates.szMinimum, "30");
    memcpy(rates.szCurrency, u"K\u010D", 3 * sizeof(char16_t));
    rates.eChars = kCharsWithoutSpaces;
    rates.eLines = kLinesDivided;
    rates.eLineName = kLineNamePages;
    rates.eRounding = kRoundUpPerStartedLine;
    rates.eSide = kSideTarget;
    Rates read = RoundTrip(rates, 3);
    EXPECT_EQ(Units(rates.szName), Units(read.szName));
    EXPECT_STREQ("12.5", read.szFixed);
    EXPECT_STREQ("1,50 each", read.szPerChar);
    EXPECT_STREQ("", read.szPerWord);
    EXPECT_STREQ("55", read.szCharsPerLine);
    EXPECT_STREQ("1.4", read.szPerLine);
    EXPECT_STREQ("30", read.szMinimum);
    EXPECT_EQ(Units(u"K\u010D"), Units(read.szCurrency));
    EXPECT_EQ(kCharsWithoutSpaces, read.eChars);
    EXPECT_EQ(kLinesDivided, read.eLines);
    EXPECT_EQ(kLineNamePages, read.eLineName);
    EXPECT_EQ(kRoundUpPerStartedLine, read.eRounding);
    EXPECT_EQ(kSideTarget, read.eSide);

    // The stored texts themselves: ASCII, with every other unit escaped.
    char szStored[kRatePriceTextSize];
    FormatRateValue(rates, kRateName, szStored);
    EXPECT_STREQ("Z\\u00FCrich \\u005C DE>EN \\u6587 \\uD83D\\uDE00", szStored);
    FormatRateValue(rates, kRateCharKind, szStored);
    EXPECT_STREQ("no-spaces", szStored);
    FormatRateValue(rates, kRateTranslationSide, szStored);
    EXPECT_STREQ("target", szStored);
    EXPECT_STREQ("TranslationSide", RateValueName(kRateTranslationSide));
    // The first rates keep today's section and value names; the others have their own keys.
    char szSection[kRateSectionSize];
    GetRateSection(0, szSection);
    EXPECT_STREQ("Settings", szSection);
    GetRateSection(63, szSection);
    EXPECT_STREQ("Rates\\63", szSection);
    EXPECT_STREQ("CharacterPerLine", RateValueName(kRateCharsPerLine));
    EXPECT_STREQ("FixedCostAmount", RateValueName(kRateFixedCost));
}

TEST(RateForms, DamagedValuesFallBackToTheirDefaults) {
    struct Case {
        RateValue eValue;
        const char* szStored;
    } cases[] = {
        {kRateCharKind, "no spaces"},   {kRateCharKind, ""},          {kRateLineRule, "Standard"},
        {kRateLineName, "page"},        {kRateLineRounding, "down"},  {kRateName, ""},
        {kRateTranslationSide, "Target"}, {kRateTranslationSide, "both"},
        {kRateName, "a\\u00"},          {kRateName, "a\\x0041"},      {kRateName, "\\uDE00a"},
        {kRateName, "a\\uD83D"},        {kRateName, "tab\\u0009"},    {kRateName, "caf\xC3\xA9"},
        {kRateCurrency, "\\u20"},       {kRateCurrency, "123456789"}, {kRateCurrency, "\\uD83Dx"},
        {kRateName, "12345678901234567890123456789012345678901"},
    };
    for (const Case& c : cases) {
        Rates rates;
        SetDefaultRates(&rates, 1);
        ReadRateValue(c.szStored, c.eValue, &rates);
        Rates defaults;
        SetDefaultRates(&defaults, 1);
        EXPECT_EQ(Units(u"Rates 2"), Units(rates.szName)) << RateValueName(c.eValue) << " «" << c.szStored << "»";
        EXPECT_EQ(Units(u"$"), Units(rates.szCurrency)) << RateValueName(c.eValue) << " «" << c.szStored << "»";
        EXPECT_EQ(0, memcmp(&defaults, &rates, sizeof(rates))) << RateValueName(c.eValue) << " «" << c.szStored << "»";
    }
    // At the bounds: eight characters of currency and forty units of name are whole texts.
    Rates rates;
    SetDefaultRates(&rates, 0);
    ReadRateValue("\\uD83D\\uDCB6\\uD83D\\uDCB6\\uD83D\\uDCB6\\uD83D\\uDCB6ABCD", kRateCurrency, &rates);
    EXPECT_EQ(Units(u"\U0001F4B6\U0001F4B6\U0001F4B6\U0001F4B6ABCD"), Units(rates.szCurrency));
    ReadRateValue("1234567890123456789012345678901234567890", kRateName, &rates);
    EXPECT_EQ(Units(u"1234567890123456789012345678901234567890"), Units(rates.szName));

    struct CountCase {
        const char* szStored;
        int nCount;
    } counts[] = {{"3", 3}, {"64", 64}, {"65", 1}, {"0", 1}, {"", 1}, {"2x", 1}, {"-4", 1}};
    for (const CountCase& c : counts) EXPECT_EQ(c.nCount, StoredRateCount(c.szStored)) << "Count «" << c.szStored << "»";
    EXPECT_EQ(2, StoredRateInUse("2", 3));
    EXPECT_EQ(0, StoredRateInUse("3", 3));
    EXPECT_EQ(0, StoredRateInUse("", 3));
    EXPECT_EQ(0, StoredRateInUse("-1", 3));
}

}  // namespace
