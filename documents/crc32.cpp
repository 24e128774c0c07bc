#include "documents/crc32.h"

#if defined(__i386__) || defined(__x86_64__)
#include <cpuid.h>
#include <immintrin.h>
#define TQ_CRC32_FOLDS 1
#endif

namespace {

// Eight bytes a step (slicing-by-8): table k gives the CRC of a byte followed by k zero bytes.
// Made on first use into uninitialised memory, so the program file carries none of it; the
// readers run on one thread at a time.
uint32_t anTable[8][256];
bool bTableMade = false;

void MakeTable() {
    for (uint32_t n = 0; n < 256; ++n) {
        uint32_t c = n;
        for (int k = 0; k < 8; ++k) c = (c >> 1) ^ (0xEDB88320u & (0u - (c & 1)));
        anTable[0][n] = c;
    }
    for (uint32_t n = 0; n < 256; ++n) {
        for (int k = 1; k < 8; ++k) anTable[k][n] = (anTable[k - 1][n] >> 8) ^ anTable[0][anTable[k - 1][n] & 0xFF];
    }
    bTableMade = true;
}

#if TQ_CRC32_FOLDS
// Whether the processor multiplies without carries (PCLMULQDQ) and has SSE4.1: asked once.
int nFolds = -1;

bool Folds() {
    if (nFolds < 0) {
        unsigned a, b, c, d;
        nFolds = __get_cpuid(1, &a, &b, &c, &d) && (c & (1u << 1)) != 0 && (c & (1u << 19)) != 0 ? 1 : 0;
    }
    return nFolds == 1;
}

// The CRC state (inverted, as the table loop keeps it) after cb bytes, cb at least 64 and a
// multiple of 16: four 16-byte lanes folded forward 64 bytes at a time by carry-less products
// with x^(512+32) and x^(512-32) mod P (P the reflected polynomial, its constants bit-reflected
// and shifted left once), folded into one lane (x^(128+32), x^(128-32)), to 64 bits, then
// Barrett-reduced to 32 with P and floor(x^64 / P).
#define TQ_CRC32_TARGET __attribute__((target("pclmul,sse4.1")))

inline __m128i Load(const unsigned char* p) { return _mm_loadu_si128(reinterpret_cast<const __m128i*>(p)); }

// x times the high and the low constant of k, added to next.
TQ_CRC32_TARGET inline __m128i Fold(__m128i x, __m128i k, __m128i next) {
    return _mm_xor_si128(_mm_xor_si128(_mm_clmulepi64_si128(x, k, 0x11), _mm_clmulepi64_si128(x, k, 0x00)), next);
}

TQ_CRC32_TARGET uint32_t FoldCrc(uint32_t c, const unsigned char* p, size_t cb) {
    const __m128i vK1K2 = _mm_set_epi64x(0x01c6e41596, 0x0154442bd4);
    const __m128i vK3K4 = _mm_set_epi64x(0x00ccaa009e, 0x01751997d0);
    const __m128i vK5 = _mm_set_epi64x(0, 0x0163cd6124);
    const __m128i vPoly = _mm_set_epi64x(0x01f7011641, 0x01db710641);
    const __m128i vLow32 = _mm_setr_epi32(~0, 0, ~0, 0);
    __m128i x1 = _mm_xor_si128(Load(p), _mm_cvtsi32_si128(static_cast<int>(c)));
    __m128i x2 = Load(p + 16), x3 = Load(p + 32), x4 = Load(p + 48);
    for (p += 64, cb -= 64; cb >= 64; p += 64, cb -= 64) {
        x1 = Fold(x1, vK1K2, Load(p));
        x2 = Fold(x2, vK1K2, Load(p + 16));
        x3 = Fold(x3, vK1K2, Load(p + 32));
        x4 = Fold(x4, vK1K2, Load(p + 48));
    }
    x1 = Fold(x1, vK3K4, x2);
    x1 = Fold(x1, vK3K4, x3);
    x1 = Fold(x1, vK3K4, x4);
    for (; cb >= 16; p += 16, cb -= 16) x1 = Fold(x1, vK3K4, Load(p));
    // 128 bits to 64.
    x1 = _mm_xor_si128(_mm_srli_si128(x1, 8), _mm_clmulepi64_si128(x1, vK3K4, 0x10));
    x1 = _mm_xor_si128(_mm_clmulepi64_si128(_mm_and_si128(x1, vLow32), vK5, 0x00), _mm_srli_si128(x1, 4));
    // Barrett's reduction to 32.
    __m128i x2b = _mm_clmulepi64_si128(_mm_and_si128(x1, vLow32), vPoly, 0x10);
    x2b = _mm_clmulepi64_si128(_mm_and_si128(x2b, vLow32), vPoly, 0x00);
    return static_cast<uint32_t>(_mm_extract_epi32(_mm_xor_si128(x1, x2b), 1));
}
#endif

}  // namespace

bool Crc32Folds() {
#if TQ_CRC32_FOLDS
    return Folds();
#else
    return false;
#endif
}

uint32_t Crc32(uint32_t nCrc, const unsigned char* p, size_t cb) {
    uint32_t c = ~nCrc;
#if TQ_CRC32_FOLDS
    if (cb >= 64 && Folds()) {
        size_t cbFolded = cb & ~static_cast<size_t>(15);
        c = FoldCrc(c, p, cbFolded);
        p += cbFolded;
        cb -= cbFolded;
    }
#endif
    if (!bTableMade) MakeTable();
    for (; cb >= 8; cb -= 8, p += 8) {
        uint32_t nLow = c ^ (p[0] | p[1] << 8 | p[2] << 16 | static_cast<uint32_t>(p[3]) << 24);
        uint32_t nHigh = p[4] | p[5] << 8 | p[6] << 16 | static_cast<uint32_t>(p[7]) << 24;
        c = anTable[7][nLow & 0xFF] ^ anTable[6][(nLow >> 8) & 0xFF] ^ anTable[5][(nLow >> 16) & 0xFF] ^
            anTable[4][nLow >> 24] ^ anTable[3][nHigh & 0xFF] ^ anTable[2][(nHigh >> 8) & 0xFF] ^
            anTable[1][(nHigh >> 16) & 0xFF] ^ anTable[0][nHigh >> 24];
    }
    for (; cb != 0; --cb, ++p) c = (c >> 8) ^ anTable[0][(c ^ *p) & 0xFF];
    return ~c;
}
