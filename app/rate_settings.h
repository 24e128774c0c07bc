// The user's rates in the registry, in the layout the stored forms give (pricing/rate_forms.h): the
// first rates in section "Settings", where the program has always kept its prices, the others in
// "Rates\<n>", their count and the rates in use in "Rates".
#pragma once
#include "pricing/rate_book.h"

// Reads the book; every missing or damaged value gives its default, silently.
void LoadRateBook(RateBook* pBook);
// Writes the whole book and removes the sections of rates it no longer holds. Returns the first
// error of the system's writes, ERROR_SUCCESS when every value was written.
long SaveRateBook(const RateBook& book);
