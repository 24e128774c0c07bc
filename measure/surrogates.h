// The surrogates of UTF-16: the two halves of a code point past the first plane.
#pragma once
#include <stdint.h>

// Exact for any value, not only for 16-bit units: the readers ask it of decoded numbers too.
inline bool IsHighSurrogate(uint32_t u) { return (u & ~0x3FFu) == 0xD800; }
inline bool IsLowSurrogate(uint32_t u) { return (u & ~0x3FFu) == 0xDC00; }
inline bool IsSurrogate(uint32_t u) { return (u & ~0x7FFu) == 0xD800; }
inline uint32_t CombineSurrogates(uint32_t nHigh, uint32_t nLow) { return 0x10000 + ((nHigh - 0xD800) << 10) + (nLow - 0xDC00); }
