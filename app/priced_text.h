// What the main dialog shows and prices: the clipboard's text, or a set of files.
#pragma once
#include "measure/text_measure.h"
#include "pricing/rates.h"

class PricedText {
public:
    virtual ~PricedText() {}
    virtual TextCounts Counts() const = 0;
    // The lines at another limit, counted again without reading the text again.
    virtual int CountLines(int nCharsPerLine) const = 0;
    // Adds what is priced, in the rates' units, to pSums: each file's lines laid out at the rates'
    // characters per line, or divided and rounded per file. Nothing is read again.
    virtual void AddRated(const Rates& rates, RatedRow* pSums) const = 0;
    // What the summary shows (kSummaryBufferSize units).
    virtual void GetSummary(char16_t* szSummary) const = 0;
};

// One text's counts as the rates take them, with its lines laid out at the rates' limit.
inline RateCounts RateCountsOf(const TextCounts& counts, int64_t nLaidOutLines) {
    return RateCounts{counts.nChars, counts.nCharsNoBreaks, counts.nCharsNoSpaces, counts.nWords, nLaidOutLines};
}

// Whether the rates price lines as laid out: only then are the lines counted again.
inline bool RatesLayOutLines(const Rates& rates) { return rates.eLines == kLinesLaidOut; }
