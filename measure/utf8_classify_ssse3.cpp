// UTF-8 classified thirty-two bytes at a time with SSSE3, as two vectors of sixteen: its byte shuffle
// does the nibble lookups, and a block as wide as AVX2's spreads the work on its masks over as many
// bytes. Processors with SSSE3 may lack a popcount instruction: bits are counted with arithmetic.
#include "measure/measure_kernels.h"

#if defined(TQ_X86_MEASURE_KERNELS)
#include <tmmintrin.h>

#define TQ_CLASSIFY_TARGET __attribute__((target("ssse3")))
#include "measure/utf8_classify.h"

namespace {

// Bytes 0..15 and 16..31 of a block.
struct VectorPair {
    __m128i low, high;
};

struct Ssse3Classify {
    typedef VectorPair Vec;
    enum { kWidth = 32 };
    static const bool kOneRegister = false;
    TQ_CLASSIFY_INLINE static Vec Both(__m128i x) { return {x, x}; }
    TQ_CLASSIFY_INLINE static Vec Load(const unsigned char* p) {
        return {_mm_loadu_si128(reinterpret_cast<const __m128i*>(p)), _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + 16))};
    }
    TQ_CLASSIFY_INLINE static void Store(unsigned char* p, Vec x) {
        _mm_storeu_si128(reinterpret_cast<__m128i*>(p), x.low);
        _mm_storeu_si128(reinterpret_cast<__m128i*>(p + 16), x.high);
    }
    TQ_CLASSIFY_INLINE static Vec Fill(char c) { return Both(_mm_set1_epi8(c)); }
    TQ_CLASSIFY_INLINE static Vec Opaque(Vec x) {
        __asm__("" : "+x"(x.low), "+x"(x.high));
        return x;
    }
    TQ_CLASSIFY_INLINE static uint32_t Bits(Vec x) {
        return static_cast<uint32_t>(_mm_movemask_epi8(x.low)) | static_cast<uint32_t>(_mm_movemask_epi8(x.high)) << 16;
    }
    TQ_CLASSIFY_INLINE static Vec And(Vec a, Vec b) { return {_mm_and_si128(a.low, b.low), _mm_and_si128(a.high, b.high)}; }
    TQ_CLASSIFY_INLINE static Vec Or(Vec a, Vec b) { return {_mm_or_si128(a.low, b.low), _mm_or_si128(a.high, b.high)}; }
    TQ_CLASSIFY_INLINE static Vec Xor(Vec a, Vec b) { return {_mm_xor_si128(a.low, b.low), _mm_xor_si128(a.high, b.high)}; }
    TQ_CLASSIFY_INLINE static Vec AndNot(Vec a, Vec b) {
        return {_mm_andnot_si128(a.low, b.low), _mm_andnot_si128(a.high, b.high)};
    }
    TQ_CLASSIFY_INLINE static Vec Equal(Vec a, Vec b) { return {_mm_cmpeq_epi8(a.low, b.low), _mm_cmpeq_epi8(a.high, b.high)}; }
    TQ_CLASSIFY_INLINE static Vec SignedGreater(Vec a, Vec b) {
        return {_mm_cmpgt_epi8(a.low, b.low), _mm_cmpgt_epi8(a.high, b.high)};
    }
    TQ_CLASSIFY_INLINE static Vec Add(Vec a, Vec b) { return {_mm_add_epi8(a.low, b.low), _mm_add_epi8(a.high, b.high)}; }
    TQ_CLASSIFY_INLINE static Vec Sub(Vec a, Vec b) { return {_mm_sub_epi8(a.low, b.low), _mm_sub_epi8(a.high, b.high)}; }
    TQ_CLASSIFY_INLINE static Vec Table(const uint8_t* p) { return Both(_mm_loadu_si128(reinterpret_cast<const __m128i*>(p))); }
    TQ_CLASSIFY_INLINE static Vec Lookup(Vec table, Vec x) {
        return {_mm_shuffle_epi8(table.low, x.low), _mm_shuffle_epi8(table.high, x.high)};
    }
    template <int k>
    TQ_CLASSIFY_INLINE static Vec Before(Vec x, Vec previous) {
        if constexpr (k == 16) {
            return {previous.high, x.low};
        } else {
            return {_mm_alignr_epi8(x.low, previous.high, 16 - k), _mm_alignr_epi8(x.high, x.low, 16 - k)};
        }
    }
    template <int k>
    TQ_CLASSIFY_INLINE static Vec Up(Vec x) { return {_mm_slli_epi16(x.low, k), _mm_slli_epi16(x.high, k)}; }
    template <int k>
    TQ_CLASSIFY_INLINE static Vec Down(Vec x) { return {_mm_srli_epi16(x.low, k), _mm_srli_epi16(x.high, k)}; }
    TQ_CLASSIFY_INLINE static void StoreUnits(uint16_t* pUnits, Vec low, Vec high) {
        _mm_store_si128(reinterpret_cast<__m128i*>(pUnits), _mm_unpacklo_epi8(low.low, high.low));
        _mm_store_si128(reinterpret_cast<__m128i*>(pUnits + 8), _mm_unpackhi_epi8(low.low, high.low));
        _mm_store_si128(reinterpret_cast<__m128i*>(pUnits + 16), _mm_unpacklo_epi8(low.high, high.high));
        _mm_store_si128(reinterpret_cast<__m128i*>(pUnits + 24), _mm_unpackhi_epi8(low.high, high.high));
    }
    TQ_CLASSIFY_INLINE static size_t LowestBitOrWidth(uint32_t n) {
        return n != 0 ? static_cast<size_t>(__builtin_ctz(n)) : size_t(kWidth);
    }
    TQ_CLASSIFY_INLINE static unsigned LowestBit(uint32_t n) {
        return n != 0 ? static_cast<unsigned>(__builtin_ctz(n)) : static_cast<unsigned>(kWidth);
    }
    TQ_CLASSIFY_INLINE static unsigned UpToHighestBit(uint32_t n) {
        return n != 0 ? 32 - static_cast<unsigned>(__builtin_clz(n)) : 0;
    }
    TQ_CLASSIFY_INLINE static uint32_t BelowBit(unsigned k) { return ::BelowBit(k); }
    // Each half shuffled by the shuffles of its two groups (the second's moved on by 8), then each
    // group stored after the bytes kept before it: up to 32 bytes are written.
    // A group's high half goes by movhps, which takes any address (movhpd's double must be aligned).
    TQ_CLASSIFY_INLINE static int Compact(unsigned char* q, Vec x, uint32_t m, const ByteCompactions& compactions) {
        const __m128i secondGroup = _mm_set_epi32(0x08080808, 0x08080808, 0, 0);
        __m128i low, high;
        LoadGroupShuffles(compactions, m, &low, &high);
        __m128i first = _mm_shuffle_epi8(x.low, _mm_add_epi8(low, secondGroup));
        __m128i second = _mm_shuffle_epi8(x.high, _mm_add_epi8(high, secondGroup));
        unsigned n0 = compactions.counts[m & 0xFF];
        unsigned n1 = n0 + compactions.counts[(m >> 8) & 0xFF];
        unsigned n2 = n1 + compactions.counts[(m >> 16) & 0xFF];
        _mm_storel_epi64(reinterpret_cast<__m128i*>(q), first);
        _mm_storeh_pi(reinterpret_cast<__m64*>(q + n0), _mm_castsi128_ps(first));
        _mm_storel_epi64(reinterpret_cast<__m128i*>(q + n1), second);
        _mm_storeh_pi(reinterpret_cast<__m64*>(q + n2), _mm_castsi128_ps(second));
        return static_cast<int>(n2 + compactions.counts[m >> 24]);
    }
    TQ_CLASSIFY_INLINE static int Popcount(uint32_t n) {
        n -= (n >> 1) & 0x55555555u;
        n = (n & 0x33333333u) + ((n >> 2) & 0x33333333u);
        n = (n + (n >> 4)) & 0x0F0F0F0Fu;
        return static_cast<int>((n * 0x01010101u) >> 24);
    }
};

TQ_CLASSIFY_TARGET __attribute__((noinline)) size_t Classify(CharacterState* s, const unsigned char* p, size_t n,
                                                            unsigned char** pq, bool bByteBefore) {
    return ClassifyUtf8<Ssse3Classify>(s, p, n, pq, bByteBefore);
}

}  // namespace

size_t ClassifyUtf8Ssse3(CharacterState* s, const unsigned char* p, size_t n, unsigned char** pq, bool bByteBefore) {
    return Classify(s, p, n, pq, bByteBefore);
}

#endif
