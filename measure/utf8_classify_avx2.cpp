// UTF-8 classified thirty-two bytes at a time with AVX2. Its byte shuffles and shifts work within
// each 16-byte half: a move across the halves takes a permute first.
#include "measure/measure_kernels.h"

#if defined(TQ_X86_MEASURE_KERNELS)
#include <immintrin.h>

#define TQ_CLASSIFY_TARGET __attribute__((target("avx2,bmi,bmi2,popcnt,lzcnt")))
#include "measure/utf8_classify.h"

namespace {

struct Avx2Classify {
    typedef __m256i Vec;
    enum { kWidth = 32 };
    TQ_CLASSIFY_INLINE static Vec Load(const unsigned char* p) {
        return _mm256_loadu_si256(reinterpret_cast<const __m256i*>(p));
    }
    TQ_CLASSIFY_INLINE static void Store(unsigned char* p, Vec x) { _mm256_storeu_si256(reinterpret_cast<__m256i*>(p), x); }
    TQ_CLASSIFY_INLINE static Vec Fill(char c) { return _mm256_set1_epi8(c); }
    TQ_CLASSIFY_INLINE static Vec Opaque(Vec x) {
        __asm__("" : "+x"(x));
        return x;
    }
    TQ_CLASSIFY_INLINE static uint32_t Bits(Vec x) { return static_cast<uint32_t>(_mm256_movemask_epi8(x)); }
    TQ_CLASSIFY_INLINE static Vec And(Vec a, Vec b) { return _mm256_and_si256(a, b); }
    TQ_CLASSIFY_INLINE static Vec Or(Vec a, Vec b) { return _mm256_or_si256(a, b); }
    TQ_CLASSIFY_INLINE static Vec Xor(Vec a, Vec b) { return _mm256_xor_si256(a, b); }
    TQ_CLASSIFY_INLINE static Vec AndNot(Vec a, Vec b) { return _mm256_andnot_si256(a, b); }
    TQ_CLASSIFY_INLINE static Vec Equal(Vec a, Vec b) { return _mm256_cmpeq_epi8(a, b); }
    TQ_CLASSIFY_INLINE static Vec SignedGreater(Vec a, Vec b) { return _mm256_cmpgt_epi8(a, b); }
    TQ_CLASSIFY_INLINE static Vec MinUnsigned(Vec a, Vec b) { return _mm256_min_epu8(a, b); }
    TQ_CLASSIFY_INLINE static Vec Sub(Vec a, Vec b) { return _mm256_sub_epi8(a, b); }
    TQ_CLASSIFY_INLINE static Vec Add(Vec a, Vec b) { return _mm256_add_epi8(a, b); }
    // The same 16 bytes in both halves: the lookup works within each half.
    TQ_CLASSIFY_INLINE static Vec Table(const uint8_t* p) {
        return _mm256_broadcastsi128_si256(_mm_loadu_si128(reinterpret_cast<const __m128i*>(p)));
    }
    TQ_CLASSIFY_INLINE static Vec Lookup(Vec table, Vec x) { return _mm256_shuffle_epi8(table, x); }
    template <int k>
    TQ_CLASSIFY_INLINE static Vec Before(Vec x, Vec previous) {
        // The 32 bytes before x's own: previous's high half and x's low half.
        Vec across = _mm256_permute2x128_si256(previous, x, 0x21);
        if constexpr (k == 16) {
            return across;
        } else {
            return _mm256_alignr_epi8(x, across, 16 - k);
        }
    }
    template <int k>
    TQ_CLASSIFY_INLINE static Vec Up(Vec x) { return _mm256_slli_epi16(x, k); }
    template <int k>
    TQ_CLASSIFY_INLINE static Vec Down(Vec x) { return _mm256_srli_epi16(x, k); }
    // The pairs come out of the unpacks a half at a time: bytes 0..7 and 16..23, then 8..15 and 24..31.
    TQ_CLASSIFY_INLINE static void StoreUnits(uint16_t* pUnits, Vec low, Vec high) {
        Vec a = _mm256_unpacklo_epi8(low, high), b = _mm256_unpackhi_epi8(low, high);
        _mm256_store_si256(reinterpret_cast<__m256i*>(pUnits), _mm256_permute2x128_si256(a, b, 0x20));
        _mm256_store_si256(reinterpret_cast<__m256i*>(pUnits + 16), _mm256_permute2x128_si256(a, b, 0x31));
    }
    TQ_CLASSIFY_INLINE static int Popcount(uint32_t n) { return __builtin_popcount(n); }
    // BMI1's tzcnt gives the operand's width for 0.
    TQ_CLASSIFY_INLINE static size_t LowestBitOrWidth(uint32_t n) { return _tzcnt_u32(n); }
};

TQ_CLASSIFY_TARGET __attribute__((noinline)) size_t Classify(CharacterState* s, const unsigned char* p, size_t n,
                                                            unsigned char** pq, bool bByteBefore) {
    return ClassifyUtf8<Avx2Classify>(s, p, n, pq, bByteBefore);
}

}  // namespace

size_t ClassifyUtf8Avx2(CharacterState* s, const unsigned char* p, size_t n, unsigned char** pq, bool bByteBefore) {
    return Classify(s, p, n, pq, bByteBefore);
}

#endif
