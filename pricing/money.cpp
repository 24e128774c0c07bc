#include "pricing/money.h"

#include <locale.h>
#include <math.h>
#include <stdlib.h>
#include <string.h>

namespace {

bool IsCSpace(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r'; }
bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// Writes the decimal digits of a non-negative integral double exactly, however large. A double of
// up to 1024 bits is held as 32 little-endian 32-bit words and divided by 10 digit by digit.
size_t FormatIntegralDouble(double dValue, char* szDigits, size_t nSize) {
    uint32_t words[33] = {0};
    int nExp = 0;
    double dMantissa = frexp(dValue, &nExp);                           // dValue = m x 2^e, 0.5 <= m < 1
    uint64_t nMantissa = static_cast<uint64_t>(ldexp(dMantissa, 53));  // exact: 53 bits
    int nShift = nExp - 53;
    if (nShift < 0) {
        nMantissa >>= -nShift;  // only reached for integral values, so no bit is lost
        nShift = 0;
    }
    int nWord = nShift / 32, nBit = nShift % 32;
    uint64_t nLow = nMantissa << nBit;
    uint64_t nHigh = nBit == 0 ? 0 : nMantissa >> (64 - nBit);
    if (nWord < 33) words[nWord] = static_cast<uint32_t>(nLow);
    if (nWord + 1 < 33) words[nWord + 1] = static_cast<uint32_t>(nLow >> 32);
    if (nWord + 2 < 33) words[nWord + 2] = static_cast<uint32_t>(nHigh);
    char reversed[330];
    size_t nDigits = 0;
    for (;;) {
        uint64_t nRemainder = 0;
        bool bNonZero = false;
        for (int k = 32; k >= 0; --k) {
            uint64_t nCurrent = (nRemainder << 32) | words[k];
            words[k] = static_cast<uint32_t>(nCurrent / 10);
            nRemainder = nCurrent % 10;
            bNonZero |= words[k] != 0;
        }
        reversed[nDigits++] = static_cast<char>('0' + nRemainder);
        if (!bNonZero) break;
    }
    size_t n = 0;
    while (nDigits > 0 && n + 1 < nSize) szDigits[n++] = reversed[--nDigits];
    if (nSize > 0) szDigits[n] = '\0';
    return n;
}

size_t FormatUint64(uint64_t nValue, char* szDigits) {
    char reversed[24];
    size_t nDigits = 0;
    do {
        reversed[nDigits++] = static_cast<char>('0' + nValue % 10);
        nValue /= 10;
    } while (nValue != 0);
    for (size_t i = 0; i < nDigits; ++i) szDigits[i] = reversed[nDigits - 1 - i];
    szDigits[nDigits] = '\0';
    return nDigits;
}

// Rounds a x 100 to whole cents, halves to even, exactly: a = m x 2^-s with a 53-bit integer m, so
// a x 100 = (m x 100) / 2^s, where m x 100 < 2^60 fits 64 bits and the division is a shift whose
// remainder decides the rounding. Valid for 0 <= a < 2^52 (above that every double is whole).
uint64_t RoundToCents(double a) {
    if (a == 0.0) return 0;
    int nExp = 0;
    double dMantissa = frexp(a, &nExp);                                 // a = m x 2^e, 0.5 <= m < 1
    uint64_t nScaled = static_cast<uint64_t>(ldexp(dMantissa, 53)) * 100;  // exact: 53 bits x 100
    int nShift = 53 - nExp;                                             // at least 1 below 2^52
    if (nShift >= 62) return 0;                                         // below a quarter of a cent
    uint64_t nCents = nScaled >> nShift;
    uint64_t nRemainder = nScaled & ((uint64_t(1) << nShift) - 1);
    uint64_t nHalf = uint64_t(1) << (nShift - 1);
    if (nRemainder > nHalf || (nRemainder == nHalf && (nCents & 1) != 0)) ++nCents;
    return nCents;
}

// "12.40" of 1240 cents; szText holds at least 24 bytes.
size_t FormatUnsignedCents(uint64_t nCents, char* szText) {
    size_t n = FormatUint64(nCents / 100, szText);
    szText[n++] = '.';
    szText[n++] = static_cast<char>('0' + nCents % 100 / 10);
    szText[n++] = static_cast<char>('0' + nCents % 10);
    szText[n] = '\0';
    return n;
}

}  // namespace

double TextToMoney(const char* szText) {
    // Take the longest prefix that reads as a decimal number, then let the C library convert just
    // that, with "." replaced by the locale's point: exact rounding without any locale dependence.
    const char* p = szText;
    while (IsCSpace(*p)) ++p;
    const char* pStart = p;
    if (*p == '+' || *p == '-') ++p;
    const char* pDigits = p;
    while (IsDigit(*p)) ++p;
    bool bIntegerDigits = p != pDigits;
    const char* pPoint = nullptr;
    if (*p == '.') {
        const char* pFraction = p + 1;
        const char* q = pFraction;
        while (IsDigit(*q)) ++q;
        if (bIntegerDigits || q != pFraction) {
            pPoint = p;
            p = q;
        }
    }
    if (!bIntegerDigits && pPoint == nullptr) return 0.0;
    if (*p == 'e' || *p == 'E') {
        const char* q = p + 1;
        if (*q == '+' || *q == '-') ++q;
        if (IsDigit(*q)) {
            while (IsDigit(*q)) ++q;
            p = q;
        }
    }
    // Price texts come from 260-byte fields; a longer number keeps its first 300 bytes of digits.
    char szNumber[320];
    size_t n = static_cast<size_t>(p - pStart);
    if (n >= sizeof(szNumber)) n = sizeof(szNumber) - 1;
    memcpy(szNumber, pStart, n);
    szNumber[n] = '\0';
    if (pPoint != nullptr && static_cast<size_t>(pPoint - pStart) < n) {
        const struct lconv* pLocale = localeconv();
        if (pLocale && pLocale->decimal_point && pLocale->decimal_point[0] && !pLocale->decimal_point[1])
            szNumber[pPoint - pStart] = pLocale->decimal_point[0];
    }
    return strtod(szNumber, nullptr);
}

bool TextToDialogInt(const char* szText, int* pnValue) {
    *pnValue = 0;
    const char* p = szText;
    while (*p == ' ' || *p == '\t') ++p;
    bool bNegative = false;
    if (*p == '+' || *p == '-') bNegative = *p++ == '-';
    if (!IsDigit(*p)) return false;
    int64_t nValue = 0;
    while (IsDigit(*p)) {
        nValue = nValue * 10 + (*p++ - '0');
        if (nValue > static_cast<int64_t>(INT32_MAX) + 1) return false;
    }
    while (*p == ' ' || *p == '\t') ++p;
    if (*p != '\0') return false;
    if (bNegative) nValue = -nValue;
    if (nValue > INT32_MAX || nValue < INT32_MIN) return false;
    *pnValue = static_cast<int>(nValue);
    return true;
}

size_t FormatMoney(double dValue, const char* szSuffix, char* szBuffer, size_t nBufferSize) {
    char szText[400];
    size_t n = 0;
    if (signbit(dValue)) szText[n++] = '-';
    double a = fabs(dValue);
    if (isnan(a)) {
        n += CopyBounded(szText + n, 4, "nan");
    } else if (isinf(a)) {
        n += CopyBounded(szText + n, 4, "inf");
    } else if (a >= 4503599627370496.0) {  // 2^52 and above every double is an integer
        n += FormatIntegralDouble(a, szText + n, sizeof(szText) - n - 4);
        n += CopyBounded(szText + n, 4, ".00");
    } else {
        n += FormatUnsignedCents(RoundToCents(a), szText + n);
    }
    n += CopyBounded(szText + n, sizeof(szText) - n, szSuffix);
    return CopyBounded(szBuffer, nBufferSize, szText);
}

bool MoneyToCents(double dValue, int64_t* pnCents) {
    double a = fabs(dValue);
    if (!(a < 4503599627370496.0)) return false;  // not finite, or 2^52 and above
    int64_t nCents = static_cast<int64_t>(RoundToCents(a));
    *pnCents = signbit(dValue) ? -nCents : nCents;
    return true;
}

size_t FormatCents(int64_t nCents, const char* szSuffix, char* szBuffer, size_t nBufferSize) {
    char szText[400];
    size_t n = 0;
    uint64_t nMagnitude = static_cast<uint64_t>(nCents);
    if (nCents < 0) {
        szText[n++] = '-';
        nMagnitude = 0 - nMagnitude;
    }
    n += FormatUnsignedCents(nMagnitude, szText + n);
    n += CopyBounded(szText + n, sizeof(szText) - n, szSuffix);
    return CopyBounded(szBuffer, nBufferSize, szText);
}

size_t FormatUnitPrice(double dValue, const char* szSuffix, char* szBuffer, size_t nBufferSize) {
    double a = fabs(dValue);
    // Below 10^9 the eight decimals fit 64 bits; larger prices are shown as money.
    if (!(a < 1e9)) return FormatMoney(dValue, szSuffix, szBuffer, nBufferSize);
    double dScale = 100.0;
    int nDecimals = 2;
    // The fewest decimals that give the value back to within its own rounding.
    while (nDecimals < 8 && fabs(a * dScale - floor(a * dScale + 0.5)) > 1e-6) {
        dScale *= 10.0;
        ++nDecimals;
    }
    uint64_t nScaled = static_cast<uint64_t>(floor(a * dScale + 0.5));
    char szDigits[32];
    size_t nDigits = FormatUint64(nScaled, szDigits);
    char szText[400];
    size_t n = 0;
    if (dValue < 0 && nScaled != 0) szText[n++] = '-';
    size_t nWhole = nDigits > static_cast<size_t>(nDecimals) ? nDigits - nDecimals : 0;
    if (nWhole == 0) szText[n++] = '0';
    memcpy(szText + n, szDigits, nWhole);
    n += nWhole;
    szText[n++] = '.';
    for (size_t i = nDigits; i < static_cast<size_t>(nDecimals); ++i) szText[n++] = '0';  // leading zeros
    memcpy(szText + n, szDigits + nWhole, nDigits - nWhole);
    n += nDigits - nWhole;
    szText[n] = '\0';
    n += CopyBounded(szText + n, sizeof(szText) - n, szSuffix);
    return CopyBounded(szBuffer, nBufferSize, szText);
}

JobCosts PriceJob(const JobPrices& prices, int64_t nChars, int64_t nWords, int64_t nLines) {
    JobCosts costs;
    costs.dChars = static_cast<double>(nChars) * prices.dPerChar;
    costs.dWords = static_cast<double>(nWords) * prices.dPerWord;
    costs.dLines = static_cast<double>(nLines) * prices.dPerLine;
    costs.dTotal = prices.dFixed + ((costs.dChars + costs.dWords) + costs.dLines);
    return costs;
}

size_t CopyBounded(char* szDest, size_t nDestSize, const char* szSource) {
    size_t n = 0;
    if (nDestSize == 0) return 0;
    while (szSource[n] && n + 1 < nDestSize) {
        szDest[n] = szSource[n];
        ++n;
    }
    szDest[n] = '\0';
    return n;
}

size_t FormatInt64(int64_t nValue, char* szBuffer, size_t nBufferSize) {
    char szText[24];
    size_t n = 0;
    uint64_t nMagnitude = static_cast<uint64_t>(nValue);
    if (nValue < 0) {
        szText[n++] = '-';
        nMagnitude = 0 - nMagnitude;
    }
    n += FormatUint64(nMagnitude, szText + n);
    return CopyBounded(szBuffer, nBufferSize, szText);
}
