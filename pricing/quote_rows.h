// What the quote's two forms share: the job's amounts in cents, the rows' cents, the headings, and
// a buffered text that goes to the sink.
#pragma once
#include <stddef.h>
#include <stdint.h>

#include "pricing/quote.h"

enum {
    kQuoteSuffixBytes = 1 + 3 * kCurrencyUnits + 1,
    kQuoteRatesNameBytes = 3 * kRateNameUnits + 1,
};

struct QuoteAmounts {
    RatedJob job;          // the files' counts summed and priced as one, as the window prices them
    int64_t nTotalCents;   // the total as shown
    int64_t nFixedCents;   // the fixed cost's row
    int64_t nMinimumCents; // what the minimum charge adds, when it applied
    int64_t nFilesCents;   // the files' rows together
    bool bFixedRow;        // a fixed cost is charged
};

// The job's amounts; false when one of them is beyond what cents can hold.
bool PlanQuote(const Rates& rates, const QuoteFiles& files, QuoteAmounts* pAmounts);

// The files' rows in cents, one after another: each row is the running sum's cents less those
// given so far, and the last takes what is left of the files' cents, so the rows add up exactly.
class QuoteRowCents {
public:
    QuoteRowCents(const QuoteAmounts& amounts, size_t nRows)
        : nFilesCents(amounts.nFilesCents), nRowsLeft(nRows), dRunning(0.0), nGiven(0) {}
    // The next row's cents, of its exact price; false when the running sum is beyond cents.
    bool Next(double dPrice, int64_t* pnCents);

private:
    int64_t nFilesCents;
    size_t nRowsLeft;
    double dRunning;
    int64_t nGiven;
};

// How one form lays out the table's rows below its head.
class QuoteLayout {
public:
    virtual ~QuoteLayout() {}
    virtual void FileRow(const QuoteFile& file, const RatedRow& row, int64_t nCents) = 0;
    // The fixed cost, or what the minimum charge adds: a label and an amount.
    virtual void ChargeRow(const char* szLabel, int64_t nCents) = 0;
    virtual void TotalRow(const RatedRow& sums, int64_t nCents) = 0;
};

// The rows: each file's, the fixed cost and the minimum when they apply, the total last; false
// when the running sum is beyond cents.
bool WriteQuoteTable(const QuoteJob& job, const QuoteAmounts& amounts, QuoteLayout* pLayout);

// The column headings: "Characters (with spaces)", and the line unit's name.
void QuoteCharsHeading(const Rates& rates, char* szHeading, size_t nSize);

// Text for the sink, gathered in a buffer; once a write fails nothing more is written.
class QuoteText {
public:
    explicit QuoteText(QuoteSink* pSink) : pSink(pSink), nUsed(0), bFailed(false) {}
    QuoteText(const QuoteText&) = delete;
    QuoteText& operator=(const QuoteText&) = delete;

    QuoteText& Raw(const char* szText);
    QuoteText& Raw(const char* pText, size_t nText);
    // Text shown on the page: & < > " ' written as references.
    QuoteText& Html(const char* szUtf8);
    // A CSV field: always in double quotes, a double quote doubled.
    QuoteText& CsvField(const char* szUtf8);
    QuoteText& Int(int64_t nValue);
    QuoteText& Lines(const Rates& rates, int64_t nHundredths);
    // "12.40" and szSuffix.
    QuoteText& Cents(int64_t nCents, const char* szSuffix);
    // True when every byte reached the sink.
    bool Flush();

private:
    QuoteSink* pSink;
    char buffer[4096];
    size_t nUsed;
    bool bFailed;
};

// UTF-16 text as UTF-8, cut before the character that does not fit nSize bytes with the terminator
// (a lone surrogate is U+FFFD); returns the length.
size_t QuoteUtf8(const char16_t* szText, char* szUtf8, size_t nSize);
// The rates' currency in UTF-8 after a space (" €"), or nothing for none; nSize of at least 72.
void QuoteCurrencySuffix(const Rates& rates, char* szSuffix, size_t nSize);
// A price text of the rates as money ("0.02").
double QuotePrice(const char* szPriceText);
// Whether a minimum charge is set.
bool QuoteHasMinimum(const Rates& rates);

bool WriteQuoteHtml(const QuoteJob& job, const QuoteAmounts& amounts, QuoteText* pText);
bool WriteQuoteCsv(const QuoteJob& job, const QuoteAmounts& amounts, QuoteText* pText);
