#include "pricing/rate_book.h"

#include <string.h>

namespace {

bool SameName(const char16_t* a, const char16_t* b) {
    for (; *a && *a == *b; ++a, ++b) {
    }
    return *a == *b;
}

}  // namespace

void SetDefaultRateBook(RateBook* pBook) {
    memset(pBook, 0, sizeof(*pBook));
    SetDefaultRates(&pBook->rates[0], 0);
    pBook->nCount = 1;
    pBook->nInUse = 0;
}

int AddRates(RateBook* pBook) {
    if (pBook->nCount >= kMaxRates) return -1;
    int nIndex = pBook->nCount;
    Rates* pNew = &pBook->rates[nIndex];
    // A book of kMaxRates rates leaves some "Rates <n>" of n up to kMaxRates + 1 free.
    for (int n = 1; n <= kMaxRates; ++n) {
        SetDefaultRates(pNew, n);
        if (IsRateNameFree(*pBook, pNew->szName, nIndex)) break;
    }
    ++pBook->nCount;
    return nIndex;
}

bool DeleteRates(RateBook* pBook, int nIndex) {
    if (pBook->nCount <= 1 || nIndex < 0 || nIndex >= pBook->nCount) return false;
    memmove(&pBook->rates[nIndex], &pBook->rates[nIndex + 1],
            sizeof(Rates) * static_cast<size_t>(pBook->nCount - nIndex - 1));
    --pBook->nCount;
    memset(&pBook->rates[pBook->nCount], 0, sizeof(Rates));
    if (pBook->nInUse > nIndex || (pBook->nInUse == nIndex && nIndex > 0)) --pBook->nInUse;
    return true;
}

bool IsRateNameFree(const RateBook& book, const char16_t* szName, int nExcept) {
    for (int i = 0; i < book.nCount; ++i) {
        if (i != nExcept && SameName(book.rates[i].szName, szName)) return false;
    }
    return true;
}
