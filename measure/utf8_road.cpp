#include "measure/utf8_road.h"

#include <stdint.h>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "measure/common_road.h"
#include "measure/surrogates.h"

namespace {

// Widens the leading well-formed UTF-8 of p to units, one a byte: an ASCII byte is itself, the
// last byte of a sequence of two or three bytes is its code point and the bytes before it are
// fillers. Stops (answering how many bytes it took, at most nMax) at U+0000, at a sequence of four
// bytes, at anything ill-formed and at a sequence cut by the end: those are for the careful path.
size_t WidenUtf8(const unsigned char* p, size_t n, char16_t* pUnits, size_t nMax) {
    size_t i = 0;
#if defined(__SSE2__)
    const __m128i zero = _mm_setzero_si128();
    while (i + 16 <= nMax && i + 16 <= n) {
        __m128i x = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + i));
        unsigned nAscii = ~static_cast<unsigned>(_mm_movemask_epi8(x)) & 0xFFFF;
        __m128i lead2 = _mm_cmpeq_epi8(_mm_and_si128(x, _mm_set1_epi8(static_cast<char>(0xE0))),
                                       _mm_set1_epi8(static_cast<char>(0xC0)));
        __m128i lead3 = _mm_cmpeq_epi8(_mm_and_si128(x, _mm_set1_epi8(static_cast<char>(0xF0))),
                                       _mm_set1_epi8(static_cast<char>(0xE0)));
        unsigned nLead2 = static_cast<unsigned>(_mm_movemask_epi8(lead2));
        unsigned nLead3 = static_cast<unsigned>(_mm_movemask_epi8(lead3));
        unsigned nCont = static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi8(
            _mm_and_si128(x, _mm_set1_epi8(static_cast<char>(0xC0))), _mm_set1_epi8(static_cast<char>(0x80)))));
        unsigned nZero = static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi8(x, zero)));
        unsigned nExpected = (nLead2 << 1) | (nLead3 << 1) | (nLead3 << 2);
        if (nZero != 0 || (nAscii | nLead2 | nLead3 | nCont) != 0xFFFF || (nExpected & 0xFFFF) != nCont) break;
        // A sequence that runs past the block ends it early; the next block begins with it.
        unsigned nLength = 16;
        if ((nExpected >> 16) != 0) nLength = static_cast<unsigned>(__builtin_ctz((nLead2 & 0x8000) | (nLead3 & 0xC000)));
        if (nLength == 0) break;
        // Each byte read with the one or two before it, as 16-bit lanes.
        __m128i before1 = _mm_slli_si128(x, 1), before2 = _mm_slli_si128(x, 2);
        __m128i ends2 = _mm_slli_si128(lead2, 1), ends3 = _mm_slli_si128(lead3, 2);
        __m128i ascii = _mm_cmplt_epi8(x, zero);  // the top bit: not ASCII
        bool bBad = false;
        for (int nHalf = 0; nHalf < 2; ++nHalf) {
            __m128i b0 = nHalf ? _mm_unpackhi_epi8(x, zero) : _mm_unpacklo_epi8(x, zero);
            __m128i b1 = nHalf ? _mm_unpackhi_epi8(before1, zero) : _mm_unpacklo_epi8(before1, zero);
            __m128i b2 = nHalf ? _mm_unpackhi_epi8(before2, zero) : _mm_unpacklo_epi8(before2, zero);
            __m128i isEnd2 = nHalf ? _mm_unpackhi_epi8(ends2, ends2) : _mm_unpacklo_epi8(ends2, ends2);
            __m128i isEnd3 = nHalf ? _mm_unpackhi_epi8(ends3, ends3) : _mm_unpacklo_epi8(ends3, ends3);
            __m128i isHigh = nHalf ? _mm_unpackhi_epi8(ascii, ascii) : _mm_unpacklo_epi8(ascii, ascii);
            __m128i six = _mm_set1_epi16(0x3F);
            __m128i two = _mm_or_si128(_mm_slli_epi16(_mm_and_si128(b1, _mm_set1_epi16(0x1F)), 6), _mm_and_si128(b0, six));
            __m128i three = _mm_or_si128(_mm_or_si128(_mm_slli_epi16(b2, 12), _mm_slli_epi16(_mm_and_si128(b1, six), 6)),
                                         _mm_and_si128(b0, six));
            // Overlong forms (two bytes below U+0080, three below U+0800) and encoded surrogates.
            __m128i overlong2 = _mm_and_si128(isEnd2, _mm_cmpeq_epi16(_mm_srli_epi16(two, 7), _mm_setzero_si128()));
            __m128i overlong3 = _mm_and_si128(isEnd3, _mm_cmpeq_epi16(_mm_srli_epi16(three, 11), _mm_setzero_si128()));
            __m128i surrogate = _mm_and_si128(
                isEnd3, _mm_cmpeq_epi16(_mm_and_si128(three, _mm_set1_epi16(static_cast<short>(0xF800))),
                                        _mm_set1_epi16(static_cast<short>(0xD800))));
            unsigned nBadLanes = static_cast<unsigned>(_mm_movemask_epi8(_mm_or_si128(_mm_or_si128(overlong2, overlong3), surrogate)));
            unsigned nKeep = nLength >= 8u * (nHalf + 1) ? 0xFFFF : nLength <= 8u * nHalf ? 0 : (1u << (2 * (nLength - 8 * nHalf))) - 1;
            if ((nBadLanes & nKeep) != 0) bBad = true;
            __m128i unit = _mm_set1_epi16(static_cast<short>(kFillerUnit));
            unit = _mm_or_si128(_mm_andnot_si128(isEnd2, unit), _mm_and_si128(isEnd2, two));
            unit = _mm_or_si128(_mm_andnot_si128(isEnd3, unit), _mm_and_si128(isEnd3, three));
            unit = _mm_or_si128(_mm_and_si128(isHigh, unit), _mm_andnot_si128(isHigh, b0));
            _mm_storeu_si128(reinterpret_cast<__m128i*>(pUnits + i + 8 * nHalf), unit);
        }
        if (bBad) break;
        i += nLength;
    }
#endif
    // The rest, a sequence at a time.
    while (i < nMax && i < n) {
        uint32_t b0 = p[i];
        if (b0 < 0x80) {
            if (b0 == 0) break;
            pUnits[i] = static_cast<char16_t>(b0);
            i += 1;
        } else if (b0 >= 0xC2 && b0 <= 0xDF && i + 2 <= nMax && i + 1 < n && (p[i + 1] & 0xC0) == 0x80) {
            pUnits[i] = kFillerUnit;
            pUnits[i + 1] = static_cast<char16_t>(((b0 & 0x1F) << 6) | (p[i + 1] & 0x3F));
            i += 2;
        } else if ((b0 & 0xF0) == 0xE0 && i + 3 <= nMax && i + 2 < n && (p[i + 1] & 0xC0) == 0x80 &&
                   (p[i + 2] & 0xC0) == 0x80) {
            uint32_t u = ((b0 & 0x0F) << 12) | ((p[i + 1] & 0x3Fu) << 6) | (p[i + 2] & 0x3Fu);
            if (u < 0x800 || IsSurrogate(u)) break;
            pUnits[i] = pUnits[i + 1] = kFillerUnit;
            pUnits[i + 2] = static_cast<char16_t>(u);
            i += 3;
        } else {
            break;
        }
    }
    return i;
}

// Widens the leading well-formed UTF-8 of p to one unit a code point (sequences of one to three
// bytes), at most nMax units; *pnBytes tells how many bytes they took. Stops where WidenUtf8 does.
size_t WidenUtf8Compact(const unsigned char* p, size_t n, char16_t* pUnits, size_t nMax, size_t* pnBytes) {
    size_t i = 0, k = 0;
    while (k < nMax && i < n) {
        uint32_t b0 = p[i];
        if (b0 < 0x80) {
            if (b0 == 0) break;
            pUnits[k++] = static_cast<char16_t>(b0);
            i += 1;
        } else if (b0 >= 0xC2 && b0 <= 0xDF && i + 1 < n && (p[i + 1] & 0xC0) == 0x80) {
            pUnits[k++] = static_cast<char16_t>(((b0 & 0x1F) << 6) | (p[i + 1] & 0x3F));
            i += 2;
        } else if ((b0 & 0xF0) == 0xE0 && i + 2 < n && (p[i + 1] & 0xC0) == 0x80 && (p[i + 2] & 0xC0) == 0x80) {
            uint32_t u = ((b0 & 0x0F) << 12) | ((p[i + 1] & 0x3Fu) << 6) | (p[i + 2] & 0x3Fu);
            if (u < 0x800 || IsSurrogate(u)) break;
            pUnits[k++] = static_cast<char16_t>(u);
            i += 3;
        } else {
            break;
        }
    }
    *pnBytes = i;
    return k;
}

// Whether the text ahead is written mostly in sequences of three bytes (Chinese, Japanese): then
// one unit a code point serves the road better than one a byte, whose fillers would outnumber
// the characters two to one.
inline bool ThreeByteText(const unsigned char* p, size_t n) {
    size_t nLook = n < 16 ? n : 16;
    int nLeads = 0;
    for (size_t i = 0; i < nLook; ++i) nLeads += (p[i] & 0xF0) == 0xE0;
    return nLeads >= 3;
}

}  // namespace

// UTF-8 on the common road: widened a few hundred bytes at a time and taken by the UTF-16 road.
// The first widening of a run is short: in text that leaves the road often (an emoji mark after
// every ideograph, decomposed Hangul), what the road does not take is widened for nothing.
size_t RunFastUtf8(CharacterState* s, const unsigned char* p, size_t n, unsigned char** pq, bool bByteBefore) {
    unsigned char* const pStart = *pq;
    enum { kUnits = 256, kFirstUnits = 32 };
    char16_t units[kUnits];
    size_t nWant = kFirstUnits;
    size_t i = 0;
    for (;;) {
        if (ThreeByteText(p + i, n - i)) {
            size_t nBytes;
            size_t k = WidenUtf8Compact(p + i, n - i, units, nWant, &nBytes);
            size_t nTaken = k != 0 ? RunFastUtf16<true>(s, units, k, pq, bByteBefore || *pq != pStart) : 0;
            if (nTaken == k) {
                i += nBytes;
                if (k == nWant) {
                    nWant = kUnits;
                    continue;
                }
                return i;
            }
            // Back to the byte where the road stopped: the length of each sequence taken.
            for (size_t u = 0; u < nTaken; ++u) i += p[i] < 0x80 ? 1 : p[i] < 0xE0 ? 2 : 3;
            return i;
        }
        size_t k = WidenUtf8(p + i, n - i, units, nWant);
        size_t nTaken = k != 0 ? RunFastUtf16<true>(s, units, k, pq, bByteBefore || *pq != pStart) : 0;
        if (nTaken == k && k == nWant) {
            i += k;
            nWant = kUnits;
            continue;
        }
        // The road stops at a character's last byte, or at a filler it cannot take: the careful
        // path starts again at the sequence's first byte (the fillers taken changed nothing).
        size_t nEnd = i + nTaken;
        if (nTaken < k) {
            while (nEnd > i && (p[nEnd] & 0xC0) == 0x80) --nEnd;
        }
        return nEnd;
    }
}
