// A quote: every file of a job with its counts in the rates' units and its price, the fixed cost
// and the minimum charge as rows of their own, and the total; written as a page that prints (HTML)
// or as a sheet for spreadsheets (CSV). Platform-free: the caller hands the files one by one and
// takes the bytes through a sink.
//
// The rows add up to the total the window shows, to the cent: the job is priced as the window
// prices it (its files' counts summed), and the rows' cents are the running sum's cents, each row
// what the sum gained, so that no cent is lost or made between the rows.
#pragma once
#include <stddef.h>
#include <stdint.h>

#include "pricing/rates.h"

enum {
    // A file's name: at most 260 UTF-16 units, 3 bytes each in UTF-8 (a surrogate pair, two units,
    // takes 4), and the terminator.
    kQuoteNameBytes = 3 * 260 + 1,
};

struct QuoteFile {
    char szName[kQuoteNameBytes];  // UTF-8, as the file is named (without its folder)
    const char* szKind;            // what it was read as: "Word", "Text", ...
    RateCounts counts;
};

// The job's files, handed one at a time: the writers take each twice (the sums, then the rows).
class QuoteFiles {
public:
    virtual ~QuoteFiles() {}
    virtual size_t Count() const = 0;
    virtual void Get(size_t nIndex, QuoteFile* pFile) const = 0;
};

struct QuoteJob {
    const char* szTitle;  // UTF-8; may be empty
    const char* szDate;   // the short date text the job log uses
    const Rates* pRates;
    const QuoteFiles* pFiles;
};

// Where the quote's bytes go; false when they could not be written.
class QuoteSink {
public:
    virtual ~QuoteSink() {}
    virtual bool Write(const char* pBytes, size_t nBytes) = 0;
};

enum class QuoteForm { kHtml, kCsv };
// The form a file name asks for: ".csv" (any case) is a sheet, anything else a page.
QuoteForm QuoteFormOfName(const char* szName);

enum class QuoteResult { kWritten, kNotWritten, kAmountTooLarge };
QuoteResult WriteQuote(QuoteForm form, const QuoteJob& job, QuoteSink* pSink);
// What a result says, completing "The quote could not be saved: " (null for kWritten).
const char* QuoteResultText(QuoteResult result);
