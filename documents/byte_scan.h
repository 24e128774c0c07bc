// Finding the next byte that matters in markup and text, 16 bytes at a time where the processor
// has SSE2 (every x86-64, and the 32-bit Windows build, which is made with it), a byte at a time
// elsewhere. Each function reads only [p, pEnd) and returns what its scalar loop would.
#pragma once
#include <stddef.h>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

// The first byte in [p, pEnd) that is a or b; pEnd when there is none.
inline const char* FindEitherByte(const char* p, const char* pEnd, char a, char b) {
#if defined(__SSE2__)
    const __m128i vA = _mm_set1_epi8(a), vB = _mm_set1_epi8(b);
    for (; pEnd - p >= 16; p += 16) {
        __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
        unsigned nHits = static_cast<unsigned>(_mm_movemask_epi8(_mm_or_si128(_mm_cmpeq_epi8(v, vA), _mm_cmpeq_epi8(v, vB))));
        if (nHits != 0) return p + __builtin_ctz(nHits);
    }
#endif
    for (; p < pEnd; ++p) {
        if (*p == a || *p == b) return p;
    }
    return pEnd;
}

// The first byte in [p, pEnd) that is a, b or c; pEnd when there is none.
inline const char* FindAnyOfThreeBytes(const char* p, const char* pEnd, char a, char b, char c) {
#if defined(__SSE2__)
    const __m128i vA = _mm_set1_epi8(a), vB = _mm_set1_epi8(b), vC = _mm_set1_epi8(c);
    for (; pEnd - p >= 16; p += 16) {
        __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
        __m128i vHits = _mm_or_si128(_mm_or_si128(_mm_cmpeq_epi8(v, vA), _mm_cmpeq_epi8(v, vB)), _mm_cmpeq_epi8(v, vC));
        unsigned nHits = static_cast<unsigned>(_mm_movemask_epi8(vHits));
        if (nHits != 0) return p + __builtin_ctz(nHits);
    }
#endif
    for (; p < pEnd; ++p) {
        if (*p == a || *p == b || *p == c) return p;
    }
    return pEnd;
}

// The first byte in [p, pEnd) that is cOther ('\0' for none), or is no printable ASCII (below 0x20,
// or from 0x80) other than the controls cAllowed1 and cAllowed2 (' ' for none); pEnd when there is
// none. What comes before it a decoder passes as it stands. The bytes from pFrom (at most p) may be
// read too: a last piece shorter than 16 bytes is then looked at in the 16 that end at pEnd.
inline const char* FindNotPlainAscii(const char* pFrom, const char* p, const char* pEnd, char cOther, char cAllowed1,
                                     char cAllowed2) {
#if defined(__SSE2__)
    const __m128i vSpace = _mm_set1_epi8(0x20), vOther = _mm_set1_epi8(cOther);
    const __m128i vAllowed1 = _mm_set1_epi8(cAllowed1), vAllowed2 = _mm_set1_epi8(cAllowed2);
    auto Hits = [&](const char* pBlock) {
        __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(pBlock));
        // Signed, bytes from 0x80 are below 0x20 too.
        __m128i vLow = _mm_cmplt_epi8(v, vSpace);
        __m128i vAllowed = _mm_or_si128(_mm_cmpeq_epi8(v, vAllowed1), _mm_cmpeq_epi8(v, vAllowed2));
        __m128i vHits = _mm_or_si128(_mm_andnot_si128(vAllowed, vLow), _mm_cmpeq_epi8(v, vOther));
        return static_cast<unsigned>(_mm_movemask_epi8(vHits));
    };
    for (; pEnd - p >= 16; p += 16) {
        unsigned nHits = Hits(p);
        if (nHits != 0) return p + __builtin_ctz(nHits);
    }
    if (p < pEnd && pEnd - pFrom >= 16) {
        // The block's first bytes, before p, were looked at already.
        unsigned nHits = Hits(pEnd - 16) >> (16 - (pEnd - p));
        return nHits != 0 ? p + __builtin_ctz(nHits) : pEnd;
    }
#else
    (void)pFrom;
#endif
    for (; p < pEnd; ++p) {
        unsigned char c = static_cast<unsigned char>(*p);
        if (((c < 0x20 || c >= 0x80) && *p != cAllowed1 && *p != cAllowed2) || *p == cOther) return p;
    }
    return pEnd;
}

// The first byte in [p, pEnd) that is zero or from 0x80; pEnd when there is none.
inline const char* FindZeroOrHighByte(const char* p, const char* pEnd) {
#if defined(__SSE2__)
    const __m128i vZero = _mm_setzero_si128();
    for (; pEnd - p >= 16; p += 16) {
        __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
        unsigned nHits = static_cast<unsigned>(_mm_movemask_epi8(v) | _mm_movemask_epi8(_mm_cmpeq_epi8(v, vZero)));
        if (nHits != 0) return p + __builtin_ctz(nHits);
    }
#endif
    for (; p < pEnd; ++p) {
        if (*p == '\0' || static_cast<unsigned char>(*p) >= 0x80) return p;
    }
    return pEnd;
}

// Whether [p, pEnd) holds no tab, line feed or carriage return and no two spaces together: text
// whose white space is single spaces, which collapsing leaves as it stands.
inline bool IsSingleSpaced(const char* p, const char* pEnd) {
    bool bSpaceBefore = false;
#if defined(__SSE2__)
    const __m128i vSpace = _mm_set1_epi8(' '), vTab = _mm_set1_epi8('\t'), vLineFeed = _mm_set1_epi8('\n');
    const __m128i vReturn = _mm_set1_epi8('\r');
    unsigned nCarry = 0;  // the block before ended with a space
    for (; pEnd - p >= 16; p += 16) {
        __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
        __m128i vControls = _mm_or_si128(_mm_or_si128(_mm_cmpeq_epi8(v, vTab), _mm_cmpeq_epi8(v, vLineFeed)),
                                         _mm_cmpeq_epi8(v, vReturn));
        unsigned nSpaces = static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi8(v, vSpace)));
        if (_mm_movemask_epi8(vControls) != 0 || (nSpaces & ((nSpaces << 1) | nCarry)) != 0) return false;
        nCarry = nSpaces >> 15;
    }
    bSpaceBefore = nCarry != 0;
#endif
    for (; p < pEnd; ++p) {
        if (*p == '\t' || *p == '\n' || *p == '\r' || (*p == ' ' && bSpaceBefore)) return false;
        bSpaceBefore = *p == ' ';
    }
    return true;
}
