#include "pricing/rates.h"

#include <string.h>

#include "pricing/money.h"

namespace {

void CopyAscii(char16_t* szDest, const char* szSource) {
    while ((*szDest++ = static_cast<unsigned char>(*szSource++)) != 0) {
    }
}

void CopyText(char* szDest, const char* szSource) {
    while ((*szDest++ = *szSource++) != 0) {
    }
}

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

bool IsBlank(const char* sz) {
    for (; *sz; ++sz) {
        if (*sz != ' ' && *sz != '\t') return false;
    }
    return true;
}

int64_t SaturatingAdd(int64_t a, int64_t b) {
    if (b > 0 && a > INT64_MAX - b) return INT64_MAX;
    if (b < 0 && a < INT64_MIN - b) return INT64_MIN;
    return a + b;
}

int64_t HundredthsOfWhole(int64_t nLines) {
    if (nLines > INT64_MAX / 100) return INT64_MAX;
    if (nLines < INT64_MIN / 100) return INT64_MIN;
    return nLines * 100;
}

int64_t RateChosenChars(const Rates& rates, const RateCounts& counts) {
    switch (rates.eChars) {
        case kCharsWithSpaces: return counts.nCharsWithoutBreaks;
        case kCharsWithoutSpaces: return counts.nCharsWithoutSpaces;
        default: return counts.nCharsWithBreaks;
    }
}

// A count of hundredths as the number priced: whole counts are exact, so the default rates price
// exactly as the program did before there were rates.
double LinesOfHundredths(int64_t nHundredths) { return static_cast<double>(nHundredths) / 100.0; }

void PriceRow(const Rates& rates, RatedRow* pRow) {
    pRow->dChars = static_cast<double>(pRow->nChars) * TextToMoney(rates.szPerChar);
    pRow->dWords = static_cast<double>(pRow->nWords) * TextToMoney(rates.szPerWord);
    pRow->dLines = LinesOfHundredths(pRow->nLineHundredths) * TextToMoney(rates.szPerLine);
    pRow->dSum = (pRow->dChars + pRow->dWords) + pRow->dLines;
}

RatedRow CountRow(const Rates& rates, const RateCounts& counts) {
    RatedRow row = {};
    row.nChars = RateChosenChars(rates, counts);
    row.nWords = counts.nWords;
    if (rates.eLines == kLinesDivided) {
        row.nLineHundredths = DividedLineHundredths(row.nChars, RateCharsPerLine(rates), rates.eRounding);
    } else {
        row.nLineHundredths = HundredthsOfWhole(counts.nLaidOutLines);
    }
    return row;
}

}  // namespace

void SetDefaultRates(Rates* pRates, int nIndex) {
    memset(pRates, 0, sizeof(*pRates));  // records compare and store alike, bytes past the texts too
    if (nIndex == 0) {
        CopyAscii(pRates->szName, "Standard");
    } else {
        char szName[16] = "Rates ";
        FormatInt64(nIndex + 1, szName + 6, sizeof(szName) - 6);
        CopyAscii(pRates->szName, szName);
    }
    CopyText(pRates->szFixed, "0.00");
    CopyText(pRates->szPerChar, "0.00");
    CopyText(pRates->szPerWord, "0.02");
    CopyText(pRates->szCharsPerLine, "80");
    CopyText(pRates->szPerLine, "0.00");
    pRates->szMinimum[0] = '\0';
    CopyAscii(pRates->szCurrency, "$");
    pRates->eChars = kCharsWithBreaks;
    pRates->eLines = kLinesLaidOut;
    pRates->eLineName = kLineNameStandardLines;
    pRates->eRounding = kRoundTwoDecimals;
    pRates->eSide = kSideSource;
}

int RateCharsPerLine(const Rates& rates) {
    int nValue = 0;
    return TextToDialogInt(rates.szCharsPerLine, &nValue) ? nValue : 0;
}

int64_t DividedLineHundredths(int64_t nChars, int nCharsPerLine, RateRounding eRounding) {
    if (nCharsPerLine < 1 || nChars <= 0) return 0;
    // Whole lines and the rest, so that nothing overflows: the rest x 200 stays below 2^40.
    // The rest by a product, not by "%": a 32-bit build then needs one division routine, not two.
    int64_t nWhole = nChars / nCharsPerLine;
    int64_t nRest = nChars - nWhole * nCharsPerLine;
    if (eRounding == kRoundUpPerStartedLine) return HundredthsOfWhole(nWhole + (nRest != 0 ? 1 : 0));
    // The rest in hundredths, half away from zero on the exact quotient: floor((200 r + N) / 2N).
    int64_t nFraction = (200 * nRest + nCharsPerLine) / (2 * int64_t(nCharsPerLine));
    return SaturatingAdd(HundredthsOfWhole(nWhole), nFraction);
}

RatedRow PriceFileRow(const Rates& rates, const RateCounts& counts) {
    RatedRow row = CountRow(rates, counts);
    PriceRow(rates, &row);
    return row;
}

void AddRatedCounts(const Rates& rates, const RateCounts& counts, RatedRow* pSums) {
    RatedRow row = CountRow(rates, counts);
    pSums->nChars = SaturatingAdd(pSums->nChars, row.nChars);
    pSums->nWords = SaturatingAdd(pSums->nWords, row.nWords);
    pSums->nLineHundredths = SaturatingAdd(pSums->nLineHundredths, row.nLineHundredths);
}

RatedJob PriceRatedCounts(const Rates& rates, const RatedRow& sums) {
    RatedJob job = {};
    job.sums = sums;
    PriceRow(rates, &job.sums);
    job.dTotal = TextToMoney(rates.szFixed) + job.sums.dSum;
    if (!IsBlank(rates.szMinimum)) {
        double dMinimum = TextToMoney(rates.szMinimum);
        if (job.dTotal < dMinimum) {
            job.dTotal = dMinimum;
            job.bMinimumApplied = true;
        }
    }
    return job;
}

RatedJob PriceRatedJob(const Rates& rates, const RateCounts* pFiles, size_t nFiles) {
    RatedRow sums = {};
    for (size_t i = 0; i < nFiles; ++i) AddRatedCounts(rates, pFiles[i], &sums);
    return PriceRatedCounts(rates, sums);
}

bool RateShowsLineDecimals(const Rates& rates) {
    return rates.eLines == kLinesDivided && rates.eRounding == kRoundTwoDecimals;
}

size_t FormatLineCount(int64_t nHundredths, bool bDecimals, char* szBuffer, size_t nBufferSize) {
    if (!bDecimals) return FormatInt64(nHundredths / 100, szBuffer, nBufferSize);
    char szText[32];
    int64_t nWhole = nHundredths / 100;
    int64_t nCents = nHundredths % 100;
    size_t n = 0;
    if (nHundredths < 0) {
        szText[n++] = '-';
        nWhole = -nWhole;
        nCents = -nCents;
    }
    n += FormatInt64(nWhole, szText + n, sizeof(szText) - n);
    szText[n++] = '.';
    szText[n++] = static_cast<char>('0' + nCents / 10);
    szText[n++] = static_cast<char>('0' + nCents % 10);
    szText[n] = '\0';
    return CopyBounded(szBuffer, nBufferSize, szText);
}

int64_t LineCountHundredths(const char* szText) {
    bool bNegative = *szText == '-';
    if (bNegative) ++szText;
    int64_t nWhole = 0;
    for (; IsDigit(*szText); ++szText) {
        if (nWhole > INT64_MAX / 1000) return bNegative ? INT64_MIN : INT64_MAX;
        nWhole = nWhole * 10 + (*szText - '0');
    }
    int64_t nHundredths = HundredthsOfWhole(nWhole);
    if (*szText == '.' && IsDigit(szText[1])) {
        nHundredths += 10 * (szText[1] - '0');
        if (IsDigit(szText[2])) nHundredths += szText[2] - '0';
    }
    return bNegative ? -nHundredths : nHundredths;
}
