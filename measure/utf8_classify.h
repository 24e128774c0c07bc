// UTF-8 classified as it stands for the first-plane fast path, a block of 16 or 32 bytes at a time,
// written once for every vector width. A file includes this with TQ_CLASSIFY_TARGET set to its
// function attribute and gives ClassifyUtf8 a type V of vector operations (a block is kWidth bytes):
//   Vec, kWidth                    the vector type and its bytes
//   Load(p), Store(p, x), Fill(c)  as named; Bits(x) the top bit of each byte, as bits
//   And, Or, Xor, AndNot(a, b)     bitwise (AndNot is ~a & b); Equal, SignedGreater, Add, Sub bytewise
//   Table(p), Lookup(table, x)     16 bytes from p as a table; the table's byte at each byte of x whose
//                                  top bit is clear, by its low nibble, and 0 at the others
//   Before<k>(x, previous)         x moved up k bytes, previous's last k bytes first
//   Up<k>(x), Down<k>(x)           each 16-bit lane shifted by k bits
//   Compact(q, x, m, compactions)  the bytes of x that m sets, one after another at q (up to kWidth
//                                  bytes are written); returns how many
//   kOneRegister                   a vector is one register, not a pair: then the steps that give
//                                  the uniform ranges' codes pay, and so does a vector kept for
//                                  later rather than made again; and then, for the other codes
//   Select(m, a, b)                a's bytes where m is set, b's elsewhere
//   LoadTwice(p)                   kWidth / 2 bytes from p, each twice in a row
//   FewBits(m)                     whether m has so few set bits that the codes of as many
//                                  sequences are loaded faster one by one than a pair at a time
//   and otherwise:
//   StoreUnits(pUnits, low, high)  the bytes of low and high paired into 16-bit units, in order
//   LowestBitOrWidth(m)            LowestBit(m), as an index
//   Opaque(x)                      x, which the compiler can no longer see through: a constant made
//                                  before the loop stays a register or a load from the stack, rather
//                                  than being made again in every block from immediates
//   Popcount(m)                    the set bits of a block's mask
//   LowestBit(m)                   the index of m's lowest set bit, kWidth when m is 0
//   UpToHighestBit(m)              the bits up to m's highest set bit and it, 0 when m is 0
//   BelowBit(k)                    the bits below bit k, all of them when k is 32 or more
//
// Each character begun gets its class byte, one after another, as the scalar reference path writes
// them: a block's bytes are compacted by byte shuffles, eight bytes at a time, so that no filler
// is written (and none counted by the kernel). The well-formed sequences are found as the fast
// validators find them, by three nibble lookups on each byte and the one before it, and one test
// on the byte two before. Their code points' codes come from the ranges of the first plane whose
// codes are all the same where they can (FirstPlaneUniformRanges), the rest from its table.
#pragma once
#ifndef TQ_CLASSIFY_TARGET
#error "a kernel defines TQ_CLASSIFY_TARGET before it includes measure/utf8_classify.h"
#endif
#include <emmintrin.h>
#include <stddef.h>
#include <stdint.h>

#include "measure/first_plane_fast_path.h"
#include "measure/utf8_fast_path.h"
#include "measure/utf8_sequence.h"

#define TQ_CLASSIFY_INLINE TQ_CLASSIFY_TARGET inline __attribute__((always_inline))

namespace {

// What a byte and the byte before it can say is wrong, a bit each: a sequence cut short, a
// continuation byte with no sequence, the overlong forms of two and three bytes, a surrogate; and two
// continuation bytes in a row, which only a sequence of three bytes may have.
enum : uint8_t { kTooShort = 1, kTooLong = 2, kOverlong2 = 4, kTwoContinuations = 8, kOverlong3 = 16, kSurrogate = 32 };

// A byte pair's faults are the bits that the high nibble of the byte before, its low nibble and
// the high nibble of the byte itself all have. First bytes of four (F0..FF) have none: they stop
// a block of themselves.
struct PairTables {
    uint8_t highBefore[16], lowBefore[16], high[16];
};

constexpr PairTables MakePairTables() {
    PairTables t{};
    for (int k = 0; k < 16; ++k) {
        t.highBefore[k] = k < 0x8    ? kTooLong
                          : k < 0xC  ? kTwoContinuations
                          : k == 0xC ? kTooShort | kOverlong2
                          : k == 0xD ? kTooShort
                          : k == 0xE ? kTooShort | kOverlong3 | kSurrogate
                                     : 0;
        t.lowBefore[k] = static_cast<uint8_t>(kTooShort | kTooLong | kTwoContinuations |
                                              (k == 0 ? kOverlong2 | kOverlong3 : k == 1 ? kOverlong2 : 0) |
                                              (k == 0xD ? kSurrogate : 0));
        t.high[k] = k < 0x8    ? kTooShort
                    : k < 0xA  ? kTooLong | kTwoContinuations | kOverlong2 | kOverlong3
                    : k < 0xC  ? kTooLong | kTwoContinuations | kOverlong2 | kSurrogate
                               : kTooShort;
    }
    return t;
}
constexpr PairTables kPairTables = MakePairTables();

constexpr uint8_t PairFaults(unsigned nBefore, unsigned n) {
    return kPairTables.highBefore[nBefore >> 4] & kPairTables.lowBefore[nBefore & 15] & kPairTables.high[n >> 4];
}

// The nibble tables say what the table of first bytes says, for every pair of bytes below F0: a
// fault after a first byte when the byte falls outside its range, after ASCII when it continues,
// and two continuations in a row marked; and sequences of two bytes begin C2..DF, of three E0..EF.
constexpr bool PairTablesAgree() {
    for (unsigned nBefore = 0; nBefore < 0xF0; ++nBefore) {
        Utf8Lead lead = Utf8LeadOf(static_cast<unsigned char>(nBefore));
        if (nBefore >= 0xC2 && lead.nFollowing != (nBefore < 0xE0 ? 1 : 2)) return false;
        for (unsigned n = 0; n < 256; ++n) {
            bool bContinues = (n & 0xC0) == 0x80;
            bool bFault = nBefore < 0x80 ? bContinues : nBefore < 0xC0 ? false : n < lead.nLower || n > lead.nUpper;
            uint8_t nFaults = PairFaults(nBefore, n);
            if (((nFaults & ~kTwoContinuations) != 0) != bFault) return false;
            if (((nFaults & kTwoContinuations) != 0) != ((nBefore & 0xC0) == 0x80 && bContinues)) return false;
        }
    }
    return true;
}
static_assert(PairTablesAgree(), "the nibble tables agree with the table of first bytes");

// The constants of a block's steps, made once.
template <class V>
struct BlockConstants {
    typedef typename V::Vec Vec;
    Vec zero, ones, stopsMarksSpan, low4, low5, low6, twoContinuations, otherFaults, high2, high3, high4;
    Vec ideograph, ideographFlip, stop, del;
    Vec highBefore, lowBefore, high, nibbleE;
    Vec lead2Low, lead2High, toLead2Low, toLead2High, toIdeographs, ideographSpan, filler, fillerToIdeograph, evenBytes;

    // pRanges: the uniform ranges when V takes their codes.
    TQ_CLASSIFY_INLINE explicit BlockConstants(const FirstPlaneRanges* pRanges) {
        zero = V::Opaque(V::Fill(0));
        ones = V::Opaque(V::Fill(-1));
        stopsMarksSpan = V::Opaque(V::Fill(static_cast<char>(-128 + 0x20)));
        low4 = V::Opaque(V::Fill(0x0F));
        low5 = V::Opaque(V::Fill(0x1F));
        low6 = V::Opaque(V::Fill(0x3F));
        twoContinuations = V::Opaque(V::Fill(kTwoContinuations));
        otherFaults = V::Opaque(V::Fill(~kTwoContinuations & 0x3F));
        high2 = V::Opaque(V::Fill(static_cast<char>(0xC0)));
        high3 = V::Opaque(V::Fill(static_cast<char>(0xE0)));
        high4 = V::Opaque(V::Fill(static_cast<char>(0xF0)));
        ideograph = V::Opaque(V::Fill(static_cast<char>(kFastIdeograph)));
        ideographFlip = V::Opaque(V::Fill(static_cast<char>(kFastIdeograph ^ '!')));
        stop = V::Opaque(V::Fill(static_cast<char>(kFastStop)));
        del = V::Opaque(V::Fill(0x7F));
        highBefore = V::Opaque(V::Table(kPairTables.highBefore));
        lowBefore = V::Opaque(V::Table(kPairTables.lowBefore));
        high = V::Opaque(V::Table(kPairTables.high));
        nibbleE = V::Opaque(V::Fill(0x0E));
        if constexpr (V::kOneRegister) {
            const FirstPlaneRanges& ranges = *pRanges;
            // A first byte of two as a lookup's index: C0..CF to 0x70..0x7F less 0x50 and D0..DF to
            // 0x00..0x0F less 0xD0, each of the other half to a byte whose top bit is set.
            lead2Low = V::Opaque(V::Table(ranges.lead2));
            lead2High = V::Opaque(V::Table(ranges.lead2 + 16));
            toLead2Low = V::Opaque(V::Fill(0x50));
            toLead2High = V::Opaque(V::Fill(static_cast<char>(0xD0)));
            // The ideographs' first bytes as a range: moved to the bottom, below the span read as signed.
            toIdeographs = V::Opaque(V::Fill(static_cast<char>(0x80 - ranges.nIdeographsFirst)));
            ideographSpan = V::Opaque(V::Fill(static_cast<char>(-128 + (ranges.nIdeographsLast + 1 - ranges.nIdeographsFirst))));
            filler = V::Opaque(V::Fill(static_cast<char>(kFastFiller)));
            fillerToIdeograph = V::Opaque(V::Fill(static_cast<char>(kFastFiller ^ kFastIdeograph)));
            evenBytes = V::Opaque(V::template Down<8>(V::Fill(-1)));  // the low byte of each 16-bit lane
        }
    }
};

TQ_CLASSIFY_INLINE uint32_t BelowBit(unsigned k) {
    return k >= 32 ? 0xFFFFFFFFu : (1u << k) - 1;
}

// The byte shuffles of the four 8-byte groups of a 32-bit mask, two groups to a 16-byte half: the
// first two in *pLow, the last two in *pHigh, as the compactions' table has them.
TQ_CLASSIFY_INLINE void LoadGroupShuffles(const ByteCompactions& compactions, uint32_t m, __m128i* pLow, __m128i* pHigh) {
    const uint64_t* pShuffles = compactions.shuffles;
    *pLow = _mm_castpd_si128(_mm_loadh_pd(
        _mm_castsi128_pd(_mm_loadl_epi64(reinterpret_cast<const __m128i*>(pShuffles + (m & 0xFF)))),
        reinterpret_cast<const double*>(pShuffles + ((m >> 8) & 0xFF))));
    *pHigh = _mm_castpd_si128(_mm_loadh_pd(
        _mm_castsi128_pd(_mm_loadl_epi64(reinterpret_cast<const __m128i*>(pShuffles + ((m >> 16) & 0xFF)))),
        reinterpret_cast<const double*>(pShuffles + (m >> 24))));
}

// The fast path over blocks (RunFastUtf8's contract, utf8_fast_path.h). A block takes its well-formed
// sequences up to the first that is not for the fast path (a stop, a mark after a control or a
// space, anything ill-formed, a sequence of four bytes, U+0000); a sequence cut by the block's end
// is the next block's. Every character begun gives a byte, so the bytes written are the characters
// counted. The run ends on a character begun, whose byte is then the last written: marks taken
// after it are given back. Short pieces and a piece's last part shorter than a block are widened
// as before.
template <class V>
TQ_CLASSIFY_INLINE size_t ClassifyUtf8(CharacterState* s, const unsigned char* p, size_t n, unsigned char** pq,
                                       bool bByteBefore) {
    typedef typename V::Vec Vec;
    const unsigned kWidth = V::kWidth;
    const uint32_t kAll = BelowBit(kWidth);
    // A run with no byte written before it is widened, as before: classified, it measured slower.
    // Text of three-byte sequences alone (Chinese or Japanese without ASCII) is widened to one unit
    // a code point in fewer steps than it classifies: a run that begins with 90 bytes of them is
    // widened, as such runs are long; a shorter one is classified, as text with ASCII between is.
    size_t nLook = n < kWidenedThreeByteRun + 1 ? n : kWidenedThreeByteRun + 1;
    bool bThreeByteRun = n != 0 && (p[0] & 0xF0) == 0xE0 && ThreeByteRunLength(p, nLook) == kWidenedThreeByteRun;
    if (!bByteBefore || n < kWidth || bThreeByteRun) return RunFastUtf8(s, p, n, pq, bByteBefore);
    const uint8_t* pCodes = FirstPlaneCodes();
    const ByteCompactions& compactions = Utf8ByteCompactions();
    unsigned char* const q = *pq;
    uint32_t bStopsMarksBefore = FastRun::StopsMarks(FastPathCodeBefore(*s));
    int64_t nChars = 0, nIdeographs = 0;
    int nAsciiBlocks = 0;
    bool bStopped = false;
    size_t i = 0, nBegunEnd = 0;  // the bytes taken, and those up to the last character begun
    alignas(32) uint16_t pairUnits[kWidth / 2], units[kWidth + 16];
    alignas(32) uint8_t pairCodes[kWidth / 2], codeBytes[kWidth + 32];
    units[kWidth] = 0;  // the spare slot's
    const BlockConstants<V> c(V::kOneRegister ? &FirstPlaneUniformRanges() : nullptr);
    const Vec zero = c.zero, nibble = c.low4;
    while (i + kWidth <= n) {
        Vec x = V::Load(p + i);
        uint32_t nAscii = ~V::Bits(x) & kAll;
        if (nAscii == kAll) {
            // ASCII is its own class bytes. A long run of it (2 KB) goes back to the vector copy: a
            // shorter one costs less here than leaving and coming in again after it.
            if (V::Bits(V::Equal(x, zero)) != 0) {
                bStopped = true;
                break;
            }
            V::Store(q + nChars, x);
            unsigned char nLast = p[i + kWidth - 1];
            bStopsMarksBefore = FastRun::StopsMarks(nLast);
            nChars += kWidth;
            i += kWidth;
            nBegunEnd = i;
            if (++nAsciiBlocks == static_cast<int>(2048 / kWidth)) {
                bStopped = true;
                break;
            }
            continue;
        }
        nAsciiBlocks = 0;
        // The sequences and their faults; the block begins a sequence, as if after ASCII.
        Vec before1 = V::template Before<1>(x, zero), before2 = V::template Before<2>(x, zero);
        Vec high = V::And(V::template Down<4>(x), nibble);
        Vec faults = V::And(V::And(V::Lookup(c.highBefore, V::template Before<1>(high, zero)),
                                   V::Lookup(c.lowBefore, V::kOneRegister ? V::And(before1, nibble)
                                                                          : V::template Before<1>(V::And(x, nibble), zero))),
                            V::Lookup(c.high, high));
        Vec twoContinuations = V::Equal(V::And(faults, c.twoContinuations), c.twoContinuations);
        Vec afterThree = V::Equal(V::And(before2, c.high4), c.high3);
        Vec lead2 = V::Equal(V::And(x, c.high3), c.high2);
        // E0..EF and F0..FF by the high nibble where it may stay in a register.
        Vec lead3 = V::kOneRegister ? V::Equal(high, c.nibbleE) : V::Equal(V::And(x, c.high4), c.high3);
        uint32_t nFaults = (~V::Bits(V::Equal(V::And(faults, c.otherFaults), zero)) & kAll) |
                           V::Bits(V::Or(V::Xor(twoContinuations, afterThree),
                                         V::Or(V::kOneRegister ? V::Equal(high, nibble) : V::Equal(V::And(x, c.high4), c.high4),
                                               V::Equal(x, zero))));
        uint32_t nLead2 = V::Bits(lead2), nLead3 = V::Bits(lead3);
        uint32_t nCut = (nLead2 & (1u << (kWidth - 1))) | (nLead3 & (3u << (kWidth - 2)));
        unsigned nWhole = V::LowestBit(nCut);

        // Each sequence's code at its last byte: ASCII its own, a sequence of two its first byte's
        // when its 64 code points share one, an ideograph's its own; the others (where that gives
        // the filler) from the table, one load each.
        Vec ascii = V::SignedGreater(x, c.ones);
        Vec ends2 = V::template Before<1>(lead2, zero);
        Vec ends3 = V::kOneRegister ? afterThree : V::template Before<2>(lead3, zero);
        Vec bits6 = V::And(before1, V::Or(V::And(ends2, c.low5), V::And(ends3, c.low6)));
        Vec bits12 = V::And(before2, V::And(ends3, nibble));
        Vec low = V::Or(V::And(x, c.low6), V::And(V::template Up<6>(bits6), c.high2));
        Vec highByte = V::Or(V::And(V::template Down<2>(bits6), nibble),
                             V::And(V::template Up<4>(bits12), c.high4));
        uint32_t nEnds2 = nLead2 << 1, nEnds3 = nLead3 << 2;  // the block begins a sequence
        Vec codes;
        if constexpr (V::kOneRegister) {
            Vec code2 = V::Or(V::Lookup(c.lead2Low, V::Sub(before1, c.toLead2Low)),
                              V::Lookup(c.lead2High, V::Sub(before1, c.toLead2High)));
            Vec ideograph3 = V::SignedGreater(c.ideographSpan, V::Add(highByte, c.toIdeographs));
            Vec code3 = V::Xor(c.filler, V::And(ideograph3, c.fillerToIdeograph));
            codes = V::Or(V::And(ascii, x), V::Or(V::And(ends2, code2), V::And(ends3, code3)));
            Vec gathered = V::Equal(codes, c.filler);
            uint32_t nGathered = V::Bits(gathered);
            if (nGathered != 0) {
                // No two sequences beyond ASCII end side by side in well-formed text: the code
                // points of each pair of bytes, one at most, as one unit, and its code loaded for
                // both. A few are loaded one by one, many by a load for every pair.
                Vec lowGathered = V::And(gathered, low), highGathered = V::And(gathered, highByte);
                Vec even = V::Or(V::And(lowGathered, c.evenBytes), V::template Up<8>(highGathered));
                Vec odd = V::Or(V::template Down<8>(lowGathered), V::AndNot(c.evenBytes, highGathered));
                V::Store(reinterpret_cast<unsigned char*>(pairUnits), V::Or(even, odd));
                // Through memory: the compiler would take the units out one by one and put the
                // codes back into a vector one by one, in twice the instructions.
                __asm__("" : "+m"(pairUnits));
                if (V::FewBits(nGathered)) {
                    do {
                        unsigned k = static_cast<unsigned>(__builtin_ctz(nGathered)) >> 1;
                        pairCodes[k] = pCodes[pairUnits[k]];
                        nGathered &= nGathered - 1;
                    } while (nGathered != 0);
                } else {
#if defined(__x86_64__)
#pragma GCC unroll 16
#endif
                    for (unsigned k = 0; k < kWidth / 2; ++k) pairCodes[k] = pCodes[pairUnits[k]];
                }
                __asm__("" : "+m"(pairCodes));
                codes = V::Select(gathered, V::LoadTwice(pairCodes), codes);
            }
        } else {
            // Every code beyond ASCII from the table (ASCII is its own code). A block holds at
            // most kWidth / 2 of them: loads in two fixed runs of a quarter block each, those past
            // the last going to a spare slot, so that no branch depends on how many there are.
            V::StoreUnits(units, low, highByte);
            V::Store(codeBytes, x);
            uint32_t nRest = (nEnds2 | nEnds3) & BelowBit(nWhole);
            for (unsigned nRun = 0; nRun < 2; ++nRun) {
                for (unsigned g = 0; g < kWidth / 4; ++g) {
                    size_t k = V::LowestBitOrWidth(nRest);
                    nRest &= nRest - 1;
                    codeBytes[k] = pCodes[units[k]];
                }
                if (nRest == 0) break;
            }
            codes = V::Load(codeBytes);
        }

        Vec ends = V::Or(ascii, V::Or(ends2, ends3));
        Vec marks = V::And(ends, V::Equal(codes, zero));
        // (With the uniform ranges' steps, a code of a byte that ends nothing is 0 or ASCII.)
        Vec ideographs = V::kOneRegister ? V::Equal(codes, c.ideograph) : V::And(ends, V::Equal(codes, c.ideograph));
        // 0x01..0x20 moved to the bottom by adding 0x7F, below the span read as signed; and DEL.
        Vec stopsMarks = V::Or(V::SignedGreater(c.stopsMarksSpan, V::Add(codes, c.del)), V::Equal(codes, c.del));
        uint32_t nEnds = nAscii | nEnds2 | nEnds3, nMarks = V::Bits(marks);
        uint32_t nStops = V::Bits(V::Equal(codes, c.stop)) & nEnds;
        uint32_t nStopsMarks = V::Bits(stopsMarks) & nEnds;
        // The sequences the fast path must leave, each at a byte that no character begun in the
        // block lies beyond: stops at their last, and marks after a control or a space at their first.
        uint32_t nMarkLeads = ((nMarks & nEnds2) >> 1) | ((nMarks & nEnds3) >> 2);
        uint32_t nLeaves = nFaults | nStops | (nMarkLeads & ((nStopsMarks << 1) | bStopsMarksBefore));
        uint32_t nBegun = nEnds & ~nMarks;
        // The block's whole sequences, up to its last byte that ends one: all of them in
        // well-formed text. (A fault past them may still belong to a sequence before them, as a
        // first byte of two before a first byte of three at the end does.) Well-formed text ends
        // no sequence and has no fault past the first byte of the sequence that the block's end
        // cuts: where the steps may spare a register, that first byte is not looked for, and a
        // fault past it ends the run here rather than in the next block, at the same character.
        uint32_t nWholeEnds = nEnds & (V::kOneRegister ? kAll : V::BelowBit(nWhole));
        unsigned nTaken = V::UpToHighestBit(nWholeEnds);
        if (__builtin_expect((nLeaves & (V::kOneRegister ? kAll : V::BelowBit(nWhole))) != 0 || nTaken == 0, 0)) {
            // The block ends the run, at its last character begun before what the fast path leaves.
            uint32_t nTakeable = nBegun & BelowBit(nLeaves != 0 ? static_cast<unsigned>(__builtin_ctz(nLeaves)) : 0);
            bStopped = true;
            if (nTakeable == 0) break;
            nTaken = 32 - static_cast<unsigned>(__builtin_clz(nTakeable));
            __asm__("" : "+r"(nTaken));
        }
        uint32_t nKept = V::BelowBit(nTaken);

        Vec written = V::Xor(codes, V::And(ideographs, c.ideographFlip));
        // The bytes: each character begun its code (an ideograph '!'), one after another, as the
        // scalar reference path writes them.
        uint32_t nBegunKept = nBegun & nKept;
        nChars += V::Compact(q + nChars, written, nBegunKept, compactions);
        nIdeographs += V::Popcount(V::Bits(ideographs) & nKept);
        bStopsMarksBefore = (nStopsMarks >> (nTaken - 1)) & 1;
        if (nBegunKept != 0) nBegunEnd = i + 32 - static_cast<unsigned>(__builtin_clz(nBegunKept));
        i += nTaken;
        if (bStopped) break;
    }
    if (nBegunEnd != 0) {
        // The run ends on a character begun: its code from its sequence, which ends the bytes kept.
        unsigned nLength = p[nBegunEnd - 1] < 0x80 ? 1 : (p[nBegunEnd - 2] & 0xE0) == 0xC0 ? 2 : 3;
        uint32_t nCodePoint;
        DecodeUtf8Sequence(p + nBegunEnd - nLength, nLength, &nCodePoint);
        unsigned nCode = pCodes[nCodePoint];
        FastRun run = {nIdeographs, nCode, static_cast<int>(nCode), 0};
        run.End(s, static_cast<size_t>(nChars));
    }
    *pq = q + nChars;
    if (!bStopped && nBegunEnd < n && nBegunEnd != 0) return nBegunEnd + RunFastUtf8(s, p + nBegunEnd, n - nBegunEnd, pq, true);
    return nBegunEnd;
}

}  // namespace
