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
    static const bool kOneRegister = true;
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
    TQ_CLASSIFY_INLINE static Vec Select(Vec m, Vec a, Vec b) { return _mm256_blendv_epi8(b, a, m); }
    TQ_CLASSIFY_INLINE static Vec LoadTwice(const uint8_t* p) {
        Vec x = _mm256_cvtepu8_epi16(_mm_load_si128(reinterpret_cast<const __m128i*>(p)));
        return _mm256_or_si256(x, _mm256_slli_epi16(x, 8));
    }
    TQ_CLASSIFY_INLINE static int Popcount(uint32_t n) { return __builtin_popcount(n); }
    // Each 16-byte half shuffled by the shuffles of its two groups (the second's moved on by 8),
    // then each group stored after the bytes kept before it: up to 32 bytes are written.
    // A group's high half goes by movhps, which takes any address (movhpd's double must be aligned).
    TQ_CLASSIFY_INLINE static int Compact(unsigned char* q, Vec x, uint32_t m, const ByteCompactions& compactions) {
        __m128i low, high;
        LoadGroupShuffles(compactions, m, &low, &high);
        const __m256i secondGroups = _mm256_set_epi64x(0x0808080808080808, 0, 0x0808080808080808, 0);
        __m256i shuffle = _mm256_add_epi8(_mm256_inserti128_si256(_mm256_castsi128_si256(low), high, 1), secondGroups);
        __m256i kept = _mm256_shuffle_epi8(x, shuffle);
        unsigned n0 = compactions.counts[m & 0xFF];
        unsigned n1 = n0 + compactions.counts[(m >> 8) & 0xFF];
        unsigned n2 = n1 + compactions.counts[(m >> 16) & 0xFF];
        __m128i first = _mm256_castsi256_si128(kept), second = _mm256_extracti128_si256(kept, 1);
        _mm_storel_epi64(reinterpret_cast<__m128i*>(q), first);
        _mm_storeh_pi(reinterpret_cast<__m64*>(q + n0), _mm_castsi128_ps(first));
        _mm_storel_epi64(reinterpret_cast<__m128i*>(q + n1), second);
        _mm_storeh_pi(reinterpret_cast<__m64*>(q + n2), _mm_castsi128_ps(second));
        return __builtin_popcount(m);
    }
    // BMI1's tzcnt and LZCNT's lzcnt give the operand's width for 0, BMI2's bzhi all the bits from 32.
    TQ_CLASSIFY_INLINE static unsigned LowestBit(uint32_t n) { return _tzcnt_u32(n); }
    TQ_CLASSIFY_INLINE static unsigned UpToHighestBit(uint32_t n) { return 32 - _lzcnt_u32(n); }
    TQ_CLASSIFY_INLINE static uint32_t BelowBit(unsigned k) { return _bzhi_u32(0xFFFFFFFFu, k); }
    TQ_CLASSIFY_INLINE static bool FewBits(uint32_t n) { return __builtin_popcount(n) <= 6; }
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
