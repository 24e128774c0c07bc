// UTF-8 on the first-plane fast path, and the scalar reference path's decoding of it a byte at a time.
#pragma once
#include <stddef.h>
#include <stdint.h>

#include "measure/character_steps.h"
#include "measure/utf8_sequence.h"

// Takes the leading well-formed UTF-8 of p that is for the first-plane fast path, writing its class
// bytes at *pq and moving *pq past them; returns how many bytes it took. bByteBefore tells
// whether (*pq)[-1] may be read. Each of these writes the scalar reference path's class bytes, the
// widening with fillers (0x80 and 0xFF, measure_kernels.h) among them, the classifiers without:
//   widened to units a few hundred bytes at a time and taken as UTF-16 (the plain and SSE2 kernels')
size_t RunFastUtf8(CharacterState* s, const unsigned char* p, size_t n, unsigned char** pq, bool bByteBefore);
#if defined(TQ_X86_MEASURE_KERNELS)
//   classified as it stands, a block of 16 or 32 bytes at a time, with SSSE3 or AVX2 (utf8_classify.h)
size_t ClassifyUtf8Ssse3(CharacterState* s, const unsigned char* p, size_t n, unsigned char** pq, bool bByteBefore);
size_t ClassifyUtf8Avx2(CharacterState* s, const unsigned char* p, size_t n, unsigned char** pq, bool bByteBefore);
#endif

// How many bytes ahead, up to n, are the first and continuation bytes of sequences of three alone,
// five sequences at a time (a multiple of 15).
size_t ThreeByteRunLength(const unsigned char* p, size_t n);
enum : size_t { kWidenedThreeByteRun = 90 };

// For each byte of a mask, the byte shuffle that keeps the bytes of an 8-byte group that it sets, in
// order, and how many it keeps: the classifiers write the class bytes of the characters begun
// one after another by them. Made at the first use.
struct ByteCompactions {
    uint64_t shuffles[256];
    uint8_t counts[256];
};
const ByteCompactions& Utf8ByteCompactions();

// Decodes one byte of UTF-8 by the table of first bytes. A byte that cannot continue the open
// sequence ends it as U+FFFD and is read again; returns whether the byte was taken.
inline bool DecodeUtf8(CharacterState* s, unsigned char b, unsigned char*& q) {
    Utf8Decoder& d = s->utf8;
    if (d.nNeed == 0) {
        Utf8Lead lead = Utf8LeadOf(b);
        if (b < 0x80) {
            Step(s, b, q);
        } else if (lead.nLower > lead.nUpper) {
            Step(s, kReplacementCharacter, q);
        } else {
            d.nNeed = lead.nFollowing;
            d.nSeen = 0;
            d.nCodePoint = b & lead.nPayload;
            d.nLower = lead.nLower;
            d.nUpper = lead.nUpper;
        }
        return true;
    }
    if (b < d.nLower || b > d.nUpper) {
        d.nNeed = 0;
        Step(s, kReplacementCharacter, q);
        return false;
    }
    d.nLower = 0x80;
    d.nUpper = 0xBF;
    d.nCodePoint = (d.nCodePoint << 6) | (b & 0x3F);
    if (++d.nSeen == d.nNeed) {
        d.nNeed = 0;
        Step(s, d.nCodePoint, q);
    }
    return true;
}
