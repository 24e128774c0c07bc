#include "measure/first_plane_fast_path.h"

#include <stdint.h>

#include <atomic>
#if defined(__SSE2__)
#include <emmintrin.h>

#include "measure/word_bytes_sse2.h"
#endif

#include "measure/character_steps.h"
#include "measure/text_measure.h"

namespace {

// A run of ASCII this long goes back to the vector copy.
const int kAsciiRunForVectors = 12;

// The codes' table (first_plane_fast_path.h), made from the three-level table at the first use,
// into static storage: the program's file stays small.
uint8_t fastCodes[0x10000];
FirstPlaneRanges fastRanges;
std::atomic<bool> fastCodesMade(false);

// Whether the codes of nCount code points from nFirst are all nCode.
bool AllCoded(uint32_t nFirst, uint32_t nCount, uint8_t nCode) {
    for (uint32_t c = nFirst; c < nFirst + nCount; ++c) {
        if (fastCodes[c] != nCode) return false;
    }
    return true;
}

const uint8_t* FastCodes() {
    if (!fastCodesMade.load(std::memory_order_acquire)) {
        for (uint32_t c = 0; c < 0x10000; ++c) {
            uint8_t nClasses = BmpClasses(c);
            GraphemeClass g = GraphemeOf(nClasses);
            MeasureKind k = KindOf(nClasses);
            uint8_t nCode = kFastStop;
            if (k == kKindEmojiMark || k == kKindJoiner) {
                nCode = kFastStop;
            } else if (g == kGraphemeExtend || g == kGraphemeSpacingMark) {
                nCode = kFastExtends;
            } else if (g == kGraphemeOther) {
                nCode = k == kKindIdeograph ? static_cast<uint8_t>(kFastIdeograph)
                        : c < 0x80          ? static_cast<uint8_t>(c)
                                            : kKindBytes[k];
            } else if (c < 0x80 && c != 0) {
                nCode = static_cast<uint8_t>(c);  // the ASCII controls, CR and LF among them, as themselves
            }
            fastCodes[c] = nCode;
        }
        fastCodes[kFillerUnit] = kFastFiller;
        for (uint32_t nLead = 0; nLead < 32; ++nLead) {
            uint8_t nCode = fastCodes[nLead << 6];
            fastRanges.lead2[nLead] = nCode != kFastFiller && AllCoded(nLead << 6, 64, nCode) ? nCode : uint8_t(kFastFiller);
        }
        bool bIdeographs = AllCoded(0x4E00, 0xA000 - 0x4E00, kFastIdeograph);
        fastRanges.nIdeographsFirst = 0x4E;
        fastRanges.nIdeographsLast = bIdeographs ? 0x9F : 0x4D;
        fastCodesMade.store(true, std::memory_order_release);
    }
    return fastCodes;
}

// Takes one code point on the first-plane fast path, with one branch for leaving it; returns false, taking
// nothing, for a code point that is not for this fast path. Every character begun writes one byte, so
// the bytes written count the characters. A mark after a control begins a character of its own:
// that is for the scalar reference path.
template <bool kFillers>
inline bool TakeFast(uint32_t nCodePoint, unsigned nCode, unsigned char*& q, FastRun& run, int& nAscii) {
    // A filler (widened UTF-8 only) changes nothing; in real UTF-16 it is a lone surrogate.
    if (nCode == kFastFiller) return kFillers;
    nAscii = nCodePoint < 0x80 ? nAscii + 1 : 0;
    bool bMarkAfterControl = nCode == kFastExtends && FastRun::StopsMarks(run.nLastTaken);
    if (nCode == kFastStop || nAscii >= kAsciiRunForVectors || bMarkAfterControl) return false;
    bool bIdeograph = nCode == kFastIdeograph;
    bool bBegins = nCode != kFastExtends;
    *q = bIdeograph ? static_cast<unsigned char>('!') : static_cast<unsigned char>(nCode);
    q += bBegins;
    run.nIdeographs += bIdeograph;
    run.nLastBegun = bBegins ? static_cast<int>(nCode) : run.nLastBegun;
    run.nLastTaken = nCode;
    return true;
}

#if defined(__SSE2__)
// Turns the fillers of a block of 32 codes into 0x80 after a word byte and 0xFF after any other.
// A filler's character is the one before its sequence: one byte back, or two for the middle byte
// of a three-byte sequence (two fillers in a row). bWordBefore is the word-ness of q[-1].
inline void FillBlock(unsigned char* q, bool bWordBefore) {
    __m128i a = _mm_loadu_si128(reinterpret_cast<const __m128i*>(q));
    __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i*>(q + 16));
    __m128i filler = _mm_set1_epi8(static_cast<char>(kFastFiller));
    __m128i fillersA = _mm_cmpeq_epi8(a, filler), fillersB = _mm_cmpeq_epi8(b, filler);
    __m128i wordA = WordBytesSse2(a), wordB = WordBytesSse2(b);
    __m128i before = _mm_cvtsi32_si128(bWordBefore ? 0xFF : 0);
    __m128i word1A = _mm_or_si128(_mm_slli_si128(wordA, 1), before);
    __m128i word1B = _mm_or_si128(_mm_slli_si128(wordB, 1), _mm_srli_si128(wordA, 15));
    __m128i word2A = _mm_or_si128(_mm_slli_si128(wordA, 2), _mm_slli_si128(before, 1));
    __m128i word2B = _mm_or_si128(_mm_slli_si128(wordB, 2), _mm_srli_si128(wordA, 14));
    __m128i filler1A = _mm_slli_si128(fillersA, 1);
    __m128i filler1B = _mm_or_si128(_mm_slli_si128(fillersB, 1), _mm_srli_si128(fillersA, 15));
    __m128i wordOfA = _mm_or_si128(_mm_and_si128(filler1A, word2A), _mm_andnot_si128(filler1A, word1A));
    __m128i wordOfB = _mm_or_si128(_mm_and_si128(filler1B, word2B), _mm_andnot_si128(filler1B, word1B));
    // The separating filler, less the low bits after a word byte: the word filler.
    __m128i all = _mm_set1_epi8(static_cast<char>(kSeparatingFiller)), low = _mm_set1_epi8(kSeparatingFiller ^ kWordFiller);
    __m128i bytesA = _mm_xor_si128(all, _mm_and_si128(wordOfA, low)), bytesB = _mm_xor_si128(all, _mm_and_si128(wordOfB, low));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(q), _mm_or_si128(_mm_andnot_si128(fillersA, a), _mm_and_si128(fillersA, bytesA)));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(q + 16),
                     _mm_or_si128(_mm_andnot_si128(fillersB, b), _mm_and_si128(fillersB, bytesB)));
}
#endif

// The set bits of a block's mask. Without a popcount instruction (not every processor the program
// runs on has one) the compiler calls a library routine; most masks here are empty.
inline int CountBits(uint32_t n) {
    if (n == 0) return 0;
    n -= (n >> 1) & 0x55555555u;
    n = (n & 0x33333333u) + ((n >> 2) & 0x33333333u);
    n = (n + (n >> 4)) & 0x0F0F0F0Fu;
    return static_cast<int>((n * 0x01010101u) >> 24);
}

#if defined(__SSE2__)
// The codes of 16 units, as one vector.
inline __m128i GatherCodes(const char16_t* p, const uint8_t* pCodes) {
    uint32_t nWords[4];
    for (int w = 0; w < 4; ++w) {
        const char16_t* pUnits = p + 4 * w;
        nWords[w] = static_cast<uint32_t>(pCodes[pUnits[0]]) | static_cast<uint32_t>(pCodes[pUnits[1]]) << 8 |
                    static_cast<uint32_t>(pCodes[pUnits[2]]) << 16 | static_cast<uint32_t>(pCodes[pUnits[3]]) << 24;
    }
    return _mm_setr_epi32(static_cast<int>(nWords[0]), static_cast<int>(nWords[1]), static_cast<int>(nWords[2]),
                          static_cast<int>(nWords[3]));
}
#endif

// Writes the codes of a block at q. Returns how many of its units it took (up to its last
// character begun before any stop, so that the open character's byte is the last written), and in
// *pnQuiet how many of those begin no character (marks, and with bFillers the fillers of widened
// UTF-8); -1 when it takes none, or when a mark follows a control (it then begins a character of
// its own). Ideographs become '!' and are counted; marks and fillers become a byte that takes the
// word-ness of the byte before it and no column: 0x80 (continues a word) or 0xFF (separates).
// bControlBefore tells whether the code point before the block is a control, bByteBefore whether
// q[-1] may be read.
inline int PlainBlock(const char16_t* p, const uint8_t* pCodes, unsigned char* q,
                                                     int64_t* pnIdeographs, int* pnQuiet, bool bControlBefore,
                                                     bool bByteBefore, bool bFillers) {
    unsigned nStops = 0, nMarks = 0, nFillers = 0, nIdeographs = 0;
#if defined(__SSE2__)
    // The codes are gathered into registers: bytes stored one by one and loaded again as a
    // vector would wait for the stores to retire.
    __m128i a = GatherCodes(p, pCodes), b = GatherCodes(p + 16, pCodes);
    _mm_storeu_si128(reinterpret_cast<__m128i*>(q), a);
    _mm_storeu_si128(reinterpret_cast<__m128i*>(q + 16), b);
    __m128i zero = _mm_setzero_si128(), stop = _mm_set1_epi8(static_cast<char>(kFastStop));
    __m128i filler = _mm_set1_epi8(static_cast<char>(kFastFiller));
    __m128i ideograph = _mm_set1_epi8(static_cast<char>(kFastIdeograph));
    nStops = static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi8(a, stop))) |
             static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi8(b, stop))) << 16;
    nMarks = static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi8(a, zero))) |
             static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi8(b, zero))) << 16;
    nFillers = static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi8(a, filler))) |
               static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi8(b, filler))) << 16;
    __m128i ideographsA = _mm_cmpeq_epi8(a, ideograph), ideographsB = _mm_cmpeq_epi8(b, ideograph);
    nIdeographs = static_cast<unsigned>(_mm_movemask_epi8(ideographsA)) |
                  static_cast<unsigned>(_mm_movemask_epi8(ideographsB)) << 16;
#else
    for (size_t k = 0; k < kFastBlock; ++k) q[k] = pCodes[p[k]];
    for (size_t k = 0; k < kFastBlock; ++k) {
        nStops |= (q[k] == kFastStop ? 1u : 0u) << k;
        nMarks |= (q[k] == kFastExtends ? 1u : 0u) << k;
        nFillers |= (q[k] == kFastFiller ? 1u : 0u) << k;
        nIdeographs |= (q[k] == kFastIdeograph ? 1u : 0u) << k;
    }
#endif
    if (!bFillers) {
        nStops |= nFillers;
        nFillers = 0;
    }
    unsigned nQuiet = nMarks | nFillers;
    // What comes before the first stop is taken here; the stop is the scalar reference path's.
    unsigned nBeforeStop = nStops != 0 ? (1u << __builtin_ctz(nStops)) - 1 : 0xFFFFFFFFu;
    // The block ends on a character begun, whose byte is then the last written: marks and fillers
    // at its end are left for the next block.
    unsigned nBegins = ~nQuiet & nBeforeStop;
    if (nBegins == 0) return -1;
    unsigned nUnits = 32 - static_cast<unsigned>(__builtin_clz(nBegins));
    unsigned nKept = nUnits == 32 ? 0xFFFFFFFFu : (1u << nUnits) - 1;
    nQuiet &= nKept;
    nMarks &= nKept;
    nIdeographs &= nKept;
#if defined(__SSE2__)
    if (nIdeographs != 0) {
        __m128i flip = _mm_set1_epi8(static_cast<char>(kFastIdeograph ^ '!'));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(q), _mm_xor_si128(a, _mm_and_si128(ideographsA, flip)));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(q + 16), _mm_xor_si128(b, _mm_and_si128(ideographsB, flip)));
    }
#else
    for (unsigned nRest = nIdeographs; nRest != 0; nRest &= nRest - 1) q[__builtin_ctz(nRest)] = '!';
#endif
#if defined(__SSE2__)
    if (nMarks == 0 && nFillers != 0 && bByteBefore) {
        // Fillers only (widened UTF-8 without marks): each takes the word-ness of the character
        // before its sequence, one or two bytes back, all at once.
        FillBlock(q, IsWordByte(q[-1]));
        *pnIdeographs += CountBits(nIdeographs);
        *pnQuiet = CountBits(nQuiet);
        return static_cast<int>(nUnits);
    }
#endif
    // In order, so that each sees the byte written before it.
    for (unsigned nRest = nQuiet; nRest != 0; nRest &= nRest - 1) {
        int j = __builtin_ctz(nRest);
        if (j == 0 && !bByteBefore) return -1;
        if ((nMarks >> j) & 1) {
            // The code point before the mark: fillers before it stand for the mark's own bytes.
            int k = j - 1;
            while (k >= 0 && ((nFillers >> k) & 1)) --k;
            if (k >= 0 ? FastRun::StopsMarks(q[k]) : bControlBefore) return -1;
        }
        q[j] = IsWordByte(q[j - 1]) ? kWordFiller : kSeparatingFiller;
    }
    *pnIdeographs += CountBits(nIdeographs);
    *pnQuiet = CountBits(nQuiet);
    return static_cast<int>(nUnits);
}

// Whether a block is ASCII only: then the vector copy is the faster path.
inline bool AsciiBlock(const char16_t* p) {
#if defined(__SSE2__)
    const __m128i* pUnits = reinterpret_cast<const __m128i*>(p);
    __m128i all = _mm_or_si128(_mm_or_si128(_mm_loadu_si128(pUnits), _mm_loadu_si128(pUnits + 1)),
                               _mm_or_si128(_mm_loadu_si128(pUnits + 2), _mm_loadu_si128(pUnits + 3)));
    __m128i high = _mm_and_si128(all, _mm_set1_epi16(static_cast<short>(0xFF80)));
    return _mm_movemask_epi8(_mm_cmpeq_epi16(high, _mm_setzero_si128())) == 0xFFFF;
#else
    unsigned nAll = 0;
    for (size_t k = 0; k < kFastBlock; ++k) nAll |= p[k];
    return nAll < 0x80;
#endif
}

}  // namespace

const uint8_t* FirstPlaneCodes() { return FastCodes(); }

const FirstPlaneRanges& FirstPlaneUniformRanges() {
    FastCodes();
    return fastRanges;
}

// U+0000 and the surrogates stop at the table: the fast path leaves them to the scalar reference path without
// a test of its own. Kept out of line, so that its loops have the registers. A long run of ASCII
// ends the fast path, for the vector copy to take. kFillers: the units are widened UTF-8.
template <bool kFillers>
__attribute__((noinline)) size_t RunFastUtf16(CharacterState* s, const char16_t* p, size_t n, unsigned char** pq,
                                              bool bByteBefore, bool bMore) {
    const uint8_t* pCodes = FastCodes();
    unsigned char* q = *pq;
    FastRun run = {0, FastPathCodeBefore(*s), -1, 0};
    int nAscii = 0;
    size_t i = 0;
    for (;;) {
        // Whole blocks of plain characters (letters, spaces and punctuation of most scripts);
        // long runs of ASCII go back to the vector copy.
        for (int nUnits, nQuiet; i + kFastBlock <= n &&
                                 (nUnits = PlainBlock(p + i, pCodes, q, &run.nIdeographs, &nQuiet,
                                                      FastRun::StopsMarks(run.nLastTaken), q != *pq || bByteBefore,
                                                      kFillers)) > 0;) {
            bool bAscii = AsciiBlock(p + i);
            run.nLastBegun = pCodes[p[i + nUnits - 1]];
            run.nLastTaken = static_cast<unsigned>(run.nLastBegun);
            run.nFillers += nQuiet;
            // A whole block is the common case: the next block's loads then need not wait for this
            // block's sums.
            if (__builtin_expect(nUnits == static_cast<int>(kFastBlock), 1)) {
                i += kFastBlock;
                q += kFastBlock;
            } else {
                __asm__("" : "+r"(nUnits));
                i += static_cast<size_t>(nUnits);
                q += nUnits;
            }
            nAscii = 0;
            if (bAscii) {
                run.End(s, static_cast<size_t>(q - *pq));
                *pq = q;
                return i;
            }
        }
        // One at a time up to the next block, or until the fast path ends.
        if (bMore && i + kFastBlock > n) break;
        size_t nEnd = i + kFastBlock < n ? i + kFastBlock : n;
        for (; i < nEnd; ++i) {
            uint32_t u = p[i];
            if (!TakeFast<kFillers>(u, pCodes[u], q, run, nAscii)) {
                run.End(s, static_cast<size_t>(q - *pq));
                *pq = q;
                return i;
            }
        }
        if (i == n) break;
    }
    run.End(s, static_cast<size_t>(q - *pq));
    *pq = q;
    return i;
}

template size_t RunFastUtf16<true>(CharacterState* s, const char16_t* p, size_t n, unsigned char** pq,
                                    bool bByteBefore, bool bMore);
template size_t RunFastUtf16<false>(CharacterState* s, const char16_t* p, size_t n, unsigned char** pq,
                                    bool bByteBefore, bool bMore);
