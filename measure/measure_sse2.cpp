// The SSE2 kernel: sixteen bytes classified per instruction. Every x86 processor the program runs
// on has SSE2, but not necessarily a popcount instruction, so bits are counted with arithmetic.
#include "measure/measure_kernels.h"

#if defined(TQ_X86_MEASURE_KERNELS)
#include <emmintrin.h>

#define TQ_KERNEL_TARGET __attribute__((target("sse2")))
#include "measure/mask_walk.h"
#include "measure/word_bytes_sse2.h"

namespace {

#if defined(__x86_64__)
typedef uint64_t BlockMask;
#else
typedef uint32_t BlockMask;  // 32-bit code: one register per mask
#endif

TQ_WALK_INLINE BlockMask VectorBits(__m128i bytes) {
    return static_cast<BlockMask>(static_cast<unsigned>(_mm_movemask_epi8(bytes)));
}

TQ_WALK_INLINE __m128i WordBytes(__m128i x) { return WordBytesSse2(x); }

struct Sse2 {
    typedef BlockMask Mask;
    enum { kVectors = sizeof(Mask) * 8 / 16 };

    TQ_WALK_INLINE static __m128i Load(const unsigned char* p, int v) {
        return _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + 16 * v));
    }

    // Whether the nBytes (a multiple of 16) at p hold a zero byte.
    TQ_WALK_INLINE static bool HasZero(const unsigned char* p, size_t nBytes) {
        __m128i lowest = Load(p, 0);
        for (size_t v = 1; v < nBytes / 16; ++v) lowest = _mm_min_epu8(lowest, Load(p, static_cast<int>(v)));
        return _mm_movemask_epi8(_mm_cmpeq_epi8(lowest, _mm_setzero_si128())) != 0;
    }

    TQ_WALK_INLINE static Mask ZeroBytes(const unsigned char* p) {
        Mask zeros = 0;
        for (int v = 0; v < kVectors; ++v)
            zeros |= VectorBits(_mm_cmpeq_epi8(Load(p, v), _mm_setzero_si128())) << (16 * v);
        return zeros;
    }

    TQ_WALK_INLINE static Mask OtherThanWordBytes(const unsigned char* p) {
        Mask word = 0;
        for (int v = 0; v < kVectors; ++v) word |= VectorBits(WordBytes(Load(p, v))) << (16 * v);
        return ~word;
    }

    TQ_WALK_INLINE static void ClassifyLines(const unsigned char* p, ClassMasks<Mask>* pMasks) {
        Mask printable = 0, nonSpace = 0, lineBreak = 0;
        for (int v = 0; v < kVectors; ++v) {
            __m128i x = Load(p, v);
            // Printable is 0x20..0x7F read as signed; the space is the only printable byte below 0x21.
            printable |= VectorBits(_mm_cmpgt_epi8(x, _mm_set1_epi8(0x1F))) << (16 * v);
            nonSpace |= VectorBits(_mm_cmpgt_epi8(x, _mm_set1_epi8(0x20))) << (16 * v);
            __m128i breaks =
                _mm_or_si128(_mm_cmpeq_epi8(x, _mm_set1_epi8(0x0D)), _mm_cmpeq_epi8(x, _mm_set1_epi8(0x0A)));
            lineBreak |= VectorBits(breaks) << (16 * v);
        }
        pMasks->printable = printable;
        pMasks->nonSpace = nonSpace;
        pMasks->lineBreak = lineBreak;
    }

    // Word starts counted in the vector unit, a byte counter per byte place: a start is a word byte
    // whose byte before is not one.
    struct WordCounter {
        __m128i previous;  // the last vector's word bytes (its last byte matters)
        __m128i pending;   // starts by byte place, since the last Settle (at most 255 vectors)
        __m128i total;     // two 64-bit sums

        TQ_WALK_INLINE void Start(bool bInWord) {
            previous = _mm_set1_epi8(bInWord ? -1 : 0);
            pending = total = _mm_setzero_si128();
        }
        TQ_WALK_INLINE void Count(const unsigned char* p) {
            for (int v = 0; v < kVectors; ++v) {
                __m128i word = WordBytes(Load(p, v));
                // Each byte's byte before: this vector moved up one place, the last vector's last byte first.
                __m128i before = _mm_or_si128(_mm_slli_si128(word, 1), _mm_srli_si128(previous, 15));
                pending = _mm_sub_epi8(pending, _mm_andnot_si128(before, word));
                previous = word;
            }
        }
        TQ_WALK_INLINE void Settle() {
            total = _mm_add_epi64(total, _mm_sad_epu8(pending, _mm_setzero_si128()));
            pending = _mm_setzero_si128();
        }
        TQ_WALK_INLINE int64_t Total() {
            Settle();
            int64_t sums[2];
            _mm_storeu_si128(reinterpret_cast<__m128i*>(sums), total);
            return sums[0] + sums[1];
        }
        TQ_WALK_INLINE bool InWord() const { return (_mm_movemask_epi8(previous) & 0x8000) != 0; }
    };

    TQ_WALK_INLINE static int Popcount(Mask m) { return SwarPopcount(m); }
    TQ_WALK_INLINE static Mask AfterLastBreak(Mask printable, Mask breaks) {
        return AboveHighestBit(printable, breaks);
    }

    TQ_WALK_INLINE static Mask SelectCut(Mask m, int64_t k) { return CountingSelectCut(m, k); }
};

}  // namespace

const MeasureKernel kSse2MeasureKernel = {"sse2", WalkWords<Sse2>, WalkText<Sse2, false, true>,
                                          WalkText<Sse2, true, true>};

#endif
