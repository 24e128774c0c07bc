// What the main dialog shows and prices: the clipboard's text, or a set of files.
#pragma once
#include <stddef.h>

#include "measure/text_measure.h"
#include "pricing/quote.h"
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
    // A quote's rows: each file, or the clipboard's text as one, with its counts in the rates' units
    // as AddRated adds them.
    virtual size_t RowCount() const = 0;
    virtual void GetRow(size_t nIndex, const Rates& rates, QuoteFile* pRow) const = 0;
};

// The files a quote lists: the rows of what is shown, at the rates in use; nothing is copied.
class PricedQuoteFiles : public QuoteFiles {
public:
    PricedQuoteFiles(const PricedText& priced, const Rates& rates) : priced(priced), rates(rates) {}
    size_t Count() const override { return priced.RowCount(); }
    void Get(size_t nIndex, QuoteFile* pFile) const override { priced.GetRow(nIndex, rates, pFile); }

private:
    const PricedText& priced;
    const Rates& rates;
};

// One text's counts as the rates take them, with its lines laid out at the rates' limit.
inline RateCounts RateCountsOf(const TextCounts& counts, int64_t nLaidOutLines) {
    return RateCounts{counts.nChars, counts.nCharsNoBreaks, counts.nCharsNoSpaces, counts.nWords, nLaidOutLines};
}

// Whether the rates price lines as laid out: only then are the lines counted again.
inline bool RatesLayOutLines(const Rates& rates) { return rates.eLines == kLinesLaidOut; }
