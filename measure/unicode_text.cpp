// From code points to characters and class bytes, a piece of a text at a time: ASCII by the
// vector copy, most other text by a fast path, and the rest by the scalar reference path (character_steps).
#include "measure/unicode_text.h"

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "measure/character_steps.h"
#include "measure/first_plane_fast_path.h"
#include "measure/surrogates.h"
#include "measure/utf8_fast_path.h"
#include "measure/windows1252_fast_path.h"

namespace {

#if defined(__SSE2__)
inline unsigned LowestBit(unsigned n) { return static_cast<unsigned>(__builtin_ctz(n)); }
#endif

// Copies the leading units of p that are ASCII and not zero to q; returns how many. It may write
// up to 16 bytes at q when at least 16 units remain.
size_t CopyAscii(const char16_t* p, size_t n, unsigned char* q) {
    size_t k = 0;
#if defined(__SSE2__)
    const __m128i zero = _mm_setzero_si128();
    for (; k + 16 <= n; k += 16) {
        __m128i a = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + k));
        __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + k + 8));
        // Units of 0x80 and more pack to bytes with the top bit set, or (from 0x8000) to zero.
        __m128i packed = _mm_packus_epi16(a, b);
        unsigned nStop = static_cast<unsigned>(_mm_movemask_epi8(_mm_or_si128(packed, _mm_cmpeq_epi8(packed, zero))));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(q + k), packed);
        if (nStop != 0) return k + LowestBit(nStop);
    }
#endif
    for (; k < n && p[k] != 0 && p[k] < 0x80; ++k) q[k] = static_cast<unsigned char>(p[k]);
    return k;
}

size_t CopyAscii(const unsigned char* p, size_t n, unsigned char* q) {
    size_t k = 0;
#if defined(__SSE2__)
    const __m128i zero = _mm_setzero_si128();
    for (; k + 16 <= n; k += 16) {
        __m128i x = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + k));
        unsigned nStop = static_cast<unsigned>(_mm_movemask_epi8(_mm_or_si128(x, _mm_cmpeq_epi8(x, zero))));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(q + k), x);
        if (nStop != 0) return k + LowestBit(nStop);
    }
#endif
    for (; k < n && p[k] != 0 && p[k] < 0x80; ++k) q[k] = p[k];
    return k;
}

// Takes the run of ASCII at p[*pi] by the vector copy, when what is open allows it; returns
// whether it did.
template <class Unit>
inline bool TakeAsciiRun(CharacterState* s, const Unit* p, size_t n, size_t* pi, unsigned char** pq) {
    if (!AsciiMayFollow(*s)) return false;
    size_t nAscii = CopyAscii(p + *pi, n - *pi, *pq);
    *pq += nAscii;
    *pi += nAscii;
    TookAscii(s, (*pq)[-1], nAscii);
    return true;
}

template <bool kWindows1252>
size_t TranslateBytes(CharacterState* pState, const unsigned char* p, size_t n, unsigned char* pOut, size_t* pnOut) {
    // A local copy: the bytes written through q could otherwise alias the state and keep it in memory.
    CharacterState s = *pState;
    unsigned char* q = pOut;
    size_t i = 0;
    while (i < n && !s.bEnded) {
        unsigned char b = p[i];
        if (b < 0x80 && s.utf8.nNeed == 0) {
            if (b == 0) {
                s.bEnded = true;
                break;
            }
            if (TakeAsciiRun(&s, p, n, &i, &q)) continue;
        }
        if (!kWindows1252 && MayRunFast(s)) {
            size_t nFast = s.pfnUtf8FastPath(&s, p + i, n - i, &q, q != pOut || LastByteOpen(s));
            i += nFast;
            if (nFast != 0) continue;
        }
        if (kWindows1252) {
            size_t nPlain = RunWindows1252(&s, p + i, n - i, &q);
            if (nPlain == 0) Step(&s, Windows1252CodePoint(b), q);
            i += nPlain != 0 ? nPlain : 1;
        } else if (DecodeUtf8(&s, b, q)) {
            ++i;
        }
    }
    *pState = s;
    *pnOut = static_cast<size_t>(q - pOut);
    return i;
}

}  // namespace

size_t TranslateUtf16(CharacterState* pState, const char16_t* p, size_t n, unsigned char* pOut, size_t* pnOut) {
    CharacterState s = *pState;
    unsigned char* q = pOut;
    size_t i = 0;
    while (i < n && !s.bEnded) {
        uint32_t u = p[i];
        if (s.nHighSurrogate != 0) {
            uint32_t nHigh = s.nHighSurrogate;
            s.nHighSurrogate = 0;
            if (IsLowSurrogate(u)) {
                Step(&s, CombineSurrogates(nHigh, u), q);
                ++i;
            } else {
                Step(&s, kReplacementCharacter, q);  // and the unit is read again
            }
            continue;
        }
        if (u < 0x80) {
            if (u == 0) {
                s.bEnded = true;
                break;
            }
            if (TakeAsciiRun(&s, p, n, &i, &q)) continue;
            Step(&s, u, q);
            ++i;
            continue;
        }
        if (MayRunFast(s)) {
            size_t nFast = RunFastUtf16<false>(&s, p + i, n - i, &q, q != pOut || LastByteOpen(s));
            i += nFast;
            if (nFast != 0) continue;
        }
        if (IsSurrogate(u)) {
            ++i;
            if (IsHighSurrogate(u)) {
                s.nHighSurrogate = static_cast<char16_t>(u);
                continue;
            }
            u = kReplacementCharacter;
        } else {
            ++i;
        }
        Step(&s, u, q);
    }
    *pState = s;
    *pnOut = static_cast<size_t>(q - pOut);
    return i;
}

size_t TranslateUtf8(CharacterState* pState, const unsigned char* p, size_t n, unsigned char* pOut, size_t* pnOut) {
    return TranslateBytes<false>(pState, p, n, pOut, pnOut);
}

size_t TranslateWindows1252(CharacterState* pState, const unsigned char* p, size_t n, unsigned char* pOut,
                            size_t* pnOut) {
    return TranslateBytes<true>(pState, p, n, pOut, pnOut);
}
