// "Save Quote": the system's Save As dialog names the quote's file, in the folder the last quote was
// saved to; the quote of the job on show is written there as a page or a sheet, whole or not at
// all, and a page is opened in the default browser.
#pragma once
#include <stddef.h>
#include <windows.h>

#include "app/priced_text.h"

struct QuoteRequest {
    const PricedText* pPriced;  // what the main window shows
    const Rates* pRates;        // the rates in use
    const wchar_t* szTitle;     // the job's title; may be empty
};

enum class QuoteOutcome {
    kCancelled,  // no file was chosen: nothing is said
    kSaved,      // "Quote saved: NAME"
    kNotOpened,  // saved, but the page could not be opened: the reason is said
    kNotSaved,   // the reason is said; no file is left behind
};

// What the outcome says, in a buffer of kQuoteSaidUnits units.
enum { kQuoteSaidUnits = 640 };
QuoteOutcome SaveQuote(HWND hwndOwner, const QuoteRequest& request, wchar_t* szSaid);
