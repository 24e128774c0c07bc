// One UTF-8 sequence: what is well formed (no overlong form, surrogate or code point past
// U+10FFFF), and how much an ill-formed part spans (its maximal subpart, which Windows and the
// browsers read as one U+FFFD).
#pragma once
#include <stddef.h>
#include <stdint.h>

// Decodes the sequence at the start of pBytes (nBytes > 0): gives its length and sets
// *pnCodePoint; for an ill-formed part, or one cut by the end of the bytes, gives the length of its
// maximal subpart (at least 1) and sets U+FFFD.
inline size_t DecodeUtf8Sequence(const unsigned char* pBytes, size_t nBytes, uint32_t* pnCodePoint) {
    unsigned char c = pBytes[0];
    *pnCodePoint = 0xFFFD;
    if (c < 0x80) {
        *pnCodePoint = c;
        return 1;
    }
    size_t nFollowing;
    unsigned char nLower = 0x80, nUpper = 0xBF;
    uint32_t nCodePoint;
    if (c >= 0xC2 && c <= 0xDF) {
        nFollowing = 1;
        nCodePoint = c & 0x1F;
    } else if (c >= 0xE0 && c <= 0xEF) {
        nFollowing = 2;
        nCodePoint = c & 0x0F;
        if (c == 0xE0) nLower = 0xA0;  // shorter forms are overlong
        if (c == 0xED) nUpper = 0x9F;  // surrogates
    } else if (c >= 0xF0 && c <= 0xF4) {
        nFollowing = 3;
        nCodePoint = c & 0x07;
        if (c == 0xF0) nLower = 0x90;  // overlong
        if (c == 0xF4) nUpper = 0x8F;  // past U+10FFFF
    } else {
        return 1;
    }
    for (size_t k = 1; k <= nFollowing; ++k) {
        if (k == nBytes || pBytes[k] < nLower || pBytes[k] > nUpper) return k;
        nCodePoint = (nCodePoint << 6) | (pBytes[k] & 0x3F);
        nLower = 0x80;
        nUpper = 0xBF;
    }
    *pnCodePoint = nCodePoint;
    return nFollowing + 1;
}

// Whether what DecodeUtf8Sequence read at pBytes (nLength bytes, nCodePoint) was an ill-formed
// part rather than a U+FFFD written as itself.
inline bool IsIllFormedUtf8(const unsigned char* pBytes, size_t nLength, uint32_t nCodePoint) {
    return nCodePoint == 0xFFFD && !(nLength == 3 && pBytes[0] == 0xEF && pBytes[1] == 0xBF && pBytes[2] == 0xBD);
}
