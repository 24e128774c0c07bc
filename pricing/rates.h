// Rates: a named set of prices with the rules that say what a character and a line are, a minimum
// charge per job and a currency; and the pricing of a job of files under a rate. Platform-free.
//
// A job keeps each file's counts (RateCounts); pricing under a rate takes nothing else, so another
// rate reprices every file and the job at once without reading any text again. Money is a double
// and nothing is rounded before it is shown; a line count is a whole number of hundredths.
#pragma once
#include <stddef.h>
#include <stdint.h>

enum {
    kMaxRates = 64,
    // A price text as the price fields and the registry hold it: at most 259 bytes and the terminator.
    kRatePriceTextSize = 260,
    // A name: at most 40 UTF-16 code units and the terminator (stored, at most 6 bytes a unit).
    kRateNameUnits = 41,
    // A currency: at most 8 characters (code points), so 16 code units and the terminator.
    kCurrencyMaxChars = 8,
    kCurrencyUnits = 2 * kCurrencyMaxChars + 1,
};

// What a character is. The first is the program's count from its first version: every line break
// counts as two characters.
enum RateChars { kCharsWithBreaks, kCharsWithSpaces, kCharsWithoutSpaces };
// What a line is: laid out at N characters as the text wraps, or the chosen characters divided by N.
enum RateLines { kLinesLaidOut, kLinesDivided };
// What a divided line is called in the captions.
enum RateLineName { kLineNameStandardLines, kLineNamePages };
// How a divided line count is rounded: half away from zero to hundredths, or up to whole lines.
enum RateRounding { kRoundTwoDecimals, kRoundUpPerStartedLine };
// Which text of a translation file is paid for: the source to be translated, or the translation
// (a proofreading or review rate).
enum RateSide { kSideSource, kSideTarget };

struct Rates {
    char16_t szName[kRateNameUnits];
    // The prices and the characters per line as the user typed them (the fields' own rules read them).
    char szFixed[kRatePriceTextSize];
    char szPerChar[kRatePriceTextSize];
    char szPerWord[kRatePriceTextSize];
    char szCharsPerLine[kRatePriceTextSize];
    char szPerLine[kRatePriceTextSize];
    // Blank for no minimum; otherwise the job's total is never below it.
    char szMinimum[kRatePriceTextSize];
    char16_t szCurrency[kCurrencyUnits];
    RateChars eChars;
    RateLines eLines;
    RateLineName eLineName;
    RateRounding eRounding;
    RateSide eSide;
};

// The rates at list position nIndex (0 the first) as they are made new: the first is "Standard",
// the others "Rates <position from 1>"; the prices, the line rule and the characters are the
// program's defaults from before there were rates; no minimum; the currency "$".
void SetDefaultRates(Rates* pRates, int nIndex);

// The characters per line by the dialog's integer rule; 0 when the text is not a whole number.
int RateCharsPerLine(const Rates& rates);

// One file's counts, all from one pass over its text.
struct RateCounts {
    int64_t nCharsWithBreaks;     // each line break counts two
    int64_t nCharsWithoutBreaks;  // line breaks not counted
    int64_t nCharsWithoutSpaces;  // no white space counted
    int64_t nWords;
    int64_t nLaidOutLines;        // the lines laid out at the rate's characters per line
};

// A file's (or a job's) counts in the rate's units and what they cost, without the fixed cost.
struct RatedRow {
    int64_t nChars;
    int64_t nWords;
    int64_t nLineHundredths;
    double dChars;
    double dWords;
    double dLines;
    double dSum;  // (characters + words) + lines
};

struct RatedJob {
    RatedRow sums;  // the files' counts summed, priced as one
    double dTotal;  // fixed cost + the sum, raised to the minimum
    bool bMinimumApplied;
};

// The characters of the rate's kind, divided by nCharsPerLine, in hundredths: half away from zero
// to two decimals, or up per started line. A limit below 1 gives no lines.
int64_t DividedLineHundredths(int64_t nChars, int nCharsPerLine, RateRounding eRounding);

RatedRow PriceFileRow(const Rates& rates, const RateCounts& counts);
// Adds a file's counts in the rate's units (its lines rounded) to a job's sums; the costs are not
// worked out.
void AddRatedCounts(const Rates& rates, const RateCounts& counts, RatedRow* pSums);
// Prices a job's counts in the rate's units: the rows' costs, then the fixed cost and the minimum once.
RatedJob PriceRatedCounts(const Rates& rates, const RatedRow& sums);
// The job's counts are the sums of its files' (lines rounded per file); the fixed cost and the
// minimum apply once.
RatedJob PriceRatedJob(const Rates& rates, const RateCounts* pFiles, size_t nFiles);

// Whether the rate's line counts carry two decimals when shown.
bool RateShowsLineDecimals(const Rates& rates);
// A line count in hundredths as text: "12.35" with decimals, whole lines otherwise ("12").
// Writes at most nBufferSize bytes with the terminator (32 always suffice); returns the length.
size_t FormatLineCount(int64_t nHundredths, bool bDecimals, char* szBuffer, size_t nBufferSize);
// A line count as FormatLineCount writes it, read back in hundredths ("12.35" is 1235, "12" 1200);
// a text that does not begin with a count is 0, and reading stops where the count does.
int64_t LineCountHundredths(const char* szText);
