// "Edit Rates": adds, renames, deletes and edits the user's rates.
#pragma once
#include <windows.h>

#include "pricing/rate_book.h"

// Runs the dialog on a copy of the book; true, with the book edited, when it ended with OK.
bool EditRates(HWND hwndOwner, RateBook* pBook);
