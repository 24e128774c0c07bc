// The SSE2 kernel: sixteen bytes classified per instruction. Every x86 processor the program runs
// on has SSE2, but not necessarily a popcount instruction, so bits are counted with arithmetic.
#include "measure/measure_kernels.h"

#if defined(TQ_X86_MEASURE_KERNELS)
#include <emmintrin.h>

#define TQ_KERNEL_TARGET __attribute__((target("sse2")))
#include "measure/mask_walk.h"
#include "measure/vector_blocks.h"
#include "measure/utf8_fast_path.h"
#include "measure/word_bytes_sse2.h"

namespace {

struct Sse2Vectors {
    typedef __m128i Vec;
    enum { kWidth = 16 };
    TQ_WALK_INLINE static Vec Load(const unsigned char* p) { return _mm_loadu_si128(reinterpret_cast<const __m128i*>(p)); }
    TQ_WALK_INLINE static unsigned Bits(Vec x) { return static_cast<unsigned>(_mm_movemask_epi8(x)); }
    TQ_WALK_INLINE static Vec Fill(char c) { return _mm_set1_epi8(c); }
    TQ_WALK_INLINE static Vec IsZero(Vec x) { return _mm_cmpeq_epi8(x, _mm_setzero_si128()); }
    TQ_WALK_INLINE static Vec Min(Vec x, Vec y) { return _mm_min_epu8(x, y); }
    TQ_WALK_INLINE static Vec AtLeast(Vec x, char c) { return _mm_cmpgt_epi8(x, _mm_set1_epi8(static_cast<char>(c - 1))); }
    TQ_WALK_INLINE static Vec NotWordBytes(Vec x) { return _mm_cmpeq_epi8(WordBytesSse2(x), _mm_setzero_si128()); }
    TQ_WALK_INLINE static Vec LineBreaks(Vec x) {
        return _mm_or_si128(_mm_cmpeq_epi8(x, _mm_set1_epi8(0x0D)), _mm_cmpeq_epi8(x, _mm_set1_epi8(0x0A)));
    }
    TQ_WALK_INLINE static Vec ByteBefore(Vec x, Vec previous) {
        return _mm_or_si128(_mm_slli_si128(x, 1), _mm_srli_si128(previous, 15));
    }
    // One more in each byte place where before is set and x is not.
    TQ_WALK_INLINE static Vec AddStarts(Vec pending, Vec before, Vec x) {
        return _mm_sub_epi8(pending, _mm_andnot_si128(x, before));
    }
    TQ_WALK_INLINE static Vec AddSums(Vec total, Vec pending) { return _mm_add_epi64(total, _mm_sad_epu8(pending, Fill(0))); }
    TQ_WALK_INLINE static void Store(int64_t* p, Vec x) { _mm_storeu_si128(reinterpret_cast<__m128i*>(p), x); }
};

struct Sse2 : VectorBlocks<Sse2Vectors> {
    TQ_WALK_INLINE static int Popcount(Mask m) { return SwarPopcount(m); }
    TQ_WALK_INLINE static Mask AfterLastBreak(Mask printable, Mask breaks) {
        return AboveHighestBit(printable, breaks);
    }

    TQ_WALK_INLINE static Mask SelectCut(Mask m, int64_t k) { return CountingSelectCut(m, k); }
};

}  // namespace

const MeasureKernel kSse2MeasureKernel = {"sse2", WalkWords<Sse2>, WalkText<Sse2, false, true>,
                                          WalkText<Sse2, true, true>, RunFastUtf8};
// The same loops, with UTF-8 classified by SSSE3's byte shuffles rather than widened.
const MeasureKernel kSsse3MeasureKernel = {"ssse3", WalkWords<Sse2>, WalkText<Sse2, false, true>,
                                           WalkText<Sse2, true, true>, ClassifyUtf8Ssse3};

#endif
