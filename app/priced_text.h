// What the main dialog shows and prices: the clipboard's text, or a set of files.
#pragma once
#include "measure/text_measure.h"

class PricedText {
public:
    virtual ~PricedText() {}
    virtual TextCounts Counts() const = 0;
    // The lines at another limit, counted again without reading the text again.
    virtual int CountLines(int nCharsPerLine) const = 0;
    // What the summary shows (kSummaryBufferSize units).
    virtual void GetSummary(char16_t* szSummary) const = 0;
};
