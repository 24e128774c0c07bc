// The captions of the main window's pricing rows, made from the rates in use: the line unit's name,
// the kind of characters and the currency. With the default rates and "$" they read as the window
// has always shown them ("Total Cost ($)").
#pragma once
#include <stddef.h>

#include "pricing/rates.h"

enum RateCaption {
    kCaptionFixedCost,       // "Fixed Cost per Job ($)"
    kCaptionCharsCost,       // "Characters Cost ($)"
    kCaptionCharCount,       // "Number of Characters"
    kCaptionCostPerChar,     // "x   Cost per Character ($)"
    kCaptionWordsCost,       // "Words Cost ($)"
    kCaptionWordCount,       // "Number of Words"
    kCaptionCostPerWord,     // "x   Cost per Word ($)"
    kCaptionLinesCost,       // "Lines Cost ($)"
    kCaptionCharsPerLine,    // "Characters per Line"
    kCaptionLineCount,       // "Number of Lines"
    kCaptionCostPerLine,     // "x   Cost per Line ($)"
    kCaptionTotalCost,       // "Total Cost ($)", with " — minimum" when the minimum applied
    kCaptionCount
};

// The line unit's name, plural ("Standard Lines") and singular ("Standard Line").
const char* RateLinesName(const Rates& rates);
const char* RateLineName(const Rates& rates);
// What a character is, after "Characters": " (with spaces)", " (no spaces)", or nothing for the
// program's first count.
const char* RateCharsKind(const Rates& rates);

// Enough for the longest caption with a currency of 16 code units.
enum { kRateCaptionUnits = 80 };

// Writes the caption into szCaption (nUnits code units with the terminator, cut to fit); returns
// its length. bMinimumApplied matters to the total's caption only.
size_t MakeRateCaption(const Rates& rates, RateCaption eCaption, bool bMinimumApplied, char16_t* szCaption,
                       size_t nUnits);
