// The AVX2 kernels: thirty-two bytes classified per instruction, the word bytes by two nibble
// lookups. The line cut is found with BMI2's pdep where pdep is fast, and by counting bytes' bits
// on processors that run pdep slowly.
#include "measure/measure_kernels.h"

#if defined(TQ_X86_MEASURE_KERNELS)
#include <immintrin.h>

#define TQ_KERNEL_TARGET __attribute__((target("avx2,bmi,bmi2,popcnt,lzcnt")))
#include "measure/mask_walk.h"
#include "measure/utf8_fast_path.h"
#include "measure/vector_blocks.h"

namespace {

// Word bytes by nibbles: the high nibble picks the set of low nibbles that make a word byte. The
// sets: {7, E} under 2 (apostrophe, full stop); 0..A under 3, 5 and 7 (digits and colon, P..Z,
// p..z); 1..F under 4 and 6 (A..O, a..o); {0} under 8 (the word filler).
enum : char { kMarks = 1, kTo10 = 2, kFrom1 = 4, kFiller = 8 };

constexpr char LowSets(int nLow) {
    return static_cast<char>((nLow == 0x7 || nLow == 0xE ? kMarks : 0) | (nLow <= 0xA ? kTo10 : 0) |
                             (nLow >= 1 ? kFrom1 : 0) | (nLow == (kWordFiller & 0x0F) ? kFiller : 0));
}

// The same 16 bytes in both halves: the lookup works within each 16-byte half.
TQ_WALK_INLINE __m256i BothHalves(__m128i table) { return _mm256_broadcastsi128_si256(table); }

TQ_WALK_INLINE __m256i NotWordBytes(__m256i x) {
    const __m256i lowSets = BothHalves(_mm_setr_epi8(
        LowSets(0), LowSets(1), LowSets(2), LowSets(3), LowSets(4), LowSets(5), LowSets(6), LowSets(7), LowSets(8),
        LowSets(9), LowSets(10), LowSets(11), LowSets(12), LowSets(13), LowSets(14), LowSets(15)));
    const __m256i highSets =
        BothHalves(_mm_setr_epi8(0, 0, kMarks, kTo10, kFrom1, kTo10, kFrom1, kTo10, kFiller, 0, 0, 0, 0, 0, 0, 0));
    const __m256i nibble = _mm256_set1_epi8(0x0F);
    __m256i low = _mm256_and_si256(x, nibble);
    __m256i high = _mm256_and_si256(_mm256_srli_epi16(x, 4), nibble);
    __m256i sets = _mm256_and_si256(_mm256_shuffle_epi8(lowSets, low), _mm256_shuffle_epi8(highSets, high));
    return _mm256_cmpeq_epi8(sets, _mm256_setzero_si256());
}

// CR and LF by one lookup: the byte whose low nibble is A or D is a break when it equals the table's
// entry; every other entry is 0x80, which no byte found there (below 0x80) can equal.
TQ_WALK_INLINE __m256i LineBreaks(__m256i x) {
    const char kNo = static_cast<char>(0x80);
    const __m256i breaks =
        BothHalves(_mm_setr_epi8(kNo, kNo, kNo, kNo, kNo, kNo, kNo, kNo, kNo, kNo, 0x0A, kNo, kNo, 0x0D, kNo, kNo));
    return _mm256_cmpeq_epi8(_mm256_shuffle_epi8(breaks, x), x);
}

struct Avx2Vectors {
    typedef __m256i Vec;
    enum { kWidth = 32 };
    TQ_WALK_INLINE static Vec Load(const unsigned char* p) {
        return _mm256_loadu_si256(reinterpret_cast<const __m256i*>(p));
    }
    TQ_WALK_INLINE static uint32_t Bits(Vec x) { return static_cast<uint32_t>(_mm256_movemask_epi8(x)); }
    TQ_WALK_INLINE static Vec Fill(char c) { return _mm256_set1_epi8(c); }
    TQ_WALK_INLINE static Vec IsZero(Vec x) { return _mm256_cmpeq_epi8(x, _mm256_setzero_si256()); }
    TQ_WALK_INLINE static Vec Min(Vec x, Vec y) { return _mm256_min_epu8(x, y); }
    TQ_WALK_INLINE static Vec AtLeast(Vec x, char c) {
        return _mm256_cmpgt_epi8(x, _mm256_set1_epi8(static_cast<char>(c - 1)));
    }
    TQ_WALK_INLINE static Vec NotWordBytes(Vec x) { return ::NotWordBytes(x); }
    TQ_WALK_INLINE static Vec LineBreaks(Vec x) { return ::LineBreaks(x); }
    TQ_WALK_INLINE static Vec ByteBefore(Vec x, Vec previous) {
        return _mm256_alignr_epi8(x, _mm256_permute2x128_si256(previous, x, 0x21), 15);
    }
    // One more in each byte place where before is set and x is not.
    TQ_WALK_INLINE static Vec AddStarts(Vec pending, Vec before, Vec x) {
        return _mm256_sub_epi8(pending, _mm256_andnot_si256(x, before));
    }
    TQ_WALK_INLINE static Vec AddSums(Vec total, Vec pending) { return _mm256_add_epi64(total, _mm256_sad_epu8(pending, Fill(0))); }
    TQ_WALK_INLINE static void Store(int64_t* p, Vec x) { _mm256_storeu_si256(reinterpret_cast<__m256i*>(p), x); }
};

struct Avx2 : VectorBlocks<Avx2Vectors> {
    TQ_WALK_INLINE static int Popcount(Mask m) {
        return sizeof(Mask) == 8 ? __builtin_popcountll(m) : __builtin_popcount(static_cast<unsigned>(m));
    }

    // The printable bytes after the last break, all of them without a break: bzhi keeps the bits
    // below the width less lzcnt, that is up to the highest break, and none when there is none.
    TQ_WALK_INLINE static Mask AfterLastBreak(Mask printable, Mask breaks) {
#if defined(__x86_64__)
        return printable & ~_bzhi_u64(~0ULL, 64 - static_cast<unsigned>(_lzcnt_u64(breaks)));
#else
        return printable & ~_bzhi_u32(~0U, 32 - _lzcnt_u32(breaks));
#endif
    }
};

TQ_WALK_INLINE uint64_t Deposit(uint64_t bits, uint64_t mask) {
#if defined(__x86_64__)
    return _pdep_u64(bits, mask);
#else
    return _pdep_u32(static_cast<uint32_t>(bits), static_cast<uint32_t>(mask));
#endif
}

struct Avx2Pdep : Avx2 {
    // pdep moves bit k - 1 of its source onto the k-th set bit of m, and to nowhere when m has fewer.
    TQ_WALK_INLINE static Mask SelectCut(Mask m, int64_t k) {
        const int64_t kBits = sizeof(Mask) * 8;
        Mask bit = Mask(k <= kBits) << ((k - 1) & (kBits - 1));
        return static_cast<Mask>(Deposit(bit, m));
    }
};

struct Avx2Counting : Avx2 {
    TQ_WALK_INLINE static Mask SelectCut(Mask m, int64_t k) { return CountingSelectCut(m, k); }
};

}  // namespace

const MeasureKernel kAvx2MeasureKernel = {"avx2", WalkWords<Avx2Pdep>, WalkText<Avx2Pdep, false, true>,
                                          WalkText<Avx2Pdep, true, true>, ClassifyUtf8Avx2};
// Words need no cut: both kernels count them with the same loop.
const MeasureKernel kAvx2NoPdepMeasureKernel = {"avx2-nopdep", WalkWords<Avx2Pdep>, WalkText<Avx2Counting, false, true>,
                                                WalkText<Avx2Counting, true, true>, ClassifyUtf8Avx2};

#endif
