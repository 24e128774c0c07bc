#include "measure/windows1252_fast_path.h"

#include <stdint.h>

#include <atomic>
#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "measure/character_steps.h"

namespace {

unsigned char fastPathBytes[256];
std::atomic<bool> fastPathBytesMade(false);

// A byte of one of these classes begins a character after any of them, and leaves nothing open
// that could change how the next one joins.
bool IsPlainClass(GraphemeClass g) {
    return g == kGraphemeOther || g == kGraphemeCR || g == kGraphemeLF || g == kGraphemeControl;
}

}  // namespace

const unsigned char* Windows1252FastPathBytes() {
    if (!fastPathBytesMade.load(std::memory_order_acquire)) {
        for (int c = 0; c < 256; ++c) {
            uint32_t nCodePoint = Windows1252CodePoint(static_cast<unsigned char>(c));
            uint8_t nClasses = CodePointClasses(nCodePoint);
            MeasureKind k = KindOf(nClasses);
            bool bPlain = c != 0 && IsPlainClass(GraphemeOf(nClasses)) && k != kKindJoiner && k != kKindIdeograph &&
                          k != kKindEmojiMark;
            fastPathBytes[c] = !bPlain ? static_cast<unsigned char>(kWindows1252Stop)
                           : c < 0x80 ? static_cast<unsigned char>(c)
                                      : kKindBytes[k];
        }
        fastPathBytesMade.store(true, std::memory_order_release);
    }
    return fastPathBytes;
}

size_t RunWindows1252(CharacterState* s, const unsigned char* p, size_t n, unsigned char** pq) {
    // Only an open prepended mark joins what follows it.
    if (s->nPrevious == kGraphemePrepend || s->nOpen == kOpenPrepend || s->bEnded) return 0;
    const unsigned char* pBytes = Windows1252FastPathBytes();
    unsigned char* q = *pq;
    size_t i = 0;
#if defined(__SSE2__)
    // 64 bytes a turn: whether a block holds a high byte is hard to foretell, so blocks are large.
    const __m128i zero = _mm_setzero_si128();
    for (; i + 64 <= n; i += 64) {
        uint64_t nHigh = 0, nStops = 0;
        __m128i x[4];
        for (int k = 0; k < 4; ++k) {
            x[k] = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + i + 16 * k));
            _mm_storeu_si128(reinterpret_cast<__m128i*>(q + i + 16 * k), x[k]);
            nHigh |= static_cast<uint64_t>(static_cast<unsigned>(_mm_movemask_epi8(x[k]))) << (16 * k);
        }
        // A zero byte is rare: the block's least byte tells whether one is there.
        __m128i least = _mm_min_epu8(_mm_min_epu8(x[0], x[1]), _mm_min_epu8(x[2], x[3]));
        if (_mm_movemask_epi8(_mm_cmpeq_epi8(least, zero)) != 0) {
            for (int k = 0; k < 4; ++k) {
                nStops |= static_cast<uint64_t>(static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi8(x[k], zero))))
                          << (16 * k);
            }
        }
        // High bytes are few in Latin text: each looked up on its own.
        for (; nHigh != 0; nHigh &= nHigh - 1) {
            unsigned k = static_cast<unsigned>(__builtin_ctzll(nHigh));
            unsigned char c = pBytes[p[i + k]];
            q[i + k] = c;
            nStops |= static_cast<uint64_t>(c == kWindows1252Stop) << k;
        }
        if (nStops != 0) {
            i += static_cast<unsigned>(__builtin_ctzll(nStops));
            n = i;  // nothing more for this fast path
            break;
        }
    }
#endif
    for (; i < n; ++i) {
        unsigned char c = pBytes[p[i]];
        if (c == kWindows1252Stop) break;
        q[i] = c;
    }
    if (i == 0) return 0;
    // What the scalar reference path leaves after a character of the last byte's class.
    TookCharacters(s, i, GraphemeOf(CodePointClasses(Windows1252CodePoint(p[i - 1]))), IsWhiteSpaceByte(q[i - 1]));
    *pq = q + i;
    return i;
}
