// The user's rates: a list of at most kMaxRates named sets, one of them in use. Platform-free; the
// program loads and saves it with the registry, the Edit Rates dialog edits a copy of it.
#pragma once
#include "pricing/rates.h"

struct RateBook {
    Rates rates[kMaxRates];
    int nCount;  // 1 to kMaxRates
    int nInUse;  // 0 to nCount - 1
};

// One rate, the program's defaults ("Standard"), in use.
void SetDefaultRateBook(RateBook* pBook);

// Adds default rates at the end, named "Rates <n>" with the smallest n from 2 up that no rates of
// the book are named; returns the new position, or -1 when the book holds kMaxRates already.
int AddRates(RateBook* pBook);

// Removes the rates at nIndex; the last rates of a book are never removed (returns false). The
// rates in use stay in use; when they are the ones removed, the rates before them (or the first)
// are in use.
bool DeleteRates(RateBook* pBook, int nIndex);

// Whether no other rates than those at nExcept are named szName (compared code unit by code unit).
bool IsRateNameFree(const RateBook& book, const char16_t* szName, int nExcept);
