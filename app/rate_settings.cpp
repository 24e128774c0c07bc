#include "app/rate_settings.h"

#include <windows.h>

#include "pricing/rate_forms.h"
#include "support/registry.h"

namespace {

const char kCountName[] = "Count";
const char kInUseName[] = "InUse";

void LoadRates(int nIndex, Rates* pRates) {
    char szSection[kRateSectionSize];
    GetRateSection(nIndex, szSection);
    SetDefaultRates(pRates, nIndex);
    for (int v = 0; v < kRateValueCount; ++v) {
        RateValue eValue = static_cast<RateValue>(v);
        // A missing value reads as its default's stored text, exactly as it always has.
        char szDefault[kRatePriceTextSize];
        char szStored[kRatePriceTextSize];
        FormatRateValue(*pRates, eValue, szDefault);
        GetRegistryString(szSection, RateValueName(eValue), szDefault, szStored, sizeof(szStored));
        ReadRateValue(szStored, eValue, pRates);
    }
}

long SaveRates(int nIndex, const Rates& rates) {
    char szSection[kRateSectionSize];
    GetRateSection(nIndex, szSection);
    long nFirstError = ERROR_SUCCESS;
    for (int v = 0; v < kRateValueCount; ++v) {
        char szStored[kRatePriceTextSize];
        FormatRateValue(rates, static_cast<RateValue>(v), szStored);
        long nResult = SetRegistryString(szSection, RateValueName(static_cast<RateValue>(v)), szStored);
        if (nFirstError == ERROR_SUCCESS) nFirstError = nResult;
    }
    return nFirstError;
}

// The section of rates past the book's end goes; one that was never written is no failure.
void DeleteRatesSection(int nIndex) {
    char szSection[kRateSectionSize];
    GetRateSection(nIndex, szSection);
    char szKeyPath[kRegistryTextSize];
    GetRegistrySectionPath(szSection, szKeyPath, sizeof(szKeyPath));
    RegDeleteKeyA(HKEY_LOCAL_MACHINE, szKeyPath);
}

}  // namespace

void LoadRateBook(RateBook* pBook) {
    SetDefaultRateBook(pBook);
    char szStored[kRatePriceTextSize];
    GetRegistryString(kRatesSection, kCountName, "1", szStored, sizeof(szStored));
    pBook->nCount = StoredRateCount(szStored);
    GetRegistryString(kRatesSection, kInUseName, "0", szStored, sizeof(szStored));
    pBook->nInUse = StoredRateInUse(szStored, pBook->nCount);
    for (int i = 0; i < pBook->nCount; ++i) LoadRates(i, &pBook->rates[i]);
}

long SaveRateBook(const RateBook& book) {
    long nFirstError = ERROR_SUCCESS;
    auto Keep = [&nFirstError](long nResult) {
        if (nFirstError == ERROR_SUCCESS) nFirstError = nResult;
    };
    for (int i = 0; i < book.nCount; ++i) Keep(SaveRates(i, book.rates[i]));
    Keep(SetRegistryInt(kRatesSection, kCountName, book.nCount));
    Keep(SetRegistryInt(kRatesSection, kInUseName, book.nInUse));
    for (int i = book.nCount; i < kMaxRates; ++i) DeleteRatesSection(i);
    return nFirstError;
}
