#include "pricing/rate_forms.h"

#include <string.h>

#include "pricing/money.h"

namespace {

const char* const kValueNames[kRateValueCount] = {
    "FixedCostAmount", "CostPerCharacter", "CostPerWord", "CharacterPerLine", "CostPerLine", "RateName",
    "CharacterKind",   "LineRule",         "LineName",    "LineRounding",     "MinimumCharge", "Currency",
    "TranslationSide",
};

const char* const kCharWords[] = {"breaks", "spaces", "no-spaces"};
const char* const kLineWords[] = {"laid-out", "standard"};
const char* const kLineNameWords[] = {"lines", "pages"};
const char* const kRoundingWords[] = {"two-decimals", "up"};
const char* const kSideWords[] = {"source", "target"};

// The position of szStored among the words, or -1.
int FindWord(const char* szStored, const char* const* pWords, int nWords) {
    for (int i = 0; i < nWords; ++i) {
        if (strcmp(szStored, pWords[i]) == 0) return i;
    }
    return -1;
}

// The stored forms' texts all fit a price text's buffer.
void CopyBounded(char* szDest, const char* szSource) { ::CopyBounded(szDest, kRatePriceTextSize, szSource); }

const char kHex[] = "0123456789ABCDEF";

void FormatEscaped(const char16_t* szText, char* szStored) {
    size_t n = 0;
    for (; *szText && n + 7 < kRatePriceTextSize; ++szText) {
        char16_t c = *szText;
        if (c >= 0x20 && c < 0x7F && c != '\\') {
            szStored[n++] = static_cast<char>(c);
            continue;
        }
        szStored[n++] = '\\';
        szStored[n++] = 'u';
        for (int nShift = 12; nShift >= 0; nShift -= 4) szStored[n++] = kHex[(c >> nShift) & 0xF];
    }
    szStored[n] = '\0';
}

int HexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return -1;
}

// Reads an escaped text of at most nMaxChars code points (nUnits with the terminator) into szText;
// false, with szText as it was, for a bad escape, a control character, an unpaired surrogate or a
// text too long.
bool ReadEscaped(const char* szStored, size_t nMaxChars, char16_t* szText, size_t nUnits) {
    char16_t units[kRatePriceTextSize];
    size_t n = 0, nChars = 0;
    for (const char* p = szStored; *p;) {
        char16_t c;
        if (*p == '\\') {
            if (p[1] != 'u') return false;
            int nValue = 0;
            for (int i = 2; i < 6; ++i) {
                int nDigit = HexValue(p[i]);  // stops at the terminator too
                if (nDigit < 0) return false;
                nValue = nValue * 16 + nDigit;
            }
            c = static_cast<char16_t>(nValue);
            p += 6;
        } else {
            c = static_cast<unsigned char>(*p++);
            if (c >= 0x80) return false;  // the stored form is ASCII
        }
        if (c < 0x20 || c == 0x7F) return false;
        bool bLow = c >= 0xDC00 && c <= 0xDFFF;
        bool bAfterHigh = n > 0 && units[n - 1] >= 0xD800 && units[n - 1] <= 0xDBFF;
        if (bLow != bAfterHigh) return false;
        if (!bLow) ++nChars;
        if (nChars > nMaxChars || n + 1 >= nUnits) return false;
        units[n++] = c;
    }
    if (n > 0 && units[n - 1] >= 0xD800 && units[n - 1] <= 0xDBFF) return false;
    memcpy(szText, units, n * sizeof(char16_t));
    szText[n] = 0;
    return true;
}

}  // namespace

const char kRatesSection[] = "Rates";

const char* RateValueName(RateValue eValue) { return kValueNames[eValue]; }

void GetRateSection(int nIndex, char* szSection) {
    if (nIndex == 0) {
        CopyBounded(szSection, "Settings");
        return;
    }
    CopyBounded(szSection, "Rates\\");
    FormatInt64(nIndex, szSection + 6, kRateSectionSize - 6);
}

void FormatRateValue(const Rates& rates, RateValue eValue, char* szText) {
    switch (eValue) {
        case kRateFixedCost: CopyBounded(szText, rates.szFixed); break;
        case kRateCostPerChar: CopyBounded(szText, rates.szPerChar); break;
        case kRateCostPerWord: CopyBounded(szText, rates.szPerWord); break;
        case kRateCharsPerLine: CopyBounded(szText, rates.szCharsPerLine); break;
        case kRateCostPerLine: CopyBounded(szText, rates.szPerLine); break;
        case kRateMinimum: CopyBounded(szText, rates.szMinimum); break;
        case kRateName: FormatEscaped(rates.szName, szText); break;
        case kRateCurrency: FormatEscaped(rates.szCurrency, szText); break;
        case kRateCharKind: CopyBounded(szText, kCharWords[rates.eChars]); break;
        case kRateLineRule: CopyBounded(szText, kLineWords[rates.eLines]); break;
        case kRateLineName: CopyBounded(szText, kLineNameWords[rates.eLineName]); break;
        case kRateLineRounding: CopyBounded(szText, kRoundingWords[rates.eRounding]); break;
        case kRateTranslationSide: CopyBounded(szText, kSideWords[rates.eSide]); break;
        default: szText[0] = '\0'; break;
    }
}

void ReadRateValue(const char* szStored, RateValue eValue, Rates* pRates) {
    int nWord = -1;
    switch (eValue) {
        case kRateFixedCost: CopyBounded(pRates->szFixed, szStored); break;
        case kRateCostPerChar: CopyBounded(pRates->szPerChar, szStored); break;
        case kRateCostPerWord: CopyBounded(pRates->szPerWord, szStored); break;
        case kRateCharsPerLine: CopyBounded(pRates->szCharsPerLine, szStored); break;
        case kRateCostPerLine: CopyBounded(pRates->szPerLine, szStored); break;
        case kRateMinimum: CopyBounded(pRates->szMinimum, szStored); break;
        case kRateName: {
            // An empty name is damaged too: every rate has one to be chosen by.
            char16_t szName[kRateNameUnits] = {};
            if (szStored[0] && ReadEscaped(szStored, kRateNameUnits - 1, szName, kRateNameUnits))
                memcpy(pRates->szName, szName, sizeof(szName));
            break;
        }
        case kRateCurrency: ReadEscaped(szStored, kCurrencyMaxChars, pRates->szCurrency, kCurrencyUnits); break;
        case kRateCharKind:
            if ((nWord = FindWord(szStored, kCharWords, 3)) >= 0) pRates->eChars = static_cast<RateChars>(nWord);
            break;
        case kRateLineRule:
            if ((nWord = FindWord(szStored, kLineWords, 2)) >= 0) pRates->eLines = static_cast<RateLines>(nWord);
            break;
        case kRateLineName:
            if ((nWord = FindWord(szStored, kLineNameWords, 2)) >= 0)
                pRates->eLineName = static_cast<RateLineName>(nWord);
            break;
        case kRateLineRounding:
            if ((nWord = FindWord(szStored, kRoundingWords, 2)) >= 0)
                pRates->eRounding = static_cast<RateRounding>(nWord);
            break;
        case kRateTranslationSide:
            if ((nWord = FindWord(szStored, kSideWords, 2)) >= 0) pRates->eSide = static_cast<RateSide>(nWord);
            break;
        default: break;
    }
}

int StoredRateCount(const char* szStored) {
    int nValue = 0;
    if (!TextToDialogInt(szStored, &nValue) || nValue < 1 || nValue > kMaxRates) return 1;
    return nValue;
}

int StoredRateInUse(const char* szStored, int nCount) {
    int nValue = 0;
    if (!TextToDialogInt(szStored, &nValue) || nValue < 0 || nValue >= nCount) return 0;
    return nValue;
}
