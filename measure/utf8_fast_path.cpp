#include "measure/utf8_fast_path.h"

#include <stdint.h>

#include <atomic>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "measure/first_plane_fast_path.h"
#include "measure/utf8_sequence.h"

namespace {

// The first bytes whose next byte the vector widening must check against their own range: those
// of two and three bytes whose range is narrower than a continuation byte's, and those that begin
// nothing, read from the table of first bytes.
struct NarrowLeads {
    unsigned char leads[8];
    size_t nLeads;
};

constexpr NarrowLeads FindNarrowLeads() {
    NarrowLeads narrow{};
    for (unsigned c = 0xC0; c < 0xF0; ++c) {
        Utf8Lead lead = Utf8LeadOf(static_cast<unsigned char>(c));
        if (lead.nLower != 0x80 || lead.nUpper != 0xBF) narrow.leads[narrow.nLeads++] = static_cast<unsigned char>(c);
    }
    return narrow;
}

constexpr NarrowLeads kNarrowLeads = FindNarrowLeads();
static_assert(kNarrowLeads.nLeads <= sizeof(kNarrowLeads.leads), "the narrow first bytes fit");

#if defined(__SSE2__)
// The bytes of x that follow a first byte whose next byte must fall in a narrower range (no
// overlong form, no surrogate) and fall outside it, or that follow a byte that begins nothing, as
// the table of first bytes has them; before1 is x moved up a byte.
inline unsigned OutsideNarrowRanges(__m128i x, __m128i before1) {
    __m128i outside = _mm_setzero_si128();
    for (size_t k = 0; k < kNarrowLeads.nLeads; ++k) {
        Utf8Lead lead = Utf8LeadOf(kNarrowLeads.leads[k]);
        __m128i after = _mm_cmpeq_epi8(before1, _mm_set1_epi8(static_cast<char>(kNarrowLeads.leads[k])));
        __m128i clamped = _mm_min_epu8(_mm_max_epu8(x, _mm_set1_epi8(static_cast<char>(lead.nLower))),
                                       _mm_set1_epi8(static_cast<char>(lead.nUpper)));
        outside = _mm_or_si128(outside, _mm_andnot_si128(_mm_cmpeq_epi8(clamped, x), after));
    }
    return static_cast<unsigned>(_mm_movemask_epi8(outside));
}
#endif

// The length of the well-formed sequence at p (n > 0) when the first-plane fast path may take it widened
// (one to three bytes, not U+0000), writing its code point at *pUnit; 0 otherwise.
inline size_t WidenableLength(const unsigned char* p, size_t n, char16_t* pUnit) {
    if (p[0] < 0x80) {
        *pUnit = p[0];
        return p[0] != 0;
    }
    uint32_t nCodePoint;
    bool bWellFormed;
    size_t nLength = ReadUtf8Sequence(p, n, &nCodePoint, &bWellFormed);
    if (!bWellFormed || nLength > 3) return 0;
    *pUnit = static_cast<char16_t>(nCodePoint);
    return nLength;
}

// Widens the leading well-formed UTF-8 of p to units, one a byte: an ASCII byte is itself, the
// last byte of a sequence of two or three bytes is its code point and the bytes before it are
// fillers. Stops (returning how many bytes it took, at most nMax) at U+0000, at a sequence of four
// bytes, at anything ill-formed and at a sequence cut by the end: those are for the scalar reference path.
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
        // Without a branch: about half the blocks of Cyrillic or Greek end inside a sequence.
        unsigned nLength = static_cast<unsigned>(__builtin_ctz((nLead2 & 0x8000) | (nLead3 & 0xC000) | 0x10000));
        if (nLength == 0) break;
        __m128i before1 = _mm_slli_si128(x, 1), before2 = _mm_slli_si128(x, 2);
        unsigned nKept = nLength == 16 ? 0xFFFF : (1u << nLength) - 1;
        if ((OutsideNarrowRanges(x, before1) & nKept) != 0) break;
        // Each byte read with the one or two before it, as 16-bit lanes.
        __m128i ends2 = _mm_slli_si128(lead2, 1), ends3 = _mm_slli_si128(lead3, 2);
        __m128i ascii = _mm_cmplt_epi8(x, zero);  // the top bit: not ASCII
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
            __m128i unit = _mm_set1_epi16(static_cast<short>(kFillerUnit));
            unit = _mm_or_si128(_mm_andnot_si128(isEnd2, unit), _mm_and_si128(isEnd2, two));
            unit = _mm_or_si128(_mm_andnot_si128(isEnd3, unit), _mm_and_si128(isEnd3, three));
            unit = _mm_or_si128(_mm_and_si128(isHigh, unit), _mm_andnot_si128(isHigh, b0));
            _mm_storeu_si128(reinterpret_cast<__m128i*>(pUnits + i + 8 * nHalf), unit);
        }
        i += nLength;
    }
#endif
    // The rest, a sequence at a time.
    while (i < nMax && i < n) {
        char16_t unit;
        size_t nLength = WidenableLength(p + i, n - i, &unit);
        if (nLength == 0 || i + nLength > nMax) break;
        for (size_t k = 0; k + 1 < nLength; ++k) pUnits[i + k] = kFillerUnit;
        pUnits[i + nLength - 1] = unit;
        i += nLength;
    }
    return i;
}

#if defined(__SSE2__)
// Bytes 0, 3, 6, 9 and 12 of five sequences of three, and the rest of their 15.
const unsigned kFiveLeads = 0x1249, kFiveContinuations = 0x6DB6;

// Whether the first 15 bytes of x are the first and continuation bytes of five sequences of three.
inline bool FiveThreeByteSequences(__m128i x) {
    unsigned nLead3 = static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi8(
        _mm_and_si128(x, _mm_set1_epi8(static_cast<char>(0xF0))), _mm_set1_epi8(static_cast<char>(0xE0)))));
    unsigned nCont = static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi8(
        _mm_and_si128(x, _mm_set1_epi8(static_cast<char>(0xC0))), _mm_set1_epi8(static_cast<char>(0x80)))));
    return (nLead3 & 0x7FFF) == kFiveLeads && (nCont & 0x7FFF) == kFiveContinuations;
}

// Widens five well-formed sequences of three bytes at p (16 bytes may be read) to five units;
// returns false, writing nothing, unless the first 15 bytes are just that.
inline bool WidenThreeByteBlock(const unsigned char* p, char16_t* pUnits) {
    __m128i x = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
    if (!FiveThreeByteSequences(x)) return false;
    if ((OutsideNarrowRanges(x, _mm_slli_si128(x, 1)) & (kFiveLeads << 1)) != 0) return false;
    for (int k = 0; k < 5; ++k) {
        const unsigned char* pSequence = p + 3 * k;
        pUnits[k] = static_cast<char16_t>(((pSequence[0] & 0x0Fu) << 12) | ((pSequence[1] & 0x3Fu) << 6) |
                                          (pSequence[2] & 0x3Fu));
    }
    return true;
}
#endif

// Widens the leading well-formed UTF-8 of p to one unit a code point (sequences of one to three
// bytes), at most nMax units; *pnBytes tells how many bytes they took. Stops where WidenUtf8 does.
size_t WidenUtf8Compact(const unsigned char* p, size_t n, char16_t* pUnits, size_t nMax, size_t* pnBytes) {
    size_t i = 0, k = 0;
    while (k < nMax && i < n) {
#if defined(__SSE2__)
        if (i + 16 <= n && k + 5 <= nMax && WidenThreeByteBlock(p + i, pUnits + k)) {
            i += 15;
            k += 5;
            continue;
        }
#endif
        size_t nLength = WidenableLength(p + i, n - i, pUnits + k);
        if (nLength == 0) break;
        i += nLength;
        ++k;
    }
    *pnBytes = i;
    return k;
}

// Whether the text ahead is written mostly in sequences of three bytes (Chinese, Japanese): then
// one unit a code point serves the fast path better than one a byte, whose fillers would outnumber
// the characters two to one.
inline bool ThreeByteText(const unsigned char* p, size_t n) {
    size_t nLook = n < 16 ? n : 16;
    int nLeads = 0;
    for (size_t i = 0; i < nLook; ++i) nLeads += (p[i] & 0xF0) == 0xE0;
    return nLeads >= 3;
}

ByteCompactions compactions;
std::atomic<bool> compactionsMade(false);

}  // namespace

const ByteCompactions& Utf8ByteCompactions() {
    if (!compactionsMade.load(std::memory_order_acquire)) {
        for (unsigned m = 0; m < 256; ++m) {
            uint64_t nShuffle = 0;
            unsigned k = 0;
            for (unsigned b = 0; b < 8; ++b) {
                if ((m >> b) & 1) nShuffle |= static_cast<uint64_t>(b) << (8 * k++);
            }
            compactions.shuffles[m] = nShuffle;
            compactions.counts[m] = static_cast<uint8_t>(k);
        }
        compactionsMade.store(true, std::memory_order_release);
    }
    return compactions;
}

size_t ThreeByteRunLength(const unsigned char* p, size_t n) {
    size_t i = 0;
#if defined(__SSE2__)
    while (i + 16 <= n && FiveThreeByteSequences(_mm_loadu_si128(reinterpret_cast<const __m128i*>(p + i)))) i += 15;
#else
    for (; i + 16 <= n; i += 15) {
        bool bFive = true;
        for (size_t k = 0; k < 15; ++k) bFive = bFive && (p[i + k] & (k % 3 == 0 ? 0xF0 : 0xC0)) == (k % 3 == 0 ? 0xE0 : 0x80);
        if (!bFive) break;
    }
#endif
    return i;
}

// UTF-8 on the first-plane fast path: widened a few hundred bytes at a time and taken as UTF-16.
// The first widening of a run is short: in text that leaves the fast path often (an emoji mark after
// every ideograph, decomposed Hangul), what the fast path does not take is widened for nothing.
size_t RunFastUtf8(CharacterState* s, const unsigned char* p, size_t n, unsigned char** pq, bool bByteBefore) {
    unsigned char* const pStart = *pq;
    enum { kUnits = 256, kFirstUnits = 32 };
    char16_t units[kUnits];
    size_t nWant = kFirstUnits;
    size_t i = 0;
    for (;;) {
        // Where the widening stopped at its limit, the fast path leaves a last part shorter than a
        // block to be widened again with what follows.
        size_t k, nBytes, nTaken, nEnd = i;
        bool bCompact = ThreeByteText(p + i, n - i);
        if (bCompact) {
            k = WidenUtf8Compact(p + i, n - i, units, nWant, &nBytes);
        } else {
            k = nBytes = WidenUtf8(p + i, n - i, units, nWant);
        }
        bool bMore = k == nWant;
        nTaken = k != 0 ? RunFastUtf16<true>(s, units, k, pq, bByteBefore || *pq != pStart, bMore) : 0;
        if (nTaken == k) {
            nEnd += nBytes;
        } else if (bCompact) {
            // Back to the byte where the fast path stopped: the length of each sequence taken.
            for (size_t u = 0; u < nTaken; ++u) nEnd += p[nEnd] < 0x80 ? 1 : p[nEnd] < 0xE0 ? 2 : 3;
        } else {
            // The fast path stops at a character's last byte, or at a filler it cannot take: the
            // scalar reference path starts again at the sequence's first byte (the fillers taken changed
            // nothing).
            nEnd += nTaken;
            while (nEnd > i && (p[nEnd] & 0xC0) == 0x80) --nEnd;
        }
        if (!bMore || nEnd == i || k - nTaken >= kFastBlock) return nEnd;
        i = nEnd;
        nWant = kUnits;
    }
}
