#include "documents/small_inflate.h"

#include <stdint.h>
#include <string.h>

namespace {

const int kMaxCodeBits = 15;

// The lengths' and distances' bases and extra bits (RFC 1951, 3.2.5).
const uint16_t kLengthBase[29] = {3,  4,  5,  6,  7,  8,  9,  10, 11,  13,  15,  17,  19,  23, 27,
                                  31, 35, 43, 51, 59, 67, 83, 99, 115, 131, 163, 195, 227, 258};
const uint8_t kLengthExtra[29] = {0, 0, 0, 0, 0, 0, 0, 0, 1, 1, 1, 1, 2, 2, 2, 2, 3, 3, 3, 3, 4, 4, 4, 4, 5, 5, 5, 5, 0};
const uint16_t kDistanceBase[30] = {1,   2,   3,   4,   5,   7,    9,    13,   17,   25,   33,   49,    65,    97,    129,
                                    193, 257, 385, 513, 769, 1025, 1537, 2049, 3073, 4097, 6145, 8193, 12289, 16385, 24577};
const uint8_t kDistanceExtra[30] = {0, 0, 0, 0, 1, 1, 2, 2, 3, 3, 4, 4, 5, 5, 6, 6, 7, 7, 8, 8, 9, 9, 10, 10, 11, 11, 12, 12, 13, 13};
// The order in which a dynamic block gives its code lengths' own code lengths.
const uint8_t kCodeLengthOrder[19] = {16, 17, 18, 0, 8, 7, 9, 6, 10, 5, 11, 4, 12, 3, 13, 2, 14, 1, 15};

// A canonical prefix code: how many codes each length has, the longest, and the symbols in code order.
struct PrefixCode {
    uint16_t anCount[kMaxCodeBits + 1];
    int nLongest;
    uint16_t anSymbol[288];
};

// Makes the code of the nSymbols lengths at pLengths (0: the symbol has no code). False where zlib
// refuses the lengths: codes that overlap, or codes left unused, which zlib allows only for a
// lone one-bit code, or none at all, of literals or distances.
bool MakeCode(PrefixCode* pCode, const uint8_t* pLengths, int nSymbols, bool bCodeLengths) {
    memset(pCode->anCount, 0, sizeof(pCode->anCount));
    for (int i = 0; i < nSymbols; ++i) ++pCode->anCount[pLengths[i]];
    int nLeft = 1;
    pCode->nLongest = 0;
    uint16_t anNext[kMaxCodeBits + 1];
    anNext[1] = 0;
    for (int nBits = 1; nBits <= kMaxCodeBits; ++nBits) {
        if (pCode->anCount[nBits] != 0) pCode->nLongest = nBits;
        nLeft = (nLeft << 1) - pCode->anCount[nBits];
        if (nLeft < 0) return false;
        if (nBits < kMaxCodeBits) anNext[nBits + 1] = static_cast<uint16_t>(anNext[nBits] + pCode->anCount[nBits]);
    }
    for (int i = 0; i < nSymbols; ++i) {
        if (pLengths[i] != 0) pCode->anSymbol[anNext[pLengths[i]]++] = static_cast<uint16_t>(i);
    }
    return nLeft == 0 || (!bCodeLengths && pCode->nLongest <= 1);
}

class Inflater {
public:
    Inflater(const unsigned char* pIn, size_t cbIn, unsigned char* pOut, size_t cbOut, ProgressMeter* pMeter)
        : pIn(pIn), pInEnd(pIn + cbIn), pOut(pOut), cbOut(cbOut), pMeter(pMeter) {}

    InflateRefusal Run() {
        bool bLast;
        do {
            bLast = Bits(1) != 0;
            uint32_t nType = Bits(2);
            if (nType == 0) Stored();
            else if (nType == 1) Fixed();
            else if (nType == 2) Dynamic();
            else Refuse(InflateRefusal::kInvalidBlockType);
        } while (!bLast && !Failed());
        if (offOut != cbOut) Refuse(InflateRefusal::kOutputShort);
        return refusal;
    }

private:
    // The first fault met is the one returned.
    void Refuse(InflateRefusal why) {
        if (refusal == InflateRefusal::kNone) refusal = why;
    }
    bool Failed() const { return refusal != InflateRefusal::kNone; }

    // Tells the meter how far the output has come; false when the reading is to stop.
    bool GoOn() { return pMeter == nullptr || pMeter->DoneUpTo(offOut, &cbTold); }

    // The next n bits (at most 16), the first in the lowest; past the input, 0 and refused.
    uint32_t Bits(int n) {
        while (cBits < n) {
            if (pIn == pInEnd) {
                Refuse(InflateRefusal::kInputEnded);
                return 0;
            }
            nBitBuffer |= static_cast<uint32_t>(*pIn++) << cBits;
            cBits += 8;
        }
        uint32_t nValue = nBitBuffer & ((1u << n) - 1);
        nBitBuffer >>= n;
        cBits -= n;
        return nValue;
    }

    // The next symbol, read a bit at a time, its code's first bit first. A code left unused (a
    // lone one-bit code's other half, or any bit of a code of none) is refused as unused once no
    // longer code could match, as zlib refuses it: after one bit.
    int Symbol(const PrefixCode& code, InflateRefusal unused) {
        int nCode = 0, nFirst = 0, nIndex = 0;
        for (int nBits = 1;; ++nBits) {
            nCode |= static_cast<int>(Bits(1));
            int nCount = code.anCount[nBits];
            if (nCode - nFirst < nCount) return code.anSymbol[nIndex + nCode - nFirst];
            if (nBits >= code.nLongest) break;
            nIndex += nCount;
            nFirst = (nFirst + nCount) << 1;
            nCode <<= 1;
        }
        Refuse(unused);
        return 0;
    }

    void Stored() {
        // The rest of the byte is left out; the lengths follow whole.
        nBitBuffer = 0;
        cBits = 0;
        if (pInEnd - pIn < 4) return Refuse(InflateRefusal::kInputEnded);
        size_t cb = pIn[0] | pIn[1] << 8;
        if (static_cast<size_t>(pIn[2] | pIn[3] << 8) != (cb ^ 0xFFFF))
            return Refuse(InflateRefusal::kStoredLengthNotComplement);
        pIn += 4;
        // Where input and room both fall short, the one that runs out first is the fault, as
        // zlib, which copies what it can, sees it.
        size_t cbIn = static_cast<size_t>(pInEnd - pIn), cbRoom = cbOut - offOut;
        if (cbIn < cb || cbRoom < cb)
            return Refuse(cbIn <= cbRoom ? InflateRefusal::kInputEnded : InflateRefusal::kOutputFull);
        memcpy(pOut + offOut, pIn, cb);
        pIn += cb;
        offOut += cb;
        if (!GoOn()) Refuse(InflateRefusal::kStopped);
    }

    void Fixed() {
        uint8_t anLengths[288 + 32];
        memset(anLengths, 8, 144);
        memset(anLengths + 144, 9, 112);
        memset(anLengths + 256, 7, 24);
        memset(anLengths + 280, 8, 8);
        memset(anLengths + 288, 5, 32);  // codes 30 and 31 included, refused when they come
        PrefixCode literals, distances;
        MakeCode(&literals, anLengths, 288, false);
        MakeCode(&distances, anLengths + 288, 32, false);
        Codes(literals, distances);
    }

    void Dynamic() {
        int nLiterals = static_cast<int>(Bits(5)) + 257;
        int nDistances = static_cast<int>(Bits(5)) + 1;
        int nCodeLengths = static_cast<int>(Bits(4)) + 4;
        if (nLiterals > 286 || nDistances > 30) return Refuse(InflateRefusal::kTooManyCodes);
        uint8_t anLengths[286 + 30] = {};
        for (int i = 0; i < nCodeLengths; ++i) anLengths[kCodeLengthOrder[i]] = static_cast<uint8_t>(Bits(3));
        PrefixCode lengths, literals, distances;
        if (!MakeCode(&lengths, anLengths, 19, true))
            return Refuse(lengths.nLongest == 0 ? InflateRefusal::kEmptyCodeLengthSet : InflateRefusal::kBadCodeLengthSet);
        // The literals' and distances' lengths, one run: a repeat may cross from one to the other.
        int nTotal = nLiterals + nDistances;
        for (int i = 0; i < nTotal && !Failed();) {
            int nSymbol = Symbol(lengths, InflateRefusal::kBadCodeLengthSet);
            if (nSymbol < 16) {
                anLengths[i++] = static_cast<uint8_t>(nSymbol);
                continue;
            }
            // The repeat's count is read before it is checked, as zlib reads it.
            int nRepeat = nSymbol == 16   ? 3 + static_cast<int>(Bits(2))
                          : nSymbol == 17 ? 3 + static_cast<int>(Bits(3))
                                          : 11 + static_cast<int>(Bits(7));
            uint8_t nLength = 0;
            if (nSymbol == 16) {
                if (i == 0) Refuse(InflateRefusal::kRepeatWithoutLength);
                else nLength = anLengths[i - 1];
            }
            if (nRepeat > nTotal - i) Refuse(InflateRefusal::kRepeatPastEnd);
            for (; nRepeat > 0 && !Failed(); --nRepeat) anLengths[i++] = nLength;
        }
        if (Failed()) return;
        if (anLengths[256] == 0) return Refuse(InflateRefusal::kNoEndOfBlockCode);
        if (!MakeCode(&literals, anLengths, nLiterals, false)) return Refuse(InflateRefusal::kBadLiteralLengthSet);
        if (!MakeCode(&distances, anLengths + nLiterals, nDistances, false))
            return Refuse(InflateRefusal::kBadDistanceSet);
        Codes(literals, distances);
    }

    // A block's literals and copies, up to its end.
    void Codes(const PrefixCode& literals, const PrefixCode& distances) {
        for (;;) {
            if (!GoOn()) return Refuse(InflateRefusal::kStopped);
            int nSymbol = Symbol(literals, InflateRefusal::kInvalidLiteralLengthCode);
            if (Failed() || nSymbol == 256) return;
            if (nSymbol < 256) {
                if (offOut == cbOut) return Refuse(InflateRefusal::kOutputFull);
                pOut[offOut++] = static_cast<unsigned char>(nSymbol);
                continue;
            }
            nSymbol -= 257;
            if (nSymbol >= 29) return Refuse(InflateRefusal::kInvalidLiteralLengthCode);
            size_t cb = kLengthBase[nSymbol] + Bits(kLengthExtra[nSymbol]);
            int nDistance = Symbol(distances, InflateRefusal::kInvalidDistanceCode);
            if (nDistance >= 30) return Refuse(InflateRefusal::kInvalidDistanceCode);
            size_t cbBack = kDistanceBase[nDistance] + Bits(kDistanceExtra[nDistance]);
            if (Failed()) return;
            // Room is asked for before the distance is looked at, and a copy that fits in part
            // is refused for room, as zlib refuses them.
            if (offOut == cbOut) return Refuse(InflateRefusal::kOutputFull);
            if (cbBack > offOut) return Refuse(InflateRefusal::kDistanceTooFarBack);
            if (cb > cbOut - offOut) return Refuse(InflateRefusal::kOutputFull);
            // Byte by byte: the copy may overlap what it writes.
            for (; cb != 0; --cb, ++offOut) pOut[offOut] = pOut[offOut - cbBack];
        }
    }

    const unsigned char* pIn;
    const unsigned char* pInEnd;
    unsigned char* pOut;
    size_t cbOut;
    ProgressMeter* pMeter;
    size_t offOut = 0;
    uint64_t cbTold = 0;
    uint32_t nBitBuffer = 0;
    int cBits = 0;
    InflateRefusal refusal = InflateRefusal::kNone;
};

}  // namespace

InflateRefusal SmallInflateWithReason(const unsigned char* pIn, size_t cbIn, unsigned char* pOut, size_t cbOut,
                                      ProgressMeter* pMeter) {
    return Inflater(pIn, cbIn, pOut, cbOut, pMeter).Run();
}
