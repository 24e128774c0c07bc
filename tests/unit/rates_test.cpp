#include "pricing/rates.h"

#include <gtest/gtest.h>
#include <string.h>

#include <string>

#include "pricing/money.h"
#include "pricing/rate_captions.h"

namespace {

std::string Money(double dValue) {
    char szText[kMoneyTextSize];
    FormatMoney(dValue, " ", szText, sizeof(szText));
    return szText;
}

// UTF-8 of a UTF-16 text, so that a failure shows what it saw.
std::string Utf8(const std::u16string& text) {
    std::string out;
    for (size_t i = 0; i < text.size(); ++i) {
        uint32_t c = text[i];
        if (c >= 0xD800 && c <= 0xDBFF && i + 1 < text.size()) c = 0x10000 + ((c - 0xD800) << 10) + (text[++i] - 0xDC00);
        if (c < 0x80) {
            out += static_cast<char>(c);
        } else if (c < 0x800) {
            out += static_cast<char>(0xC0 | c >> 6);
            out += static_cast<char>(0x80 | (c & 0x3F));
        } else if (c < 0x10000) {
            out += static_cast<char>(0xE0 | c >> 12);
            out += static_cast<char>(0x80 | (c >> 6 & 0x3F));
            out += static_cast<char>(0x80 | (c & 0x3F));
        } else {
            out += static_cast<char>(0xF0 | c >> 18);
            out += static_cast<char>(0x80 | (c >> 12 & 0x3F));
            out += static_cast<char>(0x80 | (c >> 6 & 0x3F));
            out += static_cast<char>(0x80 | (c & 0x3F));
        }
    }
    return out;
}

Rates MakeRates(const char* szFixed, const char* szPerChar, const char* szPerWord, const char* szCharsPerLine,
                const char* szPerLine) {
    Rates rates;
    SetDefaultRates(&rates, 0);
    strcpy(rates.szFixed, szFixed);
    strcpy(rates.szPerChar, szPerChar);
    strcpy(rates.szPerWord, szPerWord);
    strcpy(rates.szCharsPerLine, szCharsPerLine);
    strcpy(rates.szPerLine, szPerLine);
    return rates;
}

TEST(Rates, DividedLinesRoundAtTheUnitsEdges) {
    struct Case {
        int64_t nChars;
        int nCharsPerLine;
        RateRounding eRounding;
        int64_t nHundredths;
    } cases[] = {
        // Exact quotients.
        {55, 55, kRoundTwoDecimals, 100},     {110, 55, kRoundTwoDecimals, 200},   {0, 55, kRoundTwoDecimals, 0},
        {900, 1800, kRoundTwoDecimals, 50},   {9, 1800, kRoundTwoDecimals, 1},
        // 1/200 is exactly half a hundredth: away from zero; just below and above it.
        {1, 200, kRoundTwoDecimals, 1},       {3, 600, kRoundTwoDecimals, 1},      {1, 201, kRoundTwoDecimals, 0},
        {1, 199, kRoundTwoDecimals, 1},       {2709, 1800, kRoundTwoDecimals, 151}, {2708, 1800, kRoundTwoDecimals, 150},
        {2699, 1800, kRoundTwoDecimals, 150}, {56, 55, kRoundTwoDecimals, 102},
        // Per started line: exact multiples stay, one more character starts a line.
        {55, 55, kRoundUpPerStartedLine, 100},  {56, 55, kRoundUpPerStartedLine, 200},
        {110, 55, kRoundUpPerStartedLine, 200}, {111, 55, kRoundUpPerStartedLine, 300},
        {1, 1800, kRoundUpPerStartedLine, 100}, {0, 55, kRoundUpPerStartedLine, 0},
        // No limit, no lines; a count beyond what hundredths hold saturates.
        {100, 0, kRoundTwoDecimals, 0},       {100, -5, kRoundUpPerStartedLine, 0},
        {INT64_MAX, 1, kRoundTwoDecimals, INT64_MAX},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(c.nHundredths, DividedLineHundredths(c.nChars, c.nCharsPerLine, c.eRounding))
            << c.nChars << " characters at " << c.nCharsPerLine << (c.eRounding == kRoundTwoDecimals ? ", two decimals" : ", up");
    }
    char szText[32];
    FormatLineCount(151, true, szText, sizeof(szText));
    EXPECT_STREQ("1.51", szText);
    FormatLineCount(5, true, szText, sizeof(szText));
    EXPECT_STREQ("0.05", szText);
    FormatLineCount(300, false, szText, sizeof(szText));
    EXPECT_STREQ("3", szText);
    // The window reads the count on show back with its decimals.
    struct Shown {
        const char* szText;
        int64_t nHundredths;
    } shown[] = {{"1.51", 151}, {"0.05", 5}, {"3", 300}, {"12.5", 1250}, {"-1.50", -150},
                 {"7.", 700},   {"", 0},     {"x1", 0}, {"2.999", 299}};
    for (const Shown& c : shown) EXPECT_EQ(c.nHundredths, LineCountHundredths(c.szText)) << "\"" << c.szText << "\"";
}

TEST(Rates, MinimumChargeRaisesTheTotalOnlyBelowIt) {
    Rates rates = MakeRates("1", "0", "0.5", "80", "0");
    strcpy(rates.szMinimum, "10");
    struct Case {
        int64_t nWords;
        const char* szTotal;
        bool bApplied;
    } cases[] = {{10, "10.00 ", true}, {18, "10.00 ", false}, {20, "11.00 ", false}, {0, "10.00 ", true}};
    for (const Case& c : cases) {
        RateCounts counts = {0, 0, 0, c.nWords, 0};
        RatedJob job = PriceRatedJob(rates, &counts, 1);
        EXPECT_EQ(c.szTotal, Money(job.dTotal)) << c.nWords << " words";
        EXPECT_EQ(c.bApplied, job.bMinimumApplied) << c.nWords << " words";
        // The rows keep their own costs: only the total is raised.
        EXPECT_EQ(Money(c.nWords * 0.5), Money(job.sums.dSum)) << c.nWords << " words";
    }
    // A blank minimum is none, even below zero.
    strcpy(rates.szMinimum, " ");
    strcpy(rates.szPerWord, "-1");
    RateCounts counts = {0, 0, 0, 4, 0};
    RatedJob job = PriceRatedJob(rates, &counts, 1);
    EXPECT_EQ("-3.00 ", Money(job.dTotal));
    EXPECT_FALSE(job.bMinimumApplied);
}

TEST(Rates, JobOfThreeFilesRepricedIsItsRowsPlusTheFixedCostOnce) {
    // Characters with breaks, without breaks, without spaces, words, lines laid out.
    const RateCounts files[3] = {{130, 120, 100, 20, 3}, {62, 60, 50, 10, 1}, {30, 28, 22, 5, 1}};
    struct Case {
        const char* szWhat;
        RateChars eChars;
        RateLines eLines;
        RateRounding eRounding;
        const char* szCharsPerLine;
        int64_t nJobChars;
        int64_t nJobLineHundredths;  // the files' rounded lines summed
        const char* szTotal;
    } cases[] = {
        // 120/55 = 2.18, 60/55 = 1.09, 28/55 = 0.51: 3.78 lines; 52 + 17.5 + 7.56 + 3.
        {"standard lines with spaces", kCharsWithSpaces, kLinesDivided, kRoundTwoDecimals, "55", 208, 378, "80.06 "},
        // 100, 50 and 22 characters are one started page each: 3 pages, where the job's 172 would be 2.
        {"pages without spaces, up", kCharsWithoutSpaces, kLinesDivided, kRoundUpPerStartedLine, "100", 172, 300,
         "69.50 "},
        // 222 x 0.25 + 35 x 0.5 + 5 x 2 + 3.
        {"laid out with breaks", kCharsWithBreaks, kLinesLaidOut, kRoundTwoDecimals, "80", 222, 500, "86.00 "},
    };
    Rates rates = MakeRates("3", "0.25", "0.5", "80", "2");
    for (const Case& c : cases) {
        rates.eChars = c.eChars;
        rates.eLines = c.eLines;
        rates.eRounding = c.eRounding;
        strcpy(rates.szCharsPerLine, c.szCharsPerLine);
        RatedJob job = PriceRatedJob(rates, files, 3);
        EXPECT_EQ(c.nJobChars, job.sums.nChars) << c.szWhat;
        EXPECT_EQ(35, job.sums.nWords) << c.szWhat;
        EXPECT_EQ(c.nJobLineHundredths, job.sums.nLineHundredths) << c.szWhat;
        EXPECT_EQ(c.szTotal, Money(job.dTotal)) << c.szWhat;
        RatedRow sum = {};
        for (const RateCounts& file : files) {
            RatedRow row = PriceFileRow(rates, file);
            sum.nChars += row.nChars;
            sum.nLineHundredths += row.nLineHundredths;
            sum.dChars += row.dChars;
            sum.dWords += row.dWords;
            sum.dLines += row.dLines;
            sum.dSum += row.dSum;
        }
        EXPECT_EQ(job.sums.nChars, sum.nChars) << c.szWhat;
        EXPECT_EQ(job.sums.nLineHundredths, sum.nLineHundredths) << c.szWhat;
        EXPECT_EQ(Money(job.sums.dChars), Money(sum.dChars)) << c.szWhat;
        EXPECT_EQ(Money(job.sums.dWords), Money(sum.dWords)) << c.szWhat;
        EXPECT_EQ(Money(job.sums.dLines), Money(sum.dLines)) << c.szWhat;
        EXPECT_EQ(c.szTotal, Money(3 + sum.dSum)) << c.szWhat;
    }
}

TEST(Rates, DefaultRatesPriceExactlyAsBefore) {
    struct Case {
        const char* szPrices[5];  // fixed, per character, per word, characters per line, per line
        int64_t nChars, nWords, nLines;
    } cases[] = {
        {{"0.00", "0.00", "0.02", "80", "0.00"}, 40, 8, 2},
        {{"1.50", "0.01", "0.02", "80", "0.10"}, 40, 8, 5},
        {{"0.1", "0.7", "0.3", "65", "0.2"}, 1234567, 200001, 15433},
        {{"4503599627370494.75", "0", "0", "80", "0"}, 10, 2, 1},
        {{"-2.5", "1e-3", "0.033", "1", "1.1"}, 3, 1, 3},
        {{"0", "0", "0", "80", "0"}, 0, 0, 0},
        // Where the order of the additions shows in the last bit: (0.1 + 0.2) + 0.3 is not 0.1 + (0.2 + 0.3).
        {{"0", "0.1", "0.2", "80", "0.3"}, 1, 1, 1},
        {{"0.1", "0.2", "0.3", "80", "0"}, 1, 1, 1},
    };
    for (const Case& c : cases) {
        Rates rates = MakeRates(c.szPrices[0], c.szPrices[1], c.szPrices[2], c.szPrices[3], c.szPrices[4]);
        JobPrices prices = {TextToMoney(c.szPrices[0]), TextToMoney(c.szPrices[1]), TextToMoney(c.szPrices[2]),
                            TextToMoney(c.szPrices[4])};
        JobCosts before = PriceJob(prices, c.nChars, c.nWords, c.nLines);
        // The characters without breaks and without spaces differ, and must not count.
        RateCounts counts = {c.nChars, c.nChars / 2, c.nChars / 3, c.nWords, c.nLines};
        RatedJob job = PriceRatedJob(rates, &counts, 1);
        EXPECT_EQ(c.nChars, job.sums.nChars) << c.nChars << " characters";
        EXPECT_EQ(c.nLines * 100, job.sums.nLineHundredths) << c.nLines << " lines";
        EXPECT_EQ(before.dChars, job.sums.dChars) << c.nChars << " characters";
        EXPECT_EQ(before.dWords, job.sums.dWords) << c.nWords << " words";
        EXPECT_EQ(before.dLines, job.sums.dLines) << c.nLines << " lines";
        EXPECT_EQ(before.dTotal, job.dTotal) << c.nChars << " characters";
        EXPECT_FALSE(job.bMinimumApplied);
    }
}

std::string Caption(const Rates& rates, RateCaption eCaption, bool bMinimum = false) {
    char16_t szCaption[kRateCaptionUnits];
    MakeRateCaption(rates, eCaption, bMinimum, szCaption, kRateCaptionUnits);
    return Utf8(szCaption);
}

TEST(Rates, CaptionsFollowTheRates) {
    Rates rates;
    SetDefaultRates(&rates, 0);
    // The main window's captions as they have always read.
    const char* const szToday[kCaptionCount] = {
        "Fixed Cost per Job ($)", "Characters Cost ($)", "Number of Characters", "x   Cost per Character ($)",
        "Words Cost ($)",         "Number of Words",     "x   Cost per Word ($)", "Lines Cost ($)",
        "Characters per Line",    "Number of Lines",     "x   Cost per Line ($)", "Total Cost ($)",
    };
    for (int i = 0; i < kCaptionCount; ++i) EXPECT_EQ(szToday[i], Caption(rates, static_cast<RateCaption>(i)));
    EXPECT_EQ("Total Cost ($) \xE2\x80\x94 minimum", Caption(rates, kCaptionTotalCost, true));

    rates.eLines = kLinesDivided;
    rates.eChars = kCharsWithoutSpaces;
    memcpy(rates.szCurrency, u"\u20AC", 2 * sizeof(char16_t));
    EXPECT_EQ("Number of Standard Lines", Caption(rates, kCaptionLineCount));
    EXPECT_EQ("Characters per Standard Line", Caption(rates, kCaptionCharsPerLine));
    EXPECT_EQ("Standard Lines Cost (\xE2\x82\xAC)", Caption(rates, kCaptionLinesCost));
    EXPECT_EQ("Number of Characters (no spaces)", Caption(rates, kCaptionCharCount));
    rates.eLineName = kLineNamePages;
    rates.eChars = kCharsWithSpaces;
    EXPECT_EQ("x   Cost per Page (\xE2\x82\xAC)", Caption(rates, kCaptionCostPerLine));
    EXPECT_EQ("Number of Pages", Caption(rates, kCaptionLineCount));
    EXPECT_EQ("Number of Characters (with spaces)", Caption(rates, kCaptionCharCount));
    // An emoji currency of eight characters fits whole; no currency, no parentheses.
    std::u16string emoji;
    for (int i = 0; i < kCurrencyMaxChars; ++i) emoji += u"\U0001F4B6";
    memcpy(rates.szCurrency, emoji.c_str(), (emoji.size() + 1) * sizeof(char16_t));
    EXPECT_EQ("Total Cost (" + Utf8(emoji) + ") \xE2\x80\x94 minimum", Caption(rates, kCaptionTotalCost, true));
    rates.szCurrency[0] = 0;
    EXPECT_EQ("Total Cost", Caption(rates, kCaptionTotalCost));
}

}  // namespace
