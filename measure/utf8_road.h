// UTF-8 on the common road, and the careful path's decoding of it a byte at a time.
#pragma once
#include <stddef.h>

#include "measure/character_steps.h"

// Takes the leading well-formed UTF-8 of p that is for the common road, writing its measuring
// bytes at *pq and moving *pq past them; answers how many bytes it took. bByteBefore tells
// whether (*pq)[-1] may be read.
size_t RunFastUtf8(CharacterState* s, const unsigned char* p, size_t n, unsigned char** pq, bool bByteBefore);

// Decodes one byte of UTF-8. A byte that cannot continue the open sequence ends it as U+FFFD and
// is read again; answers whether the byte was taken.
inline bool DecodeUtf8(CharacterState* s, unsigned char b, unsigned char*& q) {
    Utf8Decoder& d = s->utf8;
    if (d.nNeed == 0) {
        d.nSeen = 0;
        d.nLower = 0x80;
        d.nUpper = 0xBF;
        if (b < 0x80) {
            Step(s, b, q);
        } else if (b >= 0xC2 && b <= 0xDF) {
            d.nNeed = 1;
            d.nCodePoint = b & 0x1F;
        } else if (b >= 0xE0 && b <= 0xEF) {
            d.nNeed = 2;
            d.nCodePoint = b & 0x0F;
            if (b == 0xE0) d.nLower = 0xA0;  // no overlong forms
            if (b == 0xED) d.nUpper = 0x9F;  // no surrogates
        } else if (b >= 0xF0 && b <= 0xF4) {
            d.nNeed = 3;
            d.nCodePoint = b & 0x07;
            if (b == 0xF0) d.nLower = 0x90;  // no overlong forms
            if (b == 0xF4) d.nUpper = 0x8F;  // nothing above U+10FFFF
        } else {
            Step(s, kReplacementCharacter, q);
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
