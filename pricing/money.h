// Prices and costs: reading price texts, reading the dialog's integers, the pricing arithmetic and
// the money display. The same text on every build, whatever the C runtime or the process locale.
#pragma once
#include <stddef.h>
#include <stdint.h>

// The number rule of the price fields: leading white space, an optional sign, decimal digits with an
// optional "." fraction and an optional exponent; reading stops at the first byte that cannot go on
// with the number, and a text that does not begin with a number is 0. The separator is always ".".
double TextToMoney(const char* szText);

// The dialog's integer rule: optional blanks, an optional sign, decimal digits, optional blanks, and
// nothing else; the value must fit 32 bits. Returns false (and 0) for any other text.
bool TextToDialogInt(const char* szText, int* pnValue);

// The money display: two decimals, halves to even on the exact value, no grouping, then szSuffix
// (the dialog shows costs with one trailing blank). Writes at most nBufferSize bytes with the
// terminator; 64 bytes always suffice for finite values below 1e40. Returns the length written.
enum { kMoneyTextSize = 64 };
size_t FormatMoney(double dValue, const char* szSuffix, char* szBuffer, size_t nBufferSize);

// An amount in whole cents as FormatMoney rounds it (halves to even on the exact value, the sign
// kept); false for an amount that is not finite or not below 2^52 in size.
bool MoneyToCents(double dValue, int64_t* pnCents);
// Whole cents as FormatMoney shows them: "-12.40", then szSuffix; returns the length written.
size_t FormatCents(int64_t nCents, const char* szSuffix, char* szBuffer, size_t nBufferSize);

// A price per unit as a quote shows it: two decimals, or as many more (up to eight) as the price
// has, so that "0.333" is shown as it was typed; then szSuffix.
size_t FormatUnitPrice(double dValue, const char* szSuffix, char* szBuffer, size_t nBufferSize);

struct JobPrices {
    double dFixed;
    double dPerChar;
    double dPerWord;
    double dPerLine;
};

struct JobCosts {
    double dChars;
    double dWords;
    double dLines;
    double dTotal;
};

// fixed cost + ((characters x price + words x price) + lines x price); nothing is rounded here.
JobCosts PriceJob(const JobPrices& prices, int64_t nChars, int64_t nWords, int64_t nLines);

// Copies szSource into szDest of nDestSize bytes, cut to fit and always terminated; returns the
// length copied.
size_t CopyBounded(char* szDest, size_t nDestSize, const char* szSource);

// Decimal text of a signed 64-bit integer (the counts), for builds whose printf lacks %lld.
size_t FormatInt64(int64_t nValue, char* szBuffer, size_t nBufferSize);
