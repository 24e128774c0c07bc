// The word bytes of sixteen class bytes with SSE2, for the SSE2 kernel and for the translation's
// fillers: the rule of measure_kernels.h in vector form, written once.
#pragma once
#include <emmintrin.h>

#include "measure/measure_kernels.h"

// Code built without SSE2 everywhere (32-bit) calls it only from functions that enable it.
#if defined(__SSE2__)
#define TQ_SSE2_INLINE inline __attribute__((always_inline))
#else
#define TQ_SSE2_INLINE inline __attribute__((always_inline, target("sse2")))
#endif

// 0xFF for each word byte: letters, digits, apostrophe, full stop, colon and the word filler. A
// range is tested with one signed compare, adding 0x80 - its first byte moving it to the bottom.
TQ_SSE2_INLINE __m128i WordBytesSse2(__m128i x) {
    __m128i lower = _mm_or_si128(x, _mm_set1_epi8(0x20));
    __m128i letters = _mm_cmplt_epi8(_mm_add_epi8(lower, _mm_set1_epi8(static_cast<char>(0x80 - 'a'))),
                                     _mm_set1_epi8(static_cast<char>(-128 + 26)));
    __m128i digitsAndColon = _mm_cmplt_epi8(_mm_add_epi8(x, _mm_set1_epi8(static_cast<char>(0x80 - '0'))),
                                            _mm_set1_epi8(static_cast<char>(-128 + 11)));
    __m128i marks = _mm_or_si128(_mm_cmpeq_epi8(x, _mm_set1_epi8('\'')), _mm_cmpeq_epi8(x, _mm_set1_epi8('.')));
    __m128i filler = _mm_cmpeq_epi8(x, _mm_set1_epi8(static_cast<char>(kWordFiller)));
    return _mm_or_si128(_mm_or_si128(letters, digitsAndColon), _mm_or_si128(marks, filler));
}
