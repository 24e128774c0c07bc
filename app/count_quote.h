// tallyq-count's quote (--quote FILE): each input's name, kind and counts kept as it is measured,
// and the quote of them all as one job written at the end, as a page or a sheet by the file's name.
#pragma once
#include <stddef.h>

#include "documents/growing_array.h"
#include "pricing/quote.h"

class CountQuote : public QuoteFiles {
public:
    CountQuote() = default;
    // An input measured: its name as given (the quote shows it without its folder). False when
    // memory fails.
    bool Add(const char* szInput, const char* szKind, const RateCounts& counts);
    // Writes the quote to szPath; false with the reason (cbReason bytes) when it could not be
    // written, and then no part of it is left behind.
    bool Write(const char* szPath, const char* szTitle, const Rates& rates, char* szReason, size_t cbReason) const;

    size_t Count() const override { return entries.Size(); }
    void Get(size_t nIndex, QuoteFile* pFile) const override;

private:
    struct Entry {
        size_t nName;  // where its name begins in names
        const char* szKind;
        RateCounts counts;
    };
    GrowingArray<Entry> entries;
    GrowingArray<char> names;  // each ended by a zero
};

// Today's short date as the program's job log writes it.
void CountDateText(char* szDate, size_t cbDate);
// The rates' currency from the UTF-8 one shown on standard output (well-formed, at most
// kCurrencyMaxChars characters).
void SetQuoteCurrency(Rates* pRates, const char* szCurrency);
