#include "support/stored_forms.h"

#include <stdint.h>
#include <string.h>


namespace {
const unsigned long kTypeString = 1;          // REG_SZ
const unsigned long kTypeExpandString = 2;    // REG_EXPAND_SZ, kept as it is written
bool IsSpace(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r'; }
}  // namespace

int StoredTextToInt(const char* szStored, int nDefault) {
    if (szStored[0] == '\0') return nDefault;
    const char* p = szStored;
    while (IsSpace(*p)) ++p;
    bool bNegative = false;
    if (*p == '+' || *p == '-') bNegative = *p++ == '-';
    int64_t nValue = 0;
    while (*p >= '0' && *p <= '9') {
        if (nValue <= INT32_MAX) nValue = nValue * 10 + (*p - '0');
        ++p;
    }
    if (bNegative) nValue = -nValue;
    if (nValue > INT32_MAX) return INT32_MAX;
    if (nValue < INT32_MIN) return INT32_MIN;
    return static_cast<int>(nValue);
}

bool StoredTextToBool(const char* szStored, bool bDefault) {
    if (szStored[0] == '\0') return bDefault;
    return szStored[0] != '0';
}

void IntToStoredText(int nValue, char* szText) {
    // Digits from the last; the magnitude is taken in 64 bits so that INT32_MIN has one.
    char szDigits[11];
    int nDigits = 0;
    int64_t nMagnitude = nValue < 0 ? -static_cast<int64_t>(nValue) : nValue;
    do {
        szDigits[nDigits++] = static_cast<char>('0' + nMagnitude % 10);
        nMagnitude /= 10;
    } while (nMagnitude != 0);
    if (nValue < 0) *szText++ = '-';
    while (nDigits > 0) *szText++ = szDigits[--nDigits];
    *szText = '\0';
}

bool StoredBytesToText(char* pBuffer, unsigned long nType, unsigned long nBytes) {
    if (nType != kTypeString && nType != kTypeExpandString) return false;
    if (nBytes > kRegistryTextSize) return false;
    const void* pZero = memchr(pBuffer, '\0', nBytes);
    if (pZero == nullptr) {
        // Stored without its terminator: it fits only if there is room to add one.
        if (nBytes >= kRegistryTextSize) return false;
        pBuffer[nBytes] = '\0';
    }
    return true;
}
