#include "documents/html_entities.h"

#include <stdlib.h>
#include <string.h>

#include "documents/growing_array.h"
#include "documents/ascii_classes.h"
#include "documents/inflate.h"
#include "measure/surrogates.h"

namespace {

// A numeric reference's value as browsers take it: U+0000, surrogates and values past U+10FFFF are
// U+FFFD, and 0x80-0x9F are the Windows-1252 characters old pages meant by them.
uint32_t NumericValue(uint32_t nValue) {
    if (nValue == 0 || nValue > 0x10FFFF || IsSurrogate(nValue)) return 0xFFFD;
    if (nValue >= 0x80 && nValue <= 0x9F) {
        const CodePageTable* pTable = FindCodePage(1252);
        if (pTable != nullptr) return CodePageCodePoint(*pTable, static_cast<unsigned char>(nValue));
    }
    return nValue;
}

bool ReadNumericReference(CodePointReader* pIn, uint32_t* pnFirst) {
    CodePointReader ahead = *pIn;
    ahead.Next();  // '#'
    bool bHex = (ahead.Peek() | 0x20) == 'x';
    if (bHex) ahead.Next();
    uint32_t nValue = 0;
    size_t nDigits = 0;
    for (;;) {
        uint32_t c = ahead.Peek();
        int nDigit = bHex ? HexValue(c) : (IsAsciiDigit(c) ? static_cast<int>(c - '0') : -1);
        if (nDigit < 0) break;
        ahead.Next();
        ++nDigits;
        // Past U+10FFFF the value is U+FFFD whatever follows, so it stops growing there.
        if (nValue <= 0x10FFFF) nValue = nValue * (bHex ? 16 : 10) + static_cast<uint32_t>(nDigit);
    }
    if (nDigits == 0) return false;
    if (ahead.Peek() == ';') ahead.Next();
    *pnFirst = NumericValue(nValue);
    *pIn = ahead;
    return true;
}

bool bTableMade = false;
}  // namespace

// Inflates the table the first time it is needed, where the readers run: on one thread at a time.
// Kept deflated, the table weighs a third of what it does inflated.
bool MakeHtmlEntityTable() {
    if (bTableMade) return true;
    unsigned char* pColumns = static_cast<unsigned char*>(TryAllocate(kcbHtmlEntityColumns));
    if (pColumns == nullptr) return false;
    if (InflateRaw(kHtmlEntitiesDeflated, kcbHtmlEntitiesDeflated, pColumns, kcbHtmlEntityColumns) !=
        InflateResult::kWhole) {
        FreeAllocated(pColumns);
        return false;
    }
    // Each name is the leading bytes it shares with the one before it, then its own.
    const unsigned char* pShared = pColumns;
    const unsigned char* pOwn = pShared + kHtmlEntityCount;
    const unsigned char* pBytes = pOwn + kHtmlEntityCount;
    size_t off = 0, offBefore = 0;
    for (size_t i = 0; i < kHtmlEntityCount; ++i) {
        memcpy(achHtmlEntityNames + off, achHtmlEntityNames + offBefore, pShared[i]);
        memcpy(achHtmlEntityNames + off + pShared[i], pBytes, pOwn[i]);
        pBytes += pOwn[i];
        aHtmlEntities[i].offName = static_cast<uint16_t>(off);
        offBefore = off;
        off += pShared[i] + pOwn[i];
    }
    aHtmlEntities[kHtmlEntityCount].offName = static_cast<uint16_t>(off);
    // The first code points' low, middle and high bytes, then the second's indexes.
    const size_t n = kHtmlEntityCount;
    for (size_t i = 0; i < n; ++i) {
        aHtmlEntities[i].nFirst = pBytes[i] | pBytes[n + i] << 8 | static_cast<uint32_t>(pBytes[2 * n + i]) << 16;
        aHtmlEntities[i].nSecond = kHtmlEntitySeconds[pBytes[3 * n + i]];
    }
    FreeAllocated(pColumns);
    bTableMade = true;
    return true;
}

bool FindHtmlEntity(const char* pName, size_t cbName, uint32_t* pnFirst, uint32_t* pnSecond) {
    if (!MakeHtmlEntityTable()) return false;
    size_t nLow = 0, nHigh = kHtmlEntityCount;
    while (nLow < nHigh) {
        size_t nMiddle = nLow + (nHigh - nLow) / 2;
        const char* pEntry = achHtmlEntityNames + aHtmlEntities[nMiddle].offName;
        size_t cbEntry = aHtmlEntities[nMiddle + 1].offName - aHtmlEntities[nMiddle].offName;
        int nOrder = memcmp(pName, pEntry, cbName < cbEntry ? cbName : cbEntry);
        if (nOrder == 0) nOrder = cbName < cbEntry ? -1 : (cbName > cbEntry ? 1 : 0);
        if (nOrder == 0) {
            *pnFirst = aHtmlEntities[nMiddle].nFirst;
            *pnSecond = aHtmlEntities[nMiddle].nSecond;
            return true;
        }
        if (nOrder < 0) nHigh = nMiddle;
        else nLow = nMiddle + 1;
    }
    return false;
}

bool ReadCharacterReference(CodePointReader* pIn, bool bInAttribute, uint32_t* pnFirst, uint32_t* pnSecond) {
    *pnSecond = 0;
    if (pIn->Peek() == '#') return ReadNumericReference(pIn, pnFirst);
    // The longest name in the table that the text starts with, as browsers match it.
    char name[kMaxHtmlEntityName + 1];
    size_t cbName = 0;
    CodePointReader ahead = *pIn;
    while (cbName < kMaxHtmlEntityName) {
        uint32_t c = ahead.Next();
        if (!IsAsciiAlphanumeric(c) && c != ';') break;
        name[cbName++] = static_cast<char>(c);
        if (c == ';') break;
    }
    for (; cbName > 0; --cbName) {
        if (FindHtmlEntity(name, cbName, pnFirst, pnSecond)) break;
    }
    if (cbName == 0) return false;
    ahead = *pIn;
    for (size_t i = 0; i < cbName; ++i) ahead.Next();
    if (name[cbName - 1] != ';' && bInAttribute) {
        uint32_t c = ahead.Peek();
        if (c == '=' || IsAsciiAlphanumeric(c)) return false;
    }
    *pIn = ahead;
    return true;
}
