// The walk shared by the vector kernels. A kernel turns each block of bytes (as many as its mask
// type has bits) into one bit per byte for each byte class; the walk counts the block's lines from
// those bits with a few word-wide operations and carries the state to the next block. Words are
// counted from a mask too when they are counted alone; beside the lines, the kernel counts them in
// its vector unit, except in the text's last block.
//
// Each vector kernel includes this once, with TQ_KERNEL_TARGET set to its function attribute, so
// that the whole walk compiles for that kernel's instructions and inlines into its loop. The kernel
// type K passed to the walk gives:
//   Mask                     an unsigned integer, bit i for byte i of a block
//   HasZero(p, n)            whether the n bytes at p (whole blocks) hold a zero byte
//   ZeroBytes(p)             the zero bytes of the block at p
//   OtherThanWordBytes(p)    the bytes of the block at p that are not word bytes
//   ClassifyLines(p, masks)  the printable, non-space, line break and white space bytes of the block at p
//   WordCounter              Start(bInWord), Count(block), Settle() (at least every 255 vectors),
//                            Total() and InWord(): the word starts of whole blocks; after Total,
//                            Breaks() and Spaces(): their break and white space bytes, when
//                            kBreaksInVectors (else the walk counts them from the masks)
//   Popcount(m)              the number of set bits
//   SelectCut(m, k)          for k >= 1: the k-th lowest set bit of m alone, or 0 when m has fewer
//                            than k (so for any k past the block)
//   AfterLastBreak(m, b)     the bits of m above the highest bit of b, all of m when b is empty
#ifndef TQ_KERNEL_TARGET
#error "a kernel defines TQ_KERNEL_TARGET before it includes measure/mask_walk.h"
#endif
#include <string.h>

#include "measure/measure_kernels.h"

#define TQ_WALK_INLINE TQ_KERNEL_TARGET inline __attribute__((always_inline))

namespace {

template <class Mask>
struct ClassMasks {
    Mask otherThanWord;  // bytes that are not word bytes
    Mask printable;      // 0x20..0x7F: take a column
    Mask nonSpace;       // 0x21..0x7F: start a line
    Mask lineBreak;      // CR and LF
    Mask whiteSpace;     // tab, LF, VT, FF, CR and the space
};

template <class Mask>
struct WalkState {
    int64_t nWords;
    int64_t nLines;
    int64_t nColumn;  // with a wide limit, the room left on the line instead
    Mask notInWord;   // 1 when the byte before the block is not a word byte
    Mask started;     // 1 when the line that the block begins in is counted already
    size_t nBreaks;  // of this call's bytes, so no more than size_t holds: in 32-bit code, a register each
    size_t nSpaces;
};

// The break and white space bytes, counted beside the words and lines.
template <class K>
TQ_WALK_INLINE void CountBreaksAndSpaces(const ClassMasks<typename K::Mask>& masks, WalkState<typename K::Mask>* pWalk) {
    pWalk->nBreaks += static_cast<size_t>(K::Popcount(masks.lineBreak));
    pWalk->nSpaces += static_cast<size_t>(K::Popcount(masks.whiteSpace));
}

template <class Mask>
TQ_WALK_INLINE int HighestBit(Mask m) {
    return sizeof(Mask) == 8 ? 63 - __builtin_clzll(static_cast<unsigned long long>(m))
                             : 31 - __builtin_clz(static_cast<unsigned>(m));
}

template <class Mask>
TQ_WALK_INLINE unsigned LowestBit(Mask m) {
    return sizeof(Mask) == 8 ? __builtin_ctzll(static_cast<unsigned long long>(m))
                             : __builtin_ctz(static_cast<unsigned>(m));
}

// a when x is nonzero, else b, without a branch: the condition falls at random from block to block,
// so a branch would be mispredicted about half the time, and the compilers do not always choose a
// conditional move by themselves.
template <class T>
TQ_WALK_INLINE T IfNonzero(T x, T a, T b) {
#if defined(__x86_64__)
    if (sizeof(T) == 8) {
        __asm__("test %1, %1\n\tcmovnz %2, %0" : "+r"(b) : "r"(x), "rm"(a) : "cc");
        return b;
    }
#endif
    T mask = T(0) - T(x != 0);
    return (a & mask) | (b & ~mask);
}

// The bits of m above the highest bit of breaks; all of m when breaks is empty.
template <class Mask>
TQ_WALK_INLINE Mask AboveHighestBit(Mask m, Mask breaks) {
    return IfNonzero(breaks, Mask((m >> HighestBit(breaks | 1)) >> 1), m);
}

// Bit counting with plain arithmetic, for kernels that cannot assume a popcount instruction.
template <class Mask>
TQ_WALK_INLINE Mask ByteSums(Mask m) {
    const Mask k55 = ~Mask(0) / 3, k33 = ~Mask(0) / 5, k0F = ~Mask(0) / 17;
    m = m - ((m >> 1) & k55);
    m = (m & k33) + ((m >> 2) & k33);
    return (m + (m >> 4)) & k0F;
}

template <class Mask>
TQ_WALK_INLINE int SwarPopcount(Mask m) {
    const Mask kOnes = ~Mask(0) / 255;
    return static_cast<int>((ByteSums(m) * kOnes) >> (sizeof(Mask) * 8 - 8));
}

}  // namespace

// Where the (r + 1)-th set bit of a byte is, or 8 when the byte has fewer. Outside the unnamed
// namespace, so that the kernels share one copy.
struct BitInByteTable {
    unsigned char nPlace[8][256];
    constexpr BitInByteTable() : nPlace() {
        for (int r = 0; r < 8; ++r) {
            for (int byte = 0; byte < 256; ++byte) {
                int nSeen = 0, nPlaceOf = 8;
                for (int i = 0; i < 8 && nPlaceOf == 8; ++i) {
                    if ((byte >> i) & 1) {
                        if (nSeen == r) nPlaceOf = i;
                        ++nSeen;
                    }
                }
                nPlace[r][byte] = static_cast<unsigned char>(nPlaceOf);
            }
        }
    }
};
inline constexpr BitInByteTable kBitInByte;

namespace {

// SelectCut without pdep: the byte that holds the k-th set bit from running sums of the bytes'
// counts, then the bit within that byte from a table; without a branch.
template <class Mask>
TQ_WALK_INLINE Mask SwarSelectCut(Mask m, int64_t k) {
    const int kBits = sizeof(Mask) * 8;
    const Mask kOnes = ~Mask(0) / 255, kHighs = kOnes << 7;
    // Byte i of the running sum: the set bits of bytes 0..i (at most 64, so no byte overflows).
    Mask running = ByteSums(m) * kOnes;
    bool bFound = k >= 1 && k <= static_cast<int64_t>(running >> (kBits - 8));
    Mask nRank = static_cast<Mask>(bFound ? k - 1 : 0);
    // The bytes whose running sum is at most the rank: byte by byte, 0x80 + rank - sum keeps its top bit.
    Mask below = (((nRank * kOnes) | kHighs) - running) & kHighs;
    unsigned nByte = static_cast<unsigned>(((below >> 7) * kOnes) >> (kBits - 8)) & (sizeof(Mask) - 1);
    unsigned nShift = 8 * nByte;
    unsigned nBefore = static_cast<unsigned>((running << 8) >> nShift) & 0xFF;
    unsigned byte = static_cast<unsigned>(m >> nShift) & 0xFF;
    unsigned nPlace = kBitInByte.nPlace[(static_cast<unsigned>(nRank) - nBefore) & 7][byte] & 7;
    Mask bit = Mask(1) << (nShift + nPlace);
    return bFound ? bit : 0;
}

// SelectCut for kernels without a fast pdep. Most blocks hold no cut and the search is long, so it
// is skipped when the bytes up to the last set bit are too few to reach the k-th.
template <class Mask>
TQ_WALK_INLINE Mask CountingSelectCut(Mask m, int64_t k) {
    if (m == 0 || HighestBit(m) + 1 < k) return 0;
    return SwarSelectCut(m, k);
}

// a - b - borrow (0 or 1); returns the borrow out. Written as the instructions themselves: through
// the intrinsic, the compilers pass the difference through memory.
template <class Mask>
TQ_WALK_INLINE Mask SubtractWithBorrow(Mask a, Mask b, Mask borrow, Mask* pDifference) {
    unsigned char borrowByte = static_cast<unsigned char>(borrow);
    __asm__("add $-1, %b1\n\tsbb %2, %0\n\tsetc %b1" : "+r"(a), "+q"(borrowByte) : "r"(b) : "cc");
    *pDifference = a;
    return borrowByte;
}

// A word starts at each word byte that follows a byte of another kind.
template <class K>
TQ_WALK_INLINE void StepWords(typename K::Mask otherThanWord, unsigned nValid, WalkState<typename K::Mask>* pWalk) {
    typedef typename K::Mask Mask;
    Mask starts = ~otherThanWord & ((otherThanWord << 1) | pWalk->notInWord);
    pWalk->nWords += K::Popcount(starts);
    pWalk->notInWord = (otherThanWord >> (nValid - 1)) & 1;
}

// A limit at least as wide as the block: the column can reach the limit at most once in a block,
// and only before its first break, since fewer printable bytes than the limit follow a break. The
// column is kept as the room left on the line (the limit less the column, 1 up to the limit), all
// of it is done without a branch, and the room's own chain from block to block is short: after a
// break it does not depend on the room before the block.
template <class K>
TQ_WALK_INLINE typename K::Mask LongLineResets(const ClassMasks<typename K::Mask>& masks, int32_t nCharsPerLine,
                                               int64_t* pRoom) {
    typedef typename K::Mask Mask;
    Mask breaks = masks.lineBreak;
    int64_t nRoom = *pRoom;
    // The printable bytes before the first break (a break itself is not printable).
    Mask cut = K::SelectCut(masks.printable & (breaks ^ (breaks - 1)), nRoom);
    // The room after the block: the limit less the printable bytes after its last break, or,
    // without a break, the room before it less the block's printable bytes, wrapped at a cut.
    Mask counted = K::AfterLastBreak(masks.printable, breaks);
    nRoom = IfNonzero<int64_t>(breaks, nCharsPerLine, nRoom) - K::Popcount(counted);
    if (nRoom <= 0) nRoom += nCharsPerLine;
    *pRoom = nRoom;
    return breaks | cut;
}

// Breaks and cuts of a limit narrower than the block, found piece by piece between the breaks;
// leaves the column after the block.
template <class K>
TQ_WALK_INLINE typename K::Mask ShortLineResets(const ClassMasks<typename K::Mask>& masks, int32_t nCharsPerLine,
                                                int64_t* pColumn) {
    typedef typename K::Mask Mask;
    Mask resets = 0, rest = ~Mask(0);
    int64_t nColumn = *pColumn;
    for (;;) {
        Mask breaks = masks.lineBreak & rest;
        Mask lineBreak = breaks & (0 - breaks);
        Mask printable = masks.printable & rest & (lineBreak - 1);
        for (;;) {
            int64_t nNeeded = nCharsPerLine - nColumn;
            if (nNeeded < 1) nNeeded = 1;
            Mask cut = K::SelectCut(printable, nNeeded);
            if (!cut) break;
            resets |= cut;
            nColumn = 0;
            printable &= ~(cut | (cut - 1));
        }
        nColumn += K::Popcount(printable);
        if (!lineBreak) break;
        resets |= lineBreak;
        nColumn = 0;
        rest = ~(lineBreak | (lineBreak - 1));
    }
    *pColumn = nColumn;
    return resets;
}

// How the column limit cuts lines, which decides how the cuts are found.
enum LimitKind {
    kWideLimit,    // at least the block's width: at most one cut per block
    kNarrowLimit,  // 2 up to the block's width: cuts found piece by piece
    kNoLimit,      // 1 or less: every printable byte is cut off on its own
};

template <class K, LimitKind kLimit>
TQ_WALK_INLINE void StepLines(const ClassMasks<typename K::Mask>& masks, int32_t nCharsPerLine,
                              WalkState<typename K::Mask>* pWalk) {
    typedef typename K::Mask Mask;
    // The bytes after which the line ends: breaks, and cuts where the column reaches the limit.
    Mask resets;
    if (kLimit == kWideLimit) {
        resets = LongLineResets<K>(masks, nCharsPerLine, &pWalk->nColumn);  // the room, in this kind
    } else if (kLimit == kNoLimit) {
        resets = masks.printable | masks.lineBreak;
        if (resets) pWalk->nColumn = 0;
    } else {
        resets = ShortLineResets<K>(masks, nCharsPerLine, &pWalk->nColumn);
    }
    // A line is counted at a non-space byte that no other non-space byte precedes since the last
    // reset. Seen as a carry, a reset ripples up through the bytes until a non-space byte takes it
    // in: adding the resets to the mask of the bytes that are not non-space (resets included, so
    // that a reset always passes its carry on) does that. At a non-space byte both addends hold the
    // same bit, so the sum's bit there is the carry that reached it: those bytes start lines. The
    // carry out of the top bit tells whether the next block's line is counted. With a = the
    // non-space bytes that are not resets, ~a + resets + carry is resets - a - borrow, where the
    // borrow is the carry's opposite: whether the line is counted already.
    Mask total;
    pWalk->started = SubtractWithBorrow(resets, masks.nonSpace & ~resets, pWalk->started, &total);
    pWalk->nLines += K::Popcount(masks.nonSpace & total);
}

// Keeps the bits of the first nValid bytes (fewer than the block's), where the text ends.
template <class Mask>
TQ_WALK_INLINE void KeepFirst(unsigned nValid, ClassMasks<Mask>* pMasks) {
    Mask keep = (Mask(1) << nValid) - 1;
    pMasks->otherThanWord |= ~keep;
    pMasks->printable &= keep;
    pMasks->nonSpace &= keep;
    pMasks->lineBreak &= keep;
    pMasks->whiteSpace &= keep;
}

// One whole block: its words go to the kernel's vector counter, its lines to the mask walk.
template <class K, bool kWords, bool kLines, LimitKind kLimit>
TQ_WALK_INLINE void WalkBlock(const unsigned char* pBlock, int32_t nCharsPerLine, typename K::WordCounter* pWords,
                              WalkState<typename K::Mask>* pWalk) {
    // Alone, words are counted faster from masks, the integer unit being free; beside the lines, in
    // the vector unit.
    if (kWords && !kLines) {
        StepWords<K>(K::OtherThanWordBytes(pBlock), sizeof(typename K::Mask) * 8, pWalk);
    } else if (kWords) {
        pWords->Count(pBlock);
    }
    if (kLines) {
        ClassMasks<typename K::Mask> masks;
        K::ClassifyLines(pBlock, &masks);
        if (kWords && !K::kBreaksInVectors) CountBreaksAndSpaces<K>(masks, pWalk);
        StepLines<K, kLimit>(masks, nCharsPerLine, pWalk);
    }
}

enum { kSpanBlocks = 4 };

// One loop for each kind of limit, so that each keeps its state in registers.
template <class K, bool kWords, bool kLines, LimitKind kLimit>
TQ_KERNEL_TARGET size_t WalkBlocks(const unsigned char* p, size_t nBytes, int32_t nCharsPerLine, MeasureState* pState) {
    typedef typename K::Mask Mask;
    const size_t kBlock = sizeof(Mask) * 8;
    // With a wide limit the walk keeps the room left on the line rather than the column.
    int64_t nColumn = kLimit == kWideLimit ? int64_t(nCharsPerLine) - pState->nColumn : pState->nColumn;
    WalkState<Mask> walk = {pState->nWords, pState->nLines, nColumn, Mask(!pState->bInWord),
                            Mask(pState->bLineStarted), 0, 0};
    typename K::WordCounter words;
    if (kWords) words.Start(pState->bInWord);
    const unsigned char* pEnd = p + nBytes;
    const unsigned char* pBlock = p;
    // With the usual limits, whole spans of blocks are first looked at for a zero byte all at once,
    // and walked unrolled; the span that holds one, the blocks after the last span and the rarer
    // limits go one by one, up to the block where the text ends.
    const size_t kSpan = kSpanBlocks * kBlock;
    while (kLimit == kWideLimit && static_cast<size_t>(pEnd - pBlock) >= kSpan && !K::HasZero(pBlock, kSpan)) {
#if defined(__x86_64__)
#pragma GCC unroll 4  // where the code's size matters less: the 32-bit program stays small
#endif
        for (int i = 0; i < kSpanBlocks; ++i, pBlock += kBlock) {
            WalkBlock<K, kWords, kLines, kLimit>(pBlock, nCharsPerLine, &words, &walk);
        }
        if (kWords) words.Settle();
    }
    while (static_cast<size_t>(pEnd - pBlock) >= kBlock && !K::HasZero(pBlock, kBlock)) {
        WalkBlock<K, kWords, kLines, kLimit>(pBlock, nCharsPerLine, &words, &walk);
        if (kWords) words.Settle();
        pBlock += kBlock;
    }
    if (kWords && kLines) {
        walk.nWords += words.Total();
        walk.notInWord = !words.InWord();
        walk.nBreaks += static_cast<size_t>(words.Breaks());
        walk.nSpaces += static_cast<size_t>(words.Spaces());
    }
    size_t nText = nBytes;
    if (pBlock < pEnd) {
        // The last block: the one with the zero byte, or the last bytes padded with 0x01, a byte
        // that no count sees.
        size_t nLast = static_cast<size_t>(pEnd - pBlock);
        unsigned char last[kBlock];
        const unsigned char* pLast = pBlock;
        if (nLast < kBlock) {
            memset(last, 0x01, kBlock);
            memcpy(last, pBlock, nLast);
            pLast = last;
        }
        Mask zeros = K::ZeroBytes(pLast);
        unsigned nValid = zeros ? LowestBit(zeros) : static_cast<unsigned>(nLast);
        nText = static_cast<size_t>(pBlock - p) + nValid;
        if (nValid) {
            ClassMasks<Mask> masks = {0, 0, 0, 0, 0};
            if (kWords) masks.otherThanWord = K::OtherThanWordBytes(pLast);
            if (kLines) K::ClassifyLines(pLast, &masks);
            KeepFirst(nValid, &masks);
            if (kWords) StepWords<K>(masks.otherThanWord, nValid, &walk);
            if (kWords && kLines) CountBreaksAndSpaces<K>(masks, &walk);
            if (kLines) StepLines<K, kLimit>(masks, nCharsPerLine, &walk);
        }
    }
    if (kWords) {
        pState->nWords = walk.nWords;
        pState->bInWord = walk.notInWord == 0;
    }
    if (kWords && kLines) {
        pState->nBreaks += static_cast<int64_t>(walk.nBreaks);
        pState->nSpaces += static_cast<int64_t>(walk.nSpaces);
    }
    if (kLines) {
        pState->nLines = walk.nLines;
        nColumn = kLimit == kWideLimit ? int64_t(nCharsPerLine) - walk.nColumn : walk.nColumn;
        pState->nColumn = static_cast<int32_t>(nColumn);
        pState->bLineStarted = walk.started != 0;
    }
    return nText;
}

template <class K, bool kWords, bool kLines>
TQ_KERNEL_TARGET size_t WalkText(const unsigned char* p, size_t nBytes, int32_t nCharsPerLine, MeasureState* pState) {
    const int32_t kBits = sizeof(typename K::Mask) * 8;
    if (!kLines || nCharsPerLine >= kBits) {
        return WalkBlocks<K, kWords, kLines, kWideLimit>(p, nBytes, nCharsPerLine, pState);
    }
    if (nCharsPerLine <= 1) return WalkBlocks<K, kWords, kLines, kNoLimit>(p, nBytes, nCharsPerLine, pState);
    return WalkBlocks<K, kWords, kLines, kNarrowLimit>(p, nBytes, nCharsPerLine, pState);
}

template <class K>
TQ_KERNEL_TARGET size_t WalkWords(const unsigned char* p, size_t nBytes, MeasureState* pState) {
    return WalkText<K, true, false>(p, nBytes, 1, pState);
}

}  // namespace
